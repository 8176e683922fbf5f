// Reading and writing text through the library's C interface, for the suites that drive it.
#pragma once

#include "visalib/visa32.h"

#include <string>

inline ViStatus writeString(ViSession vi, const std::string &text, ViUInt32 *written = nullptr)
{
    ViUInt32 count = 0;
    ViStatus status =
        viWrite(vi, reinterpret_cast<ViConstBuf>(text.data()), static_cast<ViUInt32>(text.size()), &count);
    if (written != nullptr)
        *written = count;
    return status;
}

inline std::string readString(ViSession vi, ViUInt32 count, ViStatus &status)
{
    std::string buffer(count, '\0');
    ViUInt32 got = 0;
    status = viRead(vi, reinterpret_cast<ViPBuf>(&buffer[0]), count, &got);
    buffer.resize(got);
    return buffer;
}
