#include "instrmanage/mdnsquerier.h"

#include "instrmanage/scantrace.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QRandomGenerator>
#include <QUdpSocket>

namespace {

QString key(const Dns::Name &name)
{
    return Dns::nameToText(name).toLower();
}

Dns::Name serviceName(int intService)
{
    return Dns::nameFromText(MdnsQuerier::serviceTypes().at(intService) + QStringLiteral(".local"));
}

Dns::Question question(const Dns::Name &name, quint16 u16Type)
{
    Dns::Question question;
    question.name = name;
    question.type = u16Type;
    return question;
}

QString instanceText(const Dns::Name &name)
{
    return name.isEmpty() ? QString() : QString::fromUtf8(name.first());
}

} // namespace

const QStringList &MdnsQuerier::serviceTypes()
{
    static const QStringList lstTypes = {QStringLiteral("_hislip._tcp"), QStringLiteral("_vxi-11._tcp"),
                                         QStringLiteral("_scpi-raw._tcp"), QStringLiteral("_lxi._tcp")};
    return lstTypes;
}

QHostAddress MdnsQuerier::groupAddress()
{
    return QHostAddress(QStringLiteral("224.0.0.251"));
}

MdnsQuerier::MdnsQuerier(QObject *parent) : QObject(parent) {}

MdnsQuerier::~MdnsQuerier()
{
    stop();
}

QString MdnsQuerier::resourceFor(const QString &strService, const QHostAddress &address, quint16 u16Port)
{
    const QString strAddress = address.toString();
    if (strService == serviceTypes().at(0))
        return u16Port == HislipDefaultPort
                   ? QStringLiteral("TCPIP0::%1::hislip0::INSTR").arg(strAddress)
                   : QStringLiteral("TCPIP0::%1::hislip0,%2::INSTR").arg(strAddress).arg(u16Port);
    if (strService == serviceTypes().at(1))
        return QStringLiteral("TCPIP0::%1::INSTR").arg(strAddress);
    if (strService == serviceTypes().at(2))
        return QStringLiteral("TCPIP0::%1::%2::SOCKET").arg(strAddress).arg(u16Port);
    return {};
}

int MdnsQuerier::start()
{
    stop();
    m_instances.clear();
    m_hostAddresses.clear();
    m_askedFor.clear();
    // Legacy unicast responses echo the id, so a random one keeps a stale answer out.
    m_queryId = quint16(QRandomGenerator::global()->bounded(1, 0x10000));

    Dns::Message query;
    query.id = m_queryId;
    for (int intService = 0; intService < serviceTypes().size(); ++intService)
        query.questions.append(question(serviceName(intService), Dns::TypePtr));
    const QByteArray baQuery = Dns::build(query);

    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::CanMulticast) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            auto *socket = new QUdpSocket(this);
            socket->setProxy(QNetworkProxy::NoProxy);
            // An ephemeral port on the interface's own address: the answers come back by unicast
            // to exactly this socket, and the query leaves through this interface.
            if (!socket->bind(entry.ip(), 0)) {
                ScanTrace::warning(QStringLiteral("mDNS: unable to bind a UDP socket to %1 (%2)")
                                       .arg(entry.ip().toString(), socket->errorString()));
                delete socket;
                continue;
            }
            socket->setMulticastInterface(interface);
            socket->setSocketOption(QAbstractSocket::MulticastTtlOption, 255);
            connect(socket, &QUdpSocket::readyRead, this, &MdnsQuerier::readDatagrams);
            m_sockets.append(socket);
            m_boundAddresses.append(entry.ip().toString());
            if (socket->writeDatagram(baQuery, groupAddress(), MdnsPort) == -1)
                ScanTrace::warning(QStringLiteral("mDNS: unable to send the query from %1 on %2 (%3)")
                                       .arg(entry.ip().toString(), interface.name(), socket->errorString()));
            else
                ScanTrace::debug(QStringLiteral("mDNS: query (%1 byte) sent from %2:%3 on %4")
                                     .arg(baQuery.size())
                                     .arg(entry.ip().toString())
                                     .arg(socket->localPort())
                                     .arg(interface.name()));
        }
    }
    if (m_sockets.isEmpty())
        ScanTrace::info(QStringLiteral("mDNS: no up, multicast-capable IPv4 interface to query on"));
    m_running = true;
    return m_sockets.size();
}

void MdnsQuerier::stop()
{
    m_running = false;
    for (QUdpSocket *socket : qAsConst(m_sockets)) {
        socket->disconnect(this);
        socket->close();
        socket->deleteLater();
    }
    m_sockets.clear();
    m_boundAddresses.clear();
}

void MdnsQuerier::readDatagrams()
{
    auto *socket = qobject_cast<QUdpSocket *>(sender());
    if (!socket || !m_running)
        return;
    while (socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket->receiveDatagram(Dns::MaxMessageBytes);
        if (!datagram.isValid())
            break;
        const QString strFrom =
            QStringLiteral("%1:%2").arg(datagram.senderAddress().toString()).arg(datagram.senderPort());
        Dns::Message message;
        const Dns::ParseResult result = Dns::parse(datagram.data(), message);
        if (result.error != Dns::Error::None) {
            ScanTrace::warning(QStringLiteral("mDNS: malformed packet (%1 byte) from %2 skipped: %3")
                                   .arg(datagram.data().size())
                                   .arg(strFrom, Dns::errorText(result)));
            continue;
        }
        // Only answers count, with opcode QUERY and no error; a legacy unicast answer echoes the id.
        if (!(message.flags & Dns::FlagResponse) || (message.flags & 0x780F) != 0 ||
            (message.id != 0 && message.id != m_queryId)) {
            ScanTrace::debug(
                QStringLiteral("mDNS: packet from %1 is no answer to this scan; skipped").arg(strFrom));
            continue;
        }
        absorb(message, datagram.senderAddress());
    }
    followUp(socket);
}

void MdnsQuerier::absorb(const Dns::Message &message, const QHostAddress &sender)
{
    // Records are read regardless of their section: answers to follow-up queries and the
    // additional records a responder volunteers are equally good.
    for (const QList<Dns::Record> *section : {&message.answers, &message.authorities, &message.additionals}) {
        for (const Dns::Record &record : *section)
            absorbRecord(record, sender);
    }
}

MdnsQuerier::Instance *MdnsQuerier::findInstance(const Dns::Name &name)
{
    for (Instance &instance : m_instances) {
        if (Dns::sameName(instance.name, name))
            return &instance;
    }
    return nullptr;
}

void MdnsQuerier::absorbRecord(const Dns::Record &record, const QHostAddress &sender)
{
    if ((record.rclass & ~Dns::ClassTopBit) != Dns::ClassIn)
        return;
    switch (record.type) {
    case Dns::TypePtr:
        for (int intService = 0; intService < serviceTypes().size(); ++intService) {
            // An instance is one label in front of its service type.
            if (!Dns::sameName(record.name, serviceName(intService)) ||
                !Dns::sameName(record.target.mid(1), record.name) || findInstance(record.target))
                continue;
            if (m_instances.size() >= MaxInstances) {
                ScanTrace::warning(QStringLiteral("mDNS: more than %1 service instances; '%2' ignored")
                                       .arg(MaxInstances)
                                       .arg(Dns::nameToText(record.target)));
                return;
            }
            Instance instance;
            instance.name = record.target;
            instance.service = intService;
            m_instances.append(instance);
            ScanTrace::debug(QStringLiteral("mDNS: %1 announces '%2'")
                                 .arg(sender.toString(), Dns::nameToText(record.target)));
        }
        return;
    case Dns::TypeSrv:
        if (Instance *instance = findInstance(record.name)) {
            instance->hasSrv = true;
            instance->port = record.port;
            instance->target = record.target;
            instance->sender = sender;
        }
        return;
    case Dns::TypeTxt:
        if (findInstance(record.name)) {
            QStringList lstTexts;
            for (const QByteArray &baText : record.texts)
                lstTexts.append(QString::fromUtf8(baText));
            ScanTrace::debug(QStringLiteral("mDNS: '%1' describes itself as \"%2\"")
                                 .arg(Dns::nameToText(record.name), lstTexts.join(QStringLiteral("\" \""))));
        }
        return;
    case Dns::TypeA:
        if (m_hostAddresses.size() < MaxHosts || m_hostAddresses.contains(key(record.name)))
            m_hostAddresses.insert(key(record.name), record.ipv4);
        return;
    default:
        return;
    }
}

void MdnsQuerier::followUp(QUdpSocket *socket)
{
    Dns::Message query;
    query.id = m_queryId;
    const auto ask = [&](const Dns::Name &name, quint16 u16Type) {
        const QString strKey = QString::number(u16Type) + QLatin1Char(' ') + key(name);
        if (m_askedFor.contains(strKey))
            return;
        m_askedFor.insert(strKey);
        query.questions.append(question(name, u16Type));
    };
    for (const Instance &instance : qAsConst(m_instances)) {
        if (!instance.hasSrv)
            ask(instance.name, Dns::TypeSrv);
        else if (!m_hostAddresses.contains(key(instance.target)))
            ask(instance.target, Dns::TypeA);
    }
    if (query.questions.isEmpty())
        return;
    const QByteArray baQuery = Dns::build(query);
    if (!baQuery.isEmpty())
        socket->writeDatagram(baQuery, groupAddress(), MdnsPort);
}

QList<MdnsInstrument> MdnsQuerier::instruments() const
{
    QList<MdnsInstrument> lstFound;
    QList<int> lstRanks;
    for (const Instance &instance : m_instances) {
        if (!instance.hasSrv) {
            ScanTrace::debug(QStringLiteral("mDNS: '%1' never told its port; skipped")
                                 .arg(Dns::nameToText(instance.name)));
            continue;
        }
        QHostAddress address;
        const auto known = m_hostAddresses.constFind(key(instance.target));
        if (known != m_hostAddresses.constEnd()) {
            address = QHostAddress(known.value());
        } else {
            // The answer came from the instrument itself; its address is as good as the record.
            address = instance.sender;
            ScanTrace::debug(QStringLiteral("mDNS: no address for '%1'; using the responder's %2")
                                 .arg(Dns::nameToText(instance.target), address.toString()));
        }
        const QString strService = serviceTypes().at(instance.service);
        int intAt = 0;
        while (intAt < lstFound.size() && lstFound.at(intAt).address != address)
            ++intAt;
        if (intAt == lstFound.size()) {
            MdnsInstrument instrument;
            instrument.address = address;
            lstFound.append(instrument);
            lstRanks.append(serviceTypes().size());
        }
        MdnsInstrument &instrument = lstFound[intAt];
        if (!instrument.services.contains(strService))
            instrument.services.append(strService);
        if (instance.service == 1)
            instrument.vxiPort = instance.port;
        const QString strResource = resourceFor(strService, address, instance.port);
        if (!strResource.isEmpty() && instance.service < lstRanks.at(intAt)) {
            lstRanks[intAt] = instance.service;
            instrument.resource = strResource;
            instrument.instance = instanceText(instance.name);
        }
    }
    for (int intAt = lstFound.size() - 1; intAt >= 0; --intAt) {
        if (lstFound.at(intAt).resource.isEmpty()) {
            ScanTrace::debug(QStringLiteral("mDNS: %1 announces no instrument protocol (%2); skipped")
                                 .arg(lstFound.at(intAt).address.toString(),
                                      lstFound.at(intAt).services.join(QStringLiteral(", "))));
            lstFound.removeAt(intAt);
        }
    }
    return lstFound;
}
