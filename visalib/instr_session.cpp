#include "visalib/instr_session.h"

#include "visalib/vxi11_codec.h"

namespace visalib {

namespace {

// One device_read asks for at most this much, so that the reply stays a modest RPC record.
constexpr ViUInt32 kLargestReadRequest = 1u << 20;
// destroy_link on close must not hold the caller up for a full long time-out.
constexpr ViUInt32 kShortestCloseWaitMs = 100;
constexpr ViUInt32 kLongestCloseWaitMs = 1000;

} // namespace

InstrSession::InstrSession(ViSession owner, ResourceName name) : IoSession(owner, std::move(name)) {}

InstrSession::~InstrSession()
{
    m_link.close(kShortestCloseWaitMs);
}

ViStatus InstrSession::connect(bool lockDevice, ViUInt32 lockTimeoutMs)
{
    const SessionAttributes a = attributes();
    return m_link.open(resourceName().host, resourceName().deviceName, lockDevice, lockTimeoutMs,
                       a.timeoutMs);
}

ViStatus InstrSession::doWrite(const SessionAttributes &a, ViConstBuf buffer, ViUInt32 count,
                               ViUInt32 &returned)
{
    const ViUInt32 largestChunk = m_link.maxRecvSize();
    // An empty write still goes out once, so that END alone can be sent.
    do {
        ViUInt32 remaining = count - returned;
        ViUInt32 chunk = remaining < largestChunk ? remaining : largestChunk;
        bool end = chunk == remaining && a.sendEnd;
        ViUInt32 accepted = 0;
        ViStatus status = m_link.write(buffer + returned, chunk, end, a.timeoutMs, accepted);
        returned += accepted;
        if (status != VI_SUCCESS) {
            return status;
        }
        if (accepted == 0 && chunk > 0) {
            return VI_ERROR_IO; // the device takes nothing: do not spin
        }
    } while (returned < count);
    return VI_SUCCESS;
}

ViStatus InstrSession::doRead(const SessionAttributes &a, ViPBuf buffer, ViUInt32 count, ViUInt32 &returned)
{
    const Deadline deadline = Deadline::afterMs(a.timeoutMs);
    while (returned < count) {
        ViUInt32 wanted = count - returned;
        ViUInt32 request = wanted < kLargestReadRequest ? wanted : kLargestReadRequest;
        ReadChunk chunk;
        ViStatus status = m_link.read(buffer + returned, request, a.termCharEnabled, a.termChar,
                                      deadline.remainingMs(a.timeoutMs), chunk);
        returned += chunk.length;
        if (status != VI_SUCCESS) {
            return status;
        }
        if ((chunk.reason & kReasonEnd) && !a.suppressEnd) {
            return VI_SUCCESS;
        }
        if ((chunk.reason & kReasonTermChar) && a.termCharEnabled) {
            return VI_SUCCESS_TERM_CHAR;
        }
        // A server that keeps answering without data or an end must not hold the caller forever.
        if (chunk.length == 0 && deadline.expired()) {
            return VI_ERROR_TMO;
        }
    }
    return VI_SUCCESS_MAX_CNT;
}

ViStatus InstrSession::doClear(const SessionAttributes &a)
{
    return m_link.clear(a.timeoutMs);
}

ViStatus InstrSession::doReadStatusByte(const SessionAttributes &a, ViUInt16 &status)
{
    return m_link.readStatusByte(a.timeoutMs, status);
}

ViStatus InstrSession::doControlRen(const SessionAttributes &a, ViUInt16 mode)
{
    // VXI-11 knows remote and local only; lock-out and addressing are the device's business.
    bool local =
        mode == VI_GPIB_REN_DEASSERT || mode == VI_GPIB_REN_DEASSERT_GTL || mode == VI_GPIB_REN_ADDRESS_GTL;
    return m_link.remote(!local, a.timeoutMs);
}

ViStatus InstrSession::doLock(const SessionAttributes &, ViAccessMode type, ViUInt32 timeoutMs,
                              const std::string &)
{
    // VXI-11 locks are exclusive only; a shared lock stays between this process's sessions.
    return type == VI_EXCLUSIVE_LOCK ? m_link.lock(timeoutMs) : VI_SUCCESS;
}

ViStatus InstrSession::doUnlock(const SessionAttributes &a, ViAccessMode type)
{
    return type == VI_EXCLUSIVE_LOCK ? m_link.unlock(a.timeoutMs) : VI_SUCCESS;
}

ViStatus InstrSession::doAssertTrigger(const SessionAttributes &a, ViUInt16 protocol)
{
    if (protocol != VI_TRIG_PROT_DEFAULT) {
        return VI_ERROR_INV_PROT;
    }
    return m_link.trigger(a.timeoutMs);
}

void InstrSession::doRelease(const SessionAttributes &a)
{
    ViUInt32 wait = a.timeoutMs < kShortestCloseWaitMs  ? kShortestCloseWaitMs
                    : a.timeoutMs > kLongestCloseWaitMs ? kLongestCloseWaitMs
                                                        : a.timeoutMs;
    m_link.close(wait);
}

void InstrSession::interrupt()
{
    m_link.interrupt();
}

ViStatus InstrSession::getTransportAttribute(ViAttr attribute, void *value)
{
    switch (attribute) {
    case VI_ATTR_TCPIP_ADDR:
        return putStringAttribute(value, m_link.peer().text);
    case VI_ATTR_TCPIP_HOSTNAME:
        return putStringAttribute(value, resourceName().host);
    case VI_ATTR_TCPIP_DEVICE_NAME:
        return putStringAttribute(value, resourceName().deviceName);
    default:
        return VI_ERROR_NSUP_ATTR;
    }
}

} // namespace visalib
