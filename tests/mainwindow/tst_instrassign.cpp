// Assignment of a pool instrument from the instrument box of the main window, its release, and
// the application states that follow the pool, offscreen against simulated generators.

#include "windowrig.h"

#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {

// The option tree as lines: a category label, then "  code | description" per child.
QStringList treeLines(QTreeWidget *trw)
{
    QStringList lines;
    for (int i = 0; i < trw->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *top = trw->topLevelItem(i);
        lines << top->text(0);
        for (int c = 0; c < top->childCount(); ++c)
            lines << QStringLiteral("  %1 | %2").arg(top->child(c)->text(0), top->child(c)->text(1));
    }
    return lines;
}

} // namespace

class TstInstrAssign : public QObject
{
    Q_OBJECT

    WindowRig m_rig;

    QTabWidget *tabs() const { return m_rig.w<QTabWidget>(QStringLiteral("tabWidget")); }

private slots:
    void init() { m_rig.reset(); }
    void cleanup() { m_rig.reset(); }

    void assignEachModel_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("options");
        QTest::addColumn<bool>("pathB");
        // One row per way the window is set up: the model's class and options themselves are the
        // model suites'. Path B needs either a second RF path or a second baseband path.
        QTest::newRow("two paths") << "GKR550X"
                                   << "102030"
                                   << "" << true;
        QTest::newRow("one path") << "DVT330X"
                                  << "104050"
                                  << "" << false;
        QTest::newRow("one RF, two BB") << "GKR550X"
                                        << "102031"
                                        << "GKR-B106,GKR-B10,GKR-B10" << true;
        QTest::newRow("two RF, one BB") << "GKR550X"
                                        << "102032"
                                        << "GKR-B106,GKR-B203,GKR-B10" << true;
    }

    void assignEachModel()
    {
        QFETCH(QString, model);
        QFETCH(QString, serial);
        QFETCH(QString, options);
        QFETCH(bool, pathB);
        const QString strWord = QString(model).remove(QRegularExpression(QStringLiteral("\\d+X$")));
        const QString className = QStringLiteral("Cls%1Control").arg(strWord);

        SimInstr *sim = m_rig.startSim(model, serial, options);
        QVERIFY(sim);
        m_rig.storePool({WindowRig::poolEntry(sim)});
        AppMainWindow *win = m_rig.makeWindow();
        // The pool came with the settings: one entry, nothing assigned yet.
        QCOMPARE(m_rig.boxEntries(), QStringList{sim->entryText()});
        QCOMPARE(m_rig.instrBox()->itemData(0).toString(), sim->strResource);
        QCOMPARE(win->appState(), int(AppMainWindow::StateIdle));
        QVERIFY(m_rig.statusIconIs(LampYellow));
        QVERIFY(!win->instrument());
        m_rig.traces();
        sim->received();

        QVERIFY(m_rig.activateEntry(sim->entryText()));

        QCOMPARE(win->appState(), int(AppMainWindow::StateActive));
        QVERIFY(m_rig.statusIconIs(LampGreen));
        QVERIFY(m_rig.w<QLabel>(QStringLiteral("lblInstrStatus"))->isVisible());
        QVERIFY(win->instrument());
        QCOMPARE(QString(win->instrument()->metaObject()->className()), className);
        QCOMPARE(win->instrument()->getResource(), sim->strResource);
        QCOMPARE(m_rig.statusMessage(), sim->entryText() + QStringLiteral(" assigned"));

        QVERIFY(m_rig.traces().contains(QStringLiteral("APMAIN  : Application set to active state")));

        // The preset went out with the completion loop: event status enable, clear, the
        // command, "*OPC", then polls of the event status register.
        const QStringList lstSent = sim->received();
        int intOpcAt = -1;
        QVERIFY2(inOrder(lstSent, {"*ESE 1", "*CLS", "SYSTem:PRESet", "*OPC"}, &intOpcAt),
                 qPrintable(lstSent.join(" | ")));
        QVERIFY(lstSent.indexOf(QStringLiteral("*ESR?"), intOpcAt) > intOpcAt);
        QCOMPARE(lstSent.count(QStringLiteral("SYSTem:PRESet")), 1);

        QCOMPARE(tabs()->currentIndex(), 1);
        QVERIFY(tabs()->isTabEnabled(0));
        QVERIFY(tabs()->isTabEnabled(1));
        QCOMPARE(tabs()->isTabEnabled(2), pathB);

        // The option tree starts with the RF paths of the model (which categories it holds, in which
        // order, shows byte for byte in the file exported from it: tst_remoteoptions).
        auto *trw = m_rig.w<QTreeWidget>(QStringLiteral("trwOptionList"));
        const QStringList lstLines = treeLines(trw);
        QCOMPARE(lstLines.value(0), QStringLiteral("RF Path(s):"));
        const int intBB = lstLines.indexOf(QStringLiteral("BB Path(s):"));
        QVERIFY(intBB > 1);
        QVERIFY(lstLines.mid(1, intBB - 1)
                    .contains(QStringLiteral("  %1-B106 | RF Path A - 100kHz-6.0GHz").arg(strWord)));
        // The description column fits the longest description.
        for (int i = 0; i < trw->topLevelItemCount(); ++i)
            for (int j = 0; j < trw->topLevelItem(i)->childCount(); ++j)
                QVERIFY(trw->columnWidth(1) >=
                        QFontMetrics(trw->font()).horizontalAdvance(trw->topLevelItem(i)->child(j)->text(1)));
        QVERIFY(m_rig.w<QPushButton>(QStringLiteral("btnOLFileSave"))->isEnabled());
    }

    // A preset of several 250 ms steps: the progress line opens the instrument log, and its dots
    // (one or more per step) keep growing on that one line, whatever the instrument reports
    // meanwhile.
    void progressDotsDuringALongPreset()
    {
        SimInstr *sim = m_rig.startSim(QStringLiteral("DVT330X"), QStringLiteral("104050"), QString(), 900);
        QVERIFY(sim);
        m_rig.storePool({WindowRig::poolEntry(sim)});
        AppMainWindow *win = m_rig.makeWindow();
        QElapsedTimer timer;
        timer.start();
        QVERIFY(m_rig.activateEntry(sim->entryText()));
        QVERIFY(timer.elapsed() >= 900);
        QCOMPARE(win->appState(), int(AppMainWindow::StateActive));

        const QStringList lstLog = m_rig.instrLog();
        QVERIFY(!lstLog.isEmpty());
        QVERIFY2(QRegularExpression(QStringLiteral("^Initializing instrument \\.{4,}$"))
                     .match(lstLog.first())
                     .hasMatch(),
                 qPrintable(lstLog.join(" | ")));
        QVERIFY2(lstLog.filter(QStringLiteral("Initializing instrument")).size() == 1,
                 qPrintable(lstLog.join(" | ")));
        // What the preset reported on its worker thread follows the progress line.
        QCOMPARE(lstLog.value(1), QStringLiteral("Perform instrument preset"));
        QVERIFY(showsImage(m_rig.w<QListWidget>(QStringLiteral("lswInstrLog"))->item(0)->icon(),
                           QStringLiteral(":/Tracer/TraceLog/info.png")));
    }

    // Activating the assigned entry again switches off what is on, deletes the control object
    // and assigns the instrument anew.
    void reactivatingReleasesAndAssignsAgain()
    {
        SimInstr *sim = m_rig.assignOne(QStringLiteral("GKR550X"), QStringLiteral("102030"));
        QVERIFY(sim);
        AppMainWindow *win = m_rig.win.get();

        // Path A: RF, ramp and CDM on; path B: only CDM on. What is off must stay off.
        win->switchRFLev(1);
        win->switchRamp(1);
        win->switchCDM(1);
        win->switchCDM(2);
        const QString switches = QStringLiteral(
            "btnRFLevSwitchA btnRampSwitchA btnCDMSwitchA btnRFLevSwitchB btnRampSwitchB btnCDMSwitchB");
        QCOMPARE(shownTexts(win, switches),
                 QStringList({"RF OFF", "OFF", "CDM OFF", "RF ON", "ON", "CDM OFF"}));
        win->instrument()->queryCommand(QStringLiteral("*IDN?")); // the switches are logged
        QVERIFY(inOrder(sim->received(), {"OUTPut1:STATe ON", "SOURce1:BB:DM:PRAMp:STATe ON",
                                          "SOURce1:BB:DM:STATe ON", "SOURce2:BB:DM:STATe ON"}));

        QVERIFY(m_rig.activateEntry(sim->entryText()));

        QCOMPARE(win->appState(), int(AppMainWindow::StateActive));
        QVERIFY(win->instrument());
        QCOMPARE(m_rig.statusMessage(), sim->entryText() + QStringLiteral(" assigned"));
        const QStringList lstSent = sim->received();
        const int intPreset = lstSent.indexOf(QStringLiteral("SYSTem:PRESet"));
        QVERIFY(intPreset > 0);
        // Everything before the new preset belongs to the release: RF first, then ramping,
        // then CDM, path A before path B, and only for what was on.
        const QStringList lstRelease =
            QStringList(lstSent.mid(0, intPreset)).filter(QStringLiteral(":STATe "));
        QCOMPARE(lstRelease, QStringList({"OUTPut1:STATe OFF", "SOURce1:BB:DM:PRAMp:STATe OFF",
                                          "SOURce1:BB:DM:STATe OFF", "SOURce2:BB:DM:STATe OFF"}));
        // The panels of the new assignment start from "off".
        QCOMPARE(shownTexts(win, switches), QStringList({"RF ON", "ON", "CDM ON", "RF ON", "ON", "CDM ON"}));
    }

    // An entry without a known type word: the assigned instrument is released, no control
    // object is made, the application stays idle.
    void entryWithoutTypeWordStaysIdle()
    {
        SimInstr *sim = m_rig.startSim(QStringLiteral("ZOY550X"), QStringLiteral("106070"));
        QVERIFY(sim);
        // A foreign instrument kept disabled in the pool: it is never contacted at start-up.
        m_rig.storePool({WindowRig::poolEntry(sim),
                         {QStringLiteral("FOO123"), QStringLiteral("77"),
                          QStringLiteral("TCPIP0::127.0.0.1::1::SOCKET"), false}});
        AppMainWindow *win = m_rig.makeWindow();
        QCOMPARE(m_rig.boxEntries(), QStringList{sim->entryText()});
        QVERIFY(m_rig.activateEntry(sim->entryText()));
        QCOMPARE(win->appState(), int(AppMainWindow::StateActive));

        // The user ticks it in the pool dialog; the assigned instrument stays assigned.
        QTreeWidgetItem *foo = m_rig.poolItem(QStringLiteral("FOO123"), QStringLiteral("77"));
        QVERIFY(foo);
        foo->setCheckState(0, Qt::Checked);
        const QString strFoo = QStringLiteral("FOO123, 77 (TCPIP0)");
        QCOMPARE(m_rig.boxEntries(), QStringList({sim->entryText(), strFoo}));
        QCOMPARE(win->appState(), int(AppMainWindow::StateActive));
        QCOMPARE(m_rig.instrBox()->currentText(), sim->entryText());
        m_rig.traces();

        QVERIFY(m_rig.activateEntry(strFoo));

        QCOMPARE(win->appState(), int(AppMainWindow::StateIdle));
        QVERIFY(m_rig.statusIconIs(LampYellow));
        QVERIFY(!win->instrument());
        QCOMPARE(m_rig.statusMessage(), QStringLiteral("Assign and initialize %1 .....").arg(strFoo));
        const QString strError =
            QStringLiteral("APMAIN  : Instrument type '%1' is not supported").arg(strFoo);
        QVERIFY(m_rig.tracedWithIcon(strError, QStringLiteral(":/Tracer/TraceLog/error.png")));
        QVERIFY(!m_rig.traces().contains(QStringLiteral("APMAIN  : Application set to active state")));
        QVERIFY(!tabs()->isTabEnabled(0));
        QVERIFY(!tabs()->isTabEnabled(1));
        QCOMPARE(m_rig.w<QTreeWidget>(QStringLiteral("trwOptionList"))->topLevelItemCount(), 0);
        QVERIFY(m_rig.instrLog().isEmpty());
    }

    // The pool changes under an assigned instrument.
    void assignedInstrumentLeavesThePool()
    {
        SimInstr *gkr = m_rig.startSim(QStringLiteral("GKR550X"), QStringLiteral("102030"));
        SimInstr *dvt = m_rig.startSim(QStringLiteral("DVT330X"), QStringLiteral("104050"));
        QVERIFY(gkr && dvt);
        m_rig.storePool({WindowRig::poolEntry(gkr), WindowRig::poolEntry(dvt)});
        AppMainWindow *win = m_rig.makeWindow();
        QCOMPARE(m_rig.boxEntries(), QStringList({gkr->entryText(), dvt->entryText()}));
        QVERIFY(m_rig.activateEntry(gkr->entryText()));
        ClsInstrControl *assigned = win->instrument();
        QVERIFY(assigned);
        win->switchRFLev(1);

        // Another instrument leaves and comes back: the assignment is untouched.
        QTreeWidgetItem *dvtItem = m_rig.poolItem(QStringLiteral("DVT330X"), QStringLiteral("104050"));
        QTreeWidgetItem *gkrItem = m_rig.poolItem(QStringLiteral("GKR550X"), QStringLiteral("102030"));
        QVERIFY(dvtItem && gkrItem);
        dvtItem->setCheckState(0, Qt::Unchecked);
        QCOMPARE(m_rig.boxEntries(), QStringList{gkr->entryText()});
        dvtItem->setCheckState(0, Qt::Checked);
        QCOMPARE(m_rig.boxEntries(), QStringList({gkr->entryText(), dvt->entryText()}));
        QCOMPARE(win->appState(), int(AppMainWindow::StateActive));
        QCOMPARE(win->instrument(), assigned);
        QCOMPARE(m_rig.instrBox()->currentText(), gkr->entryText());
        QCOMPARE(shownTexts(win, "btnRFLevSwitchA"), QStringList{"RF OFF"});
        assigned->queryCommand(QStringLiteral("*IDN?")); // everything so far is logged
        gkr->received();
        m_rig.traces();

        // The assigned one is disabled while others remain: released (RF off), idle.
        gkrItem->setCheckState(0, Qt::Unchecked);
        QCOMPARE(m_rig.boxEntries(), QStringList{dvt->entryText()});
        QCOMPARE(win->appState(), int(AppMainWindow::StateIdle));
        QVERIFY(m_rig.statusIconIs(LampYellow));
        QVERIFY(!win->instrument());
        QCOMPARE(m_rig.statusMessage(), QStringLiteral("No instrument assigned"));
        QVERIFY(!tabs()->isTabEnabled(1));
        QVERIFY(m_rig.traces().contains(QStringLiteral("APMAIN  : Application reset to idle state")));
        // The session is gone: nothing follows the switch command that would show it was logged.
        QStringList lstSent;
        QTRY_COMPARE((lstSent << gkr->received(), lstSent.filter(QStringLiteral("STATe"))),
                     QStringList{"OUTPut1:STATe OFF"});

        // The last instrument, assigned, is removed from the pool: initial state.
        QVERIFY(m_rig.activateEntry(dvt->entryText()));
        QCOMPARE(win->appState(), int(AppMainWindow::StateActive));
        m_rig.traces();
        auto *trw = win->instrManageDialog()->findChild<QTreeWidget *>(QStringLiteral("trwInstrList"));
        trw->setCurrentItem(m_rig.poolItem(QStringLiteral("DVT330X"), QStringLiteral("104050")));
        win->instrManageDialog()->findChild<QPushButton *>(QStringLiteral("btnDeleteSelected"))->click();
        QVERIFY(m_rig.boxEntries().isEmpty());
        QCOMPARE(win->appState(), int(AppMainWindow::StateInitial));
        QVERIFY(m_rig.statusIconIs(LampRed));
        QVERIFY(!win->instrument());
        QVERIFY(m_rig.instrLog().isEmpty());
        QVERIFY(m_rig.traces().contains(QStringLiteral("APMAIN  : Application reset to initial state")));

        // The disabled instrument enabled again: idle, nothing assigned by itself.
        gkrItem = m_rig.poolItem(QStringLiteral("GKR550X"), QStringLiteral("102030"));
        gkrItem->setCheckState(0, Qt::Checked);
        QCOMPARE(win->appState(), int(AppMainWindow::StateIdle));
        QVERIFY(!win->instrument());
        QVERIFY(m_rig.traces().contains(QStringLiteral("APMAIN  : Application set to idle state")));
        // And disabled once more while idle: back to the initial state.
        gkrItem->setCheckState(0, Qt::Unchecked);
        QCOMPARE(win->appState(), int(AppMainWindow::StateInitial));
        QVERIFY(m_rig.traces().contains(QStringLiteral("APMAIN  : Application reset to initial state")));
    }

    // The pool changes while an instrument is being preset (a LAN scan finishing, say): the box
    // keeps the entry being assigned, and the change is applied when the assignment ends.
    void poolUpdateDuringThePresetWaitsForTheAssignment()
    {
        SimInstr *gkr = m_rig.startSim(QStringLiteral("GKR550X"), QStringLiteral("102030"), QString(), 900);
        SimInstr *dvt = m_rig.startSim(QStringLiteral("DVT330X"), QStringLiteral("104050"), QString(), 900);
        QVERIFY(gkr && dvt);
        m_rig.storePool({WindowRig::poolEntry(gkr),
                         WindowRig::poolEntry(dvt),
                         {QStringLiteral("FOO123"), QStringLiteral("77"),
                          QStringLiteral("TCPIP0::127.0.0.1::1::SOCKET"), false}});
        AppMainWindow *win = m_rig.makeWindow();
        const QString strFoo = QStringLiteral("FOO123, 77 (TCPIP0)");
        // Fires at the first event round of the assignment (opening the session or the preset
        // loop): the pool changes mid-assignment.
        bool bolDuringPreset = false;
        const auto whilePresetting = [&](const QString &strType, const QString &strSerial, bool bolOn) {
            QTimer::singleShot(0, win, [&, strType, strSerial, bolOn] {
                bolDuringPreset = m_rig.statusMessage().startsWith(QLatin1String("Assign and initialize"));
                m_rig.poolItem(strType, strSerial)->setCheckState(0, bolOn ? Qt::Checked : Qt::Unchecked);
            });
        };

        // Another instrument enters the pool: the one being assigned stays shown and assigned.
        whilePresetting(QStringLiteral("FOO123"), QStringLiteral("77"), true);
        QVERIFY(m_rig.activateEntry(dvt->entryText()));
        QVERIFY(bolDuringPreset);
        QCOMPARE(m_rig.boxEntries(), QStringList({gkr->entryText(), dvt->entryText(), strFoo}));
        QCOMPARE(win->appState(), int(AppMainWindow::StateActive));
        QCOMPARE(m_rig.instrBox()->currentText(), dvt->entryText());
        QCOMPARE(win->instrument()->getResource(), dvt->strResource);

        // The instrument being assigned leaves the pool: released when its preset ends.
        whilePresetting(QStringLiteral("DVT330X"), QStringLiteral("104050"), false);
        QVERIFY(m_rig.activateEntry(dvt->entryText()));
        QVERIFY(bolDuringPreset);
        QCOMPARE(m_rig.boxEntries(), QStringList({gkr->entryText(), strFoo}));
        QCOMPARE(win->appState(), int(AppMainWindow::StateIdle));
        QVERIFY(!win->instrument());
        QVERIFY(m_rig.traces().contains(QStringLiteral("APMAIN  : Application reset to idle state")));
    }
};

QTEST_MAIN(TstInstrAssign)
#include "tst_instrassign.moc"
