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
#include <functional>
#include <stdexcept>
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

inline constexpr std::chrono::local_days kDayZero{TDateTimeDayZero.time_since_epoch()};

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
    return platform::firebird::Date{kDayZero + std::chrono::days{static_cast<long>(std::floor(value))}};
}

// Stores text as the SSTR of the STYLECOLOR row (opCode, styleName), adding
// the row (with every colour -1) when there is none; in q's transaction.
void writeStyleColor(platform::firebird::Query& q, int opCode, const std::string& styleName, const std::string& text);

} // namespace core::opsupport
