// The LAN scanner against the instrument simulator (portmapper on UDP 111 and VXI-11 core), in
// the private network namespace (see privatehosts.h).

#include "instrmanage/clsinstrscanner.h"
#include "privatehosts.h"
#include "scanrun.h"
#include "simprocess.h"
#include "tests/common/tracelines.h"

#include <QtTest>

namespace {

const char HostsFile[] = "127.0.0.1 localhost listforge-test\n"
                         "127.0.0.1 listforge-two\n"
                         "127.0.0.9 listforge-two\n";

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
    void init();
    void oneInstrumentFoundAndIdentified();
    void twoRepliesFromOneHostGiveOneRecord();
    void typeFilterKeepsOnlyMatchingModels();
    void refusedLinkRemovesTheHost();

private:
    TraceLines m_trace;
};

void TstInstrScannerSim::initTestCase()
{
#ifndef LISTFORGE_HAVE_SIM
    QSKIP("listforge-sim is not part of this build");
#endif
    QVERIFY2(QFile::exists(SimProcess::program()), qPrintable(SimProcess::program()));
}

void TstInstrScannerSim::init()
{
    QVERIFY(PrivateHosts::setHostName("listforge-test"));
    m_trace.clear();
}

void TstInstrScannerSim::oneInstrumentFoundAndIdentified()
{
    SimProcess sim({"--model", "ZOY550X", "--serial", "100777", "--port", "0"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    QCOMPARE(sim.instruments().size(), 1);

    ClsInstrScanner scanner;
    const ScanOutcome outcome = runScan(scanner, QString());
    QCOMPARE(outcome.end, ScanEnd::Instruments);
    QCOMPARE(scanner.hosts().size(), 1);
    const InstrScanHost &host = scanner.hosts().at(0);
    QCOMPARE(host.address, QHostAddress(QStringLiteral("127.0.0.1")));
    QCOMPARE(host.vxiPort, qint32(sim.instruments().at(0).vxiPort));
    // The reverse name of 127.0.0.1 in this namespace.
    QCOMPARE(host.hostName, QStringLiteral("localhost"));
    QCOMPARE(host.resource, QStringLiteral("TCPIP::localhost::INSTR"));
    QCOMPARE(host.manufacturer, QStringLiteral("Tarvik"));
    QCOMPARE(host.instrType, QStringLiteral("ZOY550X"));
    QCOMPARE(host.serialNumber, QStringLiteral("100777"));
    QVERIFY(!host.firmware.isEmpty());
    QVERIFY_TRACED(m_trace, TraceKindInfo, tagged("1 VXI-11 instruments found"));

    // The host name "localhost" does not fit "*ZOY*" and is dropped before any connection.
    m_trace.clear();
    QCOMPARE(runScan(scanner, QStringLiteral("*ZOY*")).end, ScanEnd::Nothing);
    QVERIFY_TRACED(m_trace, TraceKindDebug,
                   tagged("Hostname 'localhost' does not fit with provided search expression!"));
}

void TstInstrScannerSim::twoRepliesFromOneHostGiveOneRecord()
{
    // Two local addresses: the instrument answers the broadcast of each.
    QVERIFY(PrivateHosts::setHostName("listforge-two"));
    SimProcess sim({"--instrument", "HERN330X@127.0.0.2", "--port", "0"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));

    ClsInstrScanner scanner;
    QCOMPARE(runScan(scanner, QString()).end, ScanEnd::Instruments);
    QCOMPARE(scanner.udpSocketCount(), 2);
    QCOMPARE(scanner.hosts().size(), 1);
    QCOMPARE(scanner.hosts().at(0).instrType, QStringLiteral("HERN330X"));
    QCOMPARE(m_trace.count(TraceKindDebug, tagged("Hostname '127.0.0.2' already in use by 127.0.0.2!")), 1);
}

void TstInstrScannerSim::typeFilterKeepsOnlyMatchingModels()
{
    SimProcess sim({"--instrument", "ZOY550X@127.0.0.2", "--instrument", "GKR550X@127.0.0.3", "--port", "0"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    QCOMPARE(sim.instruments().size(), 2);

    ClsInstrScanner scanner;
    QCOMPARE(runScan(scanner, QStringLiteral("*ZOY*")).end, ScanEnd::Instruments);
    QCOMPARE(scanner.hosts().size(), 1);
    QCOMPARE(scanner.hosts().at(0).instrType, QStringLiteral("ZOY550X"));
    QCOMPARE(scanner.hosts().at(0).resource, QStringLiteral("TCPIP::127.0.0.2::INSTR"));
    QVERIFY_TRACED(m_trace, TraceKindDebug,
                   tagged("Removing host 127.0.0.3 from list. Invalid instrument type 'GKR550X'"));
}

void TstInstrScannerSim::refusedLinkRemovesTheHost()
{
    SimProcess sim({"--model", "PLOXA550X", "--port", "0", "--fault", "refuse-link"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));

    ClsInstrScanner scanner;
    QCOMPARE(runScan(scanner, QString()).end, ScanEnd::Instruments);
    QVERIFY(scanner.hosts().isEmpty());
    QVERIFY2(m_trace.dump().contains(QStringLiteral("CINSSC  : Unable to create VXI-11 link (VXI error: ")),
             qPrintable(m_trace.dump()));
    QVERIFY_TRACED(m_trace, TraceKindDebug,
                   tagged("Removing host 127.0.0.1 from list. Error(s) during IDN Query"));
    QVERIFY_TRACED(m_trace, TraceKindInfo, tagged("0 VXI-11 instruments found"));
}

int main(int argc, char *argv[])
{
    const int status = PrivateHosts::install(HostsFile);
    if (status != 0)
        return status;
    QCoreApplication app(argc, argv);
    TstInstrScannerSim suite;
    return QTest::qExec(&suite, argc, argv);
}

#include "tst_instrscannersim.moc"
