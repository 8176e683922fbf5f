#include "visalib/resource_name.h"

#include <cctype>
#include <cstdio>
#include <vector>

namespace visalib {

namespace {

constexpr size_t kMaxNameLength = 1024;

std::vector<std::string_view> splitFields(std::string_view text)
{
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t pos = text.find("::", start);
        if (pos == std::string_view::npos) {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, pos - start));
        start = pos + 2;
    }
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

// A decimal number of at most `maxValue`; no sign, no blanks.
bool parseDecimal(std::string_view text, unsigned long maxValue, unsigned long &value)
{
    if (text.empty() || text.size() > 10) {
        return false;
    }
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    return value <= maxValue;
}

// Decimal or 0x-prefixed hexadecimal 16-bit number, as USB vendor and model codes are written.
bool parseUsbCode(std::string_view text, unsigned long &value)
{
    if (startsWithNoCase(text, "0x")) {
        std::string_view digits = text.substr(2);
        if (digits.empty() || digits.size() > 4) {
            return false;
        }
        value = 0;
        for (char c : digits) {
            if (!std::isxdigit(static_cast<unsigned char>(c))) {
                return false;
            }
            value = value * 16 +
                    static_cast<unsigned long>(std::isdigit(static_cast<unsigned char>(c))
                                                   ? c - '0'
                                                   : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10);
        }
        return true;
    }
    return parseDecimal(text, 0xFFFF, value);
}

bool validText(std::string_view text)
{
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u <= ' ' || u == 0x7F) {
            return false;
        }
    }
    return true;
}

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char &c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

struct InterfaceKeyword
{
    std::string_view keyword;
    ViUInt16 type;
};

// Longer keywords first so that "GPIB-VXI" is not taken for "GPIB".
constexpr InterfaceKeyword kInterfaces[] = {
    {"GPIB-VXI", VI_INTF_GPIB_VXI}, {"GPIB", VI_INTF_GPIB}, {"TCPIP", VI_INTF_TCPIP}, {"ASRL", VI_INTF_ASRL},
    {"USB", VI_INTF_USB},           {"VXI", VI_INTF_VXI},   {"PXI", VI_INTF_PXI},
};

// "hislip", "hislipN" or "hislipN,port" (the word in any case): a HiSLIP sub-address. The port
// is not part of the sub-address the server is given. A name that starts with the word but does
// not have this form is refused rather than taken for a VXI-11 device name.
bool parseHislipDevice(std::string_view text, ResourceName &out)
{
    const size_t comma = text.find(',');
    std::string_view index =
        text.substr(6, comma == std::string_view::npos ? std::string_view::npos : comma - 6);
    unsigned long number = 0, port = kHislipDefaultPort;
    if ((!index.empty() && !parseDecimal(index, 0xFFFFFFFFul, number)) ||
        (comma != std::string_view::npos &&
         (!parseDecimal(text.substr(comma + 1), 65535, port) || port == 0))) {
        return false;
    }
    out.hislip = true;
    out.port = static_cast<ViUInt16>(port);
    out.deviceName = "hislip" + std::string(index);
    return true;
}

ViStatus parseTcpip(const std::vector<std::string_view> &f, ResourceName &out)
{
    const std::string prefix = "TCPIP" + std::to_string(out.board) + "::";
    if (f.size() < 2 || f.size() > 4 || !validText(f[1])) {
        return VI_ERROR_INV_RSRC_NAME;
    }
    out.host = std::string(f[1]);
    std::string_view last = f.back();
    if (f.size() >= 3 && equalsNoCase(last, "SOCKET")) {
        unsigned long port = 0;
        if (f.size() != 4 || !parseDecimal(f[2], 65535, port) || port == 0) {
            return VI_ERROR_INV_RSRC_NAME;
        }
        out.resourceClass = "SOCKET";
        out.port = static_cast<ViUInt16>(port);
        out.canonical = prefix + out.host + "::" + std::to_string(port) + "::SOCKET";
        return VI_SUCCESS;
    }
    // TCPIP::host, TCPIP::host::INSTR, TCPIP::host::device, TCPIP::host::device::INSTR
    size_t deviceFields = f.size() - 2;
    if (f.size() >= 3 && equalsNoCase(last, "INSTR")) {
        --deviceFields;
    } else if (f.size() == 4) {
        return VI_ERROR_INV_RSRC_NAME;
    }
    out.deviceName = "inst0";
    if (deviceFields == 1) {
        if (!validText(f[2])) {
            return VI_ERROR_INV_RSRC_NAME;
        }
        out.deviceName = std::string(f[2]);
    }
    out.resourceClass = "INSTR";
    if (deviceFields == 1 && startsWithNoCase(f[2], "hislip")) {
        if (!parseHislipDevice(f[2], out)) {
            return VI_ERROR_INV_RSRC_NAME;
        }
        out.canonical = prefix + out.host + "::" + out.deviceName +
                        (out.port == kHislipDefaultPort ? std::string() : "," + std::to_string(out.port)) +
                        "::INSTR";
        return VI_SUCCESS;
    }
    out.canonical = prefix + out.host + "::" + out.deviceName + "::INSTR";
    return VI_SUCCESS;
}

ViStatus parseGpib(const std::vector<std::string_view> &f, ResourceName &out)
{
    const std::string prefix = "GPIB" + std::to_string(out.board);
    if (f.size() == 2 && equalsNoCase(f[1], "INTFC")) {
        out.resourceClass = "INTFC";
        out.canonical = prefix + "::INTFC";
        return VI_SUCCESS;
    }
    size_t n = f.size();
    if (n >= 3 && equalsNoCase(f.back(), "INSTR")) {
        --n;
    }
    unsigned long primary = 0, secondary = 0;
    if (n < 2 || n > 3 || !parseDecimal(f[1], 30, primary) ||
        (n == 3 && !parseDecimal(f[2], 31, secondary))) {
        return VI_ERROR_INV_RSRC_NAME;
    }
    out.resourceClass = "INSTR";
    out.canonical = prefix + "::" + std::to_string(primary) +
                    (n == 3 ? "::" + std::to_string(secondary) : std::string()) + "::INSTR";
    return VI_SUCCESS;
}

ViStatus parseUsb(const std::vector<std::string_view> &f, ResourceName &out)
{
    size_t n = f.size();
    std::string cls = "INSTR";
    if (n >= 5 && (equalsNoCase(f.back(), "INSTR") || equalsNoCase(f.back(), "RAW"))) {
        cls = upper(f.back());
        --n;
    }
    unsigned long vendor = 0, model = 0, intf = 0;
    if (n < 4 || n > 5 || !parseUsbCode(f[1], vendor) || !parseUsbCode(f[2], model) || !validText(f[3]) ||
        (n == 5 && !parseDecimal(f[4], 255, intf))) {
        return VI_ERROR_INV_RSRC_NAME;
    }
    char codes[32];
    std::snprintf(codes, sizeof codes, "::0x%04lX::0x%04lX::", vendor, model);
    out.resourceClass = cls;
    out.canonical = "USB" + std::to_string(out.board) + codes + std::string(f[3]) +
                    (n == 5 ? "::" + std::to_string(intf) : std::string()) + "::" + cls;
    return VI_SUCCESS;
}

ViStatus parseAsrl(const std::vector<std::string_view> &f, ResourceName &out)
{
    if (f.size() > 2 || (f.size() == 2 && !equalsNoCase(f[1], "INSTR"))) {
        return VI_ERROR_INV_RSRC_NAME;
    }
    out.resourceClass = "INSTR";
    out.canonical = "ASRL" + std::to_string(out.board) + "::INSTR";
    return VI_SUCCESS;
}

// VXI, GPIB-VXI and PXI: recognised so that their names parse, never opened on this platform.
ViStatus parseOther(const std::vector<std::string_view> &f, std::string_view keyword, ResourceName &out)
{
    static constexpr std::string_view kClasses[] = {"INSTR", "INTFC", "MEMACC", "BACKPLANE", "SERVANT"};
    std::string cls = "INSTR";
    size_t n = f.size();
    for (std::string_view c : kClasses) {
        if (n >= 2 && equalsNoCase(f.back(), c)) {
            cls = std::string(c);
            --n;
            break;
        }
    }
    if (n > 4) {
        return VI_ERROR_INV_RSRC_NAME;
    }
    std::string canonical = std::string(keyword) + std::to_string(out.board);
    for (size_t i = 1; i < n; ++i) {
        if (!validText(f[i])) {
            return VI_ERROR_INV_RSRC_NAME;
        }
        canonical += "::" + std::string(f[i]);
    }
    if (cls == "INSTR" && n < 2) {
        return VI_ERROR_INV_RSRC_NAME;
    }
    out.resourceClass = cls;
    out.canonical = canonical + "::" + cls;
    return VI_SUCCESS;
}

} // namespace

ViStatus parseResourceName(std::string_view text, ResourceName &out)
{
    out = ResourceName();
    if (text.empty() || text.size() > kMaxNameLength) {
        return VI_ERROR_INV_RSRC_NAME;
    }
    std::vector<std::string_view> fields = splitFields(text);
    // A field that begins or ends with ':' cannot be told apart from the separator next to it:
    // "host::5025:" would come back as "host::5025:::INSTR", a different name.
    for (std::string_view field : fields) {
        if (!field.empty() && (field.front() == ':' || field.back() == ':')) {
            return VI_ERROR_INV_RSRC_NAME;
        }
    }
    std::string_view head = fields[0];
    const InterfaceKeyword *match = nullptr;
    for (const InterfaceKeyword &k : kInterfaces) {
        if (startsWithNoCase(head, k.keyword)) {
            match = &k;
            break;
        }
    }
    if (match == nullptr) {
        return VI_ERROR_INV_RSRC_NAME;
    }
    std::string_view boardText = head.substr(match->keyword.size());
    unsigned long board = 0;
    if (!boardText.empty() && !parseDecimal(boardText, 65535, board)) {
        return VI_ERROR_INV_RSRC_NAME;
    }
    out.interfaceType = match->type;
    out.board = static_cast<ViUInt16>(board);
    ViStatus status;
    switch (match->type) {
    case VI_INTF_TCPIP:
        status = parseTcpip(fields, out);
        break;
    case VI_INTF_GPIB:
        status = parseGpib(fields, out);
        break;
    case VI_INTF_USB:
        status = parseUsb(fields, out);
        break;
    case VI_INTF_ASRL:
        status = parseAsrl(fields, out);
        break;
    default:
        status = parseOther(fields, match->keyword, out);
        break;
    }
    if (status != VI_SUCCESS) {
        out = ResourceName();
    }
    return status;
}

} // namespace visalib
