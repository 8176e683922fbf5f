// libFuzzer target for search expressions as callers pass them to viFindRsrc. The input is an
// expression, a newline and a resource name. A caller's expression must never stall the process,
// so every input gets a CPU-time budget of 100 ms (CPU time, not wall time, so that a busy machine
// does not raise false alarms). What a match says must also agree with itself: case never
// matters, and a name that matches proves that its own prefix and suffix can match some name.
#include "visalib/find_expression.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

using namespace visalib;

namespace {

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

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
    const double start = cpuSeconds();
    const std::string input(reinterpret_cast<const char *>(data), size);
    const size_t split = input.find('\n');
    const std::string name = split == std::string::npos ? std::string() : input.substr(split + 1);

    FindExpression expression;
    if (expression.compile(input.substr(0, split)) == VI_SUCCESS) {
        const bool matched = expression.matches(name);
        if (expression.matches(withCase(name, ::toupper)) != matched ||
            expression.matches(withCase(name, ::tolower)) != matched)
            fail("the case of the name changed the result");
        if (matched) {
            for (size_t k = 0; k <= name.size(); k += 1 + name.size() / 8) {
                if (!expression.canMatchSome(std::string_view(name).substr(0, k),
                                             std::string_view(name).substr(k)))
                    fail("a matching name's own prefix and suffix were said to match nothing");
            }
        }
    }
    if (cpuSeconds() - start > 0.1)
        fail("one input took more than 100 ms of CPU time");
    return 0;
}
