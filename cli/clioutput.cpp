#include "cli/clioutput.h"

namespace CliOutput {

void printOut(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void printErr(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

bool writeOut(const char *data, qint64 size)
{
    return std::fwrite(data, 1, size_t(size), stdout) == size_t(size);
}

int refuse(const ListResult &result)
{
    printErr(result.message);
    return CliStatus::Refused;
}

int usageError(const QString &command, const QString &text)
{
    printErr(QStringLiteral("listforge-cli %1: %2").arg(command, text));
    printErr(QStringLiteral("Try 'listforge-cli --help'."));
    return CliStatus::Usage;
}

} // namespace CliOutput
