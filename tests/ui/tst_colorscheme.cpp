#include "ui/colorscheme.h"

#include "tests/lists/listfiles.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <cmath>

namespace {

// A scheme that differs from the defaults everywhere, so that "unchanged" checks are
// not fooled by a fall-back to the defaults: a dark one, its text readable on every background.
ClsColorScheme customScheme()
{
    ClsColorScheme scheme;
    const char *colors[][2] = {{"Window", "#1e2a36"}, {"Base", "#121820"},      {"Text", "#e8dcc4"},
                               {"Button", "#34404c"}, {"Highlight", "#c05a1a"}, {"Accent", "#f2b233"}};
    for (const auto &entry : colors)
        scheme.setColor(QLatin1String(entry[0]), QColor(QLatin1String(entry[1])));
    scheme.setBrightness(-20);
    scheme.setContrast(35);
    return scheme;
}

qreal contrastRatio(const QColor &first, const QColor &second)
{
    const auto lum = [](const QColor &c) {
        qreal sum = 0;
        const qreal weights[] = {0.2126, 0.7152, 0.0722};
        const int channels[] = {c.red(), c.green(), c.blue()};
        for (int i = 0; i < 3; ++i) {
            const qreal v = channels[i] / 255.0;
            sum += weights[i] * (v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
        return sum + 0.05;
    };
    return std::max(lum(first), lum(second)) / std::min(lum(first), lum(second));
}

// Every text/background pair the style sheet states for an enabled widget, plus the group box
// titles in the accent colour on the window background, with the lowest contrast found.
QString worstTextPair(const QString &strSheet, qreal *pdblRatio)
{
    static const QRegularExpression rule(QStringLiteral("([^{}]+)\\{([^}]*)\\}"));
    static const QRegularExpression back(QStringLiteral("(?<![-\\w])background-color: (#\\w{6})"));
    static const QRegularExpression fore(QStringLiteral("(?<![-\\w])color: (#\\w{6})"));
    static const QRegularExpression selBack(QStringLiteral("selection-background-color: (#\\w{6})"));
    static const QRegularExpression selFore(QStringLiteral("selection-color: (#\\w{6})"));
    QList<QStringList> pairs; // selector, text, background
    QString strWindow, strTitle;
    for (auto it = rule.globalMatch(strSheet); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString strSelector = m.captured(1).trimmed();
        const QString strBody = m.captured(2);
        if (strSelector == QLatin1String("QWidget"))
            strWindow = back.match(strBody).captured(1);
        if (strSelector == QLatin1String("QGroupBox::title"))
            strTitle = fore.match(strBody).captured(1);
        if (strSelector.contains(QLatin1String("disabled")))
            continue; // inactive widgets are told apart by their faded text
        if (back.match(strBody).hasMatch() && fore.match(strBody).hasMatch())
            pairs << QStringList{strSelector, fore.match(strBody).captured(1),
                                 back.match(strBody).captured(1)};
        if (selBack.match(strBody).hasMatch())
            pairs << QStringList{strSelector + " selection", selFore.match(strBody).captured(1),
                                 selBack.match(strBody).captured(1)};
    }
    pairs << QStringList{"QGroupBox::title", strTitle, strWindow};
    QString strWorst;
    *pdblRatio = 100;
    for (const QStringList &pair : pairs) {
        const qreal ratio = contrastRatio(QColor(pair[1]), QColor(pair[2]));
        if (!QColor(pair[1]).isValid() || !QColor(pair[2]).isValid() || ratio < *pdblRatio) {
            *pdblRatio = QColor(pair[1]).isValid() && QColor(pair[2]).isValid() ? ratio : 0;
            strWorst = pair.join(QLatin1Char(' '));
        }
    }
    return strWorst;
}

QStringList styleSheetWarnings;

void collectStyleSheetWarnings(QtMsgType, const QMessageLogContext &, const QString &strMessage)
{
    // The offscreen platform adds unrelated notices; only parser complaints count.
    if (strMessage.contains(QStringLiteral("parse"), Qt::CaseInsensitive))
        styleSheetWarnings << strMessage;
}

} // namespace

class TstColorScheme : public QObject
{
    Q_OBJECT

private slots:
    // Resetting to the defaults is the colour dialog's Defaults button (tst_dlgcolors).
    void setColorRejectsUnknownRolesAndInvalidColors()
    {
        ClsColorScheme scheme;
        const ClsColorScheme before = scheme;
        scheme.setColor(QStringLiteral("Text"), QColor());
        scheme.setColor(QStringLiteral("NoSuchRole"), Qt::red);
        QVERIFY(scheme == before);
        QVERIFY(!scheme.color(QStringLiteral("NoSuchRole")).isValid());
        scheme.setBrightness(250);
        scheme.setContrast(-250);
        QCOMPARE(scheme.brightness(), 100);
        QCOMPARE(scheme.contrast(), -100);
    }

    void adjustmentsMoveLightness()
    {
        ClsColorScheme scheme = customScheme();
        scheme.setBrightness(0);
        scheme.setContrast(0);
        for (const QString &strRole : ClsColorScheme::roleKeys())
            QCOMPARE(scheme.effectiveColor(strRole).name(), scheme.color(strRole).name());

        // Brightness shifts the lightness and keeps the hue, up to white and down to black.
        const QColor chosen(QStringLiteral("#2f6fab"));
        scheme.setColor(QStringLiteral("Highlight"), chosen);
        const auto highlight = [&](int intBrightness) {
            scheme.setBrightness(intBrightness);
            return scheme.effectiveColor(QStringLiteral("Highlight"));
        };
        QVERIFY(highlight(40).lightnessF() > chosen.lightnessF() && highlight(40) != QColor(Qt::white));
        QVERIFY(qAbs(highlight(40).hslHue() - chosen.hslHue()) <= 2);
        QCOMPARE(highlight(100).name(), QStringLiteral("#ffffff"));
        QVERIFY(highlight(-40).lightnessF() < chosen.lightnessF());
        QCOMPARE(highlight(-100).name(), QStringLiteral("#000000"));

        // Contrast scales the distance from mid grey; less of it keeps light lighter than dark.
        scheme = ClsColorScheme();
        scheme.setColor(QStringLiteral("Window"), QColor(QStringLiteral("#d0d0d0")));
        scheme.setColor(QStringLiteral("Text"), QColor(QStringLiteral("#303030")));
        const auto lightness = [&](int intContrast, const char *role) {
            scheme.setContrast(intContrast);
            return scheme.effectiveColor(QLatin1String(role)).lightnessF();
        };
        QVERIFY(lightness(50, "Window") > lightness(0, "Window"));
        QVERIFY(lightness(50, "Text") < lightness(0, "Text"));
        QVERIFY(lightness(-50, "Window") < lightness(0, "Window"));
        QVERIFY(lightness(-50, "Text") > lightness(0, "Text"));
        QVERIFY(lightness(-50, "Window") > lightness(-50, "Text"));
    }

    void textStaysReadableAtEverySliderPosition_data()
    {
        QTest::addColumn<QStringList>("colors"); // Window, Base, Text, Button, Highlight, Accent

        QTest::newRow("defaults") << QStringList();
        QTest::newRow("dark") << QStringList{"#1e2a36", "#121820", "#e8dcc4",
                                             "#34404c", "#c05a1a", "#f2b233"};
        // Just readable at neutral settings: any change of contrast brings text and background
        // closer on one side.
        QTest::newRow("mid greys") << QStringList{"#9a9a9a", "#b0b0b0", "#000000",
                                                  "#a0a0a0", "#808080", "#303030"};
        QTest::newRow("saturated") << QStringList{"#ffff00", "#00ffff", "#0000ff",
                                                  "#ff00ff", "#00ff00", "#ff0000"};
        // What a half-finished change in the colour dialog can leave: text the window's colour.
        QTest::newRow("text as window")
            << QStringList{"#777777", "#777777", "#777777", "#777777", "#777777", "#777777"};
    }

    void textStaysReadableAtEverySliderPosition()
    {
        QFETCH(QStringList, colors);
        ClsColorScheme scheme;
        const QStringList roles{"Window", "Base", "Text", "Button", "Highlight", "Accent"};
        for (int i = 0; i < colors.size(); ++i)
            scheme.setColor(roles[i], QColor(colors[i]));
        // Every position of each slider, with the other one in steps of ten.
        for (int intBrightness = -100; intBrightness <= 100; ++intBrightness) {
            for (int intContrast = -100; intContrast <= 100; ++intContrast) {
                if (intBrightness % 10 != 0 && intContrast % 10 != 0)
                    continue;
                scheme.setBrightness(intBrightness);
                scheme.setContrast(intContrast);
                qreal ratio = 0;
                const QString strWorst = worstTextPair(scheme.styleSheet(), &ratio);
                if (ratio < 4.5)
                    QFAIL(qPrintable(QStringLiteral("brightness %1, contrast %2: %3 has %4:1")
                                         .arg(intBrightness)
                                         .arg(intContrast)
                                         .arg(strWorst)
                                         .arg(ratio)));
            }
        }
    }

    void styleSheetFollowsEffectiveColorsAndParses()
    {
        ClsColorScheme scheme = customScheme();
        scheme.setColor(QStringLiteral("Highlight"), QColor(QStringLiteral("#ab12cd")));
        scheme.setBrightness(0);
        scheme.setContrast(0);
        QVERIFY(scheme.styleSheet().contains(QStringLiteral("#ab12cd")));
        // With an adjustment the sheet uses the adjusted colours, not the chosen ones.
        scheme.setBrightness(30);
        const QString strSheet = scheme.styleSheet();
        QVERIFY(!strSheet.contains(QStringLiteral("#ab12cd")));
        for (const QString &strRole : ClsColorScheme::roleKeys())
            QVERIFY2(strSheet.contains(scheme.effectiveColor(strRole).name()), qPrintable(strRole));

        styleSheetWarnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectStyleSheetWarnings);
        {
            QWidget window;
            auto *layout = new QVBoxLayout(&window);
            layout->addWidget(new QLineEdit(&window));
            layout->addWidget(new QPushButton(QStringLiteral("OK"), &window));
            qApp->setStyleSheet(strSheet);
            window.show();
            window.ensurePolished();
            QApplication::processEvents();
            qApp->setStyleSheet(QString());
        }
        qInstallMessageHandler(previous);
        QVERIFY2(styleSheetWarnings.isEmpty(), qPrintable(styleSheetWarnings.join(QLatin1Char('\n'))));
    }

    void settingsRoundTripAndKeepInvalidValuesOut()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString strPath = dir.filePath(QStringLiteral("colors.ini"));
        const ClsColorScheme original = customScheme();
        {
            QSettings settings(strPath, QSettings::IniFormat);
            original.save(settings);
        }
        QSettings settings(strPath, QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("Brightness")).toInt(), -20);
        QCOMPARE(settings.value(QStringLiteral("Color/Text")).toString(), QStringLiteral("#e8dcc4"));
        ClsColorScheme loaded;
        loaded.load(settings);
        QVERIFY(loaded == original);

        // An empty store keeps what is there, so a first start runs with the defaults.
        QSettings empty(dir.filePath(QStringLiteral("empty.ini")), QSettings::IniFormat);
        ClsColorScheme defaults;
        defaults.load(empty);
        QVERIFY(defaults == ClsColorScheme());

        // Invalid values keep the current ones; valid ones beside them are taken.
        settings.setValue(QStringLiteral("Brightness"), QStringLiteral("bright"));
        settings.setValue(QStringLiteral("Contrast"), 400);
        settings.setValue(QStringLiteral("Color/Text"), QStringLiteral("garbage"));
        settings.setValue(QStringLiteral("Color/Window"), QStringLiteral("red"));
        settings.setValue(QStringLiteral("Color/Base"), QStringLiteral("#00ff00"));
        settings.setValue(QStringLiteral("Color/Unknown"), QStringLiteral("#123456"));
        ClsColorScheme scheme = original;
        scheme.load(settings);
        ClsColorScheme expected = original;
        expected.setColor(QStringLiteral("Base"), QColor(QStringLiteral("#00ff00")));
        QVERIFY(scheme == expected);
        QVERIFY(!scheme.color(QStringLiteral("Unknown")).isValid());
    }

    void colorSetFilesRoundTrip()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString strPath = dir.filePath(QStringLiteral("lab.col"));
        // Saving replaces whatever was there, an unreadable file too.
        QVERIFY(writeFile(strPath, QByteArray("\x00\x01\xff\xfe[[[\n====\n\x7f junk", 19)));
        const ClsColorScheme original = customScheme();
        QString strError;
        QVERIFY2(original.saveFile(strPath, &strError), qPrintable(strError));
        QCOMPARE(QSettings(strPath, QSettings::IniFormat).value(QStringLiteral("Format")).toString(),
                 QStringLiteral("ListForge colour set 1"));
        ClsColorScheme loaded;
        QVERIFY2(loaded.loadFile(strPath, &strError), qPrintable(strError));
        QVERIFY(loaded == original);

        // A set may omit roles: those keep their current colours.
        QVERIFY(writeFile(strPath, "Format=ListForge colour set 1\n[Color]\nAccent=#102030\n"));
        QVERIFY2(loaded.loadFile(strPath, &strError), qPrintable(strError));
        ClsColorScheme expected = original;
        expected.setColor(QStringLiteral("Accent"), QColor(QStringLiteral("#102030")));
        QVERIFY(loaded == expected);
    }

    void badColorSetFilesAreRejected_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QString>("expected");   // part of the error text
        const auto row = [](const char *name, const QByteArray &content, const char *expected) {
            QTest::newRow(name) << content << QString(expected);
        };
        const QByteArray header = "Format=ListForge colour set 1\n";
        row("missing", QByteArray(), "does not exist");
        row("binary garbage", QByteArray("\x00\x01\xff\xfe[[[\n====\n\x7f junk", 19), "not a color set");
        row("other ini", "[General]\nfoo=bar\n[Color]\nText=#000000\n", "not a color set");
        row("later format", "Format=ListForge colour set 2\n[Color]\nText=#000000\n", "not a color set");
        row("short colour", header + "[Color]\nWindow=#ffffff\nText=#12345\n", "invalid color");
        row("named colour", header + "[Color]\nText=red\n", "invalid color");
        row("colour with alpha", header + "[Color]\nText=#ff112233\n", "invalid color");
        row("broken line after format", header + "[Color\nText=#000000\n", "not a color set");
        row("oversized", header + QByteArray(100 * 1024, ';'), "not a color set");
        row("brightness text", header + "Brightness=bright\n", "invalid value");
        row("contrast out of range", header + "Contrast=500\n", "invalid value");
        // Dark text on the dark window of the scheme the file is loaded into.
        row("unreadable text", header + "[Color]\nText=#20303c\n", "would make text unreadable");
    }

    void badColorSetFilesAreRejected()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString strPath = dir.filePath(QStringLiteral("set.col"));
        if (!content.isEmpty())
            QVERIFY(writeFile(strPath, content));

        const ClsColorScheme before = customScheme();
        ClsColorScheme scheme = before;
        QString strError;
        QVERIFY(!scheme.loadFile(strPath, &strError));
        QVERIFY2(strError.contains(expected), qPrintable(strError));
        QVERIFY(strError.contains(strPath));
        QVERIFY(scheme == before);
    }
};

QTEST_MAIN(TstColorScheme)
#include "tst_colorscheme.moc"
