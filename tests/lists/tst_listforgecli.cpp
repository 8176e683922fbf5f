#include "lists/controllist.h"
#include "lists/datalist.h"
#include "lists/datalistfile.h"
#include "tests/common/filesizelimit.h"
#include "tests/common/programrun.h"
#include "tests/lists/listfiles.h"

#include <QTemporaryDir>
#include <QtTest>

class TstListforgeCli : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        const QByteArray buildDir = qgetenv("LISTFORGE_BUILD_DIR");
        QVERIFY2(!buildDir.isEmpty(), "LISTFORGE_BUILD_DIR is not set");
        m_cli = QString::fromLocal8Bit(buildDir) + "/listforge-cli";
        QVERIFY2(QFileInfo(m_cli).isExecutable(), qPrintable(m_cli));
    }
    void init() { QVERIFY(m_dir.isValid()); }

    void usageErrorsExitWith2_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("hint");
        const auto row = [](const char *name, const char *args, const char *hint) {
            QTest::newRow(name) << QString(args).split(' ', Qt::SkipEmptyParts) << QString(hint);
        };
        row("no command", "", "command is required");
        row("unknown command", "frobnicate", "unknown command 'frobnicate'");
        row("no source", "datalist -o x", "source");
        row("no output", "datalist --prbs 9", "-o FILE");
        row("bad order", "datalist --prbs 10 -o x", "'10'");
        row("bits after file", "datalist --binary a.bin --bits 8 -o x", "--bits");
        row("bits first", "datalist --bits 8 --prbs 9 -o x", "--bits");
        row("bits twice", "datalist --prbs 9 --bits 8 --bits 9 -o x", "twice");
        row("bits not a number", "datalist --prbs 9 --bits many -o x", "'many'");
        row("unknown sequence", "datalist --sequence 1100 -o x", "1100...");
        row("bitless pattern", "datalist --pattern abc -o x", "'abc'");
        row("unknown modulation", "datalist --prbs 9 --modulation 9QAM -o x", "'9QAM'");
        row("missing value", "datalist --prbs 9 -o", "'-o'");
        row("unknown option", "datalist --prbs 9 --fast -o x", "'--fast'");
        row("info without file", "info --bits", "file is required");
        row("info two files", "info a b", "one file");
    }

    void usageErrorsExitWith2()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, hint);
        const ProgramRun run = cli(args);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(hint), qPrintable(run.err));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList());
    }

    void helpExitsWith0()
    {
        ProgramRun run = cli({"--help"});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains("datalist SOURCE"));
        QVERIFY(run.out.contains("info [--bits] FILE"));
        run = cli({"datalist", "--help"});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains("--data-list FILE"));
    }

    void firstSourceGivesCountAndComment_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<qint64>("bitCount");
        QTest::addColumn<QString>("comment");
        // One PRBS period; 128QAM has 7 bits per symbol, so 511 bits are 73 symbols.
        QTest::newRow("prbs") << QStringList{"--prbs", "9"} << qint64(511)
                              << "128QAM, 73 symbols, 511 bits, PRBS9";
        QTest::newRow("pattern") << QStringList{"--pattern", "1 1 0", "--modulation", "QPSK"} << qint64(20)
                                 << "QPSK, 10 symbols, 20 bits, Pattern: 110";
        // USER starts with 2 bits per symbol.
        QTest::newRow("sequence") << QStringList{"--sequence", "10...", "--modulation", "USER"} << qint64(20)
                                  << "USER, 10 symbols, 20 bits, Sequence: 10...";
        QTest::newRow("data files") << QStringList{"--ascii-bits", "bits.txt", "--ascii-hex",  "hex.txt",
                                                   "--binary",     "raw.bin",  "--modulation", "ASK"}
                                    << qint64(31) << "ASK, 3 symbols, 3 bits, Data file: bits.txt";
        QTest::newRow("data lists") << QStringList{"--data-list", "l.dm_iqd", "--data-list", "l.dm_iqd"}
                                    << qint64(62) << "128QAM, 5 symbols, 31 bits, Data list file: l.dm_iqd";
    }

    void firstSourceGivesCountAndComment()
    {
        QFETCH(QStringList, args);
        QVERIFY(writeFile(path("bits.txt"), "1 0 1\n"));
        QVERIFY(writeFile(path("hex.txt"), "0F a"));
        QVERIFY(writeFile(path("raw.bin"), QByteArray("\x80\x01", 2)));
        const QByteArray bits = prbs(9, 31);
        QVERIFY(DataListFiles::writeBinary(path("l.dm_iqd"), bits.constData(), 31,
                                           DataListHeader("l", QDateTime::currentDateTime(), 31)));
        const ProgramRun run = cli(QStringList{"datalist"} + args + QStringList{"-o", "first"});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        DataListFileReader reader;
        QVERIFY(reader.open(path("first.dm_iqd")));
        QTEST(reader.bitCount(), "bitCount");
        QTEST(reader.info().comment, "comment");
    }

    void filesMatchTheEngineByteForByte_data()
    {
        // Files whose sizes straddle the decoders' and the reader's blocks; the data list's padding
        // bits are set, which must not leak into the output.
        const QByteArray bits = prbs(23, 600000);
        QVERIFY(writeFile(path("m.txt"), bits.left(65539) + "\n x"));
        QVERIFY(writeFile(path("m.hex"), QByteArray::fromRawData(bits.constData(), 16389).toHex()));
        QVERIFY(writeFile(path("m.bin"), bits.left(65537)));
        QVERIFY(DataListFiles::writeBinary(path("m.dm_iqd"), bits.constData(), 520003,
                                           DataListHeader("m", QDateTime::currentDateTime(), 520003)));
        QByteArray listFile = readAll(path("m.dm_iqd"));
        listFile[listFile.size() - 2] = char(listFile.at(listFile.size() - 2) | 0x1F);
        QVERIFY(writeFile(path("m.dm_iqd"), listFile));

        // Steps "kind:value[:bits]" in order; bit counts around bytes and the generators' blocks.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("ascii");
        for (const qint64 n : {1, 7, 8, 9, 524287, 524288, 524289})
            QTest::addRow("prbs23 %lld", n) << QStringList{QStringLiteral("prbs:23:%1").arg(n)} << false;
        QTest::newRow("unaligned appends")
            << QStringList{"prbs:9:5",   "pattern:1x01:13", "seq:111000...:65541", "prbs:15:524291",
                           "bits:m.txt", "hex:m.hex",       "bin:m.bin",           "list:m.dm_iqd"}
            << false;
        QTest::newRow("files") << QStringList{"list:m.dm_iqd", "bin:m.bin", "hex:m.hex", "bits:m.txt"}
                               << false;
        QTest::newRow("ascii") << QStringList{"seq:1100...:65537", "list:m.dm_iqd", "prbs:20:3"} << true;
    }

    void filesMatchTheEngineByteForByte()
    {
        QFETCH(QStringList, steps);
        QFETCH(bool, ascii);
        static const QMap<QString, QString> options{{"prbs", "--prbs"},     {"pattern", "--pattern"},
                                                    {"seq", "--sequence"},  {"bits", "--ascii-bits"},
                                                    {"hex", "--ascii-hex"}, {"bin", "--binary"},
                                                    {"list", "--data-list"}};
        // A missing extension is added, a given one kept (and in infoShowsTagsAndBits the other way).
        QStringList args{"datalist", "--comment", "c", "-o", ascii ? "same.dm_iqda" : "same"};
        if (ascii)
            args << "--ascii";
        DataList engine;
        for (const QString &step : steps) {
            const QStringList f = step.split(':');
            args << options.value(f[0]) << f[1];
            if (f.size() > 2)
                args << "--bits" << f[2];
            const bool append = !engine.isEmpty();
            const qint64 n = f.value(2).toLongLong();
            const QString file = path(f[1]);
            const ListResult r =
                f[0] == "prbs"      ? engine.applyPrbs(f[1].toInt(), n, append)
                : f[0] == "pattern" ? engine.applyPattern(f[1], n, append)
                : f[0] == "seq"     ? engine.applySequence(f[1], n, append)
                : f[0] == "bits"    ? engine.applyDataFile(DataFileFormat::AsciiBits, file, append)
                : f[0] == "hex"     ? engine.applyDataFile(DataFileFormat::AsciiHex, file, append)
                : f[0] == "bin"     ? engine.applyDataFile(DataFileFormat::Binary, file, append)
                                    : engine.applyDataListFile(file, append);
            QVERIFY2(r, qPrintable(step));
        }
        const ProgramRun run = cli(args);
        QCOMPARE(run.status, 0);
        const QString out = path(ascii ? "same.dm_iqda" : "same.dm_iqd");
        const QString expected = path("engine");
        if (ascii) {
            QVERIFY(engine.writeAscii(expected));
        } else {
            DataListFileReader reader;
            QVERIFY(reader.open(out));
            const QString date = DataListFiles::tagContent(reader.info().headerText, "DATE");
            const QDateTime stamp = QDateTime::fromString(date, "yyyy-MM-dd;hh:mm:ss");
            QVERIFY(engine.writeBinary(expected, DataListHeader("c", stamp, engine.size())));
        }
        const QByteArray got = readAll(out);
        QVERIFY2(got == readAll(expected), qPrintable(QStringLiteral("%1 bytes").arg(got.size())));
    }

    void refusalsExitWith1AndWriteNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const char *args, const QString &message) {
            QTest::newRow(name) << QString(args).split(' ') << message;
        };
        const QString total("Total amount (current + new) of data bits is outside the specified range!\n");
        row("zero bits", "datalist --prbs 9 --bits 0 -o out", total);
        row("negative bits", "datalist --pattern 1 --bits -4 -o out", total);
        row("too many bits", "datalist --prbs 9 --bits 250000001 -o out", total);
        row("running total", "datalist --pattern 1 --bits 249999999 --ascii-bits two.txt -o out", total);
        row("missing data file", "datalist --binary nothing.bin -o out",
            "Unable to open data file 'nothing.bin'!\n");
        row("folder as data file", "datalist --pattern 1 --ascii-bits dir -o out",
            "Unable to open data file 'dir'!\n");
        row("empty data file", "datalist --ascii-hex empty.txt -o out",
            "Amount of data bits in data file 'empty.txt' is outside the specified range!\n");
        row("wrong list type", "datalist --data-list ctl.dm_iqd -o out",
            "Data list file 'ctl.dm_iqd' has wrong type tag 'GKR-CL'!\n");
        row("unwritable output", "datalist --prbs 9 -o no/such/dir/out",
            "Unable to create and open data list file 'out.dm_iqd'!\n");
        row("info of a short list", "info --bits short.dm_iqd",
            "Amount of data bits in data list file 'short.dm_iqd' is outside the specified range!\n");
        row("info of a missing file", "info nothing.dm_iqd",
            "Unable to open data list file 'nothing.dm_iqd'!\n");
        row("info of a data list as control list", "info data.dm_iqc",
            "Control list file 'data.dm_iqc' has wrong type 'GKR-DL' tag!\n");
    }

    void refusalsExitWith1AndWriteNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QVERIFY(QDir(m_dir.path()).mkpath("dir"));
        QVERIFY(writeFile(path("empty.txt"), ""));
        QVERIFY(writeFile(path("two.txt"), "10"));
        QVERIFY(writeFile(path("ctl.dm_iqd"), "{TYPE:GKR-CL}{DATA BITLENGTH:8}{DATA LIST-2:#A}"));
        QVERIFY(writeFile(path("short.dm_iqd"), "{TYPE:GKR-DL}{DATA BITLENGTH:80}{DATA LIST-11:#ABC}"));
        QVERIFY(writeFile(path("data.dm_iqc"), "{TYPE:GKR-DL}{CONTROL LENGTH:5}"));
        const ProgramRun run = cli(args);
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, message);
        QVERIFY(run.out.isEmpty());
        QVERIFY(!QFile::exists(path("out.dm_iqd")));
    }

    void infoShowsTagsAndBits()
    {
        QVERIFY(
            cli({"datalist", "--pattern", "1100110", "--bits", "12", "--comment", "x}y", "-o", "i.dm_iqd"})
                .status == 0);
        ProgramRun run = cli({"info", "i.dm_iqd"});
        QCOMPARE(run.status, 0);
        QStringList lines = run.out.split('\n');
        QVERIFY(lines.value(3).startsWith("DATE: "));
        lines[3] = "DATE";
        QCOMPARE(lines, QStringList({"TYPE: GKR-DL", "COMMENT: x", "COPYRIGHT: Tarvik GmbH & Co. KG", "DATE",
                                     "DATA BITLENGTH: 12", "DATA LIST: 3", "Bits: 12", ""}));

        run = cli({"info", "--bits", "i.dm_iqd"});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.endsWith("Bits: 12\n110011011001\n"));

        QVERIFY(cli({"datalist", "--pattern", "10", "--bits", "5", "--ascii", "-o", "i"}).status == 0);
        run = cli({"info", "i.dm_iqda", "--bits"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QString("Bits: 5\n10101\n"));
    }

    void controlListWrittenAndReadBack()
    {
        const ProgramRun run = cli({"controllist", "--length", "200", "--marker2", "0:1;199:0", "--cw",
                                    "10:1;20:0", "--comment", "cli made", "-o", "made"});
        QCOMPARE(run.status, 0);
        const ControlList::ReadResult read = ControlList::readFile(path("made.dm_iqc"));
        QVERIFY(read.result.ok);
        QCOMPARE(QStringList({read.data.strLength, read.data.strComment, read.data.tags[0], read.data.tags[1],
                              read.data.tags[6]}),
                 QStringList({"200", "cli made", "0:0", "0:1;199:0", "10:1;20:0"}));

        const ProgramRun info = cli({"info", "made.dm_iqc"});
        QCOMPARE(info.status, 0);
        QVERIFY(info.out.contains("CONTROL LENGTH: 200\n"));
        QVERIFY(info.out.contains("CW MODE LIST: 10:1;20:0\n"));
    }

    void controlListRefusalsWriteNothing_data()
    {
        QTest::addColumn<QStringList>("args"); // separated by "|"
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const char *args, int status, const char *message) {
            QTest::newRow(name) << QString(args).split('|') << status << QString(message);
        };
        row("index equals length", "--length|100|--hop|100:1", 1,
            "Symbol index(es) of any control list tag exceed(s) max value!");
        row("bad level", "--length|100|--burst|3:2", 1,
            "Certain tag slop '3:2' contains unspecified level value '2'!");
        row("comment planting a tag", "--length|100|--comment|x}{MARKER LIST 1:50:1", 1,
            "A control list comment must not contain '}' or line breaks.");
        row("comment with a line break", "--length|100|--comment|two\nlines", 1, "must not contain");
        row("length too big", "--length|20000001", 2, "--length");
        row("no length", "--hop|0:1", 2, "--length is required");
        row("unknown option", "--length|5|--marker5|0:1", 2, "--marker5");
    }

    void controlListRefusalsWriteNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const ProgramRun run = cli(QStringList{"controllist"} + args + QStringList{"-o", "refused"});
        QTEST(run.status, "status");
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(!QFile::exists(path("refused.dm_iqc")));
    }

    void failedControlListWriteKeepsTheOldFile()
    {
        QCOMPARE(cli({"controllist", "--length", "60", "--hop", "5:1", "-o", "keep"}).status, 0);
        const QByteArray before = readAll(path("keep.dm_iqc"));
        ProgramRun run;
        {
            // Inherited by the tool: its writes fail as on a full disk.
            const FileSizeLimit limit(0);
            QVERIFY(limit.isActive());
            run = cli({"controllist", "--length", "70", "-o", "keep"});
        }
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("Unable to write control list file 'keep.dm_iqc'!"), qPrintable(run.err));
        QVERIFY(!run.out.contains("written"));
        QCOMPARE(readAll(path("keep.dm_iqc")), before);
        QCOMPARE(QDir(m_dir.path()).entryList({"keep*"}, QDir::Files), QStringList{"keep.dm_iqc"});
    }

private:
    ProgramRun cli(const QStringList &args) const { return runProgram(m_cli, args, m_dir.path()); }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString m_cli;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TstListforgeCli)
#include "tst_listforgecli.moc"
