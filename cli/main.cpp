// listforge-cli: makes and inspects list files for scripts and test benches.

#include "cli/clicommands.h"
#include "cli/clioutput.h"

#include <QCoreApplication>

#include <csignal>

namespace {

// New commands (control lists, uploads, SCPI, discovery) add one row and one source file.
const CliCommand commands[] = {
    {"datalist", runDataListCommand,
     "datalist SOURCE [--bits N] [SOURCE [--bits N]]... [--modulation NAME] [--comment TEXT]\n"
     "         [--ascii] -o FILE\n"
     "    SOURCE: --prbs ORDER | --pattern BITS | --sequence NAME | --ascii-bits FILE |\n"
     "            --ascii-hex FILE | --binary FILE | --data-list FILE\n"
     "    Several sources are appended in order. --bits N is the bit count of the PRBS, pattern or\n"
     "    sequence source before it (default: one PRBS period, or 10 symbols). --ascii writes\n"
     "    .dm_iqda instead of .dm_iqd; the extension is added when missing."},
    {"controllist", runControlListCommand,
     "controllist --length N [--marker1 TAGS] [--marker2 TAGS] [--marker3 TAGS] [--marker4 TAGS]\n"
     "            [--burst TAGS] [--levatt TAGS] [--cw TAGS] [--hop TAGS] [--comment TEXT] -o FILE\n"
     "    Writes a .dm_iqc control list of N symbols (1..20000000). TAGS are level changes such as\n"
     "    '10:1;20:0' (high from symbol 10, low from symbol 20); unset signals hold '0:0'. The\n"
     "    comment cannot contain '}' or line breaks. The extension is added when missing."},
    {"info", runInfoCommand,
     "info [--bits] FILE\n"
     "    Header tags and bit count of a .dm_iqd file (bit count of a .dm_iqda file), or the\n"
     "    fields of a .dm_iqc control list;\n"
     "    --bits also prints the bits as 0/1 text."},
    {"upload", runUploadCommand,
     "upload --resource RESOURCE [--overwrite] FILE...\n"
     "    Opens the instrument (Tarvik instruments only) and uploads each .dm_iqd file to its data\n"
     "    list directory and each .dm_iqc file to its control list directory. A file that already\n"
     "    exists there is replaced only with --overwrite. Exit status 1 when any file failed."},
    {"scpi", runScpiCommand,
     "scpi --resource RESOURCE [--opc | --opc-loop] COMMAND...\n"
     "    Sends each command (with \"; *OPC?\" or an OPC loop of 100 ms steps up to 30 s) or query\n"
     "    (a text containing \"?\"), then prints the reply, the duration and the instrument's static\n"
     "    and queued errors. Exit status 1 when a command failed or the instrument reported errors."},
    {"discover", runDiscoverCommand,
     "discover [--expression EXPR] [--method portmapper|mdns|both]\n"
     "    Looks for instruments on the local networks (portmapper broadcast, multicast DNS service\n"
     "    discovery, or both: the default) and prints one line per identified instrument: the VISA\n"
     "    resource it would use (HiSLIP before VXI-11 before a raw socket), type, serial number,\n"
     "    firmware (tab-separated). EXPR filters the host names (wildcards * and ?, any case)."},
};

void printUsage()
{
    CliOutput::printOut(QStringLiteral("Usage: listforge-cli COMMAND [OPTIONS]\n\nCommands:"));
    for (const CliCommand &command : commands)
        CliOutput::printOut(QStringLiteral("  ") + QString::fromLatin1(command.synopsis) + QLatin1Char('\n'));
    CliOutput::printOut(QStringLiteral("listforge-cli --version prints the version.\n"));
    CliOutput::printOut(QStringLiteral("Exit status: 0 done, 1 refused (message on standard error, nothing "
                                       "written), 2 usage error."));
}

} // namespace

int main(int argc, char *argv[])
{
    // A file size limit (ulimit -f) then fails the write like a full disk, and the tool reports
    // it, instead of the process being killed half-way through a file.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        CliOutput::printErr(QStringLiteral("listforge-cli: a command is required."));
        CliOutput::printErr(QStringLiteral("Try 'listforge-cli --help'."));
        return CliStatus::Usage;
    }
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        printUsage();
        return CliStatus::Done;
    }
    if (name == QLatin1String("--version")) {
        CliOutput::printOut(QStringLiteral("listforge-cli " LISTFORGE_VERSION));
        return CliStatus::Done;
    }
    for (const CliCommand &command : commands) {
        if (name != QLatin1String(command.name))
            continue;
        if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
            CliOutput::printOut(QStringLiteral("Usage: listforge-cli ") +
                                QString::fromLatin1(command.synopsis));
            return CliStatus::Done;
        }
        return command.run(args);
    }
    CliOutput::printErr(QStringLiteral("listforge-cli: unknown command '%1'.").arg(name));
    CliOutput::printErr(QStringLiteral("Try 'listforge-cli --help'."));
    return CliStatus::Usage;
}
