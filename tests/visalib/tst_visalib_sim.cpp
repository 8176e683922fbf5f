// The library against listforge-sim: VXI-11 and HiSLIP INSTR and raw SOCKET sessions as the
// program uses them, device clear, and the failures a real link shows (links refused or lost in
// an upload are rows of the fault matrix). Runs in its own network namespace (portmapper on 111,
// HiSLIP on 4880, SCPI socket on 5025).
#include "hangbound.h"
#include "simprocess.h"
#include "visaio.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

const char *const kInstr = "TCPIP0::127.0.0.1::inst0::INSTR";
const char *const kSocket = "TCPIP0::127.0.0.1::5025::SOCKET";
const char *const kHislip = "TCPIP0::127.0.0.1::hislip0::INSTR";

} // namespace

class TestVisalibSim : public QObject
{
    Q_OBJECT

private:
    ViSession m_rm = VI_NULL;

    // Opens a session with the program's time-out and termination (its buffer settings are the
    // fault matrix's, which runs the program itself).
    ViSession open(const char *resource, bool socketMode)
    {
        ViSession vi = VI_NULL;
        if (viOpen(m_rm, resource, VI_NO_LOCK, 0, &vi) != VI_SUCCESS)
            return VI_NULL;
        bool ok = viSetAttribute(vi, VI_ATTR_TMO_VALUE, 5000) == VI_SUCCESS;
        if (socketMode) {
            ok = ok && viSetAttribute(vi, VI_ATTR_TERMCHAR, 10) == VI_SUCCESS &&
                 viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_TRUE) == VI_SUCCESS;
        }
        if (!ok) {
            viClose(vi);
            return VI_NULL;
        }
        return vi;
    }

    void startSim(SimProcess &sim, const QStringList &extra = {})
    {
        QVERIFY2(sim.start(QStringList{"--model", "ZOY550X"} + extra), qPrintable(sim.errorText()));
    }

    static void transportRows()
    {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<bool>("socketMode");
        QTest::newRow("VXI-11") << kInstr << false;
        QTest::newRow("HiSLIP") << kHislip << false;
        QTest::newRow("SOCKET") << kSocket << true;
    }

    // Starts the simulator and opens the row's resource the way the program does.
    ViSession startAndOpenRow(SimProcess &sim, const QStringList &extra = {})
    {
        QFETCH(QString, resource);
        QFETCH(bool, socketMode);
        startSim(sim, extra);
        return QTest::currentTestFailed() ? VI_NULL : open(resource.toLatin1().constData(), socketMode);
    }

private slots:
    void init() { QCOMPARE(viOpenDefaultRM(&m_rm), VI_SUCCESS); }
    void cleanup() { QCOMPARE(viClose(m_rm), VI_SUCCESS); }

    // The full names are opened by the other tests; these are the short forms.
    void clearDiscardsAPendingReply_data()
    {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<bool>("socketMode");
        QTest::newRow("INSTR, short name") << "tcpip::localhost::INSTR" << false;
        QTest::newRow("SOCKET, host name") << "TCPIP::localhost::5025::SOCKET" << true;
        QTest::newRow("HiSLIP, host name, port") << "TCPIP::localhost::hislip0,4880" << false;
    }

    void clearDiscardsAPendingReply()
    {
        QFETCH(bool, socketMode);
        SimProcess sim;
        ViSession vi = startAndOpenRow(sim);
        QVERIFY(vi != VI_NULL);
        QCOMPARE(writeString(vi, socketMode ? "*IDN?\n" : "*IDN?"), VI_SUCCESS);
        if (socketMode) {
            QTest::qWait(200); // let the reply arrive, so that there is something to discard
        }
        QCOMPARE(viClear(vi), VI_SUCCESS);
        QCOMPARE(viSetAttribute(vi, VI_ATTR_TMO_VALUE, 300), VI_SUCCESS);
        ViStatus status;
        QCOMPARE(readString(vi, 8191, status), std::string());
        QCOMPARE(status, VI_ERROR_TMO);
        QCOMPARE(viSetAttribute(vi, VI_ATTR_TMO_VALUE, 5000), VI_SUCCESS);
        QCOMPARE(writeString(vi, socketMode ? "*OPC?\n" : "*OPC?"), VI_SUCCESS);
        QCOMPARE(readString(vi, 8191, status), std::string("1\n"));
        QCOMPARE(status, VI_SUCCESS);
        viClose(vi);
    }

    void deviceNameAndAReadWithNothingAsked()
    {
        SimProcess sim;
        startSim(sim);
        ViSession vi = open(kInstr, false);
        QVERIFY(vi != VI_NULL);
        char name[VI_FIND_BUFLEN];
        QCOMPARE(viGetAttribute(vi, VI_ATTR_TCPIP_DEVICE_NAME, name), VI_SUCCESS);
        QCOMPARE(QByteArray(name), QByteArray("inst0"));
        // A read with nothing asked ends at once, and the instrument queues the error.
        QElapsedTimer clock;
        clock.start();
        ViStatus status;
        QCOMPARE(readString(vi, 100, status), std::string());
        QCOMPARE(status, VI_ERROR_TMO);
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(writeString(vi, "SYST:ERR?"), VI_SUCCESS);
        QCOMPARE(readString(vi, 100, status), std::string("-420,\"Query UNTERMINATED\"\n"));
        viClose(vi);
    }

    void silentInstrumentTimesOut_data() { transportRows(); }

    void silentInstrumentTimesOut()
    {
        QFETCH(bool, socketMode);
        SimProcess sim;
        ViSession vi = startAndOpenRow(sim, {"--fault", "no-reply"});
        QVERIFY(vi != VI_NULL);
        QCOMPARE(viSetAttribute(vi, VI_ATTR_TMO_VALUE, 400), VI_SUCCESS);
        QCOMPARE(writeString(vi, socketMode ? "*IDN?\n" : "*IDN?"), VI_SUCCESS);
        QElapsedTimer clock;
        clock.start();
        ViStatus status;
        QCOMPARE(readString(vi, 8191, status), std::string());
        QCOMPARE(status, VI_ERROR_TMO);
        QVERIFY2(clock.elapsed() >= 350 && endedWithoutHanging(clock.elapsed(), 400),
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(viClose(vi), VI_SUCCESS);
    }

    void openFailures()
    {
        ViSession vi = 0x1234;
        {
            SimProcess sim;
            startSim(sim, {"--portmapper-port", "0"});
            QCOMPARE(viOpen(m_rm, kInstr, VI_NO_LOCK, 0, &vi), VI_ERROR_RSRC_NFOUND);
            QCOMPARE(vi, ViSession(VI_NULL));
            // The raw socket is unaffected.
            QCOMPARE(viOpen(m_rm, kSocket, VI_NO_LOCK, 0, &vi), VI_SUCCESS);
            viClose(vi);
        }
        // Nobody serves at all, or the host name is unknown (the namespace has no name server).
        QCOMPARE(viOpen(m_rm, kInstr, VI_NO_LOCK, 0, &vi), VI_ERROR_RSRC_NFOUND);
        QCOMPARE(viOpen(m_rm, "TCPIP0::no-such-host.invalid::5025::SOCKET", 0, 0, &vi), VI_ERROR_RSRC_NFOUND);
        QCOMPARE(viOpen(m_rm, kSocket, VI_NO_LOCK, 0, &vi), VI_ERROR_RSRC_NFOUND);
        QCOMPARE(vi, ViSession(VI_NULL));
    }

    // Sessions opened, used and closed by several threads at once, on every transport: the session
    // table and each link under contention.
    void parallelLinks()
    {
        SimProcess sim;
        startSim(sim);
        std::atomic<int> failures{0};
        std::vector<std::thread> threads;
        for (const char *resource : {kInstr, kSocket, kHislip, kHislip, kSocket, kInstr}) {
            threads.emplace_back([&, resource] {
                const bool socketMode = resource == kSocket;
                for (int round = 0; round < 10; ++round) {
                    ViSession vi = VI_NULL;
                    failures += viOpen(m_rm, resource, VI_NO_LOCK, 0, &vi) != VI_SUCCESS;
                    viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, socketMode ? VI_TRUE : VI_FALSE);
                    for (int i = 0; i < 5; ++i) {
                        ViStatus status = writeString(vi, socketMode ? "*IDN?\n" : "*IDN?");
                        const std::string reply = readString(vi, 8191, status);
                        failures += status != VI_SUCCESS || reply.compare(0, 7, "Tarvik,") != 0;
                    }
                    failures += viClose(vi) != VI_SUCCESS;
                }
            });
        }
        for (std::thread &t : threads)
            t.join();
        QCOMPARE(failures.load(), 0);
    }

    // Two sessions under different names of the same instrument: only the server's lock is
    // between them, and the refusal after the lock time-out is not taken for the answer to the next
    // request. A trigger reaches the instrument as a group execute trigger.
    void hislipLocksAndTrigger()
    {
        QTemporaryDir dir;
        SimProcess sim;
        startSim(sim, {"--log", dir.filePath("log")});
        ViSession a = open(kHislip, false);
        ViSession b = open("TCPIP0::localhost::hislip0::INSTR", false);
        QVERIFY(a != VI_NULL && b != VI_NULL);
        QCOMPARE(viLock(a, VI_EXCLUSIVE_LOCK, 0, VI_NULL, VI_NULL), VI_SUCCESS);
        QCOMPARE(viLock(b, VI_EXCLUSIVE_LOCK, 300, VI_NULL, VI_NULL), VI_ERROR_TMO);
        QCOMPARE(viUnlock(a), VI_SUCCESS);
        QCOMPARE(viLock(b, VI_EXCLUSIVE_LOCK, 300, VI_NULL, VI_NULL), VI_SUCCESS);
        QCOMPARE(viUnlock(b), VI_SUCCESS);
        QCOMPARE(viAssertTrigger(a, VI_TRIG_PROT_DEFAULT), VI_SUCCESS);
        QCOMPARE(writeString(a, "*OPC?"), VI_SUCCESS);
        ViStatus status;
        QCOMPARE(readString(a, 100, status), std::string("1\n"));
        QFile log(dir.filePath("log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY2(log.readAll().contains("HISLIP END *TRG\n"), "no trigger in the log");
        // The client, not the server, ends a HiSLIP read at the termination character.
        QCOMPARE(viSetAttribute(b, VI_ATTR_TERMCHAR, ','), VI_SUCCESS);
        QCOMPARE(viSetAttribute(b, VI_ATTR_TERMCHAR_EN, VI_TRUE), VI_SUCCESS);
        QCOMPARE(writeString(b, "*IDN?"), VI_SUCCESS);
        QCOMPARE(readString(b, 100, status), std::string("Tarvik,"));
        QCOMPARE(status, VI_SUCCESS_TERM_CHAR);
        QCOMPARE(readString(b, 100, status), std::string("ZOY550X,"));
        viClose(a);
        viClose(b);
    }

    // A 31 MB block goes out in one write, split at the server's message size, is stored and comes
    // back in reads that end at the count in the middle of Data messages; a device clear in the
    // middle of that response leaves the session ready.
    void hislipBlockAndClearMidResponse()
    {
        QTemporaryDir storage;
        SimProcess sim;
        startSim(sim, {"--storage", storage.path()});
        ViSession vi = open(kHislip, false);
        QVERIFY(vi != VI_NULL);
        std::string block(31250130, '\0');
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = char((i * 2654435761u) >> 13);
        QCOMPARE(writeString(vi, ":MMEM:DATA 'big.bin',#831250130" + block), VI_SUCCESS);
        QCOMPARE(writeString(vi, ":MMEM:DATA? 'big.bin'"), VI_SUCCESS);
        ViStatus status;
        std::string back;
        do {
            back += readString(vi, 1000003, status);
        } while (status == VI_SUCCESS_MAX_CNT);
        QCOMPARE(status, VI_SUCCESS);
        QCOMPARE(back.size(), block.size() + 11);
        QVERIFY(back == "#831250130" + block + "\n");

        QCOMPARE(writeString(vi, ":MMEM:DATA? 'big.bin'"), VI_SUCCESS);
        QCOMPARE(readString(vi, 5000, status).size(), size_t(5000));
        QCOMPARE(status, VI_SUCCESS_MAX_CNT);
        QCOMPARE(viClear(vi), VI_SUCCESS);
        QCOMPARE(writeString(vi, "*OPC?"), VI_SUCCESS);
        QCOMPARE(readString(vi, 100, status), std::string("1\n"));
        QCOMPARE(viClose(vi), VI_SUCCESS);
    }
};

QTEST_GUILESS_MAIN(TestVisalibSim)
#include "tst_visalib_sim.moc"
