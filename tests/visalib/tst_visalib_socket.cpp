// The library's SOCKET sessions, session table and status reporting, exercised through its C
// interface against small servers on the loopback interface.
#include "hangbound.h"
#include "testserver.h"
#include "visaio.h"

#include <QElapsedTimer>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace {

std::string socketResource(uint16_t port)
{
    return "TCPIP0::127.0.0.1::" + std::to_string(port) + "::SOCKET";
}

// Answers every line "X" with "reply:X\n"; "*IDN?" gets an identification.
void lineServer(int fd)
{
    std::string line;
    while (receiveLine(fd, line)) {
        if (line == "*IDN?") {
            sendText(fd, "Tarvik,ZOY550X,1234.5678k02/100200,1.2.3\n");
        } else if (line == "TWO") {
            sendText(fd, "first\nsecond\n");
        } else if (line == "NOLF") {
            sendText(fd, "no terminator");
        } else {
            sendText(fd, "reply:" + line + "\n");
        }
    }
}

} // namespace

class TestVisalibSocket : public QObject
{
    Q_OBJECT

private:
    ViSession m_rm = VI_NULL;

    ViSession openLineSession(const TestServer &server, bool termChar = true)
    {
        ViSession vi = VI_NULL;
        ViStatus status = viOpen(m_rm, socketResource(server.port()).c_str(), VI_NO_LOCK, 0, &vi);
        if (status != VI_SUCCESS)
            return VI_NULL;
        viSetAttribute(vi, VI_ATTR_TMO_VALUE, 1000);
        if (termChar) {
            viSetAttribute(vi, VI_ATTR_TERMCHAR, '\n');
            viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_TRUE);
        }
        return vi;
    }

private slots:
    void init() { QCOMPARE(viOpenDefaultRM(&m_rm), VI_SUCCESS); }
    void cleanup() { QCOMPARE(viClose(m_rm), VI_SUCCESS); }

    // One command, then reads of the given sizes: what each returns and with which status. Raw TCP
    // has no END, so only the termination character, the count or the time-out ends a read.
    void lineReads_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<int>("termChar"); // -1: termination off
        QTest::addColumn<bool>("suppressEnd");
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<QByteArrayList>("replies");
        QTest::addColumn<QList<int>>("statuses");
        const int ok = VI_SUCCESS, tmo = VI_ERROR_TMO;
        QTest::newRow("two replies in one packet")
            << QByteArray("TWO") << int('\n') << false << QList<int>{100, 100}
            << QByteArrayList{"first\n", "second\n"} << QList<int>{ok, ok};
        QTest::newRow("END suppressed") << QByteArray("abc") << int('\n') << true << QList<int>{100}
                                        << QByteArrayList{"reply:abc\n"} << QList<int>{VI_SUCCESS_TERM_CHAR};
        // The line feed is no terminator any more: the rest only comes back with the time-out.
        QTest::newRow("other termination character")
            << QByteArray("x") << int(':') << false << QList<int>{100, 100} << QByteArrayList{"reply:", "x\n"}
            << QList<int>{ok, tmo};
        QTest::newRow("count limit keeps the rest")
            << QByteArray("*IDN?") << int('\n') << false << QList<int>{7, 100}
            << QByteArrayList{"Tarvik,", "ZOY550X,1234.5678k02/100200,1.2.3\n"}
            << QList<int>{VI_SUCCESS_MAX_CNT, ok};
        QTest::newRow("no termination: time-out") << QByteArray("NOLF") << -1 << false << QList<int>{100}
                                                  << QByteArrayList{"no terminator"} << QList<int>{tmo};
    }

    void lineReads()
    {
        QFETCH(QByteArray, command);
        QFETCH(int, termChar);
        QFETCH(QList<int>, counts);
        QFETCH(QByteArrayList, replies);
        QFETCH(QList<int>, statuses);
        QFETCH(bool, suppressEnd);
        TestServer server(lineServer);
        ViSession vi = openLineSession(server, termChar >= 0);
        QVERIFY(vi != VI_NULL);
        if (statuses.contains(VI_ERROR_TMO)) // short, for the expected time-out; else generous
            QCOMPARE(viSetAttribute(vi, VI_ATTR_TMO_VALUE, 200), VI_SUCCESS);
        if (termChar >= 0)
            QCOMPARE(viSetAttribute(vi, VI_ATTR_TERMCHAR, ViAttrState(termChar)), VI_SUCCESS);
        if (suppressEnd)
            QCOMPARE(viSetAttribute(vi, VI_ATTR_SUPPRESS_END_EN, VI_TRUE), VI_SUCCESS);
        QCOMPARE(writeString(vi, command.toStdString() + "\n"), VI_SUCCESS);
        for (int i = 0; i < counts.size(); ++i) {
            ViStatus status;
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(QByteArray::fromStdString(readString(vi, ViUInt32(counts.at(i)), status)),
                     replies.at(i));
            QCOMPARE(int(status), statuses.at(i));
            if (status == VI_ERROR_TMO)
                QVERIFY2(clock.elapsed() >= 150 && endedWithoutHanging(clock.elapsed(), 200),
                         qPrintable(QString::number(clock.elapsed())));
        }
        QCOMPARE(viClose(vi), VI_SUCCESS);
    }

    void lostConnectionIsReported()
    {
        // Takes the first line, then hangs up.
        TestServer server([](int fd) {
            std::string line;
            receiveLine(fd, line);
        });
        ViSession vi = openLineSession(server);
        QVERIFY(vi != VI_NULL);
        QCOMPARE(writeString(vi, "*IDN?\n"), VI_SUCCESS);
        ViStatus status;
        readString(vi, 100, status);
        QCOMPARE(status, VI_ERROR_CONN_LOST);
        // Writing into the closed connection fails as well instead of raising SIGPIPE.
        std::string big(4 * 1024 * 1024, 'x');
        ViUInt32 written = 0;
        status = viWrite(vi, reinterpret_cast<ViConstBuf>(big.data()), static_cast<ViUInt32>(big.size()),
                         &written);
        QCOMPARE(status, VI_ERROR_CONN_LOST);
        QVERIFY(written < big.size());
        QCOMPARE(viClear(vi), VI_ERROR_CONN_LOST);
        QCOMPARE(viClose(vi), VI_SUCCESS);
    }

    // viClear is left to the suite against the simulator; flushing the input buffer drops unread
    // replies the same way.
    void flushDropsUnreadInput()
    {
        TestServer server(lineServer);
        ViSession vi = openLineSession(server);
        QVERIFY(vi != VI_NULL);
        QCOMPARE(writeString(vi, "TWO\n"), VI_SUCCESS);
        ViStatus status;
        QCOMPARE(readString(vi, 100, status), std::string("first\n"));
        QCOMPARE(viFlush(vi, VI_IO_IN_BUF_DISCARD), VI_SUCCESS);
        QCOMPARE(viFlush(vi, VI_READ_BUF | VI_READ_BUF_DISCARD), VI_ERROR_INV_MASK);
        QCOMPARE(writeString(vi, "after\n"), VI_SUCCESS);
        QCOMPARE(readString(vi, 100, status), std::string("reply:after\n"));
        QCOMPARE(status, VI_SUCCESS);
        viClose(vi);
    }

    void attributesOfASocketSession()
    {
        TestServer server(lineServer);
        ViSession vi = VI_NULL;
        QCOMPARE(viOpen(m_rm, ("tcpip::localhost::" + std::to_string(server.port()) + "::socket").c_str(), 0,
                        0, &vi),
                 VI_SUCCESS);
        ViUInt16 u16 = 0;
        QCOMPARE(viGetAttribute(vi, VI_ATTR_TCPIP_PORT, &u16), VI_SUCCESS);
        QCOMPARE(u16, server.port());
        char text[VI_FIND_BUFLEN];
        QCOMPARE(viGetAttribute(vi, VI_ATTR_RSRC_CLASS, text), VI_SUCCESS);
        QCOMPARE(QByteArray(text), QByteArray("SOCKET"));
        QCOMPARE(viGetAttribute(vi, VI_ATTR_RSRC_NAME, text), VI_SUCCESS);
        QCOMPARE(QByteArray(text),
                 QByteArray(("TCPIP0::localhost::" + std::to_string(server.port()) + "::SOCKET").c_str()));
        QCOMPARE(viGetAttribute(vi, VI_ATTR_TCPIP_ADDR, text), VI_SUCCESS);
        QVERIFY(QByteArray(text) == "127.0.0.1" || QByteArray(text) == "::1");
        // Boolean attributes are exactly 16 bits wide: the bytes around them stay untouched.
        ViUInt16 flags[3] = {0xAAAA, 0xAAAA, 0xAAAA};
        QCOMPARE(viSetAttribute(vi, VI_ATTR_SEND_END_EN, VI_FALSE), VI_SUCCESS);
        QCOMPARE(viGetAttribute(vi, VI_ATTR_SEND_END_EN, &flags[1]), VI_SUCCESS);
        QCOMPARE(flags[1], ViUInt16(VI_FALSE));
        QCOMPARE(flags[0], ViUInt16(0xAAAA));
        QCOMPARE(flags[2], ViUInt16(0xAAAA));
        ViUInt8 termChar[2] = {0, 0x55};
        QCOMPARE(viGetAttribute(vi, VI_ATTR_TERMCHAR, termChar), VI_SUCCESS);
        QCOMPARE(termChar[0], ViUInt8('\n'));
        QCOMPARE(termChar[1], ViUInt8(0x55));
        QCOMPARE(viSetBuf(vi, 0x100, 100), VI_ERROR_INV_MASK);
        // Refusals, each with its own status.
        QCOMPARE(viSetAttribute(vi, VI_ATTR_INTF_TYPE, 1), VI_ERROR_ATTR_READONLY);
        QCOMPARE(viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, 7), VI_ERROR_NSUP_ATTR_STATE);
        QCOMPARE(viSetAttribute(vi, VI_ATTR_TERMCHAR, 0x1FF), VI_ERROR_NSUP_ATTR_STATE);
        QCOMPARE(viSetAttribute(vi, VI_ATTR_RD_BUF_OPER_MODE, VI_FLUSH_WHEN_FULL), VI_ERROR_NSUP_ATTR_STATE);
        QCOMPARE(viSetAttribute(vi, 0x3FFF0FFF, 1), VI_ERROR_NSUP_ATTR);
        QCOMPARE(viGetAttribute(vi, VI_ATTR_TCPIP_DEVICE_NAME, text), VI_ERROR_NSUP_ATTR);
        // Values handed in as 64-bit quantities with junk in the upper half still count.
        ViUInt32 tmo = 0;
        QCOMPARE(viSetAttribute(vi, VI_ATTR_TMO_VALUE, (ViAttrState(0xDEAD) << 32) | 1234u), VI_SUCCESS);
        QCOMPARE(viGetAttribute(vi, VI_ATTR_TMO_VALUE, &tmo), VI_SUCCESS);
        QCOMPARE(tmo, ViUInt32(1234));
        QCOMPARE(viClose(vi), VI_SUCCESS);
    }

    // Opens that fail, and handles that are not (or no longer) sessions.
    void refusedOpensAndDeadHandles()
    {
        ViSession vi = 0xFFFF;
        // (A port nobody listens on is the suite against the simulator's.)
        QCOMPARE(viOpen(m_rm, "TCPIP0::127.0.0.1::SOCKET", 0, 0, &vi), VI_ERROR_INV_RSRC_NAME);
        QCOMPARE(vi, ViSession(VI_NULL));
        QCOMPARE(viOpen(m_rm, "GPIB0::20::INSTR", 0, 0, &vi), VI_ERROR_RSRC_NFOUND);
        QCOMPARE(viOpen(m_rm, "USB0::0x0AAD::0x0054::100200::INSTR", 0, 0, &vi), VI_ERROR_RSRC_NFOUND);
        QCOMPARE(viOpen(m_rm, "TCPIP0::127.0.0.1::5025::SOCKET", 0x40, 0, &vi), VI_ERROR_INV_ACC_MODE);
        QCOMPARE(viOpen(m_rm, nullptr, 0, 0, &vi), VI_ERROR_INV_RSRC_NAME);
        QCOMPARE(viOpen(0x7777, "TCPIP0::127.0.0.1::5025::SOCKET", 0, 0, &vi), VI_ERROR_INV_OBJECT);
        const ViSession bogus = 0x5A5A5A;
        char buffer[64];
        ViUInt32 count = 7;
        QCOMPARE(viClose(VI_NULL), VI_WARN_NULL_OBJECT);
        // I/O on a resource-manager session is not an operation it has.
        QCOMPARE(viRead(m_rm, reinterpret_cast<ViPBuf>(buffer), sizeof buffer, &count), VI_ERROR_NSUP_OPER);
        // A closed session's handle is as dead as one that never was.
        TestServer server(lineServer);
        vi = openLineSession(server);
        QVERIFY(vi != VI_NULL);
        QCOMPARE(viClose(vi), VI_SUCCESS);
        for (ViSession dead : {bogus, vi}) {
            count = 7;
            QCOMPARE(viRead(dead, reinterpret_cast<ViPBuf>(buffer), sizeof buffer, &count),
                     VI_ERROR_INV_OBJECT);
            QCOMPARE(count, ViUInt32(0));
            QCOMPARE(viWrite(dead, reinterpret_cast<ViConstBuf>("x\n"), 2, &count), VI_ERROR_INV_OBJECT);
            QCOMPARE(viClear(dead), VI_ERROR_INV_OBJECT);
            QCOMPARE(viSetAttribute(dead, VI_ATTR_TMO_VALUE, 1), VI_ERROR_INV_OBJECT);
            QCOMPARE(viGetAttribute(dead, VI_ATTR_TMO_VALUE, &count), VI_ERROR_INV_OBJECT);
            QCOMPARE(viSetBuf(dead, VI_READ_BUF, 100), VI_ERROR_INV_OBJECT);
            QCOMPARE(viClose(dead), VI_ERROR_INV_OBJECT);
            QCOMPARE(viLock(dead, VI_EXCLUSIVE_LOCK, 0, nullptr, nullptr), VI_ERROR_INV_OBJECT);
            QCOMPARE(viUnlock(dead), VI_ERROR_INV_OBJECT);
            QCOMPARE(viAssertTrigger(dead, VI_TRIG_PROT_DEFAULT), VI_ERROR_INV_OBJECT);
            QCOMPARE(viDisableEvent(dead, VI_ALL_ENABLED_EVENTS, VI_ALL_MECH), VI_ERROR_INV_OBJECT);
            QCOMPARE(viWaitOnEvent(dead, VI_ALL_ENABLED_EVENTS, 0, nullptr, nullptr), VI_ERROR_INV_OBJECT);
        }
        QCOMPARE(viLock(m_rm, VI_EXCLUSIVE_LOCK, 0, nullptr, nullptr), VI_ERROR_NSUP_OPER);
        QCOMPARE(viReadSTB(m_rm, nullptr), VI_ERROR_NSUP_OPER);
        QCOMPARE(viOpenDefaultRM(nullptr), VI_ERROR_USER_BUF);
        QCOMPARE(viOpen(m_rm, "TCPIP0::127.0.0.1::5025::SOCKET", 0, 0, nullptr), VI_ERROR_USER_BUF);
        QCOMPARE(viStatusDesc(m_rm, VI_SUCCESS, nullptr), VI_ERROR_USER_BUF);
        QCOMPARE(viFindRsrc(m_rm, nullptr, nullptr, nullptr, nullptr), VI_ERROR_INV_EXPR);
    }

    // The status byte and REN need an INSTR session; the events PyVISA asks for on SOCKET are its
    // peer test's.
    void locksTriggerAndStatusByteOnASocket()
    {
        TestServer server(lineServer);
        ViSession vi = openLineSession(server);
        QVERIFY(vi != VI_NULL);
        ViUInt16 stb = 0;
        QCOMPARE(viReadSTB(vi, &stb), VI_ERROR_NSUP_OPER);
        QCOMPARE(viGpibControlREN(vi, VI_GPIB_REN_DEASSERT_GTL), VI_ERROR_NSUP_OPER);
        // Attributes of the other TCPIP class.
        char text[VI_FIND_BUFLEN];
        ViBoolean flag = 0;
        QCOMPARE(viGetAttribute(vi, VI_ATTR_TCPIP_IS_HISLIP, &flag), VI_ERROR_NSUP_ATTR);
        QCOMPARE(viSetAttribute(vi, VI_ATTR_TCPIP_DEVICE_NAME, 1), VI_ERROR_NSUP_ATTR);
        QCOMPARE(viGetAttribute(vi, VI_ATTR_RSRC_MANF_NAME, text), VI_SUCCESS);
        // Locks nest and count down (one session; between sessions the PyVISA peer test has them); a
        // trigger and the status byte need the 488.2 protocol.
        ViAccessMode state = 9;
        QCOMPARE(viLock(vi, 7, 0, nullptr, nullptr), VI_ERROR_INV_LOCK_TYPE);
        QCOMPARE(viLock(vi, VI_SHARED_LOCK, 0, "key", text), VI_SUCCESS);
        QCOMPARE(viLock(vi, VI_SHARED_LOCK, 0, nullptr, text), VI_SUCCESS_NESTED_SHARED);
        QCOMPARE(viLock(vi, VI_EXCLUSIVE_LOCK, 0, nullptr, nullptr), VI_SUCCESS);
        QCOMPARE(viGetAttribute(vi, VI_ATTR_RSRC_LOCK_STATE, &state), VI_SUCCESS);
        QCOMPARE(state, ViAccessMode(VI_EXCLUSIVE_LOCK));
        QCOMPARE(viUnlock(vi), VI_SUCCESS_NESTED_SHARED);
        QCOMPARE(viUnlock(vi), VI_SUCCESS_NESTED_SHARED);
        QCOMPARE(viUnlock(vi), VI_SUCCESS);
        QCOMPARE(viGetAttribute(vi, VI_ATTR_RSRC_LOCK_STATE, &state), VI_SUCCESS);
        QCOMPARE(state, ViAccessMode(VI_NO_LOCK));
        QCOMPARE(viAssertTrigger(vi, VI_TRIG_PROT_DEFAULT), VI_ERROR_NSUP_OPER);
        QCOMPARE(viSetAttribute(vi, VI_ATTR_IO_PROT, VI_PROT_4882_STRS), VI_SUCCESS);
        QCOMPARE(viAssertTrigger(vi, VI_TRIG_PROT_ON), VI_ERROR_INV_PROT);
        QCOMPARE(viClose(vi), VI_SUCCESS);
    }

    void closingTheResourceManagerClosesItsSessions()
    {
        TestServer server(lineServer);
        ViSession rm = VI_NULL;
        QCOMPARE(viOpenDefaultRM(&rm), VI_SUCCESS);
        QVERIFY(rm != m_rm);
        ViSession a = VI_NULL, b = VI_NULL;
        QCOMPARE(viOpen(rm, socketResource(server.port()).c_str(), 0, 0, &a), VI_SUCCESS);
        QCOMPARE(viOpen(rm, socketResource(server.port()).c_str(), 0, 0, &b), VI_SUCCESS);
        ViSession mine = openLineSession(server);
        QVERIFY(mine != VI_NULL);
        QCOMPARE(viClose(rm), VI_SUCCESS);
        ViUInt32 tmo;
        QCOMPARE(viGetAttribute(a, VI_ATTR_TMO_VALUE, &tmo), VI_ERROR_INV_OBJECT);
        QCOMPARE(viGetAttribute(b, VI_ATTR_TMO_VALUE, &tmo), VI_ERROR_INV_OBJECT);
        // Sessions of the other resource manager are not affected.
        QCOMPARE(writeString(mine, "still\n"), VI_SUCCESS);
        ViStatus status;
        QCOMPARE(readString(mine, 100, status), std::string("reply:still\n"));
        viClose(mine);
    }

    void findListsReportOpenedNetworkResources()
    {
        TestServer server(lineServer);
        ViFindList list = VI_NULL;
        ViUInt32 count = 99;
        char desc[VI_FIND_BUFLEN];
        ViSession vi = openLineSession(server);
        QVERIFY(vi != VI_NULL);
        const std::string name = socketResource(server.port());
        QCOMPARE(viFindRsrc(m_rm, "tcpip?*SOCKET", &list, &count, desc), VI_SUCCESS);
        QVERIFY(count >= 1);
        bool seen = name == desc;
        for (ViUInt32 i = 1; i < count; ++i) {
            QCOMPARE(viFindNext(list, desc), VI_SUCCESS);
            seen = seen || name == desc;
        }
        QVERIFY(seen);
        QCOMPARE(viFindNext(list, desc), VI_ERROR_RSRC_NFOUND);
        QCOMPARE(viClose(list), VI_SUCCESS);
        viClose(vi);
    }

    void statusDescriptions()
    {
        char desc[256];
        const ViStatus statuses[] = {
            VI_SUCCESS,           VI_SUCCESS_TERM_CHAR,    VI_SUCCESS_MAX_CNT,     VI_ERROR_TMO,
            VI_ERROR_RSRC_NFOUND, VI_ERROR_INV_RSRC_NAME,  VI_ERROR_CONN_LOST,     VI_ERROR_INV_OBJECT,
            VI_ERROR_NSUP_ATTR,   VI_ERROR_NSUP_OPER,      VI_ERROR_ATTR_READONLY, VI_ERROR_NSUP_ATTR_STATE,
            VI_ERROR_IO,          VI_ERROR_LIBRARY_NFOUND, VI_ERROR_INV_EXPR,      VI_ERROR_INV_ACC_MODE,
            VI_ERROR_ALLOC,       VI_WARN_NULL_OBJECT};
        QSet<QByteArray> seen;
        for (ViStatus s : statuses) {
            QCOMPARE(viStatusDesc(VI_NULL, s, desc), VI_SUCCESS);
            QByteArray text(desc);
            QVERIFY2(text.startsWith("VI_") && text.size() > 20 && text.size() < 256, desc);
            QVERIFY2(!seen.contains(text), desc);
            seen.insert(text);
        }
        QVERIFY(QByteArray(desc).startsWith("VI_WARN_NULL_OBJECT"));
        QCOMPARE(viStatusDesc(VI_NULL, ViStatus(0x12345), desc), VI_WARN_UNKNOWN_STATUS);
        QVERIFY(QByteArray(desc).contains("00012345"));
    }

    void closeWakesABlockedRead()
    {
        TestServer server(waitForClose);
        ViSession vi = openLineSession(server);
        QVERIFY(vi != VI_NULL);
        QCOMPARE(viSetAttribute(vi, VI_ATTR_TMO_VALUE, VI_TMO_INFINITE), VI_SUCCESS);
        std::atomic<ViStatus> readStatus{VI_SUCCESS};
        std::atomic<bool> done{false};
        std::thread reader([&] {
            char buffer[16];
            ViUInt32 got = 0;
            readStatus = viRead(vi, reinterpret_cast<ViPBuf>(buffer), sizeof buffer, &got);
            done = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        QVERIFY(!done);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(viClose(vi), VI_SUCCESS);
        reader.join();
        QVERIFY(endedWithoutHanging(clock.elapsed(), 0));
        QCOMPARE(readStatus.load(), VI_ERROR_CONN_LOST);
    }
};

QTEST_GUILESS_MAIN(TestVisalibSocket)
#include "tst_visalib_socket.moc"
