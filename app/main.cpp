// Program entry of the ListForge desktop application.
#include "mainwindow/appmainwindow.h"
#include "ui/colorscheme.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QSettings>

int main(int argc, char *argv[])
{
    // Numbers and dates look the same on every PC, whatever its regional settings.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication::setEffectEnabled(Qt::UI_FadeTooltip);
    QApplication app(argc, argv);
    QCoreApplication::setLibraryPaths(
        {QDir(QCoreApplication::applicationDirPath()).absolutePath(), QStringLiteral(".")});

    QSettings colorSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tarvik"),
                            QStringLiteral("ListForge-colors"));
    ClsColorScheme colorScheme;
    colorScheme.load(colorSettings);
    app.setStyleSheet(colorScheme.styleSheet());

    // Deleted on close; the event loop ends when it is gone.
    auto *mainWindow = new AppMainWindow(&colorScheme);
    if (!mainWindow->isStartupComplete()) {
        delete mainWindow;
        return 1;
    }
    mainWindow->show();
    const int intExitCode = app.exec();

    colorScheme.save(colorSettings);
    colorSettings.sync();
    return intExitCode;
}
