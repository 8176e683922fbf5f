// Small POSIX networking helpers shared by the SOCKET and the VXI-11 transports: time-outs as
// deadlines, host look-up, connecting with a time limit, sending without SIGPIPE.
#pragma once

#include "visalib/visa32.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/socket.h>
#include <sys/uio.h>

namespace visalib {

// A point in time after which an operation has to give up. VISA's "infinite" time-out has none.
class Deadline
{
public:
    static Deadline afterMs(ViUInt32 timeoutMs);
    bool infinite() const { return m_infinite; }
    bool expired() const;
    // Milliseconds left for poll(): -1 for no limit, 0 once expired.
    int pollMs() const;
    // Milliseconds left, saturated at the given cap (used for RPC time-outs).
    ViUInt32 remainingMs(ViUInt32 cap) const;

private:
    std::chrono::steady_clock::time_point m_at{};
    bool m_infinite = false;
};

enum class NetResult
{
    Ok,
    UnknownHost,
    Refused,
    TimedOut,
    ConnectionLost,
    Failed
};

struct SocketAddress
{
    sockaddr_storage storage{};
    socklen_t length = 0;
    std::string text; // numeric address, for VI_ATTR_TCPIP_ADDR
};

// Looks the host up (names or numeric addresses, IPv4 first) and connects a TCP socket to the
// first address that accepts within the time limit. The socket has TCP_NODELAY and FD_CLOEXEC.
NetResult connectTcp(const std::string &host, uint16_t port, ViUInt32 timeoutMs, int &fd,
                     SocketAddress &peer);

// Connects to an already resolved address, keeping its host part and replacing the port.
NetResult connectTcpTo(const SocketAddress &address, uint16_t port, ViUInt32 timeoutMs, int &fd,
                       SocketAddress &peer);

// Sends every byte unless the deadline passes or the peer goes away; `sent` counts what left.
// `flags` are added to every send() (MSG_MORE: more of the same message follows).
NetResult sendAll(int fd, const void *data, size_t size, const Deadline &deadline, size_t &sent,
                  int flags = 0);

// The same for data in several parts (a header and its payload), sent without copying them.
NetResult sendParts(int fd, const iovec *parts, int count, const Deadline &deadline, size_t &sent,
                    int flags = 0);

// VI_SUCCESS, VI_ERROR_TMO, VI_ERROR_CONN_LOST or VI_ERROR_IO.
ViStatus statusFor(NetResult result);

// Waits until the socket has data (or an end of stream) to read.
NetResult waitReadable(int fd, const Deadline &deadline);

// Keeps SIGPIPE from killing the host program while a library call writes to a socket whose
// peer is gone (libtirpc writes with write(), not send(MSG_NOSIGNAL)). The signal is blocked in
// the calling thread only and a SIGPIPE raised meanwhile is consumed before it is unblocked.
class SigpipeGuard
{
public:
    SigpipeGuard();
    ~SigpipeGuard();
    SigpipeGuard(const SigpipeGuard &) = delete;
    SigpipeGuard &operator=(const SigpipeGuard &) = delete;

    // Only a failed call can have raised SIGPIPE; a successful one needs no look at the pending
    // signals, which keeps the guard at two system calls on the hot path.
    void callFailed() { m_failed = true; }

private:
    bool m_wasBlocked = false;
    bool m_failed = false;
};

} // namespace visalib
