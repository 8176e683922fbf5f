#include "lists/datalist.h"
#include "lists/datalistfile.h"
#include "tests/common/filesizelimit.h"
#include "tests/lists/listfiles.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray randomBits(QRandomGenerator &rng, int count)
{
    QByteArray bits(count, '0');
    for (char &c : bits)
        c = char('0' + rng.bounded(2));
    return bits;
}

const QDateTime stamp(QDate(2020, 1, 31), QTime(12, 0, 0));

} // namespace

class TstDataListFile : public QObject
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    // Writer

    void fileBytesAndLengths_data()
    {
        QTest::addColumn<QByteArray>("bits");
        QTest::addColumn<QByteArray>("tail");
        QTest::newRow("worked example")
            << QByteArray("1010110011") << QByteArray("{DATA BITLENGTH:10}{DATA LIST-3:#\xAC\xC0}");
        QTest::newRow("8 bits") << QByteArray("10000001")
                                << QByteArray("{DATA BITLENGTH:8}{DATA LIST-2:#\x81}");
        const QByteArray nine("{DATA BITLENGTH:9}{DATA LIST-3:#");
        QTest::newRow("9 bits, ninth is 1") << QByteArray("000000001") << nine + QByteArray("\x00\x80}", 3);
        QTest::newRow("9 bits, ninth is 0") << QByteArray("111111110") << nine + QByteArray("\xFF\x00}", 3);
        QTest::newRow("1 bit") << QByteArray("1") << QByteArray("{DATA BITLENGTH:1}{DATA LIST-2:#\x80}");
    }

    void fileBytesAndLengths()
    {
        QFETCH(QByteArray, bits);
        QFETCH(QByteArray, tail);
        // The header was made for another length (the dialog rebuilt it earlier): the length fields
        // must still describe the data part that is written.
        const QString file = path("lengths.dm_iqd");
        QVERIFY(
            DataListFiles::writeBinary(file, bits.constData(), bits.size(), DataListHeader("x", stamp, 3)));
        QCOMPARE(readAll(file), "{TYPE:GKR-DL}{COMMENT:x}{COPYRIGHT:Tarvik GmbH & Co. KG}"
                                "{DATE:2020-01-31;12:00:00}" +
                                    tail);
    }

    void asciiWriterAndFailedCreate()
    {
        QVERIFY(DataListFiles::writeAscii(path("three.dm_iqda"), "101", 3));
        QCOMPARE(readAll(path("three.dm_iqda")), QByteArray("\x31\x30\x31"));

        // The binary writer's message is checked through listforge-cli ("unwritable output").
        const ListResult a = DataListFiles::writeAscii(path("missing-dir/list.dm_iqda"), "1", 1);
        QCOMPARE(a.message,
                 QStringLiteral("Unable to create and open data list file (ASCII) 'list.dm_iqda'!"));
        QVERIFY(!a.ok);
    }

    void failedWriteKeepsThePreviousFile()
    {
        QVERIFY(QDir(m_dir.path()).mkpath("keep"));
        const QString file = path("keep/keep.dm_iqd");
        QVERIFY(writeFile(file, "previous contents"));
        const QByteArray bits(200000, '1');
        ListResult binary, ascii;
        {
            const FileSizeLimit limit(4096);
            QVERIFY(limit.isActive());
            binary = DataListFiles::writeBinary(file, bits.constData(), bits.size(),
                                                DataListHeader("x", stamp, 1));
            ascii = DataListFiles::writeAscii(file, bits.constData(), 10000);
        }
        QVERIFY(!binary.ok && !ascii.ok);
        QCOMPARE(binary.message, QStringLiteral("Unable to write data list file 'keep.dm_iqd'!"));
        QCOMPARE(ascii.message, QStringLiteral("Unable to write data list file (ASCII) 'keep.dm_iqd'!"));
        QCOMPARE(readAll(file), QByteArray("previous contents"));
        QCOMPARE(QDir(path("keep")).entryList(QDir::Files), QStringList{"keep.dm_iqd"});
    }

    // Reader

    void roundTrips()
    {
        QRandomGenerator rng(20240611);
        QList<int> lengths{1, 2, 7, 8, 9, 15, 16, 17, 1249, 1250, 10000, 10001, 1000003};
        for (int i = 0; i < 40; ++i)
            lengths.append(1 + int(rng.bounded(70000)));
        for (int length : lengths) {
            const QByteArray bits = randomBits(rng, length);
            const QString file = path(QStringLiteral("rt%1.dm_iqd").arg(length));
            qint64 lastWrite = 0;
            QVERIFY(DataListFiles::writeBinary(file, bits.constData(), length,
                                               DataListHeader("random", stamp, length),
                                               [&lastWrite, length](qint64 done) {
                                                   QVERIFY(done > lastWrite || done == length);
                                                   QVERIFY(done - lastWrite <= ProgressStepBits);
                                                   lastWrite = done;
                                               }));
            QCOMPARE(lastWrite, qint64(length));

            // Odd lengths are appended to a list, even ones replace it.
            const bool append = length % 2 == 1;
            DataList list;
            QVERIFY(list.applyPattern("01", 5, false));
            qint64 lastRead = 0;
            const ListResult r = list.applyDataListFile(file, append, [&lastRead](qint64 done) {
                QVERIFY(done - lastRead <= ProgressStepBits);
                lastRead = done;
            });
            QVERIFY2(r.ok, qPrintable(r.message));
            QCOMPARE(r.newBits, qint64(length));
            QCOMPARE(lastRead, qint64(length));
            QCOMPARE(list.bits(), (append ? QByteArray("01010") : QByteArray()) + bits);

            DataListFileReader reader;
            QVERIFY(reader.open(file));
            QByteArray streamed;
            QVERIFY(reader.streamBits([&streamed](const char *p, qint64 n) {
                streamed.append(p, int(n));
                return true;
            }));
            QCOMPARE(streamed, bits);
        }
    }

    void commentsNeverChangeTheBits_data()
    {
        QTest::addColumn<QString>("comment");
        QTest::addColumn<qint64>("bitCount");
        QTest::addColumn<QString>("readBack"); // empty: too long for the header, cut to fit
        const auto row = [](const char *name, const QString &comment, qint64 bitCount,
                            const QString &readBack) {
            QTest::newRow(name) << comment << bitCount << readBack;
        };
        row("closing brace", "a}b", 3, "a");
        row("hash", "#1 best", 77, "#1 best");
        row("tag name", "DATA BITLENGTH:5", 77, "DATA BITLENGTH:5");
        row("whole tag", "{DATA BITLENGTH:9}", 77, "{DATA BITLENGTH:9");
        row("type and colons", "TYPE GKR-CL a:b:c", 77, "TYPE GKR-CL a:b:c");
        const QString wide = QStringLiteral("Gr\u00f6\u00dfe 45\u00b0 \u65e5\u672c \U0001F4E1");
        row("non-ASCII", wide, 13, wide);
        row("one character too many", QString(287, QLatin1Char('c')), 10, "");
        row("long, long list", QString(2000, 'c'), 250000000, "");
        row("four-byte characters", QString(300, 'e').replace('e', QStringLiteral("\U0001F4E1")), 17, "");
        row("file name with #", QStringLiteral("16QAM, Data list file: #%1").arg(QString(300, 'n')), 9, "");
    }

    void commentsNeverChangeTheBits()
    {
        QFETCH(QString, comment);
        QFETCH(qint64, bitCount);
        QFETCH(QString, readBack);
        const DataListHeader header(comment, stamp, bitCount);
        if (readBack.isEmpty())
            QCOMPARE(header.text().toUcs4().size(), DataListFiles::MaxHeaderChars);
        if (bitCount > 100000)
            return; // the header is the point; such a list is written elsewhere

        QRandomGenerator rng(7);
        const QByteArray bits = randomBits(rng, int(bitCount));
        const QString file = path("comment.dm_iqd");
        QVERIFY(DataListFiles::writeBinary(file, bits.constData(), bits.size(), header));
        DataListFileReader reader;
        const ListResult opened = reader.open(file);
        QVERIFY2(opened.ok, qPrintable(opened.message));
        if (readBack.isEmpty())
            QVERIFY(comment.startsWith(reader.info().comment));
        else
            QCOMPARE(reader.info().comment, readBack);
        // Counted in bytes, however wide the comment's characters.
        const QByteArray bytes = readAll(file);
        QCOMPARE(reader.info().headerBytes, qint64(bytes.indexOf(":#", bytes.indexOf("{DATA LIST-")) + 2));
        QByteArray read(bits.size(), '?');
        QVERIFY(reader.readBits(read.data()));
        QCOMPARE(read, bits);
    }

    void badHeadersAreRefused_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message"); // empty: accepted
        const QString header("Header of selected data list file 'bad.dm_iqd' could not be determined!");
        const QString range(
            "Amount of data bits in data list file 'bad.dm_iqd' is outside the specified range!");
        const QByteArray start("{TYPE:GKR-DL}{COMMENT:");
        const QByteArray end("}{DATA BITLENGTH:8}{DATA LIST-2:#Z}");
        // The "#" as character 400 is still found; as character 401 it is not. Counted in characters:
        // 300 two-byte characters are 600 bytes but only 300 characters.
        QTest::newRow("# at 400") << start + QByteArray(400 - 22 - 33, 'c') + end << QString();
        QTest::newRow("# at 401") << start + QByteArray(401 - 22 - 33, 'c') + end << header;
        QTest::newRow("wide comment") << start + QString(300, QChar(0x00e9)).toUtf8() + end << QString();
        QTest::newRow("no #") << QByteArray(5000, 'x') << header;
        QTest::newRow("empty") << QByteArray() << header;
        // A control list's type tag is refused through listforge-cli ("wrong list type").
        QTest::newRow("no type") << QByteArray("{COMMENT:x}{DATA BITLENGTH:8}{DATA LIST-2:#A}")
                                 << "Data list file 'bad.dm_iqd' has wrong type tag ''!";
        const QList<QPair<const char *, QByteArray>> lengths = {
            {"absurd", "999999999999}{DATA LIST-2:#A"},
            {"just above limit", "250000001}{DATA LIST-2:#A"},
            {"overflowing", "99999999999999999999999}{DATA LIST-2:#A"},
            {"negative", "-8}{DATA LIST-2:#A"},
            {"zero", "0}{DATA LIST-1:#"},
            {"text", "eight}{DATA LIST-2:#A"},
            {"empty length", "}{DATA LIST-2:#A"}};
        for (const auto &length : lengths)
            QTest::newRow(length.first) << "{TYPE:GKR-DL}{DATA BITLENGTH:" + length.second + '}' << range;
        QTest::newRow("no length") << QByteArray("{TYPE:GKR-DL}{DATA LIST-2:#A}") << range;
    }

    void badHeadersAreRefused()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        DataListFileReader reader;
        const ListResult r = reader.openBytes(file, "bad.dm_iqd");
        QCOMPARE(r.ok, message.isEmpty());
        QCOMPARE(r.message, message);
    }

    void truncatedDataIsRefusedAndListKept()
    {
        QRandomGenerator rng(5);
        const QByteArray bits = randomBits(rng, 1001);
        const QString file = path("cut.dm_iqd");
        QVERIFY(
            DataListFiles::writeBinary(file, bits.constData(), bits.size(), DataListHeader("c", stamp, 0)));
        QByteArray contents = readAll(file);

        // Without the final "}" the data is complete and still accepted.
        QVERIFY(writeFile(file, contents.left(contents.size() - 1)));
        DataList list;
        QVERIFY(list.applyDataListFile(file, false));
        QCOMPARE(list.bits(), bits);

        // One data byte short: refused, and neither a replacing nor an appending import touches the
        // list (a missing file is refused in tst_listforgecli).
        QVERIFY(writeFile(file, contents.left(contents.size() - 2)));
        for (bool append : {false, true}) {
            const ListResult r = list.applyDataListFile(file, append);
            QCOMPARE(
                r.message,
                QStringLiteral(
                    "Amount of data bits in data list file 'cut.dm_iqd' is outside the specified range!"));
            QCOMPARE(list.bits(), bits);
        }
    }

    void tagLookup()
    {
        const auto tag = [](const QString &header, const QString &name, bool last = false) {
            bool found = false;
            const QString content = DataListFiles::tagContent(header, name, &found, last);
            return found ? content : QStringLiteral("<not found>") + content;
        };
        const QString header("{TYPE:GKR-DL}{COMMENT:}{DATE:d;t}{DATA LIST-12");
        // Case-sensitive, and found anywhere, a comment included.
        QCOMPARE((QStringList{tag(header, "TYPE"), tag(header, "COMMENT"), tag(header, "DATA LIST"),
                              tag(header, "COPYRIGHT"), tag(header, "type"),
                              tag("{COMMENT:TYPE:X}{TYPE:Y}", "TYPE"),
                              tag("{COMMENT:TYPE:X}{TYPE:Y}", "TYPE", true), tag("{TYPE", "TYPE")}),
                 (QStringList{"GKR-DL", "", "12", "<not found>", "<not found>", "X", "Y", ""}));
    }

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TstDataListFile)
#include "tst_datalistfile.moc"
