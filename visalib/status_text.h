// Human-readable descriptions of VISA completion and error codes, for viStatusDesc.
#pragma once

#include "visalib/visa32.h"

namespace visalib {

// The description of a status, or nullptr when the status is unknown to this library.
const char *statusDescription(ViStatus status);

} // namespace visalib
