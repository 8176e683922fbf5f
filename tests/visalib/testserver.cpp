#include "testserver.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

TestServer::TestServer(Handler handler, uint16_t port) : m_handler(std::move(handler))
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    if (bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0) {
        close(fd);
        return;
    }
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_listenFd = fd;
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

TestServer::~TestServer()
{
    m_stop = true;
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    if (m_listenFd >= 0)
        close(m_listenFd);
    std::lock_guard<std::mutex> guard(m_lock);
    for (std::thread &t : m_clients)
        t.join();
}

void TestServer::acceptLoop()
{
    while (!m_stop) {
        pollfd p{m_listenFd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        int client = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        std::lock_guard<std::mutex> guard(m_lock);
        m_clients.emplace_back([this, client] {
            m_handler(client);
            close(client);
        });
    }
}

namespace {
// Moves all `size` bytes with `io` (send or recv), retrying after signals; false once the peer has gone.
template <typename Io> bool transferAll(Io io, char *p, size_t size)
{
    while (size > 0) {
        const ssize_t n = io(p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}
} // namespace

bool sendBytes(int fd, const void *data, size_t size)
{
    return transferAll([fd](char *p, size_t n) { return send(fd, p, n, MSG_NOSIGNAL); },
                       const_cast<char *>(static_cast<const char *>(data)), size);
}

bool sendText(int fd, const std::string &text)
{
    return sendBytes(fd, text.data(), text.size());
}

bool receiveExactly(int fd, void *data, size_t size)
{
    return transferAll([fd](char *p, size_t n) { return recv(fd, p, n, 0); }, static_cast<char *>(data),
                       size);
}

bool receiveLine(int fd, std::string &line)
{
    line.clear();
    char c;
    while (receiveExactly(fd, &c, 1)) {
        if (c == '\n')
            return true;
        line += c;
    }
    return false;
}

void waitForClose(int fd)
{
    char buffer[4096];
    while (recv(fd, buffer, sizeof buffer, 0) > 0) {
    }
}
