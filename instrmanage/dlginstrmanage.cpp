#include "instrmanage/dlginstrmanage.h"

#include "app/tracer.h"
#include "instrmanage/clsinstrscanner.h"
#include "ui_DlgInstrManageUI.h"
#include "visa/clsvisacontrol.h"

#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>

namespace {

void traceInfo(const QString &strText)
{
    Tracer::traceInfo(QStringLiteral("DINSSE  : ") + strText);
}

constexpr int StateRole = Qt::UserRole + 1;
// Type, serial number and interface of the entry an item shows: what tells entries apart.
constexpr int InstrumentRole = Qt::UserRole + 2;
const QString ResourceChildText = QStringLiteral("VISA resource");
const QString LanScanComment = QStringLiteral("LAN Scan");

QIcon stateIcon(DlgInstrManage::InstrState state)
{
    switch (state) {
    case DlgInstrManage::InstrState::Connected:
        return QIcon(QStringLiteral(":/Instrument/Instrument/InstrConnected.png"));
    case DlgInstrManage::InstrState::Busy:
        return QIcon(QStringLiteral(":/Instrument/Instrument/InstrBusy.png"));
    case DlgInstrManage::InstrState::Offline:
        break;
    }
    return QIcon(QStringLiteral(":/Instrument/Instrument/InstrOffline.png"));
}

} // namespace

DlgInstrManage::DlgInstrManage(QWidget *parent)
    : QDialog(parent), m_ui(new Ui::DlgInstrManageUI), m_scanner(new ClsInstrScanner(this)),
      m_indicatorTimer(new QTimer(this))
{
    m_ui->setupUi(this);
    for (QLabel *ptrIndicator : {m_ui->lblScanGpib, m_ui->lblScanUsb, m_ui->lblScanLan, m_ui->lblRefresh})
        ptrIndicator->setVisible(false);
    m_ui->lblScanLan->setToolTip(QStringLiteral("LAN scan running: scans and refresh wait for it"));
    // Return belongs to the field it is typed in: no button may catch it as the dialog's default
    // (the first one would start a GPIB scan).
    for (QPushButton *ptrButton : findChildren<QPushButton *>()) {
        ptrButton->setAutoDefault(false);
        ptrButton->setDefault(false);
    }
    // The history is kept by addInstrManually(), which puts the newest host first.
    m_ui->cbxInstr->setInsertPolicy(QComboBox::NoInsert);
    connect(m_ui->cbxInstr->lineEdit(), &QLineEdit::returnPressed, this, &DlgInstrManage::addInstrManually);

    QHeaderView *ptrHeader = m_ui->trwInstrList->header();
    ptrHeader->setStretchLastSection(true);
    ptrHeader->setSectionResizeMode(0, QHeaderView::Interactive);
    ptrHeader->setSectionResizeMode(1, QHeaderView::Interactive);
    m_ui->trwInstrList->setColumnWidth(0, 200);
    m_ui->trwInstrList->setColumnWidth(1, 180);
    m_ui->trwInstrList->sortByColumn(0, Qt::AscendingOrder);

    m_indicatorTimer->setInterval(IndicatorIntervalMs);
    connect(m_indicatorTimer, &QTimer::timeout, this, &DlgInstrManage::toggleScanIndi);

    connect(m_ui->btnScanGpib, &QPushButton::clicked, this, &DlgInstrManage::scanGpibForInstr);
    connect(m_ui->btnScanUsb, &QPushButton::clicked, this, &DlgInstrManage::scanUsbForInstr);
    connect(m_ui->btnScanLan, &QPushButton::clicked, this, &DlgInstrManage::scanLanForInstr);
    connect(m_scanner, &ClsInstrScanner::newVxiInstrs, this, &DlgInstrManage::getLanInstr);
    connect(m_scanner, &ClsInstrScanner::noVxiInstrs, this, &DlgInstrManage::abortLanInstrScan);
    connect(m_ui->btnAddInstr, &QPushButton::clicked, this, &DlgInstrManage::addInstrManually);
    connect(m_ui->cbxInstr, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &DlgInstrManage::removeLastInstrFromCbx);
    connect(m_ui->btnDeleteSelected, &QPushButton::clicked, this, &DlgInstrManage::deleteInstr);
    connect(m_ui->btnDeleteAll, &QPushButton::clicked, this, &DlgInstrManage::deleteInstrList);
    connect(m_ui->btnRefresh, &QPushButton::clicked, this, &DlgInstrManage::refreshInstrList);
    connect(m_ui->trwInstrList, &QTreeWidget::itemChanged, this, &DlgInstrManage::changeInstrState);
    connect(m_ui->trwInstrList, &QTreeWidget::itemDoubleClicked, this, &DlgInstrManage::addInstrComment);
}

DlgInstrManage::~DlgInstrManage()
{
    delete m_ui;
}

DlgInstrManage::InstrState DlgInstrManage::instrState(const QString &strResource) const
{
    for (int intIndex = 0; intIndex < m_ui->trwInstrList->topLevelItemCount(); ++intIndex) {
        const QTreeWidgetItem *ptrItem = m_ui->trwInstrList->topLevelItem(intIndex);
        if (resourceOfItem(ptrItem) == strResource)
            return InstrState(ptrItem->data(0, StateRole).toInt());
    }
    return InstrState::Offline;
}

// ---- scans ----------------------------------------------------------------------------------

void DlgInstrManage::scanGpibForInstr()
{
    scanVisaInterface(VisaFindGpib, m_ui->lblScanGpib, QStringLiteral("GPIB Scan"));
}

void DlgInstrManage::scanUsbForInstr()
{
    scanVisaInterface(VisaFindUsb, m_ui->lblScanUsb, QStringLiteral("USB Scan"));
}

void DlgInstrManage::scanVisaInterface(int intKind, QLabel *ptrIndicator, const QString &strComment)
{
    startIndicator(ptrIndicator);
    {
        ClsVisaControl visa;
        QList<InstrRecord> lstFound;
        // A failed search (no library, nothing connected) has been traced by the VISA layer and
        // leaves the pool as it is.
        if (visa.scanInterface(intKind, lstFound)) {
            for (InstrRecord record : qAsConst(lstFound)) {
                record.comment = strComment;
                record.enabled = true;
                addFoundInstr(record);
            }
            emit instrListUpdated();
        }
    }
    stopIndicator();
}

void DlgInstrManage::scanLanForInstr()
{
    if (m_scanner->isScanning())
        return; // the running scan reports through getLanInstr / abortLanInstrScan
    startLanScan();
}

void DlgInstrManage::startLanScan()
{
    startIndicator(m_ui->lblScanLan);
    // The other scans block the window thread and would stall this one's identification; a
    // refresh would set aside entries this scan is about to bring back.
    setScanButtonsEnabled(false);
    m_scanner->startLanScan(m_ui->ledScanLan->text());
}

void DlgInstrManage::getLanInstr()
{
    for (const InstrScanHost &host : m_scanner->hosts())
        addFoundInstr(ClsInstrPool::recordFromScanHost(host));
    restoreSetAsideLanRecords();
    emit instrListUpdated();
    endLanScan();
}

void DlgInstrManage::abortLanInstrScan()
{
    if (restoreSetAsideLanRecords())
        emit instrListUpdated();
    endLanScan();
}

void DlgInstrManage::endLanScan()
{
    stopIndicator();
    setScanButtonsEnabled(true);
}

void DlgInstrManage::setScanButtonsEnabled(bool bolEnabled)
{
    for (QPushButton *ptrButton : {m_ui->btnScanGpib, m_ui->btnScanUsb, m_ui->btnScanLan, m_ui->btnRefresh})
        ptrButton->setEnabled(bolEnabled);
}

bool DlgInstrManage::restoreSetAsideLanRecords()
{
    const QList<InstrRecord> lstSetAside = m_pool.takeSetAside();
    for (InstrRecord record : lstSetAside) {
        if (m_pool.indexOfSame(record) >= 0)
            continue; // found again by the scan
        record.enabled = false;
        addInstrWithoutContact(record, InstrState::Offline);
    }
    return !lstSetAside.isEmpty();
}

// ---- manual add and host history ------------------------------------------------------------

void DlgInstrManage::addInstrManually()
{
    const QString strText = m_ui->cbxInstr->currentText().trimmed();
    if (strText.isEmpty())
        return;
    if (m_ui->cbxInstr->findText(strText) < 0) {
        m_ui->cbxInstr->insertItem(0, strText);
        m_ui->cbxInstr->setCurrentIndex(0);
    }

    const QString strResource = ClsInstrPool::manualResource(strText);
    traceInfo(QStringLiteral("Trying to open the LAN connection to instrument '%1'...").arg(strResource));
    ClsVisaControl visa;
    if (!visa.openSession(strResource, true)) {
        traceInfo(QStringLiteral("The instrument '%1' could not be reached and was thus not added")
                      .arg(strResource));
        return;
    }
    InstrRecord record;
    record.instrType = visa.getInstrType();
    record.serialNumber = visa.getSerialNumber();
    record.resource = visa.getResource();
    record.firmware = visa.getFirmware();
    record.interfaceName = visa.getInterfaceName();
    record.comment = QStringLiteral("LAN Manual");
    record.enabled = true;
    addFoundInstr(record);
    visa.closeSession();
    emit instrListUpdated();
}

void DlgInstrManage::removeLastInstrFromCbx()
{
    if (m_ui->cbxInstr->count() > MaxHostHistory)
        m_ui->cbxInstr->removeItem(MaxHostHistory);
}

// ---- pool editing ---------------------------------------------------------------------------

void DlgInstrManage::changeInstrState(QTreeWidgetItem *ptrInstrListItem, int intColumn)
{
    if (!ptrInstrListItem || intColumn != 0 || ptrInstrListItem->parent())
        return;
    if (m_pool.setEnabled(instrumentOfItem(ptrInstrListItem), ptrInstrListItem->checkState(0) == Qt::Checked))
        emit instrListUpdated();
}

void DlgInstrManage::addInstrComment(QTreeWidgetItem *ptrInstrListItem, int intColumn)
{
    Q_UNUSED(intColumn)
    if (!ptrInstrListItem || ptrInstrListItem->parent())
        return;
    QString strComment;
    if (!askComment(ptrInstrListItem->text(2), strComment))
        return;
    const QSignalBlocker blocker(m_ui->trwInstrList);
    ptrInstrListItem->setText(2, strComment);
    m_pool.setComment(instrumentOfItem(ptrInstrListItem), strComment);
}

bool DlgInstrManage::askComment(const QString &strCurrent, QString &strComment)
{
    bool bolOk = false;
    strComment =
        QInputDialog::getText(this, QStringLiteral("Enter Comment"), QStringLiteral("Enter optional comment"),
                              QLineEdit::Normal, strCurrent, &bolOk);
    return bolOk;
}

void DlgInstrManage::deleteInstr()
{
    QTreeWidgetItem *ptrItem = topLevelItemOf(m_ui->trwInstrList->currentItem());
    if (!ptrItem)
        return;
    m_pool.remove(instrumentOfItem(ptrItem));
    delete ptrItem;
    emit instrListUpdated();
}

void DlgInstrManage::deleteInstrList()
{
    m_pool.clear();
    m_ui->trwInstrList->clear();
    emit instrListUpdated();
}

// ---- refresh --------------------------------------------------------------------------------

void DlgInstrManage::refreshInstrList()
{
    if (m_scanner->isScanning())
        return; // its LAN entries are still on their way back
    startIndicator(m_ui->lblRefresh);
    const QList<InstrRecord> lstRecords = m_pool.takeAll();
    m_ui->trwInstrList->clear();
    bool bolSetAside = false;

    for (InstrRecord record : lstRecords) {
        if (!record.enabled) {
            addInstrWithoutContact(record, InstrState::Offline);
            continue;
        }
        ClsVisaControl visa;
        if (visa.isInstrSessionOpen(record.instrType, record.serialNumber)) {
            addInstrWithoutContact(record, InstrState::Busy);
            continue;
        }
        if (record.comment == LanScanComment) {
            m_pool.setAside(record);
            bolSetAside = true;
            continue;
        }
        if (visa.openSession(record.resource, true)) {
            visa.closeSession();
            addFoundInstr(record);
        } else {
            record.enabled = false;
            addInstrWithoutContact(record, InstrState::Offline);
        }
    }

    if (bolSetAside) {
        startLanScan();
        // A scan that could not start gives its entries back at once.
        if (!m_scanner->isScanning()) {
            restoreSetAsideLanRecords();
            endLanScan();
        }
    } else {
        stopIndicator();
    }
    emit instrListUpdated();
}

// ---- settings -------------------------------------------------------------------------------

void DlgInstrManage::loadSettings(QSettings &settings)
{
    settings.beginGroup(QStringLiteral("InstrManage"));
    resize(settings.value(QStringLiteral("Size"), QSize(520, 580)).toSize());
    move(settings.value(QStringLiteral("Pos"), QPoint(100, 100)).toPoint());

    m_ui->cbxInstr->clear();
    const int intHosts = settings.beginReadArray(QStringLiteral("ManualInstr"));
    for (int intIndex = 0; intIndex < intHosts && intIndex < MaxHostHistory; ++intIndex) {
        settings.setArrayIndex(intIndex);
        m_ui->cbxInstr->addItem(settings.value(QStringLiteral("Name")).toString());
    }
    settings.endArray();

    m_pool.clear();
    m_ui->trwInstrList->clear();
    for (const InstrRecord &record : ClsInstrPool::load(settings))
        m_pool.addWithoutContact(record);
    settings.endGroup();
    refreshInstrList();
}

void DlgInstrManage::saveSettings(QSettings &settings) const
{
    settings.beginGroup(QStringLiteral("InstrManage"));
    settings.setValue(QStringLiteral("Pos"), pos());
    settings.setValue(QStringLiteral("Size"), size());
    settings.remove(QStringLiteral("ManualInstr"));
    settings.beginWriteArray(QStringLiteral("ManualInstr"));
    for (int intIndex = 0; intIndex < m_ui->cbxInstr->count(); ++intIndex) {
        settings.setArrayIndex(intIndex);
        settings.setValue(QStringLiteral("Name"), m_ui->cbxInstr->itemText(intIndex));
    }
    settings.endArray();
    m_pool.save(settings);
    settings.endGroup();
}

// ---- helpers --------------------------------------------------------------------------------

void DlgInstrManage::addFoundInstr(const InstrRecord &record)
{
    if (m_pool.addFound(record) == ClsInstrPool::AddResult::Added)
        appendTreeItem(record, InstrState::Connected);
}

void DlgInstrManage::addInstrWithoutContact(const InstrRecord &record, InstrState state)
{
    if (m_pool.addWithoutContact(record) == ClsInstrPool::AddResult::Added)
        appendTreeItem(record, state);
}

void DlgInstrManage::appendTreeItem(const InstrRecord &record, InstrState state)
{
    // Building the item must not read as the user checking or unchecking it.
    const QSignalBlocker blocker(m_ui->trwInstrList);
    auto *ptrItem = new QTreeWidgetItem({QStringLiteral("%1, %2").arg(record.instrType, record.serialNumber),
                                         record.interfaceName, record.comment});
    ptrItem->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    ptrItem->setCheckState(0, record.enabled ? Qt::Checked : Qt::Unchecked);
    ptrItem->setIcon(0, stateIcon(state));
    ptrItem->setData(0, StateRole, int(state));
    ptrItem->setData(0, InstrumentRole,
                     QStringList{record.instrType, record.serialNumber, record.interfaceName});
    ptrItem->addChild(new QTreeWidgetItem({ResourceChildText, record.resource}));
    if (state == InstrState::Connected)
        ptrItem->addChild(new QTreeWidgetItem({QStringLiteral("Firmware"), record.firmware}));
    m_ui->trwInstrList->addTopLevelItem(ptrItem);
}

QTreeWidgetItem *DlgInstrManage::topLevelItemOf(QTreeWidgetItem *ptrItem) const
{
    while (ptrItem && ptrItem->parent())
        ptrItem = ptrItem->parent();
    return ptrItem;
}

QString DlgInstrManage::resourceOfItem(const QTreeWidgetItem *ptrItem)
{
    for (int intIndex = 0; ptrItem && intIndex < ptrItem->childCount(); ++intIndex) {
        const QTreeWidgetItem *ptrChild = ptrItem->child(intIndex);
        if (ptrChild->text(0).contains(QLatin1String("VISA")))
            return ptrChild->text(1);
    }
    return QString();
}

InstrRecord DlgInstrManage::instrumentOfItem(const QTreeWidgetItem *ptrItem)
{
    const QStringList lstKey = ptrItem->data(0, InstrumentRole).toStringList();
    InstrRecord record;
    record.instrType = lstKey.value(0);
    record.serialNumber = lstKey.value(1);
    record.interfaceName = lstKey.value(2);
    return record;
}

void DlgInstrManage::startIndicator(QLabel *ptrIndicator)
{
    if (m_activeIndicator && m_activeIndicator != ptrIndicator)
        m_activeIndicator->setVisible(false);
    m_activeIndicator = ptrIndicator;
    m_activeIndicator->setVisible(true);
    m_indicatorTimer->start();
}

void DlgInstrManage::stopIndicator()
{
    m_indicatorTimer->stop();
    if (m_activeIndicator)
        m_activeIndicator->setVisible(false);
    m_activeIndicator = nullptr;
}

void DlgInstrManage::toggleScanIndi()
{
    if (m_activeIndicator)
        m_activeIndicator->setVisible(!m_activeIndicator->isVisible());
}
