// libFuzzer target for what the library takes from outside: resource names and search
// expressions from callers, and VXI-11 / portmapper replies from servers. The first input byte
// picks the decoder, the rest is its input.
#include "visalib/find_expression.h"
#include "visalib/resource_name.h"
#include "visalib/vxi11_codec.h"

#include <cstddef>
#include <cstdint>
#include <rpc/rpc.h>
#include <string>
#include <vector>

using namespace visalib;

namespace {

template <typename T> void decodeAndFree(bool_t (*routine)(XDR *, T *), const uint8_t *data, size_t size)
{
    std::vector<char> copy(data, data + size);
    XDR xdrs;
    xdrmem_create(&xdrs, copy.data(), static_cast<u_int>(copy.size()), XDR_DECODE);
    T value{};
    routine(&xdrs, &value);
    xdr_destroy(&xdrs);
    xdr_free(asXdrProc(routine), reinterpret_cast<char *>(&value));
}

void decodeReadReply(const uint8_t *data, size_t size)
{
    std::vector<char> copy(data, data + size);
    char buffer[512];
    BoundedReadResponse response;
    response.data = buffer;
    response.capacity = size > 0 ? static_cast<u_int>(data[0]) * 2 : 0; // vary the bound too
    XDR xdrs;
    xdrmem_create(&xdrs, copy.data(), static_cast<u_int>(copy.size()), XDR_DECODE);
    if (decodeBoundedReadResponse(&xdrs, &response) && response.length > response.capacity) {
        __builtin_trap();
    }
    xdr_destroy(&xdrs);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    const uint8_t selector = data[0] % 6;
    ++data;
    --size;
    const std::string text(reinterpret_cast<const char *>(data), size);
    switch (selector) {
    case 0: {
        ResourceName name;
        if (parseResourceName(text, name) == VI_SUCCESS) {
            ResourceName again;
            if (parseResourceName(name.canonical, again) != VI_SUCCESS || again.canonical != name.canonical) {
                __builtin_trap(); // the expanded name must parse back to itself
            }
        }
        break;
    }
    case 1: {
        const size_t split = text.find('\n');
        FindExpression expression;
        if (expression.compile(text.substr(0, split)) == VI_SUCCESS && split != std::string::npos) {
            expression.matches(text.substr(split + 1));
        }
        break;
    }
    case 2:
        decodeReadReply(data, size);
        break;
    case 3:
        decodeAndFree(xdr_Create_LinkResp, data, size);
        break;
    case 4:
        decodeAndFree(xdr_Device_WriteResp, data, size);
        break;
    default:
        decodeAndFree(xdr_Device_ReadStbResp, data, size);
        break;
    }
    return 0;
}
