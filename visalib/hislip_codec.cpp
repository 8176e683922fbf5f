#include "visalib/hislip_codec.h"

namespace visalib::hislip {

void putBigEndian64(uint64_t value, uint8_t out[8])
{
    for (int i = 7; i >= 0; --i) {
        out[i] = static_cast<uint8_t>(value);
        value >>= 8;
    }
}

uint64_t getBigEndian64(const uint8_t in[8])
{
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i) {
        value = (value << 8) | in[i];
    }
    return value;
}

void encodeHeader(const Header &header, uint8_t out[kHeaderSize])
{
    out[0] = 'H';
    out[1] = 'S';
    out[2] = header.type;
    out[3] = header.control;
    out[4] = static_cast<uint8_t>(header.parameter >> 24);
    out[5] = static_cast<uint8_t>(header.parameter >> 16);
    out[6] = static_cast<uint8_t>(header.parameter >> 8);
    out[7] = static_cast<uint8_t>(header.parameter);
    putBigEndian64(header.length, out + 8);
}

Decode decodeHeader(const uint8_t *data, size_t size, uint64_t maxPayload, Header &out)
{
    // A wrong prologue is visible before the whole header has arrived.
    if ((size > 0 && data[0] != 'H') || (size > 1 && data[1] != 'S')) {
        return Decode::BadPrologue;
    }
    if (size < kHeaderSize) {
        return Decode::NeedMore;
    }
    out.type = data[2];
    out.control = data[3];
    out.parameter =
        (uint32_t{data[4]} << 24) | (uint32_t{data[5]} << 16) | (uint32_t{data[6]} << 8) | data[7];
    out.length = getBigEndian64(data + 8);
    return out.length > maxPayload ? Decode::TooLong : Decode::Ok;
}

bool isKnownType(uint8_t type)
{
    return type <= AsyncLockInfoResponse;
}

} // namespace visalib::hislip
