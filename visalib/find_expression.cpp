#include "visalib/find_expression.h"

namespace visalib {

namespace {

constexpr size_t kMaxExpressionLength = 512;

// Characters that std::regex treats specially but VISA expressions take literally.
bool isLiteralInVisa(char c)
{
    switch (c) {
    case '.':
    case '^':
    case '$':
    case '{':
    case '}':
        return true;
    default:
        return false;
    }
}

// Translates the VISA grammar ("?" one character, "*" and "+" repeat the previous item, "[...]"
// and "[^...]" sets, "|" alternatives, "(...)" groups, "\" escapes) into ECMAScript syntax.
bool translate(std::string_view expr, std::string &out)
{
    out.clear();
    bool inSet = false;
    bool haveItem = false; // "*" and "+" need something to repeat
    for (size_t i = 0; i < expr.size(); ++i) {
        char c = expr[i];
        if (c == '\0') {
            return false;
        }
        if (c == '\\') {
            if (i + 1 >= expr.size()) {
                return false;
            }
            out += '\\';
            out += expr[++i];
            haveItem = true;
            continue;
        }
        if (inSet) {
            if (c == ']') {
                inSet = false;
                haveItem = true;
            }
            if (c == '[') {
                out += '\\';
            }
            out += c;
            continue;
        }
        switch (c) {
        case '?':
            out += '.';
            haveItem = true;
            break;
        case '*':
        case '+':
            if (!haveItem) {
                return false;
            }
            out += c;
            haveItem = false;
            break;
        case '[':
            inSet = true;
            out += c;
            if (i + 1 < expr.size() && expr[i + 1] == ']') {
                return false;
            }
            break;
        case '|':
        case '(':
            out += c;
            haveItem = false;
            break;
        case ')':
            out += c;
            haveItem = true;
            break;
        default:
            if (isLiteralInVisa(c)) {
                out += '\\';
            }
            out += c;
            haveItem = true;
            break;
        }
    }
    return !inSet;
}

} // namespace

ViStatus FindExpression::compile(std::string_view expression)
{
    if (expression.empty() || expression.size() > kMaxExpressionLength) {
        return VI_ERROR_INV_EXPR;
    }
    // An attribute clause ("{VI_ATTR_... == ...}") after the name pattern is not supported:
    // none of this library's resources has configurable attributes to select on.
    if (expression.find('{') != std::string_view::npos) {
        return VI_ERROR_INV_EXPR;
    }
    std::string pattern;
    if (!translate(expression, pattern)) {
        return VI_ERROR_INV_EXPR;
    }
    try {
        m_regex = std::regex(pattern, std::regex::ECMAScript | std::regex::icase | std::regex::optimize);
    } catch (const std::regex_error &) {
        return VI_ERROR_INV_EXPR;
    }
    return VI_SUCCESS;
}

bool FindExpression::matches(const std::string &resourceName) const
{
    try {
        return std::regex_match(resourceName, m_regex);
    } catch (const std::regex_error &) {
        return false;
    }
}

} // namespace visalib
