// Soak of the main window: CYCLES choices of the one pool instrument in the instrument box,
// offscreen. Each choice releases the assigned instrument (RF, ramp and CDM switched off where
// on, control object deleted) and assigns it afresh (identification, preset, path panels), as a
// user's choice in the box does. Resident memory is compared between the end of the warm-up and
// the end of the run, open descriptors between the first assignment and the end; with PEER_PID
// the same figures of the simulator are read too.
//
//   QT_QPA_PLATFORM=offscreen soak-window RESOURCE SERIAL CYCLES [PEER_PID]
//
// The instrument is a ZOY550X; the program settings go to a temporary folder.

#include "procstats.h"

#include "mainwindow/appmainwindow.h"
#include "ui/colorscheme.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

constexpr long MaxGrowthKb = 2048;

// The pool as the instrument management dialog stores it: one enabled LAN instrument.
void storePool(const QString &strResource, const QString &strSerial)
{
    std::unique_ptr<QSettings> settings(AppMainWindow::createProgramSettings());
    settings->beginGroup(QStringLiteral("InstrManage"));
    settings->setValue(QStringLiteral("VisaResource0"), strResource);
    settings->setValue(QStringLiteral("Type0"), QStringLiteral("ZOY550X"));
    settings->setValue(QStringLiteral("SerialNum0"), strSerial);
    settings->setValue(QStringLiteral("Firmware0"), QStringLiteral("1.0"));
    settings->setValue(QStringLiteral("Interface0"), QStringLiteral("TCPIP0"));
    settings->setValue(QStringLiteral("Comment0"), QStringLiteral("LAN Manual"));
    settings->setValue(QStringLiteral("Enabled0"), 1);
    settings->setValue(QStringLiteral("VisaResource1"), QString());
    settings->endGroup();
}

// The offscreen platform warns at every window that fits its size; a thousand of them would
// bury the figures.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &strText)
{
    if (!strText.contains(QLatin1String("propagateSizeHints")))
        std::fprintf(stderr, "%s%s\n", type == QtWarningMsg ? "warning: " : "", qPrintable(strText));
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietMessages);
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4 || args.at(3).toInt() <= 0) {
        std::fprintf(stderr, "usage: soak-window RESOURCE SERIAL CYCLES [PEER_PID]\n");
        return 2;
    }
    const QString strResource = args.at(1);
    const QString strSerial = args.at(2);
    const int intCycles = args.at(3).toInt();
    const QString strPeer = args.value(4);
    const int intWarmUp = qMax(1, qMin(100, intCycles / 10));

    QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    storePool(strResource, strSerial);

    ClsColorScheme scheme;
    AppMainWindow win(&scheme, {QStringLiteral("listforge")});
    if (!win.isStartupComplete()) {
        std::fprintf(stderr, "the window did not start\n");
        return 1;
    }
    win.show();
    auto *box = win.findChild<QComboBox *>(QStringLiteral("cbxInstr"));
    if (box == nullptr || box->count() != 1) {
        std::fprintf(stderr, "the pool entry is not in the instrument box\n");
        return 1;
    }

    ProcStats::Watch watch(strPeer);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < intCycles; ++i) {
        box->setCurrentIndex(0);
        emit box->activated(0);
        QCoreApplication::processEvents();
        ClsInstrControl *instr = win.instrument();
        if (win.appState() != AppMainWindow::StateActive || instr == nullptr || !instr->isSessionOpen()) {
            std::fprintf(stderr, "assignment %d failed\n", i + 1);
            return 1;
        }
        // The window opens its own descriptors (tracer, VISA library) with the first one.
        if (i == 0)
            watch.start();
        if (i + 1 == intWarmUp)
            watch.warm();
    }
    const double dblSeconds = timer.elapsed() / 1000.0;
    std::printf("main window, %s: %d assign/release cycles (warm-up %d) in %.1f s, %.2f cycles/s\n",
                qPrintable(strResource), intCycles, intWarmUp, dblSeconds, intCycles / dblSeconds);
    return watch.finish("window", MaxGrowthKb) ? 0 : 1;
}
