#include "sim/simmodels.h"

namespace {
// The option codes and default option sets of the five models. The option database of the
// program side names the same codes; keep the two in step when a code changes.
QVector<SimModel> buildModels()
{
    QVector<SimModel> models;

    SimModel gkr;
    gkr.name = "GKR550X";
    gkr.partNumber = "1427.5004K02";
    gkr.firmware = "4.70.026.12";
    gkr.defaultSerial = "102030";
    gkr.driveLetters = true;
    gkr.pathAFrequency = {
        {"GKR-B102", 1e5, 2.2e9}, {"GKR-B103", 1e5, 3e9}, {"GKR-B104", 1e5, 4e9}, {"GKR-B106", 1e5, 6e9}};
    gkr.pathBFrequency = {{"GKR-B202", 1e5, 2.2e9}, {"GKR-B203", 1e5, 3e9}};
    gkr.highPowerA = "GKR-B31";
    gkr.highPowerB = "GKR-B36";
    gkr.basebandGenerators = QStringList{"GKR-B10", "GKR-B11", "GKR-B13"};
    gkr.defaultOptions = "GKR-B10,GKR-B10,GKR-B13,GKR-B31,GKR-B36,GKR-B106,GKR-B203,GKR-K40,GKR-K42,"
                         "GKR-K42,GKR-K55,GKR-K62";
    models.append(gkr);

    SimModel ploxa = gkr;
    ploxa.name = "PLOXA550X";
    ploxa.partNumber = "1428.3005K02";
    ploxa.firmware = "3.20.390.24";
    ploxa.defaultSerial = "103040";
    ploxa.pathAFrequency = {{"PLOXA-B103", 1e5, 3e9}, {"PLOXA-B106", 1e5, 6e9}};
    ploxa.pathBFrequency = {{"PLOXA-B203", 1e5, 3e9}, {"PLOXA-B206", 1e5, 6e9}};
    ploxa.highPowerA = "PLOXA-B31";
    ploxa.highPowerB = "PLOXA-B36";
    ploxa.basebandGenerators = QStringList{"PLOXA-B10", "PLOXA-B11", "PLOXA-B13"};
    ploxa.defaultOptions = "PLOXA-B10,PLOXA-B11,PLOXA-B31,PLOXA-B36,PLOXA-B106,PLOXA-B206,PLOXA-K40,"
                           "PLOXA-K42,PLOXA-K62";
    models.append(ploxa);

    SimModel dvt = gkr;
    dvt.name = "DVT330X";
    dvt.partNumber = "1419.8003K02";
    dvt.firmware = "2.10.111.53";
    dvt.defaultSerial = "104050";
    dvt.pathAFrequency = {{"DVT-B103", 1e5, 3e9}, {"DVT-B106", 1e5, 6e9}};
    dvt.pathBFrequency.clear();
    dvt.highPowerA.clear();
    dvt.highPowerB.clear();
    dvt.basebandGenerators.clear();
    dvt.defaultOptions = "DVT-B10,DVT-B106,DVT-K40,DVT-K42,DVT-K62";
    models.append(dvt);

    SimModel hern;
    hern.name = "HERN330X";
    hern.partNumber = "1423.1003K02";
    hern.firmware = "1.50.044.18";
    hern.defaultSerial = "105060";
    hern.driveLetters = false;
    hern.pathAFrequency = {{"HERN-B103", 9e3, 3.2e9}, {"HERN-B106", 9e3, 6e9}};
    hern.levelMaxStandard = 30;
    hern.markers = 2;
    hern.userOutputs = 0;
    hern.symbolRateMin = 50;
    hern.symbolRatePsk = 50e6;
    hern.symbolRateMsk = 40e6;
    hern.symbolRateFsk = 40e6;
    hern.symbolRateOption = "HERN-K525";
    hern.symbolRatePskWithOption = 60e6;
    hern.symbolRateOtherWithOption = 50e6;
    hern.defaultOptions = "HERN-B10,HERN-B106,HERN-K40,HERN-K42,HERN-K62,HERN-K525";
    models.append(hern);

    SimModel zoy;
    zoy.name = "ZOY550X";
    zoy.partNumber = "1430.8002K02";
    zoy.firmware = "5.00.122.24";
    zoy.defaultSerial = "106070";
    zoy.driveLetters = false;
    zoy.pathAFrequency = {{"ZOY-B1003", 1e5, 3e9},  {"ZOY-B1006", 1e5, 6e9},    {"ZOY-B1012", 1e5, 12.75e9},
                          {"ZOY-B1020", 1e5, 20e9}, {"ZOY-B1031", 1e5, 31.8e9}, {"ZOY-B1040", 1e5, 40e9}};
    zoy.pathBFrequency = {{"ZOY-B2003", 1e5, 3e9},
                          {"ZOY-B2006", 1e5, 6e9},
                          {"ZOY-B2012", 1e5, 12.75e9},
                          {"ZOY-B2020", 1e5, 20e9}};
    zoy.levelMaxStandard = 30;
    zoy.basebandGenerators = QStringList{"ZOY-B13", "ZOY-B14"};
    zoy.twoBasebandsNeedDuplicate = true;
    zoy.markers = 3;
    zoy.userOutputs = 6;
    zoy.markerSignalRouting = true;
    zoy.rampDelayMin = 0;
    zoy.qam4096 = true;
    zoy.symbolRateMin = 50;
    zoy.symbolRatePsk = 100e6;
    zoy.symbolRateMsk = 100e6;
    zoy.symbolRateFsk = 100e6;
    zoy.symbolRateOption = "ZOY-B9"; // wideband baseband
    zoy.symbolRatePskWithOption = 600e6;
    zoy.symbolRateOtherWithOption = 600e6;
    zoy.fskDeviationMaxHz = 40e6;
    zoy.defaultOptions = "ZOY-B9,ZOY-B14,ZOY-B14,ZOY-B1040,ZOY-B2020,ZOY-K40,ZOY-K42,ZOY-K55,ZOY-K62";
    models.append(zoy);
    return models;
}

const QVector<SimModel> &models()
{
    static const QVector<SimModel> table = buildModels();
    return table;
}
} // namespace

const SimModel *findSimModel(const QString &name)
{
    for (const SimModel &model : models()) {
        if (model.name.compare(name, Qt::CaseInsensitive) == 0)
            return &model;
    }
    return nullptr;
}

QStringList simModelNames()
{
    QStringList names;
    for (const SimModel &model : models())
        names << model.name;
    return names;
}

SimProfile buildSimProfile(const SimModel &model, const QString &optionText)
{
    SimProfile profile;
    profile.model = &model;
    QString text = optionText;
    text.remove(' ');
    profile.options = text.split(',');
    const QStringList &options = profile.options;

    for (const FrequencyOption &option : model.pathBFrequency) {
        if (options.contains(QLatin1String(option.code)))
            profile.rfPaths = 2;
    }
    if (!model.basebandGenerators.isEmpty()) {
        int kinds = 0;
        bool doubled = false;
        for (const QString &generator : model.basebandGenerators) {
            const int count = options.count(generator);
            kinds += count > 0 ? 1 : 0;
            doubled = doubled || count > 1;
        }
        profile.basebandPaths = doubled || (!model.twoBasebandsNeedDuplicate && kinds > 1) ? 2 : 1;
    }
    for (int path = 0; path < profile.rfPaths; ++path) {
        const QVector<FrequencyOption> &table = path == 0 ? model.pathAFrequency : model.pathBFrequency;
        for (const FrequencyOption &option : table) {
            if (options.contains(QLatin1String(option.code))) {
                profile.frequencyMin[path] = option.minHz;
                profile.frequencyMax[path] = option.maxHz;
            }
        }
        const QString &highPower = path == 0 ? model.highPowerA : model.highPowerB;
        profile.levelMax[path] = !highPower.isEmpty() && options.contains(highPower) ? model.levelMaxHighPower
                                                                                     : model.levelMaxStandard;
    }
    profile.symbolRateOptionPresent =
        !model.symbolRateOption.isEmpty() && options.contains(model.symbolRateOption);
    return profile;
}
