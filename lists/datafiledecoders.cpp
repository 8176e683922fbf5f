#include "lists/datafiledecoders.h"

#include "lists/listmessages.h"
#include "lists/packedbits.h"

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
        }
    }
};

const DecodeTables &tables()
{
    static const DecodeTables t;
    return t;
}

// Collects decoded bits packed, through a small block that is appended to the output whenever it
// fills. The output is reserved once from the input size where it is known; passing the bit limit
// stops the decode at once, so an oversized file costs neither the memory nor the time to read it.
class PackedCollector
{
public:
    PackedCollector(PackedBits &out, qint64 expected) : m_out(out)
    {
        m_out.clear();
        m_out.reserve(std::clamp<qint64>(expected, 0, MaxBits));
    }

    qint64 count() const { return m_count; }

    // The low `n` (<= 8) bits of `value`, most significant first; false once the limit is passed.
    bool putBits(uint value, int n)
    {
        if (m_count + n > MaxBits)
            return false;
        m_count += n;
        m_acc = (m_acc << n) | value;
        m_accBits += n;
        if (m_accBits >= 8) {
            m_accBits -= 8;
            m_block[m_blockBytes++] = uchar(m_acc >> m_accBits);
            if (m_blockBytes == BlockBytes)
                flushBlock();
        }
        return true;
    }

    bool putBytes(const uchar *bytes, qint64 n)
    {
        if (m_count + 8 * n > MaxBits)
            return false;
        if (m_accBits != 0) {
            for (qint64 i = 0; i < n; ++i)
                putBits(bytes[i], 8);
            return true;
        }
        flushBlock();
        m_out.appendPacked(bytes, 8 * n);
        m_count += 8 * n;
        return true;
    }

    void finish()
    {
        flushBlock();
        if (m_accBits > 0) {
            const uchar last = uchar(m_acc << (8 - m_accBits));
            m_out.appendPacked(&last, m_accBits);
            m_accBits = 0;
        }
    }

private:
    static constexpr int BlockBytes = 8192;

    void flushBlock()
    {
        m_out.appendPacked(m_block, 8 * qint64(m_blockBytes));
        m_blockBytes = 0;
    }

    PackedBits &m_out;
    qint64 m_count = 0;
    uint m_acc = 0;
    int m_accBits = 0;
    int m_blockBytes = 0;
    uchar m_block[BlockBytes];
};

// Decodes one character (or byte) at a time into the collector.
class CharDecoder
{
public:
    CharDecoder(DataFileFormat format, PackedCollector &bits) : m_format(format), m_bits(bits), m_t(tables())
    {
    }

    // False once the bit limit is passed.
    bool feedBytes(const char *data, qint64 size)
    {
        const uchar *p = reinterpret_cast<const uchar *>(data);
        switch (m_format) {
        case DataFileFormat::AsciiBits:
            for (qint64 i = 0; i < size; ++i) {
                if ((p[i] == '0' || p[i] == '1') && !m_bits.putBits(p[i] & 1u, 1))
                    return false;
            }
            return true;
        case DataFileFormat::AsciiHex:
            for (qint64 i = 0; i < size; ++i) {
                const int v = m_t.hexValue[p[i]];
                if (v >= 0 && !m_bits.putBits(uint(v), 4))
                    return false;
            }
            return true;
        case DataFileFormat::Binary:
            return m_bits.putBytes(p, size);
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
    DataFileFormat m_format;
    PackedCollector &m_bits;
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

ListResult decodeDevicePacked(DataFileFormat format, QIODevice &device, const QString &fileName,
                              PackedBits &bits, const ProgressFn &progress)
{
    const int factor = bitsPerInputByte(format);
    const qint64 knownSize = device.isSequential() ? -1 : device.size() - device.pos();
    if (knownSize >= 0 && format == DataFileFormat::Binary && knownSize > MaxBits / factor) {
        bits.clear();
        return ListMessages::dataFileOutOfRange(fileName);
    }
    const qint64 expected =
        knownSize >= 0 ? std::min<qint64>(knownSize, (MaxBits + factor - 1) / factor) * factor : 64 * 1024;

    PackedCollector collector(bits, expected);
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

ListResult decodeDevice(DataFileFormat format, QIODevice &device, const QString &fileName, QByteArray &bits,
                        const ProgressFn &progress)
{
    PackedBits packed;
    const ListResult result = decodeDevicePacked(format, device, fileName, packed, progress);
    bits.resize(int(packed.size()));
    packed.unpack(0, packed.size(), bits.data());
    return result;
}

ListResult decodeBytes(DataFileFormat format, const QByteArray &data, const QString &fileName,
                       QByteArray &bits, const ProgressFn &progress)
{
    QByteArray copy = data; // shared, not copied; QBuffer needs a non-const array
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return decodeDevice(format, buffer, fileName, bits, progress);
}

ListResult decodeFilePacked(DataFileFormat format, const QString &path, PackedBits &bits,
                            const ProgressFn &progress)
{
    const QString fileName = QFileInfo(path).fileName();
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        bits.clear();
        return ListMessages::dataFileOpen(fileName);
    }
    return decodeDevicePacked(format, file, fileName, bits, progress);
}

ListResult decodeFile(DataFileFormat format, const QString &path, QByteArray &bits,
                      const ProgressFn &progress)
{
    PackedBits packed;
    const ListResult result = decodeFilePacked(format, path, packed, progress);
    bits.resize(int(packed.size()));
    packed.unpack(0, packed.size(), bits.data());
    return result;
}

} // namespace DataFileDecoders
