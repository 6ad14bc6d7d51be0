#include "QueryString.h"

#include <array>

namespace {

constexpr std::array<const char *, 3> kKeys = {"sqlquery", "username", "userpass"};

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isKnownKey(const std::string &key)
{
    for (const char *k : kKeys) {
        if (key == k)
            return true;
    }
    return false;
}

} // namespace

std::string QueryString::decode(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += c; // a stray '%' stays as typed
        }
    }
    return out;
}

std::map<std::string, std::string> QueryString::parse(const std::string &query)
{
    std::map<std::string, std::string> rawValues;
    std::string lastKey;
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos)
            end = query.size();
        const std::string piece = query.substr(start, end - start);
        const size_t eq = piece.find('=');
        const std::string key = decode(piece.substr(0, eq));
        if (eq != std::string::npos && isKnownKey(key)) { // a repeated key: the last one counts, as in PHP
            rawValues[key] = piece.substr(eq + 1);
            lastKey = key;
        } else if (!lastKey.empty()) {
            rawValues[lastKey] += '&' + piece;
        }
        start = end + 1;
    }
    std::map<std::string, std::string> values;
    for (const auto &[key, raw] : rawValues)
        values[key] = decode(raw);
    return values;
}

bool QueryString::isValidUtf8(const std::string &text)
{
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t extra;
        unsigned minCode;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            minCode = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            minCode = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            minCode = 0x10000;
        } else {
            return false;
        }
        if (i + extra >= text.size())
            return false;
        unsigned code = c & (0x3F >> extra);
        for (size_t k = 1; k <= extra; ++k) {
            const auto d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (d & 0x3F);
        }
        if (code < minCode || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}
