// Modulation type, symbol and bit counts, and the choice of data source.
#include "lists/dlglstmanage.h"

#include "lists/prbsgenerator.h"
#include "ui_DlgLstManageUI.h"

#include <QSignalBlocker>

#include <algorithm>

namespace {
// Spin boxes hold ints; derived counts are computed in 64 bits and clamped to the box first.
void setClamped(QSpinBox *box, qint64 value)
{
    box->setValue(int(std::clamp<qint64>(value, box->minimum(), box->maximum())));
}
} // namespace

ModTypeInfo DlgLstManage::currentModType() const
{
    return m_modTypes.value(ui->cbxDLModType->currentText());
}

qint64 DlgLstManage::currentMaxBits() const
{
    bool bolOk = false;
    const qint64 maxBits = currentModType().maxBits.toLongLong(&bolOk);
    return bolOk ? maxBits : DataList::MaxBits;
}

void DlgLstManage::setDLModType()
{
    const QString strName = ui->cbxDLModType->currentText();
    const ModTypeInfo info = currentModType();

    ui->sbxDLBitPerSym->setEnabled(ModTypes::isUserDefined(strName));
    {
        // The remaining steps of a bits-per-symbol change follow below; letting the spin box
        // signal as well would lay out the table twice.
        const QSignalBlocker blocker(ui->sbxDLBitPerSym);
        ui->sbxDLBitPerSym->setValue(info.bitsPerSymbol);
    }
    ui->sbxDLSymCount->setMaximum(info.maxSymbols.toInt());
    ui->sbxDLBitCount->setMaximum(info.maxBits.toInt());

    if (ui->rbtDLSymCount->isChecked())
        setDLSymCount();
    else
        setDLBitCount();

    // A different symbol width changes the cells of the symbol view.
    if (!m_dataList.isEmpty() && ui->rbtDLBinSym->isChecked())
        setDLForm(true);
}

void DlgLstManage::setDLBitPerSym()
{
    const QString strName = ui->cbxDLModType->currentText();
    if (ModTypes::isUserDefined(strName)) {
        const qint64 maxSymbols = ModTypes::symbolsForBits(currentMaxBits(), ui->sbxDLBitPerSym->value());
        ui->sbxDLSymCount->setMaximum(int(maxSymbols));
    }

    if (ui->rbtDLSymCount->isChecked())
        setDLSymCount();
    else
        setDLBitCount();

    if (!m_dataList.isEmpty() && ui->rbtDLBinSym->isChecked())
        setDLForm(true);
}

void DlgLstManage::setDLSymCount()
{
    if (ui->rbtDLSymCount->isChecked()) {
        setClamped(ui->sbxDLBitCount, qint64(ui->sbxDLSymCount->value()) * ui->sbxDLBitPerSym->value());
        checkSymbolCount();
        checkPrbsCount();
    }
    if (ui->cbxCLLengthMode->currentText() == QLatin1String("Coupled"))
        setClamped(ui->sbxCLLength, ui->sbxDLSymCount->value());
}

void DlgLstManage::setDLBitCount()
{
    if (!ui->rbtDLBitCount->isChecked())
        return;
    setClamped(ui->sbxDLSymCount,
               ModTypes::symbolsForBits(ui->sbxDLBitCount->value(), ui->sbxDLBitPerSym->value()));
    checkSymbolCount();
    checkPrbsCount();
}

void DlgLstManage::setDLCountFormat()
{
    if (ui->rbtDLSymCount->isChecked()) {
        ui->sbxDLSymCount->setEnabled(true);
        ui->sbxDLBitCount->setEnabled(false);
        setDLSymCount();
    } else {
        ui->sbxDLBitCount->setEnabled(true);
        ui->sbxDLSymCount->setEnabled(false);
    }
}

void DlgLstManage::checkSymbolCount()
{
    const qint64 symbolBits = qint64(ui->sbxDLSymCount->value()) * ui->sbxDLBitPerSym->value();
    showIndicator(symbolBits != ui->sbxDLBitCount->value(), ui->lblDLSymCountIndi,
                  QStringLiteral("Specified number of bits results in a none integer number of symbols!"));
}

void DlgLstManage::checkPrbsCount()
{
    bool bolShow = false;
    if (currentSource() == QLatin1String("PRBS")) {
        const qint64 period = ClsPrbsGenerator::sequenceLength(currentPrbsOrder());
        bolShow = period > 0 && ui->sbxDLBitCount->value() % period != 0;
    }
    showIndicator(
        bolShow, ui->lblDLBitCountIndi,
        QStringLiteral("Specified number of bits results in a none integer number of PRBS sequences"));
}

void DlgLstManage::showIndicator(bool bolShow, QLabel *label, const QString &strToolTip)
{
    label->setVisible(bolShow);
    label->setToolTip(bolShow ? strToolTip : QString());
}

void DlgLstManage::followDataListInControlLength()
{
    if (ui->cbxCLLengthMode->currentText() != QLatin1String("Coupled"))
        return;
    setClamped(ui->sbxCLLength, m_dataList.size() / std::max(1, ui->sbxDLBitPerSym->value()));
}

QString DlgLstManage::currentSource() const
{
    return ui->cbxDLDataSrc->currentText();
}

int DlgLstManage::currentPrbsOrder() const
{
    return ui->cbxDLPRBSType->currentData().toInt();
}

void DlgLstManage::setDLDataSrc()
{
    const QString strSource = currentSource();
    const bool bolPrbs = strSource == QLatin1String("PRBS");
    const bool bolPattern = strSource == QLatin1String("Pattern");
    const bool bolSequence = strSource == QLatin1String("Sequence");
    const bool bolDataList = strSource == QLatin1String("Data-list");
    const bool bolDataFile = !bolPrbs && !bolPattern && !bolSequence && !bolDataList;

    const struct
    {
        QWidget *input;
        QWidget *button;
        bool bolChosen;
    } controls[] = {
        {ui->cbxDLPRBSType, ui->btnDLPRBSSelect, bolPrbs},
        {ui->ledDLBitPatt, ui->btnDLBitPattSelect, bolPattern},
        {ui->cbxDLBitSequ, ui->btnDLBitSequSelect, bolSequence},
        {ui->ledDLDataFileName, ui->btnDLDataFileSelect, bolDataFile},
        {ui->ledDLImpFileName, ui->btnDLFileSelect, bolDataList},
    };
    for (const auto &control : controls) {
        control.input->setVisible(control.bolChosen);
        control.input->setEnabled(control.bolChosen);
        control.button->setVisible(control.bolChosen);
        control.button->setEnabled(control.bolChosen);
    }
    if (!bolDataFile)
        ui->ledDLDataFileName->clear();
    if (!bolDataList)
        ui->ledDLImpFileName->clear();

    if (bolPrbs) {
        ui->rbtDLBitCount->setChecked(true);
        ui->rbtDLSymCount->setEnabled(true);
        ui->rbtDLBitCount->setEnabled(true);
        ui->sbxDLBitCount->setEnabled(true);
        setDLPRBSType();
        setDLBitCount();
    } else if (bolPattern || bolSequence) {
        ui->rbtDLSymCount->setChecked(true);
        ui->sbxDLSymCount->setValue(10);
        ui->sbxDLSymCount->setEnabled(true);
        ui->rbtDLSymCount->setEnabled(true);
        ui->rbtDLBitCount->setEnabled(true);
        setDLSymCount();
    } else {
        // The count comes from the file. Checking the radio button first, because its toggle
        // enables the bit count box again.
        ui->rbtDLBitCount->setChecked(true);
        ui->rbtDLSymCount->setEnabled(false);
        ui->rbtDLBitCount->setEnabled(false);
        ui->sbxDLBitCount->setEnabled(false);
        setDLBitCount();
    }
    ui->btnDLReset->setEnabled(false);
}

void DlgLstManage::setDLPRBSType()
{
    const qint64 period = ClsPrbsGenerator::sequenceLength(currentPrbsOrder());
    ui->cbxDLPRBSType->setToolTip(QStringLiteral("PRBS with a length of %1 bit").arg(period));
    setClamped(ui->sbxDLBitCount, period);
    checkPrbsCount();
}
