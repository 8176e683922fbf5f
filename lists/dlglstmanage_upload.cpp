// Uploads of the saved or imported list files into the assigned instrument.

#include "lists/dlglstmanage.h"

#include "instrument/clsinstrcontrol.h"

#include "ui_DlgLstManageUI.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

// Shows the byte count of a transfer that lasts longer than a second, so a user uploading a
// large list sees that it is moving and how far it has got. It never runs the event loop itself:
// the transfer does, with user input excluded, which repaints this window while no click or key
// reaches any window (the main window could otherwise re-assign the instrument that is busy
// transferring). It is application modal so that no other event loop lets input through either,
// and it offers no cancel: a transfer stopped half-way would leave the instrument inside a block.
class TransferProgress
{
public:
    TransferProgress(QWidget *parent, ClsInstrControl *instrument, const QString &strFileName)
        : m_window(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
          m_instrument(instrument), m_strFileName(strFileName)
    {
        m_window.setWindowTitle(QStringLiteral("Upload"));
        m_window.setWindowModality(Qt::ApplicationModal);
        auto *layout = new QVBoxLayout(&m_window);
        m_label = new QLabel(labelText(0, 0), &m_window);
        m_bar = new QProgressBar(&m_window);
        m_bar->setRange(0, PerMille);
        m_bar->setValue(0);
        layout->addWidget(m_label);
        layout->addWidget(m_bar);
        // Sized for the longest count it will show, so it neither starts as a tiny box nor
        // grows while the numbers do.
        m_label->setText(labelText(Q_INT64_C(999999999999), Q_INT64_C(999999999999)));
        m_window.adjustSize();
        m_window.setMinimumSize(m_window.size());
        m_label->setText(labelText(0, 0));
        m_instrument->setTransferProgressHandler(
            [this](qint64 i64Done, qint64 i64Total) { update(i64Done, i64Total); });
    }
    ~TransferProgress() { m_instrument->setTransferProgressHandler({}); }

private:
    static constexpr int PerMille = 1000;
    static constexpr qint64 ShowAfterMs = 1000;

    QString labelText(qint64 i64Done, qint64 i64Total) const
    {
        return QStringLiteral("Uploading '%1' to the instrument: %2 of %3 bytes")
            .arg(m_strFileName)
            .arg(i64Done)
            .arg(i64Total);
    }

    void update(qint64 i64Done, qint64 i64Total)
    {
        // The clock starts with the first block, not while the user answered a question.
        if (!m_elapsed.isValid())
            m_elapsed.start();
        // Every chunk reports; a few updates a second are enough for the eye.
        if (i64Done < i64Total && m_elapsed.elapsed() < m_i64NextUpdateMs)
            return;
        m_i64NextUpdateMs = m_elapsed.elapsed() + 100;
        m_label->setText(labelText(i64Done, i64Total));
        m_bar->setValue(i64Total > 0 ? int(i64Done * PerMille / i64Total) : PerMille);
        if (!m_window.isVisible() && i64Done < i64Total && m_elapsed.elapsed() >= ShowAfterMs)
            m_window.show();
    }

    QDialog m_window;
    QLabel *m_label;
    QProgressBar *m_bar;
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
