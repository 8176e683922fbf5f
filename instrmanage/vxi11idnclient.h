#ifndef LISTFORGE_INSTRMANAGE_VXI11IDNCLIENT_H
#define LISTFORGE_INSTRMANAGE_VXI11IDNCLIENT_H

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QtGlobal>

class QTcpSocket;

// Asks one VXI-11 host for "*IDN?" over a minimal client: connect, Create_Link, Device_Write,
// Device_Read, Destroy_Link. It blocks, but keeps the event loop running (user input excluded)
// while it waits. Every step traces its failure with the scanner's texts; the first failure
// ends the host's identification.
class ClsVxiIdnClient
{
public:
    static constexpr int ConnectTimeoutMs = 200;
    static constexpr int ReplyTimeoutMs = 3000;

    // Uses the caller's socket and transaction id; both outlive the client.
    ClsVxiIdnClient(QTcpSocket &socket, quint32 &u32Xid);

    // True when the host answered "*IDN?" and the link was destroyed again; strIdn is the reply
    // text, u32Lid the link id. The socket is left for the caller to abort.
    bool identify(const QHostAddress &address, quint16 u16Port, QString &strIdn, quint32 &u32Lid);

private:
    bool connectToHost(const QHostAddress &address, quint16 u16Port);
    bool createLink(quint32 &u32Lid);
    bool writeCommand(quint32 u32Lid, const QString &strCommand);
    bool readReply(quint32 u32Lid, QString &strReply);
    bool destroyLink(quint32 u32Lid);

    bool sendRecord(const QByteArray &baRecord);
    // Waits for one whole reply record and checks its RPC header against the current xid;
    // baBody is the message after the header.
    bool receiveReply(QByteArray &baBody);
    bool collectRecord(QByteArray &baMessage);

    QTcpSocket &m_socket;
    quint32 &m_xid;
};

#endif
