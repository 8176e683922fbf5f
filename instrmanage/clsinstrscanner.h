#ifndef LISTFORGE_INSTRMANAGE_CLSINSTRSCANNER_H
#define LISTFORGE_INSTRMANAGE_CLSINSTRSCANNER_H

#include "instrmanage/instrscanhost.h"

#include <QList>
#include <QObject>
#include <QRegExp>
#include <QStringList>

class QTcpSocket;
class QTimer;
class QUdpSocket;

// Finds VXI-11 instruments on the local networks without the VISA library: broadcasts a
// portmapper GETPORT call for the VXI-11 core program from every IPv4 address of the local host
// name, collects the replies for at most five seconds, names and filters the replying hosts,
// then asks each of them for "*IDN?" over its own VXI-11 client.
//
// A scan always ends with exactly one of newVxiInstrs() (hosts() holds the identified hosts) or
// noVxiInstrs(), also when no UDP socket could be made.
class ClsInstrScanner : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 LocalUdpPort = 9757;
    static constexpr quint16 PortmapperPort = 111;
    static constexpr int CollectTimeoutMs = 5000;

    explicit ClsInstrScanner(QObject *parent = nullptr);
    ~ClsInstrScanner() override;

    // Starts a scan; the expression is a case-insensitive wildcard pattern ("*ZOY*") that host
    // names and instrument types must match; empty keeps every host. Refused while a scan is
    // being processed (reading replies or identifying), since that work holds the sockets.
    void startLanScan(const QString &strExpression);

    const QList<InstrScanHost> &hosts() const { return m_hosts; }
    QString localHostName() const { return m_localHostName; }
    QStringList boundAddresses() const { return m_boundAddresses; }
    int udpSocketCount() const { return m_udpSockets.size(); }
    quint32 xid() const { return m_xid; }
    bool isScanning() const { return m_phase != Phase::Idle; }

signals:
    void newUdpRpcReplys();
    void newVxiInstrs();
    void noVxiInstrs();

public slots:
    void getUdpRpcReplyMsgs();
    void abortLanInstrScan();
    void getVxiInstrIdn();

private:
    enum class Phase
    {
        Idle,
        Collecting,
        Identifying
    };

    void releaseUdpSockets();
    void bindUdpSockets();
    void broadcastGetPort(const QByteArray &baCall);
    void handleDatagram(const QByteArray &baDatagram, const QHostAddress &sender, quint16 u16SenderPort);
    void finishCollection();
    bool identifyHost(InstrScanHost &host);

    QList<QUdpSocket *> m_udpSockets;
    QList<bool> m_awaitingReply;
    QTcpSocket *m_tcpSocket = nullptr;
    QTimer *m_replyTimer = nullptr;
    QString m_localHostName;
    QStringList m_boundAddresses;
    quint32 m_xid = 1000;
    QRegExp m_searchExpression;
    QList<InstrScanHost> m_hosts;

    Phase m_phase = Phase::Idle;
    int m_readDepth = 0; // nesting of getUdpRpcReplyMsgs, which processes events while reading
};

#endif
