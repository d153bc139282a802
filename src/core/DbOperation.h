#pragma once
// The one runner for database operations. Every operation on a connection of
// the data module states its transaction discipline as a policy and hands its
// body to RunDbOperation, which starts, finishes and reports:
//
//   return RunDbOperation(d.IBTransactionDEF, DbPolicy("TDM.GetSysIni", "システム情報の取得に失敗しました。"),
//                         [&] { readRow(q); });
//
// The default policy is the data module's: start the transaction only when it
// is idle, commit what was started here, roll it back on failure, report the
// failure through the error box and answer false. A transaction the caller
// had open is never committed or rolled back here (only a retaining commit
// when the policy asks for one).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform::firebird {
class Transaction;
class Query;
} // namespace platform::firebird

namespace core {

// When the operation's transaction starts.
enum class DbStart : std::uint8_t {
    WhenIdle, // only when none is active; an active one is the caller's
    Always, // commits whatever is open and starts a fresh one, owned here
};

// What success does to the transaction.
enum class DbSuccess : std::uint8_t {
    Commit, // commit what was started here; the caller's stays open
    CommitRetaining, // as Commit, and make the caller's work durable with a retaining commit
};

// What a failure does to a transaction started here.
enum class DbFailure : std::uint8_t {
    Rollback,
    Commit, // reads that may create missing default rows: what they did stays
};

// How a failure reaches the caller.
enum class DbReport : std::uint8_t {
    ErrorBox, // shown (database errors through IBErrorProc), answered as false
    Raise, // not shown, raised to the caller
    ErrorBoxAndRaise, // shown, then raised
    Quiet, // neither shown nor raised: answered as false
};

// The policy of one operation, stated where it runs:
//   DbPolicy("TDM.fnGetAccInfo", "基本情報の取得に失敗しました。").with(DbFailure::Commit)
struct DbPolicy {
    explicit DbPolicy(std::string context = {}, std::string message = {})
        : context(std::move(context))
        , message(std::move(message))
    {
    }
    DbPolicy with(DbStart value) const { return changed(&DbPolicy::start, value); }
    DbPolicy with(DbSuccess value) const { return changed(&DbPolicy::success, value); }
    DbPolicy with(DbFailure value) const { return changed(&DbPolicy::failure, value); }
    DbPolicy with(DbReport value) const { return changed(&DbPolicy::report, value); }
    // The report inside a transaction the caller had open, when it differs
    // (the caller's own handler decides about its transaction).
    DbPolicy insideCallers(DbReport value) const
    {
        return changed(&DbPolicy::reportInCallers, std::optional<DbReport>(value));
    }

    std::string context; // "TDM.<operation>": the report's context
    std::string message; // the Japanese message of the report
    DbStart start = DbStart::WhenIdle;
    DbSuccess success = DbSuccess::Commit;
    DbFailure failure = DbFailure::Rollback;
    DbReport report = DbReport::ErrorBox;
    std::optional<DbReport> reportInCallers;

private:
    // A copy with one member changed.
    template <class T> DbPolicy changed(T DbPolicy::*member, T value) const
    {
        auto p = *this;
        p.*member = std::move(value);
        return p;
    }
};

// The start-when-idle, finish-only-what-was-started scope the runner is built
// on; for code that must hold a transaction across several runner calls.
class TOwnTransaction {
public:
    explicit TOwnTransaction(platform::firebird::Transaction& t, DbStart start = DbStart::WhenIdle);
    ~TOwnTransaction() { rollback(); }
    TOwnTransaction(const TOwnTransaction&) = delete;
    TOwnTransaction& operator=(const TOwnTransaction&) = delete;
    bool started() const noexcept { return started_; }
    platform::firebird::Transaction& transaction() const noexcept { return t_; }
    // Commits what was started here (errors raise).
    void commit();
    // Rolls back what was started here; errors are swallowed (the failure
    // that led here is the one to report).
    void rollback() noexcept;
    // Commits what was started here, swallowing errors.
    void commitQuietly() noexcept;

private:
    platform::firebird::Transaction& t_;
    bool started_ = false;
};

// What the body sees of the running operation.
class TDbScope {
public:
    explicit TDbScope(TOwnTransaction& own)
        : own_(own)
    {
    }
    // True when the transaction was started by this operation.
    bool started() const noexcept { return own_.started(); }
    // Makes the work so far durable and keeps the transaction open (long
    // operations that record progress as they go).
    void commitRetaining();
    // Queries closed when the body fails, before the transaction ends
    // (shared statements of the data module must not stay open).
    void closeOnFailure(platform::firebird::Query& q) { closing_.push_back(&q); }
    // A shared statement ready for new text: closed, its text cleared, and
    // closed again should the body fail.
    platform::firebird::Query& fresh(platform::firebird::Query& q);

private:
    friend bool RunDbOperation(
        platform::firebird::Transaction&, const DbPolicy&, const std::function<void(TDbScope&)>&);
    TOwnTransaction& own_;
    std::vector<platform::firebird::Query*> closing_;
};

// Runs body in t under policy. True when the body and the finishing commit
// succeeded; false for a failure reported as ErrorBox or Quiet. Exceptions
// that are not std::exception always travel on (after the transaction is
// finished).
bool RunDbOperation(
    platform::firebird::Transaction& t, const DbPolicy& policy, const std::function<void(TDbScope&)>& body);

template <class F>
requires std::invocable<F&>
bool RunDbOperation(platform::firebird::Transaction& t, const DbPolicy& policy, F&& body)
{
    return RunDbOperation(t, policy, std::function<void(TDbScope&)>([&body](TDbScope&) { body(); }));
}

// A failure before the operation could run (no data module, a bad
// argument) handled as the policy says: false for ErrorBox and Quiet,
// raised otherwise. Call it inside the handler that caught e.
bool FailDbOperation(const DbPolicy& policy, const std::exception& e);

// How a caught failure is shown: database errors through IBErrorProc (log,
// explanation, lost connection), anything else through the error box with
// the context and text as detail.
void ReportDbFailure(const std::exception& e, const std::string& context, const std::string& message);

} // namespace core
