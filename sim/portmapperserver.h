#ifndef LISTFORGE_SIM_PORTMAPPERSERVER_H
#define LISTFORGE_SIM_PORTMAPPERSERVER_H

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUdpSocket>

// What a portmapper on one address knows: the VXI-11 core port of the instrument there.
struct PortmapperEntry
{
    QHostAddress address;
    quint16 vxi11Port = 0;
};

// Answers one portmapper/rpcbind call for the instrument described by entry (the port of the
// portmapper itself goes into DUMP). Returns an empty array when no reply is due.
QByteArray answerPortmapperCall(const QByteArray &call, const PortmapperEntry &entry, quint16 portmapperPort,
                                bool tcp);

// The portmapper (program 100000 version 2; rpcbind 3/4 calls get PROG_MISMATCH) on UDP and TCP for every
// simulated instrument, and one socket on the wildcard address that hears broadcasts: each
// instrument answers a broadcast call from its own address, so one broadcast finds them all.
class PortmapperServer : public QObject
{
    Q_OBJECT
public:
    explicit PortmapperServer(QObject *parent = nullptr);

    // Serves entry.address; the first call also tries to open the broadcast listener.
    bool listen(const PortmapperEntry &entry, quint16 port, QString *error);
    bool hearsBroadcasts() const { return m_broadcastSocket.state() == QAbstractSocket::BoundState; }
    // A slow portmapper (replies on UDP leave delayMs late) and one that sends a stale reply first.
    void setUdpFaults(int delayMs, bool junkFirst)
    {
        m_udpDelayMs = delayMs;
        m_udpJunkFirst = junkFirst;
    }

private:
    struct Endpoint
    {
        PortmapperEntry entry;
        QUdpSocket *udp = nullptr;
        QTcpServer *tcp = nullptr;
    };
    void readDatagrams(QUdpSocket *socket, int endpointIndex);
    void acceptConnections(int endpointIndex);
    void sendUdpReply(QUdpSocket *socket, const QByteArray &reply, const QHostAddress &to, quint16 port);

    quint16 m_port = 0;
    QList<Endpoint> m_endpoints;
    QUdpSocket m_broadcastSocket;
    int m_udpDelayMs = 0;
    bool m_udpJunkFirst = false;
};

#endif
