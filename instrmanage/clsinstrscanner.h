#ifndef LISTFORGE_INSTRMANAGE_CLSINSTRSCANNER_H
#define LISTFORGE_INSTRMANAGE_CLSINSTRSCANNER_H

#include "instrmanage/instrscanhost.h"
#include "instrmanage/mdnsquerier.h"
#include "instrmanage/scanendpoints.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QRegExp>
#include <QStringList>

class QTcpSocket;
class QTimer;
class QUdpSocket;

// Finds VXI-11 instruments on the local networks without the VISA library: broadcasts a
// portmapper GETPORT call for the VXI-11 core program on every local network (see
// ScanEndpoints), listens for replies during the whole collection window, names and filters the
// replying hosts, and asks each of them for "*IDN?" over its own VXI-11 client. Identification
// starts as soon as the first host is heard; the scan ends when the window has closed and every
// host heard has been asked.
//
// A scan always ends with exactly one of newVxiInstrs() (hosts() holds the identified hosts; a
// host heard more than once, on several networks or under several addresses, is listed once) or
// noVxiInstrs() (no host heard), also when no UDP socket could be made.
class ClsInstrScanner : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 LocalUdpPort = 9757;
    static constexpr quint16 PortmapperPort = 111;
    static constexpr int CollectTimeoutMs = 5000;
    // More hosts than a /22 subnet holds are not a LAN scan any more but a flood.
    static constexpr int MaxHosts = 1024;

    explicit ClsInstrScanner(QObject *parent = nullptr);
    ~ClsInstrScanner() override;

    // Starts a scan; the expression is a case-insensitive wildcard pattern ("*ZOY*") that host
    // names and instrument types must match; empty keeps every host. Refused (traced) while a
    // scan runs: it ends with its own signal.
    void startLanScan(const QString &strExpression);
    // Which methods the next scans use; both by default.
    void setMethod(LanScanMethod method) { m_method = method; }
    LanScanMethod method() const { return m_method; }
    // How long replies are collected; the program keeps CollectTimeoutMs, protocol tests that
    // need no slow peers may shorten it.
    void setCollectWindowMs(int intMs) { m_collectWindowMs = intMs; }

    const QList<InstrScanHost> &hosts() const { return m_hosts; }
    QString localHostName() const { return m_localHostName; }
    QStringList boundAddresses() const { return m_boundAddresses; }
    int udpSocketCount() const { return m_udpSockets.size(); }
    int mdnsSocketCount() const { return m_mdnsSockets; }
    quint32 xid() const { return m_xid; }
    bool isScanning() const { return m_windowOpen || m_identifying || m_identifyScheduled; }

signals:
    void newUdpRpcReplys();
    void newVxiInstrs();
    void noVxiInstrs();

public slots:
    void getUdpRpcReplyMsgs();
    void abortLanInstrScan();
    void getVxiInstrIdn();

private:
    void releaseUdpSockets();
    void bindUdpSockets();
    void broadcastGetPort(const QByteArray &baCall);
    void readDatagrams(QUdpSocket *socket);
    void handleDatagram(const QByteArray &baDatagram, const QHostAddress &sender, quint16 u16SenderPort);
    QString hostNameOf(const QString &strAddress);
    void scheduleIdentification();
    bool identifyHost(InstrScanHost &host);
    bool usesPortmapper() const { return m_method != LanScanMethod::Mdns; }
    bool usesMdns() const { return m_method != LanScanMethod::Portmapper; }
    void takeMdnsResults();
    bool identifyOverResource(InstrScanHost &host, QString &strIdn);
    // 0 for HiSLIP, 1 for VXI-11, 2 for a raw socket: lower is preferred.
    static int resourceRank(const QString &strResource);
    bool isKnownInstrument(const InstrScanHost &host);
    void finishIfDone();

    QList<QUdpSocket *> m_udpSockets;
    QList<ScanEndpoints::Endpoint> m_endpoints; // parallel to m_udpSockets
    QTcpSocket *m_tcpSocket = nullptr;
    QTimer *m_replyTimer = nullptr;
    QString m_localHostName;
    QStringList m_boundAddresses;
    quint32 m_xid = 1000;
    quint32 m_broadcastXid = 0; // replies to the broadcast carry this; identification moves m_xid on
    QRegExp m_searchExpression;
    QList<InstrScanHost> m_hosts; // identified
    MdnsQuerier *m_mdns = nullptr;
    LanScanMethod m_method = LanScanMethod::Both;
    int m_mdnsSockets = 0;
    QList<InstrScanHost> m_heard;    // every host that answered this scan, identified or not
    QList<InstrScanHost> m_waiting;  // heard, not yet asked
    QHash<QString, QString> m_names; // address text -> host name, looked up once per scan
    int m_datagrams = 0;
    int m_collectWindowMs = CollectTimeoutMs;

    bool m_windowOpen = false;
    bool m_identifying = false;
    bool m_identifyScheduled = false;
};

#endif
