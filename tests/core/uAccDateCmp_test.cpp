#include "core/uAccDateCmp.h"

#include "core/DateTimeUtil.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TDateTime D(int y, int m, int d)
{
    return EncodeDate(y, m, d);
}

TEST(uAccDateCmpPeriods, MonthIndexAndMonthNumber)
{
    const int toKikan[][2]
        = {{0, 1}, {1, 2}, {2, 3}, {3, 5}, {5, 7}, {6, 9}, {8, 11}, {9, 13}, {11, 15}, {12, -1}, {-1, -1}, {100, -1}};
    for (const auto& c : toKikan)
        EXPECT_EQ(MonthIndexToKikan(c[0]), c[1]) << c[0];
    const int toIndex[][2]
        = {{1, 0}, {3, 2}, {4, 4}, {6, 6}, {7, 8}, {9, 10}, {10, 12}, {12, 14}, {0, 0}, {13, 0}, {-5, 0}};
    for (const auto& c : toIndex)
        EXPECT_EQ(MonthNoToKikanIndex(c[0]), c[1]) << c[0];
    // The two agree on every month and never name an adjustment period.
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(MonthIndexToKikan(i) - 1, MonthNoToKikanIndex(i + 1));
        EXPECT_NE(MonthIndexToKikan(i) % 4, 0);
    }
}

TEST(uAccDateCmpArithmetic, AddDayAndAddMonth)
{
    EXPECT_DOUBLE_EQ(AddDay(3, D(2024, 2, 27) + 0.25), D(2024, 3, 1) + 0.25);
    const struct {
        int n;
        TDateTime from, to;
    } cases[] = {
        {1, D(2023, 1, 31), D(2023, 2, 28)},
        {1, D(2024, 1, 31), D(2024, 2, 29)},
        {-1, D(2023, 3, 31), D(2023, 2, 28)},
        {0, D(2023, 12, 15), D(2023, 12, 15)},
        {-12, D(2024, 2, 29), D(2023, 2, 28)},
        {1, D(2023, 12, 31), D(2024, 1, 31)},
        {-1, D(2024, 1, 15), D(2023, 12, 15)},
        {3, D(2023, 5, 31), D(2023, 8, 31)},
        {1, D(2023, 5, 31), D(2023, 6, 30)},
        {24, D(2000, 2, 29), D(2002, 2, 28)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AddMonth(c.n, c.from), c.to) << c.n;
    EXPECT_EQ(AddMonth(1, D(2023, 1, 31) + 0.75), D(2023, 2, 28)); // no time of day
    EXPECT_THROW(AddMonth(1, D(9999, 12, 1)), EConvertError);
    EXPECT_THROW(AddMonth(-1, D(1, 1, 1)), EConvertError);
    EXPECT_EQ(GetDayOfDate(D(2024, 2, 29)), 29);
}

TEST(uAccDateCmpClosing, GetSimebiDate)
{
    EXPECT_EQ(GetSimebiDate(0, 20, D(2023, 3, 20)), D(2023, 3, 20));
    EXPECT_EQ(GetSimebiDate(0, 20, D(2023, 3, 21)), D(2023, 4, 20));
    EXPECT_EQ(GetSimebiDate(0, 20, D(2023, 3, 25)), D(2023, 4, 20));
    EXPECT_EQ(GetSimebiDate(-1, 20, D(2023, 3, 21)), D(2023, 3, 20));
    EXPECT_EQ(GetSimebiDate(1, 99, D(2024, 1, 31)), D(2024, 2, 29));
    EXPECT_EQ(GetSimebiDate(1, 99, D(2023, 1, 31)), D(2023, 2, 28));
    EXPECT_EQ(GetSimebiDate(0, 99, D(2023, 4, 1)), D(2023, 4, 30));
    EXPECT_EQ(GetSimebiDate(11, 28, D(2023, 3, 1)), D(2024, 2, 28));
    for (int notClosing : {0, 29, 31, -1, 98}) {
        const TDateTime d = D(2023, 3, 25) + 0.5;
        EXPECT_EQ(GetSimebiDate(3, notClosing, d), d) << notClosing;
    }
}

TEST(uAccDateCmpClosing, KikanMonthCount)
{
    EXPECT_EQ(KikanMonthCount(99, D(2023, 4, 1), D(2024, 3, 31)), 11);
    EXPECT_EQ(KikanMonthCount(20, D(2023, 3, 21), D(2023, 4, 20)), 0);
    EXPECT_EQ(KikanMonthCount(20, D(2023, 3, 21), D(2024, 3, 20)), 11);
    EXPECT_EQ(KikanMonthCount(99, D(2024, 3, 31), D(2023, 4, 1)), -11);
    EXPECT_EQ(KikanMonthCount(0, D(2023, 1, 31), D(2023, 2, 1)), 1);
}

// Period numbers of every month of a twelve-month year, as an ordinary entry
// and as a closing entry on the month's closing date.
void expectYear(int closingDay, TDateTime kishu, TDateTime kimatu)
{
    const int ordinary[12] = {1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15};
    const int closing[12] = {1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16};
    for (int k = 0; k < 12; ++k) {
        const TDateTime monthEnd = GetSimebiDate(k, closingDay, kishu);
        const TDateTime monthStart = k == 0 ? kishu : AddDay(1, GetSimebiDate(k - 1, closingDay, kishu));
        EXPECT_EQ(GetKikanNo(closingDay, 0, kishu, kimatu, monthStart), ordinary[k]) << closingDay << " month " << k;
        EXPECT_EQ(GetKikanNo(closingDay, 0, kishu, kimatu, monthEnd), ordinary[k]) << closingDay << " month " << k;
        EXPECT_EQ(GetKikanNo(closingDay, 1, kishu, kimatu, monthEnd), closing[k]) << closingDay << " month " << k;
        EXPECT_EQ(GetKikanNo(closingDay, 2, kishu, kimatu, monthEnd), ordinary[k]) << "flag 2, month " << k;
    }
}

TEST(uAccDateCmpPeriods, GetKikanNoMonthEndClosing)
{
    const TDateTime kishu = D(2023, 4, 1), kimatu = D(2024, 3, 31);
    expectYear(99, kishu, kimatu);
    EXPECT_EQ(GetKikanNo(99, 0, kishu, kimatu, D(2023, 6, 30)), 3);
    EXPECT_EQ(GetKikanNo(99, 1, kishu, kimatu, D(2023, 6, 30)), 4);
    EXPECT_EQ(GetKikanNo(99, 1, kishu, kimatu, D(2023, 5, 31)), 2); // not a quarter's last month
    EXPECT_EQ(GetKikanNo(99, 0, kishu, kimatu, D(2024, 4, 15)), 15); // after the fiscal end
    EXPECT_EQ(GetKikanNo(99, 1, kishu, kimatu, kimatu), 16);
    EXPECT_EQ(GetKikanNo(99, 1, kishu, kimatu, D(2024, 3, 15)), 16); // twelfth month, other day
    EXPECT_EQ(GetKikanNo(99, 0, kishu, kimatu, D(2023, 3, 31)), -1); // before the fiscal start
}

TEST(uAccDateCmpPeriods, GetKikanNoDay20Closing)
{
    // Accounting months end on the 20th: the year 21 March 2023 .. 20 March 2024.
    const TDateTime kishu = D(2023, 3, 21), kimatu = D(2024, 3, 20);
    expectYear(20, kishu, kimatu);
    EXPECT_EQ(GetKikanNo(20, 0, kishu, kimatu, D(2023, 3, 25)), 1);
    EXPECT_EQ(GetKikanNo(20, 0, kishu, kimatu, D(2023, 6, 20)), 3);
    EXPECT_EQ(GetKikanNo(20, 1, kishu, kimatu, D(2023, 6, 20)), 4);
    EXPECT_EQ(GetKikanNo(20, 0, kishu, kimatu, D(2023, 6, 21)), 5); // the day after closing
    EXPECT_EQ(GetKikanNo(20, 1, kishu, kimatu, kimatu), 16);
    EXPECT_EQ(GetKikanNo(20, 0, kishu, kimatu, D(2023, 3, 20)), -1);
}

TEST(uAccDateCmpPeriods, DateToKikanBands)
{
    const int expected[13] = {1, 2, 3, 5, 6, 7, 8, 10, 11, 12, 14, 15, 16};
    for (int m = 0; m <= 12; ++m)
        EXPECT_EQ(DateToKikan(99, D(2023, 4, 1), AddMonth(m, D(2023, 4, 1))), expected[m]) << m;
    EXPECT_EQ(DateToKikan(99, D(2023, 4, 1), D(2023, 10, 1)), 8); // six months
    EXPECT_EQ(DateToKikan(99, D(2023, 4, 1), D(2024, 4, 1)), 16); // twelve months
    EXPECT_EQ(DateToKikan(99, D(2023, 4, 1), D(2024, 5, 1)), -1);
    EXPECT_EQ(DateToKikan(99, D(2023, 4, 1), D(2023, 3, 1)), -1);
    EXPECT_EQ(DateToKikan(20, D(2023, 3, 21), D(2023, 9, 21)), 8);
}

} // namespace
