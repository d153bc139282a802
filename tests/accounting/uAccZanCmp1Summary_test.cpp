// Summary lines and period ranges of the general engine on synthetic rows.

#include "accounting/uAccZanCmp1.h"

#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

Currency yen(long long v)
{
    return Currency(v) * CurrencyScale;
}

class SummaryLines : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        AccInf.DATATYPE = 2;
        AccInf.KAISINO = 1;
        rows.assign(80, TBALANCE {});
        next = FirstAccountRow;
    }
    void TearDown() override { ResetProcessState(); }

    // An account row with debit/credit per period; net and balance follow
    // as the loader computes them.
    int account(const std::string& group, int taishaku, Currency opening,
        std::map<int, std::pair<long long, long long>> moves, const std::string& bspl = {})
    {
        TBALANCE& r = rows[std::size_t(next)];
        r.Kamoku.KCODE = "K" + std::to_string(next);
        r.Kamoku.GROUPM2 = group;
        r.Kamoku.TAISHAKU = taishaku;
        r.Kamoku.BSPL = bspl.empty() ? (group < "4000" ? "B" : "P") : bspl;
        r.KAISIZAN = opening;
        r.Net[0] = r.Balance[0] = opening;
        for (auto& [p, dc] : moves) {
            r.Debit[p] = yen(dc.first);
            r.Credit[p] = yen(dc.second);
        }
        for (int p = 1; p <= 16; ++p) {
            r.Net[p] = (taishaku == 1 || taishaku == 4) ? r.Debit[p] - r.Credit[p] : r.Credit[p] - r.Debit[p];
            r.Balance[p] = r.Balance[p - 1] + r.Net[p];
        }
        return next++;
    }
    int last() const { return int(rows.size()) - 1; }
    Currency B(int row, int p) const { return rows[std::size_t(row)].Balance[p]; }

    TBalanceArray rows;
    int next = FirstAccountRow;
};

TEST_F(SummaryLines, ClassificationExcludesBothBoundsAndDiffersByPass)
{
    struct Case {
        const char* group;
        int period, compare, range;
    };
    for (const Case c : {Case {"1110", 1, 0, 1}, Case {"1120", 0, 0, 0}, Case {"1121", 2, 0, 2},
             Case {"4110", 28, 28, 28}, Case {"5785", 34, 34, 0}, Case {"5795", 34, 34, 34}, Case {"5685", 46, 46, 46},
             Case {"5810", 34, 34, 34}, Case {"5850", 36, 36, 36}, Case {"3340", 0, 0, 0}, Case {"", 0, 0, 0}}) {
        SCOPED_TRACE(c.group);
        EXPECT_EQ(SummaryRowOfGroup(c.group, 0), c.period);
        EXPECT_EQ(SummaryRowOfGroup(c.group, 1), c.compare);
        EXPECT_EQ(SummaryRowOfGroup(c.group, 2), c.range);
    }
}

TEST_F(SummaryLines, PeriodPassAddsBySignAndAppliesTheFormulaChain)
{
    const int cash = account("1110", 1, yen(100), {{1, {50, 20}}});
    account("1130", 1, yen(1000), {{1, {0, 0}}});
    account("1150", 2, yen(10), {}); // deduction: subtracted
    account("2110", 3, yen(300), {{1, {0, 40}}});
    account("4110", 3, 0, {{1, {0, 500}}}); // sales
    account("5110", 1, 0, {{1, {200, 0}}}); // purchases into row 29
    account("5300", 2, 0, {{1, {0, 30}}}); // closing stock into row 30
    account("6110", 1, 0, {{1, {100, 0}}}); // SG&A
    account("7110", 3, 0, {{1, {0, 5}}});
    account("7200", 1, 0, {{1, {7, 0}}});
    account("8300", 1, 0, {{16, {50, 0}}});
    for (int p = -32; p <= 16; ++p)
        ClassifyPeriod(rows, last(), p);

    EXPECT_EQ(B(1, 1), B(cash, 1));
    EXPECT_EQ(B(2, 1), yen(1000 - 10) + B(1, 1));
    EXPECT_EQ(B(5, 1), B(2, 1) + B(3, 1) + B(4, 1));
    EXPECT_EQ(B(11, 1), B(5, 1) + B(9, 1) + B(10, 1));
    EXPECT_EQ(B(12, 1), yen(340));
    EXPECT_EQ(B(28, 1), yen(500));
    // Row 30 collected its own account (-30) and adds row 29's (200);
    // row 29 then becomes row 35, which is empty here.
    EXPECT_EQ(B(30, 1), yen(200 - 30));
    EXPECT_EQ(B(29, 1), 0);
    EXPECT_EQ(B(36, 1), yen(500 - 170));
    EXPECT_EQ(B(38, 1), B(36, 1) - yen(100));
    EXPECT_EQ(B(41, 1), B(38, 1) + yen(5) - yen(7));
    EXPECT_EQ(B(44, 1), B(41, 1));
    EXPECT_EQ(B(45, 16), B(44, 16) - yen(50));
    // Data type other than 1: row 23 balances the sheet, row 27 = assets.
    EXPECT_EQ(B(27, 1), B(11, 1));
    // Percentages: cash in total assets, sales 100 % of row 28.
    EXPECT_EQ(rows[std::size_t(cash)].Percent[1], ClampPercent(RatioToPercent(double(B(cash, 1)) / double(B(11, 1)))));
    EXPECT_EQ(rows[28].Percent[1], 0) << "a line without group code has no base";
}

TEST_F(SummaryLines, TotalsBeyondTheAmountRangeFailInsteadOfWrapping)
{
    const Currency half = std::numeric_limits<Currency>::max() / 2 + yen(1);
    // Two cash accounts: their line total passes the 64-bit range.
    rows[std::size_t(account("1110", 1, 0, {}))].Balance[1] = half;
    rows[std::size_t(account("1111", 1, 0, {}))].Balance[1] = half;
    EXPECT_THROW(ClassifyPeriod(rows, last(), 1), ECurrencyOverflow);

    // Lines each within the range whose formula total is not.
    rows.assign(80, TBALANCE {});
    next = FirstAccountRow;
    rows[std::size_t(account("1110", 1, 0, {}))].Balance[1] = half; // line 1
    rows[std::size_t(account("1130", 1, 0, {}))].Balance[1] = half; // line 2
    EXPECT_THROW(ClassifyPeriod(rows, last(), 1), ECurrencyOverflow);
}

TEST_F(SummaryLines, DataTypeOneWritesTheEarningsIntoTheEarningsRow)
{
    AccInf.DATATYPE = 1;
    account("1110", 1, yen(1000), {});
    account("2110", 3, yen(300), {});
    const int earnings = account("3340", 3, 0, {});
    ClassifyPeriod(rows, last(), 1);
    EXPECT_EQ(B(earnings, 1), yen(700));
    EXPECT_EQ(B(21, 1), yen(700));
    EXPECT_EQ(B(27, 1), B(11, 1));
}

TEST_F(SummaryLines, DataTypeOneWithoutEarningsAccountUsesRowZero)
{
    AccInf.DATATYPE = 1;
    account("1110", 1, yen(1000), {});
    account("2110", 3, yen(300), {});
    ClassifyPeriod(rows, last(), 1);
    EXPECT_EQ(B(0, 1), yen(700));
    EXPECT_EQ(B(21, 1), yen(700));
}

TEST_F(SummaryLines, ZeroBaseLeavesThePercentAlone)
{
    const int a = account("1110", 1, 0, {});
    rows[std::size_t(a)].Percent[1] = yen(42);
    ClassifyPeriod(rows, last(), 1);
    EXPECT_EQ(rows[std::size_t(a)].Percent[1], yen(42));
}

TEST_F(SummaryLines, ComparisonPassCopiesRow35IntoRow29ExceptForTheTiers)
{
    const int cost = account("5500", 1, 0, {});
    const int sales = account("4110", 3, 0, {});
    rows[std::size_t(cost)].Budget[2] = yen(10);
    rows[std::size_t(cost)].BudgetTier1[2] = yen(11);
    rows[std::size_t(sales)].Budget[2] = yen(100);
    rows[std::size_t(sales)].Actuals[2] = yen(90);
    ClassifyCompare(rows, last(), 2);
    EXPECT_EQ(rows[35].Budget[2], yen(10));
    EXPECT_EQ(rows[29].Budget[2], yen(10));
    EXPECT_EQ(rows[29].BudgetTier1[2], 0);
    // Row 30 := row 29 (still empty) + row 35 + its own accounts.
    EXPECT_EQ(rows[30].Budget[2], yen(10));
    EXPECT_EQ(rows[36].Budget[2], yen(90));
    EXPECT_EQ(rows[36].Actuals[2], yen(90));
}

TEST_F(SummaryLines, RangeKindsSetTheirPeriods)
{
    const int cash = account("1110", 1, yen(100), {{2, {1, 0}}, {6, {10, 0}}, {10, {100, 0}}, {14, {1000, 0}}});
    const int sales = account("4110", 3, 0, {{2, {0, 1}}, {6, {0, 10}}, {10, {0, 100}}});
    struct Case {
        int kind, from, to;
        long long debit, opening, salesOpening;
    };
    for (const Case c : {Case {1, 9, 9, 1, 100, 0}, Case {2, 0, 0, 10, 101, 0}, Case {3, 1, 1, 100, 111, 0},
             Case {4, 1, 16, 1000, 211, 0}, Case {5, 5, 5, 11, 100, 0}, Case {6, 0, 0, 1100, 111, 0},
             Case {0, 5, 8, 10, 101, 1}, Case {0, 3, 2, 0, 101, 1}}) {
        SCOPED_TRACE("kind " + std::to_string(c.kind) + " " + std::to_string(c.from) + "-" + std::to_string(c.to));
        const int membersBefore = rows[1].MembersAdded;
        pcBalanceSheet_Calcu(rows, last(), 0, c.kind, c.from, c.to);
        const TBALANCE& r = rows[std::size_t(cash)];
        EXPECT_EQ(r.RangeDebit, yen(c.debit));
        EXPECT_EQ(r.RangeOpening, yen(c.opening));
        EXPECT_EQ(r.RangeClosing, yen(c.opening + c.debit));
        EXPECT_EQ(rows[std::size_t(sales)].RangeOpening, yen(c.salesOpening));
        EXPECT_EQ(rows[1].RangeClosing, r.RangeClosing);
        EXPECT_EQ(rows[1].MembersAdded, membersBefore + 1) << "the count is never reset";
    }
}

TEST_F(SummaryLines, OpeningModeOneKeepsOnlyTheRangeMovement)
{
    const int cash = account("1110", 1, yen(100), {{1, {5, 0}}, {2, {7, 0}}});
    pcBalanceSheet_Calcu(rows, last(), 1, 0, 2, 2);
    EXPECT_EQ(rows[std::size_t(cash)].RangeOpening, 0);
    EXPECT_EQ(rows[std::size_t(cash)].RangeClosing, yen(7));
}

TEST_F(SummaryLines, AccountAbove5780AndUpTo5790IsLeftOutOfTheRangePass)
{
    const int a = account("5785", 1, 0, {{1, {10, 0}}});
    pcBalanceSheet_Calcu(rows, last(), 0, 0, 1, 1);
    EXPECT_EQ(rows[std::size_t(a)].RangeClosing, yen(10));
    EXPECT_EQ(rows[34].RangeClosing, 0);
    ClassifyPeriod(rows, last(), 1);
    EXPECT_EQ(rows[34].Balance[1], yen(10));
}

TEST_F(SummaryLines, FromBelowOneWarnsAndComputesOn)
{
    ScriptedMessages messages;
    const int cash = account("1110", 1, yen(100), {{1, {5, 0}}});
    pcBalanceSheet_Calcu(rows, last(), 0, 0, 0, 1);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "期間番号は「1～16」です。 [0-1]");
    EXPECT_EQ(rows[std::size_t(cash)].RangeDebit, yen(5));
    pcBalanceSheet_Calcu(rows, last(), 0, 1, 0, 0);
    EXPECT_EQ(messages.count(), 1u) << "a kind other than 0 does not warn";
}

TEST_F(SummaryLines, SubAccountShareIsRoundedToOneDecimal)
{
    const int a = account("1110", 1, 0, {{1, {3, 0}}});
    TBALANCE& r = rows[std::size_t(a)];
    r.HojoList.resize(2);
    r.HojoList[0].Debit[1] = yen(1);
    r.HojoList[1].Debit[1] = yen(2);
    pcBalanceSheet_Calcu(rows, last(), 0, 0, 1, 1);
    EXPECT_EQ(r.HojoList[0].RangeClosing, yen(1));
    EXPECT_EQ(r.HojoList[0].RangePercent, 333000); // 33.3 %
    EXPECT_EQ(r.HojoList[1].RangePercent, 667000); // 66.7 %
    EXPECT_EQ(rows[11].RangePercent, yen(100));
}

TEST_F(SummaryLines, PriorYearFigureByKind)
{
    const int cash = account("1110", 1, 0, {});
    const int sales = account("4110", 3, 0, {});
    for (int k = -15; k <= 0; ++k) {
        rows[std::size_t(cash)].Balance[k] = yen(1000 + k);
        rows[std::size_t(sales)].Net[k] = yen(10);
        rows[std::size_t(sales)].Balance[k] = yen(10 * (k + 16));
    }
    pcBalanceSheet_Calcu(rows, last(), 0, 2, 0, 0);
    EXPECT_EQ(rows[std::size_t(cash)].RangePriorYear, yen(1000 - 8));
    EXPECT_EQ(rows[std::size_t(sales)].RangePriorYear, yen(40)) << "periods 5-8 of the prior year";
    pcBalanceSheet_Calcu(rows, last(), 0, 5, 0, 0);
    EXPECT_EQ(rows[std::size_t(sales)].RangePriorYear, yen(80)) << "balance at period 8";
}

TEST_F(SummaryLines, LookupsScanFromTheFirstAccountRow)
{
    const int a = account("1110", 1, 0, {});
    rows[std::size_t(a)].SUBREC = 3;
    rows[5].Kamoku.GROUPM2 = "1110";
    rows[5].Kamoku.KCODE = "K" + std::to_string(a);
    EXPECT_EQ(FindRowByGroup(rows, last(), "1110", 3), a);
    EXPECT_EQ(FindRowByGroup(rows, last(), "1110", 4), 0);
    EXPECT_EQ(FindRowByKamoku(rows, last(), "K" + std::to_string(a)), a);
    EXPECT_EQ(FindRowByKamoku(rows, last(), "none"), 0);
    rows[std::size_t(a)].HojoList.resize(2);
    rows[std::size_t(a)].HojoList[1].HCODE = "01";
    EXPECT_EQ(FindHojoIndex(rows[std::size_t(a)], "01"), 1);
    EXPECT_EQ(FindHojoIndex(rows[std::size_t(a)], "02"), -1);
}

TEST(StartMonthPeriodsTable, CountsAdjustmentPeriods)
{
    const int expected[13] = {0, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(StartMonthPeriods(m), expected[m]) << m;
}

} // namespace
