#ifndef LISTFORGE_MAINWINDOW_APPMAINWINDOW_H
#define LISTFORGE_MAINWINDOW_APPMAINWINDOW_H

#include "app/cmdlineoptions.h"
#include "app/tracer.h"

#include <QIcon>
#include <QMainWindow>
#include <QSettings>
#include <QString>
#include <QStringList>

class ClsColorScheme;
class ClsVisaControl;
class DlgColors;
class DlgLstManage;
class DlgTraceLog;

namespace Ui {
class AppMainWindowUI;
}

// The program's only top-level window. It owns the modeless dialogs, moves the application
// between its initial, idle and active states and hosts the instrument log.
class AppMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    enum EnuAppState
    {
        StateInitial = 1,
        StateIdle = 2,
        StateActive = 3
    };

    // The colour scheme belongs to the program entry, which loads it before this window exists
    // and saves it after the event loop; the window only restyles from it.
    explicit AppMainWindow(ClsColorScheme *scheme, const QStringList &lstArguments = QStringList(),
                           QWidget *parent = nullptr);
    ~AppMainWindow() override;

    int appState() const { return m_intAppState; }
    const ClsCmdLineOptions &cmdLineOptions() const { return m_options; }
    bool isRemoteTabShown() const;

    // The program settings file: INI, user scope, organisation "Tarvik", application "ListForge".
    static QSettings *createProgramSettings();
    void loadProgramSettings(QSettings &settings);
    void saveProgramSettings(QSettings &settings);

    DlgTraceLog *traceLogDialog() const { return m_dlgTraceLog; }
    DlgColors *colorsDialog() const { return m_dlgColors; }
    DlgLstManage *lstManageDialog() const { return m_dlgLstManage; }
    ClsVisaControl *visaControl() const { return m_visa; }
    // False when the VISA control object could not be created at all; the program then ends.
    bool isStartupComplete() const { return m_bolStartupComplete; }

public slots:
    void showStatusMsg(const QString &strStatusMsg);
    void showAboutInfo();
    void showInstrManageDlg();
    void showColorSettingsDlg();
    void showTraceLogDlg();
    void showLstManageDlg();
    void updateColors();
    void toggleInstrStateIndi();
    void clearInstrLog();
    void showInstrMessage(int intLogType, const QString &strMessage);
    void toggleRemoteTab();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void initMenuBar();
    void registerColorEntries();
    void connectSignalsAndSlots();
    bool createVisaControl();
    void setInitialState();
    void setIdleState();
    void resetCommonState();
    void setAppState(EnuAppState enuState);

    // Instrument log lines: type 1 is information, anything else an error.
    void addInstrLogLine(int intLogType, const QString &strText);
    void replaceLastInstrLogLine(const QString &strText);

    Ui::AppMainWindowUI *ui;
    Tracer m_tracer;
    ClsCmdLineOptions m_options;
    ClsColorScheme *m_colorScheme;

    DlgTraceLog *m_dlgTraceLog = nullptr;
    DlgColors *m_dlgColors = nullptr;
    DlgLstManage *m_dlgLstManage = nullptr;
    ClsVisaControl *m_visa = nullptr;
    bool m_bolStartupComplete = false;

    int m_intAppState = StateInitial;

    // RF units per path (index 0 = path A, 1 = path B).
    QString m_strRFFreqUnit[2] = {QStringLiteral("MHz"), QStringLiteral("MHz")};
    double m_dblRFFreqFactor[2] = {1000000.0, 1000000.0};
    QString m_strRFLevelUnit[2] = {QStringLiteral("dBm"), QStringLiteral("dBm")};

    // The remote control page lives outside the tab widget while hidden.
    QWidget *m_wdgRemoteTab = nullptr;
    QString m_strRemoteTabTitle;
    QIcon m_icoRemoteTab;
};

#endif
