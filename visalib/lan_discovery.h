// Discovery of VXI-11 instruments for viFindRsrc: one portmapper GETPORT call for the core
// program, broadcast on every local IPv4 network, and the addresses of those that answer with a
// port. Without any network interface but loopback, the broadcast goes out on loopback.
#pragma once

#include "visalib/visa32.h"

#include <string>
#include <vector>

namespace visalib {

// How long viFindRsrc listens for answers: LISTFORGE_VISA_FIND_MS when set to a number of
// milliseconds (at most a minute), one second otherwise.
ViUInt32 discoveryWindowMs();

// Numeric IPv4 addresses of the responders, each once, in the order their answers came.
std::vector<std::string> discoverVxi11Hosts(ViUInt32 windowMs);

} // namespace visalib
