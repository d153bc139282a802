#pragma once
// Date-time values (day counts from 1899-12-30, time of day as the fraction)
// and their conversion to and from text with the fixed formats of the
// program: "/" between date parts, ":" between time parts, "yyyy/MM/dd",
// whatever the locale says.

#include "core/uAccRecord.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// A date that cannot be encoded or a text that holds no date.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

bool IsLeapYear(int year);
// Days of a month (1..12) in a year; 0 for a month out of range.
int DaysInAMonth(int year, int month);

// Throws EConvertError outside 1..9999 or for an invalid month or day.
TDateTime EncodeDate(int year, int month, int day);
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
TDateTime EncodeTime(int hour, int minute, int second, int msec);

struct TDateParts {
    std::uint16_t Year = 0;
    std::uint16_t Month = 0;
    std::uint16_t Day = 0;
};
struct TTimeParts {
    std::uint16_t Hour = 0;
    std::uint16_t Minute = 0;
    std::uint16_t Second = 0;
    std::uint16_t MSec = 0;
};

// Throws EConvertError for a value outside 0001-01-01..9999-12-31.
TDateParts DecodeDate(TDateTime value);
TTimeParts DecodeTime(TDateTime value);

// The date part (no time of day) and the time part of a value.
TDateTime DateOf(TDateTime value);

// Pattern formatting: yyyy (four-digit year), yy and y (two-digit year),
// mm / m (month with / without leading zero; minutes right after h),
// dd / d, hh / h, nn / n, ss / s, zzz / z, "/" and ":" the fixed separators,
// text in '...' or "..." literally; every other character stands for itself.
std::string FormatDateTime(std::string_view pattern, TDateTime value);

// Parses a date and an optional time with the fixed formats ("2008/04/01",
// "2008/04/01 12:30:00", "12:30"). Throws EConvertError when the text holds
// no date-time in that form.
TDateTime StrToDateTime(std::string_view text);
bool TryStrToDateTime(std::string_view text, TDateTime& out);
