#pragma once
// Pieces the journal writer's files share.

#include "accounting/z5SiwakeIO.h"
#include "core/DbOperation.h"
#include "platform/firebird/firebird.h"


namespace siwake_io {

// The conflicts the writer waits out: a lock held by a no-wait
// transaction, and the engine's "deadlock / update conflicts with
// concurrent update" that a row changed by another live transaction gives.
inline constexpr long kIscLockConflict = 335544345;
inline constexpr long kIscDeadlock = 335544336;
inline bool isLockConflict(long code)
{
    return code == kIscLockConflict || code == kIscDeadlock;
}

// Whether the open data set's version is at least major.minor.
bool dataVersionAtLeast(int major, int minor);
// A date-time parameter; NULL for 0.
void bindTimestamp(platform::firebird::Param& p, TDateTime value);
// Every field of an entry from the current row of a journal query (the
// view's columns, user codes from USERCODE and R_USERCODE).
void readEntry(platform::firebird::Query& q, TSWKREC& e);

} // namespace siwake_io
