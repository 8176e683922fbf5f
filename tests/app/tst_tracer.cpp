#include "app/cmdlineoptions.h"
#include "app/tracer.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>

class TstTracer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Tracer::setTraceMask(Tracer::DefaultMask);
        Tracer::setFileTracing(false, QString());
        Tracer::setLogFile(QString());
        Tracer::setDateTimeStamp(false);
        Tracer::takeTraceData();
    }

    void maskSelectsKinds()
    {
        Tracer::traceInfo(QStringLiteral("TEST    : info"));
        Tracer::traceWarning(QStringLiteral("TEST    : warning"));
        Tracer::traceError(QStringLiteral("TEST    : error"));
        Tracer::traceDebug(QStringLiteral("TEST    : debug"));
        const auto kinds = [] {
            QList<int> lst;
            for (const TraceEntry &entry : Tracer::takeTraceData())
                lst << entry.intKind;
            return lst;
        };
        QCOMPARE(kinds(), QList<int>({1, 2, 4}));

        Tracer::setTraceMask(Tracer::DebugMask);
        Tracer::traceDebug(QStringLiteral("TEST    : debug"));
        QCOMPARE(kinds(), QList<int>({16}));

        // A mask without the error bit drops errors and nobody is told.
        Tracer::setTraceMask(TraceKindInfo);
        Tracer tracer;
        QSignalSpy spy(&tracer, &Tracer::TraceDataAvailable);
        Tracer::traceError(QStringLiteral("TEST    : dropped"));
        QCOMPARE(spy.count(), 0);
        QVERIFY(Tracer::takeTraceData().isEmpty());
    }

    void timeStampPrefixes()
    {
        Tracer::traceInfo(QStringLiteral("TEST    : stamped"));
        const QString strLine = Tracer::takeTraceData().value(0).strLine;
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d  TEST    : stamped$"))
                     .match(strLine)
                     .hasMatch(),
                 qPrintable(strLine));

        // With date stamps (what the log file gets) the bare time stamp is gone; the date itself
        // is checked on the log file of a program start.
        Tracer::setDateTimeStamp(true);
        Tracer::traceInfo(QStringLiteral("TEST    : dated"));
        const QString strDated = Tracer::takeTraceData().value(0).strLine;
        QVERIFY2(!QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d  "))
                      .match(strDated)
                      .hasMatch(),
                 qPrintable(strDated));
    }

    void fileFiltersAndKeepsLinesForTheWindow()
    {
        QTemporaryDir dir;
        const QString strLog = dir.filePath(QStringLiteral("ListForge.log"));
        // Appending across program starts is checked on the log of the main window.
        Tracer::setLogFile(strLog);
        Tracer::setFileTracing(true, QStringLiteral("apmain"));
        Tracer::traceInfo(QStringLiteral("APMAIN  : run one"));
        // A text of several lines is one entry, written as it is.
        Tracer::traceInfo(QStringLiteral("APMAIN  : run two\nsecond\nthird"));
        Tracer::traceInfo(QStringLiteral("DLSMAN  : filtered out"));

        QFile file(strLog);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines.at(0).endsWith(QStringLiteral("APMAIN  : run one")));
        QVERIFY(lines.at(1).endsWith(QStringLiteral("APMAIN  : run two")));
        QCOMPARE(lines.mid(2), QStringList({"second", "third", ""}));
        // Filtered lines still reach the window.
        QCOMPARE(Tracer::takeTraceData().size(), 3);

        // A log file that cannot be written loses no line for the window.
        Tracer::setFileTracing(false, QString());
        Tracer::setLogFile(QStringLiteral("/nonexistent-dir/ListForge.log"));
        Tracer::setFileTracing(true, QString());
        Tracer::traceError(QStringLiteral("TEST    : still listed"));
        QCOMPARE(Tracer::takeTraceData().size(), 1);
    }

    void registryTellsEveryLiveTracer()
    {
        auto *first = new Tracer;
        Tracer second;
        QSignalSpy spyFirst(first, &Tracer::TraceDataAvailable);
        QSignalSpy spySecond(&second, &Tracer::TraceDataAvailable);
        Tracer::traceInfo(QStringLiteral("TEST    : one"));
        QCOMPARE(spyFirst.count(), 1);
        QCOMPARE(spySecond.count(), 1);
        delete first;
        Tracer::traceInfo(QStringLiteral("TEST    : two"));
        QCOMPARE(spySecond.count(), 2);
    }

    void concurrentTracingLosesNothing()
    {
        constexpr int Threads = 6;
        constexpr int LinesPerThread = 3000;
        Tracer receiver;
        std::atomic<int> intTaken{0};
        // A receiver in a worker thread, connected directly, drains while the writers write: it
        // takes the data lock inside the emission under the registry lock, which must never
        // deadlock against writers that hold the data lock.
        QObject::connect(
            &receiver, &Tracer::TraceDataAvailable, &receiver,
            [&intTaken]() { intTaken += Tracer::takeTraceData().size(); }, Qt::DirectConnection);

        QList<QThread *> threads;
        for (int t = 0; t < Threads; ++t) {
            threads.append(QThread::create([t]() {
                for (int i = 0; i < LinesPerThread; ++i)
                    Tracer::traceInfo(QStringLiteral("TEST    : thread %1 line %2").arg(t).arg(i));
            }));
        }
        for (QThread *thread : threads)
            thread->start();
        for (QThread *thread : threads) {
            QVERIFY(thread->wait(60000));
            delete thread;
        }
        intTaken += Tracer::takeTraceData().size();
        QCOMPARE(intTaken.load(), Threads * LinesPerThread);
    }

    void commandLineOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("debug");
        QTest::addColumn<bool>("fileDebug");
        QTest::addColumn<bool>("noVisa");
        QTest::newRow("none") << QStringList{"listforge"} << false << false << false;
        QTest::newRow("capitals") << QStringList{"listforge", "--DEBUG"} << true << false << false;
        QTest::newRow("any order") << QStringList{"listforge", "x", "--No-Visa", "--filedebug"} << false
                                   << true << true;
        QTest::newRow("whole element only")
            << QStringList{"listforge", "--debugx", "--no-visa=1", "-debug"} << false << false << false;
    }

    void commandLineOptions()
    {
        QFETCH(QStringList, args);
        const ClsCmdLineOptions options = ClsCmdLineOptions::parse(args);
        QTEST(options.bolDebug, "debug");
        QTEST(options.bolFileDebug, "fileDebug");
        QTEST(options.bolNoVisa, "noVisa");
        QCOMPARE(options.traceMask(), options.bolDebug ? 31 : 15);
    }
};

QTEST_GUILESS_MAIN(TstTracer)
#include "tst_tracer.moc"
