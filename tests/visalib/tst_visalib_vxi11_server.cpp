// The VXI-11 client against a scripted server that speaks the RPC by hand: it checks what goes
// on the wire (chunking at maxRecvSize, END only on the last chunk) and answers with replies no
// honest instrument sends. Needs the portmapper port 111, so it runs in a network namespace.
#include "../instrmanage/rpcbytes.h"
#include "testserver.h"
#include "visalib/visa32.h"

#include <QtTest>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kCoreProgram = 0x0607AF;
constexpr uint32_t kEndFlag = 0x08;

using RpcBytes::words;

// One RPC call as read from the record stream.
struct Call
{
    uint32_t xid = 0;
    uint32_t procedure = 0;
    std::vector<uint32_t> words; // the arguments, as 32-bit words
    QByteArray opaque;           // for device_write: the data bytes
};

bool receiveCall(int fd, Call &call)
{
    QByteArray record;
    for (;;) {
        QByteArray mark(4, '\0');
        if (!receiveExactly(fd, mark.data(), 4))
            return false;
        QByteArray fragment(int(RpcBytes::wordAt(mark, 0) & 0x7FFFFFFF), '\0');
        if (!receiveExactly(fd, fragment.data(), size_t(fragment.size())))
            return false;
        record += fragment;
        if (RpcBytes::wordAt(mark, 0) & 0x80000000u)
            break;
    }
    // xid, type, rpcvers, prog, vers, proc, cred flavor, cred length (0), verf flavor, verf length
    const int args = 4 * (8 + (int(RpcBytes::wordAt(record, 28)) + 3) / 4 + 2);
    call.xid = RpcBytes::wordAt(record, 0);
    call.procedure = RpcBytes::wordAt(record, 20);
    call.words.clear();
    for (int i = args; i + 4 <= record.size(); i += 4)
        call.words.push_back(RpcBytes::wordAt(record, i));
    if (call.procedure == 11 && call.words.size() >= 5) // device_write: lid, io, lock, flags, data<>
        call.opaque = record.mid(args + 20, int(call.words[4]));
    return true;
}

bool sendReply(int fd, uint32_t xid, const QByteArray &results)
{
    const QByteArray record = RpcBytes::record(RpcBytes::acceptedHeader(xid) + results);
    return sendBytes(fd, record.constData(), size_t(record.size()));
}

// What the scripted core server saw and how it answers device_read.
struct Script
{
    std::mutex lock;
    QStringList writes; // of each device_write: its size, " END" with the END flag
    QByteArray received;
    enum class ReadAnswer
    {
        Honest,
        TooLong,
        HangUp
    } readAnswer = ReadAnswer::Honest;
};

void coreServer(int fd, Script &script)
{
    Call call;
    while (receiveCall(fd, call)) {
        QByteArray results;
        switch (call.procedure) {
        case 10: // create_link: no error, link 7, abort port 0, maxRecvSize 1024
            results = words({0, 7, 0, 1024});
            break;
        case 11: {
            std::lock_guard<std::mutex> guard(script.lock);
            script.writes << QString::number(call.opaque.size()) + ((call.words[3] & kEndFlag) ? " END" : "");
            script.received += call.opaque;
            results = words({0, static_cast<uint32_t>(call.opaque.size())});
            break;
        }
        case 12: {
            Script::ReadAnswer answer;
            {
                std::lock_guard<std::mutex> guard(script.lock);
                answer = script.readAnswer;
            }
            const uint32_t requested = call.words[1];
            if (answer == Script::ReadAnswer::HangUp)
                return;
            results = words({0, 4}) + RpcBytes::opaque(answer == Script::ReadAnswer::TooLong
                                                           ? QByteArray(int(requested) + 100, 'L')
                                                           : QByteArray("OK\n"));
            break;
        }
        default: // clear, destroy_link, ...: no error
            results = words({0});
            break;
        }
        if (!sendReply(fd, call.xid, results))
            return;
    }
}

void portmapper(int fd, uint16_t corePort)
{
    Call call;
    while (receiveCall(fd, call)) {
        // GETPORT(prog, vers, prot, port): only the core channel over TCP is known.
        uint32_t port = call.procedure == 3 && call.words.size() >= 3 && call.words[0] == kCoreProgram &&
                                call.words[2] == 6
                            ? corePort
                            : 0;
        if (!sendReply(fd, call.xid, words({port})))
            return;
    }
}

} // namespace

class TestVisalibVxi11Server : public QObject
{
    Q_OBJECT

private:
    Script m_script;
    std::unique_ptr<TestServer> m_core;
    std::unique_ptr<TestServer> m_portmapper;
    ViSession m_rm = VI_NULL;
    ViSession m_vi = VI_NULL;

private slots:
    void init()
    {
        m_script.writes.clear();
        m_script.received.clear();
        m_script.readAnswer = Script::ReadAnswer::Honest;
        m_core = std::make_unique<TestServer>([this](int fd) { coreServer(fd, m_script); });
        const uint16_t corePort = m_core->port();
        m_portmapper = std::make_unique<TestServer>([corePort](int fd) { portmapper(fd, corePort); }, 111);
        QVERIFY2(m_portmapper->listening(), "port 111 is not free");
        QCOMPARE(viOpenDefaultRM(&m_rm), VI_SUCCESS);
        QCOMPARE(viOpen(m_rm, "TCPIP0::127.0.0.1::inst0::INSTR", VI_NO_LOCK, 0, &m_vi), VI_SUCCESS);
        QCOMPARE(viSetAttribute(m_vi, VI_ATTR_TMO_VALUE, 1000), VI_SUCCESS);
    }

    void cleanup()
    {
        viClose(m_rm); // closes the session too
        m_portmapper.reset();
        m_core.reset();
    }

    void writesAreCutAtMaxRecvSizeWithEndOnTheLastPiece()
    {
        std::string message(2500, 'w');
        for (size_t i = 0; i < message.size(); ++i)
            message[i] = char('a' + i % 26);
        ViUInt32 written = 0;
        QCOMPARE(
            viWrite(m_vi, reinterpret_cast<ViConstBuf>(message.data()), ViUInt32(message.size()), &written),
            VI_SUCCESS);
        QCOMPARE(written, ViUInt32(message.size()));
        {
            std::lock_guard<std::mutex> guard(m_script.lock);
            QCOMPARE(m_script.writes, (QStringList{"1024", "1024", "452 END"}));
            QVERIFY(m_script.received == QByteArray::fromStdString(message));
            m_script.writes.clear();
        }
        // Without VI_ATTR_SEND_END_EN no piece carries END.
        QCOMPARE(viSetAttribute(m_vi, VI_ATTR_SEND_END_EN, VI_FALSE), VI_SUCCESS);
        QCOMPARE(viWrite(m_vi, reinterpret_cast<ViConstBuf>("abc"), 3, &written), VI_SUCCESS);
        std::lock_guard<std::mutex> guard(m_script.lock);
        QCOMPARE(m_script.writes, QStringList{"3"});
    }

    void replyLongerThanRequestedIsRefused()
    {
        char buffer[64];
        std::memset(buffer, 0, sizeof buffer);
        ViUInt32 got = 0;
        QCOMPARE(viRead(m_vi, reinterpret_cast<ViPBuf>(buffer), 8, &got), VI_SUCCESS);
        QCOMPARE(QByteArray(buffer, int(got)), QByteArray("OK\n"));
        m_script.readAnswer = Script::ReadAnswer::TooLong;
        QCOMPARE(viRead(m_vi, reinterpret_cast<ViPBuf>(buffer), 8, &got), VI_ERROR_IO);
        QCOMPARE(got, ViUInt32(0));
        QCOMPARE(QByteArray(buffer + 8, sizeof buffer - 8),
                 QByteArray(sizeof buffer - 8, '\0')); // nothing past the count
        // The link recovers: the rest of the bad record is skipped.
        m_script.readAnswer = Script::ReadAnswer::Honest;
        QCOMPARE(viRead(m_vi, reinterpret_cast<ViPBuf>(buffer), 8, &got), VI_SUCCESS);
        QCOMPARE(QByteArray(buffer, int(got)), QByteArray("OK\n"));
    }

    void serverHangingUpIsALostConnection()
    {
        m_script.readAnswer = Script::ReadAnswer::HangUp;
        char buffer[16];
        ViUInt32 got = 0;
        QCOMPARE(viRead(m_vi, reinterpret_cast<ViPBuf>(buffer), sizeof buffer, &got), VI_ERROR_CONN_LOST);
        QCOMPARE(viWrite(m_vi, reinterpret_cast<ViConstBuf>("x"), 1, &got), VI_ERROR_CONN_LOST);
        QCOMPARE(viClear(m_vi), VI_ERROR_CONN_LOST);
        QCOMPARE(viClose(m_vi), VI_SUCCESS);
    }
};

QTEST_GUILESS_MAIN(TestVisalibVxi11Server)
#include "tst_visalib_vxi11_server.moc"
