// A tiny threaded TCP server on the loopback interface for the library's tests: each accepted
// connection is handed to a handler on its own thread, so that the test thread can block in
// viRead/viWrite meanwhile.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TestServer
{
public:
    using Handler = std::function<void(int clientFd)>;

    // Listens on 127.0.0.1:port (0 = any free port).
    explicit TestServer(Handler handler, uint16_t port = 0);
    ~TestServer();
    TestServer(const TestServer &) = delete;
    TestServer &operator=(const TestServer &) = delete;

    bool listening() const { return m_listenFd >= 0; }
    uint16_t port() const { return m_port; }

private:
    void acceptLoop();

    Handler m_handler;
    int m_listenFd = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_acceptThread;
    std::mutex m_lock;
    std::vector<std::thread> m_clients;
};

// Helpers for handlers. All return false once the peer has gone.
bool sendText(int fd, const std::string &text);
bool sendBytes(int fd, const void *data, size_t size);
bool receiveExactly(int fd, void *data, size_t size);
// Reads up to and including the next line feed (without it in `line`).
bool receiveLine(int fd, std::string &line);
// Blocks until the peer closes the connection (bytes sent meanwhile are dropped).
void waitForClose(int fd);
