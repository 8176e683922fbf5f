#ifndef LISTFORGE_LISTS_DATALIST_H
#define LISTFORGE_LISTS_DATALIST_H

// Widget-free data list engine, shared by the list management dialog, listforge-cli, the tests
// and the fuzzers. Headers:
//   lists/listresult.h       ListResult (success or refusal with the exact texts), ProgressFn
//   lists/listmessages.h     the refusal texts
//   lists/modtypeinfo.h      ModTypeInfo and the modulation table
//   lists/prbsgenerator.h    ClsPrbsGenerator (PRBS9 ... PRBS23)
//   lists/datasources.h      source and sequence names, pattern filter/fill, automatic comment
//   lists/datafiledecoders.h ASCII-bit, ASCII-hex and binary data file decoders
//   lists/datalistfile.h     .dm_iqd header, reader and writer; .dm_iqda writer
//   lists/datalist.h         DataList: the bit buffer and the operations that fill it (this file)
// Nothing here uses widgets; long operations report progress through a ProgressFn.

#include "lists/datafiledecoders.h"
#include "lists/datalistfile.h"
#include "lists/listresult.h"
#include "lists/packedbits.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The data list: one byte per bit, "0" (0x30) or "1" (0x31), element 0 sent first; nothing else
// is ever stored. Every apply* operation either succeeds or returns a refusal and leaves the list
// exactly as it was. `append` false replaces the list, true adds behind it; the range check is
// always on the resulting total (0 < total <= MaxBits).
class DataList
{
public:
    static constexpr qint64 MaxBits = 250000000;

    // 0 < total <= MaxBits.
    static bool isTotalInRange(qint64 total) { return total > 0 && total <= MaxBits; }
    // The total an operation would produce: newBits, plus the current length when appending.
    qint64 appendTotal(qint64 newBits, bool append) const { return append ? newBits + size() : newBits; }

    qint64 size() const { return m_bits.size(); }
    bool isEmpty() const { return m_bits.isEmpty(); }
    const QByteArray &bits() const { return m_bits; }
    const char *constData() const { return m_bits.constData(); }
    // Up to `count` bits from `start` (fewer at the end; empty when start is outside).
    QByteArray mid(qint64 start, qint64 count) const;

    // Empties the list and releases its memory.
    void clear();

    // PRBS of `order` with `count` bits. Refusal: "Total amount (current + new) of data bits is
    // outside the specified range!". An invalid order is refused with the same text.
    ListResult applyPrbs(int order, qint64 count, bool append, const ProgressFn &progress = {});

    // Pattern fill: the range check of the total comes first (same text as PRBS); then the pattern
    // is filtered to "0"/"1" (DataSources::filterPattern). An empty filtered pattern adds nothing:
    // the result is a success with newBits == 0 and the list unchanged.
    ListResult applyPattern(const QString &pattern, qint64 count, bool append,
                            const ProgressFn &progress = {});
    // Sequence fill: as applyPattern with DataSources::sequencePattern(sequenceName).
    ListResult applySequence(const QString &sequenceName, qint64 count, bool append,
                             const ProgressFn &progress = {});

    // Data file import: decode, then range check of the decoded count alone
    // ("Amount of data bits in data file '%1' is outside the specified range!", trace text with
    // "the data file"), then of the total (PRBS text). "Unable to open data file '%1'!" when it
    // cannot be opened. newBits = decoded count (also on a refused total).
    ListResult applyDataFile(DataFileFormat format, const QString &path, bool append,
                             const ProgressFn &progress = {});

    // .dm_iqd import: DataListFileReader refusals, then the total check (PRBS text).
    // newBits = the file's bit count (also on a refused total).
    ListResult applyDataListFile(const QString &path, bool append, const ProgressFn &progress = {});

    // Adds bits decoded packed elsewhere (PackedDataList stages file sources that way). Total
    // check only; when replacing, the old list is released before the new bits are expanded.
    ListResult applyPacked(const PackedBits &bits, bool append, const ProgressFn &progress = {});

    // Adds already decoded "0"/"1" bits (moved in when replacing: no copy). Total check only.
    ListResult applyBits(QByteArray bits, bool append);

    // Cell edit: overwrites bits [start, start + text length) with `text`. Returns false and
    // changes nothing when text holds anything but "0"/"1" or the range is outside the list.
    bool replaceBits(qint64 start, const QByteArray &text);

    // Writers of the current list (see DataListFiles for texts and behaviour).
    ListResult writeBinary(const QString &path, const DataListHeader &header,
                           const ProgressFn &progress = {}) const;
    ListResult writeAscii(const QString &path, const ProgressFn &progress = {}) const;

private:
    // Makes room for `count` new bits (at the end when appending, else the whole list) and
    // returns where they go. Reuses the existing allocation where it can.
    char *prepare(qint64 count, bool append);

    QByteArray m_bits;
};

#endif
