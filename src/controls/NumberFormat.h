#pragma once
// Number texts of the amount edits: formatting with a picture such as
// "#,##0" or "#,##0.00", and reading typed texts back.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace controls {

// Formats value with a picture of digit placeholders: "0" (always shown),
// "#" (shown when significant), "," anywhere in the integer part (thousands
// separators), "." (decimal point), text in quotes or any other character
// copied as it stands. Only the first ";"-section is used. Rounding is half
// away from zero at the picture's number of decimals.
std::string formatFloat(std::string_view picture, double value);

// The text without thousands separators.
std::string stripSeparators(std::string_view text);
int countSeparators(std::string_view text);

// A plain decimal number ("-1234", "12.5", " 7 "); nullopt when the text is
// not one.
std::optional<double> parseNumber(std::string_view text);

// Amounts scaled by 10,000 (four decimals), read from a plain decimal text
// with at most four decimals; nullopt when the text is not one.
std::optional<std::int64_t> parseCurrency(std::string_view text);
// Plain decimal form of an amount: no separators, no trailing zero decimals.
std::string currencyToPlain(std::int64_t amount);

} // namespace controls
