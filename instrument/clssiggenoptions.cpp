#include "instrument/clssiggenoptions.h"

#include "app/tracer.h"
#include "instrument/options_tables.h"

#include <QSet>

#include <algorithm>

namespace {

const char *const s_categoryKeys[ClsSigGenOptions::CategoryCount] = {
    SigGenOptionTables::KeyRF,      SigGenOptionTables::KeyBB,        SigGenOptionTables::KeyMultiChannel,
    SigGenOptionTables::KeyNoise,   SigGenOptionTables::KeyDigStdInt, SigGenOptionTables::KeyDigStdExt,
    SigGenOptionTables::KeyGNSSInt, SigGenOptionTables::KeyMisc};

const char *const s_categoryCaptions[ClsSigGenOptions::CategoryCount] = {"RF Path(s):",
                                                                         "BB Path(s):",
                                                                         "Multi Channel/MIMO/Fading:",
                                                                         "Noise:",
                                                                         "Digital Standards (Internal):",
                                                                         "Digital Standards (External):",
                                                                         "GNSS and Avionics (Internal):",
                                                                         "Miscellaneous:"};

// What the option order compares: the class letter after the first "-" and the number after
// that letter. A code without "-" (garbage in a reply) has no class and number 0, so it sorts
// ahead of every well-formed code instead of being ranked by its first character.
struct OptionOrderKey
{
    QString strClass;
    qlonglong lngNumber = 0;
};

OptionOrderKey orderKeyOf(const QString &strCode)
{
    OptionOrderKey key;
    const int intHyphen = strCode.indexOf(QLatin1Char('-'));
    if (intHyphen < 0)
        return key;
    key.strClass = strCode.mid(intHyphen + 1, 1);
    bool bolOk = false;
    const qlonglong lngNumber = strCode.mid(intHyphen + 2).toLongLong(&bolOk, 10);
    key.lngNumber = bolOk ? lngNumber : 0;
    return key;
}

} // namespace

ClsSigGenOptions::ClsSigGenOptions(const qint32 &intModel) : QObject(nullptr)
{
    const QVector<SigGenOptionRow> rows = tableRows(intModel);
    m_hashOptions.reserve(rows.size() * 2);
    for (const SigGenOptionRow &row : rows)
        insertRow(row);
    Tracer::traceDebug(QStringLiteral("CSGOPT  : Signal generator option object created"));
}

ClsSigGenOptions::~ClsSigGenOptions()
{
    Tracer::traceDebug(QStringLiteral("CSGOPT  : Signal generator option object deleted"));
}

void ClsSigGenOptions::insertRow(const SigGenOptionRow &row)
{
    const QString strCode = QString::fromLatin1(row.code);
    // replace() overwrites the code's most recent value, so a code listed a second time turns
    // its earlier description into the later category key; insert() then adds the later
    // description on top. Either way value() yields the description and values().at(1) the key.
    m_hashOptions.replace(strCode, QString::fromLatin1(row.categoryKey));
    m_hashOptions.insert(strCode, QString::fromLatin1(row.description));
}

bool ClsSigGenOptions::hasOption(const QString &strCode) const
{
    return m_hashOptions.contains(strCode);
}

QString ClsSigGenOptions::getDescription(const QString &strCode) const
{
    return m_hashOptions.value(strCode, QStringLiteral("-"));
}

qint32 ClsSigGenOptions::getCategory(const QString &strCode) const
{
    const QStringList lstValues = m_hashOptions.values(strCode);
    if (lstValues.size() < 2)
        return CategoryUnknown;
    return categoryNumber(lstValues.at(1));
}

QStringList ClsSigGenOptions::installedCodesOfCategory(const QStringList &lstInstalled,
                                                       qint32 intCategory) const
{
    QStringList lstCodes;
    for (const QString &strCode : lstInstalled) {
        if (intCategory == CategoryAll || getCategory(strCode) == intCategory)
            lstCodes.append(strCode);
    }
    return lstCodes;
}

void ClsSigGenOptions::appendOptionEntries(qint32 intCategory, const QStringList &lstInstalled,
                                           QStringList &lstEntries) const
{
    static const char *const s_suffixes[] = {"", "(B)", "(C)", "(D)"};
    // A set beside the list: a reply to "*OPT?" may hold up to a megabyte of codes, and searching
    // the growing list for each of them makes this quadratic (40,000 distinct codes: seconds).
    QSet<QString> setPresent(lstEntries.cbegin(), lstEntries.cend());
    for (const QString &strCode : installedCodesOfCategory(lstInstalled, intCategory)) {
        const QString strDescription = getDescription(strCode);
        for (const char *suffix : s_suffixes) {
            const QString strEntry = strCode + QLatin1String(suffix) + QLatin1Char(';') + strDescription;
            if (!setPresent.contains(strEntry)) {
                setPresent.insert(strEntry);
                lstEntries.append(strEntry);
                break;
            }
        }
    }
}

QString ClsSigGenOptions::categoryKey(qint32 intCategory)
{
    if (intCategory < 0 || intCategory >= CategoryCount)
        return QString();
    return QString::fromLatin1(s_categoryKeys[intCategory]);
}

QString ClsSigGenOptions::categoryCaption(qint32 intCategory)
{
    if (intCategory < 0 || intCategory >= CategoryCount)
        return QString();
    return QString::fromLatin1(s_categoryCaptions[intCategory]);
}

qint32 ClsSigGenOptions::categoryNumber(const QString &strKey)
{
    if (strKey.isEmpty())
        return CategoryUnknown;
    for (qint32 intCategory = 0; intCategory < CategoryCount; ++intCategory) {
        if (strKey == QLatin1String(s_categoryKeys[intCategory]))
            return intCategory;
    }
    return CategoryUnknown;
}

bool ClsSigGenOptions::optionLessThan(const QString &strLeft, const QString &strRight)
{
    const OptionOrderKey left = orderKeyOf(strLeft);
    const OptionOrderKey right = orderKeyOf(strRight);
    if (left.strClass != right.strClass)
        return left.strClass < right.strClass;
    if (left.lngNumber != right.lngNumber)
        return left.lngNumber < right.lngNumber;
    return strLeft < strRight;
}

void ClsSigGenOptions::sortOptionList(QStringList &lstCodes)
{
    std::sort(lstCodes.begin(), lstCodes.end(), &ClsSigGenOptions::optionLessThan);
}

QVector<SigGenOptionRow> ClsSigGenOptions::tableRows(qint32 intModel)
{
    switch (intModel) {
    case ModelDVT330X:
        return SigGenOptionTables::dvtRows();
    case ModelGKR550X:
        return SigGenOptionTables::gkrRows();
    case ModelPLOXA550X:
        return SigGenOptionTables::ploxaRows();
    case ModelHERN330X:
        return SigGenOptionTables::hernRows();
    case ModelZOY550X:
        return SigGenOptionTables::zoyRows();
    default:
        return {};
    }
}
