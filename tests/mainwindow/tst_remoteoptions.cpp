// The remote control tab (free commands with their completion check, reply, error lists,
// history) and the option list export of the main window, offscreen against a simulated
// generator; on an X server of its own (tst_remoteoptions_x) the ways to the tab with real key
// presses and clicks, and the panels of a path at the window's default size.

#include "tests/lists/listfiles.h"
#include "windowrig.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QtTest>

namespace {

// Real input through the XTEST extension, as from a keyboard and a mouse.
bool xdotool(const QStringList &lstArgs)
{
    return QProcess::execute(QStringLiteral("xdotool"), lstArgs) == 0;
}

bool clickAt(QWidget *wdg, const QPoint &pos)
{
    const QPoint global = wdg->mapToGlobal(pos);
    return xdotool(
        {"mousemove", "--sync", QString::number(global.x()), QString::number(global.y()), "click", "1"});
}

bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

} // namespace

class TstRemoteOptions : public QObject
{
    Q_OBJECT

    WindowRig m_rig;
    QString m_strStartDir;

    // The "Tools" tab is hidden until Ctrl+Alt+F1 asks for it.
    void showToolsTab()
    {
        QTest::keyClick(m_rig.win.get(), Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(m_rig.win->isRemoteTabShown());
    }

    SimInstr *assign(const QString &strModel, const QString &strSerial, const QString &strOptions = QString())
    {
        SimInstr *sim = m_rig.assignOne(strModel, strSerial, strOptions);
        // The panels asked for list folders that a fresh instrument lacks; those errors are not
        // the business of the remote tab.
        RawScpiClient client;
        if (!sim || !client.connectTo(sim->process->socketPort()) || client.query("*CLS;*OPC?") != "1")
            return nullptr;
        m_rig.traces();
        sim->received();
        return sim;
    }

    QComboBox *cmdBox() const { return m_rig.w<QComboBox>(QStringLiteral("cbxCmd")); }
    QPlainTextEdit *responseBox() const { return m_rig.w<QPlainTextEdit>(QStringLiteral("tedCmdResponse")); }
    QString response() const { return responseBox()->toPlainText(); }
    void setResponse(const QString &strText) { responseBox()->setPlainText(strText); }
    QRadioButton *radio(const QString &strName) const { return m_rig.w<QRadioButton>(strName); }

    // Puts the text into the command field, as typed but without confirming it into the history.
    void sendCommandText(const QString &strCmd)
    {
        cmdBox()->setEditText(strCmd);
        m_rig.w<QPushButton>(QStringLiteral("btnSendCmd"))->click();
    }

    // The messages before the error lists are read back after a send.
    static QStringList beforeErrorLists(const QStringList &lstSent)
    {
        const int intAt = lstSent.indexOf(QStringLiteral("SYSTem:SERRor?"));
        return intAt < 0 ? lstSent : QStringList(lstSent.mid(0, intAt));
    }

    AppMainWindow *activeWindow()
    {
        AppMainWindow *win = m_rig.makeWindow();
        win->activateWindow();
        return QTest::qWaitForWindowActive(win) ? win : nullptr;
    }

private slots:
    void initTestCase() { m_strStartDir = QDir::currentPath(); }
    void init() { m_rig.reset(); }
    void cleanup()
    {
        m_rig.reset();
        QDir::setCurrent(m_strStartDir); // the export moves the current directory
    }

    void sendsWithTheirOpcType_data()
    {
        QTest::addColumn<QString>("radioButton");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("wire");

        const QString strCmd = QStringLiteral("SOURce1:FREQuency 2GHz");
        QTest::newRow("No OPC") << "rbtNoOPC" << strCmd << QStringList{strCmd};
        QTest::newRow("OPC") << "rbtOPC" << strCmd << QStringList{strCmd + "; *OPC?"};
        QTest::newRow("OPC Loop") << "rbtOPCLoop" << strCmd
                                  << QStringList{"*ESE 1", "*CLS", strCmd, "*OPC", "*ESR?"};
        // A query goes out as it is, whatever completion check was chosen, which falls back to
        // "No OPC"; the reply is shown.
        QTest::newRow("query, OPC") << "rbtOPC"
                                    << "*IDN?" << QStringList{"*IDN?"};
        QTest::newRow("query, OPC Loop") << "rbtOPCLoop"
                                         << "SOURce1:FREQuency?" << QStringList{"SOURce1:FREQuency?"};
    }

    void sendsWithTheirOpcType()
    {
        QFETCH(QString, radioButton);
        QFETCH(QString, text);
        QFETCH(QStringList, wire);
        const bool bolQuery = text.endsWith(QLatin1Char('?'));

        SimInstr *sim = assign(QStringLiteral("ZOY550X"), QStringLiteral("106070"));
        QVERIFY(sim);
        showToolsTab();
        radio(radioButton)->setChecked(true);
        sendCommandText(text);

        QVERIFY(radio(bolQuery ? QStringLiteral("rbtNoOPC") : radioButton)->isChecked());
        QStringList lstSent = beforeErrorLists(sim->received());
        // The loop polls until the operation is reported complete: one poll or more.
        while (wire.size() > 1 && lstSent.size() > wire.size() && lstSent.last() == QStringLiteral("*ESR?"))
            lstSent.removeLast();
        QCOMPARE(lstSent, wire);
        bool bolNumber = false;
        m_rig.w<QLineEdit>(QStringLiteral("ledCmdDuration"))->text().toDouble(&bolNumber);
        QVERIFY(bolNumber);
        QCOMPARE(m_rig.w<QTreeWidget>(QStringLiteral("trwCmdErrorList"))->topLevelItemCount(), 0);

        // A command has no reply: the box keeps the placeholder.
        RawScpiClient client;
        QVERIFY(client.connectTo(sim->process->socketPort()));
        QCOMPARE(response(),
                 bolQuery ? QString::fromLatin1(client.query(text.toLatin1())) : QStringLiteral("-"));
        if (!bolQuery)
            QCOMPARE(client.query("SOUR1:FREQ?").toDouble(), 2e9);
    }

    void errorTreeShowsTheQueue()
    {
        SimInstr *sim = assign(QStringLiteral("GKR550X"), QStringLiteral("102030"));
        QVERIFY(sim);
        showToolsTab();
        auto *trw = m_rig.w<QTreeWidget>(QStringLiteral("trwCmdErrorList"));

        sendCommandText(QStringLiteral("FOO:BAR 1"));
        // The static errors are empty and add no item; the queue had one entry.
        QCOMPARE(trw->topLevelItemCount(), 1);
        QTreeWidgetItem *top = trw->topLevelItem(0);
        QCOMPARE(top->text(0), QStringLiteral("Queue Errors"));
        QVERIFY(showsImage(top->icon(0), QStringLiteral(":/Misc/Misc/Attention.png")));
        QCOMPARE(top->childCount(), 1);
        QCOMPARE(top->child(0)->text(0), QStringLiteral("0-113"));
        QCOMPARE(top->child(0)->text(1), QStringLiteral("Undefined header"));
        QVERIFY(trw->columnWidth(1) >= 400);
        QVERIFY(inOrder(sim->received(), {"FOO:BAR 1", "SYSTem:SERRor?", "SYSTem:ERRor?"}));

        // Two wrong commands, then the next send: the tree starts empty again each time.
        sendCommandText(QStringLiteral("FOO:BAR 2; FOO:BAR 3"));
        QCOMPARE(trw->topLevelItemCount(), 1);
        QCOMPARE(trw->topLevelItem(0)->childCount(), 2);
        QCOMPARE(trw->topLevelItem(0)->child(1)->text(0), QStringLiteral("1-113"));
        sendCommandText(QStringLiteral("SOURce1:FREQuency 1GHz"));
        QCOMPARE(trw->topLevelItemCount(), 0);
    }

    void historyKeepsTenEntries()
    {
        // The tab takes typing only while enabled, that is, with an instrument assigned.
        QVERIFY(assign(QStringLiteral("DVT330X"), QStringLiteral("104050")));
        showToolsTab();
        m_rig.w<QTabWidget>(QStringLiteral("tabWidget"))->setCurrentIndex(3);
        QComboBox *cbx = cmdBox();
        QCOMPARE(cbx->count(), 0);
        auto *duration = m_rig.w<QLineEdit>(QStringLiteral("ledCmdDuration"));
        auto *trw = m_rig.w<QTreeWidget>(QStringLiteral("trwCmdErrorList"));
        for (int i = 1; i <= 12; ++i) {
            // Leftovers of an earlier send, which a new history entry clears.
            setResponse(QStringLiteral("reply"));
            duration->setText(QStringLiteral("12.5"));
            new QTreeWidgetItem(trw, {QStringLiteral("Queue Errors")});
            cbx->lineEdit()->clear();
            QTest::keyClicks(cbx->lineEdit(), QStringLiteral("SOURce1:FREQuency %1MHz").arg(i));
            QTest::keyClick(cbx->lineEdit(), Qt::Key_Return);
            QCOMPARE(response(), QStringLiteral("-"));
            QCOMPARE(duration->text(), QStringLiteral("0"));
            QCOMPARE(trw->topLevelItemCount(), 0);
            QCOMPARE(cbx->count(), qMin(i, 10));
        }
        // Newest first; the eleventh and twelfth entries pushed the oldest ones out.
        QCOMPARE(cbx->itemText(0), QStringLiteral("SOURce1:FREQuency 12MHz"));
        QCOMPARE(cbx->itemText(9), QStringLiteral("SOURce1:FREQuency 3MHz"));
        QCOMPARE(cbx->findText(QStringLiteral("SOURce1:FREQuency 2MHz")), -1);
    }

    void optionExportFile()
    {
        // Installed: RF, baseband, internal digital standards and one miscellaneous option; no
        // fading, noise, external standards or GNSS.
        SimInstr *sim =
            assign(QStringLiteral("GKR550X"), QStringLiteral("102030"),
                   QStringLiteral("GKR-B10,GKR-B10,GKR-B106,GKR-B203,GKR-B81,GKR-K40,GKR-K42,GKR-K42"));
        QVERIFY(sim);
        QTemporaryDir outDir;
        QVERIFY(outDir.isValid());
        const QString strOut = outDir.path();

        QStringList lstAnswers;
        QStringList lstProposals;
        QString strCaption;
        QString strFilter;
        m_rig.win->setSaveFileNameProvider(
            [&](const QString &caption, const QString &proposal, const QString &filter) {
                strCaption = caption;
                strFilter = filter;
                lstProposals << proposal;
                return lstAnswers.isEmpty() ? QString() : lstAnswers.takeFirst();
            });
        auto *btnSave = m_rig.w<QPushButton>(QStringLiteral("btnOLFileSave"));

        const QByteArray expected =
            "Tarvik ListForge V2.0 - Option List Export\n\r"
            "Type:   GKR550X\n\r"
            "Ser No: 102030\n\r"
            "FW Ver: 4.70.026.12\n\r"
            "\n\r"
            "Option List -------------------------------\n\r"
            "RF Path(s):\n\r"
            "GKR-B106      RF Path A - 100kHz-6.0GHz\n\r"
            "GKR-B203      RF Path B - 100kHz-3.0GHz\n\r"
            "\n\r"
            "BB Path(s):\n\r"
            "GKR-B10       Baseband - Generator with digital modulation (realtime) and ARB (64MS)\n\r"
            "GKR-B10(B)    Baseband - Generator with digital modulation (realtime) and ARB (64MS)\n\r"
            "\n\r"
            "Digital Standards (Internal):\n\r"
            "GKR-K40       GSM/EDGE\n\r"
            "GKR-K42       3GPP FDD\n\r"
            "GKR-K42(B)    3GPP FDD\n\r"
            "\n\r"
            "Miscellaneous:\n\r"
            "GKR-B81       Rear panel connectors\n\r"
            "\n\r";

        // A name without ".txt" (matched case-sensitively) gets it; the chosen folder becomes the
        // current one, where the next proposal starts.
        const QList<QPair<QString, QString>> names = {
            {"name", "name.txt"}, {"NAME.TXT", "NAME.TXT.txt"}, {"sheet.txt", "sheet.txt"}};
        for (const auto &name : names) {
            lstAnswers << strOut + QLatin1Char('/') + name.first;
            btnSave->click();
            QCOMPARE(readAll(strOut + QLatin1Char('/') + name.second), expected);
            QVERIFY(name.first == name.second || !QFile::exists(strOut + QLatin1Char('/') + name.first));
            QCOMPARE(QDir(QDir::currentPath()).canonicalPath(), QDir(strOut).canonicalPath());
        }
        QCOMPARE(strCaption, QStringLiteral("Save option list file"));
        QCOMPARE(strFilter, QStringLiteral("Option list files (*.txt)"));
        QCOMPARE(lstProposals.first(), m_strStartDir + QStringLiteral("/GKR550X-102030-Opt"));
        QCOMPARE(QDir(lstProposals.last().section(QLatin1Char('/'), 0, -2)).canonicalPath(),
                 QDir(strOut).canonicalPath());
        QVERIFY(!QFile::exists(strOut + QStringLiteral("/sheet.txt.txt")));

        // Cancelled: nothing written.
        const QStringList lstBefore = QDir(strOut).entryList(QDir::Files);
        btnSave->click();
        QCOMPARE(QDir(strOut).entryList(QDir::Files), lstBefore);

        // A folder that cannot take the file: a missing one, and a plain file in its place.
        QVERIFY(writeFile(strOut + QStringLiteral("/plain"), QByteArray()));
        for (const QString &strFolder :
             {strOut + QStringLiteral("/missing"), strOut + QStringLiteral("/plain")}) {
            lstAnswers << strFolder + QStringLiteral("/list");
            btnSave->click();
            const QString strLine =
                QStringLiteral("APMAIN  : Unable to create and open option list file 'list.txt'!");
            QVERIFY2(m_rig.tracedWithIcon(strLine, QStringLiteral(":/Tracer/TraceLog/info.png")),
                     qPrintable(strFolder));
        }
        QVERIFY(!QFileInfo::exists(strOut + QStringLiteral("/missing")));
        QCOMPARE(readAll(strOut + QStringLiteral("/plain")), QByteArray());
    }

    // X keymaps turn Ctrl+Alt+F1 into the console switch; the menu entry and its shortcut reach
    // the panel, and all three ways keep the entry's tick in step with the panel.
    void remotePanelByShortcutAndMenu()
    {
        if (!onX11())
            QSKIP("real X input: runs as tst_remoteoptions_x");
        m_rig.storePool({});
        AppMainWindow *win = activeWindow();
        QVERIFY(win);
        auto *action = win->findChild<QAction *>(QStringLiteral("actionRemotePanel"));
        auto *menu = win->findChild<QMenu *>(QStringLiteral("menuSettings"));
        QVERIFY(action && menu && action->isCheckable());
        QCOMPARE(action->text(), QStringLiteral("Remote Control Panel"));
        QVERIFY(menu->actions().contains(action));
        QVERIFY(!win->isRemoteTabShown() && !action->isChecked());

        QVERIFY(xdotool({"key", action->shortcut()
                                    .toString()
                                    .replace(QLatin1String("Ctrl"), QLatin1String("ctrl"))
                                    .replace(QLatin1String("Shift"), QLatin1String("shift"))}));
        QTRY_VERIFY(win->isRemoteTabShown());
        QVERIFY(action->isChecked());

        QMenuBar *bar = win->menuBar();
        QVERIFY(clickAt(bar, bar->actionGeometry(menu->menuAction()).center()));
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(clickAt(menu, menu->actionGeometry(action).center()));
        QTRY_VERIFY(!win->isRemoteTabShown());
        QVERIFY(!action->isChecked());

        QTest::keyClick(win, Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(win->isRemoteTabShown());
        QVERIFY(action->isChecked());
    }

    // A chosen control list brings the Ramp/Marker tabs; at the default size the window shows
    // them whole, next to everything else of the path.
    void defaultSizeShowsEveryPanelOfAPath()
    {
        if (!onX11())
            QSKIP("a real screen: runs as tst_remoteoptions_x");
        QTemporaryDir storage;
        QVERIFY(QDir(storage.path()).mkpath(QStringLiteral("CtrlLists")));
        QVERIFY(writeFile(storage.filePath(QStringLiteral("CtrlLists/ctrl1.dm_iqc")), "x"));
        SimInstr *sim =
            m_rig.startSim(QStringLiteral("ZOY550X"), QStringLiteral("106070"), QString(), 0, storage.path());
        QVERIFY(sim);
        m_rig.storePool({WindowRig::poolEntry(sim)});
        AppMainWindow *win = activeWindow();
        QVERIFY(win);
        QVERIFY(m_rig.activateEntry(sim->entryText()));
        QCOMPARE(m_rig.w<QTabWidget>(QStringLiteral("tabWidget"))->currentIndex(), 1);
        auto *cbx = m_rig.w<QComboBox>(QStringLiteral("cbxCLFileA"));
        cbx->setCurrentIndex(cbx->findText(QStringLiteral("ctrl1")));
        emit cbx->activated(cbx->currentIndex());
        auto *tabs = m_rig.w<QTabWidget>(QStringLiteral("tabCtrlParamsA"));
        QTRY_VERIFY(tabs->isVisible());
        QTest::qWait(200); // layouts and the scroll area settle

        const QString strShot = QDir::home().filePath(QStringLiteral("default-size.png"));
        QVERIFY(win->screen()->grabWindow(0).save(strShot));
        qInfo("screenshot: %s", qPrintable(strShot));
        // Every panel of the path lies whole in the visible part of the scroll area: the RF
        // and CDM groups and the tab page with its controls, not only the tab headers.
        auto *viewport = m_rig.w<QScrollArea>(QStringLiteral("scaPathA"))->viewport();
        const QRect visible(viewport->mapToGlobal(QPoint()), viewport->size());
        for (const char *strName : {"grpRFA", "grpCDMA", "tabCtrlParamsA", "tabRampA"}) {
            auto *wdg = m_rig.w<QWidget>(strName);
            const QRect rect(wdg->mapToGlobal(QPoint()), wdg->size());
            QVERIFY2(visible.contains(rect), qPrintable(strName));
            QVERIFY2(wdg->height() >= wdg->minimumSizeHint().height(), qPrintable(strName));
        }
        auto *page = m_rig.w<QWidget>(QStringLiteral("tabRampA"));
        QVERIFY(page->height() >= page->sizeHint().height());
    }
};

QTEST_MAIN(TstRemoteOptions)
#include "tst_remoteoptions.moc"
