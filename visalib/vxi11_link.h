// One VXI-11 core-channel link: portmapper look-up, create_link, the device calls and
// destroy_link, each mapped to a VISA status. One RPC client per link, reused for every call.
#pragma once

#include "visalib/net.h"

#include <atomic>
#include <rpc/rpc.h>
#include <string>

namespace visalib {

struct ReadChunk
{
    ViUInt32 length = 0; // bytes placed in the buffer
    long reason = 0;     // kReason* bits
};

class Vxi11Link
{
public:
    Vxi11Link() = default;
    ~Vxi11Link();
    Vxi11Link(const Vxi11Link &) = delete;
    Vxi11Link &operator=(const Vxi11Link &) = delete;

    ViStatus open(const std::string &host, const std::string &device, bool lockDevice, ViUInt32 lockTimeoutMs,
                  ViUInt32 timeoutMs);
    // destroy_link (best effort, bounded by timeoutMs) and release of the RPC client and socket.
    void close(ViUInt32 timeoutMs);
    // Wakes a call blocked in another thread; the link is unusable afterwards.
    void interrupt();

    bool isOpen() const { return m_client != nullptr; }
    ViUInt32 maxRecvSize() const { return m_maxRecvSize; }
    const SocketAddress &peer() const { return m_peer; }
    uint16_t corePort() const { return m_corePort; }

    ViStatus write(const ViByte *data, ViUInt32 size, bool end, ViUInt32 ioTimeoutMs, ViUInt32 &accepted);
    ViStatus read(ViByte *buffer, ViUInt32 capacity, bool termCharSet, ViByte termChar, ViUInt32 ioTimeoutMs,
                  ReadChunk &chunk);
    ViStatus clear(ViUInt32 ioTimeoutMs);
    ViStatus readStatusByte(ViUInt32 ioTimeoutMs, ViUInt16 &stb);
    ViStatus remote(bool remote, ViUInt32 ioTimeoutMs);
    ViStatus trigger(ViUInt32 ioTimeoutMs);
    // device_lock, waiting up to lockTimeoutMs for another link's lock; device_unlock.
    ViStatus lock(ViUInt32 lockTimeoutMs);
    ViStatus unlock(ViUInt32 ioTimeoutMs);

private:
    ViStatus call(unsigned long procedure, xdrproc_t encode, void *arguments, xdrproc_t decode, void *result,
                  ViUInt32 ioTimeoutMs, bool housekeeping = false);

    CLIENT *m_client = nullptr;
    std::atomic<int> m_fd{-1};
    long m_linkId = 0;
    ViUInt32 m_maxRecvSize = 0;
    uint16_t m_corePort = 0;
    std::atomic<bool> m_broken{false}; // the connection is gone: fail at once instead of waiting
    // A call got no answer at all within its time: the server is hung or gone. Clearing and
    // closing then wait only briefly, so that giving up on a dead device stays quick.
    bool m_unresponsive = false;
    SocketAddress m_peer;
};

// VISA status for a VXI-11 error code returned by the device.
ViStatus statusFromDeviceError(long error);

} // namespace visalib
