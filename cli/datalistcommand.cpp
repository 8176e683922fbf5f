// listforge-cli datalist: builds a data list from sources, exactly as the list management dialog
// does in append mode, and writes it as .dm_iqd or .dm_iqda.

#include "cli/clicommands.h"
#include "cli/clioutput.h"

#include "lists/datalist.h"
#include "lists/datasources.h"
#include "lists/modtypeinfo.h"
#include "lists/packeddatalist.h"
#include "lists/prbsgenerator.h"

#include <QDateTime>
#include <QFileInfo>

#include <optional>
#include <vector>

namespace {

const QString Command = QStringLiteral("datalist");

enum class SourceKind
{
    Prbs,
    Pattern,
    Sequence,
    AsciiBits,
    AsciiHex,
    Binary,
    DataList
};

struct SourceOption
{
    const char *option;
    SourceKind kind;
    const char *sourceName; // the dialog's name for it, used for the automatic comment
};

const SourceOption sourceOptions[] = {
    {"--prbs", SourceKind::Prbs, "PRBS"},
    {"--pattern", SourceKind::Pattern, "Pattern"},
    {"--sequence", SourceKind::Sequence, "Sequence"},
    {"--ascii-bits", SourceKind::AsciiBits, "ASCII-file Bit"},
    {"--ascii-hex", SourceKind::AsciiHex, "ASCII-file Hex"},
    {"--binary", SourceKind::Binary, "Binary-file Hex"},
    {"--data-list", SourceKind::DataList, "Data-list"},
};

struct Source
{
    const SourceOption *option = nullptr;
    QString value;              // order, pattern, sequence name or file path
    int order = 0;              // PRBS only
    std::optional<qint64> bits; // --bits N
};

struct Request
{
    std::vector<Source> sources;
    QString modulation = ModTypes::defaultName();
    std::optional<QString> comment;
    bool ascii = false;
    QString output;
};

bool takesCount(SourceKind kind)
{
    return kind == SourceKind::Prbs || kind == SourceKind::Pattern || kind == SourceKind::Sequence;
}

const SourceOption *findSourceOption(const QString &arg)
{
    for (const SourceOption &o : sourceOptions) {
        if (arg == QLatin1String(o.option))
            return &o;
    }
    return nullptr;
}

// "9" or "PRBS9".
int parseOrder(QString text)
{
    if (text.startsWith(QLatin1String("PRBS"), Qt::CaseInsensitive))
        text = text.mid(4);
    bool ok = false;
    const int order = text.toInt(&ok);
    return ok && ClsPrbsGenerator::isValidOrder(order) ? order : 0;
}

// Returns a usage error text, or an empty string when the arguments make a request.
QString parseArguments(const QStringList &args, Request &request)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--ascii")) {
            request.ascii = true;
            continue;
        }
        if (!hasValue) {
            if (findSourceOption(arg) || arg == QLatin1String("--bits") ||
                arg == QLatin1String("--modulation") || arg == QLatin1String("--comment") ||
                arg == QLatin1String("-o") || arg == QLatin1String("--output"))
                return QStringLiteral("option '%1' needs a value.").arg(arg);
            return QStringLiteral("unknown argument '%1'.").arg(arg);
        }
        const QString value = args.at(++i);
        if (const SourceOption *option = findSourceOption(arg)) {
            Source source;
            source.option = option;
            source.value = value;
            if (option->kind == SourceKind::Prbs) {
                source.order = parseOrder(value);
                if (source.order == 0)
                    return QStringLiteral("'%1' is no PRBS order (9, 11, 15, 16, 20, 21 or 23).").arg(value);
            } else if (option->kind == SourceKind::Pattern && DataSources::filterPattern(value).isEmpty()) {
                return QStringLiteral("pattern '%1' holds no '0' or '1'.").arg(value);
            } else if (option->kind == SourceKind::Sequence &&
                       !DataSources::sequenceNames().contains(value)) {
                return QStringLiteral("'%1' is no sequence; use one of: %2.")
                    .arg(value, DataSources::sequenceNames().join(QStringLiteral(", ")));
            }
            request.sources.push_back(source);
        } else if (arg == QLatin1String("--bits")) {
            if (request.sources.empty() || !takesCount(request.sources.back().option->kind))
                return QStringLiteral("--bits follows a --prbs, --pattern or --sequence source; "
                                      "file sources take their count from the file.");
            if (request.sources.back().bits)
                return QStringLiteral("--bits given twice for one source.");
            bool ok = false;
            const qint64 bits = value.toLongLong(&ok);
            if (!ok)
                return QStringLiteral("'%1' is no bit count.").arg(value);
            request.sources.back().bits = bits;
        } else if (arg == QLatin1String("--modulation")) {
            if (!ModTypes::table().contains(value))
                return QStringLiteral("unknown modulation '%1'; use one of: %2.")
                    .arg(value, ModTypes::table().keys().join(QStringLiteral(", ")));
            request.modulation = value;
        } else if (arg == QLatin1String("--comment")) {
            request.comment = value;
        } else if (arg == QLatin1String("-o") || arg == QLatin1String("--output")) {
            request.output = value;
        } else {
            return QStringLiteral("unknown argument '%1'.").arg(arg);
        }
    }
    if (request.sources.empty())
        return QStringLiteral("at least one source is required.");
    if (request.output.isEmpty())
        return QStringLiteral("the output file (-o FILE) is required.");
    return QString();
}

// Bits the dialog would apply for a count-taking source: the PRBS period in bit mode, or 10
// symbols of the modulation in symbol mode, unless --bits says otherwise.
qint64 bitCountFor(const Source &source, int bitsPerSymbol)
{
    if (source.bits)
        return *source.bits;
    if (source.option->kind == SourceKind::Prbs)
        return ClsPrbsGenerator::sequenceLength(source.order);
    return 10 * qint64(bitsPerSymbol);
}

ListResult applySource(PackedDataList &list, const Source &source, bool append, int bitsPerSymbol)
{
    switch (source.option->kind) {
    case SourceKind::Prbs:
        return list.applyPrbs(source.order, bitCountFor(source, bitsPerSymbol), append);
    case SourceKind::Pattern:
        return list.applyPattern(source.value, bitCountFor(source, bitsPerSymbol), append);
    case SourceKind::Sequence:
        return list.applySequence(source.value, bitCountFor(source, bitsPerSymbol), append);
    case SourceKind::AsciiBits:
        return list.applyDataFile(DataFileFormat::AsciiBits, source.value, append);
    case SourceKind::AsciiHex:
        return list.applyDataFile(DataFileFormat::AsciiHex, source.value, append);
    case SourceKind::Binary:
        return list.applyDataFile(DataFileFormat::Binary, source.value, append);
    case SourceKind::DataList:
        return list.applyDataListFile(source.value, append);
    }
    return ListResult::success();
}

// The comment the dialog shows after applying the first source; append mode freezes it there.
QString automaticComment(const Request &request, const Source &first, qint64 firstBits, int bitsPerSymbol)
{
    QString detail;
    switch (first.option->kind) {
    case SourceKind::Prbs:
        detail = ClsPrbsGenerator::name(first.order);
        break;
    case SourceKind::Pattern:
        detail = DataSources::filterPattern(first.value);
        break;
    case SourceKind::Sequence:
        detail = first.value;
        break;
    default:
        detail = QFileInfo(first.value).fileName();
        break;
    }
    // Pattern and sequence are counted in symbols; with --bits the symbols follow the bits.
    const bool symbolMode =
        (first.option->kind == SourceKind::Pattern || first.option->kind == SourceKind::Sequence) &&
        !first.bits;
    const qint64 symbols = symbolMode ? 10 : ModTypes::symbolsForBits(firstBits, bitsPerSymbol);
    return DataSources::automaticComment(QString::fromLatin1(first.option->sourceName), request.modulation,
                                         symbols, firstBits, detail);
}

} // namespace

int runDataListCommand(const QStringList &args)
{
    Request request;
    const QString usage = parseArguments(args, request);
    if (!usage.isEmpty())
        return CliOutput::usageError(Command, usage);

    const int bitsPerSymbol = ModTypes::table().value(request.modulation).bitsPerSymbol;
    // Built packed and written as it is: the one-byte-per-bit list of the dialog is never needed.
    PackedDataList list;
    qint64 firstBits = 0;
    for (size_t i = 0; i < request.sources.size(); ++i) {
        const ListResult result = applySource(list, request.sources[i], i > 0, bitsPerSymbol);
        if (!result)
            return CliOutput::refuse(result);
        if (i == 0)
            firstBits = result.newBits;
    }

    const QString comment = request.comment.value_or(
        automaticComment(request, request.sources.front(), firstBits, bitsPerSymbol));
    const QString path = DataListFiles::withExtension(
        request.output, request.ascii ? DataListFiles::AsciiExtension : DataListFiles::BinaryExtension);
    const ListResult written =
        request.ascii
            ? list.writeAscii(path)
            : list.writeBinary(path, DataListHeader(comment, QDateTime::currentDateTime(), list.size()));
    if (!written)
        return CliOutput::refuse(written);
    CliOutput::printOut(QStringLiteral("%1 bits written to %2").arg(list.size()).arg(path));
    return CliStatus::Done;
}
