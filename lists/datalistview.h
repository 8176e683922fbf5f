#ifndef LISTFORGE_LISTS_DATALISTVIEW_H
#define LISTFORGE_LISTS_DATALISTVIEW_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

class QTableWidget;

// How the data list table presents the bits. The numbers are the ones the dialog stores.
enum class DataListViewMode
{
    Symbols = 1,
    BytesBinary = 2,
    BytesHex = 3
};

// The window of the data list that the table shows: at most MaxShownBits bits starting at a cell
// offset, cut into cells of one symbol or one byte, a fixed number of cells per row, with the
// index of each row's first cell in column 0. Pure arithmetic, so the cell an edit lands in is
// found exactly the way the table was filled.
class DataListTableLayout
{
public:
    // A table of a few hundred cells fills instantly; a longer one would make every offset step
    // and every view switch sluggish on a 250-million-bit list.
    static constexpr int MaxShownBits = 500;

    DataListTableLayout() = default;
    // symbolWidth: bits per symbol as the user set it (cell width of the symbol view);
    // typeBitsPerSymbol: bits per symbol of the modulation type, which fixes the column count.
    DataListTableLayout(qint64 listLength, DataListViewMode mode, int symbolWidth, int typeBitsPerSymbol,
                        qint64 cellOffset);

    static int cellWidthFor(DataListViewMode mode, int symbolWidth);
    static int columnsFor(DataListViewMode mode, int typeBitsPerSymbol);
    // Largest cell offset that still shows bits: length / cell width - 1, or 0 for short lists.
    static qint64 offsetMaximum(qint64 listLength, DataListViewMode mode, int symbolWidth);

    DataListViewMode mode() const { return m_mode; }
    int cellWidth() const { return m_cellWidth; }
    int cellColumns() const { return m_columns; }
    qint64 cellOffset() const { return m_cellOffset; }
    int shownBits() const { return m_shownBits; }
    int fullCells() const { return m_fullCells; }
    int leftoverBits() const { return m_leftoverBits; }
    int shownCells() const { return m_fullCells + (m_leftoverBits > 0 ? 1 : 0); }
    int rows() const { return m_rows; }
    bool isEmpty() const { return m_shownBits <= 0; }
    // Only the two binary views can be edited; a hex cell would hide which bits changed.
    bool isEditable() const { return m_mode != DataListViewMode::BytesHex; }

    // "  S  ", "S+0", "S+1", ... ("B" in the byte views).
    QStringList headerLabels() const;
    // Index of the first cell of a row, shown in column 0.
    qint64 rowLabel(int row) const { return m_cellOffset + qint64(row) * m_columns; }

    // Position of the table cell among the shown cells, or -1 for column 0 and empty cells.
    int shownCellAt(int row, int column) const;
    qint64 cellIndex(int shownCell) const { return m_cellOffset + shownCell; }
    qint64 firstBitOf(int shownCell) const { return cellIndex(shownCell) * m_cellWidth; }
    // The cell width, or the leftover count for a partial last cell.
    int widthOf(int shownCell) const;

    // "0"/"1" text of the bits, or "0x" and two lowercase hex digits in the hex view (a partial
    // byte is padded with 0 bits at its end).
    static QString cellText(const char *bits, int count, DataListViewMode mode);

private:
    DataListViewMode m_mode = DataListViewMode::Symbols;
    int m_cellWidth = 1;
    int m_columns = 7;
    qint64 m_cellOffset = 0;
    int m_shownBits = 0;
    int m_fullCells = 0;
    int m_leftoverBits = 0;
    int m_rows = 0;
};

// Fills a table widget with the window described by the layout. afterRow runs after each row so
// the caller can keep the window responsive.
void fillDataListTable(QTableWidget &table, const QByteArray &bits, const DataListTableLayout &layout,
                       const std::function<void()> &afterRow = {});

#endif
