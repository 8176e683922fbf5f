#include "visalib/net.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

namespace visalib {

using Clock = std::chrono::steady_clock;

Deadline Deadline::afterMs(ViUInt32 timeoutMs)
{
    Deadline d;
    if (timeoutMs == VI_TMO_INFINITE) {
        d.m_infinite = true;
    } else {
        d.m_at = Clock::now() + std::chrono::milliseconds(timeoutMs);
    }
    return d;
}

bool Deadline::expired() const
{
    return !m_infinite && Clock::now() >= m_at;
}

int Deadline::pollMs() const
{
    if (m_infinite) {
        return -1;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_at - Clock::now()).count();
    if (left <= 0) {
        return 0;
    }
    return left > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(left);
}

ViUInt32 Deadline::remainingMs(ViUInt32 cap) const
{
    if (m_infinite) {
        return cap;
    }
    int left = pollMs();
    return static_cast<ViUInt32>(left) < cap ? static_cast<ViUInt32>(left) : cap;
}

namespace {

void tuneSocket(int fd)
{
    int one = 1;
    // Command/response traffic: small messages must leave at once, not wait for Nagle.
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
}

std::string numericAddress(const sockaddr *sa, socklen_t len)
{
    char host[NI_MAXHOST] = {0};
    if (getnameinfo(sa, len, host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0) {
        return std::string();
    }
    return host;
}

NetResult connectOne(const sockaddr *sa, socklen_t len, ViUInt32 timeoutMs, int &fdOut)
{
    int fd = socket(sa->sa_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return NetResult::Failed;
    }
    int flags = fcntl(fd, F_GETFL, 0);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    NetResult result = NetResult::Ok;
    if (connect(fd, sa, len) != 0) {
        if (errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            Deadline deadline = Deadline::afterMs(timeoutMs);
            int rc;
            do {
                rc = poll(&p, 1, deadline.pollMs());
            } while (rc < 0 && errno == EINTR);
            if (rc == 0) {
                result = NetResult::TimedOut;
            } else if (rc < 0) {
                result = NetResult::Failed;
            } else {
                int err = 0;
                socklen_t errLen = sizeof err;
                getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &errLen);
                if (err == ECONNREFUSED) {
                    result = NetResult::Refused;
                } else if (err != 0) {
                    result = NetResult::Failed;
                }
            }
        } else {
            result = errno == ECONNREFUSED ? NetResult::Refused : NetResult::Failed;
        }
    }
    if (result != NetResult::Ok) {
        close(fd);
        return result;
    }
    fcntl(fd, F_SETFL, flags);
    tuneSocket(fd);
    fdOut = fd;
    return NetResult::Ok;
}

} // namespace

NetResult connectTcp(const std::string &host, uint16_t port, ViUInt32 timeoutMs, int &fd, SocketAddress &peer)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    // No AI_ADDRCONFIG: it hides loopback addresses on a machine whose only interface is lo.
    hints.ai_flags = 0;
    addrinfo *list = nullptr;
    std::string service = std::to_string(port);
    int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    if (rc != 0 || list == nullptr) {
        return NetResult::UnknownHost;
    }
    NetResult result = NetResult::Failed;
    for (addrinfo *ai = list; ai != nullptr; ai = ai->ai_next) {
        result = connectOne(ai->ai_addr, ai->ai_addrlen, timeoutMs, fd);
        if (result == NetResult::Ok) {
            std::memcpy(&peer.storage, ai->ai_addr, ai->ai_addrlen);
            peer.length = ai->ai_addrlen;
            peer.text = numericAddress(ai->ai_addr, ai->ai_addrlen);
            break;
        }
    }
    freeaddrinfo(list);
    return result;
}

NetResult connectTcpTo(const SocketAddress &address, uint16_t port, ViUInt32 timeoutMs, int &fd,
                       SocketAddress &peer)
{
    peer = address;
    sockaddr *sa = reinterpret_cast<sockaddr *>(&peer.storage);
    if (sa->sa_family == AF_INET) {
        reinterpret_cast<sockaddr_in *>(sa)->sin_port = htons(port);
    } else if (sa->sa_family == AF_INET6) {
        reinterpret_cast<sockaddr_in6 *>(sa)->sin6_port = htons(port);
    } else {
        return NetResult::Failed;
    }
    return connectOne(sa, peer.length, timeoutMs, fd);
}

NetResult sendAll(int fd, const void *data, size_t size, const Deadline &deadline, size_t &sent, int flags)
{
    const iovec part{const_cast<void *>(data), size};
    return sendParts(fd, &part, 1, deadline, sent, flags);
}

NetResult sendParts(int fd, const iovec *parts, int count, const Deadline &deadline, size_t &sent, int flags)
{
    size_t total = 0;
    for (int i = 0; i < count; ++i) {
        total += parts[i].iov_len;
    }
    sent = 0;
    // Most calls send one or two parts: no allocation for them on every write.
    iovec few[4];
    std::vector<iovec> many(count > 4 ? static_cast<size_t>(count) : 0);
    iovec *rest = count > 4 ? many.data() : few;
    while (sent < total) {
        // What is still to go: the parts after the bytes sent so far.
        size_t offset = sent;
        size_t left = 0;
        for (int i = 0; i < count; ++i) {
            if (offset >= parts[i].iov_len) {
                offset -= parts[i].iov_len;
                continue;
            }
            rest[left++] = {static_cast<char *>(parts[i].iov_base) + offset, parts[i].iov_len - offset};
            offset = 0;
        }
        msghdr message{};
        message.msg_iov = rest;
        message.msg_iovlen = left;
        ssize_t n = sendmsg(fd, &message, MSG_NOSIGNAL | MSG_DONTWAIT | flags);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd pfd{fd, POLLOUT, 0};
            int rc = poll(&pfd, 1, deadline.pollMs());
            if (rc == 0) {
                return NetResult::TimedOut;
            }
            if (rc < 0 && errno != EINTR) {
                return NetResult::Failed;
            }
            continue;
        }
        return NetResult::ConnectionLost;
    }
    return NetResult::Ok;
}

ViStatus statusFor(NetResult result)
{
    switch (result) {
    case NetResult::Ok:
        return VI_SUCCESS;
    case NetResult::TimedOut:
        return VI_ERROR_TMO;
    case NetResult::ConnectionLost:
        return VI_ERROR_CONN_LOST;
    default:
        return VI_ERROR_IO;
    }
}

NetResult waitReadable(int fd, const Deadline &deadline)
{
    for (;;) {
        pollfd pfd{fd, POLLIN, 0};
        int rc = poll(&pfd, 1, deadline.pollMs());
        if (rc > 0) {
            return NetResult::Ok;
        }
        if (rc == 0) {
            return NetResult::TimedOut;
        }
        if (errno != EINTR) {
            return NetResult::Failed;
        }
    }
}

SigpipeGuard::SigpipeGuard()
{
    sigset_t pipeSet, old;
    sigemptyset(&pipeSet);
    sigaddset(&pipeSet, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSet, &old);
    m_wasBlocked = sigismember(&old, SIGPIPE) == 1;
}

SigpipeGuard::~SigpipeGuard()
{
    // A thread that blocks SIGPIPE itself keeps whatever is pending: that is its own policy.
    if (m_wasBlocked)
        return;
    sigset_t pipeSet;
    sigemptyset(&pipeSet);
    sigaddset(&pipeSet, SIGPIPE);
    // While unblocked no SIGPIPE could have been pending before, so one pending now is ours.
    if (m_failed) {
        sigset_t pending;
        sigpending(&pending);
        if (sigismember(&pending, SIGPIPE) == 1) {
            timespec zero{0, 0};
            while (sigtimedwait(&pipeSet, nullptr, &zero) < 0 && errno == EINTR) {
            }
        }
    }
    pthread_sigmask(SIG_UNBLOCK, &pipeSet, nullptr);
}

} // namespace visalib
