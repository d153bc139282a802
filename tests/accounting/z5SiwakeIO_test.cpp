// The journal writer on an embedded sample company: entries written, read
// back, changed, deleted and restored through the company's journal
// procedures, the trial balance seeing each write, and writers meeting
// each other on one entry.

#include "z5SiwakeIO_fixture.h"

#include "core/IBErrorProc.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace siwake_fixture;
using tb_fixture::yen;
namespace fb = platform::firebird;

namespace {

class SiwakeWriteTest : public ::testing::Test {
protected:
    void SetUp() override { c = std::make_unique<WriterCompany>(); }
    void TearDown() override
    {
        c.reset();
        ResetProcessState();
    }

    // Every stored line of an entry: REC, TAISHAKU, DELFLG, KCODE, R_KCODE.
    std::vector<std::tuple<int, int, int, std::string, std::string>> lines(int swkrec)
    {
        std::vector<std::tuple<int, int, int, std::string, std::string>> r;
        c->company.select("SELECT REC, TAISHAKU, DELFLG, KCODE, R_KCODE FROM SIWAKE WHERE SWKREC = "
                + std::to_string(swkrec) + " ORDER BY REC",
            [&](fb::Query& q) {
                r.emplace_back(q.fieldByName("REC").asInteger(), q.fieldByName("TAISHAKU").asInteger(),
                    q.fieldByName("DELFLG").asInteger(), q.fieldByName("KCODE").asString(),
                    q.fieldByName("R_KCODE").asString());
            });
        return r;
    }

    int put(TSWKREC& e)
    {
        c->writer.AutoCommit = true;
        return c->writer.PutSiwake(e);
    }

    std::unique_ptr<WriterCompany> c;
};

TEST_F(SiwakeWriteTest, InsertNumbersTheEntryAndReadsBackEveryField)
{
    TSWKREC e = c->sale(10800);
    e.TORTEXT = "髙橋";
    e.FUSEN3 = 7;
    e.COMMENT = "コメント";
    e.LINKKEY = "K-1";
    e.RESERVE2 = 9;
    const int rec = put(e);
    ASSERT_GT(rec, 0);
    EXPECT_EQ(e.REC, rec);
    EXPECT_EQ(e.SWKNO, e.SWKREC);
    EXPECT_GT(e.SDAYNUM, 0);
    EXPECT_GT(e.SITREC, 0);
    EXPECT_GT(e.RTIME, 0);
    EXPECT_FALSE(c->tx.inTransaction()) << "AutoCommit finishes what it started";
    EXPECT_FALSE(c->writer.AutoCommit) << "AutoCommit is one-shot";

    // Two lines: as given, and with the sides swapped; codes stored as the
    // accounts' internal codes.
    const auto stored = lines(e.SWKREC);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0], std::make_tuple(rec, 1, 0, std::string("1211"), std::string("4111")));
    EXPECT_EQ(std::get<1>(stored[1]), 2);
    EXPECT_EQ(std::get<3>(stored[1]), "4111");

    for (bool view : {false, true}) {
        SCOPED_TRACE(view ? "through the view" : "through the table");
        TSWKREC r;
        c->writer.AutoCommit = true;
        c->writer.GetSiwake(r, rec, view);
        EXPECT_EQ(r.REC, rec);
        EXPECT_EQ(r.SWKREC, e.SWKREC);
        EXPECT_EQ(r.HIZUKE, e.HIZUKE);
        EXPECT_EQ(r.Debit.KCODE, "211");
        EXPECT_EQ(r.Debit.HCODE, "01");
        EXPECT_EQ(r.Credit.KCODE, "811");
        EXPECT_EQ(r.Credit.BCODE, "01");
        EXPECT_EQ(r.Credit.TAXCODE, 110);
        EXPECT_EQ(r.KINGAKU, yen(10800));
        EXPECT_EQ(r.TEKTEXT, "売上 ㈱髙橋商店 ①");
        EXPECT_EQ(r.TORTEXT, "髙橋");
        EXPECT_EQ(r.FUSEN3, 7);
        EXPECT_EQ(r.COMMENT, "コメント");
        EXPECT_EQ(r.LINKKEY, "K-1");
        EXPECT_EQ(r.RESERVE2, 9);
        EXPECT_EQ(r.OPCODE, kOperator);
        EXPECT_EQ(r.Debit.SideRateNo, r.OLDRATE);
        EXPECT_EQ(r.PcName, "PC-TEST");
    }
}

TEST_F(SiwakeWriteTest, AnOldDataSetGetsNoBranchEntryNumber)
{
    AccInf.DataVerMajor = 6;
    AccInf.DataVerMinor1 = 0;
    TSWKREC e = c->sale(100);
    ASSERT_GT(put(e), 0);
    EXPECT_EQ(e.SITREC, 0);
}

TEST_F(SiwakeWriteTest, ReadingAMissingRecordLeavesAFreshEntry)
{
    TSWKREC r = c->sale(5);
    c->writer.AutoCommit = true;
    c->writer.GetSiwake(r, 987654, false);
    EXPECT_EQ(r.REC, 0);
    EXPECT_EQ(r.Debit.TAXCODE, 910);
    EXPECT_EQ(r.Credit.TAXCODE, 910);
    EXPECT_GT(r.HIZUKE, 40000);
}

TEST_F(SiwakeWriteTest, ChangeDeleteAndRestoreKeepTheEntryNumber)
{
    TSWKREC e = c->sale(1000);
    const int first = put(e);
    const int swkrec = e.SWKREC;
    const int day = e.SDAYNUM;

    e.KINGAKU = yen(2000);
    ASSERT_EQ(put(e), 0);
    EXPECT_NE(e.REC, first) << "a change is a new version";
    EXPECT_EQ(e.SWKREC, swkrec);
    EXPECT_EQ(e.SWKNO, swkrec);
    EXPECT_EQ(e.SDAYNUM, day) << "same date, same place";
    auto stored = lines(swkrec);
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(std::get<2>(stored[0]), 2) << "the replaced version is kept as changed";
    EXPECT_EQ(std::get<2>(stored[2]), 0);

    c->writer.AutoCommit = true;
    EXPECT_EQ(c->writer.DeleteSiwake(swkrec), 1);
    stored = lines(swkrec);
    EXPECT_EQ(std::get<2>(stored[2]), 1);
    EXPECT_EQ(std::get<2>(stored[3]), 1);
    EXPECT_EQ(std::get<2>(stored[0]), 2) << "old versions stay replaced";

    // Another entry on the date takes the next place meanwhile; the restored
    // entry goes after the live ones.
    TSWKREC other = c->sale(10);
    put(other);
    c->writer.AutoCommit = true;
    ASSERT_TRUE(c->writer.RestoreSiwake(swkrec));
    stored = lines(swkrec);
    EXPECT_EQ(std::get<2>(stored[0]), 2);
    EXPECT_EQ(std::get<2>(stored[2]), 0);
    TSWKREC r;
    c->writer.AutoCommit = true;
    c->writer.GetSiwake(r, e.REC, true);
    EXPECT_EQ(r.KINGAKU, yen(2000));
    EXPECT_EQ(r.SDAYNUM, other.SDAYNUM + 1);
}

TEST_F(SiwakeWriteTest, RestoringAnUnknownEntryReportsFailure)
{
    c->writer.AutoCommit = true;
    EXPECT_FALSE(c->writer.RestoreSiwake(987654));
}

TEST_F(SiwakeWriteTest, TheTrialBalanceMovesByExactlyTheEntry)
{
    InstallGeneralTrialBalanceEngine();
    auto load = [&] {
        TBalanceArray rows(static_cast<std::size_t>(BalanceCapacity()));
        TQSortArray sorts(rows.size());
        const int last = int(rows.size()) - 1;
        LoadHikakuBalance(rows, last, sorts, last, "", "", 0, 0, 0, 0, 0, 1, 2, 0);
        std::map<std::string, TBALANCE> byCode;
        for (int i = FirstAccountRow; i <= last; ++i)
            if (!rows[std::size_t(i)].Kamoku.KCODE.empty())
                byCode[rows[std::size_t(i)].Kamoku.KCODE] = rows[std::size_t(i)];
        return byCode;
    };
    const auto before = load();
    TSWKREC e = c->sale(10800);
    put(e);
    const auto after = load();
    for (const auto& [code, row] : after) {
        SCOPED_TRACE(code);
        for (int p = 1; p <= 16; ++p) {
            const Currency debit = (code == "1211" && p == 2) ? yen(10800) : 0;
            const Currency credit = (code == "4111" && p == 2) ? yen(10800) : 0;
            EXPECT_EQ(row.Debit[p] - before.at(code).Debit[p], debit) << "period " << p;
            EXPECT_EQ(row.Credit[p] - before.at(code).Credit[p], credit) << "period " << p;
        }
    }

    // A deletion takes it out again.
    c->writer.AutoCommit = true;
    c->writer.DeleteSiwake(e.SWKREC);
    const auto deleted = load();
    EXPECT_EQ(deleted.at("1211").Debit[2], before.at("1211").Debit[2]);
    EXPECT_EQ(deleted.at("4111").Credit[2], before.at("4111").Credit[2]);
}

// A second program on the same company database, with a writer of its own.
struct OtherProgram {
    explicit OtherProgram(const std::string& database)
    {
        core::TDM* const mine = core::DM;
        dm = std::make_unique<core::TDM>();
        dm->IBDatabaseDAT.setDatabaseName(database);
        dm->IBDatabaseDAT.addParam("user_name=SYSDBA");
        dm->IBDatabaseDAT.addParam("lc_ctype=SJIS_0208");
        dm->IBDatabaseDAT.connect();
        tx.setDefaultDatabase(&dm->IBDatabaseDAT);
        for (const char* word : {"read_committed", "rec_version", "nowait"})
            tx.addParam(word);
        core::DM = dm.get(); // the writer's statement binds to the data module of its first use
        writer.SetTransaction(&tx);
        TSWKREC probe;
        writer.AutoCommit = true;
        writer.GetSiwake(probe, 0, false); // binds the statement
        core::DM = mine;
    }
    ~OtherProgram()
    {
        if (tx.inTransaction())
            tx.rollback();
    }
    std::unique_ptr<core::TDM> dm;
    fb::Transaction tx;
    TSiwakeWrite writer;
};

TEST_F(SiwakeWriteTest, AChangeMeetsWhatAnotherProgramDidMeanwhile)
{
    TSWKREC e = c->sale(1000);
    put(e);
    OtherProgram other(c->company.database);

    // The other program changes the entry: ours answers -2 with the newest line.
    other.tx.startTransaction();
    TSWKREC theirs = e;
    theirs.KINGAKU = yen(3000);
    ASSERT_EQ(other.writer.PutSiwake(theirs), 0);
    other.tx.commit();
    TSWKREC mine = e;
    mine.KINGAKU = yen(5000);
    EXPECT_EQ(put(mine), -2);
    EXPECT_EQ(mine.REC, theirs.REC);

    // The other program deletes it: ours answers -1 and changes nothing.
    other.tx.startTransaction();
    other.writer.DeleteSiwake(e.SWKREC);
    other.tx.commit();
    TSWKREC again = mine;
    EXPECT_EQ(put(again), -1);
    EXPECT_EQ(again.REC, mine.REC);
}

TEST_F(SiwakeWriteTest, ALockConflictEndsWithinBoundsAndNothingIsWritten)
{
    TSWKREC e = c->sale(1000);
    put(e);
    OtherProgram other(c->company.database);
    other.tx.startTransaction();
    TSWKREC theirs = e;
    theirs.KINGAKU = yen(3000);
    ASSERT_EQ(other.writer.PutSiwake(theirs), 0); // holds the entry's lines, uncommitted

    // In its own transaction the writer waits the conflict out a few times,
    // then reports it.
    TSWKREC mine = e;
    mine.KINGAKU = yen(5000);
    core::TTerminateProc keep = core::SetTerminateProc([] {});
    ScriptedMessages messages;
    const auto start = std::chrono::steady_clock::now();
    try {
        put(mine);
        ADD_FAILURE() << "a held entry was written over";
    } catch (const core::EIBError& err) {
        EXPECT_TRUE(err.iscErrorCode() == 335544345 || err.iscErrorCode() == 335544336) << err.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_FALSE(c->tx.inTransaction()) << "the failed write was rolled back";
    EXPECT_FALSE(c->writer.AutoCommit);
    EXPECT_EQ(messages.count(), 0u) << "conflicts are logged, not shown";

    // In the caller's transaction the conflict goes to the caller at once.
    c->tx.startTransaction();
    EXPECT_THROW(c->writer.PutSiwake(mine), core::EIBError);
    EXPECT_TRUE(c->tx.inTransaction()) << "the caller's transaction is the caller's";
    c->tx.rollback();

    other.tx.commit();
    core::SetTerminateProc(keep);
    EXPECT_EQ(lines(e.SWKREC).size(), 4u) << "only the other program's version was added";
}

TEST_F(SiwakeWriteTest, AFailedWriteRollsBackAndTheNextCallUsesTheCallersTransaction)
{
    TSWKREC e = c->sale(1000);
    e.Debit.KCODE = "999999"; // no such account: the procedure refuses it
    c->writer.AutoCommit = true;
    core::TTerminateProc keep = core::SetTerminateProc([] {});
    ScriptedMessages messages;
    EXPECT_THROW(c->writer.PutSiwake(e), core::EIBError);
    EXPECT_FALSE(c->writer.AutoCommit);
    EXPECT_FALSE(c->tx.inTransaction());

    c->tx.startTransaction();
    TSWKREC ok = c->sale(10);
    EXPECT_GT(c->writer.PutSiwake(ok), 0);
    EXPECT_TRUE(c->tx.inTransaction());
    c->tx.rollback();
    EXPECT_TRUE(lines(ok.SWKREC).empty()) << "the caller rolled it back";
    core::SetTerminateProc(keep);
}

TEST_F(SiwakeWriteTest, BranchAccountsAndLookups)
{
    c->writer.AutoCommit = true;
    c->writer.SetSCode("01");
    const auto& rows = c->writer.KamokuArray();
    ASSERT_FALSE(rows.empty());
    // The positions name each account's first row, and its flags sit there.
    bool sawSalesWithDepartments = false;
    for (const std::string& line : c->writer.KamokuPositions()) {
        const auto eq = line.find('=');
        const std::string user = line.substr(0, eq);
        const auto& first = rows.at(std::size_t(std::stoi(line.substr(eq + 1))));
        EXPECT_EQ(first.Kamoku.USERCODE, user);
        if (user == "211") {
            EXPECT_TRUE(first.HasHojo);
        }
        if (user == "811") {
            EXPECT_TRUE(first.HasBumon);
            sawSalesWithDepartments = true;
        }
        if (user == "111") {
            EXPECT_FALSE(first.HasHojo || first.HasBumon);
        }
    }
    EXPECT_TRUE(sawSalesWithDepartments);

    // The look-ups run in the caller's transaction.
    c->tx.startTransaction();
    EXPECT_FALSE(c->writer.LookupKamoku("01", "", "1234567", "")) << "seven characters: no query";
    EXPECT_TRUE(c->writer.LookupKamoku("01", "", "811", ""));
    EXPECT_EQ(c->writer.CurrentRow().HCODE, " ");
    EXPECT_FALSE(c->writer.CurrentRow().BCODE.empty()) << "any department is taken";
    EXPECT_EQ(c->writer.CurrentRow().Kamoku.KNAME, "売上高");
    EXPECT_TRUE(c->writer.LookupKamoku("01", "02", "811", " "));
    EXPECT_EQ(c->writer.CurrentRow().BNAME, "管理部");
    EXPECT_FALSE(c->writer.LookupKamoku("01", "", "811", "09"));
    EXPECT_TRUE(c->tx.inTransaction());
    c->tx.commit();
}

} // namespace

namespace {

TEST_F(SiwakeWriteTest, TheBranchCountFollowsLiveEntries)
{
    auto count = [&] {
        int n = -1;
        c->company.select("SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE = '01'",
            [&](fb::Query& q) { n = q.fieldByName("SIWAKECOUNT").asInteger(); });
        return n;
    };
    int live = -1;
    c->company.select("SELECT COUNT(*) AS N FROM SIWAKE WHERE SCODE = '01' AND DELFLG = 0 AND TAISHAKU = 1",
        [&](fb::Query& q) { live = q.fieldByName("N").asInteger(); });
    EXPECT_EQ(count(), live) << "the sample's count matches its journal";

    TSWKREC e = c->sale(100);
    put(e);
    EXPECT_EQ(count(), live + 1);
    e.KINGAKU = yen(200);
    put(e);
    EXPECT_EQ(count(), live + 1) << "a change is still one entry";
    c->writer.AutoCommit = true;
    c->writer.DeleteSiwake(e.SWKREC);
    EXPECT_EQ(count(), live);
    c->writer.AutoCommit = true;
    c->writer.RestoreSiwake(e.SWKREC);
    EXPECT_EQ(count(), live + 1);
}

} // namespace
