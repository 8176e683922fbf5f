// The LAN scanner against scripted peers: a UDP responder on the portmapper port and fake VXI-11
// servers, all inside the private network namespace (see privatehosts.h). The peers run in the
// test's own event loop: the scanner keeps processing events while it waits, so they answer in time.

#include "instrmanage/clsinstrscanner.h"
#include "privatehosts.h"
#include "rpcbytes.h"
#include "tests/common/scanrun.h"
#include "tests/common/tracelines.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

#include <functional>

// Hears the portmapper broadcast on port 111 and answers every call with scripted datagrams,
// each sent from port 111 of the address given with it.
class UdpResponder : public QObject
{
public:
    struct Reply
    {
        QHostAddress from;
        QByteArray datagram;
        int delayMs = 0; // sent this much after the call was heard
    };
    using Script = std::function<QList<Reply>(quint32 xid)>;

    explicit UdpResponder(Script script) : m_script(std::move(script))
    {
        m_listener.bind(QHostAddress::AnyIPv4, 111, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
        connect(&m_listener, &QUdpSocket::readyRead, this, &UdpResponder::answer);
    }

    QList<QByteArray> calls; // every call heard
    QList<quint16> callerPorts;

private:
    void answer()
    {
        while (m_listener.hasPendingDatagrams()) {
            QHostAddress caller;
            quint16 callerPort = 0;
            QByteArray call(int(m_listener.pendingDatagramSize()), '\0');
            m_listener.readDatagram(call.data(), call.size(), &caller, &callerPort);
            calls.append(call);
            callerPorts.append(callerPort);
            const quint32 xid = call.size() >= 4 ? RpcBytes::wordAt(call, 0) : 0;
            for (const Reply &reply : m_script(xid)) {
                auto send = [reply, caller, callerPort] {
                    QUdpSocket sender;
                    sender.bind(reply.from, 111, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
                    sender.writeDatagram(reply.datagram, caller, callerPort);
                };
                if (reply.delayMs > 0)
                    QTimer::singleShot(reply.delayMs, this, send);
                else
                    send();
            }
        }
    }

    QUdpSocket m_listener;
    Script m_script;
};

// A VXI-11 core server whose answers are scripted per procedure. The script gets the procedure
// and the xid of each call and returns the bytes to send (any bytes: a good record, a truncated
// one, garbage); an empty answer sends nothing. Bytes can be split into delayed pieces.
class FakeVxiServer : public QObject
{
public:
    struct Answer
    {
        QList<QByteArray> pieces; // sent 50 ms apart
        bool closeAfter = false;
    };
    using Script = std::function<Answer(quint32 proc, quint32 xid)>;

    FakeVxiServer(const QHostAddress &address, Script script) : m_script(std::move(script))
    {
        m_server.listen(address, 0);
        connect(&m_server, &QTcpServer::newConnection, this, &FakeVxiServer::accept);
    }
    quint16 port() const { return m_server.serverPort(); }

    // A good answer: record mark, accepted header, the result words and any opaque data.
    static Answer reply(quint32 xid, const QByteArray &result)
    {
        return {{RpcBytes::record(RpcBytes::acceptedHeader(xid) + result)}, false};
    }

    // The standard conversation: a link with id 7 that answers "*IDN?" with idn.
    static Answer standard(quint32 proc, quint32 xid, const QByteArray &idn)
    {
        using RpcBytes::words;
        switch (proc) {
        case 10:
            return reply(xid, words({0, 7, 0, 1024}));
        case 11:
            return reply(xid, words({0, 6}));
        case 12:
            return reply(xid, words({0, 4}) + RpcBytes::opaque(idn));
        case 23:
            return reply(xid, words({0}));
        default:
            return {};
        }
    }

    int connections = 0;
    QList<quint32> procs; // procedures called, in order
    QList<quint32> xids;  // their xids
    QList<QByteArray> calls;

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            ++connections;
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void serve(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        while (buffer.size() >= 4) {
            const int length = int(RpcBytes::wordAt(buffer, 0) & 0x7FFFFFFF);
            if (buffer.size() < 4 + length)
                return;
            const QByteArray call = buffer.mid(4, length);
            buffer.remove(0, 4 + length);
            if (call.size() < 24)
                continue;
            const quint32 xid = RpcBytes::wordAt(call, 0);
            const quint32 proc = RpcBytes::wordAt(call, 20);
            procs.append(proc);
            xids.append(xid);
            calls.append(call);
            send(socket, m_script(proc, xid));
        }
    }

    void send(QTcpSocket *socket, const Answer &answer)
    {
        QPointer<QTcpSocket> guarded(socket);
        int delay = 0;
        for (int i = 0; i < answer.pieces.size(); ++i) {
            const QByteArray piece = answer.pieces.at(i);
            const bool last = i == answer.pieces.size() - 1;
            const bool close = answer.closeAfter && last;
            auto deliver = [guarded, piece, close] {
                if (!guarded)
                    return;
                guarded->write(piece);
                guarded->flush();
                if (close)
                    guarded->disconnectFromHost();
            };
            if (delay == 0)
                deliver();
            else
                QTimer::singleShot(delay, this, deliver);
            delay += 50;
        }
    }

    QTcpServer m_server;
    Script m_script;
    QMap<QTcpSocket *, QByteArray> m_buffers;
};

using namespace RpcBytes;

// The answer a failing call gets, given its xid.
using Failure = std::function<FakeVxiServer::Answer(quint32 xid)>;
Q_DECLARE_METATYPE(Failure)

namespace {

// Host names of this suite: the local host with one and with two addresses, a name without
// address, and two instruments whose reverse names carry a domain.
const char HostsFile[] = "127.0.0.1 localhost listforge-test\n"
                         "127.0.0.1 listforge-two\n"
                         "127.0.0.9 listforge-two\n"
                         "127.0.0.5 zoy550x-105.lab.example\n"
                         "127.0.0.6 gkr550x-106.lab.example\n";

const QHostAddress Instr2(QStringLiteral("127.0.0.2"));
const QHostAddress Instr3(QStringLiteral("127.0.0.3"));
const QHostAddress Instr5(QStringLiteral("127.0.0.5"));
const QHostAddress Instr6(QStringLiteral("127.0.0.6"));

const QByteArray ZoyIdn = "Tarvik,ZOY550X,1234.5678k02/100200,2.10\n";

// The collection window of this suite's scans: its peers answer at once or after a set delay,
// so the full five seconds would only make the suite slow.
constexpr int WindowMs = 1500;
struct QuickScanner : ClsInstrScanner
{
    QuickScanner() { setCollectWindowMs(WindowMs); }
};
const QByteArray GkrIdn = "Tarvik,GKR550X,100300,1.05\n";

QString tagged(const QString &text)
{
    return QStringLiteral("CINSSC  : ") + text;
}

FakeVxiServer::Script standardScript(const QByteArray &idn)
{
    return [idn](quint32 proc, quint32 xid) { return FakeVxiServer::standard(proc, xid, idn); };
}

// A fake instrument at 127.0.0.2 whose portmapper answers the broadcast at once.
struct AnsweringInstrument
{
    explicit AnsweringInstrument(FakeVxiServer::Script script)
        : server(Instr2, std::move(script)), responder([port = server.port()](quint32 xid) {
              return QList<UdpResponder::Reply>{{Instr2, getPortReply(xid, port)}};
          })
    {
    }
    FakeVxiServer server;
    UdpResponder responder;
};

} // namespace

class TstInstrScanner : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void broadcastsFromEveryAddressAndPortZeroAddsNothing();
    void badDatagramsAreDropped();
    void identifiesAndTracesTheConversation();
    void duplicatesAndFilters();
    void instrumentOnTwoNetworksIsListedOnce();
    void controlCharactersInIdentityAreReplaced_data();
    void controlCharactersInIdentityAreReplaced();
    void tcpFailuresRemoveTheHost_data();
    void tcpFailuresRemoveTheHost();
    void repliesSplitAcrossSegmentsAreAssembled();
    void scanWithoutUdpSocketStillEnds();

private:
    TraceLines m_trace;
};

void TstInstrScanner::init()
{
    QVERIFY(PrivateHosts::setHostName("listforge-test"));
    m_trace.clear();
}

void TstInstrScanner::broadcastsFromEveryAddressAndPortZeroAddsNothing()
{
    QVERIFY(PrivateHosts::setHostName("listforge-two"));
    UdpResponder responder([](quint32 xid) {
        return QList<UdpResponder::Reply>{{Instr2, getPortReply(xid, 0)}};
    });
    QuickScanner scanner;
    QVERIFY_TRACED(m_trace, TraceKindInfo, tagged("Local host name is 'listforge-two'"));

    const ScanOutcome outcome = runScan(scanner, QString());
    QCOMPARE(outcome.end, ScanEnd::Nothing);
    // Replies may still come: the window stays open to its end.
    QVERIFY2(outcome.elapsedMs >= WindowMs - 50, qPrintable(QString::number(outcome.elapsedMs)));
    QCOMPARE(scanner.boundAddresses(), QStringList({"127.0.0.1", "127.0.0.9"}));
    QVERIFY(scanner.hosts().isEmpty());

    QCOMPARE(responder.calls.size(), 2);
    const QByteArray expected = words({1001, 0, 2, 100000, 2, 3, 0, 0, 0, 0, 0x000607AF, 1, 6, 0});
    QCOMPARE(responder.calls.at(0), expected);
    QCOMPARE(responder.calls.at(1), expected);
    QCOMPARE(responder.callerPorts, QList<quint16>({9757, 9757}));

    for (const char *text : {"LAN scan UDP socket binding to IPv4 address 127.0.0.1",
                             "LAN scan UDP socket binding to IPv4 address 127.0.0.9",
                             "LAN search did not discover any instrument"})
        QVERIFY_TRACED(m_trace, TraceKindInfo, tagged(text));
}

void TstInstrScanner::badDatagramsAreDropped()
{
    FakeVxiServer server(Instr2, standardScript(ZoyIdn));
    const quint32 port = server.port();
    UdpResponder responder([port](quint32 xid) {
        const QList<QByteArray> bad = {
            getPortReply(xid - 1, port),             // outdated
            words({xid, 1, 1, 0, 2, 2}),             // rejected (RPC version mismatch)
            words({xid, 1, 0, 0, 0, 1, port}),       // program unavailable
            words({xid, 1, 0, 0, 0, 2, 2, 2}),       // version mismatch
            words({xid, 1, 0, 0, 0, 3}),             // procedure unavailable
            words({xid, 1, 0, 0, 0, 4}),             // garbage arguments
            words({xid, 1, 0, 0, 0, 5}),             // system error
            getPortReply(xid, 0),                    // not registered
            getPortReply(xid, 70000),                // no such TCP port
            getPortReply(xid, port).left(26),        // truncated in the port
            words({xid, 1, 0, 0, 0}),                // truncated before the accept status
            words({xid, 1, 0, 0, 0xFFFFFFF0}) + "v", // verifier longer than the datagram
            QByteArray("\x03\xe9", 2),               // half an xid
            QByteArray(),                            // empty
            QByteArray(300, '\xff'),                 // garbage
        };
        QList<UdpResponder::Reply> replies;
        for (const QByteArray &datagram : bad)
            replies.append({Instr3, datagram});
        // The instrument's own answer comes late: junk alone must not end the listening.
        replies.append({Instr2, getPortReply(xid, port), 300});
        return replies;
    });

    QuickScanner scanner;
    const ScanOutcome outcome = runScan(scanner, QString());
    QCOMPARE(outcome.end, ScanEnd::Instruments);
    QCOMPARE(scanner.hosts().size(), 1);
    QCOMPARE(scanner.hosts().at(0).address, Instr2);
}

void TstInstrScanner::identifiesAndTracesTheConversation()
{
    AnsweringInstrument instrument(standardScript(ZoyIdn));
    const quint32 port = instrument.server.port();
    QuickScanner scanner;
    const ScanOutcome outcome = runScan(scanner, QStringLiteral("*ZOY*"));
    QCOMPARE(outcome.end, ScanEnd::Instruments);
    QCOMPARE(outcome.udpPhaseSignals, 1);
    QCOMPARE(scanner.hosts().size(), 1);
    const InstrScanHost &host = scanner.hosts().at(0);
    QCOMPARE((QStringList{host.interfaceName, host.hostName, host.resource, host.manufacturer, host.instrType,
                          host.serialNumber, host.firmware}),
             (QStringList{"TCPIP", "127.0.0.2", "TCPIP::127.0.0.2::INSTR", "Tarvik", "ZOY550X", "100200",
                          "2.10"}));
    QCOMPARE(host.vxiPort, qint32(port));

    // Create_Link reuses the broadcast's xid, the later calls advance it.
    QCOMPARE(instrument.server.procs, QList<quint32>({10, 11, 12, 23}));
    QCOMPARE(instrument.server.xids, QList<quint32>({1001, 1002, 1003, 1004}));
    QCOMPARE(instrument.server.calls.at(1).mid(40),
             words({7, 2000, 2000, 8, 6}) + QByteArray("*IDN?\n\0\0", 8));
    QCOMPARE(scanner.xid(), 1004u);

    for (const char *text : {"LAN search discovered 1 VXI-11 instrument(s)", "1 VXI-11 instruments found"})
        QVERIFY_TRACED(m_trace, TraceKindInfo, tagged(text));
}

void TstInstrScanner::duplicatesAndFilters()
{
    // Two local addresses, and every call answered twice by the same host: four replies, one
    // record. Named hosts are filtered by name before any connection; dotted quads pass that
    // filter and are judged by their type once identified.
    QVERIFY(PrivateHosts::setHostName("listforge-two"));
    FakeVxiServer zoy(Instr5, standardScript(ZoyIdn));
    FakeVxiServer gkr(Instr6, standardScript(GkrIdn));
    FakeVxiServer unnamed(Instr3, standardScript("Tarvik,GKR550X,100301,1.05\n"));
    UdpResponder responder([&](quint32 xid) {
        return QList<UdpResponder::Reply>{{Instr5, getPortReply(xid, zoy.port())},
                                          {Instr5, getPortReply(xid, zoy.port())},
                                          {Instr6, getPortReply(xid, gkr.port())},
                                          {Instr3, getPortReply(xid, unnamed.port())}};
    });
    QuickScanner scanner;
    QCOMPARE(runScan(scanner, QStringLiteral("*zoy*")).end, ScanEnd::Instruments);

    QCOMPARE(scanner.hosts().size(), 1);
    QCOMPARE(scanner.hosts().at(0).hostName, QStringLiteral("zoy550x-105"));
    QCOMPARE(scanner.hosts().at(0).resource, QStringLiteral("TCPIP::zoy550x-105::INSTR"));
    QCOMPARE((QList<int>{zoy.connections, gkr.connections, unnamed.connections}), (QList<int>{1, 0, 1}));

    // Without an expression every identified host stays.
    QCOMPARE(runScan(scanner, QString()).end, ScanEnd::Instruments);
    QCOMPARE(scanner.hosts().size(), 3);
}

void TstInstrScanner::instrumentOnTwoNetworksIsListedOnce()
{
    // Two local networks. The ZOY answers the call on the first from one address and, later, the
    // call on the second from another; the GKR answers both calls from its one address.
    QVERIFY(PrivateHosts::setHostName("listforge-two"));
    FakeVxiServer zoyFirst(Instr2, standardScript(ZoyIdn));
    FakeVxiServer zoySecond(Instr3, standardScript(ZoyIdn));
    FakeVxiServer gkr(Instr6, standardScript(GkrIdn));
    int calls = 0;
    UdpResponder responder([&](quint32 xid) {
        const bool first = calls++ == 0;
        return QList<UdpResponder::Reply>{
            first ? UdpResponder::Reply{Instr2, getPortReply(xid, zoyFirst.port())}
                  : UdpResponder::Reply{Instr3, getPortReply(xid, zoySecond.port()), 200},
            {Instr6, getPortReply(xid, gkr.port()), 100}};
    });
    QuickScanner scanner;
    QCOMPARE(runScan(scanner, QString()).end, ScanEnd::Instruments);
    QCOMPARE(calls, 2);
    QCOMPARE(scanner.hosts().size(), 2);
    QCOMPARE(scanner.hosts().at(0).address, Instr2);
    QCOMPARE(scanner.hosts().at(1).hostName, QStringLiteral("gkr550x-106"));
    QCOMPARE(gkr.connections, 1);
}

void TstInstrScanner::controlCharactersInIdentityAreReplaced_data()
{
    QTest::addColumn<QByteArray>("idn");
    QTest::addColumn<QStringList>("fields"); // manufacturer, type, serial number, firmware
    const QString r(QChar::ReplacementCharacter);
    QTest::newRow("tab-and-cr") << QByteArray("Tar\tvik,ZOY550X\r,100200\t,2.10\r\n")
                                << QStringList{"Tar" + r + "vik", "ZOY550X", "100200", "2.10"};
    QTest::newRow("escape-sequences")
        << QByteArray("\x1b]0;owned\x07Tarvik,\x1b[2JZOY550X,100\x1b[31m200,2.10\x7f")
        << QStringList{r + "]0;owned" + r + "Tarvik", r + "[2JZOY550X", "100" + r + "[31m200", "2.10" + r};
    QTest::newRow("c1-controls") << QByteArray("Tarvik,ZOY550X,\x9b"
                                               "31m100200,\x85\x90"
                                               "2.10")
                                 << QStringList{"Tarvik", "ZOY550X", r + "31m100200",
                                                r + "2.10"}; // NEL counts as space
}

void TstInstrScanner::controlCharactersInIdentityAreReplaced()
{
    QFETCH(QByteArray, idn);
    QFETCH(QStringList, fields);
    AnsweringInstrument instrument(standardScript(idn));
    QuickScanner scanner;
    QCOMPARE(runScan(scanner, QString()).end, ScanEnd::Instruments);
    QCOMPARE(scanner.hosts().size(), 1);
    const InstrScanHost &host = scanner.hosts().at(0);
    QCOMPARE((QStringList{host.manufacturer, host.instrType, host.serialNumber, host.firmware}), fields);
    for (const QString &text : m_trace.texts())
        for (const QChar chr : text)
            QVERIFY2(chr.unicode() >= 0x20 && (chr.unicode() < 0x7F || chr.unicode() > 0x9F),
                     qPrintable(text));
}

void TstInstrScanner::tcpFailuresRemoveTheHost_data()
{
    QTest::addColumn<quint32>("failingProc");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QList<quint32>>("procs");

    using Answer = FakeVxiServer::Answer;
    const Failure error = [](quint32 xid) { return FakeVxiServer::reply(xid, words({3, 0, 0, 0})); };
    const Failure shortLink = [](quint32 xid) { return FakeVxiServer::reply(xid, words({0, 7})); };
    const Failure truncated = [](quint32 xid) {
        return Answer{{record(acceptedHeader(xid) + words({0, 7, 0, 1024})).left(10)}, true};
    };
    const Failure garbage = [](quint32) { return Answer{{"HTTP/1.0 400 Bad Request\r\n\r\n"}, true}; };
    const Failure wrongXid = [](quint32 xid) {
        return FakeVxiServer::reply(xid + 1, words({0, 7, 0, 1024}));
    };
    const Failure unaccepted = [](quint32 xid) { return Answer{{record(words({xid, 1, 0, 0, 0, 3}))}}; };
    const Failure lyingLength = [](quint32 xid) {
        return FakeVxiServer::reply(xid, words({0, 4, 1000}) + "Tarvik");
    };
    const Failure silent = [](quint32) { return Answer{}; };
    // How many calls of the conversation (create link, write, read, destroy link) the server sees.
    auto row = [](const char *name, quint32 proc, const Failure &failure, int calls) {
        QTest::newRow(name) << proc << failure << QList<quint32>{10, 11, 12, 23}.mid(0, calls);
    };
    row("create-link-short", 10, shortLink, 1);
    row("truncated-record", 10, truncated, 1);
    row("garbage", 10, garbage, 1);
    row("wrong-xid", 10, wrongXid, 1);
    row("unaccepted", 10, unaccepted, 1);
    row("write-error", 11, error, 2);
    row("read-error", 12, error, 3);
    row("read-lying-length", 12, lyingLength, 3);
    row("destroy-error", 23, error, 4);
    row("silent", 12, silent, 3);
}

void TstInstrScanner::tcpFailuresRemoveTheHost()
{
    QFETCH(quint32, failingProc);
    QFETCH(Failure, failure);
    QFETCH(QList<quint32>, procs);

    AnsweringInstrument instrument([=](quint32 proc, quint32 xid) {
        return proc == failingProc ? failure(xid) : FakeVxiServer::standard(proc, xid, ZoyIdn);
    });
    QuickScanner scanner;
    QCOMPARE(runScan(scanner, QString()).end, ScanEnd::Instruments);
    // Every failure, the destroy's included, leaves the host out.
    QVERIFY(scanner.hosts().isEmpty());
    QVERIFY_TRACED(m_trace, TraceKindInfo, tagged("0 VXI-11 instruments found"));
    // No Destroy_Link after a failed write or read.
    QCOMPARE(instrument.server.procs, procs);
}

void TstInstrScanner::repliesSplitAcrossSegmentsAreAssembled()
{
    // Every reply arrives in three pieces, 50 ms apart; the "*IDN?" answer is also sent as two
    // record fragments.
    AnsweringInstrument instrument([](quint32 proc, quint32 xid) -> FakeVxiServer::Answer {
        QByteArray bytes;
        if (proc == 12) {
            const QByteArray message = acceptedHeader(xid) + words({0, 4}) + opaque(GkrIdn);
            bytes = words({10}) + message.left(10) + words({0x80000000u | quint32(message.size() - 10)}) +
                    message.mid(10);
        } else {
            bytes = FakeVxiServer::standard(proc, xid, GkrIdn).pieces.first();
        }
        return {{bytes.left(3), bytes.mid(3, 20), bytes.mid(23)}, false};
    });
    QuickScanner scanner;
    QCOMPARE(runScan(scanner, QStringLiteral("gkr550?")).end, ScanEnd::Instruments);
    QCOMPARE(scanner.hosts().size(), 1);
    QCOMPARE((QStringList{scanner.hosts().at(0).serialNumber, scanner.hosts().at(0).firmware}),
             (QStringList{"100300", "1.05"}));
}

void TstInstrScanner::scanWithoutUdpSocketStillEnds()
{
    // A host name without any address gives no socket (a port taken on every address, the
    // other cause, is met by the discover command on the virtual LAN); the window still runs.
    QVERIFY(PrivateHosts::setHostName("listforge-nowhere"));
    QuickScanner scanner;
    const ScanOutcome outcome = runScan(scanner, QString());
    QCOMPARE(outcome.end, ScanEnd::Nothing);
    QVERIFY2(outcome.elapsedMs >= WindowMs - 50, qPrintable(QString::number(outcome.elapsedMs)));
    QCOMPARE(scanner.udpSocketCount(), 0);
    QVERIFY_TRACED(m_trace, TraceKindWarning, tagged("No UDP sockets are available for RPC broadcast"));
    QVERIFY_TRACED(m_trace, TraceKindInfo, tagged("No VXI-11 instrument replied!"));
}

PRIVATE_HOSTS_MAIN(TstInstrScanner, QCoreApplication, HostsFile)

#include "tst_instrscanner.moc"
