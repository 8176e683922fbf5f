#ifndef LISTFORGE_SIM_SCPISESSION_H
#define LISTFORGE_SIM_SCPISESSION_H

#include "sim/scpiframer.h"
#include "sim/scpiparser.h"

#include <QByteArrayList>
#include <QObject>
#include <QPointer>

class MessageLog;
class SimInstrument;

// One client's conversation with an instrument (a raw socket connection or a VXI-11 link).
// Messages run in arrival order; a unit that must wait for pending operations ("*OPC?", "*WAI")
// holds back the rest of its message and every later one, as an instrument's parser does.
// The replies of one message leave together, joined by ';' and ended with a line feed.
class ScpiSession : public QObject
{
    Q_OBJECT
public:
    ScpiSession(SimInstrument *instrument, MessageLog *log, const QString &transport,
                QObject *parent = nullptr);

    // The tag comes back with the message's reply (HiSLIP answers with the sender's MessageID).
    void submit(const ScpiMessage &message, quint32 tag = 0);
    // Device clear: drops waiting messages, forgets the current one and any reply still delayed.
    void clear();
    bool idle() const { return m_queue.isEmpty(); }

signals:
    void responseReady(const QByteArray &response, quint32 tag);

private:
    struct Pending
    {
        ScpiMessage message;
        QList<ScpiUnit> units;
        int next = 0;
        QByteArray path;
        QByteArrayList responses;
        bool hadQuery = false;
        quint32 tag = 0;
    };

    void run();
    void deliver(QByteArray response, quint32 tag);

    SimInstrument *m_instrument;
    MessageLog *m_log;
    QString m_transport;
    QList<Pending> m_queue;
    bool m_running = false;
    quint32 m_garbageSeed = 0x1234567;
    quint32 m_generation = 0; // counts device clears
};

#endif
