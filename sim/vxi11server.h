#ifndef LISTFORGE_SIM_VXI11SERVER_H
#define LISTFORGE_SIM_VXI11SERVER_H

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

class MessageLog;
class SimInstrument;
class Vxi11Connection;
struct Vxi11Link;

// The VXI-11 core channel of one instrument on TCP. Each TCP connection is a client channel with
// any number of links; calls on one connection are answered in order, and a device_read that
// must wait for a reply holds the calls behind it, exactly as a blocking RPC server would,
// without blocking the event loop.
class Vxi11Server : public QObject
{
    Q_OBJECT
public:
    static constexpr quint32 MaxRecvSize = 1024 * 1024;

    Vxi11Server(SimInstrument *instrument, MessageLog *log, const QString &logName,
                QObject *parent = nullptr);
    ~Vxi11Server() override;

    bool listen(const QHostAddress &address, quint16 port, QString *error);
    quint16 port() const { return m_server.serverPort(); }

    // Used by the connections.
    SimInstrument *instrument() const { return m_instrument; }
    Vxi11Link *createLink(Vxi11Connection *owner);
    Vxi11Link *link(quint32 lid, const Vxi11Connection *owner) const;
    void destroyLink(quint32 lid);

private:
    void acceptConnections();

    SimInstrument *m_instrument;
    MessageLog *m_log;
    QString m_logName;
    QTcpServer m_server;
    QHash<quint32, Vxi11Link *> m_links;
    quint32 m_nextLid = 1;
};

#endif
