#include "core/DateTimeUtil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(DateTimeUtilEncode, KnownDayNumbers)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2008, 4, 1), 39539.0);
    EXPECT_EQ(EncodeDate(2024, 2, 29), 45351.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
}

TEST(DateTimeUtilEncode, InvalidDatesAreRefused)
{
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(1900, 2, 29), EConvertError);
    EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDate(10000, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDate(2023, 13, 1), EConvertError);
    EXPECT_THROW(EncodeDate(2023, 4, 31), EConvertError);
    EXPECT_THROW(DecodeDate(2958466.0), EConvertError);
    EXPECT_THROW(DecodeDate(NAN), EConvertError);
}

TEST(DateTimeUtilEncode, DecodeIsTheInverseOverTheWholeRange)
{
    for (double d = -693593; d <= 2958465; d += 997) {
        const TDateParts p = DecodeDate(d);
        ASSERT_EQ(EncodeDate(p.Year, p.Month, p.Day), d) << d;
    }
    const TDateParts p = DecodeDate(-1.25); // time fraction of negative days counts from the day
    EXPECT_EQ(p.Year, 1899);
    EXPECT_EQ(p.Month, 12);
    EXPECT_EQ(p.Day, 29);
    EXPECT_EQ(DecodeTime(-1.25).Hour, 6);
}

TEST(DateTimeUtilFormat, Patterns)
{
    const TDateTime d = EncodeDate(2008, 4, 1) + EncodeTime(9, 5, 7, 30);
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd", d), "2008/04/01");
    EXPECT_EQ(FormatDateTime("yy/m/d", d), "08/4/1");
    EXPECT_EQ(FormatDateTime("y", d), "08");
    EXPECT_EQ(FormatDateTime("yyyy年mm月dd日", d), "2008年04月01日");
    EXPECT_EQ(FormatDateTime("hh:mm:ss", d), "09:05:07");
    EXPECT_EQ(FormatDateTime("h:n:s.zzz", d), "9:5:7.030");
    EXPECT_EQ(FormatDateTime("'yyyy'yyyy", d), "yyyy2008");
}

TEST(DateTimeUtilParse, FixedFormats)
{
    TDateTime v = 0;
    ASSERT_TRUE(TryStrToDateTime("2008/04/01 12:30:00", v));
    EXPECT_DOUBLE_EQ(v, EncodeDate(2008, 4, 1) + EncodeTime(12, 30, 0, 0));
    ASSERT_TRUE(TryStrToDateTime("2008/4/1", v));
    EXPECT_EQ(v, EncodeDate(2008, 4, 1));
    ASSERT_TRUE(TryStrToDateTime("12:30", v));
    EXPECT_DOUBLE_EQ(v, EncodeTime(12, 30, 0, 0));
    EXPECT_FALSE(TryStrToDateTime("2008-04-01", v));
    EXPECT_FALSE(TryStrToDateTime("2008/02/30", v));
    EXPECT_FALSE(TryStrToDateTime("2008/04/01 25:00", v));
    EXPECT_FALSE(TryStrToDateTime("", v));
    EXPECT_FALSE(TryStrToDateTime("2008/04/01 x", v));
    EXPECT_THROW(StrToDateTime("abc"), EConvertError);
}

} // namespace
