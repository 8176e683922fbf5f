#include "sim/vxi11server.h"

#include "sim/rpcmessage.h"
#include "sim/rpcrecord.h"
#include "sim/scpierrors.h"
#include "sim/scpiframer.h"
#include "sim/scpisession.h"
#include "sim/siminstrument.h"
#include "sim/vxi11protocol.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace {
constexpr qint64 MaxRecordBytes = 64 * 1024 * 1024 + 4096;
constexpr qint64 MaxQueuedRecordBytes = 2 * MaxRecordBytes;
constexpr quint32 MaxIoTimeoutMs = 3600 * 1000;
constexpr int MaxLinksPerConnection = 64;
} // namespace

struct Vxi11Link
{
    quint32 lid = 0;
    Vxi11Connection *owner = nullptr;
    ScpiSession *session = nullptr;
    ScpiFramer framer;
    QByteArray output;
};

class Vxi11Connection : public QObject
{
public:
    Vxi11Connection(QTcpSocket *socket, Vxi11Server *server, MessageLog *log, const QString &logName)
        : QObject(socket), m_socket(socket), m_server(server), m_log(log), m_logName(logName),
          m_assembler(MaxRecordBytes)
    {
        m_readTimer.setSingleShot(true);
        connect(&m_readTimer, &QTimer::timeout, this, &Vxi11Connection::readTimedOut);
        connect(socket, &QTcpSocket::readyRead, this, &Vxi11Connection::readInput);
        connect(socket, &QTcpSocket::disconnected, this, &Vxi11Connection::finish);
    }

    ~Vxi11Connection() override { dropLinks(); }

    MessageLog *log() const { return m_log; }
    const QString &logName() const { return m_logName; }

    // A reply became available on one of this connection's links.
    void replyArrived(Vxi11Link *link)
    {
        if (m_waitingRead && m_waitingLink == link->lid)
            completeRead();
    }

private:
    void readInput()
    {
        if (m_closed)
            return;
        const QByteArray chunk = m_socket->readAll();
        if (!m_assembler.feed(chunk.constData(), chunk.size(), m_records)) {
            abort();
            return;
        }
        qint64 queued = m_assembler.pendingBytes();
        for (const QByteArray &r : m_records)
            queued += r.size();
        if (queued > MaxQueuedRecordBytes) {
            abort();
            return;
        }
        processRecords();
    }

    void processRecords()
    {
        while (!m_waitingRead && !m_closed && !m_records.isEmpty())
            handleRecord(m_records.takeFirst());
    }

    void send(const QByteArray &payload)
    {
        if (!m_closed)
            m_socket->write(rpcRecordMark(payload));
    }

    void abort()
    {
        m_closed = true;
        m_records.clear();
        m_socket->abort();
    }

    void finish()
    {
        m_closed = true;
        m_readTimer.stop();
        dropLinks();
        m_socket->deleteLater();
    }

    void dropLinks()
    {
        for (quint32 lid : qAsConst(m_lids)) {
            if (Vxi11Link *link = m_server->link(lid, this)) {
                if (link->framer.hasPartialMessage())
                    link->session->submit(link->framer.takePartialMessage());
            }
            m_server->destroyLink(lid);
        }
        m_lids.clear();
    }

    void handleRecord(const QByteArray &record)
    {
        RpcCall call;
        switch (decodeRpcCall(record, call)) {
        case RpcDecode::NotACall:
            return;
        case RpcDecode::BadRpcVersion:
            send(RpcReply::rpcMismatch(call.xid));
            return;
        case RpcDecode::Malformed:
            send(RpcReply::accepted(call.xid, RpcReply::GarbageArgs));
            return;
        case RpcDecode::Ok:
            break;
        }
        if (call.program != Vxi11::CoreProgram) {
            send(RpcReply::accepted(call.xid, RpcReply::ProgUnavail));
            return;
        }
        if (call.version != Vxi11::CoreVersion) {
            send(RpcReply::progMismatch(call.xid, Vxi11::CoreVersion, Vxi11::CoreVersion));
            return;
        }
        XdrReader args(record.constData() + call.argumentsOffset, record.size() - call.argumentsOffset);
        switch (call.procedure) {
        case 0: // NULL procedure: the ping of rpcinfo and other ONC-RPC tools
            send(RpcReply::success(call.xid).data());
            break;
        case Vxi11::CreateLink:
            createLink(call, args);
            break;
        case Vxi11::DeviceWrite:
            deviceWrite(call, args);
            break;
        case Vxi11::DeviceRead:
            deviceRead(call, args);
            break;
        case Vxi11::DeviceReadStb:
        case Vxi11::DeviceTrigger:
        case Vxi11::DeviceClear:
        case Vxi11::DeviceRemote:
        case Vxi11::DeviceLocal:
        case Vxi11::DeviceLock:
        case Vxi11::DeviceUnlock:
        case Vxi11::DeviceEnableSrq:
        case Vxi11::DeviceDoCmd:
        case Vxi11::DestroyLink:
            linkCall(call, args);
            break;
        case Vxi11::CreateIntrChan:
            errorOnly(call.xid, Vxi11::OperationNotSupported);
            break;
        case Vxi11::DestroyIntrChan:
            errorOnly(call.xid, Vxi11::ChannelNotEstablished);
            break;
        default:
            send(RpcReply::accepted(call.xid, RpcReply::ProcUnavail));
            break;
        }
    }

    void errorOnly(quint32 xid, quint32 error)
    {
        XdrWriter w = RpcReply::success(xid);
        w.writeU32(error);
        send(w.data());
    }

    void createLink(const RpcCall &call, XdrReader &args)
    {
        Vxi11::CreateLinkArgs a;
        if (!Vxi11::decodeCreateLink(args, a)) {
            send(RpcReply::accepted(call.xid, RpcReply::GarbageArgs));
            return;
        }
        XdrWriter w = RpcReply::success(call.xid);
        if (m_server->instrument()->faults().refuseLink || m_lids.size() >= MaxLinksPerConnection) {
            w.writeU32(m_lids.size() >= MaxLinksPerConnection ? Vxi11::OutOfResources
                                                              : Vxi11::DeviceNotAccessible);
            w.writeU32(0);
            w.writeU32(0);
            w.writeU32(0);
            send(w.data());
            return;
        }
        Vxi11Link *link = m_server->createLink(this);
        m_lids.append(link->lid);
        w.writeU32(Vxi11::NoError);
        w.writeU32(link->lid);
        w.writeU32(0); // no abort channel is offered
        w.writeU32(Vxi11Server::MaxRecvSize);
        send(w.data());
    }

    void deviceWrite(const RpcCall &call, XdrReader &args)
    {
        Vxi11::WriteArgs a;
        if (!Vxi11::decodeWrite(args, quint32(MaxRecordBytes), a)) {
            send(RpcReply::accepted(call.xid, RpcReply::GarbageArgs));
            return;
        }
        Vxi11Link *link = m_server->link(a.lid, this);
        XdrWriter w = RpcReply::success(call.xid);
        if (!link) {
            w.writeU32(Vxi11::InvalidLinkIdentifier);
            w.writeU32(0);
            send(w.data());
            return;
        }
        QList<ScpiMessage> messages;
        link->framer.feed(a.data, a.dataLength, (a.flags & Vxi11::FlagEnd) != 0, messages);
        const bool dropped = link->framer.blockByteLimitReached();
        if (dropped)
            messages.append(link->framer.takePartialMessage());
        const quint32 lid = link->lid;
        for (const ScpiMessage &message : messages) {
            link = m_server->link(lid, this);
            if (!link)
                break;
            if (!link->output.isEmpty() && message.termination != ScpiTermination::Cut) {
                // IEEE 488.2: a new message before the previous reply was read discards that reply.
                link->output.clear();
                m_server->instrument()->reportError(ScpiError::QueryInterrupted);
            }
            link->session->submit(message);
        }
        if (dropped) {
            abort();
            return;
        }
        w.writeU32(Vxi11::NoError);
        w.writeU32(a.dataLength);
        send(w.data());
    }

    void deviceRead(const RpcCall &call, XdrReader &args)
    {
        Vxi11::ReadArgs a;
        if (!Vxi11::decodeRead(args, a)) {
            send(RpcReply::accepted(call.xid, RpcReply::GarbageArgs));
            return;
        }
        Vxi11Link *link = m_server->link(a.lid, this);
        if (!link) {
            XdrWriter w = RpcReply::success(call.xid);
            w.writeU32(Vxi11::InvalidLinkIdentifier);
            w.writeU32(0);
            w.writeU32(0);
            send(w.data());
            return;
        }
        m_read = a;
        m_readXid = call.xid;
        m_waitingLink = a.lid;
        if (!link->output.isEmpty()) {
            m_waitingRead = true;
            completeRead();
            return;
        }
        const bool replyComing = !link->session->idle() || m_server->instrument()->faults().noReplies ||
                                 m_server->instrument()->faults().replyDelayMs > 0;
        if (!replyComing) {
            // Nothing was asked: answer at once instead of letting the client sit out its time-out.
            m_server->instrument()->reportError(ScpiError::QueryUnterminated);
            readFailed(Vxi11::IoTimeout);
            return;
        }
        m_waitingRead = true;
        m_readTimer.start(int(qMin(a.ioTimeout, MaxIoTimeoutMs)));
    }

    void completeRead()
    {
        Vxi11Link *link = m_server->link(m_waitingLink, this);
        m_waitingRead = false;
        m_readTimer.stop();
        if (!link) {
            readFailed(Vxi11::InvalidLinkIdentifier);
            return;
        }
        qint64 take = qMin<qint64>(m_read.requestSize, link->output.size());
        quint32 reason = 0;
        if (m_read.flags & Vxi11::FlagTermCharSet) {
            const int at = link->output.indexOf(char(m_read.termChar));
            if (at >= 0 && at < take) {
                take = at + 1;
                reason |= Vxi11::ReasonTermChar;
            }
        }
        if (take == link->output.size())
            reason |= Vxi11::ReasonEnd;
        else if (take == m_read.requestSize)
            reason |= Vxi11::ReasonRequestCount;
        XdrWriter w = RpcReply::success(m_readXid);
        w.writeU32(Vxi11::NoError);
        w.writeU32(reason);
        w.writeOpaque(link->output.constData(), quint32(take));
        link->output.remove(0, int(take));
        send(w.data());
        QTimer::singleShot(0, this, [this] { processRecords(); });
    }

    void readFailed(quint32 error)
    {
        m_waitingRead = false;
        XdrWriter w = RpcReply::success(m_readXid);
        w.writeU32(error);
        w.writeU32(0);
        w.writeU32(0);
        send(w.data());
    }

    void readTimedOut()
    {
        if (!m_waitingRead)
            return;
        readFailed(Vxi11::IoTimeout);
        processRecords();
    }

    void linkCall(const RpcCall &call, XdrReader &args)
    {
        Vxi11::LinkArgs a;
        if (!Vxi11::decodeLinkOnly(args, a)) {
            send(RpcReply::accepted(call.xid, RpcReply::GarbageArgs));
            return;
        }
        Vxi11Link *link = m_server->link(a.lid, this);
        XdrWriter w = RpcReply::success(call.xid);
        const quint32 error = link ? quint32(Vxi11::NoError) : quint32(Vxi11::InvalidLinkIdentifier);
        switch (call.procedure) {
        case Vxi11::DeviceReadStb:
            w.writeU32(error);
            w.writeU32(link ? m_server->instrument()->statusByte() : 0);
            break;
        case Vxi11::DeviceDoCmd:
            w.writeU32(link ? quint32(Vxi11::OperationNotSupported) : error);
            w.writeU32(0); // empty data_out
            break;
        case Vxi11::DeviceClear:
            if (link) {
                if (link->framer.hasPartialMessage())
                    link->session->submit(link->framer.takePartialMessage());
                link->session->clear();
                link->output.clear();
            }
            w.writeU32(error);
            break;
        case Vxi11::DestroyLink:
            if (link) {
                if (link->framer.hasPartialMessage())
                    link->session->submit(link->framer.takePartialMessage());
                m_lids.removeAll(a.lid);
                m_server->destroyLink(a.lid);
            }
            w.writeU32(error);
            break;
        default:
            w.writeU32(error);
            break;
        }
        send(w.data());
    }

    QTcpSocket *m_socket;
    Vxi11Server *m_server;
    MessageLog *m_log;
    QString m_logName;
    RpcRecordAssembler m_assembler;
    QList<QByteArray> m_records;
    QList<quint32> m_lids;
    bool m_closed = false;
    bool m_waitingRead = false;
    quint32 m_waitingLink = 0;
    quint32 m_readXid = 0;
    Vxi11::ReadArgs m_read;
    QTimer m_readTimer;
};

Vxi11Server::Vxi11Server(SimInstrument *instrument, MessageLog *log, const QString &logName, QObject *parent)
    : QObject(parent), m_instrument(instrument), m_log(log), m_logName(logName)
{
    connect(&m_server, &QTcpServer::newConnection, this, &Vxi11Server::acceptConnections);
}

Vxi11Server::~Vxi11Server()
{
    m_server.close();
    // Connections hold link ids; they must go before the links they point at.
    qDeleteAll(m_server.findChildren<QTcpSocket *>());
    qDeleteAll(m_links);
    m_links.clear();
}

bool Vxi11Server::listen(const QHostAddress &address, quint16 port, QString *error)
{
    if (!m_server.listen(address, port)) {
        *error = m_server.errorString();
        return false;
    }
    return true;
}

void Vxi11Server::acceptConnections()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        new Vxi11Connection(socket, this, m_log, m_logName);
    }
}

Vxi11Link *Vxi11Server::createLink(Vxi11Connection *owner)
{
    auto *link = new Vxi11Link;
    while (m_nextLid == 0 || m_links.contains(m_nextLid))
        ++m_nextLid;
    link->lid = m_nextLid++;
    link->owner = owner;
    link->session = new ScpiSession(m_instrument, m_log, m_logName, this);
    link->framer.setLineFeedIsEnd(false);
    link->framer.setBlockByteLimit(m_instrument->faults().dropAfterBlockBytes);
    const quint32 lid = link->lid;
    QPointer<Vxi11Connection> connection(owner);
    connect(link->session, &ScpiSession::responseReady, this,
            [this, lid, connection](const QByteArray &response) {
                Vxi11Link *target = m_links.value(lid);
                if (!target || !connection)
                    return;
                if (target->output.size() + response.size() > 64 * 1024 * 1024)
                    target->output.clear(); // a client that never reads loses old replies, not memory
                target->output.append(response);
                connection->replyArrived(target);
            });
    m_links.insert(link->lid, link);
    return link;
}

Vxi11Link *Vxi11Server::link(quint32 lid, const Vxi11Connection *owner) const
{
    Vxi11Link *link = m_links.value(lid);
    return link && link->owner == owner ? link : nullptr;
}

void Vxi11Server::destroyLink(quint32 lid)
{
    Vxi11Link *link = m_links.take(lid);
    if (!link)
        return;
    link->session->deleteLater();
    delete link;
}
