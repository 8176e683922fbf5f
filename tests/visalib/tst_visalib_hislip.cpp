// HiSLIP sessions of the library against a scripted server on the loopback interface: what the
// client puts on each channel, and what it makes of replies no well-behaved server would send.
#include "hangbound.h"
#include "hislipframe.h"
#include "testserver.h"
#include "visaio.h"

#include <QElapsedTimer>
#include <QtTest>

#include <arpa/inet.h>
#include <map>
#include <mutex>
#include <sys/socket.h>

namespace {

constexpr uint32_t kFirstId = 0xFFFFFF00u;

struct Message
{
    int type = -1;
    int control = 0;
    uint32_t parameter = 0;
    std::string payload;
};

std::string frame(int type, int control, uint32_t parameter, const std::string &payload = {},
                  uint64_t length = ~0ull)
{
    return hislipFrame(quint8(type), quint8(control), parameter, QByteArray::fromStdString(payload), length)
        .toStdString();
}

std::string payload64(uint64_t value)
{
    return hislipU64(value).toStdString();
}

bool readMessage(int fd, Message &m)
{
    unsigned char h[16];
    if (!receiveExactly(fd, h, sizeof h) || h[0] != 'H' || h[1] != 'S')
        return false;
    m.type = h[2];
    m.control = h[3];
    m.parameter = ntohl(*reinterpret_cast<uint32_t *>(h + 4));
    uint64_t length = 0;
    for (int i = 8; i < 16; ++i)
        length = length << 8 | h[i];
    m.payload.assign(length < (1u << 22) ? length : 0, '\0');
    return length < (1u << 22) && receiveExactly(fd, &m.payload[0], m.payload.size());
}

// One HiSLIP server: both channels on one port, a log of every client message, and a script that
// answers the client's DataEnd messages.
class ScriptedServer
{
public:
    std::string reply;   // sent for every DataEnd of the client; empty: "1\n" with its MessageID
    int byteDelayMs = 0; // > 0: the reply dribbles out one byte at a time
    bool closeAfter = false;
    uint64_t maxMessage = 1 << 20;
    uint32_t version = 0x0100;
    int lockAnswer = 1;
    std::string initializeAnswer; // replaces the InitializeResponse when set

    // A test that failed half-way leaves its session open: hang up, so that no handler waits.
    ~ScriptedServer()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (int fd : m_fds)
            shutdown(fd, SHUT_RDWR);
    }

    int port() const { return m_server.port(); }
    std::string resource() const
    {
        return "TCPIP0::127.0.0.1::hislip0," + std::to_string(m_server.port()) + "::INSTR";
    }
    std::vector<Message> logOf(const std::vector<int> &types)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        std::vector<Message> out;
        for (const Message &m : m_log) {
            if (std::find(types.begin(), types.end(), m.type) != types.end())
                out.push_back(m);
        }
        return out;
    }
    // The messages of these types as "type/control/parameter (hex)/payload size".
    QStringList sent(const std::vector<int> &types)
    {
        QStringList out;
        for (const Message &m : logOf(types))
            out << QString::asprintf("%d/%d/%X/%zu", m.type, m.control, m.parameter, m.payload.size());
        return out;
    }

private:
    void record(const Message &m)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_log.push_back(m);
    }

    void serve(int fd)
    {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_fds.push_back(fd);
        }
        converse(fd);
        std::lock_guard<std::mutex> guard(m_lock);
        m_fds.erase(std::find(m_fds.begin(), m_fds.end(), fd));
    }

    void converse(int fd)
    {
        Message m;
        if (!readMessage(fd, m))
            return;
        record(m);
        if (m.type == 0) {
            sendText(fd, initializeAnswer.empty() ? frame(1, 0, version << 16 | 7) : initializeAnswer);
        } else if (m.type == 17) {
            sendText(fd, frame(18, 0, 'S' << 8 | 'V'));
        }
        // Canned answers by message type; a service request on the way (20) must not be taken for
        // the status byte (23).
        const std::map<int, std::string> canned{{8, frame(9, 0, 0)},
                                                {10, frame(11, 0, 0)},
                                                {15, frame(16, 0, 0, payload64(maxMessage))},
                                                {19, frame(20, 0x40, 0) + frame(23, 0, 0)},
                                                {21, frame(22, 0x51, 0)}};
        while (readMessage(fd, m)) {
            record(m);
            if (m.type == 7) {
                answer(fd, m.parameter);
            } else if (m.type == 4) {
                sendText(fd, frame(5, m.control == 1 ? lockAnswer : 1, 0));
            } else if (canned.count(m.type)) {
                sendText(fd, canned.at(m.type));
            }
        }
    }

    void answer(int fd, uint32_t id)
    {
        if (reply.empty()) {
            sendText(fd, frame(7, 0, id, "1\n"));
        } else if (byteDelayMs == 0) {
            sendText(fd, reply);
        }
        for (size_t i = 0; byteDelayMs > 0 && i < reply.size(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(byteDelayMs));
            if (!sendBytes(fd, &reply[i], 1))
                return;
        }
        if (closeAfter)
            shutdown(fd, SHUT_RDWR);
    }

    std::mutex m_lock;
    std::vector<Message> m_log;
    std::vector<int> m_fds;
    TestServer m_server{[this](int fd) { serve(fd); }};
};

} // namespace

class TestVisalibHislip : public QObject
{
    Q_OBJECT

    ViSession m_rm = VI_NULL;

    ViSession open(ScriptedServer &server, ViUInt32 timeoutMs = 2000)
    {
        ViSession vi = VI_NULL;
        const ViStatus status = viOpen(m_rm, server.resource().c_str(), VI_NO_LOCK, 0, &vi);
        if (status != VI_SUCCESS) {
            qWarning("viOpen: 0x%08X", unsigned(status));
            return VI_NULL;
        }
        viSetAttribute(vi, VI_ATTR_TMO_VALUE, timeoutMs);
        return vi;
    }

private slots:
    void init() { QCOMPARE(viOpenDefaultRM(&m_rm), VI_SUCCESS); }
    void cleanup() { QCOMPARE(viClose(m_rm), VI_SUCCESS); }

    void openNegotiatesBothChannels()
    {
        ScriptedServer server;
        server.version = 0x0200; // a 2.0 server talks 1.0 to a 1.0 client
        server.maxMessage = 4096;
        ViSession vi = open(server);
        QVERIFY(vi != VI_NULL);
        const std::vector<Message> log = server.logOf({0});
        QCOMPARE(log.size(), size_t(1));
        QCOMPARE(log[0].parameter >> 16, 0x0100u);
        QCOMPARE(log[0].payload, std::string("hislip0"));
        // The asynchronous channel names the session ID the server gave (7); the client offers 1 MB.
        QCOMPARE(server.sent({0, 17, 15}).mid(1), (QStringList{"17/0/7/0", "15/0/0/8"}));
        QCOMPARE(server.logOf({15})[0].payload, payload64(1 << 20));
        ViBoolean isHislip = VI_FALSE;
        ViUInt32 maxKb = 0;
        char device[VI_FIND_BUFLEN];
        QCOMPARE(viGetAttribute(vi, VI_ATTR_TCPIP_IS_HISLIP, &isHislip), VI_SUCCESS);
        QCOMPARE(viGetAttribute(vi, VI_ATTR_TCPIP_HISLIP_MAX_MESSAGE_KB, &maxKb), VI_SUCCESS);
        QCOMPARE(viGetAttribute(vi, VI_ATTR_TCPIP_DEVICE_NAME, device), VI_SUCCESS);
        QCOMPARE(isHislip, ViBoolean(VI_TRUE));
        QCOMPARE(maxKb, 4u);
        QCOMPARE(QByteArray(device), QByteArray("hislip0"));
        QCOMPARE(viClose(vi), VI_SUCCESS);
    }

    void openFailures_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("maxMessage");
        QTest::addColumn<int>("status");
        QTest::newRow("FatalError instead of InitializeResponse")
            << QByteArray::fromStdString(frame(2, 4, 0, "too many clients")) << 0x0100 << 4096
            << int(VI_ERROR_IO);
        QTest::newRow("wrong prologue")
            << QByteArray("HX") + QByteArray(14, '\0') << 0x0100 << 4096 << int(VI_ERROR_IO);
        QTest::newRow("version 0.9") << QByteArray() << 0x0009 << 4096 << int(VI_ERROR_IO);
        QTest::newRow("maximum message size below a header")
            << QByteArray() << 0x0100 << 16 << int(VI_ERROR_IO);
        QTest::newRow("silence") << QByteArray("HS") << 0x0100 << 4096 << int(VI_ERROR_TMO);
    }

    void openFailures()
    {
        QFETCH(QByteArray, answer);
        ScriptedServer server;
        server.initializeAnswer = answer.toStdString();
        QFETCH(int, version);
        QFETCH(int, maxMessage);
        server.version = uint32_t(version);
        server.maxMessage = uint64_t(maxMessage);
        ViSession vi = 0x1234;
        QElapsedTimer clock;
        clock.start();
        QTEST(int(viOpen(m_rm, server.resource().c_str(), VI_NO_LOCK, 0, &vi)), "status");
        QCOMPARE(vi, ViSession(VI_NULL));
        QVERIFY(endedWithoutHanging(clock.elapsed(), 0));
    }

    // Data (6) and DataEnd (7) messages with their MessageIDs and payload sizes.
    void writesCarryEndAndIds_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("sendEnd");
        QTest::addColumn<QStringList>("messages");
        // The server takes at most 1024 payload bytes per message.
        QTest::newRow("1500 bytes") << 1500 << true << QStringList{"6/0/FFFFFF00/1024", "7/0/FFFFFF02/476"};
        QTest::newRow("9 bytes") << 9 << true << QStringList{"7/0/FFFFFF00/9"};
        QTest::newRow("1024 bytes") << 1024 << true << QStringList{"7/0/FFFFFF00/1024"};
        QTest::newRow("1025 bytes") << 1025 << true << QStringList{"6/0/FFFFFF00/1024", "7/0/FFFFFF02/1"};
        QTest::newRow("1025 bytes, END off")
            << 1025 << false << QStringList{"6/0/FFFFFF00/1024", "6/0/FFFFFF02/1"};
        QTest::newRow("END alone") << 0 << true << QStringList{"7/0/FFFFFF00/0"};
        QTest::newRow("nothing") << 0 << false << QStringList{};
    }

    void writesCarryEndAndIds()
    {
        QFETCH(int, size);
        QFETCH(bool, sendEnd);
        ScriptedServer server;
        server.maxMessage = 1024 + 16;
        ViSession vi = open(server);
        QVERIFY(vi != VI_NULL);
        QCOMPARE(viSetAttribute(vi, VI_ATTR_SEND_END_EN, sendEnd ? VI_TRUE : VI_FALSE), VI_SUCCESS);
        ViUInt32 written = 0;
        QCOMPARE(writeString(vi, std::string(size_t(size), 'q'), &written), VI_SUCCESS);
        QCOMPARE(int(written), size);
        QCOMPARE(viClose(vi), VI_SUCCESS);
        QFETCH(QStringList, messages);
        QTRY_COMPARE(server.sent({6, 7}), messages);
    }

    void clearStatusRemoteAndMessageIds()
    {
        ScriptedServer server;
        ViSession vi = open(server);
        QVERIFY(vi != VI_NULL);
        ViStatus status;
        for (const char *command : {"A", "B", "C"}) {
            QCOMPARE(writeString(vi, command), VI_SUCCESS);
            if (command[0] != 'B') {
                QCOMPARE(readString(vi, 100, status), std::string("1\n")); // B's answer is dropped as stale
                QCOMPARE(status, VI_SUCCESS);
            }
        }
        ViUInt16 stb = 0;
        QCOMPARE(viReadSTB(vi, &stb), VI_SUCCESS);
        QCOMPARE(stb, ViUInt16(0x51));
        QCOMPARE(viClear(vi), VI_SUCCESS);
        QCOMPARE(writeString(vi, "D"), VI_SUCCESS);
        QCOMPARE(readString(vi, 100, status), std::string("1\n"));
        for (ViUInt16 mode = VI_GPIB_REN_DEASSERT; mode <= VI_GPIB_REN_ADDRESS_GTL; ++mode)
            QCOMPARE(viGpibControlREN(vi, mode), VI_SUCCESS);
        // The trigger travels on the synchronous channel: a query after it keeps the log in order.
        QCOMPARE(viAssertTrigger(vi, VI_TRIG_PROT_DEFAULT), VI_SUCCESS);
        QCOMPARE(writeString(vi, "E"), VI_SUCCESS);
        QCOMPARE(readString(vi, 100, status), std::string("1\n"));
        QCOMPARE(viLock(vi, VI_EXCLUSIVE_LOCK, 1500, VI_NULL, VI_NULL), VI_SUCCESS);
        QCOMPARE(viUnlock(vi), VI_SUCCESS);
        ViChar key[VI_FIND_BUFLEN];
        QCOMPARE(viLock(vi, VI_SHARED_LOCK, 0, "bench", key), VI_SUCCESS);
        QCOMPARE(QByteArray(key), QByteArray("bench"));
        QCOMPARE(viUnlock(vi), VI_SUCCESS);
        server.lockAnswer = 0; // not granted within the lock time-out
        QCOMPARE(viLock(vi, VI_EXCLUSIVE_LOCK, 100, VI_NULL, VI_NULL), VI_ERROR_TMO);
        QCOMPARE(viClose(vi), VI_SUCCESS);

        // Control bit 0 tells the server that a whole response was read before this message.
        const QStringList expected{"7/0/FFFFFF00/1",  "7/1/FFFFFF02/1",  "7/0/FFFFFF04/1",  "21/1/FFFFFF04/0",
                                   "19/0/0/0",        "8/0/0/0",         "7/0/FFFFFF00/1",  "10/0/FFFFFF00/0",
                                   "10/1/FFFFFF00/0", "10/2/FFFFFF00/0", "10/3/FFFFFF00/0", "10/4/FFFFFF00/0",
                                   "10/5/FFFFFF00/0", "10/6/FFFFFF00/0", "12/1/FFFFFF02/0", "7/0/FFFFFF04/1",
                                   "4/1/5DC/0",       "4/0/FFFFFF04/0",  "4/1/0/5",         "4/0/FFFFFF04/0",
                                   "4/1/64/0"};
        QCOMPARE(server.sent({7, 21, 19, 8, 10, 12, 4}), expected);
        QCOMPARE(server.logOf({4})[2].payload, std::string("bench")); // a shared lock carries its key
    }

    void hostileReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("byteDelayMs");
        QTest::addColumn<bool>("closeAfter");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("statusByteAfter"); // the session afterwards
        const auto row = [](const char *tag, const std::string &reply, int status, const char *data,
                            int statusByteAfter, int byteDelayMs = 0, int timeoutMs = 2000,
                            bool closeAfter = false) {
            QTest::newRow(tag) << QByteArray::fromStdString(reply) << byteDelayMs << closeAfter << timeoutMs
                               << status << QByteArray(data) << statusByteAfter;
        };
        const uint32_t id = kFirstId; // the query is the session's first message
        const int ok = VI_SUCCESS, io = VI_ERROR_IO, lost = VI_ERROR_CONN_LOST;
        row("split over Data messages",
            frame(6, 0, id, "AB") + frame(6, 0, 0xFFFFFFFF, "CD") + frame(7, 0, id, "E\n"), ok, "ABCDE\n",
            ok);
        row("stale MessageID", frame(7, 0, id - 2, "OLD\n") + frame(7, 0, id, "NEW\n"), ok, "NEW\n", ok);
        row("unknown type, Interrupted", frame(99, 0, 0, "junk") + frame(13, 0, id) + frame(7, 0, id, "OK\n"),
            ok, "OK\n", ok);
        row("Error", frame(3, 0, 0, "confused"), io, "", ok);
        row("FatalError", frame(2, 1, 0, "bye"), io, "", lost);
        row("wrong prologue", "XS" + frame(7, 0, id, "OK\n").substr(2), io, "", lost);
        row("payload length 2^63", frame(7, 0, id, {}, 1ull << 63), io, "", lost);
        row("closed mid-message", frame(7, 0, id, {}, 100) + "0123456789", lost, "0123456789", lost, 0, 2000,
            true);
        row("one byte every 200 ms", frame(7, 0, id, "OK\n"), ok, "OK\n", ok, 200, 6000);
        row("one byte every 200 ms, 1 s time-out", frame(7, 0, id, "OK\n"), VI_ERROR_TMO, "", ok, 200, 1000);
    }

    void hostileReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, timeoutMs);
        ScriptedServer server;
        server.reply = reply.toStdString();
        QFETCH(int, byteDelayMs);
        server.byteDelayMs = byteDelayMs;
        QFETCH(bool, closeAfter);
        server.closeAfter = closeAfter;
        ViSession vi = open(server, ViUInt32(timeoutMs));
        QVERIFY(vi != VI_NULL);
        QCOMPARE(writeString(vi, "*IDN?"), VI_SUCCESS);
        QElapsedTimer clock;
        clock.start();
        ViStatus status;
        const std::string got = readString(vi, 1000, status);
        QVERIFY2(endedWithoutHanging(clock.elapsed(), timeoutMs),
                 qPrintable(QString::number(clock.elapsed())));
        QTEST(int(status), "status");
        QTEST(QByteArray::fromStdString(got), "data");
        ViUInt16 stb = 0;
        QTEST(int(viReadSTB(vi, &stb)), "statusByteAfter");
        QCOMPARE(viClose(vi), VI_SUCCESS);
    }
};

QTEST_GUILESS_MAIN(TestVisalibHislip)
#include "tst_visalib_hislip.moc"
