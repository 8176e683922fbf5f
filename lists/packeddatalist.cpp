#include "lists/packeddatalist.h"

#include "lists/datalist.h"
#include "lists/datasources.h"
#include "lists/listmessages.h"
#include "lists/prbsgenerator.h"

#include <utility>

bool PackedDataList::fits(qint64 count, bool append) const
{
    return DataList::isTotalInRange(m_before + (append ? size() + count : count));
}

void PackedDataList::prepare(qint64 count, bool append)
{
    if (!append)
        m_bits.clear();
    m_bits.reserve(size() + count);
}

ListResult PackedDataList::applyPrbs(int order, qint64 count, bool append)
{
    if (!ClsPrbsGenerator::isValidOrder(order) || !fits(count, append))
        return ListMessages::totalOutOfRange();
    prepare(count, append);
    ClsPrbsGenerator().generatePacked(order, count, m_bits.appender());
    return ListResult::success(count);
}

ListResult PackedDataList::applyPattern(const QString &pattern, qint64 count, bool append)
{
    if (!fits(count, append))
        return ListMessages::totalOutOfRange();
    const QByteArray unit = DataSources::filterPattern(pattern).toLatin1();
    if (unit.isEmpty())
        return ListResult::success(0);
    prepare(count, append);
    DataSources::fillPatternPacked(count, unit, m_bits.appender());
    return ListResult::success(count);
}

ListResult PackedDataList::applySequence(const QString &sequenceName, qint64 count, bool append)
{
    return applyPattern(DataSources::sequencePattern(sequenceName), count, append);
}

ListResult PackedDataList::applyDataFile(DataFileFormat format, const QString &path, bool append,
                                         const ProgressFn &progress)
{
    PackedBits decoded;
    const ListResult result = DataFileDecoders::decodeFilePacked(format, path, decoded, progress);
    if (!result)
        return result;
    return adopt(std::move(decoded), append);
}

ListResult PackedDataList::applyDataListFile(const QString &path, bool append, const ProgressFn &progress)
{
    DataListFileReader reader;
    const ListResult opened = reader.open(path);
    if (!opened)
        return opened;
    const qint64 count = reader.bitCount();
    if (!fits(count, append)) {
        ListResult refused = ListMessages::totalOutOfRange();
        refused.newBits = count;
        return refused;
    }
    // A read error must leave the list as it was, so the bits are staged first.
    PackedBits staged;
    staged.reserve(count);
    const ListResult read = reader.streamPacked(staged.appender(), progress);
    if (!read)
        return read;
    return adopt(std::move(staged), append);
}

ListResult PackedDataList::adopt(PackedBits staged, bool append)
{
    const qint64 count = staged.size();
    if (!fits(count, append)) {
        ListResult refused = ListMessages::totalOutOfRange();
        refused.newBits = count;
        return refused;
    }
    if (append && size() > 0) {
        m_bits.reserve(size() + count);
        m_bits.appendPacked(staged.data(), count);
    } else {
        m_bits = std::move(staged);
    }
    return ListResult::success(count);
}

ListResult PackedDataList::writeBinary(const QString &path, const DataListHeader &header) const
{
    return DataListFiles::writeBinaryPacked(path, m_bits.data(), size(), header);
}

ListResult PackedDataList::writeAscii(const QString &path) const
{
    return DataListFiles::writeAsciiPacked(path, m_bits.data(), size());
}
