// TCPIP SOCKET resources: a raw TCP connection. Reads end at the termination character (when
// enabled), at the requested count or at the time-out; bytes received beyond the end of one
// read wait in the session's input buffer for the next.
#pragma once

#include "visalib/io_session.h"
#include "visalib/net.h"

#include <atomic>
#include <vector>

namespace visalib {

class SocketSession : public IoSession
{
public:
    SocketSession(ViSession owner, ResourceName name);
    ~SocketSession() override;

    ViStatus connect();

protected:
    ViStatus doRead(const SessionAttributes &a, ViPBuf buffer, ViUInt32 count, ViUInt32 &returned) override;
    ViStatus doWrite(const SessionAttributes &a, ViConstBuf buffer, ViUInt32 count,
                     ViUInt32 &returned) override;
    ViStatus doClear(const SessionAttributes &a) override;
    ViStatus doReadStatusByte(const SessionAttributes &a, ViUInt16 &status) override;
    ViStatus doControlRen(const SessionAttributes &a, ViUInt16 mode) override;
    void doDiscardInput() override;
    ViStatus doAssertTrigger(const SessionAttributes &a, ViUInt16 protocol) override;
    void doRelease(const SessionAttributes &a) override;
    void interrupt() override;
    ViStatus getTransportAttribute(ViAttr attribute, void *value) override;
    void applySocketOptions(const SessionAttributes &a) override;

private:
    // Receives whatever the peer has sent into the input buffer, waiting until the deadline.
    ViStatus receive(const Deadline &deadline);
    ViStatus statusFor(NetResult result);

    std::atomic<int> m_fd{-1};
    SocketAddress m_peer;
    std::vector<ViByte> m_input;
    size_t m_head = 0; // first unread byte
    size_t m_tail = 0; // one past the last received byte
    bool m_lost = false;
    bool m_heldBack = false; // a write without END may sit in the kernel as a partial segment
};

} // namespace visalib
