#include "visalib/portmap_client.h"

#include "visalib/vxi11_codec.h"

#include <netinet/in.h>
#include <rpc/pmap_prot.h>
#include <rpc/rpc.h>

namespace visalib {

namespace {

bool_t decodePort(XDR *xdrs, u_long *port)
{
    return xdr_u_long(xdrs, port);
}

} // namespace

NetResult portmapGetTcpPort(int fd, const SocketAddress &peer, unsigned long program, unsigned long version,
                            ViUInt32 timeoutMs, uint16_t &port)
{
    SocketAddress copy = peer; // netbuf wants a mutable buffer
    netbuf address{copy.length, copy.length, &copy.storage};
    CLIENT *client = clnt_vc_create(fd, &address, PMAPPROG, PMAPVERS, 0, 0);
    if (client == nullptr) {
        return NetResult::Failed;
    }
    pmap query{program, version, IPPROTO_TCP, 0};
    u_long answer = 0;
    timeval limit{static_cast<time_t>(timeoutMs / 1000), static_cast<suseconds_t>((timeoutMs % 1000) * 1000)};
    enum clnt_stat rc;
    {
        SigpipeGuard noSigpipe;
        rc = clnt_call(client, PMAPPROC_GETPORT, asXdrProc(xdr_pmap), reinterpret_cast<char *>(&query),
                       asXdrProc(decodePort), reinterpret_cast<char *>(&answer), limit);
        if (rc != RPC_SUCCESS)
            noSigpipe.callFailed();
    }
    clnt_destroy(client);
    if (rc == RPC_TIMEDOUT) {
        return NetResult::TimedOut;
    }
    if (rc != RPC_SUCCESS) {
        return rc == RPC_CANTRECV || rc == RPC_CANTSEND ? NetResult::ConnectionLost : NetResult::Failed;
    }
    port = answer <= 0xFFFF ? static_cast<uint16_t>(answer) : 0;
    return NetResult::Ok;
}

} // namespace visalib
