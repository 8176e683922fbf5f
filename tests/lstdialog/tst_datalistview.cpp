#include "lists/datalistview.h"

#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

// The cell texts of each view and the way a table is filled from its window (the window
// arithmetic shows through the dialog in tst_dlglstmanage).
class TestDataListView : public QObject
{
    Q_OBJECT
private slots:
    void cellTextInEachView_data()
    {
        QTest::addColumn<QByteArray>("bits");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("text");
        QTest::newRow("symbol") << QByteArray("0110") << 1 << QStringLiteral("0110");
        QTest::newRow("byte bin") << QByteArray("10100101") << 2 << QStringLiteral("10100101");
        QTest::newRow("hex small") << QByteArray("00001111") << 3 << QStringLiteral("0x0f");
        QTest::newRow("hex large") << QByteArray("10100101") << 3 << QStringLiteral("0xa5");
        QTest::newRow("hex partial") << QByteArray("1010") << 3 << QStringLiteral("0xa0");
        QTest::newRow("hex zero") << QByteArray("00000000") << 3 << QStringLiteral("0x00");
    }

    void cellTextInEachView()
    {
        QFETCH(QByteArray, bits);
        QFETCH(int, mode);
        QTEST(DataListTableLayout::cellText(bits.constData(), bits.size(), DataListViewMode(mode)), "text");
    }

    void filledTableMatchesTheBits()
    {
        QByteArray bits;
        for (int i = 0; i < 70; ++i)
            bits.append((i * 7 + i / 3) % 2 ? '1' : '0');
        const DataListTableLayout layout(bits.size(), DataListViewMode::BytesBinary, 3, 3, 1);
        QTableWidget table;
        int rowsReported = 0;
        fillDataListTable(table, bits, layout, [&] { ++rowsReported; });

        QCOMPARE(table.columnCount(), 7);
        QCOMPARE(table.rowCount(), layout.rows());
        QCOMPARE(rowsReported, layout.rows());
        QCOMPARE(table.horizontalHeaderItem(0)->text(), QStringLiteral("  B  "));
        QCOMPARE(table.horizontalHeaderItem(6)->text(), QStringLiteral("B+5"));
        // Offset 1 byte: 62 bits remain, 7 full bytes and 6 leftover bits.
        QCOMPARE(table.item(0, 0)->text(), QStringLiteral("1"));
        QCOMPARE(table.item(1, 0)->text(), QStringLiteral("7"));
        for (int cell = 0; cell < layout.shownCells(); ++cell) {
            const int row = cell / 6;
            const int column = cell % 6 + 1;
            const QByteArray expected = bits.mid(8 + cell * 8, layout.widthOf(cell));
            QCOMPARE(table.item(row, column)->text(), QString::fromLatin1(expected));
            QVERIFY(table.item(row, column)->flags() & Qt::ItemIsEditable);
        }
        QCOMPARE(table.item(1, 2)->text().size(), 6);
        QVERIFY(!(table.item(0, 0)->flags() & Qt::ItemIsEditable));
        QVERIFY(!(table.item(1, 3)->flags() & Qt::ItemIsEditable));
        QVERIFY(table.item(1, 3)->text().isEmpty());
    }

    void wideSymbolsAreShownWhole()
    {
        // USER modulation counts 2 bits per symbol (7 columns) while the user may set 15.
        const QByteArray bits(500, '1');
        QTableWidget table;
        table.resize(480, 300);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        fillDataListTable(table, bits, DataListTableLayout(bits.size(), DataListViewMode::Symbols, 15, 2, 0));
        QCoreApplication::processEvents();
        for (int column = 1; column < table.columnCount(); ++column)
            QVERIFY2(table.columnWidth(column) >
                         table.fontMetrics().horizontalAdvance(table.item(0, column)->text()),
                     qPrintable(QString::number(table.columnWidth(column))));
        QVERIFY(table.horizontalScrollBar()->maximum() > 0);

        // Narrow cells still share the whole width.
        fillDataListTable(table, bits, DataListTableLayout(bits.size(), DataListViewMode::Symbols, 1, 1, 0));
        QCoreApplication::processEvents();
        QCOMPARE(table.horizontalScrollBar()->maximum(), 0);
        QVERIFY(table.columnWidth(1) > 3 * table.fontMetrics().horizontalAdvance(QStringLiteral("0")));
    }
};

QTEST_MAIN(TestDataListView)
#include "tst_datalistview.moc"
