#include "instrument/clssiggenoptions.h"
#include "instrument/options_codes.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

namespace Codes = SigGenOptionCodes;
using Opt = ClsSigGenOptions;

class TstSigGenOptions : public QObject
{
    Q_OBJECT

private slots:
    // Codes as an instrument's option reply may bring them: only the exact code is known.
    void unknownCodes()
    {
        const Opt options(Opt::ModelGKR550X);
        QVERIFY(options.hasOption(QStringLiteral("GKR-B10")));
        for (const char *code : {"", "gkr-b10", "GKR-b10", "GKR-B10X", " GKR-B10", "ZOY-B9", "RF", "AWGN"})
            QVERIFY2(!options.hasOption(code) && options.getDescription(code) == QLatin1String("-") &&
                         options.getCategory(code) == 9,
                     code);
    }

    void optionOrder()
    {
        // Each pair in order: numbers as numbers, B before K before P; a rest that is not a whole
        // number (or one beyond 64 bits) counts as 0; only the first hyphen counts, and a code
        // without one sorts first.
        const QString strPairs =
            "GKR-B9<GKR-B10 GKR-B10<GKR-B106 GKR-B106<GKR-K2 GKR-K999<GKR-P1 GKR-B10A<GKR-B1 "
            "ZOY-B140N<ZOY-B2 A-B5-K<A-B6 <GKR-B1 GARBAGE<GKR-B0 "
            "GKR-B99999999999999999999<GKR-B1";
        for (const QString &strPair : strPairs.split(' ')) {
            const QString a = strPair.section('<', 0, 0), b = strPair.section('<', 1);
            QVERIFY2(Opt::optionLessThan(a, b) && !Opt::optionLessThan(b, a), qPrintable(strPair));
        }

        // A reply: empty part first, B before K before P, numbers as numbers, repeats together.
        QStringList lstCodes = {"GKR-K42", "GKR-B106", "GKR-B10", "GKR-K240", "GKR-B9",
                                "GKR-B10", "GKR-P10",  "",        "GKR-K42",  "GKR-B31"};
        Opt::sortOptionList(lstCodes);
        QCOMPARE(lstCodes, (QStringList{"", "GKR-B9", "GKR-B10", "GKR-B10", "GKR-B31", "GKR-B106", "GKR-K42",
                                        "GKR-K42", "GKR-K240", "GKR-P10"}));

        // std::sort needs a strict weak ordering; check it over real and odd codes.
        lstCodes = QStringList{"", "-", "X-", "GKR-B", "GKR-B10A", "GKR-B-3", "GKR-B+3", "GKR-B3", "DVT-B3"};
        for (int intModel = 0; intModel <= 4; ++intModel) {
            const QVector<SigGenOptionRow> rows = Opt::tableRows(intModel);
            for (int intRow = 0; intRow < rows.size(); intRow += 9)
                lstCodes.append(QLatin1String(rows.at(intRow).code));
        }
        for (const QString &a : qAsConst(lstCodes)) {
            QVERIFY(!Opt::optionLessThan(a, a));
            for (const QString &b : qAsConst(lstCodes)) {
                if (Opt::optionLessThan(a, b))
                    QVERIFY2(!Opt::optionLessThan(b, a), qPrintable(a + " " + b));
                for (const QString &c : qAsConst(lstCodes)) {
                    if (Opt::optionLessThan(a, b) && Opt::optionLessThan(b, c))
                        QVERIFY2(Opt::optionLessThan(a, c), qPrintable(a + " " + b + " " + c));
                }
            }
        }
        // Whatever the input order, the result is the same.
        QStringList lstSorted = lstCodes;
        Opt::sortOptionList(lstSorted);
        for (int intRound = 0; intRound < 20; ++intRound) {
            QStringList lstShuffled = lstCodes;
            std::shuffle(lstShuffled.begin(), lstShuffled.end(), *QRandomGenerator::global());
            Opt::sortOptionList(lstShuffled);
            QCOMPARE(lstShuffled, lstSorted);
        }
    }

    void optionEntries()
    {
        const Opt options(Opt::ModelGKR550X);
        QStringList lstEntries;
        options.appendOptionEntries(4, {"GKR-B10", "GKR-K42", "GKR-K42", "GKR-K40"}, lstEntries);
        QCOMPARE(lstEntries, (QStringList{"GKR-K42;3GPP FDD", "GKR-K42(B);3GPP FDD", "GKR-K40;GSM/EDGE"}));

        // Up to four copies are told apart; a fifth adds nothing.
        lstEntries.clear();
        options.appendOptionEntries(0, QVector<QString>(5, QStringLiteral("GKR-B31")).toList(), lstEntries);
        const QString strDesc = QStringLiteral(";RF Path A - High-Power output");
        QCOMPARE(lstEntries, (QStringList{"GKR-B31" + strDesc, "GKR-B31(B)" + strDesc, "GKR-B31(C)" + strDesc,
                                          "GKR-B31(D)" + strDesc}));

        // The list is extended in place: entries already there count as present.
        QStringList lstExtended = {"GKR-K40;GSM/EDGE"};
        options.appendOptionEntries(4, {"GKR-K40"}, lstExtended);
        QCOMPARE(lstExtended, (QStringList{"GKR-K40;GSM/EDGE", "GKR-K40(B);GSM/EDGE"}));

        // All categories include unknown codes; no single one does.
        lstEntries.clear();
        options.appendOptionEntries(8, {"", "GKR-B10", "GKR-Z7"}, lstEntries);
        QCOMPARE(lstEntries,
                 (QStringList{
                     ";-", "GKR-B10;Baseband - Generator with digital modulation (realtime) and ARB (64MS)",
                     "GKR-Z7;-"}));
        lstEntries.clear();
        for (int intCategory = 0; intCategory < 8; ++intCategory)
            options.appendOptionEntries(intCategory, {"", "GKR-Z7"}, lstEntries);
        QVERIFY(lstEntries.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstSigGenOptions)
#include "tst_siggenoptions.moc"
