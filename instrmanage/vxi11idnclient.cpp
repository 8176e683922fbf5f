#include "instrmanage/vxi11idnclient.h"

#include "instrmanage/scanrpc.h"
#include "instrmanage/scantrace.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>

namespace {

void processEvents()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

constexpr int ReplyPollMs = 100;
constexpr int ConnectPollMs = 5;
// Bytes kept from the stream while a record is assembled; anything beyond cannot be one record.
constexpr int MaxStreamBytes = ScanRpc::MaxRecordBytes + 1024;

} // namespace

ClsVxiIdnClient::ClsVxiIdnClient(QTcpSocket &socket, quint32 &u32Xid) : m_socket(socket), m_xid(u32Xid) {}

bool ClsVxiIdnClient::identify(const QHostAddress &address, quint16 u16Port, QString &strIdn, quint32 &u32Lid)
{
    strIdn.clear();
    u32Lid = 0;
    if (!connectToHost(address, u16Port))
        return false;

    if (!createLink(u32Lid)) {
        ScanTrace::debug(QStringLiteral("Unable to create VXI-11 link on TCP socket %1:%2!")
                             .arg(address.toString())
                             .arg(u16Port));
        return false;
    }
    const QString strCommand = QStringLiteral("*IDN?");
    if (!writeCommand(u32Lid, strCommand)) {
        ScanTrace::debug(
            QStringLiteral("Unable to write '%1' to VXI-11 link %2!").arg(strCommand).arg(u32Lid));
        return false;
    }
    if (!readReply(u32Lid, strIdn)) {
        ScanTrace::debug(QStringLiteral("Unable to read data from VXI-11 link %1!").arg(u32Lid));
        return false;
    }
    if (!destroyLink(u32Lid)) {
        // The text names the link id twice; the second number is the peer port.
        ScanTrace::debug(QStringLiteral("Unable to destroy VXI-11 link %1 on TCP socket %1:%2!!")
                             .arg(u32Lid)
                             .arg(u16Port));
        return false;
    }
    return true;
}

bool ClsVxiIdnClient::connectToHost(const QHostAddress &address, quint16 u16Port)
{
    processEvents();
    m_socket.abort();
    m_socket.connectToHost(address, u16Port, QIODevice::ReadWrite);
    QElapsedTimer timer;
    timer.start();
    while (m_socket.state() != QAbstractSocket::ConnectedState && timer.elapsed() < ConnectTimeoutMs) {
        if (m_socket.state() == QAbstractSocket::UnconnectedState)
            break; // refused: no point waiting out the rest
        m_socket.waitForConnected(ConnectPollMs);
        processEvents();
    }
    if (m_socket.state() == QAbstractSocket::ConnectedState)
        return true;
    ScanTrace::debug(
        QStringLiteral("Unable to connet to TCP socket %1:%2!").arg(address.toString()).arg(u16Port));
    return false;
}

bool ClsVxiIdnClient::createLink(quint32 &u32Lid)
{
    // Create_Link goes out with the xid of the broadcast; the later calls advance it.
    if (!sendRecord(ScanRpc::buildCreateLinkCall(m_xid))) {
        ScanTrace::debug(QStringLiteral("Unable to send VXI-11-CreateLink message!"));
        return false;
    }
    QByteArray baBody;
    ScanRpc::CreateLinkResult result;
    if (!receiveReply(baBody) || !ScanRpc::parseCreateLinkResult(baBody, result)) {
        ScanTrace::debug(QStringLiteral("Unable to get VXI-11-CreateLink reply message!"));
        return false;
    }
    if (result.error != 0) {
        ScanTrace::debug(QStringLiteral("Unable to create VXI-11 link (VXI error: %1)!").arg(result.error));
        ScanTrace::debug(QStringLiteral("Unable to create VXI-11-Link on TCP socket: %1:%2!")
                             .arg(m_socket.peerAddress().toString())
                             .arg(m_socket.peerPort()));
        return false;
    }
    u32Lid = result.lid;
    return true;
}

bool ClsVxiIdnClient::writeCommand(quint32 u32Lid, const QString &strCommand)
{
    m_xid = ScanRpc::nextXid(m_xid);
    const QByteArray baData = strCommand.toLatin1() + '\n';
    if (!sendRecord(ScanRpc::buildDeviceWriteCall(m_xid, u32Lid, baData))) {
        ScanTrace::debug(QStringLiteral("Unable to send VXI-11-DeviceWrite message!"));
        return false;
    }
    QByteArray baBody;
    ScanRpc::DeviceWriteResult result;
    if (!receiveReply(baBody) || !ScanRpc::parseDeviceWriteResult(baBody, result)) {
        ScanTrace::debug(QStringLiteral("Unable to get VXI-11-DeviceWrite reply message!"));
        return false;
    }
    if (result.error != 0) {
        ScanTrace::debug(QStringLiteral("Unable to write data (command) to VXI-11 server (VXI error: %1)!")
                             .arg(result.error));
        ScanTrace::debug(QStringLiteral("Unable to get VXI-11-DeviceWrite reply data!"));
        return false;
    }
    return true;
}

bool ClsVxiIdnClient::readReply(quint32 u32Lid, QString &strReply)
{
    m_xid = ScanRpc::nextXid(m_xid);
    if (!sendRecord(ScanRpc::buildDeviceReadCall(m_xid, u32Lid))) {
        ScanTrace::debug(QStringLiteral("Unable to send VXI-11-DeviceRead message!"));
        return false;
    }
    QByteArray baBody;
    if (!receiveReply(baBody)) {
        ScanTrace::debug(QStringLiteral("Unable to get VXI-11-DeviceRead reply message!"));
        return false;
    }
    ScanRpc::DeviceReadResult result;
    const bool bolParsed = ScanRpc::parseDeviceReadResult(baBody, result);
    if (bolParsed && result.error != 0)
        ScanTrace::debug(
            QStringLiteral("Unable read data from VXI-11 server (VXI error: %1)!").arg(result.error));
    if (!bolParsed || result.error != 0) {
        ScanTrace::debug(QStringLiteral("Unable to get VXI-11-DeviceRead data!"));
        return false;
    }
    strReply = ScanRpc::deviceReadText(result.data);
    return true;
}

bool ClsVxiIdnClient::destroyLink(quint32 u32Lid)
{
    m_xid = ScanRpc::nextXid(m_xid);
    if (!sendRecord(ScanRpc::buildDestroyLinkCall(m_xid, u32Lid))) {
        ScanTrace::debug(QStringLiteral("Unable to send VXI-11-DestroyLink message!"));
        return false;
    }
    QByteArray baBody;
    quint32 u32Error = 0;
    if (!receiveReply(baBody) || !ScanRpc::parseErrorOnlyResult(baBody, u32Error)) {
        ScanTrace::debug(QStringLiteral("Unable to get VXI-11-DestroyLink reply message!"));
        return false;
    }
    if (u32Error != 0) {
        ScanTrace::debug(QStringLiteral("Unable to destroy VXI-11-Link (VXI error: %1)!").arg(u32Error));
        ScanTrace::debug(QStringLiteral("Unable to destroy VXI-11-Link (Link ID: %1)!").arg(u32Lid));
        return false;
    }
    return true;
}

bool ClsVxiIdnClient::sendRecord(const QByteArray &baRecord)
{
    // A reply left over from an earlier call must not be taken for the answer to this one.
    if (m_socket.bytesAvailable() > 0)
        m_socket.readAll();
    if (m_socket.write(baRecord) == -1) {
        ScanTrace::debug(QStringLiteral("Unable to send RPC call message to TCP socket %2:%3")
                             .arg(m_socket.peerAddress().toString())
                             .arg(m_socket.peerPort()));
        return false;
    }
    m_socket.flush();
    return true;
}

bool ClsVxiIdnClient::receiveReply(QByteArray &baBody)
{
    baBody.clear();
    QByteArray baMessage;
    if (!collectRecord(baMessage))
        return false;

    const ScanRpc::ReplyHeader header = ScanRpc::parseReplyHeader(baMessage, m_xid);
    switch (header.status) {
    case ScanRpc::HeaderStatus::Ok:
        baBody = baMessage.mid(header.bodyOffset);
        return true;
    case ScanRpc::HeaderStatus::Outdated:
        ScanTrace::debug(QStringLiteral("Outdated (Xid:%1 (%2)) RPC reply message received from Server!")
                             .arg(header.xid)
                             .arg(m_xid));
        break;
    case ScanRpc::HeaderStatus::Rejected:
        ScanTrace::debug(QStringLiteral("Server has rejected RPC call message!"));
        break;
    case ScanRpc::HeaderStatus::NotAccepted:
    case ScanRpc::HeaderStatus::Truncated:
        // A header too short to read counts as an unknown error of the server.
        ScanTrace::debug(
            QStringLiteral("Server could not perform RPC since %1!")
                .arg(ScanRpc::acceptStatusReason(
                    header.status == ScanRpc::HeaderStatus::NotAccepted ? header.acceptStatus : 0xFFFFFFFFu,
                    QStringLiteral("VXI-11"))));
        break;
    }
    ScanTrace::debug(QStringLiteral("Received RPC reply from TCP socket shows errors!"));
    return false;
}

bool ClsVxiIdnClient::collectRecord(QByteArray &baMessage)
{
    QByteArray baStream;
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (m_socket.bytesAvailable() > 0 || m_socket.waitForReadyRead(ReplyPollMs)) {
            const qint64 i64Room = MaxStreamBytes - baStream.size();
            QByteArray baChunk(int(qMin<qint64>(qMax<qint64>(m_socket.bytesAvailable(), 1), i64Room)), '\0');
            const qint64 i64Read = i64Room > 0 ? m_socket.read(baChunk.data(), baChunk.size()) : 0;
            if (i64Read < 0) {
                ScanTrace::debug(QStringLiteral("Unable to read RPC reply from TCP socket!"));
                return false;
            }
            baStream += baChunk.left(int(i64Read));
        }
        processEvents();

        const ScanRpc::RecordState state = ScanRpc::assembleRecord(baStream, baMessage);
        if (state == ScanRpc::RecordState::Complete)
            return true;
        const bool bolClosed =
            m_socket.state() != QAbstractSocket::ConnectedState && m_socket.bytesAvailable() == 0;
        if (state == ScanRpc::RecordState::Invalid || baStream.size() >= MaxStreamBytes ||
            timer.elapsed() >= ReplyTimeoutMs || bolClosed) {
            // Silence is "no reply"; a record cut short or malformed is a failed read.
            ScanTrace::debug(baStream.isEmpty()
                                 ? QStringLiteral("No RPC reply arrived from TCP socket!")
                                 : QStringLiteral("Unable to read RPC reply from TCP socket!"));
            return false;
        }
    }
}
