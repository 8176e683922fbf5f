// The one portmapper call a VXI-11 client needs: GETPORT for the core channel's program.
#pragma once

#include "visalib/net.h"

namespace visalib {

// Asks the portmapper behind the connected socket `fd` (peer address `peer`) for the TCP port of
// program/version. Port 0 means the program is not registered there. The caller keeps the socket.
NetResult portmapGetTcpPort(int fd, const SocketAddress &peer, unsigned long program, unsigned long version,
                            ViUInt32 timeoutMs, uint16_t &port);

} // namespace visalib
