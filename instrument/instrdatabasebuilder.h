#ifndef LISTFORGE_INSTRUMENT_INSTRDATABASEBUILDER_H
#define LISTFORGE_INSTRUMENT_INSTRDATABASEBUILDER_H

#include "instrument/instrdatabase.h"
#include "instrument/modeldescription.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class ClsSigGenOptions;

// Builds a model's instrument description from its constants and the installed options. Pure
// functions without instrument access, so that every rule can be checked on its own.
namespace InstrDatabaseBuilder {

// The "*OPT?" text split at every "," (empty parts kept) and put in option order.
QStringList installedOptionList(const QString &strOptionsText);

qint32 rfPathCount(const ModelDescription &model, const QStringList &lstOptions);
qint32 basebandPathCount(const ModelDescription &model, const QStringList &lstOptions);

// Minimum and maximum of the last option of the table that is installed; 0 and 0 when none
// is. Returns whether one was found.
bool frequencyLimits(const QVector<RfFrequencyOption> &vecTable, const QStringList &lstOptions,
                     double &dblMin, double &dblMax);
void levelLimits(const RfLevelRange &range, const QStringList &lstOptions, double &dblMin, double &dblMax);

// Descriptions of the installed options of one category (4 internal, 5 external digital
// standards). Two-path models name every standard once for path A and a second licence of it
// once for path B; single-path models list every installed entry for path A.
void digitalStandards(const ClsSigGenOptions &options, const QStringList &lstOptions, qint32 intCategory,
                      bool bolTwoPaths, QStringList &lstPathA, QStringList &lstPathB);

QMap<QString, DataSourceInfo> dataSourceTable();
QMap<QString, ModulationInfo> modulationTable(const ModelDescription &model, const QStringList &lstOptions);
QMap<QString, FilterInfo> filterTable();
QList<QList<MarkerRoute>> markerRouteTable(const ModelDescription &model);
QMap<QString, bool> outputUseMap(const ModelDescription &model);

// Everything of the database but the options text. Returns false when no path-A frequency
// option is installed (the limits of path A then stay 0).
bool fill(const ModelDescription &model, const QStringList &lstOptions, const ClsSigGenOptions &options,
          InstrDatabase &database);

} // namespace InstrDatabaseBuilder

#endif
