// The "Tools" tab (free SCPI commands with a completion check) and the "Options" tab (installed
// options by category, and their export) of the main window.

#include "mainwindow/appmainwindow.h"
#include "mainwindow/optionlistexport.h"

#include "instrument/clsinstrcontrol.h"

#include "ui_AppMainWindowUI.h"

#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QSaveFile>

namespace {

constexpr int DescriptionColumnWidth = 400;
constexpr int MaxCommandHistory = 10;
constexpr qint32 OpcPollIntervalMs = 100;
constexpr qint32 OpcTimeoutMs = 30000;

// Category numbers of the option database, in the order the tree shows them.
const char *const OptionCategoryLabels[] = {"RF Path(s):",
                                            "BB Path(s):",
                                            "Multi Channel/MIMO/Fading:",
                                            "Noise:",
                                            "Digital Standards (Internal):",
                                            "Digital Standards (External):",
                                            "GNSS and Avionics (Internal):",
                                            "Miscellaneous:"};

} // namespace

void AppMainWindow::fitSecondColumn(QTreeWidget *trw)
{
    const QFontMetrics metrics(trw->font());
    int intWidth = trw->columnWidth(1);
    for (int i = 0; i < trw->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *top = trw->topLevelItem(i);
        for (int c = 0; c < top->childCount(); ++c) {
            const int intNeeded = int(1.1 * metrics.horizontalAdvance(top->child(c)->text(1)));
            intWidth = qMax(intWidth, intNeeded);
        }
    }
    trw->setColumnWidth(1, intWidth);
}

void AppMainWindow::resetCmdErrorList()
{
    ui->trwCmdErrorList->clear();
    ui->trwCmdErrorList->setColumnWidth(1, DescriptionColumnWidth);
}

void AppMainWindow::fillCmdErrorList()
{
    QMap<QString, QString> mapStatic;
    QMap<QString, QString> mapQueue;
    m_instr->getStaticErrors(mapStatic);
    m_instr->getErrorQueue(mapQueue);
    const QIcon attention(QStringLiteral(":/Misc/Misc/Attention.png"));
    const auto addGroup = [&](const QString &strTitle, const QMap<QString, QString> &mapErrors) {
        if (mapErrors.isEmpty())
            return;
        auto *top = new QTreeWidgetItem(ui->trwCmdErrorList, {strTitle});
        top->setIcon(0, attention);
        top->setFirstColumnSpanned(true);
        for (auto it = mapErrors.cbegin(); it != mapErrors.cend(); ++it)
            new QTreeWidgetItem(top, {it.key(), it.value()});
        top->setExpanded(true);
    };
    addGroup(QStringLiteral("Static Errors"), mapStatic);
    addGroup(QStringLiteral("Queue Errors"), mapQueue);
    ui->trwCmdErrorList->resizeColumnToContents(0);
    fitSecondColumn(ui->trwCmdErrorList);
}

void AppMainWindow::sendCmd()
{
    ui->tedCmdResponse->setPlainText(QStringLiteral("-"));
    resetCmdErrorList();
    if (!m_instr)
        return;

    const QString strCmd = ui->cbxCmd->currentText();
    const bool bolQuery = strCmd.contains(QLatin1Char('?'));
    // A query is read back at once; a completion check would only get in its way.
    if (bolQuery)
        ui->rbtNoOPC->setChecked(true);
    ClsInstrControl::EnuOpcType enuOpc = ClsInstrControl::OpcNone;
    if (ui->rbtOPC->isChecked())
        enuOpc = ClsInstrControl::OpcQuery;
    else if (ui->rbtOPCLoop->isChecked())
        enuOpc = ClsInstrControl::OpcLoop;

    if (bolQuery) {
        Tracer::traceDebug(QStringLiteral("APMAIN  : Send instrument query '%1'").arg(strCmd));
        ui->tedCmdResponse->setPlainText(m_instr->queryCommand(strCmd));
    } else {
        Tracer::traceDebug(QStringLiteral("APMAIN  : Send instrument command '%1' with OPC type '%2'")
                               .arg(strCmd)
                               .arg(int(enuOpc)));
        m_instr->sendCommand(strCmd, enuOpc, OpcPollIntervalMs, OpcTimeoutMs);
    }
    ui->ledCmdDuration->setText(m_instr->getLastCmdDuration());
    fillCmdErrorList();
}

void AppMainWindow::addCmdToCbx()
{
    if (ui->cbxCmd->count() > MaxCommandHistory)
        ui->cbxCmd->removeItem(MaxCommandHistory);
    ui->tedCmdResponse->setPlainText(QStringLiteral("-"));
    ui->ledCmdDuration->setText(QStringLiteral("0"));
    resetCmdErrorList();
}

void AppMainWindow::fillOptionList()
{
    ui->trwOptionList->clear();
    ui->trwOptionList->setColumnWidth(1, DescriptionColumnWidth);
    if (!m_instr)
        return;
    const QIcon plus(QStringLiteral(":/Misc/Misc/Plus.png"));
    for (int intCategory = 0; intCategory < int(std::size(OptionCategoryLabels)); ++intCategory) {
        QStringList lstOptions;
        m_instr->getOptionList(intCategory, lstOptions);
        if (lstOptions.isEmpty())
            continue;
        auto *top =
            new QTreeWidgetItem(ui->trwOptionList, {QString::fromLatin1(OptionCategoryLabels[intCategory])});
        top->setIcon(0, plus);
        // Category rows have no description; their label may use the whole row.
        top->setFirstColumnSpanned(true);
        for (const QString &strEntry : lstOptions) {
            const int intSep = strEntry.indexOf(QLatin1Char(';'));
            const QString strCode = intSep < 0 ? strEntry : strEntry.left(intSep);
            const QString strDescription = intSep < 0 ? QString() : strEntry.mid(intSep + 1);
            new QTreeWidgetItem(top, {strCode, strDescription});
        }
        top->setExpanded(true);
    }
    ui->trwOptionList->resizeColumnToContents(0);
    fitSecondColumn(ui->trwOptionList);
    ui->btnOLFileSave->setEnabled(true);
}

void AppMainWindow::saveOLFile()
{
    if (!m_instr)
        return;
    const QString strProposal = QDir::currentPath() + QLatin1Char('/') + m_instr->getInstrType() +
                                QLatin1Char('-') + m_instr->getSerialNumber() + QStringLiteral("-Opt");
    const QString strCaption = QStringLiteral("Save option list file");
    const QString strFilter = QStringLiteral("Option list files (*%1)").arg(OptionListExport::FileExtension);
    const QString strChosen = m_saveFileNameProvider
                                  ? m_saveFileNameProvider(strCaption, strProposal, strFilter)
                                  : QFileDialog::getSaveFileName(this, strCaption, strProposal, strFilter);
    if (strChosen.isEmpty()) {
        Tracer::traceDebug(QStringLiteral("APMAIN  : No option list file selected!"));
        return;
    }

    const int intSlash = strChosen.lastIndexOf(QLatin1Char('/'));
    const QString strDir = intSlash < 0 ? QDir::currentPath() : strChosen.left(intSlash);
    const QString strName =
        OptionListExport::withExtension(intSlash < 0 ? strChosen : strChosen.mid(intSlash + 1));
    QDir::setCurrent(strDir);

    QList<OptionListExport::Category> categories;
    for (int i = 0; i < ui->trwOptionList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *top = ui->trwOptionList->topLevelItem(i);
        OptionListExport::Category category{top->text(0), {}};
        for (int c = 0; c < top->childCount(); ++c)
            category.options.append({top->child(c)->text(0), top->child(c)->text(1)});
        categories.append(category);
    }

    // Written through a temporary file, so an export that fails half-way never leaves a
    // truncated option sheet behind in place of an older one.
    QSaveFile file(strDir + QLatin1Char('/') + strName);
    bool bolOk = file.open(QIODevice::WriteOnly);
    if (bolOk) {
        const QByteArray bytes = OptionListExport::compose(
            m_instr->getInstrType(), m_instr->getSerialNumber(), m_instr->getFirmware(), categories);
        bolOk = file.write(bytes) == bytes.size() && file.commit();
    }
    if (!bolOk) {
        Tracer::traceInfo(
            QStringLiteral("APMAIN  : Unable to create and open option list file '%1'!").arg(strName));
        return;
    }
    Tracer::traceDebug(QStringLiteral("APMAIN  : Option list file '%1' created").arg(strName));
}
