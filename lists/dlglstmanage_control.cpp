// Tab "Control": the eight control signal tags, the control list length and its attention icons,
// and the ".dm_iqc" files.
#include "lists/dlglstmanage.h"

#include "lists/datalistfile.h"
#include "lists/dlglstmanage_trace.h"
#include "ui_DlgLstManageUI.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include <algorithm>

namespace {
const QString CoupledMode = QStringLiteral("Coupled");
const QString ControlListSource = QStringLiteral("Control list");
const QString LocalFileToolTip = QStringLiteral("Control list file name (PC and signal generator)");
} // namespace

void DlgLstManage::setupControlTab()
{
    m_clSignals = {{
        {ui->cheCLMark1, ui->ledCLMark1, ui->lblCLMark1Att},
        {ui->cheCLMark2, ui->ledCLMark2, ui->lblCLMark2Att},
        {ui->cheCLMark3, ui->ledCLMark3, ui->lblCLMark3Att},
        {ui->cheCLMark4, ui->ledCLMark4, ui->lblCLMark4Att},
        {ui->cheCLBurst, ui->ledCLBurst, ui->lblCLBurstAtt},
        {ui->cheCLLevAtt, ui->ledCLLevAtt, ui->lblCLLevAttAtt},
        {ui->cheCLCWMode, ui->ledCLCWMode, ui->lblCLCWModeAtt},
        {ui->cheCLHop, ui->ledCLHop, ui->lblCLHopAtt},
    }};
    // Saving takes the tags from the line edits. Their default limit of 32767 characters would
    // silently cut a long imported tag (a few thousand slopes) and write a corrupted list.
    for (const ControlSignalWidgets &signal : m_clSignals)
        signal.edit->setMaxLength(int(ControlList::MaxFileLineBytes));
    // The icons keep their place while hidden, so the fields do not jump when one appears.
    QList<QLabel *> attentionLabels = {ui->lblCLLengthAtt};
    for (const ControlSignalWidgets &signal : m_clSignals)
        attentionLabels << signal.attention;
    for (QLabel *label : attentionLabels) {
        QSizePolicy policy = label->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        label->setSizePolicy(policy);
    }

    // The writer drops these characters anyway; refusing them while typing shows it at once.
    ui->ledCLComment->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[^%1]*").arg(ControlList::CommentStoppers)), ui->ledCLComment));

    ui->sbxCLLength->setRange(int(ControlList::MinLength), int(ControlList::MaxLength));
    ui->sbxCLLength->setToolTip(QStringLiteral("Control list length [symbols] (Range: %1..%2)")
                                    .arg(ControlList::MinLength)
                                    .arg(ControlList::MaxLength));
    m_clLamp = new StatusLamp(ui->lblCLStatusIndi, this);
}

void DlgLstManage::connectControlSignals()
{
    const auto activated = QOverload<int>::of(&QComboBox::activated);

    connect(ui->sbxCLLength, QOverload<int>::of(&QSpinBox::valueChanged), this, &DlgLstManage::setCLLength);
    connect(ui->cbxCLLengthMode, activated, this, &DlgLstManage::setCLLengthMode);
    connect(ui->cbxCLDataSrc, activated, this, &DlgLstManage::setCLDataSrc);
    connect(ui->btnCLFileSelect, &QPushButton::clicked, this, &DlgLstManage::selectCLFile);
    connect(m_clLamp->timer(), &QTimer::timeout, this, &DlgLstManage::toggleCLStatusIndi);
    connect(ui->btnCLReset, &QPushButton::clicked, this, &DlgLstManage::resetCL);
    for (int intSignal = 1; intSignal <= ControlList::SignalCount; ++intSignal) {
        connect(controlSignal(intSignal).check, &QCheckBox::stateChanged, this,
                [this, intSignal] { toggleCLTag(intSignal); });
    }
    for (int intSignal = 1; intSignal <= ControlList::SignalCount; ++intSignal) {
        connect(controlSignal(intSignal).edit, &QLineEdit::editingFinished, this,
                [this, intSignal] { checkTagContent(intSignal); });
    }
    connect(ui->ledCLComment, &QLineEdit::textEdited, this, &DlgLstManage::forgetCLLocalFile);
    connect(ui->btnCLFileSave, &QPushButton::clicked, this, &DlgLstManage::saveCLFile);
    connect(ui->btnCLFileTrans, &QPushButton::clicked, this, &DlgLstManage::uploadCLFile);
}

DlgLstManage::ControlSignalWidgets DlgLstManage::controlSignal(int intSignal) const
{
    return m_clSignals.at(std::size_t(intSignal - 1));
}

bool DlgLstManage::isControlListSource() const
{
    return ui->cbxCLDataSrc->currentText() == ControlListSource;
}

qint64 DlgLstManage::storedCLLength() const
{
    bool bolOk = false;
    const qint64 length = m_clData.strLength.toLongLong(&bolOk);
    return bolOk ? length : ControlList::DefaultLength;
}

// ---- Attention icons ---------------------------------------------------------------------------

void DlgLstManage::setCLAttention(QLabel *label, bool bolShow)
{
    // isHidden() rather than isVisible(): the counter must be right while the dialog is closed.
    if (bolShow && label->isHidden()) {
        label->show();
        ++m_intCLAttentionCount;
    } else if (!bolShow && !label->isHidden()) {
        label->hide();
        --m_intCLAttentionCount;
    }
    ui->btnCLFileSave->setEnabled(m_intCLAttentionCount == 0);
}

void DlgLstManage::hideAllCLAttention()
{
    for (const ControlSignalWidgets &signal : m_clSignals)
        setCLAttention(signal.attention, false);
    setCLAttention(ui->lblCLLengthAtt, false);
    m_intCLAttentionCount = 0;
    ui->btnCLFileSave->setEnabled(true);
}

bool DlgLstManage::checkAllCLTags(qint64 length, bool bolUpdateIndicators)
{
    bool bolAllFit = true;
    for (int i = 0; i < ControlList::SignalCount; ++i) {
        const QString &strTags = m_clData.tags[std::size_t(i)];
        QLabel *attention = m_clSignals[std::size_t(i)].attention;
        if (ControlList::indexesBelow(strTags, length)) {
            setCLAttention(attention, false);
            continue;
        }
        LstManageTrace::debug(QStringLiteral("Symbol index(es) '%1' of '%2' tag exceed(s) max value '%3'!")
                                  .arg(strTags, ControlList::signalFileTags().at(i))
                                  .arg(length - 1));
        bolAllFit = false;
        if (bolUpdateIndicators)
            setCLAttention(attention, true);
    }
    if (bolAllFit)
        setCLAttention(ui->lblCLLengthAtt, false);
    else if (bolUpdateIndicators)
        setCLAttention(ui->lblCLLengthAtt, true);
    return bolAllFit;
}

void DlgLstManage::hideCLLengthAttentionIfAllFit()
{
    // The length icon sums up the signal icons, so it goes with the last of them.
    const bool bolAnyShown =
        std::any_of(m_clSignals.cbegin(), m_clSignals.cend(),
                    [](const ControlSignalWidgets &s) { return !s.attention->isHidden(); });
    if (!bolAnyShown)
        setCLAttention(ui->lblCLLengthAtt, false);
}

// ---- Tags --------------------------------------------------------------------------------------

void DlgLstManage::toggleCLTag(int intSignal)
{
    if (intSignal < 1 || intSignal > ControlList::SignalCount)
        return;
    const ControlSignalWidgets signal = controlSignal(intSignal);
    if (signal.check->isChecked()) {
        signal.edit->setEnabled(true);
        return;
    }
    signal.edit->setEnabled(false);
    signal.edit->setText(ControlList::NeutralTags);
    // The neutral text is what will be saved, so it is also what the length is checked against;
    // an icon left over from the old text would block saving for a signal that is switched off.
    if (m_clData.tags[std::size_t(intSignal - 1)] != ControlList::NeutralTags)
        forgetCLLocalFile();
    m_clData.tags[std::size_t(intSignal - 1)] = ControlList::NeutralTags;
    setCLAttention(signal.attention, false);
    hideCLLengthAttentionIfAllFit();
}

void DlgLstManage::checkTagContent(int intSignal)
{
    if (intSignal < 1 || intSignal > ControlList::SignalCount)
        return;
    const ControlSignalWidgets signal = controlSignal(intSignal);
    QString &strAccepted = m_clData.tags[std::size_t(intSignal - 1)];
    const QString strTags = signal.edit->text();

    const ListResult valid = ControlList::validateTagString(strTags);
    if (!valid) {
        for (const QString &strLine : valid.traceMessage.split(QLatin1Char('\n')))
            LstManageTrace::info(strLine);
        signal.edit->setText(strAccepted);
        return;
    }
    if (ControlList::indexesBelow(strTags, storedCLLength())) {
        setCLAttention(signal.attention, false);
        hideCLLengthAttentionIfAllFit();
    } else {
        setCLAttention(signal.attention, true);
        setCLAttention(ui->lblCLLengthAtt, true);
    }
    if (strAccepted != strTags)
        forgetCLLocalFile();
    strAccepted = strTags;
}

void DlgLstManage::setCLChecksFromTexts()
{
    for (int i = 0; i < ControlList::SignalCount; ++i) {
        const QString &strTags = m_clData.tags[std::size_t(i)];
        const ControlSignalWidgets &signal = m_clSignals[std::size_t(i)];
        const bool bolActive = strTags.size() >= 4 || strTags.contains(QLatin1Char('1'));
        {
            // Unchecking through the slot would replace a text such as "3:0" by "0:0"; the
            // texts just set are the list and stay as they are.
            const QSignalBlocker blocker(signal.check);
            signal.check->setChecked(bolActive);
        }
        signal.edit->setEnabled(bolActive);
    }
}

// ---- Length, mode, source and reset ------------------------------------------------------------

void DlgLstManage::setCLLength(int intLength)
{
    // Like every change of the list below: the known file no longer is what the user sees, so
    // it is not offered for upload until the list is saved again.
    if (m_clData.strLength != QString::number(intLength))
        forgetCLLocalFile();
    m_clData.strLength = QString::number(intLength);
    if (!checkAllCLTags(intLength, true))
        LstManageTrace::debug(
            QStringLiteral("Control list length of %1 symbols is too short").arg(intLength));
}

void DlgLstManage::setCLLengthMode()
{
    if (ui->cbxCLLengthMode->currentText() != CoupledMode) {
        ui->sbxCLLength->setEnabled(true);
        return;
    }
    ui->sbxCLLength->setEnabled(false);
    const qint64 bits = ui->ledDLBitCountTotal->text().toLongLong();
    const qint64 symbols = bits / std::max(1, ui->sbxDLBitPerSym->value());
    ui->sbxCLLength->setValue(int(std::clamp(symbols, ControlList::MinLength, ControlList::MaxLength)));
}

void DlgLstManage::setCLDataSrc()
{
    hideAllCLAttention();
    ui->ledCLImpFileName->clear();
    ui->ledCLImpFileName->setToolTip(QString());
    forgetCLLocalFile();

    const bool bolFromFile = isControlListSource();
    for (QWidget *widget :
         {static_cast<QWidget *>(ui->btnCLFileSelect), static_cast<QWidget *>(ui->lblCLStatusIndi),
          static_cast<QWidget *>(ui->ledCLImpFileName)}) {
        widget->setEnabled(bolFromFile);
        widget->setVisible(bolFromFile);
    }
    resetCLFields();
    setCLChecksFromTexts();
    setCLLamp(StatusLamp::State::Error);
}

void DlgLstManage::resetCLFields()
{
    m_clData.strType.clear();
    m_clData.strComment.clear();
    m_clData.strDateTime.clear();
    m_clData.tags.fill(ControlList::NeutralTags);
    // In Coupled mode the length belongs to the data list; the field keeps following the spin
    // box so that tag edits are checked against the length that will be saved.
    if (ui->cbxCLLengthMode->currentText() == CoupledMode) {
        m_clData.strLength = QString::number(ui->sbxCLLength->value());
    } else {
        m_clData.strLength = QString::number(ControlList::DefaultLength);
        ui->sbxCLLength->setValue(int(ControlList::DefaultLength));
    }
    ui->ledCLComment->clear();
    for (int i = 0; i < ControlList::SignalCount; ++i)
        m_clSignals[std::size_t(i)].edit->setText(m_clData.tags[std::size_t(i)]);
    // Neutral tags fit every length; icons of the old tags must not keep saving blocked.
    checkAllCLTags(storedCLLength(), true);
}

void DlgLstManage::resetCL()
{
    resetCLFields();
    setCLChecksFromTexts();
    setCLLamp(StatusLamp::State::Error);
    ui->ledCLImpFileName->clear();
    ui->ledCLImpFileName->setToolTip(QString());
    forgetCLLocalFile();
}

void DlgLstManage::setCLLamp(StatusLamp::State state)
{
    m_clLamp->setState(state);
    // The lamp tells about an imported file and has no meaning for typed tags.
    ui->lblCLStatusIndi->setVisible(isControlListSource());
}

void DlgLstManage::toggleCLStatusIndi()
{
    m_clLamp->toggle();
}

// ---- Files -------------------------------------------------------------------------------------

void DlgLstManage::applyImportedCLLength(const QString &strLength, const QString &strFileName)
{
    bool bolOk = false;
    qint64 length = strLength.trimmed().toLongLong(&bolOk);
    if (!bolOk || length < ControlList::MinLength) {
        LstManageTrace::info(QStringLiteral("Control list length '%1' of file '%2' is not usable; the length "
                                            "stays at %3 symbols")
                                 .arg(strLength, strFileName)
                                 .arg(ui->sbxCLLength->value()));
        return;
    }
    if (length > ControlList::MaxLength) {
        LstManageTrace::info(QStringLiteral("Control list length %1 of file '%2' is corrected to %3 symbols")
                                 .arg(length)
                                 .arg(strFileName)
                                 .arg(ControlList::MaxLength));
        length = ControlList::MaxLength;
    }
    ui->sbxCLLength->setValue(int(length));
}

void DlgLstManage::selectCLFile()
{
    ui->ledCLImpFileName->clear();
    ui->ledCLImpFileName->setToolTip(QString());
    forgetCLLocalFile();
    hideAllCLAttention();
    setCLLamp(StatusLamp::State::Error);

    QString strDirectory;
    QString strFileName;
    if (!chooseFile(false, QStringLiteral("Open control list file"),
                    QStringLiteral("Control list file (*%1)").arg(ControlList::FileExtension),
                    QStringLiteral("No control list file selected!"), strDirectory, strFileName)) {
        // The tags were not touched; their icons must tell the truth about them again.
        checkAllCLTags(storedCLLength(), true);
        return;
    }

    const ControlList::ReadResult read = ControlList::readFile(QDir(strDirectory).filePath(strFileName));
    for (const QString &strLine : read.traces)
        LstManageTrace::info(strLine);
    if (!read.result) {
        LstManageTrace::info(read.result.traceMessage);
        showWarning(read.result.message);
        checkAllCLTags(storedCLLength(), true);
        return;
    }

    ui->ledCLImpFileName->setText(strFileName);
    ui->ledCLImpFileName->setToolTip(QStringLiteral("Control list file path: ") + strDirectory);
    // The tags go in before the length so that a changed length is checked against them.
    m_clData.strType = read.data.strType;
    m_clData.strComment = read.data.strComment;
    m_clData.strDateTime = read.data.strDateTime;
    m_clData.tags = read.data.tags;
    for (int i = 0; i < ControlList::SignalCount; ++i)
        m_clSignals[std::size_t(i)].edit->setText(m_clData.tags[std::size_t(i)]);
    ui->ledCLComment->setText(read.data.strComment);
    if (ui->cbxCLLengthMode->currentText() != CoupledMode)
        applyImportedCLLength(read.data.strLength, strFileName);
    m_clData.strLength = QString::number(ui->sbxCLLength->value());

    if (!checkAllCLTags(ui->sbxCLLength->value(), true))
        LstManageTrace::debug(
            QStringLiteral("Control list length of %1 symbols is too short").arg(ui->sbxCLLength->value()));
    setCLChecksFromTexts();
    setCLLamp(StatusLamp::State::Ready);
    rememberCLLocalFile(strFileName, QDir::currentPath());
    offerCLUpload();
    LstManageTrace::debug(QStringLiteral("Control list file '%1' imported").arg(strFileName));
}

void DlgLstManage::saveCLFile()
{
    // A text still being typed has not been through editingFinished (the save may be reached
    // from the keyboard); it is checked now, so only valid tags can reach the file.
    for (int intSignal = 1; intSignal <= ControlList::SignalCount; ++intSignal) {
        if (controlSignal(intSignal).edit->text() != m_clData.tags[std::size_t(intSignal - 1)])
            checkTagContent(intSignal);
    }

    const QDateTime now = QDateTime::currentDateTime();
    const int intLength = ui->sbxCLLength->value();
    m_clData.strType = ControlList::FileType;
    m_clData.strComment = ControlList::fileSafeComment(ui->ledCLComment->text());
    m_clData.strDateTime = QStringLiteral("%1;%2").arg(now.toString(QStringLiteral("yyyy-MM-dd")),
                                                       now.toString(QStringLiteral("hh:mm:ss")));
    m_clData.strLength = QString::number(intLength);
    for (int i = 0; i < ControlList::SignalCount; ++i)
        m_clData.tags[std::size_t(i)] = m_clSignals[std::size_t(i)].edit->text();

    if (!checkAllCLTags(intLength, true)) {
        LstManageTrace::info(QStringLiteral("Symbol index(es) of any control list tag exceed(s) max value!"));
        return;
    }

    QString strDirectory;
    QString strFileName;
    if (!chooseFile(true, QStringLiteral("Save control list file"),
                    QStringLiteral("Control list files (*%1)").arg(ControlList::FileExtension),
                    QStringLiteral("No control list file selected!"), strDirectory, strFileName))
        return;
    strFileName = DataListFiles::withExtension(strFileName, ControlList::FileExtension);

    const ListResult result = ControlList::writeFile(QDir(strDirectory).filePath(strFileName), m_clData);
    if (!result) {
        // Nothing new was written, so no file is offered for upload.
        LstManageTrace::info(result.traceMessage);
        showWarning(result.message);
        return;
    }
    rememberCLLocalFile(strFileName, strDirectory);
    offerCLUpload();
}

void DlgLstManage::rememberCLLocalFile(const QString &strFileName, const QString &strDirectory)
{
    // The upload takes the directory with its trailing "/".
    m_strCLLocFileName = strFileName;
    m_strCLLocFileDir =
        strDirectory.endsWith(QLatin1Char('/')) ? strDirectory : strDirectory + QLatin1Char('/');
    ui->ledCLLocFileName->setText(strFileName);
    ui->ledCLLocFileName->setToolTip(QStringLiteral("Local control list file path: %1").arg(strDirectory));
}

void DlgLstManage::forgetCLLocalFile()
{
    m_strCLLocFileName.clear();
    m_strCLLocFileDir.clear();
    ui->ledCLLocFileName->clear();
    ui->ledCLLocFileName->setToolTip(LocalFileToolTip);
    ui->btnCLFileTrans->setEnabled(false);
}

void DlgLstManage::offerCLUpload()
{
    ui->btnCLFileTrans->setEnabled(m_instrument && !ui->ledCLLocFileName->text().isEmpty());
}
