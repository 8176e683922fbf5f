// libFuzzer target for what an instrument replies and the program parses: "*IDN?" with its
// serial-number rule, "*OPT?" evaluated against each model's option table, ":MMEM:CAT?" catalogs
// (quoted names holding commas), error queue entries and status register numbers ("*ESR?",
// "*STB?"). The first byte picks the parser (and the model or the range), the rest is the reply.
// Besides not crashing, each result must be consistent with the reply: no control characters or
// separators where the rule removes them, sorted option lists, categories that add up, one error
// map entry per queue entry, and a status number that reads back as its own text.
#include "fuzz/notracing.h"
#include "instrument/clsinstrcontrol.h"
#include "instrument/clssiggenoptions.h"
#include "instrument/statusnumber.h"
#include "visa/visaresource.h"

#include <QMap>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace {

void require(bool bolHolds, const char *what)
{
    if (!bolHolds) {
        std::fprintf(stderr, "instrument reply: %s\n", what);
        std::abort();
    }
}

bool hasControlCharacter(const QString &strText)
{
    return std::any_of(strText.begin(), strText.end(), [](QChar chr) {
        return chr.unicode() < 0x20 || (chr.unicode() >= 0x7F && chr.unicode() <= 0x9F);
    });
}

void identification(const QString &strReply)
{
    const InstrIdent::Identity identity = InstrIdent::parseIdn(strReply);
    for (const QString &strField :
         {identity.manufacturer, identity.instrType, identity.serialNumber, identity.firmware}) {
        require(!hasControlCharacter(strField), "identification field with a control character");
        require(!strField.contains(QLatin1Char(',')), "identification field with a comma");
        require(strField == strField.trimmed(), "identification field not trimmed");
    }
    require(!identity.serialNumber.contains(QLatin1Char('/')), "serial number with a '/'");
    require(InstrIdent::printable(identity.firmware) == identity.firmware, "printable not idempotent");
}

void options(const QString &strReply, qint32 intModel)
{
    static std::unique_ptr<ClsSigGenOptions> tables[5];
    if (!tables[intModel])
        tables[intModel] = std::make_unique<ClsSigGenOptions>(intModel);
    const ClsSigGenOptions &table = *tables[intModel];

    QStringList lstCodes = strReply.split(QLatin1Char(','));
    for (QString &strCode : lstCodes)
        strCode = strCode.trimmed();
    QStringList lstSorted = lstCodes;
    ClsSigGenOptions::sortOptionList(lstSorted);
    for (int i = 0; i < lstSorted.size(); ++i) {
        require(!ClsSigGenOptions::optionLessThan(lstSorted.at(i), lstSorted.at(i)), "order not irreflexive");
        if (i > 0)
            require(!ClsSigGenOptions::optionLessThan(lstSorted.at(i), lstSorted.at(i - 1)),
                    "list not sorted");
    }
    QStringList lstA = lstCodes, lstB = lstSorted;
    std::sort(lstA.begin(), lstA.end());
    std::sort(lstB.begin(), lstB.end());
    require(lstA == lstB, "sorting changed the codes");

    int intInCategories = 0;
    for (qint32 intCategory = 0; intCategory < ClsSigGenOptions::CategoryCount; ++intCategory) {
        const QStringList lstOf = table.installedCodesOfCategory(lstCodes, intCategory);
        for (const QString &strCode : lstOf)
            require(table.getCategory(strCode) == intCategory, "code listed in a foreign category");
        intInCategories += lstOf.size();
    }
    require(intInCategories <= table.installedCodesOfCategory(lstCodes, ClsSigGenOptions::CategoryAll).size(),
            "categories hold more codes than the whole list");
    QStringList lstEntries;
    table.appendOptionEntries(ClsSigGenOptions::CategoryAll, lstCodes, lstEntries);
    require(lstEntries.removeDuplicates() == 0, "an option entry listed twice");
}

void catalog(const QString &strReply)
{
    for (const QString &strPart : ClsInstrControl::splitCatalogReply(strReply))
        require(!strPart.contains(QLatin1Char('"')), "catalog entry with a quote");
}

void errorQueue(const QString &strReply)
{
    QStringList lstEntries = strReply.split(QStringLiteral("\", "));
    for (QString &strEntry : lstEntries)
        strEntry.remove(QLatin1Char('"'));
    QMap<QString, QString> mapErrors;
    ClsInstrControl::parseErrorEntries(lstEntries, mapErrors);
    require(mapErrors.size() == lstEntries.size(), "not one error per queue entry");
    for (auto it = mapErrors.cbegin(); it != mapErrors.cend(); ++it) {
        const int intIndex = it.key().section(QLatin1Char('-'), 0, 0).toInt();
        require(lstEntries.value(intIndex).endsWith(it.value()), "error text not from its entry");
    }
}

void statusNumber(std::string_view reply, unsigned uMax)
{
    unsigned uValue = 0;
    const bool bolTaken = StatusNumber::parse(reply, uMax, uValue);
    // The digits between the white space, without leading zeros: what the number reads back as.
    const size_t first = reply.find_first_not_of(" \t\r\n");
    const size_t last = reply.find_last_not_of(" \t\r\n");
    std::string_view digits =
        first == std::string_view::npos ? std::string_view() : reply.substr(first, last - first + 1);
    const bool bolPlain = !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    if (bolTaken) {
        require(bolPlain, "status number taken from a reply that is not plain digits");
        require(uValue <= uMax, "status number past its range");
        require(digits == std::to_string(uValue), "status number does not read back as its text");
    } else if (bolPlain && digits.size() <= 9) {
        // Short enough to compare without the parser's own overflow rule.
        require(std::stoul(std::string(digits)) > uMax, "plain status number in range refused");
    }
    const unsigned uProbe = bolTaken ? uValue : uMax;
    unsigned uAgain = ~uProbe;
    require(StatusNumber::parse(std::to_string(uProbe), uMax, uAgain) && uAgain == uProbe,
            "the text of a number in range is refused or read otherwise");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QString strReply = QString::fromLatin1(reinterpret_cast<const char *>(data) + 1, int(size - 1));
    switch (data[0] % 5) {
    case 0:
        identification(strReply);
        break;
    case 1:
        options(strReply, (data[0] / 5) % 5);
        break;
    case 2:
        catalog(strReply);
        break;
    case 3:
        errorQueue(strReply);
        break;
    default:
        // One byte, as a status register, or the widest range, where overflow would show.
        statusNumber(std::string_view(reinterpret_cast<const char *>(data) + 1, size - 1),
                     (data[0] / 5) % 2 == 0 ? StatusNumber::RegisterMax : 0xFFFFFFFFu);
        break;
    }
    return 0;
}
