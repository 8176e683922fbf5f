#include "instrument/statusnumber.h"

namespace {

bool isSpace(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

} // namespace

bool StatusNumber::parse(std::string_view text, unsigned uMax, unsigned &uValue)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return false;
    // Checked digit by digit, so that no length of digits can overflow.
    unsigned long long value = 0;
    for (const char ch : text) {
        if (ch < '0' || ch > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(ch - '0');
        if (value > uMax)
            return false;
    }
    uValue = static_cast<unsigned>(value);
    return true;
}
