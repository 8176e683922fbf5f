#ifndef LISTFORGE_SIM_SCPIERRORQUEUE_H
#define LISTFORGE_SIM_SCPIERRORQUEUE_H

#include <QByteArray>
#include <QList>

// The SCPI error/event queue: first in, first out, bounded. When it is full the newest entry is
// replaced by -350 "Queue overflow", as SCPI requires, so the oldest errors survive.
class ScpiErrorQueue
{
public:
    static constexpr int Capacity = 20;

    void push(int code, const QByteArray &detail = QByteArray());
    // "<code>,\"<text>\"" of the oldest entry, removing it; "0,\"No error\"" when empty.
    QByteArray takeNext();
    int count() const { return m_entries.size(); }
    void clear() { m_entries.clear(); }

private:
    struct Entry
    {
        int code;
        QByteArray text;
    };
    QList<Entry> m_entries;
};

#endif
