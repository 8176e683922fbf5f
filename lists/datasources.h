#ifndef LISTFORGE_LISTS_DATASOURCES_H
#define LISTFORGE_LISTS_DATASOURCES_H

#include "lists/listresult.h"
#include "lists/packedbits.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The data sources of a data list, their names as the user sees them, the fixed sequences, the
// pattern fill and the automatic header comment.
namespace DataSources {

// "PRBS", "Pattern", "Sequence", "ASCII-file Bit", "ASCII-file Hex", "Binary-file Hex",
// "Data-list" (the items of the source combo box, in this order).
QStringList sourceNames();

// "0...", "1...", "10...", "1100...", "111000...", "11110000..." (the sequence combo box).
QStringList sequenceNames();
// The repeated unit of a sequence: its name with every "." removed ("1100..." -> "1100").
QString sequencePattern(const QString &sequenceName);

// Keeps only the characters "0" and "1" of a user pattern ("10x1 0" -> "1010").
QString filterPattern(const QString &text);

// Writes count characters, element i = pattern[i mod pattern length]. pattern must be non-empty
// and hold only "0"/"1"; dst must hold count bytes. Progress as in ProgressFn.
void fillPattern(char *dst, qint64 count, const QByteArray &pattern, const ProgressFn &progress = {});
// The same `count` bits packed, handed to `sink` in blocks.
void fillPatternPacked(qint64 count, const QByteArray &pattern, const PackedSink &sink);

// The comment the dialog writes into the header while the manual comment is off:
//   PRBS:                 "%1, %2 symbols, %3 bits, %4"                  (%4 = "PRBS9" ...)
//   Pattern:              "%1, %2 symbols, %3 bits, Pattern: %4"         (%4 empty -> "None")
//   Sequence:             "%1, %2 symbols, %3 bits, Sequence: %4"        (%4 = "1100...")
//   the three data files: "%1, %2 symbols, %3 bits, Data file: %4"       (empty %4: no suffix)
//   Data-list:            "%1, %2 symbols, %3 bits, Data list file: %4"  (empty %4: no suffix)
// %1 = modulation type, %2 = symbol count, %3 = bit count, %4 = `detail`. Unknown source names
// give "%1, %2 symbols, %3 bits".
QString automaticComment(const QString &sourceName, const QString &modType, qint64 symbols, qint64 bits,
                         const QString &detail);

} // namespace DataSources

#endif
