// Uploads of the saved or imported list files into the assigned instrument.

#include "lists/dlglstmanage.h"

#include "instrument/clsinstrcontrol.h"

#include "ui_DlgLstManageUI.h"

void DlgLstManage::setInstrument(ClsInstrControl *instrument)
{
    m_instrument = instrument;
    offerDLUpload();
    offerCLUpload();
}

void DlgLstManage::releaseInstrument()
{
    ui->btnDLFileTrans->setEnabled(false);
    ui->btnCLFileTrans->setEnabled(false);
    m_instrument = nullptr;
}

void DlgLstManage::uploadDLFile()
{
    if (!m_instrument)
        return;
    // The transfer runs on this thread and keeps the window painting; the blinking lamp tells
    // the user that it is still going.
    const StatusLamp::State previous = m_dlLamp->state();
    setLamp(StatusLamp::State::Busy);
    ui->btnDLFileTrans->setEnabled(false);
    m_instrument->uploadDataList(m_strDLLocFileDir, m_strDLLocFileName);
    setLamp(previous);
    offerDLUpload();
    // Emitted whatever the outcome: the instrument's catalog is the truth, and the instrument
    // control object has reported any failure itself.
    emit newDLAvailable();
}

void DlgLstManage::uploadCLFile()
{
    if (!m_instrument)
        return;
    ui->btnCLFileTrans->setEnabled(false);
    m_instrument->uploadControlList(m_strCLLocFileDir, m_strCLLocFileName);
    offerCLUpload();
    emit newCLAvailable();
}
