#include "visalib/socket_session.h"

#include "instrument/statusnumber.h"

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

namespace visalib {

namespace {

constexpr size_t kInputBufferSize = 64 * 1024;
constexpr size_t kStatusReplyLimit = 64;

} // namespace

SocketSession::SocketSession(ViSession owner, ResourceName name) : IoSession(owner, std::move(name)) {}

SocketSession::~SocketSession()
{
    int fd = m_fd.exchange(-1);
    if (fd >= 0) {
        ::close(fd);
    }
}

ViStatus SocketSession::connect()
{
    const SessionAttributes a = attributes();
    int fd = -1;
    NetResult result = connectTcp(resourceName().host, resourceName().port, a.timeoutMs, fd, m_peer);
    if (result != NetResult::Ok) {
        return result == NetResult::TimedOut ? VI_ERROR_TMO : VI_ERROR_RSRC_NFOUND;
    }
    m_fd = fd;
    m_input.resize(kInputBufferSize);
    return VI_SUCCESS;
}

ViStatus SocketSession::statusFor(NetResult result)
{
    if (result == NetResult::ConnectionLost) {
        m_lost = true;
    }
    return visalib::statusFor(result);
}

ViStatus SocketSession::receive(const Deadline &deadline)
{
    if (m_head == m_tail) {
        m_head = m_tail = 0;
    } else if (m_tail == m_input.size()) {
        std::memmove(m_input.data(), m_input.data() + m_head, m_tail - m_head);
        m_tail -= m_head;
        m_head = 0;
    }
    const int fd = m_fd;
    if (m_heldBack) {
        // A reply cannot come before the instrument has the whole command: push the rest out.
        int off = 0;
        setsockopt(fd, IPPROTO_TCP, TCP_CORK, &off, sizeof off);
        m_heldBack = false;
    }
    for (;;) {
        NetResult ready = waitReadable(fd, deadline);
        if (ready != NetResult::Ok) {
            return statusFor(ready);
        }
        ssize_t n = recv(fd, m_input.data() + m_tail, m_input.size() - m_tail, MSG_DONTWAIT);
        if (n > 0) {
            m_tail += static_cast<size_t>(n);
            return VI_SUCCESS;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            continue;
        }
        // End of stream or a reset: the instrument has gone away.
        return statusFor(NetResult::ConnectionLost);
    }
}

ViStatus SocketSession::doRead(const SessionAttributes &a, ViPBuf buffer, ViUInt32 count, ViUInt32 &returned)
{
    if (m_fd < 0) {
        return VI_ERROR_CONN_LOST;
    }
    const Deadline deadline = Deadline::afterMs(a.timeoutMs);
    for (;;) {
        size_t available = m_tail - m_head;
        size_t wanted = count - returned;
        size_t take = available < wanted ? available : wanted;
        if (take > 0) {
            const ViByte *start = m_input.data() + m_head;
            if (a.termCharEnabled) {
                const void *hit = std::memchr(start, a.termChar, take);
                if (hit != nullptr) {
                    size_t n = static_cast<const ViByte *>(hit) - start + 1;
                    std::memcpy(buffer + returned, start, n);
                    m_head += n;
                    returned += static_cast<ViUInt32>(n);
                    // Raw TCP has no END of its own: unless END is suppressed, the termination
                    // character is the end of the message, as on serial lines.
                    return a.suppressEnd ? VI_SUCCESS_TERM_CHAR : VI_SUCCESS;
                }
            }
            std::memcpy(buffer + returned, start, take);
            m_head += take;
            returned += static_cast<ViUInt32>(take);
        }
        if (returned == count) {
            return VI_SUCCESS_MAX_CNT;
        }
        if (m_lost) {
            return VI_ERROR_CONN_LOST;
        }
        ViStatus status = receive(deadline);
        if (status != VI_SUCCESS) {
            return status;
        }
    }
}

ViStatus SocketSession::doWrite(const SessionAttributes &a, ViConstBuf buffer, ViUInt32 count,
                                ViUInt32 &returned)
{
    if (m_fd < 0 || m_lost) {
        return VI_ERROR_CONN_LOST;
    }
    // With END off the caller has said that more of the message follows (a block sent in many
    // small writes): the kernel takes the bytes at once but may join them into full segments
    // instead of sending a packet per write. The write with END, or any read, sends what is held.
    size_t sent = 0;
    const int more = a.sendEnd ? 0 : MSG_MORE;
    NetResult result = sendAll(m_fd, buffer, count, Deadline::afterMs(a.timeoutMs), sent, more);
    m_heldBack = more != 0;
    returned = static_cast<ViUInt32>(sent);
    return statusFor(result);
}

void SocketSession::doDiscardInput()
{
    m_head = m_tail = 0;
    const int fd = m_fd;
    if (fd < 0) {
        return;
    }
    // Whatever already arrived belongs to an answer nobody will read any more.
    for (;;) {
        ssize_t n = recv(fd, m_input.data(), m_input.size(), MSG_DONTWAIT);
        if (n > 0) {
            continue;
        }
        if (n == 0) {
            m_lost = true;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        break;
    }
}

ViStatus SocketSession::doClear(const SessionAttributes &)
{
    if (m_fd < 0 || m_lost) {
        return VI_ERROR_CONN_LOST;
    }
    doDiscardInput();
    return m_lost ? VI_ERROR_CONN_LOST : VI_SUCCESS;
}

ViStatus SocketSession::doReadStatusByte(const SessionAttributes &a, ViUInt16 &status)
{
    // A raw socket has no service-request channel; IEEE 488.2 instruments answer "*STB?".
    if (a.ioProtocol != VI_PROT_4882_STRS) {
        return VI_ERROR_NSUP_OPER;
    }
    static const ViByte query[] = {'*', 'S', 'T', 'B', '?', '\n'};
    ViUInt32 written = 0;
    ViStatus rc = doWrite(a, query, sizeof query, written);
    if (rc != VI_SUCCESS) {
        return rc;
    }
    SessionAttributes line = a;
    line.termChar = '\n';
    line.termCharEnabled = true;
    line.suppressEnd = false;
    ViByte reply[kStatusReplyLimit] = {0};
    ViUInt32 got = 0;
    rc = doRead(line, reply, kStatusReplyLimit, got);
    if (rc != VI_SUCCESS) {
        return rc == VI_SUCCESS_MAX_CNT ? VI_ERROR_IO : rc;
    }
    unsigned value = 0;
    if (!StatusNumber::parse(std::string_view(reinterpret_cast<const char *>(reply), got),
                             StatusNumber::RegisterMax, value)) {
        return VI_ERROR_IO;
    }
    status = static_cast<ViUInt16>(value);
    return VI_SUCCESS;
}

ViStatus SocketSession::doAssertTrigger(const SessionAttributes &a, ViUInt16 protocol)
{
    // Like the status byte, a trigger exists on a raw socket only as the IEEE 488.2 command.
    if (a.ioProtocol != VI_PROT_4882_STRS) {
        return VI_ERROR_NSUP_OPER;
    }
    if (protocol != VI_TRIG_PROT_DEFAULT) {
        return VI_ERROR_INV_PROT;
    }
    static const ViByte command[] = {'*', 'T', 'R', 'G', '\n'};
    ViUInt32 written = 0;
    return doWrite(a, command, sizeof command, written);
}

ViStatus SocketSession::doControlRen(const SessionAttributes &, ViUInt16)
{
    return VI_ERROR_NSUP_OPER;
}

void SocketSession::doRelease(const SessionAttributes &)
{
    int fd = m_fd.exchange(-1);
    if (fd >= 0) {
        ::close(fd);
    }
    std::vector<ViByte>().swap(m_input);
    m_head = m_tail = 0;
}

void SocketSession::interrupt()
{
    int fd = m_fd;
    if (fd >= 0) {
        shutdown(fd, SHUT_RDWR);
    }
}

ViStatus SocketSession::getTransportAttribute(ViAttr attribute, void *value)
{
    switch (attribute) {
    case VI_ATTR_TCPIP_ADDR:
        return putStringAttribute(value, m_peer.text);
    case VI_ATTR_TCPIP_HOSTNAME:
        return putStringAttribute(value, resourceName().host);
    case VI_ATTR_TCPIP_PORT:
        return putAttribute<ViUInt16>(value, resourceName().port);
    default:
        return VI_ERROR_NSUP_ATTR;
    }
}

void SocketSession::applySocketOptions(const SessionAttributes &a)
{
    int fd = m_fd;
    if (fd < 0) {
        return;
    }
    int noDelay = a.noDelay ? 1 : 0;
    int keepAlive = a.keepAlive ? 1 : 0;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &keepAlive, sizeof keepAlive);
}

} // namespace visalib
