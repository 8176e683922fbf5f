#ifndef LISTFORGE_INSTRUMENT_INSTRDATABASE_H
#define LISTFORGE_INSTRUMENT_INSTRDATABASE_H

// Instrument description that a model class fills once in its constructor and the base class
// hands out. Shared by ClsInstrControl and the generator model classes.

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// One offered data source of the CDM function.
struct DataSourceInfo
{
    bool usesDataList = false;
    QStringList prbsTypes;
};

// One offered modulation; all numbers are kept as the decimal texts the window shows.
struct ModulationInfo
{
    QString bitsPerSymbol;
    QString symbolRateMin;
    QString paramLabel;
    QString paramMin;
    QString paramMax;
    QString symbolRateMax;
    QStringList codings;
};

// One offered filter with up to three parameters ("None" where a parameter does not exist).
struct FilterInfo
{
    QString paramLabels[3];
    QString paramMins[3];
    QString paramMaxs[3];
};

// Where one marker of one path is put out.
struct MarkerRoute
{
    qint32 routable = 0;
    QString fixedOutput;
    QString assignedOutput;
};

// One record of a detailed mass-memory catalog.
struct FileCatalogEntry
{
    QString name;
    QString type; // "DIR" marks a directory
    qint64 size = 0;
};

// Index of the eight CDM ramp limits.
enum EnuCdmRampLimit
{
    RampTimeMin = 0,
    RampTimeMax = 1,
    RampRiseDelayMin = 2,
    RampRiseDelayMax = 3,
    RampFallDelayMin = 4,
    RampFallDelayMax = 5,
    LevelAttenuationMin = 6,
    LevelAttenuationMax = 7
};

struct InstrDatabase
{
    // "*OPT?" reply with every blank removed.
    QString optionsText;

    qint32 numRFPaths = 0;
    qint32 numBBPaths = 0;
    qint32 numMarkers = 0;

    // Index 0 path A, index 1 path B (Hz and dBm).
    double rfFreqMin[2] = {0.0, 0.0};
    double rfFreqMax[2] = {0.0, 0.0};
    double rfLevelMin[2] = {0.0, 0.0};
    double rfLevelMax[2] = {0.0, 0.0};

    // Indexed by EnuCdmRampLimit.
    double cdmRampLimits[8] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};

    // Option descriptions of the digital standards (internal/external, path A/B).
    QStringList digStdIntA;
    QStringList digStdIntB;
    QStringList digStdExtA;
    QStringList digStdExtB;

    QMap<QString, DataSourceInfo> dataSources;
    QMap<QString, ModulationInfo> modulations;
    QMap<QString, FilterInfo> filters;

    // Output name -> in use.
    QMap<QString, bool> outputUse;
    // Outer index path - 1, inner index marker - 1.
    QList<QList<MarkerRoute>> markerRoutes;
};

#endif
