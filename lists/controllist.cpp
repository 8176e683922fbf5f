#include "lists/controllist.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "lists/savefile.h"

namespace ControlList {

namespace {

const QString AllowedCharacters = QStringLiteral("0123456789:;");

QString bareName(const QString &strPath)
{
    return QFileInfo(strPath).fileName();
}

ListResult slopeRefusal(const QString &strTags, const QString &strSlopeLine)
{
    return ListResult::refusal(
        strSlopeLine,
        strSlopeLine + QLatin1Char('\n') +
            QStringLiteral("Any slope of tag string '%1' does not comply with the specification!")
                .arg(strTags));
}

// The first "{COMMENT:" is the real field: TYPE, the only field before it, cannot hold one.
// Returns the range of its content (end exclusive, the closing "}" or the end of the line).
QPair<int, int> commentContent(const QString &strLine)
{
    static const QString strKey = QStringLiteral("{COMMENT:");
    const int intStart = strLine.indexOf(strKey);
    if (intStart < 0)
        return {-1, -1};
    const int intContent = intStart + strKey.size();
    const int intEnd = strLine.indexOf(QLatin1Char('}'), intContent);
    return {intContent, intEnd < 0 ? strLine.size() : intEnd};
}

} // namespace

QString fileSafeComment(const QString &strComment)
{
    QString strSafe = strComment;
    for (const QChar ch : CommentStoppers)
        strSafe.remove(ch);
    return strSafe;
}

const QStringList &signalFileTags()
{
    static const QStringList tags = {QStringLiteral("MARKER LIST 1"), QStringLiteral("MARKER LIST 2"),
                                     QStringLiteral("MARKER LIST 3"), QStringLiteral("MARKER LIST 4"),
                                     QStringLiteral("BURST LIST"),    QStringLiteral("LEVATT LIST 1"),
                                     QStringLiteral("CW MODE LIST"),  QStringLiteral("HOP LIST")};
    return tags;
}

ListResult validateTagString(const QString &strTags)
{
    for (const QChar ch : strTags) {
        if (!AllowedCharacters.contains(ch)) {
            const QString strLine =
                QStringLiteral("Tag string '%1' contains unsupported characters!").arg(strTags);
            return ListResult::refusal(strLine, strLine);
        }
    }

    // Empty parts are kept on purpose: an empty text and stray semicolons are empty slopes,
    // which the instrument would refuse.
    const QStringList slopes = strTags.split(QLatin1Char(';'), Qt::KeepEmptyParts);
    for (const QString &strSlope : slopes) {
        if (strSlope.count(QLatin1Char(':')) != 1)
            return slopeRefusal(
                strTags, QStringLiteral("Certain tag slop '%1' contains not only one ':'!").arg(strSlope));
        const int intColon = strSlope.indexOf(QLatin1Char(':'));
        if (intColon != strSlope.size() - 2)
            return slopeRefusal(
                strTags,
                QStringLiteral("Certain tag slop '%1' contains no level value or level with to many digits!")
                    .arg(strSlope));
        const QChar level = strSlope.at(intColon + 1);
        if (level != QLatin1Char('0') && level != QLatin1Char('1'))
            return slopeRefusal(strTags,
                                QStringLiteral("Certain tag slop '%1' contains unspecified level value '%2'!")
                                    .arg(strSlope, QString(level)));
        if (intColon == 0)
            return slopeRefusal(
                strTags, QStringLiteral("Certain tag slop '%1' contains no symbol index!").arg(strSlope));
    }
    return ListResult::success();
}

bool indexesBelow(const QString &strTags, qint64 length)
{
    const QStringList slopes = strTags.split(QLatin1Char(';'), Qt::KeepEmptyParts);
    for (const QString &strSlope : slopes) {
        bool ok = false;
        const qint64 index = strSlope.section(QLatin1Char(':'), 0, 0).toLongLong(&ok);
        if (!ok || index < 0 || index >= length)
            return false;
    }
    return true;
}

QList<int> signalsOutOfRange(const ControlListData &data, qint64 length)
{
    QList<int> outOfRange;
    for (int i = 0; i < SignalCount; ++i) {
        if (!indexesBelow(data.tags[i], length))
            outOfRange.append(i);
    }
    return outOfRange;
}

QString composeFileLine(const ControlListData &data)
{
    const QString field = QStringLiteral("{%1:%2}");
    QString strLine = field.arg(QStringLiteral("TYPE"), data.strType) +
                      field.arg(QStringLiteral("COMMENT"), fileSafeComment(data.strComment)) +
                      field.arg(QStringLiteral("COPYRIGHT"), QStringLiteral("Tarvik GmbH & Co. KG")) +
                      field.arg(QStringLiteral("DATE"), data.strDateTime) +
                      field.arg(QStringLiteral("CONTROL LENGTH"), data.strLength);
    for (int i = 0; i < SignalCount; ++i)
        strLine += field.arg(signalFileTags().at(i), data.tags[i]);
    return strLine;
}

ListResult writeFile(const QString &strPath, const ControlListData &data)
{
    const QString strName = bareName(strPath);
    QSaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly))
        return ListResult::refusal(
            QStringLiteral("Unable to create and open control list file '%1'!").arg(strName));
    const QByteArray baLine = composeFileLine(data).toLocal8Bit();
    if (!finishSave(file, file.write(baLine) == baLine.size()))
        return ListResult::refusal(QStringLiteral("Unable to write control list file '%1'!").arg(strName));
    return ListResult::success();
}

QString lookupTag(const QString &strLine, const QString &strTag, const QString &strDefault, bool bolValidate,
                  QStringList *traces)
{
    auto fallback = [&](const QString &strTrace) {
        if (traces)
            traces->append(strTrace);
        return strDefault;
    };
    // A comment that mentions "{TAG:" must not be taken for that tag, so the COMMENT field's
    // content is skipped; anything else between fields (blanks) does not matter.
    const QString strKey = QLatin1Char('{') + strTag + QLatin1Char(':');
    const QPair<int, int> comment = commentContent(strLine);
    int intStart = strLine.indexOf(strKey);
    while (intStart >= comment.first && intStart < comment.second)
        intStart = strLine.indexOf(strKey, comment.second);
    if (intStart < 0)
        return fallback(QStringLiteral("Tag '%1' was not found in control list file").arg(strTag));
    const int intContent = intStart + strKey.size();
    const int intEnd = strLine.indexOf(QLatin1Char('}'), intContent);
    const QString strContent =
        intEnd < 0 ? strLine.mid(intContent) : strLine.mid(intContent, intEnd - intContent);
    if (strContent.isEmpty())
        return fallback(QStringLiteral("No content assigned to tag '%1'").arg(strTag));
    if (bolValidate) {
        const ListResult valid = validateTagString(strContent);
        if (!valid.ok) {
            if (traces)
                traces->append(valid.traceMessage.split(QLatin1Char('\n')));
            return fallback(QStringLiteral("Unspecified content assigned to tag '%1'").arg(strTag));
        }
    }
    return strContent;
}

ReadResult readFile(const QString &strPath)
{
    const QString strName = bareName(strPath);
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        ReadResult read;
        read.result =
            ListResult::refusal(QStringLiteral("Unable to open control list file '%1'!").arg(strName));
        return read;
    }
    return readDevice(file, strName);
}

ReadResult readDevice(QIODevice &device, const QString &strName)
{
    ReadResult read;
    // Only the first line counts; it is read with a bound so a huge or endless file cannot
    // exhaust memory. It is read in pieces: one readLine() with the whole bound would reserve
    // the full 64 MiB for every file, however short.
    QByteArray bytes;
    while (bytes.size() <= MaxFileLineBytes) {
        const QByteArray piece = device.readLine(64 * 1024);
        bytes += piece;
        if (piece.isEmpty() || piece.endsWith('\n'))
            break;
    }
    if (bytes.size() > MaxFileLineBytes) {
        read.result =
            ListResult::refusal(QStringLiteral("Unable to open control list file '%1'!").arg(strName));
        return read;
    }
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    const QString strLine = QString::fromLocal8Bit(bytes);

    const QString strType = lookupTag(strLine, QStringLiteral("TYPE"), QString(), false, &read.traces);
    if (!strType.contains(FileType)) {
        read.result = ListResult::refusal(
            QStringLiteral("Control list file '%1' has wrong type '%2' tag!").arg(strName, strType));
        return read;
    }
    read.data.strType = strType;
    read.data.strComment = lookupTag(strLine, QStringLiteral("COMMENT"), QString(), false, &read.traces);
    // The date is informative only; its absence is not worth a trace line.
    read.data.strDateTime = lookupTag(strLine, QStringLiteral("DATE"), QString(), false);
    read.data.strLength =
        lookupTag(strLine, QStringLiteral("CONTROL LENGTH"), QString(), false, &read.traces);
    for (int i = 0; i < SignalCount; ++i)
        read.data.tags[i] = lookupTag(strLine, signalFileTags().at(i), NeutralTags, true, &read.traces);
    read.result = ListResult::success();
    return read;
}

} // namespace ControlList
