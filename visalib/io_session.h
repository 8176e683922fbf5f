// An open instrument session: the attributes every TCPIP session has, the serialisation of its
// I/O, and the transport operations that SocketSession and InstrSession implement.
#pragma once

#include "visalib/resource_name.h"
#include "visalib/visa_object.h"

#include <mutex>

namespace visalib {

// The attributes a transport needs for one operation, copied once at its start.
struct SessionAttributes
{
    ViUInt32 timeoutMs = 2000;
    ViUInt8 termChar = '\n';
    bool termCharEnabled = false;
    bool sendEnd = true;
    bool suppressEnd = false;
    ViUInt16 ioProtocol = VI_PROT_NORMAL;
    ViUInt16 readBufferMode = VI_FLUSH_DISABLE;
    ViUInt16 writeBufferMode = VI_FLUSH_WHEN_FULL;
    ViUInt32 readBufferSize = 4096;
    ViUInt32 writeBufferSize = 4096;
    bool noDelay = true;
    bool keepAlive = false;
    ViUInt32 maxQueueLength = 50;
};

class IoSession : public VisaObject
{
public:
    IoSession(ViSession owner, ResourceName name);
    ~IoSession() override = default;

    const ResourceName &resourceName() const { return m_name; }

    ViStatus read(ViPBuf buffer, ViUInt32 count, ViUInt32 &returned);
    ViStatus write(ViConstBuf buffer, ViUInt32 count, ViUInt32 &returned);
    ViStatus clear();
    ViStatus readStatusByte(ViUInt16 &status);
    ViStatus setBuffer(ViUInt16 mask, ViUInt32 size);
    ViStatus flush(ViUInt16 mask);
    ViStatus controlRen(ViUInt16 mode);
    ViStatus assertTrigger(ViUInt16 protocol);
    // viLock/viUnlock: the process-wide lock table decides between the sessions of this process;
    // doLock/doUnlock carry the lock to the instrument where the protocol has one.
    ViStatus lock(ViAccessMode type, ViUInt32 timeoutMs, const char *requestedKey, ViChar *accessKey);
    ViStatus unlock();
    // Ends the session: waits for (or, if it blocks, interrupts) an operation of another thread,
    // then releases the connection.
    void close();

    ViStatus getAttribute(ViAttr attribute, void *value) override;
    ViStatus setAttribute(ViAttr attribute, ViAttrState value) override;

protected:
    SessionAttributes attributes() const;

    // The transport operations. They run with the I/O lock held.
    virtual ViStatus doRead(const SessionAttributes &a, ViPBuf buffer, ViUInt32 count,
                            ViUInt32 &returned) = 0;
    virtual ViStatus doWrite(const SessionAttributes &a, ViConstBuf buffer, ViUInt32 count,
                             ViUInt32 &returned) = 0;
    virtual ViStatus doClear(const SessionAttributes &a) = 0;
    virtual ViStatus doReadStatusByte(const SessionAttributes &a, ViUInt16 &status) = 0;
    virtual ViStatus doControlRen(const SessionAttributes &a, ViUInt16 mode) = 0;
    virtual void doDiscardInput() = 0;
    // Called when the session gains its first lock of a type (key: the shared lock's access key)
    // and when it gives up the last level of it. A failing doLock undoes the grant.
    virtual ViStatus doLock(const SessionAttributes &a, ViAccessMode type, ViUInt32 timeoutMs,
                            const std::string &key);
    virtual ViStatus doUnlock(const SessionAttributes &a, ViAccessMode type);
    // VI_ERROR_NSUP_OPER unless the transport has a trigger message.
    virtual ViStatus doAssertTrigger(const SessionAttributes &a, ViUInt16 protocol);
    virtual void doRelease(const SessionAttributes &a) = 0;
    // Called without the I/O lock from another thread: make a blocked operation return now.
    virtual void interrupt() = 0;
    // Transport attributes (address, port, device name); VI_ERROR_NSUP_ATTR when not one of them.
    virtual ViStatus getTransportAttribute(ViAttr attribute, void *value) = 0;
    virtual void applySocketOptions(const SessionAttributes &) {}

private:
    // The I/O lock held and the session usable: VI_SUCCESS, or why the operation cannot run.
    ViStatus usable() const;

    ResourceName m_name;
    mutable std::mutex m_attributeLock;
    SessionAttributes m_attributes;
    std::mutex m_ioLock;
    bool m_closed = false;
};

} // namespace visalib
