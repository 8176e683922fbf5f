#ifndef LISTFORGE_SIM_HISLIPLOCKS_H
#define LISTFORGE_SIM_HISLIPLOCKS_H

#include <QByteArray>
#include <QHash>

// The VISA locks of one instrument, as HiSLIP clients take them: one session may hold the
// exclusive lock, or any number of sessions a shared lock under one common key. Locks nest: each
// grant needs its own release.
class HislipLocks
{
public:
    enum class Release
    {
        Exclusive,
        Shared,
        NotHeld
    };

    // An empty key asks for the exclusive lock. False when another session's lock is in the way.
    bool request(quint16 session, const QByteArray &key);
    Release release(quint16 session);
    // Everything the session held (it went away).
    void drop(quint16 session);
    // May the session's messages run now (nobody else holds the exclusive lock)?
    bool mayUse(quint16 session) const { return m_exclusiveCount == 0 || m_exclusive == session; }
    bool exclusiveHeld() const { return m_exclusiveCount > 0; }
    int holders() const;

private:
    quint16 m_exclusive = 0;
    int m_exclusiveCount = 0;
    QByteArray m_sharedKey;
    QHash<quint16, int> m_shared; // session -> nesting count
};

#endif
