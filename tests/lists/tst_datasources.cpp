#include "lists/datafiledecoders.h"
#include "lists/datalist.h"
#include "lists/datasources.h"
#include "tests/lists/listfiles.h"

#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

namespace {

QByteArray decoded(DataFileFormat format, const QByteArray &input, ListResult *result = nullptr)
{
    QByteArray bits("untouched");
    const ListResult r = DataFileDecoders::decodeBytes(format, input, "in.txt", bits);
    if (result)
        *result = r;
    return r.ok ? bits : QByteArray("refused");
}

// Element i of a pattern fill, written the slow obvious way.
QByteArray repeated(const QByteArray &pattern, int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out.append(pattern.at(i % pattern.size()));
    return out;
}

} // namespace

class TstDataSources : public QObject
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    // The comments of the other sources are checked through listforge-cli (tst_listforgecli) and
    // the dialog (tst_dlglstmanage).
    void automaticComments()
    {
        using DataSources::automaticComment;
        QCOMPARE(automaticComment("Binary-file Hex", "ASK", 8, 8, ""),
                 QStringLiteral("ASK, 8 symbols, 8 bits"));
        // Placeholders in user text are not substituted again.
        QCOMPARE(automaticComment("Pattern", "%1", 1, 2, "%2"),
                 QStringLiteral("%1, 1 symbols, 2 bits, Pattern: %2"));
    }

    void patternFillRepeatsThePattern_data()
    {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("withProgress");
        for (const QByteArray &pattern :
             {QByteArray("1"), QByteArray("10"), QByteArray("1100101"), QByteArray(20001, '1') + "0"}) {
            for (int count : {1, 5, 9999, 10000, 10001, 65537, 250001}) {
                QTest::addRow("len %d, %d bits", int(pattern.size()), count) << pattern << count << false;
                QTest::addRow("len %d, %d bits, progress", int(pattern.size()), count)
                    << pattern << count << true;
            }
        }
    }

    void patternFillRepeatsThePattern()
    {
        QFETCH(QByteArray, pattern);
        QFETCH(int, count);
        QFETCH(bool, withProgress);
        QByteArray out(count + 1, '#');
        qint64 last = 0;
        ProgressFn progress;
        if (withProgress) {
            progress = [&last](qint64 done) {
                QVERIFY(done >= last);
                QVERIFY(done - last <= ProgressStepBits);
                last = done;
            };
        }
        DataSources::fillPattern(out.data(), count, pattern, progress);
        QCOMPARE(out.left(count), repeated(pattern, count));
        QCOMPARE(out.at(count), '#'); // nothing written past the end
        if (withProgress)
            QCOMPARE(last, qint64(count));
    }

    void decoders_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("bits");
        const int hex = int(DataFileFormat::AsciiHex), bin = int(DataFileFormat::Binary),
                  ascii = int(DataFileFormat::AsciiBits);
        // U+0130 is 0x30 0x01 in UTF-16LE: read byte-wise it would turn into a stray "0".
        const QByteArray utf16 =
            QByteArray("\xff\xfe", 2) +
            QTextCodec::codecForName("UTF-16LE")->fromUnicode(QStringLiteral("10\u0130 F"));
        QTest::newRow("hex") << hex << QByteArray("0F a") << QByteArray("000011111010");
        QTest::newRow("hex, x and g skipped") << hex << QByteArray("0x1g9\n") << QByteArray("000000011001");
        QTest::newRow("binary") << bin << QByteArray("\x80\x01", 2) << QByteArray("1000000000000001");
        QTest::newRow("binary zero") << bin << QByteArray(1, '\0') << QByteArray("00000000");
        QTest::newRow("bits among others") << ascii
                                           << QByteArray("1 0\r\n2x1\xc3\xa9"
                                                         "0")
                                           << QByteArray("1010");
        QTest::newRow("utf-16 bits") << ascii << utf16 << QByteArray("10");
        QTest::newRow("utf-16 hex") << hex << utf16 << QByteArray("000100001111");
        QTest::newRow("empty bits") << ascii << QByteArray() << QByteArray("refused");
        QTest::newRow("bitless hex") << hex << QByteArray("xyz") << QByteArray("refused");
        QTest::newRow("empty binary") << bin << QByteArray() << QByteArray("refused");
    }

    void decoders()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, input);
        ListResult r;
        QTEST(decoded(DataFileFormat(format), input, &r), "bits");
        if (!r.ok) {
            QCOMPARE(
                r.message,
                QStringLiteral("Amount of data bits in data file 'in.txt' is outside the specified range!"));
            QCOMPARE(r.traceMessage,
                     QStringLiteral(
                         "Amount of data bits in the data file 'in.txt' is outside the specified range!"));
        }
    }

    void oversizedFilesAreRefusedEarly()
    {
        // A binary file beyond 31,250,000 bytes is refused from its size; it is sparse, so this
        // costs no disk space, and it is never read.
        const QString big = path("big.bin");
        QVERIFY(writeFile(big, QByteArray()) && QFile::resize(big, 31250001));
        QByteArray bits;
        ListResult r = DataFileDecoders::decodeFile(DataFileFormat::Binary, big, bits);
        QCOMPARE(
            r.message,
            QStringLiteral("Amount of data bits in data file 'big.bin' is outside the specified range!"));
        QVERIFY(bits.isEmpty());

        // Exactly at the limit is accepted.
        QVERIFY(QFile::resize(big, 31250000));
        r = DataFileDecoders::decodeFile(DataFileFormat::Binary, big, bits);
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(bits.size(), 250000000);
        QCOMPARE(r.newBits, qint64(250000000));
        bits = QByteArray();

        // Hex text with one digit too many: the decode stops at the limit.
        QByteArray hex(62500001, 'f');
        r = DataFileDecoders::decodeBytes(DataFileFormat::AsciiHex, hex, "big.txt", bits);
        QCOMPARE(
            r.message,
            QStringLiteral("Amount of data bits in data file 'big.txt' is outside the specified range!"));
        QVERIFY(bits.isEmpty());
    }

    // A pattern without any bit adds nothing; the range check comes first, even for it.
    void sourcesReplaceOrAppend()
    {
        DataList list;
        QVERIFY(list.applyPrbs(9, 1022, false));
        QCOMPARE(list.applyPrbs(11, 100, true).newBits, qint64(100));
        QVERIFY(list.applyPattern("1, 0, x, \u00b9, 1, ,0", 10, true));
        QVERIFY(list.applySequence("111000...", 8, true));
        const ListResult r = list.applyPattern("xyz", 10, true);
        QVERIFY(r.ok);
        QCOMPARE(r.newBits, qint64(0));
        QVERIFY(!list.applyPattern("xyz", 0, false).ok);
        QCOMPARE(list.bits(), prbs(9, 1022) + prbs(11, 100) + "1010101010" + "11100011");
        QVERIFY(list.applySequence("0...", 3, false));
        QCOMPARE(list.bits(), QByteArray("000"));
    }

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TstDataSources)
#include "tst_datasources.moc"
