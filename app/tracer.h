#ifndef LISTFORGE_APP_TRACER_H
#define LISTFORGE_APP_TRACER_H

#include <QList>
#include <QObject>
#include <QString>

// Trace kinds, one bit each. Bit 8 is never produced but is accepted by the default mask and
// displayed as an error.
enum EnuTraceKind
{
    TraceKindInfo = 1,
    TraceKindWarning = 2,
    TraceKindError = 4,
    TraceKindDebug = 16
};

struct TraceEntry
{
    QString strLine;
    int intKind = 0;
};

// Process-wide tracing. The operations are static so any code, on any thread, can record a
// line without owning a Tracer; Tracer objects exist only to be told that lines are pending.
class Tracer : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultMask = 0x0F;
    static constexpr int DebugMask = 0x1F;

    Tracer();
    ~Tracer() override;

    static void trace(int intKind, const QString &strText);
    static void traceInfo(const QString &strText) { trace(TraceKindInfo, strText); }
    static void traceWarning(const QString &strText) { trace(TraceKindWarning, strText); }
    static void traceError(const QString &strText) { trace(TraceKindError, strText); }
    static void traceDebug(const QString &strText) { trace(TraceKindDebug, strText); }

    static QList<TraceEntry> takeTraceData();

    static void setTraceMask(int intMask);
    static int traceMask();
    static void setLogFile(const QString &strPath);
    static QString logFile();
    static void setFileTracing(bool bolOn, const QString &strFilter);
    static void setDateTimeStamp(bool bolOn);

signals:
    void TraceDataAvailable();
};

#endif
