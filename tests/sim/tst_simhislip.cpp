// The simulator's HiSLIP server, driven by a hand-made client: what a VISA library relies on
// (sessions, MessageIDs, splitting at the negotiated size, device clear, status byte, locks) and
// what a hostile or broken client gets: the right Error or FatalError, the connection closed where
// the protocol demands it, and the simulator serving the next client.
#include "hislipframe.h"
#include "simprocess.h"

#include "sim/hislipcodec.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace Hislip;

namespace {
constexpr quint8 None = 0xFF;
constexpr quint32 FirstId = FirstMessageId;

QByteArray hs(quint8 type, quint8 control, quint32 parameter, const QByteArray &payload = {},
              quint64 length = ~quint64(0))
{
    return hislipFrame(type, control, parameter, payload, length);
}

struct Msg
{
    quint8 type = None;
    quint8 control = 0;
    quint32 parameter = 0;
    QByteArray payload;
};

struct Channel
{
    QTcpSocket socket;
    QByteArray buffer;

    bool connectTo(quint16 port)
    {
        socket.connectToHost("127.0.0.1", port);
        return socket.waitForConnected(3000);
    }
    void send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.waitForBytesWritten(3000);
    }
    // type None on time-out or a closed connection
    Msg read(int timeoutMs = 3000)
    {
        const QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            buffer += socket.readAll();
            const quint64 length = buffer.size() >= 16 ? qFromBigEndian<quint64>(buffer.constData() + 8) : 0;
            if (buffer.size() >= 16 && quint64(buffer.size()) >= 16 + length) {
                const Msg m{quint8(buffer[2]), quint8(buffer[3]),
                            qFromBigEndian<quint32>(buffer.constData() + 4), buffer.mid(16, int(length))};
                buffer.remove(0, int(16 + length));
                return m;
            }
            if (deadline.hasExpired() || socket.state() != QAbstractSocket::ConnectedState)
                return {};
            socket.waitForReadyRead(50);
        }
    }
    bool closes()
    {
        return socket.state() != QAbstractSocket::ConnectedState || socket.waitForDisconnected(3000);
    }
};

struct Session
{
    Channel sync, async;
    Msg init;
    quint16 id = 0;
    quint32 next = FirstId;

    bool open(quint16 port)
    {
        if (!sync.connectTo(port))
            return false;
        sync.send(hs(Initialize, 0, 0x01004C54, "hislip0"));
        init = sync.read();
        id = quint16(init.parameter);
        if (init.type != InitializeResponse || init.parameter >> 16 != 0x0100 || !async.connectTo(port))
            return false;
        async.send(hs(AsyncInitialize, 0, id));
        return async.read().type == AsyncInitializeResponse;
    }
    void write(const QByteArray &text, bool end = true)
    {
        sync.send(hs(end ? DataEnd : Data, 0, next, text));
        next += 2;
    }
    // The reply to the last message: its Data pieces up to DataEnd, all with the sender's ID.
    QByteArray query(const QByteArray &text, int *pieces = nullptr)
    {
        write(text);
        QByteArray reply;
        for (int n = 1;; ++n) {
            const Msg m = sync.read();
            if ((m.type != Data && m.type != DataEnd) || m.parameter != next - 2)
                return "<unexpected " + QByteArray::number(m.type) + ">";
            reply += m.payload;
            if (pieces)
                *pieces = n;
            if (m.type == DataEnd)
                return reply;
        }
    }
    Msg ask(quint8 type, quint8 control, quint32 parameter, const QByteArray &payload = {})
    {
        async.send(hs(type, control, parameter, payload));
        return async.read();
    }
};
} // namespace

class TstSimHislip : public QObject
{
    Q_OBJECT
private slots:
    void sessionsAndResourceName();
    void deviceClearDropsInputAndOutput();
    void statusAndRemote();
    void locksBetweenClients();
    void hostileClient_data();
    void hostileClient();
    void slowAndVanishingClients();

private:
    SimProcess m_sim;
};

// Splitting at the negotiated message size, both ways, is the library's 31 MB block against the
// simulator (tst_visalib_sim), which refuses any message beyond the 1 MB it offers.
void TstSimHislip::sessionsAndResourceName()
{
    SimProcess sim;
    QVERIFY2(sim.start(SimProcess::freePorts()), qPrintable(sim.errorText()));
    const quint16 port = sim.hislipPort();
    QVERIFY(sim.resources().contains(port == 4880
                                         ? QString("TCPIP0::127.0.0.1::hislip0::INSTR")
                                         : QString("TCPIP0::127.0.0.1::hislip0,%1::INSTR").arg(port)));
    Session a, b;
    QVERIFY(a.open(port) && b.open(port));
    QVERIFY(a.id != b.id);
    QCOMPARE(a.query("*IDN?"), QByteArray("Tarvik,ZOY550X,1430.8002K02/106070,5.00.122.24\n"));
}

void TstSimHislip::deviceClearDropsInputAndOutput()
{
    SimProcess sim;
    QVERIFY(sim.start(SimProcess::freePorts({"--fault", "reply-delay=300"})));
    Session s;
    QVERIFY(s.open(sim.hislipPort()));
    s.write("*IDN?");                      // its reply is still delayed,
    s.write(":SOUR1:FREQ 1e9;*ID", false); // and half a message waits for its end
    QCOMPARE(s.ask(AsyncDeviceClear, 0, 0).type, quint8(AsyncDeviceClearAcknowledge));
    s.sync.send(hs(DeviceClearComplete, 0, 0));
    QCOMPARE(s.sync.read().type, quint8(DeviceClearAcknowledge));
    s.next = FirstId;
    QVERIFY(s.query("*OPT?;SYST:ERR?").endsWith(";0,\"No error\"\n"));
    QCOMPARE(s.sync.read(600).type, quint8(None)); // the dropped reply never comes
}

void TstSimHislip::statusAndRemote()
{
    SimProcess sim;
    QVERIFY(sim.start(SimProcess::freePorts()));
    Session s;
    QVERIFY(s.open(sim.hislipPort()));
    QCOMPARE(s.ask(AsyncStatusQuery, 0, 0).control, quint8(0));
    s.write("BOGUS");
    QCOMPARE(s.query("*OPC?"), QByteArray("1\n"));
    QCOMPARE(s.ask(AsyncStatusQuery, 0, 0).control, quint8(0x14)); // error queue and reply available
    QCOMPARE(s.ask(AsyncStatusQuery, 1, 0).control, quint8(0x04)); // the reply was read
    QCOMPARE(s.ask(AsyncRemoteLocalControl, 5, 7).type, quint8(AsyncRemoteLocalResponse));
}

void TstSimHislip::locksBetweenClients()
{
    SimProcess sim;
    QVERIFY(sim.start(SimProcess::freePorts()));
    Session a, b;
    QVERIFY(a.open(sim.hislipPort()) && b.open(sim.hislipPort()));
    QCOMPARE(a.ask(AsyncLock, 1, 0).control, quint8(1));
    QCOMPARE(b.ask(AsyncLock, 1, 0).control, quint8(0)); // no waiting: refused at once
    const Msg info = b.ask(AsyncLockInfo, 0, 0);
    QVERIFY(info.type == AsyncLockInfoResponse && info.control == 1 && info.parameter == 1);
    b.write("*IDN?"); // held until the lock is gone
    QCOMPARE(b.sync.read(300).type, quint8(None));
    b.async.send(hs(AsyncLock, 1, 3000));
    QCOMPARE(b.async.read(200).type, quint8(None));
    QCOMPARE(a.ask(AsyncLock, 0, 0).control, quint8(1));
    QCOMPARE(b.async.read().control, quint8(1));
    QCOMPARE(b.sync.read().type, quint8(DataEnd));
    QCOMPARE(a.ask(AsyncLock, 1, 100).control, quint8(0)); // timed out
    QCOMPARE(b.ask(AsyncLock, 0, 0).control, quint8(1));
    // Shared locks: one key for all holders; an exclusive request waits for them.
    QCOMPARE(a.ask(AsyncLock, 1, 0, "key").control, quint8(1));
    QCOMPARE(b.ask(AsyncLock, 1, 0, "other").control, quint8(0));
    QCOMPARE(b.ask(AsyncLock, 1, 0, "key").control, quint8(1));
    QCOMPARE(a.query("*OPC?"), QByteArray("1\n"));
    QCOMPARE(a.ask(AsyncLock, 1, 50).control, quint8(0));
    QCOMPARE(a.ask(AsyncLock, 0, 0).control, quint8(2));
    QCOMPARE(a.ask(AsyncLock, 0, 0).control, quint8(3)); // nothing held
    b.sync.socket.abort();                               // a vanishing holder releases its locks
    QCOMPARE(a.ask(AsyncLock, 1, 2000).control, quint8(1));
}

void TstSimHislip::hostileClient_data()
{
    QTest::addColumn<int>("setup"); // 0 fresh connection, 1 synchronous channel only, 2 session
    QTest::addColumn<bool>("onAsync");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");

    QByteArray badPrologue = hs(DataEnd, 0, FirstId, "*IDN?");
    badPrologue[0] = 'X';
    QTest::newRow("wrong prologue first") << 0 << false << badPrologue << 2 << 1;
    QTest::newRow("wrong prologue in session") << 2 << false << badPrologue << 2 << 1;
    QTest::newRow("data before any init") << 0 << false << hs(DataEnd, 0, FirstId, "*IDN?") << 2 << 2;
    QTest::newRow("data without async channel") << 1 << false << hs(DataEnd, 0, FirstId, "*IDN?") << 2 << 2;
    QTest::newRow("async init of no session") << 0 << false << hs(AsyncInitialize, 0, 0xBEEF) << 2 << 3;
    QTest::newRow("unknown sub-address") << 0 << false << hs(Initialize, 0, 0x01000000, "inst0") << 2 << 3;
    QTest::newRow("initialize twice") << 2 << false << hs(Initialize, 0, 0x01000000, "hislip0") << 2 << 3;
    QTest::newRow("reserved type") << 2 << false << hs(77, 0, 0) << 3 << 1;
    QTest::newRow("vendor type") << 2 << true << hs(200, 0, 0, "x") << 3 << 3;
    QTest::newRow("reply type from client") << 2 << true << hs(InitializeResponse, 0, 0) << 3 << 1;
    QTest::newRow("data on async channel") << 2 << true << hs(DataEnd, 0, FirstId, "*IDN?") << 3 << 1;
    QTest::newRow("async message on sync") << 2 << false << hs(AsyncStatusQuery, 0, 0) << 3 << 1;
    QTest::newRow("bad remote code") << 2 << true << hs(AsyncRemoteLocalControl, 9, 0) << 3 << 2;
    QTest::newRow("size 2^64-1") << 2 << true << hs(AsyncMaximumMessageSize, 0, 0, hislipU64(~quint64(0)))
                                 << 16 << 0;
    QTest::newRow("short size payload") << 2 << true << hs(AsyncMaximumMessageSize, 0, 0, "abc") << 3 << 0;
    QTest::newRow("payload 2^63") << 2 << false << hs(DataEnd, 0, FirstId, "*IDN?", quint64(1) << 63) << 3
                                  << 4;
    QTest::newRow("lock string 2^63") << 2 << true << hs(AsyncLock, 1, 0, "", quint64(1) << 63) << 3 << 4;
}

void TstSimHislip::hostileClient()
{
    QFETCH(int, setup);
    QFETCH(bool, onAsync);
    QFETCH(QByteArray, bytes);
    QFETCH(int, type);
    QFETCH(int, code);
    // One simulator for all rows: each must leave it serving.
    if (m_sim.process().state() != QProcess::Running)
        QVERIFY(m_sim.start(SimProcess::freePorts()));
    const quint16 port = m_sim.hislipPort();
    Session s;
    if (setup == 2) {
        QVERIFY(s.open(port));
    } else {
        QVERIFY(s.sync.connectTo(port));
        if (setup == 1) {
            s.sync.send(hs(Initialize, 0, 0x01000000, "hislip0"));
            QCOMPARE(s.sync.read().type, quint8(InitializeResponse));
        }
    }
    Channel &channel = onAsync ? s.async : s.sync;
    channel.send(bytes);
    const Msg answer = channel.read();
    QCOMPARE(int(answer.type), type);
    QCOMPARE(int(answer.control), code);
    if (type == FatalError) {
        QVERIFY(s.sync.closes());
        if (setup == 2)
            QVERIFY(s.async.closes());
    } else if (code != 4 || onAsync) {
        QCOMPARE(s.query("*OPC?"), QByteArray("1\n")); // the session goes on
    }
    Session next;
    QVERIFY(next.open(port));
    QCOMPARE(next.query("*OPC?"), QByteArray("1\n"));
}

void TstSimHislip::slowAndVanishingClients()
{
    QTemporaryDir dir;
    SimProcess sim;
    QVERIFY(sim.start(SimProcess::freePorts({"--log", dir.path() + "/log"})));
    const quint16 port = sim.hislipPort();

    // One byte every 200 ms: the message is understood, and nobody else waits for it.
    Session slow, quick;
    QVERIFY(slow.open(port) && quick.open(port));
    const QByteArray frequency = quick.query("SOUR1:FREQ?");
    const QByteArray message = hs(DataEnd, 0, FirstId, "*OPC?\n");
    for (int i = 0; i < message.size(); ++i) {
        slow.sync.send(message.mid(i, 1));
        QTest::qWait(200);
        if (i == 4)
            QCOMPARE(quick.query("*OPC?"), QByteArray("1\n"));
    }
    QCOMPARE(slow.sync.read().payload, QByteArray("1\n"));

    // A channel closed in the middle of a message ends the session; the fragment is not run.
    Session cut;
    QVERIFY(cut.open(port));
    cut.sync.send(hs(DataEnd, 0, FirstId, "", 40) + ":SOUR1:FREQ 2e9");
    cut.sync.socket.disconnectFromHost();
    QVERIFY(cut.async.closes());

    // Too many clients: the one past the limit hears so, and a freed place can be taken again.
    QList<Session *> sessions;
    do
        sessions << new Session;
    while (sessions.last()->open(port) && sessions.size() < 40);
    QCOMPARE(sessions.size(), 32 - 2 + 1); // slow and quick hold two places
    QCOMPARE(sessions.last()->init.type, quint8(FatalError));
    QCOMPARE(sessions.last()->init.control, quint8(4));
    qDeleteAll(sessions);
    // The server frees a place when its event loop reads the closed client's end of stream,
    // which follows the close asynchronously; wait for that, bounded.
    QTRY_VERIFY_WITH_TIMEOUT(Session().open(port), 3000);
    QCOMPARE(quick.query("SOUR1:FREQ?"), frequency);
    QFile log(dir.path() + "/log");
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains("HISLIP CUT :SOUR1:FREQ 2e9\n"));
}

QTEST_MAIN(TstSimHislip)
#include "tst_simhislip.moc"
