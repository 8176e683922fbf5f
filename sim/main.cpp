// listforge-sim: a simulated Tarvik signal generator on the LAN, for demonstrations and for end
// to end tests of ListForge without hardware. It behaves like a real LAN instrument, so standard
// clients (lxi-tools, VISA libraries) work with it unchanged.
//
//   listforge-sim --model ZOY550X
//
// prints the VISA resources it serves, one "# ..." line per instrument with its ports, then
// "ready":
//
//   TCPIP0::127.0.0.1::5025::SOCKET
//   TCPIP0::127.0.0.1::INSTR
//   TCPIP0::127.0.0.1::hislip0::INSTR
//   # 127.0.0.1 ZOY550X socket 5025 vxi11 40123 portmapper 111 hislip 4880
//   ready
//
// Options:
//   --model NAME          GKR550X, PLOXA550X, DVT330X, HERN330X or ZOY550X (default ZOY550X)
//   --serial TEXT         serial number in "*IDN?" (default per model)
//   --options "A,B,..."   the "*OPT?" reply; it decides paths and limits (default: the richest
//                         set of the model)
//   --manufacturer TEXT   first field of "*IDN?" (default "Tarvik")
//   --address IP          address to serve on (default 127.0.0.1)
//   --port N              raw SCPI socket port (default 5025, 0 = any free port)
//   --vxi11-port N        VXI-11 core channel port (default 0 = any free port)
//   --hislip-port N       HiSLIP port (default 4880, 0 = off). When the default port is taken
//                         (another simulator runs), any free port is used and its resource says
//                         which, e.g. TCPIP0::127.0.0.1::hislip0,40125::INSTR.
//   --portmapper-port N   portmapper on UDP and TCP (default 111; 0 turns it off). When it cannot
//                         be opened (no privileges, port taken) the simulator warns and goes on.
//   --storage DIR         mass memory folder (default: a temporary folder removed at exit)
//   --log FILE            log of every received message; format described in sim/messagelog.h
//   --preset-time MS      how long SYSTem:PRESet keeps the instrument busy (default 500)
//   --fault NAME[=VALUE]  repeatable: drop-block=N, reply-delay=MS, garbage, no-reply,
//                         endless-errors, refuse-link, opc-never, portmapper-delay=MS,
//                         portmapper-junk (see sim/simfaults.h)
//   --instrument MODEL@IP repeatable: play several instruments, each on its own address (e.g.
//                         127.0.0.2, 127.0.0.3), with the same ports and one shared portmapper;
//                         replaces --model/--address. Each gets its own storage subfolder.
//
//   --keep-running        stay when the process that started the simulator ends (by default
//                         it ends with it, so a crashed test or script leaves no simulator
//                         behind holding ports and pipes)
//
// SIGTERM and SIGINT end the simulator cleanly (the temporary storage is removed).

#include "sim/hislipserver.h"
#include "sim/mdnsresponder.h"
#include "sim/messagelog.h"
#include "sim/portmapperserver.h"
#include "sim/rawsocketserver.h"
#include "sim/siminstrument.h"
#include "sim/vxi11server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    const ssize_t written = ::write(signalPipe[1], &byte, 1);
    (void)written;
}

void installSignalHandlers(QCoreApplication *app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

int fail(const QString &message)
{
    std::fprintf(stderr, "listforge-sim: %s\n", qPrintable(message));
    return 1;
}

bool readPort(const QCommandLineParser &parser, const QString &name, quint16 *port)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const uint value = parser.value(name).toUInt(&ok);
    if (!ok || value > 65535)
        return false;
    *port = quint16(value);
    return true;
}

struct Served
{
    SimInstrument *instrument;
    RawSocketServer *raw;
    Vxi11Server *vxi11;
    HislipServer *hislip; // null when off
};

constexpr quint16 HislipDefaultPort = 4880;

QString hislipResource(const QString &address, quint16 port)
{
    return port == HislipDefaultPort ? QStringLiteral("TCPIP0::%1::hislip0::INSTR").arg(address)
                                     : QStringLiteral("TCPIP0::%1::hislip0,%2::INSTR").arg(address).arg(port);
}
// Loopback and wildcard addresses have no network to announce on; that is only worth a warning
// when the announcement was asked for.
void announce(SimInstrument &instrument, const RawSocketServer &raw, const Vxi11Server &vxi11,
              const HislipServer *hislip, bool asked)
{
    const SimInstrumentConfig &config = instrument.config();
    auto *responder = new MdnsResponder(config.model->name, config.serial, config.manufacturer, &instrument);
    QList<MdnsResponder::Service> services{{"_vxi-11._tcp", vxi11.port()}, {"_scpi-raw._tcp", raw.port()}};
    if (hislip)
        services.prepend({"_hislip._tcp", hislip->port()});
    QString error;
    if (!responder->start(QHostAddress(config.address), services, &error)) {
        if (asked)
            std::fprintf(stderr, "listforge-sim: warning: no mDNS announcements for %s (%s)\n",
                         qPrintable(config.address), qPrintable(error));
        delete responder;
    }
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("listforge-sim");
    QCoreApplication::setApplicationVersion(LISTFORGE_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Simulated Tarvik signal generator (raw SCPI socket, VXI-11, HiSLIP, portmapper)");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {"model", "Generator model: " + simModelNames().join(", ") + ".", "name", "ZOY550X"},
        {"serial", "Serial number.", "text"},
        {"options", "The *OPT? reply (comma-separated option codes).", "codes"},
        {"manufacturer", "Manufacturer in *IDN?.", "text", "Tarvik"},
        {"address", "IPv4 address to serve on.", "ip", "127.0.0.1"},
        {"port", "Raw SCPI socket port (0: any).", "port", "5025"},
        {"vxi11-port", "VXI-11 core port (0: any).", "port", "0"},
        {"hislip-port", "HiSLIP port (0: off).", "port", "4880"},
        {"portmapper-port", "Portmapper port (0: off).", "port", "111"},
        {"storage", "Mass memory folder.", "dir"},
        {"log", "Log every received message to this file.", "file"},
        {"preset-time", "Duration of SYSTem:PRESet in ms.", "ms", "500"},
        {"fault", "Fault to simulate: " + SimFaults::help() + ".", "name[=value]"},
        {"instrument", "Serve MODEL at IP (repeatable).", "model@ip"},
        {"keep-running", "Stay when the starting process ends."},
        {"mdns", "Announce the instruments by multicast DNS (default)."},
        {"no-mdns", "Do not announce the instruments by multicast DNS."},
    });
    parser.process(app);
    if (!parser.isSet("keep-running")) {
        // Checked after the request, since the parent may have ended before it was made.
        const pid_t starter = ::getppid();
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != starter)
            return 0;
    }

    SimFaults faults;
    for (const QString &fault : parser.values("fault")) {
        QString error;
        if (!faults.parse(fault, &error))
            return fail(error);
    }
    quint16 rawPort = 5025, vxiPort = 0, pmPort = 111, hislipPort = HislipDefaultPort;
    if (!readPort(parser, "port", &rawPort) || !readPort(parser, "vxi11-port", &vxiPort) ||
        !readPort(parser, "portmapper-port", &pmPort) || !readPort(parser, "hislip-port", &hislipPort))
        return fail("a port must be a number from 0 to 65535");
    bool presetOk = false;
    const int presetMs = parser.value("preset-time").toInt(&presetOk);
    if (!presetOk || presetMs < 0 || presetMs > 600000)
        return fail("--preset-time takes milliseconds from 0 to 600000");

    QList<QPair<const SimModel *, QHostAddress>> wanted;
    const QStringList instrumentArgs = parser.values("instrument");
    if (instrumentArgs.isEmpty()) {
        const SimModel *model = findSimModel(parser.value("model"));
        if (!model)
            return fail("unknown model '" + parser.value("model") +
                        "' (known: " + simModelNames().join(", ") + ")");
        QHostAddress address;
        if (!address.setAddress(parser.value("address")) ||
            address.protocol() != QAbstractSocket::IPv4Protocol)
            return fail("--address needs an IPv4 address");
        wanted.append({model, address});
    } else {
        for (const QString &arg : instrumentArgs) {
            const int at = arg.indexOf('@');
            const SimModel *model = at > 0 ? findSimModel(arg.left(at)) : nullptr;
            QHostAddress address;
            if (!model || !address.setAddress(arg.mid(at + 1)) ||
                address.protocol() != QAbstractSocket::IPv4Protocol)
                return fail("--instrument needs MODEL@IPv4, got '" + arg + "'");
            wanted.append({model, address});
        }
    }

    QTemporaryDir temporaryStorage(QDir::tempPath() + "/listforge-sim-XXXXXX");
    QString storageRoot = parser.value("storage");
    if (storageRoot.isEmpty()) {
        if (!temporaryStorage.isValid())
            return fail("cannot create a temporary storage folder");
        storageRoot = temporaryStorage.path();
    }

    MessageLog log;
    if (parser.isSet("log")) {
        QString error;
        if (!log.open(parser.value("log"), &error))
            return fail("cannot open log file: " + error);
    }

    installSignalHandlers(&app);

    const bool several = wanted.size() > 1;
    QList<Served> served;
    PortmapperServer portmapper;
    portmapper.setUdpFaults(faults.portmapperDelayMs, faults.portmapperJunk);
    bool portmapperUp = pmPort != 0;
    for (int i = 0; i < wanted.size(); ++i) {
        SimInstrumentConfig config;
        config.model = wanted[i].first;
        config.address = wanted[i].second.toString();
        config.manufacturer = parser.value("manufacturer");
        config.options = parser.isSet("options") ? parser.value("options") : config.model->defaultOptions;
        config.serial = parser.value("serial");
        if (several && config.serial.isEmpty())
            config.serial = QString::number(config.model->defaultSerial.toInt() + i);
        config.storageDir = several ? storageRoot + '/' + config.address : storageRoot;
        config.presetMs = presetMs;
        config.faults = faults;
        auto *instrument = new SimInstrument(config, &app);
        const QString suffix = several ? '@' + config.address : QString();
        auto *raw = new RawSocketServer(instrument, &log, "SOCKET" + suffix, &app);
        auto *vxi11 = new Vxi11Server(instrument, &log, "VXI11" + suffix, &app);
        QString error;
        if (!raw->listen(wanted[i].second, rawPort, &error))
            return fail(QStringLiteral("raw socket %1:%2: %3").arg(config.address).arg(rawPort).arg(error));
        if (!vxi11->listen(wanted[i].second, vxiPort, &error))
            return fail(QStringLiteral("VXI-11 %1:%2: %3").arg(config.address).arg(vxiPort).arg(error));
        if (portmapperUp && !portmapper.listen({wanted[i].second, vxi11->port()}, pmPort, &error)) {
            std::fprintf(stderr, "listforge-sim: warning: portmapper off (%s)\n", qPrintable(error));
            portmapperUp = false;
        }
        HislipServer *hislip = nullptr;
        if (hislipPort != 0) {
            hislip = new HislipServer(instrument, &log, "HISLIP" + suffix, &app);
            bool up = hislip->listen(wanted[i].second, hislipPort, &error);
            if (!up && !parser.isSet("hislip-port")) {
                std::fprintf(stderr, "listforge-sim: warning: HiSLIP port %u not free (%s), using another\n",
                             hislipPort, qPrintable(error));
                up = hislip->listen(wanted[i].second, 0, &error);
            }
            if (!up)
                return fail(
                    QStringLiteral("HiSLIP %1:%2: %3").arg(config.address).arg(hislipPort).arg(error));
        }
        served.append({instrument, raw, vxi11, hislip});
        if (!parser.isSet("no-mdns"))
            announce(*instrument, *raw, *vxi11, hislip, parser.isSet("mdns"));
    }

    for (const Served &s : served) {
        // A wildcard listener is reached through loopback: print a name a client can open.
        QString address = s.instrument->config().address;
        if (QHostAddress(address) == QHostAddress(QHostAddress::AnyIPv4))
            address = QStringLiteral("127.0.0.1");
        std::printf("TCPIP0::%s::%u::SOCKET\nTCPIP0::%s::INSTR\n", qPrintable(address), s.raw->port(),
                    qPrintable(address));
        if (s.hislip)
            std::printf("%s\n", qPrintable(hislipResource(address, s.hislip->port())));
    }
    for (const Served &s : served) {
        std::printf("# %s %s socket %u vxi11 %u portmapper %u hislip %u\n",
                    qPrintable(s.instrument->config().address),
                    qPrintable(s.instrument->config().model->name), s.raw->port(), s.vxi11->port(),
                    portmapperUp ? pmPort : 0u, s.hislip ? s.hislip->port() : 0u);
    }
    std::printf("ready\n");
    std::fflush(stdout);

    const int result = app.exec();
    // Servers first: their connections still talk to the instruments while they close.
    for (const Served &s : served) {
        delete s.raw;
        delete s.vxi11;
        delete s.hislip;
    }
    for (const Served &s : served)
        delete s.instrument;
    return result;
}
