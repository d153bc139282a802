#include "core/DateTexts.h"

#include "core/DateTimeUtil.h"
#include "core/TolvanWarekiLib.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class DateTextsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        InitGengoTable();
    }
    void TearDown() override { ResetProcessState(); }
    static void eraDisplay(bool on) { SysDef.Reserve4Bit10 = on ? 1 : 0; }
};

struct FormatCase {
    const char* keyword;
    int kind;
    const char* expected;
};

TEST_F(DateTextsTest, SlashKeywordsGregorian)
{
    eraDisplay(false);
    const TDateTime d = EncodeDate(2008, 4, 1);
    const FormatCase cases[] = {
        {"yy/m/d", 2, " 8/ 4/ 1"}, {"yyyy/mm/dd", 2, "2008/04/01"}, {"y/m", 2, " 8/ 4"}, {"yyyy/m/d", 1, "2008/ 4/ 1"},
        {"yyyy/m", 0, "2008/ 4"}, {"yy/mm/dd", 1, "08/04/01"}, {"yyyy/mm", 1, "2008/04"}, {"yy2/mm/dd", 1, "08/04/01"},
        {"y", 1, "08"}, {"mm-dd", 1, "04-01"}, // not in the table: formatted with the keyword
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatWarekiDate(c.keyword, c.kind, d), c.expected) << c.keyword;
}

TEST_F(DateTextsTest, SlashKeywordsEra)
{
    eraDisplay(true);
    const TDateTime d = EncodeDate(2008, 4, 1);
    const FormatCase cases[] = {
        {"yyyy/mm/dd", 2, "H 20/04/01"},
        {"yyyy/mm/dd", 3, "H20/04/01"},
        {"yyyy/mm/dd", 0, "20/04/01"},
        {"yyyy/mm/dd", 1, "平成 20/04/01"},
        {"yyyy/mm/dd", 9, "平成 20/04/01"},
        {"yy/m/d", 2, "H 20/ 4/ 1"},
        {"yy/m/d", 3, "H20/4/1"},
        {"yy/m/d", 0, "20/ 4/ 1"},
        {"yyyy/mm", 2, "H 20/04"},
        {"yy", 2, "H 20"},
        {"y", 2, "H 20"},
        {"y/m", 2, "H 20/ 4"},
        {"yy2/mm/dd", 2, "H20/04/01"},
        {"mm-dd", 2, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatWarekiDate(c.keyword, c.kind, d), c.expected) << c.keyword << " kind " << c.kind;
    EXPECT_EQ(FormatWarekiDate("yy/m/d", 2, EncodeDate(2019, 5, 1)), "R  1/ 5/ 1");
    EXPECT_EQ(FormatWarekiDate("yyyy/mm/dd", 2, EncodeDate(2019, 4, 30)), "H 31/04/30");
}

TEST_F(DateTextsTest, KanjiKeywords)
{
    const TDateTime d = EncodeDate(2008, 4, 1);
    eraDisplay(false);
    const FormatCase gregorian[] = {
        {"yyyy年mm月dd日", 1, "2008年04月01日"},
        {"yyyy年m月d日", 1, "2008年 4月 1日"},
        {"yy年m月", 1, "08年 4月"},
        {"yyyy年 m月 d日", 1, "2008年 4月 1日"},
        {"yy年 m月 d日", 1, "08年 4月 1日"},
        {"y年 m月", 1, "08年 4月"},
        {"yyyy年", 1, "2008年"},
    };
    for (const auto& c : gregorian)
        EXPECT_EQ(FormatWarekiDateKanji(c.keyword, c.kind, d), c.expected) << c.keyword;
    eraDisplay(true);
    const FormatCase era[] = {
        {"yyyy年mm月dd日", 1, "平成 20年04月01日"},
        {"yyyy年mm月dd日", 2, "H 20年04月01日"},
        {"yyyy年mm月dd日", 3, "平成 20年04月01日"},
        {"yyyy年mm月dd日", 0, "20年04月01日"},
        {"yy年m月d日", 1, "平成 20年 4月 1日"},
        {"yyyy年 m月 d日", 1, "平成 20年 4月 1日"},
        {"y", 1, "平成 20年"},
        {"yyyy年 mm月", 1, "平成 20年 04月"},
        {"unknown", 1, ""},
    };
    for (const auto& c : era)
        EXPECT_EQ(FormatWarekiDateKanji(c.keyword, c.kind, d), c.expected) << c.keyword << " kind " << c.kind;
}

TEST_F(DateTextsTest, FormattingFailureFallsBack)
{
    eraDisplay(true);
    // A date outside the calendar cannot be split; the fallback cannot format
    // it either, and the failure reaches the caller instead of a wrong text.
    EXPECT_THROW(FormatWarekiDate("yyyy/mm/dd", 2, 3e6), EConvertError);
}

TEST_F(DateTextsTest, KikanToStr)
{
    const TDateTime a = EncodeDate(2023, 4, 1), b = EncodeDate(2024, 3, 31);
    eraDisplay(false);
    EXPECT_EQ(KikanToStr(a, b), "2023/04/01 ～ 2024/03/31");
    eraDisplay(true);
    EXPECT_EQ(KikanToStr(EncodeDate(2019, 4, 1), b), "H 31/04/01 ～ R 06/03/31");
}

TEST_F(DateTextsTest, StrToDateTimeFix)
{
    EXPECT_DOUBLE_EQ(StrToDateTimeFix("2008/04/01 12:30:00"), EncodeDate(2008, 4, 1) + 0.5 + 30.0 / 1440);
    EXPECT_EQ(StrToDateTimeFix("2008-04-01"), 0.0);
    EXPECT_EQ(StrToDateTimeFix("2008/04/01"), EncodeDate(2008, 4, 1));
    EXPECT_EQ(StrToDateTimeFix(""), 0.0);
}

TEST(DateTextsVersion, Parsing)
{
    const struct {
        const char* text;
        int major, minor, release, build;
    } cases[] = {
        {"", 0, 0, 0, 0},
        {"13.1", 13, 1, 0, 0},
        {"13.a.2", 13, 0, 2, 0},
        {"13.0.0.5", 13, 0, 0, 5},
        {"1.2.3.4.5", 1, 2, 3, 4},
        {"13..2", 13, 0, 2, 0},
        {"-1.2", -1, 2, 0, 0},
        {"99999999999.1", 0, 1, 0, 0},
    };
    for (const auto& c : cases) {
        TVersionRec rec;
        rec.Major = 77;
        StrToVersionRec(c.text, rec);
        EXPECT_EQ(rec.Major, c.major) << c.text;
        EXPECT_EQ(rec.Minor, c.minor) << c.text;
        EXPECT_EQ(rec.Release, c.release) << c.text;
        EXPECT_EQ(rec.Build, c.build) << c.text;
        EXPECT_EQ(rec.Text, c.text);
    }
}

TEST(DateTextsVersion, Comparison)
{
    const struct {
        const char* a;
        const char* b;
        bool greater, greaterEqual;
    } cases[] = {
        {"13.0.0", "12.9.9", true, true},
        {"12.9.9", "13.0.0", false, false},
        {"13.0.0", "13.0.0.5", false, true},
        {"13.0.0.5", "13.0.0", false, true},
        {"13.0.0", "13.0.0", false, true},
        {"13.0.1", "13.0.0", true, true},
        {"2.0.0", "1.256.0", false, true},
        {"1.256.0", "2.0.0", false, true},
        {"13", "12.255.255", true, true},
        {"", "0.0.0", false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VersionGreater(c.a, c.b), c.greater) << c.a << " > " << c.b;
        EXPECT_EQ(VersionGreaterEqual(c.a, c.b), c.greaterEqual) << c.a << " >= " << c.b;
    }
    EXPECT_TRUE(VersionRecLess(StrToVersionRec("12.0.0"), StrToVersionRec("13.0.0")));
    EXPECT_FALSE(VersionRecGreater(StrToVersionRec("13.0.0"), StrToVersionRec("13.0.0.9")));
    // The key wraps at 32 bits and compares unsigned.
    EXPECT_TRUE(VersionGreater("-1.0.0", "1.0.0"));
}

} // namespace
