#include "sim/simmodels.h"

#include "instrument/options_codes.h"

namespace {
// The option codes, limits and default option sets of the five models. The codes come from the
// program's own option code list, so that simulator and program cannot drift apart; the limits
// are those of the program's model database. Each default set shows its model at its richest:
// both RF and baseband paths where the model has them, high power, and a few digital standards,
// one licensed twice.
QVector<SimModel> buildModels()
{
    namespace Codes = SigGenOptionCodes;
    QVector<SimModel> models;

    SimModel gkr;
    gkr.name = "GKR550X";
    gkr.partNumber = "1427.5004K02";
    gkr.firmware = "4.70.026.12";
    gkr.defaultSerial = "102030";
    gkr.driveLetters = true;
    gkr.pathAFrequency = {{Codes::Gkr::RfPathA2200MHz, 1e5, 2.2e9},
                          {Codes::Gkr::RfPathA3GHz, 1e5, 3e9},
                          {Codes::Gkr::RfPathA4GHz, 1e5, 4e9},
                          {Codes::Gkr::RfPathA6GHz, 1e5, 6e9}};
    gkr.pathBFrequency = {{Codes::Gkr::RfPathB2200MHz, 1e5, 2.2e9}, {Codes::Gkr::RfPathB3GHz, 1e5, 3e9}};
    gkr.highPowerA = Codes::Gkr::HighPowerPathA;
    gkr.highPowerB = Codes::Gkr::HighPowerPathB;
    gkr.basebandGenerators = QStringList{Codes::Gkr::BasebandGenerator64MS, Codes::Gkr::BasebandGenerator16MS,
                                         Codes::Gkr::BasebandGenerator128MS};
    gkr.defaultOptions = "GKR-B10,GKR-B10,GKR-B14,GKR-B31,GKR-B32,GKR-B106,GKR-B203,GKR-K30,GKR-K40,GKR-K42,"
                         "GKR-K42,GKR-K53,GKR-K61,GKR-K253";
    models.append(gkr);

    SimModel ploxa = gkr;
    ploxa.name = "PLOXA550X";
    ploxa.partNumber = "1428.3005K02";
    ploxa.firmware = "3.20.390.24";
    ploxa.defaultSerial = "103040";
    ploxa.pathAFrequency = {{Codes::Ploxa::RfPathA3GHz, 1e5, 3e9}, {Codes::Ploxa::RfPathA6GHz, 1e5, 6e9}};
    ploxa.pathBFrequency = {{Codes::Ploxa::RfPathB3GHz, 1e5, 3e9}, {Codes::Ploxa::RfPathB6GHz, 1e5, 6e9}};
    ploxa.highPowerA = Codes::Ploxa::HighPowerPathA;
    ploxa.highPowerB = Codes::Ploxa::HighPowerPathB;
    ploxa.basebandGenerators =
        QStringList{Codes::Ploxa::BasebandGenerator64MS, Codes::Ploxa::BasebandGenerator16MS,
                    Codes::Ploxa::BasebandGenerator128MS};
    ploxa.defaultOptions = "PLOXA-B10,PLOXA-B11,PLOXA-B31,PLOXA-B32,PLOXA-B106,PLOXA-B206,PLOXA-K40,"
                           "PLOXA-K42,PLOXA-K42,PLOXA-K53,PLOXA-K61";
    models.append(ploxa);

    SimModel dvt = gkr;
    dvt.name = "DVT330X";
    dvt.partNumber = "1419.8003K02";
    dvt.firmware = "2.10.111.53";
    dvt.defaultSerial = "104050";
    dvt.pathAFrequency = {{Codes::Dvt::RfPathA3GHz, 1e5, 3e9}, {Codes::Dvt::RfPathA6GHz, 1e5, 6e9}};
    dvt.pathBFrequency.clear();
    dvt.highPowerA.clear();
    dvt.highPowerB.clear();
    dvt.basebandGenerators.clear();
    dvt.defaultOptions = "DVT-B10,DVT-B106,DVT-K40,DVT-K42,DVT-K48,DVT-K53,DVT-K61,DVT-K242";
    models.append(dvt);

    SimModel hern;
    hern.name = "HERN330X";
    hern.partNumber = "1423.1003K02";
    hern.firmware = "1.50.044.18";
    hern.defaultSerial = "105060";
    hern.driveLetters = false;
    hern.pathAFrequency = {{Codes::Hern::RfPathA3200MHz, 9e3, 3.2e9}, {Codes::Hern::RfPathA6GHz, 9e3, 6e9}};
    hern.levelMaxStandard = 30;
    hern.markers = 2;
    hern.userOutputs = 0;
    hern.symbolRateMin = 50;
    hern.symbolRatePsk = 50e6;
    hern.symbolRateMsk = 40e6;
    hern.symbolRateFsk = 40e6;
    hern.symbolRateOption = Codes::Hern::SymbolRateExtension;
    hern.symbolRatePskWithOption = 60e6;
    hern.symbolRateOtherWithOption = 50e6;
    hern.defaultOptions =
        "HERN-B10,HERN-B106,HERN-K30,HERN-K40,HERN-K42,HERN-K53,HERN-K61,HERN-K253,HERN-K520";
    models.append(hern);

    SimModel zoy;
    zoy.name = "ZOY550X";
    zoy.partNumber = "1430.8002K02";
    zoy.firmware = "5.00.122.24";
    zoy.defaultSerial = "106070";
    zoy.driveLetters = false;
    zoy.pathAFrequency = {{Codes::Zoy::RfPathA3GHz, 1e5, 3e9},         {Codes::Zoy::RfPathA6GHz, 1e5, 6e9},
                          {Codes::Zoy::RfPathA12750MHz, 1e5, 12.75e9}, {Codes::Zoy::RfPathA20GHz, 1e5, 20e9},
                          {Codes::Zoy::RfPathA31800MHz, 1e5, 31.8e9},  {Codes::Zoy::RfPathA40GHz, 1e5, 40e9}};
    zoy.pathBFrequency = {{Codes::Zoy::RfPathB3GHz, 1e5, 3e9},
                          {Codes::Zoy::RfPathB6GHz, 1e5, 6e9},
                          {Codes::Zoy::RfPathB12750MHz, 1e5, 12.75e9},
                          {Codes::Zoy::RfPathB20GHz, 1e5, 20e9}};
    zoy.levelMaxStandard = 30;
    zoy.basebandGenerators =
        QStringList{Codes::Zoy::WidebandBasebandGenerator, Codes::Zoy::BasebandGenerator};
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
    zoy.symbolRateOption = Codes::Zoy::WidebandBasebandGenerator;
    zoy.symbolRatePskWithOption = 600e6;
    zoy.symbolRateOtherWithOption = 600e6;
    zoy.fskDeviationMaxHz = 40e6;
    zoy.defaultOptions =
        "ZOY-B9,ZOY-B9,ZOY-B14,ZOY-B140,ZOY-B220,ZOY-K40,ZOY-K42,ZOY-K42,ZOY-K53,ZOY-K61,ZOY-K253";
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
