// The LAN scanner against the instrument simulator (portmapper on UDP 111 and VXI-11 core), in
// the private network namespace (see privatehosts.h): the scripted peers of tst_instrscanner
// cover the failures, this suite that the scanner and a real VXI-11 server understand each other.

#include "instrmanage/clsinstrscanner.h"
#include "privatehosts.h"
#include "scanrun.h"
#include "simprocess.h"
#include "tracelines.h"

#include <QtTest>

namespace {

const char HostsFile[] = "127.0.0.1 localhost listforge-test\n";

QString tagged(const QString &text)
{
    return QStringLiteral("CINSSC  : ") + text;
}

} // namespace

class TstInstrScannerSim : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void oneInstrumentFoundAndIdentified();

private:
    TraceLines m_trace;
};

void TstInstrScannerSim::initTestCase()
{
#ifndef LISTFORGE_HAVE_SIM
    QSKIP("listforge-sim is not part of this build");
#endif
}

void TstInstrScannerSim::oneInstrumentFoundAndIdentified()
{
    SimProcess sim;
    QVERIFY2(sim.start({"--model", "ZOY550X", "--serial", "100777", "--port", "0"}),
             qPrintable(sim.errorText()));
    QCOMPARE(sim.instrumentCount(), 1);

    ClsInstrScanner scanner;
    const ScanOutcome outcome = runScan(scanner, QString());
    QCOMPARE(outcome.end, ScanEnd::Instruments);
    QCOMPARE(scanner.hosts().size(), 1);
    const InstrScanHost &host = scanner.hosts().at(0);
    QCOMPARE(host.address, QHostAddress(sim.address()));
    QCOMPARE(host.vxiPort, qint32(sim.vxi11Port()));
    // The reverse name of 127.0.0.1 in this namespace.
    QCOMPARE(host.hostName, QStringLiteral("localhost"));
    QCOMPARE(host.resource, QStringLiteral("TCPIP::localhost::INSTR"));
    QCOMPARE(host.manufacturer, QStringLiteral("Tarvik"));
    QCOMPARE(host.instrType, sim.model());
    QCOMPARE(host.serialNumber, QStringLiteral("100777"));
    QVERIFY(!host.firmware.isEmpty());
    QVERIFY_TRACED(m_trace, TraceKindInfo, tagged("1 VXI-11 instruments found"));

    // The host name "localhost" does not fit "*ZOY*" and is dropped before any connection.
    m_trace.clear();
    QCOMPARE(runScan(scanner, QStringLiteral("*ZOY*")).end, ScanEnd::Nothing);
    QVERIFY_TRACED(m_trace, TraceKindDebug,
                   tagged("Hostname 'localhost' does not fit with provided search expression!"));
}

PRIVATE_HOSTS_MAIN(TstInstrScannerSim, QCoreApplication, HostsFile)

#include "tst_instrscannersim.moc"
