#pragma once
// Small pieces shared by the data module's settings and open-company
// operations: the data module they run on, running on one of its
// transactions, and date conversion between columns and day counts.

#include "core/DataModule.h"
#include "core/IBErrorProc.h"
#include "core/uAccRecord.h"
#include "platform/firebird/firebird.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <functional>
#include <stdexcept>
#include <array>
#include <string>

namespace core::opsupport {

inline TDM& dm(const char* context)
{
    if (DM == nullptr)
        throw std::logic_error(std::string(context) + ": no data module");
    return *DM;
}

// Runs body on one transaction of the data module under policy; no data
// module is a failure of the operation like any other.
inline bool run(platform::firebird::Transaction TDM::*transaction, const DbPolicy& policy,
    const std::function<void(TDM&, TDbScope&)>& body)
{
    if (DM == nullptr) {
        try {
            throw std::logic_error(policy.context + ": no data module");
        } catch (const std::exception& e) {
            return FailDbOperation(policy, e);
        }
    }
    TDM& d = *DM;
    return RunDbOperation(d.*transaction, policy, [&](TDbScope& scope) { body(d, scope); });
}

inline constexpr std::chrono::local_days kDayZero {TDateTimeDayZero.time_since_epoch()};

// A DATE or TIMESTAMP column as a day count; 0 for NULL.
inline TDateTime fieldDateTime(const platform::firebird::Field& f)
{
    if (f.isNull())
        return 0;
    const auto ts = f.asTimestamp();
    const auto day = std::chrono::floor<std::chrono::days>(ts);
    const double fraction = std::chrono::duration<double>(ts - day).count() / 86400.0;
    return static_cast<double>((day - kDayZero).count()) + fraction;
}

// The date part of a day count.
inline platform::firebird::Date toDate(TDateTime value)
{
    return platform::firebird::Date {kDayZero + std::chrono::days {static_cast<long>(std::floor(value))}};
}

// A day count as a TIMESTAMP value, to the millisecond.
inline platform::firebird::Timestamp toTimestamp(TDateTime value)
{
    const auto ms = static_cast<long long>(std::llround(value * 86400000.0));
    return platform::firebird::Timestamp {
        std::chrono::local_days {kDayZero}.time_since_epoch() + std::chrono::milliseconds {ms}};
}

// The local date and time as a day count, to the millisecond.
inline TDateTime nowDateTime()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm {};
    ::localtime_r(&t, &tm);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    const auto day = std::chrono::local_days {std::chrono::year {tm.tm_year + 1900} / (tm.tm_mon + 1) / tm.tm_mday};
    const long long total = static_cast<long long>((day - std::chrono::local_days {kDayZero}).count()) * 86400000LL
        + ((tm.tm_hour * 60LL + tm.tm_min) * 60LL + tm.tm_sec) * 1000LL + ms;
    return static_cast<double>(total) / 86400000.0;
}

// The colour columns LINECOLOR1-5, NETCOLOR1-2 of a STYLECOLOR row; -1
// follows the operator's default colour.
using StyleColours = std::array<int, 7>;
inline constexpr StyleColours kOperatorStyleColours {-1, -1, -1, -1, -1, -1, -1};

// Stores text as the SSTR of the STYLECOLOR row (opCode, styleName) with the
// given colours, adding the row when there is none; in q's transaction.
void writeStyleColor(platform::firebird::Query& q, int opCode, const std::string& styleName, const std::string& text,
    const StyleColours& colours = kOperatorStyleColours);

} // namespace core::opsupport
