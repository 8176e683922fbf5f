#include "visalib/hislip_link.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

namespace visalib {

namespace {

using namespace hislip;

constexpr size_t kChannelBuffer = 64 * 1024;
// Payload parts at least this long go from the socket straight into the caller's buffer.
constexpr size_t kDirectReceive = 4096;
// Client protocol version 1.0 and the vendor ID "LF".
constexpr uint32_t kInitializeParameter = (0x0100u << 16) | ('L' << 8) | 'F';
// A FatalError is a courtesy to a peer that is about to be dropped: it may not hold us up.
constexpr ViUInt32 kFatalSendMs = 100;

// Receives what has arrived (at most `capacity` bytes), waiting for the first byte until the
// deadline. An end of stream is a lost connection.
NetResult receiveSome(int fd, uint8_t *into, size_t capacity, const Deadline &deadline, size_t &got)
{
    got = 0;
    if (fd < 0) {
        return NetResult::ConnectionLost;
    }
    for (;;) {
        ssize_t n = recv(fd, into, capacity, MSG_DONTWAIT);
        if (n > 0) {
            got = static_cast<size_t>(n);
            return NetResult::Ok;
        }
        if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
            return NetResult::ConnectionLost;
        }
        if (errno != EINTR) {
            NetResult ready = waitReadable(fd, deadline);
            if (ready != NetResult::Ok) {
                return ready;
            }
        }
    }
}

ViUInt32 saturatedSum(ViUInt32 a, ViUInt32 b)
{
    if (a == VI_TMO_INFINITE || b == VI_TMO_INFINITE || a > VI_TMO_INFINITE - 1 - b) {
        return VI_TMO_INFINITE;
    }
    return a + b;
}

} // namespace

HislipLink::~HislipLink()
{
    close();
}

ViStatus HislipLink::open(const std::string &host, uint16_t port, const std::string &subAddress,
                          ViUInt32 timeoutMs)
{
    const Deadline deadline = Deadline::afterMs(timeoutMs);
    int syncFd = -1, asyncFd = -1;
    NetResult result = connectTcp(host, port, timeoutMs, syncFd, m_peer);
    if (result == NetResult::Ok) {
        SocketAddress asyncPeer;
        result = connectTcpTo(m_peer, port, deadline.remainingMs(timeoutMs), asyncFd, asyncPeer);
        if (result != NetResult::Ok) {
            ::close(syncFd);
        }
    }
    if (result != NetResult::Ok) {
        return result == NetResult::TimedOut ? VI_ERROR_TMO : VI_ERROR_RSRC_NFOUND;
    }
    return start(syncFd, asyncFd, subAddress, deadline.remainingMs(timeoutMs));
}

ViStatus HislipLink::start(int syncFd, int asyncFd, const std::string &subAddress, ViUInt32 timeoutMs)
{
    m_sync.fd = syncFd;
    m_async.fd = asyncFd;
    m_sync.input.resize(kChannelBuffer);
    m_async.input.resize(kChannelBuffer);
    ViStatus status = initialize(subAddress, Deadline::afterMs(timeoutMs));
    if (status != VI_SUCCESS) {
        close();
    }
    return status;
}

ViStatus HislipLink::initialize(const std::string &subAddress, const Deadline &deadline)
{
    ViStatus status =
        send(m_sync, Initialize, 0, kInitializeParameter, subAddress.data(), subAddress.size(), deadline);
    Header header;
    if (status == VI_SUCCESS) {
        status = awaitOn(m_sync, InitializeResponse, deadline, header, nullptr, 0);
    }
    if (status != VI_SUCCESS) {
        return status;
    }
    // Versions 1.x and 2.x keep the messages this client uses; anything below 1.0 is no server.
    m_serverVersion = static_cast<uint16_t>(header.parameter >> 16);
    m_sessionId = static_cast<uint16_t>(header.parameter);
    m_overlapped = (header.control & 1) != 0;
    if (m_serverVersion < 0x0100) {
        return fatal(kFatalInvalidInitialization);
    }
    status = send(m_async, AsyncInitialize, 0, m_sessionId, nullptr, 0, deadline);
    if (status == VI_SUCCESS) {
        status = awaitOn(m_async, AsyncInitializeResponse, deadline, header, nullptr, 0);
    }
    uint8_t size[8];
    putBigEndian64(kClientMaxMessage, size);
    if (status == VI_SUCCESS) {
        status = send(m_async, AsyncMaximumMessageSize, 0, 0, size, sizeof size, deadline);
    }
    if (status == VI_SUCCESS) {
        status = awaitOn(m_async, AsyncMaximumMessageSizeResponse, deadline, header, size, sizeof size);
    }
    if (status != VI_SUCCESS) {
        return status;
    }
    const uint64_t serverMax = getBigEndian64(size);
    if (header.length != sizeof size || serverMax <= kHeaderSize) {
        return fatal(kFatalInvalidInitialization);
    }
    // A server may accept more than one write can carry; the limit only has to fit a call.
    m_serverMaxPayload = serverMax - kHeaderSize;
    if (m_serverMaxPayload > 0x7FFFFFFFu) {
        m_serverMaxPayload = 0x7FFFFFFFu;
    }
    return VI_SUCCESS;
}

void HislipLink::close()
{
    for (Channel *channel : {&m_sync, &m_async}) {
        int fd = channel->fd.exchange(-1);
        if (fd >= 0) {
            ::close(fd);
        }
        channel->head = channel->tail = 0;
    }
    m_lost = true;
}

void HislipLink::interrupt()
{
    m_lost = true;
    for (Channel *channel : {&m_sync, &m_async}) {
        int fd = channel->fd;
        if (fd >= 0) {
            shutdown(fd, SHUT_RDWR);
        }
    }
}

ViStatus HislipLink::failed(NetResult result)
{
    if (result == NetResult::ConnectionLost) {
        m_lost = true;
    }
    return statusFor(result);
}

ViStatus HislipLink::fatal(uint8_t code)
{
    if (!m_lost) {
        send(m_sync, FatalError, code, 0, nullptr, 0, Deadline::afterMs(kFatalSendMs));
    }
    close();
    return VI_ERROR_IO;
}

uint32_t HislipLink::nextMessageId()
{
    m_lastId = m_nextId;
    m_nextId += 2;
    return m_lastId;
}

uint8_t HislipLink::takeRmtDelivered()
{
    const uint8_t control = m_rmtDelivered ? 1 : 0;
    m_rmtDelivered = false;
    return control;
}

ViStatus HislipLink::send(Channel &channel, uint8_t type, uint8_t control, uint32_t parameter,
                          const void *payload, size_t length, const Deadline &deadline)
{
    const int fd = channel.fd;
    if (m_lost || fd < 0) {
        return VI_ERROR_CONN_LOST;
    }
    uint8_t header[kHeaderSize];
    encodeHeader(Header{type, control, parameter, length}, header);
    const iovec parts[2] = {{header, sizeof header}, {const_cast<void *>(payload), length}};
    size_t sent = 0;
    const NetResult result = sendParts(fd, parts, 2, deadline, sent);
    if (result != NetResult::Ok && sent > 0 && result != NetResult::ConnectionLost) {
        // Half a message on the wire leaves the server out of step for good.
        close();
    }
    return failed(result);
}

ViStatus HislipLink::fill(Channel &channel, size_t wanted, const Deadline &deadline)
{
    if (channel.head == channel.tail) {
        channel.head = channel.tail = 0;
    } else if (channel.head + wanted > channel.input.size()) {
        std::memmove(channel.input.data(), channel.input.data() + channel.head, channel.buffered());
        channel.tail -= channel.head;
        channel.head = 0;
    }
    while (channel.buffered() < wanted) {
        size_t got = 0;
        NetResult result = receiveSome(channel.fd, channel.input.data() + channel.tail,
                                       channel.input.size() - channel.tail, deadline, got);
        if (result != NetResult::Ok) {
            return failed(result);
        }
        channel.tail += got;
    }
    return VI_SUCCESS;
}

ViStatus HislipLink::nextHeader(Channel &channel, const Deadline &deadline, Header &header)
{
    if (m_lost) {
        return VI_ERROR_CONN_LOST;
    }
    for (;;) {
        switch (decodeHeader(channel.input.data() + channel.head, channel.buffered(), kClientMaxMessage,
                             header)) {
        case Decode::Ok:
            channel.head += kHeaderSize;
            return VI_SUCCESS;
        case Decode::NeedMore:
            break;
        default:
            // Out of step or a length nobody may believe: nothing after it can be read safely.
            return fatal(kFatalPoorlyFormedHeader);
        }
        ViStatus status = fill(channel, kHeaderSize, deadline);
        if (status != VI_SUCCESS) {
            return status;
        }
    }
}

ViStatus HislipLink::takePayload(Channel &channel, uint8_t *out, size_t wanted, uint64_t &remaining,
                                 const Deadline &deadline, size_t &taken)
{
    taken = 0;
    if (wanted > remaining) {
        wanted = static_cast<size_t>(remaining);
    }
    while (taken < wanted) {
        size_t n = channel.buffered();
        if (n > 0) {
            n = n < wanted - taken ? n : wanted - taken;
            std::memcpy(out + taken, channel.input.data() + channel.head, n);
            channel.head += n;
        } else if (wanted - taken >= kDirectReceive) {
            NetResult result = receiveSome(channel.fd, out + taken, wanted - taken, deadline, n);
            if (result != NetResult::Ok) {
                return failed(result);
            }
        } else {
            ViStatus status = fill(channel, 1, deadline);
            if (status != VI_SUCCESS) {
                return status;
            }
            continue;
        }
        taken += n;
        remaining -= n;
    }
    return VI_SUCCESS;
}

ViStatus HislipLink::skipPayload(Channel &channel, uint64_t &remaining, const Deadline &deadline)
{
    while (remaining > 0) {
        if (channel.buffered() == 0) {
            ViStatus status = fill(channel, 1, deadline);
            if (status != VI_SUCCESS) {
                return status;
            }
        }
        size_t n = channel.buffered() < remaining ? channel.buffered() : static_cast<size_t>(remaining);
        channel.head += n;
        remaining -= n;
    }
    return VI_SUCCESS;
}

ViStatus HislipLink::unexpected(Channel &channel, const Header &header, const Deadline &deadline)
{
    uint64_t remaining = header.length;
    if (header.type == FatalError) {
        // The server closes both channels after it; so does this side, at once.
        close();
        return VI_ERROR_IO;
    }
    if (!isKnownType(header.type)) {
        ViStatus status = send(channel, Error, kErrorUnrecognizedType, 0, nullptr, 0, deadline);
        if (status != VI_SUCCESS) {
            return status;
        }
    }
    ViStatus status = skipPayload(channel, remaining, deadline);
    if (status != VI_SUCCESS) {
        return status;
    }
    return header.type == Error ? VI_ERROR_IO : VI_SUCCESS;
}

ViStatus HislipLink::awaitOn(Channel &channel, uint8_t type, const Deadline &deadline, Header &header,
                             uint8_t *payload, size_t payloadSize)
{
    for (;;) {
        ViStatus status = nextHeader(channel, deadline, header);
        if (status != VI_SUCCESS) {
            return status;
        }
        if (header.type != type) {
            status = unexpected(channel, header, deadline);
            if (status != VI_SUCCESS) {
                return status;
            }
            continue;
        }
        uint64_t remaining = header.length;
        size_t taken = 0;
        status = takePayload(channel, payload, payloadSize, remaining, deadline, taken);
        if (status == VI_SUCCESS) {
            status = skipPayload(channel, remaining, deadline);
        }
        return status;
    }
}

ViStatus HislipLink::write(const ViByte *data, ViUInt32 size, bool end, ViUInt32 timeoutMs, ViUInt32 &written)
{
    written = 0;
    if (m_lost) {
        return VI_ERROR_CONN_LOST;
    }
    const Deadline deadline = Deadline::afterMs(timeoutMs);
    // Without END an empty write has nothing to say; with END it ends the message.
    if (size == 0 && !end) {
        return VI_SUCCESS;
    }
    do {
        const ViUInt32 remaining = size - written;
        const ViUInt32 chunk =
            remaining < m_serverMaxPayload ? remaining : static_cast<ViUInt32>(m_serverMaxPayload);
        const uint8_t type = chunk == remaining && end ? DataEnd : Data;
        ViStatus status =
            send(m_sync, type, takeRmtDelivered(), nextMessageId(), data + written, chunk, deadline);
        if (status != VI_SUCCESS) {
            return status;
        }
        written += chunk;
    } while (written < size);
    return VI_SUCCESS;
}

ViStatus HislipLink::read(ViByte *buffer, ViUInt32 capacity, bool termCharEnabled, ViByte termChar,
                          ViUInt32 timeoutMs, HislipReadResult &result)
{
    result = HislipReadResult();
    const Deadline deadline = Deadline::afterMs(timeoutMs);
    for (;;) {
        if (m_lost) {
            return VI_ERROR_CONN_LOST;
        }
        if (m_inMessage) {
            // A response to an older message, or one the caller gave up: drop the rest of it.
            if (m_discardCurrent || (m_messageId != m_lastId && m_messageId != kUnknownMessageId)) {
                ViStatus status = skipPayload(m_sync, m_remaining, deadline);
                if (status != VI_SUCCESS) {
                    return status;
                }
                m_inMessage = m_discardCurrent = false;
                continue;
            }
            if (m_remaining == 0) {
                m_inMessage = false;
                if (m_messageEnds) {
                    m_rmtDelivered = true;
                    result.end = true;
                    return VI_SUCCESS;
                }
                continue;
            }
            if (result.length == capacity) {
                return VI_SUCCESS;
            }
            size_t wanted = capacity - result.length;
            if (termCharEnabled) {
                // Look only at what has arrived, so that the character stops the copy.
                if (m_sync.buffered() == 0) {
                    ViStatus status = fill(m_sync, 1, deadline);
                    if (status != VI_SUCCESS) {
                        return status;
                    }
                }
                const uint8_t *start = m_sync.input.data() + m_sync.head;
                size_t limit = m_sync.buffered() < wanted ? m_sync.buffered() : wanted;
                const void *hit = std::memchr(start, termChar, limit < m_remaining ? limit : m_remaining);
                if (hit != nullptr) {
                    wanted = static_cast<size_t>(static_cast<const uint8_t *>(hit) - start) + 1;
                    result.termChar = true;
                }
            }
            size_t taken = 0;
            ViStatus status =
                takePayload(m_sync, buffer + result.length, wanted, m_remaining, deadline, taken);
            result.length += static_cast<ViUInt32>(taken);
            if (status != VI_SUCCESS) {
                return status;
            }
            if (result.termChar) {
                if (m_remaining == 0 && m_messageEnds) {
                    m_inMessage = false;
                    m_rmtDelivered = true;
                    result.end = true;
                }
                return VI_SUCCESS;
            }
            continue;
        }
        if (result.length == capacity) {
            return VI_SUCCESS;
        }
        Header header;
        ViStatus status = nextHeader(m_sync, deadline, header);
        if (status != VI_SUCCESS) {
            return status;
        }
        if (header.type == Data || header.type == DataEnd) {
            m_inMessage = true;
            m_remaining = header.length;
            m_messageEnds = header.type == DataEnd;
            m_messageId = header.parameter;
            m_discardCurrent = false;
            continue;
        }
        status = unexpected(m_sync, header, deadline);
        if (status != VI_SUCCESS) {
            return status;
        }
    }
}

ViStatus HislipLink::clear(ViUInt32 timeoutMs)
{
    const Deadline deadline = Deadline::afterMs(timeoutMs);
    Header header;
    ViStatus status = send(m_async, AsyncDeviceClear, 0, 0, nullptr, 0, deadline);
    if (status == VI_SUCCESS) {
        status = awaitOn(m_async, AsyncDeviceClearAcknowledge, deadline, header, nullptr, 0);
    }
    if (status == VI_SUCCESS && m_inMessage) {
        status = skipPayload(m_sync, m_remaining, deadline);
        m_inMessage = status != VI_SUCCESS;
    }
    // Synchronized mode, no encryption: the features this client asks for.
    if (status == VI_SUCCESS) {
        status = send(m_sync, DeviceClearComplete, 0, 0, nullptr, 0, deadline);
    }
    // Responses and Interrupted still on their way belong to what was cleared.
    while (status == VI_SUCCESS) {
        status = nextHeader(m_sync, deadline, header);
        if (status != VI_SUCCESS || header.type == DeviceClearAcknowledge) {
            break;
        }
        uint64_t remaining = header.length;
        status = header.type == FatalError ? unexpected(m_sync, header, deadline)
                                           : skipPayload(m_sync, remaining, deadline);
    }
    if (status != VI_SUCCESS) {
        return status;
    }
    uint64_t remaining = header.length;
    status = skipPayload(m_sync, remaining, deadline);
    m_overlapped = (header.control & 1) != 0;
    m_nextId = kFirstMessageId;
    m_lastId = kFirstMessageId - 2;
    m_rmtDelivered = m_inMessage = m_discardCurrent = false;
    return status;
}

ViStatus HislipLink::readStatusByte(ViUInt32 timeoutMs, ViUInt16 &stb)
{
    const Deadline deadline = Deadline::afterMs(timeoutMs);
    Header header;
    ViStatus status = send(m_async, AsyncStatusQuery, takeRmtDelivered(), m_lastId, nullptr, 0, deadline);
    if (status == VI_SUCCESS) {
        status = awaitOn(m_async, AsyncStatusResponse, deadline, header, nullptr, 0);
    }
    if (status == VI_SUCCESS) {
        stb = header.control;
    }
    return status;
}

ViStatus HislipLink::remoteLocal(ViUInt8 code, ViUInt32 timeoutMs)
{
    const Deadline deadline = Deadline::afterMs(timeoutMs);
    Header header;
    ViStatus status = send(m_async, AsyncRemoteLocalControl, code, m_lastId, nullptr, 0, deadline);
    return status == VI_SUCCESS ? awaitOn(m_async, AsyncRemoteLocalResponse, deadline, header, nullptr, 0)
                                : status;
}

ViStatus HislipLink::trigger(ViUInt32 timeoutMs)
{
    return send(m_sync, Trigger, takeRmtDelivered(), nextMessageId(), nullptr, 0,
                Deadline::afterMs(timeoutMs));
}

ViStatus HislipLink::lock(const std::string &sharedKey, ViUInt32 lockTimeoutMs, ViUInt32 timeoutMs)
{
    // The server itself waits up to the lock time-out before it answers.
    const Deadline deadline = Deadline::afterMs(saturatedSum(lockTimeoutMs, timeoutMs));
    Header header;
    ViStatus status =
        send(m_async, AsyncLock, 1, lockTimeoutMs, sharedKey.data(), sharedKey.size(), deadline);
    if (status == VI_SUCCESS) {
        status = awaitOn(m_async, AsyncLockResponse, deadline, header, nullptr, 0);
    }
    if (status != VI_SUCCESS) {
        return status;
    }
    switch (header.control) {
    case 0:
        return VI_ERROR_TMO;
    case 1:
    case 2:
        return VI_SUCCESS;
    default:
        return VI_ERROR_IO;
    }
}

ViStatus HislipLink::unlock(ViUInt32 timeoutMs)
{
    const Deadline deadline = Deadline::afterMs(timeoutMs);
    Header header;
    ViStatus status = send(m_async, AsyncLock, 0, m_lastId, nullptr, 0, deadline);
    if (status == VI_SUCCESS) {
        status = awaitOn(m_async, AsyncLockResponse, deadline, header, nullptr, 0);
    }
    if (status != VI_SUCCESS) {
        return status;
    }
    // 1 and 2: an exclusive or a shared lock was released; 3: this session held none.
    return header.control == 1 || header.control == 2 ? VI_SUCCESS : VI_ERROR_SESN_NLOCKED;
}

} // namespace visalib
