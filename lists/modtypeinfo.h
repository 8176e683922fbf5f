#ifndef LISTFORGE_LISTS_MODTYPEINFO_H
#define LISTFORGE_LISTS_MODTYPEINFO_H

#include <QMap>
#include <QString>
#include <QtGlobal>

// One modulation type of the CDM function: how many bits make a symbol and how long a data list
// may be. maxBits and maxSymbols are decimal strings because the form's spin boxes take them so.
struct ModTypeInfo
{
    int bitsPerSymbol = 1;
    QString maxBits;    // "250000000" for every type
    QString maxSymbols; // floor(250000000 / bitsPerSymbol)
};

// Name -> record. QMap keeps the keys in plain UTF-16 order, which is the order of the
// modulation combo box ("1024QAM", "128QAM", "16QAM", ... "USER").
using ModTypeTable = QMap<QString, ModTypeInfo>;

namespace ModTypes {

// The 26 modulation types ("ASK", "BPSK", ..., "QPSK 45\u00b0 Off.", ..., "USER").
ModTypeTable table();

// "128QAM": the type the dialog selects at start-up (combo index 1).
QString defaultName();

// True for names containing "USER": their bits per symbol are chosen by the user (1..15).
bool isUserDefined(const QString &name);

// ceil(bits / bitsPerSymbol); 0 for bitsPerSymbol < 1.
qint64 symbolsForBits(qint64 bits, int bitsPerSymbol);

} // namespace ModTypes

#endif
