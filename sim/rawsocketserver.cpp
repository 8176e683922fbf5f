#include "sim/rawsocketserver.h"

#include "sim/scpiframer.h"
#include "sim/scpisession.h"
#include "sim/siminstrument.h"

#include <QTcpSocket>

namespace {
// A client that stops reading must not make the simulator hoard its replies without end.
constexpr qint64 MaxUnsentReplyBytes = 64 * 1024 * 1024;

class RawConnection : public QObject
{
public:
    RawConnection(QTcpSocket *socket, SimInstrument *instrument, MessageLog *log, const QString &logName)
        : QObject(socket), m_socket(socket), m_session(new ScpiSession(instrument, log, logName, this))
    {
        m_framer.setLineFeedIsEnd(true);
        m_framer.setBlockByteLimit(instrument->faults().dropAfterBlockBytes);
        connect(socket, &QTcpSocket::readyRead, this, &RawConnection::readInput);
        connect(socket, &QTcpSocket::disconnected, this, &RawConnection::finish);
        connect(m_session, &ScpiSession::responseReady, this, &RawConnection::sendResponse);
    }

private:
    void readInput()
    {
        // One buffer for the connection's life: a fresh 256 KiB array per read would be mapped,
        // faulted in and unmapped again for every read of a long upload.
        if (m_chunk.isEmpty())
            m_chunk.resize(256 * 1024);
        while (m_socket->bytesAvailable() > 0 && !m_dropped) {
            const qint64 got = m_socket->read(m_chunk.data(), m_chunk.size());
            if (got <= 0)
                break;
            QList<ScpiMessage> messages;
            m_framer.feed(m_chunk.constData(), int(got), false, messages);
            for (const ScpiMessage &message : messages)
                m_session->submit(message);
            if (m_framer.blockByteLimitReached()) {
                m_dropped = true;
                m_session->submit(m_framer.takePartialMessage());
                m_socket->abort();
                return;
            }
        }
    }

    void sendResponse(const QByteArray &response)
    {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            return;
        if (m_socket->bytesToWrite() + response.size() > MaxUnsentReplyBytes) {
            m_socket->abort();
            return;
        }
        m_socket->write(response);
    }

    void finish()
    {
        if (m_framer.hasPartialMessage() && !m_dropped)
            m_session->submit(m_framer.takePartialMessage());
        m_dropped = true;
        m_socket->deleteLater();
    }

    QTcpSocket *m_socket;
    ScpiSession *m_session;
    ScpiFramer m_framer;
    QByteArray m_chunk;
    bool m_dropped = false;
};
} // namespace

RawSocketServer::RawSocketServer(SimInstrument *instrument, MessageLog *log, const QString &logName,
                                 QObject *parent)
    : QObject(parent), m_instrument(instrument), m_log(log), m_logName(logName)
{
    connect(&m_server, &QTcpServer::newConnection, this, &RawSocketServer::acceptConnections);
}

bool RawSocketServer::listen(const QHostAddress &address, quint16 port, QString *error)
{
    if (!m_server.listen(address, port)) {
        *error = m_server.errorString();
        return false;
    }
    return true;
}

void RawSocketServer::acceptConnections()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        new RawConnection(socket, m_instrument, m_log, m_logName);
    }
}
