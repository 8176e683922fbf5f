#include "lists/controllist.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// listforge-cli controllist and info on .dm_iqc files, run as a script would run them.
class TstControlListCli : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    struct Run
    {
        int exitCode;
        QString out;
        QString err;
    };

    // `limit`: a shell command run before the tool (e.g. a file size limit).
    Run cli(const QStringList &args, const QString &limit = QStringLiteral(":"))
    {
        QProcess process;
        process.setWorkingDirectory(m_dir.path());
        process.start(
            QStringLiteral("/bin/sh"),
            QStringList{"-c", limit + QStringLiteral("; exec \"$0\" \"$@\""),
                        qEnvironmentVariable("LISTFORGE_BUILD_DIR") + QStringLiteral("/listforge-cli")} +
                args);
        if (!process.waitForFinished(30000))
            return {-1, {}, {}};
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

private slots:
    void writesAndReadsBack()
    {
        const Run run = cli({"controllist", "--length", "200", "--marker2", "0:1;199:0", "--cw", "10:1;20:0",
                             "--comment", "cli made", "-o", "made"});
        QCOMPARE(run.exitCode, 0);
        const ControlList::ReadResult read =
            ControlList::readFile(m_dir.filePath(QStringLiteral("made.dm_iqc")));
        QVERIFY(read.result.ok);
        QCOMPARE(read.data.strLength, QStringLiteral("200"));
        QCOMPARE(read.data.strComment, QStringLiteral("cli made"));
        QCOMPARE(read.data.tags[1], QStringLiteral("0:1;199:0"));
        QCOMPARE(read.data.tags[6], QStringLiteral("10:1;20:0"));
        QCOMPARE(read.data.tags[0], QStringLiteral("0:0"));

        const Run info = cli({"info", "made.dm_iqc"});
        QCOMPARE(info.exitCode, 0);
        QVERIFY(info.out.contains(QStringLiteral("CONTROL LENGTH: 200\n")));
        QVERIFY(info.out.contains(QStringLiteral("CW MODE LIST: 10:1;20:0\n")));
    }

    void refusalsWriteNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("index equals length")
            << QStringList{"--length", "100", "--hop", "100:1"} << 1
            << "Symbol index(es) of any control list tag exceed(s) max value!";
        QTest::newRow("bad level") << QStringList{"--length", "100", "--burst", "3:2"} << 1
                                   << "Certain tag slop '3:2' contains unspecified level value '2'!";
        QTest::newRow("bad character") << QStringList{"--length", "100", "--marker4", "3;1"} << 1
                                       << "Certain tag slop '3' contains not only one ':'!";
        QTest::newRow("letters") << QStringList{"--length", "100", "--levatt", "a:1"} << 1
                                 << "Tag string 'a:1' contains unsupported characters!";
        QTest::newRow("comment planting a tag")
            << QStringList{"--length", "100", "--comment", "x}{MARKER LIST 1:50:1"} << 1
            << "A control list comment must not contain '}' or line breaks.";
        QTest::newRow("comment with a line break")
            << QStringList{"--length", "100", "--comment", "two\nlines"} << 1 << "must not contain";
        QTest::newRow("length too big") << QStringList{"--length", "20000001"} << 2 << "--length";
        QTest::newRow("no length") << QStringList{"--hop", "0:1"} << 2 << "--length is required";
        QTest::newRow("unknown option")
            << QStringList{"--length", "5", "--marker5", "0:1"} << 2 << "--marker5";
    }

    void refusalsWriteNothing()
    {
        QFETCH(QStringList, args);
        const QString strOut = QStringLiteral("refused%1").arg(QTest::currentDataTag());
        const Run run = cli(QStringList{"controllist"} + args + QStringList{"-o", strOut});
        QTEST(run.exitCode, "exitCode");
        QFETCH(QString, message);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(!QFile::exists(m_dir.filePath(strOut + QStringLiteral(".dm_iqc"))));
    }

    void failedWriteKeepsTheOldFile()
    {
        QCOMPARE(cli({"controllist", "--length", "60", "--hop", "5:1", "-o", "keep"}).exitCode, 0);
        const ControlList::ReadResult before =
            ControlList::readFile(m_dir.filePath(QStringLiteral("keep.dm_iqc")));
        const Run run = cli({"controllist", "--length", "70", "-o", "keep"}, QStringLiteral("ulimit -f 0"));
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("Unable to write control list file 'keep.dm_iqc'!")),
                 qPrintable(run.err));
        QVERIFY(!run.out.contains(QStringLiteral("written")));
        const ControlList::ReadResult after =
            ControlList::readFile(m_dir.filePath(QStringLiteral("keep.dm_iqc")));
        QVERIFY(after.result.ok);
        QCOMPARE(after.data.strLength, before.data.strLength);
        QCOMPARE(after.data.tags[7], QStringLiteral("5:1"));
    }

    void wrongTypeIsRefused()
    {
        QFile file(m_dir.filePath(QStringLiteral("data.dm_iqc")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{TYPE:GKR-DL}{CONTROL LENGTH:5}");
        file.close();
        const Run run = cli({"info", "data.dm_iqc"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(
            run.err.contains(QStringLiteral("Control list file 'data.dm_iqc' has wrong type 'GKR-DL' tag!")));
    }
};

QTEST_GUILESS_MAIN(TstControlListCli)
#include "tst_controllistcli.moc"
