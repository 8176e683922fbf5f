#ifndef LISTFORGE_LISTS_DLGLSTMANAGE_TRACE_H
#define LISTFORGE_LISTS_DLGLSTMANAGE_TRACE_H

#include "app/tracer.h"

#include <QString>

// Trace lines of the list management dialog carry the module tag "DLSMAN".
namespace LstManageTrace {
inline QString tagged(const QString &strText)
{
    return QStringLiteral("DLSMAN  : ") + strText;
}
inline void info(const QString &strText)
{
    Tracer::traceInfo(tagged(strText));
}
inline void debug(const QString &strText)
{
    Tracer::traceDebug(tagged(strText));
}
} // namespace LstManageTrace

#endif
