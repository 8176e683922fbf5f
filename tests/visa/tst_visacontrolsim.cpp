// ClsVisaControl against the instrument simulator through the project's own VISA library on the
// fixed ports 5025 and 111 (the suite runs in a private network namespace): a host that cannot
// be found, and links that misbehave.

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

const QString SocketResource = "TCPIP0::127.0.0.1::5025::SOCKET";
const QString Vxi11Resource = "TCPIP0::127.0.0.1::inst0::INSTR";

} // namespace

class TestVisaControlSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QString strBuild = qEnvironmentVariable("LISTFORGE_BUILD_DIR");
        const QString strSim = strBuild + "/listforge-sim";
        const QString strLib = strBuild + "/libvisa32.so";
#ifndef LISTFORGE_HAVE_SIM
        if (!QFile::exists(strSim) || !QFile::exists(strLib))
            QSKIP("the simulator and the project's VISA library are not part of this build");
#endif
        QVERIFY2(QFile::exists(strSim), qPrintable(strSim));
        QVERIFY2(QFile::exists(strLib), qPrintable(strLib));
        qputenv(ClsVisaLibrary::PathVariable, strLib.toLocal8Bit());
        QVERIFY(m_tmp.isValid());

        m_anchor = std::make_unique<ClsVisaControl>();
        QCOMPARE(m_anchor->takeLastError(), QString());
        QVERIFY(ClsVisaControl::isResourceManagerOpen());
    }

    void init()
    {
        m_trace.clear();
    }
    void cleanup()
    {
        m_sim.reset();
    }

    void unknownHost()
    {
        // An unknown host fails in the look-up, before any connection is tried.
        ClsVisaControl visa;
        QVERIFY(!visa.openSession("TCPIP0::no-such-host.invalid::5025::SOCKET", true));
        QVERIFY(m_trace.contains("No host IP address found ("));
        QVERIFY(!m_trace.contains("Connecting to socket"));
        QVERIFY(m_trace.hasError("CVISCT  : Unable to open TCPIP based instrument session "
                                 "'TCPIP0::no-such-host.invalid::5025::SOCKET'!"));
    }

    void overlongSocketReplyOnASlowLink()
    {
        // Loopback slowed to 4 Mbit/s: most of a long reply is still on its way when the library's
        // read bound is reached. The namespace is the suite's own, and dies with it.
        if (QProcess::execute("tc", {"qdisc", "add", "dev", "lo", "root", "tbf", "rate", "4mbit", "burst",
                                     "80kb", "latency", "500ms"}) != 0)
            QSKIP("tc may not shape the loopback interface here");
        const QString strStorage = m_tmp.filePath("storage");
        QVERIFY(QDir().mkpath(strStorage));
        QFile big(strStorage + "/big.bin");
        QVERIFY(big.open(QIODevice::WriteOnly));
        big.write(QByteArray(ClsVisaControl::MaxReplyBytes + 300000, 'x'));
        big.close();
        startSim({"--model", "ZOY550X", "--storage", strStorage});
        ClsVisaControl visa;
        const bool bolOpened = visa.openSession(SocketResource, true);
        QString strReply;
        const bool bolRefused = bolOpened && !visa.queryCommand("MMEM:DATA? 'big.bin'", strReply, false);
        // The next query gets its own reply, not the tail of the long one.
        const bool bolInStep = bolOpened && visa.queryCommand("*IDN?", strReply, false);
        QProcess::execute("tc", {"qdisc", "del", "dev", "lo", "root"});
        QVERIFY2(bolOpened && bolRefused, qPrintable(m_trace.dump()));
        QVERIFY2(m_trace.hasError(QString("CVISCT  : Reply from instrument longer than %1 bytes discarded!")
                                      .arg(ClsVisaControl::MaxReplyBytes)),
                 qPrintable(m_trace.dump()));
        QVERIFY(!m_trace.contains("VI_SUCCESS_MAX_CNT"));
        QVERIFY2(bolInStep, qPrintable(m_trace.dump()));
        QCOMPARE(strReply, visa.getIdnReply());
        QVERIFY(visa.closeSession());
    }

    void closingADeadVxi11Link()
    {
        startSim({"--model", "ZOY550X"});
        ClsVisaControl visa;
        QVERIFY(visa.openSession(Vxi11Resource, true));
        // The instrument stops answering but keeps its connections: the query runs into the time-out,
        // after which clearing and closing must not wait a full time-out each again.
        ::kill(static_cast<pid_t>(m_sim->process().processId()), SIGSTOP);
        QString strReply;
        QVERIFY(!visa.queryCommand("*IDN?", strReply, false));
        QElapsedTimer timer;
        timer.start();
        visa.closeSession();
        const qint64 intClosingMs = timer.elapsed();
        ::kill(static_cast<pid_t>(m_sim->process().processId()), SIGCONT);
        QVERIFY2(intClosingMs <= 2500, qPrintable(QString::number(intClosingMs)));
    }

private:
    void startSim(const QStringList &lstArgs)
    {
        m_sim = std::make_unique<SimProcess>();
        QVERIFY2(m_sim->start(lstArgs + QStringList{"--log", m_tmp.filePath("sim.log")}),
                 qPrintable(m_sim->errorText()));
    }

    QTemporaryDir m_tmp;
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<ClsVisaControl> m_anchor;
    TraceLines m_trace;
};

QTEST_GUILESS_MAIN(TestVisaControlSim)
#include "tst_visacontrolsim.moc"
