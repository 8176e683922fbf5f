// libFuzzer target for what an instrument replies and the program parses: "*IDN?" with its
// serial-number rule, "*OPT?" evaluated against each model's option table, ":MMEM:CAT?" catalogs
// (quoted names holding commas) and error queue entries. The first byte picks the parser (and the
// model), the rest is the reply. Besides not crashing, each result must be consistent with the
// reply: no control characters or separators where the rule removes them, sorted option lists,
// categories that add up, one error map entry per queue entry.
#include "instrument/clsinstrcontrol.h"
#include "instrument/clssiggenoptions.h"
#include "visa/visaresource.h"

#include <QMap>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QString strReply = QString::fromLatin1(reinterpret_cast<const char *>(data) + 1, int(size - 1));
    switch (data[0] % 4) {
    case 0:
        identification(strReply);
        break;
    case 1:
        options(strReply, (data[0] / 4) % 5);
        break;
    case 2:
        catalog(strReply);
        break;
    default:
        errorQueue(strReply);
        break;
    }
    return 0;
}
