// TCPIP INSTR resources: a VXI-11 core-channel link to a LAN device ("inst0" by default).
#pragma once

#include "visalib/io_session.h"
#include "visalib/vxi11_link.h"

namespace visalib {

class InstrSession : public IoSession
{
public:
    InstrSession(ViSession owner, ResourceName name);
    ~InstrSession() override;

    ViStatus connect(bool lockDevice, ViUInt32 lockTimeoutMs);

protected:
    ViStatus doRead(const SessionAttributes &a, ViPBuf buffer, ViUInt32 count, ViUInt32 &returned) override;
    ViStatus doWrite(const SessionAttributes &a, ViConstBuf buffer, ViUInt32 count,
                     ViUInt32 &returned) override;
    ViStatus doClear(const SessionAttributes &a) override;
    ViStatus doReadStatusByte(const SessionAttributes &a, ViUInt16 &status) override;
    ViStatus doControlRen(const SessionAttributes &a, ViUInt16 mode) override;
    void doDiscardInput() override {}
    ViStatus doLock(const SessionAttributes &a, ViAccessMode type, ViUInt32 timeoutMs,
                    const std::string &key) override;
    ViStatus doUnlock(const SessionAttributes &a, ViAccessMode type) override;
    ViStatus doAssertTrigger(const SessionAttributes &a, ViUInt16 protocol) override;
    void doRelease(const SessionAttributes &a) override;
    void interrupt() override;
    ViStatus getTransportAttribute(ViAttr attribute, void *value) override;

private:
    Vxi11Link m_link;
};

} // namespace visalib
