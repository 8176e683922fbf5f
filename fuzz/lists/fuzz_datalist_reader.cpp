// Feeds arbitrary bytes to the .dm_iqd reader: it must refuse or read exactly the announced
// number of "0"/"1" characters, never over-read, crash or allocate for a length it has not
// checked against the data.

#include "fuzz/notracing.h"
#include "lists/datalistfile.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    DataListFileReader reader;
    if (!reader.openBytes(input, QStringLiteral("fuzz.dm_iqd")).ok)
        return 0;
    const qint64 bits = reader.bitCount();
    // open() accepted the length only if the input holds the data for it.
    if (bits <= 0 || reader.info().headerBytes + (bits + 7) / 8 > qint64(size))
        std::abort();
    QByteArray out(int(bits), '?');
    if (!reader.readBits(out.data()).ok)
        std::abort();
    for (const char c : out) {
        if (c != '0' && c != '1')
            std::abort();
    }
    // Streaming the same file gives the same bits.
    DataListFileReader again;
    if (!again.openBytes(input, QStringLiteral("fuzz.dm_iqd")).ok)
        std::abort();
    QByteArray streamed;
    again.streamBits([&streamed](const char *p, qint64 n) {
        streamed.append(p, int(n));
        return true;
    });
    if (streamed != out)
        std::abort();
    return 0;
}
