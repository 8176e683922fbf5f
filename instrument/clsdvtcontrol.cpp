#include "instrument/clsdvtcontrol.h"

#include "instrument/clssiggenoptions.h"
#include "instrument/options_codes.h"

ClsDVTControl::ClsDVTControl(const QString &strResource) : ClsModelControl(strResource, description())
{
    initModelDatabase();
}

ModelDescription ClsDVTControl::description()
{
    using namespace SigGenOptionCodes::Dvt;
    ModelDescription model;
    model.traceTag = QStringLiteral("CDVTCT  ");
    model.shortName = QStringLiteral("DVT");
    model.optionModel = ClsSigGenOptions::ModelDVT330X;
    model.pathSeparator = QLatin1Char('\\');
    model.drive = QStringLiteral("D:");
    model.rootDir = QStringLiteral("\\");
    model.pathAFrequency = {{RfPathA3GHz, 1e5, 3e9}, {RfPathA6GHz, 1e5, 6e9}};
    model.pathALevel = {-145.0, 20.0, QString(), 0.0};
    model.singlePath = true;
    model.symbolRates = {QStringLiteral("0.4"), QStringLiteral("25000"), QStringLiteral("20000"),
                         QStringLiteral("15000")};
    model.fskDeviationMax = QStringLiteral("15000");
    model.pathAMarkers = markerRouteTemplates(
        {QStringLiteral("Marker1"), QStringLiteral("Marker2"), QStringLiteral("AuxIO-Pin41")}, 1);
    model.routableOutputs = userOutputs(4);
    return model;
}
