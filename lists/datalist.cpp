#include "lists/datalist.h"

#include "lists/datasources.h"
#include "lists/listmessages.h"
#include "lists/packeddatalist.h"
#include "lists/prbsgenerator.h"

#include <algorithm>
#include <cstring>
#include <utility>

QByteArray DataList::mid(qint64 start, qint64 count) const
{
    if (start < 0 || start >= size() || count <= 0)
        return QByteArray();
    return m_bits.mid(int(start), int(std::min(count, size() - start)));
}

void DataList::clear()
{
    m_bits = QByteArray();
}

char *DataList::prepare(qint64 count, bool append)
{
    // Resizing in place keeps the existing allocation (and its already touched pages) whenever
    // it is big enough; the new bits are written straight into it, never into a second buffer.
    const qint64 offset = append ? size() : 0;
    const char *before = m_bits.constData();
    m_bits.resize(int(offset + count));
    if (m_bits.constData() != before)
        PackedBits::adviseHugePages(m_bits.data() + offset, count);
    return m_bits.data() + offset;
}

ListResult DataList::applyPrbs(int order, qint64 count, bool append, const ProgressFn &progress)
{
    if (!ClsPrbsGenerator::isValidOrder(order) || !isTotalInRange(appendTotal(count, append)))
        return ListMessages::totalOutOfRange();
    ClsPrbsGenerator().generate(prepare(count, append), order, count, progress);
    return ListResult::success(count);
}

ListResult DataList::applyPattern(const QString &pattern, qint64 count, bool append,
                                  const ProgressFn &progress)
{
    if (!isTotalInRange(appendTotal(count, append)))
        return ListMessages::totalOutOfRange();
    const QByteArray bits = DataSources::filterPattern(pattern).toLatin1();
    if (bits.isEmpty())
        return ListResult::success(0);
    DataSources::fillPattern(prepare(count, append), count, bits, progress);
    return ListResult::success(count);
}

ListResult DataList::applySequence(const QString &sequenceName, qint64 count, bool append,
                                   const ProgressFn &progress)
{
    return applyPattern(DataSources::sequencePattern(sequenceName), count, append, progress);
}

ListResult DataList::applyDataFile(DataFileFormat format, const QString &path, bool append,
                                   const ProgressFn &progress)
{
    PackedDataList staged(append ? size() : 0);
    const ListResult result = staged.applyDataFile(format, path, false, progress);
    if (!result)
        return result;
    return applyPacked(staged.bits(), append, progress);
}

ListResult DataList::applyDataListFile(const QString &path, bool append, const ProgressFn &progress)
{
    PackedDataList staged(append ? size() : 0);
    const ListResult result = staged.applyDataListFile(path, false, progress);
    if (!result)
        return result;
    return applyPacked(staged.bits(), append, progress);
}

ListResult DataList::applyPacked(const PackedBits &bits, bool append, const ProgressFn &progress)
{
    const qint64 count = bits.size();
    if (!isTotalInRange(appendTotal(count, append))) {
        ListResult refused = ListMessages::totalOutOfRange();
        refused.newBits = count;
        return refused;
    }
    // The new bits are complete and checked: the old list goes before the new one is expanded, so
    // a replacing load never holds two full-size lists.
    if (!append)
        clear();
    char *dst = prepare(count, append);
    constexpr qint64 Slice = ProgressStepBits;
    for (qint64 pos = 0; pos < count; pos += Slice) {
        const qint64 n = std::min(Slice, count - pos);
        bits.unpack(pos, n, dst + pos);
        if (progress)
            progress(pos + n);
    }
    return ListResult::success(count);
}

ListResult DataList::applyBits(QByteArray bits, bool append)
{
    const qint64 count = bits.size();
    if (!isTotalInRange(appendTotal(count, append))) {
        ListResult refused = ListMessages::totalOutOfRange();
        refused.newBits = count;
        return refused;
    }
    if (append)
        m_bits.append(bits);
    else
        m_bits.swap(bits);
    return ListResult::success(count);
}

bool DataList::replaceBits(qint64 start, const QByteArray &text)
{
    if (start < 0 || text.isEmpty() || start + text.size() > size())
        return false;
    for (const char c : text) {
        if (c != '0' && c != '1')
            return false;
    }
    std::memcpy(m_bits.data() + start, text.constData(), size_t(text.size()));
    return true;
}

ListResult DataList::writeBinary(const QString &path, const DataListHeader &header,
                                 const ProgressFn &progress) const
{
    return DataListFiles::writeBinary(path, constData(), size(), header, progress);
}

ListResult DataList::writeAscii(const QString &path, const ProgressFn &progress) const
{
    return DataListFiles::writeAscii(path, constData(), size(), progress);
}
