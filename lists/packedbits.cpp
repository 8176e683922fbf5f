#include "lists/packedbits.h"

#include "lists/datalistfile.h"

#include <cstring>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

void PackedBits::adviseHugePages(char *begin, qint64 size)
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

PackedBits::~PackedBits()
{
    clear();
}

void PackedBits::clear()
{
    const bool bolLarge = m_bytes.capacity() >= 1024 * 1024;
    m_bytes = QByteArray();
    m_bits = 0;
#ifdef __GLIBC__
    // Freeing a block that glibc had mapped of its own raises its mapping threshold to that size
    // (up to 32 MiB), so the next buffer of a full-size list (31.25 MB packed) is carved from the
    // heap instead, and freeing that one leaves it resident behind the list. Trimming returns it.
    if (bolLarge)
        malloc_trim(0);
#else
    Q_UNUSED(bolLarge);
#endif
}

void PackedBits::reserve(qint64 bits)
{
    const char *before = m_bytes.constData();
    m_bytes.reserve(int((bits + 7) / 8));
    if (m_bytes.constData() != before)
        adviseHugePages(m_bytes.data(), m_bytes.capacity());
}

void PackedBits::appendPacked(const uchar *bytes, qint64 count)
{
    if (count <= 0)
        return;
    const int shift = int(m_bits % 8);
    const qint64 inBytes = (count + 7) / 8;
    const qint64 oldBytes = byteCount();
    const qint64 newBits = m_bits + count;
    m_bytes.resize(int((newBits + 7) / 8));
    uchar *dst = reinterpret_cast<uchar *>(m_bytes.data());
    if (shift == 0) {
        std::memcpy(dst + oldBytes, bytes, size_t(inBytes));
    } else {
        // Each incoming byte straddles two stored bytes: its high part fills the open byte, its
        // low part starts the next.
        uchar *out = dst + oldBytes - 1;
        const qint64 outEnd = (newBits + 7) / 8 - (oldBytes - 1);
        for (qint64 i = 0; i < inBytes; ++i) {
            out[i] = uchar(out[i] | (bytes[i] >> shift));
            if (i + 1 < outEnd)
                out[i + 1] = uchar(bytes[i] << (8 - shift));
        }
    }
    m_bits = newBits;
    // Whatever the source left behind its last bit must not survive as data.
    if (m_bits % 8)
        dst[byteCount() - 1] &= uchar(0xFF << (8 - m_bits % 8));
}

void PackedBits::appendChars(const char *chars, qint64 count)
{
    constexpr qint64 BlockBits = 8 * 8192;
    uchar block[BlockBits / 8];
    for (qint64 pos = 0; pos < count; pos += BlockBits) {
        const qint64 n = std::min(BlockBits, count - pos);
        DataListFiles::packBits(chars + pos, n, block);
        appendPacked(block, n);
    }
}

PackedSink PackedBits::appender()
{
    return [this](const uchar *bytes, qint64 bits) {
        appendPacked(bytes, bits);
        return true;
    };
}

void PackedBits::unpack(qint64 start, qint64 count, char *dst) const
{
    const qint64 whole = count / 8;
    DataListFiles::unpackBytes(data() + start / 8, whole, dst);
    if (count > 8 * whole) {
        char last[8];
        DataListFiles::unpackBytes(data() + start / 8 + whole, 1, last);
        std::memcpy(dst + 8 * whole, last, size_t(count - 8 * whole));
    }
}
