#include "app/tracer.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>

namespace {

// All tracing state lives in one function-local object so that lines traced during static
// initialisation or destruction of other objects still find it constructed.
struct TraceState
{
    std::atomic<int> mask{Tracer::DefaultMask};
    std::atomic<bool> timeStamp{true};
    std::atomic<bool> dateTimeStamp{false};

    // Guarded by dataLock.
    QMutex dataLock;
    bool fileTracing = false;
    QString fileFilter;
    QString logFilePath;
    QList<TraceEntry> pending;

    // Guarded by registryLock. Never taken while dataLock is held.
    QMutex registryLock;
    QList<Tracer *> tracers;
};

TraceState &state()
{
    static TraceState s;
    return s;
}

void appendToLogFile(const TraceState &s, const QString &strLine)
{
    if (!s.fileTracing || s.logFilePath.isEmpty())
        return;
    if (!s.fileFilter.isEmpty() && !strLine.contains(s.fileFilter, Qt::CaseInsensitive))
        return;
    // Reopened per line so that every line is on disk even if the program dies right after.
    QFile file(s.logFilePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    file.write(strLine.toUtf8());
    file.write("\n");
    file.close();
}

} // namespace

Tracer::Tracer()
{
    TraceState &s = state();
    QMutexLocker locker(&s.registryLock);
    s.tracers.append(this);
}

Tracer::~Tracer()
{
    TraceState &s = state();
    QMutexLocker locker(&s.registryLock);
    s.tracers.removeOne(this);
}

void Tracer::trace(int intKind, const QString &strText)
{
    TraceState &s = state();
    if ((s.mask.load(std::memory_order_relaxed) & intKind) == 0)
        return;

    const QDateTime now = QDateTime::currentDateTime();
    QString strLine;
    if (s.dateTimeStamp.load())
        strLine = QLocale::system().toString(now, QLocale::ShortFormat) + QStringLiteral("  ") + strText;
    else if (s.timeStamp.load())
        strLine = now.toString(QStringLiteral("hh:mm:ss:zzz")) + QStringLiteral("  ") + strText;
    else
        strLine = strText;

    {
        QMutexLocker locker(&s.dataLock);
        s.pending.append(TraceEntry{strLine, intKind});
        appendToLogFile(s, strLine);
    }

    QMutexLocker locker(&s.registryLock);
    const QList<Tracer *> tracers = s.tracers;
    for (Tracer *tracer : tracers)
        emit tracer->TraceDataAvailable();
}

QList<TraceEntry> Tracer::takeTraceData()
{
    TraceState &s = state();
    QMutexLocker locker(&s.dataLock);
    QList<TraceEntry> entries;
    entries.swap(s.pending);
    return entries;
}

void Tracer::setTraceMask(int intMask)
{
    state().mask.store(intMask);
}

int Tracer::traceMask()
{
    return state().mask.load();
}

void Tracer::setLogFile(const QString &strPath)
{
    TraceState &s = state();
    QMutexLocker locker(&s.dataLock);
    s.logFilePath = strPath;
}

QString Tracer::logFile()
{
    TraceState &s = state();
    QMutexLocker locker(&s.dataLock);
    return s.logFilePath;
}

void Tracer::setFileTracing(bool bolOn, const QString &strFilter)
{
    TraceState &s = state();
    QMutexLocker locker(&s.dataLock);
    s.fileTracing = bolOn;
    s.fileFilter = strFilter;
}

void Tracer::setDateTimeStamp(bool bolOn)
{
    state().dateTimeStamp.store(bolOn);
}
