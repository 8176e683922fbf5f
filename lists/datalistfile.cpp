#include "lists/datalistfile.h"

#include "app/tracer.h"
#include "lists/listmessages.h"
#include "lists/savefile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

constexpr qint64 MaxBits = 250000000;
// Whole progress steps of packed bytes, so progress lands on multiples of ProgressStepBits.
constexpr qint64 SliceBytes = ProgressStepBits / 8;
constexpr qint64 IoChunkBytes = 52 * SliceBytes; // 65,000 bytes

const QString TagType = QStringLiteral("TYPE");
const QString TagComment = QStringLiteral("COMMENT");
const QString TagCopyright = QStringLiteral("COPYRIGHT");
const QString TagDate = QStringLiteral("DATE");
const QString TagBitLength = QStringLiteral("DATA BITLENGTH");
const QString TagDataList = QStringLiteral("DATA LIST");

QString findTag(const QString &header, const QString &tag, bool lastOccurrence, bool *found)
{
    const int at = lastOccurrence ? header.lastIndexOf(tag) : header.indexOf(tag);
    *found = at >= 0;
    if (at < 0)
        return QString();
    const int start = at + tag.size() + 1; // skips the ":" or "-" behind the name
    if (start >= header.size())
        return QString();
    int end = header.indexOf(QLatin1Char('}'), start);
    if (end < 0)
        end = header.size();
    return header.mid(start, end - start);
}

struct PackTables
{
    char byteChars[256][8]; // MSB first
    PackTables()
    {
        for (int v = 0; v < 256; ++v) {
            for (int k = 0; k < 8; ++k)
                byteChars[v][k] = char('0' + ((v >> (7 - k)) & 1));
        }
    }
};

const PackTables &packTables()
{
    static const PackTables t;
    return t;
}

// Bytes of the first `chars` characters of UTF-8 text (continuation bytes belong to the
// character before them).
int bytesOfLeadingChars(const QByteArray &text, int chars)
{
    int counted = 0;
    for (int i = 0; i < text.size(); ++i) {
        const uchar b = uchar(text.at(i));
        if ((b & 0xC0) != 0x80) {
            if (counted == chars)
                return i;
            ++counted;
        }
    }
    return text.size();
}

// The first `count` characters (code points, as the reader counts them) of `text`.
QString leadingCharacters(const QString &text, int count)
{
    int units = 0;
    for (int chars = 0; chars < count && units < text.size(); ++chars)
        units += text.at(units).isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    return text.left(units);
}

// Offset just behind the "#" that ends the header, or -1. The writer's last field is
// "{DATA LIST-m:#"; its "#" is the real end even when a comment before it holds a "#". Files
// without that field end at their first "#".
int headerEnd(const QByteArray &head)
{
    static const QByteArray fieldStart = QByteArrayLiteral("{DATA LIST-");
    for (int at = head.indexOf(fieldStart); at >= 0; at = head.indexOf(fieldStart, at + 1)) {
        int i = at + fieldStart.size();
        while (i < head.size() && head.at(i) >= '0' && head.at(i) <= '9')
            ++i;
        if (i + 1 < head.size() && head.at(i) == ':' && head.at(i + 1) == '#')
            return i + 2;
    }
    const int hash = head.indexOf('#');
    return hash < 0 ? -1 : hash + 1;
}

} // namespace

namespace DataListFiles {

QString withExtension(const QString &path, const QString &extension)
{
    return path.endsWith(extension) ? path : path + extension;
}

QString tagContent(const QString &headerText, const QString &tag, bool *found, bool lastOccurrence)
{
    bool present = false;
    const QString content = findTag(headerText, tag, lastOccurrence, &present);
    if (!present)
        Tracer::traceInfo(QStringLiteral("DLSMAN  : Tag '%1' was not found in data list header").arg(tag));
    else if (content.isEmpty())
        Tracer::traceInfo(QStringLiteral("DLSMAN  : No content assigned to tag '%1'").arg(tag));
    if (found)
        *found = present;
    return content;
}

void packBits(const char *bits, qint64 count, uchar *dst)
{
    const qint64 whole = count / 8;
    for (qint64 i = 0; i < whole; ++i) {
        // The low bit of "0"/"1" is the bit. Gather the eight low bits, first character into
        // bit 7: each lands on its own position of the top byte without carries.
        const quint64 word = qFromLittleEndian<quint64>(bits + 8 * i) & 0x0101010101010101ULL;
        dst[i] = uchar((word * 0x8040201008040201ULL) >> 56);
    }
    const qint64 rest = count - 8 * whole;
    if (rest > 0) {
        uchar last = 0;
        for (qint64 k = 0; k < rest; ++k)
            last |= uchar((bits[8 * whole + k] & 1) << (7 - k));
        dst[whole] = last;
    }
}

void unpackBytes(const uchar *bytes, qint64 count, char *dst)
{
    const PackTables &t = packTables();
    for (qint64 i = 0; i < count; ++i)
        std::memcpy(dst + 8 * i, t.byteChars[bytes[i]], 8);
}

namespace {

// A writer with progress reporting keeps reporting "all written" while the file goes to disk.
std::function<void()> whileSyncing(const ProgressFn &progress, qint64 count)
{
    if (!progress)
        return {};
    return [progress, count] { progress(count); };
}

// Both binary writers: header, the packed bytes that `fill` puts into each chunk (whole progress
// slices), "}".
template <typename Fill>
ListResult writeBinaryFile(const QString &path, qint64 count, const DataListHeader &header,
                           const ProgressFn &progress, Fill fill)
{
    const QString fileName = QFileInfo(path).fileName();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return ListMessages::dataListCreate(fileName);

    const QDateTime now = QDateTime::currentDateTime();
    const DataListHeader fields = header.isEmpty() ? DataListHeader(QString(), now, count) : header;
    bool ok = file.write(fields.withBitCount(count).bytes()) >= 0;

    QByteArray chunk(int(IoChunkBytes), Qt::Uninitialized);
    const qint64 bytesTotal = (count + 7) / 8;
    for (qint64 byte = 0; ok && byte < bytesTotal;) {
        const qint64 chunkBytes = std::min(IoChunkBytes, bytesTotal - byte);
        const char *out = fill(byte, chunkBytes, reinterpret_cast<uchar *>(chunk.data()));
        ok = file.write(out, chunkBytes) == chunkBytes;
        byte += chunkBytes;
    }
    if (!finishSave(file, ok && file.write("}", 1) == 1, whileSyncing(progress, count)))
        return ListMessages::dataListWrite(fileName);
    return ListResult::success(count);
}

template <typename Fill>
ListResult writeAsciiFile(const QString &path, qint64 count, const ProgressFn &progress, Fill fill)
{
    const QString fileName = QFileInfo(path).fileName();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return ListMessages::asciiDataListCreate(fileName);
    bool ok = true;
    for (qint64 pos = 0; ok && pos < count;) {
        const qint64 n = std::min<qint64>(ProgressStepBits * 32, count - pos);
        ok = file.write(fill(pos, n), n) == n;
        pos += n;
        if (progress)
            progress(pos);
    }
    if (!finishSave(file, ok, whileSyncing(progress, count)))
        return ListMessages::asciiDataListWrite(fileName);
    return ListResult::success(count);
}

} // namespace

ListResult writeBinary(const QString &path, const char *bits, qint64 count, const DataListHeader &header,
                       const ProgressFn &progress)
{
    return writeBinaryFile(path, count, header, progress, [&](qint64 byte, qint64 chunkBytes, uchar *packed) {
        for (qint64 done = 0; done < chunkBytes; done += SliceBytes) {
            const qint64 n = std::min(SliceBytes, chunkBytes - done);
            const qint64 firstBit = 8 * (byte + done);
            const qint64 sliceBits = std::min(8 * n, count - firstBit);
            packBits(bits + firstBit, sliceBits, packed + done);
            if (progress)
                progress(firstBit + sliceBits);
        }
        return reinterpret_cast<const char *>(packed);
    });
}

ListResult writeBinaryPacked(const QString &path, const uchar *bytes, qint64 count,
                             const DataListHeader &header)
{
    return writeBinaryFile(path, count, header, {}, [bytes](qint64 byte, qint64, uchar *) {
        return reinterpret_cast<const char *>(bytes + byte);
    });
}

ListResult writeAscii(const QString &path, const char *bits, qint64 count, const ProgressFn &progress)
{
    return writeAsciiFile(path, count, progress, [bits](qint64 pos, qint64) { return bits + pos; });
}

ListResult writeAsciiPacked(const QString &path, const uchar *bytes, qint64 count)
{
    QByteArray text(int(ProgressStepBits * 32), Qt::Uninitialized);
    return writeAsciiFile(path, count, {}, [&](qint64 pos, qint64 n) {
        unpackBytes(bytes + pos / 8, (n + 7) / 8, text.data()); // pos is a multiple of 8
        return text.constData();
    });
}

} // namespace DataListFiles

DataListHeader::DataListHeader(const QString &comment, const QDateTime &stamp, qint64 bitCount)
    : m_comment(comment), m_date(stamp.toString(QStringLiteral("yyyy-MM-dd"))),
      m_time(stamp.toString(QStringLiteral("hh:mm:ss"))), m_bitCount(bitCount)
{
}

QStringList DataListHeader::fields() const
{
    if (isEmpty())
        return QStringList{QString(), QString(), QString(), QString(), QString(), QString()};
    const QString field = QStringLiteral("{%1:%2}");
    QStringList fields{
        field.arg(TagType, QStringLiteral("GKR-DL")),
        field.arg(TagComment, QString()),
        field.arg(TagCopyright, QStringLiteral("Tarvik GmbH & Co. KG")),
        QStringLiteral("{%1:%2;%3}").arg(TagDate, m_date, m_time),
        field.arg(TagBitLength, QString::number(m_bitCount)),
        QStringLiteral("{%1-%2:#").arg(TagDataList, QString::number((m_bitCount + 7) / 8 + 1))};
    // Readers (the instrument's as well) look for the "#" that ends the header within its first
    // MaxHeaderChars characters, so the comment gets what the other fields leave of them.
    const int budget = DataListFiles::MaxHeaderChars - int(fields.join(QString()).toUcs4().size());
    fields[1] = field.arg(TagComment, leadingCharacters(m_comment, budget));
    return fields;
}

QString DataListHeader::text() const
{
    return fields().join(QString());
}

QByteArray DataListHeader::bytes() const
{
    return text().toUtf8();
}

DataListHeader DataListHeader::withBitCount(qint64 bitCount) const
{
    DataListHeader copy = *this;
    copy.m_bitCount = bitCount;
    return copy;
}

DataListHeader DataListHeader::withComment(const QString &comment) const
{
    DataListHeader copy = *this;
    if (!isEmpty())
        copy.m_comment = comment;
    return copy;
}

DataListFileReader::DataListFileReader() = default;
DataListFileReader::~DataListFileReader() = default;

ListResult DataListFileReader::open(const QString &path)
{
    m_open = false;
    m_info = DataListFileInfo();
    m_fileName = QFileInfo(path).fileName();
    auto *file = new QFile(path);
    m_device.reset(file);
    if (QFileInfo(path).isDir() || !file->open(QIODevice::ReadOnly))
        return ListMessages::dataListOpen(m_fileName);
    return parse(*file);
}

ListResult DataListFileReader::openBytes(const QByteArray &data, const QString &fileName)
{
    m_open = false;
    m_info = DataListFileInfo();
    m_fileName = fileName;
    auto *buffer = new QBuffer;
    buffer->setData(data);
    m_device.reset(buffer);
    if (!buffer->open(QIODevice::ReadOnly))
        return ListMessages::dataListOpen(m_fileName);
    return parse(*buffer);
}

ListResult DataListFileReader::parse(QIODevice &device)
{
    // Enough bytes for 400 characters of UTF-8.
    const QByteArray head = device.peek(4 * DataListFiles::MaxHeaderChars);
    const QByteArray window = head.left(bytesOfLeadingChars(head, DataListFiles::MaxHeaderChars));
    const int headerBytes = headerEnd(window);
    if (headerBytes < 0)
        return ListMessages::dataListHeaderMissing(m_fileName);

    DataListFileInfo info;
    info.headerBytes = headerBytes;
    info.headerText = QString::fromUtf8(head.constData(), headerBytes);
    const int lastColon = info.headerText.lastIndexOf(QLatin1Char(':'));
    if (lastColon >= 0)
        info.headerText.truncate(lastColon);

    bool found = false;
    info.type = DataListFiles::tagContent(info.headerText, TagType, &found);
    if (!info.type.contains(QLatin1String("GKR-DL")))
        return ListMessages::dataListWrongType(m_fileName, info.type);
    info.tags.append({TagType, info.type});

    info.comment = DataListFiles::tagContent(info.headerText, TagComment, &found);
    if (found)
        info.tags.append({TagComment, info.comment});
    for (const QString &tag : {TagCopyright, TagDate}) {
        const QString content = findTag(info.headerText, tag, false, &found);
        if (found)
            info.tags.append({tag, content});
    }
    const QString bitLength = DataListFiles::tagContent(info.headerText, TagBitLength, &found, true);
    if (found)
        info.tags.append({TagBitLength, bitLength});
    const QString dataList = DataListFiles::tagContent(info.headerText, TagDataList, &found);
    if (found)
        info.tags.append({TagDataList, dataList});

    // The length decides every allocation that follows, so it is settled here: unparsable,
    // empty, oversized, or more than the file holds, it is refused before anything is reserved.
    bool parsed = false;
    info.bitCount = bitLength.toLongLong(&parsed);
    if (!parsed || info.bitCount <= 0 || info.bitCount > MaxBits)
        return ListMessages::dataListOutOfRange(m_fileName);
    info.dataBytes = (info.bitCount + 7) / 8;
    if (!device.isSequential() && device.size() - headerBytes < info.dataBytes)
        return ListMessages::dataListOutOfRange(m_fileName);
    if (device.skip(headerBytes) != headerBytes)
        return ListMessages::dataListReadBinary(m_fileName);

    m_info = info;
    m_open = true;
    return ListResult::success(info.bitCount);
}

ListResult DataListFileReader::readPacked(const std::function<bool(const uchar *, qint64)> &consume)
{
    if (!m_open || !m_device)
        return ListMessages::dataListReadBinary(m_fileName);
    m_open = false; // the device position moves on; one read per open()
    // A small list needs no full chunk; most lists are small, and a large buffer costs a fresh
    // mapping of the memory at every read.
    QByteArray chunk(int(std::min(IoChunkBytes, m_info.dataBytes)), Qt::Uninitialized);
    for (qint64 remaining = m_info.dataBytes; remaining > 0;) {
        const qint64 got = m_device->read(chunk.data(), std::min(IoChunkBytes, remaining));
        if (got < 0)
            return ListMessages::dataListReadBinary(m_fileName);
        if (got == 0) // shorter than announced (only possible for devices of unknown size)
            return ListMessages::dataListOutOfRange(m_fileName);
        remaining -= got;
        // The padding behind the last bit is whatever the file holds; callers get it as 0 bits.
        if (remaining == 0 && m_info.bitCount % 8)
            chunk[int(got - 1)] =
                char(uchar(chunk.at(int(got - 1))) & uchar(0xFF << (8 - m_info.bitCount % 8)));
        if (!consume(reinterpret_cast<const uchar *>(chunk.constData()), got))
            break;
    }
    return ListResult::success(m_info.bitCount);
}

ListResult DataListFileReader::readBits(char *dst, const ProgressFn &progress)
{
    const qint64 bitCount = m_info.bitCount;
    qint64 pos = 0;
    return readPacked([&](const uchar *bytes, qint64 count) {
        for (qint64 done = 0; done < count; done += SliceBytes) {
            const qint64 n = std::min(SliceBytes, count - done);
            const qint64 bits = std::min(8 * n, bitCount - pos);
            const qint64 whole = bits / 8;
            DataListFiles::unpackBytes(bytes + done, whole, dst + pos);
            if (bits > 8 * whole) {
                char last[8];
                DataListFiles::unpackBytes(bytes + done + whole, 1, last);
                std::memcpy(dst + pos + 8 * whole, last, size_t(bits - 8 * whole));
            }
            pos += bits;
            if (progress)
                progress(pos);
        }
        return true;
    });
}

ListResult DataListFileReader::streamPacked(const PackedSink &sink, const ProgressFn &progress)
{
    const qint64 bitCount = m_info.bitCount;
    qint64 pos = 0;
    return readPacked([&](const uchar *bytes, qint64 count) {
        // Progress steps are smaller than the read chunks.
        for (qint64 done = 0; done < count; done += SliceBytes) {
            const qint64 bits = std::min(8 * std::min(SliceBytes, count - done), bitCount - pos);
            pos += bits;
            if (!sink(bytes + done, bits))
                return false;
            if (progress)
                progress(pos);
        }
        return true;
    });
}

ListResult DataListFileReader::streamBits(const std::function<bool(const char *, qint64)> &sink)
{
    const qint64 bitCount = m_info.bitCount;
    qint64 pos = 0;
    QByteArray text(int(8 * std::min(IoChunkBytes, m_info.dataBytes)), Qt::Uninitialized);
    return readPacked([&](const uchar *bytes, qint64 count) {
        DataListFiles::unpackBytes(bytes, count, text.data());
        const qint64 bits = std::min(8 * count, bitCount - pos);
        pos += bits;
        return sink(text.constData(), bits);
    });
}
