// Matching of resource names against a VISA search expression ("?*INSTR", "TCPIP[0-9]*::?*",
// "GPIB?*INSTR|USB?*INSTR"). Matching ignores case, as resource names do.
#pragma once

#include "visalib/visa32.h"

#include <memory>
#include <regex>
#include <string>
#include <string_view>

namespace visalib {

class FindExpression
{
public:
    // VI_SUCCESS, or VI_ERROR_INV_EXPR when the expression is not a valid VISA expression.
    ViStatus compile(std::string_view expression);
    bool matches(const std::string &resourceName) const;

private:
    std::regex m_regex;
};

} // namespace visalib
