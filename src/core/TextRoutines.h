#pragma once
// Small text and number routines used all over the program.
//
// Texts are UTF-8 inside the program; lengths and widths are counted in code
// page 932 bytes (half-width characters 1, others 2) so that fixed-width
// fields come out as they do on Shift-JIS data. Cutting never leaves half a
// character: a two-byte character that a cut would split becomes a blank.
// The byte tests and RepairMBCSBreak work on code page 932 bytes, for data
// that has not been converted yet.

#include "core/uAccRecord.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// --- Code page 932 bytes -------------------------------------------------

bool IsSJISLeadByte(unsigned char b); // 0x81-0x9F, 0xE0-0xFC
bool IsSJISTrailByte(unsigned char b); // 0x40-0x7E, 0x80-0xFC

// Code page 932 bytes with every broken two-byte character (a lead byte not
// followed by a trail byte, or a lead byte at the end) replaced by blanks.
// The length never changes.
std::string RepairMBCSBreak(std::string_view sjisBytes);

// --- Blanks and mapping ---------------------------------------------------

// Without blanks, control characters and full-width blanks at either end;
// works by characters, so no two-byte character is ever cut.
std::string TrimZenkaku(std::string_view text);
// Every blank and full-width blank removed.
std::string DeleteAllSpace(std::string_view text);
// Every TAB, CR and LF removed.
std::string DeleteTabCrLf(std::string_view text);
// Full-width ａ-ｚ turned into Ａ-Ｚ; everything else unchanged.
std::string ZenkakuAlphaUpper(std::string_view text);

// Locale string mapping flags.
inline constexpr std::uint32_t LCMAP_LOWERCASE = 0x00000100;
inline constexpr std::uint32_t LCMAP_UPPERCASE = 0x00000200;
inline constexpr std::uint32_t LCMAP_HIRAGANA = 0x00100000;
inline constexpr std::uint32_t LCMAP_KATAKANA = 0x00200000;
inline constexpr std::uint32_t LCMAP_HALFWIDTH = 0x00400000;
inline constexpr std::uint32_t LCMAP_FULLWIDTH = 0x00800000;

// The text mapped by the flags above (full width combines half-width kana
// with their voiced marks). A result wider than 255 code page 932 bytes
// gives the empty text.
std::string MapStringLocale(std::uint32_t flags, std::string_view text);

// --- Fixed width ------------------------------------------------------------

// n blanks; empty when n is above 510 or not positive.
std::string SpaceStr(int n);
// The first n bytes, padded on the right with blanks (no padding when more
// than 510 would be needed).
std::string FixLeftStr(std::string_view text, int n);
// The last n bytes, padded on the left with blanks.
std::string FixRightStr(std::string_view text, int n);
// Padded on the left with "0" to n bytes; a longer text keeps its last n.
std::string ZeroPadStr(std::string_view text, int n);
// "#,##0".
std::string IntToCommaStr(std::int64_t value);

// --- Delimited texts --------------------------------------------------------

// Splits text at sep into table from index 0 and returns the number of
// separators found. Everything from the first "//" on is dropped first; an
// empty remainder returns 0 and leaves the table untouched. The table grows
// to hold every piece; entries past the pieces keep their values.
int SplitToArray(std::string_view text, std::string_view sep, std::vector<std::string>& table);
// The n-th piece (from 1) of text split at sep and at line breaks; empty
// when there is none.
std::string GetTokenStr(std::string_view text, std::string_view sep, int n);
// The whole "name=value" line whose name matches (ASCII case-insensitive);
// empty when none does or an argument is empty.
std::string GetNameValueLine(std::string_view lines, std::string_view name);
// The pieces of a comma-separated text, each followed by "\r" (what
// CommaTextMessage shows).
std::string CommaTextJoin(std::string_view text);
// One message box (kind 0 warning, 1 error, 2 information, 3 confirmation,
// OK button) whose lines are the comma-separated pieces of text. Returns
// the modal result.
int CommaTextMessage(std::string_view text, std::uint8_t kind);

// --- Numbers and flags ------------------------------------------------------

inline int BoolToInt(bool b)
{
    return b ? 1 : 0;
}
inline bool IntToBool(int i)
{
    return i != 0;
}
// Sets bit n-1 for n from 1 to 24; any other n changes nothing.
void SetFlagBit(int& flags, int n);
// Bit n-1 (taken modulo 32) of flags: 0 or 1.
int GetFlagBit(int flags, int n);

// Whole-yen rounding of an amount: mode 0 truncates toward zero, mode 2
// moves to the next whole yen away from zero when a fraction remains, any
// other mode rounds half away from zero. Throws std::overflow_error when the
// result leaves the Currency range.
Currency RoundCurrency(int mode, Currency amount);

// Sorts table[l..r] in place by key, in code page 932 byte order (not
// stable). Indices outside the table are clamped.
void QuickSortRec(std::vector<TQSORT>& table, int l, int r);
void QuickSortRec(TQSORT* table, int l, int r);

// Grey of the same brightness ($00BBGGRR); white and black unchanged.
int ColorToGray(int colour);

// Connection mode 2: the user name ("ANONYMOUS" when empty); otherwise the
// computer name ("PCNAME-ERROR" when it cannot be read).
std::string GetPCName();
