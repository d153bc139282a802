#pragma once
// Value types the database layer hands out for DATE and TIMESTAMP columns.
// Local calendar values without a time zone, as the engine stores them.

#include <chrono>

namespace platform::firebird {

using Date = std::chrono::year_month_day;
using Timestamp = std::chrono::local_time<std::chrono::milliseconds>;

// Currency amounts: signed 64-bit integers scaled by 10,000.
inline constexpr long long kCurrencyScale = 10000;

} // namespace platform::firebird
