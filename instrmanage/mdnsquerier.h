#ifndef LISTFORGE_INSTRMANAGE_MDNSQUERIER_H
#define LISTFORGE_INSTRMANAGE_MDNSQUERIER_H

#include "instrmanage/dnsmessage.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

class QUdpSocket;

// One instrument found by multicast DNS service discovery, with the resource of the most capable
// protocol it announced.
struct MdnsInstrument
{
    QHostAddress address;
    QString resource;     // "TCPIP0::<address>::hislip0::INSTR", "TCPIP0::<address>::INSTR", ...
    QString instance;     // the announced instance name of that service
    QStringList services; // every instrument service type it announced, e.g. "_hislip._tcp"
    quint16 vxiPort = 0;  // of the VXI-11 core program, when announced
};

// A one-shot multicast DNS querier (no daemon needed): from an ephemeral port on every IPv4
// address of every up, multicast-capable, non-loopback interface, asks 224.0.0.251:5353 for the
// instrument service types; responders answer such queries by unicast. Answers are collected
// until stop(), following up service instances without SRV record and hosts without address
// with queries of their own. A packet that breaks the DNS format is traced and skipped.
class MdnsQuerier : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 MdnsPort = 5353;
    static constexpr quint16 HislipDefaultPort = 4880;
    // Bounds on what a scan keeps, whatever the peers send.
    static constexpr int MaxInstances = 256;
    static constexpr int MaxHosts = 256;

    // Service types in order of preference; the LXI web service names no instrument protocol.
    static const QStringList &serviceTypes(); // "_hislip._tcp", "_vxi-11._tcp", "_scpi-raw._tcp", "_lxi._tcp"
    static QHostAddress groupAddress();       // 224.0.0.251

    explicit MdnsQuerier(QObject *parent = nullptr);
    ~MdnsQuerier() override;

    // Sends the queries; returns the number of addresses they went out from.
    int start();
    void stop();
    QStringList boundAddresses() const { return m_boundAddresses; }

    // The instruments resolved from what arrived so far, one per address.
    QList<MdnsInstrument> instruments() const;

    // The resource for a service instance of the given type on address:port; empty for types
    // that name no instrument protocol.
    static QString resourceFor(const QString &strService, const QHostAddress &address, quint16 u16Port);

private:
    struct Instance
    {
        Dns::Name name;
        int service = 0; // index into serviceTypes()
        bool hasSrv = false;
        quint16 port = 0;
        Dns::Name target;
        QHostAddress sender;
    };

    void readDatagrams();
    void absorb(const Dns::Message &message, const QHostAddress &sender);
    void absorbRecord(const Dns::Record &record, const QHostAddress &sender);
    void followUp(QUdpSocket *socket);
    Instance *findInstance(const Dns::Name &name);

    QList<QUdpSocket *> m_sockets;
    QStringList m_boundAddresses;
    quint16 m_queryId = 0;
    QList<Instance> m_instances;
    QHash<QString, quint32> m_hostAddresses; // lower-case host name -> IPv4
    QSet<QString> m_askedFor;                // names a follow-up query went out for
    bool m_running = false;
};

#endif
