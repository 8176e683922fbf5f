// listforge-cli upload: puts list files into the instrument's list directories.

#include "cli/clicommands.h"
#include "cli/cliinstrument.h"
#include "cli/clioutput.h"

#include <QFileInfo>
#include <QMap>

namespace {

const QString Command = QStringLiteral("upload");

} // namespace

int runUploadCommand(const QStringList &args)
{
    QString strResource;
    bool bolOverwrite = false;
    QStringList lstFiles;
    for (int i = 0; i < args.size(); ++i) {
        const QString &strArg = args.at(i);
        if (strArg == QLatin1String("--resource")) {
            if (i + 1 >= args.size())
                return CliOutput::usageError(Command, QStringLiteral("--resource needs a VISA resource."));
            strResource = args.at(++i);
        } else if (strArg == QLatin1String("--overwrite")) {
            bolOverwrite = true;
        } else if (strArg.startsWith(QLatin1String("--"))) {
            return CliOutput::usageError(Command, QStringLiteral("unknown option '%1'.").arg(strArg));
        } else {
            lstFiles << strArg;
        }
    }
    if (strResource.isEmpty())
        return CliOutput::usageError(Command, QStringLiteral("--resource is required."));
    if (lstFiles.isEmpty())
        return CliOutput::usageError(Command, QStringLiteral("at least one list file is required."));
    for (const QString &strFile : lstFiles) {
        const QString strSuffix = QFileInfo(strFile).suffix();
        if (strSuffix != QLatin1String("dm_iqd") && strSuffix != QLatin1String("dm_iqc"))
            return CliOutput::usageError(
                Command, QStringLiteral("'%1' is neither a .dm_iqd nor a .dm_iqc file.").arg(strFile));
    }

    CliInstrument instrument;
    if (!instrument.open(strResource, Command))
        return CliStatus::Refused;
    // The question the window would ask before a file on the instrument is replaced.
    ClsInstrControl::setConfirmHandler([bolOverwrite](const QString &strTitle, const QString &strText) {
        CliOutput::printOut(QStringLiteral("%1: %2 %3")
                                .arg(strTitle, strText,
                                     bolOverwrite ? QStringLiteral("Yes (--overwrite)")
                                                  : QStringLiteral("No (no --overwrite)")));
        return bolOverwrite;
    });

    int intFailed = 0;
    ClsInstrControl *ctl = instrument.control();
    for (const QString &strFile : lstFiles) {
        const QFileInfo info(strFile);
        const QString strDir = info.absolutePath() + QLatin1Char('/');
        const bool bolOk = info.suffix() == QLatin1String("dm_iqd")
                               ? ctl->uploadDataList(strDir, info.fileName())
                               : ctl->uploadControlList(strDir, info.fileName());
        if (!bolOk)
            ++intFailed;
    }
    ClsInstrControl::setConfirmHandler(nullptr);

    // The instrument stores a block after it has read it all, which may be after the last byte
    // left here. Reading its error queue waits for that and tells whether it really took the
    // files, so success is only reported for files that are on the instrument.
    QMap<QString, QString> mapErrors;
    const bool bolQueueRead = ctl->getErrorQueue(mapErrors);
    for (auto it = mapErrors.cbegin(); it != mapErrors.cend(); ++it)
        CliOutput::printErr(QStringLiteral("Queue error %1: %2").arg(it.key(), it.value()));
    if (intFailed > 0)
        CliOutput::printErr(QStringLiteral("listforge-cli upload: %1 of %2 file(s) not uploaded.")
                                .arg(intFailed)
                                .arg(lstFiles.size()));
    if (!bolQueueRead || !mapErrors.isEmpty())
        CliOutput::printErr(QStringLiteral("listforge-cli upload: the instrument reported errors."));
    if (intFailed > 0 || !bolQueueRead || !mapErrors.isEmpty())
        return CliStatus::Refused;
    return CliStatus::Done;
}
