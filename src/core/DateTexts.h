#pragma once
// Dates as texts in the Gregorian or the Japanese era calendar (by the
// operator's DateDispStyle, SysDef.Reserve4Bit10 = 1 for eras), the text of
// a period, a date-time parser with the fixed formats, and dotted version
// texts with their comparison.

#include "core/uAccRecord.h"

#include <cstdint>
#include <string>
#include <string_view>

// Era text kinds of the two formatters: 0 none (result trimmed), 1 the era
// name, 2 the era letter, 3 (slash formatter only) the letter with every
// blank removed from the result; any other value the era name.

// Slash keywords ("yyyy/mm/dd", "yy/m/d", "yy2/mm/dd", ...). A keyword the
// table does not know gives the empty text in era display and the pattern
// formatting of the keyword in Gregorian display.
std::string FormatWarekiDate(std::string_view keyword, int kind, TDateTime date);
// Keywords with 年, 月 and 日 ("yyyy年mm月dd日", "yy年 m月 d日", ...).
std::string FormatWarekiDateKanji(std::string_view keyword, int kind, TDateTime date);
// "first ～ last" in the display calendar.
std::string KikanToStr(TDateTime first, TDateTime last);
// The date and time a text holds in the fixed formats; 0 when it holds none.
TDateTime StrToDateTimeFix(std::string_view text);

// True when era display is selected for the operator.
bool IsWarekiDisplay();

// Pieces 1..4 at "." become major, minor, release, build (0 for anything
// that is not a decimal integer); Text keeps the given text.
void StrToVersionRec(std::string_view text, TVersionRec& rec);
TVersionRec StrToVersionRec(std::string_view text);
// major * 65536 + minor * 256 + release in wrapping 32-bit arithmetic,
// compared unsigned; the build takes no part.
std::uint32_t VersionKey(const TVersionRec& rec);
bool VersionRecGreater(const TVersionRec& a, const TVersionRec& b);
bool VersionRecLess(const TVersionRec& a, const TVersionRec& b);
bool VersionGreater(std::string_view a, std::string_view b);
bool VersionGreaterEqual(std::string_view a, std::string_view b);
