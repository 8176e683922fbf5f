#include "mainwindow/appmainwindow.h"

#include "app/dlgtracelog.h"
#include "instrmanage/dlginstrmanage.h"
#include "lists/dlglstmanage.h"
#include "ui/colorscheme.h"
#include "ui/dlgcolors.h"
#include "visa/clsvisacontrol.h"

#include "ui_AppMainWindowUI.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <algorithm>

#include <new>

namespace {

const QString DisplayName = QStringLiteral("Tarvik ListForge");
const QString StatusIconInitial = QStringLiteral(":/Misc/Misc/Red.png");
const QString StatusIconIdle = QStringLiteral(":/Misc/Misc/Yellow.png");
const QString StatusIconActive = QStringLiteral(":/Misc/Misc/Green.png");
constexpr int RemoteTabIndex = 3;

} // namespace

AppMainWindow::AppMainWindow(ClsColorScheme *scheme, const QStringList &lstArguments, QWidget *parent)
    : QMainWindow(parent), ui(new Ui::AppMainWindowUI), m_colorScheme(scheme)
{
    // Step 1: base window, tracer member, delete on close, the form.
    setAttribute(Qt::WA_DeleteOnClose);
    ui->setupUi(this);
    ui->splMain->setStretchFactor(0, 3);
    ui->splMain->setStretchFactor(1, 1);

    // Step 2: the modeless dialogs, each without a parent so that they are independent
    // top-level windows.
    m_dlgTraceLog = new DlgTraceLog();
    m_dlgInstrManage = new DlgInstrManage();
    m_dlgColors = new DlgColors(m_colorScheme);
    m_dlgLstManage = new DlgLstManage();

    // Step 3: the remote control tab is hidden until Ctrl+Alt+F1 asks for it.
    m_wdgRemoteTab = ui->tabWidget->widget(RemoteTabIndex);
    m_strRemoteTabTitle = ui->tabWidget->tabText(RemoteTabIndex);
    m_icoRemoteTab = ui->tabWidget->tabIcon(RemoteTabIndex);
    ui->tabWidget->removeTab(RemoteTabIndex);
    m_wdgRemoteTab->setParent(this);
    m_wdgRemoteTab->hide();

    // Step 4: command line.
    m_options =
        ClsCmdLineOptions::parse(lstArguments.isEmpty() ? QCoreApplication::arguments() : lstArguments);
    Tracer::setTraceMask(m_options.traceMask());

    // Step 5: file tracing.
    if (m_options.bolFileDebug) {
        const QString strLogFile = ClsCmdLineOptions::defaultLogFilePath();
        Tracer::setLogFile(strLogFile);
        Tracer::setFileTracing(true, QString());
        Tracer::setDateTimeStamp(true);
        Tracer::traceInfo(QStringLiteral("APMAIN  : Startup running..."));
        Tracer::traceDebug(QStringLiteral("APMAIN  : Tracing to log file '%1'").arg(strLogFile));
    }

    // Step 6.
    Tracer::traceDebug(QStringLiteral("APMAIN  : Tracer initialized"));

    // Step 7.
    initMenuBar();
    Tracer::traceDebug(QStringLiteral("APMAIN  : Menu bar initialized"));

    // Step 8.
    registerColorEntries();
    Tracer::traceDebug(QStringLiteral("APMAIN  : Color dialog initialized"));

    // Step 9. Without it the window cannot do anything useful: the caller ends the program.
    if (!createVisaControl())
        return;

    // Step 10: instrument messages of the preset worker cross threads in queued signals.
    qRegisterMetaType<ClsInstrControl::EnuInstrLogType>("EnuInstrLogType");
    qRegisterMetaType<ClsInstrControl::EnuInstrLogType>("ClsInstrControl::EnuInstrLogType");

    // Step 11.
    connectSignalsAndSlots();
    initPathPanels(); // path panels: per-path widget tables and their signal mappers
    Tracer::traceDebug(QStringLiteral("APMAIN  : Signals and slots connected"));

    // Step 12.
    setInitialState();
    Tracer::traceInfo(QStringLiteral("APMAIN  : Application set to initial state"));

    // Step 13.
    {
        QScopedPointer<QSettings> settings(createProgramSettings());
        loadProgramSettings(*settings);
    }
    Tracer::traceDebug(QStringLiteral("APMAIN  : Program settings loaded"));

    // Step 14.
    showStatusMsg(DisplayName + QStringLiteral(" initialized"));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    Tracer::traceInfo(QStringLiteral("APMAIN  : Startup complete!"));
    m_bolStartupComplete = true;
}

bool AppMainWindow::createVisaControl()
{
    m_visa = new (std::nothrow) ClsVisaControl(!m_options.bolNoVisa);
    if (!m_visa) {
        QMessageBox::critical(nullptr, DisplayName, QStringLiteral("Unable to create VISA control object"),
                              QMessageBox::Ok);
        return false;
    }
    const QString strError = m_visa->takeLastError();
    if (strError.isEmpty()) {
        Tracer::traceDebug(QStringLiteral("APMAIN  : VISA control object created and initialized"));
    } else {
        QMessageBox::critical(nullptr, DisplayName,
                              QStringLiteral("Unable to initialize VISA control object:\n") +
                                  QStringLiteral("Reason: ") + strError,
                              QMessageBox::Ok);
    }
    return true;
}

AppMainWindow::~AppMainWindow()
{
    // Nothing is switched off on the instrument when the program ends.
    delete m_instr;
    delete m_visa;
    delete m_dlgLstManage;
    delete m_dlgInstrManage;
    delete m_dlgColors;
    delete m_dlgTraceLog;
    delete ui;
}

QSettings *AppMainWindow::createProgramSettings()
{
    return new QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tarvik"),
                         QStringLiteral("ListForge"));
}

void AppMainWindow::initMenuBar()
{
    // Texts and tooltips come from the form; here only the behaviour is attached.
    connect(ui->actionListManage, &QAction::triggered, this, &AppMainWindow::showLstManageDlg);
    connect(ui->actionExit, &QAction::triggered, this, &QWidget::close);
    connect(ui->actionInstrManage, &QAction::triggered, this, &AppMainWindow::showInstrManageDlg);
    connect(ui->actionColors, &QAction::triggered, this, &AppMainWindow::showColorSettingsDlg);
    connect(ui->actionTraceLog, &QAction::triggered, this, &AppMainWindow::showTraceLogDlg);
    connect(ui->actionAbout, &QAction::triggered, this, &AppMainWindow::showAboutInfo);
    // X11 and Wayland keymaps turn Ctrl+Alt+F1 into the console switch, so on Linux that key
    // rarely reaches the window; the menu entry and its shortcut are the way that always works.
    connect(ui->actionRemotePanel, &QAction::toggled, this, [this](bool bolShow) {
        if (bolShow != isRemoteTabShown())
            toggleRemoteTab();
    });
}

void AppMainWindow::registerColorEntries()
{
    const QStringList roles = ClsColorScheme::roleKeys();
    for (const QString &strRole : roles)
        m_dlgColors->registerColorEntry(strRole, strRole);
}

void AppMainWindow::connectSignalsAndSlots()
{
    connect(m_dlgColors, &DlgColors::colorsChanged, this, &AppMainWindow::updateColors);
    connect(m_dlgInstrManage, &DlgInstrManage::instrListUpdated, this, &AppMainWindow::updateInstrList);
    connect(ui->cbxInstr, QOverload<int>::of(&QComboBox::activated), this, &AppMainWindow::assignInstr);
    connect(m_dlgLstManage, &DlgLstManage::newDLAvailable, this, &AppMainWindow::updateDLCbx);
    connect(m_dlgLstManage, &DlgLstManage::newCLAvailable, this, &AppMainWindow::updateCLCbx);
    // The instrument control core asks before it replaces a file on the instrument; the question
    // is the user's to answer.
    ClsInstrControl::setConfirmHandler([](const QString &strTitle, const QString &strText) {
        return QMessageBox::warning(nullptr, strTitle, strText, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    });
    connect(ui->btnClearInstrLog, &QPushButton::clicked, this, &AppMainWindow::clearInstrLog);
    connect(ui->btnSendCmd, &QPushButton::clicked, this, &AppMainWindow::sendCmd);
    connect(ui->cbxCmd, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &AppMainWindow::addCmdToCbx);
    connect(ui->btnOLFileSave, &QPushButton::clicked, this, &AppMainWindow::saveOLFile);
}

void AppMainWindow::setAppState(EnuAppState enuState)
{
    m_intAppState = enuState;
    const QString *strIcon = &StatusIconInitial;
    if (enuState == StateIdle)
        strIcon = &StatusIconIdle;
    else if (enuState == StateActive)
        strIcon = &StatusIconActive;
    ui->lblInstrStatus->setPixmap(QPixmap(*strIcon));
    ui->lblInstrStatus->show();
}

void AppMainWindow::resetCommonState()
{
    clearInstrLog();
    // Disabling the current tab makes the tab widget jump to the next enabled one, so select
    // the options tab only after all are disabled.
    for (int i = 0; i < 3; ++i)
        ui->tabWidget->setTabEnabled(i, false);
    if (ui->tabWidget->count() > RemoteTabIndex)
        ui->tabWidget->setTabEnabled(RemoteTabIndex, false);
    ui->tabWidget->setCurrentIndex(0);

    ui->trwOptionList->clear();
    ui->trwOptionList->setColumnCount(2);
    ui->trwOptionList->setHeaderLabels({QStringLiteral("Option"), QStringLiteral("Functionality")});
    ui->trwCmdErrorList->setColumnCount(2);
    ui->trwCmdErrorList->setHeaderLabels({QStringLiteral("Error No.-Code"), QStringLiteral("Error Meaning")});
    ui->btnOLFileSave->setEnabled(false);
    resetPathPanels(); // path panels: placeholders, every path control disabled
}

void AppMainWindow::setInitialState()
{
    setAppState(StateInitial);
    resetCommonState();
}

void AppMainWindow::setIdleState()
{
    setAppState(StateIdle);
    resetCommonState();
}

void AppMainWindow::loadProgramSettings(QSettings &settings)
{
    m_bolFitSizeOnShow = !settings.contains(QStringLiteral("size"));
    resize(settings.value(QStringLiteral("size"), QSize(700, 500)).toSize());
    move(settings.value(QStringLiteral("pos"), QPoint(50, 50)).toPoint());

    const int intCount = settings.beginReadArray(QStringLiteral("Commands"));
    for (int i = 0; i < intCount; ++i) {
        settings.setArrayIndex(i);
        ui->cbxCmd->addItem(settings.value(QStringLiteral("String")).toString());
    }
    settings.endArray();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    // Dialog groups, in the order the settings file has always had them: instrument pool,
    // colours, trace log, list management.
    m_dlgInstrManage->loadSettings(settings);
    m_dlgColors->loadSettings(settings);
    m_dlgTraceLog->loadSettings(settings);
    m_dlgLstManage->loadSettings(settings);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void AppMainWindow::saveProgramSettings(QSettings &settings)
{
    settings.setValue(QStringLiteral("pos"), pos());
    settings.setValue(QStringLiteral("size"), size());

    settings.beginWriteArray(QStringLiteral("Commands"));
    for (int i = 0; i < ui->cbxCmd->count(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(QStringLiteral("String"), ui->cbxCmd->itemText(i));
    }
    settings.endArray();

    m_dlgInstrManage->saveSettings(settings);
    m_dlgColors->saveSettings(settings);
    m_dlgTraceLog->saveSettings(settings);
    m_dlgLstManage->saveSettings(settings);
    settings.sync();
}

bool AppMainWindow::isRemoteTabShown() const
{
    return ui->tabWidget->count() > RemoteTabIndex;
}

void AppMainWindow::toggleRemoteTab()
{
    if (ui->tabWidget->count() <= RemoteTabIndex) {
        const int intIndex = ui->tabWidget->addTab(m_wdgRemoteTab, m_icoRemoteTab, m_strRemoteTabTitle);
        ui->tabWidget->setTabEnabled(intIndex, m_intAppState == StateActive);
    } else {
        ui->tabWidget->removeTab(RemoteTabIndex);
        m_wdgRemoteTab->hide();
    }
    ui->actionRemotePanel->setChecked(isRemoteTabShown());
}

void AppMainWindow::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier);
    if (event->key() == Qt::Key_F1 && mods == (Qt::ControlModifier | Qt::AltModifier)) {
        toggleRemoteTab();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void AppMainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_bolFitSizeOnShow) {
        m_bolFitSizeOnShow = false;
        // Once the shown window is laid out.
        QTimer::singleShot(0, this, &AppMainWindow::fitDefaultSize);
    }
}

void AppMainWindow::fitDefaultSize()
{
    // A path page scrolls when the window is small; at the default size it should not have to,
    // also not once a control list brings the Ramp/Marker tabs (hidden until then, so the page's
    // layout does not count them yet). Every page of the tab widget gets the same height.
    QWidget *page = ui->wdgPathA;
    const int intNeeded =
        page->layout()->sizeHint().height() +
        (ui->tabCtrlParamsA->isHidden() ? ui->tabCtrlParamsA->sizeHint().height() + page->layout()->spacing()
                                        : 0);
    const int intMissing = intNeeded - ui->tabWidget->currentWidget()->height();
    if (intMissing <= 0)
        return;
    // The splitter shares added height with the instrument log by its stretch factors (3:1).
    const int intGrow = (intMissing * 4 + 2) / 3;
    const int intMaxHeight = screen() ? screen()->availableGeometry().height() : height() + intGrow;
    resize(width(), std::min(intMaxHeight, height() + intGrow));
}

void AppMainWindow::hideEvent(QHideEvent *event)
{
    // The list management dialog stays: users keep editing lists with the main window minimised.
    m_dlgInstrManage->hide();
    m_dlgColors->hide();
    m_dlgTraceLog->hide();
    QMainWindow::hideEvent(event);
}

void AppMainWindow::closeEvent(QCloseEvent *event)
{
    hide();
    QScopedPointer<QSettings> settings(createProgramSettings());
    saveProgramSettings(*settings);
    if (settings->status() != QSettings::NoError)
        QMessageBox::critical(nullptr, DisplayName, QStringLiteral("The settings file cannot be written.\n"),
                              QMessageBox::Ok);
    m_dlgInstrManage->close();
    m_dlgColors->close();
    m_dlgTraceLog->close();
    m_dlgLstManage->close();
    event->accept();
}

void AppMainWindow::showStatusMsg(const QString &strStatusMsg)
{
    ui->sbrMainWindow->showMessage(strStatusMsg);
}

void AppMainWindow::showAboutInfo()
{
    const QString strText =
        QStringLiteral("<h3>Tarvik ListForge</h3>"
                       "<p>Version V" LISTFORGE_VERSION "<br>Build %1, Qt %2</p>"
                       "<p>Data and control lists for the Custom Digital Modulation of the signal "
                       "generators ZOY550X, GKR550X, PLOXA550X, DVT330X and HERN330X.</p>"
                       "<p>&copy; Tarvik. All rights reserved.<br>"
                       "Support: contact your Tarvik service centre.</p>"
                       "<p><small>Icon sets used by this program are provided under the GNU LGPL and "
                       "the Creative Commons Attribution 3.0 licence.</small></p>")
            .arg(QStringLiteral(__DATE__ " " __TIME__), QString::fromLatin1(qVersion()));
    QMessageBox::about(this, DisplayName, strText);
}

void AppMainWindow::showInstrManageDlg()
{
    m_dlgInstrManage->show();
    m_dlgInstrManage->raise();
}

void AppMainWindow::showColorSettingsDlg()
{
    m_dlgColors->show();
    m_dlgColors->raise();
}

void AppMainWindow::showTraceLogDlg()
{
    m_dlgTraceLog->show();
    m_dlgTraceLog->raise();
}

void AppMainWindow::showLstManageDlg()
{
    m_dlgLstManage->show();
    m_dlgLstManage->raise();
}

void AppMainWindow::updateColors()
{
    Tracer::traceDebug(QStringLiteral("APMAIN  : Color settings dialog updated"));
    qApp->setStyleSheet(m_colorScheme->styleSheet());
}

void AppMainWindow::toggleInstrStateIndi()
{
    ui->lblInstrStatus->setVisible(!ui->lblInstrStatus->isVisible());
}

void AppMainWindow::clearInstrLog()
{
    ui->lswInstrLog->clear();
}

void AppMainWindow::showInstrMessage(ClsInstrControl::EnuInstrLogType enuLogType, const QString &strMessage)
{
    addInstrLogLine(enuLogType, strMessage);
}

void AppMainWindow::addInstrLogLine(int intLogType, const QString &strText)
{
    static const QIcon info(QStringLiteral(":/Tracer/TraceLog/info.png"));
    static const QIcon error(QStringLiteral(":/Tracer/TraceLog/error.png"));
    auto *item = new QListWidgetItem(intLogType == 1 ? info : error, strText, ui->lswInstrLog);
    ui->lswInstrLog->setCurrentItem(item);
}

void AppMainWindow::replaceInstrLogLine(int intRow, const QString &strText)
{
    if (QListWidgetItem *item = ui->lswInstrLog->item(intRow))
        item->setText(strText);
}
