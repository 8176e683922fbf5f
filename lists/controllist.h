#ifndef LISTFORGE_LISTS_CONTROLLIST_H
#define LISTFORGE_LISTS_CONTROLLIST_H

// Control lists: the eight per-symbol control signals (markers 1-4, burst, level attenuation,
// CW only, hop), their tag strings ("10:1;20:0": from symbol 10 high, from symbol 20 low) and the
// one-line ".dm_iqc" file. Widget-free; shared by the list management dialog, listforge-cli, the
// tests and the fuzzers.

#include "lists/listresult.h"

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>

namespace ControlList {

constexpr int SignalCount = 8;
constexpr qint64 MinLength = 1;
constexpr qint64 MaxLength = 20000000;
constexpr qint64 DefaultLength = 100;
const QString NeutralTags = QStringLiteral("0:0");
const QString FileType = QStringLiteral("GKR-CL");
const QString FileExtension = QStringLiteral(".dm_iqc");
// A control list file is one line; anything longer than this cannot come from a list that an
// instrument accepts, so it is refused instead of being read into memory.
constexpr qint64 MaxFileLineBytes = 64 * 1024 * 1024;

// Characters a comment cannot carry into the one-line file: "}" ends the COMMENT field (what
// followed would be read as further fields, so a comment could plant tags) and a line break
// ends the line (every tag after it would be lost).
const QString CommentStoppers = QStringLiteral("}\r\n");
// The comment without those characters; every writer stores this form.
QString fileSafeComment(const QString &strComment);

// File tag names of signals 1..8 ("MARKER LIST 1" ... "HOP LIST"), index 0 = signal 1.
const QStringList &signalFileTags();

// Checks the syntax of a tag string. A refusal carries, in `traceMessage`, the trace lines that
// explain it (one line, or two joined by a line feed, each without the "DLSMAN  : " prefix); the
// caller traces them. The rules apply in a fixed order and the first failure wins.
ListResult validateTagString(const QString &strTags);

// True when every slope's symbol index is a decimal number below `length` (the last allowed
// index is length - 1). Only meaningful for strings that validateTagString accepted; indexes too
// large to be numbers count as out of range.
bool indexesBelow(const QString &strTags, qint64 length);

// Everything a control list file holds.
struct ControlListData
{
    QString strType = FileType;
    QString strComment;
    QString strDateTime;                       // "yyyy-MM-dd;hh:mm:ss"
    QString strLength = QStringLiteral("100"); // as written in or read from the file
    std::array<QString, SignalCount> tags{NeutralTags, NeutralTags, NeutralTags, NeutralTags,
                                          NeutralTags, NeutralTags, NeutralTags, NeutralTags};
};

// Indexes of the signals whose tags do not fit `length` (0-based); empty when all fit.
QList<int> signalsOutOfRange(const ControlListData &data, qint64 length);

// The thirteen "{TAG:value}" fields in file order, without line end; the comment in its
// file-safe form.
QString composeFileLine(const ControlListData &data);

// Writes the file through a temporary file that replaces the target only when complete, so a
// failed save leaves the previous file intact. Refusals (%1 = bare file name): "Unable to create
// and open control list file '%1'!" when it cannot be created, "Unable to write control list file
// '%1'!" when writing or the final replace fails.
ListResult writeFile(const QString &strPath, const ControlListData &data);

// Tag lookup in a file line: the content of the first "{TAG:" field up to its closing "}" (or the
// end of the line when it is not closed). Fields may be separated by blanks; a "{TAG:" inside the
// COMMENT field's content is not a field. Absent or empty content gives `strDefault`; with
// `bolValidate` so does content that is not a valid tag string. Every fallback adds its trace
// line (without prefix) to `traces` when given.
QString lookupTag(const QString &strLine, const QString &strTag, const QString &strDefault, bool bolValidate,
                  QStringList *traces = nullptr);

struct ReadResult
{
    ListResult result;
    ControlListData data;
    QStringList traces; // tag lookup fallbacks and validation lines, without prefix
};

// Reads a control list file. Refusals: "Unable to open control list file '%1'!" and "Control
// list file '%1' has wrong type '%2' tag!" (%1 = bare file name, %2 = TYPE content).
ReadResult readFile(const QString &strPath);

// The same from an open device (a file, or bytes in memory); `strName` stands in the messages.
ReadResult readDevice(QIODevice &device, const QString &strName);

} // namespace ControlList

#endif
