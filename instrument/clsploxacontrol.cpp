#include "instrument/clsploxacontrol.h"

#include "instrument/clssiggenoptions.h"
#include "instrument/options_codes.h"

ClsPLOXAControl::ClsPLOXAControl(const QString &strResource) : ClsModelControl(strResource, description())
{
    initModelDatabase();
}

ModelDescription ClsPLOXAControl::description()
{
    using namespace SigGenOptionCodes::Ploxa;
    ModelDescription model;
    model.traceTag = QStringLiteral("CPLOXACT");
    model.shortName = QStringLiteral("PLOXA");
    model.optionModel = ClsSigGenOptions::ModelPLOXA550X;
    model.pathSeparator = QLatin1Char('\\');
    model.drive = QStringLiteral("D:");
    model.rootDir = QStringLiteral("\\");
    model.pathAFrequency = {{RfPathA3GHz, 1e5, 3e9}, {RfPathA6GHz, 1e5, 6e9}};
    model.pathBFrequency = {{RfPathB3GHz, 1e5, 3e9}, {RfPathB6GHz, 1e5, 6e9}};
    model.pathALevel = {-145.0, 20.0, HighPowerPathA, 30.0};
    model.pathBLevel = {-145.0, 20.0, HighPowerPathB, 30.0};
    model.basebandRule = ModelDescription::BasebandTwoOfAnyOrDouble;
    model.basebandGenerators = QStringList{BasebandGenerator64MS, BasebandGenerator16MS, BasebandGenerator128MS};
    model.twoPathDigitalStandards = true;
    model.symbolRates = {QStringLiteral("0.4"), QStringLiteral("25000"), QStringLiteral("20000"),
                         QStringLiteral("15000")};
    model.fskDeviationMax = QStringLiteral("15000");
    model.pathAMarkers = markerRouteTemplates(
        {QStringLiteral("Marker1"), QStringLiteral("Marker2"), QStringLiteral("AuxIO-Pin41")}, 1);
    model.pathBMarkers = markerRouteTemplates(
        {QStringLiteral("Marker1B"), QStringLiteral("AuxIO-Pin42"), QStringLiteral("AuxIO-Pin43")}, 1);
    model.routableOutputs = userOutputs(4);
    return model;
}
