#ifndef LISTFORGE_BENCH_SOAK_PROCSTATS_H
#define LISTFORGE_BENCH_SOAK_PROCSTATS_H

// Resident memory and open descriptors of a process, read from /proc, for the soak programs.

#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <cstdio>

namespace ProcStats {

// VmRSS in kB of the process ("self" or a pid), or -1 when it cannot be read.
inline long residentKb(const QString &strPid = QStringLiteral("self"))
{
    QFile status(QStringLiteral("/proc/%1/status").arg(strPid));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    // Files in /proc report a size of 0, so they are read whole rather than line by line.
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Entries of /proc/PID/fd, or -1.
inline long openFds(const QString &strPid = QStringLiteral("self"))
{
    const QDir dir(QStringLiteral("/proc/%1/fd").arg(strPid));
    if (!dir.exists())
        return -1;
    return dir.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot).size();
}

// One process's figures at the end of warm-up and at the end of the run.
struct Sample
{
    long rssWarm = -1;
    long rssEnd = -1;
    long fdsBefore = -1;
    long fdsWarm = -1;
    long fdsEnd = -1;
};

// Prints the figures of one process and tells whether they meet the goals: at most
// intMaxGrowthKb more resident memory after warm-up, not one descriptor more than before.
inline bool report(const char *pszWho, const Sample &s, long intMaxGrowthKb)
{
    const long growth = s.rssEnd - s.rssWarm;
    const bool bolOk =
        s.rssWarm > 0 && s.rssEnd > 0 && growth <= intMaxGrowthKb && s.fdsEnd >= 0 && s.fdsEnd <= s.fdsBefore;
    std::printf("%-10s VmRSS after warm-up %ld kB, at end %ld kB, growth %+ld kB; "
                "open fds before %ld, after warm-up %ld, at end %ld  %s\n",
                pszWho, s.rssWarm, s.rssEnd, growth, s.fdsBefore, s.fdsWarm, s.fdsEnd,
                bolOk ? "goal met" : "GOAL MISSED");
    return bolOk;
}

// The figures of this process and, given its pid, of the peer it talks to, taken at the start,
// at the end of the warm-up and at the end of a soak.
class Watch
{
public:
    explicit Watch(const QString &strPeer) : m_strPeer(strPeer) {}

    void start()
    {
        m_self.fdsBefore = openFds();
        if (!m_strPeer.isEmpty())
            m_peer.fdsBefore = openFds(m_strPeer);
    }
    void warm()
    {
        m_self.rssWarm = residentKb();
        m_self.fdsWarm = openFds();
        if (!m_strPeer.isEmpty()) {
            m_peer.rssWarm = residentKb(m_strPeer);
            m_peer.fdsWarm = openFds(m_strPeer);
        }
    }
    // Prints both and tells whether both meet the goals.
    bool finish(const char *pszSelf, long intMaxGrowthKb)
    {
        m_self.rssEnd = residentKb();
        m_self.fdsEnd = openFds();
        bool bolOk = report(pszSelf, m_self, intMaxGrowthKb);
        if (!m_strPeer.isEmpty()) {
            m_peer.rssEnd = residentKb(m_strPeer);
            m_peer.fdsEnd = openFds(m_strPeer);
            bolOk = report("simulator", m_peer, intMaxGrowthKb) && bolOk;
        }
        return bolOk;
    }

private:
    QString m_strPeer;
    Sample m_self;
    Sample m_peer;
};

} // namespace ProcStats

#endif
