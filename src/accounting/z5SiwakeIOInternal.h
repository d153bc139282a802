#pragma once
// Pieces the journal writer's files share.

#include "accounting/z5SiwakeIO.h"
#include "core/DbOperation.h"
#include "platform/firebird/firebird.h"

#include <optional>
#include <stdexcept>

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

// The transaction of one operation: with the one-shot AutoCommit flag it
// starts the writer's transaction when none is active and finishes what it
// started; without the flag it leaves the caller's transaction alone.
class TSiwakeWrite::AutoTransaction {
public:
    enum class OnError { Commit, Rollback };

    AutoTransaction(TSiwakeWrite& w, OnError onError)
        : w_(w)
        , onError_(onError)
    {
        if (w_.transaction_ == nullptr)
            throw std::logic_error("TSiwakeWrite: no transaction set");
        if (w_.AutoCommit) {
            w_.AutoCommit = false;
            own_ = true;
            begin();
        }
    }
    ~AutoTransaction()
    {
        if (!tr_)
            return;
        if (onError_ == OnError::Commit)
            tr_->commitQuietly();
        else
            tr_->rollback();
    }
    AutoTransaction(const AutoTransaction&) = delete;
    AutoTransaction& operator=(const AutoTransaction&) = delete;

    // Whether this operation manages the transaction (AutoCommit was set).
    bool owns() const noexcept { return own_; }
    void commit()
    {
        if (tr_)
            tr_->commit();
        tr_.reset();
    }
    // Rolls back what was started and starts anew (a retry after a conflict).
    void restart()
    {
        if (tr_)
            tr_->rollback();
        tr_.reset();
        begin();
    }

private:
    // Started only when idle: the runner's own scope (core/DbOperation.h).
    void begin() { tr_.emplace(*w_.transaction_); }

    TSiwakeWrite& w_;
    OnError onError_;
    bool own_ = false;
    std::optional<core::TOwnTransaction> tr_;
};
