#ifndef LISTFORGE_LISTS_DLGLSTMANAGE_H
#define LISTFORGE_LISTS_DLGLSTMANAGE_H

#include "lists/controllist.h"
#include "lists/datalist.h"
#include "lists/datalistfile.h"
#include "lists/datalistview.h"
#include "lists/modtypeinfo.h"
#include "lists/statuslamp.h"

#include <QDialog>
#include <QSettings>
#include <QString>

#include <array>

class ClsInstrControl;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMessageBox;

namespace Ui {
class DlgLstManageUI;
}

// The list management window. Tab "Data" builds a data list from a PRBS, a pattern, a fixed
// sequence, a data file or a data list file, shows a window of it in a table where single cells
// can be edited, and saves it as a binary or ASCII data list file. Tab "Control" edits the eight
// per-symbol control signals of a control list as tag strings and saves or imports ".dm_iqc"
// files. All list logic lives in the widget-free DataList and ControlList; this class holds the
// widgets, their rules and the presentation.
//
// While an instrument is assigned (setInstrument) the saved or imported list files can be
// uploaded into its mass memory; newDLAvailable / newCLAvailable tell the main window to re-read
// the instrument's catalogs.
class DlgLstManage : public QDialog
{
    Q_OBJECT
public:
    explicit DlgLstManage(QWidget *parent = nullptr);
    ~DlgLstManage() override;

    // Group "LstManage" of the program settings.
    void loadSettings(QSettings &settings);
    void saveSettings(QSettings &settings) const;

    const DataList &dataList() const { return m_dataList; }
    bool isAppendMode() const;
    // The six header fields the next binary data list file will carry (empty after a clear).
    QStringList dataListHeaderFields() const { return m_header.fields(); }

    // The assigned instrument (not owned), or none.
    void setInstrument(ClsInstrControl *instrument);
    void releaseInstrument();
    ClsInstrControl *instrument() const { return m_instrument; }

signals:
    void newDLAvailable();
    void newCLAvailable();

public slots:
    void setDLModType();
    void setDLBitPerSym();
    void setDLSymCount();
    void setDLBitCount();
    void setDLCountFormat();
    void setDLDataSrc();
    void setDLPRBSType();
    void setDLAppend();
    void selectDLPRBSType();
    void selectDLBitPatt();
    void selectDLBitSequ();
    void selectDLDataFile();
    void selectDLFile();
    void toggleDLStatusIndi();
    void resetDL();
    void setDLComment();
    void updateDLComment();
    void setDLForm(bool bolChecked);
    void setDLCellOffset();
    void processChangedDLCell(int intRow, int intColumn);
    void saveDLFile();
    void setDLFileFormat();
    void uploadDLFile();
    // Tab "Control"; signals are numbered 1..8 (marker 1-4, burst, level attenuation, CW only,
    // hop).
    void setCLLength(int intLength);
    void setCLLengthMode();
    void setCLDataSrc();
    void selectCLFile();
    void toggleCLStatusIndi();
    void resetCL();
    void toggleCLTag(int intSignal);
    void checkTagContent(int intSignal);
    void saveCLFile();
    void uploadCLFile();

protected:
    // The dialog's warning box (modal). Virtual so that automated runs can answer it.
    virtual void showWarning(const QString &strText);
    // Qt's own file dialogs, starting in the current directory. An empty text means cancelled.
    virtual QString askOpenFileName(const QString &strTitle, const QString &strFilter);
    virtual QString askSaveFileName(const QString &strTitle, const QString &strFilter);

private:
    enum class ClearMode
    {
        KeepData,
        ClearDataUnlessAppending,
        ClearData
    };

    // Construction, split by concern.
    void fillChoices();
    void connectSignals();
    void setInitialState();

    // Modulation and counts.
    ModTypeInfo currentModType() const;
    qint64 currentMaxBits() const;
    void checkSymbolCount();
    void checkPrbsCount();
    void showIndicator(bool bolShow, QLabel *label, const QString &strToolTip);
    void followDataListInControlLength();

    // Sources.
    QString currentSource() const;
    int currentPrbsOrder() const;
    bool acceptTotal(qint64 newBits);
    bool applyRepeatingUnit(const QString &strUnit);
    void finishApply();
    void refuse(const ListResult &result);

    // View.
    void setLamp(StatusLamp::State state);
    void clearView(ClearMode mode);
    void rebuild();
    void updateOffsetRange();
    DataListViewMode viewMode() const;
    void restoreCell(int intRow, int intColumn, const QString &strText);

    // Files.
    bool chooseFile(bool bolSave, const QString &strTitle, const QString &strFilter,
                    const QString &strCancelTrace, QString &strDirectory, QString &strFileName);
    void rememberLocalFile(const QString &strFileName, const QString &strDirectory);
    void forgetLocalFile();
    void offerDLUpload();

    ProgressFn keepResponsive();

    // Control tab.
    struct ControlSignalWidgets
    {
        QCheckBox *check;
        QLineEdit *edit;
        QLabel *attention;
    };
    void setupControlTab();
    void connectControlSignals();
    ControlSignalWidgets controlSignal(int intSignal) const; // 1..8
    bool isControlListSource() const;
    qint64 storedCLLength() const;
    void setCLAttention(QLabel *label, bool bolShow);
    void hideAllCLAttention();
    bool checkAllCLTags(qint64 length, bool bolUpdateIndicators);
    void hideCLLengthAttentionIfAllFit();
    void resetCLFields();
    void setCLChecksFromTexts();
    void applyImportedCLLength(const QString &strLength, const QString &strFileName);
    void setCLLamp(StatusLamp::State state);
    void rememberCLLocalFile(const QString &strFileName, const QString &strDirectory);
    void forgetCLLocalFile();
    void offerCLUpload();

    Ui::DlgLstManageUI *ui;
    QMessageBox *m_warningBox;
    ClsInstrControl *m_instrument = nullptr;
    StatusLamp *m_dlLamp;
    ModTypeTable m_modTypes;
    DataList m_dataList;
    DataListHeader m_header;
    DataListTableLayout m_tableLayout;
    QString m_strDLLocFileName;
    QString m_strDLLocFileDir;

    std::array<ControlSignalWidgets, ControlList::SignalCount> m_clSignals{};
    StatusLamp *m_clLamp = nullptr;
    // The last accepted tag texts, the length in force and the other fields of the control list.
    ControlList::ControlListData m_clData;
    int m_intCLAttentionCount = 0;
    QString m_strCLLocFileName;
    QString m_strCLLocFileDir;
};

#endif
