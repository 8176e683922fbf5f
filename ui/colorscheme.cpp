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
    {"Button", "#dfe4ea"}, {"Highlight", "#2f6fab"}, {"Accent", "#187584"},
};

// The roles text is drawn on in the text colour.
const QStringList TextBackgroundRoles = {QStringLiteral("Window"), QStringLiteral("Base"),
                                         QStringLiteral("Button")};

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

// Text must stand out from what it is drawn on by at least this ratio of relative luminances
// (the WCAG figure for normal text). A hair above, so that rounding in the check of a caller or a
// tool never sees 4.4999.
constexpr qreal MinTextContrast = 4.5;
constexpr qreal ContrastMargin = 1e-6;

// WCAG relative luminance of an 8-bit sRGB colour.
qreal luminance(const QColor &color)
{
    const auto linear = [](int intChannel) {
        const qreal c = intChannel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color.red()) + 0.7152 * linear(color.green()) + 0.0722 * linear(color.blue());
}

// Only colours as the style sheet will carry them (8 bits per channel) are judged.
QColor withLightness(const QColor &hsl, qreal lightness)
{
    const QColor rgb = QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), lightness).toRgb();
    return QColor(rgb.red(), rgb.green(), rgb.blue());
}

// The colour of the same hue and saturation, as close as possible to the given one, whose
// luminance is at most (bolAtMost) or at least the limit. Luminance grows with HSL lightness at
// fixed hue and saturation, and black and white meet every limit in [0, 1], so a bisection on
// the lightness finds it. A colour that already meets the limit is returned untouched.
QColor limitLuminance(const QColor &color, qreal limit, bool bolAtMost)
{
    const auto meets = [limit, bolAtMost](const QColor &c) {
        return bolAtMost ? luminance(c) <= limit : luminance(c) >= limit;
    };
    if (meets(color))
        return color;
    const QColor hsl = color.toHsl();
    qreal good = bolAtMost ? 0.0 : 1.0;
    qreal bad = hsl.lightnessF();
    for (int i = 0; i < 40; ++i) {
        const qreal middle = (good + bad) / 2;
        (meets(withLightness(hsl, middle)) ? good : bad) = middle;
    }
    return withLightness(hsl, good);
}

// White or a near-black, whichever reads on the background; pure black where neither
// near-black nor white reaches the ratio (mid greys).
QColor textOn(const QColor &background)
{
    const qreal bg = luminance(background) + 0.05;
    if (1.05 / bg >= MinTextContrast + ContrastMargin)
        return QColor(Qt::white);
    const QColor nearBlack(QStringLiteral("#101418"));
    if (bg / (luminance(nearBlack) + 0.05) >= MinTextContrast + ContrastMargin)
        return nearBlack;
    return QColor(Qt::black);
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

QColor ClsColorScheme::adjustedColor(const QString &strRole) const
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

ClsColorScheme::Readability ClsColorScheme::readability() const
{
    // Which side the text is on comes from the chosen colours, so that no slider can turn a
    // light scheme into a dark one half way.
    Readability r;
    r.bolDarkText = luminance(color(QStringLiteral("Text"))) <= luminance(color(QStringLiteral("Window")));

    // Brightness and contrast may bring text and backgrounds too close (at the ends of the
    // brightness range everything would be one colour). Then both give way, by the same factor
    // of luminance, around their geometric middle; where one of them hits black or white the
    // other takes the rest.
    const QColor text = adjustedColor(QStringLiteral("Text"));
    qreal fg = luminance(text) + 0.05;
    qreal bg = r.bolDarkText ? 2.0 : 0.0;
    for (const QString &strRole : TextBackgroundRoles) {
        const qreal value = luminance(adjustedColor(strRole)) + 0.05;
        bg = r.bolDarkText ? std::min(bg, value) : std::max(bg, value);
    }
    const qreal needed = MinTextContrast + ContrastMargin;
    const qreal ratio = r.bolDarkText ? bg / fg : fg / bg;
    r.text = text;
    if (ratio < needed) {
        const qreal middle = std::sqrt(fg * bg);
        const qreal step = std::sqrt(needed);
        const qreal target = r.bolDarkText ? std::clamp(middle / step, 0.05, 1.05 / needed)
                                           : std::clamp(middle * step, 0.05 * needed, 1.05);
        r.text = limitLuminance(text, target - 0.05, r.bolDarkText);
    }
    // Every background of text is held beyond this limit, so any of them reads with the text.
    const qreal textLum = luminance(r.text) + 0.05;
    r.backgroundLimit = r.bolDarkText ? textLum * needed - 0.05 : textLum / needed - 0.05;
    return r;
}

QColor ClsColorScheme::readableBackground(const Readability &r, const QColor &color)
{
    return limitLuminance(color, r.backgroundLimit, !r.bolDarkText);
}

QColor ClsColorScheme::effectiveColor(const QString &strRole) const
{
    return effectiveColor(strRole, readability());
}

QColor ClsColorScheme::effectiveColor(const QString &strRole, const Readability &r) const
{
    if (!m_colors.contains(strRole))
        return QColor();
    if (strRole == QLatin1String("Text"))
        return r.text;
    if (TextBackgroundRoles.contains(strRole))
        return readableBackground(r, adjustedColor(strRole));
    if (strRole == QLatin1String("Accent")) {
        // Group box titles are written in it on the window background.
        const qreal window = luminance(effectiveColor(QStringLiteral("Window"), r)) + 0.05;
        const qreal needed = MinTextContrast + ContrastMargin;
        return limitLuminance(adjustedColor(strRole),
                              r.bolDarkText ? window / needed - 0.05 : window * needed - 0.05, r.bolDarkText);
    }
    return adjustedColor(strRole); // the highlight brings its own text colour
}

QString ClsColorScheme::readabilityProblem() const
{
    const QColor text = color(QStringLiteral("Text"));
    for (const QString &strRole : TextBackgroundRoles) {
        const qreal a = luminance(text) + 0.05;
        const qreal b = luminance(color(strRole)) + 0.05;
        const qreal ratio = std::max(a, b) / std::min(a, b);
        if (ratio < MinTextContrast)
            return QStringLiteral(
                       "text color %1 on %2 color %3 has a contrast of %4:1, at least %5:1 is needed")
                .arg(hex(text), strRole, hex(color(strRole)))
                .arg(ratio, 0, 'f', 2)
                .arg(MinTextContrast, 0, 'f', 1);
    }
    return QString();
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
    const Readability r = readability();
    const QColor window = effectiveColor(QStringLiteral("Window"), r);
    const QColor base = effectiveColor(QStringLiteral("Base"), r);
    const QColor text = effectiveColor(QStringLiteral("Text"), r);
    const QColor button = effectiveColor(QStringLiteral("Button"), r);
    const QColor highlight = effectiveColor(QStringLiteral("Highlight"), r);
    const QColor accent = effectiveColor(QStringLiteral("Accent"), r);

    // Derived shades are blends of the roles rather than fixed darker()/lighter() steps, so
    // they keep their relation to the text colour for dark and light schemes alike. Blends that
    // text is drawn on are held as readable as the roles themselves.
    const QColor border = mix(window, text, 0.28);
    const QColor disabledText = mix(window, text, 0.45);
    const QColor disabledBack = mix(window, button, 0.5);
    const QColor buttonHover = readableBackground(r, mix(button, highlight, 0.12));
    const QColor buttonPressed = readableBackground(r, mix(button, text, 0.18));
    const QColor alternateBase = readableBackground(r, mix(base, window, 0.5));
    const QColor highlightText = textOn(highlight);
    const QColor tabInactive = readableBackground(r, mix(window, button, 0.6));

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

    // The shape of the lines is checked first: it costs one read of a small file, where
    // QSettings would parse whatever it is given.
    const QString strNotColorSet = QStringLiteral("The file '%1' is not a color set file.").arg(strPath);
    if (!looksLikeIniFile(strPath))
        return fail(strNotColorSet);
    // The file is parsed on first access, so the status is only meaningful after a read.
    QSettings settings(strPath, QSettings::IniFormat);
    const QString strFormat = settings.value(FormatKey).toString();
    if (settings.status() != QSettings::NoError || strFormat != FormatValue)
        return fail(strNotColorSet);

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
    const QString strProblem = loaded.readabilityProblem();
    if (!strProblem.isEmpty())
        return fail(QStringLiteral("The color set file '%1' would make text unreadable: %2.")
                        .arg(strPath, strProblem));

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

    // Only what loadFile() takes back is written.
    const QString strProblem = readabilityProblem();
    if (!strProblem.isEmpty())
        return fail(QStringLiteral("The color set file '%1' is not written: %2.").arg(strPath, strProblem));
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
