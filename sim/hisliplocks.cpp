#include "sim/hisliplocks.h"

bool HislipLocks::request(quint16 session, const QByteArray &key)
{
    if (!mayUse(session))
        return false;
    if (key.isEmpty()) {
        const bool othersShare = m_shared.size() > (m_shared.contains(session) ? 1 : 0);
        if (othersShare)
            return false;
        m_exclusive = session;
        ++m_exclusiveCount;
        return true;
    }
    if (!m_shared.isEmpty() && key != m_sharedKey)
        return false;
    m_sharedKey = key;
    ++m_shared[session];
    return true;
}

HislipLocks::Release HislipLocks::release(quint16 session)
{
    if (m_exclusiveCount > 0 && m_exclusive == session) {
        --m_exclusiveCount;
        return Release::Exclusive;
    }
    const auto it = m_shared.find(session);
    if (it == m_shared.end())
        return Release::NotHeld;
    if (--it.value() == 0)
        m_shared.erase(it);
    return Release::Shared;
}

void HislipLocks::drop(quint16 session)
{
    if (m_exclusive == session)
        m_exclusiveCount = 0;
    m_shared.remove(session);
}

int HislipLocks::holders() const
{
    return m_shared.size() + (m_exclusiveCount > 0 && !m_shared.contains(m_exclusive) ? 1 : 0);
}
