// Uploads of the saved or imported list files into the assigned instrument.

#include "lists/dlglstmanage.h"

#include "instrument/clsinstrcontrol.h"

#include "ui_DlgLstManageUI.h"

#include <QElapsedTimer>
#include <QProgressDialog>

namespace {

// Shows the byte count of a transfer that lasts longer than a second, so a user uploading a
// large list sees that it is moving and how far it has got. The transfer keeps the event loop
// running (without user input), which lets the dialog appear and repaint.
class TransferProgress
{
public:
    TransferProgress(QWidget *parent, ClsInstrControl *instrument, const QString &strFileName)
        : m_dialog(parent), m_instrument(instrument), m_strFileName(strFileName)
    {
        m_dialog.setWindowTitle(QStringLiteral("Upload"));
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setCancelButton(nullptr);
        m_dialog.setMinimumDuration(1000);
        m_dialog.setRange(0, PerMille);
        m_dialog.setValue(0);
        m_elapsed.start();
        m_instrument->setTransferProgressHandler(
            [this](qint64 i64Done, qint64 i64Total) { update(i64Done, i64Total); });
    }
    ~TransferProgress() { m_instrument->setTransferProgressHandler({}); }

private:
    static constexpr int PerMille = 1000;

    void update(qint64 i64Done, qint64 i64Total)
    {
        // Every chunk reports; a few updates a second are enough for the eye.
        if (i64Done < i64Total && m_elapsed.elapsed() < m_i64NextUpdateMs)
            return;
        m_i64NextUpdateMs = m_elapsed.elapsed() + 100;
        m_dialog.setLabelText(QStringLiteral("Uploading '%1' to the instrument: %2 of %3 bytes")
                                  .arg(m_strFileName)
                                  .arg(i64Done)
                                  .arg(i64Total));
        m_dialog.setValue(i64Total > 0 ? int(i64Done * PerMille / i64Total) : PerMille);
    }

    QProgressDialog m_dialog;
    ClsInstrControl *m_instrument;
    QString m_strFileName;
    QElapsedTimer m_elapsed;
    qint64 m_i64NextUpdateMs = 0;
};

} // namespace

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
    {
        TransferProgress progress(this, m_instrument, m_strDLLocFileName);
        m_instrument->uploadDataList(m_strDLLocFileDir, m_strDLLocFileName);
    }
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
    {
        TransferProgress progress(this, m_instrument, m_strCLLocFileName);
        m_instrument->uploadControlList(m_strCLLocFileDir, m_strCLLocFileName);
    }
    offerCLUpload();
    emit newCLAvailable();
}
