// The runner of database operations over its policy matrix: when it starts,
// what success and failure do to the transaction (started here or the
// caller's), and how the failure reaches the caller.

#include "core/DbOperation.h"

#include "core/IBErrorProc.h"
#include "core/uAccRecord.h"
#include "platform/firebird/firebird.h"
#include "sample_data.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <stdexcept>
#include <string>
#include <vector>

using namespace core;
namespace fb = platform::firebird;

namespace {

enum class Body { Succeeds, DatabaseError, OtherError };
enum class Outcome { True, False, Raises };

struct Case {
    const char* name;
    DbPolicy policy;
    bool callerOpen; // the caller has a transaction with its own row open
    Body body;
    // Expectations.
    Outcome outcome;
    bool opRowDurable; // the operation's row, seen from another connection
    bool callerRowDurable; // the caller's row, seen from another connection
    bool activeAfter; // the transaction is still active afterwards
    std::size_t shown; // message boxes shown
};

DbPolicy policy(DbStart start, DbSuccess success, DbFailure failure, DbReport report,
    std::optional<DbReport> inCallers = std::nullopt)
{
    DbPolicy p = DbPolicy("TDM.Test", "テストに失敗しました。").with(start).with(success).with(failure).with(report);
    return inCallers ? p.insideCallers(*inCallers) : p;
}

// A test name from a case's description.
std::string caseName(const char* text, std::size_t index)
{
    std::string name;
    for (const char* p = text; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name + "_" + std::to_string(index);
}

constexpr auto Idle = DbStart::WhenIdle;
constexpr auto Always = DbStart::Always;
constexpr auto Never = DbStart::Never;
constexpr auto Commit = DbSuccess::Commit;
constexpr auto Retaining = DbSuccess::CommitRetaining;
constexpr auto Rollback = DbFailure::Rollback;
constexpr auto KeepOnError = DbFailure::Commit;
constexpr auto Box = DbReport::ErrorBox;
constexpr auto Raise = DbReport::Raise;
constexpr auto BoxRaise = DbReport::ErrorBoxAndRaise;
constexpr auto Quiet = DbReport::Quiet;
constexpr auto DbErrRaise = DbReport::DbErrorsAndRaise;

const Case kCases[] = {
    // name, policy, callerOpen, body, outcome, opRow, callerRow, activeAfter, shown
    {"idle, success commits", policy(Idle, Commit, Rollback, Box), false, Body::Succeeds, Outcome::True, true, false,
        false, 0},
    {"idle, database error rolls back and shows", policy(Idle, Commit, Rollback, Box), false, Body::DatabaseError,
        Outcome::False, false, false, false, 1},
    {"idle, other error rolls back and shows", policy(Idle, Commit, Rollback, Box), false, Body::OtherError,
        Outcome::False, false, false, false, 1},
    {"idle, failure commits what it did", policy(Idle, Commit, KeepOnError, Box), false, Body::DatabaseError,
        Outcome::False, true, false, false, 1},
    {"idle, raise shows nothing", policy(Idle, Commit, Rollback, Raise), false, Body::DatabaseError, Outcome::Raises,
        false, false, false, 0},
    {"idle, box and raise", policy(Idle, Commit, Rollback, BoxRaise), false, Body::OtherError, Outcome::Raises, false,
        false, false, 1},
    {"idle, quiet answers false", policy(Idle, Commit, Rollback, Quiet), false, Body::DatabaseError, Outcome::False,
        false, false, false, 0},
    {"caller's, success leaves it open", policy(Idle, Commit, Rollback, Box), true, Body::Succeeds, Outcome::True,
        false, false, true, 0},
    {"caller's, retaining commit makes both durable", policy(Idle, Retaining, Rollback, Box), true, Body::Succeeds,
        Outcome::True, true, true, true, 0},
    {"caller's, failure leaves it to the caller", policy(Idle, Commit, Rollback, Box), true, Body::DatabaseError,
        Outcome::False, false, false, true, 1},
    {"caller's, failure never commits it", policy(Idle, Commit, KeepOnError, Box), true, Body::DatabaseError,
        Outcome::False, false, false, true, 1},
    {"caller's, raises inside the caller's", policy(Idle, Commit, Rollback, Box, Raise), true, Body::DatabaseError,
        Outcome::Raises, false, false, true, 0},
    {"caller's, quiet inside the caller's", policy(Idle, Commit, Rollback, Box, Quiet), true, Body::OtherError,
        Outcome::False, false, false, true, 0},
    {"own, inside-caller report does not apply", policy(Idle, Commit, Rollback, Box, Raise), false, Body::DatabaseError,
        Outcome::False, false, false, false, 1},
    {"always, commits the caller's first", policy(Always, Commit, Rollback, Box), true, Body::Succeeds, Outcome::True,
        true, true, false, 0},
    {"always, failure rolls back only its own", policy(Always, Commit, Rollback, Raise), true, Body::DatabaseError,
        Outcome::Raises, false, true, false, 0},
    {"always, idle start", policy(Always, Commit, Rollback, Box), false, Body::Succeeds, Outcome::True, true, false,
        false, 0},
    {"never, runs in the caller's and leaves it open", policy(Never, Commit, Rollback, Box), true, Body::Succeeds,
        Outcome::True, false, false, true, 0},
    {"never, failure leaves the caller's open", policy(Never, Commit, Rollback, Raise), true, Body::DatabaseError,
        Outcome::Raises, false, false, true, 0},
    {"never, retaining commit still applies", policy(Never, Retaining, Rollback, Box), true, Body::Succeeds,
        Outcome::True, true, true, true, 0},
    {"database errors shown and raised", policy(Idle, Commit, Rollback, DbErrRaise), false, Body::DatabaseError,
        Outcome::Raises, false, false, false, 1},
    {"other errors raised unshown", policy(Idle, Commit, Rollback, DbErrRaise), false, Body::OtherError,
        Outcome::Raises, false, false, false, 0},
};

class DbOperationDatabase : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SysDef.LogDir = dir.makeDir("log");
        path_ = dir.file("sys.fdb");
        // The system schema is enough: the runner writes SYSREG rows.
        sample::createDatabaseFromScripts(path_, sample::defaultSqlDir(), "sys", "TOLVAN", "vulmok", false);
        connect(db_, tr_);
        connect(other_, otherTr_);
    }
    void TearDown() override { ResetProcessState(); }

    void connect(fb::Database& db, fb::Transaction& tr)
    {
        db.setDatabaseName(path_);
        db.addParam("user_name=TOLVAN");
        db.addParam("password=vulmok");
        db.addParam("lc_ctype=SJIS_0208");
        db.connect();
        tr.addParam("read_committed");
        tr.addParam("rec_version");
        tr.addParam("nowait");
        db.setDefaultTransaction(&tr);
    }

    void insert(const char* code)
    {
        fb::Query q(&db_, &tr_);
        q.sql().add("INSERT INTO SYSREG (OPCODE, SCODE) VALUES (-1, :SCODE)");
        q.paramByName("SCODE").setString(code);
        q.execSQL();
    }

    // The rows with code another connection sees.
    int committed(const char* code)
    {
        otherTr_.startTransaction();
        fb::Query q(&other_, &otherTr_);
        q.sql().add("SELECT COUNT(*) FROM SYSREG WHERE OPCODE=-1 AND SCODE=:SCODE");
        q.paramByName("SCODE").setString(code);
        q.open();
        const int count = q.field(0).asInteger();
        q.close();
        otherTr_.commit();
        return count;
    }
    bool durable(const char* code) { return committed(code) > 0; }

    test_support::TempDir dir;
    std::string path_;
    fb::Database db_;
    fb::Transaction tr_ {&db_};
    fb::Database other_;
    fb::Transaction otherTr_ {&other_};
};

class DbOperationTest : public DbOperationDatabase, public ::testing::WithParamInterface<Case> { };

} // namespace

TEST_P(DbOperationTest, FollowsItsPolicy)
{
    const Case& c = GetParam();
    if (c.callerOpen) {
        tr_.startTransaction();
        insert("CALLER");
    }
    ScriptedMessages messages;
    Outcome outcome = Outcome::Raises;
    try {
        fb::Query shared(&db_, &tr_);
        const bool ok = RunDbOperation(tr_, c.policy, [&](TDbScope& scope) {
            scope.closeOnFailure(shared);
            insert("OPERATION");
            shared.sql().add("SELECT SCODE FROM SYSREG");
            shared.open();
            if (c.body == Body::DatabaseError) {
                fb::Query bad(&db_, &tr_);
                bad.sql().add("SELECT * FROM NO_SUCH_TABLE");
                bad.open();
            }
            if (c.body == Body::OtherError)
                throw std::runtime_error("not a database error");
            shared.close();
        });
        outcome = ok ? Outcome::True : Outcome::False;
        EXPECT_FALSE(shared.active()) << "a shared statement is closed whatever happened";
    } catch (const std::exception&) {
        outcome = Outcome::Raises;
    }
    EXPECT_EQ(outcome, c.outcome);
    EXPECT_EQ(tr_.inTransaction(), c.activeAfter);
    EXPECT_EQ(messages.count(), c.shown);
    if (tr_.inTransaction())
        tr_.rollback();
    EXPECT_EQ(durable("OPERATION"), c.opRowDurable);
    EXPECT_EQ(durable("CALLER"), c.callerRowDurable);
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, DbOperationTest, ::testing::ValuesIn(kCases), [](const auto& info) { return caseName(info.param.name, info.index); });

TEST(DbOperation, ReportCarriesContextAndMessage)
{
    ResetProcessState();
    ScriptedMessages messages;
    fb::Database db;
    fb::Transaction tr(&db);
    // Starting on a database never connected fails: a failure to start is
    // the operation's own and is reported under its context.
    bool ran = false;
    EXPECT_FALSE(RunDbOperation(tr, DbPolicy("TDM.Start", "開始できません。"), [&] { ran = true; }));
    EXPECT_FALSE(ran);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "開始できません。");
    ResetProcessState();
}

namespace {

// A retried operation: which failures come back, how often, and where.
struct RetryCase {
    const char* name;
    bool callerOpen;
    int conflicts; // attempts that fail with a retried failure before one succeeds
    bool otherFailure; // the first attempt fails with a failure not retried
    int times;
    // Expectations.
    Outcome outcome;
    int attempts;
    std::vector<int> pauses;
    int opRows; // operation rows committed
};

const RetryCase kRetryCases[] = {
    {"own transaction, conflicts waited out", false, 2, false, 3, Outcome::True, 3, {0, 1}, 1},
    {"own transaction, retries run out", false, 99, false, 2, Outcome::Raises, 3, {0, 1}, 0},
    {"caller's transaction, never retried", true, 1, false, 3, Outcome::Raises, 1, {}, 0},
    {"a failure not retried ends at once", false, 0, true, 3, Outcome::Raises, 1, {}, 0},
};

class DbRetryTest : public DbOperationDatabase, public ::testing::WithParamInterface<RetryCase> { };

} // namespace

TEST_P(DbRetryTest, RetriesOnlyWhatItStarted)
{
    const RetryCase& c = GetParam();
    if (c.callerOpen)
        tr_.startTransaction();
    std::vector<int> pauses;
    const DbRetry retry {c.times, [](const std::exception& e) { return std::string(e.what()) == "conflict"; },
        [&](int attempt) { pauses.push_back(attempt); }};
    int attempts = 0;
    Outcome outcome = Outcome::Raises;
    try {
        const bool ok = RunDbOperation(tr_, policy(Idle, Commit, Rollback, Raise).retrying(retry), [&] {
            ++attempts;
            insert("OPERATION");
            if (c.otherFailure)
                throw std::runtime_error("not retried");
            if (attempts <= c.conflicts)
                throw std::runtime_error("conflict");
        });
        outcome = ok ? Outcome::True : Outcome::False;
    } catch (const std::exception&) {
        outcome = Outcome::Raises;
    }
    EXPECT_EQ(outcome, c.outcome);
    EXPECT_EQ(attempts, c.attempts);
    EXPECT_EQ(pauses, c.pauses);
    EXPECT_EQ(tr_.inTransaction(), c.callerOpen);
    if (tr_.inTransaction())
        tr_.rollback();
    EXPECT_EQ(committed("OPERATION"), c.opRows) << "a failed attempt leaves nothing behind";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DbRetryTest, ::testing::ValuesIn(kRetryCases), [](const auto& info) { return caseName(info.param.name, info.index); });
