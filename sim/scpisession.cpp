#include "sim/scpisession.h"

#include "sim/messagelog.h"
#include "sim/scpierrors.h"
#include "sim/siminstrument.h"

#include <QTimer>

ScpiSession::ScpiSession(SimInstrument *instrument, MessageLog *log, const QString &transport,
                         QObject *parent)
    : QObject(parent), m_instrument(instrument), m_log(log), m_transport(transport)
{
    connect(instrument, &SimInstrument::operationsComplete, this, &ScpiSession::run);
}

void ScpiSession::submit(const ScpiMessage &message, quint32 tag)
{
    if (m_log)
        m_log->write(m_transport, message);
    if (message.termination == ScpiTermination::Cut)
        return; // an unfinished message is never executed
    if (message.overflow) {
        m_instrument->reportError(ScpiError::TooMuchData);
        return;
    }
    Pending pending;
    pending.message = message;
    pending.tag = tag;
    pending.units = parseScpiMessage(message.text);
    m_queue.append(pending);
    run();
}

void ScpiSession::clear()
{
    m_queue.clear();
    ++m_generation;
}

void ScpiSession::run()
{
    if (m_running)
        return;
    m_running = true;
    while (!m_queue.isEmpty()) {
        Pending &p = m_queue.first();
        bool waiting = false;
        while (p.next < p.units.size()) {
            const ScpiUnit &unit = p.units[p.next];
            if (m_instrument->execute(unit, p.message.text, &p.path, &p.responses) ==
                SimInstrument::Step::Wait) {
                waiting = true;
                break;
            }
            p.hadQuery = p.hadQuery || unit.query;
            ++p.next;
        }
        if (waiting)
            break;
        const Pending done = m_queue.takeFirst();
        if (!done.responses.isEmpty())
            deliver(done.responses.join(';') + '\n', done.tag);
    }
    m_running = false;
}

void ScpiSession::deliver(QByteArray response, quint32 tag)
{
    const SimFaults &faults = m_instrument->faults();
    if (faults.noReplies)
        return;
    if (faults.garbageReplies) {
        QByteArray junk;
        const int length = 8 + int(m_garbageSeed % 40);
        for (int i = 0; i < length; ++i) {
            m_garbageSeed = m_garbageSeed * 1103515245u + 12345u;
            char c = char((m_garbageSeed >> 16) & 0xFF);
            junk.append(c == '\n' ? '~' : c);
        }
        response = junk + '\n';
    }
    if (faults.replyDelayMs > 0) {
        QPointer<ScpiSession> self(this);
        const quint32 generation = m_generation;
        QTimer::singleShot(faults.replyDelayMs, this, [self, response, tag, generation] {
            if (self && self->m_generation == generation)
                emit self->responseReady(response, tag);
        });
        return;
    }
    emit responseReady(response, tag);
}
