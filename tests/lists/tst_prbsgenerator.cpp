#include "lists/prbsgenerator.h"

#include <QtTest>

#include <vector>

namespace {

// Feedback taps and output inversion as the generator documentation lists them, kept here
// independently of the generator's own table.
struct Expected
{
    int order;
    QList<int> taps;
    bool inverted;
};

const QList<Expected> &expectedTable()
{
    static const QList<Expected> table = {
        {9, {0, 4}, false},  {11, {0, 2}, false}, {15, {0, 1}, true}, {16, {0, 2, 3, 5}, false},
        {20, {0, 3}, false}, {21, {0, 2}, false}, {23, {0, 5}, true},
    };
    return table;
}

QByteArray generateFast(int order, qint64 count, const ProgressFn &progress = {})
{
    QByteArray out;
    if (!ClsPrbsGenerator().generate(out, order, count, progress))
        return QByteArray("failed");
    return out;
}

QByteArray generateSerial(int order, qint64 count)
{
    QByteArray out(int(count), '?');
    ClsPrbsGenerator::generateBitSerial(out.data(), order, count);
    return out;
}

// Undoes the output inversion so every order can be checked as a plain register sequence.
QByteArray registerBits(const Expected &e, const QByteArray &bits)
{
    if (!e.inverted)
        return bits;
    QByteArray plain = bits;
    for (char &c : plain)
        c = (c == '0') ? '1' : '0';
    return plain;
}

} // namespace

class TstPrbsGenerator : public QObject
{
    Q_OBJECT
private slots:
    void firstBits_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("PRBS9") << 9 << QByteArray("11111111100000111101111100010111");
        QTest::newRow("PRBS11") << 11 << QByteArray("11111111111000000000110000000111");
        QTest::newRow("PRBS15 inverted") << 15 << QByteArray("00000000000000011111111111111011");
        QTest::newRow("PRBS16") << 16 << QByteArray("11111111111111110000000000011011");
    }

    void firstBits()
    {
        QFETCH(int, order);
        QFETCH(QByteArray, expected);
        QCOMPARE(generateFast(order, 32), expected);
        QCOMPARE(generateSerial(order, 32), expected);
        // A count below one word and an odd count go through the partial-word path.
        QCOMPARE(generateFast(order, 7), expected.left(7));
    }

    void fastMatchesBitSerial_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<bool>("withProgress");
        for (const Expected &e : expectedTable()) {
            for (const qint64 count : {1, 63, 64, 65, 191, 193, 10000, 123457}) {
                QTest::addRow("PRBS%d/%lld", e.order, count) << e.order << count << false;
                QTest::addRow("PRBS%d/%lld/progress", e.order, count) << e.order << count << true;
            }
        }
    }

    void fastMatchesBitSerial()
    {
        QFETCH(int, order);
        QFETCH(qint64, count);
        QFETCH(bool, withProgress);
        // With progress the output is produced in 10,000-bit pieces that split words; without it in
        // one run. Both must give the register's sequence exactly.
        ProgressFn progress;
        if (withProgress)
            progress = [](qint64) {};
        QCOMPARE(generateFast(order, count, progress), generateSerial(order, count));
    }

    void eachOrder_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < expectedTable().size(); ++i)
            QTest::addRow("PRBS%d", expectedTable().at(i).order) << i;
    }

    void eachOrder()
    {
        QFETCH(int, index);
        const Expected &e = expectedTable().at(index);
        // The all-ones seed comes out first: `order` ones, or zeros where the output is inverted,
        // followed by the opposite value.
        const QByteArray seed = generateFast(e.order, e.order + 1);
        QCOMPARE(seed, QByteArray(e.order, e.inverted ? '0' : '1') + (e.inverted ? '1' : '0'));

        // A maximal-length register passes through each of the 2^n - 1 non-zero states exactly once
        // per period; the n-bit windows of the output are those states. So the sequence repeats
        // after 2^n - 1 bits and no earlier.
        const qint64 period = (qint64(1) << e.order) - 1;
        const QByteArray bits = registerBits(e, generateFast(e.order, period + e.order + 64));
        QCOMPARE(bits.size(), int(period + e.order + 64));

        std::vector<bool> seen(size_t(1) << e.order, false);
        const quint32 mask = (quint32(1) << e.order) - 1;
        quint32 window = 0;
        for (int i = 0; i < e.order - 1; ++i)
            window = (window << 1) | quint32(bits.at(i) - '0');
        for (qint64 k = 0; k < period; ++k) {
            window = ((window << 1) | quint32(bits.at(int(k + e.order - 1)) - '0')) & mask;
            QVERIFY2(window != 0, "all-zero state reached");
            QVERIFY2(!seen[window], qPrintable(QStringLiteral("state repeats at %1").arg(k)));
            seen[window] = true;
        }
        // ... and after exactly one period it starts over.
        QCOMPARE(bits.mid(int(period)), bits.left(e.order + 64));

        // s[k + n] = XOR over the taps of s[k + t], far past the start-up words of the fast path.
        const int count = 3000000;
        const QByteArray run = registerBits(e, generateFast(e.order, count, [](qint64) {}));
        for (int k = 0; k + e.order < count; ++k) {
            int feedback = 0;
            for (int t : e.taps)
                feedback ^= run.at(k + t) - '0';
            if (run.at(k + e.order) - '0' != feedback)
                QFAIL(qPrintable(QStringLiteral("recurrence broken at bit %1").arg(k + e.order)));
        }
    }

    void progressIsCalledAtEveryStep()
    {
        QList<qint64> calls;
        const QByteArray bits = generateFast(23, 35001, [&calls](qint64 done) { calls.append(done); });
        QCOMPARE(bits.size(), 35001);
        QCOMPARE(calls, (QList<qint64>{10000, 20000, 30000, 35001}));
    }

    void invalidArgumentsWriteNothing()
    {
        char buffer[4] = {'x', 'x', 'x', 'x'};
        ClsPrbsGenerator generator;
        QVERIFY(!generator.generate(buffer, 10, 4));
        QVERIFY(!generator.generate(buffer, 9, -1));
        QVERIFY(!ClsPrbsGenerator::generateBitSerial(buffer, 0, 4));
        QCOMPARE(QByteArray(buffer, 4), QByteArray("xxxx"));
        QVERIFY(generator.generate(buffer, 9, 0));
        QCOMPARE(QByteArray(buffer, 4), QByteArray("xxxx"));
    }
};

QTEST_APPLESS_MAIN(TstPrbsGenerator)
#include "tst_prbsgenerator.moc"
