// Feeds arbitrary bytes to the three data file decoders. The first byte picks the decoder; the
// output must hold only "0"/"1" and have the length the input implies.

#include "fuzz/notracing.h"
#include "lists/datafiledecoders.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const DataFileFormat format = DataFileFormat(data[0] % 3);
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data + 1), int(size - 1));
    QByteArray bits;
    const ListResult result = DataFileDecoders::decodeBytes(format, input, QStringLiteral("fuzz.txt"), bits);
    if (!result.ok) {
        if (!bits.isEmpty())
            std::abort();
        return 0;
    }
    if (bits.isEmpty() || result.newBits != bits.size())
        std::abort();
    for (const char c : bits) {
        if (c != '0' && c != '1')
            std::abort();
    }
    if (format == DataFileFormat::Binary && bits.size() != 8 * input.size())
        std::abort();
    if (format != DataFileFormat::Binary && bits.size() > 4 * input.size())
        std::abort();
    return 0;
}
