#ifndef LISTFORGE_SIM_SIMMODELS_H
#define LISTFORGE_SIM_SIMMODELS_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// What the simulator knows about the five Tarvik generator models: identity, file system style,
// the option codes that unlock paths and ranges, and the default option set that shows each
// model at its richest.
struct FrequencyOption
{
    const char *code;
    double minHz;
    double maxHz;
};

struct SimModel
{
    QString name;
    QString partNumber;
    QString firmware;
    QString defaultSerial;
    bool driveLetters = false;               // "D:" and backslashes; otherwise "/var/user/" and slashes
    QVector<FrequencyOption> pathAFrequency; // later entries win, as on the instrument
    QVector<FrequencyOption> pathBFrequency; // empty: single RF path model
    QString highPowerA;                      // empty: the level maximum never changes
    QString highPowerB;
    double levelMaxStandard = 20;
    double levelMaxHighPower = 30;
    QStringList basebandGenerators;         // empty: single baseband path
    bool twoBasebandsNeedDuplicate = false; // only a doubled generator gives two basebands
    int markers = 4;
    int userOutputs = 4;              // USERn connectors for marker routing
    bool markerSignalRouting = false; // OUTPut:USERn:DIRection/SIGNal instead of :SOURce
    double rampDelayMin = -4;
    bool qam4096 = false;
    // Symbol rates in Hz: phase/amplitude formats, MSK, FSK and USER.
    double symbolRateMin = 400;
    double symbolRatePsk = 25e6;
    double symbolRateMsk = 20e6;
    double symbolRateFsk = 15e6;
    QString symbolRateOption; // option code that raises the symbol rates
    double symbolRatePskWithOption = 0;
    double symbolRateOtherWithOption = 0;
    double fskDeviationMaxHz = 15e6;
    QString defaultOptions; // the "*OPT?" reply unless --options says otherwise
};

// Returns nullptr for an unknown model name (matched without regard to case).
const SimModel *findSimModel(const QString &name);
QStringList simModelNames();

// The instrument as its options make it: paths and limits.
struct SimProfile
{
    const SimModel *model = nullptr;
    QStringList options;
    int rfPaths = 1;
    int basebandPaths = 1;
    double frequencyMin[2] = {0, 0};
    double frequencyMax[2] = {0, 0};
    double levelMin[2] = {-145, -145};
    double levelMax[2] = {0, 0};
    bool symbolRateOptionPresent = false;
};

SimProfile buildSimProfile(const SimModel &model, const QString &optionText);

#endif
