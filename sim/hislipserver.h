#ifndef LISTFORGE_SIM_HISLIPSERVER_H
#define LISTFORGE_SIM_HISLIPSERVER_H

#include "sim/hisliplocks.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

class HislipSession;
class MessageLog;
class SimInstrument;

// The HiSLIP server of one instrument (TCP port 4880 by default). A client session is a
// synchronous and an asynchronous channel tied by the session ID the server hands out; each
// session talks to the instrument through its own ScpiSession, like a VXI-11 link. The server
// speaks protocol version 1.0 in synchronized mode. Locks, the remote state and the session IDs
// are the instrument's, shared by all sessions.
class HislipServer : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxSessions = 32;
    // Largest message (header included) the server takes; longer payloads are refused unread.
    static constexpr quint64 MaxMessageSize = 1024 * 1024;
    static constexpr int InitTimeoutMs = 10000;

    HislipServer(SimInstrument *instrument, MessageLog *log, const QString &logName,
                 QObject *parent = nullptr);
    ~HislipServer() override;

    bool listen(const QHostAddress &address, quint16 port, QString *error);
    quint16 port() const { return m_server.serverPort(); }

    // Used by the sessions.
    SimInstrument *instrument() const { return m_instrument; }
    MessageLog *log() const { return m_log; }
    const QString &logName() const { return m_logName; }
    HislipLocks &locks() { return m_locks; }
    // Null when the instrument serves as many sessions as it can.
    HislipSession *createSession();
    HislipSession *session(quint16 id) const { return m_sessions.value(id); }
    void removeSession(quint16 id);
    // A lock was released or a session left: waiting lock requests and held messages may go on.
    void locksChanged();
    void setRemoteState(quint8 state) { m_remoteState = state; }

private:
    void acceptConnections();

    SimInstrument *m_instrument;
    MessageLog *m_log;
    QString m_logName;
    QTcpServer m_server;
    HislipLocks m_locks;
    QHash<quint16, HislipSession *> m_sessions;
    quint16 m_nextId = 1;
    quint8 m_remoteState = 0;
};

#endif
