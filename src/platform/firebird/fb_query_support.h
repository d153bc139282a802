#pragma once
// Helpers shared by the statement classes of the database layer (SqlText,
// Param, Field, Query): text conversion with lazy context, scaled decimals,
// engine dates and times. Private to src/platform/firebird.

#include "platform/atomic_file.h"
#include "platform/codec.h"
#include "platform/firebird/fb_internal.h"

#include <ibase.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <unistd.h>

namespace platform::firebird::querysupport {

using namespace detail;

inline constexpr unsigned kCharsetOctets = 1;
inline constexpr unsigned kBlobChunk = 32 * 1024;

inline bool isAscii(const char* p, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    return true;
}

// Context texts are built only when an error is raised: the read paths
// run once per column and row.
using LazyContext = std::string (*)(const void*, const char*);
struct Ctx {
    const void* owner;
    const char* op;
    LazyContext make;
    std::string str() const { return make ? make(owner, op) : std::string(op); }
};

inline std::string sjisToUtf8(const char* p, std::size_t n, const Ctx& ctx)
{
    if (isAscii(p, n))
        return std::string(p, n);
    try {
        return codec::fromSjis(std::string_view(p, n));
    } catch (const codec::CodecError& e) {
        throwLayerError(e.what(), ctx.str());
    }
}

inline std::string utf8ToSjis(std::string_view s, const std::string& ctx)
{
    if (isAscii(s.data(), s.size()))
        return std::string(s);
    try {
        return codec::toSjis(s);
    } catch (const codec::CodecError& e) {
        throwLayerError(e.what(), ctx);
    }
}

inline std::int64_t pow10i(int n)
{
    std::int64_t r = 1;
    while (n-- > 0)
        r *= 10;
    return r;
}

// value * 10^scale as text ("-12.34").
inline std::string formatScaled(std::int64_t value, int scale)
{
    if (scale >= 0) {
        std::string s = std::to_string(value);
        if (value != 0)
            s.append(static_cast<std::size_t>(scale), '0');
        return s;
    }
    const bool neg = value < 0;
    const unsigned long long mag
        = neg ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    std::string digits = std::to_string(mag);
    const std::size_t frac = static_cast<std::size_t>(-scale);
    if (digits.size() <= frac)
        digits.insert(0, frac + 1 - digits.size(), '0');
    digits.insert(digits.size() - frac, 1, '.');
    return neg ? "-" + digits : digits;
}

// Rescales value*10^from to an integer at 10^to, rounding half away from zero.
inline std::int64_t rescale(std::int64_t value, int from, int to, const Ctx& ctx)
{
    if (from == to)
        return value;
    if (from > to) {
        const std::int64_t f = pow10i(from - to);
        if (value > std::numeric_limits<std::int64_t>::max() / f
            || value < std::numeric_limits<std::int64_t>::min() / f)
            throwLayerError("numeric overflow", ctx.str());
        return value * f;
    }
    const std::int64_t f = pow10i(to - from);
    std::int64_t q = value / f;
    const std::int64_t r = value % f;
    if (r * 2 >= f)
        ++q;
    else if (r * 2 <= -f)
        --q;
    return q;
}

inline std::string trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return std::string(s);
}

// Decimal text to an integer at 10^scale (scale <= 0), rounding the digits
// beyond it half away from zero.
inline std::int64_t parseDecimal(std::string_view text, int scale, const Ctx& ctx)
{
    const std::string s = trimBlanks(text);
    std::size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        neg = s[i++] == '-';
    std::int64_t v = 0;
    int fracDigits = 0;
    bool any = false, dot = false, roundUp = false, beyond = false;
    const int want = -scale;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '.' && !dot) {
            dot = true;
            continue;
        }
        if (c == ',' && !dot)
            continue; // thousands separator
        if (c < '0' || c > '9')
            throwLayerError("\"" + s + "\" is not a number", ctx.str());
        any = true;
        if (dot && fracDigits >= want) {
            if (!beyond)
                roundUp = c >= '5';
            beyond = true;
            continue;
        }
        if (v > (std::numeric_limits<std::int64_t>::max() - 9) / 10)
            throwLayerError("\"" + s + "\" is out of range", ctx.str());
        v = v * 10 + (c - '0');
        if (dot)
            ++fracDigits;
    }
    if (!any)
        throwLayerError("\"" + s + "\" is not a number", ctx.str());
    v = rescale(v, -fracDigits, scale, ctx);
    if (roundUp)
        ++v;
    return neg ? -v : v;
}

inline const std::chrono::sys_days kIscEpoch = std::chrono::sys_days {std::chrono::year {1858} / 11 / 17};

inline Date decodeIscDate(ISC_DATE d)
{
    return Date {kIscEpoch + std::chrono::days {d}};
}

inline ISC_DATE encodeIscDate(Date d)
{
    return static_cast<ISC_DATE>((std::chrono::sys_days {d} - kIscEpoch).count());
}

inline std::string two(int v)
{
    char b[4];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

inline std::string formatDate(Date d)
{
    char b[16];
    std::snprintf(b, sizeof b, "%04d/%02u/%02u", static_cast<int>(d.year()), static_cast<unsigned>(d.month()),
        static_cast<unsigned>(d.day()));
    return b;
}

// ISC_TIME: 1/10000 s since midnight.
inline std::string formatTime(unsigned t)
{
    const unsigned secs = t / 10000;
    return two(static_cast<int>(secs / 3600)) + ":" + two(static_cast<int>(secs / 60 % 60)) + ":"
        + two(static_cast<int>(secs % 60));
}

inline bool isTextType(unsigned t)
{
    return t == SQL_TEXT || t == SQL_VARYING;
}

inline void writeFileReplacing(const std::string& path, std::string_view bytes, const std::string& ctx)
{
    try {
        writeFileAtomically(path, bytes, ctx);
    } catch (const std::exception& e) {
        throwLayerError(e.what(), ctx);
    }
}

} // namespace platform::firebird::querysupport
