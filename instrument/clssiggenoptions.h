#ifndef LISTFORGE_INSTRUMENT_CLSSIGGENOPTIONS_H
#define LISTFORGE_INSTRUMENT_CLSSIGGENOPTIONS_H

#include <QMultiHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

// One row of a model's option table as written in the source: the code, its category key
// ("RF", "BB", ...) and a short English description.
struct SigGenOptionRow
{
    const char *code;
    const char *categoryKey;
    const char *description;
};

// Built-in knowledge of the option codes that one generator model reports in its "*OPT?"
// reply: for every known code a category and a description. Built once, then only read.
class ClsSigGenOptions : public QObject
{
    Q_OBJECT
public:
    enum EnuSigGenModel : qint32
    {
        ModelDVT330X = 0,
        ModelGKR550X = 1,
        ModelPLOXA550X = 2,
        ModelHERN330X = 3,
        ModelZOY550X = 4
    };

    // Category numbers as the lookups return them. CategoryAll is only ever a request;
    // CategoryUnknown answers codes the table does not know.
    enum EnuOptionCategory : qint32
    {
        CategoryRF = 0,
        CategoryBB = 1,
        CategoryMultiChannel = 2,
        CategoryNoise = 3,
        CategoryDigStdInt = 4,
        CategoryDigStdExt = 5,
        CategoryGNSSInt = 6,
        CategoryMisc = 7,
        CategoryAll = 8,
        CategoryUnknown = 9
    };
    static constexpr qint32 CategoryCount = 8;

    // Any model number outside 0..4 gives an empty table.
    explicit ClsSigGenOptions(const qint32 &intModel);
    ~ClsSigGenOptions() override;

    bool hasOption(const QString &strCode) const;
    // "-" for a code the table does not know.
    QString getDescription(const QString &strCode) const;
    // CategoryUnknown (9) for a code the table does not know.
    qint32 getCategory(const QString &strCode) const;

    // The installed codes (in list order, repeats kept) whose category is intCategory, or all
    // of them for CategoryAll.
    QStringList installedCodesOfCategory(const QStringList &lstInstalled, qint32 intCategory) const;

    // Appends "code;description" for every installed code of the category (every code for
    // CategoryAll). A code installed more than once is told apart by "(B)", "(C)" and "(D)"
    // after the code; entries already in lstEntries count as present.
    void appendOptionEntries(qint32 intCategory, const QStringList &lstInstalled,
                             QStringList &lstEntries) const;

    // Category key ("RF", ...) and group caption ("RF Path(s):", ...) of 0..7; empty text for
    // any other number.
    static QString categoryKey(qint32 intCategory);
    static QString categoryCaption(qint32 intCategory);
    // 0..7 for a known key, CategoryUnknown for an empty or unrecognised one.
    static qint32 categoryNumber(const QString &strKey);

    // Option order of installed option lists: by the class letter after the first "-", then
    // by the number after it ("B9" < "B10" < "B106" < "K2"). Codes that tie on both compare
    // by their whole text so that the order is the same on every run.
    static bool optionLessThan(const QString &strLeft, const QString &strRight);
    static void sortOptionList(QStringList &lstCodes);

    // The rows of a model's table in insertion order; empty for an unknown model.
    static QVector<SigGenOptionRow> tableRows(qint32 intModel);

private:
    void insertRow(const SigGenOptionRow &row);

    // Per code two values: the category key, then (inserted after it, so looked up first) the
    // description. A code listed in a second row ends with that row's key and description.
    QMultiHash<QString, QString> m_hashOptions;
};

#endif
