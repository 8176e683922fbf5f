// listforge-cli controllist: writes a .dm_iqc control list file from tag strings, with the same
// checks as the Control tab of the list management dialog.

#include "cli/clicommands.h"
#include "cli/clioutput.h"
#include "lists/controllist.h"

#include <QDateTime>
#include <QFileInfo>

namespace {

const QString Command = QStringLiteral("controllist");

// Command-line option of each signal, in signal order 1..8.
const char *const SignalOptions[ControlList::SignalCount] = {
    "--marker1", "--marker2", "--marker3", "--marker4", "--burst", "--levatt", "--cw", "--hop"};

int signalIndexOf(const QString &option)
{
    for (int i = 0; i < ControlList::SignalCount; ++i) {
        if (option == QLatin1String(SignalOptions[i]))
            return i;
    }
    return -1;
}

} // namespace

int runControlListCommand(const QStringList &args)
{
    ControlList::ControlListData data;
    qint64 length = -1;
    QString output;

    for (int i = 0; i < args.size(); ++i) {
        const QString &option = args.at(i);
        if (i + 1 >= args.size())
            return CliOutput::usageError(Command, QStringLiteral("option '%1' needs a value.").arg(option));
        const QString value = args.at(++i);
        const int signal = signalIndexOf(option);
        if (signal >= 0) {
            data.tags[signal] = value;
        } else if (option == QLatin1String("--length")) {
            bool ok = false;
            length = value.toLongLong(&ok);
            if (!ok || length < ControlList::MinLength || length > ControlList::MaxLength)
                return CliOutput::usageError(Command,
                                             QStringLiteral("--length must be a number from %1 to %2.")
                                                 .arg(ControlList::MinLength)
                                                 .arg(ControlList::MaxLength));
        } else if (option == QLatin1String("--comment")) {
            // Stored as given or not at all: a script must not find another comment in the file.
            if (ControlList::fileSafeComment(value) != value)
                return CliOutput::refuse(ListResult::refusal(
                    QStringLiteral("A control list comment must not contain '}' or line breaks.")));
            data.strComment = value;
        } else if (option == QLatin1String("-o")) {
            output = value;
        } else {
            return CliOutput::usageError(Command, QStringLiteral("unknown option '%1'.").arg(option));
        }
    }
    if (length < 0)
        return CliOutput::usageError(Command, QStringLiteral("--length is required."));
    if (output.isEmpty())
        return CliOutput::usageError(Command, QStringLiteral("-o FILE is required."));

    for (const QString &tags : data.tags) {
        const ListResult valid = ControlList::validateTagString(tags);
        if (!valid.ok) {
            // Every line the dialog would trace, so a script sees which slope is wrong.
            for (const QString &line : valid.traceMessage.split(QLatin1Char('\n')))
                CliOutput::printErr(line);
            return CliStatus::Refused;
        }
    }
    if (!ControlList::signalsOutOfRange(data, length).isEmpty())
        return CliOutput::refuse(ListResult::refusal(
            QStringLiteral("Symbol index(es) of any control list tag exceed(s) max value!")));

    if (!output.endsWith(ControlList::FileExtension))
        output += ControlList::FileExtension;
    const QDateTime now = QDateTime::currentDateTime();
    data.strDateTime = QStringLiteral("%1;%2").arg(now.toString(QStringLiteral("yyyy-MM-dd")),
                                                   now.toString(QStringLiteral("hh:mm:ss")));
    data.strLength = QString::number(length);
    const ListResult written = ControlList::writeFile(output, data);
    if (!written.ok)
        return CliOutput::refuse(written);
    CliOutput::printOut(QStringLiteral("Control list file '%1' written.").arg(QFileInfo(output).fileName()));
    return CliStatus::Done;
}

int printControlListInfo(const QString &path)
{
    const ControlList::ReadResult read = ControlList::readFile(path);
    if (!read.result.ok)
        return CliOutput::refuse(read.result);
    for (const QString &trace : read.traces)
        CliOutput::printErr(trace);
    CliOutput::printOut(QStringLiteral("TYPE: %1").arg(read.data.strType));
    CliOutput::printOut(QStringLiteral("COMMENT: %1").arg(read.data.strComment));
    CliOutput::printOut(QStringLiteral("DATE: %1").arg(read.data.strDateTime));
    CliOutput::printOut(QStringLiteral("CONTROL LENGTH: %1").arg(read.data.strLength));
    for (int i = 0; i < ControlList::SignalCount; ++i)
        CliOutput::printOut(
            QStringLiteral("%1: %2").arg(ControlList::signalFileTags().at(i), read.data.tags[i]));
    return CliStatus::Done;
}
