#ifndef LISTFORGE_LISTS_DATALISTFILE_H
#define LISTFORGE_LISTS_DATALISTFILE_H

#include "lists/listresult.h"
#include "lists/packedbits.h"

#include <QByteArray>
#include <QDateTime>
#include <QPair>
#include <QScopedPointer>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

#include <functional>

class QIODevice;

// Binary data list files (".dm_iqd") and ASCII data lists (".dm_iqda").
//
// .dm_iqd layout: header text, ceil(n/8) data bytes (first bit = MSB, last byte padded with 0
// bits), "}". The header is six fields without separators or line ends:
//   {TYPE:GKR-DL}{COMMENT:c}{COPYRIGHT:Tarvik GmbH & Co. KG}{DATE:yyyy-MM-dd;hh:mm:ss}
//   {DATA BITLENGTH:n}{DATA LIST-m:#        with m = ceil(n/8) + 1
// The header is written and read as UTF-8; its length is always counted in bytes.
// .dm_iqda: only the "0"/"1" characters, nothing else.

namespace DataListFiles {
inline const QString BinaryExtension = QStringLiteral(".dm_iqd");
inline const QString AsciiExtension = QStringLiteral(".dm_iqda");
// Longest header searched for the closing "#", in characters.
constexpr int MaxHeaderChars = 400;

// `path` with `extension` appended unless it already ends with it.
QString withExtension(const QString &path, const QString &extension);

// Tag lookup in a header text: first occurrence of `tag` anywhere (case-sensitive, a comment
// included); content starts one character after the tag and ends before the next "}" or at the
// end of the text. Absent tag: empty, info trace "Tag '%1' was not found in data list header";
// empty content: info trace "No content assigned to tag '%1'". `found` (optional) tells which.
// `lastOccurrence` searches from the end instead: the reader takes DATA BITLENGTH that way, so a
// comment that happens to contain the tag name cannot shadow the real field behind it.
QString tagContent(const QString &headerText, const QString &tag, bool *found = nullptr,
                   bool lastOccurrence = false);
} // namespace DataListFiles

// The six header fields of the next binary file. The dialog rebuilds it at every view rebuild
// from the comment text and the clock; the writer re-derives the two length fields from the bits
// it writes, so a stale header can never describe the wrong length.
class DataListHeader
{
public:
    DataListHeader() = default;
    DataListHeader(const QString &comment, const QDateTime &stamp, qint64 bitCount);

    // "{TYPE:GKR-DL}", "{COMMENT:c}", "{COPYRIGHT:Tarvik GmbH & Co. KG}", "{DATE:d;t}",
    // "{DATA BITLENGTH:n}", "{DATA LIST-m:#"; all empty for a default-constructed header. A
    // comment too long for the header's 400 characters is cut to the characters that fit.
    QStringList fields() const;
    QString text() const;     // the fields concatenated
    QByteArray bytes() const; // text() in UTF-8
    bool isEmpty() const { return m_date.isEmpty(); }

    QString comment() const { return m_comment; }
    qint64 bitCount() const { return m_bitCount; }
    DataListHeader withBitCount(qint64 bitCount) const;
    // The same header with another comment; an empty header stays empty.
    DataListHeader withComment(const QString &comment) const;

private:
    QString m_comment;
    QString m_date; // "yyyy-MM-dd"
    QString m_time; // "hh:mm:ss"
    qint64 m_bitCount = 0;
};

// What a .dm_iqd header says, as the reader understood it.
struct DataListFileInfo
{
    qint64 headerBytes = 0; // bytes up to and including the first "#"
    QString headerText;     // header decoded, cut at its last ":"
    QString type;           // TYPE content
    QString comment;        // COMMENT content (cut at a "}" inside the comment)
    qint64 bitCount = 0;    // DATA BITLENGTH
    qint64 dataBytes = 0;   // ceil(bitCount / 8)
    // The standard tags found in the header (TYPE, COMMENT, COPYRIGHT, DATE, DATA BITLENGTH,
    // DATA LIST) with their contents, in that order.
    QVector<QPair<QString, QString>> tags;
};

// Reads one .dm_iqd. The header ends at the "#" of "{DATA LIST-m:#" (the first "#" when there is
// no such field), so a "#" typed into a comment does not cut the header short. open() checks everything that
// can be checked before touching a list: the header ("#" within 400 characters), the TYPE tag (must contain
// "GKR-DL"), DATA BITLENGTH (1..250,000,000, parsed before anything is allocated) and that the file holds
// ceil(n/8) data bytes. Refusals, with the bare file name:
//   "Unable to open data list file '%1'!"
//   "Header of selected data list file '%1' could not be determined!"
//   "Data list file '%1' has wrong type tag '%2'!"
//   "Amount of data bits in data list file '%1' is outside the specified range!"
//       (DATA BITLENGTH missing, unparsable, < 1, > 250,000,000, or data part too short)
//   "Unable to open data list file '%1' to read binary data!" (read error while reading bits)
// The DATA LIST count is informational; the bits are found from DATA BITLENGTH.
class DataListFileReader
{
public:
    DataListFileReader();
    ~DataListFileReader();

    ListResult open(const QString &path);
    // Reads from memory (tests, fuzzers); `fileName` names the data in messages.
    ListResult openBytes(const QByteArray &data, const QString &fileName);

    const DataListFileInfo &info() const { return m_info; }
    qint64 bitCount() const { return m_info.bitCount; }

    // After a successful open: writes exactly bitCount() "0"/"1" characters to dst.
    ListResult readBits(char *dst, const ProgressFn &progress = {});
    // After a successful open: hands the bits to `sink` in chunks of "0"/"1" characters, so that
    // a huge list never needs to be held at once. A sink returning false stops the read (the
    // result is then still a success).
    ListResult streamBits(const std::function<bool(const char *bits, qint64 count)> &sink);
    // After a successful open: hands the packed data part to `sink` as it is read (PackedSink
    // layout: the padding behind the last bit comes out as 0 bits whatever the file holds).
    ListResult streamPacked(const PackedSink &sink, const ProgressFn &progress = {});

private:
    ListResult parse(QIODevice &device);
    ListResult readPacked(const std::function<bool(const uchar *bytes, qint64 count)> &consume);

    QScopedPointer<QIODevice> m_device;
    QString m_fileName;
    DataListFileInfo m_info;
    bool m_open = false;
};

// Writers. Both write through a temporary file that replaces `path` only when everything was
// written, so a failed save keeps the previous file. `path` is used as given (append the
// extension with DataListFiles::withExtension first). `bits` holds only "0"/"1" characters.
namespace DataListFiles {
// .dm_iqd: "Unable to create and open data list file '%1'!" when the file cannot be created,
// "Unable to write data list file '%1'!" when writing or the final replace fails.
ListResult writeBinary(const QString &path, const char *bits, qint64 count, const DataListHeader &header,
                       const ProgressFn &progress = {});
// .dm_iqda: "Unable to create and open data list file (ASCII) '%1'!" /
// "Unable to write data list file (ASCII) '%1'!".
ListResult writeAscii(const QString &path, const char *bits, qint64 count, const ProgressFn &progress = {});
// The same two files from packed bits (PackedSink layout), byte for byte what the writers above
// make of the same bits as "0"/"1" characters.
ListResult writeBinaryPacked(const QString &path, const uchar *bytes, qint64 count,
                             const DataListHeader &header);
ListResult writeAsciiPacked(const QString &path, const uchar *bytes, qint64 count);

// Packs "0"/"1" characters eight to a byte, first character = MSB; a last partial group is padded
// with 0 bits. dst must hold ceil(count / 8) bytes.
void packBits(const char *bits, qint64 count, uchar *dst);
// The inverse: 8 characters per byte, MSB first. dst must hold 8 * count bytes.
void unpackBytes(const uchar *bytes, qint64 count, char *dst);
} // namespace DataListFiles

#endif
