#ifndef LISTFORGE_INSTRMANAGE_DLGINSTRMANAGE_H
#define LISTFORGE_INSTRMANAGE_DLGINSTRMANAGE_H

#include "instrmanage/clsinstrpool.h"

#include <QDialog>
#include <QList>

class ClsInstrScanner;
class QLabel;
class QSettings;
class QTimer;
class QTreeWidgetItem;
namespace Ui {
class DlgInstrManageUI;
}

// The instrument pool dialog: instruments enter by GPIB, USB or LAN scan or by a host typed in,
// can be enabled, commented, deleted and re-checked. Every change the main window has to know
// about is announced by instrListUpdated(); the main window then reads instrRecords().
class DlgInstrManage : public QDialog
{
    Q_OBJECT
public:
    // How a pool entry is shown: answered at its last check, held by another session of this
    // program, or not reached / disabled.
    enum class InstrState
    {
        Connected,
        Busy,
        Offline
    };

    static constexpr int IndicatorIntervalMs = 250;
    static constexpr int MaxHostHistory = 10;

    explicit DlgInstrManage(QWidget *parent = nullptr);
    ~DlgInstrManage() override;

    // The pool in the order its entries entered, each with its enabled flag.
    QList<InstrRecord> instrRecords() const { return m_pool.records(); }
    const ClsInstrScanner &scanner() const { return *m_scanner; }
    // The state shown for the entry with this resource (Offline when there is none).
    InstrState instrState(const QString &strResource) const;

    // The "InstrManage" group of the program settings. Loading ends with a refresh.
    void loadSettings(QSettings &settings);
    void saveSettings(QSettings &settings) const;

signals:
    void instrListUpdated();

public slots:
    void scanGpibForInstr();
    void scanUsbForInstr();
    void scanLanForInstr();
    void getLanInstr();
    void abortLanInstrScan();
    void addInstrManually();
    void removeLastInstrFromCbx();
    void deleteInstr();
    void deleteInstrList();
    void refreshInstrList();
    void changeInstrState(QTreeWidgetItem *ptrInstrListItem, int intColumn);
    void addInstrComment(QTreeWidgetItem *ptrInstrListItem, int intColumn);
    void toggleScanIndi();

protected:
    // Asks for a comment; false when the user cancelled. Tests replace the input dialog.
    virtual bool askComment(const QString &strCurrent, QString &strComment);

private:
    void scanVisaInterface(int intKind, QLabel *ptrIndicator, const QString &strComment);
    void addFoundInstr(const InstrRecord &record);
    void addInstrWithoutContact(const InstrRecord &record, InstrState state);
    void appendTreeItem(const InstrRecord &record, InstrState state);
    QTreeWidgetItem *topLevelItemOf(QTreeWidgetItem *ptrItem) const;
    static QString resourceOfItem(const QTreeWidgetItem *ptrItem);
    static InstrRecord instrumentOfItem(const QTreeWidgetItem *ptrItem);
    void startLanScan();
    void endLanScan();
    void setScanButtonsEnabled(bool bolEnabled);
    // Gives back what a refresh set aside and the scan did not find (offline); true if any.
    bool restoreSetAsideLanRecords();
    void startIndicator(QLabel *ptrIndicator);
    void stopIndicator();

    Ui::DlgInstrManageUI *m_ui;
    ClsInstrScanner *m_scanner;
    QTimer *m_indicatorTimer;
    QLabel *m_activeIndicator = nullptr;
    // LAN-scanned entries that a refresh leaves to a new LAN scan are set aside in the pool;
    // those the scan does not find again come back offline instead of vanishing.
    ClsInstrPool m_pool;
};

#endif
