#include "app/cmdlineoptions.h"

#include "app/tracer.h"

#include <QDir>

ClsCmdLineOptions ClsCmdLineOptions::parse(const QStringList &lstArguments)
{
    ClsCmdLineOptions options;
    options.bolDebug = lstArguments.contains(QStringLiteral("--debug"), Qt::CaseInsensitive);
    options.bolFileDebug = lstArguments.contains(QStringLiteral("--filedebug"), Qt::CaseInsensitive);
    options.bolNoVisa = lstArguments.contains(QStringLiteral("--no-visa"), Qt::CaseInsensitive);
    return options;
}

int ClsCmdLineOptions::traceMask() const
{
    return bolDebug ? Tracer::DebugMask : Tracer::DefaultMask;
}

QString ClsCmdLineOptions::defaultLogFilePath()
{
    return QDir::homePath() + QStringLiteral("/ListForge.log");
}
