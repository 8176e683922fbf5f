#ifndef LISTFORGE_TESTS_COMMON_SIMLOG_H
#define LISTFORGE_TESTS_COMMON_SIMLOG_H

// Reads the simulator's --log file: "<TRANSPORT> <TERMINATION> <message>" per received message.

#include "simprocess.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

struct SimLogLine
{
    QString transport;
    QString termination;
    QString message;
};

class SimLog
{
public:
    // The query the suites use to wait until the simulator has worked through their messages;
    // it is left out of the lines.
    static constexpr const char *SyncQuery = "SYSTem:VERSion?";

    explicit SimLog(const QString &strPath = QString()) : m_path(strPath) {}
    void setPath(const QString &strPath) { m_path = strPath; }

    QList<SimLogLine> lines() const
    {
        QList<SimLogLine> lst;
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return lst;
        for (const QByteArray &raw : file.readAll().split('\n')) {
            if (raw.isEmpty())
                continue;
            const QString strLine = QString::fromLatin1(raw);
            const int intFirst = strLine.indexOf(QLatin1Char(' '));
            const int intSecond = strLine.indexOf(QLatin1Char(' '), intFirst + 1);
            if (intFirst < 0 || intSecond < 0 ||
                strLine.endsWith(QLatin1Char(' ') + QLatin1String(SyncQuery)))
                continue;
            lst.append({strLine.left(intFirst), strLine.mid(intFirst + 1, intSecond - intFirst - 1),
                        strLine.mid(intSecond + 1)});
        }
        return lst;
    }

    // The messages from entry intFrom on.
    QStringList messages(int intFrom = 0) const
    {
        QStringList lst;
        const QList<SimLogLine> all = lines();
        for (int i = intFrom; i < all.size(); ++i)
            lst << all.at(i).message;
        return lst;
    }

    int size() const { return lines().size(); }

private:
    QString m_path;
};

// A simulator whose mass memory and message log live in a fresh temporary folder, beside a local
// folder for the files to upload.
struct SimBench
{
    QTemporaryDir tmp;
    std::unique_ptr<SimProcess> sim;
    SimLog log{tmp.filePath("sim.log")};

    bool start(const QStringList &lstArgs)
    {
        sim = std::make_unique<SimProcess>();
        return QDir(tmp.path()).mkpath("local") &&
               sim->start(lstArgs + QStringList{"--storage", tmp.filePath("storage"), "--log",
                                                tmp.filePath("sim.log")});
    }
    QString localDir() const { return tmp.filePath("local/"); }
    QString writeLocal(const QString &strName, const QByteArray &baData) const
    {
        QFile file(localDir() + strName);
        return file.open(QIODevice::WriteOnly) && file.write(baData) == baData.size() ? file.fileName()
                                                                                      : QString();
    }
    QByteArray stored(const QString &strRelative) const
    {
        QFile file(tmp.filePath("storage/" + strRelative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

#endif
