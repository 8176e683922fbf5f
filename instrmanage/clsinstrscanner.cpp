#include "instrmanage/clsinstrscanner.h"

#include "instrmanage/hostnaming.h"
#include "instrmanage/scanrpc.h"
#include "instrmanage/scantrace.h"
#include "instrmanage/vxi11idnclient.h"
#include "visa/visaresource.h"

#include <QHostInfo>
#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

namespace {

// Datagrams read per readyRead(): a peer that floods the port must not keep the event loop (and
// with it the end of the collection window) from running.
constexpr int DatagramsPerRead = 64;

} // namespace

ClsInstrScanner::ClsInstrScanner(QObject *parent) : QObject(parent)
{
    m_tcpSocket = new QTcpSocket(this);
    m_tcpSocket->setProxy(QNetworkProxy::NoProxy);
    m_replyTimer = new QTimer(this);
    m_replyTimer->setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the collection window is a promise to the peers.
    m_replyTimer->setTimerType(Qt::PreciseTimer);
    connect(m_replyTimer, &QTimer::timeout, this, &ClsInstrScanner::abortLanInstrScan);
    // Queued: identification blocks and processes events, so it must not run inside the
    // readyRead() handler that found the host.
    connect(this, &ClsInstrScanner::newUdpRpcReplys, this, &ClsInstrScanner::getVxiInstrIdn,
            Qt::QueuedConnection);
    m_mdns = new MdnsQuerier(this);
    m_localHostName = QHostInfo::localHostName();
    ScanTrace::info(QStringLiteral("Local host name is '%1'").arg(m_localHostName));
}

ClsInstrScanner::~ClsInstrScanner()
{
    ScanTrace::debug(QStringLiteral("Instrument scanner object deleted"));
}

void ClsInstrScanner::startLanScan(const QString &strExpression)
{
    if (isScanning()) {
        ScanTrace::warning(QStringLiteral("LAN scan is still in progress; new scan request ignored"));
        return;
    }
    releaseUdpSockets();
    m_xid = 1000;
    if (usesPortmapper())
        bindUdpSockets();

    m_hosts.clear();
    m_heard.clear();
    m_waiting.clear();
    m_names.clear();
    m_datagrams = 0;
    m_searchExpression = QRegExp(strExpression, Qt::CaseInsensitive, QRegExp::Wildcard);

    m_xid = ScanRpc::nextXid(m_xid);
    m_broadcastXid = m_xid;
    const QByteArray baCall = ScanRpc::buildGetPortCall(m_xid);
    ScanTrace::debug(QStringLiteral("RPC (Portmapper-GetPort) call message (Xid: %1, size: %2 byte) setup")
                         .arg(m_xid)
                         .arg(baCall.size()));

    m_windowOpen = true;
    if (usesPortmapper())
        broadcastGetPort(baCall);
    m_mdnsSockets = usesMdns() ? m_mdns->start() : 0;
    m_replyTimer->start(m_collectWindowMs);
}

void ClsInstrScanner::releaseUdpSockets()
{
    for (QUdpSocket *socket : qAsConst(m_udpSockets)) {
        socket->disconnect(this);
        // Closed now so that the port is free for the new sockets; deleted later because this
        // may run inside a slot that one of these sockets' signals led to.
        socket->close();
        socket->deleteLater();
    }
    m_udpSockets.clear();
    m_endpoints.clear();
    m_boundAddresses.clear();
}

void ClsInstrScanner::bindUdpSockets()
{
    QList<QHostAddress> lstHostNameAddresses;
    for (const QHostAddress &address : QHostInfo::fromName(m_localHostName).addresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            lstHostNameAddresses.append(address);

    const QList<ScanEndpoints::Endpoint> lstEndpoints =
        ScanEndpoints::choose(ScanEndpoints::localInterfaces(), lstHostNameAddresses);
    for (const ScanEndpoints::Endpoint &endpoint : lstEndpoints) {
        const QString strAddress = endpoint.local.toString();
        ScanTrace::info(QStringLiteral("LAN scan UDP socket binding to IPv4 address %1").arg(strAddress));
        auto *socket = new QUdpSocket(this);
        socket->setProxy(QNetworkProxy::NoProxy);
        if (!socket->bind(endpoint.local, LocalUdpPort)) {
            // An unbound socket would send from a random port on every interface, and the replies
            // could not be told apart: such an address takes no part in the scan.
            ScanTrace::warning(QStringLiteral("Unable to bind UDP socket to IPv4 address %1:%2 (%3)")
                                   .arg(strAddress)
                                   .arg(LocalUdpPort)
                                   .arg(socket->errorString()));
            delete socket;
            continue;
        }
        m_udpSockets.append(socket);
        m_endpoints.append(endpoint);
        m_boundAddresses.append(strAddress);
    }
}

void ClsInstrScanner::broadcastGetPort(const QByteArray &baCall)
{
    if (m_udpSockets.isEmpty()) {
        ScanTrace::warning(QStringLiteral("No UDP sockets are available for RPC broadcast"));
        return;
    }
    for (int intIndex = 0; intIndex < m_udpSockets.size(); ++intIndex) {
        QUdpSocket *socket = m_udpSockets.at(intIndex);
        const QString strLocal = m_boundAddresses.at(intIndex);
        if (socket->writeDatagram(baCall, m_endpoints.at(intIndex).broadcast, PortmapperPort) == -1)
            ScanTrace::warning(QStringLiteral("Unable to broadcast RPC message via UDP socket: %1:%2")
                                   .arg(strLocal)
                                   .arg(PortmapperPort));
        else
            ScanTrace::debug(QStringLiteral("RPC message (%1 byte) broadcasted via UDP socket: %2:%3")
                                 .arg(baCall.size())
                                 .arg(strLocal)
                                 .arg(PortmapperPort));
        connect(socket, &QUdpSocket::readyRead, this, &ClsInstrScanner::getUdpRpcReplyMsgs,
                Qt::UniqueConnection);
    }
}

void ClsInstrScanner::getUdpRpcReplyMsgs()
{
    if (m_udpSockets.isEmpty()) {
        ScanTrace::warning(QStringLiteral("No UDP sockets are available to receive RPC reply messages"));
        return;
    }
    auto *socket = qobject_cast<QUdpSocket *>(sender());
    if (!socket || !m_udpSockets.contains(socket)) {
        ScanTrace::error(QStringLiteral("Invalid UDP socket pointer"));
        return;
    }
    if (m_windowOpen)
        readDatagrams(socket);
}

void ClsInstrScanner::readDatagrams(QUdpSocket *socket)
{
    // What is not read now announces itself with the next readyRead().
    for (int intCount = 0; intCount < DatagramsPerRead && socket->hasPendingDatagrams(); ++intCount) {
        const QNetworkDatagram datagram = socket->receiveDatagram();
        if (!datagram.isValid())
            break;
        ++m_datagrams;
        handleDatagram(datagram.data(), datagram.senderAddress(), quint16(datagram.senderPort()));
    }
    scheduleIdentification();
}

void ClsInstrScanner::handleDatagram(const QByteArray &baDatagram, const QHostAddress &sender,
                                     quint16 u16SenderPort)
{
    const ScanRpc::GetPortReply reply = ScanRpc::parseGetPortReply(baDatagram, m_broadcastXid);
    switch (reply.header.status) {
    case ScanRpc::HeaderStatus::Ok:
        break;
    case ScanRpc::HeaderStatus::Outdated:
        ScanTrace::debug(QStringLiteral("Outdated (Xid:%1 (%2)) RPC reply message received from Server!")
                             .arg(reply.header.xid)
                             .arg(m_broadcastXid));
        return;
    case ScanRpc::HeaderStatus::Rejected:
        ScanTrace::debug(QStringLiteral("Server has rejected RPC call message!"));
        return;
    case ScanRpc::HeaderStatus::NotAccepted:
    case ScanRpc::HeaderStatus::Truncated:
        // A datagram too short for its header or port is an unknown error of the server.
        ScanTrace::debug(
            QStringLiteral("Server could not perform RPC since %1!")
                .arg(ScanRpc::acceptStatusReason(reply.header.status == ScanRpc::HeaderStatus::NotAccepted
                                                     ? reply.header.acceptStatus
                                                     : 0xFFFFFFFFu,
                                                 QStringLiteral("Portmapper"))));
        return;
    }
    // Port 0: VXI-11 is not registered there; a port above 65535 cannot be connected to.
    if (reply.port == 0 || reply.port > 0xFFFF)
        return;

    bool bolIsIpv4 = false;
    const QHostAddress address(sender.toIPv4Address(&bolIsIpv4));
    const QString strAddress = bolIsIpv4 ? address.toString() : sender.toString();

    InstrScanHost host;
    host.address = bolIsIpv4 ? address : sender;
    host.vxiPort = qint32(reply.port);
    host.hostName = hostNameOf(strAddress);
    host.resource = QStringLiteral("TCPIP::%1::INSTR").arg(host.hostName);
    host.foundBy = QStringLiteral("portmapper");
    ScanTrace::debug(
        QStringLiteral("RPC portmapper reply message received from: %1:%2 (Hostname: %3) (VXI-11 port: %4)")
            .arg(strAddress, QString::number(u16SenderPort), host.hostName, QString::number(host.vxiPort)));

    if (!m_searchExpression.pattern().isEmpty() && !m_searchExpression.exactMatch(host.hostName) &&
        !HostNaming::isDottedQuad(host.hostName)) {
        ScanTrace::debug(
            QStringLiteral("Hostname '%1' does not fit with provided search expression!").arg(host.hostName));
        return;
    }
    for (const InstrScanHost &known : qAsConst(m_heard)) {
        if (known.hostName == host.hostName) {
            // The same host on another local network, or a second reply to the same call.
            ScanTrace::debug(QStringLiteral("Hostname '%1' already in use by %2!")
                                 .arg(host.hostName, known.address.toString()));
            return;
        }
    }
    if (m_heard.size() >= MaxHosts) {
        ScanTrace::warning(
            QStringLiteral("More than %1 hosts replied; host %2 is ignored").arg(MaxHosts).arg(strAddress));
        return;
    }
    m_heard.append(host);
    m_waiting.append(host);
}

QString ClsInstrScanner::hostNameOf(const QString &strAddress)
{
    // A reverse look-up can take seconds where it fails; one per host and scan is enough.
    auto found = m_names.constFind(strAddress);
    if (found != m_names.constEnd())
        return found.value();
    const QString strName = HostNaming::hostNameFor(strAddress);
    m_names.insert(strAddress, strName);
    return strName;
}

void ClsInstrScanner::scheduleIdentification()
{
    if (m_waiting.isEmpty() || m_identifying || m_identifyScheduled)
        return; // a running identification takes the new hosts in turn
    m_identifyScheduled = true;
    emit newUdpRpcReplys();
}

void ClsInstrScanner::abortLanInstrScan()
{
    if (!m_windowOpen)
        return;
    // Replies that arrived before the window closed count, even if not yet handled.
    for (QUdpSocket *socket : qAsConst(m_udpSockets))
        readDatagrams(socket);
    m_windowOpen = false;
    m_replyTimer->stop();
    for (QUdpSocket *socket : qAsConst(m_udpSockets))
        disconnect(socket, &QUdpSocket::readyRead, this, &ClsInstrScanner::getUdpRpcReplyMsgs);
    takeMdnsResults();

    if (!m_heard.isEmpty())
        ScanTrace::info(QStringLiteral("LAN search discovered %1 VXI-11 instrument(s)").arg(m_heard.size()));
    else if (m_datagrams > 0)
        ScanTrace::info(QStringLiteral("LAN search did not discover any instrument"));
    else
        ScanTrace::info(QStringLiteral("No VXI-11 instrument replied!"));
    finishIfDone();
}

void ClsInstrScanner::getVxiInstrIdn()
{
    m_identifyScheduled = false;
    if (m_identifying)
        return;
    if (!m_tcpSocket) {
        ScanTrace::debug(QStringLiteral("TCP socket not available"));
        return;
    }
    ScanTrace::debug(QStringLiteral("Analyzing discovered instruments..."));
    m_identifying = true;
    // Hosts heard while one is being asked (events are processed during the waits) join the
    // queue and are asked in turn.
    while (!m_waiting.isEmpty()) {
        InstrScanHost host = m_waiting.takeFirst();
        if (identifyHost(host) && !isKnownInstrument(host))
            m_hosts.append(host);
    }
    m_identifying = false;
    finishIfDone();
}

void ClsInstrScanner::finishIfDone()
{
    if (isScanning())
        return;
    if (m_heard.isEmpty()) {
        emit noVxiInstrs();
        return;
    }
    ScanTrace::info(QStringLiteral("%1 VXI-11 instruments found").arg(m_hosts.size()));
    emit newVxiInstrs();
}

bool ClsInstrScanner::identifyHost(InstrScanHost &host)
{
    ClsVxiIdnClient client(*m_tcpSocket, m_xid);
    QString strIdn;
    quint32 u32Lid = 0;
    // The scanner's own VXI-11 client needs no library; instruments without VXI-11 are asked
    // over the resource they announced.
    const bool bolGood = host.vxiPort != 0
                             ? client.identify(host.address, quint16(host.vxiPort), strIdn, u32Lid)
                             : identifyOverResource(host, strIdn);
    if (bolGood) {
        const InstrIdent::Identity identity = InstrIdent::parseIdn(strIdn);
        host.manufacturer = identity.manufacturer;
        host.instrType = identity.instrType;
        host.serialNumber = identity.serialNumber;
        host.firmware = identity.firmware;
        ScanTrace::debug(QStringLiteral("IDN: '%1''%2''%3''%4' received from host (%5) via VXI-11 link: %6")
                             .arg(host.manufacturer, host.instrType, host.serialNumber, host.firmware,
                                  host.hostName, QString::number(u32Lid)));
    }
    m_tcpSocket->abort();

    if (!bolGood) {
        ScanTrace::debug(QStringLiteral("Removing host %1 from list. Error(s) during IDN Query")
                             .arg(host.address.toString()));
        return false;
    }
    if (!m_searchExpression.pattern().isEmpty() && !m_searchExpression.exactMatch(host.instrType)) {
        ScanTrace::debug(QStringLiteral("Removing host %1 from list. Invalid instrument type '%2'")
                             .arg(host.address.toString(), host.instrType));
        return false;
    }
    return true;
}

bool ClsInstrScanner::isKnownInstrument(const InstrScanHost &host)
{
    // Without a serial number two instruments of one type cannot be told apart: both stay.
    if (host.serialNumber.isEmpty())
        return false;
    for (InstrScanHost &known : m_hosts) {
        if (known.manufacturer == host.manufacturer && known.instrType == host.instrType &&
            known.serialNumber == host.serialNumber) {
            // Found both ways under two addresses: the one entry keeps the better resource.
            if (resourceRank(host.resource) < resourceRank(known.resource)) {
                known.resource = host.resource;
                known.address = host.address;
            }
            if (known.foundBy != host.foundBy)
                known.foundBy = QStringLiteral("portmapper and mDNS");
            // One instrument under two addresses (two LAN ports, or a second address on one).
            ScanTrace::debug(
                QStringLiteral("Removing host %1 from list. Instrument '%2-%3' already found at %4")
                    .arg(host.address.toString(), host.instrType, host.serialNumber,
                         known.address.toString()));
            return true;
        }
    }
    return false;
}
