// listforge-cli info: shows what a list file holds.

#include "cli/clicommands.h"
#include "cli/clioutput.h"

#include "lists/datafiledecoders.h"
#include "lists/datalistfile.h"
#include "lists/packedbits.h"

#include <algorithm>

namespace {

const QString Command = QStringLiteral("info");

int asciiDataListInfo(const QString &path, bool printBits)
{
    // The count comes first, so the bits are decoded before anything is printed: packed, and
    // printed a block at a time.
    PackedBits bits;
    const ListResult result = DataFileDecoders::decodeFilePacked(DataFileFormat::AsciiBits, path, bits);
    if (!result)
        return CliOutput::refuse(result);
    CliOutput::printOut(QStringLiteral("Bits: %1").arg(bits.size()));
    if (!printBits)
        return CliStatus::Done;
    std::fflush(stdout);
    constexpr qint64 Block = 1 << 19;
    QByteArray text(int(Block), Qt::Uninitialized);
    for (qint64 pos = 0; pos < bits.size(); pos += Block) {
        const qint64 n = std::min(Block, bits.size() - pos);
        bits.unpack(pos, n, text.data());
        if (!CliOutput::writeOut(text.constData(), n))
            return CliStatus::Refused;
    }
    return CliOutput::writeOut("\n", 1) ? CliStatus::Done : CliStatus::Refused;
}

int binaryDataListInfo(const QString &path, bool printBits)
{
    DataListFileReader reader;
    const ListResult opened = reader.open(path);
    if (!opened)
        return CliOutput::refuse(opened);
    for (const auto &tag : reader.info().tags)
        CliOutput::printOut(QStringLiteral("%1: %2").arg(tag.first, tag.second));
    CliOutput::printOut(QStringLiteral("Bits: %1").arg(reader.bitCount()));
    if (!printBits)
        return CliStatus::Done;
    std::fflush(stdout);
    // The bits go out a chunk at a time: a full-length list never exists in memory here.
    bool writeOk = true;
    const ListResult read = reader.streamBits([&writeOk](const char *bits, qint64 count) {
        writeOk = CliOutput::writeOut(bits, count);
        return writeOk;
    });
    if (!read)
        return CliOutput::refuse(read);
    if (!writeOk || !CliOutput::writeOut("\n", 1))
        return CliStatus::Refused;
    return CliStatus::Done;
}

} // namespace

int runInfoCommand(const QStringList &args)
{
    bool printBits = false;
    QString path;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--bits"))
            printBits = true;
        else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
            return CliOutput::usageError(Command, QStringLiteral("unknown argument '%1'.").arg(arg));
        else if (path.isEmpty())
            path = arg;
        else
            return CliOutput::usageError(Command, QStringLiteral("only one file at a time."));
    }
    if (path.isEmpty())
        return CliOutput::usageError(Command, QStringLiteral("a file is required."));
    if (path.endsWith(QStringLiteral(".dm_iqc")))
        return printControlListInfo(path);
    if (path.endsWith(DataListFiles::AsciiExtension))
        return asciiDataListInfo(path, printBits);
    return binaryDataListInfo(path, printBits);
}
