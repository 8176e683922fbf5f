#include "visalib/lan_discovery.h"

#include "visalib/net.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

namespace visalib {

namespace {

constexpr uint16_t kPortmapperPort = 111;
constexpr uint32_t kPortmapProgram = 100000;
constexpr uint32_t kPortmapVersion = 2;
constexpr uint32_t kGetPort = 3;
constexpr uint32_t kVxi11Core = 0x0607AF;
constexpr uint32_t kProtocolTcp = 6;
constexpr ViUInt32 kDefaultWindowMs = 1000;
constexpr ViUInt32 kLongestWindowMs = 60000;

struct Network
{
    in_addr local{};
    in_addr broadcast{};
};

// Up IPv4 interfaces that can broadcast; loopback only when there is nothing else.
std::vector<Network> localNetworks()
{
    std::vector<Network> networks;
    std::vector<Network> loopback;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0) {
        return networks;
    }
    for (ifaddrs *i = list; i != nullptr; i = i->ifa_next) {
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP)) {
            continue;
        }
        Network n;
        n.local = reinterpret_cast<sockaddr_in *>(i->ifa_addr)->sin_addr;
        if (i->ifa_flags & IFF_LOOPBACK) {
            n.broadcast.s_addr = htonl(INADDR_BROADCAST);
            loopback.push_back(n);
        } else if ((i->ifa_flags & IFF_BROADCAST) && i->ifa_broadaddr != nullptr) {
            n.broadcast = reinterpret_cast<sockaddr_in *>(i->ifa_broadaddr)->sin_addr;
            networks.push_back(n);
        }
    }
    freeifaddrs(list);
    return networks.empty() ? loopback : networks;
}

void putWord(std::vector<uint8_t> &out, uint32_t value)
{
    const uint32_t big = htonl(value);
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(&big);
    out.insert(out.end(), bytes, bytes + 4);
}

uint32_t word(const uint8_t *data, size_t index)
{
    uint32_t big;
    std::memcpy(&big, data + 4 * index, 4);
    return ntohl(big);
}

std::vector<uint8_t> getPortCall(uint32_t xid)
{
    std::vector<uint8_t> call;
    for (uint32_t v : {xid, 0u, 2u, kPortmapProgram, kPortmapVersion, kGetPort, 0u, 0u, 0u, 0u, kVxi11Core,
                       1u, kProtocolTcp, 0u}) {
        putWord(call, v);
    }
    return call;
}

// An accepted, successful reply to our call that names a non-zero port.
bool isPositiveAnswer(const uint8_t *data, size_t size, uint32_t xid)
{
    if (size < 7 * 4) {
        return false;
    }
    return word(data, 0) == xid && word(data, 1) == 1 /* reply */ && word(data, 2) == 0 /* accepted */ &&
           word(data, 3) == 0 && word(data, 4) == 0 /* AUTH_NONE, no body */ && word(data, 5) == 0 &&
           word(data, 6) != 0 && word(data, 6) <= 0xFFFF;
}

} // namespace

ViUInt32 discoveryWindowMs()
{
    const char *text = std::getenv("LISTFORGE_VISA_FIND_MS");
    if (text == nullptr || *text == '\0') {
        return kDefaultWindowMs;
    }
    char *end = nullptr;
    unsigned long value = std::strtoul(text, &end, 10);
    if (*end != '\0') {
        return kDefaultWindowMs;
    }
    return value > kLongestWindowMs ? kLongestWindowMs : static_cast<ViUInt32>(value);
}

std::vector<std::string> discoverVxi11Hosts(ViUInt32 windowMs)
{
    std::vector<std::string> found;
    std::vector<int> sockets;
    const uint32_t xid = std::random_device{}();
    const std::vector<uint8_t> call = getPortCall(xid);
    for (const Network &n : localNetworks()) {
        int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            continue;
        }
        int on = 1;
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr = n.local;
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_port = htons(kPortmapperPort);
        target.sin_addr = n.broadcast;
        // Bound to the interface's address, the limited broadcast leaves through that interface.
        if (setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
            bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0 ||
            sendto(fd, call.data(), call.size(), 0, reinterpret_cast<sockaddr *>(&target), sizeof target) <
                0) {
            ::close(fd);
            continue;
        }
        sockets.push_back(fd);
    }
    const Deadline deadline = Deadline::afterMs(windowMs);
    std::vector<pollfd> waits;
    for (int fd : sockets) {
        waits.push_back(pollfd{fd, POLLIN, 0});
    }
    while (!waits.empty() && !deadline.expired()) {
        int ready = poll(waits.data(), waits.size(), deadline.pollMs());
        if (ready <= 0) {
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            break;
        }
        for (pollfd &p : waits) {
            if (!(p.revents & POLLIN)) {
                continue;
            }
            uint8_t reply[512];
            sockaddr_in from{};
            socklen_t fromLength = sizeof from;
            ssize_t n;
            while ((n = recvfrom(p.fd, reply, sizeof reply, 0, reinterpret_cast<sockaddr *>(&from),
                                 &fromLength)) > 0) {
                char text[INET_ADDRSTRLEN] = {0};
                if (isPositiveAnswer(reply, static_cast<size_t>(n), xid) &&
                    inet_ntop(AF_INET, &from.sin_addr, text, sizeof text) != nullptr &&
                    std::find(found.begin(), found.end(), text) == found.end()) {
                    found.emplace_back(text);
                }
                fromLength = sizeof from;
            }
        }
    }
    for (int fd : sockets) {
        ::close(fd);
    }
    return found;
}

} // namespace visalib
