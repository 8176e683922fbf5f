// Feeds arbitrary bytes to the HiSLIP channel parser in pieces of varying size, as the server
// does, and checks that every payload handed out lies inside the input and within the limits,
// and that a pausing handler loses no bytes.
#include "sim/hislipcodec.h"

#include <cstddef>
#include <cstdint>

namespace {
constexpr quint64 MaxData = 4096;
constexpr quint64 MaxOther = 64;

class Checker : public HislipParser::Handler
{
public:
    const char *begin = nullptr;
    const char *end = nullptr;
    quint64 streamed = 0;
    int calls = 0;

    bool ready(const Hislip::Header &) override { return ++calls % 3 != 0; }
    void message(const Hislip::Header &header, const QByteArray &payload) override
    {
        if (quint64(payload.size()) != header.length || header.length > MaxOther)
            __builtin_trap();
    }
    void data(const Hislip::Header &header, const char *bytes, qint64 size, bool last) override
    {
        if (size < 0 || (size > 0 && (bytes < begin || bytes + size > end)))
            __builtin_trap();
        streamed += quint64(size);
        if (streamed > header.length || header.length > MaxData || (last && streamed != header.length))
            __builtin_trap();
        if (last)
            streamed = 0;
    }
    void oversized(const Hislip::Header &header) override
    {
        const bool isData = header.type == Hislip::Data || header.type == Hislip::DataEnd;
        if (header.length <= (isData ? MaxData : MaxOther))
            __builtin_trap();
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    HislipParser parser(MaxData, MaxOther);
    Checker checker;
    const char *bytes = reinterpret_cast<const char *>(data);
    size_t pos = 0;
    size_t piece = 1;
    while (pos < size && !parser.failed()) {
        const size_t take = piece < size - pos ? piece : size - pos;
        checker.begin = bytes + pos;
        checker.end = bytes + pos + take;
        size_t used = 0;
        // A paused parser takes the rest on the next call, as the server's held input does.
        for (int round = 0; round < 4 && used < take && !parser.failed(); ++round)
            used += size_t(parser.feed(bytes + pos + used, qint64(take - used), checker));
        if (used > take)
            __builtin_trap();
        pos += used;
        piece = piece * 3 % 97 + 1;
    }
    return 0;
}
