#include "controls/TolvanExDateValue.h"

#include "core/DateTimeUtil.h"

#include <charconv>
#include <cmath>

namespace exdate {

namespace {

bool isSet(TDateTime d)
{
    return d > kUnsetDate && d != 0;
}

std::string trim(const std::string& s)
{
    std::size_t a = 0;
    std::size_t b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t'))
        ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t'))
        --b;
    return s.substr(a, b - a);
}

// A whole number, or 0 when the text is none.
int number(const std::string& s)
{
    int v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return (r.ec == std::errc() && r.ptr == s.data() + s.size()) ? v : 0;
}

int yearOf(TDateTime d)
{
    return DecodeDate(d).Year;
}

const char* const kAm = "午前";
const char* const kPm = "午後";
const char* const kSeireki = "西暦";

} // namespace

bool HasDate(TTolvanExDateEditStyle s)
{
    return s <= desYear;
}
bool HasTime(TTolvanExDateEditStyle s)
{
    return s <= desYearMonthDayH || s >= desHourMinuteSecond;
}

bool StyleShows(TTolvanExDateEditStyle s, TPart part, bool editGengo, bool editAmpm)
{
    switch (part) {
    case pEra:
        return HasDate(s) && editGengo;
    case pYear:
        return HasDate(s);
    case pMonth:
        return HasDate(s) && s != desYear;
    case pDay:
        return HasDate(s) && s != desYear && s != desYearMonth;
    case pAmpm:
        return HasTime(s) && editAmpm;
    case pHour:
        return HasTime(s);
    case pMinute:
        return s == desYearMonthDayHMS || s == desYearMonthDayHM || s == desHourMinuteSecond || s == desHourMinute;
    case pSecond:
        return s == desYearMonthDayHMS || s == desHourMinuteSecond;
    default:
        return false;
    }
}

TGengoArray KeptEras(const TGengoArray& table, TDateTime minDate, TDateTime maxDate)
{
    if (table.empty())
        return {};
    std::size_t newest = 0;
    std::size_t oldest = table.size() - 1;
    if (isSet(maxDate)) {
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table[i].StartDate <= maxDate) {
                newest = i;
                break;
            }
        }
    }
    if (minDate > kFirstDate + 1 && minDate != 0) {
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table[i].StartDate <= minDate) {
                oldest = i;
                break;
            }
        }
    }
    if (newest > oldest)
        return table;
    return TGengoArray(table.begin() + static_cast<long>(newest), table.begin() + static_cast<long>(oldest) + 1);
}

TWarekiRec EraOf(const TGengoArray& eras, TDateTime d)
{
    TWarekiRec rec;
    const TDateParts parts = DecodeDate(d);
    rec.Month = parts.Month;
    rec.Day = parts.Day;
    rec.Year = parts.Year;
    if (d <= 0 && d < kFirstDate)
        return rec;
    for (const TGengoRec& era : eras) {
        if (era.Name.empty())
            break;
        rec.Name = era.Name;
        rec.Letter = era.Letter;
        rec.Year = static_cast<std::uint16_t>(parts.Year - era.StartYear + 1);
        if (era.StartDate <= d)
            break;
    }
    if (rec.Name.empty())
        rec.Year = parts.Year;
    return rec;
}

std::vector<std::string> EraItems(const TSettings& s)
{
    std::vector<std::string> items;
    if (s.gengo != rsWareki)
        items.emplace_back(kSeireki);
    for (const TGengoRec& era : s.eras) {
        if (era.Name.empty())
            break;
        items.push_back(era.Name);
    }
    return items;
}

TDateTime Clamp(TDateTime value, TDateTime minDate, TDateTime maxDate)
{
    if (value == kUnsetDate)
        return value;
    if (isSet(minDate) && value < minDate)
        return minDate;
    if (isSet(maxDate) && value > maxDate)
        return maxDate;
    return value;
}

TTexts ShowValue(const TSettings& s, TDateTime value)
{
    TTexts t;
    if (HasDate(s.style) && value >= kFirstDate) {
        const TDateParts parts = DecodeDate(value);
        const TWarekiRec w = s.gengo == rsSeireki ? TWarekiRec {} : EraOf(s.eras, value);
        if (!w.Name.empty()) {
            t.era = w.Name;
            t.year = std::to_string(w.Year);
        } else {
            t.era = kSeireki;
            t.year = std::to_string(s.yeardigit == yddigit2 ? parts.Year % 100 : parts.Year);
        }
        t.month = std::to_string(parts.Month);
        t.day = std::to_string(parts.Day);
    }
    if (HasTime(s.style)) {
        // Midnight is a time like any other: it shows as 0:0:0 rather than
        // leaving the previous value's time in the fields.
        const TTimeParts tp = DecodeTime(value);
        int hour = tp.Hour;
        if (s.editAmpm) {
            t.ampm = hour >= 12 ? kPm : kAm;
            if (hour >= 12)
                hour -= 12;
        }
        t.hour = std::to_string(hour);
        t.minute = std::to_string(tp.Minute);
        t.second = std::to_string(tp.Second);
    }
    return t;
}

TCheckResult CheckInput(const TSettings& s, const TTexts& in)
{
    TCheckResult r;
    auto fail = [&r](unsigned flag, const char* message, TPart focus) {
        r.ok = false;
        r.error |= flag;
        r.message = message;
        r.focus = focus;
        return r;
    };
    const bool shows[8] = {StyleShows(s.style, pEra, s.editGengo, s.editAmpm),
        StyleShows(s.style, pYear, s.editGengo, s.editAmpm), StyleShows(s.style, pMonth, s.editGengo, s.editAmpm),
        StyleShows(s.style, pDay, s.editGengo, s.editAmpm), StyleShows(s.style, pAmpm, s.editGengo, s.editAmpm),
        StyleShows(s.style, pHour, s.editGengo, s.editAmpm), StyleShows(s.style, pMinute, s.editGengo, s.editAmpm),
        StyleShows(s.style, pSecond, s.editGengo, s.editAmpm)};
    std::string text[8] = {trim(in.era), trim(in.year), trim(in.month), trim(in.day), trim(in.ampm), trim(in.hour),
        trim(in.minute), trim(in.second)};
    // Hidden parts.
    const int refYear = isSet(s.maxDate) ? yearOf(s.maxDate) : yearOf(s.today);
    if (!shows[pEra])
        text[pEra].clear();
    if (!shows[pYear])
        text[pYear] = std::to_string(s.yeardigit == yddigit2 ? refYear % 100 : refYear);
    if (!shows[pMonth])
        text[pMonth] = "1";
    if (!shows[pDay])
        text[pDay] = "1";
    if (!shows[pAmpm])
        text[pAmpm] = "AM";
    for (TPart p : {pHour, pMinute, pSecond})
        if (!shows[p])
            text[p] = "0";

    bool allBlank = true;
    for (int p = pEra; p <= pSecond; ++p)
        if (shows[p] && !text[p].empty())
            allBlank = false;
    if (allBlank) {
        r.empty = true;
        if (!s.canEmpty)
            return fail(err::AllBlank, "入力欄が全て空白です．　　", pNone);
        r.ok = true;
        r.value = 0;
        return r;
    }
    static constexpr unsigned blankFlag[8] = {0, err::EraYearBlank, err::MonthBlank, err::DayBlank, err::AmpmBlank,
        err::HourBlank, err::MinuteBlank, err::SecondBlank};
    TPart firstBlank = pNone;
    bool fieldBlank = false;
    for (int p = pEra; p <= pSecond; ++p) {
        if (!shows[p] || !text[p].empty())
            continue;
        if (firstBlank == pNone)
            firstBlank = static_cast<TPart>(p);
        if (p != pEra) {
            fieldBlank = true;
            r.error |= blankFlag[p];
        }
    }
    if (fieldBlank)
        return fail(0, "空白の入力欄があります．　　", firstBlank);

    // Era position and the Western year.
    int position = 0;
    if (s.editGengo) {
        const auto items = EraItems(s);
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i] == text[pEra]) {
                position = static_cast<int>(i);
                break;
            }
        }
        if (s.gengo == rsWareki)
            position += 1;
    }
    int year = number(text[pYear]);
    if (position == 0) {
        if (s.yeardigit == yddigit2)
            year += yearOf(s.today) / 100 * 100;
    } else if (position - 1 < static_cast<int>(s.eras.size())) {
        year += s.eras[static_cast<std::size_t>(position - 1)].StartYear - 1;
    }
    const int month = number(text[pMonth]);
    const int day = number(text[pDay]);
    int hour = number(text[pHour]);
    const int minute = number(text[pMinute]);
    const int second = number(text[pSecond]);

    TDateTime time = 0;
    if (shows[pHour]) {
        const bool twelve = shows[pAmpm] && (text[pAmpm] == kAm || text[pAmpm] == kPm);
        const char* rangeMessage = twelve ? "時刻の入力可能な値は11時59分59秒までです．　　"
                                          : "時刻の入力可能な値は23時59分59秒までです．　　";
        if (hour < 0 || hour > (twelve ? 11 : 23))
            return fail(err::TimeInvalid, rangeMessage, pHour);
        if (minute < 0 || minute > 59 || second < 0 || second > 59)
            return fail(err::TimeInvalid, rangeMessage, pMinute);
        if (twelve && text[pAmpm] == kPm)
            hour += 12;
        time = EncodeTime(hour, minute, second, 0);
    }
    TDateTime date = 0;
    if (shows[pYear]) {
        if (!TryEncodeDate(year, month, day, date))
            return fail(err::DateInvalid, "日付が正しくありません（変換できません）．　　", pYear);
        if (year < 1873)
            return fail(err::Before1873, "1873年01月01日(明治6年01月01日)より前の日付は処理できません．　　", pYear);
        if (year >= 2999 && s.gengo != rsSeireki)
            return fail(err::EraTooLate, "2999年以降は元号に変換できません．　　", pYear);
    } else {
        date = std::floor(isSet(s.maxDate) ? s.maxDate : s.today);
    }
    // Day counts before 1899-12-30 carry their time of day as a negative
    // fraction.
    r.value = Clamp(date < 0 ? date - time : date + time, s.minDate, s.maxDate);
    r.ok = true;
    return r;
}

} // namespace exdate
