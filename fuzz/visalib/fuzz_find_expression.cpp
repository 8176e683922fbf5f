// libFuzzer target for search expressions as callers pass them to viFindRsrc. The input is an
// expression, a newline and a resource name. A caller's expression must never stall the process:
// every match must stay within the automaton's bound on the states it visits (linear in the name
// for a given expression), which a backtracking matcher breaks at once. The bound is counted, not
// timed: this machine's virtual CPUs stall now and then, and the stall counts as the thread's own
// CPU time, so a 100 ms CPU budget failed on a 9-byte expression that replays in microseconds.
// What a match says must also agree with itself: case never matters, and a name that matches
// proves that its own prefix and suffix can match some name.
#include "visalib/find_expression.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace visalib;

namespace {

std::string withCase(std::string text, int (*convert)(int))
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [convert](char c) { return char(convert(static_cast<unsigned char>(c))); });
    return text;
}

void fail(const char *what)
{
    std::fprintf(stderr, "find expression: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    const size_t split = input.find('\n');
    const std::string name = split == std::string::npos ? std::string() : input.substr(split + 1);

    FindExpression expression;
    if (expression.compile(input.substr(0, split)) != VI_SUCCESS)
        return 0;
    const size_t steps = expression.stepCount();
    size_t work = 0;
    const bool matched = expression.matches(name, &work);
    if (work > (name.size() + 1) * (3 * steps + 1))
        fail("a match visited more states than the automaton allows");
    if (expression.matches(withCase(name, ::toupper)) != matched ||
        expression.matches(withCase(name, ::tolower)) != matched)
        fail("the case of the name changed the result");
    if (matched) {
        for (size_t k = 0; k <= name.size(); k += 1 + name.size() / 8) {
            work = 0;
            if (!expression.canMatchSome(std::string_view(name).substr(0, k),
                                         std::string_view(name).substr(k), &work))
                fail("a matching name's own prefix and suffix were said to match nothing");
            if (work > (steps * (name.size() + 2) + 1) * (2 * steps + 1))
                fail("a prefix and suffix search visited more states than the automaton allows");
        }
    }
    return 0;
}
