#include "lists/datafiledecoders.h"

#include "lists/listmessages.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QScopedPointer>
#include <QTextCodec>
#include <QTextDecoder>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr qint64 MaxBits = 250000000;
constexpr qint64 ReadChunkBytes = 64 * 1024;

struct DecodeTables
{
    signed char hexValue[256];
    char nibbleChars[16][4];
    char byteChars[256][8]; // MSB first
    DecodeTables()
    {
        for (int c = 0; c < 256; ++c) {
            hexValue[c] = -1;
            if (c >= '0' && c <= '9')
                hexValue[c] = static_cast<signed char>(c - '0');
            else if (c >= 'A' && c <= 'F')
                hexValue[c] = static_cast<signed char>(c - 'A' + 10);
            else if (c >= 'a' && c <= 'f')
                hexValue[c] = static_cast<signed char>(c - 'a' + 10);
            for (int k = 0; k < 8; ++k)
                byteChars[c][k] = char('0' + ((c >> (7 - k)) & 1));
        }
        for (int v = 0; v < 16; ++v) {
            for (int k = 0; k < 4; ++k)
                nibbleChars[v][k] = char('0' + ((v >> (3 - k)) & 1));
        }
    }
};

const DecodeTables &tables()
{
    static const DecodeTables t;
    return t;
}

// Collects decoded bits. The output is sized once from the input size where it is known and only
// grown for inputs of unknown size; passing the bit limit stops the decode at once, so an
// oversized file costs neither the memory nor the time to read it all.
class BitCollector
{
public:
    BitCollector(QByteArray &out, qint64 expected) : m_out(out)
    {
        m_out.clear();
        m_out.resize(int(std::clamp<qint64>(expected, 0, MaxBits)));
    }

    bool overflowed() const { return m_overflow; }
    qint64 count() const { return m_count; }

    // Room for n more bits; false once the limit is passed.
    char *reserve(int n)
    {
        if (m_count + n > MaxBits) {
            m_overflow = true;
            return nullptr;
        }
        if (m_count + n > m_out.size())
            m_out.resize(
                int(std::min<qint64>(MaxBits, std::max<qint64>(2 * qint64(m_out.size()), m_count + n))));
        return m_out.data() + m_count;
    }
    void commit(int n) { m_count += n; }

    void finish()
    {
        m_out.resize(int(m_count));
        // A text file mostly made of other characters leaves a large unused tail; give it back.
        if (m_out.capacity() > 2 * m_out.size() + 4096)
            m_out.squeeze();
    }

private:
    QByteArray &m_out;
    qint64 m_count = 0;
    bool m_overflow = false;
};

// Decodes one character (or byte) at a time into the collector.
class CharDecoder
{
public:
    CharDecoder(DataFileFormat format, BitCollector &bits) : m_format(format), m_bits(bits), m_t(tables()) {}

    // False once the bit limit is passed.
    bool feedBytes(const char *data, qint64 size)
    {
        const uchar *p = reinterpret_cast<const uchar *>(data);
        switch (m_format) {
        case DataFileFormat::AsciiBits:
            for (qint64 i = 0; i < size; ++i) {
                if (p[i] == '0' || p[i] == '1') {
                    char *dst = m_bits.reserve(1);
                    if (!dst)
                        return false;
                    *dst = char(p[i]);
                    m_bits.commit(1);
                }
            }
            return true;
        case DataFileFormat::AsciiHex:
            for (qint64 i = 0; i < size; ++i) {
                const int v = m_t.hexValue[p[i]];
                if (v >= 0 && !putNibble(v))
                    return false;
            }
            return true;
        case DataFileFormat::Binary: {
            char *dst = m_bits.reserve(int(8 * size));
            if (!dst)
                return false;
            for (qint64 i = 0; i < size; ++i)
                std::memcpy(dst + 8 * i, m_t.byteChars[p[i]], 8);
            m_bits.commit(int(8 * size));
            return true;
        }
        }
        return true;
    }

    // Text decoded from a UTF-16/32 file: only ASCII characters can carry bits.
    bool feedText(const QString &text)
    {
        for (const QChar c : text) {
            const ushort u = c.unicode();
            if (u >= 0x80)
                continue;
            const char ch = char(u);
            if (!feedBytes(&ch, 1))
                return false;
        }
        return true;
    }

private:
    bool putNibble(int v)
    {
        char *dst = m_bits.reserve(4);
        if (!dst)
            return false;
        std::memcpy(dst, m_t.nibbleChars[v], 4);
        m_bits.commit(4);
        return true;
    }

    DataFileFormat m_format;
    BitCollector &m_bits;
    const DecodeTables &m_t;
};

int bitsPerInputByte(DataFileFormat format)
{
    switch (format) {
    case DataFileFormat::AsciiBits:
        return 1;
    case DataFileFormat::AsciiHex:
        return 4;
    case DataFileFormat::Binary:
        return 8;
    }
    return 1;
}

// Input bytes per slice, so that a slice never yields more than one progress step of bits.
qint64 sliceBytes(DataFileFormat format)
{
    return ProgressStepBits / bitsPerInputByte(format);
}

} // namespace

namespace DataFileDecoders {

DataFileFormat formatForSource(const QString &sourceName)
{
    if (sourceName.contains(QLatin1String("Bit")))
        return DataFileFormat::AsciiBits;
    if (sourceName.contains(QLatin1String("ASCII")))
        return DataFileFormat::AsciiHex;
    return DataFileFormat::Binary;
}

ListResult decodeDevice(DataFileFormat format, QIODevice &device, const QString &fileName, QByteArray &bits,
                        const ProgressFn &progress)
{
    const int factor = bitsPerInputByte(format);
    const qint64 knownSize = device.isSequential() ? -1 : device.size() - device.pos();
    if (knownSize >= 0 && format == DataFileFormat::Binary && knownSize > MaxBits / factor) {
        bits.clear();
        return ListMessages::dataFileOutOfRange(fileName);
    }
    const qint64 expected =
        knownSize >= 0 ? std::min<qint64>(knownSize, (MaxBits + factor - 1) / factor) * factor : 64 * 1024;

    BitCollector collector(bits, expected);
    CharDecoder decoder(format, collector);

    // Text files that announce UTF-16 or UTF-32 by their byte-order mark are read in that
    // encoding; everything else byte by byte, which is exact for every 8-bit encoding because
    // only ASCII characters count.
    QScopedPointer<QTextDecoder> textDecoder;
    if (format != DataFileFormat::Binary) {
        const QByteArray head = device.peek(4);
        QTextCodec *codec = QTextCodec::codecForUtfText(head, nullptr);
        if (codec && codec->mibEnum() != 106) // 106: UTF-8, which the byte path reads as it is
            textDecoder.reset(codec->makeDecoder());
    }

    QByteArray chunk(int(ReadChunkBytes), Qt::Uninitialized);
    const qint64 slice = sliceBytes(format);
    bool ok = true;
    for (;;) {
        const qint64 got = device.read(chunk.data(), ReadChunkBytes);
        if (got < 0) {
            bits.clear();
            return ListMessages::dataFileOpen(fileName);
        }
        if (got == 0)
            break;
        for (qint64 offset = 0; ok && offset < got; offset += slice) {
            const qint64 n = std::min(slice, got - offset);
            if (textDecoder)
                ok = decoder.feedText(textDecoder->toUnicode(chunk.constData() + offset, int(n)));
            else
                ok = decoder.feedBytes(chunk.constData() + offset, n);
            if (ok && progress)
                progress(collector.count());
        }
        if (!ok)
            break;
    }
    if (!ok || collector.count() == 0) {
        bits.clear();
        return ListMessages::dataFileOutOfRange(fileName);
    }
    collector.finish();
    return ListResult::success(collector.count());
}

ListResult decodeBytes(DataFileFormat format, const QByteArray &data, const QString &fileName,
                       QByteArray &bits, const ProgressFn &progress)
{
    QByteArray copy = data; // shared, not copied; QBuffer needs a non-const array
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return decodeDevice(format, buffer, fileName, bits, progress);
}

ListResult decodeFile(DataFileFormat format, const QString &path, QByteArray &bits,
                      const ProgressFn &progress)
{
    const QString fileName = QFileInfo(path).fileName();
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        bits.clear();
        return ListMessages::dataFileOpen(fileName);
    }
    return decodeDevice(format, file, fileName, bits, progress);
}

} // namespace DataFileDecoders
