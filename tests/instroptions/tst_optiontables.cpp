#include "instrument/clssiggenoptions.h"
#include "instrument/options_codes.h"

#include <QHash>
#include <QRegularExpression>
#include <QtTest>

namespace Codes = SigGenOptionCodes;
using Opt = ClsSigGenOptions;

namespace {

const char *const s_families[] = {"DVT", "GKR", "PLOXA", "HERN", "ZOY"};

// Insertion order of the categories, as category numbers.
const QVector<int> s_insertionOrder = {Opt::CategoryRF,        Opt::CategoryBB,     Opt::CategoryMultiChannel,
                                       Opt::CategoryNoise,     Opt::CategoryMisc,   Opt::CategoryDigStdInt,
                                       Opt::CategoryDigStdExt, Opt::CategoryGNSSInt};

QVector<SigGenOptionRow> rowsWithCode(int intModel, const QString &strCode)
{
    QVector<SigGenOptionRow> rows;
    for (const SigGenOptionRow &row : Opt::tableRows(intModel)) {
        if (strCode == QLatin1String(row.code))
            rows.append(row);
    }
    return rows;
}

// Parses "100kHz", "3.2GHz" etc. into Hz; -1 when the text is no frequency.
double hertzOf(const QString &strNumber, const QString &strUnit)
{
    bool bolOk = false;
    const double dblValue = strNumber.toDouble(&bolOk);
    if (!bolOk)
        return -1;
    const double dblScale = strUnit == "kHz" ? 1e3 : strUnit == "MHz" ? 1e6 : 1e9;
    return dblValue * dblScale;
}

} // namespace

class TstOptionTables : public QObject
{
    Q_OBJECT

private slots:
    void rowsComeCategoryByCategory()
    {
        for (int intModel = 0; intModel <= 4; ++intModel) {
            int intLastRank = -1;
            for (const SigGenOptionRow &row : Opt::tableRows(intModel)) {
                const int intRank =
                    s_insertionOrder.indexOf(Opt::categoryNumber(QLatin1String(row.categoryKey)));
                QVERIFY2(intRank >= intLastRank, row.code);
                intLastRank = intRank;
            }
        }
    }

    void codesAndDescriptionsAreWellFormed()
    {
        for (int intModel = 0; intModel <= 4; ++intModel) {
            const QRegularExpression codeForm(
                QStringLiteral("^%1-[BKP][0-9]+[A-Z]?$").arg(s_families[intModel]));
            for (const SigGenOptionRow &row : Opt::tableRows(intModel)) {
                const QString strDescription = QString::fromLatin1(row.description);
                QVERIFY2(codeForm.match(QLatin1String(row.code)).hasMatch(), row.code);
                QVERIFY2(!strDescription.isEmpty() && strDescription == strDescription.trimmed(), row.code);
                // ";" separates code and description in the option list entries.
                QVERIFY2(!strDescription.contains(';'), row.code);
                for (const QChar ch : strDescription)
                    QVERIFY2(ch.unicode() >= 0x20 && ch.unicode() < 0x7F, row.code);
            }
        }
    }

    void doubleListedCodeTakesItsLaterRow_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("code");
        QTest::newRow("DVT330X") << 0 << QString(Codes::Dvt::MultiCarrierCw);
        QTest::newRow("GKR550X") << 1 << QString(Codes::Gkr::MultiCarrierCw);
        QTest::newRow("PLOXA550X") << 2 << QString();
        QTest::newRow("HERN330X") << 3 << QString();
        QTest::newRow("ZOY550X") << 4 << QString();
    }
    void doubleListedCodeTakesItsLaterRow()
    {
        QFETCH(int, model);
        QFETCH(QString, code);

        QHash<QString, int> hashSeen;
        for (const SigGenOptionRow &row : Opt::tableRows(model))
            ++hashSeen[QLatin1String(row.code)];
        QStringList lstRepeated;
        for (auto it = hashSeen.cbegin(); it != hashSeen.cend(); ++it) {
            if (it.value() > 1)
                lstRepeated.append(it.key());
        }
        QCOMPARE(lstRepeated, code.isEmpty() ? QStringList() : QStringList{code});
        if (code.isEmpty())
            return;

        const QVector<SigGenOptionRow> rows = rowsWithCode(model, code);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(QString(rows.at(0).categoryKey), QStringLiteral("Misc"));
        QCOMPARE(QString(rows.at(1).categoryKey), QStringLiteral("DigStdInt"));
        QVERIFY(QString(rows.at(0).description) != QString(rows.at(1).description));

        const Opt options(model);
        QCOMPARE(options.getCategory(code), 4);
        QCOMPARE(options.getDescription(code), QString(rows.at(1).description));
    }

    // The frequency options the model databases test, with the ranges they stand for: the lower
    // limit of the model and "code path upper limit" for each. Every RF row described as a
    // frequency range must be one of them, on the path its text names.
    void frequencyOptions_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<double>("min");
        QTest::addColumn<QString>("options");
        QTest::newRow("DVT330X") << 0 << 1e5 << "DVT-B103 A 3e9,DVT-B106 A 6e9";
        QTest::newRow("GKR550X") << 1 << 1e5
                                 << "GKR-B122 A 2.2e9,GKR-B103 A 3e9,GKR-B104 A 4e9,GKR-B106 A 6e9,"
                                    "GKR-B222 B 2.2e9,GKR-B203 B 3e9";
        QTest::newRow("PLOXA550X") << 2 << 1e5
                                   << "PLOXA-B103 A 3e9,PLOXA-B106 A 6e9,PLOXA-B203 B 3e9,PLOXA-B206 B 6e9";
        QTest::newRow("HERN330X") << 3 << 9e3 << "HERN-B132 A 3.2e9,HERN-B106 A 6e9";
        QTest::newRow("ZOY550X") << 4 << 1e5
                                 << "ZOY-B103 A 3e9,ZOY-B106 A 6e9,ZOY-B112 A 12.75e9,ZOY-B120 A 20e9,"
                                    "ZOY-B131 A 31.8e9,ZOY-B140 A 40e9,ZOY-B203 B 3e9,ZOY-B206 B 6e9,"
                                    "ZOY-B212 B 12.75e9,ZOY-B220 B 20e9";
    }
    void frequencyOptions()
    {
        QFETCH(int, model);
        QFETCH(double, min);
        QFETCH(QString, options);
        QMap<QString, QStringList> mapExpected; // code -> path, upper limit
        for (const QString &strOption : options.split(','))
            mapExpected.insert(strOption.section(' ', 0, 0), strOption.split(' ').mid(1));

        const QRegularExpression range(
            QStringLiteral("^RF Path ([AB]) - ([0-9.]+)(kHz|MHz|GHz)-([0-9.]+)(kHz|MHz|GHz)$"));
        QStringList lstFound;
        for (const SigGenOptionRow &row : Opt::tableRows(model)) {
            const QRegularExpressionMatch match = range.match(QLatin1String(row.description));
            if (!match.hasMatch())
                continue;
            QCOMPARE(QString(row.categoryKey), QStringLiteral("RF"));
            QVERIFY2(mapExpected.contains(row.code), row.code);
            QCOMPARE(match.captured(1), mapExpected[row.code].at(0));
            QCOMPARE(hertzOf(match.captured(2), match.captured(3)), min);
            QCOMPARE(hertzOf(match.captured(4), match.captured(5)), mapExpected[row.code].at(1).toDouble());
            lstFound.append(QLatin1String(row.code));
        }
        lstFound.sort();
        QCOMPARE(lstFound, mapExpected.keys());
    }

    void zoyLimitedBandwidthOptionIsAnRfRowOfPathA()
    {
        const QVector<SigGenOptionRow> rows = rowsWithCode(4, Codes::Zoy::RfPathA40GHzLimited);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(QString(rows.at(0).categoryKey), QStringLiteral("RF"));
        QVERIFY(QString(rows.at(0).description).startsWith("RF Path A - 100kHz-40.0GHz, "));
    }

    void highPowerOptions_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("codes"); // path A, path B
        QTest::newRow("GKR550X") << 1 << "GKR-B31 GKR-B32";
        QTest::newRow("PLOXA550X") << 2 << "PLOXA-B31 PLOXA-B32";
    }
    void highPowerOptions()
    {
        QFETCH(int, model);
        QFETCH(QString, codes);
        const Opt options(model);
        for (const QString strPath : {"A", "B"}) {
            const QString strCode = codes.section(' ', strPath == "B", strPath == "B");
            QCOMPARE(options.getDescription(strCode), "RF Path " + strPath + " - High-Power output");
            QCOMPARE(options.getCategory(strCode), 0);
        }
    }

    // The baseband-generator rows are exactly the codes the baseband path rules count.
    void basebandGenerators_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("codes");
        QTest::newRow("DVT330X") << 0 << "DVT-B10";
        QTest::newRow("GKR550X") << 1 << "GKR-B10 GKR-B11 GKR-B13";
        QTest::newRow("PLOXA550X") << 2 << "PLOXA-B10 PLOXA-B11 PLOXA-B13";
        QTest::newRow("HERN330X") << 3 << "HERN-B10";
        QTest::newRow("ZOY550X") << 4 << "ZOY-B9 ZOY-B10";
    }
    void basebandGenerators()
    {
        QFETCH(int, model);
        QFETCH(QString, codes);
        QStringList lstFound;
        for (const SigGenOptionRow &row : Opt::tableRows(model)) {
            const QString strDescription = QLatin1String(row.description);
            if (strDescription.startsWith("Baseband - Generator") ||
                strDescription.startsWith("Wideband Baseband - Generator")) {
                QCOMPARE(QString(row.categoryKey), QStringLiteral("BB"));
                lstFound.append(QLatin1String(row.code));
            }
        }
        QCOMPARE(lstFound.join(' '), codes);
    }

    // The symbol-rate licence must stay unknown to the table, or it would show under a caption.
    void hernSymbolRateLicenceIsNotListed()
    {
        const Opt options(3);
        QVERIFY(!options.hasOption(Codes::Hern::SymbolRateExtension));
        QCOMPARE(options.getCategory(Codes::Hern::SymbolRateExtension), 9);
    }
};

QTEST_GUILESS_MAIN(TstOptionTables)
#include "tst_optiontables.moc"
