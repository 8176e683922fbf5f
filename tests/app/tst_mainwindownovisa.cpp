#include "mainwindow/appmainwindow.h"
#include "ui/colorscheme.h"

#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

// A process whose VISA library cannot be loaded. Once loaded, a library stays loaded for the
// life of the process, so this runs in a test program of its own.
class TstMainWindowNoVisa : public QObject
{
    Q_OBJECT

private slots:
    void missingVisaLibraryIsReportedAndStartupGoesOn()
    {
        QTemporaryDir configDir;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, configDir.path());
        qputenv("LISTFORGE_VISA_LIBRARY", QByteArray("/nonexistent/libvisa32.so"));
        ClsColorScheme scheme;

        QStringList boxes;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&boxes]() {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                boxes << box->windowTitle() + QLatin1Char('|') + box->text();
                box->accept();
            }
        });
        closer.start(10);

        // --no-visa loads nothing and asks nothing.
        QScopedPointer<AppMainWindow> quiet(new AppMainWindow(&scheme, {"listforge", "--no-visa"}));
        quiet->setAttribute(Qt::WA_DeleteOnClose, false);
        QVERIFY(quiet->isStartupComplete());
        QVERIFY(boxes.isEmpty());
        // The library is looked for by the first VISA object of the process.
        quiet.reset();

        QScopedPointer<AppMainWindow> w(new AppMainWindow(&scheme, {"listforge"}));
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        QCOMPARE(boxes, QStringList({"Tarvik ListForge|Unable to initialize VISA control object:\n"
                                     "Reason: Unable to load VISA library!"}));
        // The program runs on without instruments.
        QVERIFY(w->isStartupComplete());
        QVERIFY(w->visaControl());
    }
};

QTEST_MAIN(TstMainWindowNoVisa)
#include "tst_mainwindownovisa.moc"
