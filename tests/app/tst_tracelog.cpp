#include "app/dlgtracelog.h"
#include "tests/common/widgetstates.h"

#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QtTest>

class TstTraceLog : public QObject
{
    Q_OBJECT

    static QListWidget *list(DlgTraceLog &dlg)
    {
        return dlg.findChild<QListWidget *>(QStringLiteral("lswTraceLog"));
    }

private slots:
    void init()
    {
        Tracer::setTraceMask(Tracer::DefaultMask);
        Tracer::takeTraceData();
    }

    // Each line of an entry is an item, the following ones indented; every item carries the
    // icon of the entry's kind. Only an error brings the hidden dialog to the front.
    void itemsPerLineWithTheKindsIcon()
    {
        DlgTraceLog dlg;
        Tracer::setTraceMask(Tracer::DebugMask);
        Tracer::traceWarning(QStringLiteral("TEST    : one\ntwo\n\nfour"));
        Tracer::traceInfo(QStringLiteral("TEST    : i"));
        Tracer::traceDebug(QStringLiteral("TEST    : d"));
        QVERIFY(!dlg.isVisible()); // a warning, an info, a debug line do not pop the dialog up
        Tracer::traceError(QStringLiteral("TEST    : broken"));
        QVERIFY(dlg.isVisible());
        Tracer::trace(8, QStringLiteral("TEST    : eight"));
        QListWidget *lsw = list(dlg);
        QCOMPARE(lsw->count(), 8);
        const QString strIndent(35, QLatin1Char(' '));
        QVERIFY(lsw->item(0)->text().endsWith(QStringLiteral("TEST    : one")));
        QCOMPARE(lsw->item(1)->text(), strIndent + QStringLiteral("two"));
        QCOMPARE(lsw->item(2)->text(), strIndent);
        QCOMPARE(lsw->item(3)->text(), strIndent + QStringLiteral("four"));
        const char *icons[] = {"warn", "warn", "warn", "warn", "info", "debug", "error", "error"};
        for (int i = 0; i < 8; ++i)
            QVERIFY2(
                showsImage(lsw->item(i)->icon(), QStringLiteral(":/Tracer/TraceLog/%1.png").arg(icons[i])),
                icons[i]);
    }

    void clearAndCopy()
    {
        DlgTraceLog dlg;
        QApplication::clipboard()->setText(QStringLiteral("previous"));
        dlg.copyTraceLogToClipboard();
        QCOMPARE(QApplication::clipboard()->text(), QString());

        Tracer::traceInfo(QStringLiteral("TEST    : a"));
        Tracer::traceInfo(QStringLiteral("TEST    : b\nc"));
        dlg.copyTraceLogToClipboard();
        const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4); // three lines, each ended by a line feed
        QVERIFY(lines.at(0).endsWith(QStringLiteral("TEST    : a")));
        QCOMPARE(lines.at(2), QString(35, QLatin1Char(' ')) + QStringLiteral("c"));

        dlg.clearTraceLog();
        QCOMPARE(list(dlg)->count(), 0);
        // Lines already taken never come back.
        Tracer::traceInfo(QStringLiteral("TEST    : after"));
        QCOMPARE(list(dlg)->count(), 1);
    }
};

QTEST_MAIN(TstTraceLog)
#include "tst_tracelog.moc"
