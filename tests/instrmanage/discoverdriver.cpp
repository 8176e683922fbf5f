// Runs the "discover" command of listforge-cli on its own, so that its suite does not depend on
// the command table of the whole tool.

#include <QCoreApplication>
#include <QStringList>

int runDiscoverCommand(const QStringList &args);

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return runDiscoverCommand(args);
}
