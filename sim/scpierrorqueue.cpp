#include "sim/scpierrorqueue.h"

#include "sim/scpierrors.h"

void ScpiErrorQueue::push(int code, const QByteArray &detail)
{
    QByteArray text = ScpiError::text(code);
    if (!detail.isEmpty())
        text += ";" + detail;
    text.replace('"', '\'');
    if (m_entries.size() >= Capacity)
        return; // already full and ends with the overflow entry
    if (m_entries.size() == Capacity - 1) {
        m_entries.append({ScpiError::QueueOverflow, ScpiError::text(ScpiError::QueueOverflow)});
        return;
    }
    m_entries.append({code, text});
}

QByteArray ScpiErrorQueue::takeNext()
{
    if (m_entries.isEmpty())
        return "0,\"No error\"";
    const Entry entry = m_entries.takeFirst();
    return QByteArray::number(entry.code) + ",\"" + entry.text + "\"";
}
