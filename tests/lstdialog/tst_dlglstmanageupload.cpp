#include "instrument/clszoycontrol.h"
#include "lstdialogtesthelpers.h"
#include "tests/common/simlog.h"

#include <QProcess>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <memory>

// Uploads from the list management dialog into a simulated generator.
class TestDlgLstManageUpload : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    SimBench m_bench;
    std::unique_ptr<ClsZOYControl> m_instr;

private slots:
    void initTestCase()
    {
        qputenv("LISTFORGE_VISA_LIBRARY", qgetenv("LISTFORGE_BUILD_DIR") + "/libvisa32.so");
        QVERIFY(m_bench.start(
            {"--model", "ZOY550X", "--port", "0", "--portmapper-port", "0", "--preset-time", "10"}));
        m_instr = std::make_unique<ClsZOYControl>(
            QStringLiteral("TCPIP0::127.0.0.1::%1::SOCKET").arg(m_bench.sim->socketPort()));
        QVERIFY(m_instr->isSessionOpen());
        // Replacing a file on the instrument is confirmed by the user; here always yes.
        ClsInstrControl::setConfirmHandler([](const QString &, const QString &) { return true; });
    }

    void cleanupTestCase()
    {
        m_instr.reset();
        ClsInstrControl::setConfirmHandler({});
    }

    void uploadButtonsFollowInstrumentAndFiles()
    {
        ScriptedDlgLstManage dlg;
        auto *btnDL = dlg.w<QPushButton>("btnDLFileTrans");
        auto *btnCL = dlg.w<QPushButton>("btnCLFileTrans");
        const QString both = QStringLiteral("btnDLFileTrans btnCLFileTrans");
        dlg.setInstrument(m_instr.get());
        QCOMPARE(enabledOf(&dlg, both), QStringList()); // no local file yet

        dlg.applyPrbs(511);
        dlg.saveWith("btnDLFileSave", m_dir.filePath(QStringLiteral("prbs9")));
        QVERIFY(btnDL->isEnabled());

        dlg.saveWith("btnCLFileSave", m_dir.filePath(QStringLiteral("ctrl")));
        QVERIFY(btnCL->isEnabled());
        auto *tags = dlg.w<QLineEdit>("ledCLHop");
        dlg.w<QCheckBox>("cheCLHop")->setChecked(true);
        tags->setText(QStringLiteral("5:1"));
        emit tags->editingFinished();
        QVERIFY(!btnCL->isEnabled());
        dlg.saveWith("btnCLFileSave", m_dir.filePath(QStringLiteral("ctrl")));
        QVERIFY(btnCL->isEnabled());
        dlg.w<QSpinBox>("sbxCLLength")->setValue(99);
        QVERIFY(!btnCL->isEnabled());
        dlg.saveWith("btnCLFileSave", m_dir.filePath(QStringLiteral("ctrl")));

        dlg.releaseInstrument();
        QCOMPARE(enabledOf(&dlg, both), QStringList());
        QCOMPARE(dlg.instrument(), nullptr);

        // A known file is offered again as soon as an instrument comes back.
        dlg.setInstrument(m_instr.get());
        QCOMPARE(enabledOf(&dlg, both), both.split(' '));

        // Whatever makes the list or its comment differ from the file takes the upload away
        // until the list is saved again.
        auto saveAgain = [&](const char *name) {
            dlg.saveWith("btnDLFileSave", m_dir.filePath(QLatin1String(name)));
            return btnDL->isEnabled();
        };
        dlg.w<QCheckBox>("cheDLCommentMan")->setChecked(true);
        QTest::keyClicks(dlg.w<QLineEdit>("ledDLComment"), QStringLiteral(" typed"));
        QVERIFY(!btnDL->isEnabled());
        QVERIFY(saveAgain("typed"));
        DataListFileReader reader;
        QVERIFY(reader.open(m_dir.filePath(QStringLiteral("typed.dm_iqd"))));
        QVERIFY(reader.info().comment.endsWith(QLatin1String(" typed")));
        auto *cell = dlg.w<QTableWidget>("tawDL")->item(0, 1);
        QString strCell = cell->text();
        strCell[0] = strCell[0] == QLatin1Char('0') ? QLatin1Char('1') : QLatin1Char('0');
        cell->setText(strCell);
        QVERIFY(!btnDL->isEnabled());
        QVERIFY(saveAgain("edited"));
        dlg.w<QPushButton>("btnDLAppend")->click();
        dlg.chooseSource(QStringLiteral("Data-list"));
        dlg.openWith("btnDLFileSelect", m_dir.filePath(QStringLiteral("edited.dm_iqd")));
        QCOMPARE(dlg.bits().size(), 1022);
        QVERIFY(!btnDL->isEnabled());
        dlg.w<QPushButton>("btnDLReset")->click();
        // A cancelled or refused import leaves no file behind the button.
        dlg.chooseSource(QStringLiteral("Data-list"));
        dlg.openWith("btnDLFileSelect", m_dir.filePath(QStringLiteral("edited.dm_iqd")));
        QVERIFY(btnDL->isEnabled());
        dlg.w<QPushButton>("btnDLFileSelect")->click(); // cancelled
        QVERIFY(!btnDL->isEnabled());
        QVERIFY(saveAgain("edited"));
        dlg.openWith("btnDLFileSelect", m_dir.filePath(QStringLiteral("ctrl.dm_iqc"))); // wrong type
        QCOMPARE(dlg.warnings.size(), 1);
        QVERIFY(!btnDL->isEnabled());
        QVERIFY(saveAgain("prbs9"));

        // ASCII data lists are never uploaded.
        dlg.w<QCheckBox>("cheDLFileFormat")->setChecked(true);
        dlg.saveWith("btnDLFileSave", m_dir.filePath(QStringLiteral("prbs9.dm_iqda")));
        QCOMPARE(dlg.w<QLineEdit>("ledDLLocFileName")->text(), QStringLiteral("prbs9.dm_iqda"));
        QVERIFY(!btnDL->isEnabled());
        dlg.releaseInstrument();
        dlg.setInstrument(m_instr.get());
        QVERIFY(!btnDL->isEnabled());
    }

    void uploadsReachTheInstrumentAndAnnounceNewFiles()
    {
        ScriptedDlgLstManage dlg;
        dlg.setInstrument(m_instr.get());
        QSignalSpy newDL(&dlg, &DlgLstManage::newDLAvailable);
        QSignalSpy newCL(&dlg, &DlgLstManage::newCLAvailable);

        dlg.applyPrbs(1000);
        const QString strDataPath = m_dir.filePath(QStringLiteral("up.dm_iqd"));
        dlg.saveWith("btnDLFileSave", strDataPath);
        dlg.w<QPushButton>("btnDLFileTrans")->click();
        QCOMPARE(newDL.count(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(m_bench.stored(QStringLiteral("DataLists/up.dm_iqd")), readAll(strDataPath),
                                  10000);

        const QString strCtrlPath = m_dir.filePath(QStringLiteral("upc.dm_iqc"));
        dlg.saveWith("btnCLFileSave", strCtrlPath);
        dlg.w<QPushButton>("btnCLFileTrans")->click();
        QCOMPARE(newCL.count(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(m_bench.stored(QStringLiteral("CtrlLists/upc.dm_iqc")),
                                  readAll(strCtrlPath), 10000);
        // The buttons are offered again for the next upload.
        QCOMPARE(enabledOf(&dlg, "btnDLFileTrans btnCLFileTrans"),
                 QStringList({"btnDLFileTrans", "btnCLFileTrans"}));
    }

    void progressWindowNeverShowsEmpty()
    {
        ScriptedDlgLstManage dlg;
        dlg.setInstrument(m_instr.get());
        dlg.applyPrbs(511);
        dlg.saveWith("btnDLFileSave", m_dir.filePath(QStringLiteral("twice.dm_iqd")));
        dlg.w<QPushButton>("btnDLFileTrans")->click();
        // The second upload asks before replacing the file, and the user takes a while.
        QStringList shownEmpty;
        ClsInstrControl::setConfirmHandler([&](const QString &, const QString &) {
            QTest::qWait(1300);
            for (QWidget *window : QApplication::topLevelWidgets()) {
                for (QLabel *label : window->findChildren<QLabel *>())
                    if (window->isVisible() && (label->text().isEmpty() || window->width() < label->width()))
                        shownEmpty << window->windowTitle();
            }
            return true;
        });
        dlg.w<QPushButton>("btnDLFileTrans")->click();
        ClsInstrControl::setConfirmHandler([](const QString &, const QString &) { return true; });
        QVERIFY2(shownEmpty.isEmpty(), qPrintable(shownEmpty.join(QLatin1Char(','))));
    }

    // Real X clicks: run under tests/xvfb-run.sh.
    void clicksWaitForTheUpload()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server and xdotool");
        ScriptedDlgLstManage dlg;
        dlg.setInstrument(m_instr.get());
        dlg.setGeometry(0, 0, 520, 580);
        dlg.show();
        QPushButton other(QStringLiteral("Main window"));
        other.setGeometry(900, 700, 200, 80);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg) && QTest::qWaitForWindowExposed(&other));
        bool bolUploading = false;
        bool bolClickedDuringUpload = false;
        int intClicks = 0;
        connect(&other, &QPushButton::clicked, [&] {
            ++intClicks;
            bolClickedDuringUpload |= bolUploading;
        });
        dlg.applyPrbs(2000000);
        dlg.saveWith("btnDLFileSave", m_dir.filePath(QStringLiteral("long.dm_iqd")));

        // Runs whenever the transfer lets events through: slows it to a few seconds, and once
        // the progress window is up, clicks the other window with the real mouse.
        QString strShownText;
        QTimer slow;
        connect(&slow, &QTimer::timeout, [&] {
            if (!bolUploading || !strShownText.isEmpty())
                return;
            QThread::msleep(8);
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (!window->isVisible() || window->windowTitle() != QLatin1String("Upload"))
                    continue;
                strShownText = window->findChild<QLabel *>()->text();
                const QPoint centre = other.mapToGlobal(other.rect().center());
                QProcess::execute(QStringLiteral("xdotool"),
                                  {"mousemove", "--sync", QString::number(centre.x()),
                                   QString::number(centre.y()), "click", "1"});
                QThread::msleep(300); // lets the X server hand the click over
            }
        });
        // The transfer lets events through at most every few milliseconds, counted from the last
        // round, and the save above has just run one. A list this size fits the socket's buffers
        // and goes in a few milliseconds, so without this wait the whole transfer could pass
        // before its first round, unslowed and with no window to click.
        QTest::qWait(50);
        slow.start(0);
        bolUploading = true;
        dlg.w<QPushButton>("btnDLFileTrans")->click();
        bolUploading = false;
        QVERIFY(strShownText.startsWith(QLatin1String("Uploading 'long.dm_iqd' to the instrument: ")));
        QTRY_COMPARE(intClicks, 1); // delivered once the transfer is over
        QVERIFY(!bolClickedDuringUpload);
    }
};

QTEST_MAIN(TestDlgLstManageUpload)
#include "tst_dlglstmanageupload.moc"
