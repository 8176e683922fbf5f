// ClsVisaControl against the instrument simulator through the project's own VISA library: raw
// socket and VXI-11 sessions on the fixed ports 5025 and 111 (the suite runs in a private network
// namespace), identification, the maker check and the searches without any GPIB or USB hardware.

#include "simprocess.h"
#include "tracelines.h"
#include "visa/clsvisacontrol.h"
#include "visa/visalibrary.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <signal.h>

namespace {

const QString SocketResource = QStringLiteral("TCPIP0::127.0.0.1::5025::SOCKET");
const QString Vxi11Resource = QStringLiteral("TCPIP0::127.0.0.1::inst0::INSTR");

} // namespace

class TestVisaControlSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_trace.clear(); }
    void cleanup();

    void socketSession();
    void vxi11Session_data();
    void vxi11Session();
    void otherMaker();
    void unreachableTargets();
    void searchesWithoutHardware();
    void overlongSocketReplyOnASlowLink();
    void closingADeadVxi11Link();

private:
    void startSim(const QStringList &lstArgs);

    QString m_strSim;
    QTemporaryDir m_tmp;
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<ClsVisaControl> m_anchor;
    TraceLines m_trace;
};

void TestVisaControlSim::initTestCase()
{
    const QString strBuild = qEnvironmentVariable("LISTFORGE_BUILD_DIR");
    m_strSim = strBuild + QStringLiteral("/listforge-sim");
    const QString strLib = strBuild + QStringLiteral("/libvisa32.so");
#ifndef LISTFORGE_HAVE_SIM
    if (!QFile::exists(m_strSim) || !QFile::exists(strLib))
        QSKIP("the simulator and the project's VISA library are not part of this build");
#endif
    QVERIFY2(QFile::exists(m_strSim), qPrintable(m_strSim));
    QVERIFY2(QFile::exists(strLib), qPrintable(strLib));
    qputenv(ClsVisaLibrary::PathVariable, strLib.toLocal8Bit());
    QVERIFY(m_tmp.isValid());

    m_anchor = std::make_unique<ClsVisaControl>();
    QCOMPARE(m_anchor->takeLastError(), QString());
    QVERIFY(ClsVisaControl::isResourceManagerOpen());
}

void TestVisaControlSim::cleanup()
{
    m_sim.reset();
}

void TestVisaControlSim::startSim(const QStringList &lstArgs)
{
    m_sim = std::make_unique<SimProcess>();
    QVERIFY2(m_sim->start(lstArgs +
                          QStringList{QStringLiteral("--log"), m_tmp.filePath(QStringLiteral("sim.log"))}),
             qPrintable(m_sim->errorText()));
}

void TestVisaControlSim::socketSession()
{
    startSim({QStringLiteral("--model"), QStringLiteral("ZOY550X"), QStringLiteral("--serial"),
              QStringLiteral("100777")});
    ClsVisaControl visa;
    QVERIFY2(visa.openSession(SocketResource, true), qPrintable(m_trace.dump()));
    QVERIFY(visa.isSocketMode());
    QVERIFY(m_trace.hasDebug("CVISCT  : Socket port number '5025' determined"));
    QVERIFY(m_trace.hasDebug("CVISCT  : Connection 127.0.0.1:5025 test passed"));
    QVERIFY(m_trace.hasDebug("CVISCT  : VISA termination character enabled"));
    QCOMPARE(visa.getInstrType(), QStringLiteral("ZOY550X"));
    QCOMPARE(visa.getSerialNumber(), QStringLiteral("100777"));
    QVERIFY(!visa.getFirmware().isEmpty());
    QVERIFY(m_trace.hasDebug("CVISCT  : Tarvik instrument ZOY550X-100777 connected"));
    QCOMPARE(visa.getInterfaceName(), QStringLiteral("TCPIP0"));
    QCOMPARE(visa.interfaceType(), quint16(6));

    // Commands and queries in socket mode, each reply ended by the line feed.
    QString strReply;
    QVERIFY(visa.queryCommand(QStringLiteral("*IDN?"), strReply, true));
    QCOMPARE(strReply, visa.getIdnReply());
    QVERIFY(visa.writeCommand(QStringLiteral("*RST;*OPC?"), false));
    QVERIFY(visa.queryCommand(QStringLiteral("SYST:ERR?"), strReply, false));
    QVERIFY2(strReply.startsWith(QLatin1Char('0')), qPrintable(strReply));

    // Another object sees the instrument in use.
    QVERIFY(m_anchor->isInstrSessionOpen(QStringLiteral("ZOY550X"), QStringLiteral("100777")));
    QVERIFY(visa.closeSession());
    QVERIFY(!m_anchor->isInstrSessionOpen(QStringLiteral("ZOY550X"), QStringLiteral("100777")));
}

void TestVisaControlSim::vxi11Session_data()
{
    QTest::addColumn<QString>("resource");
    QTest::newRow("upper case") << Vxi11Resource;
    QTest::newRow("lower case, host name") << "tcpip0::localhost::INSTR";
}

void TestVisaControlSim::vxi11Session()
{
    QFETCH(QString, resource);
    startSim({QStringLiteral("--model"), QStringLiteral("GKR550X"), QStringLiteral("--serial"),
              QStringLiteral("100888")});
    ClsVisaControl visa;
    QVERIFY2(visa.openSession(resource, true), qPrintable(m_trace.dump()));
    QVERIFY(!visa.isSocketMode());
    QVERIFY(m_trace.hasDebug("CVISCT  : VXI-11 port number '111' determined"));
    QVERIFY(m_trace.contains(":111 test passed"));
    QVERIFY(!m_trace.contains("termination character"));
    QCOMPARE(visa.getInstrType(), QStringLiteral("GKR550X"));
    QCOMPARE(visa.getSerialNumber(), QStringLiteral("100888"));

    QString strReply;
    QVERIFY(visa.queryCommand(QStringLiteral("*IDN?"), strReply, false));
    QVERIFY(strReply.contains(QLatin1String("GKR550X")));
    QVERIFY(visa.writeCommand(QStringLiteral("*OPC?"), false));
    bool bolOn = false;
    QVERIFY(visa.getSendEnd(bolOn));
    QVERIFY(visa.closeSession());
}

void TestVisaControlSim::otherMaker()
{
    startSim({QStringLiteral("--manufacturer"), QStringLiteral("Acme Instruments"),
              QStringLiteral("--serial"), QStringLiteral("100999")});
    ClsVisaControl visa;
    QVERIFY(!visa.openSession(SocketResource, true));
    QVERIFY2(m_trace.contains("Only Tarvik instruments must be connected"), qPrintable(m_trace.dump()));
    QVERIFY(!visa.isSessionOpen());

    QVERIFY(visa.openSession(Vxi11Resource, false));
    QCOMPARE(visa.getManufacturer(), QStringLiteral("Acme Instruments"));
    QVERIFY(m_trace.hasDebug(QStringLiteral("CVISCT  : None Tarvik instrument Acme Instruments-%1 connected")
                                 .arg(visa.getInstrType())));
}

void TestVisaControlSim::unreachableTargets()
{
    ClsVisaControl visa;
    // Nothing listens: the connection test fails within its window, before VISA is asked.
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!visa.openSession(SocketResource, true));
    QVERIFY(timer.elapsed() < 4000);
    QVERIFY(m_trace.hasError("CVISCT  : Connection 127.0.0.1:5025 test failed!"));
    QVERIFY(!m_trace.contains("Instrument session opened"));

    // An unknown host fails in the look-up.
    m_trace.clear();
    QVERIFY(!visa.openSession(QStringLiteral("TCPIP0::no-such-host.invalid::5025::SOCKET"), true));
    QVERIFY(m_trace.contains("No host IP address found ("));
    QVERIFY(!m_trace.contains("Connecting to socket"));
    QVERIFY(m_trace.hasError("CVISCT  : Unable to open TCPIP based instrument session "
                             "'TCPIP0::no-such-host.invalid::5025::SOCKET'!"));
}

void TestVisaControlSim::searchesWithoutHardware()
{
    QList<InstrRecord> lstFound;
    QVERIFY(!m_anchor->scanInterface(VisaFindGpib, lstFound));
    QVERIFY(
        m_trace.hasError("CVISCT  : Unable to search for instrument(s) connected to interface GPIB?*INSTR!"));
    QVERIFY(!m_anchor->scanInterface(VisaFindUsb, lstFound));
    QVERIFY(m_trace.contains("Unable to search for instrument(s) connected to interface USB[0-9]::0x"));
    QVERIFY(lstFound.isEmpty());
    QCOMPARE(ClsVisaControl::poolSize(), 1);
}

void TestVisaControlSim::overlongSocketReplyOnASlowLink()
{
    // Loopback slowed to 4 Mbit/s: most of a long reply is still on its way when the library's
    // read bound is reached. The namespace is the suite's own, and dies with it.
    if (QProcess::execute(QStringLiteral("tc"), {"qdisc", "add", "dev", "lo", "root", "tbf", "rate", "4mbit",
                                                 "burst", "80kb", "latency", "500ms"}) != 0)
        QSKIP("tc may not shape the loopback interface here");
    const QString strStorage = m_tmp.filePath(QStringLiteral("storage"));
    QVERIFY(QDir().mkpath(strStorage));
    QFile big(strStorage + QStringLiteral("/big.bin"));
    QVERIFY(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(ClsVisaControl::MaxReplyBytes + 300000, 'x'));
    big.close();
    startSim({QStringLiteral("--model"), QStringLiteral("ZOY550X"), QStringLiteral("--storage"), strStorage});
    ClsVisaControl visa;
    const bool bolOpened = visa.openSession(SocketResource, true);
    QString strReply;
    const bool bolRefused =
        bolOpened && !visa.queryCommand(QStringLiteral("MMEM:DATA? 'big.bin'"), strReply, false);
    // The next query gets its own reply, not the tail of the long one.
    const bool bolInStep = bolOpened && visa.queryCommand(QStringLiteral("*IDN?"), strReply, false);
    QProcess::execute(QStringLiteral("tc"), {"qdisc", "del", "dev", "lo", "root"});
    QVERIFY2(bolOpened && bolRefused, qPrintable(m_trace.dump()));
    QVERIFY2(
        m_trace.hasError(QStringLiteral("CVISCT  : Reply from instrument longer than %1 bytes discarded!")
                             .arg(ClsVisaControl::MaxReplyBytes)),
        qPrintable(m_trace.dump()));
    QVERIFY(!m_trace.contains("VI_SUCCESS_MAX_CNT"));
    QVERIFY2(bolInStep, qPrintable(m_trace.dump()));
    QCOMPARE(strReply, visa.getIdnReply());
    QVERIFY(visa.closeSession());
}

void TestVisaControlSim::closingADeadVxi11Link()
{
    startSim({QStringLiteral("--model"), QStringLiteral("ZOY550X")});
    ClsVisaControl visa;
    QVERIFY(visa.openSession(Vxi11Resource, true));
    // The instrument stops answering but keeps its connections: the query runs into the time-out,
    // after which clearing and closing must not wait a full time-out each again.
    ::kill(static_cast<pid_t>(m_sim->process().processId()), SIGSTOP);
    QString strReply;
    QVERIFY(!visa.queryCommand(QStringLiteral("*IDN?"), strReply, false));
    QElapsedTimer timer;
    timer.start();
    visa.closeSession();
    const qint64 intClosingMs = timer.elapsed();
    ::kill(static_cast<pid_t>(m_sim->process().processId()), SIGCONT);
    QVERIFY2(intClosingMs <= 2500, qPrintable(QString::number(intClosingMs)));
}

QTEST_GUILESS_MAIN(TestVisaControlSim)
#include "tst_visacontrolsim.moc"
