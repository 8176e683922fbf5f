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

    // The frequency options the model databases test, with the ranges they stand for. Every
    // RF row described as a frequency range must be one of them, on the path its text names.
    void frequencyOptions_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("paths");
        QTest::addColumn<QVector<double>>("minMax");
        QTest::newRow("DVT330X") << 0 << QStringList{Codes::Dvt::RfPathA3GHz, Codes::Dvt::RfPathA6GHz} << "AA"
                                 << QVector<double>{1e5, 3e9, 1e5, 6e9};
        QTest::newRow("GKR550X") << 1 << QStringList{Codes::Gkr::RfPathA2200MHz, Codes::Gkr::RfPathA3GHz,
                                                     Codes::Gkr::RfPathA4GHz,    Codes::Gkr::RfPathA6GHz,
                                                     Codes::Gkr::RfPathB2200MHz, Codes::Gkr::RfPathB3GHz}
                                 << "AAAABB" << QVector<double>{1e5, 2.2e9, 1e5, 3e9,   1e5, 4e9,
                                                                1e5, 6e9,   1e5, 2.2e9, 1e5, 3e9};
        QTest::newRow("PLOXA550X") << 2
                                   << QStringList{Codes::Ploxa::RfPathA3GHz, Codes::Ploxa::RfPathA6GHz,
                                                  Codes::Ploxa::RfPathB3GHz, Codes::Ploxa::RfPathB6GHz}
                                   << "AABB" << QVector<double>{1e5, 3e9, 1e5, 6e9, 1e5, 3e9, 1e5, 6e9};
        QTest::newRow("HERN330X") << 3 << QStringList{Codes::Hern::RfPathA3200MHz, Codes::Hern::RfPathA6GHz}
                                  << "AA" << QVector<double>{9e3, 3.2e9, 9e3, 6e9};
        QTest::newRow("ZOY550X") << 4 << QStringList{Codes::Zoy::RfPathA3GHz,     Codes::Zoy::RfPathA6GHz,
                                                     Codes::Zoy::RfPathA12750MHz, Codes::Zoy::RfPathA20GHz,
                                                     Codes::Zoy::RfPathA31800MHz, Codes::Zoy::RfPathA40GHz,
                                                     Codes::Zoy::RfPathB3GHz,     Codes::Zoy::RfPathB6GHz,
                                                     Codes::Zoy::RfPathB12750MHz, Codes::Zoy::RfPathB20GHz}
                                 << "AAAAAABBBB"
                                 << QVector<double>{1e5,  3e9, 1e5,    6e9,     1e5,  12.75e9, 1e5,
                                                    20e9, 1e5, 31.8e9, 1e5,     40e9, 1e5,     3e9,
                                                    1e5,  6e9, 1e5,    12.75e9, 1e5,  20e9};
    }
    void frequencyOptions()
    {
        QFETCH(int, model);
        QFETCH(QStringList, codes);
        QFETCH(QString, paths);
        QFETCH(QVector<double>, minMax);

        const QRegularExpression range(
            QStringLiteral("^RF Path ([AB]) - ([0-9.]+)(kHz|MHz|GHz)-([0-9.]+)(kHz|MHz|GHz)$"));
        QStringList lstFound;
        for (const SigGenOptionRow &row : Opt::tableRows(model)) {
            const QRegularExpressionMatch match = range.match(QLatin1String(row.description));
            if (!match.hasMatch())
                continue;
            QCOMPARE(QString(row.categoryKey), QStringLiteral("RF"));
            const int intIndex = codes.indexOf(QLatin1String(row.code));
            QVERIFY2(intIndex >= 0, row.code);
            QCOMPARE(match.captured(1), paths.mid(intIndex, 1));
            QCOMPARE(hertzOf(match.captured(2), match.captured(3)), minMax.at(2 * intIndex));
            QCOMPARE(hertzOf(match.captured(4), match.captured(5)), minMax.at(2 * intIndex + 1));
            lstFound.append(QLatin1String(row.code));
        }
        lstFound.sort();
        codes.sort();
        QCOMPARE(lstFound, codes);
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
        QTest::addColumn<QString>("codeA");
        QTest::addColumn<QString>("codeB");
        QTest::newRow("GKR550X") << 1 << QString(Codes::Gkr::HighPowerPathA)
                                 << QString(Codes::Gkr::HighPowerPathB);
        QTest::newRow("PLOXA550X") << 2 << QString(Codes::Ploxa::HighPowerPathA)
                                   << QString(Codes::Ploxa::HighPowerPathB);
    }
    void highPowerOptions()
    {
        QFETCH(int, model);
        QFETCH(QString, codeA);
        QFETCH(QString, codeB);
        const Opt options(model);
        QCOMPARE(options.getDescription(codeA), QStringLiteral("RF Path A - High-Power output"));
        QCOMPARE(options.getDescription(codeB), QStringLiteral("RF Path B - High-Power output"));
        QCOMPARE(options.getCategory(codeA), 0);
        QCOMPARE(options.getCategory(codeB), 0);
    }

    // The baseband-generator rows are exactly the codes the baseband path rules count.
    void basebandGenerators_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("DVT330X") << 0 << QStringList{Codes::Dvt::BasebandGenerator};
        QTest::newRow("GKR550X") << 1
                                 << QStringList{Codes::Gkr::BasebandGenerator64MS,
                                                Codes::Gkr::BasebandGenerator16MS,
                                                Codes::Gkr::BasebandGenerator128MS};
        QTest::newRow("PLOXA550X") << 2
                                   << QStringList{Codes::Ploxa::BasebandGenerator64MS,
                                                  Codes::Ploxa::BasebandGenerator16MS,
                                                  Codes::Ploxa::BasebandGenerator128MS};
        QTest::newRow("HERN330X") << 3 << QStringList{Codes::Hern::BasebandGenerator};
        QTest::newRow("ZOY550X") << 4
                                 << QStringList{Codes::Zoy::WidebandBasebandGenerator,
                                                Codes::Zoy::BasebandGenerator};
    }
    void basebandGenerators()
    {
        QFETCH(int, model);
        QFETCH(QStringList, codes);
        QStringList lstFound;
        for (const SigGenOptionRow &row : Opt::tableRows(model)) {
            const QString strDescription = QLatin1String(row.description);
            if (strDescription.startsWith("Baseband - Generator") ||
                strDescription.startsWith("Wideband Baseband - Generator")) {
                QCOMPARE(QString(row.categoryKey), QStringLiteral("BB"));
                lstFound.append(QLatin1String(row.code));
            }
        }
        QCOMPARE(lstFound, codes);
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
