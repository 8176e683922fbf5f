#include "lists/datasources.h"

#include "lists/datalistfile.h"

#include <algorithm>
#include <cstring>

namespace DataSources {

QStringList sourceNames()
{
    return {QStringLiteral("PRBS"),           QStringLiteral("Pattern"),
            QStringLiteral("Sequence"),       QStringLiteral("ASCII-file Bit"),
            QStringLiteral("ASCII-file Hex"), QStringLiteral("Binary-file Hex"),
            QStringLiteral("Data-list")};
}

QStringList sequenceNames()
{
    return {QStringLiteral("0..."),    QStringLiteral("1..."),      QStringLiteral("10..."),
            QStringLiteral("1100..."), QStringLiteral("111000..."), QStringLiteral("11110000...")};
}

QString sequencePattern(const QString &sequenceName)
{
    QString pattern = sequenceName;
    pattern.remove(QLatin1Char('.'));
    return pattern;
}

QString filterPattern(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('0') || c == QLatin1Char('1'))
            result.append(c);
    }
    return result;
}

void fillPattern(char *dst, qint64 count, const QByteArray &pattern, const ProgressFn &progress)
{
    const qint64 length = pattern.size();
    if (count <= 0 || length == 0)
        return;
    // Behind the first period every bit repeats one a whole number of periods earlier, so the
    // list is copied from itself in growing blocks (doubling up to about 64 KiB) instead of
    // character by character.
    const qint64 maxBlock = length * std::max<qint64>(1, 65536 / length);
    const qint64 step = progress ? ProgressStepBits : count;
    qint64 pos = 0;
    while (pos < count) {
        const qint64 chunkEnd = std::min(count, (pos / step + 1) * step);
        while (pos < chunkEnd) {
            qint64 n;
            if (pos < length) {
                n = std::min(chunkEnd, length) - pos;
                std::memcpy(dst + pos, pattern.constData() + pos, size_t(n));
            } else {
                const qint64 block = std::min(pos - pos % length, maxBlock);
                n = std::min(chunkEnd - pos, block);
                std::memcpy(dst + pos, dst + pos - block, size_t(n));
            }
            pos += n;
        }
        if (progress)
            progress(pos);
    }
}

void fillPatternPacked(qint64 count, const QByteArray &pattern, const PackedSink &sink)
{
    const qint64 length = pattern.size();
    if (count <= 0 || length == 0)
        return;
    // Eight periods fill whole bytes, so a block of a whole number of them, packed once, repeats
    // unchanged to the end.
    const qint64 blockBytes = length * std::max<qint64>(1, 65536 / length);
    QByteArray chars(int(8 * blockBytes), Qt::Uninitialized);
    fillPattern(chars.data(), chars.size(), pattern);
    QByteArray block(int(blockBytes), Qt::Uninitialized);
    auto *packed = reinterpret_cast<uchar *>(block.data());
    DataListFiles::packBits(chars.constData(), chars.size(), packed);
    for (qint64 pos = 0; pos < count;) {
        const qint64 bits = std::min(count - pos, 8 * blockBytes);
        if (bits % 8) {
            // The last, partial block: a copy whose unused bits are cleared.
            QByteArray tail = block.left(int((bits + 7) / 8));
            tail[int(bits / 8)] = char(uchar(tail.at(int(bits / 8))) & uchar(0xFF << (8 - bits % 8)));
            sink(reinterpret_cast<const uchar *>(tail.constData()), bits);
            return;
        }
        if (!sink(packed, bits))
            return;
        pos += bits;
    }
}

QString automaticComment(const QString &sourceName, const QString &modType, qint64 symbols, qint64 bits,
                         const QString &detail)
{
    const QString base = QStringLiteral("%1, %2 symbols, %3 bits")
                             .arg(modType, QString::number(symbols), QString::number(bits));
    if (sourceName == QLatin1String("PRBS"))
        return QStringLiteral("%1, %2").arg(base, detail);
    if (sourceName == QLatin1String("Pattern"))
        return QStringLiteral("%1, Pattern: %2")
            .arg(base, detail.isEmpty() ? QStringLiteral("None") : detail);
    if (sourceName == QLatin1String("Sequence"))
        return QStringLiteral("%1, Sequence: %2").arg(base, detail);
    if (sourceName == QLatin1String("ASCII-file Bit") || sourceName == QLatin1String("ASCII-file Hex") ||
        sourceName == QLatin1String("Binary-file Hex"))
        return detail.isEmpty() ? base : QStringLiteral("%1, Data file: %2").arg(base, detail);
    if (sourceName == QLatin1String("Data-list"))
        return detail.isEmpty() ? base : QStringLiteral("%1, Data list file: %2").arg(base, detail);
    return base;
}

} // namespace DataSources
