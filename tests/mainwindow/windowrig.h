#ifndef LISTFORGE_TESTS_MAINWINDOW_WINDOWRIG_H
#define LISTFORGE_TESTS_MAINWINDOW_WINDOWRIG_H

// Shared rig of the main window suites: simulated generators on free loopback ports, an
// instrument pool stored in the program settings before the window starts, and readers for
// what the window traced and what each simulator received.

#include "app/dlgtracelog.h"
#include "instrmanage/clsinstrpool.h"
#include "instrmanage/dlginstrmanage.h"
#include "mainwindow/appmainwindow.h"
#include "tests/common/simlog.h"
#include "tests/common/simprocess.h"
#include "tests/common/widgetstates.h"
#include "ui/colorscheme.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <memory>
#include <vector>

// One simulated generator with its own message log.
struct SimInstr
{
    QString strModel;
    QString strSerial;
    QString strResource;
    QTemporaryDir logDir;
    SimLog log{logDir.filePath(QStringLiteral("sim.log"))};
    std::unique_ptr<SimProcess> process;
    int intLogLines = 0;

    // The pool entry's text in the instrument box: type, serial number, interface.
    QString entryText() const
    {
        return strModel + QStringLiteral(", ") + strSerial + QStringLiteral(" (TCPIP0)");
    }

    // Everything received since the previous call, without transport and termination. The
    // caller makes sure the messages it waits for were answered or followed by a round trip.
    QStringList received()
    {
        const QStringList messages = log.messages(intLogLines);
        intLogLines += messages.size();
        return messages;
    }
};

struct PoolEntry
{
    QString strType;
    QString strSerial;
    QString strResource;
    bool bolEnabled;
};

class WindowRig
{
public:
    ClsColorScheme scheme;
    std::unique_ptr<QTemporaryDir> configDir;
    std::vector<std::unique_ptr<SimInstr>> sims;
    std::unique_ptr<AppMainWindow> win;

    void reset()
    {
        win.reset();
        sims.clear();
        configDir = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, configDir->path());
        Tracer::takeTraceData();
    }

    // Short presets keep every assignment at one or two progress steps. The pool reaches the
    // instrument over its raw socket.
    SimInstr *startSim(const QString &strModel, const QString &strSerial,
                       const QString &strOptions = QString(), int intPresetMs = 50,
                       const QString &strStorage = QString())
    {
        auto sim = std::make_unique<SimInstr>();
        sim->strModel = strModel;
        sim->strSerial = strSerial;
        sim->process = std::make_unique<SimProcess>();
        QStringList args{"--model", strModel, "--serial",
                         strSerial, "--log",  sim->logDir.filePath(QStringLiteral("sim.log"))};
        args += QStringList{
            "--port", "0", "--portmapper-port", "0", "--preset-time", QString::number(intPresetMs)};
        if (!strOptions.isEmpty())
            args << "--options" << strOptions;
        if (!strStorage.isEmpty())
            args << "--storage" << strStorage;
        if (!sim->process->start(args))
            return nullptr;
        sim->strResource = QStringLiteral("TCPIP0::127.0.0.1::%1::SOCKET").arg(sim->process->socketPort());
        sims.push_back(std::move(sim));
        return sims.back().get();
    }

    static PoolEntry poolEntry(const SimInstr *sim, bool bolEnabled = true)
    {
        return {sim->strModel, sim->strSerial, sim->strResource, bolEnabled};
    }

    // Writes the pool as the instrument management dialog stores it; the window loads it at
    // start-up and checks every enabled entry against the instrument.
    void storePool(const QList<PoolEntry> &entries)
    {
        std::unique_ptr<QSettings> settings(AppMainWindow::createProgramSettings());
        settings->beginGroup(QStringLiteral("InstrManage"));
        ClsInstrPool pool;
        for (const PoolEntry &e : entries)
            pool.addWithoutContact(
                {e.strType, e.strSerial, e.strResource, "1.0", "TCPIP0", "LAN Manual", e.bolEnabled});
        pool.save(*settings);
        settings->endGroup();
    }

    AppMainWindow *makeWindow()
    {
        win = std::make_unique<AppMainWindow>(&scheme, QStringList{"listforge", "--debug"});
        win->setAttribute(Qt::WA_DeleteOnClose, false);
        win->show();
        return win.get();
    }

    // A window with this one generator in its pool, assigned from the instrument box.
    SimInstr *assignOne(const QString &strModel, const QString &strSerial,
                        const QString &strOptions = QString())
    {
        SimInstr *sim = startSim(strModel, strSerial, strOptions);
        if (!sim)
            return nullptr;
        storePool({poolEntry(sim)});
        makeWindow();
        const bool bolActive =
            activateEntry(sim->entryText()) && win->appState() == AppMainWindow::StateActive;
        return bolActive ? sim : nullptr;
    }

    template <typename T> T *w(const QString &strName) const
    {
        T *wdg = win->findChild<T *>(strName);
        if (!wdg)
            qWarning("missing widget %s", qPrintable(strName));
        return wdg;
    }

    QComboBox *instrBox() const { return w<QComboBox>(QStringLiteral("cbxInstr")); }

    // What a user's choice in a combo box does: select the entry and report "activated", even
    // when it is the current one already.
    bool choose(const QString &strCombo, const QString &strText) const
    {
        auto *cbx = w<QComboBox>(strCombo);
        const int intIndex = cbx ? cbx->findText(strText) : -1;
        if (intIndex < 0)
            return false;
        cbx->setCurrentIndex(intIndex);
        emit cbx->activated(intIndex);
        return true;
    }
    bool activateEntry(const QString &strText) const { return choose(QStringLiteral("cbxInstr"), strText); }

    static QStringList items(const QComboBox *cbx)
    {
        QStringList lst;
        for (int i = 0; i < cbx->count(); ++i)
            lst << cbx->itemText(i);
        return lst;
    }
    QStringList boxEntries() const { return items(instrBox()); }

    QListWidget *traceList() const
    {
        return win->traceLogDialog()->findChild<QListWidget *>(QStringLiteral("lswTraceLog"));
    }

    // The trace lines since the previous call, without their time stamps.
    QStringList traces()
    {
        QCoreApplication::processEvents(); // lines of the preset worker arrive queued
        QListWidget *lsw = traceList();
        static const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d:\\d{3}  "));
        QStringList lines;
        for (int i = 0; i < lsw->count(); ++i)
            lines << lsw->item(i)->text().remove(stamp);
        lsw->clear();
        return lines;
    }

    // The trace kind of a line, read from its icon in the trace log.
    bool tracedWithIcon(const QString &strLine, const QString &strIcon) const
    {
        QListWidget *lsw = traceList();
        for (int i = 0; i < lsw->count(); ++i) {
            if (lsw->item(i)->text().endsWith(strLine))
                return showsImage(lsw->item(i)->icon(), strIcon);
        }
        return false;
    }

    QStringList instrLog() const
    {
        auto *lsw = w<QListWidget>(QStringLiteral("lswInstrLog"));
        QStringList lines;
        for (int i = 0; i < lsw->count(); ++i)
            lines << lsw->item(i)->text();
        return lines;
    }

    QString statusMessage() const { return win->statusBar()->currentMessage(); }

    bool statusIconIs(const QString &strIcon) const
    {
        return showsImage(w<QLabel>(QStringLiteral("lblInstrStatus")), strIcon);
    }

    // The pool entry of the instrument management dialog that shows this type and serial number.
    QTreeWidgetItem *poolItem(const QString &strType, const QString &strSerial) const
    {
        auto *trw = win->instrManageDialog()->findChild<QTreeWidget *>(QStringLiteral("trwInstrList"));
        for (int i = 0; i < trw->topLevelItemCount(); ++i) {
            if (trw->topLevelItem(i)->text(0) == strType + QStringLiteral(", ") + strSerial)
                return trw->topLevelItem(i);
        }
        return nullptr;
    }
};

// True when the messages contain the wanted ones in this order (others may come between).
inline bool inOrder(const QStringList &lstMessages, const QStringList &lstWanted, int *pintLast = nullptr)
{
    int intFrom = 0;
    for (const QString &strWanted : lstWanted) {
        const int intAt = lstMessages.indexOf(strWanted, intFrom);
        if (intAt < 0)
            return false;
        intFrom = intAt + 1;
    }
    if (pintLast)
        *pintLast = intFrom - 1;
    return true;
}

#endif
