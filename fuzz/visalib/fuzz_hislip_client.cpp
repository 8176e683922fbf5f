// libFuzzer target for what a HiSLIP server can send the library. The first byte picks the mode:
// even, the header decoder walks the rest as a stream of messages in memory; odd, a client
// session runs its initialization, a query, the status byte, a device clear and a lock over two
// socket pairs that hold the input (split by the second byte) and then end.
#include "visalib/hislip_codec.h"
#include "visalib/hislip_link.h"

#include <cstddef>
#include <cstdint>
#include <sys/socket.h>
#include <unistd.h>

using namespace visalib;

namespace {

void walkHeaders(const uint8_t *data, size_t size, uint64_t maxPayload)
{
    hislip::Header header;
    while (hislip::decodeHeader(data, size, maxPayload, header) == hislip::Decode::Ok) {
        if (header.length > maxPayload) {
            __builtin_trap(); // a refused length must never come back as Ok
        }
        const uint64_t step = hislip::kHeaderSize + header.length;
        if (step > size) {
            return;
        }
        data += step;
        size -= static_cast<size_t>(step);
    }
}

// A connected pair whose far end has written `size` bytes and then stopped writing; it stays
// open so that what the client sends has somewhere to go. pair[0] is the client's end.
bool preloaded(const uint8_t *data, size_t size, int pair[2])
{
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        return false;
    }
    if ((size > 0 && send(pair[1], data, size, MSG_NOSIGNAL) != static_cast<ssize_t>(size)) ||
        shutdown(pair[1], SHUT_WR) != 0) {
        close(pair[0]);
        close(pair[1]);
        return false;
    }
    return true;
}

void runSession(HislipLink &link, const uint8_t *data, size_t size)
{
    const size_t split = (size - 2) * data[1] / 255;
    int syncPair[2], asyncPair[2];
    if (!preloaded(data + 2, split, syncPair)) {
        return;
    }
    if (!preloaded(data + 2 + split, size - 2 - split, asyncPair)) {
        close(syncPair[0]);
        close(syncPair[1]);
        return;
    }
    if (link.start(syncPair[0], asyncPair[0], "hislip0", 50) == VI_SUCCESS) {
        ViUInt32 written = 0;
        link.write(reinterpret_cast<const ViByte *>("*IDN?"), 5, true, 50, written);
        ViByte buffer[64];
        HislipReadResult result;
        link.read(buffer, sizeof buffer, (data[0] & 2) != 0, '\n', 50, result);
        if (result.length > sizeof buffer) {
            __builtin_trap();
        }
        ViUInt16 stb = 0;
        link.readStatusByte(50, stb);
        link.clear(50);
        link.lock(std::string(), 10, 50);
        link.read(buffer, sizeof buffer, false, 0, 50, result);
    }
    link.close();
    close(syncPair[1]);
    close(asyncPair[1]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    if ((data[0] & 1) == 0) {
        walkHeaders(data + 1, size - 1, data[0] < 128 ? 64 : HislipLink::kClientMaxMessage);
    } else if (size >= 2) {
        HislipLink link;
        runSession(link, data, size);
    }
    return 0;
}
