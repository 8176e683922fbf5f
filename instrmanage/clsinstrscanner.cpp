#include "instrmanage/clsinstrscanner.h"

#include "instrmanage/hostnaming.h"
#include "instrmanage/scanrpc.h"
#include "instrmanage/scantrace.h"
#include "instrmanage/vxi11idnclient.h"
#include "visa/visaresource.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

ClsInstrScanner::ClsInstrScanner(QObject *parent) : QObject(parent)
{
    m_tcpSocket = new QTcpSocket(this);
    m_tcpSocket->setProxy(QNetworkProxy::NoProxy);
    m_replyTimer = new QTimer(this);
    m_replyTimer->setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the collection window is a promise to the peers.
    m_replyTimer->setTimerType(Qt::PreciseTimer);
    m_localHostName = QHostInfo::localHostName();
    ScanTrace::info(QStringLiteral("Local host name is '%1'").arg(m_localHostName));
}

ClsInstrScanner::~ClsInstrScanner()
{
    ScanTrace::debug(QStringLiteral("Instrument scanner object deleted"));
}

void ClsInstrScanner::startLanScan(const QString &strExpression)
{
    if (m_readDepth > 0 || m_phase == Phase::Identifying) {
        // Replies are being read or hosts identified right now: both hold the sockets this
        // would replace, and the running scan ends with its own signal.
        ScanTrace::warning(QStringLiteral("LAN scan is still in progress; new scan request ignored"));
        return;
    }
    m_replyTimer->stop();
    releaseUdpSockets();

    m_xid = 1000;
    bindUdpSockets();

    connect(this, &ClsInstrScanner::newUdpRpcReplys, this, &ClsInstrScanner::getVxiInstrIdn,
            Qt::UniqueConnection);
    connect(m_replyTimer, &QTimer::timeout, this, &ClsInstrScanner::abortLanInstrScan, Qt::UniqueConnection);

    m_hosts.clear();
    m_searchExpression = QRegExp(strExpression, Qt::CaseInsensitive, QRegExp::Wildcard);

    m_xid = ScanRpc::nextXid(m_xid);
    const QByteArray baCall = ScanRpc::buildGetPortCall(m_xid);
    ScanTrace::debug(QStringLiteral("RPC (Portmapper-GetPort) call message (Xid: %1, size: %2 byte) setup")
                         .arg(m_xid)
                         .arg(baCall.size()));

    m_phase = Phase::Collecting;
    broadcastGetPort(baCall);
    m_replyTimer->start(CollectTimeoutMs);
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
    m_awaitingReply.clear();
    m_boundAddresses.clear();
}

void ClsInstrScanner::bindUdpSockets()
{
    const QHostInfo hostInfo = QHostInfo::fromName(m_localHostName);
    QList<QHostAddress> lstAddresses;
    for (const QHostAddress &address : hostInfo.addresses()) {
        // A host listed twice would give two sockets on one address and port.
        if (address.protocol() != QAbstractSocket::IPv4Protocol || lstAddresses.contains(address))
            continue;
        ScanTrace::info(
            QStringLiteral("LAN scan UDP socket binding to IPv4 address %1").arg(address.toString()));
        lstAddresses.append(address);
    }

    for (const QHostAddress &address : qAsConst(lstAddresses)) {
        auto *socket = new QUdpSocket(this);
        socket->setProxy(QNetworkProxy::NoProxy);
        if (!socket->bind(address, LocalUdpPort)) {
            // An unbound socket would send from a random port on every interface, and the replies
            // could not be told apart: such an address takes no part in the scan.
            ScanTrace::warning(QStringLiteral("Unable to bind UDP socket to IPv4 address %1:%2 (%3)")
                                   .arg(address.toString())
                                   .arg(LocalUdpPort)
                                   .arg(socket->errorString()));
            delete socket;
            continue;
        }
        m_udpSockets.append(socket);
        m_boundAddresses.append(address.toString());
        m_awaitingReply.append(false);
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
        while (socket->hasPendingDatagrams())
            socket->receiveDatagram();
        m_awaitingReply[intIndex] = true;
        const QString strLocal = m_boundAddresses.at(intIndex);
        if (socket->writeDatagram(baCall, QHostAddress::Broadcast, PortmapperPort) == -1)
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
    if (m_phase != Phase::Collecting)
        return; // the collection window closed before this signal was handled

    ++m_readDepth;
    while (socket->hasPendingDatagrams()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        // The timer may have ended the collection while events were processed.
        if (m_phase != Phase::Collecting)
            break;
        const QNetworkDatagram datagram = socket->receiveDatagram();
        if (!datagram.isValid())
            break;
        handleDatagram(datagram.data(), datagram.senderAddress(), quint16(datagram.senderPort()));
    }
    --m_readDepth;
    if (m_phase != Phase::Collecting)
        return;

    m_awaitingReply[m_udpSockets.indexOf(socket)] = false;
    disconnect(socket, &QUdpSocket::readyRead, this, &ClsInstrScanner::getUdpRpcReplyMsgs);
    if (m_awaitingReply.contains(true))
        return;
    finishCollection();
}

void ClsInstrScanner::handleDatagram(const QByteArray &baDatagram, const QHostAddress &sender,
                                     quint16 u16SenderPort)
{
    const ScanRpc::GetPortReply reply = ScanRpc::parseGetPortReply(baDatagram, m_xid);
    switch (reply.header.status) {
    case ScanRpc::HeaderStatus::Ok:
        break;
    case ScanRpc::HeaderStatus::Outdated:
        ScanTrace::debug(QStringLiteral("Outdated (Xid:%1 (%2)) RPC reply message received from Server!")
                             .arg(reply.header.xid)
                             .arg(m_xid));
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
    host.hostName = HostNaming::hostNameFor(strAddress);
    host.resource = QStringLiteral("TCPIP::%1::INSTR").arg(host.hostName);
    ScanTrace::debug(
        QStringLiteral("RPC portmapper reply message received from: %1:%2 (Hostname: %3) (VXI-11 port: %4)")
            .arg(strAddress, QString::number(u16SenderPort), host.hostName, QString::number(host.vxiPort)));

    if (!m_searchExpression.pattern().isEmpty() && !m_searchExpression.exactMatch(host.hostName) &&
        !HostNaming::isDottedQuad(host.hostName)) {
        ScanTrace::debug(
            QStringLiteral("Hostname '%1' does not fit with provided search expression!").arg(host.hostName));
        return;
    }
    for (const InstrScanHost &known : qAsConst(m_hosts)) {
        if (known.hostName == host.hostName) {
            ScanTrace::debug(QStringLiteral("Hostname '%1' already in use by %2!")
                                 .arg(host.hostName, known.address.toString()));
            return;
        }
    }
    m_hosts.append(host);
}

void ClsInstrScanner::finishCollection()
{
    m_replyTimer->stop();
    disconnect(m_replyTimer, &QTimer::timeout, this, &ClsInstrScanner::abortLanInstrScan);
    if (m_hosts.isEmpty()) {
        ScanTrace::info(QStringLiteral("LAN search did not discover any instrument"));
        m_phase = Phase::Idle;
        emit noVxiInstrs();
        return;
    }
    ScanTrace::info(QStringLiteral("LAN search discovered %1 VXI-11 instrument(s)").arg(m_hosts.size()));
    m_phase = Phase::Identifying;
    emit newUdpRpcReplys();
}

void ClsInstrScanner::abortLanInstrScan()
{
    if (m_phase != Phase::Collecting)
        return;
    for (int intIndex = 0; intIndex < m_udpSockets.size(); ++intIndex) {
        disconnect(m_udpSockets.at(intIndex), &QUdpSocket::readyRead, this,
                   &ClsInstrScanner::getUdpRpcReplyMsgs);
        m_awaitingReply[intIndex] = false;
    }
    m_replyTimer->stop();
    disconnect(m_replyTimer, &QTimer::timeout, this, &ClsInstrScanner::abortLanInstrScan);
    if (!m_hosts.isEmpty()) {
        ScanTrace::info(QStringLiteral("LAN search discovered %1 VXI-11 instrument(s)").arg(m_hosts.size()));
        m_phase = Phase::Identifying;
        emit newUdpRpcReplys();
        return;
    }
    // Also without any UDP socket: the scan has to end with a signal so that no caller waits
    // for ever.
    ScanTrace::info(QStringLiteral("No VXI-11 instrument replied!"));
    m_phase = Phase::Idle;
    emit noVxiInstrs();
}

void ClsInstrScanner::getVxiInstrIdn()
{
    if (!m_tcpSocket) {
        ScanTrace::debug(QStringLiteral("TCP socket not available"));
        return;
    }
    ScanTrace::debug(QStringLiteral("Analyzing discovered instruments..."));
    disconnect(this, &ClsInstrScanner::newUdpRpcReplys, this, &ClsInstrScanner::getVxiInstrIdn);
    m_phase = Phase::Identifying;

    for (int intIndex = 0; intIndex < m_hosts.size();) {
        if (identifyHost(m_hosts[intIndex]))
            ++intIndex;
        else
            m_hosts.removeAt(intIndex);
    }

    ScanTrace::info(QStringLiteral("%1 VXI-11 instruments found").arg(m_hosts.size()));
    m_phase = Phase::Idle;
    emit newVxiInstrs();
}

bool ClsInstrScanner::identifyHost(InstrScanHost &host)
{
    ClsVxiIdnClient client(*m_tcpSocket, m_xid);
    QString strIdn;
    quint32 u32Lid = 0;
    const bool bolGood = client.identify(host.address, quint16(host.vxiPort), strIdn, u32Lid);
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
