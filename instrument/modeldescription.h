#ifndef LISTFORGE_INSTRUMENT_MODELDESCRIPTION_H
#define LISTFORGE_INSTRUMENT_MODELDESCRIPTION_H

#include <QChar>
#include <QString>
#include <QStringList>
#include <QVector>

// Everything in which the five generator models differ: what their database initialisation
// puts into the instrument description and how a few operations behave. Each model class
// fills one of these; the shared code in ClsModelControl and InstrDatabaseBuilder does the rest.

// A frequency option and the range it gives its path (Hz).
struct RfFrequencyOption
{
    QString code;
    double minHz = 0.0;
    double maxHz = 0.0;
};

// Level range of one path (dBm); the high-power option, if present, raises the maximum.
struct RfLevelRange
{
    double minDbm = 0.0;
    double maxDbm = 0.0;
    QString highPowerCode; // empty: the maximum is fixed
    double highPowerMaxDbm = 0.0;
};

// Symbol rate limits (kHz texts) of the two modulation groups, and the FSK deviation maximum.
struct SymbolRateLimits
{
    QString rateMin;
    QString pskQamMax; // "ASK" up to the largest QAM
    QString mskMax;
    QString fskUserMax; // "2FSK", "4FSK", "USER"
};

// One marker's connection as the model database starts it: a fixed output, or routable.
struct MarkerRouteTemplate
{
    bool routable = false;
    QString fixedOutput;
};

struct ModelDescription
{
    enum EnuBasebandRule
    {
        BasebandSingle,           // always one baseband path
        BasebandTwoOfAnyOrDouble, // two when a generator is doubled or two different ones exist
        BasebandDoubleOnly        // two only when a generator is listed twice
    };

    enum EnuMarkerRouting
    {
        MarkerRoutingSource,          // "OUTPut:<out>:SOURce <A|B>MARk<n>"
        MarkerRoutingDirectionSignal, // the connector is made an output, then given the signal
        MarkerRoutingNone             // no routable outputs: every request is refused
    };

    QString traceTag;  // "CGKRCT  " etc., already padded to eight characters
    QString shortName; // "GKR" as the trace texts name the model
    qint32 optionModel = -1;

    QChar pathSeparator = QLatin1Char('\\');
    QString drive;
    QString rootDir;

    // Path B exists only when one of its frequency options is installed; none: one RF path.
    QVector<RfFrequencyOption> pathAFrequency; // tested in order, the last installed one wins
    QVector<RfFrequencyOption> pathBFrequency;
    RfLevelRange pathALevel;
    RfLevelRange pathBLevel;

    EnuBasebandRule basebandRule = BasebandSingle;
    QStringList basebandGenerators;
    qint32 markers = 4;

    // Ramp time, rise delay, fall delay, level attenuation: minimum and maximum each.
    double rampLimits[8] = {0.25, 16.0, -4.0, 4.0, -4.0, 4.0, 0.0, 50.0};

    bool twoPathDigitalStandards = false;

    SymbolRateLimits symbolRates;
    // When symbolRateOption is installed, symbolRatesWithOption replaces symbolRates.
    QString symbolRateOption;
    SymbolRateLimits symbolRatesWithOption;
    QString fskDeviationMax; // kHz
    bool qam4096 = false;

    QVector<MarkerRouteTemplate> pathAMarkers;
    QVector<MarkerRouteTemplate> pathBMarkers; // empty: the model describes path A only
    QStringList routableOutputs;

    // Operations.
    bool singlePath = false;      // every path operation ignores a path other than 1
    bool massStorageDrive = true; // the default directory needs "MMEMory:MSIS" first
    EnuMarkerRouting markerRouting = MarkerRoutingSource;
};

// Markers with fixed outputs first, then the routable ones.
inline QVector<MarkerRouteTemplate> markerRouteTemplates(const QStringList &lstFixedOutputs, int intRoutable)
{
    QVector<MarkerRouteTemplate> vecRoutes;
    for (const QString &strOutput : lstFixedOutputs)
        vecRoutes.append(MarkerRouteTemplate{false, strOutput});
    for (int intIndex = 0; intIndex < intRoutable; ++intIndex)
        vecRoutes.append(MarkerRouteTemplate{true, QString()});
    return vecRoutes;
}

// "USER1" to "USER<count>".
inline QStringList userOutputs(int intCount)
{
    QStringList lstOutputs;
    for (int intIndex = 1; intIndex <= intCount; ++intIndex)
        lstOutputs << QStringLiteral("USER%1").arg(intIndex);
    return lstOutputs;
}

#endif
