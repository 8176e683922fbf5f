#include "visalib/hislip_session.h"

namespace visalib {

namespace {

// The negotiated protocol version as a VISA version number (major in bits 20 and up, minor in
// bits 8 to 19): this client offers 1.0, so both sides speak 1.0 whatever the server knows.
constexpr ViUInt32 kHislipClientVersion = 0x00100000;

} // namespace

HislipSession::HislipSession(ViSession owner, ResourceName name) : IoSession(owner, std::move(name)) {}

ViStatus HislipSession::connect(bool lockDevice, ViUInt32 lockTimeoutMs)
{
    const SessionAttributes a = attributes();
    ViStatus status =
        m_link.open(resourceName().host, resourceName().port, resourceName().deviceName, a.timeoutMs);
    if (status == VI_SUCCESS && lockDevice) {
        status = m_link.lock(std::string(), lockTimeoutMs, a.timeoutMs);
        status = status == VI_ERROR_TMO ? VI_ERROR_RSRC_LOCKED : status;
    }
    return status;
}

ViStatus HislipSession::doRead(const SessionAttributes &a, ViPBuf buffer, ViUInt32 count, ViUInt32 &returned)
{
    const Deadline deadline = Deadline::afterMs(a.timeoutMs);
    for (;;) {
        HislipReadResult result;
        ViStatus status = m_link.read(buffer + returned, count - returned, a.termCharEnabled, a.termChar,
                                      deadline.remainingMs(a.timeoutMs), result);
        returned += result.length;
        if (status != VI_SUCCESS) {
            return status;
        }
        if (result.end && !a.suppressEnd) {
            return VI_SUCCESS;
        }
        if (result.termChar) {
            return VI_SUCCESS_TERM_CHAR;
        }
        if (returned == count) {
            return VI_SUCCESS_MAX_CNT;
        }
        if (deadline.expired()) {
            return VI_ERROR_TMO; // END suppressed and no further message in time
        }
    }
}

ViStatus HislipSession::doWrite(const SessionAttributes &a, ViConstBuf buffer, ViUInt32 count,
                                ViUInt32 &returned)
{
    return m_link.write(buffer, count, a.sendEnd, a.timeoutMs, returned);
}

ViStatus HislipSession::doClear(const SessionAttributes &a)
{
    return m_link.clear(a.timeoutMs);
}

ViStatus HislipSession::doReadStatusByte(const SessionAttributes &a, ViUInt16 &status)
{
    return m_link.readStatusByte(a.timeoutMs, status);
}

ViStatus HislipSession::doControlRen(const SessionAttributes &a, ViUInt16 mode)
{
    return m_link.remoteLocal(static_cast<ViUInt8>(mode), a.timeoutMs);
}

ViStatus HislipSession::doLock(const SessionAttributes &a, ViAccessMode type, ViUInt32 timeoutMs,
                               const std::string &key)
{
    // The server keeps the lock against every client: a shared lock travels with its key.
    return m_link.lock(type == VI_SHARED_LOCK ? key : std::string(), timeoutMs, a.timeoutMs);
}

ViStatus HislipSession::doUnlock(const SessionAttributes &a, ViAccessMode)
{
    return m_link.unlock(a.timeoutMs);
}

ViStatus HislipSession::doAssertTrigger(const SessionAttributes &a, ViUInt16 protocol)
{
    return protocol == VI_TRIG_PROT_DEFAULT ? m_link.trigger(a.timeoutMs) : VI_ERROR_INV_PROT;
}

ViStatus HislipSession::getTransportAttribute(ViAttr attribute, void *value)
{
    switch (attribute) {
    case VI_ATTR_TCPIP_ADDR:
        return putStringAttribute(value, m_link.peer().text);
    case VI_ATTR_TCPIP_HOSTNAME:
        return putStringAttribute(value, resourceName().host);
    case VI_ATTR_TCPIP_DEVICE_NAME:
        return putStringAttribute(value, resourceName().deviceName);
    case VI_ATTR_TCPIP_HISLIP_VERSION:
        return putAttribute<ViUInt32>(value, kHislipClientVersion);
    case VI_ATTR_TCPIP_HISLIP_MAX_MESSAGE_KB:
        return putAttribute<ViUInt32>(value, static_cast<ViUInt32>(m_link.maxMessageSize() / 1024));
    case VI_ATTR_TCPIP_HISLIP_OVERLAP_EN:
        return putAttribute<ViBoolean>(value, m_link.overlapped() ? VI_TRUE : VI_FALSE);
    default:
        return VI_ERROR_NSUP_ATTR;
    }
}

} // namespace visalib
