#ifndef LISTFORGE_TESTS_VISA_TRACECAPTURE_H
#define LISTFORGE_TESTS_VISA_TRACECAPTURE_H

#include "app/tracer.h"

#include <QList>
#include <QString>

// Collects the lines traced since it was created (or last cleared), with every kind enabled.
class TraceCapture
{
public:
    TraceCapture()
    {
        Tracer::setTraceMask(Tracer::DebugMask);
        clear();
    }

    void clear()
    {
        Tracer::takeTraceData();
        m_entries.clear();
    }

    // Number of lines of this kind whose text (after the time stamp) is exactly strText.
    int count(int intKind, const QString &strText)
    {
        collect();
        int intCount = 0;
        for (const TraceEntry &entry : qAsConst(m_entries))
            intCount += entry.intKind == intKind && textOf(entry) == strText ? 1 : 0;
        return intCount;
    }
    bool has(int intKind, const QString &strText) { return count(intKind, strText) > 0; }
    bool hasDebug(const QString &strText) { return has(TraceKindDebug, strText); }
    bool hasError(const QString &strText) { return has(TraceKindError, strText); }

    // True when any line's text contains the fragment.
    bool contains(const QString &strFragment)
    {
        collect();
        for (const TraceEntry &entry : qAsConst(m_entries))
            if (textOf(entry).contains(strFragment))
                return true;
        return false;
    }

    QString dump()
    {
        collect();
        QString strAll;
        for (const TraceEntry &entry : qAsConst(m_entries))
            strAll +=
                QString::number(entry.intKind) + QStringLiteral(" ") + entry.strLine + QLatin1Char('\n');
        return strAll;
    }

private:
    void collect() { m_entries += Tracer::takeTraceData(); }

    // Lines carry a time stamp followed by two blanks before the traced text.
    static QString textOf(const TraceEntry &entry)
    {
        const int intPos = entry.strLine.indexOf(QLatin1String("  CVISCT"));
        return intPos < 0 ? entry.strLine : entry.strLine.mid(intPos + 2);
    }

    QList<TraceEntry> m_entries;
};

#endif
