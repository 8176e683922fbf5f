#ifndef LISTFORGE_LISTS_PACKEDDATALIST_H
#define LISTFORGE_LISTS_PACKEDDATALIST_H

#include "lists/datafiledecoders.h"
#include "lists/datalistfile.h"
#include "lists/listresult.h"
#include "lists/packedbits.h"

#include <QString>

// A data list built from the same sources, with the same refusals, as DataList, but held packed
// (an eighth of the memory): for lists that are only written out, and for staging a file source
// that DataList expands only once it is known good. `bitsBefore` counts bits that will precede
// this list, so that the range check is on the total the user ends up with.
class PackedDataList
{
public:
    explicit PackedDataList(qint64 bitsBefore = 0) : m_before(bitsBefore) {}

    qint64 size() const { return m_bits.size(); }
    const PackedBits &bits() const { return m_bits; }

    // As the DataList operations of the same names (texts, newBits, order of the checks).
    ListResult applyPrbs(int order, qint64 count, bool append);
    ListResult applyPattern(const QString &pattern, qint64 count, bool append);
    ListResult applySequence(const QString &sequenceName, qint64 count, bool append);
    ListResult applyDataFile(DataFileFormat format, const QString &path, bool append,
                             const ProgressFn &progress = {});
    ListResult applyDataListFile(const QString &path, bool append, const ProgressFn &progress = {});

    ListResult writeBinary(const QString &path, const DataListHeader &header) const;
    ListResult writeAscii(const QString &path) const;

private:
    // The total check of a source of `count` bits; true when it may be added.
    bool fits(qint64 count, bool append) const;
    // Room for `count` more bits (all of the list when replacing).
    void prepare(qint64 count, bool append);
    // Takes decoded bits as the list or behind it, after the total check.
    ListResult adopt(PackedBits staged, bool append);

    qint64 m_before = 0;
    PackedBits m_bits;
};

#endif
