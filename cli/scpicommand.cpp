// listforge-cli scpi: sends commands and queries as the remote control panel does.

#include "cli/clicommands.h"
#include "cli/cliinstrument.h"
#include "cli/clioutput.h"

#include <QMap>

namespace {

const QString Command = QStringLiteral("scpi");

void printErrors(const QString &strCaption, const QMap<QString, QString> &mapErrors)
{
    if (mapErrors.isEmpty())
        return;
    CliOutput::printOut(strCaption);
    for (auto it = mapErrors.constBegin(); it != mapErrors.constEnd(); ++it)
        CliOutput::printOut(QStringLiteral("  %1\t%2").arg(it.key(), it.value()));
}

} // namespace

int runScpiCommand(const QStringList &args)
{
    QString strResource;
    ClsInstrControl::EnuOpcType enuMode = ClsInstrControl::OpcNone;
    QStringList lstCommands;
    for (int i = 0; i < args.size(); ++i) {
        const QString &strArg = args.at(i);
        if (strArg == QLatin1String("--resource")) {
            if (i + 1 >= args.size())
                return CliOutput::usageError(Command, QStringLiteral("--resource needs a VISA resource."));
            strResource = args.at(++i);
        } else if (strArg == QLatin1String("--opc") || strArg == QLatin1String("--opc-loop")) {
            if (enuMode != ClsInstrControl::OpcNone)
                return CliOutput::usageError(Command,
                                             QStringLiteral("--opc and --opc-loop exclude each other."));
            enuMode = strArg == QLatin1String("--opc") ? ClsInstrControl::OpcQuery : ClsInstrControl::OpcLoop;
        } else if (strArg.startsWith(QLatin1String("--"))) {
            return CliOutput::usageError(Command, QStringLiteral("unknown option '%1'.").arg(strArg));
        } else {
            lstCommands << strArg;
        }
    }
    if (strResource.isEmpty())
        return CliOutput::usageError(Command, QStringLiteral("--resource is required."));
    if (lstCommands.isEmpty())
        return CliOutput::usageError(Command, QStringLiteral("at least one command is required."));

    CliInstrument instrument;
    if (!instrument.open(strResource, Command))
        return CliStatus::Refused;
    ClsInstrControl *ctl = instrument.control();
    bool bolFailed = false;
    for (const QString &strCmd : lstCommands) {
        const int intErrorsBefore = instrument.errorCount();
        // As in the remote control panel: a text with "?" is a query and gets no completion check.
        if (strCmd.contains(QLatin1Char('?'))) {
            const QString strReply = ctl->queryCommand(strCmd);
            if (instrument.errorCount() == intErrorsBefore)
                CliOutput::printOut(QStringLiteral("Reply: %1").arg(strReply));
        } else {
            ctl->sendCommand(strCmd, enuMode, 100, 30000);
        }
        bolFailed = bolFailed || instrument.errorCount() != intErrorsBefore;
        CliOutput::printOut(QStringLiteral("Duration: %1 ms").arg(ctl->getLastCmdDuration()));

        QMap<QString, QString> mapStatic;
        QMap<QString, QString> mapQueue;
        const bool bolErrorsRead = ctl->getStaticErrors(mapStatic) & ctl->getErrorQueue(mapQueue);
        printErrors(QStringLiteral("Static Errors:"), mapStatic);
        printErrors(QStringLiteral("Queue Errors:"), mapQueue);
        bolFailed = bolFailed || !bolErrorsRead || !mapStatic.isEmpty() || !mapQueue.isEmpty();
    }
    return bolFailed ? CliStatus::Refused : CliStatus::Done;
}
