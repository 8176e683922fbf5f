#ifndef LISTFORGE_TESTS_COMMON_TRACELINES_H
#define LISTFORGE_TESTS_COMMON_TRACELINES_H

// Collects the lines traced since it was created (or last cleared), every kind enabled, so that
// suites can check text and kind exactly, without the time stamp.

#include "app/tracer.h"

#include <QList>
#include <QString>
#include <QStringList>

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
    bool hasError(const QString &strText) { return has(TraceKindError, strText); }

    // Lines of any kind whose text is exactly strText.
    int countText(const QString &strText) { return texts().count(strText); }

    bool contains(const QString &strFragment)
    {
        for (const QString &strText : texts())
            if (strText.contains(strFragment))
                return true;
        return false;
    }

    // The texts in trace order, of the kinds in intKindMask (all by default).
    QStringList texts(int intKindMask = ~0)
    {
        collect();
        QStringList lst;
        for (const TraceEntry &entry : qAsConst(m_entries))
            if (entry.intKind & intKindMask)
                lst << textOf(entry);
        return lst;
    }

    // Kind and text of every line, for failure messages.
    QString dump()
    {
        collect();
        QStringList lst;
        for (const TraceEntry &entry : qAsConst(m_entries))
            lst << QString::number(entry.intKind) + QLatin1Char(' ') + textOf(entry);
        return lst.join(QLatin1Char('\n'));
    }

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

// Fails with every collected line in the message when the line is missing.
#define QVERIFY_TRACED(lines, kind, text)                                                                    \
    QVERIFY2((lines).has(kind, text),                                                                        \
             qPrintable(QStringLiteral("missing: ") + (text) + "\n" + (lines).dump()))

#endif
