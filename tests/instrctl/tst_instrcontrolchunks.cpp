// The block of a file transfer as the VISA library sees it: write by write, with the END flag
// each write carried. A scripted VISA library records both, which no network peer could.

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
            const QByteArray text(m_fake.write(i), m_fake.writeSize(i));
            bolInBlock = bolInBlock || text.startsWith(":MMEM:DATA");
            if (bolInBlock)
                writes.append({m_fake.writeSize(i), m_fake.writeEnd(i), text});
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
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QList<int>>("chunks");
        QTest::newRow("1500 bytes") << 1500 << QByteArray(":MMEM:DATA 'D:\\DataLists\\f.dm_iqd',#41500")
                                    << QList<int>{1024, 476};
        QTest::newRow("9 bytes") << 9 << QByteArray(":MMEM:DATA 'D:\\DataLists\\f.dm_iqd',#19")
                                 << QList<int>{9};
        QTest::newRow("1024 bytes") << 1024 << QByteArray(":MMEM:DATA 'D:\\DataLists\\f.dm_iqd',#41024")
                                    << QList<int>{1024};
        QTest::newRow("1025 bytes") << 1025 << QByteArray(":MMEM:DATA 'D:\\DataLists\\f.dm_iqd',#41025")
                                    << QList<int>{1024, 1};
    }

    void endGoesOnlyWithTheLastChunk()
    {
        QFETCH(int, fileSize);
        QFETCH(QByteArray, header);
        QFETCH(QList<int>, chunks);
        m_fake.reset();
        // A GPIB resource: the scripted library plays the instrument without any network.
        TestInstrControl instr("GPIB0::20::INSTR", TestInstrControl::DriveLayout);
        QVERIFY(instr.isSessionOpen());
        localFile("f.dm_iqd", fileSize);
        QVERIFY(instr.uploadDataList(m_dir.path() + QLatin1Char('/'), "f.dm_iqd"));

        const QList<Write> writes = blockWrites();
        QVERIFY2(writes.size() > chunks.size(), "no block was sent");
        QCOMPARE(writes.at(0).text, header);
        QCOMPARE(writes.at(0).end, 0);
        for (int i = 0; i < chunks.size(); ++i) {
            const Write &write = writes.at(i + 1);
            QCOMPARE(write.size, chunks.at(i));
            QCOMPARE(write.text, QByteArray(chunks.at(i), 'z'));
            // END only on the very last chunk, so the instrument never ends the block early.
            QCOMPARE(write.end, i + 1 == chunks.size() ? 1 : 0);
        }
    }
};

QTEST_MAIN(TestInstrControlChunks)
#include "tst_instrcontrolchunks.moc"
