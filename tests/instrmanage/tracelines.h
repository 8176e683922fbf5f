#ifndef LISTFORGE_TESTS_INSTRMANAGE_TRACELINES_H
#define LISTFORGE_TESTS_INSTRMANAGE_TRACELINES_H

#include "app/tracer.h"

#include <QList>
#include <QString>
#include <QStringList>

// Collects traced lines (every kind enabled) so that suites can check text and kind exactly.
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

    // Lines of this kind whose text, from the module tag on, is exactly strText.
    int count(int intKind, const QString &strText)
    {
        collect();
        int intCount = 0;
        for (const TraceEntry &entry : qAsConst(m_entries))
            intCount += entry.intKind == intKind && textOf(entry) == strText ? 1 : 0;
        return intCount;
    }
    bool has(int intKind, const QString &strText) { return count(intKind, strText) > 0; }
    int countText(const QString &strText)
    {
        collect();
        int intCount = 0;
        for (const TraceEntry &entry : qAsConst(m_entries))
            intCount += textOf(entry) == strText ? 1 : 0;
        return intCount;
    }

    QString dump()
    {
        collect();
        QStringList lstLines;
        for (const TraceEntry &entry : qAsConst(m_entries))
            lstLines << QString::number(entry.intKind) + QLatin1Char(' ') + textOf(entry);
        return lstLines.join(QLatin1Char('\n'));
    }

private:
    void collect() { m_entries += Tracer::takeTraceData(); }

    // Lines carry a time stamp before the tag; everything from the tag on is the traced text.
    static QString textOf(const TraceEntry &entry)
    {
        for (const char *tag : {"CINSSC  : ", "DINSSE  : ", "CVISCT  : "}) {
            const int intPos = entry.strLine.indexOf(QLatin1String(tag));
            if (intPos >= 0)
                return entry.strLine.mid(intPos);
        }
        return entry.strLine;
    }

    QList<TraceEntry> m_entries;
};

#define QVERIFY_TRACED(lines, kind, text)                                                                    \
    QVERIFY2((lines).has(kind, text),                                                                        \
             qPrintable(QStringLiteral("missing: ") + (text) + "\n" + (lines).dump()))

#endif
