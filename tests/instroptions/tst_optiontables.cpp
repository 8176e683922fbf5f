#include "instrument/clsdvtcontrol.h"
#include "instrument/clsgkrcontrol.h"
#include "instrument/clsherncontrol.h"
#include "instrument/clsploxacontrol.h"
#include "instrument/clssiggenoptions.h"
#include "instrument/clszoycontrol.h"
#include "instrument/options_codes.h"

#include <QHash>
#include <QRegularExpression>
#include <QtTest>

namespace Codes = SigGenOptionCodes;
using Opt = ClsSigGenOptions;

Q_DECLARE_METATYPE(ModelDescription)

namespace {

const char *const s_families[] = {"DVT", "GKR", "PLOXA", "HERN", "ZOY"};

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

QString rangeText(const QString &strCode, const QString &strPath, double dblMin, double dblMax)
{
    return QStringLiteral("%1 %2 %3-%4").arg(strCode, strPath).arg(dblMin).arg(dblMax);
}

} // namespace

class TstOptionTables : public QObject
{
    Q_OBJECT

private slots:
    void codesAndDescriptionsAreWellFormed()
    {
        // Printable ASCII without ";" (it separates code and description in the option list
        // entries), no blank at either end.
        const QRegularExpression descriptionForm(QStringLiteral("^[!-:<-~]([ -:<-~]*[!-:<-~])?$"));
        for (int intModel = 0; intModel <= 4; ++intModel) {
            const QRegularExpression codeForm(
                QStringLiteral("^%1-[BKP][0-9]+[A-Z]?$").arg(s_families[intModel]));
            for (const SigGenOptionRow &row : Opt::tableRows(intModel)) {
                QVERIFY2(codeForm.match(QLatin1String(row.code)).hasMatch(), row.code);
                QVERIFY2(descriptionForm.match(QLatin1String(row.description)).hasMatch(), row.code);
            }
        }
    }

    // A code listed twice (a tool and a standard of the same name) is shown with its later row;
    // only the multicarrier CW tool may be listed twice.
    void doubleListedCodeTakesItsLaterRow()
    {
        QStringList lstRepeated;
        for (int intModel = 0; intModel <= 4; ++intModel) {
            const Opt options(intModel);
            QHash<QString, SigGenOptionRow> hashFirst;
            for (const SigGenOptionRow &row : Opt::tableRows(intModel)) {
                const QString strCode = QLatin1String(row.code);
                if (!hashFirst.contains(strCode)) {
                    hashFirst.insert(strCode, row);
                    continue;
                }
                lstRepeated << strCode;
                const SigGenOptionRow &first = hashFirst[strCode];
                QVERIFY2(QLatin1String(first.categoryKey) != QLatin1String(row.categoryKey) &&
                             QLatin1String(first.description) != QLatin1String(row.description),
                         row.code);
                QCOMPARE(options.getCategory(strCode), Opt::categoryNumber(QLatin1String(row.categoryKey)));
                QCOMPARE(options.getDescription(strCode), QString(row.description));
            }
        }
        QCOMPARE(lstRepeated, QStringList({Codes::Dvt::MultiCarrierCw, Codes::Gkr::MultiCarrierCw}));
    }

    // What the option list tells the user of the frequency, high-power and baseband-generator
    // options must be what the model's database rules make of them.
    void tableAgreesWithTheModelRules_data()
    {
        QTest::addColumn<ModelDescription>("model");
        QTest::newRow("DVT330X") << ClsDVTControl::description();
        QTest::newRow("GKR550X") << ClsGKRControl::description();
        QTest::newRow("PLOXA550X") << ClsPLOXAControl::description();
        QTest::newRow("HERN330X") << ClsHERNControl::description();
        QTest::newRow("ZOY550X") << ClsZOYControl::description();
    }
    void tableAgreesWithTheModelRules()
    {
        QFETCH(ModelDescription, model);
        QStringList lstRules; // "code path min-max", "code path high-power"
        for (const QString strPath : {"A", "B"}) {
            for (const RfFrequencyOption &option :
                 strPath == "A" ? model.pathAFrequency : model.pathBFrequency)
                lstRules << rangeText(option.code, strPath, option.minHz, option.maxHz);
            const QString strHighPower = (strPath == "A" ? model.pathALevel : model.pathBLevel).highPowerCode;
            if (!strHighPower.isEmpty())
                lstRules << strHighPower + " " + strPath + " high-power";
        }
        const QRegularExpression range(
            QStringLiteral("^RF Path ([AB]) - ([0-9.]+)(kHz|MHz|GHz)-([0-9.]+)(kHz|MHz|GHz)$"));
        const QRegularExpression highPower(QStringLiteral("^RF Path ([AB]) - High-Power output$"));
        QStringList lstRows, lstGenerators;
        for (const SigGenOptionRow &row : Opt::tableRows(model.optionModel)) {
            const QString strDescription = QLatin1String(row.description);
            const QRegularExpressionMatch match = range.match(strDescription);
            const QRegularExpressionMatch power = highPower.match(strDescription);
            if (match.hasMatch())
                lstRows << rangeText(row.code, match.captured(1),
                                     hertzOf(match.captured(2), match.captured(3)),
                                     hertzOf(match.captured(4), match.captured(5)));
            if (power.hasMatch())
                lstRows << QLatin1String(row.code) + " " + power.captured(1) + " high-power";
            if (match.hasMatch() || power.hasMatch())
                QVERIFY2(QLatin1String(row.categoryKey) == QLatin1String("RF"), row.code);
            if (QRegularExpression(QStringLiteral("^(Wideband )?Baseband - Generator"))
                    .match(strDescription)
                    .hasMatch()) {
                QVERIFY2(QLatin1String(row.categoryKey) == QLatin1String("BB"), row.code);
                lstGenerators << QLatin1String(row.code);
            }
        }
        lstRules.sort();
        lstRows.sort();
        QCOMPARE(lstRows, lstRules);
        // A single-path model counts no generators.
        if (model.basebandRule != ModelDescription::BasebandSingle) {
            QStringList lstCounted = model.basebandGenerators;
            lstCounted.sort();
            lstGenerators.sort();
            QCOMPARE(lstGenerators, lstCounted);
        }
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
