#include "visalib/vxi11_link.h"

#include "visalib/portmap_client.h"
#include "visalib/vxi11_codec.h"

#include <atomic>
#include <rpc/rpc.h>
#include <sys/socket.h>
#include <unistd.h>

namespace visalib {

namespace {

constexpr uint16_t kPortmapperPort = 111;
// The device gets io_timeout to act; the RPC reply may take a little longer on top of that.
constexpr ViUInt32 kRpcMarginMs = 1000;
// Cap for "infinite": a day, well within timeval and u_long.
constexpr ViUInt32 kLongestWaitMs = 24u * 3600u * 1000u;
// The standard guarantees every device accepts at least this much per device_write.
constexpr ViUInt32 kMinimumRecvSize = 1024;
// Cap for one write chunk regardless of what the server announces.
constexpr ViUInt32 kLargestWriteChunk = 1u << 20;
// How long device_clear and destroy_link wait for a server that already failed to answer.
constexpr ViUInt32 kUnresponsiveWaitMs = 900;

timeval rpcTimeout(ViUInt32 ioTimeoutMs)
{
    ViUInt32 ms = ioTimeoutMs >= kLongestWaitMs ? kLongestWaitMs + kRpcMarginMs : ioTimeoutMs + kRpcMarginMs;
    return timeval{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>((ms % 1000) * 1000)};
}

u_long deviceTimeout(ViUInt32 ms)
{
    return ms >= kLongestWaitMs ? kLongestWaitMs : ms;
}

long nextClientId()
{
    static std::atomic<long> counter{1};
    return static_cast<long>(getpid()) * 1000 + counter.fetch_add(1);
}

} // namespace

ViStatus statusFromDeviceError(long error)
{
    switch (error) {
    case 0:
        return VI_SUCCESS;
    case 3:  // device not accessible
    case 21: // invalid address
        return VI_ERROR_RSRC_NFOUND;
    case 4: // invalid link identifier: the server has forgotten the link
    case 6: // channel not established
        return VI_ERROR_CONN_LOST;
    case 8:
        return VI_ERROR_NSUP_OPER;
    case 9:
        return VI_ERROR_ALLOC;
    case 11:
        return VI_ERROR_RSRC_LOCKED;
    case 12:
        return VI_ERROR_SESN_NLOCKED;
    case 15:
        return VI_ERROR_TMO;
    case 23:
        return VI_ERROR_ABORT;
    default: // 1 syntax, 5 parameter, 17 I/O, 29 channel already established, others
        return VI_ERROR_IO;
    }
}

Vxi11Link::~Vxi11Link()
{
    close(0);
}

ViStatus Vxi11Link::open(const std::string &host, const std::string &device, bool lockDevice,
                         ViUInt32 lockTimeoutMs, ViUInt32 timeoutMs)
{
    // The portmapper is reached first: it proves the host exists and speaks ONC RPC.
    int portmapperFd = -1;
    SocketAddress portmapper;
    NetResult net = connectTcp(host, kPortmapperPort, timeoutMs, portmapperFd, portmapper);
    if (net != NetResult::Ok) {
        return net == NetResult::TimedOut ? VI_ERROR_TMO : VI_ERROR_RSRC_NFOUND;
    }
    uint16_t port = 0;
    net = portmapGetTcpPort(portmapperFd, portmapper, DEVICE_CORE, DEVICE_CORE_VERSION, timeoutMs, port);
    ::close(portmapperFd);
    if (net == NetResult::TimedOut) {
        return VI_ERROR_TMO;
    }
    if (net != NetResult::Ok || port == 0) {
        return VI_ERROR_RSRC_NFOUND;
    }
    int fd = -1;
    net = connectTcpTo(portmapper, port, timeoutMs, fd, m_peer);
    if (net != NetResult::Ok) {
        return net == NetResult::TimedOut ? VI_ERROR_TMO : VI_ERROR_RSRC_NFOUND;
    }
    m_fd = fd;
    m_corePort = port;
    netbuf address{m_peer.length, m_peer.length, &m_peer.storage};
    m_client = clnt_vc_create(m_fd, &address, DEVICE_CORE, DEVICE_CORE_VERSION, 0, 0);
    if (m_client == nullptr) {
        ::close(m_fd);
        m_fd = -1;
        return VI_ERROR_ALLOC;
    }
    Create_LinkParms parms{};
    parms.clientId = nextClientId();
    parms.lockDevice = lockDevice ? TRUE : FALSE;
    parms.lock_timeout = deviceTimeout(lockTimeoutMs);
    parms.device = const_cast<char *>(device.c_str());
    Create_LinkResp resp{};
    ViStatus status = call(create_link, asXdrProc(xdr_Create_LinkParms), &parms,
                           asXdrProc(xdr_Create_LinkResp), &resp, timeoutMs);
    if (status == VI_SUCCESS) {
        status = statusFromDeviceError(resp.error);
        // A device that cannot be reached by its name is not present, whatever the code says.
        if (status == VI_ERROR_IO || status == VI_ERROR_CONN_LOST) {
            status = VI_ERROR_RSRC_NFOUND;
        }
    } else if (status == VI_ERROR_CONN_LOST || status == VI_ERROR_IO) {
        status = VI_ERROR_RSRC_NFOUND;
    }
    if (status != VI_SUCCESS) {
        close(0);
        return status;
    }
    m_linkId = resp.lid;
    m_maxRecvSize = resp.maxRecvSize < kMinimumRecvSize     ? kMinimumRecvSize
                    : resp.maxRecvSize > kLargestWriteChunk ? kLargestWriteChunk
                                                            : static_cast<ViUInt32>(resp.maxRecvSize);
    return VI_SUCCESS;
}

void Vxi11Link::close(ViUInt32 timeoutMs)
{
    if (m_client != nullptr) {
        if (m_linkId != 0 && !m_broken && timeoutMs > 0) {
            Device_Link link = m_linkId;
            Device_Error resp{};
            call(destroy_link, asXdrProc(xdr_Device_Link), &link, asXdrProc(xdr_Device_Error), &resp,
                 timeoutMs, true);
        }
        clnt_destroy(m_client);
        m_client = nullptr;
    }
    int fd = m_fd.exchange(-1);
    if (fd >= 0) {
        ::close(fd);
    }
    m_linkId = 0;
    m_broken = false;
    m_unresponsive = false;
}

void Vxi11Link::interrupt()
{
    int fd = m_fd;
    if (fd >= 0) {
        m_broken = true;
        shutdown(fd, SHUT_RDWR);
    }
}

ViStatus Vxi11Link::call(unsigned long procedure, xdrproc_t encode, void *arguments, xdrproc_t decode,
                         void *result, ViUInt32 ioTimeoutMs, bool housekeeping)
{
    if (m_client == nullptr || m_broken) {
        return VI_ERROR_CONN_LOST;
    }
    timeval limit = rpcTimeout(ioTimeoutMs);
    if (housekeeping && m_unresponsive) {
        limit = timeval{0, static_cast<suseconds_t>(kUnresponsiveWaitMs * 1000)};
    }
    enum clnt_stat rc;
    {
        SigpipeGuard noSigpipe;
        rc = clnt_call(m_client, procedure, encode, arguments, decode, result, limit);
        if (rc != RPC_SUCCESS)
            noSigpipe.callFailed();
    }
    m_unresponsive = rc == RPC_TIMEDOUT;
    switch (rc) {
    case RPC_SUCCESS:
        return VI_SUCCESS;
    case RPC_TIMEDOUT:
        return VI_ERROR_TMO;
    case RPC_CANTSEND:
    case RPC_CANTRECV:
        m_broken = true;
        return VI_ERROR_CONN_LOST;
    case RPC_PROCUNAVAIL:
    case RPC_PROGUNAVAIL:
    case RPC_PROGVERSMISMATCH:
        return VI_ERROR_NSUP_OPER;
    default: // undecodable or rejected reply
        return VI_ERROR_IO;
    }
}

ViStatus Vxi11Link::write(const ViByte *data, ViUInt32 size, bool end, ViUInt32 ioTimeoutMs,
                          ViUInt32 &accepted)
{
    Device_WriteParms parms{};
    parms.lid = m_linkId;
    parms.io_timeout = deviceTimeout(ioTimeoutMs);
    parms.lock_timeout = deviceTimeout(ioTimeoutMs);
    parms.flags = end ? kFlagEnd : 0;
    parms.data.data_len = size;
    parms.data.data_val = reinterpret_cast<char *>(const_cast<ViByte *>(data));
    Device_WriteResp resp{};
    accepted = 0;
    ViStatus status = call(device_write, asXdrProc(xdr_Device_WriteParms), &parms,
                           asXdrProc(xdr_Device_WriteResp), &resp, ioTimeoutMs);
    if (status != VI_SUCCESS) {
        return status;
    }
    // Never believe a count larger than what was sent.
    accepted = resp.size <= size ? static_cast<ViUInt32>(resp.size) : size;
    return statusFromDeviceError(resp.error);
}

ViStatus Vxi11Link::read(ViByte *buffer, ViUInt32 capacity, bool termCharSet, ViByte termChar,
                         ViUInt32 ioTimeoutMs, ReadChunk &chunk)
{
    Device_ReadParms parms{};
    parms.lid = m_linkId;
    parms.requestSize = capacity;
    parms.io_timeout = deviceTimeout(ioTimeoutMs);
    parms.lock_timeout = deviceTimeout(ioTimeoutMs);
    parms.flags = termCharSet ? kFlagTermCharSet : 0;
    parms.termChar = static_cast<char>(termChar);
    BoundedReadResponse resp;
    resp.data = reinterpret_cast<char *>(buffer);
    resp.capacity = capacity;
    chunk = ReadChunk();
    ViStatus status = call(device_read, asXdrProc(xdr_Device_ReadParms), &parms,
                           asXdrProc(decodeBoundedReadResponse), &resp, ioTimeoutMs);
    if (status != VI_SUCCESS) {
        return status;
    }
    chunk.length = resp.length;
    chunk.reason = resp.reason;
    return statusFromDeviceError(resp.error);
}

ViStatus Vxi11Link::clear(ViUInt32 ioTimeoutMs)
{
    Device_GenericParms parms{m_linkId, 0, deviceTimeout(ioTimeoutMs), deviceTimeout(ioTimeoutMs)};
    Device_Error resp{};
    ViStatus status = call(device_clear, asXdrProc(xdr_Device_GenericParms), &parms,
                           asXdrProc(xdr_Device_Error), &resp, ioTimeoutMs, true);
    return status != VI_SUCCESS ? status : statusFromDeviceError(resp.error);
}

ViStatus Vxi11Link::readStatusByte(ViUInt32 ioTimeoutMs, ViUInt16 &stb)
{
    Device_GenericParms parms{m_linkId, 0, deviceTimeout(ioTimeoutMs), deviceTimeout(ioTimeoutMs)};
    Device_ReadStbResp resp{};
    ViStatus status = call(device_readstb, asXdrProc(xdr_Device_GenericParms), &parms,
                           asXdrProc(xdr_Device_ReadStbResp), &resp, ioTimeoutMs);
    if (status != VI_SUCCESS) {
        return status;
    }
    stb = resp.stb;
    return statusFromDeviceError(resp.error);
}

ViStatus Vxi11Link::remote(bool remote, ViUInt32 ioTimeoutMs)
{
    Device_GenericParms parms{m_linkId, 0, deviceTimeout(ioTimeoutMs), deviceTimeout(ioTimeoutMs)};
    Device_Error resp{};
    ViStatus status = call(remote ? device_remote : device_local, asXdrProc(xdr_Device_GenericParms), &parms,
                           asXdrProc(xdr_Device_Error), &resp, ioTimeoutMs);
    return status != VI_SUCCESS ? status : statusFromDeviceError(resp.error);
}

ViStatus Vxi11Link::trigger(ViUInt32 ioTimeoutMs)
{
    Device_GenericParms parms{m_linkId, 0, deviceTimeout(ioTimeoutMs), deviceTimeout(ioTimeoutMs)};
    Device_Error resp{};
    ViStatus status = call(device_trigger, asXdrProc(xdr_Device_GenericParms), &parms,
                           asXdrProc(xdr_Device_Error), &resp, ioTimeoutMs);
    return status != VI_SUCCESS ? status : statusFromDeviceError(resp.error);
}

ViStatus Vxi11Link::lock(ViUInt32 lockTimeoutMs)
{
    Device_LockParms parms{m_linkId, kFlagWaitLock, deviceTimeout(lockTimeoutMs)};
    Device_Error resp{};
    ViStatus status = call(device_lock, asXdrProc(xdr_Device_LockParms), &parms, asXdrProc(xdr_Device_Error),
                           &resp, lockTimeoutMs);
    if (status != VI_SUCCESS) {
        return status;
    }
    // The device's "locked by another link" after waiting is the VISA lock time-out.
    status = statusFromDeviceError(resp.error);
    return status == VI_ERROR_RSRC_LOCKED ? VI_ERROR_TMO : status;
}

ViStatus Vxi11Link::unlock(ViUInt32 ioTimeoutMs)
{
    Device_Link link = m_linkId;
    Device_Error resp{};
    ViStatus status = call(device_unlock, asXdrProc(xdr_Device_Link), &link, asXdrProc(xdr_Device_Error),
                           &resp, ioTimeoutMs);
    return status != VI_SUCCESS ? status : statusFromDeviceError(resp.error);
}

} // namespace visalib
