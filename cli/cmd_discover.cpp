// listforge-cli discover: the LAN scan of the instrument management dialog, for scripts.

#include "cli/clicommands.h"
#include "cli/clioutput.h"
#include "instrmanage/clsinstrscanner.h"

#include <QEventLoop>
#include <QStringList>

namespace {

const QString Command = QStringLiteral("discover");

// Reads "[--expression EXPR] [--method portmapper|mdns|both]" (also "--option=VALUE"); false
// after a usage message.
bool parseArguments(const QStringList &args, QString &strExpression, LanScanMethod &method, int &intStatus)
{
    const QStringList lstOptions = {QStringLiteral("--expression"), QStringLiteral("--method")};
    QStringList lstSeen;
    for (int intIndex = 0; intIndex < args.size(); ++intIndex) {
        const QString &strArg = args.at(intIndex);
        QString strOption = strArg.section(QLatin1Char('='), 0, 0);
        QString strValue;
        if (!lstOptions.contains(strOption)) {
            intStatus =
                CliOutput::usageError(Command, QStringLiteral("unexpected argument '%1'.").arg(strArg));
            return false;
        }
        if (strArg == strOption) {
            if (intIndex + 1 >= args.size()) {
                intStatus =
                    CliOutput::usageError(Command, QStringLiteral("%1 needs a value.").arg(strOption));
                return false;
            }
            strValue = args.at(++intIndex);
        } else {
            strValue = strArg.mid(strOption.size() + 1);
        }
        if (lstSeen.contains(strOption)) {
            intStatus = CliOutput::usageError(Command, QStringLiteral("%1 given twice.").arg(strOption));
            return false;
        }
        lstSeen.append(strOption);
        if (strOption == lstOptions.first()) {
            strExpression = strValue;
        } else if (!lanScanMethodFromText(strValue, method)) {
            intStatus = CliOutput::usageError(
                Command, QStringLiteral("--method takes portmapper, mdns or both, not '%1'.").arg(strValue));
            return false;
        }
    }
    return true;
}

} // namespace

int runDiscoverCommand(const QStringList &args)
{
    QString strExpression;
    LanScanMethod method = LanScanMethod::Both;
    int intStatus = CliStatus::Done;
    if (!parseArguments(args, strExpression, method, intStatus))
        return intStatus;

    ClsInstrScanner scanner;
    scanner.setMethod(method);
    QEventLoop loop;
    // The scanner ends every scan with exactly one of these, at the latest when its collection
    // window and the bounded identification waits have run out.
    QObject::connect(&scanner, &ClsInstrScanner::newVxiInstrs, &loop, &QEventLoop::quit);
    QObject::connect(&scanner, &ClsInstrScanner::noVxiInstrs, &loop, &QEventLoop::quit);
    scanner.startLanScan(strExpression);
    if (scanner.isScanning())
        loop.exec();

    const bool bolPortmapperDown = method != LanScanMethod::Mdns && scanner.udpSocketCount() == 0;
    if (bolPortmapperDown)
        CliOutput::printErr(
            QStringLiteral("listforge-cli discover: no UDP socket could be bound to port %1 of an "
                           "IPv4 address of host '%2'.")
                .arg(ClsInstrScanner::LocalUdpPort)
                .arg(scanner.localHostName()));
    // Refused only when no method could ask at all.
    if (bolPortmapperDown && (method == LanScanMethod::Portmapper || scanner.mdnsSocketCount() == 0))
        return CliStatus::Refused;
    if (scanner.hosts().isEmpty()) {
        CliOutput::printOut(QStringLiteral("No instrument found."));
        return CliStatus::Done;
    }
    for (const InstrScanHost &host : scanner.hosts())
        CliOutput::printOut(QStringList{host.resource, host.instrType, host.serialNumber, host.firmware}.join(
            QLatin1Char('\t')));
    return CliStatus::Done;
}
