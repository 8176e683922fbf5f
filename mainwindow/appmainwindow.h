#ifndef LISTFORGE_MAINWINDOW_APPMAINWINDOW_H
#define LISTFORGE_MAINWINDOW_APPMAINWINDOW_H

#include "app/cmdlineoptions.h"
#include "app/tracer.h"
#include "instrument/clsinstrcontrol.h"

#include <QIcon>
#include <QMainWindow>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <functional>

class ClsColorScheme;
class ClsVisaControl;
class DlgColors;
class DlgInstrManage;
class DlgLstManage;
class DlgTraceLog;
class QTreeWidget;

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

    // The save dialog of the option list export; tests replace it. Arguments: caption,
    // proposed path, filter; returns the chosen path or an empty text.
    using SaveFileNameProvider = std::function<QString(const QString &strCaption, const QString &strProposal,
                                                       const QString &strFilter)>;
    void setSaveFileNameProvider(SaveFileNameProvider provider)
    {
        m_saveFileNameProvider = std::move(provider);
    }

    DlgTraceLog *traceLogDialog() const { return m_dlgTraceLog; }
    DlgColors *colorsDialog() const { return m_dlgColors; }
    DlgLstManage *lstManageDialog() const { return m_dlgLstManage; }
    DlgInstrManage *instrManageDialog() const { return m_dlgInstrManage; }
    ClsInstrControl *instrument() const { return m_instr; }
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
    void showInstrMessage(ClsInstrControl::EnuInstrLogType enuLogType, const QString &strMessage);
    void toggleRemoteTab();

    // Instrument pool and assignment.
    void updateInstrList();
    void assignInstr();

    // Remote control tab and option list.
    void sendCmd();
    void addCmdToCbx();
    void saveOLFile();

    // ---- Signal path panels: slots keyed by the path index (mainwindow/appmainwindow_paths.cpp) ----
    // Every slot takes the path index (1 = path A, 2 = path B) and returns at once for any other
    // value, without an instrument, or for a path the instrument does not have.
    void setRFFreq(int intSigPath);
    void setRFFreqUnit(int intSigPath);
    void setRFLev(int intSigPath);
    void setRFLevUnit(int intSigPath);
    void switchRFLev(int intSigPath);
    void setDataSrc(int intSigPath);
    void setDLFile(int intSigPath);
    void setCLFile(int intSigPath);
    void setPRBSType(int intSigPath);
    void setModType(int intSigPath);
    void setModParam(int intSigPath);
    void setModMapFile(int intSigPath);
    void setSymRate(int intSigPath);
    void setCoding(int intSigPath);
    void setFiltType(int intSigPath);
    void setFiltParam1(int intSigPath);
    void setFiltParam2(int intSigPath);
    void setFiltFile(int intSigPath);
    void setRampFunc(int intSigPath);
    void setRampTime(int intSigPath);
    void setRampRiseDly(int intSigPath);
    void setRampFallDly(int intSigPath);
    void setRampLevAtt(int intSigPath);
    void setRampBBOnly(int intSigPath);
    void switchRamp(int intSigPath);
    void setMark1Mode(int intSigPath);
    void setMark2Mode(int intSigPath);
    void setMark3Mode(int intSigPath);
    void setMark4Mode(int intSigPath);
    void setMark1Out(int intSigPath);
    void setMark2Out(int intSigPath);
    void setMark3Out(int intSigPath);
    void setMark4Out(int intSigPath);
    void switchCDM(int intSigPath);
    // Re-read the instrument's list catalogs after an upload of the list management dialog.
    void updateDLCbx();
    void updateCLCbx();

public:
    // Test-only entry until the instrument assignment routes through fillPathPanels(): takes the
    // instrument (not owned), sets the active state, enables the path tabs the instrument has and
    // fills the panels. detachInstrumentForPanels() gives the instrument back and resets the
    // panels to the idle placeholders; call it before the instrument or the window is deleted.
    void attachInstrumentForPanels(ClsInstrControl *instr);
    ClsInstrControl *detachInstrumentForPanels();

private:
    struct PathWidgets; // mainwindow/pathwidgets.h
    // Deletes a widget table where its type is complete, so this header needs no definition.
    struct PathWidgetsCleanup
    {
        static void cleanup(PathWidgets *pw);
    };

    // Constructor: fills the widget tables and connects the path controls to their slots.
    void initPathPanels();
    // Initial and idle states: placeholder content, every path control disabled.
    void resetPathPanels();
    // After the preset of a newly assigned instrument (active state): reads the instrument's
    // values, limits and catalogs into the panels of the paths it has and pushes the defaults.
    void fillPathPanels();

    PathWidgets *rfPathWidgets(int intSigPath) const;
    PathWidgets *cdmPathWidgets(int intSigPath) const;
    void fillRFGroup(PathWidgets &pw);
    void fillCDMGroup(PathWidgets &pw);
    void resetPath(PathWidgets &pw);
    void refreshRFFreqRange(PathWidgets &pw);
    void refreshRFLevRange(PathWidgets &pw);
    void refreshSymRateRange(PathWidgets &pw);
    void refreshModParamRange(PathWidgets &pw);
    bool modParamLimits(PathWidgets &pw, double &dblMin, double &dblMax) const;
    void setFiltParam(int intSigPath, int intParam);
    void setMarkMode(int intSigPath, int intMarker);
    void setMarkOut(int intSigPath, int intMarker);
    bool isMarkerRoutable(int intSigPath, int intMarker) const;
    void refreshMarkerOutputs();

    QScopedPointer<PathWidgets, PathWidgetsCleanup> m_pathWidgets[2];

public slots:
    // ---- End of signal path panels ----

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Without a stored size: grows the window so that a path shows every panel without scrolling.
    void fitDefaultSize();
    void initMenuBar();
    void registerColorEntries();
    void connectSignalsAndSlots();
    bool createVisaControl();
    void setInitialState();
    void setIdleState();
    void resetCommonState();
    void setAppState(EnuAppState enuState);

    // assignInstr() without the deferral of pool updates that arrive meanwhile.
    void assignCurrentEntry();
    void initInstrument();
    void setActiveState();
    void releaseInstr();
    void fillOptionList();
    void fillCmdErrorList();
    void resetCmdErrorList();
    // Widens the description column so that its longest text fits.
    static void fitSecondColumn(QTreeWidget *trw);

    // Instrument log lines: type 1 is information, anything else an error.
    void addInstrLogLine(int intLogType, const QString &strText);
    void replaceInstrLogLine(int intRow, const QString &strText);

    Ui::AppMainWindowUI *ui;
    Tracer m_tracer;
    ClsCmdLineOptions m_options;
    ClsColorScheme *m_colorScheme;

    DlgTraceLog *m_dlgTraceLog = nullptr;
    DlgColors *m_dlgColors = nullptr;
    DlgLstManage *m_dlgLstManage = nullptr;
    DlgInstrManage *m_dlgInstrManage = nullptr;
    ClsVisaControl *m_visa = nullptr;
    bool m_bolStartupComplete = false;

    int m_intAppState = StateInitial;

    // The assigned instrument: exists exactly in the active state.
    ClsInstrControl *m_instr = nullptr;
    // An assignment is running; pool updates that arrive meanwhile wait for its end.
    bool m_bolAssigning = false;
    bool m_bolPoolUpdatePending = false;

    // RF units per path (index 0 = path A, 1 = path B).
    QString m_strRFFreqUnit[2] = {QStringLiteral("MHz"), QStringLiteral("MHz")};
    double m_dblRFFreqFactor[2] = {1000000.0, 1000000.0};
    QString m_strRFLevelUnit[2] = {QStringLiteral("dBm"), QStringLiteral("dBm")};

    SaveFileNameProvider m_saveFileNameProvider;

    // The remote control page lives outside the tab widget while hidden.
    QWidget *m_wdgRemoteTab = nullptr;
    QString m_strRemoteTabTitle;
    QIcon m_icoRemoteTab;

    // No size was stored: the first show fits the window to the path panels.
    bool m_bolFitSizeOnShow = false;
};

#endif
