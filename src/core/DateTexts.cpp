#include "core/DateTexts.h"

#include "core/DateTimeUtil.h"
#include "core/TextRoutines.h"
#include "core/TolvanWarekiLib.h"

#include <cstdarg>
#include <cstdio>
#include <exception>
#include <initializer_list>
#include <limits>

namespace {

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

std::string format(const char* fmt, ...)
{
    char buf[256];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

bool isOneOf(std::string_view key, std::initializer_list<std::string_view> names)
{
    for (std::string_view n : names)
        if (key == n)
            return true;
    return false;
}

std::string eraText(const TWarekiRec& w, int kind, bool slash)
{
    switch (kind) {
    case 0:
        return {};
    case 2:
        return w.Letter;
    case 3:
        return slash ? w.Letter : w.Name;
    default:
        return w.Name;
    }
}

// Era column of the slash table; the empty text for an unknown keyword.
std::string warekiSlash(std::string_view k, const std::string& e, int y, int m, int d)
{
    const char* es = e.c_str();
    if (isOneOf(k, {"yyyy/mm/dd", "yy/mm/dd"}))
        return format("%s %.2d/%.2d/%.2d", es, y, m, d);
    if (isOneOf(k, {"yyyy/mm", "yy/mm"}))
        return format("%s %.2d/%.2d", es, y, m);
    if (isOneOf(k, {"yyyy", "yy"}))
        return format("%s %.2d", es, y);
    if (isOneOf(k, {"yyyy/m/d", "yy/m/d", "y/m/d"}))
        return format("%s %2d/%2d/%2d", es, y, m, d);
    if (isOneOf(k, {"yyyy/m", "yy/m", "y/m"}))
        return format("%s %2d/%2d", es, y, m);
    if (k == "y")
        return format("%s %2d", es, y);
    if (k == "yy2/mm/dd")
        return format("%s%.2d/%.2d/%.2d", es, y, m, d);
    return {};
}

std::string gregorianSlash(std::string_view k, TDateTime date, int y, int m, int d)
{
    const int y2 = y % 100;
    if (k == "yyyy/m/d")
        return format("%4d/%2d/%2d", y, m, d);
    if (isOneOf(k, {"yy/m/d", "y/m/d"}))
        return format("%2d/%2d/%2d", y2, m, d);
    if (k == "yyyy/m")
        return format("%4d/%2d", y, m);
    if (isOneOf(k, {"yy/m", "y/m"}))
        return format("%2d/%2d", y2, m);
    if (k == "yy2/mm/dd")
        return FormatDateTime("yy/mm/dd", date);
    return FormatDateTime(k, date);
}

std::string warekiKanji(std::string_view k, const std::string& e, int y, int m, int d)
{
    const char* es = e.c_str();
    if (isOneOf(k, {"yyyy年mm月dd日", "yy年mm月dd日"}))
        return format("%s %.2d年%.2d月%.2d日", es, y, m, d);
    if (isOneOf(k, {"yyyy年mm月", "yy年mm月"}))
        return format("%s %.2d年%.2d月", es, y, m);
    if (isOneOf(k, {"yyyy年", "yy年"}))
        return format("%s %.2d年", es, y);
    if (isOneOf(k, {"yyyy年m月d日", "yy年m月d日", "y年m月d日"}))
        return format("%s %2d年%2d月%2d日", es, y, m, d);
    if (isOneOf(k, {"yyyy年m月", "yy年m月", "y年m月"}))
        return format("%s %2d年%2d月", es, y, m);
    if (k == "y")
        return format("%s %2d年", es, y);
    if (isOneOf(k, {"yyyy年 m月 d日", "yy年 m月 d日", "y年 m月 d日"}))
        return format("%s %2d年 %d月 %d日", es, y, m, d);
    if (isOneOf(k, {"yyyy年 m月", "yy年 m月", "y年 m月"}))
        return format("%s %2d年 %d月", es, y, m);
    if (isOneOf(k, {"yyyy年 mm月 dd日", "yy年 mm月 dd日"}))
        return format("%s %.2d年 %.2d月 %.2d日", es, y, m, d);
    if (isOneOf(k, {"yyyy年 mm月", "yy年 mm月"}))
        return format("%s %.2d年 %.2d月", es, y, m);
    return {};
}

std::string gregorianKanji(std::string_view k, TDateTime date, int y, int m, int d)
{
    const int y2 = y % 100;
    if (k == "yyyy年m月d日")
        return format("%4d年%2d月%2d日", y, m, d);
    if (isOneOf(k, {"yy年m月d日", "y年m月d日"}))
        return format("%2d年%2d月%2d日", y2, m, d);
    if (k == "yyyy年m月")
        return format("%4d年%2d月", y, m);
    if (isOneOf(k, {"yy年m月", "y年m月"}))
        return format("%.2d年%2d月", y2, m);
    if (k == "yyyy年 m月 d日")
        return format("%4d年 %d月 %d日", y, m, d);
    if (isOneOf(k, {"yy年 m月 d日", "y年 m月 d日"}))
        return format("%.2d年 %d月 %d日", y2, m, d);
    if (k == "yyyy年 m月")
        return format("%4d年 %d月", y, m);
    if (isOneOf(k, {"yy年 m月", "y年 m月"}))
        return format("%.2d年 %d月", y2, m);
    return FormatDateTime(k, date);
}

std::string trimBlanks(const std::string& s)
{
    const std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

template <typename WarekiFn, typename GregorianFn>
std::string formatWith(std::string_view keyword, int kind, TDateTime date, bool slash, const char* fallback,
    WarekiFn wareki, GregorianFn gregorian)
{
    try {
        if (IsWarekiDisplay()) {
            TWarekiRec w;
            DateToWareki(date, w);
            std::string s = wareki(keyword, eraText(w, kind, slash), w.Year, w.Month, w.Day);
            if (kind == 0)
                s = trimBlanks(s);
            else if (slash && kind == 3)
                s = DeleteAllSpace(s);
            return s;
        }
        const TDateParts p = DecodeDate(date);
        return gregorian(keyword, date, p.Year, p.Month, p.Day);
    } catch (const std::exception&) {
        return FormatDateTime(fallback, date);
    }
}

} // namespace

bool IsWarekiDisplay()
{
    return SysDef.Reserve4Bit10 == 1;
}

std::string FormatWarekiDate(std::string_view keyword, int kind, TDateTime date)
{
    return formatWith(keyword, kind, date, true, "yyyy/mm/dd", warekiSlash, gregorianSlash);
}

std::string FormatWarekiDateKanji(std::string_view keyword, int kind, TDateTime date)
{
    return formatWith(keyword, kind, date, false, "yyyy年mm月dd日", warekiKanji, gregorianKanji);
}

std::string KikanToStr(TDateTime first, TDateTime last)
{
    auto one = [](TDateTime d) {
        if (IsWarekiDisplay()) {
            TWarekiRec w;
            DateToWareki(d, w);
            return format("%s %.2d/%.2d/%.2d", w.Letter.c_str(), static_cast<int>(w.Year), static_cast<int>(w.Month),
                static_cast<int>(w.Day));
        }
        return FormatDateTime("yyyy/mm/dd", d);
    };
    return one(first) + " ～ " + one(last);
}

TDateTime StrToDateTimeFix(std::string_view text)
{
    TDateTime out = 0;
    if (!TryStrToDateTime(text, out))
        return 0;
    return out;
}

namespace {

// A decimal integer as the platform reads one: optional leading blanks and
// sign, digits to the end; anything else (or an overflow) is no integer.
int strToIntDef(std::string_view s, int def)
{
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        neg = s[i++] == '-';
    if (i >= s.size())
        return def;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return def;
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            return def;
    }
    v = neg ? -v : v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min())
        return def;
    return static_cast<int>(v);
}

} // namespace

void StrToVersionRec(std::string_view text, TVersionRec& rec)
{
    rec.Major = rec.Minor = rec.Release = rec.Build = 0;
    int* fields[4] = {&rec.Major, &rec.Minor, &rec.Release, &rec.Build};
    std::string_view rest = text;
    for (int i = 0; i < 4 && !rest.empty(); ++i) {
        const std::size_t dot = rest.find('.');
        *fields[i] = strToIntDef(rest.substr(0, dot), 0);
        if (dot == std::string_view::npos)
            break;
        rest.remove_prefix(dot + 1);
    }
    rec.Text = std::string(text);
}

TVersionRec StrToVersionRec(std::string_view text)
{
    TVersionRec rec;
    StrToVersionRec(text, rec);
    return rec;
}

std::uint32_t VersionKey(const TVersionRec& rec)
{
    return static_cast<std::uint32_t>(rec.Major) * 65536u + static_cast<std::uint32_t>(rec.Minor) * 256u
        + static_cast<std::uint32_t>(rec.Release);
}

bool VersionRecGreater(const TVersionRec& a, const TVersionRec& b)
{
    return VersionKey(a) > VersionKey(b);
}

bool VersionRecLess(const TVersionRec& a, const TVersionRec& b)
{
    return VersionKey(a) < VersionKey(b);
}

bool VersionGreater(std::string_view a, std::string_view b)
{
    return VersionRecGreater(StrToVersionRec(a), StrToVersionRec(b));
}

bool VersionGreaterEqual(std::string_view a, std::string_view b)
{
    return !VersionRecLess(StrToVersionRec(a), StrToVersionRec(b));
}
