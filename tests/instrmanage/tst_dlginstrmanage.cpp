// The instrument pool and its dialog, offscreen, against the simulator through the project's
// VISA library. Runs in the private network namespace: refreshes may start LAN scans.

#include "instrmanage/clsinstrpool.h"
#include "instrmanage/clsinstrscanner.h"
#include "instrmanage/dlginstrmanage.h"
#include "privatehosts.h"
#include "simprocess.h"
#include "tracelines.h"
#include "visa/clsvisacontrol.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

const char HostsFile[] = "127.0.0.1 localhost listforge-test\n";

QString dinsse(const QString &text)
{
    return QStringLiteral("DINSSE  : ") + text;
}

InstrRecord makeRecord(const QString &type, const QString &serial, const QString &resource, bool enabled,
                       const QString &comment = QStringLiteral("LAN Manual"))
{
    InstrRecord record;
    record.instrType = type;
    record.serialNumber = serial;
    record.resource = resource;
    record.firmware = QStringLiteral("1.00");
    record.interfaceName = resource.section(QStringLiteral("::"), 0, 0);
    record.comment = comment;
    record.enabled = enabled;
    return record;
}

// A dialog whose comment prompt answers from a script instead of a modal box.
class ScriptedDialog : public DlgInstrManage
{
public:
    QString answer;
    bool accept = true;
    QString asked;

protected:
    bool askComment(const QString &strCurrent, QString &strComment) override
    {
        asked = strCurrent;
        strComment = answer;
        return accept;
    }
};

// The pool keys of a settings file, written as the dialog would load them.
void writePool(QSettings &settings, const QList<InstrRecord> &records)
{
    settings.beginGroup(QStringLiteral("InstrManage"));
    ClsInstrPool pool;
    for (const InstrRecord &record : records)
        pool.addWithoutContact(record);
    pool.save(settings);
    settings.endGroup();
}

template <typename T> T *child(QWidget &dialog, const char *name)
{
    T *widget = dialog.findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

} // namespace

class TstDlgInstrManage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void poolRules();
    void manualAddOverVxi11();
    void settingsRoundTrip();
    void editsReachTheirOwnEntry();
    void hostFieldAndScansWithoutResources();
    void refreshShowsBusyForHeldInstrument();
    void lanScanAndRefreshOfLanEntries();

private:
    QString settingsPath(const QString &name) const { return m_dir.filePath(name + QStringLiteral(".ini")); }

    QTemporaryDir m_dir;
    TraceLines m_trace;
    std::unique_ptr<SimProcess> m_sim;
    // Keeps the VISA library and its resource manager for the whole suite, as the main window does.
    std::unique_ptr<ClsVisaControl> m_shared;
};

void TstDlgInstrManage::initTestCase()
{
#ifndef LISTFORGE_HAVE_SIM
    QSKIP("listforge-sim and the VISA library are not part of this build");
#endif
    QVERIFY(m_dir.isValid());
    m_shared = std::make_unique<ClsVisaControl>();
    QVERIFY2(ClsVisaControl::isResourceManagerOpen(), qPrintable(m_shared->takeLastError()));
}

void TstDlgInstrManage::init()
{
    m_trace.clear();
}

void TstDlgInstrManage::cleanup()
{
    m_sim.reset();
}

void TstDlgInstrManage::poolRules()
{
    QVERIFY(ClsInstrPool::isSupportedType(QStringLiteral("ZOY550X")));
    QVERIFY(!ClsInstrPool::isSupportedType(QStringLiteral("zoy550x")));
    QVERIFY(!ClsInstrPool::isSupportedType(QStringLiteral("ZOY550X ")));
    // Entry and the resource made of it.
    for (const QStringList &entry : {QStringList{"tvzoy101", "TCPIP0::tvzoy101::INSTR"},
                                     {"h::hislip0,4881", "TCPIP0::h::hislip0,4881::INSTR"},
                                     {"TCPIP0::h::hislip0::INSTR", "TCPIP0::h::hislip0::INSTR"}})
        QCOMPARE(ClsInstrPool::manualResource(entry.at(0)), entry.at(1));

    // The same instrument under another resource is the same instrument (manualAddOverVxi11);
    // another interface makes it another entry.
    const InstrRecord zoy = makeRecord("ZOY550X", "100", "TCPIP0::a::INSTR", true);
    QVERIFY(!ClsInstrPool::isSameInstrument(zoy, makeRecord("ZOY550X", "100", "GPIB0::20::INSTR", true)));
    QVERIFY(!ClsInstrPool::isSameInstrument(zoy, makeRecord("ZOY550X", "101", "TCPIP0::a::INSTR", true)));

    ClsInstrPool pool;
    QCOMPARE(pool.addFound(makeRecord("XYZ100", "1", "TCPIP0::x::INSTR", true)),
             ClsInstrPool::AddResult::Unsupported);
    QVERIFY_TRACED(m_trace, TraceKindInfo, dinsse("The instrument type 'XYZ100' is not supported"));
    QCOMPARE(pool.addWithoutContact(makeRecord("ZOY550X", "", "TCPIP0::x::INSTR", false)),
             ClsInstrPool::AddResult::Incomplete);
    QVERIFY_TRACED(
        m_trace, TraceKindInfo,
        dinsse("Essential parameter is missing thus instrument 'TCPIP0::x::INSTR' will not be added."));
    QCOMPARE(pool.addWithoutContact(zoy), ClsInstrPool::AddResult::Added);
    QCOMPARE(pool.addWithoutContact(makeRecord("ZOY550X", "100", "TCPIP0::b::INSTR", false)),
             ClsInstrPool::AddResult::Duplicate);
    QVERIFY_TRACED(m_trace, TraceKindInfo, dinsse("The instrument 'TCPIP0::b::INSTR' is already added."));
    QCOMPARE(pool.size(), 1);
}

void TstDlgInstrManage::manualAddOverVxi11()
{
    m_sim = std::make_unique<SimProcess>();
    QVERIFY2(m_sim->start({"--model", "ZOY550X", "--serial", "100555", "--port", "0"}),
             qPrintable(m_sim->errorText()));

    DlgInstrManage dialog;
    QSignalSpy updated(&dialog, &DlgInstrManage::instrListUpdated);
    child<QComboBox>(dialog, "cbxInstr")->setEditText(QStringLiteral("127.0.0.1"));
    dialog.addInstrManually();
    QVERIFY_TRACED(m_trace, TraceKindInfo,
                   dinsse("Trying to open the LAN connection to instrument 'TCPIP0::127.0.0.1::INSTR'..."));
    QCOMPARE(updated.size(), 1);
    QCOMPARE(dialog.instrRecords().size(), 1);
    const InstrRecord record = dialog.instrRecords().at(0);
    QVERIFY(!record.firmware.isEmpty());
    InstrRecord expected = makeRecord("ZOY550X", "100555", "TCPIP0::127.0.0.1::INSTR", true);
    expected.firmware = record.firmware;
    QCOMPARE(record, expected);
    QCOMPARE(dialog.instrState(record.resource), DlgInstrManage::InstrState::Connected);

    auto *tree = child<QTreeWidget>(dialog, "trwInstrList");
    QCOMPARE(tree->topLevelItemCount(), 1);
    const QTreeWidgetItem *item = tree->topLevelItem(0);
    QCOMPARE((QStringList{item->text(0), item->text(1), item->text(2)}),
             (QStringList{"ZOY550X, 100555", "TCPIP0", "LAN Manual"}));
    QCOMPARE(item->checkState(0), Qt::Checked);
    QVERIFY(item->flags() & Qt::ItemIsUserCheckable);
    QCOMPARE(item->childCount(), 2);
    QCOMPARE((QStringList{item->child(0)->text(0), item->child(0)->text(1), item->child(1)->text(0),
                          item->child(1)->text(1)}),
             (QStringList{"Firmware", record.firmware, "VISA resource", record.resource}));
    // The session was closed again.
    QVERIFY(!m_shared->isInstrSessionOpen(record.instrType, record.serialNumber));

    // The same instrument through its raw socket: identified over that resource, traced once
    // as already added, nothing added.
    const QString socket = QStringLiteral("TCPIP0::127.0.0.1::%1::SOCKET").arg(m_sim->socketPort());
    child<QComboBox>(dialog, "cbxInstr")->setEditText(socket);
    dialog.addInstrManually();
    QVERIFY_TRACED(
        m_trace, TraceKindInfo,
        dinsse(QStringLiteral("Trying to open the LAN connection to instrument '%1'...").arg(socket)));
    QCOMPARE(dialog.instrRecords().size(), 1);
    QCOMPARE(m_trace.count(TraceKindInfo, dinsse("The instrument 'ZOY550X-100555' is already added")), 1);
}

void TstDlgInstrManage::settingsRoundTrip()
{
    m_sim = std::make_unique<SimProcess>();
    QVERIFY2(m_sim->start({"--model", "GKR550X", "--serial", "100300", "--port", "0"}),
             qPrintable(m_sim->errorText()));

    // Enabled and reachable, disabled, enabled but unreachable.
    const QList<InstrRecord> stored{makeRecord("GKR550X", "100300", "TCPIP0::127.0.0.1::INSTR", true),
                                    makeRecord("PLOXA550X", "100400", "GPIB0::7::INSTR", false, "GPIB Scan"),
                                    makeRecord("HERN330X", "100500", "TCPIP0::127.0.0.78::INSTR", true)};
    QSettings input(settingsPath("input"), QSettings::IniFormat);
    writePool(input, stored);
    input.setValue(QStringLiteral("InstrManage/Pos"), QPoint(140, 120));
    input.setValue(QStringLiteral("InstrManage/Size"), QSize(600, 610));
    input.sync();

    DlgInstrManage dialog;
    QSignalSpy updated(&dialog, &DlgInstrManage::instrListUpdated);
    dialog.loadSettings(input);
    QCOMPARE(updated.size(), 1);
    QCOMPARE(dialog.size(), QSize(600, 610));
    QCOMPARE(dialog.pos(), QPoint(140, 120));
    // The host history keeps the ten latest.
    auto *hosts = child<QComboBox>(dialog, "cbxInstr");
    for (int i = 0; i < 14; ++i) {
        hosts->insertItem(0, QStringLiteral("host%1").arg(i));
        hosts->setCurrentIndex(0);
    }
    QCOMPARE(hosts->count(), 10);
    QCOMPARE(hosts->itemText(9), QStringLiteral("host4"));
    const QList<InstrRecord> records = dialog.instrRecords();
    QCOMPARE(records.size(), 3);
    QCOMPARE(records.mid(0, 2), stored.mid(0, 2));
    // The unreachable one stays, disabled and offline.
    InstrRecord unreachable = stored.at(2);
    unreachable.enabled = false;
    QCOMPARE(records.at(2), unreachable);
    QCOMPARE(dialog.instrState(stored.at(0).resource), DlgInstrManage::InstrState::Connected);
    QCOMPARE(dialog.instrState(stored.at(1).resource), DlgInstrManage::InstrState::Offline);
    QCOMPARE(dialog.instrState(stored.at(2).resource), DlgInstrManage::InstrState::Offline);
    auto *tree = child<QTreeWidget>(dialog, "trwInstrList");
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = tree->topLevelItem(i);
        const bool connected = item->text(0).startsWith(QLatin1String("GKR550X"));
        QCOMPARE(item->childCount(), connected ? 2 : 1);
    }

    QSettings output(settingsPath("output"), QSettings::IniFormat);
    output.setValue(QStringLiteral("InstrManage/VisaResource7"), QStringLiteral("stale"));
    dialog.saveSettings(output);
    output.sync();
    output.beginGroup(QStringLiteral("InstrManage"));
    // The keys older settings files hold, whatever the pool's own loader makes of them.
    for (int i = 0; i < 3; ++i) {
        const InstrRecord &r = records.at(i);
        QStringList saved;
        for (const char *key :
             {"VisaResource", "Type", "SerialNum", "Firmware", "Interface", "Comment", "Enabled"})
            saved << output.value(key + QString::number(i)).toString();
        QCOMPARE(saved, (QStringList{r.resource, r.instrType, r.serialNumber, r.firmware, r.interfaceName,
                                     r.comment, r.enabled ? "1" : "0"}));
    }
    QVERIFY(output.contains(QStringLiteral("VisaResource3")));
    QCOMPARE(output.value(QStringLiteral("VisaResource3")).toString(), QString());
    QCOMPARE(output.value(QStringLiteral("Pos")).toPoint(), QPoint(140, 120));
    QCOMPARE(output.value(QStringLiteral("Size")).toSize(), QSize(600, 610));
    output.endGroup();

    // Loading what was saved gives the same pool and history again.
    DlgInstrManage reloaded;
    reloaded.loadSettings(output);
    QCOMPARE(reloaded.instrRecords(), records);
    auto *reloadedHosts = child<QComboBox>(reloaded, "cbxInstr");
    for (int i = 0; i < 10; ++i)
        QCOMPARE(reloadedHosts->itemText(i), hosts->itemText(i));
    QCOMPARE(reloadedHosts->count(), 10);
}

void TstDlgInstrManage::editsReachTheirOwnEntry()
{
    // The GKR at GPIB address 1 was swapped for the ZOY (the old one stays in the pool, disabled):
    // only the entry itself tells which record an edit is for. An entry behind the pool's
    // terminator is not loaded.
    QSettings settings(settingsPath("edit"), QSettings::IniFormat);
    writePool(settings, {makeRecord("GKR550X", "3", "GPIB0::1::INSTR", false),
                         makeRecord("ZOY550X", "1", "GPIB0::1::INSTR", false),
                         makeRecord("DVT330X", "2", "GPIB0::2::INSTR", false)});
    for (const char *key :
         {"VisaResource4=GPIB0::4::INSTR", "Type4=HERN330X", "SerialNum4=4", "Interface4=GPIB0"})
        settings.setValue("InstrManage/" + QString(key).section('=', 0, 0), QString(key).section('=', 1));
    ScriptedDialog dialog;
    dialog.loadSettings(settings);
    auto *tree = child<QTreeWidget>(dialog, "trwInstrList");
    QSignalSpy updated(&dialog, &DlgInstrManage::instrListUpdated);
    // Serial number, enabled state and comment of each record, in pool order.
    const auto records = [&dialog] {
        QStringList lst;
        for (const InstrRecord &record : dialog.instrRecords())
            lst << record.serialNumber + (record.enabled ? " on " : " off ") + record.comment;
        return lst;
    };
    QCOMPARE(records(), (QStringList{"3 off LAN Manual", "1 off LAN Manual", "2 off LAN Manual"}));

    // Sorted by the first column.
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("DVT330X, 2"));
    QTreeWidgetItem *zoy = tree->findItems(QStringLiteral("ZOY550X, 1"), Qt::MatchExactly).value(0);
    QVERIFY(zoy);

    zoy->setCheckState(0, Qt::Checked);
    QCOMPARE(updated.size(), 1);
    QCOMPARE(records(), (QStringList{"3 off LAN Manual", "1 on LAN Manual", "2 off LAN Manual"}));
    // A change of another column, or of a child, is no state change.
    zoy->setText(1, QStringLiteral("GPIB0"));
    zoy->child(0)->setText(0, QStringLiteral("VISA resource"));
    QCOMPARE(updated.size(), 1);
    zoy->setCheckState(0, Qt::Unchecked);
    QCOMPARE(updated.size(), 2);

    dialog.answer = QStringLiteral("bench 3");
    dialog.addInstrComment(zoy, 1);
    QCOMPARE(dialog.asked, QStringLiteral("LAN Manual"));
    QCOMPARE(zoy->text(2), QStringLiteral("bench 3"));
    dialog.accept = false;
    dialog.answer = QStringLiteral("ignored");
    dialog.addInstrComment(zoy, 0);
    dialog.addInstrComment(zoy->child(0), 0); // children have no comment
    QCOMPARE(dialog.asked, QStringLiteral("bench 3"));
    QCOMPARE(records(), (QStringList{"3 off LAN Manual", "1 off bench 3", "2 off LAN Manual"}));

    // Deleting with a child selected removes its instrument.
    tree->setCurrentItem(zoy->child(0));
    dialog.deleteInstr();
    QCOMPARE(updated.size(), 3);
    QCOMPARE(records(), (QStringList{"3 off LAN Manual", "2 off LAN Manual"}));
    QCOMPARE(tree->topLevelItemCount(), 2);

    dialog.deleteInstrList();
    QCOMPARE(updated.size(), 4);
    QVERIFY(dialog.instrRecords().isEmpty());
    QCOMPARE(tree->topLevelItemCount(), 0);
    // Nothing selected: nothing happens.
    dialog.deleteInstr();
    QCOMPARE(updated.size(), 4);
}

void TstDlgInstrManage::hostFieldAndScansWithoutResources()
{
    DlgInstrManage dialog;
    QSignalSpy updated(&dialog, &DlgInstrManage::instrListUpdated);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *hosts = child<QComboBox>(dialog, "cbxInstr");
    hosts->setFocus();
    hosts->setEditText(QStringLiteral("127.0.0.77"));
    QTest::keyClick(hosts->lineEdit(), Qt::Key_Return);
    QVERIFY_TRACED(m_trace, TraceKindInfo,
                   dinsse("Trying to open the LAN connection to instrument 'TCPIP0::127.0.0.77::INSTR'..."));
    // No button took the key: no GPIB scan ran, and the host was added to the history once.
    QVERIFY2(!m_trace.contains(QStringLiteral("Unable to search for instrument(s)")),
             qPrintable(m_trace.dump()));
    QCOMPARE(hosts->count(), 1);
    // Nobody answers there: nothing added, and the trace says why.
    QVERIFY(dialog.instrRecords().isEmpty());
    QVERIFY(updated.isEmpty());
    QVERIFY_TRACED(
        m_trace, TraceKindInfo,
        dinsse("The instrument 'TCPIP0::127.0.0.77::INSTR' could not be reached and was thus not added"));

    // An empty entry does nothing at all.
    m_trace.clear();
    hosts->setEditText(QString());
    dialog.addInstrManually();
    QVERIFY(!m_trace.dump().contains(QStringLiteral("Trying to open")));

    // Without GPIB and USB resources those scans find nothing, say so and hide their indicators.
    dialog.scanGpibForInstr();
    dialog.scanUsbForInstr();
    QVERIFY(updated.isEmpty());
    QVERIFY(dialog.instrRecords().isEmpty());
    QVERIFY(!child<QLabel>(dialog, "lblScanGpib")->isVisible());
    QVERIFY(!child<QLabel>(dialog, "lblScanUsb")->isVisible());
    QVERIFY2(m_trace.contains(QStringLiteral("Unable to search for instrument(s) connected to interface")),
             qPrintable(m_trace.dump()));
}

void TstDlgInstrManage::refreshShowsBusyForHeldInstrument()
{
    m_sim = std::make_unique<SimProcess>();
    QVERIFY2(m_sim->start({"--model", "ZOY550X", "--serial", "100900", "--port", "0"}),
             qPrintable(m_sim->errorText()));
    const QString resource = QStringLiteral("TCPIP0::127.0.0.1::INSTR");

    // Another part of the program holds the instrument.
    ClsVisaControl holder;
    QVERIFY(holder.openSession(resource, true));

    QSettings settings(settingsPath("busy"), QSettings::IniFormat);
    writePool(settings, {makeRecord("ZOY550X", "100900", resource, true)});
    DlgInstrManage dialog;
    m_trace.clear();
    dialog.loadSettings(settings);
    QCOMPARE(dialog.instrState(resource), DlgInstrManage::InstrState::Busy);
    QCOMPARE(dialog.instrRecords().size(), 1);
    QVERIFY(dialog.instrRecords().at(0).enabled);
    QCOMPARE(child<QTreeWidget>(dialog, "trwInstrList")->topLevelItem(0)->childCount(), 1);
    // No second session was tried.
    QVERIFY2(!m_trace.dump().contains(QStringLiteral("Try to open instrument session")),
             qPrintable(m_trace.dump()));

    // Once released, a refresh finds it connected.
    QVERIFY(holder.closeSession());
    dialog.refreshInstrList();
    QCOMPARE(dialog.instrState(resource), DlgInstrManage::InstrState::Connected);
}

void TstDlgInstrManage::lanScanAndRefreshOfLanEntries()
{
    m_sim = std::make_unique<SimProcess>();
    QVERIFY2(m_sim->start(
                 {"--instrument", "ZOY550X@127.0.0.2", "--instrument", "GKR550X@127.0.0.3", "--port", "0"}),
             qPrintable(m_sim->errorText()));

    DlgInstrManage dialog;
    QSignalSpy updated(&dialog, &DlgInstrManage::instrListUpdated);
    const QList<QPushButton *> blocked{
        child<QPushButton>(dialog, "btnScanGpib"), child<QPushButton>(dialog, "btnScanUsb"),
        child<QPushButton>(dialog, "btnScanLan"), child<QPushButton>(dialog, "btnRefresh")};
    dialog.show();
    dialog.scanLanForInstr();
    QVERIFY(dialog.scanner().isScanning());
    // While it runs, the scans and the refresh cannot be started, and the indicator says why.
    for (QPushButton *button : blocked)
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    auto *indicator = child<QLabel>(dialog, "lblScanLan");
    QVERIFY(indicator->isVisible());
    QVERIFY(indicator->toolTip().contains(QLatin1String("LAN scan running")));
    QTRY_VERIFY_WITH_TIMEOUT(!updated.isEmpty(), 15000);
    for (QPushButton *button : blocked)
        QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
    QCOMPARE(dialog.instrRecords().size(), 1);
    const InstrRecord record = dialog.instrRecords().at(0);
    QCOMPARE((QStringList{record.resource, record.interfaceName, record.comment, record.instrType}),
             (QStringList{"TCPIP::127.0.0.2::INSTR", "TCPIP", "LAN Scan", "ZOY550X"}));
    QVERIFY(!child<QLabel>(dialog, "lblScanLan")->isVisible());

    // A refresh leaves LAN entries to a new LAN scan, which finds the instrument again.
    updated.clear();
    dialog.refreshInstrList();
    QVERIFY(dialog.instrRecords().isEmpty());
    // Settings saved before that scan ends (the program closed right after a start, which loads
    // and refreshes) must still hold the entry.
    QSettings output(settingsPath("during-scan"), QSettings::IniFormat);
    dialog.saveSettings(output);
    output.beginGroup(QStringLiteral("InstrManage"));
    QCOMPARE(ClsInstrPool::load(output), QList<InstrRecord>{record});
    QTRY_VERIFY_WITH_TIMEOUT(dialog.instrRecords().size() == 1, 15000);
    QCOMPARE(dialog.instrState(record.resource), DlgInstrManage::InstrState::Connected);

    // Without the instrument the entry comes back disabled and offline instead of vanishing.
    m_sim.reset();
    dialog.refreshInstrList();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.scanner().isScanning(), 15000);
    QCOMPARE(dialog.instrRecords().size(), 1);
    QVERIFY(!dialog.instrRecords().at(0).enabled);
    QCOMPARE(dialog.instrState(record.resource), DlgInstrManage::InstrState::Offline);
}

PRIVATE_HOSTS_MAIN(TstDlgInstrManage, QApplication, HostsFile)

#include "tst_dlginstrmanage.moc"
