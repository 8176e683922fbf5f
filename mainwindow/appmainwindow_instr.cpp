// The instrument box of the main window: the enabled instruments of the pool, the assignment of
// one of them (model control object, preset on a worker thread, active state) and its release.

#include "mainwindow/appmainwindow.h"

#include "instrmanage/dlginstrmanage.h"
#include "instrument/modelfactory.h"
#include "lists/dlglstmanage.h"

#include "ui_AppMainWindowUI.h"

#include <QCoreApplication>
#include <QThread>
#include <QtConcurrent>

namespace {

constexpr int PresetPollMs = 250;
constexpr int RemoteTabIndex = 3;

QString entryText(const InstrRecord &record)
{
    return record.instrType + QStringLiteral(", ") + record.serialNumber + QStringLiteral(" (") +
           record.interfaceName + QLatin1Char(')');
}

} // namespace

void AppMainWindow::updateInstrList()
{
    Tracer::traceDebug(QStringLiteral("APMAIN  : Instrument management dialog updated"));
    // The preset loop lets queued events through (a LAN scan finishing, for one). Rebuilding the
    // box then would show another entry than the one being assigned, and the pool state it saw
    // would be lost; the update is applied once the assignment has finished.
    if (m_bolAssigning) {
        m_bolPoolUpdatePending = true;
        return;
    }
    const QString strRemembered =
        m_intAppState == StateActive ? ui->cbxInstr->currentText() : QStringLiteral("None");

    {
        // Rebuilding the box must not look like a user's choice.
        const QSignalBlocker blocker(ui->cbxInstr);
        ui->cbxInstr->clear();
        const QList<InstrRecord> records = m_dlgInstrManage->instrRecords();
        for (const InstrRecord &record : records) {
            if (record.enabled)
                ui->cbxInstr->addItem(entryText(record), record.resource);
        }
    }

    if (ui->cbxInstr->count() == 0) {
        if (m_intAppState == StateIdle || m_intAppState == StateActive) {
            if (m_intAppState == StateActive)
                releaseInstr();
            setInitialState();
            Tracer::traceInfo(QStringLiteral("APMAIN  : Application reset to initial state"));
        }
        return;
    }

    if (m_intAppState == StateInitial) {
        setIdleState();
        Tracer::traceInfo(QStringLiteral("APMAIN  : Application set to idle state"));
    } else if (m_intAppState == StateActive) {
        const int intIndex = ui->cbxInstr->findText(strRemembered, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (intIndex >= 0) {
            const QSignalBlocker blocker(ui->cbxInstr);
            ui->cbxInstr->setCurrentIndex(intIndex);
        } else {
            releaseInstr();
            setIdleState();
            Tracer::traceInfo(QStringLiteral("APMAIN  : Application reset to idle state"));
        }
    }
}

void AppMainWindow::assignInstr()
{
    Tracer::traceDebug(QStringLiteral("APMAIN  : Instrument selection changed"));
    m_bolAssigning = true;
    assignCurrentEntry();
    m_bolAssigning = false;
    if (m_bolPoolUpdatePending) {
        m_bolPoolUpdatePending = false;
        updateInstrList();
    }
}

void AppMainWindow::assignCurrentEntry()
{
    releaseInstr();
    setIdleState();

    const QString strEntry = ui->cbxInstr->currentText();
    showStatusMsg(QStringLiteral("Assign and initialize %1 .....").arg(strEntry));
    const QString strResource = ui->cbxInstr->currentData(Qt::UserRole).toString();
    if (strEntry.isEmpty())
        return;

    QString strModel;
    m_instr = createModelControl(strEntry, strResource, &strModel);
    if (!m_instr) {
        Tracer::traceError(QStringLiteral("APMAIN  : Instrument type '%1' is not supported").arg(strEntry));
        return;
    }
    Tracer::traceDebug(QStringLiteral("APMAIN  : %1 control object '%2' assignd").arg(strModel, strResource));
    // Connected before the preset, so that a failing preset reaches the instrument log. The
    // model class declares the signal, so the connection goes through its meta-object; messages
    // emitted by the preset worker arrive queued.
    connect(m_instr, SIGNAL(instrMessage(ClsInstrControl::EnuInstrLogType, QString)), this,
            SLOT(showInstrMessage(ClsInstrControl::EnuInstrLogType, QString)));

    initInstrument();
    Tracer::traceInfo(QStringLiteral("APMAIN  : Application set to active state"));
    m_dlgLstManage->setInstrument(m_instr);
    showStatusMsg(QStringLiteral("%1 assigned").arg(strEntry));
}

void AppMainWindow::initInstrument()
{
    QFuture<bool> future = QtConcurrent::run(m_instr, &ClsInstrControl::presetInstrument);
    QString strProgress = QStringLiteral("Initializing instrument .");
    addInstrLogLine(ClsInstrControl::InstrLogInfo, strProgress);
    // The preset's own messages arrive while the dots grow and go below the progress line, so
    // the dots are written into that line, not into whichever line is last by then.
    const int intProgressRow = ui->lswInstrLog->count() - 1;
    // The window keeps painting and shows progress, but the user cannot act on a half-initialised
    // instrument.
    while (!future.isFinished()) {
        QThread::msleep(PresetPollMs);
        strProgress += QLatin1Char('.');
        replaceInstrLogLine(intProgressRow, strProgress);
        toggleInstrStateIndi();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    // Messages the worker emitted at the very end are still queued.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    setActiveState();
    fillOptionList();
    fillPathPanels();
}

void AppMainWindow::setActiveState()
{
    setAppState(StateActive);
    ui->tabWidget->setCurrentIndex(1);
    ui->tabWidget->setTabEnabled(0, true);
    ui->tabWidget->setTabEnabled(1, true);
    ui->tabWidget->setTabEnabled(2, m_instr->getNumRFPaths() > 1 || m_instr->getNumBBPaths() > 1);
    if (ui->tabWidget->count() > RemoteTabIndex)
        ui->tabWidget->setTabEnabled(RemoteTabIndex, true);
}

void AppMainWindow::releaseInstr()
{
    if (!m_instr)
        return;
    const QString strResource = m_instr->getResource();
    const QString strOff = QStringLiteral("OFF");

    // A switch button names the action of its next click: "OFF" on it means the function is on.
    Tracer::traceDebug(
        QStringLiteral("APMAIN  : RF level(s) of instrument control object '%1' will be deactivated")
            .arg(strResource));
    if (ui->btnRFLevSwitchA->text().contains(strOff))
        switchRFLev(1);
    if (ui->btnRFLevSwitchB->text().contains(strOff))
        switchRFLev(2);
    Tracer::traceDebug(
        QStringLiteral("APMAIN  : CDM power ramping of instrument control object '%1' will be deactivated")
            .arg(strResource));
    if (ui->btnRampSwitchA->text().contains(strOff))
        switchRamp(1);
    if (ui->btnRampSwitchB->text().contains(strOff))
        switchRamp(2);
    Tracer::traceDebug(
        QStringLiteral("APMAIN  : CDM(s) of instrument control object '%1' will be deactivated")
            .arg(strResource));
    if (ui->btnCDMSwitchA->text().contains(strOff))
        switchCDM(1);
    if (ui->btnCDMSwitchB->text().contains(strOff))
        switchCDM(2);

    m_dlgLstManage->releaseInstrument();
    Tracer::traceDebug(
        QStringLiteral("APMAIN  : Current instrument control object '%1' will be deleted").arg(strResource));
    delete m_instr;
    m_instr = nullptr;
    showStatusMsg(QStringLiteral("No instrument assigned"));
}
