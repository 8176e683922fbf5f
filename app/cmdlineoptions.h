#ifndef LISTFORGE_APP_CMDLINEOPTIONS_H
#define LISTFORGE_APP_CMDLINEOPTIONS_H

#include <QString>
#include <QStringList>

// The program's three switches. Each is looked for as a whole argument, in any case and any
// position; everything else on the command line is ignored.
struct ClsCmdLineOptions
{
    bool bolDebug = false;
    bool bolFileDebug = false;
    bool bolNoVisa = false;

    static ClsCmdLineOptions parse(const QStringList &lstArguments);
    int traceMask() const;
    // "~/ListForge.log" for the user running the program.
    static QString defaultLogFilePath();
};

#endif
