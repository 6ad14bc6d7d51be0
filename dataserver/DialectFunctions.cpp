#include "DialectFunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace dialectfunctions {

namespace {

// Adds one unit in the last place of a run of decimal digits ("199" → "200", "99" → "100").
void incrementDigits(std::string &digits)
{
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            return;
        }
    }
    digits.insert(digits.begin(), '1');
}

void decFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const int scale = argc > 1 ? sqlite3_value_int(argv[1]) : 0;
    const int precision = argc > 2 ? sqlite3_value_int(argv[2]) : 10;
    if (scale < 0 || scale > 30 || precision < 1 || precision > 65 || scale > precision) {
        sqlite3_result_error(ctx, "DECIMAL precision or scale out of range", -1);
        return;
    }
    const std::string text = formatDecimal(sqlite3_value_double(argv[0]), scale, precision);
    sqlite3_result_text(ctx, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

int foldAscii(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? c - 32 : c;
}

// instr(haystack, needle): 1-based character position, ignoring ASCII case as MySQL's *_ci collations do.
void instrFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto *hay = sqlite3_value_text(argv[0]);
    const int hayLen = sqlite3_value_bytes(argv[0]);
    const auto *needle = sqlite3_value_text(argv[1]);
    const int needleLen = sqlite3_value_bytes(argv[1]);
    if (!hay || !needle) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    int chars = 0;
    for (int i = 0; i + needleLen <= hayLen; ++i) {
        if ((hay[i] & 0xC0) != 0x80)
            ++chars;
        else
            continue;
        int k = 0;
        while (k < needleLen && foldAscii(hay[i + k]) == foldAscii(needle[k]))
            ++k;
        if (k == needleLen) {
            sqlite3_result_int(ctx, needleLen == 0 ? 1 : chars);
            return;
        }
    }
    sqlite3_result_int(ctx, 0);
}

void concatFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    std::string out;
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) { // MySQL: any NULL makes the result NULL
            sqlite3_result_null(ctx);
            return;
        }
        out.append(reinterpret_cast<const char *>(sqlite3_value_text(argv[i])),
                   static_cast<size_t>(sqlite3_value_bytes(argv[i])));
    }
    sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

// Byte offset after `count` UTF-8 characters.
int utf8Offset(const unsigned char *s, int len, long long count)
{
    int i = 0;
    while (i < len && count > 0) {
        ++i;
        while (i < len && (s[i] & 0xC0) == 0x80)
            ++i;
        --count;
    }
    return i;
}

int utf8Length(const unsigned char *s, int len)
{
    int n = 0;
    for (int i = 0; i < len; ++i) {
        if ((s[i] & 0xC0) != 0x80)
            ++n;
    }
    return n;
}

void sideFunction(sqlite3_context *ctx, sqlite3_value **argv, bool left)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto *s = sqlite3_value_text(argv[0]);
    const int len = sqlite3_value_bytes(argv[0]);
    const long long n = std::max(0LL, static_cast<long long>(sqlite3_value_int64(argv[1])));
    if (left) {
        const int end = utf8Offset(s, len, n);
        sqlite3_result_text(ctx, reinterpret_cast<const char *>(s), end, SQLITE_TRANSIENT);
    } else {
        const long long total = utf8Length(s, len);
        const int start = utf8Offset(s, len, std::max(0LL, total - n));
        sqlite3_result_text(ctx, reinterpret_cast<const char *>(s) + start, len - start, SQLITE_TRANSIENT);
    }
}

void leftFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    sideFunction(ctx, argv, true);
}

void rightFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    sideFunction(ctx, argv, false);
}

void caseFunction(sqlite3_context *ctx, sqlite3_value **argv, bool upper)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    std::string s(reinterpret_cast<const char *>(sqlite3_value_text(argv[0])),
                  static_cast<size_t>(sqlite3_value_bytes(argv[0])));
    for (char &c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80)
            c = static_cast<char>(upper ? std::toupper(u) : std::tolower(u));
    }
    sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

void ucaseFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    caseFunction(ctx, argv, true);
}

void lcaseFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    caseFunction(ctx, argv, false);
}

} // namespace

std::string formatDecimal(double value, int scale, int precision)
{
    if (!std::isfinite(value))
        value = 0;
    // 15 significant digits give the decimal the client meant (0.15 stays 0.15, not 0.1499…).
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    std::string text = buf;
    if (text.find_first_of("eE") != std::string::npos) {
        std::snprintf(buf, sizeof buf, "%.*f", std::min(scale + 3, 30), value);
        text = buf;
    }
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        text.erase(0, 1);
    const size_t dot = text.find('.');
    std::string whole = text.substr(0, dot);
    std::string frac = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    if (frac.size() > static_cast<size_t>(scale)) {
        const bool up = frac[static_cast<size_t>(scale)] >= '5';
        frac.resize(static_cast<size_t>(scale));
        if (up) {
            std::string digits = whole + frac;
            incrementDigits(digits);
            whole = digits.substr(0, digits.size() - frac.size());
            frac = digits.substr(digits.size() - frac.size());
        }
    }
    frac.resize(static_cast<size_t>(scale), '0');
    const size_t firstDigit = whole.find_first_not_of('0');
    whole = firstDigit == std::string::npos ? std::string(1, '0') : whole.substr(firstDigit);
    const size_t maxWhole = static_cast<size_t>(precision - scale);
    if ((whole != "0" && whole.size() > maxWhole) || (maxWhole == 0 && whole != "0")) {
        whole = maxWhole == 0 ? "0" : std::string(maxWhole, '9');
        frac = std::string(static_cast<size_t>(scale), '9');
    }
    const bool zero = whole == "0" && frac.find_first_not_of('0') == std::string::npos;
    std::string out = (negative && !zero) ? "-" : "";
    out += whole;
    if (scale > 0)
        out += '.' + frac;
    return out;
}

bool registerAll(sqlite3 *db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    struct Def {
        const char *name;
        int args;
        void (*fn)(sqlite3_context *, int, sqlite3_value **);
    };
    const Def defs[] = {
        {"dec", 1, decFunction},        {"dec", 2, decFunction},        {"dec", 3, decFunction},
        {"instr", 2, instrFunction},    {"concat", -1, concatFunction}, {"leftstr", 2, leftFunction},
        {"rightstr", 2, rightFunction}, {"ucase", 1, ucaseFunction},    {"lcase", 1, lcaseFunction},
    };
    for (const Def &d : defs) {
        if (sqlite3_create_function_v2(db, d.name, d.args, flags, nullptr, d.fn, nullptr, nullptr, nullptr) !=
            SQLITE_OK)
            return false;
    }
    return true;
}

} // namespace dialectfunctions
