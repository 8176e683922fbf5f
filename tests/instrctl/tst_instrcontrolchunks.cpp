// The block of a file transfer as the VISA library sees it: write by write, with the END flag
// each write carried. A scripted VISA library records both, which no network peer could.

#include "testinstrcontrol.h"

#include <QLibrary>
#include <QTemporaryDir>
#include <QtTest>

class TestInstrControlChunks : public QObject
{
    Q_OBJECT

    QLibrary m_lib;
    QTemporaryDir m_dir;
    void (*m_reset)() = nullptr;
    int (*m_writeCount)() = nullptr;
    int (*m_writeSize)(int) = nullptr;
    const char *(*m_write)(int) = nullptr;
    int (*m_writeEnd)(int) = nullptr;

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
        for (int i = 0; i < m_writeCount(); ++i) {
            const QByteArray text(m_write(i), m_writeSize(i));
            bolInBlock = bolInBlock || text.startsWith(":MMEM:DATA");
            if (bolInBlock)
                writes.append({m_writeSize(i), m_writeEnd(i), text});
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
        m_lib.setFileName(qEnvironmentVariable("LISTFORGE_VISA_LIBRARY"));
        QVERIFY2(m_lib.load(), qPrintable(m_lib.errorString()));
        m_reset = reinterpret_cast<void (*)()>(m_lib.resolve("fakeVisaReset"));
        m_writeCount = reinterpret_cast<int (*)()>(m_lib.resolve("fakeVisaWriteCount"));
        m_writeSize = reinterpret_cast<int (*)(int)>(m_lib.resolve("fakeVisaWriteSize"));
        m_write = reinterpret_cast<const char *(*)(int)>(m_lib.resolve("fakeVisaWrite"));
        m_writeEnd = reinterpret_cast<int (*)(int)>(m_lib.resolve("fakeVisaWriteEnd"));
        QVERIFY(m_reset && m_writeCount && m_writeSize && m_write && m_writeEnd);
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
        m_reset();
        // A GPIB resource: the scripted library plays the instrument without any network.
        TestInstrControl instr(QStringLiteral("GPIB0::20::INSTR"), TestInstrControl::DriveLayout);
        QVERIFY(instr.isSessionOpen());
        localFile(QStringLiteral("f.dm_iqd"), fileSize);
        QVERIFY(instr.uploadDataList(m_dir.path() + QLatin1Char('/'), QStringLiteral("f.dm_iqd")));

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
