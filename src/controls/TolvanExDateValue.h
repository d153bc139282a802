#pragma once
// The value side of the era-aware date edit, without widgets: which eras a
// range keeps, how a value is shown in the parts (with its era), and the
// input check that turns typed parts back into a value, with its error
// flags, message and the part that gets the focus.

#include "core/TolvanWarekiLib.h"
#include "core/uAccRecord.h"

#include <string>
#include <vector>

enum TTolvanExDateEditStyle {
    desYearMonthDayHMS,
    desYearMonthDayHM,
    desYearMonthDayH,
    desYearMonthDay,
    desYearMonth,
    desYear,
    desHourMinuteSecond,
    desHourMinute,
    desHour
};
enum TTolvanExRekiSet { rsSeireki, rsWareki, rsBoth };
enum TTolvanExYeardigitSet { yddigit2, yddigit4 };

namespace exdate {

// The unset date (31 December 1872) and the first date handled.
inline constexpr TDateTime kUnsetDate = -9860;
inline constexpr TDateTime kFirstDate = -9859;

// The parts, in focus order.
enum TPart { pEra, pYear, pMonth, pDay, pAmpm, pHour, pMinute, pSecond, pNone };

// Error flags of the last check.
namespace err {
constexpr unsigned AllBlank = 0x0001, EraYearBlank = 0x0002, MonthBlank = 0x0004, DayBlank = 0x0008, AmpmBlank = 0x0010,
                   HourBlank = 0x0020, MinuteBlank = 0x0040, SecondBlank = 0x0080, Before1873 = 0x0100,
                   NotCombinable = 0x0200, DateInvalid = 0x0400, TimeInvalid = 0x0800, BadValue = 0x1000,
                   EraTooLate = 0x8000;
}

bool HasDate(TTolvanExDateEditStyle s);
bool HasTime(TTolvanExDateEditStyle s);
// Whether the style shows the part (era and morning/afternoon also need
// their switches).
bool StyleShows(TTolvanExDateEditStyle s, TPart part, bool editGengo, bool editAmpm);

// The eras of table (newest first) that meet min..max (unset limits keep
// that end; crossed limits keep the whole table).
TGengoArray KeptEras(const TGengoArray& table, TDateTime minDate, TDateTime maxDate);
// The era of d in the kept list: name and year in era; an empty name (and
// the Western year) for d <= 0 or an empty list.
TWarekiRec EraOf(const TGengoArray& eras, TDateTime d);

// The settings a check or display needs.
struct TSettings {
    TTolvanExDateEditStyle style = desYearMonthDay;
    bool editGengo = true;
    TTolvanExRekiSet gengo = rsWareki;
    bool editAmpm = false;
    TTolvanExYeardigitSet yeardigit = yddigit4;
    bool canEmpty = true;
    TDateTime minDate = kUnsetDate;
    TDateTime maxDate = kUnsetDate;
    TGengoArray eras; // the kept eras, newest first
    TDateTime today = 0; // for time-only styles and hidden years
};

// Texts of the parts (hidden parts may hold anything).
struct TTexts {
    std::string era, year, month, day, ampm, hour, minute, second;
};

// The era selector's items for the settings.
std::vector<std::string> EraItems(const TSettings& s);

// A set limit applied; the unset date stays.
TDateTime Clamp(TDateTime value, TDateTime minDate, TDateTime maxDate);

// The texts showing value (value > 0). Time parts show midnight as 0:0:0.
TTexts ShowValue(const TSettings& s, TDateTime value);

struct TCheckResult {
    bool ok = false;
    bool empty = false;
    TDateTime value = 0;
    unsigned error = 0;
    std::string message;
    TPart focus = pNone; // pNone: the first part
};
TCheckResult CheckInput(const TSettings& s, const TTexts& t);

} // namespace exdate
