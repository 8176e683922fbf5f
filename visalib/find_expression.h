// Matching of resource names against a VISA search expression ("?*INSTR", "TCPIP[0-9]*::?*",
// "GPIB?*INSTR|USB?*INSTR"). Matching ignores case, as resource names do. The expression is
// compiled into a small automaton that is run over all its states at once, so that matching
// takes time proportional to name length times expression length whatever the expression is:
// a caller's "(?*)*Z" must not stall the process the way a backtracking matcher would.
#pragma once

#include "visalib/visa32.h"

#include <bitset>
#include <string>
#include <string_view>
#include <vector>

namespace visalib {

class FindExpression
{
public:
    // VI_SUCCESS, or VI_ERROR_INV_EXPR when the expression is not a valid VISA expression.
    ViStatus compile(std::string_view expression);
    // work, where given, grows by the automaton states visited, which is what the time taken
    // follows: at most (name length + 1) * (3 * stepCount() + 1) for a match, and
    // (stepCount() * (prefix + suffix + 2) + 1) * (2 * stepCount() + 1) for canMatchSome. The
    // fuzzer holds every input to these bounds, which a clock on a shared machine cannot do.
    bool matches(const std::string &resourceName, size_t *work = nullptr) const;
    // Whether some name that starts with prefix and ends with suffix matches ("TCPIP", "::INSTR":
    // is it worth looking for LAN instruments at all).
    bool canMatchSome(std::string_view prefix, std::string_view suffix, size_t *work = nullptr) const;
    size_t stepCount() const { return m_steps.size(); }

    struct Step
    {
        enum Op
        {
            Char,  // consume one character of the set, go on with the next step
            Split, // go on with both next and alt
            Jump,  // go on with next only
            Match
        } op = Match;
        int next = 0;
        int alt = 0;
        std::bitset<256> set;
    };

private:
    std::vector<Step> m_steps;
    int m_start = 0;
};

} // namespace visalib
