// The simulator's network faces with clients that know nothing of it: liblxi (VXI-11 through the
// portmapper on port 111, and the raw socket on 5025), liblxi's broadcast discovery of several
// instruments, and hand-made ONC RPC calls for the portmapper and the VXI-11 details that liblxi
// does not exercise. Runs in a private network namespace.
#include "simprocess.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QUdpSocket>
#include <QtTest>

#include <lxi.h>

namespace {
QByteArray xdrWords(const QList<quint32> &words)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    for (quint32 w : words)
        s << w;
    return out;
}

QByteArray xdrOpaque(const QByteArray &bytes)
{
    QByteArray out = xdrWords({quint32(bytes.size())}) + bytes;
    while (out.size() % 4)
        out.append('\0');
    return out;
}

QByteArray rpcCall(quint32 xid, quint32 program, quint32 version, quint32 procedure, const QByteArray &args)
{
    return xdrWords({xid, 0, 2, program, version, procedure, 0, 0, 0, 0}) + args;
}

QList<quint32> words(const QByteArray &bytes, int from = 0)
{
    QList<quint32> out;
    QDataStream s(bytes.mid(from));
    while (!s.atEnd()) {
        quint32 w;
        s >> w;
        if (s.status() != QDataStream::Ok)
            break;
        out << w;
    }
    return out;
}

// Minimal VXI-11 core client over one TCP connection, written from the published interface.
class Vxi11Client
{
public:
    bool connectTo(quint16 port)
    {
        m_socket.connectToHost("127.0.0.1", port);
        return m_socket.waitForConnected(2000);
    }
    // Sends one RPC record (optionally as several fragments) and returns the reply body.
    QByteArray call(quint32 procedure, const QByteArray &args, int fragments = 1)
    {
        const QByteArray body = rpcCall(++m_xid, 0x0607AF, 1, procedure, args);
        QByteArray wire;
        const int piece = (body.size() + fragments - 1) / fragments;
        for (int at = 0; at < body.size(); at += piece) {
            const QByteArray part = body.mid(at, piece);
            const bool last = at + piece >= body.size();
            wire += xdrWords({(last ? 0x80000000u : 0u) | quint32(part.size())}) + part;
        }
        m_socket.write(wire);
        return readRecord();
    }
    QByteArray readRecord(int timeoutMs = 3000)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            if (m_buffer.size() >= 4) {
                const quint32 length = words(m_buffer.left(4)).first() & 0x7FFFFFFF;
                if (quint32(m_buffer.size()) >= 4 + length) {
                    const QByteArray record = m_buffer.mid(4, int(length));
                    m_buffer.remove(0, int(4 + length));
                    return record;
                }
            }
            m_socket.waitForReadyRead(50);
            m_buffer += m_socket.readAll();
        }
        return QByteArray();
    }
    quint32 xid() const { return m_xid; }
    QTcpSocket m_socket;

private:
    QByteArray m_buffer;
    quint32 m_xid = 100;
};

// Result words after the 24-byte accepted-reply header.
QList<quint32> result(const QByteArray &reply)
{
    return words(reply, 24);
}

QStringList g_found;
void onDevice(const char *address, const char *id)
{
    g_found << QString("%1 %2").arg(address, id);
}
} // namespace

class TstSimNetwork : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void lxiVxi11AndRaw();
    void portmapperGetPortOverUdpAndTcp();
    void vxi11PartsAndSplitRecords();
    void vxi11ErrorsAndRefusedLink();
    void discoveryFindsEveryInstrument();

private:
    SimProcess m_sim;
};

void TstSimNetwork::initTestCase()
{
    lxi_init();
    QVERIFY(m_sim.start({"--model", "ZOY550X"}));
    QCOMPARE(m_sim.socketPort(), quint16(5025));
}

void TstSimNetwork::lxiVxi11AndRaw()
{
    for (lxi_protocol_t protocol : {VXI11, RAW}) {
        const int device = lxi_connect("127.0.0.1", protocol == RAW ? 5025 : 0, "inst0", 2000, protocol);
        QVERIFY(device >= 0);
        const QByteArray command = protocol == RAW ? "*IDN?\n" : "*IDN?";
        QVERIFY(lxi_send(device, command.constData(), command.size(), 2000) >= 0);
        char reply[256] = {};
        const int n = lxi_receive(device, reply, sizeof(reply) - 1, 2000);
        QVERIFY(n > 0);
        QCOMPARE(QByteArray(reply, n).trimmed(),
                 QByteArray("Tarvik,ZOY550X,1430.8002K02/106070,5.00.122.24"));
        lxi_disconnect(device);
    }
}

void TstSimNetwork::portmapperGetPortOverUdpAndTcp()
{
    const QByteArray getPort = rpcCall(4711, 100000, 2, 3, xdrWords({0x0607AF, 1, 6, 0}));
    QUdpSocket udp;
    QVERIFY(udp.bind(QHostAddress(QHostAddress::LocalHost), 0));
    udp.writeDatagram(getPort, QHostAddress::LocalHost, 111);
    QVERIFY(udp.waitForReadyRead(2000));
    QByteArray datagram(int(udp.pendingDatagramSize()), 0);
    udp.readDatagram(datagram.data(), datagram.size());
    QCOMPARE(words(datagram), (QList<quint32>{4711, 1, 0, 0, 0, 0, m_sim.vxi11Port()}));

    QTcpSocket tcp;
    tcp.connectToHost(QHostAddress::LocalHost, 111);
    QVERIFY(tcp.waitForConnected(2000));
    // Two calls in one segment: GETPORT for an unregistered program, then the core channel.
    tcp.write(xdrWords({0x80000000u | 56}) + rpcCall(1, 100000, 2, 3, xdrWords({0x0607B0, 1, 6, 0})) +
              xdrWords({0x80000000u | 56}) + getPort);
    QByteArray replies;
    QElapsedTimer t;
    t.start();
    while (replies.size() < 2 * 32 && t.elapsed() < 2000) {
        tcp.waitForReadyRead(100);
        replies += tcp.readAll();
    }
    const QList<quint32> w = words(replies);
    QCOMPARE(w.mid(0, 8), (QList<quint32>{0x80000000u | 28, 1, 1, 0, 0, 0, 0, 0}));
    QCOMPARE(w.mid(8, 8), (QList<quint32>{0x80000000u | 28, 4711, 1, 0, 0, 0, 0, m_sim.vxi11Port()}));
}

void TstSimNetwork::vxi11PartsAndSplitRecords()
{
    Vxi11Client c;
    QVERIFY(c.connectTo(m_sim.vxi11Port()));
    const QList<quint32> link = result(c.call(10, xdrWords({0, 0, 0}) + xdrOpaque("hislip0"), 3));
    QCOMPARE(link.value(0), 0u);
    const quint32 lid = link.value(1);
    QVERIFY(link.value(3) >= 1024); // maxRecvSize advertised
    // One message over three writes; only the last carries END.
    for (const QByteArray &part : {QByteArray("*IDN?;"), QByteArray("*OP"), QByteArray("T?")}) {
        const quint32 flags = part == "T?" ? 8 : 0;
        const QList<quint32> w = result(c.call(11, xdrWords({lid, 1000, 1000, flags}) + xdrOpaque(part)));
        QCOMPARE(w, (QList<quint32>{0, quint32(part.size())}));
    }
    // Read it back in 16-byte parts: REQCNT until the last, which carries END.
    QByteArray text;
    for (int i = 0; i < 20; ++i) {
        const QByteArray reply = c.call(12, xdrWords({lid, 16, 1000, 0, 0, 0}));
        const QList<quint32> w = result(reply);
        QCOMPARE(w.value(0), 0u);
        text += reply.mid(24 + 12, int(w.value(2)));
        if (w.value(1) & 4)
            break;
        QCOMPARE(w.value(1), 1u);
        QCOMPARE(w.value(2), 16u);
    }
    QVERIFY(text.startsWith("Tarvik,ZOY550X,"));
    QVERIFY(text.endsWith(",ZOY-K253\n"));
    // Device clear throws away a half-sent message; the next one works.
    QCOMPARE(result(c.call(11, xdrWords({lid, 1000, 1000, 0}) + xdrOpaque("*IDN"))).value(0), 0u);
    QCOMPARE(result(c.call(15, xdrWords({lid, 0, 1000, 1000}))), QList<quint32>{0});
    QCOMPARE(result(c.call(11, xdrWords({lid, 1000, 1000, 8}) + xdrOpaque("SYST:ERR?"))).value(0), 0u);
    const QByteArray err = c.call(12, xdrWords({lid, 1024, 1000, 0, 0, 0}));
    QCOMPARE(err.mid(36, 13), QByteArray("0,\"No error\"\n"));
    QCOMPARE(result(c.call(23, xdrWords({lid}))), QList<quint32>{0});
    QCOMPARE(result(c.call(23, xdrWords({lid}))), QList<quint32>{4}); // gone
}

void TstSimNetwork::vxi11ErrorsAndRefusedLink()
{
    Vxi11Client c;
    QVERIFY(c.connectTo(m_sim.vxi11Port()));
    const quint32 lid = result(c.call(10, xdrWords({0, 0, 0}) + xdrOpaque("inst0"))).value(1);
    // A read with nothing asked answers at once with an I/O time-out and queues -420.
    QElapsedTimer t;
    t.start();
    QCOMPARE(result(c.call(12, xdrWords({lid, 1024, 5000, 0, 0, 0}))).value(0), 15u);
    QVERIFY(t.elapsed() < 1000);
    QCOMPARE(result(c.call(22, xdrWords({lid, 0, 0, 0, 0, 0, 0, 0}))).value(0), 8u); // docmd unsupported
    QCOMPARE(result(c.call(13, xdrWords({lid, 0, 0, 0}))), (QList<quint32>{0, 4}));  // error queue bit
    QCOMPARE(words(c.call(99, QByteArray())).value(5), 3u);                          // PROC_UNAVAIL
    QCOMPARE(words(c.call(11, xdrWords({lid}))).value(5), 4u);                       // GARBAGE_ARGS
    QCOMPARE(result(c.call(11, xdrWords({999, 0, 0, 8}) + xdrOpaque("*IDN?"))).value(0), 4u);
    // Junk on the same port leaves the server answering others.
    QTcpSocket junk;
    junk.connectToHost("127.0.0.1", m_sim.vxi11Port());
    QVERIFY(junk.waitForConnected(1000));
    junk.write(QByteArray("\xff\xff\xff\xff garbage", 12));
    junk.waitForBytesWritten(1000);
    QTRY_COMPARE_WITH_TIMEOUT(junk.state(), QAbstractSocket::UnconnectedState, 2000);
    QCOMPARE(result(c.call(11, xdrWords({lid, 1000, 1000, 8}) + xdrOpaque("SYST:ERR?"))).value(0), 0u);
    const QByteArray reply = c.call(12, xdrWords({lid, 1024, 1000, 0, 0, 0}));
    QVERIFY(reply.contains("-420,\"Query UNTERMINATED\""));

    SimProcess refusing;
    QVERIFY(refusing.start({"--address", "127.0.0.5", "--portmapper-port", "0", "--fault", "refuse-link"}));
    Vxi11Client r;
    r.m_socket.connectToHost("127.0.0.5", refusing.vxi11Port());
    QVERIFY(r.m_socket.waitForConnected(2000));
    QCOMPARE(result(r.call(10, xdrWords({0, 0, 0}) + xdrOpaque("inst0"))).value(0), 3u);

    // Served on the wildcard address, the printed names are ones a client can open.
    SimProcess wildcard;
    QVERIFY(wildcard.start({"--address", "0.0.0.0", "--port", "0", "--vxi11-port", "0", "--portmapper-port",
                            "0", "--hislip-port", "0"}));
    QVERIFY(!wildcard.resources().isEmpty());
    for (const QString &name : wildcard.resources())
        QVERIFY2(name.startsWith("TCPIP0::127.0.0.1::"), qPrintable(name));
}

void TstSimNetwork::discoveryFindsEveryInstrument()
{
    m_sim.stop();
    SimProcess several;
    QVERIFY(several.start({"--instrument", "GKR550X@127.0.0.2", "--instrument", "ZOY550X@127.0.0.3",
                           "--instrument", "HERN330X@127.0.0.4"}));
    QCOMPARE(several.resources().size(), 9); // SOCKET, INSTR and HiSLIP of each
    g_found.clear();
    lxi_info_t info = {};
    info.device = onDevice;
    lxi_discover(&info, 1000, DISCOVER_VXI11); // milliseconds
    g_found.sort();
    QCOMPARE(g_found.size(), 3);
    QVERIFY(g_found[0].startsWith("127.0.0.2 Tarvik,GKR550X,"));
    QVERIFY(g_found[1].startsWith("127.0.0.3 Tarvik,ZOY550X,"));
    QVERIFY(g_found[2].startsWith("127.0.0.4 Tarvik,HERN330X,"));
}

QTEST_MAIN(TstSimNetwork)
#include "tst_simnetwork.moc"
