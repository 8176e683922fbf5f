// One HiSLIP session: the synchronous channel that carries program and response messages and
// the asynchronous channel for device clear, status byte, remote/local and locks, each mapped to
// a VISA status. The link works in synchronized mode and never believes a payload length above
// the bound it announced.
#pragma once

#include "visalib/hislip_codec.h"
#include "visalib/net.h"

#include <atomic>
#include <string>
#include <vector>

namespace visalib {

struct HislipReadResult
{
    ViUInt32 length = 0;
    bool end = false;      // the last byte was the end of a response message (DataEnd)
    bool termChar = false; // the last byte was the termination character
};

class HislipLink
{
public:
    // The largest message (header included) this client accepts; announced at open.
    static constexpr uint64_t kClientMaxMessage = 1u << 20;

    HislipLink() = default;
    ~HislipLink();
    HislipLink(const HislipLink &) = delete;
    HislipLink &operator=(const HislipLink &) = delete;

    // Connects both channels to host:port and runs the initialization for `subAddress`.
    ViStatus open(const std::string &host, uint16_t port, const std::string &subAddress, ViUInt32 timeoutMs);
    // The initialization over two channels that are already connected (the link owns them now).
    ViStatus start(int syncFd, int asyncFd, const std::string &subAddress, ViUInt32 timeoutMs);
    void close();
    // Wakes a call blocked in another thread; the link is unusable afterwards.
    void interrupt();

    const SocketAddress &peer() const { return m_peer; }
    uint16_t serverVersion() const { return m_serverVersion; }
    uint16_t sessionId() const { return m_sessionId; }
    uint64_t maxMessageSize() const { return m_serverMaxPayload + hislip::kHeaderSize; }
    bool overlapped() const { return m_overlapped; }

    ViStatus write(const ViByte *data, ViUInt32 size, bool end, ViUInt32 timeoutMs, ViUInt32 &written);
    // Reads until the end of the response, `capacity` bytes or (when enabled) the termination
    // character, whichever comes first; responses to older messages are dropped on the way.
    ViStatus read(ViByte *buffer, ViUInt32 capacity, bool termCharEnabled, ViByte termChar,
                  ViUInt32 timeoutMs, HislipReadResult &result);
    void discardInput() { m_discardCurrent = true; }
    ViStatus clear(ViUInt32 timeoutMs);
    ViStatus readStatusByte(ViUInt32 timeoutMs, ViUInt16 &stb);
    // `code` is one of the VI_GPIB_REN_* modes, whose numbers HiSLIP shares.
    ViStatus remoteLocal(ViUInt8 code, ViUInt32 timeoutMs);
    ViStatus trigger(ViUInt32 timeoutMs);
    // Exclusive when `sharedKey` is empty. VI_ERROR_TMO when the server could not grant it in time.
    ViStatus lock(const std::string &sharedKey, ViUInt32 lockTimeoutMs, ViUInt32 timeoutMs);
    ViStatus unlock(ViUInt32 timeoutMs);

private:
    struct Channel
    {
        std::atomic<int> fd{-1};
        std::vector<uint8_t> input;
        size_t head = 0;
        size_t tail = 0;
        size_t buffered() const { return tail - head; }
    };

    ViStatus initialize(const std::string &subAddress, const Deadline &deadline);
    ViStatus send(Channel &channel, uint8_t type, uint8_t control, uint32_t parameter, const void *payload,
                  size_t length, const Deadline &deadline);
    // Receives at least `wanted` bytes into the channel's buffer (wanted <= its size).
    ViStatus fill(Channel &channel, size_t wanted, const Deadline &deadline);
    ViStatus nextHeader(Channel &channel, const Deadline &deadline, hislip::Header &header);
    // Both count `remaining` down as bytes arrive, so that a time-out leaves the stream in step.
    ViStatus takePayload(Channel &channel, uint8_t *out, size_t wanted, uint64_t &remaining,
                         const Deadline &deadline, size_t &taken);
    ViStatus skipPayload(Channel &channel, uint64_t &remaining, const Deadline &deadline);
    // Handles a message that is not the one waited for: Error and FatalError end the wait with
    // VI_ERROR_IO, unrecognised types are answered with Error and skipped. VI_SUCCESS to go on.
    ViStatus unexpected(Channel &channel, const hislip::Header &header, const Deadline &deadline);
    // Waits on the channel for a message of `type`, keeping the first `payloadSize` bytes of its
    // payload; service requests and other answers met on the way are dropped.
    ViStatus awaitOn(Channel &channel, uint8_t type, const Deadline &deadline, hislip::Header &header,
                     uint8_t *payload, size_t payloadSize);
    ViStatus failed(NetResult result);
    ViStatus fatal(uint8_t code);
    uint32_t nextMessageId();
    uint8_t takeRmtDelivered();

    Channel m_sync;
    Channel m_async;
    SocketAddress m_peer;
    std::atomic<bool> m_lost{false};
    uint16_t m_sessionId = 0;
    uint16_t m_serverVersion = 0;
    bool m_overlapped = false;
    uint64_t m_serverMaxPayload = (1u << 20) - hislip::kHeaderSize;
    uint32_t m_nextId = hislip::kFirstMessageId;
    uint32_t m_lastId = hislip::kFirstMessageId - 2;
    bool m_rmtDelivered = false;
    // The response message being read: payload bytes still to come and whether it ends with END.
    uint64_t m_remaining = 0;
    bool m_inMessage = false;
    bool m_messageEnds = false;
    uint32_t m_messageId = 0;
    bool m_discardCurrent = false;
};

} // namespace visalib
