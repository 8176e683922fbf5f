// Program entry of the ListForge desktop application.
#include "mainwindow/appmainwindow.h"
#include "ui/colorscheme.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QSettings>

#include <cstdio>

namespace {

const char Usage[] = "Usage: listforge [--debug] [--filedebug] [--no-visa]\n"
                     "  --debug      also record debug trace lines\n"
                     "  --filedebug  append every trace line to ~/ListForge.log\n"
                     "  --no-visa    start without loading a VISA library (list files only)\n"
                     "  --help       show this text and exit\n"
                     "  --version    show the version and exit\n";

} // namespace

int main(int argc, char *argv[])
{
    // Answered before the window system is opened, so that they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (qstricmp(argv[i], "--version") == 0) {
            std::printf("listforge %s\n", LISTFORGE_VERSION);
            return 0;
        }
        if (qstricmp(argv[i], "--help") == 0) {
            std::fputs(Usage, stdout);
            return 0;
        }
    }
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
