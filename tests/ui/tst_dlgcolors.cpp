#include "ui/dlgcolors.h"

#include "tests/common/tracelines.h"
#include "tests/common/widgetstates.h"
#include "tests/lists/listfiles.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

class TstDlgColors : public QObject
{
    Q_OBJECT

private slots:
    void registeredEntriesAreListed()
    {
        ClsColorScheme scheme;
        scheme.setColor(QStringLiteral("Text"), QColor(QStringLiteral("#123456")));
        DlgColors dialog(&scheme);
        QVERIFY(dialog.registeredRoles().isEmpty());

        dialog.registerColorEntry(QStringLiteral("Window"), QStringLiteral("Window background"));
        dialog.registerColorEntry(QStringLiteral("Text"), QStringLiteral("Text"));
        dialog.registerColorEntry(QStringLiteral("NoSuchRole"), QStringLiteral("Nothing"));
        dialog.registerColorEntry(QStringLiteral("Window"), QStringLiteral("Panels"));
        QCOMPARE(dialog.registeredRoles(), QStringList({QStringLiteral("Window"), QStringLiteral("Text")}));

        QCOMPARE(shownTexts(&dialog, "btnColorText btnColorWindow"),
                 QStringList({"#123456", ClsColorScheme::defaultColor(QStringLiteral("Window")).name()}));
        QVERIFY(!dialog.findChild<QPushButton *>(QStringLiteral("btnColorText"))->icon().isNull());
        QVERIFY(!dialog.findChild<QPushButton *>(QStringLiteral("btnColorNoSuchRole")));

        QStringList labels;
        for (const QLabel *label : dialog.findChildren<QLabel *>())
            labels << label->text();
        QCOMPARE(labels.filter(QRegularExpression(QStringLiteral("^(Panels|Window background|Nothing)$"))),
                 QStringList{"Panels"});
    }

    void slidersChangeSchemeAndNotify()
    {
        ClsColorScheme scheme;
        DlgColors dialog(&scheme);
        QSignalSpy spy(&dialog, &DlgColors::colorsChanged);
        auto *sldBrightness = dialog.findChild<QSlider *>(QStringLiteral("sldBrightness"));
        auto *sldContrast = dialog.findChild<QSlider *>(QStringLiteral("sldContrast"));
        QVERIFY(sldBrightness && sldContrast);
        const QString strSheet = scheme.styleSheet();
        sldBrightness->setValue(40);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(scheme.brightness(), 40);
        QCOMPARE(shownTexts(&dialog, "lblBrightnessValue"), QStringList{"40"});
        QVERIFY(scheme.styleSheet() != strSheet);

        sldBrightness->setValue(40); // no change, no restyling
        QCOMPARE(spy.count(), 1);

        sldContrast->setFocus();
        QTest::keyClick(sldContrast, Qt::Key_PageDown);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(scheme.contrast(), -10);

        // The sliders start from the scheme they are given.
        ClsColorScheme adjusted;
        adjusted.setBrightness(-30);
        adjusted.setContrast(70);
        DlgColors second(&adjusted);
        QCOMPARE(second.findChild<QSlider *>(QStringLiteral("sldBrightness"))->value(), -30);
        QCOMPARE(second.findChild<QSlider *>(QStringLiteral("sldContrast"))->value(), 70);
        QCOMPARE(shownTexts(&second, "lblBrightnessValue lblContrastValue"), QStringList({"-30", "70"}));
    }

    void defaultsResetsSchemeAndSwatches()
    {
        ClsColorScheme scheme;
        scheme.setColor(QStringLiteral("Accent"), QColor(QStringLiteral("#aa0000")));
        DlgColors dialog(&scheme);
        dialog.registerColorEntry(QStringLiteral("Accent"), QStringLiteral("Accent"));
        auto *sldBrightness = dialog.findChild<QSlider *>(QStringLiteral("sldBrightness"));
        sldBrightness->setValue(-55);

        QSignalSpy spy(&dialog, &DlgColors::colorsChanged);
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnDefaults")), Qt::LeftButton);
        QCOMPARE(spy.count(), 1); // one notification, although slider and colours all changed
        QVERIFY(scheme == ClsColorScheme());
        QCOMPARE(sldBrightness->value(), 0);
        QCOMPARE(shownTexts(&dialog, "lblBrightnessValue btnColorAccent"),
                 QStringList({"0", ClsColorScheme::defaultColor(QStringLiteral("Accent")).name()}));

        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnClose")), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
    }

    void refusedFilesAreWarnedAbout_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QByteArray>("content"); // of the file chosen for "Load..."
        QTest::addColumn<QString>("textColor");  // of the scheme the dialog edits
        QTest::addColumn<QString>("expected");   // part of the message

        QTest::newRow("load garbage") << false << QByteArray("\x01\x02 junk") << "#1f2933"
                                      << "is not a color set file";
        QTest::newRow("save into a file") << true << QByteArray() << "#1f2933"
                                          << "cannot be written";
        QTest::newRow("save unreadable") << true << QByteArray() << "#eef1f4"
                                         << "is not written";
    }

    // A refused or unwritable colour set is told to the user and traced once, as a warning.
    void refusedFilesAreWarnedAbout()
    {
        QFETCH(bool, save);
        QFETCH(QByteArray, content);
        QFETCH(QString, textColor);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString strPath = dir.filePath(QStringLiteral("set.col"));
        QVERIFY(writeFile(strPath, content));
        if (save && expected.contains(QLatin1String("cannot")))
            strPath += QStringLiteral("/inside.col"); // a regular file in place of the folder

        ClsColorScheme scheme;
        scheme.setColor(QStringLiteral("Text"), QColor(textColor));
        const ClsColorScheme before = scheme;
        DlgColors dialog(&scheme);
        dialog.setFileNameProvider(
            [strPath](bool, const QString &, const QString &, const QString &) { return strPath; });
        QStringList lstBoxes;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&lstBoxes] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                lstBoxes << box->text();
                box->accept();
            }
        });
        closer.start(10);
        TraceLines traces;
        QSignalSpy changed(&dialog, &DlgColors::colorsChanged);

        dialog.findChild<QPushButton *>(save ? QStringLiteral("btnSave") : QStringLiteral("btnLoad"))
            ->click();

        QCOMPARE(lstBoxes.size(), 1);
        QVERIFY2(lstBoxes[0].contains(expected), qPrintable(lstBoxes[0]));
        QVERIFY(traces.has(TraceKindWarning, QStringLiteral("UICOLR  : ") + lstBoxes[0]));
        QCOMPARE(traces.countText(QStringLiteral("UICOLR  : ") + lstBoxes[0]), 1);
        QVERIFY(scheme == before);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(readAll(dir.filePath(QStringLiteral("set.col"))),
                 content); // the file chosen is left as it was
    }
};

QTEST_MAIN(TstDlgColors)
#include "tst_dlgcolors.moc"
