#ifndef LISTFORGE_INSTRMANAGE_SCANTRACE_H
#define LISTFORGE_INSTRMANAGE_SCANTRACE_H

#include "app/tracer.h"

#include <QString>

// Trace lines of the LAN scanner, all carrying its module tag.
namespace ScanTrace {

inline QString tagged(const QString &strText)
{
    return QStringLiteral("CINSSC  : ") + strText;
}
inline void debug(const QString &strText)
{
    Tracer::traceDebug(tagged(strText));
}
inline void info(const QString &strText)
{
    Tracer::traceInfo(tagged(strText));
}
inline void warning(const QString &strText)
{
    Tracer::traceWarning(tagged(strText));
}
inline void error(const QString &strText)
{
    Tracer::traceError(tagged(strText));
}

} // namespace ScanTrace

#endif
