#include "sim/mdnsresponder.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QUdpSocket>

namespace {

constexpr quint16 MdnsPort = 5353;
constexpr quint32 HostTtl = 120;
constexpr quint32 ServiceTtl = 4500;
// Answers to one-shot queries must not outlive what the asker can re-ask for (RFC 6762 §6.7).
constexpr quint32 LegacyTtl = 10;

const QHostAddress &group()
{
    static const QHostAddress address(QStringLiteral("224.0.0.251"));
    return address;
}

Dns::Name serviceTypeName(const QString &strType)
{
    return Dns::nameFromText(strType + QStringLiteral(".local"));
}

bool asks(const Dns::Question &question, quint16 u16Type)
{
    return question.type == u16Type || question.type == Dns::TypeAny;
}

void addOnce(QList<Dns::Record> &records, const Dns::Record &record)
{
    if (!records.contains(record))
        records.append(record);
}

QString hostLabel(const QString &strModel, const QString &strSerial)
{
    QString strLabel = (strModel + QLatin1Char('-') + strSerial).toLower();
    for (QChar &ch : strLabel) {
        if (!(ch.isLetterOrNumber() && ch.unicode() < 0x80) && ch != QLatin1Char('-'))
            ch = QLatin1Char('-');
    }
    return strLabel.left(Dns::MaxLabelBytes);
}

} // namespace

MdnsResponder::MdnsResponder(const QString &strModel, const QString &strSerial,
                             const QString &strManufacturer, QObject *parent)
    : QObject(parent), m_manufacturer(strManufacturer), m_model(strModel), m_serial(strSerial)
{
    m_instance =
        QString::fromUtf8((strModel + QLatin1Char(' ') + strSerial).toUtf8().left(Dns::MaxLabelBytes));
    m_host = Dns::Name{hostLabel(strModel, strSerial).toUtf8(), "local"};
}

bool MdnsResponder::start(const QHostAddress &address, const QList<Service> &services, QString *error)
{
    serve(address, services);
    QNetworkInterface found;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip() == address)
                found = interface;
        }
    }
    if (!found.isValid() || !found.flags().testFlag(QNetworkInterface::CanMulticast) ||
        found.flags().testFlag(QNetworkInterface::IsLoopBack)) {
        *error = QStringLiteral("no multicast-capable network interface holds %1").arg(address.toString());
        return false;
    }
    m_socket = new QUdpSocket(this);
    m_socket->setProxy(QNetworkProxy::NoProxy);
    // Shared with any other responder on this host, as every mDNS responder does.
    if (!m_socket->bind(QHostAddress::AnyIPv4, MdnsPort,
                        QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint) ||
        !m_socket->joinMulticastGroup(group(), found)) {
        *error = m_socket->errorString();
        delete m_socket;
        m_socket = nullptr;
        return false;
    }
    m_socket->setMulticastInterface(found);
    m_socket->setSocketOption(QAbstractSocket::MulticastTtlOption, 255);
    connect(m_socket, &QUdpSocket::readyRead, this, &MdnsResponder::readQueries);
    return true;
}

void MdnsResponder::serve(const QHostAddress &address, const QList<Service> &services)
{
    m_address = address;
    m_services = services;
}

void MdnsResponder::readQueries()
{
    while (m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram(Dns::MaxMessageBytes);
        if (!datagram.isValid())
            return;
        Dns::Message query;
        // Malformed packets and answers of other responders get no reply.
        if (Dns::parse(datagram.data(), query).error != Dns::Error::None || (query.flags & Dns::FlagResponse))
            continue;
        const bool bolLegacy = datagram.senderPort() != MdnsPort;
        const QByteArray baAnswer = answer(query, bolLegacy);
        if (baAnswer.isEmpty())
            continue;
        bool bolUnicast = bolLegacy;
        for (const Dns::Question &question : query.questions)
            bolUnicast = bolUnicast || (question.qclass & Dns::ClassTopBit);
        if (bolUnicast)
            m_socket->writeDatagram(baAnswer, datagram.senderAddress(), quint16(datagram.senderPort()));
        else
            m_socket->writeDatagram(baAnswer, group(), MdnsPort);
    }
}

Dns::Name MdnsResponder::instanceOf(const Service &service) const
{
    return Dns::Name{m_instance.toUtf8()} + serviceTypeName(service.type);
}

Dns::Record MdnsResponder::ptrRecord(const Service &service) const
{
    Dns::Record record;
    record.name = serviceTypeName(service.type);
    record.type = Dns::TypePtr;
    record.ttl = ServiceTtl;
    record.target = instanceOf(service);
    return record;
}

Dns::Record MdnsResponder::srvRecord(const Service &service) const
{
    Dns::Record record;
    record.name = instanceOf(service);
    record.type = Dns::TypeSrv;
    record.rclass = Dns::ClassIn | Dns::ClassTopBit;
    record.ttl = HostTtl;
    record.port = service.port;
    record.target = m_host;
    return record;
}

Dns::Record MdnsResponder::txtRecord(const Service &service) const
{
    Dns::Record record;
    record.name = instanceOf(service);
    record.type = Dns::TypeTxt;
    record.rclass = Dns::ClassIn | Dns::ClassTopBit;
    record.ttl = ServiceTtl;
    record.texts = {"txtvers=1", ("Manufacturer=" + m_manufacturer).toUtf8().left(255),
                    ("Model=" + m_model).toUtf8().left(255), ("SerialNumber=" + m_serial).toUtf8().left(255)};
    return record;
}

Dns::Record MdnsResponder::addressRecord() const
{
    Dns::Record record;
    record.name = m_host;
    record.type = Dns::TypeA;
    record.rclass = Dns::ClassIn | Dns::ClassTopBit;
    record.ttl = HostTtl;
    record.ipv4 = m_address.toIPv4Address();
    return record;
}

QByteArray MdnsResponder::answer(const Dns::Message &query, bool bolLegacyUnicast) const
{
    static const Dns::Name browse = Dns::nameFromText(QStringLiteral("_services._dns-sd._udp.local"));
    Dns::Message reply;
    reply.flags = Dns::FlagResponse | Dns::FlagAuthoritative;
    QList<Dns::Record> lstExtra;
    for (const Dns::Question &question : query.questions) {
        if ((question.qclass & ~Dns::ClassTopBit) != Dns::ClassIn)
            continue;
        if (Dns::sameName(question.name, m_host) && asks(question, Dns::TypeA))
            addOnce(reply.answers, addressRecord());
        for (const Service &service : m_services) {
            if (Dns::sameName(question.name, browse) && asks(question, Dns::TypePtr)) {
                Dns::Record record = ptrRecord(service);
                record.target = record.name;
                record.name = browse;
                addOnce(reply.answers, record);
            }
            if (Dns::sameName(question.name, serviceTypeName(service.type)) && asks(question, Dns::TypePtr)) {
                addOnce(reply.answers, ptrRecord(service));
                lstExtra << srvRecord(service) << txtRecord(service) << addressRecord();
            }
            if (Dns::sameName(question.name, instanceOf(service))) {
                if (asks(question, Dns::TypeSrv)) {
                    addOnce(reply.answers, srvRecord(service));
                    lstExtra << addressRecord();
                }
                if (asks(question, Dns::TypeTxt))
                    addOnce(reply.answers, txtRecord(service));
            }
        }
    }
    if (reply.answers.isEmpty())
        return {};
    for (const Dns::Record &record : qAsConst(lstExtra)) {
        if (!reply.answers.contains(record))
            addOnce(reply.additionals, record);
    }
    if (bolLegacyUnicast) {
        // The asker is no full responder: it gets its id and questions back, short lifetimes and
        // no cache-flush bits.
        reply.id = query.id;
        reply.questions = query.questions;
        for (QList<Dns::Record> *section : {&reply.answers, &reply.additionals}) {
            for (Dns::Record &record : *section) {
                record.ttl = qMin(record.ttl, LegacyTtl);
                record.rclass &= ~Dns::ClassTopBit;
            }
        }
    }
    return Dns::build(reply);
}
