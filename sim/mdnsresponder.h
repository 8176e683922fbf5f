#ifndef LISTFORGE_SIM_MDNSRESPONDER_H
#define LISTFORGE_SIM_MDNSRESPONDER_H

#include "instrmanage/dnsmessage.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

class QUdpSocket;

// Announces one simulated instrument by multicast DNS service discovery, as LXI instruments do:
// answers PTR, SRV, TXT and A questions for the services it serves, on the interface that holds
// its address. One-shot queries (from a port other than 5353) are answered by unicast to the
// asker with the question repeated; queries from port 5353 by multicast, or by unicast where
// the question asks for it. No probing or unsolicited announcements: the simulator only answers.
class MdnsResponder : public QObject
{
    Q_OBJECT
public:
    struct Service
    {
        QString type; // "_hislip._tcp", "_vxi-11._tcp", "_scpi-raw._tcp"
        quint16 port;
    };

    // The instance name "<model> <serial>", the host name "<model>-<serial>.local" in lower case.
    MdnsResponder(const QString &strModel, const QString &strSerial, const QString &strManufacturer,
                  QObject *parent = nullptr);

    // Starts answering for the instrument on address; false with a reason where that address
    // lies on no multicast-capable interface or port 5353 cannot be shared.
    bool start(const QHostAddress &address, const QList<Service> &services, QString *error);
    // What the answers announce, without a socket: start() sets it, the fuzzer calls it alone.
    void serve(const QHostAddress &address, const QList<Service> &services);

    QString instanceName() const { return m_instance; }
    // The answer to a query, or an empty array when none is due. Pure, for the fuzzer.
    QByteArray answer(const Dns::Message &query, bool bolLegacyUnicast) const;

private:
    void readQueries();
    Dns::Record ptrRecord(const Service &service) const;
    Dns::Record srvRecord(const Service &service) const;
    Dns::Record txtRecord(const Service &service) const;
    Dns::Record addressRecord() const;
    Dns::Name instanceOf(const Service &service) const;

    QString m_instance;
    QString m_manufacturer;
    QString m_model;
    QString m_serial;
    Dns::Name m_host;
    QHostAddress m_address;
    QList<Service> m_services;
    QUdpSocket *m_socket = nullptr;
};

#endif
