// The block of a file transfer as the VISA library sees it: write by write, with the END flag
// each write carried. A scripted VISA library records both, which no network peer could. It also
// answers the event status polls of the OPC loop with replies no simulator sends.

#include "fakevisactl.h"
#include "testinstrcontrol.h"

#include <QTemporaryDir>
#include <QtTest>

class TestInstrControlChunks : public QObject
{
    Q_OBJECT

    FakeVisaControl m_fake;
    QTemporaryDir m_dir;

    struct Write
    {
        int size;
        int end;
        QByteArray text;
    };

    // The writes from the block header on.
    QList<Write> blockWrites()
    {
        QList<Write> writes;
        bool bolInBlock = false;
        for (int i = 0; i < m_fake.writeCount(); ++i) {
            const QByteArray text = m_fake.writeAt(i);
            bolInBlock = bolInBlock || text.startsWith(":MMEM:DATA");
            if (bolInBlock)
                writes.append({text.size(), m_fake.writeEnd(i), text});
        }
        return writes;
    }

    QString localFile(const QString &strName, int intSize)
    {
        QFile file(m_dir.filePath(strName));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(intSize, 'z'));
        return file.fileName();
    }

private slots:
    void initTestCase()
    {
        const QString strError = m_fake.load();
        QVERIFY2(strError.isEmpty(), qPrintable(strError));
    }

    void endGoesOnlyWithTheLastChunk_data()
    {
        QTest::addColumn<int>("fileSize");
        QTest::addColumn<QByteArray>("count"); // of the block header
        QTest::addColumn<QList<int>>("chunks");
        QTest::newRow("1500 bytes") << 1500 << QByteArray("#41500") << QList<int>{1024, 476};
        QTest::newRow("9 bytes") << 9 << QByteArray("#19") << QList<int>{9};
        QTest::newRow("1024 bytes") << 1024 << QByteArray("#41024") << QList<int>{1024};
        QTest::newRow("1025 bytes") << 1025 << QByteArray("#41025") << QList<int>{1024, 1};
    }

    void endGoesOnlyWithTheLastChunk()
    {
        QFETCH(int, fileSize);
        QFETCH(QByteArray, count);
        QFETCH(QList<int>, chunks);
        m_fake.reset();
        // A GPIB resource: the scripted library plays the instrument without any network.
        TestInstrControl instr("GPIB0::20::INSTR");
        QVERIFY(instr.isSessionOpen());
        localFile("f.dm_iqd", fileSize);
        // The folder lists the file at full size, as after the transfer; the overwrite question
        // this raises beforehand is answered Yes (the file is not in the by-extension catalog).
        m_fake.setReply(":MMEM:CAT? 'D:\\DataLists\\*.*'",
                        QByteArray("0,0,\"f.dm_iqd,BIN," + QByteArray::number(fileSize) + "\"").constData());
        ClsInstrControl::setConfirmHandler([](const QString &, const QString &) { return true; });
        QStringList progress;
        instr.setTransferProgressHandler([&progress](qint64 done, qint64 total) {
            progress << QStringLiteral("%1/%2").arg(done).arg(total);
        });
        QVERIFY(instr.uploadDataList(m_dir.path() + QLatin1Char('/'), "f.dm_iqd"));

        const QList<Write> writes = blockWrites();
        QVERIFY2(writes.size() > chunks.size(), "no block was sent");
        QCOMPARE(writes.at(0).text, ":MMEM:DATA 'D:\\DataLists\\f.dm_iqd'," + count);
        QCOMPARE(writes.at(0).end, 0);
        for (int i = 0; i < chunks.size(); ++i) {
            const Write &write = writes.at(i + 1);
            QCOMPARE(write.size, chunks.at(i));
            QCOMPARE(write.text, QByteArray(chunks.at(i), 'z'));
            // END only on the very last chunk, so the instrument never ends the block early.
            QCOMPARE(write.end, i + 1 == chunks.size() ? 1 : 0);
        }
        // The upload window hears of every chunk once it has gone out, with the whole size.
        QStringList expected;
        int done = 0;
        for (int chunk : chunks)
            expected << QStringLiteral("%1/%2").arg(done += chunk).arg(fileSize);
        QCOMPARE(progress, expected);
    }

    void opcLoopTakesOnlyPlainEventStatus_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<int>("polls");
        // Done at the first poll, or polled until the 5 ms limit, or refused at once.
        QTest::newRow("complete") << QByteArray("1") << 1 << true << 1;
        QTest::newRow("complete among other bits") << QByteArray("129") << 1 << true << 1;
        QTest::newRow("leading zeros, carriage return") << QByteArray("0033\r") << 1 << true << 1;
        QTest::newRow("busy") << QByteArray("254") << 1 << false << 5;
        // A zero interval still advances: one poll a millisecond, never an endless loop.
        QTest::newRow("busy, zero interval") << QByteArray("254") << 0 << false << 5;
        QTest::newRow("past one byte") << QByteArray("257") << 1 << false << 1;
        QTest::newRow("far past any width") << QByteArray("99999999999999999999") << 1 << false << 1;
        QTest::newRow("sign") << QByteArray("+1") << 1 << false << 1;
        QTest::newRow("negative") << QByteArray("-1") << 1 << false << 1;
        QTest::newRow("fraction") << QByteArray("1.0") << 1 << false << 1;
        QTest::newRow("text after the number") << QByteArray("1 ms") << 1 << false << 1;
        QTest::newRow("hexadecimal") << QByteArray("0x1") << 1 << false << 1;
        QTest::newRow("empty") << QByteArray("") << 1 << false << 1;
    }

    void opcLoopTakesOnlyPlainEventStatus()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, interval);
        m_fake.reset();
        m_fake.setReply("*ESR?", reply.constData());
        TestInstrControl instr("GPIB0::20::INSTR");
        QVERIFY(instr.isSessionOpen());
        QTEST(instr.sendWithOpcLoop("*RST", interval, 5), "complete");
        int intPolls = 0;
        for (const QByteArray &write : m_fake.writes())
            intPolls += write.trimmed() == "*ESR?";
        QTEST(intPolls, "polls");
    }
};

QTEST_MAIN(TestInstrControlChunks)
#include "tst_instrcontrolchunks.moc"
