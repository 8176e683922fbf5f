#ifndef LISTFORGE_UI_DLGCOLORS_H
#define LISTFORGE_UI_DLGCOLORS_H

#include "ui/colorscheme.h"

#include <QDialog>
#include <QSettings>

#include <functional>

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

    // The file dialogs of "Load..." and "Save..."; tests replace them. Arguments: whether a file
    // is to be written, caption, folder, filter; returns the chosen path or an empty text.
    using FileNameProvider = std::function<QString(bool bolSave, const QString &strCaption,
                                                   const QString &strDir, const QString &strFilter)>;
    void setFileNameProvider(FileNameProvider provider) { m_fileNameProvider = std::move(provider); }

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
    FileNameProvider m_fileNameProvider;
};

#endif
