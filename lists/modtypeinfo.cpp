#include "lists/modtypeinfo.h"

namespace ModTypes {

namespace {
constexpr qint64 MaxListBits = 250000000;
}

ModTypeTable table()
{
    struct Entry
    {
        const char16_t *name;
        int bitsPerSymbol;
    };
    static const Entry entries[] = {
        {u"ASK", 1},        {u"BPSK", 1},       {u"QPSK", 2},       {u"QPSK 45\u00b0 Off.", 2},
        {u"QPSK EDGE", 2},  {u"AQPSK", 2},      {u"OQPSK", 2},      {u"Pi/4 QPSK", 2},
        {u"Pi/2 DBPSK", 1}, {u"Pi/4 DQPSK", 2}, {u"Pi/8 D8PSK", 3}, {u"8PSK", 3},
        {u"8PSK EDGE", 3},  {u"16QAM", 4},      {u"16QAM EDGE", 4}, {u"32QAM", 5},
        {u"32QAM EDGE", 5}, {u"64QAM", 6},      {u"128QAM", 7},     {u"256QAM", 8},
        {u"1024QAM", 10},   {u"4096QAM", 12},   {u"MSK", 1},        {u"2FSK", 1},
        {u"4FSK", 2},       {u"USER", 2},
    };
    ModTypeTable result;
    for (const Entry &e : entries) {
        ModTypeInfo info;
        info.bitsPerSymbol = e.bitsPerSymbol;
        info.maxBits = QString::number(MaxListBits);
        info.maxSymbols = QString::number(MaxListBits / e.bitsPerSymbol);
        result.insert(QString::fromUtf16(e.name), info);
    }
    return result;
}

QString defaultName()
{
    return QStringLiteral("128QAM");
}

bool isUserDefined(const QString &name)
{
    return name.contains(QLatin1String("USER"));
}

qint64 symbolsForBits(qint64 bits, int bitsPerSymbol)
{
    if (bitsPerSymbol < 1 || bits <= 0)
        return 0;
    return (bits + bitsPerSymbol - 1) / bitsPerSymbol;
}

} // namespace ModTypes
