#include "core/TolvanWarekiLib.h"

#include "core/DateTimeUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class TolvanWarekiLibTest : public ::testing::Test {
protected:
    void SetUp() override { InitGengoTable(); }
    void TearDown() override { InitGengoTable(); }
};

TEST_F(TolvanWarekiLibTest, BuiltInTable)
{
    ASSERT_EQ(GengoTable.size(), 5u);
    const struct {
        const char* name;
        const char* letter;
        int y, m, d;
    } rows[] = {
        {"令和", "R", 2019, 5, 1},
        {"平成", "H", 1989, 1, 8},
        {"昭和", "S", 1926, 12, 25},
        {"大正", "T", 1912, 7, 30},
        {"明治", "M", 1868, 9, 8},
    };
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(GengoTable[i].Name, rows[i].name);
        EXPECT_EQ(GengoTable[i].Letter, rows[i].letter);
        EXPECT_EQ(GengoTable[i].StartDate, EncodeDate(rows[i].y, rows[i].m, rows[i].d));
        EXPECT_EQ(GengoTable[i].StartYear, rows[i].y);
    }
}

TEST_F(TolvanWarekiLibTest, EraBoundaries)
{
    const struct {
        int y, m, d;
        const char* name;
        const char* letter;
        int year;
    } cases[] = {
        {1899, 12, 31, "明治", "M", 32},
        {1900, 1, 1, "明治", "M", 33},
        {1912, 7, 29, "明治", "M", 45},
        {1912, 7, 30, "大正", "T", 1},
        {1926, 12, 24, "大正", "T", 15},
        {1926, 12, 25, "昭和", "S", 1},
        {1989, 1, 7, "昭和", "S", 64},
        {1989, 1, 8, "平成", "H", 1},
        {2008, 4, 1, "平成", "H", 20},
        {2019, 4, 30, "平成", "H", 31},
        {2019, 5, 1, "令和", "R", 1},
        {2024, 2, 29, "令和", "R", 6},
    };
    for (const auto& c : cases) {
        const TWarekiRec w = DateToWareki(EncodeDate(c.y, c.m, c.d));
        EXPECT_EQ(w.Name, c.name) << c.y << "/" << c.m << "/" << c.d;
        EXPECT_EQ(w.Letter, c.letter);
        EXPECT_EQ(w.Year, c.year);
        EXPECT_EQ(w.Month, c.m);
        EXPECT_EQ(w.Day, c.d);
    }
}

TEST_F(TolvanWarekiLibTest, TimeOfDayTakesPartInTheBoundary)
{
    EXPECT_EQ(DateToWareki(EncodeDate(2019, 4, 30) + 0.999).Letter, "H");
    EXPECT_EQ(DateToWareki(EncodeDate(2019, 5, 1) + 0.5).Letter, "R");
}

TEST_F(TolvanWarekiLibTest, DatesOnOrBeforeDayZeroHaveNoEra)
{
    TWarekiRec w;
    w.Name = "stale";
    DateToWareki(0, w);
    EXPECT_EQ(w.Name, "");
    EXPECT_EQ(w.Letter, "");
    EXPECT_EQ(w.Year, 1899);
    EXPECT_EQ(w.Month, 12);
    EXPECT_EQ(w.Day, 30);
    EXPECT_EQ(DateToWareki(EncodeDate(1868, 9, 8)).Name, "");
    EXPECT_EQ(DateToWareki(EncodeDate(1868, 9, 8)).Year, 1868);
}

TEST_F(TolvanWarekiLibTest, EmptyOrPartialTables)
{
    GengoTable.clear();
    TWarekiRec w = DateToWareki(EncodeDate(2020, 1, 1));
    EXPECT_EQ(w.Name, "");
    EXPECT_EQ(w.Year, 2020);

    GengoTable = {TGengoRec {"", "", 0, 0}, TGengoRec {"令和", "R", EncodeDate(2019, 5, 1), 2019}};
    w = DateToWareki(EncodeDate(2020, 1, 1));
    EXPECT_EQ(w.Name, "");
    EXPECT_EQ(w.Year, 2020);

    // No row starts on or before the date: the last row examined stays.
    GengoTable = {TGengoRec {"令和", "R", EncodeDate(2019, 5, 1), 2019}};
    w = DateToWareki(EncodeDate(2018, 1, 1));
    EXPECT_EQ(w.Name, "令和");
    EXPECT_EQ(w.Year, 0);
}

} // namespace
