// Parsing of VISA resource names ("TCPIP0::host::inst0::INSTR", "TCPIP::host::hislip0::INSTR",
// "TCPIP::host::5025::SOCKET", "GPIB0::20::INSTR", ...). Keywords are matched without regard to case.
#pragma once

#include "visalib/visa32.h"

#include <string>
#include <string_view>

namespace visalib {

struct ResourceName
{
    ViUInt16 interfaceType = 0; // VI_INTF_*
    ViUInt16 board = 0;         // interface number, 0 when not given
    std::string resourceClass;  // "INSTR", "SOCKET", "INTFC", "RAW", ...
    std::string host;           // TCPIP: host name or address as written
    std::string deviceName;     // TCPIP INSTR: LAN device name ("inst0" by default) or HiSLIP sub-address
    ViUInt16 port = 0;          // TCPIP SOCKET and HiSLIP INSTR: port number
    bool hislip = false;        // TCPIP INSTR over HiSLIP ("hislipN[,port]") instead of VXI-11
    std::string canonical;      // fully expanded name, e.g. "TCPIP0::host::inst0::INSTR"

    bool isTcpipInstr() const { return interfaceType == VI_INTF_TCPIP && resourceClass == "INSTR"; }
    bool isHislipInstr() const { return isTcpipInstr() && hislip; }
    bool isTcpipSocket() const { return interfaceType == VI_INTF_TCPIP && resourceClass == "SOCKET"; }
};

// VI_SUCCESS, or VI_ERROR_INV_RSRC_NAME when the text is not a valid resource name.
ViStatus parseResourceName(std::string_view text, ResourceName &out);

// The port HiSLIP servers listen on unless the resource name gives another.
constexpr ViUInt16 kHislipDefaultPort = 4880;

} // namespace visalib
