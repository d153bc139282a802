#include "controls/KanaConvert.h"
#include "controls/NumberFormat.h"

#include <gtest/gtest.h>

namespace {

struct FormatCase {
    const char* picture;
    double value;
    const char* expected;
};

class FormatFloatTest : public ::testing::TestWithParam<FormatCase> { };

TEST_P(FormatFloatTest, Formats)
{
    const auto& c = GetParam();
    EXPECT_EQ(controls::formatFloat(c.picture, c.value), c.expected) << c.picture << " " << c.value;
}

INSTANTIATE_TEST_SUITE_P(Pictures, FormatFloatTest,
    ::testing::Values(FormatCase {"#,##0", 0, "0"}, FormatCase {"#,##0", 5, "5"}, FormatCase {"#,##0", 5000, "5,000"},
        FormatCase {"#,##0", 1234567, "1,234,567"}, FormatCase {"#,##0", -1234567, "-1,234,567"},
        FormatCase {"#,##0", 123456, "123,456"}, FormatCase {"#,##0", 12345678901.0, "12,345,678,901"},
        FormatCase {"#,##0", 2.5, "3"}, FormatCase {"#,##0", -2.5, "-3"}, FormatCase {"#,##0", -0.4, "0"},
        FormatCase {"#,##0.00", 1234.5, "1,234.50"}, FormatCase {"0.##", 1.5, "1.5"}, FormatCase {"0.##", 2, "2"},
        FormatCase {"#", 0, ""}, FormatCase {"000", 7, "007"}, FormatCase {"#,##0円", 1000, "1,000円"},
        FormatCase {"#,##0;(#,##0)", -5, "-5"}));

TEST(NumberTextTest, SeparatorsAndParsing)
{
    EXPECT_EQ(controls::stripSeparators("-1,234,567"), "-1234567");
    EXPECT_EQ(controls::countSeparators("1,234,567"), 2);
    EXPECT_EQ(controls::parseNumber("-12.5"), -12.5);
    EXPECT_EQ(controls::parseNumber(" 7 "), 7.0);
    EXPECT_FALSE(controls::parseNumber("-").has_value());
    EXPECT_FALSE(controls::parseNumber("1.2.3").has_value());
    EXPECT_FALSE(controls::parseNumber("").has_value());
    EXPECT_EQ(controls::parseCurrency("12.3456"), 123456);
    EXPECT_EQ(controls::parseCurrency("-3"), -30000);
    EXPECT_FALSE(controls::parseCurrency("1.23456").has_value());
    EXPECT_FALSE(controls::parseCurrency("99999999999999999999").has_value());
    EXPECT_EQ(controls::currencyToPlain(-12345670000), "-1234567");
    EXPECT_EQ(controls::currencyToPlain(25000), "2.5");
    EXPECT_EQ(controls::currencyToPlain(0), "0");
}

TEST(KanaConvertTest, KatakanaAndHalfWidth)
{
    EXPECT_EQ(controls::toKatakana(QStringLiteral("かぶしきがいしゃABC")), QStringLiteral("カブシキガイシャABC"));
    EXPECT_EQ(controls::toHalfWidth(QStringLiteral("カブシキガイシャ　ＡＢＣ１ー・ポ")),
        QStringLiteral("ｶﾌﾞｼｷｶﾞｲｼｬ ABC1ｰ･ﾎﾟ"));
    EXPECT_EQ(controls::toHalfWidth(QStringLiteral("漢字ヴ")), QStringLiteral("漢字ｳﾞ"));
    EXPECT_EQ(controls::toFullWidthKatakana(QStringLiteral("ｶﾞｲｼｬ")), QStringLiteral("ガイシャ"));
    // The reading limit counts code page 932 bytes and never splits a character.
    const QString long600 = QString(600, QChar(0x30AB));
    EXPECT_EQ(controls::cutToSjisBytes(long600, 1024).size(), 512);
    EXPECT_EQ(controls::cutToSjisBytes(QStringLiteral("ｱｲｳ"), 2), QStringLiteral("ｱｲ"));
}

} // namespace
