#ifndef LISTFORGE_CLI_CLICOMMANDS_H
#define LISTFORGE_CLI_CLICOMMANDS_H

#include <QStringList>

// One command of listforge-cli. `args` are the arguments after the command name. Returns the
// process exit status: 0 done, 1 refused (the message is on standard error and nothing was
// written), 2 usage error.
using CliCommandFn = int (*)(const QStringList &args);

struct CliCommand
{
    const char *name;
    CliCommandFn run;
    const char *synopsis; // usage lines, shown by "listforge-cli --help"
};

int runDataListCommand(const QStringList &args);
int runInfoCommand(const QStringList &args);
int runControlListCommand(const QStringList &args);
int runDiscoverCommand(const QStringList &args);
int runUploadCommand(const QStringList &args);
int runScpiCommand(const QStringList &args);
// The fields of a .dm_iqc file, for the info command.
int printControlListInfo(const QString &path);

#endif
