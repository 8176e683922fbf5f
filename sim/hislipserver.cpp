#include "sim/hislipserver.h"

#include "sim/hislipcodec.h"
#include "sim/scpiframer.h"
#include "sim/scpisession.h"
#include "sim/siminstrument.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace {
constexpr quint16 VendorId = 0x4C46; // "LF"
constexpr quint64 MaxControlPayload = 4096;
constexpr qint64 ReadChunk = 256 * 1024;
// Replies are handed to the socket only this far ahead, so that a device clear still finds the
// rest of a long reply unsent and can drop it.
constexpr qint64 SocketBacklog = 1024 * 1024;
constexpr qint64 MaxQueuedReplyBytes = 64 * 1024 * 1024;
// The client's maximum message size, taken within sane bounds.
constexpr quint64 MinClientMessageSize = 256;
constexpr quint64 MaxClientMessageSize = quint64(1) << 30;

QByteArray u64Payload(quint64 value)
{
    QByteArray out(8, Qt::Uninitialized);
    for (int i = 0; i < 8; ++i)
        out[i] = char(value >> (56 - 8 * i));
    return out;
}

bool isSyncType(quint8 type)
{
    return type == Hislip::Data || type == Hislip::DataEnd || type == Hislip::Trigger ||
           type == Hislip::DeviceClearComplete;
}
} // namespace

class HislipChannel;

// One client: its two channels, its SCPI conversation and the replies not yet sent.
class HislipSession : public QObject
{
public:
    HislipSession(quint16 id, HislipServer *server);
    ~HislipSession() override;

    quint16 id() const { return m_id; }
    bool established() const { return m_sync && m_async; }
    void attach(HislipChannel *channel, bool async);
    // Either channel went away or broke the protocol: the whole session ends.
    void end();

    bool ready(const Hislip::Header &header) const;
    void syncMessage(const Hislip::Header &header);
    void asyncMessage(const Hislip::Header &header, const QByteArray &payload);
    void data(const Hislip::Header &header, const char *bytes, qint64 size, bool last);
    void retryLock();
    void resume();

private:
    void submit(const ScpiMessage &message);
    void sendReply(const QByteArray &response, quint32 tag);
    void pump();
    void lockRequest(const Hislip::Header &header, const QByteArray &payload);
    void answerLock(quint8 code);
    void deviceClear();

    quint16 m_id;
    HislipServer *m_server;
    QPointer<HislipChannel> m_sync;
    QPointer<HislipChannel> m_async;
    ScpiSession *m_scpi;
    ScpiFramer m_framer;
    QList<QByteArray> m_output;
    qint64 m_outputBytes = 0;
    quint64 m_clientMaxMessage = HislipServer::MaxMessageSize;
    quint32 m_messageId = Hislip::UnknownMessageId;
    bool m_clearing = false;
    bool m_replyUnread = false; // MAV: a reply went out that the client has not confirmed reading
    bool m_ended = false;
    bool m_lockWaiting = false;
    QByteArray m_lockKey;
    QTimer m_lockTimer;
};

// One TCP connection. Until its first message it is neither channel; Initialize makes it the
// synchronous channel of a new session, AsyncInitialize the asynchronous one of an existing one.
class HislipChannel : public QObject, private HislipParser::Handler
{
public:
    HislipChannel(QTcpSocket *socket, HislipServer *server)
        : QObject(socket), m_socket(socket), m_server(server),
          m_parser(HislipServer::MaxMessageSize, MaxControlPayload)
    {
        socket->setReadBufferSize(4 * ReadChunk);
        connect(socket, &QTcpSocket::readyRead, this, &HislipChannel::readInput);
        connect(socket, &QTcpSocket::disconnected, this, &HislipChannel::finish);
        m_initTimer.setSingleShot(true);
        connect(&m_initTimer, &QTimer::timeout, this,
                [this] { fatal(Hislip::FatalBadInitialization, "initialization not completed in time"); });
        m_initTimer.start(HislipServer::InitTimeoutMs);
    }

    ~HislipChannel() override
    {
        m_closed = true; // the socket is half destroyed already: no more writes
        if (m_session)
            m_session->end();
    }

    QTcpSocket *socket() const { return m_socket; }
    void established() { m_initTimer.stop(); }

    void send(quint8 type, quint8 control, quint32 parameter, const QByteArray &payload = QByteArray())
    {
        if (!m_closed)
            m_socket->write(Hislip::message(type, control, parameter, payload));
    }

    void error(quint8 code, const QByteArray &text) { send(Hislip::Error, code, 0, text); }

    // Reports a fatal error to the client and ends the connection (and the session with it).
    void fatal(quint8 code, const QByteArray &text)
    {
        if (m_closed)
            return;
        send(Hislip::FatalError, code, 0, text);
        close();
    }

    // Closes once what was written has gone out.
    void close()
    {
        if (m_closed)
            return;
        m_closed = true;
        m_parser.stop();
        m_initTimer.stop();
        m_socket->disconnectFromHost();
        // A peer that reads nothing more must not keep the connection half closed for ever.
        QTimer::singleShot(5000, m_socket, &QTcpSocket::abort);
        if (HislipSession *session = m_session) {
            m_session = nullptr;
            session->end();
        }
    }

    void detach() { m_session = nullptr; }

    void readInput()
    {
        if (m_closed)
            return;
        // Input held back while the parser paused goes first; with none, this asks again.
        QByteArray held;
        held.swap(m_pending);
        if (!consume(held.constData(), held.size()))
            return;
        while (!m_closed && m_socket->bytesAvailable() > 0) {
            const QByteArray chunk = m_socket->read(ReadChunk);
            if (!consume(chunk.constData(), chunk.size()))
                return;
        }
    }

private:
    // False when the parser paused (the rest is kept) or the connection is closing.
    bool consume(const char *bytes, qint64 size)
    {
        const qint64 used = m_parser.feed(bytes, size, *this);
        if (m_closed)
            return false;
        if (m_parser.failed()) {
            fatal(Hislip::FatalBadHeader, "message header without the \"HS\" prologue");
            return false;
        }
        if (used < size) {
            m_pending = QByteArray(bytes + used, int(size - used));
            return false;
        }
        return true;
    }

    bool ready(const Hislip::Header &header) override { return !m_session || m_session->ready(header); }

    void message(const Hislip::Header &header, const QByteArray &payload) override
    {
        switch (header.type) {
        case Hislip::Initialize:
            initialize(payload);
            return;
        case Hislip::AsyncInitialize:
            asyncInitialize(header);
            return;
        case Hislip::FatalError:
            close();
            return;
        case Hislip::Error:
            return; // the client's complaint; nothing to answer
        default:
            break;
        }
        if (!m_session || !m_session->established()) {
            fatal(Hislip::FatalChannelsMissing, "both channels must be initialized first");
            return;
        }
        if (header.type >= Hislip::FirstVendorType)
            error(Hislip::ErrorUnknownVendorType, "unrecognized vendor-defined message");
        else if (m_async && !isSyncType(header.type))
            m_session->asyncMessage(header, payload);
        else if (!m_async && isSyncType(header.type))
            m_session->syncMessage(header);
        else
            error(Hislip::ErrorUnknownType, "unrecognized message type on this channel");
    }

    void data(const Hislip::Header &header, const char *bytes, qint64 size, bool last) override
    {
        if (!m_session || !m_session->established()) {
            fatal(Hislip::FatalChannelsMissing, "both channels must be initialized first");
        } else if (m_async) {
            if (last)
                error(Hislip::ErrorUnknownType, "data on the asynchronous channel");
        } else {
            m_session->data(header, bytes, size, last);
        }
    }

    void oversized(const Hislip::Header &) override { error(Hislip::ErrorTooLarge, "message too large"); }

    void initialize(const QByteArray &subAddress)
    {
        if (m_session || m_async) {
            fatal(Hislip::FatalBadInitialization, "Initialize on an initialized channel");
            return;
        }
        if (!subAddress.isEmpty() && subAddress != "hislip0") {
            fatal(Hislip::FatalBadInitialization, "unknown sub-address " + subAddress.left(64));
            return;
        }
        if (m_server->instrument()->faults().refuseLink) {
            fatal(Hislip::FatalUnidentified, "device not accessible");
            return;
        }
        HislipSession *session = m_server->createSession();
        if (!session) {
            fatal(Hislip::FatalTooManyClients, "maximum number of clients exceeded");
            return;
        }
        m_session = session;
        session->attach(this, false);
        send(Hislip::InitializeResponse, 0, quint32(Hislip::Version10) << 16 | session->id());
    }

    void asyncInitialize(const Hislip::Header &header)
    {
        HislipSession *session = m_server->session(quint16(header.parameter & 0xFFFF));
        if (m_session || !session || session->established()) {
            fatal(Hislip::FatalBadInitialization, "AsyncInitialize without a matching session");
            return;
        }
        m_session = session;
        m_async = true;
        session->attach(this, true);
        send(Hislip::AsyncInitializeResponse, 0, VendorId);
    }

    void finish()
    {
        m_closed = true;
        m_parser.stop();
        if (HislipSession *session = m_session) {
            m_session = nullptr;
            session->end();
        }
        m_socket->deleteLater();
    }

    QTcpSocket *m_socket;
    HislipServer *m_server;
    HislipParser m_parser;
    QPointer<HislipSession> m_session;
    QByteArray m_pending;
    QTimer m_initTimer;
    bool m_async = false;
    bool m_closed = false;
};

HislipSession::HislipSession(quint16 id, HislipServer *server)
    : QObject(server), m_id(id), m_server(server),
      m_scpi(new ScpiSession(server->instrument(), server->log(), server->logName(), this))
{
    m_framer.setLineFeedIsEnd(false);
    m_framer.setBlockByteLimit(server->instrument()->faults().dropAfterBlockBytes);
    connect(m_scpi, &ScpiSession::responseReady, this, &HislipSession::sendReply);
    m_lockTimer.setSingleShot(true);
    connect(&m_lockTimer, &QTimer::timeout, this, [this] {
        if (m_lockWaiting)
            answerLock(0); // timed out
    });
}

HislipSession::~HislipSession()
{
    end();
}

void HislipSession::attach(HislipChannel *channel, bool async)
{
    (async ? m_async : m_sync) = channel;
    if (async) {
        m_sync->established();
        m_async->established();
        connect(m_sync->socket(), &QTcpSocket::bytesWritten, this, &HislipSession::pump);
    }
}

void HislipSession::end()
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_framer.hasPartialMessage())
        m_scpi->submit(m_framer.takePartialMessage());
    m_scpi->clear();
    for (HislipChannel *channel : {m_sync.data(), m_async.data()}) {
        if (channel) {
            channel->detach();
            channel->close();
        }
    }
    m_server->removeSession(m_id);
    deleteLater();
}

bool HislipSession::ready(const Hislip::Header &header) const
{
    // A client without the lock waits while another holds it exclusively; its bytes stay in the
    // socket, so TCP holds the writer back.
    const bool locked =
        header.type == Hislip::Data || header.type == Hislip::DataEnd || header.type == Hislip::Trigger;
    return !established() || !locked || m_clearing || m_server->locks().mayUse(m_id);
}

void HislipSession::resume()
{
    if (m_sync)
        QTimer::singleShot(0, m_sync.data(), [sync = m_sync] {
            if (sync)
                sync->readInput();
        });
}

void HislipSession::data(const Hislip::Header &header, const char *bytes, qint64 size, bool last)
{
    if (m_clearing || m_ended)
        return; // dropped until the client completes the device clear
    m_messageId = header.parameter;
    if (header.control & 1)
        m_replyUnread = false;
    QList<ScpiMessage> messages;
    m_framer.feed(bytes, size, last && header.type == Hislip::DataEnd, messages);
    const bool dropped = m_framer.blockByteLimitReached();
    if (dropped)
        messages.append(m_framer.takePartialMessage());
    for (const ScpiMessage &message : qAsConst(messages)) // no detach: most pieces complete nothing
        submit(message);
    if (dropped)
        end();
}

void HislipSession::submit(const ScpiMessage &message)
{
    m_scpi->submit(message, m_messageId);
}

void HislipSession::syncMessage(const Hislip::Header &header)
{
    if (header.type == Hislip::DeviceClearComplete) {
        m_clearing = false;
        m_messageId = Hislip::UnknownMessageId;
        m_sync->send(Hislip::DeviceClearAcknowledge, 0, 0); // synchronized mode, no encryption
        return;
    }
    // Trigger: the group execute trigger, which the instrument treats like "*TRG".
    if (m_clearing)
        return;
    m_messageId = header.parameter;
    if (header.control & 1)
        m_replyUnread = false;
    ScpiMessage trigger;
    trigger.text = "*TRG";
    submit(trigger);
}

void HislipSession::asyncMessage(const Hislip::Header &header, const QByteArray &payload)
{
    switch (header.type) {
    case Hislip::AsyncMaximumMessageSize:
        if (payload.size() != 8) {
            m_async->error(Hislip::ErrorUnidentified, "AsyncMaximumMessageSize needs an 8-byte size");
            return;
        }
        m_clientMaxMessage =
            qBound(MinClientMessageSize, Hislip::readU64(payload.constData()), MaxClientMessageSize);
        m_async->send(Hislip::AsyncMaximumMessageSizeResponse, 0, 0,
                      u64Payload(HislipServer::MaxMessageSize));
        return;
    case Hislip::AsyncDeviceClear:
        deviceClear();
        return;
    case Hislip::AsyncStatusQuery: {
        if (header.control & 1)
            m_replyUnread = false;
        const quint8 stb =
            m_server->instrument()->statusByte() | (m_replyUnread || !m_output.isEmpty() ? 0x10 : 0);
        m_async->send(Hislip::AsyncStatusResponse, stb, 0);
        return;
    }
    case Hislip::AsyncRemoteLocalControl:
        if (header.control > 6) {
            m_async->error(Hislip::ErrorUnknownControl, "unknown remote/local control code");
            return;
        }
        m_server->setRemoteState(header.control);
        m_async->send(Hislip::AsyncRemoteLocalResponse, 0, header.parameter);
        return;
    case Hislip::AsyncLock:
        lockRequest(header, payload);
        return;
    case Hislip::AsyncLockInfo:
        m_async->send(Hislip::AsyncLockInfoResponse, m_server->locks().exclusiveHeld() ? 1 : 0,
                      quint32(m_server->locks().holders()));
        return;
    default:
        m_async->error(Hislip::ErrorUnknownType, "unrecognized message type");
        return;
    }
}

void HislipSession::deviceClear()
{
    m_clearing = true;
    if (m_framer.hasPartialMessage())
        m_scpi->submit(m_framer.takePartialMessage());
    m_scpi->clear();
    m_output.clear();
    m_outputBytes = 0;
    m_replyUnread = false;
    m_async->send(Hislip::AsyncDeviceClearAcknowledge, 0, 0);
    resume(); // input held back by another client's lock is now to be dropped
}

void HislipSession::lockRequest(const Hislip::Header &header, const QByteArray &payload)
{
    HislipLocks &locks = m_server->locks();
    if (header.control == 0) {
        const HislipLocks::Release released = locks.release(m_id);
        answerLock(released == HislipLocks::Release::Exclusive ? 1
                   : released == HislipLocks::Release::Shared  ? 2
                                                               : 3);
        if (released != HislipLocks::Release::NotHeld)
            m_server->locksChanged();
        return;
    }
    if (header.control != 1 || m_lockWaiting) {
        answerLock(3);
        return;
    }
    if (locks.request(m_id, payload)) {
        answerLock(1);
    } else if (header.parameter == 0) {
        answerLock(0);
    } else {
        m_lockWaiting = true;
        m_lockKey = payload;
        m_lockTimer.start(int(qMin<quint32>(header.parameter, 3600 * 1000)));
    }
}

void HislipSession::retryLock()
{
    if (m_lockWaiting && m_server->locks().request(m_id, m_lockKey))
        answerLock(1);
}

void HislipSession::answerLock(quint8 code)
{
    m_lockWaiting = false;
    m_lockTimer.stop();
    if (m_async)
        m_async->send(Hislip::AsyncLockResponse, code, 0);
}

void HislipSession::sendReply(const QByteArray &response, quint32 tag)
{
    if (m_clearing || m_ended || !m_sync)
        return;
    if (m_outputBytes + response.size() > MaxQueuedReplyBytes) {
        end(); // a client that never reads loses its session, not the simulator's memory
        return;
    }
    const qint64 chunk = qint64(m_clientMaxMessage - Hislip::HeaderSize);
    qint64 pos = 0;
    do {
        const qint64 take = qMin(chunk, response.size() - pos);
        const bool last = pos + take == response.size();
        QByteArray message(int(Hislip::HeaderSize + take), Qt::Uninitialized);
        Hislip::writeHeader(message.data(), last ? Hislip::DataEnd : Hislip::Data, 0, tag, quint64(take));
        memcpy(message.data() + Hislip::HeaderSize, response.constData() + pos, size_t(take));
        m_output.append(message);
        m_outputBytes += message.size();
        pos += take;
    } while (pos < response.size());
    m_replyUnread = true;
    pump();
}

void HislipSession::pump()
{
    if (!m_sync)
        return;
    QTcpSocket *socket = m_sync->socket();
    while (!m_output.isEmpty() && socket->bytesToWrite() < SocketBacklog) {
        const QByteArray message = m_output.takeFirst();
        m_outputBytes -= message.size();
        socket->write(message);
    }
}

HislipServer::HislipServer(SimInstrument *instrument, MessageLog *log, const QString &logName,
                           QObject *parent)
    : QObject(parent), m_instrument(instrument), m_log(log), m_logName(logName)
{
    connect(&m_server, &QTcpServer::newConnection, this, &HislipServer::acceptConnections);
}

HislipServer::~HislipServer()
{
    m_server.close();
    const QList<HislipSession *> sessions = m_sessions.values();
    m_sessions.clear();
    qDeleteAll(m_server.findChildren<QTcpSocket *>());
    qDeleteAll(sessions);
}

bool HislipServer::listen(const QHostAddress &address, quint16 port, QString *error)
{
    if (!m_server.listen(address, port)) {
        *error = m_server.errorString();
        return false;
    }
    return true;
}

void HislipServer::acceptConnections()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        new HislipChannel(socket, this);
    }
}

HislipSession *HislipServer::createSession()
{
    if (m_sessions.size() >= MaxSessions)
        return nullptr;
    while (m_nextId == 0 || m_sessions.contains(m_nextId))
        ++m_nextId;
    auto *session = new HislipSession(m_nextId++, this);
    m_sessions.insert(session->id(), session);
    return session;
}

void HislipServer::removeSession(quint16 id)
{
    if (m_sessions.remove(id) == 0)
        return;
    m_locks.drop(id);
    locksChanged();
}

void HislipServer::locksChanged()
{
    for (HislipSession *session : qAsConst(m_sessions)) {
        session->retryLock();
        session->resume();
    }
}
