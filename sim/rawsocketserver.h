#ifndef LISTFORGE_SIM_RAWSOCKETSERVER_H
#define LISTFORGE_SIM_RAWSOCKETSERVER_H

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

class MessageLog;
class SimInstrument;

// The raw SCPI socket (port 5025 by default): messages end with a line feed, replies too.
class RawSocketServer : public QObject
{
    Q_OBJECT
public:
    RawSocketServer(SimInstrument *instrument, MessageLog *log, const QString &logName,
                    QObject *parent = nullptr);

    bool listen(const QHostAddress &address, quint16 port, QString *error);
    quint16 port() const { return m_server.serverPort(); }

private:
    void acceptConnections();

    SimInstrument *m_instrument;
    MessageLog *m_log;
    QString m_logName;
    QTcpServer m_server;
};

#endif
