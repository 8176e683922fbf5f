// "*IDN?" round trips per second through libvisa32 on one session, loaded by path the way the
// program and other VISA users load it.
//
//   visalib-idn-bench LIBRARY RESOURCE COUNT
//
// Prints "Result: N requests/second" (the same wording as lxi benchmark) after COUNT queries.
#include "visalib/visa32.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>

namespace {

template <typename F> F resolve(void *library, const char *name)
{
    void *symbol = dlsym(library, name);
    if (symbol == nullptr) {
        std::fprintf(stderr, "missing %s\n", name);
        std::exit(2);
    }
    F function;
    std::memcpy(&function, &symbol, sizeof function);
    return function;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s LIBRARY RESOURCE COUNT\n", argv[0]);
        return 2;
    }
    void *library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    auto openRM = resolve<decltype(&viOpenDefaultRM)>(library, "viOpenDefaultRM");
    auto open = resolve<decltype(&viOpen)>(library, "viOpen");
    auto close = resolve<decltype(&viClose)>(library, "viClose");
    auto setAttribute = resolve<decltype(&viSetAttribute)>(library, "viSetAttribute");
    auto write = resolve<decltype(&viWrite)>(library, "viWrite");
    auto read = resolve<decltype(&viRead)>(library, "viRead");

    const std::string resource = argv[2];
    const long count = std::strtol(argv[3], nullptr, 10);
    const bool socketMode = resource.find("SOCKET") != std::string::npos;
    ViSession rm = VI_NULL, vi = VI_NULL;
    if (openRM(&rm) != VI_SUCCESS || open(rm, resource.c_str(), VI_NO_LOCK, 0, &vi) != VI_SUCCESS) {
        std::fprintf(stderr, "cannot open %s\n", resource.c_str());
        return 1;
    }
    setAttribute(vi, VI_ATTR_TMO_VALUE, 5000);
    if (socketMode) {
        setAttribute(vi, VI_ATTR_TERMCHAR, '\n');
        setAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_TRUE);
    }
    const char *query = socketMode ? "*IDN?\n" : "*IDN?";
    const ViUInt32 queryLength = static_cast<ViUInt32>(std::strlen(query));
    ViByte reply[8192];
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i) {
        ViUInt32 n = 0;
        if (write(vi, reinterpret_cast<ViConstBuf>(query), queryLength, &n) != VI_SUCCESS ||
            read(vi, reply, sizeof reply - 1, &n) != VI_SUCCESS || n == 0) {
            std::fprintf(stderr, "query %ld failed\n", i);
            return 1;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("Result: %.1f requests/second\n", static_cast<double>(count) / seconds);
    close(vi);
    close(rm);
    return 0;
}
