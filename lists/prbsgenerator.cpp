#include "lists/prbsgenerator.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

struct PrbsSpec
{
    int order;
    int taps[4]; // register positions XORed into the feedback; always includes 0
    int tapCount;
    bool inverted;
};

const PrbsSpec prbsSpecs[] = {
    {9, {0, 4}, 2, false},  {11, {0, 2}, 2, false}, {15, {0, 1}, 2, true}, {16, {0, 2, 3, 5}, 4, false},
    {20, {0, 3}, 2, false}, {21, {0, 2}, 2, false}, {23, {0, 5}, 2, true},
};

const PrbsSpec *findSpec(int order)
{
    for (const PrbsSpec &spec : prbsSpecs) {
        if (spec.order == order)
            return &spec;
    }
    return nullptr;
}

// Uninverted register output s[0..count-1] as 0/1 values.
template <typename Output> void runRegister(const PrbsSpec &spec, qint64 count, Output output)
{
    quint32 reg = (quint32(1) << spec.order) - 1; // bit i holds r[i]; seed: all ones
    for (qint64 k = 0; k < count; ++k) {
        output(k, int(reg & 1u));
        quint32 feedback = 0;
        for (int t = 0; t < spec.tapCount; ++t)
            feedback ^= (reg >> spec.taps[t]) & 1u;
        reg = (reg >> 1) | (feedback << (spec.order - 1));
    }
}

// Eight output characters per byte value, least significant bit first: the stream below packs
// the sequence LSB-first, so byte b of a word expands to characters 8b..8b+7 in order.
struct ExpandTable
{
    char chars[256][8];
    ExpandTable()
    {
        for (int v = 0; v < 256; ++v) {
            for (int k = 0; k < 8; ++k)
                chars[v][k] = char('0' + ((v >> k) & 1));
        }
    }
};

const ExpandTable &expandTable()
{
    static const ExpandTable table;
    return table;
}

inline void expandWord(quint64 word, char *dst, const ExpandTable &table)
{
    for (int b = 0; b < 8; ++b)
        std::memcpy(dst + 8 * b, table.chars[(word >> (8 * b)) & 0xffu], 8);
}

// Produces the sequence 64 bits at a time. The register gives s[n + order] = XOR of s[n + tap];
// over GF(2) squaring the recurrence polynomial k times gives the same relation with every lag
// multiplied by 2^k. Once the shortest lag is at least 64, a whole word depends only on words
// already produced, so the sequence comes out a word per handful of shifts and XORs instead of a
// register step per bit.
class PrbsWordStream
{
public:
    explicit PrbsWordStream(const PrbsSpec &spec)
    {
        int shortest = spec.order;
        for (int t = 0; t < spec.tapCount; ++t)
            shortest = std::min(shortest, spec.order - std::max(spec.taps[t], 1));
        int scale = 1;
        while (shortest * scale < 64)
            scale *= 2;
        for (int t = 0; t < spec.tapCount; ++t)
            m_lags[t] = (spec.order - spec.taps[t]) * scale;
        m_lagCount = spec.tapCount;

        // Words 0..SeedWords-1 straight from the register; the lags never reach further back
        // than the ring holds (at most 144 bits for these polynomials).
        std::memset(m_ring, 0, sizeof(m_ring));
        runRegister(spec, 64 * SeedWords,
                    [this](qint64 k, int bit) { m_ring[k / 64] |= quint64(bit) << (k % 64); });
    }

    quint64 next()
    {
        quint64 word;
        if (m_index < SeedWords) {
            word = m_ring[m_index];
        } else {
            word = 0;
            const qint64 base = m_index * 64;
            for (int i = 0; i < m_lagCount; ++i)
                word ^= bitsAt(base - m_lags[i]);
            m_ring[m_index % RingWords] = word;
        }
        ++m_index;
        return word;
    }

private:
    static constexpr int SeedWords = 3;
    static constexpr int RingWords = 4;

    quint64 bitsAt(qint64 pos) const
    {
        const qint64 w = pos / 64;
        const int shift = int(pos % 64);
        quint64 value = m_ring[w % RingWords] >> shift;
        if (shift != 0)
            value |= m_ring[(w + 1) % RingWords] << (64 - shift);
        return value;
    }

    quint64 m_ring[RingWords];
    int m_lags[4] = {};
    int m_lagCount = 0;
    qint64 m_index = 0;
};

} // namespace

QList<int> ClsPrbsGenerator::orders()
{
    QList<int> result;
    for (const PrbsSpec &spec : prbsSpecs)
        result.append(spec.order);
    return result;
}

bool ClsPrbsGenerator::isValidOrder(int order)
{
    return findSpec(order) != nullptr;
}

QString ClsPrbsGenerator::name(int order)
{
    return isValidOrder(order) ? QStringLiteral("PRBS%1").arg(order) : QString();
}

qint64 ClsPrbsGenerator::sequenceLength(int order)
{
    return isValidOrder(order) ? (qint64(1) << order) - 1 : 0;
}

bool ClsPrbsGenerator::generateBitSerial(char *dst, int order, qint64 count)
{
    const PrbsSpec *spec = findSpec(order);
    if (!spec || count < 0)
        return false;
    const int inversion = spec->inverted ? 1 : 0;
    runRegister(*spec, count,
                [dst, inversion](qint64 k, int bit) { dst[k] = char('0' + (bit ^ inversion)); });
    return true;
}

bool ClsPrbsGenerator::generate(char *dst, int order, qint64 count, const ProgressFn &progress) const
{
    const PrbsSpec *spec = findSpec(order);
    if (!spec || count < 0)
        return false;

    const ExpandTable &table = expandTable();
    const quint64 inversion = spec->inverted ? ~quint64(0) : 0;
    PrbsWordStream stream(*spec);
    const qint64 step = progress ? ProgressStepBits : std::max<qint64>(count, 1);

    quint64 pending = 0; // bits of a word split by a progress boundary, LSB next
    int pendingCount = 0;
    qint64 pos = 0;
    while (pos < count) {
        const qint64 chunkEnd = std::min(count, (pos / step + 1) * step);
        while (pendingCount > 0 && pos < chunkEnd) {
            dst[pos++] = char('0' + (pending & 1u));
            pending >>= 1;
            --pendingCount;
        }
        while (chunkEnd - pos >= 64) {
            expandWord(stream.next() ^ inversion, dst + pos, table);
            pos += 64;
        }
        if (pos < chunkEnd) {
            pending = stream.next() ^ inversion;
            pendingCount = 64;
            while (pos < chunkEnd) {
                dst[pos++] = char('0' + (pending & 1u));
                pending >>= 1;
                --pendingCount;
            }
        }
        if (progress)
            progress(pos);
    }
    return true;
}

bool ClsPrbsGenerator::generatePacked(int order, qint64 count, const PackedSink &sink) const
{
    const PrbsSpec *spec = findSpec(order);
    if (!spec || count < 0)
        return false;
    constexpr qint64 BlockWords = 8192;
    quint64 block[BlockWords];
    const quint64 inversion = spec->inverted ? ~quint64(0) : 0;
    PrbsWordStream stream(*spec);
    for (qint64 pos = 0; pos < count;) {
        const qint64 bits = std::min(count - pos, 64 * BlockWords);
        const qint64 words = (bits + 63) / 64;
        for (qint64 w = 0; w < words; ++w) {
            // The stream is LSB first within each byte; the file layout is MSB first, so the bits of
            // every byte are mirrored in place (bytes stay in order on a little-endian store).
            quint64 x = stream.next() ^ inversion;
            x = ((x >> 1) & 0x5555555555555555ULL) | ((x & 0x5555555555555555ULL) << 1);
            x = ((x >> 2) & 0x3333333333333333ULL) | ((x & 0x3333333333333333ULL) << 2);
            x = ((x >> 4) & 0x0F0F0F0F0F0F0F0FULL) | ((x & 0x0F0F0F0F0F0F0F0FULL) << 4);
            block[w] = qToLittleEndian(x);
        }
        auto *bytes = reinterpret_cast<uchar *>(block);
        if (bits % 8)
            bytes[bits / 8] &= uchar(0xFF << (8 - bits % 8));
        if (!sink(bytes, bits))
            break;
        pos += bits;
    }
    return true;
}

bool ClsPrbsGenerator::generate(QByteArray &buffer, int order, qint64 count, const ProgressFn &progress) const
{
    if (!isValidOrder(order) || count < 0 || count > std::numeric_limits<int>::max())
        return false;
    buffer.resize(int(count));
    return generate(buffer.data(), order, count, progress);
}
