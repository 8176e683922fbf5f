#ifndef LISTFORGE_LISTS_PACKEDBITS_H
#define LISTFORGE_LISTS_PACKEDBITS_H

#include "lists/listresult.h"

#include <QByteArray>
#include <QtGlobal>

#include <functional>

// Receives bits packed eight to a byte, first bit = MSB of the first byte, in blocks. `bits` may end
// inside the last byte (its unused low bits are 0); every block but the last holds whole bytes.
// Returning false stops the producer.
using PackedSink = std::function<bool(const uchar *bytes, qint64 bits)>;

// Bits in the .dm_iqd data layout (eight to a byte, MSB first, the last byte padded with 0 bits):
// an eighth of the one-byte-per-bit list, so that sources can be decoded or generated here first
// and expanded only once they are known good, or written out without ever being expanded.
class PackedBits
{
public:
    PackedBits() = default;
    PackedBits(const PackedBits &) = default;
    PackedBits(PackedBits &&) = default;
    PackedBits &operator=(const PackedBits &) = default;
    PackedBits &operator=(PackedBits &&) = default;
    // Hands a large buffer's memory back to the system (see clear()).
    ~PackedBits();

    qint64 size() const { return m_bits; }
    qint64 byteCount() const { return (m_bits + 7) / 8; }
    const uchar *data() const { return reinterpret_cast<const uchar *>(m_bytes.constData()); }
    // Empties the bits and releases their memory, to the system and not only to the heap: these
    // buffers live beside a list of hundreds of megabytes, and what stays resident after them
    // counts towards every later peak.
    void clear();
    // Allocates room for a total of `bits` bits up front, so that appending never reallocates.
    void reserve(qint64 bits);

    // Appends `count` packed bits (see PackedSink); any start bit alignment.
    void appendPacked(const uchar *bytes, qint64 count);
    // Appends "0"/"1" characters.
    void appendChars(const char *chars, qint64 count);
    // A sink that appends here.
    PackedSink appender();

    // A buffer of hundreds of megabytes is first touched while it is filled; with 4 KiB pages that
    // alone costs more than generating the bits. Asks for huge pages on [begin, begin + size) where
    // the kernel offers them (a harmless hint elsewhere).
    static void adviseHugePages(char *begin, qint64 size);

    // Writes bits [start, start + count) as "0"/"1" characters to dst; start must be a multiple
    // of 8 and the range inside the list.
    void unpack(qint64 start, qint64 count, char *dst) const;

private:
    QByteArray m_bytes;
    qint64 m_bits = 0;
};

#endif
