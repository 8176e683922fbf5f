#include "visalib/io_session.h"

#include "visalib/lock_table.h"

namespace visalib {

namespace {

constexpr ViUInt32 kLargestBuffer = 16u * 1024u * 1024u;

bool isReadOnlySessionAttribute(ViAttr attribute)
{
    switch (attribute) {
    case VI_ATTR_RSRC_CLASS:
    case VI_ATTR_RSRC_NAME:
    case VI_ATTR_INTF_TYPE:
    case VI_ATTR_INTF_NUM:
    case VI_ATTR_INTF_INST_NAME:
    case VI_ATTR_RD_BUF_SIZE:
    case VI_ATTR_WR_BUF_SIZE:
    case VI_ATTR_TCPIP_ADDR:
    case VI_ATTR_TCPIP_HOSTNAME:
    case VI_ATTR_TCPIP_PORT:
    case VI_ATTR_TCPIP_DEVICE_NAME:
    case VI_ATTR_TCPIP_IS_HISLIP:
    case VI_ATTR_TCPIP_HISLIP_VERSION:
    case VI_ATTR_TCPIP_HISLIP_MAX_MESSAGE_KB:
    case VI_ATTR_TCPIP_HISLIP_OVERLAP_EN:
        return true;
    default:
        return false;
    }
}

// Attributes the standard defines for one TCPIP resource class only; the other class answers
// VI_ERROR_NSUP_ATTR for them, as for any attribute it does not have.
bool belongsToOtherClass(ViAttr attribute, bool socket)
{
    switch (attribute) {
    case VI_ATTR_TCPIP_PORT:
    case VI_ATTR_TCPIP_NODELAY:
    case VI_ATTR_TCPIP_KEEPALIVE:
        return !socket;
    case VI_ATTR_TCPIP_DEVICE_NAME:
    case VI_ATTR_TCPIP_IS_HISLIP:
        return socket;
    default:
        return false;
    }
}

} // namespace

IoSession::IoSession(ViSession owner, ResourceName name)
    : VisaObject(Kind::Session, owner), m_name(std::move(name))
{
}

SessionAttributes IoSession::attributes() const
{
    std::lock_guard<std::mutex> guard(m_attributeLock);
    return m_attributes;
}

ViStatus IoSession::read(ViPBuf buffer, ViUInt32 count, ViUInt32 &returned)
{
    returned = 0;
    std::lock_guard<std::mutex> io(m_ioLock);
    if (ViStatus status = usable(); status != VI_SUCCESS) {
        return status;
    }
    return doRead(attributes(), buffer, count, returned);
}

ViStatus IoSession::write(ViConstBuf buffer, ViUInt32 count, ViUInt32 &returned)
{
    returned = 0;
    std::lock_guard<std::mutex> io(m_ioLock);
    if (ViStatus status = usable(); status != VI_SUCCESS) {
        return status;
    }
    return doWrite(attributes(), buffer, count, returned);
}

ViStatus IoSession::clear()
{
    std::lock_guard<std::mutex> io(m_ioLock);
    if (ViStatus status = usable(); status != VI_SUCCESS) {
        return status;
    }
    return doClear(attributes());
}

ViStatus IoSession::readStatusByte(ViUInt16 &status)
{
    std::lock_guard<std::mutex> io(m_ioLock);
    if (ViStatus status = usable(); status != VI_SUCCESS) {
        return status;
    }
    return doReadStatusByte(attributes(), status);
}

ViStatus IoSession::controlRen(ViUInt16 mode)
{
    if (mode > VI_GPIB_REN_ADDRESS_GTL) {
        return VI_ERROR_INV_MODE;
    }
    std::lock_guard<std::mutex> io(m_ioLock);
    if (ViStatus status = usable(); status != VI_SUCCESS) {
        return status;
    }
    return doControlRen(attributes(), mode);
}

ViStatus IoSession::usable() const
{
    if (m_closed) {
        return VI_ERROR_INV_OBJECT;
    }
    return LockTable::instance().mayAccess(m_name.canonical, this);
}

ViStatus IoSession::assertTrigger(ViUInt16 protocol)
{
    std::lock_guard<std::mutex> io(m_ioLock);
    if (ViStatus status = usable(); status != VI_SUCCESS) {
        return status;
    }
    return doAssertTrigger(attributes(), protocol);
}

ViStatus IoSession::lock(ViAccessMode type, ViUInt32 timeoutMs, const char *requestedKey, ViChar *accessKey)
{
    if (type != VI_EXCLUSIVE_LOCK && type != VI_SHARED_LOCK) {
        return VI_ERROR_INV_LOCK_TYPE;
    }
    // Waiting for other sessions happens without the I/O lock, so that viClose stays prompt.
    LockTable &table = LockTable::instance();
    LockGrant grant;
    const std::string key = type == VI_SHARED_LOCK && requestedKey != nullptr ? requestedKey : "";
    ViStatus status = table.acquire(m_name.canonical, this, type, timeoutMs, key, grant);
    if (status < VI_SUCCESS) {
        return status;
    }
    if (grant.firstOfKind) {
        std::lock_guard<std::mutex> io(m_ioLock);
        ViStatus device = m_closed ? VI_ERROR_INV_OBJECT : doLock(attributes(), type, timeoutMs, grant.key);
        if (device != VI_SUCCESS) {
            ViAccessMode released = VI_NO_LOCK;
            table.release(m_name.canonical, this, released);
            return device;
        }
    }
    if (type == VI_SHARED_LOCK && accessKey != nullptr) {
        copyToFindBuffer(accessKey, grant.key);
    }
    return status;
}

ViStatus IoSession::unlock()
{
    std::lock_guard<std::mutex> io(m_ioLock);
    if (m_closed) {
        return VI_ERROR_INV_OBJECT;
    }
    ViAccessMode released = VI_NO_LOCK;
    ViStatus status = LockTable::instance().release(m_name.canonical, this, released);
    if (status >= VI_SUCCESS && released != VI_NO_LOCK) {
        ViStatus device = doUnlock(attributes(), released);
        if (device != VI_SUCCESS) {
            return device;
        }
    }
    return status;
}

ViStatus IoSession::doLock(const SessionAttributes &, ViAccessMode, ViUInt32, const std::string &)
{
    return VI_SUCCESS;
}

ViStatus IoSession::doUnlock(const SessionAttributes &, ViAccessMode)
{
    return VI_SUCCESS;
}

ViStatus IoSession::doAssertTrigger(const SessionAttributes &, ViUInt16)
{
    return VI_ERROR_NSUP_OPER;
}

ViStatus IoSession::setBuffer(ViUInt16 mask, ViUInt32 size)
{
    constexpr ViUInt16 known = VI_READ_BUF | VI_WRITE_BUF | VI_IO_IN_BUF | VI_IO_OUT_BUF;
    if (mask == 0 || (mask & ~known) != 0) {
        return VI_ERROR_INV_MASK;
    }
    if (size == 0 || size > kLargestBuffer) {
        return VI_ERROR_ALLOC;
    }
    std::lock_guard<std::mutex> guard(m_attributeLock);
    // The formatted-I/O buffers are the ones with attributes; the low-level I/O buffers are
    // the transport's own and take any size the caller wants.
    if (mask & VI_READ_BUF) {
        m_attributes.readBufferSize = size;
    }
    if (mask & VI_WRITE_BUF) {
        m_attributes.writeBufferSize = size;
    }
    return VI_SUCCESS;
}

ViStatus IoSession::flush(ViUInt16 mask)
{
    constexpr ViUInt16 known = VI_READ_BUF | VI_WRITE_BUF | VI_READ_BUF_DISCARD | VI_WRITE_BUF_DISCARD |
                               VI_IO_IN_BUF | VI_IO_OUT_BUF | VI_IO_IN_BUF_DISCARD | VI_IO_OUT_BUF_DISCARD;
    if (mask == 0 || (mask & ~known) != 0 || ((mask & VI_READ_BUF) && (mask & VI_READ_BUF_DISCARD)) ||
        ((mask & VI_IO_IN_BUF) && (mask & VI_IO_IN_BUF_DISCARD))) {
        return VI_ERROR_INV_MASK;
    }
    std::lock_guard<std::mutex> io(m_ioLock);
    if (ViStatus status = usable(); status != VI_SUCCESS) {
        return status;
    }
    // Writes always leave at once, so the output buffers are empty; received bytes that were
    // not yet read are dropped for every input-side request.
    if (mask & (VI_READ_BUF | VI_READ_BUF_DISCARD | VI_IO_IN_BUF | VI_IO_IN_BUF_DISCARD)) {
        doDiscardInput();
    }
    return VI_SUCCESS;
}

void IoSession::close()
{
    std::unique_lock<std::mutex> io(m_ioLock, std::try_to_lock);
    if (!io.owns_lock()) {
        interrupt();
        io.lock();
    }
    if (!m_closed) {
        m_closed = true;
        doRelease(attributes());
        // The instrument forgets the link's locks with the link; other sessions may go on.
        LockTable::instance().releaseAll(m_name.canonical, this);
    }
}

ViStatus IoSession::getAttribute(ViAttr attribute, void *value)
{
    if (belongsToOtherClass(attribute, m_name.isTcpipSocket())) {
        return VI_ERROR_NSUP_ATTR;
    }
    SessionAttributes a = attributes();
    switch (attribute) {
    case VI_ATTR_RSRC_CLASS:
        return putStringAttribute(value, m_name.resourceClass);
    case VI_ATTR_RSRC_NAME:
        return putStringAttribute(value, m_name.canonical);
    case VI_ATTR_INTF_TYPE:
        return putAttribute<ViUInt16>(value, m_name.interfaceType);
    case VI_ATTR_INTF_NUM:
        return putAttribute<ViUInt16>(value, m_name.board);
    case VI_ATTR_INTF_INST_NAME:
        return putStringAttribute(value, "TCPIP" + std::to_string(m_name.board) + " (VXI-11, HiSLIP and raw socket)");
    case VI_ATTR_TMO_VALUE:
        return putAttribute<ViUInt32>(value, a.timeoutMs);
    case VI_ATTR_TERMCHAR:
        return putAttribute<ViUInt8>(value, a.termChar);
    case VI_ATTR_TERMCHAR_EN:
        return putAttribute<ViBoolean>(value, a.termCharEnabled);
    case VI_ATTR_SEND_END_EN:
        return putAttribute<ViBoolean>(value, a.sendEnd);
    case VI_ATTR_SUPPRESS_END_EN:
        return putAttribute<ViBoolean>(value, a.suppressEnd);
    case VI_ATTR_IO_PROT:
        return putAttribute<ViUInt16>(value, a.ioProtocol);
    case VI_ATTR_RD_BUF_OPER_MODE:
        return putAttribute<ViUInt16>(value, a.readBufferMode);
    case VI_ATTR_WR_BUF_OPER_MODE:
        return putAttribute<ViUInt16>(value, a.writeBufferMode);
    case VI_ATTR_RD_BUF_SIZE:
        return putAttribute<ViUInt32>(value, a.readBufferSize);
    case VI_ATTR_WR_BUF_SIZE:
        return putAttribute<ViUInt32>(value, a.writeBufferSize);
    case VI_ATTR_TCPIP_NODELAY:
        return putAttribute<ViBoolean>(value, a.noDelay);
    case VI_ATTR_TCPIP_KEEPALIVE:
        return putAttribute<ViBoolean>(value, a.keepAlive);
    case VI_ATTR_TCPIP_IS_HISLIP:
        return putAttribute<ViBoolean>(value, m_name.hislip ? VI_TRUE : VI_FALSE);
    case VI_ATTR_MAX_QUEUE_LENGTH:
        return putAttribute<ViUInt32>(value, a.maxQueueLength);
    case VI_ATTR_RSRC_LOCK_STATE:
        return putAttribute<ViAccessMode>(value, LockTable::instance().state(m_name.canonical));
    default:
        break;
    }
    ViStatus status = getTransportAttribute(attribute, value);
    if (status != VI_ERROR_NSUP_ATTR) {
        return status;
    }
    return VisaObject::getAttribute(attribute, value);
}

ViStatus IoSession::setAttribute(ViAttr attribute, ViAttrState value)
{
    if (belongsToOtherClass(attribute, m_name.isTcpipSocket())) {
        return VI_ERROR_NSUP_ATTR;
    }
    if (isReadOnlySessionAttribute(attribute)) {
        return VI_ERROR_ATTR_READONLY;
    }
    SessionAttributes changed;
    {
        std::lock_guard<std::mutex> guard(m_attributeLock);
        SessionAttributes &a = m_attributes;
        // Callers on 64-bit hosts may hand in 32-bit values: only the attribute's own width counts.
        const ViUInt32 low = static_cast<ViUInt32>(value);
        switch (attribute) {
        case VI_ATTR_TMO_VALUE:
            a.timeoutMs = low;
            return VI_SUCCESS;
        case VI_ATTR_TERMCHAR:
            if (low > 0xFF) {
                return VI_ERROR_NSUP_ATTR_STATE;
            }
            a.termChar = static_cast<ViUInt8>(low);
            return VI_SUCCESS;
        case VI_ATTR_TERMCHAR_EN:
        case VI_ATTR_SEND_END_EN:
        case VI_ATTR_SUPPRESS_END_EN:
        case VI_ATTR_TCPIP_NODELAY:
        case VI_ATTR_TCPIP_KEEPALIVE: {
            ViUInt16 flag = static_cast<ViUInt16>(low);
            if (!isBooleanState(flag)) {
                return VI_ERROR_NSUP_ATTR_STATE;
            }
            bool on = flag == VI_TRUE;
            if (attribute == VI_ATTR_TERMCHAR_EN) {
                a.termCharEnabled = on;
            } else if (attribute == VI_ATTR_SEND_END_EN) {
                a.sendEnd = on;
            } else if (attribute == VI_ATTR_SUPPRESS_END_EN) {
                a.suppressEnd = on;
            } else if (attribute == VI_ATTR_TCPIP_NODELAY) {
                a.noDelay = on;
            } else {
                a.keepAlive = on;
            }
            if (attribute != VI_ATTR_TCPIP_NODELAY && attribute != VI_ATTR_TCPIP_KEEPALIVE) {
                return VI_SUCCESS;
            }
            changed = a;
            break;
        }
        case VI_ATTR_IO_PROT:
            if (static_cast<ViUInt16>(low) != VI_PROT_NORMAL &&
                static_cast<ViUInt16>(low) != VI_PROT_4882_STRS) {
                return VI_ERROR_NSUP_ATTR_STATE;
            }
            a.ioProtocol = static_cast<ViUInt16>(low);
            return VI_SUCCESS;
        case VI_ATTR_RD_BUF_OPER_MODE:
            if (static_cast<ViUInt16>(low) != VI_FLUSH_ON_ACCESS &&
                static_cast<ViUInt16>(low) != VI_FLUSH_DISABLE) {
                return VI_ERROR_NSUP_ATTR_STATE;
            }
            a.readBufferMode = static_cast<ViUInt16>(low);
            return VI_SUCCESS;
        case VI_ATTR_WR_BUF_OPER_MODE:
            if (static_cast<ViUInt16>(low) != VI_FLUSH_ON_ACCESS &&
                static_cast<ViUInt16>(low) != VI_FLUSH_WHEN_FULL) {
                return VI_ERROR_NSUP_ATTR_STATE;
            }
            a.writeBufferMode = static_cast<ViUInt16>(low);
            return VI_SUCCESS;
        case VI_ATTR_MAX_QUEUE_LENGTH:
            if (low == 0) {
                return VI_ERROR_NSUP_ATTR_STATE;
            }
            a.maxQueueLength = low;
            return VI_SUCCESS;
        default:
            return VisaObject::setAttribute(attribute, value);
        }
    }
    // The socket may be closing in another thread: change its options only under the I/O lock.
    std::lock_guard<std::mutex> io(m_ioLock);
    if (!m_closed) {
        applySocketOptions(changed);
    }
    return VI_SUCCESS;
}

} // namespace visalib
