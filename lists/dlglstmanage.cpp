#include "lists/dlglstmanage.h"

#include "app/keepwindowalive.h"
#include "lists/datasources.h"
#include "lists/dlglstmanage_trace.h"
#include "lists/prbsgenerator.h"
#include "ui_DlgLstManageUI.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>

DlgLstManage::DlgLstManage(QWidget *parent)
    : QDialog(parent), ui(new Ui::DlgLstManageUI), m_modTypes(ModTypes::table())
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    // Return belongs to the field being edited (a table cell, a comment, a tag): no button may
    // take it as its click, which would throw the edit away or append another block of bits.
    for (QPushButton *button : findChildren<QPushButton *>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    m_warningBox = new QMessageBox(QMessageBox::Warning, QStringLiteral("Tarvik ListForge"), QString(),
                                   QMessageBox::Ok, this);
    m_warningBox->setDefaultButton(QMessageBox::Ok);
    m_dlLamp = new StatusLamp(ui->lblDLStatusIndi, this);
    setupControlTab();

    fillChoices();
    connectSignals();
    setInitialState();

    // The source controls were hidden before the dialog was ever shown, which leaves the layouts
    // with size hints that still count them; the dialog would open far wider than asked for.
    for (QLayout *layout : findChildren<QLayout *>())
        layout->invalidate();
}

DlgLstManage::~DlgLstManage()
{
    delete ui;
}

void DlgLstManage::fillChoices()
{
    for (auto it = m_modTypes.cbegin(); it != m_modTypes.cend(); ++it)
        ui->cbxDLModType->addItem(it.key());
    ui->cbxDLDataSrc->addItems(DataSources::sourceNames());
    for (int intOrder : ClsPrbsGenerator::orders())
        ui->cbxDLPRBSType->addItem(ClsPrbsGenerator::name(intOrder), intOrder);
    ui->cbxDLBitSequ->addItems(DataSources::sequenceNames());
}

void DlgLstManage::connectSignals()
{
    const auto activated = QOverload<int>::of(&QComboBox::activated);
    const auto spinChanged = QOverload<int>::of(&QSpinBox::valueChanged);

    connect(ui->cbxDLModType, activated, this, &DlgLstManage::setDLModType);
    connect(ui->cbxDLModType, activated, this, &DlgLstManage::updateDLComment);
    connect(ui->sbxDLBitPerSym, spinChanged, this, &DlgLstManage::setDLBitPerSym);
    connect(ui->sbxDLSymCount, spinChanged, this, &DlgLstManage::setDLSymCount);
    connect(ui->sbxDLSymCount, spinChanged, this, &DlgLstManage::updateDLComment);
    connect(ui->rbtDLSymCount, &QRadioButton::toggled, this, &DlgLstManage::setDLCountFormat);
    connect(ui->sbxDLBitCount, spinChanged, this, &DlgLstManage::setDLBitCount);
    connect(ui->sbxDLBitCount, spinChanged, this, &DlgLstManage::updateDLComment);
    connect(ui->rbtDLBitCount, &QRadioButton::toggled, this, &DlgLstManage::setDLCountFormat);
    connect(ui->cbxDLDataSrc, activated, this, &DlgLstManage::setDLDataSrc);
    connect(ui->cbxDLDataSrc, activated, this, &DlgLstManage::updateDLComment);
    connect(ui->cbxDLPRBSType, activated, this, &DlgLstManage::setDLPRBSType);
    connect(ui->cbxDLPRBSType, activated, this, &DlgLstManage::updateDLComment);
    connect(ui->ledDLBitPatt, &QLineEdit::textChanged, this, &DlgLstManage::updateDLComment);
    connect(ui->cbxDLBitSequ, activated, this, &DlgLstManage::updateDLComment);
    connect(ui->btnDLAppend, &QPushButton::clicked, this, &DlgLstManage::setDLAppend);
    connect(ui->cheDLCommentMan, &QCheckBox::stateChanged, this, &DlgLstManage::setDLComment);
    connect(ui->cheDLCommentMan, &QCheckBox::stateChanged, this, &DlgLstManage::updateDLComment);
    // A typed comment goes into the next file; the known file no longer carries it.
    connect(ui->ledDLComment, &QLineEdit::textEdited, this, [this](const QString &strComment) {
        m_header = m_header.withComment(strComment);
        forgetLocalFile();
    });
    connect(ui->btnDLPRBSSelect, &QPushButton::clicked, this, &DlgLstManage::selectDLPRBSType);
    connect(ui->btnDLBitPattSelect, &QPushButton::clicked, this, &DlgLstManage::selectDLBitPatt);
    connect(ui->btnDLBitSequSelect, &QPushButton::clicked, this, &DlgLstManage::selectDLBitSequ);
    connect(ui->btnDLDataFileSelect, &QPushButton::clicked, this, &DlgLstManage::selectDLDataFile);
    connect(ui->btnDLDataFileSelect, &QPushButton::clicked, this, &DlgLstManage::updateDLComment);
    connect(ui->btnDLFileSelect, &QPushButton::clicked, this, &DlgLstManage::selectDLFile);
    connect(ui->btnDLFileSelect, &QPushButton::clicked, this, &DlgLstManage::updateDLComment);
    connect(m_dlLamp->timer(), &QTimer::timeout, this, &DlgLstManage::toggleDLStatusIndi);
    connect(ui->btnDLReset, &QPushButton::clicked, this, &DlgLstManage::resetDL);
    connect(ui->btnDLReset, &QPushButton::clicked, this, &DlgLstManage::updateDLComment);
    connect(ui->sbxDLCellOffset, spinChanged, this, &DlgLstManage::setDLCellOffset);
    connect(ui->rbtDLBinSym, &QRadioButton::toggled, this, &DlgLstManage::setDLForm);
    connect(ui->rbtDLBinByte, &QRadioButton::toggled, this, &DlgLstManage::setDLForm);
    connect(ui->rbtDLHexByte, &QRadioButton::toggled, this, &DlgLstManage::setDLForm);
    connect(ui->cheDLFileFormat, &QCheckBox::stateChanged, this, &DlgLstManage::setDLFileFormat);
    connect(ui->btnDLFileSave, &QPushButton::clicked, this, &DlgLstManage::saveDLFile);
    connect(ui->btnDLFileTrans, &QPushButton::clicked, this, &DlgLstManage::uploadDLFile);
    // The table's cellChanged is connected by every rebuild, never while the table is filled.
    connectControlSignals();
}

void DlgLstManage::setInitialState()
{
    ui->tabLstManage->setCurrentIndex(0);

    ui->cbxDLModType->setCurrentIndex(1);
    setDLModType();

    ui->cbxDLDataSrc->setCurrentIndex(0);
    ui->ledDLBitPatt->clear();
    ui->ledDLDataFileName->clear();
    ui->ledDLDataFileName->setToolTip(QStringLiteral("Data file path: -"));
    ui->ledDLImpFileName->clear();
    ui->ledDLImpFileName->setToolTip(QStringLiteral("Data list file path: -"));
    setDLDataSrc();

    ui->btnDLAppend->setText(QStringLiteral("Append ON"));
    ui->btnDLAppend->setEnabled(false);
    ui->cheDLCommentMan->setChecked(false);
    ui->ledDLComment->setEnabled(false);

    ui->ledDLBitCountTotal->setText(QStringLiteral("0"));
    ui->sbxDLCellOffset->setRange(0, 0);
    ui->sbxDLCellOffset->setValue(0);
    ui->rbtDLBinSym->setChecked(true);
    ui->tawDL->setEnabled(true);

    ui->btnDLFileSave->setEnabled(false);
    ui->cheDLFileFormat->setEnabled(false);
    ui->ledDLLocFileName->setEnabled(false);
    ui->btnDLFileTrans->setEnabled(false);

    updateDLComment();

    ui->cbxCLLengthMode->setCurrentIndex(0);
    setCLLengthMode();
    ui->cbxCLDataSrc->setCurrentIndex(0);
    setCLDataSrc();
    ui->ledCLLocFileName->setEnabled(false);
}

void DlgLstManage::loadSettings(QSettings &settings)
{
    settings.beginGroup(QStringLiteral("LstManage"));
    const QPoint pos = settings.value(QStringLiteral("Pos"), QPoint(100, 100)).toPoint();
    const QSize size = settings.value(QStringLiteral("Size"), QSize(520, 580)).toSize();
    const QString strPath = settings.value(QStringLiteral("CurPath"), QDir::currentPath()).toString();
    settings.endGroup();

    resize(size);
    move(pos);
    // A folder that vanished since the last run simply leaves the current directory as it is.
    if (!QDir::setCurrent(strPath))
        LstManageTrace::debug(QStringLiteral("Last used folder '%1' is not available").arg(strPath));
}

void DlgLstManage::saveSettings(QSettings &settings) const
{
    settings.beginGroup(QStringLiteral("LstManage"));
    settings.setValue(QStringLiteral("Pos"), pos());
    settings.setValue(QStringLiteral("Size"), QSize(geometry().width(), geometry().height()));
    settings.setValue(QStringLiteral("CurPath"), QDir::currentPath());
    settings.endGroup();
}

bool DlgLstManage::isAppendMode() const
{
    // The button names the action of the next click, so "Append OFF" means appending is on.
    return ui->btnDLAppend->text().contains(QLatin1String("OFF"));
}

void DlgLstManage::setDLAppend()
{
    const QString strText = ui->btnDLAppend->text();
    if (strText.contains(QLatin1String("ON"))) {
        ui->lblDLAppend->setPixmap(QPixmap(QStringLiteral(":/Misc/Misc/Green.png")));
        ui->btnDLAppend->setText(QStringLiteral("Append OFF"));
        // The comment describes the first part only, so it is frozen while bits are appended.
        ui->cheDLCommentMan->setChecked(true);
        ui->cheDLCommentMan->setEnabled(false);
        // All parts of one list must share one symbol width.
        ui->cbxDLModType->setEnabled(false);
        setLamp(StatusLamp::State::Error);
    } else if (strText.contains(QLatin1String("OFF"))) {
        ui->lblDLAppend->setPixmap(QPixmap(QStringLiteral(":/Misc/Misc/Red.png")));
        ui->btnDLAppend->setText(QStringLiteral("Append ON"));
        ui->cheDLCommentMan->setEnabled(true);
        ui->cheDLCommentMan->setChecked(false);
        ui->cbxDLModType->setEnabled(true);
    }
}

void DlgLstManage::setDLComment()
{
    ui->ledDLComment->setEnabled(ui->cheDLCommentMan->isChecked());
}

void DlgLstManage::updateDLComment()
{
    if (ui->cheDLCommentMan->isChecked())
        return;

    const QString strSource = currentSource();
    QString strDetail;
    if (strSource == QLatin1String("PRBS"))
        strDetail = ui->cbxDLPRBSType->currentText();
    else if (strSource == QLatin1String("Pattern"))
        strDetail = ui->ledDLBitPatt->text();
    else if (strSource == QLatin1String("Sequence"))
        strDetail = ui->cbxDLBitSequ->currentText();
    else if (strSource == QLatin1String("Data-list"))
        strDetail = ui->ledDLImpFileName->text();
    else
        strDetail = ui->ledDLDataFileName->text();

    ui->ledDLComment->setText(DataSources::automaticComment(strSource, ui->cbxDLModType->currentText(),
                                                            ui->sbxDLSymCount->value(),
                                                            ui->sbxDLBitCount->value(), strDetail));
}

void DlgLstManage::setDLFileFormat()
{
    forgetLocalFile();
}

void DlgLstManage::showWarning(const QString &strText)
{
    m_warningBox->setText(strText);
    m_warningBox->exec();
}

QString DlgLstManage::askOpenFileName(const QString &strTitle, const QString &strFilter)
{
    return QFileDialog::getOpenFileName(this, strTitle, QDir::currentPath(), strFilter, nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

QString DlgLstManage::askSaveFileName(const QString &strTitle, const QString &strFilter)
{
    return QFileDialog::getSaveFileName(this, strTitle, QDir::currentPath(), strFilter, nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

ProgressFn DlgLstManage::keepResponsive()
{
    // Repaints and the lamp's blink timer get through; clicks and keys do not, so nothing can
    // start a second operation on the list that is being filled. The engine reports every
    // 10,000 bits, far more often than a window needs a round of its event loop.
    return [](qint64) { keepWindowAlive(); };
}

void DlgLstManage::refuse(const ListResult &result)
{
    setLamp(StatusLamp::State::Error);
    LstManageTrace::info(result.traceMessage);
    showWarning(result.message);
}
