// Total lines of the medical engine on synthetic rows: the exclusive code
// bounds, the formulas, percentages and the range aggregation.

#include "accounting/uAccMbZanCmp.h"
#include "core/uAccDateCmp.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

Currency yen(long long v)
{
    return Currency(v) * CurrencyScale;
}

class MedicalTotals : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        rows.assign(700, TBALANCE {});
        // Lines with the codes of a small layout; both code fields alike.
        const std::map<int, const char*> codes = {{1, "1120"}, {2, "1180"}, {3, "1380"}, {5, "1590"}, {11, "1990"},
            {12, "2680"}, {14, "2790"}, {15, "3180"}, {18, "3460"}, {19, "3470"}, {20, "3480"}, {23, "3800"},
            {24, "3900"}, {29, "4350"}, {30, "4380"}, {32, "4800"}, {33, "5180"}, {41, "6900"}, {42, "6950"},
            {45, "7300"}, {48, "8300"}, {49, "9280"}, {50, "9380"}, {53, "9600"}};
        for (const auto& [r, c] : codes) {
            rows[std::size_t(r)].Kamoku.GROUPM1 = c;
            rows[std::size_t(r)].Kamoku.GROUPM3 = c;
        }
    }
    // An account row with a balance at period 16 and a movement in period 1.
    TBALANCE& account(int i, const std::string& code, int taishaku, long long balance, const char* bspl = "B")
    {
        TBALANCE& r = rows[std::size_t(i)];
        r.Kamoku.KCODE = "K" + code;
        r.Kamoku.GROUPM1 = r.Kamoku.GROUPM3 = code;
        r.Kamoku.TAISHAKU = taishaku;
        r.Kamoku.BSPL = bspl;
        r.Balance[16] = yen(balance);
        r.Net[16] = yen(balance);
        return r;
    }
    int last() const { return int(rows.size()) - 1; }
    TBalanceArray rows;
};

TEST_F(MedicalTotals, BoundsAreExclusiveOnBothSides)
{
    account(61, "1110", 1, 100);
    account(62, "1120", 1, 1000); // equal to line 1's code: collected by no line
    account(63, "1130", 1, 10);
    account(64, "2110", 3, 5);
    account(65, "2111", 2, 1); // a deduction inside a credit section
    MbCalcTotalLines(rows, last(), 16, 0);
    EXPECT_EQ(rows[1].Balance[16], yen(100));
    EXPECT_EQ(rows[2].Balance[16], yen(110)); // its own 10 and line 1
    EXPECT_EQ(rows[11].Balance[16], yen(110));
    EXPECT_EQ(rows[12].Balance[16], yen(4));
    EXPECT_EQ(rows[12].Kamoku.TAISHAKU, 2); // the nature of the last account collected
}

TEST_F(MedicalTotals, TotalsBeyondTheAmountRangeFailInsteadOfWrapping)
{
    const Currency half = std::numeric_limits<Currency>::max() / 2 + yen(1);
    account(61, "1110", 1, 0).Balance[16] = half;
    account(62, "1111", 1, 0).Balance[16] = half;
    EXPECT_THROW(MbCalcTotalLines(rows, last(), 16, 0), ECurrencyOverflow);
}

TEST_F(MedicalTotals, RowFortyNineLeavesWithTheDifferenceAndRowTwentyShowsIt)
{
    account(61, "4310", 3, 1500, "P");
    account(62, "5110", 1, 500, "P");
    account(63, "8310", 1, 100, "P"); // taxes, collected by row 49
    MbCalcTotalLines(rows, last(), 16, 0);
    EXPECT_EQ(rows[32].Balance[16], yen(1500));
    EXPECT_EQ(rows[48].Balance[16], yen(1000));
    EXPECT_EQ(rows[49].Balance[16], yen(900));
    EXPECT_EQ(rows[20].Balance[16], yen(900));
    EXPECT_EQ(rows[53].Balance[16], yen(900));
}

TEST_F(MedicalTotals, VariantTwoUsesTheThirdGroupText)
{
    account(61, "4310", 3, 700, "P");
    rows[61].Kamoku.GROUPM3 = "4360"; // division 2 places it in line 30
    rows[29].Kamoku.GROUPM1.clear(); // line 29 absent in variant 1 only
    MbCalcTotalLines(rows, last(), 16, 2);
    EXPECT_EQ(rows[29].Balance[16], 0);
    EXPECT_EQ(rows[30].Balance[16], yen(700));
}

TEST_F(MedicalTotals, ColumnPercentsDropOutOfRangeRatiosRangePercentsLimitThem)
{
    EXPECT_EQ(ClampRatio(yen(9999)), yen(9999));
    EXPECT_EQ(ClampRatio(yen(10000)), 0);
    EXPECT_EQ(ClampRatio(yen(-999)), yen(-999));
    EXPECT_EQ(ClampRatio(yen(-1000)), 0);

    // 123.45 times the base.
    account(61, "1110", 1, 12345);
    account(63, "1130", 2, 12245); // a deduction: the assets come to 100
    MbCalcTotalLines(rows, last(), 16, 0);
    ASSERT_EQ(rows[11].Balance[16], yen(100));
    EXPECT_EQ(rows[61].Percent[16], 0);
    AccInf.KISHU = 45292; // 2024-01-01
    AccInf.KIMATU = 45657;
    AccInf.SIME = 99;
    for (int i = 61; i <= 63; ++i) {
        rows[std::size_t(i)].KAISIZAN = rows[std::size_t(i)].Balance[16];
        rows[std::size_t(i)].Balance.fill(0);
    }
    MbCalcBalance(rows, last(), 0, 0, 1, 16, 0);
    EXPECT_EQ(rows[11].RangeClosing, yen(100));
    EXPECT_EQ(rows[61].RangePercent, yen(9999));
}

TEST_F(MedicalTotals, SecondQuarterOpensIncomeAtZeroAndCarriesTheProfit)
{
    AccInf.KISHU = 45292;
    AccInf.KIMATU = 45657;
    AccInf.SIME = 99;
    AccInf.SysKCode[4] = "K9301";
    TBALANCE& cash = account(61, "1110", 1, 0);
    cash.KAISIZAN = yen(1000);
    cash.Debit[1] = yen(300); // sales in period 1
    cash.Debit[5] = yen(50);
    TBALANCE& capital = account(62, "3110", 3, 0);
    capital.KAISIZAN = yen(1000);
    TBALANCE& sales = account(63, "4310", 3, 0, "P");
    sales.Credit[1] = yen(300);
    sales.Credit[5] = yen(50);
    sales.Net[-11] = yen(70); // prior year's period 5
    sales.Net[-9] = yen(7); // prior year's period 7
    TBALANCE& carried = account(64, "9301", 3, 0, "P");
    (void)carried;
    MbCalcBalance(rows, last(), 0, 2, 0, 0, 0);
    EXPECT_EQ(cash.RangeOpening, yen(1300));
    EXPECT_EQ(cash.RangeClosing, yen(1350));
    EXPECT_EQ(sales.RangeOpening, 0);
    EXPECT_EQ(sales.RangeClosing, yen(50));
    EXPECT_EQ(sales.RangePriorYear, yen(77));
    EXPECT_EQ(rows[64].RangeOpening, yen(300)); // assets 1,300 less capital 1,000
    EXPECT_EQ(rows[32].RangeClosing, yen(50));
    EXPECT_EQ(rows[11].RangeOpening, yen(1300));
    EXPECT_EQ(rows[32].MembersAdded, 0); // a computed line
    EXPECT_EQ(rows[29].MembersAdded, 1);
    EXPECT_EQ(rows[30].MembersAdded, 1); // adds line 29's
}

TEST_F(MedicalTotals, AnUnknownDivisionIsReportedAndComputedAsTheWholeCorporation)
{
    ScriptedMessages messages;
    account(61, "1110", 1, 0).KAISIZAN = yen(5);
    MbCalcBalance(rows, last(), 0, 0, 3, 7, 3);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "事業区分の設定が必要です。");
    EXPECT_EQ(rows[1].RangeClosing, yen(5));

    MbCalcBalance(rows, last(), 0, 0, 0, 7, 0);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.firstLine(1), "期間番号は「1～16」です。 [0-7]");
}

TEST_F(MedicalTotals, RangeFromPeriodThreeToSevenOpensIncomeWithItsEarlierMovement)
{
    AccInf.KISHU = 45292;
    AccInf.KIMATU = 45657;
    AccInf.SIME = 99;
    TBALANCE& sales = account(61, "4310", 3, 0, "P");
    sales.Credit[1] = yen(10);
    sales.Credit[2] = yen(20);
    sales.Credit[3] = yen(40);
    sales.Balance[-9] = yen(123); // prior year after period 7
    MbCalcBalance(rows, last(), 0, 0, 3, 7, 0);
    EXPECT_EQ(sales.RangeOpening, yen(30));
    EXPECT_EQ(sales.RangeCredit, yen(40));
    EXPECT_EQ(sales.RangeClosing, yen(70));
    EXPECT_EQ(sales.RangePriorYear, yen(123));
    // A short year includes its closing period.
    AccInf.KIMATU = 45473; // 2024-06-30: six months
    MbCalcBalance(rows, last(), 0, 2, 0, 0, 0);
    sales.Credit[16] = yen(1);
    MbCalcBalance(rows, last(), 0, 2, 0, 0, 0);
    EXPECT_EQ(sales.RangeCredit, yen(1)); // periods 5..16
}

} // namespace
