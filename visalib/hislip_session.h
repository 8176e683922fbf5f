// TCPIP INSTR resources over HiSLIP ("TCPIP::host::hislip0::INSTR"): the VISA operations mapped
// onto a HislipLink.
#pragma once

#include "visalib/hislip_link.h"
#include "visalib/io_session.h"

namespace visalib {

class HislipSession : public IoSession
{
public:
    HislipSession(ViSession owner, ResourceName name);

    ViStatus connect(bool lockDevice, ViUInt32 lockTimeoutMs);

protected:
    ViStatus doRead(const SessionAttributes &a, ViPBuf buffer, ViUInt32 count, ViUInt32 &returned) override;
    ViStatus doWrite(const SessionAttributes &a, ViConstBuf buffer, ViUInt32 count,
                     ViUInt32 &returned) override;
    ViStatus doClear(const SessionAttributes &a) override;
    ViStatus doReadStatusByte(const SessionAttributes &a, ViUInt16 &status) override;
    ViStatus doControlRen(const SessionAttributes &a, ViUInt16 mode) override;
    void doDiscardInput() override { m_link.discardInput(); }
    ViStatus doLock(const SessionAttributes &a, ViAccessMode type, ViUInt32 timeoutMs,
                    const std::string &key) override;
    ViStatus doUnlock(const SessionAttributes &a, ViAccessMode type) override;
    ViStatus doAssertTrigger(const SessionAttributes &a, ViUInt16 protocol) override;
    void doRelease(const SessionAttributes &) override { m_link.close(); }
    void interrupt() override { m_link.interrupt(); }
    ViStatus getTransportAttribute(ViAttr attribute, void *value) override;

private:
    HislipLink m_link;
};

} // namespace visalib
