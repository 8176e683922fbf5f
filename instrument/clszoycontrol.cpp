#include "instrument/clszoycontrol.h"

#include "instrument/clssiggenoptions.h"
#include "instrument/options_codes.h"

ClsZOYControl::ClsZOYControl(const QString &strResource) : ClsModelControl(strResource, description())
{
    initModelDatabase();
}

ModelDescription ClsZOYControl::description()
{
    using namespace SigGenOptionCodes::Zoy;
    ModelDescription model;
    model.traceTag = QStringLiteral("CZOYCT  ");
    model.shortName = QStringLiteral("ZOY");
    model.optionModel = ClsSigGenOptions::ModelZOY550X;
    model.pathSeparator = QLatin1Char('/');
    model.rootDir = QStringLiteral("/var/user/");
    model.pathAFrequency = {{RfPathA3GHz, 1e5, 3e9},         {RfPathA6GHz, 1e5, 6e9},
                            {RfPathA12750MHz, 1e5, 12.75e9}, {RfPathA20GHz, 1e5, 20e9},
                            {RfPathA31800MHz, 1e5, 31.8e9},  {RfPathA40GHz, 1e5, 40e9}};
    model.pathBFrequency = {{RfPathB3GHz, 1e5, 3e9},
                            {RfPathB6GHz, 1e5, 6e9},
                            {RfPathB12750MHz, 1e5, 12.75e9},
                            {RfPathB20GHz, 1e5, 20e9}};
    model.pathALevel = {-145.0, 30.0, QString(), 0.0};
    model.pathBLevel = {-145.0, 30.0, QString(), 0.0};
    model.basebandRule = ModelDescription::BasebandDoubleOnly;
    model.basebandGenerators = QStringList{WidebandBasebandGenerator, BasebandGenerator};
    model.markers = 3;
    model.rampLimits[2] = 0.0; // rise delay minimum
    model.rampLimits[4] = 0.0; // fall delay minimum
    model.twoPathDigitalStandards = true;
    model.symbolRates = {QStringLiteral("0.05"), QStringLiteral("100000"), QStringLiteral("100000"),
                         QStringLiteral("100000")};
    model.symbolRateOption = WidebandBasebandGenerator;
    model.symbolRatesWithOption = {QStringLiteral("0.05"), QStringLiteral("600000"), QStringLiteral("600000"),
                                   QStringLiteral("600000")};
    model.fskDeviationMax = QStringLiteral("40000");
    model.qam4096 = true;
    model.pathAMarkers = markerRouteTemplates({}, 3);
    model.pathBMarkers = markerRouteTemplates({}, 3);
    model.routableOutputs = userOutputs(6);
    model.massStorageDrive = false;
    model.markerRouting = ModelDescription::MarkerRoutingDirectionSignal;
    return model;
}
