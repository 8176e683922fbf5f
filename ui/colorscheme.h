#ifndef LISTFORGE_UI_COLORSCHEME_H
#define LISTFORGE_UI_COLORSCHEME_H

#include <QColor>
#include <QMap>
#include <QSettings>
#include <QString>
#include <QStringList>

// The application's colours: a handful of named roles plus a brightness and a contrast that are
// applied on top of them. The application style sheet is generated from the effective colours,
// so a change of scheme restyles every window at once.
class ClsColorScheme
{
public:
    ClsColorScheme();

    // Role keys, stable because they are stored in settings and colour-set files.
    static QStringList roleKeys();
    static QColor defaultColor(const QString &strRole);

    QColor color(const QString &strRole) const; // as chosen by the user
    void setColor(const QString &strRole, const QColor &color);
    // With brightness and contrast applied, and text kept readable: whatever the sliders say,
    // text and the accent stand out from their backgrounds by a contrast ratio of at least
    // 4.5:1 (WCAG relative luminance); where the sliders would bring them closer, both give way.
    QColor effectiveColor(const QString &strRole) const;
    // Empty when the chosen text colour reads on every background role at neutral settings,
    // otherwise why not. A colour-set file with such colours is refused.
    QString readabilityProblem() const;

    int brightness() const { return m_intBrightness; } // -100 .. 100
    int contrast() const { return m_intContrast; }     // -100 .. 100
    void setBrightness(int intValue);
    void setContrast(int intValue);
    void resetToDefaults();

    QString styleSheet() const;

    // The colour settings store (its own INI file) and colour-set files (*.col) share one
    // format. Loading ignores unknown keys and keeps the current value for invalid ones.
    void load(QSettings &settings);
    void save(QSettings &settings) const;
    bool loadFile(const QString &strPath, QString *strError = nullptr);
    bool saveFile(const QString &strPath, QString *strError = nullptr) const;

    bool operator==(const ClsColorScheme &other) const;
    bool operator!=(const ClsColorScheme &other) const { return !(*this == other); }

private:
    struct Readability
    {
        bool bolDarkText = true;   // dark text on light backgrounds
        QColor text;               // the effective text colour
        qreal backgroundLimit = 0; // the least (dark text) or greatest luminance of a background
    };
    QColor adjustedColor(const QString &strRole) const; // brightness and contrast only
    Readability readability() const;
    QColor effectiveColor(const QString &strRole, const Readability &r) const;
    static QColor readableBackground(const Readability &r, const QColor &color);

    QMap<QString, QColor> m_colors;
    int m_intBrightness = 0;
    int m_intContrast = 0;
};

#endif
