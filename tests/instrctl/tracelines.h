#ifndef LISTFORGE_TESTS_INSTRCTL_TRACELINES_H
#define LISTFORGE_TESTS_INSTRCTL_TRACELINES_H

// Collects the lines traced since it was created (or last cleared), every kind enabled, and
// compares them without their time stamp.

#include "app/tracer.h"

#include <QList>
#include <QString>

class TraceLines
{
public:
    TraceLines()
    {
        Tracer::setTraceMask(Tracer::DebugMask);
        clear();
    }

    void clear()
    {
        Tracer::takeTraceData();
        m_entries.clear();
    }

    int count(int intKind, const QString &strText)
    {
        collect();
        int intCount = 0;
        for (const TraceEntry &entry : qAsConst(m_entries))
            intCount += entry.intKind == intKind && textOf(entry) == strText ? 1 : 0;
        return intCount;
    }
    bool hasDebug(const QString &strText) { return count(TraceKindDebug, strText) > 0; }
    bool hasError(const QString &strText) { return count(TraceKindError, strText) > 0; }

    bool contains(const QString &strFragment)
    {
        collect();
        for (const TraceEntry &entry : qAsConst(m_entries))
            if (textOf(entry).contains(strFragment))
                return true;
        return false;
    }

    // The texts in trace order.
    QStringList texts()
    {
        collect();
        QStringList lst;
        for (const TraceEntry &entry : qAsConst(m_entries))
            lst << textOf(entry);
        return lst;
    }

    QString dump() { return texts().join(QLatin1Char('\n')); }

private:
    void collect() { m_entries += Tracer::takeTraceData(); }

    // The time stamp ends with two blanks, before the module tag.
    static QString textOf(const TraceEntry &entry)
    {
        const int intPos = entry.strLine.indexOf(QLatin1String("  "));
        return intPos < 0 ? entry.strLine : entry.strLine.mid(intPos + 2);
    }

    QList<TraceEntry> m_entries;
};

#endif
