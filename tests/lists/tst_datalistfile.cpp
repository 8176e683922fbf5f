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

// A complete file as the writer lays it out, built by hand for the reader tests.
QByteArray handMadeFile(const QByteArray &header, const QByteArray &data)
{
    return header + data + '}';
}

} // namespace

class TstDataListFile : public QObject
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    // Writer
    void workedExampleByteForByte();
    void headerFieldsAndLengths_data();
    void headerFieldsAndLengths();
    void asciiWriterWritesOnlyTheBits();
    void writerUsesTheBitsForTheLengthFields();
    void failedCreateIsReported();
    void failedWriteKeepsThePreviousFile();

    // Reader
    void roundTripRandomLists();
    void roundTripLargeListWithProgress();
    void streamBitsMatchesReadBits();
    void commentWithClosingBraceIsCut();
    void commentWithHashOrTagNamesReadsBack();
    void nonAsciiCommentIsSkippedByBytes();
    void longCommentsAreCutToFit_data();
    void longCommentsAreCutToFit();
    void headerSearchStopsAt400Characters();
    void wrongTypeIsRefused();
    void badBitLengthIsRefused_data();
    void badBitLengthIsRefused();
    void truncatedDataIsRefusedAndListKept();
    void missingFileIsRefused();
    void tagLookup();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TstDataListFile::workedExampleByteForByte()
{
    const QString file = path("example.dm_iqd");
    const QByteArray bits("1010110011");
    QVERIFY(DataListFiles::writeBinary(file, bits.constData(), bits.size(), DataListHeader("x", stamp, 10)));
    const QByteArray expected = QByteArray("{TYPE:GKR-DL}{COMMENT:x}{COPYRIGHT:Tarvik GmbH & Co. KG}"
                                           "{DATE:2020-01-31;12:00:00}{DATA BITLENGTH:10}{DATA LIST-3:#") +
                                QByteArray("\xAC\xC0\x7D", 3);
    QCOMPARE(readAll(file), expected);
}

void TstDataListFile::headerFieldsAndLengths_data()
{
    QTest::addColumn<QByteArray>("bits");
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("8 bits") << QByteArray("10000001") << QByteArray("{DATA BITLENGTH:8}{DATA LIST-2:#")
                            << QByteArray("\x81}", 2);
    QTest::newRow("9 bits, ninth is 1")
        << QByteArray("000000001") << QByteArray("{DATA BITLENGTH:9}{DATA LIST-3:#")
        << QByteArray("\x00\x80}", 3);
    QTest::newRow("9 bits, ninth is 0")
        << QByteArray("111111110") << QByteArray("{DATA BITLENGTH:9}{DATA LIST-3:#")
        << QByteArray("\xFF\x00}", 3);
    QTest::newRow("1 bit") << QByteArray("1") << QByteArray("{DATA BITLENGTH:1}{DATA LIST-2:#")
                           << QByteArray("\x80}", 2);
}

void TstDataListFile::headerFieldsAndLengths()
{
    QFETCH(QByteArray, bits);
    QFETCH(QByteArray, tail);
    QFETCH(QByteArray, data);
    const QString file = path("lengths.dm_iqd");
    QVERIFY(DataListFiles::writeBinary(file, bits.constData(), bits.size(),
                                       DataListHeader("c", stamp, bits.size())));
    const QByteArray written = readAll(file);
    QVERIFY2(written.endsWith(tail + data), written.constData());
    QVERIFY(written.startsWith(
        "{TYPE:GKR-DL}{COMMENT:c}{COPYRIGHT:Tarvik GmbH & Co. KG}{DATE:2020-01-31;12:00:00}"));

    const QStringList fields = DataListHeader("c", stamp, bits.size()).fields();
    QCOMPARE(fields.size(), 6);
    QCOMPARE(fields.at(0), QStringLiteral("{TYPE:GKR-DL}"));
    QCOMPARE(fields.mid(4).join(QString()).toLatin1(), tail);
}

void TstDataListFile::asciiWriterWritesOnlyTheBits()
{
    const QString file = path("three.dm_iqda");
    QVERIFY(DataListFiles::writeAscii(file, "101", 3));
    QCOMPARE(readAll(file), QByteArray("\x31\x30\x31"));
}

void TstDataListFile::writerUsesTheBitsForTheLengthFields()
{
    // A header made for another length (the dialog rebuilt it earlier) must not describe a
    // length the data part does not have.
    const QString file = path("stale.dm_iqd");
    QVERIFY(DataListFiles::writeBinary(file, "1111000011", 10, DataListHeader("x", stamp, 3)));
    QVERIFY(readAll(file).contains("{DATA BITLENGTH:10}{DATA LIST-3:#"));
}

void TstDataListFile::failedCreateIsReported()
{
    const QString file = path("missing-dir/list.dm_iqd");
    const ListResult r = DataListFiles::writeBinary(file, "1", 1, DataListHeader("x", stamp, 1));
    QVERIFY(!r.ok);
    QCOMPARE(r.message, QStringLiteral("Unable to create and open data list file 'list.dm_iqd'!"));
    const ListResult a = DataListFiles::writeAscii(path("missing-dir/list.dm_iqda"), "1", 1);
    QCOMPARE(a.message, QStringLiteral("Unable to create and open data list file (ASCII) 'list.dm_iqda'!"));
    QVERIFY(!QFile::exists(file));
}

void TstDataListFile::failedWriteKeepsThePreviousFile()
{
    QVERIFY(QDir(m_dir.path()).mkpath("keep"));
    const QString file = path("keep/keep.dm_iqd");
    QVERIFY(writeFile(file, "previous contents"));
    const QByteArray bits(200000, '1');

    const QByteArray asciiBits(10000, '0');
    ListResult binary, ascii;
    {
        const FileSizeLimit limit(4096);
        QVERIFY(limit.isActive());
        binary =
            DataListFiles::writeBinary(file, bits.constData(), bits.size(), DataListHeader("x", stamp, 1));
        ascii = DataListFiles::writeAscii(file, asciiBits.constData(), asciiBits.size());
    }

    QVERIFY(!binary.ok);
    QCOMPARE(binary.message, QStringLiteral("Unable to write data list file 'keep.dm_iqd'!"));
    QVERIFY(!ascii.ok);
    QCOMPARE(ascii.message, QStringLiteral("Unable to write data list file (ASCII) 'keep.dm_iqd'!"));
    QCOMPARE(readAll(file), QByteArray("previous contents"));
    QCOMPARE(QDir(path("keep")).entryList(QDir::Files), QStringList{"keep.dm_iqd"});
}

void TstDataListFile::roundTripRandomLists()
{
    QRandomGenerator rng(20240611);
    QList<int> lengths{1, 2, 7, 8, 9, 15, 16, 17, 1249, 1250, 10000, 10001};
    for (int i = 0; i < 40; ++i)
        lengths.append(1 + int(rng.bounded(70000)));
    for (int length : lengths) {
        const QByteArray bits = randomBits(rng, length);
        const QString file = path(QStringLiteral("rt%1.dm_iqd").arg(length));
        QVERIFY(DataListFiles::writeBinary(file, bits.constData(), length,
                                           DataListHeader("random", stamp, length)));
        DataList list;
        const ListResult r = list.applyDataListFile(file, false);
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(r.newBits, qint64(length));
        QCOMPARE(list.bits(), bits);
    }
}

void TstDataListFile::roundTripLargeListWithProgress()
{
    QRandomGenerator rng(7);
    const int length = 1000003;
    const QByteArray bits = randomBits(rng, length);
    const QString file = path("large.dm_iqd");
    qint64 lastWrite = 0;
    QVERIFY(DataListFiles::writeBinary(file, bits.constData(), length, DataListHeader("big", stamp, length),
                                       [&lastWrite](qint64 done) {
                                           QVERIFY(done > lastWrite);
                                           QVERIFY(done - lastWrite <= ProgressStepBits);
                                           lastWrite = done;
                                       }));
    QCOMPARE(lastWrite, qint64(length));

    DataList list;
    QVERIFY(list.applyPattern("01", 5, false));
    qint64 lastRead = 0;
    QVERIFY(list.applyDataListFile(file, true, [&lastRead](qint64 done) {
        QVERIFY(done - lastRead <= ProgressStepBits);
        lastRead = done;
    }));
    QCOMPARE(lastRead, qint64(length));
    QCOMPARE(list.bits(), QByteArray("01010") + bits);
}

void TstDataListFile::streamBitsMatchesReadBits()
{
    QRandomGenerator rng(11);
    const QByteArray bits = randomBits(rng, 600001);
    const QString file = path("stream.dm_iqd");
    QVERIFY(DataListFiles::writeBinary(file, bits.constData(), bits.size(), DataListHeader("s", stamp, 0)));
    DataListFileReader reader;
    QVERIFY(reader.open(file));
    QByteArray streamed;
    QVERIFY(reader.streamBits([&streamed](const char *p, qint64 n) {
        streamed.append(p, int(n));
        return true;
    }));
    QCOMPARE(streamed, bits);
}

void TstDataListFile::commentWithClosingBraceIsCut()
{
    const QString file = path("brace.dm_iqd");
    QVERIFY(DataListFiles::writeBinary(file, "110", 3, DataListHeader("a}b", stamp, 3)));
    DataListFileReader reader;
    QVERIFY(reader.open(file));
    QCOMPARE(reader.info().comment, QStringLiteral("a"));
    QCOMPARE(reader.bitCount(), qint64(3));
    QByteArray bits(3, '?');
    QVERIFY(reader.readBits(bits.data()));
    QCOMPARE(bits, QByteArray("110"));
}

void TstDataListFile::commentWithHashOrTagNamesReadsBack()
{
    // Comments are free text; none of them may change the bits that come back.
    const QStringList comments{"#1 best", "DATA BITLENGTH:5", "{DATA BITLENGTH:9}", "TYPE GKR-CL", "a:b:c"};
    QRandomGenerator rng(3);
    for (const QString &comment : comments) {
        const QByteArray bits = randomBits(rng, 77);
        const QString file = path("comment.dm_iqd");
        QVERIFY(DataListFiles::writeBinary(file, bits.constData(), bits.size(),
                                           DataListHeader(comment, stamp, 77)));
        DataList list;
        const ListResult r = list.applyDataListFile(file, false);
        QVERIFY2(r.ok, qPrintable(comment + ": " + r.message));
        QCOMPARE(list.bits(), bits);
    }
}

void TstDataListFile::longCommentsAreCutToFit_data()
{
    QTest::addColumn<QString>("comment");
    QTest::addColumn<qint64>("bitCount");
    QTest::newRow("one character too many") << QString(287, QLatin1Char('c')) << qint64(10);
    QTest::newRow("long, long list") << QString(2000, 'c') << qint64(250000000);
    QTest::newRow("four-byte characters")
        << QString(300, 'e').replace('e', QStringLiteral("\U0001F4E1")) << qint64(17);
    QTest::newRow("file name with #")
        << QStringLiteral("16QAM, Data list file: #%1").arg(QString(300, QLatin1Char('n'))) << qint64(9);
}

void TstDataListFile::longCommentsAreCutToFit()
{
    QFETCH(QString, comment);
    QFETCH(qint64, bitCount);
    const DataListHeader header(comment, stamp, bitCount);
    QCOMPARE(header.text().toUcs4().size(), DataListFiles::MaxHeaderChars);
    if (bitCount > 100000)
        return; // the header is the point; such a list is written elsewhere

    QRandomGenerator rng(7);
    const QByteArray bits = randomBits(rng, int(bitCount));
    const QString file = path("long.dm_iqd");
    QVERIFY(DataListFiles::writeBinary(file, bits.constData(), bits.size(), header));
    DataListFileReader reader;
    const ListResult opened = reader.open(file);
    QVERIFY2(opened.ok, qPrintable(opened.message));
    QVERIFY(comment.startsWith(reader.info().comment));
    QByteArray read(bits.size(), '?');
    QVERIFY(reader.readBits(read.data()));
    QCOMPARE(read, bits);
}

void TstDataListFile::nonAsciiCommentIsSkippedByBytes()
{
    const QString comment = QStringLiteral("Gr\u00f6\u00dfe 45\u00b0 \u65e5\u672c \U0001F4E1");
    const QByteArray bits("1011001110001");
    const QString file = path("utf8.dm_iqd");
    QVERIFY(
        DataListFiles::writeBinary(file, bits.constData(), bits.size(), DataListHeader(comment, stamp, 0)));
    DataListFileReader reader;
    QVERIFY(reader.open(file));
    QCOMPARE(reader.info().comment, comment);
    QCOMPARE(reader.info().headerBytes, qint64(readAll(file).indexOf('#') + 1));
    QByteArray read(bits.size(), '?');
    QVERIFY(reader.readBits(read.data()));
    QCOMPARE(read, bits);
}

void TstDataListFile::headerSearchStopsAt400Characters()
{
    const QByteArray start("{TYPE:GKR-DL}{COMMENT:");
    const QByteArray end("}{DATA BITLENGTH:8}{DATA LIST-2:#");
    // The "#" as character 400 is still found; as character 401 it is not.
    const QByteArray fits = start + QByteArray(400 - start.size() - end.size(), 'c') + end;
    QCOMPARE(fits.size(), 400);
    DataListFileReader reader;
    QVERIFY(reader.openBytes(handMadeFile(fits, "\x5A"), "fits.dm_iqd"));

    const QByteArray tooLong = start + QByteArray(401 - start.size() - end.size(), 'c') + end;
    ListResult r = reader.openBytes(handMadeFile(tooLong, "\x5A"), "long.dm_iqd");
    QVERIFY(!r.ok);
    QCOMPARE(r.message,
             QStringLiteral("Header of selected data list file 'long.dm_iqd' could not be determined!"));

    // Counted in characters: 300 two-byte characters are 600 bytes but only 300 characters.
    const QByteArray wide = start + QString(300, QChar(0x00e9)).toUtf8() + end;
    QVERIFY(reader.openBytes(handMadeFile(wide, "\x5A"), "wide.dm_iqd"));

    r = reader.openBytes(QByteArray(5000, 'x'), "nohash.dm_iqd");
    QCOMPARE(r.message,
             QStringLiteral("Header of selected data list file 'nohash.dm_iqd' could not be determined!"));
    r = reader.openBytes(QByteArray(), "empty.dm_iqd");
    QCOMPARE(r.message,
             QStringLiteral("Header of selected data list file 'empty.dm_iqd' could not be determined!"));
}

void TstDataListFile::wrongTypeIsRefused()
{
    DataListFileReader reader;
    ListResult r =
        reader.openBytes(handMadeFile("{TYPE:GKR-CL}{DATA BITLENGTH:8}{DATA LIST-2:#", "A"), "ctl.dm_iqd");
    QVERIFY(!r.ok);
    QCOMPARE(r.message, QStringLiteral("Data list file 'ctl.dm_iqd' has wrong type tag 'GKR-CL'!"));
    r = reader.openBytes(handMadeFile("{COMMENT:x}{DATA BITLENGTH:8}{DATA LIST-2:#", "A"), "none.dm_iqd");
    QCOMPARE(r.message, QStringLiteral("Data list file 'none.dm_iqd' has wrong type tag ''!"));
}

void TstDataListFile::badBitLengthIsRefused_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("data");
    const QByteArray type("{TYPE:GKR-DL}");
    QTest::newRow("absurd") << type + "{DATA BITLENGTH:999999999999}{DATA LIST-2:#" << QByteArray("A");
    QTest::newRow("just above limit") << type + "{DATA BITLENGTH:250000001}{DATA LIST-2:#" << QByteArray("A");
    QTest::newRow("overflowing") << type + "{DATA BITLENGTH:99999999999999999999999}{DATA LIST-2:#"
                                 << QByteArray("A");
    QTest::newRow("negative") << type + "{DATA BITLENGTH:-8}{DATA LIST-2:#" << QByteArray("A");
    QTest::newRow("zero") << type + "{DATA BITLENGTH:0}{DATA LIST-1:#" << QByteArray();
    QTest::newRow("text") << type + "{DATA BITLENGTH:eight}{DATA LIST-2:#" << QByteArray("A");
    QTest::newRow("missing") << type + "{DATA LIST-2:#" << QByteArray("A");
    QTest::newRow("empty") << type + "{DATA BITLENGTH:}{DATA LIST-2:#" << QByteArray("A");
}

void TstDataListFile::badBitLengthIsRefused()
{
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, data);
    DataListFileReader reader;
    const ListResult r = reader.openBytes(handMadeFile(header, data), "bad.dm_iqd");
    QVERIFY(!r.ok);
    QCOMPARE(
        r.message,
        QStringLiteral("Amount of data bits in data list file 'bad.dm_iqd' is outside the specified range!"));
}

void TstDataListFile::truncatedDataIsRefusedAndListKept()
{
    QRandomGenerator rng(5);
    const QByteArray bits = randomBits(rng, 1001);
    const QString file = path("cut.dm_iqd");
    QVERIFY(DataListFiles::writeBinary(file, bits.constData(), bits.size(), DataListHeader("c", stamp, 0)));
    QByteArray contents = readAll(file);

    // Without the final "}" the data is complete and still accepted.
    QVERIFY(writeFile(file, contents.left(contents.size() - 1)));
    DataList list;
    QVERIFY(list.applyDataListFile(file, false));
    QCOMPARE(list.bits(), bits);

    // One data byte short: refused, and neither a replacing nor an appending import touches the list.
    QVERIFY(writeFile(file, contents.left(contents.size() - 2)));
    for (bool append : {false, true}) {
        const ListResult r = list.applyDataListFile(file, append);
        QVERIFY(!r.ok);
        QCOMPARE(r.message,
                 QStringLiteral(
                     "Amount of data bits in data list file 'cut.dm_iqd' is outside the specified range!"));
        QCOMPARE(list.bits(), bits);
    }
}

void TstDataListFile::missingFileIsRefused()
{
    DataList list;
    const ListResult r = list.applyDataListFile(path("nothere.dm_iqd"), false);
    QCOMPARE(r.message, QStringLiteral("Unable to open data list file 'nothere.dm_iqd'!"));
    QCOMPARE(list.applyDataListFile(m_dir.path(), false).ok, false);
    QVERIFY(list.isEmpty());
}

void TstDataListFile::tagLookup()
{
    const QString header("{TYPE:GKR-DL}{COMMENT:}{DATE:d;t}{DATA LIST-12");
    bool found = false;
    QCOMPARE(DataListFiles::tagContent(header, "TYPE", &found), QStringLiteral("GKR-DL"));
    QVERIFY(found);
    QCOMPARE(DataListFiles::tagContent(header, "COMMENT", &found), QString());
    QVERIFY(found);
    QCOMPARE(DataListFiles::tagContent(header, "DATA LIST", &found), QStringLiteral("12"));
    QCOMPARE(DataListFiles::tagContent(header, "COPYRIGHT", &found), QString());
    QVERIFY(!found);
    // Case-sensitive, and found anywhere, a comment included.
    QCOMPARE(DataListFiles::tagContent(header, "type", &found), QString());
    QVERIFY(!found);
    QCOMPARE(DataListFiles::tagContent("{COMMENT:TYPE:X}{TYPE:Y}", "TYPE"), QStringLiteral("X"));
    QCOMPARE(DataListFiles::tagContent("{COMMENT:TYPE:X}{TYPE:Y}", "TYPE", nullptr, true),
             QStringLiteral("Y"));
    QCOMPARE(DataListFiles::tagContent("{TYPE", "TYPE", &found), QString());
    QVERIFY(found);
}

QTEST_GUILESS_MAIN(TstDataListFile)
#include "tst_datalistfile.moc"
