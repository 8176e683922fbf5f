#include "app/dlgtracelog.h"
#include "lists/dlglstmanage.h"
#include "mainwindow/appmainwindow.h"
#include "ui/colorscheme.h"
#include "ui/dlgcolors.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

// Each test gets its own HOME and XDG_CONFIG_HOME from the test runner; the settings path is
// pointed into a fresh temporary folder per test so they never see each other's files.
class TstMainWindow : public QObject
{
    Q_OBJECT

    QScopedPointer<QTemporaryDir> m_configDir;
    ClsColorScheme m_scheme;

    static QTabWidget *tabs(AppMainWindow *w)
    {
        return w->findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    }

private slots:
    void init()
    {
        m_configDir.reset(new QTemporaryDir);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_configDir->path());
        Tracer::takeTraceData();
    }

    void startupTracesAndInitialState()
    {
        const QString strLog = QDir::homePath() + QStringLiteral("/ListForge.log");
        QFile::remove(strLog);
        for (int run = 1; run <= 2; ++run) {
            QScopedPointer<AppMainWindow> w(
                new AppMainWindow(&m_scheme, {"listforge", "--FileDebug", "--debug"}));
            w->setAttribute(Qt::WA_DeleteOnClose, false);
            QCOMPARE(w->appState(), int(AppMainWindow::StateInitial));
            QTabWidget *tw = tabs(w.data());
            QCOMPARE(tw->count(), 3);
            QCOMPARE(tw->currentIndex(), 0);
            for (int i = 0; i < 3; ++i)
                QVERIFY(!tw->isTabEnabled(i));
        }
        QFile file(strLog);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString strContent = QString::fromUtf8(file.readAll());
        // Both runs appended; every line carries the short date, not the bare time stamp.
        for (const char *strLine : {"Startup running...", "Tracer initialized", "Startup complete!",
                                    "VISA control object created and initialized"})
            QVERIFY2(strContent.count(QStringLiteral("APMAIN  : ") + strLine) == 2, strLine);
        const QStringList lines = strContent.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QString strToday = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
        for (const QString &strLine : lines)
            QVERIFY2(strLine.startsWith(strToday), qPrintable(strLine));
        Tracer::setFileTracing(false, QString());
        Tracer::setDateTimeStamp(false);
    }

    // The window and its dialogs, one after the other in the same settings: a dialog that left
    // a group open would make the next one read the wrong keys.
    void settingsRoundTrip()
    {
        const QString strStartDir = QDir::currentPath();
        const QList<QRect> geometries = {
            {70, 80, 800, 600}, {120, 130, 600, 400}, {310, 205, 520, 410}, {140, 160, 600, 650}};
        const auto windows = [](AppMainWindow *w) {
            return QList<QWidget *>{w, w->traceLogDialog(), w->colorsDialog(), w->lstManageDialog()};
        };
        {
            QScopedPointer<AppMainWindow> w(new AppMainWindow(&m_scheme, {"listforge"}));
            w->setAttribute(Qt::WA_DeleteOnClose, false);
            auto *cbx = w->findChild<QComboBox *>(QStringLiteral("cbxCmd"));
            QCOMPARE(cbx->count(), 0);
            cbx->addItem(QStringLiteral("*IDN?"));
            cbx->addItem(QStringLiteral("SOUR1:FREQ 1 GHz"));
            for (int i = 0; i < geometries.size(); ++i) {
                windows(w.data()).at(i)->resize(geometries.at(i).size());
                windows(w.data()).at(i)->move(geometries.at(i).topLeft());
            }
            QDir::setCurrent(m_configDir->path()); // the list dialog keeps the folder it was in
            w->close();                            // saves
        }
        QDir::setCurrent(strStartDir);
        QScopedPointer<QSettings> settings(AppMainWindow::createProgramSettings());
        QVERIFY(settings->fileName().startsWith(m_configDir->path()));
        QCOMPARE(settings->beginReadArray(QStringLiteral("Commands")), 2);
        settings->endArray();
        for (const char *group : {"InstrManage", "Colors", "TraceLog", "LstManage"})
            QVERIFY2(settings->childGroups().contains(QLatin1String(group)), group);

        QScopedPointer<AppMainWindow> w(new AppMainWindow(&m_scheme, {"listforge"}));
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        for (int i = 0; i < geometries.size(); ++i) {
            QCOMPARE(windows(w.data()).at(i)->size(), geometries.at(i).size());
            QCOMPARE(windows(w.data()).at(i)->pos(), geometries.at(i).topLeft());
        }
        QCOMPARE(QDir::currentPath(), QDir(m_configDir->path()).canonicalPath());
        QDir::setCurrent(strStartDir);
        auto *cbx = w->findChild<QComboBox *>(QStringLiteral("cbxCmd"));
        QCOMPARE(cbx->count(), 2);
        QCOMPARE(cbx->itemText(1), QStringLiteral("SOUR1:FREQ 1 GHz"));
    }

    void menusLogsAndIndicator()
    {
        QScopedPointer<AppMainWindow> w(new AppMainWindow(&m_scheme, {"listforge"}));
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        // Without options: the window's own trace log dialog has taken every line traced during
        // start-up, without the debug lines.
        auto *lsw = w->traceLogDialog()->findChild<QListWidget *>(QStringLiteral("lswTraceLog"));
        QString strTexts;
        for (int i = 0; i < lsw->count(); ++i)
            strTexts += lsw->item(i)->text() + QLatin1Char('\n');
        QVERIFY(!strTexts.contains(QStringLiteral("Tracer initialized")));
        QVERIFY(!strTexts.contains(QStringLiteral("Startup running")));
        QVERIFY(strTexts.contains(QStringLiteral("APMAIN  : Application set to initial state")));
        QVERIFY(strTexts.endsWith(QStringLiteral("APMAIN  : Startup complete!\n")));

        w->findChild<QAction *>(QStringLiteral("actionTraceLog"))->trigger();
        QVERIFY(w->traceLogDialog()->isVisible());
        w->findChild<QAction *>(QStringLiteral("actionListManage"))->trigger();
        QVERIFY(w->lstManageDialog()->isVisible());
        // Hiding the window takes the trace log dialog with it.
        w->show();
        w->hide();
        QVERIFY(!w->traceLogDialog()->isVisible());
        // The list management dialog stays open: lists are edited with the window minimised.
        QVERIFY(w->lstManageDialog()->isVisible());

        auto *log = w->findChild<QListWidget *>(QStringLiteral("lswInstrLog"));
        w->showInstrMessage(ClsInstrControl::InstrLogInfo, QStringLiteral("Info line"));
        w->showInstrMessage(ClsInstrControl::InstrLogError, QStringLiteral("Unable to do it"));
        QCOMPARE(log->count(), 2);
        QCOMPARE(log->currentRow(), 1);
        w->clearInstrLog();
        QCOMPARE(log->count(), 0);

        auto *status = w->findChild<QLabel *>(QStringLiteral("lblInstrStatus"));
        w->show();
        QVERIFY(status->isVisible());
        w->toggleInstrStateIndi();
        QVERIFY(!status->isVisible());
        w->toggleInstrStateIndi();
        QVERIFY(status->isVisible());

        // The remote tab comes and goes with Ctrl+Alt+F1 only.
        QTabWidget *tw = tabs(w.data());
        QVERIFY(!w->isRemoteTabShown());
        QTest::keyClick(w.data(), Qt::Key_F1, Qt::ControlModifier);
        QTest::keyClick(w.data(), Qt::Key_F2, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(tw->count(), 3);

        QTest::keyClick(w.data(), Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(tw->count(), 4);
        QVERIFY(!tw->isTabEnabled(3)); // not active
        QVERIFY(tw->widget(3)->findChild<QComboBox *>(QStringLiteral("cbxCmd")));

        QTest::keyClick(w.data(), Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(tw->count(), 3);
        QVERIFY(w->findChild<QComboBox *>(QStringLiteral("cbxCmd"))); // still owned by the window
    }
};

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
