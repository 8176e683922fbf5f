#include "lists/datalistview.h"

#include <QHeaderView>
#include <QStyle>
#include <QTableWidget>

#include <algorithm>

DataListTableLayout::DataListTableLayout(qint64 listLength, DataListViewMode mode, int symbolWidth,
                                         int typeBitsPerSymbol, qint64 cellOffset)
    : m_mode(mode), m_cellWidth(cellWidthFor(mode, symbolWidth)),
      m_columns(columnsFor(mode, typeBitsPerSymbol)), m_cellOffset(std::max<qint64>(0, cellOffset))
{
    const qint64 remaining = listLength - m_cellOffset * m_cellWidth;
    m_shownBits = int(std::clamp<qint64>(remaining, 0, MaxShownBits));
    m_fullCells = m_shownBits / m_cellWidth;
    m_leftoverBits = m_shownBits - m_fullCells * m_cellWidth;
    const int bitsPerRow = m_columns * m_cellWidth;
    m_rows = (m_shownBits + bitsPerRow - 1) / bitsPerRow;
}

int DataListTableLayout::cellWidthFor(DataListViewMode mode, int symbolWidth)
{
    if (mode != DataListViewMode::Symbols)
        return 8;
    return std::max(1, symbolWidth);
}

int DataListTableLayout::columnsFor(DataListViewMode mode, int typeBitsPerSymbol)
{
    if (mode != DataListViewMode::Symbols)
        return 6;
    // Wide symbols get fewer columns so that every cell stays readable.
    if (typeBitsPerSymbol <= 7)
        return 7;
    if (typeBitsPerSymbol == 8)
        return 6;
    return 5;
}

qint64 DataListTableLayout::offsetMaximum(qint64 listLength, DataListViewMode mode, int symbolWidth)
{
    const int width = cellWidthFor(mode, symbolWidth);
    return listLength > width ? listLength / width - 1 : 0;
}

QStringList DataListTableLayout::headerLabels() const
{
    const QString letter = m_mode == DataListViewMode::Symbols ? QStringLiteral("S") : QStringLiteral("B");
    QStringList labels;
    labels << QStringLiteral("  %1  ").arg(letter);
    for (int j = 1; j <= m_columns; ++j)
        labels << QStringLiteral("%1+%2").arg(letter).arg(j - 1);
    return labels;
}

int DataListTableLayout::shownCellAt(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 1 || column > m_columns)
        return -1;
    const int cell = row * m_columns + column - 1;
    return cell < shownCells() ? cell : -1;
}

int DataListTableLayout::widthOf(int shownCell) const
{
    return shownCell < m_fullCells ? m_cellWidth : m_leftoverBits;
}

QString DataListTableLayout::cellText(const char *bits, int count, DataListViewMode mode)
{
    if (mode != DataListViewMode::BytesHex)
        return QString::fromLatin1(bits, count);
    int value = 0;
    for (int i = 0; i < 8; ++i)
        value = (value << 1) | (i < count && bits[i] == '1' ? 1 : 0);
    return QStringLiteral("0x%1").arg(value, 2, 16, QLatin1Char('0'));
}

void fillDataListTable(QTableWidget &table, const QByteArray &bits, const DataListTableLayout &layout,
                       const std::function<void()> &afterRow)
{
    table.clear();
    table.setColumnCount(layout.cellColumns() + 1);
    table.setRowCount(layout.rows());
    table.setHorizontalHeaderLabels(layout.headerLabels());
    // The bit cells share the width, but none gets narrower than its widest text: wide symbols
    // (up to 15 bits) then need more room than the table has and it scrolls sideways instead of
    // cutting every cell at both ends. The row index needs little room.
    QHeaderView *header = table.horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Stretch);
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    table.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    const QString widest = layout.mode() == DataListViewMode::BytesHex
                               ? QStringLiteral("0x00")
                               : QString(layout.cellWidth(), QLatin1Char('0'));
    const int padding = 2 * table.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &table) + 12;
    header->setMinimumSectionSize(
        std::max(table.fontMetrics().horizontalAdvance(widest),
                 header->fontMetrics().horizontalAdvance(layout.headerLabels().constLast())) +
        padding);
    table.verticalHeader()->setVisible(false);
    table.verticalHeader()->setDefaultSectionSize(table.fontMetrics().height() + 6);

    const Qt::ItemFlags readOnly = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const Qt::ItemFlags cellFlags = layout.isEditable() ? readOnly | Qt::ItemIsEditable : readOnly;
    for (int row = 0; row < layout.rows(); ++row) {
        auto *label = new QTableWidgetItem(QString::number(layout.rowLabel(row)));
        label->setFlags(Qt::ItemIsEnabled);
        label->setTextAlignment(Qt::AlignCenter);
        table.setItem(row, 0, label);
        for (int column = 1; column <= layout.cellColumns(); ++column) {
            const int cell = layout.shownCellAt(row, column);
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            if (cell < 0) {
                // Cells past the end of the list stay empty and cannot be typed into.
                item->setFlags(Qt::NoItemFlags);
            } else {
                const qint64 first = layout.firstBitOf(cell);
                item->setText(DataListTableLayout::cellText(bits.constData() + first, layout.widthOf(cell),
                                                            layout.mode()));
                item->setFlags(cellFlags);
            }
            table.setItem(row, column, item);
        }
        if (afterRow)
            afterRow();
    }
}
