// listforge-cli discover: the LAN scan of the instrument management dialog, for scripts.

#include "cli/clicommands.h"
#include "cli/clioutput.h"
#include "instrmanage/clsinstrscanner.h"

#include <QEventLoop>
#include <QStringList>

namespace {

const QString Command = QStringLiteral("discover");

// Reads "[--expression EXPR]" (also "--expression=EXPR"); false after a usage message.
bool parseArguments(const QStringList &args, QString &strExpression, int &intStatus)
{
    const QString strOption = QStringLiteral("--expression");
    bool bolSeen = false;
    for (int intIndex = 0; intIndex < args.size(); ++intIndex) {
        const QString &strArg = args.at(intIndex);
        QString strValue;
        if (strArg == strOption) {
            if (intIndex + 1 >= args.size()) {
                intStatus = CliOutput::usageError(Command, QStringLiteral("--expression needs a value."));
                return false;
            }
            strValue = args.at(++intIndex);
        } else if (strArg.startsWith(strOption + QLatin1Char('='))) {
            strValue = strArg.mid(strOption.size() + 1);
        } else {
            intStatus =
                CliOutput::usageError(Command, QStringLiteral("unexpected argument '%1'.").arg(strArg));
            return false;
        }
        if (bolSeen) {
            intStatus = CliOutput::usageError(Command, QStringLiteral("--expression given twice."));
            return false;
        }
        bolSeen = true;
        strExpression = strValue;
    }
    return true;
}

} // namespace

int runDiscoverCommand(const QStringList &args)
{
    QString strExpression;
    int intStatus = CliStatus::Done;
    if (!parseArguments(args, strExpression, intStatus))
        return intStatus;

    ClsInstrScanner scanner;
    QEventLoop loop;
    // The scanner ends every scan with exactly one of these, at the latest when its collection
    // window and the bounded identification waits have run out.
    QObject::connect(&scanner, &ClsInstrScanner::newVxiInstrs, &loop, &QEventLoop::quit);
    QObject::connect(&scanner, &ClsInstrScanner::noVxiInstrs, &loop, &QEventLoop::quit);
    scanner.startLanScan(strExpression);
    if (scanner.isScanning())
        loop.exec();

    if (scanner.udpSocketCount() == 0) {
        CliOutput::printErr(
            QStringLiteral("listforge-cli discover: no UDP socket could be bound to port %1 of an "
                           "IPv4 address of host '%2'.")
                .arg(ClsInstrScanner::LocalUdpPort)
                .arg(scanner.localHostName()));
        return CliStatus::Refused;
    }
    if (scanner.hosts().isEmpty()) {
        CliOutput::printOut(QStringLiteral("No instrument found."));
        return CliStatus::Done;
    }
    for (const InstrScanHost &host : scanner.hosts())
        CliOutput::printOut(QStringList{host.resource, host.instrType, host.serialNumber, host.firmware}.join(
            QLatin1Char('\t')));
    return CliStatus::Done;
}
