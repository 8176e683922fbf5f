#include "ui/colorscheme.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

const QString FormatKey = QStringLiteral("Format");
const QString FormatValue = QStringLiteral("ListForge colour set 1");
const QString BrightnessKey = QStringLiteral("Brightness");
const QString ContrastKey = QStringLiteral("Contrast");
const QString ColorGroup = QStringLiteral("Color/");

struct RoleDefault
{
    const char *role;
    const char *color;
};

// A calm, light palette: cool greys that do not tire the eye during long lab sessions, a dark
// slate text, and a steel blue for selection that stays readable with white text on top.
const RoleDefault DefaultColors[] = {
    {"Window", "#eef1f4"}, {"Base", "#ffffff"},      {"Text", "#1f2933"},
    {"Button", "#dfe4ea"}, {"Highlight", "#2f6fab"}, {"Accent", "#1b7f8e"},
};

int clampPercent(int intValue)
{
    return std::clamp(intValue, -100, 100);
}

// Only "#rrggbb" is accepted: this is what we write, and it keeps colour names and
// alpha variants (which QColor would silently accept) out of settings and colour-set files.
QColor parseColor(const QVariant &value)
{
    static const QRegularExpression re(QStringLiteral("^#[0-9a-fA-F]{6}$"));
    const QString strText = value.toString().trimmed();
    if (!re.match(strText).hasMatch())
        return QColor();
    return QColor(strText);
}

bool parsePercent(const QVariant &value, int *intResult)
{
    bool bolOk = false;
    const int intValue = value.toString().trimmed().toInt(&bolOk);
    if (!bolOk || intValue < -100 || intValue > 100)
        return false;
    *intResult = intValue;
    return true;
}

// Blends two colours; t = 0 gives a, t = 1 gives b.
QColor mix(const QColor &a, const QColor &b, qreal t)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

// Perceived luminance decides whether white or black text reads better on a background.
QColor textOn(const QColor &background)
{
    const qreal luminance =
        0.299 * background.redF() + 0.587 * background.greenF() + 0.114 * background.blueF();
    return luminance < 0.55 ? QColor(Qt::white) : QColor(QStringLiteral("#101418"));
}

// QSettings parses leniently and caches parsed files, so its status reports a broken file only
// the first time it is read in a process. This check gives the same answer every time: a
// small text file made of sections, key=value lines, comments and blank lines.
bool looksLikeIniFile(const QString &strPath)
{
    constexpr qint64 MaxSize = 64 * 1024; // a colour set is a few hundred bytes
    QFile file(strPath);
    if (file.size() > MaxSize || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = file.readAll();
    if (content.contains('\0'))
        return false;
    for (const QByteArray &rawLine : content.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#') || line.contains('='))
            continue;
        if (line.startsWith('[') && line.endsWith(']'))
            continue;
        return false;
    }
    return true;
}

QString hex(const QColor &color)
{
    return color.name(QColor::HexRgb);
}

} // namespace

ClsColorScheme::ClsColorScheme()
{
    resetToDefaults();
}

QStringList ClsColorScheme::roleKeys()
{
    QStringList keys;
    for (const RoleDefault &entry : DefaultColors)
        keys << QString::fromLatin1(entry.role);
    return keys;
}

QColor ClsColorScheme::defaultColor(const QString &strRole)
{
    for (const RoleDefault &entry : DefaultColors) {
        if (strRole == QLatin1String(entry.role))
            return QColor(QString::fromLatin1(entry.color));
    }
    return QColor();
}

QColor ClsColorScheme::color(const QString &strRole) const
{
    return m_colors.value(strRole);
}

void ClsColorScheme::setColor(const QString &strRole, const QColor &color)
{
    // Unknown roles and invalid colours would end up as broken style sheet entries.
    if (!m_colors.contains(strRole) || !color.isValid())
        return;
    m_colors[strRole] = color.toRgb();
}

QColor ClsColorScheme::effectiveColor(const QString &strRole) const
{
    const QColor base = color(strRole);
    if (!base.isValid())
        return base;
    // Returned untouched so that neutral settings reproduce the chosen colour bit for bit
    // instead of going through an HSL round trip.
    if (m_intBrightness == 0 && m_intContrast == 0)
        return base;

    const QColor hsl = base.toHsl();
    qreal lightness = hsl.lightnessF();

    // Brightness moves the lightness towards white or black by the given share of the way
    // left, so +100 is white, -100 black, and nothing ever leaves the valid range.
    const qreal brightness = m_intBrightness / 100.0;
    if (brightness > 0)
        lightness += (1.0 - lightness) * brightness;
    else
        lightness += lightness * brightness;

    // Contrast scales the distance from mid grey by a factor between 1/4 and 4.
    const qreal factor = std::pow(4.0, m_intContrast / 100.0);
    lightness = 0.5 + (lightness - 0.5) * factor;
    lightness = std::clamp(lightness, 0.0, 1.0);

    return QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), lightness, hsl.alphaF()).toRgb();
}

void ClsColorScheme::setBrightness(int intValue)
{
    m_intBrightness = clampPercent(intValue);
}

void ClsColorScheme::setContrast(int intValue)
{
    m_intContrast = clampPercent(intValue);
}

void ClsColorScheme::resetToDefaults()
{
    m_colors.clear();
    for (const RoleDefault &entry : DefaultColors)
        m_colors.insert(QString::fromLatin1(entry.role), QColor(QString::fromLatin1(entry.color)));
    m_intBrightness = 0;
    m_intContrast = 0;
}

QString ClsColorScheme::styleSheet() const
{
    const QColor window = effectiveColor(QStringLiteral("Window"));
    const QColor base = effectiveColor(QStringLiteral("Base"));
    const QColor text = effectiveColor(QStringLiteral("Text"));
    const QColor button = effectiveColor(QStringLiteral("Button"));
    const QColor highlight = effectiveColor(QStringLiteral("Highlight"));
    const QColor accent = effectiveColor(QStringLiteral("Accent"));

    // Derived shades are blends of the roles rather than fixed darker()/lighter() steps, so
    // they keep their relation to the text colour for dark and light schemes alike.
    const QColor border = mix(window, text, 0.28);
    const QColor disabledText = mix(window, text, 0.45);
    const QColor disabledBack = mix(window, button, 0.5);
    const QColor buttonHover = mix(button, highlight, 0.12);
    const QColor buttonPressed = mix(button, text, 0.18);
    const QColor alternateBase = mix(base, window, 0.5);
    const QColor highlightText = textOn(highlight);
    const QColor tabInactive = mix(window, button, 0.6);

    QString strSheet = QStringLiteral(
        "QWidget { background-color: %1; color: %3; selection-background-color: %5;"
        " selection-color: %8; }\n"
        "QWidget:disabled { color: %9; }\n"
        "QToolTip { background-color: %2; color: %3; border: 1px solid %7; }\n"

        "QLineEdit, QComboBox, QSpinBox, QDoubleSpinBox, QTextEdit, QPlainTextEdit, QListWidget,"
        " QListView, QTreeWidget, QTreeView, QTableWidget, QTableView {"
        " background-color: %2; color: %3; border: 1px solid %7; }\n"
        "QLineEdit, QComboBox, QSpinBox, QDoubleSpinBox { padding: 1px 3px; border-radius: 2px; }\n"
        "QLineEdit:focus, QComboBox:focus, QSpinBox:focus, QDoubleSpinBox:focus, QTextEdit:focus,"
        " QPlainTextEdit:focus, QListWidget:focus, QTreeWidget:focus, QTableWidget:focus {"
        " border: 1px solid %6; }\n"
        "QLineEdit:disabled, QComboBox:disabled, QSpinBox:disabled, QDoubleSpinBox:disabled,"
        " QTextEdit:disabled, QListWidget:disabled, QTreeWidget:disabled, QTableWidget:disabled {"
        " background-color: %10; color: %9; }\n"
        "QLineEdit:read-only { background-color: %12; }\n"
        "QComboBox QAbstractItemView { background-color: %2; color: %3; border: 1px solid %7;"
        " selection-background-color: %5; selection-color: %8; }\n"
        "QListWidget, QTreeWidget, QTableWidget, QListView, QTreeView, QTableView {"
        " alternate-background-color: %12; }\n"
        "QListWidget::item:selected, QTreeWidget::item:selected, QTableWidget::item:selected,"
        " QListView::item:selected, QTreeView::item:selected, QTableView::item:selected {"
        " background-color: %5; color: %8; }\n"
        "QHeaderView::section { background-color: %4; color: %3; border: none;"
        " border-right: 1px solid %7; border-bottom: 1px solid %7; padding: 2px 4px; }\n"
        "QTableView QTableCornerButton::section { background-color: %4; border: none; }\n"

        "QPushButton, QToolButton { background-color: %4; color: %3; border: 1px solid %7;"
        " border-radius: 3px; padding: 3px 10px; }\n"
        "QToolButton { padding: 2px; }\n"
        "QPushButton:hover, QToolButton:hover { background-color: %11; border-color: %5; }\n"
        "QPushButton:pressed, QToolButton:pressed, QPushButton:checked, QToolButton:checked {"
        " background-color: %13; }\n"
        "QPushButton:default { border: 1px solid %6; }\n"
        "QPushButton:disabled, QToolButton:disabled { background-color: %10; color: %9;"
        " border-color: %10; }\n"

        "QTabWidget::pane { border: 1px solid %7; top: -1px; }\n"
        "QTabBar::tab { background-color: %14; color: %3; border: 1px solid %7;"
        " padding: 3px 10px; margin-right: 1px; }\n"
        "QTabBar::tab:selected { background-color: %1; border-bottom-color: %1;"
        " border-top: 2px solid %6; }\n"
        "QTabBar::tab:!selected:hover { background-color: %11; }\n"
        "QTabBar::tab:disabled { color: %9; }\n"

        "QGroupBox { border: 1px solid %7; border-radius: 3px; margin-top: 1.2ex; padding-top: 1ex; }\n"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 8px; padding: 0 3px; color: %6; }\n"
        "QGroupBox:disabled::title { color: %9; }\n"

        "QMenuBar { background-color: %1; color: %3; border-bottom: 1px solid %7; }\n"
        "QMenuBar::item { background: transparent; padding: 3px 8px; }\n"
        "QMenuBar::item:selected { background-color: %5; color: %8; }\n"
        "QMenu { background-color: %2; color: %3; border: 1px solid %7; }\n"
        "QMenu::item { padding: 3px 20px 3px 20px; }\n"
        "QMenu::item:selected { background-color: %5; color: %8; }\n"
        "QMenu::item:disabled { color: %9; }\n"
        "QMenu::separator { height: 1px; background-color: %7; margin: 3px 6px; }\n"

        "QStatusBar { background-color: %1; color: %3; border-top: 1px solid %7; }\n"
        "QStatusBar::item { border: none; }\n");

    return strSheet
        .arg(hex(window), hex(base), hex(text), hex(button), hex(highlight), hex(accent), hex(border),
             hex(highlightText), hex(disabledText))
        .arg(hex(disabledBack), hex(buttonHover), hex(alternateBase), hex(buttonPressed), hex(tabInactive));
}

void ClsColorScheme::load(QSettings &settings)
{
    int intValue = 0;
    if (parsePercent(settings.value(BrightnessKey), &intValue))
        m_intBrightness = intValue;
    if (parsePercent(settings.value(ContrastKey), &intValue))
        m_intContrast = intValue;
    for (auto it = m_colors.begin(); it != m_colors.end(); ++it) {
        const QColor loaded = parseColor(settings.value(ColorGroup + it.key()));
        if (loaded.isValid())
            it.value() = loaded;
    }
}

void ClsColorScheme::save(QSettings &settings) const
{
    settings.setValue(BrightnessKey, m_intBrightness);
    settings.setValue(ContrastKey, m_intContrast);
    for (auto it = m_colors.cbegin(); it != m_colors.cend(); ++it)
        settings.setValue(ColorGroup + it.key(), hex(it.value()));
}

bool ClsColorScheme::loadFile(const QString &strPath, QString *strError)
{
    auto fail = [strError](const QString &strText) {
        if (strError)
            *strError = strText;
        return false;
    };

    const QFileInfo info(strPath);
    if (!info.exists() || !info.isFile())
        return fail(QStringLiteral("The color set file '%1' does not exist.").arg(strPath));
    if (!info.isReadable())
        return fail(QStringLiteral("The color set file '%1' cannot be read.").arg(strPath));

    // The file is parsed on first access, so the status is only meaningful after a read.
    QSettings settings(strPath, QSettings::IniFormat);
    const QString strFormat = settings.value(FormatKey).toString();
    if (!looksLikeIniFile(strPath) || settings.status() != QSettings::NoError || strFormat != FormatValue)
        return fail(QStringLiteral("The file '%1' is not a color set file.").arg(strPath));

    // Everything is checked before anything is taken over, so a bad file leaves the scheme
    // exactly as it was. Roles the file does not mention keep their current colour.
    ClsColorScheme loaded(*this);
    const QStringList checks = {BrightnessKey, ContrastKey};
    for (const QString &strKey : checks) {
        if (!settings.contains(strKey))
            continue;
        int intValue = 0;
        if (!parsePercent(settings.value(strKey), &intValue))
            return fail(QStringLiteral("The color set file '%1' has an invalid value '%2' for %3 "
                                       "(allowed: -100 to 100).")
                            .arg(strPath, settings.value(strKey).toString(), strKey));
        if (strKey == BrightnessKey)
            loaded.m_intBrightness = intValue;
        else
            loaded.m_intContrast = intValue;
    }
    for (auto it = loaded.m_colors.begin(); it != loaded.m_colors.end(); ++it) {
        const QString strKey = ColorGroup + it.key();
        if (!settings.contains(strKey))
            continue;
        const QColor color = parseColor(settings.value(strKey));
        if (!color.isValid())
            return fail(QStringLiteral("The color set file '%1' has an invalid color '%2' for %3.")
                            .arg(strPath, settings.value(strKey).toString(), it.key()));
        it.value() = color;
    }

    *this = loaded;
    return true;
}

bool ClsColorScheme::saveFile(const QString &strPath, QString *strError) const
{
    auto fail = [strError](const QString &strText) {
        if (strError)
            *strError = strText;
        return false;
    };
    const QString strFailure = QStringLiteral("The color set file '%1' cannot be written.").arg(strPath);

    const QFileInfo info(strPath);
    if (info.exists() && !info.isFile())
        return fail(strFailure);
    if (info.exists()) {
        // A file QSettings cannot parse leaves a sticky format error that would make a
        // successful write look like a failure; the user chose to replace it, so start afresh.
        QSettings existing(strPath, QSettings::IniFormat);
        existing.allKeys();
        const bool bolParsed = existing.status() == QSettings::NoError && looksLikeIniFile(strPath);
        if (!bolParsed && !QFile::remove(strPath))
            return fail(strFailure);
    }

    QSettings settings(strPath, QSettings::IniFormat);
    settings.clear();
    settings.setValue(FormatKey, FormatValue);
    save(settings);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return fail(strFailure);
    return true;
}

bool ClsColorScheme::operator==(const ClsColorScheme &other) const
{
    return m_intBrightness == other.m_intBrightness && m_intContrast == other.m_intContrast &&
           m_colors == other.m_colors;
}
