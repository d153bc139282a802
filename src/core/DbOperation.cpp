#include "core/DbOperation.h"

#include "core/IBErrorProc.h"
#include "platform/firebird/firebird.h"

#include <exception>

namespace core {

namespace fb = platform::firebird;

TOwnTransaction::TOwnTransaction(fb::Transaction& t, DbStart start)
    : t_(t)
{
    if (start == DbStart::Never)
        return;
    if (t_.inTransaction()) {
        if (start == DbStart::WhenIdle)
            return;
        t_.commit();
    }
    t_.startTransaction();
    started_ = true;
}

void TOwnTransaction::commit()
{
    if (started_ && t_.inTransaction())
        t_.commit();
    started_ = false;
}

void TOwnTransaction::rollback() noexcept
{
    if (started_ && t_.inTransaction()) {
        try {
            t_.rollback();
        } catch (...) {
        }
    }
    started_ = false;
}

void TOwnTransaction::commitQuietly() noexcept
{
    try {
        commit();
    } catch (...) {
        rollback();
    }
}

void TDbScope::commitRetaining()
{
    own_.transaction().commitRetaining();
}

fb::Query& TDbScope::fresh(fb::Query& q)
{
    closeOnFailure(q);
    q.close();
    q.sql().clear();
    return q;
}

void ReportDbFailure(const std::exception& e, const std::string& context, const std::string& message)
{
    if (const auto* ib = dynamic_cast<const fb::EIBError*>(&e))
        IBErrorProc(*ib, context, message, false);
    else
        ErrorMessageEx(message, context.empty() ? std::string(e.what()) : context + "\r" + e.what());
}

namespace {

// Ends the transaction after a failure; the caller's transaction stays.
void finishAfterFailure(TOwnTransaction& own, const std::vector<fb::Query*>& closing, DbFailure failure) noexcept
{
    for (fb::Query* q : closing) {
        try {
            q->close();
        } catch (...) {
        }
    }
    if (failure == DbFailure::Commit)
        own.commitQuietly();
    else
        own.rollback();
}

// Reports a caught failure as report says; true when it is to be raised.
bool reportFailure(DbReport report, const std::exception& e, const DbPolicy& policy)
{
    switch (report) {
    case DbReport::ErrorBox:
        ReportDbFailure(e, policy.context, policy.message);
        return false;
    case DbReport::ErrorBoxAndRaise:
        ReportDbFailure(e, policy.context, policy.message);
        return true;
    case DbReport::DbErrorsAndRaise:
        if (const auto* ib = dynamic_cast<const fb::EIBError*>(&e))
            IBErrorProc(*ib, policy.context, policy.message, false);
        return true;
    case DbReport::Quiet:
        return false;
    case DbReport::Raise:
        break;
    }
    return true;
}

} // namespace

bool FailDbOperation(const DbPolicy& policy, const std::exception& e)
{
    if (!reportFailure(policy.report, e, policy))
        return false;
    std::rethrow_exception(std::current_exception());
}

bool RunDbOperation(fb::Transaction& t, const DbPolicy& policy, const std::function<void(TDbScope&)>& body)
{
    for (int attempt = 0;; ++attempt) {
        const bool callers = t.inTransaction() && policy.start != DbStart::Always;
        const DbReport report = callers && policy.reportInCallers ? *policy.reportInCallers : policy.report;
        std::optional<TOwnTransaction> own;
        std::vector<fb::Query*> closing;
        try {
            own.emplace(t, policy.start);
            TDbScope scope(*own);
            try {
                body(scope);
            } catch (...) {
                closing = scope.closing_;
                throw;
            }
            if (own->started())
                own->commit();
            else if (policy.success == DbSuccess::CommitRetaining && t.inTransaction())
                t.commitRetaining();
            return true;
        } catch (const std::exception& e) {
            const bool startedHere = own && own->started();
            if (own)
                finishAfterFailure(*own, closing, policy.failure);
            const bool raise = reportFailure(report, e, policy);
            const DbRetry& retry = policy.retry;
            if (startedHere && attempt < retry.times && retry.when && retry.when(e)) {
                if (retry.pause)
                    retry.pause(attempt);
                continue;
            }
            if (!raise)
                return false;
            throw;
        } catch (...) {
            if (own)
                finishAfterFailure(*own, closing, policy.failure);
            throw;
        }
    }
}

} // namespace core
