#include "sim/portmapperserver.h"

#include "sim/rpcmessage.h"
#include "sim/rpcrecord.h"
#include "sim/vxi11protocol.h"

#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QTimer>

namespace {
constexpr qint64 MaxPortmapperRecordBytes = 64 * 1024;

class PortmapperConnection : public QObject
{
public:
    PortmapperConnection(QTcpSocket *socket, const PortmapperEntry &entry, quint16 port)
        : QObject(socket), m_socket(socket), m_entry(entry), m_port(port),
          m_assembler(MaxPortmapperRecordBytes)
    {
        connect(socket, &QTcpSocket::readyRead, this, &PortmapperConnection::readInput);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

private:
    void readInput()
    {
        const QByteArray chunk = m_socket->readAll();
        QList<QByteArray> records;
        if (!m_assembler.feed(chunk.constData(), chunk.size(), records)) {
            m_socket->abort();
            return;
        }
        for (const QByteArray &record : records) {
            const QByteArray reply = answerPortmapperCall(record, m_entry, m_port, true);
            if (!reply.isEmpty())
                m_socket->write(rpcRecordMark(reply));
        }
    }

    QTcpSocket *m_socket;
    PortmapperEntry m_entry;
    quint16 m_port;
    RpcRecordAssembler m_assembler;
};
} // namespace

QByteArray answerPortmapperCall(const QByteArray &message, const PortmapperEntry &entry,
                                quint16 portmapperPort, bool tcp)
{
    RpcCall call;
    switch (decodeRpcCall(message, call)) {
    case RpcDecode::NotACall:
        return QByteArray();
    case RpcDecode::BadRpcVersion:
        return RpcReply::rpcMismatch(call.xid);
    case RpcDecode::Malformed:
        return RpcReply::accepted(call.xid, RpcReply::GarbageArgs);
    case RpcDecode::Ok:
        break;
    }
    if (call.program != Portmap::Program)
        return RpcReply::accepted(call.xid, RpcReply::ProgUnavail);
    // Only version 2 is served. libtirpc's clients (rpcinfo among them) try the rpcbind versions
    // 4 and 3 first and fall back to 2 exactly when told so by PROG_MISMATCH.
    if (call.version != Portmap::Version)
        return RpcReply::progMismatch(call.xid, Portmap::Version, Portmap::Version);
    XdrReader args(message.constData() + call.argumentsOffset, message.size() - call.argumentsOffset);
    XdrWriter w = RpcReply::success(call.xid);
    switch (call.procedure) {
    case Portmap::Null:
        return w.data();
    case Portmap::GetPort: {
        Portmap::Mapping m;
        if (!Portmap::decodeMapping(args, m))
            return RpcReply::accepted(call.xid, RpcReply::GarbageArgs);
        const bool vxi = m.program == Vxi11::CoreProgram && m.version == Vxi11::CoreVersion &&
                         m.protocol == Portmap::ProtocolTcp;
        const bool self = m.program == Portmap::Program && m.version == Portmap::Version &&
                          (m.protocol == Portmap::ProtocolTcp || m.protocol == Portmap::ProtocolUdp);
        w.writeU32(vxi ? entry.vxi11Port : (self ? portmapperPort : 0));
        return w.data();
    }
    case Portmap::Dump: {
        const Portmap::Mapping mappings[] = {
            {Portmap::Program, Portmap::Version, Portmap::ProtocolTcp, portmapperPort},
            {Portmap::Program, Portmap::Version, Portmap::ProtocolUdp, portmapperPort},
            {Vxi11::CoreProgram, Vxi11::CoreVersion, Portmap::ProtocolTcp, entry.vxi11Port}};
        for (const Portmap::Mapping &m : mappings) {
            w.writeU32(1);
            w.writeU32(m.program);
            w.writeU32(m.version);
            w.writeU32(m.protocol);
            w.writeU32(m.port);
        }
        w.writeU32(0);
        return w.data();
    }
    case Portmap::Set:
    case Portmap::Unset:
        w.writeU32(0); // registrations are fixed
        return w.data();
    default:
        Q_UNUSED(tcp)
        return RpcReply::accepted(call.xid, RpcReply::ProcUnavail);
    }
}

PortmapperServer::PortmapperServer(QObject *parent) : QObject(parent)
{
    connect(&m_broadcastSocket, &QUdpSocket::readyRead, this, [this] {
        while (m_broadcastSocket.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = m_broadcastSocket.receiveDatagram(65536);
            for (const Endpoint &endpoint : qAsConst(m_endpoints)) {
                const QByteArray reply = answerPortmapperCall(datagram.data(), endpoint.entry, m_port, false);
                if (!reply.isEmpty())
                    sendUdpReply(endpoint.udp, reply, datagram.senderAddress(),
                                 quint16(datagram.senderPort()));
            }
        }
    });
}

bool PortmapperServer::listen(const PortmapperEntry &entry, quint16 port, QString *error)
{
    const auto mode = QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint;
    m_port = port;
    Endpoint endpoint;
    endpoint.entry = entry;
    endpoint.udp = new QUdpSocket(this);
    endpoint.tcp = new QTcpServer(this);
    if (!endpoint.udp->bind(entry.address, port, mode)) {
        *error = QStringLiteral("portmapper UDP %1:%2: %3")
                     .arg(entry.address.toString())
                     .arg(port)
                     .arg(endpoint.udp->errorString());
        return false;
    }
    if (!endpoint.tcp->listen(entry.address, port)) {
        *error = QStringLiteral("portmapper TCP %1:%2: %3")
                     .arg(entry.address.toString())
                     .arg(port)
                     .arg(endpoint.tcp->errorString());
        return false;
    }
    const int index = m_endpoints.size();
    m_endpoints.append(endpoint);
    QUdpSocket *udp = endpoint.udp;
    connect(udp, &QUdpSocket::readyRead, this, [this, udp, index] { readDatagrams(udp, index); });
    connect(endpoint.tcp, &QTcpServer::newConnection, this, [this, index] { acceptConnections(index); });
    if (m_broadcastSocket.state() != QAbstractSocket::BoundState)
        m_broadcastSocket.bind(QHostAddress::AnyIPv4, port, mode);
    return true;
}

void PortmapperServer::readDatagrams(QUdpSocket *socket, int endpointIndex)
{
    while (socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket->receiveDatagram(65536);
        const QByteArray reply =
            answerPortmapperCall(datagram.data(), m_endpoints[endpointIndex].entry, m_port, false);
        if (!reply.isEmpty())
            sendUdpReply(socket, reply, datagram.senderAddress(), quint16(datagram.senderPort()));
    }
}

void PortmapperServer::acceptConnections(int endpointIndex)
{
    QTcpServer *server = m_endpoints[endpointIndex].tcp;
    while (QTcpSocket *socket = server->nextPendingConnection())
        new PortmapperConnection(socket, m_endpoints[endpointIndex].entry, m_port);
}

void PortmapperServer::sendUdpReply(QUdpSocket *socket, const QByteArray &reply, const QHostAddress &to,
                                    quint16 port)
{
    if (m_udpJunkFirst && reply.size() >= 4) {
        QByteArray stale = reply;
        stale[3] = char(stale[3] ^ 0x5A); // another xid: a reply to some earlier call
        socket->writeDatagram(stale, to, port);
    }
    if (m_udpDelayMs <= 0) {
        socket->writeDatagram(reply, to, port);
        return;
    }
    QTimer::singleShot(m_udpDelayMs, socket,
                       [socket, reply, to, port] { socket->writeDatagram(reply, to, port); });
}
