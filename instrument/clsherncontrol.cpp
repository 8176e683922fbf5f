#include "instrument/clsherncontrol.h"

#include "instrument/clssiggenoptions.h"
#include "instrument/options_codes.h"

ClsHERNControl::ClsHERNControl(const QString &strResource) : ClsModelControl(strResource, description())
{
    initModelDatabase();
}

ModelDescription ClsHERNControl::description()
{
    using namespace SigGenOptionCodes::Hern;
    ModelDescription model;
    model.traceTag = QStringLiteral("CHERNCT ");
    model.shortName = QStringLiteral("HERN");
    model.optionModel = ClsSigGenOptions::ModelHERN330X;
    model.pathSeparator = QLatin1Char('/');
    model.rootDir = QStringLiteral("/var/user/");
    model.pathAFrequency = {{RfPathA3200MHz, 9e3, 3.2e9}, {RfPathA6GHz, 9e3, 6e9}};
    model.pathALevel = {-145.0, 30.0, QString(), 0.0};
    model.markers = 2;
    model.symbolRates = {QStringLiteral("0.05"), QStringLiteral("50000"), QStringLiteral("40000"),
                         QStringLiteral("40000")};
    model.symbolRateOption = SymbolRateExtension;
    model.symbolRatesWithOption = {QStringLiteral("0.05"), QStringLiteral("60000"), QStringLiteral("50000"),
                                   QStringLiteral("50000")};
    model.fskDeviationMax = QStringLiteral("15000");
    model.pathAMarkers = markerRouteTemplates({QStringLiteral("Marker1"), QStringLiteral("Marker2")}, 0);
    model.singlePath = true;
    model.massStorageDrive = false;
    model.markerRouting = ModelDescription::MarkerRoutingNone;
    return model;
}
