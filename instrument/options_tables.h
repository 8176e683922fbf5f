#ifndef LISTFORGE_INSTRUMENT_OPTIONS_TABLES_H
#define LISTFORGE_INSTRUMENT_OPTIONS_TABLES_H

#include "instrument/clssiggenoptions.h"

#include <QVector>

// The option tables of the five models, one source file each. Rows are listed category by
// category in the order RF, BB, Multi Channel/MIMO/Fading, Noise, Misc, DigStdInt, DigStdExt,
// GNSSInt, which is also the order they are inserted in.
namespace SigGenOptionTables {

inline constexpr char KeyRF[] = "RF";
inline constexpr char KeyBB[] = "BB";
inline constexpr char KeyMultiChannel[] = "Multi Channel/MIMO/Fading";
inline constexpr char KeyNoise[] = "Noise";
inline constexpr char KeyDigStdInt[] = "DigStdInt";
inline constexpr char KeyDigStdExt[] = "DigStdExt";
inline constexpr char KeyGNSSInt[] = "GNSSInt";
inline constexpr char KeyMisc[] = "Misc";

QVector<SigGenOptionRow> dvtRows();
QVector<SigGenOptionRow> gkrRows();
QVector<SigGenOptionRow> ploxaRows();
QVector<SigGenOptionRow> hernRows();
QVector<SigGenOptionRow> zoyRows();

} // namespace SigGenOptionTables

#endif
