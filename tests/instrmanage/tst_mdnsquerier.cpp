// The one-shot mDNS querier against a scripted responder, on a dummy multicast interface inside
// the suite's private network namespace (the simulator's announcements are heard on the virtual
// LAN of tst_vlandiscover).

#include "dnsbytes.h"
#include "instrmanage/mdnsquerier.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QProcess>
#include <QUdpSocket>
#include <QtTest>

#include <cstdio>

using namespace DnsRecords;

namespace {

const char *const LanAddress = "192.0.2.1";

// Answers each query with the next scripted packets, sent by unicast to the asker; a message
// with id 0 takes the query's id.
class ScriptedResponder : public QObject
{
public:
    explicit ScriptedResponder(const QList<QList<QByteArray>> &script) : m_script(script)
    {
        m_socket.bind(QHostAddress::AnyIPv4, MdnsQuerier::MdnsPort, QUdpSocket::ShareAddress);
        m_socket.joinMulticastGroup(MdnsQuerier::groupAddress(),
                                    QNetworkInterface::interfaceFromName("mdns0"));
        connect(&m_socket, &QUdpSocket::readyRead, this, [this] {
            while (m_socket.hasPendingDatagrams()) {
                const QNetworkDatagram query = m_socket.receiveDatagram();
                ++queries;
                if (m_script.isEmpty())
                    continue;
                for (QByteArray packet : m_script.takeFirst()) {
                    if (packet.size() >= 2 && packet.at(0) == 0 && packet.at(1) == 0)
                        packet.replace(0, 2, query.data().left(2));
                    m_socket.writeDatagram(packet, query.senderAddress(), quint16(query.senderPort()));
                }
            }
        });
    }
    int queries = 0;

private:
    QUdpSocket m_socket;
    QList<QList<QByteArray>> m_script;
};

QByteArray response(const QList<Dns::Record> &answers, const QList<Dns::Record> &additionals = {})
{
    Dns::Message message;
    message.flags = Dns::FlagResponse | Dns::FlagAuthoritative;
    message.answers = answers;
    message.additionals = additionals;
    return Dns::build(message);
}

QList<MdnsInstrument> collect(int ms)
{
    MdnsQuerier querier;
    if (querier.start() < 1 || !querier.boundAddresses().contains(LanAddress))
        return {};
    QTest::qWait(ms);
    return querier.instruments();
}

} // namespace

class TstMdnsQuerier : public QObject
{
    Q_OBJECT
private slots:
    void followsRecordsAcrossPackets();
    void survivesHostilePackets();
};

void TstMdnsQuerier::followsRecordsAcrossPackets()
{
    // PTR alone; the SRV record only on the follow-up question, its host's address in the
    // additional section of that answer; a second service of the same host, HiSLIP on a port of
    // its own; an instrument with VXI-11 only, one with a web page only; a foreign PTR that names
    // no instance of its service type.
    ScriptedResponder responder(
        {{response({ptr("_vxi-11._tcp", "Gen 7"), ptr("_hislip._tcp", "Gen 7"), ptr("_vxi-11._tcp", "Gen 8"),
                    ptr("_lxi._tcp", "Gen 9")}),
          response({record("_lxi._tcp.local", Dns::TypePtr)})},
         {response({srv("_vxi-11._tcp", "Gen 7", 1024, "gen7.local"),
                    srv("_hislip._tcp", "Gen 7", 4881, "gen7.local"),
                    srv("_vxi-11._tcp", "Gen 8", 1024, "gen8.local"),
                    srv("_lxi._tcp", "Gen 9", 80, "gen9.local")},
                   {address("gen7.local", "192.0.2.77"), address("gen8.local", "192.0.2.78"),
                    address("gen9.local", "192.0.2.79")})}});
    const QList<MdnsInstrument> found = collect(1500);
    QStringList listed;
    for (const MdnsInstrument &instrument : found)
        listed << instrument.instance + ": " + instrument.services.join(' ') + " " + instrument.resource;
    listed.sort();
    QCOMPARE(listed, (QStringList{"Gen 7: _vxi-11._tcp _hislip._tcp TCPIP0::192.0.2.77::hislip0,4881::INSTR",
                                  "Gen 8: _vxi-11._tcp TCPIP0::192.0.2.78::INSTR"}));
    QCOMPARE(responder.queries, 2);
}

void TstMdnsQuerier::survivesHostilePackets()
{
    QList<QByteArray> packets;
    for (const auto &hostile : DnsBytes::hostilePackets())
        packets << hostile.second << response({ptr("_scpi-raw._tcp", hostile.first)});
    packets << response({srv("_scpi-raw._tcp", "short header", 5025, "x.local")},
                        {address("x.local", "192.0.2.9")});
    ScriptedResponder responder({packets});
    QElapsedTimer timer;
    timer.start();
    const QList<MdnsInstrument> found = collect(1000);
    QVERIFY(timer.elapsed() < 3000);
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().resource, QStringLiteral("TCPIP0::192.0.2.9::5025::SOCKET"));
}

int main(int argc, char *argv[])
{
    // Multicast sent on one end of a veth pair loops back to this host, which is all the querier
    // and the responders need; where the kernel refuses the link, there is nothing to test.
    const QString setup =
        QStringLiteral("ip link add mdns0 type veth peer name mdns1 && ip link set mdns1 up && "
                       "ip link set mdns0 multicast on up && ip addr add %1/24 dev mdns0")
            .arg(LanAddress);
    if (QProcess::execute("sh", {"-c", setup}) != 0) {
        std::fprintf(stderr, "no multicast-capable virtual link can be made here; skipping\n");
        return 77;
    }
    QCoreApplication app(argc, argv);
    TstMdnsQuerier suite;
    return QTest::qExec(&suite, argc, argv);
}
#include "tst_mdnsquerier.moc"
