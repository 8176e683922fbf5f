#include "lists/controllist.h"
#include "tests/lists/listfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace ControlList;

class TstControlList : public QObject
{
    Q_OBJECT

private slots:
    void tagStringRules_data()
    {
        QTest::addColumn<QString>("tags");
        QTest::addColumn<QString>("firstLine"); // empty: accepted
        QTest::addColumn<bool>("slopeSummary");
        const auto row = [](const char *name, const char *tags, const char *firstLine = "",
                            bool summary = true) { QTest::newRow(name) << tags << firstLine << summary; };
        row("example", "10:1;20:0;70:1;75:0");
        row("neutral", "0:0");
        row("unordered and repeated", "20:1;5:0;5:1");
        row("trailing semicolon", "10:1;", "Certain tag slop '' contains not only one ':'!");
        row("empty", "", "Certain tag slop '' contains not only one ':'!");
        row("no index", ":1", "Certain tag slop ':1' contains no symbol index!");
        row("level 2", "10:2", "Certain tag slop '10:2' contains unspecified level value '2'!");
        row("two digit level", "10:11",
            "Certain tag slop '10:11' contains no level value or level with to many digits!");
        row("no level",
            "10:", "Certain tag slop '10:' contains no level value or level with to many digits!");
        row("dash", "10-1", "Tag string '10-1' contains unsupported characters!", false);
        row("blank", "10: 1", "Tag string '10: 1' contains unsupported characters!", false);
        row("two colons", "10:1:0", "Certain tag slop '10:1:0' contains not only one ':'!");
        row("second slope bad", "0:1;;5:0", "Certain tag slop '' contains not only one ':'!");
    }

    void tagStringRules()
    {
        QFETCH(QString, tags);
        QFETCH(QString, firstLine);
        QFETCH(bool, slopeSummary);
        const ListResult result = validateTagString(tags);
        QCOMPARE(result.ok, firstLine.isEmpty());
        if (result.ok)
            return;
        const QStringList lines = result.traceMessage.split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), firstLine);
        QCOMPARE(lines.size(), slopeSummary ? 2 : 1);
        if (slopeSummary)
            QCOMPARE(lines.at(1),
                     QStringLiteral("Any slope of tag string '%1' does not comply with the specification!")
                         .arg(tags));
    }

    void indexesAgainstLength()
    {
        QVERIFY(indexesBelow(QStringLiteral("99:1"), 100));
        QVERIFY(!indexesBelow(QStringLiteral("100:1"), 100));
        QVERIFY(indexesBelow(QStringLiteral("100:1"), 101));
        QVERIFY(!indexesBelow(QStringLiteral("0:1;50:0;100:1"), 100));
        QVERIFY(indexesBelow(QStringLiteral("0:0"), 1));
        // Far beyond any 64-bit number: out of range, never wrapped around into range.
        QVERIFY(!indexesBelow(QStringLiteral("99999999999999999999999:1"), MaxLength));
        QVERIFY(!indexesBelow(QStringLiteral("18446744073709551617:1"), MaxLength));

        ControlListData data;
        data.tags[2] = QStringLiteral("5:1;150:0");
        data.tags[7] = QStringLiteral("100:1");
        QCOMPARE(signalsOutOfRange(data, 100), QList<int>({2, 7}));
        QCOMPARE(signalsOutOfRange(data, 101), QList<int>({2}));
        QVERIFY(signalsOutOfRange(data, 151).isEmpty());
    }

    void writeAndReadBack()
    {
        QTemporaryDir dir;
        const QString strPath = dir.filePath(QStringLiteral("ctrl.dm_iqc"));
        ControlListData data;
        // "}" and line breaks would plant fields or end the line: the writer drops them.
        data.strComment = QStringLiteral("mentions\r\n{HOP LIST:5:1} in passing");
        data.strDateTime = QStringLiteral("2026-12-06;10:11:12");
        data.strLength = QStringLiteral("2000");
        for (int i = 0; i < SignalCount; ++i)
            data.tags[i] = QStringLiteral("%1:1;%2:0").arg(i).arg(100 + i);
        QVERIFY(ControlList::writeFile(strPath, data).ok);
        QVERIFY(!readAll(strPath).contains('\n'));

        const ReadResult read = readFile(strPath);
        QVERIFY(read.result.ok);
        QCOMPARE(read.data.strLength, QStringLiteral("2000"));
        QCOMPARE(read.data.strDateTime, data.strDateTime);
        QCOMPARE(read.data.tags, data.tags);
        QVERIFY(read.traces.isEmpty());
        QCOMPARE(read.data.strComment, QStringLiteral("mentions{HOP LIST:5:1 in passing"));
    }

    void readerFallbacks()
    {
        QTemporaryDir dir;
        const auto writeRaw = [&](const QString &name, const QByteArray &bytes) {
            ::writeFile(dir.filePath(name), bytes);
            return dir.filePath(name);
        };

        // A wrong type tag is checked through listforge-cli ("info of a data list as control list").
        ReadResult read = readFile(dir.filePath(QStringLiteral("missing.dm_iqc")));
        QCOMPARE(read.result.message, QStringLiteral("Unable to open control list file 'missing.dm_iqc'!"));

        // Missing, empty, invalid and unterminated tags fall back to "0:0" with their reasons; the
        // dialog's import checks the traces of missing and empty ones.
        read = readFile(writeRaw(QStringLiteral("odd.dm_iqc"),
                                 "{TYPE:GKR-CL}{MARKER LIST 1:}{MARKER LIST 2:5:7}{BURST LIST:3:1}"
                                 "{HOP LIST:7:1;9:0\nsecond line {MARKER LIST 3:1:1}"));
        QVERIFY(read.result.ok);
        // Marker 3 is set only on the second line: only the first line counts.
        QCOMPARE(QStringList({read.data.tags[0], read.data.tags[1], read.data.tags[2], read.data.tags[4],
                              read.data.tags[7]}),
                 QStringList({NeutralTags, NeutralTags, NeutralTags, "3:1", "7:1;9:0"}));
        QVERIFY(read.traces.contains(QStringLiteral("Unspecified content assigned to tag 'MARKER LIST 2'")));
        QVERIFY(read.traces.contains(
            QStringLiteral("Certain tag slop '5:7' contains unspecified level value '7'!")));

        // A huge single line is refused without being read whole.
        QByteArray huge("{TYPE:GKR-CL}{COMMENT:");
        huge.append(QByteArray(MaxFileLineBytes, 'x'));
        read = readFile(writeRaw(QStringLiteral("huge.dm_iqc"), huge));
        QCOMPARE(read.result.message, QStringLiteral("Unable to open control list file 'huge.dm_iqc'!"));
    }

    void readsFieldsOfForeignLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("tags");
        QTest::newRow("blank between fields")
            << "{TYPE:GKR-CL} {CONTROL LENGTH:50} {MARKER LIST 1:0:1;10:0}" << 0 << "0:1;10:0";
        QTest::newRow("tab and blanks") << "{TYPE:GKR-CL}\t{BURST LIST:3:1}  {HOP LIST:4:1}" << 7 << "4:1";
        QTest::newRow("comment posing as a tag")
            << "{TYPE:GKR-CL}{COMMENT:see {MARKER LIST 2:5:1 here}{MARKER LIST 2:0:1}" << 1 << "0:1";
        QTest::newRow("only inside the comment") << "{TYPE:GKR-CL} {COMMENT:{HOP LIST:5:1}" << 7 << "0:0";
    }

    void readsFieldsOfForeignLines()
    {
        QTemporaryDir dir;
        QFETCH(QString, line);
        const QString strPath = dir.filePath(QStringLiteral("foreign.dm_iqc"));
        QVERIFY(::writeFile(strPath, line.toLatin1()));
        const ReadResult read = readFile(strPath);
        QVERIFY(read.result.ok);
        QFETCH(int, signal);
        QTEST(read.data.tags[signal], "tags");
    }

    void failedSaveIsReported()
    {
        QTemporaryDir dir;
        const ControlListData data;
        // A directory in the way of the temporary file's rename: the save fails, says so and leaves
        // nothing behind. A write that fails half-way (a full disk) is checked through listforge-cli.
        const QString strBlocked = dir.filePath(QStringLiteral("x.dm_iqc"));
        QVERIFY(QDir().mkpath(strBlocked));
        QCOMPARE(ControlList::writeFile(strBlocked, data).message,
                 QStringLiteral("Unable to create and open control list file 'x.dm_iqc'!"));
        QVERIFY(!ControlList::writeFile(dir.filePath(QStringLiteral("no/such/dir/y.dm_iqc")), data).ok);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    }
};

QTEST_GUILESS_MAIN(TstControlList)
#include "tst_controllist.moc"
