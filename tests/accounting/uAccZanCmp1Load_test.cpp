// The general engine on the sample company database: every figure loaded is
// checked against what the test computes from the journal, opening and
// budget rows themselves.

#include "uAccZanCmp1_fixture.h"

#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <set>

using namespace tb_fixture;

namespace {

class SampleCompanyBalance : public ::testing::Test {
protected:
    static void SetUpTestSuite() { company_ = new Company(); }
    static void TearDownTestSuite()
    {
        delete company_;
        company_ = nullptr;
    }
    void SetUp() override
    {
        company_->loadAccInf();
        InstallGeneralTrialBalanceEngine();
        rows.assign(std::size_t(BalanceCapacity()), TBALANCE {});
        sorts.assign(rows.size(), TQSORT {});
    }
    int last() const { return int(rows.size()) - 1; }

    void loadHikaku(int taxMode = 0)
    {
        LoadHikakuBalance(rows, last(), sorts, last(), "", "", taxMode, 0, 0, 0, 0, 1, 2, 0);
    }
    // Account rows loaded (code -> row index).
    std::map<std::string, int> accountRows() const
    {
        std::map<std::string, int> m;
        for (int i = FirstAccountRow; i <= last(); ++i)
            if (!rows[std::size_t(i)].Kamoku.KCODE.empty())
                m[rows[std::size_t(i)].Kamoku.KCODE] = i;
        return m;
    }

    static Company* company_;
    TBalanceArray rows;
    TQSortArray sorts;
};

Company* SampleCompanyBalance::company_ = nullptr;

TEST_F(SampleCompanyBalance, ComparisonLoadMatchesJournalForEveryAccountAndPeriod)
{
    loadHikaku();
    auto expected = company_->figures("SIWAKE", 0);
    auto accs = company_->accounts();
    const auto loaded = accountRows();
    ASSERT_GE(loaded.size(), 20u);
    for (const auto& [code, i] : loaded) {
        SCOPED_TRACE("account " + code);
        const TBALANCE& r = rows[std::size_t(i)];
        const TExpected& e = expected[code];
        EXPECT_EQ(r.KAISIZAN, e.opening);
        EXPECT_EQ(r.Kamoku.TAISHAKU, accs[code].taishaku);
        if (r.Kamoku.GROUPM2 == "3340")
            continue; // the earnings account carries the result the summary formulas compute
        Currency balance = e.opening;
        for (int p = 1; p <= 16; ++p) {
            SCOPED_TRACE("period " + std::to_string(p));
            EXPECT_EQ(r.Debit[p], at(e.debit, p));
            EXPECT_EQ(r.Credit[p], at(e.credit, p));
            balance += netOf(r.Kamoku.TAISHAKU, e, p);
            EXPECT_EQ(r.Balance[p], balance);
            EXPECT_EQ(r.Net[p], netOf(r.Kamoku.TAISHAKU, e, p));
        }
    }
}

TEST_F(SampleCompanyBalance, SubAccountsFollowTheirAccountAndSumToIt)
{
    loadHikaku();
    auto expected = company_->figures("SIWAKE", 0);
    const auto loaded = accountRows();
    const TBALANCE& bank = rows[std::size_t(loaded.at("1121"))];
    // The part without a sub-account comes first, then 01 and 02.
    ASSERT_EQ(bank.HojoList.size(), 3u);
    EXPECT_EQ(bank.HojCount, 3);
    EXPECT_EQ(bank.HojoList[0].HCODE, "");
    EXPECT_EQ(bank.HojoList[1].HCODE, "01");
    EXPECT_EQ(bank.HojoList[2].HCODE, "02");
    for (const auto& [code, i] : loaded) {
        const TBALANCE& r = rows[std::size_t(i)];
        if (r.HojoList.empty())
            continue;
        SCOPED_TRACE("account " + code);
        Currency opening = 0;
        for (const THOJOUTIWAKE& h : r.HojoList) {
            opening += h.KAISIZAN;
            const TExpected& e = expected[code + "/" + h.HCODE];
            EXPECT_EQ(h.KAISIZAN, e.opening) << h.HCODE;
            for (int p = 1; p <= 16; ++p) {
                EXPECT_EQ(h.Debit[p], at(e.debit, p)) << h.HCODE << " " << p;
                EXPECT_EQ(h.Credit[p], at(e.credit, p)) << h.HCODE << " " << p;
            }
        }
        EXPECT_EQ(opening, r.KAISIZAN);
        for (int p = 1; p <= 16; ++p) {
            Currency d = 0, c = 0, b = 0;
            for (const THOJOUTIWAKE& h : r.HojoList) {
                d += h.Debit[p];
                c += h.Credit[p];
                b += h.Balance[p];
            }
            EXPECT_EQ(d, r.Debit[p]) << p;
            EXPECT_EQ(c, r.Credit[p]) << p;
            EXPECT_EQ(b, r.Balance[p]) << p;
        }
    }
}

TEST_F(SampleCompanyBalance, SummaryLinesAreTheSumsOfTheirAccounts)
{
    loadHikaku();
    const auto loaded = accountRows();
    auto lineSum = [&](int line, int p) {
        Currency s = 0;
        for (const auto& [code, i] : loaded) {
            const TBALANCE& r = rows[std::size_t(i)];
            if (SummaryRowOfGroup(r.Kamoku.GROUPM2, 0) == line)
                s += TaishakuAddSign(r.Kamoku.TAISHAKU) * r.Balance[p];
        }
        return s;
    };
    auto assets = [&](int p) {
        Currency s = 0;
        for (const auto& [code, i] : loaded) {
            const TBALANCE& r = rows[std::size_t(i)];
            if (r.Kamoku.GROUPM2 > "1000" && r.Kamoku.GROUPM2 < "1900")
                s += TaishakuAddSign(r.Kamoku.TAISHAKU) * r.Balance[p];
        }
        return s;
    };
    auto R = [&](int line, int p) { return rows[std::size_t(line)].Balance[p]; };
    for (int p = -31; p <= 16; ++p) {
        SCOPED_TRACE("period index " + std::to_string(p));
        for (int line : {1, 3, 4, 6, 12, 14, 16, 28, 37, 39, 40})
            EXPECT_EQ(R(line, p), lineSum(line, p)) << "line " << line;
        EXPECT_EQ(R(2, p), lineSum(2, p) + lineSum(1, p));
        EXPECT_EQ(R(11, p), assets(p));
        EXPECT_EQ(R(27, p), R(11, p)) << "the balance sheet balances";
        EXPECT_EQ(R(36, p), R(28, p) - R(30, p));
        EXPECT_EQ(R(38, p), R(36, p) - R(37, p));
        EXPECT_EQ(R(41, p), R(38, p) + R(39, p) - R(40, p));
        EXPECT_EQ(R(45, p), R(44, p) - lineSum(45, p));
    }
    // Sales in period 1 are credit-side and positive.
    EXPECT_GT(R(28, 1), 0);
    EXPECT_EQ(rows[28].Kamoku.KNAME, "売上高");
}

TEST_F(SampleCompanyBalance, PriorYearsComeFromTheirJournals)
{
    loadHikaku();
    const auto loaded = accountRows();
    for (int year : {1, 2}) {
        auto expected = company_->figures("KAKOSIWAKE" + std::to_string(year), year);
        const int offset = -16 * year;
        for (const auto& [code, i] : loaded) {
            if (rows[std::size_t(i)].Kamoku.GROUPM2 == "3340")
                continue; // computed by the summary formulas
            SCOPED_TRACE("account " + code + " year " + std::to_string(year));
            const TBALANCE& r = rows[std::size_t(i)];
            const TExpected& e = expected[code];
            EXPECT_EQ(r.YearOpenings[std::size_t(year)], e.opening);
            Currency balance = e.opening;
            for (int p = 1; p <= 16; ++p) {
                balance += netOf(r.Kamoku.TAISHAKU, e, p);
                EXPECT_EQ(r.Balance[p + offset], balance) << p;
            }
        }
    }
}

TEST_F(SampleCompanyBalance, CarryOverFlagNotTaxModeDecidesThePastYearFigures)
{
    // Mode 1 passes 1 when KURIKOSI1 is 1, else 0, whatever the tax mode.
    auto priorSales = [&](int taxMode) {
        loadHikaku(taxMode);
        return rows[std::size_t(accountRows().at("4111"))].Balance[-15];
    };
    auto excluded = company_->figures("KAKOSIWAKE1", 1, true);
    auto included = company_->figures("KAKOSIWAKE1", 1, false);
    ASSERT_NE(netOf(3, excluded["4111"], 1), netOf(3, included["4111"], 1));
    EXPECT_EQ(priorSales(1), netOf(3, included["4111"], 1));
    company_->exec("UPDATE ACCDEF1 SET KURIKOSI1 = 1 WHERE REC = 1");
    const Currency withFlag = priorSales(0);
    company_->exec("UPDATE ACCDEF1 SET KURIKOSI1 = 0 WHERE REC = 1");
    EXPECT_EQ(withFlag, netOf(3, excluded["4111"], 1));
}

TEST_F(SampleCompanyBalance, BudgetAndActualsByMonth)
{
    loadHikaku();
    const auto loaded = accountRows();
    std::map<std::string, std::map<int, Currency>> budget;
    company_->select("SELECT KCODE, YOSAN01, YOSAN05, YOSAN15, YOSAN201 FROM YOSAN", [&](fb::Query& q) {
        auto& b = budget[q.fieldByName("KCODE").asString()];
        b[1] += q.fieldByName("YOSAN01").asCurrency();
        b[5] += q.fieldByName("YOSAN05").asCurrency();
        b[15] += q.fieldByName("YOSAN15").asCurrency();
        b[201] += q.fieldByName("YOSAN201").asCurrency();
    });
    auto expected = company_->figures("SIWAKE", 0);
    for (const std::string code : {"4111", "5111", "6111"}) {
        SCOPED_TRACE(code);
        const TBALANCE& r = rows[std::size_t(loaded.at(code))];
        EXPECT_EQ(r.Budget[1], budget[code][1]);
        EXPECT_EQ(r.Budget[5], budget[code][5]);
        EXPECT_EQ(r.Budget[15], budget[code][15]);
        EXPECT_EQ(r.BudgetTier1[1], budget[code][1]);
        EXPECT_EQ(r.BudgetTier2[1], budget[code][201]);
        // Month 3 holds its own actuals and, its flag being set, not the
        // adjustment period 4's.
        EXPECT_EQ(r.Actuals[3], netOf(r.Kamoku.TAISHAKU, expected[code], 3));
        EXPECT_EQ(r.ActualFlags[3], 1);
    }
    // Sales budget of the whole company reaches the sales line.
    EXPECT_EQ(rows[28].Budget[1], budget["4111"][1]);
}

TEST_F(SampleCompanyBalance, QuarterAndHalfYearFold)
{
    loadHikaku();
    const auto loaded = accountRows();
    struct Case {
        int kind, from, to;
    };
    for (const Case c : {Case {1, 1, 4}, Case {2, 5, 8}, Case {5, 1, 8}, Case {6, 9, 16}, Case {0, 3, 7}}) {
        SCOPED_TRACE("kind " + std::to_string(c.kind));
        CalcBalance(rows, last(), 0, c.kind, c.from, c.to, 0);
        for (const auto& [code, i] : loaded) {
            const TBALANCE& r = rows[std::size_t(i)];
            if (r.Kamoku.GROUPM2 == "3340")
                continue; // computed by the summary formulas
            SCOPED_TRACE(code);
            Currency d = 0, cr = 0;
            for (int p = c.from; p <= c.to; ++p) {
                d += r.Debit[p];
                cr += r.Credit[p];
            }
            EXPECT_EQ(r.RangeDebit, d);
            EXPECT_EQ(r.RangeCredit, cr);
            const bool plReset = r.Kamoku.BSPL == "P" && (c.kind == 2 || c.kind == 6);
            // Index 0 holds the prior year's last period after a comparison load.
            const Currency before = c.from == 1 ? r.KAISIZAN : r.Balance[c.from - 1];
            const Currency opening = plReset ? 0 : before;
            EXPECT_EQ(r.RangeOpening, opening);
            EXPECT_EQ(r.RangeClosing, r.Balance[c.to] - before + opening);
            EXPECT_EQ(
                r.RangePriorYear,
                (c.kind == 1 || c.kind == 5 || c.kind == 0 || r.Kamoku.BSPL != "P") ? r.Balance[c.to - 16] : [&] {
                    Currency s = 0;
                    for (int k = c.from - 16; k <= c.to - 16; ++k)
                        s += r.Net[k];
                    return s;
                }());
        }
        EXPECT_EQ(rows[11].RangeClosing, rows[27].RangeClosing);
        EXPECT_EQ(rows[11].RangePercent, 100 * CurrencyScale);
    }
}

TEST_F(SampleCompanyBalance, TaxExcludedFiguresMoveTheTaxToTheSuspenseAccounts)
{
    LoadSisanhyou(rows, last(), sorts, last(), "", "", 1, 0, 0, 1, 0, 0, 0);
    auto expected = company_->figures("SIWAKE", 0, true);
    for (const auto& [code, i] : accountRows()) {
        SCOPED_TRACE(code);
        const TBALANCE& r = rows[std::size_t(i)];
        for (int p = 1; p <= 16; ++p) {
            EXPECT_EQ(r.Debit[p], at(expected[code].debit, p)) << p;
            EXPECT_EQ(r.Credit[p], at(expected[code].credit, p)) << p;
        }
    }
    const int received = accountRows().at("2511");
    EXPECT_GT(rows[std::size_t(received)].Credit[1], 0);
}

TEST_F(SampleCompanyBalance, BranchScopeKeepsTheBranchLinesOnly)
{
    LoadSisanhyou(rows, last(), sorts, last(), "02", "", 0, 2, 0, 1, 0, 0, 0);
    auto expected = company_->figures("SIWAKE", 0, false, {}, "02");
    for (const auto& [code, i] : accountRows()) {
        SCOPED_TRACE(code);
        const TBALANCE& r = rows[std::size_t(i)];
        EXPECT_EQ(r.KAISIZAN, expected[code].opening);
        for (int p = 1; p <= 16; ++p)
            EXPECT_EQ(r.Debit[p], at(expected[code].debit, p)) << p;
    }
}

TEST_F(SampleCompanyBalance, DepartmentGroupAddsItsDepartmentsRowByRow)
{
    auto load = [&](int scope, const std::string& code) {
        TBalanceArray r(rows.size());
        TQSortArray s(rows.size());
        LoadSisanhyou(r, last(), s, last(), "", code, 0, scope, 0, 1, 0, 0, 0);
        return r;
    };
    const TBalanceArray d1 = load(3, "01");
    const TBalanceArray d2 = load(3, "02");
    const TBalanceArray group = load(4, "B1");
    auto expected1 = company_->figures("SIWAKE", 0, false, "01");
    bool someMovement = false;
    for (int i = FirstAccountRow; i <= last(); ++i) {
        const auto k = std::size_t(i);
        if (d1[k].Kamoku.KCODE.empty())
            break;
        SCOPED_TRACE(d1[k].Kamoku.KCODE);
        ASSERT_EQ(group[k].Kamoku.KCODE, d1[k].Kamoku.KCODE);
        ASSERT_EQ(d2[k].Kamoku.KCODE, d1[k].Kamoku.KCODE);
        EXPECT_EQ(group[k].KAISIZAN, d1[k].KAISIZAN + d2[k].KAISIZAN);
        for (int p = 1; p <= 16; ++p) {
            EXPECT_EQ(d1[k].Debit[p], at(expected1[d1[k].Kamoku.KCODE].debit, p));
            EXPECT_EQ(group[k].Debit[p], d1[k].Debit[p] + d2[k].Debit[p]) << p;
            EXPECT_EQ(group[k].Credit[p], d1[k].Credit[p] + d2[k].Credit[p]) << p;
            EXPECT_EQ(group[k].Balance[p], d1[k].Balance[p] + d2[k].Balance[p]) << p;
            someMovement = someMovement || d2[k].Debit[p] != 0;
        }
        ASSERT_EQ(group[k].HojoList.size(), d1[k].HojoList.size());
        for (std::size_t j = 0; j < group[k].HojoList.size(); ++j)
            EXPECT_EQ(group[k].HojoList[j].Debit[1], d1[k].HojoList[j].Debit[1] + d2[k].HojoList[j].Debit[1]);
    }
    EXPECT_TRUE(someMovement);
}

TEST_F(SampleCompanyBalance, ClearingAccountTakesNoRowAndKeysFollowTheGroupCodes)
{
    LoadSisanhyou(rows, last(), sorts, last(), "", "", 0, 0, 0, 1, 0, 0, 0);
    const auto loaded = accountRows();
    EXPECT_EQ(loaded.count("9111"), 0u);
    // Shown rows come in key order: group code 2 and the user code.
    std::vector<std::string> keys;
    for (const TQSORT& s : sorts)
        if (s.Key != HiddenSortKey)
            keys.push_back(s.Key);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    const int cash = loaded.at("1111");
    bool found = false;
    for (const TQSORT& s : sorts)
        if (s.Index == cash) {
            EXPECT_EQ(s.Key, "1110111 ");
            found = true;
        }
    EXPECT_TRUE(found);
    // Line 1 is named from the total-line table and keyed by its group.
    EXPECT_EQ(rows[1].Kamoku.KNAME, "現金");
    EXPECT_EQ(rows[1].Kamoku.BSPL, "B");
}

// The balance-sheet lines are named for what the line formulas put in them:
// 15 adds 12-14 (the liabilities), 23 adds 16, 19 and 22 into the
// shareholders' equity, 26 is the net assets and 27 liabilities plus net
// assets.
TEST_F(SampleCompanyBalance, TotalLineNamesAgreeWithTheLineFormulas)
{
    const std::map<int, std::string> expected = {
        {11, "資産の部合計"},
        {12, "流動負債合計"},
        {13, "固定負債合計"},
        {14, "引当金合計"},
        {15, "負債の部合計"},
        {16, "資本金"},
        {17, "資本準備金"},
        {18, "その他資本剰余金"},
        {19, "資本剰余金合計"},
        {20, "利益準備金"},
        {21, "その他利益剰余金"},
        {22, "利益剰余金合計"},
        {23, "株主資本合計"},
        {24, "評価・換算差額等合計"},
        {25, "新株予約権合計"},
        {26, "純資産の部合計"},
        {27, "負債純資産の部合計"},
    };
    std::map<int, std::string> names;
    company_->select("SELECT ARRAYNUM, PLUSNAME FROM ACCTOTALNAME WHERE ARRAYNUM BETWEEN 11 AND 27",
        [&](fb::Query& q) { names[q.fieldByName("ARRAYNUM").asInteger()] = q.fieldByName("PLUSNAME").asString(); });
    EXPECT_EQ(names, expected);
    // The capital account sits in line 16, which the formulas count as net
    // assets: its balance reaches line 26, never line 15.
    LoadSisanhyou(rows, last(), sorts, last(), "", "", 0, 0, 0, 1, 0, 0, 0);
    const TBALANCE& capital = rows[std::size_t(accountRows().at("3111"))];
    EXPECT_EQ(SummaryRowOfGroup(capital.Kamoku.GROUPM2, 0), 16);
    EXPECT_EQ(rows[11].Balance[16], rows[15].Balance[16] + rows[26].Balance[16]);
}

// The sample's data starts in the month of its first entry, so every month
// of the year is read from the journal.
TEST_F(SampleCompanyBalance, DataStartsInTheMonthOfTheFirstEntry)
{
    int firstMonth = 0, kaisino = 0;
    company_->select("SELECT MIN(DATEDIFF(MONTH FROM A.KISHU TO S.HIZUKE)) + 1 AS M, MIN(A.KAISINO) AS K"
                     " FROM SIWAKE S CROSS JOIN ACCDEF1 A WHERE S.DELFLG = 0 AND A.REC = 1",
        [&](fb::Query& q) {
            firstMonth = q.fieldByName("M").asInteger();
            kaisino = q.fieldByName("K").asInteger();
        });
    EXPECT_EQ(firstMonth, 1);
    EXPECT_EQ(kaisino, firstMonth);
}

// The compound account only carries the other side of a compound entry: in
// tax-excluded figures the tax comes off the P/L side alone and is booked to
// the side of that account, never to the compound side.
TEST_F(SampleCompanyBalance, CompoundAccountIsNeitherBalanceSheetNorProfitAndLossForTax)
{
    const std::string flag = company_->accounts().at("9111").bspl;
    EXPECT_NE(flag, "B");
    EXPECT_NE(flag, "P");
    struct Figures {
        Currency compoundDebit = 0, paidDebit = 0, receivedCredit = 0, salesCredit = 0;
    };
    auto figures = [&] {
        Figures f;
        company_->select("SELECT KCODE, KAR02, KAS02 FROM SP_SISANHYO(1, '', '')", [&](fb::Query& q) {
            const std::string k = q.fieldByName("KCODE").asString();
            const Currency d = q.fieldByName("KAR02").asCurrency(), c = q.fieldByName("KAS02").asCurrency();
            if (k == "9111")
                f.compoundDebit += d;
            if (k == "1511")
                f.paidDebit += d;
            if (k == "2511")
                f.receivedCredit += c;
            if (k == "4111")
                f.salesCredit += c;
        });
        return f;
    };
    const Figures before = figures();
    company_->exec("INSERT INTO SIWAKE (REC, DELFLG, TAISHAKU, HIZUKE, MNUM, SCODE, KCODE, HCODE, BCODE, R_KCODE,"
                   " R_HCODE, R_BCODE, KINGAKU, ZEIGAKU, TAXCODE, TEKTEXT) VALUES (990001, 0, 1, '2024-05-10', 2, '01',"
                   " '9111', '', '', '4111', '', '01', 110000, 10000, 0, 'compound')");
    const Figures after = figures();
    company_->exec("DELETE FROM SIWAKE WHERE REC = 990001");
    EXPECT_EQ(after.compoundDebit - before.compoundDebit, yen(110000));
    EXPECT_EQ(after.paidDebit - before.paidDebit, 0);
    EXPECT_EQ(after.receivedCredit - before.receivedCredit, yen(10000));
    EXPECT_EQ(after.salesCredit - before.salesCredit, yen(100000));
}

// The procedures keep one grouped pass of a journal per transaction and
// scope; a write of the same transaction to the journal, the openings or the
// budget is seen by the next statement.
TEST_F(SampleCompanyBalance, WritesOfTheTransactionReachTheNextStatement)
{
    fb::Database& db = company_->dm->IBDatabaseDAT;
    fb::Transaction t;
    t.setDefaultDatabase(&db);
    t.startTransaction();
    auto cash = [&](const std::string& proc, const std::string& column) {
        fb::Query q(&db, &t);
        q.sql().add("SELECT SUM(" + column + ") AS V FROM " + proc + " WHERE KCODE = '1111'");
        q.open();
        const Currency v = q.fieldByName("V").asCurrency();
        q.close();
        return v;
    };
    const Currency debit = cash("SP_SISANHYO(0, '', '')", "KAR02");
    const Currency opening = cash("SP_SISANHYO(0, '', '')", "KAISIZAN");
    const Currency actual = cash("SP_YOSAN(0, '')", "JISSEKI02");
    const Currency prior = cash("SP_KANENDO_ZANDAKA(0, '')", "ZAN02");
    db.executeImmediate("INSERT INTO SIWAKE (REC, DELFLG, TAISHAKU, HIZUKE, MNUM, SCODE, KCODE, HCODE, BCODE, R_KCODE,"
                        " R_HCODE, R_BCODE, KINGAKU, ZEIGAKU, TAXCODE, TEKTEXT) VALUES (990002, 0, 1, '2024-05-10', 2,"
                        " '01', '1111', '', '', '4111', '', '01', 7000, 0, 0, 'cash sale')",
        &t);
    EXPECT_EQ(cash("SP_SISANHYO(0, '', '')", "KAR02"), debit + yen(7000));
    EXPECT_EQ(cash("SP_YOSAN(0, '')", "JISSEKI02"), actual + yen(7000));
    db.executeImmediate("UPDATE ZANDAKA SET KAISIZAN = KAISIZAN + 500 WHERE NENDO = 0 AND KCODE = '1111'", &t);
    EXPECT_EQ(cash("SP_SISANHYO(0, '', '')", "KAISIZAN"), opening + yen(500));
    db.executeImmediate(
        "UPDATE KAKOSIWAKE1 SET KINGAKU = KINGAKU + 300 WHERE R_KCODE = '1111' AND MNUM = 2 AND DELFLG = 0", &t);
    EXPECT_NE(cash("SP_KANENDO_ZANDAKA(0, '')", "ZAN02"), prior);
    t.rollback();
    t.startTransaction();
    EXPECT_EQ(cash("SP_SISANHYO(0, '', '')", "KAR02"), debit);
    t.commit();
}

TEST_F(SampleCompanyBalance, OtherLayoutsLoadOnlyTheTotalLineNames)
{
    for (int layout : {3, 5}) {
        LoadSisanhyou(rows, last(), sorts, last(), "", "", 0, 0, layout, 1, 0, 0, 0);
        EXPECT_TRUE(accountRows().empty()) << layout;
        EXPECT_EQ(rows[28].Kamoku.KNAME, "売上高");
        EXPECT_EQ(rows[28].Kamoku.GROUPM2, "4800");
    }
}

TEST_F(SampleCompanyBalance, ReportAndClosingLayoutsCarryTheirLineNumbers)
{
    for (int layout : {1, 2, 4}) {
        SCOPED_TRACE(layout);
        LoadSisanhyou(rows, last(), sorts, last(), "", "", 0, layout == 4 ? 10 : 0, layout, 1, 0, 0, 1);
        const auto loaded = accountRows();
        ASSERT_FALSE(loaded.empty());
        const TBALANCE& sales = rows[std::size_t(loaded.at("4111"))];
        EXPECT_GT(sales.MSTREC, 0);
        EXPECT_EQ(sales.SUBREC, sales.MSTREC);
        EXPECT_TRUE(sales.HojoList.empty());
    }
    // Closing statements: the prior year's periods come with the row.
    // priorTax 1: the prior year tax-excluded.
    auto prior = company_->figures("KAKOSIWAKE1", 1, true);
    const TBALANCE& sales = rows[std::size_t(accountRows().at("4111"))];
    EXPECT_EQ(sales.Net[-15], 0) << "scope 10 keeps no prior periods";
    LoadSisanhyou(rows, last(), sorts, last(), "", "", 0, 30, 4, 1, 0, 0, 1);
    const TBALANCE& sales30 = rows[std::size_t(accountRows().at("4111"))];
    EXPECT_EQ(sales30.Net[-15], netOf(3, prior["4111"], 1));
    EXPECT_EQ(sales30.Balance[0], [&] {
        Currency s = 0;
        for (int p = 1; p <= 16; ++p)
            s += netOf(3, prior["4111"], p);
        return s;
    }());
}

TEST_F(SampleCompanyBalance, NotesOffsetMovesTheNotesIntoTheirLines)
{
    loadHikaku();
    const auto loaded = accountRows();
    const TBALANCE receivable = rows[std::size_t(loaded.at("1211"))];
    const TBALANCE notes = rows[std::size_t(loaded.at("2311"))];
    ASSERT_NE(notes.Balance[16], 0);

    SysDef.TegataSousai = 1;
    AccInf.TegataKCode = {"1211", "2311", ""};
    loadHikaku();
    SysDef.TegataSousai = 0;
    AccInf.TegataKCode = {};
    EXPECT_EQ(rows[48].Kamoku.KCODE, "2311");
    EXPECT_EQ(rows[49].Kamoku.KCODE, "");
    for (int p : {8, 12, 16}) {
        SCOPED_TRACE(p);
        EXPECT_EQ(rows[48].Balance[p], notes.Balance[p]);
        // A credit-side notes account is deducted from the receivables.
        EXPECT_EQ(rows[std::size_t(loaded.at("1211"))].Balance[p], receivable.Balance[p] - notes.Balance[p]);
        EXPECT_EQ(rows[std::size_t(loaded.at("2311"))].Balance[p], 0);
    }
}

TEST_F(SampleCompanyBalance, NotesOffsetOfADepartmentGroupAddsEveryDepartmentsNotes)
{
    // Notes in both departments of the group.
    for (const auto& [rec, dept, amount] : {std::tuple {9001, "01", 7000}, std::tuple {9002, "02", 5000}})
        company_->exec("INSERT INTO SIWAKE (REC, DELFLG, TAISHAKU, HIZUKE, MNUM, SCODE, KCODE, HCODE, BCODE, "
                       "R_KCODE, R_HCODE, R_BCODE, KINGAKU, ZEIGAKU, TAXCODE, TEKTEXT) VALUES ("
            + std::to_string(rec) + ", 0, 1, '2024-05-10', 2, '01', '1211', '', '" + dept + "', '2311', '', '" + dept
            + "', " + std::to_string(amount) + ", 0, 0, 'notes')");
    SysDef.TegataSousai = 1;
    AccInf.TegataKCode = {"1211", "2311", ""};
    auto load = [&](int scope, const std::string& code) {
        TBalanceArray r(rows.size());
        TQSortArray s(rows.size());
        LoadHikakuBalance(r, last(), s, last(), "", code, 0, scope, 0, 0, 0, 1, 2, 0);
        return r;
    };
    const TBalanceArray d1 = load(3, "01");
    const TBalanceArray d2 = load(3, "02");
    const TBalanceArray group = load(4, "B1");
    SysDef.TegataSousai = 0;
    AccInf.TegataKCode = {};
    company_->exec("DELETE FROM SIWAKE WHERE REC IN (9001, 9002)"); // the suite shares the company
    ASSERT_EQ(group[48].Kamoku.KCODE, "2311");
    bool bothHaveNotes = false;
    for (int p = 1; p <= 16; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(group[48].Balance[p], d1[48].Balance[p] + d2[48].Balance[p]);
        EXPECT_EQ(group[48].Debit[p], d1[48].Debit[p] + d2[48].Debit[p]);
        bothHaveNotes = bothHaveNotes || (d1[48].Balance[p] != 0 && d2[48].Balance[p] != 0);
    }
    EXPECT_EQ(group[48].KAISIZAN, d1[48].KAISIZAN + d2[48].KAISIZAN);
    EXPECT_TRUE(bothHaveNotes) << "the sample gives both departments notes";
}

TEST_F(SampleCompanyBalance, MoreAccountsThanRowsIsRefused)
{
    ScriptedMessages messages;
    rows.resize(60);
    sorts.resize(60);
    EXPECT_THROW(LoadSisanhyou(rows, 59, sorts, 59, "", "", 0, 0, 0, 1, 0, 0, 0), ETrialBalanceError);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "試算表読込");
    EXPECT_FALSE(company_->dm->IBTransactionDAT.inTransaction());
}

TEST_F(SampleCompanyBalance, CombinationWithoutPastYearStatementIsUnsupported)
{
    ScriptedMessages messages;
    EXPECT_THROW(LoadHikakuBalance(rows, last(), sorts, last(), "", "", 0, 0, 4, 0, 0, 1, 2, 0), ETrialBalanceError);
    EXPECT_THROW(LoadHikakuBalance(rows, last(), sorts, last(), "", "01", 0, 0, 2, 0, 0, 1, 2, 0), ETrialBalanceError);
}

// A procedure that fails while its rows are read, and one that is missing.
class FailingProcedures : public ::testing::Test {
protected:
    void SetUp() override
    {
        company = std::make_unique<Company>();
        rows.assign(500, TBALANCE {});
        sorts.assign(500, TQSORT {});
    }
    std::unique_ptr<Company> company;
    TBalanceArray rows;
    TQSortArray sorts;
};

TEST_F(FailingProcedures, CurrentYearFailureReachesTheCaller)
{
    company->exec("CREATE EXCEPTION E_TB_BROKEN 'broken'");
    company->exec("CREATE OR ALTER PROCEDURE SP_TB_TAXSIDE (KCODE VARCHAR(6)) RETURNS (TAXSIDE INTEGER) AS "
                  "BEGIN IF (KCODE = '5111') THEN EXCEPTION E_TB_BROKEN; TAXSIDE = 0; SUSPEND; END");
    ScriptedMessages messages;
    for (int layout : {0, 1}) {
        EXPECT_THROW(LoadSisanhyou(rows, 499, sorts, 499, "", "", 0, 0, layout, 1, 0, 0, 0), ETrialBalanceError);
        EXPECT_THROW(LoadHikakuBalance(rows, 499, sorts, 499, "", "", 0, 0, layout, 0, 0, 1, 2, 0), ETrialBalanceError);
    }
    ASSERT_EQ(messages.count(), 4u);
    EXPECT_EQ(messages.firstLine(0), "試算表読込");
    EXPECT_FALSE(company->dm->IBTransactionDAT.inTransaction());
}

TEST_F(FailingProcedures, MissingPastYearOrBudgetProcedureFailsTheComparisonLoad)
{
    ScriptedMessages messages;
    company->exec("DROP PROCEDURE SP_YOSAN");
    EXPECT_THROW(LoadHikakuBalance(rows, 499, sorts, 499, "", "", 0, 0, 0, 0, 0, 1, 2, 0), ETrialBalanceError);
    company->exec("DROP PROCEDURE SP_KANENDO_ZANDAKA");
    EXPECT_THROW(LoadHikakuBalance(rows, 499, sorts, 499, "", "", 0, 0, 0, 0, 0, 1, 2, 0), ETrialBalanceError);
    EXPECT_EQ(messages.count(), 2u);
    // The current year alone still loads.
    EXPECT_NO_THROW(LoadSisanhyou(rows, 499, sorts, 499, "", "", 0, 0, 0, 1, 0, 0, 0));
}

} // namespace
