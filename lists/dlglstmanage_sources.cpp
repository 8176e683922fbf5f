// The data sources that fill the data list, and its reset.
#include "lists/dlglstmanage.h"

#include "lists/datafiledecoders.h"
#include "lists/datasources.h"
#include "lists/dlglstmanage_trace.h"
#include "lists/listmessages.h"
#include "lists/prbsgenerator.h"
#include "ui_DlgLstManageUI.h"

#include <QCoreApplication>
#include <QDir>
#include <QSignalBlocker>

bool DlgLstManage::acceptTotal(qint64 newBits)
{
    const qint64 total = m_dataList.appendTotal(newBits, isAppendMode());
    if (total > 0 && total <= currentMaxBits() && DataList::isTotalInRange(total))
        return true;
    refuse(ListMessages::totalOutOfRange());
    return false;
}

void DlgLstManage::finishApply()
{
    // The list itself already holds the new bits; only the presentation is renewed.
    clearView(ClearMode::KeepData);
    {
        const QSignalBlocker blocker(ui->sbxDLCellOffset);
        ui->sbxDLCellOffset->setValue(0);
    }
    updateOffsetRange();
    rebuild();
}

void DlgLstManage::selectDLPRBSType()
{
    const qint64 count = ui->sbxDLBitCount->value();
    if (!acceptTotal(count))
        return;

    const int intOrder = currentPrbsOrder();
    setLamp(StatusLamp::State::Busy);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const ListResult result = m_dataList.applyPrbs(intOrder, count, isAppendMode(), keepResponsive());
    if (!result) {
        refuse(result);
        return;
    }
    finishApply();
    LstManageTrace::info(
        QStringLiteral("%1 %2 bits put into the data list").arg(count).arg(ClsPrbsGenerator::name(intOrder)));
}

bool DlgLstManage::applyRepeatingUnit(const QString &strUnit)
{
    const qint64 count = ui->sbxDLBitCount->value();
    setLamp(StatusLamp::State::Busy);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    LstManageTrace::debug(
        QStringLiteral("Populate bit array with %1 bit (Pattern/Sequence: %2)").arg(count).arg(strUnit));
    const ListResult result = m_dataList.applyPattern(strUnit, count, isAppendMode(), keepResponsive());
    if (!result) {
        refuse(result);
        return false;
    }
    finishApply();
    return true;
}

void DlgLstManage::selectDLBitPatt()
{
    if (!acceptTotal(ui->sbxDLBitCount->value()))
        return;
    const QString strPattern = DataSources::filterPattern(ui->ledDLBitPatt->text());
    ui->ledDLBitPatt->setText(strPattern);
    if (strPattern.isEmpty())
        return;
    if (applyRepeatingUnit(strPattern))
        LstManageTrace::info(QStringLiteral("%1 pattern (%2) bits put into data list")
                                 .arg(ui->sbxDLBitCount->value())
                                 .arg(strPattern));
}

void DlgLstManage::selectDLBitSequ()
{
    if (!acceptTotal(ui->sbxDLBitCount->value()))
        return;
    const QString strSequence = ui->cbxDLBitSequ->currentText();
    const QString strUnit = DataSources::sequencePattern(strSequence);
    if (strUnit.isEmpty())
        return;
    if (applyRepeatingUnit(strUnit))
        LstManageTrace::info(QStringLiteral("%1 sequence (%2) bits put into data list")
                                 .arg(ui->sbxDLBitCount->value())
                                 .arg(strSequence));
}

void DlgLstManage::selectDLDataFile()
{
    const QString strSource = currentSource();
    const QString strFilter = strSource.contains(QLatin1String("Binary"))
                                  ? QStringLiteral("Binary data file (*.bin)")
                                  : QStringLiteral("ASCII data file (*.txt *.dm_iqda)");
    QString strDirectory;
    QString strFileName;
    if (!chooseFile(false, QStringLiteral("Open data file"), strFilter,
                    QStringLiteral("No data file selected!"), strDirectory, strFileName))
        return;

    setLamp(StatusLamp::State::Busy);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // Decoded packed, an eighth of the list: beside the current list until it is known good.
    PackedBits bits;
    const ListResult decoded =
        DataFileDecoders::decodeFilePacked(DataFileDecoders::formatForSource(strSource),
                                           QDir(strDirectory).filePath(strFileName), bits, keepResponsive());
    if (!decoded) {
        refuse(decoded);
        return;
    }

    const qint64 count = bits.size();
    ui->ledDLDataFileName->setText(strFileName);
    ui->ledDLDataFileName->setToolTip(QStringLiteral("Data file path: %1").arg(strDirectory));
    ui->sbxDLBitCount->setValue(int(count));
    setDLBitCount();
    if (!acceptTotal(count))
        return;

    setLamp(StatusLamp::State::Busy);
    const ListResult result = m_dataList.applyPacked(bits, isAppendMode(), keepResponsive());
    if (!result) {
        refuse(result);
        return;
    }
    finishApply();
    LstManageTrace::info(
        QStringLiteral("%1 data file (%2) bits put into data list").arg(count).arg(strFileName));
}

void DlgLstManage::selectDLFile()
{
    ui->ledDLImpFileName->clear();
    forgetLocalFile();

    QString strDirectory;
    QString strFileName;
    if (!chooseFile(false, QStringLiteral("Open data list file"),
                    QStringLiteral("Data list file (*%1)").arg(DataListFiles::BinaryExtension),
                    QStringLiteral("No data list file selected!"), strDirectory, strFileName))
        return;

    setLamp(StatusLamp::State::Busy);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // The reader checks header, type, length and the size of the data part before any bit is
    // read, so a refused file never touches the list.
    DataListFileReader reader;
    const ListResult opened = reader.open(QDir(strDirectory).filePath(strFileName));
    if (!opened) {
        refuse(opened);
        return;
    }

    const qint64 count = reader.bitCount();
    ui->ledDLImpFileName->setText(strFileName);
    ui->ledDLImpFileName->setToolTip(QStringLiteral("Data list file path: %1").arg(strDirectory));
    ui->sbxDLBitCount->setValue(int(count));
    setDLBitCount();
    if (!acceptTotal(count))
        return;

    setLamp(StatusLamp::State::Busy);
    PackedBits bits;
    bits.reserve(count);
    const ListResult read = reader.streamPacked(bits.appender(), keepResponsive());
    if (!read) {
        refuse(read);
        return;
    }
    const ListResult result = m_dataList.applyPacked(bits, isAppendMode(), keepResponsive());
    if (!result) {
        refuse(result);
        return;
    }
    finishApply();

    // Appended to other bits, the list is no longer the file.
    if (m_dataList.size() == count) {
        rememberLocalFile(strFileName, strDirectory);
        offerDLUpload();
    }
    LstManageTrace::info(
        QStringLiteral("%1 data list file (%2) bits put into data list").arg(count).arg(strFileName));
}

void DlgLstManage::resetDL()
{
    clearView(ClearMode::ClearData);
    updateOffsetRange();
    ui->btnDLAppend->setEnabled(false);
    // Forcing the "on" text makes setDLAppend switch append mode off, with all it entails.
    ui->btnDLAppend->setText(QStringLiteral("Append OFF"));
    setDLAppend();
    ui->ledDLImpFileName->clear();
    ui->ledDLImpFileName->setToolTip(QStringLiteral("Data list file path: -"));
    ui->ledDLDataFileName->clear();
    ui->ledDLDataFileName->setToolTip(QStringLiteral("Data file path: -"));
    setDLDataSrc();
}
