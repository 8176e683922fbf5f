#include "lists/datalist.h"

#include "lists/datasources.h"
#include "lists/listmessages.h"
#include "lists/prbsgenerator.h"

#include <cstring>
#include <utility>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace {

// A list of hundreds of megabytes is first touched while it is filled; with 4 KiB pages that
// alone costs more than generating the bits. Asking for huge pages on the untouched part cuts
// the page faults 512-fold where the kernel offers them, and is a harmless hint elsewhere.
void adviseHugePages(char *begin, qint64 size)
{
#ifdef Q_OS_LINUX
    constexpr quintptr HugePage = 2 * 1024 * 1024;
    if (size < qint64(8 * HugePage))
        return;
    const quintptr first = (quintptr(begin) + HugePage - 1) & ~(HugePage - 1);
    const quintptr last = (quintptr(begin) + quintptr(size)) & ~(HugePage - 1);
    if (last > first)
        madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
#else
    Q_UNUSED(begin);
    Q_UNUSED(size);
#endif
}

} // namespace

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
        adviseHugePages(m_bits.data() + offset, count);
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
    QByteArray decoded;
    const ListResult decodedResult = DataFileDecoders::decodeFile(format, path, decoded, progress);
    if (!decodedResult)
        return decodedResult;
    return applyBits(std::move(decoded), append);
}

ListResult DataList::applyDataListFile(const QString &path, bool append, const ProgressFn &progress)
{
    DataListFileReader reader;
    const ListResult opened = reader.open(path);
    if (!opened)
        return opened;
    const qint64 count = reader.bitCount();
    if (!isTotalInRange(appendTotal(count, append))) {
        ListResult refused = ListMessages::totalOutOfRange();
        refused.newBits = count;
        return refused;
    }
    if (append) {
        const qint64 before = size();
        const ListResult read = reader.readBits(prepare(count, true), progress);
        if (!read)
            m_bits.resize(int(before));
        return read;
    }
    // Replacing: the old list must survive a read error, so the bits go to a buffer of their own
    // that takes the list's place only when complete.
    QByteArray fresh(int(count), Qt::Uninitialized);
    const ListResult read = reader.readBits(fresh.data(), progress);
    if (read)
        m_bits.swap(fresh);
    return read;
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
