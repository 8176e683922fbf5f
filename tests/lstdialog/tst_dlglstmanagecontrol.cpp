#include "lstdialogtesthelpers.h"

#include "lists/controllist.h"

#include <QFile>
#include <QRegularExpression>

namespace {
const QString Prefix = QStringLiteral("DLSMAN  : ");

const char *const SignalNames[] = {"Mark1", "Mark2", "Mark3", "Mark4", "Burst", "LevAtt", "CWMode", "Hop"};

QStringList neutralTags()
{
    QStringList tags;
    for (int n = 0; n < ControlList::SignalCount; ++n)
        tags << QStringLiteral("0:0");
    return tags;
}

// A file line in the layout of the writer, with the given type, length and tags.
QByteArray fileLine(const QString &type, const QString &length, const QStringList &tags)
{
    QString line = QStringLiteral("{TYPE:%1}{COMMENT:from elsewhere}{COPYRIGHT:x}{DATE:2020-01-31;12:00:00}"
                                  "{CONTROL LENGTH:%2}")
                       .arg(type, length);
    for (int i = 0; i < ControlList::SignalCount; ++i)
        line += QStringLiteral("{%1:%2}").arg(ControlList::signalFileTags().at(i), tags.value(i, "0:0"));
    return line.toLocal8Bit();
}
} // namespace

// The dialog, scripted, with handles on the widgets of the control tab (signals 1..8).
class ControlDialog : public ScriptedDlgLstManage
{
public:
    template <typename T> T *signalWidget(const char *prefix, int n, const char *suffix = "") const
    {
        return w<T>(QByteArray(prefix).append(SignalNames[n - 1]).append(suffix).constData());
    }
    QCheckBox *check(int n) const { return signalWidget<QCheckBox>("cheCL", n); }
    QLineEdit *edit(int n) const { return signalWidget<QLineEdit>("ledCL", n); }
    QLabel *attention(int n) const { return signalWidget<QLabel>("lblCL", n, "Att"); }
    QSpinBox *length() const { return w<QSpinBox>("sbxCLLength"); }
    QPushButton *saveButton() const { return w<QPushButton>("btnCLFileSave"); }

    // Types a tag the way a user does: check the signal, replace the text, press Return.
    void typeTag(int n, const QString &text)
    {
        check(n)->setChecked(true);
        edit(n)->setText(text);
        QTest::keyClick(edit(n), Qt::Key_Return);
    }
    QStringList tagTexts() const
    {
        QStringList texts;
        for (int n = 1; n <= ControlList::SignalCount; ++n)
            texts << edit(n)->text();
        return texts;
    }
    // The names of the signals for which the test holds.
    QStringList signalsWhere(const std::function<bool(int n)> &test) const
    {
        QStringList names;
        for (int n = 1; n <= ControlList::SignalCount; ++n)
            if (test(n))
                names << QLatin1String(SignalNames[n - 1]);
        return names;
    }
    QString checked() const
    {
        return signalsWhere([this](int n) { return check(n)->isChecked(); }).join(' ');
    }
    QString editable() const
    {
        return signalsWhere([this](int n) { return edit(n)->isEnabled(); }).join(' ');
    }
    // The attention icons on show: "Length" for the length's, the signal names for the tags'.
    QString alerts() const
    {
        QStringList shown = signalsWhere([this](int n) { return !attention(n)->isHidden(); });
        if (!w<QLabel>("lblCLLengthAtt")->isHidden())
            shown.prepend(QStringLiteral("Length"));
        return shown.join(QLatin1Char(' '));
    }
    void saveAs(const QString &path) { saveWith("btnCLFileSave", path); }
    void importFrom(const QString &path)
    {
        choose("cbxCLDataSrc", QStringLiteral("Control list"));
        openWith("btnCLFileSelect", path);
    }
};

class TestDlgLstManageControl : public LstDialogSuite
{
    Q_OBJECT
private slots:
    void tagEditsAreValidated_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("infoTraces"); // empty: accepted

        const QString slopeFailed =
            Prefix + "Any slope of tag string '%1' does not comply with the specification!";
        // The rules themselves are the engine's (tst_controllist); the dialog shows their verdict.
        QTest::newRow("example") << "10:1;20:0;70:1;75:0" << QStringList();
        QTest::newRow("descending and repeated") << "20:1;5:0;5:1" << QStringList();
        QTest::newRow("second slope bad")
            << "1:1;7:"
            << QStringList(
                   {Prefix + "Certain tag slop '7:' contains no level value or level with to many digits!",
                    slopeFailed.arg("1:1;7:")});
        QTest::newRow("minus") << "10-1"
                               << QStringList(
                                      {Prefix + "Tag string '10-1' contains unsupported characters!"});
    }

    void tagEditsAreValidated()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, infoTraces);
        ControlDialog dlg;
        dlg.typeTag(5, QStringLiteral("3:1"));
        Tracer::takeTraceData();

        dlg.typeTag(5, text);
        QCOMPARE(takeTraceTexts(TraceKindInfo), infoTraces);
        QCOMPARE(dlg.edit(5)->text(), infoTraces.isEmpty() ? text : QStringLiteral("3:1"));
        // A rejected text leaves nothing behind: the accepted one is what the next check uses
        // ("3:1" fits four symbols, the accepted examples do not).
        dlg.length()->setValue(4);
        QCOMPARE(dlg.attention(5)->isHidden(), !infoTraces.isEmpty());
        QVERIFY(dlg.warnings.isEmpty());
    }

    void attentionFollowsEveryTagAndTheLength()
    {
        ControlDialog dlg;
        // An index must stay below the length: 99 fits 100 symbols, 100 does not.
        dlg.typeTag(1, QStringLiteral("0:1;99:0"));
        QCOMPARE(dlg.alerts(), QString());
        dlg.typeTag(1, QStringLiteral("0:1;100:0"));
        QCOMPARE(dlg.alerts(), QStringLiteral("Length Mark1"));
        QVERIFY(!dlg.saveButton()->isEnabled());
        QCOMPARE(dlg.attention(1)->toolTip(),
                 QStringLiteral("Any symbol index is equal or greater the list length"));
        dlg.length()->setValue(101);
        QCOMPARE(dlg.alerts(), QString());
        QVERIFY(dlg.saveButton()->isEnabled());
        dlg.length()->setValue(100);
        QCOMPARE(dlg.alerts(), QStringLiteral("Length Mark1"));
        dlg.check(1)->setChecked(false);

        dlg.typeTag(2, QStringLiteral("50:1"));
        dlg.typeTag(8, QStringLiteral("80:1"));
        dlg.typeTag(6, QStringLiteral("5:1"));
        dlg.length()->setValue(40);
        QCOMPARE(dlg.alerts(), QStringLiteral("Length Mark2 Hop"));

        // Mending one signal keeps the length icon while another one still exceeds.
        dlg.typeTag(2, QStringLiteral("39:1"));
        QCOMPARE(dlg.alerts(), QStringLiteral("Length Hop"));
        QVERIFY(!dlg.saveButton()->isEnabled());
        // Switching the other signal off makes it neutral, which fits any length.
        dlg.check(8)->setChecked(false);
        QCOMPARE(dlg.alerts(), QString());
        QVERIFY(dlg.saveButton()->isEnabled());

        // A reset clears every icon, even when the length does not change.
        dlg.typeTag(3, QStringLiteral("100:1"));
        dlg.typeTag(4, QStringLiteral("100:1"));
        dlg.length()->setValue(100);
        QCOMPARE(dlg.alerts(), QStringLiteral("Length Mark3 Mark4"));
        dlg.w<QPushButton>("btnCLReset")->click();
        QCOMPARE(dlg.alerts(), QString());
        QVERIFY(dlg.saveButton()->isEnabled());
    }

    void checkBoxesNeutraliseAndFollowTheTexts()
    {
        ControlDialog dlg;
        dlg.typeTag(1, QStringLiteral("0:1;10:0"));
        QVERIFY(dlg.edit(1)->isEnabled());
        dlg.check(1)->setChecked(false);
        QCOMPARE(dlg.edit(1)->text(), QStringLiteral("0:0"));
        QVERIFY(!dlg.edit(1)->isEnabled());
        // Checking again only enables the field.
        dlg.check(1)->setChecked(true);
        QCOMPARE(dlg.edit(1)->text(), QStringLiteral("0:0"));
        QVERIFY(dlg.edit(1)->isEnabled());

        const QStringList tags = {"0:1", "3:0", "300:0", "0:0", "5:1;6:0", "1:0", "0:0", "9:1"};
        const QString path = m_dir.filePath(QStringLiteral("checks.dm_iqc"));
        QVERIFY(writeFile(path, fileLine(QStringLiteral("GKR-CL"), QStringLiteral("400"), tags)));
        dlg.importFrom(path);
        QCOMPARE(dlg.tagTexts(), tags);
        QCOMPARE(dlg.checked(), QStringLiteral("Mark1 Mark3 Burst LevAtt Hop"));
        QCOMPARE(dlg.editable(), dlg.checked());

        // Unchecking by import must not neutralise the imported "3:0" like a user's unchecking.
        dlg.typeTag(2, QStringLiteral("0:1"));
        dlg.openWith("btnCLFileSelect", path);
        QCOMPARE(dlg.tagTexts(), tags);
        QVERIFY(!dlg.check(2)->isChecked());

        dlg.w<QPushButton>("btnCLReset")->click();
        QCOMPARE(dlg.tagTexts(), neutralTags());
        QCOMPARE(dlg.checked() + dlg.editable(), QString());
        QCOMPARE(shownTexts(&dlg, "sbxCLLength ledCLImpFileName ledCLLocFileName"),
                 QStringList({"100", "", ""}));
        QVERIFY(showsImage(dlg.w<QLabel>("lblCLStatusIndi"), LampRed));
    }

    void coupledLengthFollowsTheDataList()
    {
        ControlDialog dlg;
        dlg.chooseModType(QStringLiteral("QPSK"));
        dlg.applyPrbs(511);
        dlg.length()->setValue(777);

        dlg.choose("cbxCLLengthMode", QStringLiteral("Coupled"));
        QVERIFY(!dlg.length()->isEnabled());
        QCOMPARE(dlg.length()->value(), 255); // 511 bits / 2 bits per symbol, rounded down

        // Every rebuild of the data list carries the length along, and so do its symbol count edits.
        dlg.applyPrbs(2047);
        QCOMPARE(dlg.length()->value(), 1023);
        dlg.typeTag(7, QStringLiteral("1023:1"));
        QVERIFY(!dlg.attention(7)->isHidden());
        dlg.applyPrbs(2048 * 2 - 2);
        QCOMPARE(dlg.length()->value(), 2047);
        QVERIFY(dlg.attention(7)->isHidden());

        // A reset cannot take the length away from the data list, and tag edits are checked
        // against the coupled length, not against the default of a separate list.
        dlg.w<QPushButton>("btnCLReset")->click();
        QCOMPARE(dlg.length()->value(), 2047);
        dlg.typeTag(7, QStringLiteral("2047:1"));
        QVERIFY(!dlg.attention(7)->isHidden());
        QVERIFY(!dlg.saveButton()->isEnabled());
        dlg.typeTag(7, QStringLiteral("150:1"));
        QVERIFY(dlg.attention(7)->isHidden());

        dlg.choose("cbxCLLengthMode", QStringLiteral("Separate"));
        QVERIFY(dlg.length()->isEnabled());
        QCOMPARE(dlg.length()->value(), 2047);
        dlg.applyPrbs(511);
        QCOMPARE(dlg.length()->value(), 2047);
    }

    void sourceChoiceShowsFileControlsAndResets()
    {
        ControlDialog dlg;
        dlg.typeTag(4, QStringLiteral("200:1"));
        dlg.w<QLineEdit>("ledCLComment")->setText(QStringLiteral("typed"));
        dlg.length()->setValue(50);
        QCOMPARE(dlg.alerts(), QStringLiteral("Length Mark4"));

        const QString fileControls = QStringLiteral("btnCLFileSelect lblCLStatusIndi ledCLImpFileName");
        dlg.choose("cbxCLDataSrc", QStringLiteral("Control list"));
        QCOMPARE(hiddenOf(&dlg, fileControls), QStringList());
        QCOMPARE(enabledOf(&dlg, fileControls), fileControls.split(' '));
        QVERIFY(showsImage(dlg.w<QLabel>("lblCLStatusIndi"), LampRed));
        QCOMPARE(dlg.tagTexts(), neutralTags());
        QVERIFY(!dlg.check(4)->isChecked());
        QVERIFY(dlg.w<QLineEdit>("ledCLComment")->text().isEmpty());
        QCOMPARE(dlg.length()->value(), 100);
        QCOMPARE(dlg.alerts(), QString());
        QVERIFY(dlg.saveButton()->isEnabled());

        dlg.choose("cbxCLDataSrc", QStringLiteral("Manual"));
        QCOMPARE(hiddenOf(&dlg, fileControls), fileControls.split(' '));
        QCOMPARE(enabledOf(&dlg, fileControls), QStringList());
        // A reset in Manual mode keeps the lamp out of sight.
        dlg.w<QPushButton>("btnCLReset")->click();
        QVERIFY(dlg.w<QLabel>("lblCLStatusIndi")->isHidden());
    }

    void savedFileReadsBackInSeparateMode()
    {
        ControlDialog dlg;
        const QStringList tags = {
            "0:1;10:0", "0:0", "100:1", "5:1;6:0;7:1", "2:1;199:0", "199:1", "10:1;20:0;70:1;75:0", "0:0"};
        for (int n = 1; n <= ControlList::SignalCount; ++n) {
            if (tags.at(n - 1) != QLatin1String("0:0"))
                dlg.typeTag(n, tags.at(n - 1));
        }
        dlg.length()->setValue(250);
        dlg.w<QLineEdit>("ledCLComment")->setText(QStringLiteral("burst test"));

        QDir(m_dir.path()).mkpath(QStringLiteral("sub"));
        dlg.saveAs(m_dir.filePath(QStringLiteral("sub/ctrl")));
        QCOMPARE(dlg.fileDialogTitles + dlg.fileDialogFilters,
                 QStringList({"Save control list file", "Control list files (*.dm_iqc)"}));
        const QString path = m_dir.filePath(QStringLiteral("sub/ctrl.dm_iqc"));
        const QString line = QString::fromLocal8Bit(readAll(path));
        const QRegularExpression layout(QStringLiteral(
            "^\\{TYPE:GKR-CL\\}\\{COMMENT:burst test\\}\\{COPYRIGHT:Tarvik GmbH & Co\\. KG\\}"
            "\\{DATE:\\d{4}-\\d\\d-\\d\\d;\\d\\d:\\d\\d:\\d\\d\\}\\{CONTROL LENGTH:250\\}"
            "\\{MARKER LIST 1:0:1;10:0\\}\\{MARKER LIST 2:0:0\\}\\{MARKER LIST 3:100:1\\}"
            "\\{MARKER LIST 4:5:1;6:0;7:1\\}\\{BURST LIST:2:1;199:0\\}\\{LEVATT LIST 1:199:1\\}"
            "\\{CW MODE LIST:10:1;20:0;70:1;75:0\\}\\{HOP LIST:0:0\\}$"));
        QVERIFY2(layout.match(line).hasMatch(), qPrintable(line));
        QCOMPARE(dlg.w<QLineEdit>("ledCLLocFileName")->text(), QStringLiteral("ctrl.dm_iqc"));
        QCOMPARE(dlg.w<QLineEdit>("ledCLLocFileName")->toolTip(),
                 QStringLiteral("Local control list file path: ") + m_dir.filePath(QStringLiteral("sub")));
        QCOMPARE(QDir::currentPath(), m_dir.filePath(QStringLiteral("sub")));

        ControlDialog other;
        other.importFrom(QStringLiteral("ctrl.dm_iqc")); // relative to the current directory
        QCOMPARE(other.fileDialogTitles + other.fileDialogFilters,
                 QStringList({"Open control list file", "Control list file (*.dm_iqc)"}));
        QVERIFY(other.warnings.isEmpty());
        QCOMPARE(other.tagTexts(), tags);
        QCOMPARE(other.length()->value(), 250);
        QCOMPARE(shownTexts(&other, "ledCLComment ledCLImpFileName ledCLLocFileName"),
                 QStringList({"burst test", "ctrl.dm_iqc", "ctrl.dm_iqc"}));
        QCOMPARE(other.w<QLineEdit>("ledCLImpFileName")->toolTip(),
                 QStringLiteral("Control list file path: ") + m_dir.filePath(QStringLiteral("sub")));
        QVERIFY(showsImage(other.w<QLabel>("lblCLStatusIndi"), LampGreen));
        QCOMPARE(other.alerts(), QString());

        // Saved again unchanged, the list is the same apart from the time stamp.
        other.saveAs(QStringLiteral("again.dm_iqc"));
        const QString again = QString::fromLocal8Bit(readAll(QStringLiteral("again.dm_iqc")));
        const QRegularExpression stamp(QStringLiteral("\\{DATE:[^}]*\\}"));
        QCOMPARE(QString(again).remove(stamp), QString(line).remove(stamp));
    }

    void importInCoupledModeKeepsTheCoupledLength()
    {
        const QString path = m_dir.filePath(QStringLiteral("coupled.dm_iqc"));
        {
            ControlDialog writer;
            writer.chooseModType(QStringLiteral("BPSK"));
            writer.applyPrbs(511);
            writer.choose("cbxCLLengthMode", QStringLiteral("Coupled"));
            writer.typeTag(1, QStringLiteral("0:1;510:0"));
            writer.typeTag(5, QStringLiteral("400:1"));
            writer.saveAs(path);
            QVERIFY(readAll(path).contains("{CONTROL LENGTH:511}"));
        }

        ControlDialog dlg;
        dlg.chooseModType(QStringLiteral("QPSK"));
        dlg.applyPrbs(511);
        dlg.choose("cbxCLLengthMode", QStringLiteral("Coupled"));
        QCOMPARE(dlg.length()->value(), 255);
        dlg.importFrom(path);
        QCOMPARE(dlg.length()->value(), 255);
        QCOMPARE(dlg.edit(1)->text(), QStringLiteral("0:1;510:0"));
        QCOMPARE(dlg.edit(5)->text(), QStringLiteral("400:1"));
        // Both tags reach beyond the coupled length: flagged, and saving is blocked.
        QCOMPARE(dlg.alerts(), QStringLiteral("Length Mark1 Burst"));
        QVERIFY(!dlg.saveButton()->isEnabled());
        // A longer data list makes them fit.
        dlg.applyPrbs(2047);
        QCOMPARE(dlg.length()->value(), 1023);
        QCOMPARE(dlg.alerts(), QString());
    }

    void saveIsRefusedOrCancelledCleanly()
    {
        ControlDialog dlg;
        dlg.typeTag(2, QStringLiteral("1:1"));
        dlg.saveAs(m_dir.filePath(QStringLiteral("first.dm_iqc")));
        const QByteArray first = readAll(m_dir.filePath(QStringLiteral("first.dm_iqc")));
        QVERIFY(!first.isEmpty());

        // Cancelled: nothing written, the known file stays.
        dlg.saveButton()->click();
        QCOMPARE(dlg.w<QLineEdit>("ledCLLocFileName")->text(), QStringLiteral("first.dm_iqc"));
        QCOMPARE(readAll(m_dir.filePath(QStringLiteral("first.dm_iqc"))), first);

        // The file cannot be created: reported like the data list writer, nothing new is offered
        // (the edited tag already took the first file away: it no longer is the list).
        dlg.typeTag(2, QStringLiteral("2:1"));
        QVERIFY(dlg.w<QLineEdit>("ledCLLocFileName")->text().isEmpty());
        dlg.saveAs(m_dir.filePath(QStringLiteral("missing/dir/second.dm_iqc")));
        const QString refusal =
            QStringLiteral("Unable to create and open control list file 'second.dm_iqc'!");
        QCOMPARE(dlg.warnings, QStringList({refusal}));
        QVERIFY(takeTraceTexts(TraceKindInfo).contains(Prefix + refusal));
        QVERIFY(dlg.w<QLineEdit>("ledCLLocFileName")->text().isEmpty());
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("missing/dir/second.dm_iqc"))));

        // Indexes beyond the length: the save button is off, and the slot itself refuses as well
        // without asking for a file.
        dlg.typeTag(2, QStringLiteral("100:1"));
        QVERIFY(!dlg.saveButton()->isEnabled());
        dlg.fileDialogTitles.clear();
        dlg.saveCLFile();
        QVERIFY(dlg.fileDialogTitles.isEmpty());
        QVERIFY(takeTraceTexts(TraceKindInfo)
                    .contains(Prefix + "Symbol index(es) of any control list tag exceed(s) max value!"));

        // A text typed but not yet confirmed is checked before it can reach the file.
        dlg.typeTag(2, QStringLiteral("3:1"));
        dlg.edit(2)->setText(QStringLiteral("4:7"));
        dlg.saveAs(m_dir.filePath(QStringLiteral("first.dm_iqc")));
        QVERIFY(readAll(m_dir.filePath(QStringLiteral("first.dm_iqc"))).contains("{MARKER LIST 2:3:1}"));
        QCOMPARE(dlg.edit(2)->text(), QStringLiteral("3:1"));
    }

    void commentCannotBreakTheFile()
    {
        ControlDialog dlg;
        auto *comment = dlg.w<QLineEdit>("ledCLComment");
        QTest::keyClicks(comment, QStringLiteral("a}b"));
        QCOMPARE(comment->text(), QStringLiteral("ab"));

        // Even a comment put in by other means cannot overrule the tags behind it.
        dlg.typeTag(1, QStringLiteral("7:1"));
        dlg.length()->setValue(150);
        comment->setText(QStringLiteral("x}{MARKER LIST 1:5:1}{CONTROL LENGTH:9"));
        const QString path = m_dir.filePath(QStringLiteral("comment.dm_iqc"));
        dlg.saveAs(path);
        ControlDialog other;
        other.importFrom(path);
        QCOMPARE(other.edit(1)->text(), QStringLiteral("7:1"));
        QCOMPARE(other.length()->value(), 150);
        QVERIFY(other.w<QLineEdit>("ledCLComment")->text().startsWith(QLatin1String("x{MARKER LIST 1:5:1")));
    }

    void longTagsSurviveTheLineEdits()
    {
        // Far more slopes than a line edit holds by default (32767 characters).
        QStringList slopes;
        for (int i = 0; i < 20000; ++i)
            slopes << QStringLiteral("%1:%2").arg(i * 3).arg(i % 2);
        const QString longTag = slopes.join(QLatin1Char(';'));
        QVERIFY(longTag.size() > 100000);

        const QString path = m_dir.filePath(QStringLiteral("long.dm_iqc"));
        QVERIFY(writeFile(
            path, fileLine(QStringLiteral("GKR-CL"), QStringLiteral("60000"), {"0:0", "0:0", longTag})));
        ControlDialog dlg;
        dlg.importFrom(path);
        QCOMPARE(dlg.edit(3)->text(), longTag);
        QCOMPARE(dlg.alerts(), QString());
        dlg.saveAs(m_dir.filePath(QStringLiteral("long2.dm_iqc")));
        QVERIFY(readAll(m_dir.filePath(QStringLiteral("long2.dm_iqc")))
                    .contains(longTag.toLatin1() + "}{MARKER LIST 4:"));
    }

    void badFilesLeaveTheListUntouched()
    {
        ControlDialog dlg;
        dlg.typeTag(1, QStringLiteral("0:1;40:0"));
        dlg.length()->setValue(60);

        auto expectRefusal = [&](const QString &path, const QString &text) {
            dlg.warnings.clear();
            Tracer::takeTraceData();
            dlg.importFrom(path);
            QCOMPARE(dlg.warnings, QStringList({text}));
            QVERIFY(takeTraceTexts(TraceKindInfo).contains(Prefix + text));
            QCOMPARE(dlg.tagTexts(), neutralTags()); // choosing the source resets
            QCOMPARE(shownTexts(&dlg, "ledCLImpFileName ledCLLocFileName"), QStringList({"", ""}));
            QVERIFY(showsImage(dlg.w<QLabel>("lblCLStatusIndi"), LampRed));
        };

        const QString wrongType = m_dir.filePath(QStringLiteral("data.dm_iqc"));
        QVERIFY(writeFile(wrongType, fileLine(QStringLiteral("GKR-DL"), QStringLiteral("100"), {"0:1"})));
        expectRefusal(wrongType,
                      QStringLiteral("Control list file 'data.dm_iqc' has wrong type 'GKR-DL' tag!"));
        expectRefusal(m_dir.filePath(QStringLiteral("absent.dm_iqc")),
                      QStringLiteral("Unable to open control list file 'absent.dm_iqc'!"));

        // In Control list mode a refused import keeps the tags that are already there.
        dlg.typeTag(6, QStringLiteral("0:1;70:0"));
        dlg.length()->setValue(60);
        QCOMPARE(dlg.alerts(), QStringLiteral("Length LevAtt"));
        const QStringList kept = dlg.tagTexts();
        dlg.openWith("btnCLFileSelect", wrongType);
        QCOMPARE(dlg.tagTexts(), kept);
        QCOMPARE(dlg.length()->value(), 60);
        // ... and its icons tell the truth about them, as after a cancelled file dialog.
        QCOMPARE(dlg.alerts(), QStringLiteral("Length LevAtt"));
        QVERIFY(!dlg.saveButton()->isEnabled());
        dlg.w<QPushButton>("btnCLFileSelect")->click();
        QCOMPARE(dlg.tagTexts(), kept);
        QCOMPARE(dlg.alerts(), QStringLiteral("Length LevAtt"));
    }

    void damagedLinesFallBackTagByTag()
    {
        ControlDialog dlg;
        const QString path = m_dir.filePath(QStringLiteral("damaged.dm_iqc"));

        // No closing braces at all: the type runs to the end of the line, every other tag is missing.
        QVERIFY(writeFile(path, "{TYPE:GKR-CL{COMMENT:c{CONTROL LENGTH:300{MARKER LIST 1:0:1{HOP LIST:5:1"));
        dlg.choose("cbxCLDataSrc", QStringLiteral("Control list"));
        dlg.typeTag(4, QStringLiteral("9:1"));
        dlg.length()->setValue(70);
        Tracer::takeTraceData();
        dlg.openWith("btnCLFileSelect", path);
        QVERIFY(dlg.warnings.isEmpty());
        QCOMPARE(dlg.tagTexts(), neutralTags());
        QVERIFY(!dlg.check(4)->isChecked());
        QCOMPARE(dlg.length()->value(), 70); // the file has no usable length
        const QStringList infos = takeTraceTexts(TraceKindInfo);
        QVERIFY(infos.contains(Prefix + "Tag 'MARKER LIST 1' was not found in control list file"));
        QVERIFY(infos.contains(Prefix + "Tag 'CONTROL LENGTH' was not found in control list file"));
        QVERIFY(showsImage(dlg.w<QLabel>("lblCLStatusIndi"), LampGreen));

        // Only the last field left open, one tag empty and one invalid.
        QVERIFY(writeFile(
            path, "{TYPE:GKR-CL}{CONTROL LENGTH:80}{MARKER LIST 2:}{MARKER LIST 3:7:5}{HOP LIST:0:1;79:0"));
        Tracer::takeTraceData();
        dlg.openWith("btnCLFileSelect", path);
        QCOMPARE(dlg.length()->value(), 80);
        QCOMPARE(dlg.edit(8)->text(), QStringLiteral("0:1;79:0"));
        QVERIFY(dlg.check(8)->isChecked());
        QCOMPARE(dlg.edit(2)->text(), QStringLiteral("0:0"));
        QCOMPARE(dlg.edit(3)->text(), QStringLiteral("0:0"));
        QVERIFY(
            takeTraceTexts(TraceKindInfo).contains(Prefix + "No content assigned to tag 'MARKER LIST 2'"));
    }

    void fileLengthOutsideTheRangeIsHandled()
    {
        ControlDialog dlg;
        const QString path = m_dir.filePath(QStringLiteral("length.dm_iqc"));
        dlg.choose("cbxCLDataSrc", QStringLiteral("Control list"));
        dlg.length()->setValue(321);

        const QList<QPair<QString, int>> cases = {
            {"0", 321}, {"-5", 321}, {"12a", 321}, {"99999999999", 20000000}, {"20000000", 20000000},
            {"1", 1}};
        for (const auto &c : cases) {
            QVERIFY(writeFile(path, fileLine(QStringLiteral("GKR-CL"), c.first, {"0:1"})));
            Tracer::takeTraceData();
            dlg.openWith("btnCLFileSelect", path);
            QVERIFY2(dlg.length()->value() == c.second, qPrintable(c.first));
            QCOMPARE(dlg.edit(1)->text(), QStringLiteral("0:1"));
            const bool corrected = c.first != QString::number(c.second);
            QVERIFY2(takeTraceTexts(TraceKindInfo).isEmpty() != corrected, qPrintable(c.first));
            dlg.length()->setValue(321);
        }
    }
};

QTEST_MAIN(TestDlgLstManageControl)
#include "tst_dlglstmanagecontrol.moc"
