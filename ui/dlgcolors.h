#ifndef LISTFORGE_UI_DLGCOLORS_H
#define LISTFORGE_UI_DLGCOLORS_H

#include "ui/colorscheme.h"

#include <QDialog>
#include <QSettings>

// Modeless colour settings dialog. It edits the scheme it is given (owned by the program
// entry, which loads it before the main window exists and saves it after the event loop) and
// tells the world through colorsChanged() whenever the effective colours change.
class DlgColors : public QDialog
{
    Q_OBJECT
public:
    explicit DlgColors(ClsColorScheme *scheme, QWidget *parent = nullptr);
    ~DlgColors() override;

    // A window registers the roles it styles with a user-facing label; the dialog lists only
    // registered roles.
    void registerColorEntry(const QString &strRole, const QString &strLabel);
    QStringList registeredRoles() const;

    ClsColorScheme *scheme() const { return m_scheme; }

    // The dialog's own group ("Colors") in the program settings: position and size.
    void loadSettings(QSettings &settings);
    void saveSettings(QSettings &settings) const;

signals:
    void colorsChanged();

private:
    void chooseColor(const QString &strRole);
    void loadColorSet();
    void saveColorSet();
    void resetColors();
    void refreshFromScheme();

    class Private;
    Private *d;
    ClsColorScheme *m_scheme;
};

#endif
