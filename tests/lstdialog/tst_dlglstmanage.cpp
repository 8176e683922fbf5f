#include "lstdialogtesthelpers.h"

#include "lists/datalistfile.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

namespace {
const QString RangeText =
    QStringLiteral("Total amount (current + new) of data bits is outside the specified range!");
} // namespace

// Answers the next modal dialog once it is up; gives up after two seconds so a test never hangs.
static void answerModal(const std::function<void(QWidget *)> &answer, int attempt = 0)
{
    QTimer::singleShot(20, [answer, attempt] {
        if (QWidget *modal = QApplication::activeModalWidget())
            answer(modal);
        else if (attempt < 100)
            answerModal(answer, attempt + 1);
    });
}

class TestDlgLstManage : public LstDialogSuite
{
    Q_OBJECT
private slots:
    void sourceChoiceShowsOnlyItsControls()
    {
        ScriptedDlgLstManage dlg;
        const QString controls =
            QStringLiteral("cbxDLPRBSType btnDLPRBSSelect ledDLBitPatt btnDLBitPattSelect "
                           "cbxDLBitSequ btnDLBitSequSelect ledDLDataFileName "
                           "btnDLDataFileSelect ledDLImpFileName btnDLFileSelect");
        const QString counts =
            QStringLiteral("rbtDLBitCount rbtDLSymCount sbxDLBitCount sbxDLSymCount btnDLReset");
        // Per source, one after the other: its own controls, and the count controls it leaves
        // to the user (a file brings its own count; a pattern repeats for a number of symbols).
        const QList<QStringList> sources = {
            {"PRBS", "cbxDLPRBSType btnDLPRBSSelect", "rbtDLBitCount rbtDLSymCount sbxDLBitCount"},
            {"Pattern", "ledDLBitPatt btnDLBitPattSelect", "rbtDLBitCount rbtDLSymCount sbxDLSymCount"},
            {"Sequence", "cbxDLBitSequ btnDLBitSequSelect", "rbtDLBitCount rbtDLSymCount sbxDLSymCount"},
            {"ASCII-file Bit", "ledDLDataFileName btnDLDataFileSelect", ""},
            {"ASCII-file Hex", "ledDLDataFileName btnDLDataFileSelect", ""},
            {"Binary-file Hex", "ledDLDataFileName btnDLDataFileSelect", ""},
            {"Data-list", "ledDLImpFileName btnDLFileSelect", ""}};
        for (const QStringList &source : sources) {
            dlg.chooseSource(source[0]);
            const auto in = [&source](QStringList names) { return names << source[0]; };
            QStringList hidden = controls.split(' ');
            for (const QString &name : source[1].split(' '))
                hidden.removeAll(name);
            QCOMPARE(in(hiddenOf(&dlg, controls)), in(hidden));
            QCOMPARE(in(enabledOf(&dlg, controls)), in(source[1].split(' ')));
            QCOMPARE(in(enabledOf(&dlg, counts)), in(source[2].split(' ', Qt::SkipEmptyParts)));
            const bool symbols = source[2].contains(QLatin1String("sbxDLSymCount"));
            QVERIFY(dlg.w<QRadioButton>(symbols ? "rbtDLSymCount" : "rbtDLBitCount")->isChecked());
            if (symbols) // 128QAM: 7 bits per symbol
                QCOMPARE(shownTexts(&dlg, "sbxDLSymCount sbxDLBitCount"), QStringList({"10", "70"}));
        }
    }

    void countsAreCoupled()
    {
        ScriptedDlgLstManage dlg;
        QCOMPARE(dlg.w<QSpinBox>("sbxDLBitCount")->maximum(), 250000000);
        QCOMPARE(dlg.w<QSpinBox>("sbxDLSymCount")->maximum(), 35714285); // 128QAM: 7 bits per symbol
        dlg.chooseModType(QStringLiteral("16QAM"));
        QCOMPARE(dlg.w<QSpinBox>("sbxDLBitPerSym")->value(), 4);
        QCOMPARE(dlg.w<QSpinBox>("sbxDLSymCount")->maximum(), 62500000);

        // Bit mode: the symbol count is rounded up.
        dlg.w<QSpinBox>("sbxDLBitCount")->setValue(10);
        QCOMPARE(dlg.w<QSpinBox>("sbxDLSymCount")->value(), 3);
        QVERIFY(!dlg.w<QSpinBox>("sbxDLSymCount")->isEnabled());

        // Symbol mode: the bit count follows, and the boxes swap their enabling.
        dlg.w<QRadioButton>("rbtDLSymCount")->setChecked(true);
        QCOMPARE(enabledOf(&dlg, "sbxDLBitCount sbxDLSymCount"), QStringList{"sbxDLSymCount"});
        QCOMPARE(dlg.w<QSpinBox>("sbxDLBitCount")->value(), 12);
        dlg.w<QSpinBox>("sbxDLSymCount")->setValue(62500000);
        QCOMPARE(dlg.w<QSpinBox>("sbxDLBitCount")->value(), 250000000);

        // In bit mode a symbol count change does not touch the bits.
        dlg.w<QRadioButton>("rbtDLBitCount")->setChecked(true);
        dlg.w<QSpinBox>("sbxDLBitCount")->setValue(9);
        QCOMPARE(dlg.w<QSpinBox>("sbxDLSymCount")->value(), 3);

        // A coupled control list length follows the symbol count.
        auto *lengthMode = dlg.w<QComboBox>("cbxCLLengthMode");
        lengthMode->setCurrentIndex(lengthMode->findText(QStringLiteral("Coupled")));
        dlg.w<QRadioButton>("rbtDLSymCount")->setChecked(true);
        dlg.w<QSpinBox>("sbxDLSymCount")->setValue(321);
        QCOMPARE(dlg.w<QSpinBox>("sbxCLLength")->value(), 321);
    }

    void warningIconsFlagUnevenCounts()
    {
        ScriptedDlgLstManage dlg;
        auto *symIcon = dlg.w<QLabel>("lblDLSymCountIndi");
        auto *prbsIcon = dlg.w<QLabel>("lblDLBitCountIndi");
        dlg.chooseModType(QStringLiteral("16QAM"));

        dlg.w<QSpinBox>("sbxDLBitCount")->setValue(10);
        QVERIFY(!symIcon->isHidden());
        QCOMPARE(symIcon->toolTip(),
                 QStringLiteral("Specified number of bits results in a none integer number of symbols!"));
        dlg.w<QSpinBox>("sbxDLBitCount")->setValue(12);
        QVERIFY(symIcon->isHidden());
        QVERIFY(symIcon->toolTip().isEmpty());

        // PRBS9: only whole periods of 511 bits are free of the warning.
        dlg.w<QSpinBox>("sbxDLBitCount")->setValue(1000);
        QVERIFY(!prbsIcon->isHidden());
        QCOMPARE(
            prbsIcon->toolTip(),
            QStringLiteral("Specified number of bits results in a none integer number of PRBS sequences"));
        dlg.w<QSpinBox>("sbxDLBitCount")->setValue(1022);
        QVERIFY(prbsIcon->isHidden());
        dlg.w<QSpinBox>("sbxDLBitCount")->setValue(1000);
        QVERIFY(!prbsIcon->isHidden());

        // Choosing PRBS11 sets one period and clears the warning; other sources never show it.
        auto *prbs = dlg.w<QComboBox>("cbxDLPRBSType");
        prbs->setCurrentIndex(1);
        emit prbs->activated(1);
        QCOMPARE(dlg.w<QSpinBox>("sbxDLBitCount")->value(), 2047);
        QVERIFY(prbsIcon->isHidden());
        dlg.chooseSource(QStringLiteral("Pattern"));
        dlg.w<QRadioButton>("rbtDLBitCount")->setChecked(true);
        dlg.w<QSpinBox>("sbxDLBitCount")->setValue(1000);
        QVERIFY(prbsIcon->isHidden());
    }

    void userModulationChoosesItsOwnWidth()
    {
        ScriptedDlgLstManage dlg;
        dlg.chooseModType(QStringLiteral("USER"));
        auto *width = dlg.w<QSpinBox>("sbxDLBitPerSym");
        QVERIFY(width->isEnabled());
        QCOMPARE(width->value(), 2);
        width->setValue(3);
        // ceil(250000000 / 3), unlike the table's floor for the fixed types.
        QCOMPARE(dlg.w<QSpinBox>("sbxDLSymCount")->maximum(), 83333334);
        dlg.chooseModType(QStringLiteral("8PSK"));
        QVERIFY(!width->isEnabled());
        QCOMPARE(dlg.w<QSpinBox>("sbxDLSymCount")->maximum(), 83333333);
    }

    void automaticCommentFollowsTheInputs()
    {
        ScriptedDlgLstManage dlg;
        auto *comment = dlg.w<QLineEdit>("ledDLComment");
        dlg.chooseModType(QStringLiteral("16QAM"));
        dlg.w<QSpinBox>("sbxDLBitCount")->setValue(1000);
        QCOMPARE(comment->text(), QStringLiteral("16QAM, 250 symbols, 1000 bits, PRBS9"));

        dlg.chooseSource(QStringLiteral("Pattern"));
        QCOMPARE(comment->text(), QStringLiteral("16QAM, 10 symbols, 40 bits, Pattern: None"));
        dlg.w<QLineEdit>("ledDLBitPatt")->setText(QStringLiteral("1100"));
        QCOMPARE(comment->text(), QStringLiteral("16QAM, 10 symbols, 40 bits, Pattern: 1100"));

        // A manual comment is left alone.
        dlg.w<QCheckBox>("cheDLCommentMan")->setChecked(true);
        QVERIFY(comment->isEnabled());
        comment->setText(QStringLiteral("my own words"));
        dlg.w<QSpinBox>("sbxDLSymCount")->setValue(20);
        QCOMPARE(comment->text(), QStringLiteral("my own words"));
        dlg.w<QCheckBox>("cheDLCommentMan")->setChecked(false);
        QVERIFY(!comment->isEnabled());
        QCOMPARE(comment->text(), QStringLiteral("16QAM, 20 symbols, 80 bits, Pattern: 1100"));
    }

    void applyingPrbs9FillsTableTotalAndGreenLamp()
    {
        ScriptedDlgLstManage dlg;
        dlg.applyPrbs(511);
        QCOMPARE(dlg.dataList().size(), qint64(511));
        QVERIFY(dlg.bits().startsWith("11111111100000111101111100010111"));
        QCOMPARE(dlg.w<QLineEdit>("ledDLBitCountTotal")->text(), QStringLiteral("511"));
        QVERIFY(showsImage(dlg.w<QLabel>("lblDLStatusIndi"), LampGreen));
        QVERIFY(!dlg.w<QLabel>("lblDLStatusIndi")->isHidden());
        QVERIFY(dlg.w<QTableWidget>("tawDL")->rowCount() > 0);
        const QString buttons =
            QStringLiteral("btnDLFileSave cheDLFileFormat btnDLReset btnDLAppend btnDLFileTrans");
        QCOMPARE(enabledOf(&dlg, buttons),
                 QStringList({"btnDLFileSave", "cheDLFileFormat", "btnDLReset", "btnDLAppend"}));
        QVERIFY(takeTraceTexts().contains(QStringLiteral("DLSMAN  : 511 PRBS9 bits put into the data list")));

        const QStringList header = dlg.dataListHeaderFields();
        QCOMPARE(header.value(1), QStringLiteral("{COMMENT:128QAM, 73 symbols, 511 bits, PRBS9}"));
        QCOMPARE(header.value(4), QStringLiteral("{DATA BITLENGTH:511}"));

        // A view change rebuilds the header with the comment as it is now.
        dlg.w<QCheckBox>("cheDLCommentMan")->setChecked(true);
        dlg.w<QLineEdit>("ledDLComment")->setText(QStringLiteral("refreshed"));
        QCOMPARE(dlg.dataListHeaderFields().at(1), header.at(1));
        dlg.w<QRadioButton>("rbtDLBinByte")->setChecked(true);
        QCOMPARE(dlg.dataListHeaderFields().at(1), QStringLiteral("{COMMENT:refreshed}"));
        QVERIFY(dlg.w<QLineEdit>("ledDLLocFileName")->text().isEmpty());

        // Applying again replaces the list: two periods of 1022 bits repeat exactly.
        dlg.applyPrbs(1022);
        QCOMPARE(dlg.dataList().size(), qint64(1022));
        QCOMPARE(dlg.bits().left(511), dlg.bits().mid(511));
    }

    void patternAndSequenceFill()
    {
        ScriptedDlgLstManage dlg;
        dlg.applyPattern(QStringLiteral("1 0x1 0"), 10);
        QCOMPARE(dlg.w<QLineEdit>("ledDLBitPatt")->text(), QStringLiteral("1010"));
        QCOMPARE(dlg.bits(), QByteArray("1010101010"));
        QVERIFY(
            takeTraceTexts().contains(QStringLiteral("DLSMAN  : 10 pattern (1010) bits put into data list")));

        // Nothing usable in the pattern: nothing happens to the list.
        dlg.applyPattern(QStringLiteral("abc"), 12);
        QCOMPARE(dlg.w<QLineEdit>("ledDLBitPatt")->text(), QString());
        QCOMPARE(dlg.bits(), QByteArray("1010101010"));

        dlg.chooseSource(QStringLiteral("Sequence"));
        auto *sequence = dlg.w<QComboBox>("cbxDLBitSequ");
        sequence->setCurrentIndex(sequence->findText(QStringLiteral("1100...")));
        dlg.w<QRadioButton>("rbtDLBitCount")->setChecked(true);
        dlg.w<QSpinBox>("sbxDLBitCount")->setValue(10);
        dlg.w<QPushButton>("btnDLBitSequSelect")->click();
        QCOMPARE(dlg.bits(), QByteArray("1100110011"));
        QVERIFY(takeTraceTexts().contains(
            QStringLiteral("DLSMAN  : 10 sequence (1100...) bits put into data list")));
    }

    void appendModeRules()
    {
        ScriptedDlgLstManage dlg;
        auto *append = dlg.w<QPushButton>("btnDLAppend");
        auto *manual = dlg.w<QCheckBox>("cheDLCommentMan");
        const QString locked = QStringLiteral("btnDLAppend cheDLCommentMan cbxDLModType btnDLFileSave");
        dlg.applyPrbs(511);
        const QString firstComment = dlg.w<QLineEdit>("ledDLComment")->text();

        append->click();
        QVERIFY(dlg.isAppendMode());
        QCOMPARE(append->text(), QStringLiteral("Append OFF"));
        QVERIFY(showsImage(dlg.w<QLabel>("lblDLAppend"), LampGreen));
        QVERIFY(manual->isChecked());
        QCOMPARE(enabledOf(&dlg, locked), QStringList({"btnDLAppend", "btnDLFileSave"}));
        QVERIFY(showsImage(dlg.w<QLabel>("lblDLStatusIndi"), LampRed));

        // Until the next rebuild append mode can still be switched off again.
        append->click();
        QVERIFY(!dlg.isAppendMode());
        QVERIFY(showsImage(dlg.w<QLabel>("lblDLAppend"), LampRed));
        QVERIFY(!manual->isChecked());
        QCOMPARE(enabledOf(&dlg, locked), locked.split(' '));

        append->click();
        dlg.applyPattern(QStringLiteral("0"), 9);
        QCOMPARE(dlg.dataList().size(), qint64(520));
        QVERIFY(dlg.bits().startsWith("111111111"));
        QVERIFY(dlg.bits().endsWith("000000000"));
        QCOMPARE(dlg.w<QLineEdit>("ledDLBitCountTotal")->text(), QStringLiteral("520"));
        // After a rebuild in append mode only a reset ends it; the comment stays frozen.
        QCOMPARE(enabledOf(&dlg, locked), QStringList{"btnDLFileSave"});
        QCOMPARE(dlg.w<QLineEdit>("ledDLComment")->text(), firstComment);

        dlg.w<QPushButton>("btnDLReset")->click();
        QVERIFY(dlg.dataList().isEmpty());
        QVERIFY(!dlg.isAppendMode());
        QCOMPARE(append->text(), QStringLiteral("Append ON"));
        QCOMPARE(enabledOf(&dlg, locked), QStringList({"cheDLCommentMan", "cbxDLModType"}));
        QVERIFY(!manual->isChecked());
        QCOMPARE(dlg.w<QLineEdit>("ledDLBitCountTotal")->text(), QStringLiteral("0"));
        QCOMPARE(dlg.w<QTableWidget>("tawDL")->rowCount(), 0);
        QCOMPARE(dlg.w<QSpinBox>("sbxDLCellOffset")->maximum(), 0);
        QCOMPARE(toolTipsOf(&dlg, "ledDLDataFileName ledDLImpFileName"),
                 QStringList({"Data file path: -", "Data list file path: -"}));
    }

    void fullListRefusesAnyFurtherBits()
    {
        ScriptedDlgLstManage dlg;
        dlg.chooseModType(QStringLiteral("BPSK"));
        dlg.applyPattern(QStringLiteral("10"), 250000000);
        QCOMPARE(dlg.dataList().size(), qint64(250000000));
        QCOMPARE(dlg.w<QSpinBox>("sbxDLCellOffset")->maximum(), 249999999);
        QVERIFY(dlg.warnings.isEmpty());

        dlg.w<QPushButton>("btnDLAppend")->click();
        dlg.w<QSpinBox>("sbxDLBitCount")->setValue(1);
        dlg.w<QPushButton>("btnDLBitPattSelect")->click();
        QCOMPARE(dlg.warnings, QStringList{RangeText});
        QCOMPARE(dlg.dataList().size(), qint64(250000000));
        QVERIFY(dlg.bits().endsWith("1010"));
        QVERIFY(showsImage(dlg.w<QLabel>("lblDLStatusIndi"), LampRed));
        QVERIFY(takeTraceTexts().contains(QStringLiteral("DLSMAN  : ") + RangeText));
        // The table still shows the list that was kept.
        QCOMPARE(dlg.w<QLineEdit>("ledDLBitCountTotal")->text(), QStringLiteral("250000000"));
        QVERIFY(dlg.w<QTableWidget>("tawDL")->rowCount() > 0);
    }

    void lampBlinksWhileBusyAndEventsKeepFlowing()
    {
        ScriptedDlgLstManage dlg;
        auto *lamp = dlg.w<QLabel>("lblDLStatusIndi");
        bool seenWhileBusy = false;
        bool yellowWhileBusy = false;
        // A zero timer can only fire if the long operation hands control to the event loop.
        QTimer::singleShot(0, &dlg, [&] {
            seenWhileBusy = dlg.dataList().isEmpty();
            yellowWhileBusy = showsImage(lamp, LampYellow);
        });
        dlg.applyPrbs(2000000);
        QVERIFY(seenWhileBusy);
        QVERIFY(yellowWhileBusy);
        QVERIFY(showsImage(lamp, LampGreen));

        // The blink step flips the lamp; a new state always shows it again.
        dlg.toggleDLStatusIndi();
        QVERIFY(lamp->isHidden());
        dlg.toggleDLStatusIndi();
        QVERIFY(!lamp->isHidden());
        dlg.toggleDLStatusIndi();
        dlg.w<QPushButton>("btnDLReset")->click();
        QVERIFY(!lamp->isHidden());
        QVERIFY(showsImage(lamp, LampRed));
    }

    // The window of 500 bits, the offset and the views as the table shows them; cell texts and
    // the filling itself are checked in tst_datalistview.
    void viewsAndOffsetDriveTheTable()
    {
        ScriptedDlgLstManage dlg;
        dlg.chooseModType(QStringLiteral("16QAM"));
        dlg.applyPrbs(1000);
        auto *table = dlg.w<QTableWidget>("tawDL");
        auto *offset = dlg.w<QSpinBox>("sbxDLCellOffset");
        QCOMPARE(table->rowCount(), 18); // a window of 500 bits: 125 symbols in rows of 7
        QCOMPARE(table->item(17, 6)->text(), QString::fromLatin1(dlg.bits().mid(124 * 4, 4)));
        QCOMPARE(offset->toolTip(), QStringLiteral("Cell Offset max value: 249"));
        offset->setValue(249);
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("249"));
        QCOMPARE(table->item(0, 1)->text(), QString::fromLatin1(dlg.bits().right(4)));

        dlg.applyPattern(QStringLiteral("00001111101001011010"), 20);
        QCOMPARE(offset->maximum(), 4);
        offset->setValue(4);
        dlg.w<QRadioButton>("rbtDLHexByte")->setChecked(true);
        QCOMPARE(dlg.w<QLabel>("lblDLCellOffset")->text(), QStringLiteral("Offset [Bytes]:"));
        // 20 bits hold two full bytes: the offset is pulled back to the new maximum.
        QCOMPARE(offset->maximum(), 1);
        QCOMPARE(offset->value(), 1);
        offset->setValue(0);
        QCOMPARE(table->horizontalHeaderItem(1)->text(), QStringLiteral("B+0"));
        QCOMPARE(table->item(0, 2)->text(), QStringLiteral("0xa5"));
        QVERIFY(!(table->item(0, 1)->flags() & Qt::ItemIsEditable));
        dlg.w<QRadioButton>("rbtDLBinByte")->setChecked(true);
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("1010"));
        QVERIFY(table->item(0, 1)->flags() & Qt::ItemIsEditable);
        dlg.w<QRadioButton>("rbtDLBinSym")->setChecked(true);
        QCOMPARE(dlg.w<QLabel>("lblDLCellOffset")->text(), QStringLiteral("Offset [Symbols]:"));
        QCOMPARE(offset->maximum(), 4);
        QCOMPARE(table->item(0, 5)->text(), QStringLiteral("1010"));
        QVERIFY(showsImage(dlg.w<QLabel>("lblDLStatusIndi"), LampGreen));
    }

    void cellEditsAcceptedAndRejected()
    {
        ScriptedDlgLstManage dlg;
        dlg.chooseModType(QStringLiteral("16QAM"));
        dlg.applyPattern(QStringLiteral("1"), 22);
        auto *table = dlg.w<QTableWidget>("tawDL");
        takeTraceTexts();

        table->item(0, 2)->setText(QStringLiteral("0110"));
        QCOMPARE(dlg.bits().mid(4, 4), QByteArray("0110"));
        QCOMPARE(dlg.dataList().size(), qint64(22));
        QCOMPARE(takeTraceTexts(), QStringList({"DLSMAN  : Cell 1 changed from '1111' to: '0110'."}));

        table->item(0, 3)->setText(QStringLiteral("011"));
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("1111"));
        QCOMPARE(dlg.bits().mid(8, 4), QByteArray("1111"));
        QCOMPARE(takeTraceTexts(), QStringList({"DLSMAN  : Cell 2 changed from '1111' to: '011'.",
                                                "DLSMAN  : Bit count of cell 2 must be: '4' not: '3'!"}));

        table->item(0, 3)->setText(QStringLiteral("01x1"));
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("1111"));
        QCOMPARE(takeTraceTexts(),
                 QStringList({"DLSMAN  : Cell 2 changed from '1111' to: '01x1'.",
                              "DLSMAN  : Cell 2 contains value 'x' but only '0' and '1' are allowed!"}));

        // The partial last cell (22 = 5 * 4 + 2) takes exactly its two bits.
        table->item(0, 6)->setText(QStringLiteral("0000"));
        QCOMPARE(table->item(0, 6)->text(), QStringLiteral("11"));
        table->item(0, 6)->setText(QStringLiteral("01"));
        QVERIFY(dlg.bits().endsWith("01"));
        QCOMPARE(dlg.dataList().size(), qint64(22));

        // The byte view edits whole bytes at their byte position; the lamp and header stay as built.
        dlg.w<QRadioButton>("rbtDLBinByte")->setChecked(true);
        const QStringList header = dlg.dataListHeaderFields();
        table->item(0, 2)->setText(QStringLiteral("00000000"));
        QCOMPARE(dlg.bits().mid(8, 8), QByteArray("00000000"));
        QCOMPARE(dlg.dataListHeaderFields(), header);
        QVERIFY(showsImage(dlg.w<QLabel>("lblDLStatusIndi"), LampGreen));
    }

    void returnInAFieldClicksNoButton()
    {
        ScriptedDlgLstManage dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.applyPrbs(511);
        // A count typed but not applied: any apply button taking the Return would use it.
        dlg.w<QSpinBox>("sbxDLBitCount")->setValue(1000);
        dlg.w<QCheckBox>("cheDLCommentMan")->setChecked(true);
        auto *comment = dlg.w<QLineEdit>("ledDLComment");
        comment->setFocus();
        QTest::keyClicks(comment, QStringLiteral(" edited"));
        QTest::keyClick(comment, Qt::Key_Return);

        auto *table = dlg.w<QTableWidget>("tawDL");
        const QString strFlipped =
            table->item(0, 1)->text() == QLatin1String("1111111") ? "0000000" : "1111111";
        table->setFocus();
        table->setCurrentCell(0, 1);
        table->editItem(table->item(0, 1));
        QWidget *editor = QApplication::focusWidget();
        QVERIFY(qobject_cast<QLineEdit *>(editor));
        qobject_cast<QLineEdit *>(editor)->selectAll();
        QTest::keyClicks(editor, strFlipped);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();

        QCOMPARE(dlg.bits().size(), 511);
        QCOMPARE(dlg.bits().left(7), strFlipped.toLatin1());
        QVERIFY(comment->text().endsWith(QLatin1String(" edited")));
        QVERIFY(!dlg.isAppendMode());
        QVERIFY(dlg.fileDialogTitles.isEmpty());
    }

    void dataFilesAreImported()
    {
        ScriptedDlgLstManage dlg;
        const QString hexPath = m_dir.filePath(QStringLiteral("hex.txt"));
        QVERIFY(writeFile(hexPath, "0F a"));
        dlg.chooseSource(QStringLiteral("ASCII-file Hex"));
        dlg.openWith("btnDLDataFileSelect", hexPath);
        QCOMPARE(dlg.bits(), QByteArray("000011111010"));
        QCOMPARE(dlg.fileDialogTitles.last(), QStringLiteral("Open data file"));
        QCOMPARE(dlg.fileDialogFilters.last(), QStringLiteral("ASCII data file (*.txt *.dm_iqda)"));
        QCOMPARE(shownTexts(&dlg, "ledDLDataFileName sbxDLBitCount ledDLComment"),
                 QStringList({"hex.txt", "12", "128QAM, 2 symbols, 12 bits, Data file: hex.txt"}));
        QCOMPARE(dlg.w<QLineEdit>("ledDLDataFileName")->toolTip(), "Data file path: " + m_dir.path());
        QVERIFY(takeTraceTexts().contains(
            QStringLiteral("DLSMAN  : 12 data file (hex.txt) bits put into data list")));

        const QString binPath = m_dir.filePath(QStringLiteral("raw.bin"));
        QVERIFY(writeFile(binPath, QByteArray("\x80\x01", 2)));
        dlg.chooseSource(QStringLiteral("Binary-file Hex"));
        dlg.openWith("btnDLDataFileSelect", binPath);
        QCOMPARE(dlg.fileDialogFilters.last(), QStringLiteral("Binary data file (*.bin)"));
        QCOMPARE(dlg.bits(), QByteArray("1000000000000001"));
        QVERIFY(dlg.warnings.isEmpty());
    }

    void badFilesLeaveTheListUntouched()
    {
        ScriptedDlgLstManage dlg;
        dlg.applyPrbs(511);
        const QByteArray kept = dlg.bits();

        const QString emptyPath = m_dir.filePath(QStringLiteral("empty.txt"));
        QVERIFY(writeFile(emptyPath, QByteArray()));
        dlg.chooseSource(QStringLiteral("ASCII-file Bit"));
        dlg.openWith("btnDLDataFileSelect", emptyPath);
        QCOMPARE(
            dlg.warnings.last(),
            QStringLiteral("Amount of data bits in data file 'empty.txt' is outside the specified range!"));
        QVERIFY(takeTraceTexts().contains(QStringLiteral(
            "DLSMAN  : Amount of data bits in the data file 'empty.txt' is outside the specified range!")));

        // A data part shorter than its bit length claims is refused, not padded with guesses.
        const QString shortData = m_dir.filePath(QStringLiteral("short.dm_iqd"));
        QVERIFY(writeFile(shortData, "{TYPE:GKR-DL}{COMMENT:}{DATA BITLENGTH:64}{DATA LIST-9:#\xff}"));
        dlg.chooseSource(QStringLiteral("Data-list"));
        dlg.openWith("btnDLFileSelect", shortData);
        QCOMPARE(dlg.warnings.last(),
                 QStringLiteral(
                     "Amount of data bits in data list file 'short.dm_iqd' is outside the specified range!"));

        // The other refusals are the engine's (tst_datasources, tst_datalistfile); they take this path.
        QCOMPARE(dlg.warnings.size(), 2);
        QCOMPARE(dlg.bits(), kept);
        QCOMPARE(dlg.w<QLineEdit>("ledDLBitCountTotal")->text(), QStringLiteral("511"));
        QVERIFY(showsImage(dlg.w<QLabel>("lblDLStatusIndi"), LampRed));
    }

    void savedListReadsBackAndKeepsUploadDisabled()
    {
        ScriptedDlgLstManage dlg;
        dlg.applyPattern(QStringLiteral("1010110011"), 10);
        dlg.w<QCheckBox>("cheDLCommentMan")->setChecked(false);

        const QString subDir = m_dir.filePath(QStringLiteral("lists"));
        QVERIFY(QDir().mkpath(subDir));
        dlg.saveWith("btnDLFileSave", subDir + QStringLiteral("/first"));
        QCOMPARE(dlg.fileDialogTitles.last(), QStringLiteral("Save data list file"));
        QCOMPARE(dlg.fileDialogFilters.last(), QStringLiteral("Data list files (*.dm_iqd)"));
        QFile saved(subDir + QStringLiteral("/first.dm_iqd"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray content = saved.readAll();
        QVERIFY(content.startsWith("{TYPE:GKR-DL}{COMMENT:"));
        QVERIFY(content.contains("{DATA BITLENGTH:10}{DATA LIST-3:#"));
        QVERIFY(content.endsWith(QByteArray("#\xac\xc0}")));
        QCOMPARE(dlg.w<QLineEdit>("ledDLLocFileName")->text(), QStringLiteral("first.dm_iqd"));
        QCOMPARE(dlg.w<QLineEdit>("ledDLLocFileName")->toolTip(),
                 QStringLiteral("Local data list file path: ") + subDir);

        // The ASCII variant holds the bits only.
        dlg.w<QCheckBox>("cheDLFileFormat")->setChecked(true);
        QVERIFY(dlg.w<QLineEdit>("ledDLLocFileName")->text().isEmpty());
        dlg.saveWith("btnDLFileSave", subDir + QStringLiteral("/first.dm_iqda"));
        QFile ascii(subDir + QStringLiteral("/first.dm_iqda"));
        QVERIFY(ascii.open(QIODevice::ReadOnly));
        QCOMPARE(ascii.readAll(), QByteArray("1010110011"));

        // Reading the binary file back gives the same bits, in a fresh list.
        dlg.w<QPushButton>("btnDLReset")->click();
        dlg.chooseSource(QStringLiteral("Data-list"));
        dlg.openWith("btnDLFileSelect", subDir + QStringLiteral("/first.dm_iqd"));
        QCOMPARE(dlg.bits(), QByteArray("1010110011"));
        QCOMPARE(shownTexts(&dlg, "ledDLImpFileName ledDLLocFileName sbxDLBitCount"),
                 QStringList({"first.dm_iqd", "first.dm_iqd", "10"}));
        QVERIFY(takeTraceTexts().contains(
            QStringLiteral("DLSMAN  : 10 data list file (first.dm_iqd) bits put into data list")));
        QVERIFY(dlg.warnings.isEmpty());

        // A folder that cannot take the file: reported, list kept.
        dlg.w<QCheckBox>("cheDLFileFormat")->setChecked(false);
        dlg.saveWith("btnDLFileSave", m_dir.filePath(QStringLiteral("no/such/folder/x.dm_iqd")));
        QCOMPARE(dlg.warnings.size(), 1);
        QVERIFY(dlg.warnings.last().contains(QLatin1String("'x.dm_iqd'")));
        QCOMPARE(dlg.bits(), QByteArray("1010110011"));
    }

    void realDialogsAreQtsOwnAndModal()
    {
        DlgLstManage dlg;
        auto *source = dlg.findChild<QComboBox *>(QStringLiteral("cbxDLDataSrc"));
        source->setCurrentIndex(source->findText(QStringLiteral("ASCII-file Bit")));
        emit source->activated(source->currentIndex());

        QString startDir;
        bool qtOwnDialog = false;
        QString title;
        answerModal([&](QWidget *modal) {
            auto *fileDialog = qobject_cast<QFileDialog *>(modal);
            if (fileDialog) {
                startDir = fileDialog->directory().absolutePath();
                qtOwnDialog = fileDialog->testOption(QFileDialog::DontUseNativeDialog);
                title = fileDialog->windowTitle();
            }
            static_cast<QDialog *>(modal)->reject();
        });
        dlg.findChild<QPushButton *>(QStringLiteral("btnDLDataFileSelect"))->click();
        QCOMPARE(title, QStringLiteral("Open data file"));
        QCOMPARE(startDir, QDir::currentPath());
        QVERIFY(qtOwnDialog);
        QVERIFY(takeTraceTexts().contains(QStringLiteral("DLSMAN  : No data file selected!")));

        // The warning box: a refused total while appending, caught before anything is generated.
        source->setCurrentIndex(source->findText(QStringLiteral("PRBS")));
        emit source->activated(source->currentIndex());
        dlg.findChild<QPushButton *>(QStringLiteral("btnDLPRBSSelect"))->click();
        dlg.findChild<QPushButton *>(QStringLiteral("btnDLAppend"))->click();
        dlg.findChild<QSpinBox *>(QStringLiteral("sbxDLBitCount"))->setValue(250000000);
        QString seenText;
        QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
        bool okIsDefault = false;
        answerModal([&](QWidget *modal) {
            if (auto *message = qobject_cast<QMessageBox *>(modal)) {
                seenText = message->text();
                seenIcon = message->icon();
                okIsDefault = message->defaultButton() == message->button(QMessageBox::Ok);
            }
            static_cast<QDialog *>(modal)->reject();
        });
        dlg.findChild<QPushButton *>(QStringLiteral("btnDLPRBSSelect"))->click();
        QCOMPARE(seenText, RangeText);
        QCOMPARE(seenIcon, QMessageBox::Warning);
        QVERIFY(okIsDefault);
        QCOMPARE(dlg.dataList().size(), qint64(511));
    }
};

QTEST_MAIN(TestDlgLstManage)
#include "tst_dlglstmanage.moc"
