#include "core/DateTimeUtil.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// Days from 0001-01-01 (day 1) to 1899-12-30 (day 0 of TDateTime).
constexpr long kDateDelta = 693594;
constexpr double kMSecsPerDay = 86400000.0;

const int kMonthDays[2][12] = {
    {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
};

std::string twoDigits(int v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

} // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInAMonth(int year, int month)
{
    if (month < 1 || month > 12)
        return 0;
    return kMonthDays[IsLeapYear(year) ? 1 : 0][month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
        return false;
    long days = day;
    const int leap = IsLeapYear(year) ? 1 : 0;
    for (int m = 1; m < month; ++m)
        days += kMonthDays[leap][m - 1];
    const long y = year - 1;
    days += y * 365 + y / 4 - y / 100 + y / 400;
    out = static_cast<TDateTime>(days - kDateDelta);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime out = 0;
    if (!TryEncodeDate(year, month, day, out)) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "EncodeDate: invalid date %d/%d/%d", year, month, day);
        throw EConvertError(buf);
    }
    return out;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        throw EConvertError("EncodeTime: invalid time");
    return ((hour * 3600000.0) + (minute * 60000.0) + (second * 1000.0) + msec) / kMSecsPerDay;
}

TDateTime DateOf(TDateTime value)
{
    return std::trunc(value);
}

TDateParts DecodeDate(TDateTime value)
{
    if (!std::isfinite(value))
        throw EConvertError("DecodeDate: invalid date value");
    const double whole = std::trunc(value);
    const double d = whole + kDateDelta; // day number counted from 0001-01-01 = 1
    if (d < 1 || d > 3652059) // 9999-12-31
        throw EConvertError("DecodeDate: date out of range");
    long t = static_cast<long>(d) - 1; // days since 0001-01-01
    int year = 1;
    const long d400 = 146097, d100 = 36524, d4 = 1461;
    year += static_cast<int>(t / d400) * 400;
    t %= d400;
    long c = t / d100;
    if (c == 4)
        c = 3;
    year += static_cast<int>(c) * 100;
    t -= c * d100;
    year += static_cast<int>(t / d4) * 4;
    t %= d4;
    long yy = t / 365;
    if (yy == 4)
        yy = 3;
    year += static_cast<int>(yy);
    t -= yy * 365;
    const int leap = IsLeapYear(year) ? 1 : 0;
    int month = 1;
    while (t >= kMonthDays[leap][month - 1]) {
        t -= kMonthDays[leap][month - 1];
        ++month;
    }
    TDateParts p;
    p.Year = static_cast<std::uint16_t>(year);
    p.Month = static_cast<std::uint16_t>(month);
    p.Day = static_cast<std::uint16_t>(t + 1);
    return p;
}

TTimeParts DecodeTime(TDateTime value)
{
    double frac = std::fabs(value - std::trunc(value));
    long ms = std::lround(frac * kMSecsPerDay);
    if (ms >= 86400000L)
        ms = 86399999L;
    TTimeParts t;
    t.Hour = static_cast<std::uint16_t>(ms / 3600000L);
    t.Minute = static_cast<std::uint16_t>(ms / 60000L % 60);
    t.Second = static_cast<std::uint16_t>(ms / 1000L % 60);
    t.MSec = static_cast<std::uint16_t>(ms % 1000);
    return t;
}

std::string FormatDateTime(std::string_view pattern, TDateTime value)
{
    const TDateParts dp = DecodeDate(value);
    const TTimeParts tp = DecodeTime(value);
    std::string out;
    bool afterHour = false;
    std::size_t i = 0;
    auto run = [&](char ch) {
        std::size_t n = 0;
        while (i + n < pattern.size() && (pattern[i + n] | 0x20) == ch)
            ++n;
        return n;
    };
    while (i < pattern.size()) {
        const char c = pattern[i];
        const char lc = static_cast<char>(c | 0x20);
        if (c == '\'' || c == '"') {
            const std::size_t end = pattern.find(c, i + 1);
            if (end == std::string_view::npos) {
                out.append(pattern.substr(i + 1));
                break;
            }
            out.append(pattern.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        if (c == '/') {
            out += FormatSettings.DateSeparator;
            ++i;
            continue;
        }
        if (c == ':') {
            out += FormatSettings.TimeSeparator;
            ++i;
            continue;
        }
        if (lc == 'y') {
            const std::size_t n = run('y');
            out += n <= 2 ? twoDigits(dp.Year % 100) : [&] {
                char buf[8];
                std::snprintf(buf, sizeof buf, "%04d", static_cast<int>(dp.Year));
                return std::string(buf);
            }();
            i += n;
            afterHour = false;
            continue;
        }
        if (lc == 'm') {
            const std::size_t n = run('m');
            const int v = afterHour ? tp.Minute : dp.Month;
            out += n >= 2 ? twoDigits(v) : std::to_string(v);
            i += n;
            afterHour = false;
            continue;
        }
        if (lc == 'd') {
            const std::size_t n = run('d');
            out += n >= 2 ? twoDigits(dp.Day) : std::to_string(dp.Day);
            i += n;
            afterHour = false;
            continue;
        }
        if (lc == 'h') {
            const std::size_t n = run('h');
            out += n >= 2 ? twoDigits(tp.Hour) : std::to_string(tp.Hour);
            i += n;
            afterHour = true;
            continue;
        }
        if (lc == 'n' || lc == 's') {
            const std::size_t n = run(lc);
            const int v = lc == 'n' ? tp.Minute : tp.Second;
            out += n >= 2 ? twoDigits(v) : std::to_string(v);
            i += n;
            afterHour = false;
            continue;
        }
        if (lc == 'z') {
            const std::size_t n = run('z');
            char buf[8];
            std::snprintf(buf, sizeof buf, n >= 3 ? "%03d" : "%d", static_cast<int>(tp.MSec));
            out += buf;
            i += n;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

namespace {

struct Scanner {
    std::string_view s;
    std::size_t pos = 0;

    void skipBlanks()
    {
        while (pos < s.size() && s[pos] == ' ')
            ++pos;
    }
    bool number(int& value, int& digits)
    {
        skipBlanks();
        value = 0;
        digits = 0;
        while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
            if (digits >= 9)
                return false;
            value = value * 10 + (s[pos] - '0');
            ++pos;
            ++digits;
        }
        return digits > 0;
    }
    bool sep(char c)
    {
        skipBlanks();
        if (pos < s.size() && s[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }
    bool atEnd()
    {
        skipBlanks();
        return pos >= s.size();
    }
};

int currentYear()
{
    const std::time_t now = std::time(nullptr);
    std::tm tmv {};
    localtime_r(&now, &tmv);
    return tmv.tm_year + 1900;
}

// Two-digit years fall in the 100 years that end 50 years from now.
int expandYear(int year, int digits)
{
    if (digits > 2)
        return year;
    const int thisYear = currentYear();
    int y = year + (thisYear / 100) * 100;
    if (y < thisYear - 50)
        y += 100;
    else if (y > thisYear + 49)
        y -= 100;
    return y;
}

bool scanDate(Scanner& sc, TDateTime& date)
{
    const std::size_t start = sc.pos;
    int n1, d1, n2, d2, n3, d3;
    if (!sc.number(n1, d1) || !sc.sep(FormatSettings.DateSeparator) || !sc.number(n2, d2)) {
        sc.pos = start;
        return false;
    }
    int y, m, d;
    const std::size_t afterTwo = sc.pos;
    if (sc.sep(FormatSettings.DateSeparator) && sc.number(n3, d3)) {
        y = expandYear(n1, d1);
        m = n2;
        d = n3;
    } else {
        sc.pos = afterTwo;
        y = currentYear();
        m = n1;
        d = n2;
    }
    if (!TryEncodeDate(y, m, d, date)) {
        sc.pos = start;
        return false;
    }
    return true;
}

bool scanTime(Scanner& sc, TDateTime& time)
{
    const std::size_t start = sc.pos;
    int h, dh, mi, dm, s = 0, ds, ms = 0, dms;
    if (!sc.number(h, dh) || !sc.sep(FormatSettings.TimeSeparator) || !sc.number(mi, dm)) {
        sc.pos = start;
        return false;
    }
    if (sc.sep(FormatSettings.TimeSeparator)) {
        if (!sc.number(s, ds)) {
            sc.pos = start;
            return false;
        }
        if (sc.sep('.') && !sc.number(ms, dms)) {
            sc.pos = start;
            return false;
        }
    }
    if (h > 23 || mi > 59 || s > 59 || ms > 999) {
        sc.pos = start;
        return false;
    }
    time = EncodeTime(h, mi, s, ms);
    return true;
}

} // namespace

bool TryStrToDateTime(std::string_view text, TDateTime& out)
{
    Scanner sc {text};
    TDateTime date = 0, time = 0;
    if (scanDate(sc, date)) {
        if (!sc.atEnd() && !scanTime(sc, time))
            return false;
    } else if (!scanTime(sc, time)) {
        return false;
    }
    if (!sc.atEnd())
        return false;
    out = date >= 0 ? date + time : date - time;
    return true;
}

TDateTime StrToDateTime(std::string_view text)
{
    TDateTime out = 0;
    if (!TryStrToDateTime(text, out))
        throw EConvertError("StrToDateTime: '" + std::string(text) + "' is not a valid date and time");
    return out;
}
