// The table window on the data list, its view modes and offset, cell editing and the lamp.
#include "lists/dlglstmanage.h"

#include "lists/dlglstmanage_trace.h"
#include "ui_DlgLstManageUI.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSignalBlocker>

void DlgLstManage::setLamp(StatusLamp::State state)
{
    m_dlLamp->setState(state);
}

void DlgLstManage::toggleDLStatusIndi()
{
    m_dlLamp->toggle();
}

DataListViewMode DlgLstManage::viewMode() const
{
    if (ui->rbtDLHexByte->isChecked())
        return DataListViewMode::BytesHex;
    if (ui->rbtDLBinByte->isChecked())
        return DataListViewMode::BytesBinary;
    return DataListViewMode::Symbols;
}

void DlgLstManage::clearView(ClearMode mode)
{
    if (ui->cheDLCommentMan->isChecked())
        ui->ledDLComment->setEnabled(true);
    m_header = DataListHeader();
    forgetLocalFile();
    disconnect(ui->tawDL, &QTableWidget::cellChanged, this, &DlgLstManage::processChangedDLCell);

    if (mode == ClearMode::ClearData || (mode == ClearMode::ClearDataUnlessAppending && !isAppendMode()))
        m_dataList.clear();

    ui->tawDL->clear();
    ui->tawDL->setRowCount(0);
    ui->tawDL->setColumnCount(0);
    m_tableLayout = DataListTableLayout();
    ui->ledDLBitCountTotal->setText(QStringLiteral("0"));
    ui->btnDLReset->setEnabled(false);
    ui->btnDLFileSave->setEnabled(false);
    ui->cheDLFileFormat->setEnabled(false);
    setLamp(StatusLamp::State::Error);
    ui->cbxDLModType->setEnabled(true);
}

void DlgLstManage::rebuild()
{
    // The header is taken now so that a saved file names the comment and time of the list the
    // user last saw built.
    m_header = DataListHeader(ui->ledDLComment->text(), QDateTime::currentDateTime(), m_dataList.size());

    disconnect(ui->tawDL, &QTableWidget::cellChanged, this, &DlgLstManage::processChangedDLCell);
    m_tableLayout = DataListTableLayout(m_dataList.size(), viewMode(), ui->sbxDLBitPerSym->value(),
                                        currentModType().bitsPerSymbol, ui->sbxDLCellOffset->value());
    fillDataListTable(*ui->tawDL, m_dataList.bits(), m_tableLayout,
                      [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    connect(ui->tawDL, &QTableWidget::cellChanged, this, &DlgLstManage::processChangedDLCell,
            Qt::UniqueConnection);

    ui->btnDLReset->setEnabled(true);
    if (isAppendMode()) {
        ui->cbxDLModType->setEnabled(false);
        ui->btnDLAppend->setEnabled(false);
    } else {
        ui->btnDLAppend->setEnabled(true);
    }
    ui->ledDLBitCountTotal->setText(QString::number(m_dataList.size()));
    followDataListInControlLength();
    ui->btnDLFileSave->setEnabled(true);
    ui->cheDLFileFormat->setEnabled(true);
    setLamp(StatusLamp::State::Ready);
}

void DlgLstManage::updateOffsetRange()
{
    const qint64 maximum =
        DataListTableLayout::offsetMaximum(m_dataList.size(), viewMode(), ui->sbxDLBitPerSym->value());
    // Callers rebuild the table themselves; a clamped value must not trigger a second rebuild.
    const QSignalBlocker blocker(ui->sbxDLCellOffset);
    ui->sbxDLCellOffset->setMaximum(int(maximum));
    ui->sbxDLCellOffset->setToolTip(QStringLiteral("Cell Offset max value: %1").arg(maximum));
}

void DlgLstManage::setDLForm(bool bolChecked)
{
    // Every switch toggles two buttons; only the one that became checked acts.
    if (!bolChecked)
        return;
    ui->lblDLCellOffset->setText(viewMode() == DataListViewMode::Symbols ? QStringLiteral("Offset [Symbols]:")
                                                                         : QStringLiteral("Offset [Bytes]:"));
    if (m_dataList.isEmpty())
        return;
    updateOffsetRange();
    clearView(ClearMode::KeepData);
    setLamp(StatusLamp::State::Busy);
    rebuild();
}

void DlgLstManage::setDLCellOffset()
{
    if (m_dataList.isEmpty())
        return;
    clearView(ClearMode::KeepData);
    setLamp(StatusLamp::State::Busy);
    rebuild();
}

void DlgLstManage::processChangedDLCell(int intRow, int intColumn)
{
    const int cell = m_tableLayout.shownCellAt(intRow, intColumn);
    if (cell < 0 || !m_tableLayout.isEditable()) {
        // Row labels, empty cells and hex cells are not editable; should one change anyway,
        // put back what the table was built with.
        const QString strBuilt = intColumn == 0 && intRow < m_tableLayout.rows()
                                     ? QString::number(m_tableLayout.rowLabel(intRow))
                                     : QString();
        if (cell < 0)
            restoreCell(intRow, intColumn, strBuilt);
        return;
    }

    const qint64 index = m_tableLayout.cellIndex(cell);
    const qint64 firstBit = m_tableLayout.firstBitOf(cell);
    const int width = m_tableLayout.widthOf(cell);
    const QString strOld = QString::fromLatin1(m_dataList.mid(firstBit, width));
    const QTableWidgetItem *item = ui->tawDL->item(intRow, intColumn);
    const QString strNew = item ? item->text() : QString();

    LstManageTrace::info(
        QStringLiteral("Cell %1 changed from '%2' to: '%3'.").arg(index).arg(strOld, strNew));

    bool bolValid = true;
    if (strNew.size() != width) {
        LstManageTrace::info(QStringLiteral("Bit count of cell %1 must be: '%2' not: '%3'!")
                                 .arg(index)
                                 .arg(width)
                                 .arg(strNew.size()));
        bolValid = false;
    }
    for (const QChar ch : strNew) {
        if (ch != QLatin1Char('0') && ch != QLatin1Char('1')) {
            LstManageTrace::info(
                QStringLiteral("Cell %1 contains value '%2' but only '0' and '1' are allowed!")
                    .arg(index)
                    .arg(ch));
            bolValid = false;
        }
    }

    if (!bolValid || !m_dataList.replaceBits(firstBit, strNew.toLatin1()))
        restoreCell(intRow, intColumn, strOld);
    else if (strNew != strOld)
        forgetLocalFile();
}

void DlgLstManage::restoreCell(int intRow, int intColumn, const QString &strText)
{
    // Putting the old value back is not an edit of its own. The item is changed in place rather
    // than replaced: this runs inside the item's own change notification.
    const QSignalBlocker blocker(ui->tawDL);
    if (QTableWidgetItem *item = ui->tawDL->item(intRow, intColumn)) {
        item->setText(strText);
        return;
    }
    auto *item = new QTableWidgetItem(strText);
    item->setTextAlignment(Qt::AlignCenter);
    item->setFlags(Qt::NoItemFlags);
    ui->tawDL->setItem(intRow, intColumn, item);
}
