#include "core/TextRoutines.h"

#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

struct RoundCase {
    Currency amount;
    int mode;
    Currency expected;
};

TEST(TextRoutinesRoundCurrency, ModesOnPositiveAndNegativeAmounts)
{
    const RoundCase cases[] = {
        {15000, 0, 10000},
        {15000, 1, 20000},
        {15000, 2, 20000}, // 1.5 yen
        {-15000, 0, -10000},
        {-15000, 1, -20000},
        {-15000, 2, -20000}, // -1.5 yen
        {10001, 0, 10000},
        {10001, 1, 10000},
        {10001, 2, 20000}, // 1.0001 yen
        {-10001, 0, -10000},
        {-10001, 1, -10000},
        {-10001, 2, -20000},
        {-4000, 1, 0},
        {4999, 1, 0},
        {5000, 1, 10000},
        {-5000, 1, -10000},
        {30000, 2, 30000},
        {-30000, 2, -30000},
        {0, 2, 0},
        {0, 1, 0},
        {15000, 7, 20000},
        {-15000, -1, -20000}, // any other mode: half away
        {123456789012340000LL, 1, 123456789012340000LL},
        {-9999, 0, 0},
        {9999, 2, 10000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RoundCurrency(c.mode, c.amount), c.expected) << "amount " << c.amount << " mode " << c.mode;
}

TEST(TextRoutinesRoundCurrency, ResultOutsideTheRangeIsRefused)
{
    EXPECT_THROW(RoundCurrency(2, LLONG_MAX), std::overflow_error);
    EXPECT_THROW(RoundCurrency(2, LLONG_MIN), std::overflow_error);
    EXPECT_EQ(RoundCurrency(0, LLONG_MAX), LLONG_MAX / 10000 * 10000);
}

TEST(TextRoutinesSjisBytes, LeadAndTrailBytes)
{
    EXPECT_TRUE(IsSJISLeadByte(0x81));
    EXPECT_TRUE(IsSJISLeadByte(0x9F));
    EXPECT_TRUE(IsSJISLeadByte(0xE0));
    EXPECT_TRUE(IsSJISLeadByte(0xFC));
    EXPECT_FALSE(IsSJISLeadByte(0x80));
    EXPECT_FALSE(IsSJISLeadByte(0xA0));
    EXPECT_FALSE(IsSJISLeadByte(0xDF));
    EXPECT_FALSE(IsSJISLeadByte(0xFD));
    EXPECT_TRUE(IsSJISTrailByte(0x40));
    EXPECT_TRUE(IsSJISTrailByte(0x7E));
    EXPECT_FALSE(IsSJISTrailByte(0x7F));
    EXPECT_TRUE(IsSJISTrailByte(0x80));
    EXPECT_TRUE(IsSJISTrailByte(0xFC));
    EXPECT_FALSE(IsSJISTrailByte(0x3F));
}

TEST(TextRoutinesSjisBytes, RepairMBCSBreakBlanksBrokenCharacters)
{
    const struct {
        std::string in, out;
    } cases[] = {
        {"A\x82", "A "}, // lead byte at the end
        {"\x82 B", "  B"}, // lead byte followed by a blank
        {"\x82\xA0\x41", "\x82\xA0\x41"}, // a whole character stays
        {"\x82\x3F", "  "}, // 0x3F is no trail byte
        {"", ""}, {"\xB1\xB2", "\xB1\xB2"}, // half-width kana are single bytes
    };
    for (const auto& c : cases) {
        const std::string got = RepairMBCSBreak(c.in);
        EXPECT_EQ(got, c.out);
        EXPECT_EQ(got.size(), c.in.size());
    }
}

TEST(TextRoutinesBlanks, TrimZenkakuWorksByCharacters)
{
    EXPECT_EQ(TrimZenkaku("　 abc　 　"), "abc");
    EXPECT_EQ(TrimZenkaku("\t\r\n\x01 abc \x1f"), "abc");
    EXPECT_EQ(TrimZenkaku("　"), "");
    EXPECT_EQ(TrimZenkaku(""), "");
    EXPECT_EQ(TrimZenkaku("a　b"), "a　b");
    // メ is 0x83 0x81 and "@" 0x40: the last two bytes look like a full-width
    // blank, but they are not one and must survive.
    EXPECT_EQ(TrimZenkaku("メ@"), "メ@");
    EXPECT_EQ(TrimZenkaku("メ@　"), "メ@");
    EXPECT_EQ(TrimZenkaku("　ソ表"), "ソ表");
}

TEST(TextRoutinesBlanks, DeleteRoutines)
{
    EXPECT_EQ(DeleteAllSpace(" a b　c 　"), "abc");
    EXPECT_EQ(DeleteAllSpace("メ@"), "メ@");
    EXPECT_EQ(DeleteTabCrLf("a\tb\r\nc d"), "abc d");
}

TEST(TextRoutinesMapping, ZenkakuAlphaUpperChangesOnlyFullWidthLowerCase)
{
    EXPECT_EQ(ZenkakuAlphaUpper("ａｂｚＡ"), "ＡＢＺＡ");
    EXPECT_EQ(ZenkakuAlphaUpper("アあ漢ｱab1"), "アあ漢ｱab1");
}

TEST(TextRoutinesMapping, MapStringLocaleWidths)
{
    EXPECT_EQ(MapStringLocale(LCMAP_FULLWIDTH, "abc 1-Z"), "ａｂｃ　１－Ｚ");
    EXPECT_EQ(MapStringLocale(LCMAP_FULLWIDTH, "ｶﾞﾊﾟｳﾞｱﾞｰ"), "ガパヴア゛ー");
    EXPECT_EQ(MapStringLocale(LCMAP_HALFWIDTH, "ガパヴＡ１　"), "ｶﾞﾊﾟｳﾞA1 ");
    EXPECT_EQ(MapStringLocale(LCMAP_FULLWIDTH | LCMAP_UPPERCASE, "ab"), "ＡＢ");
    EXPECT_EQ(MapStringLocale(LCMAP_KATAKANA, "あいう"), "アイウ");
    EXPECT_EQ(MapStringLocale(LCMAP_HIRAGANA, "アイウ"), "あいう");
    // Compare without regard to width and case, as callers do.
    EXPECT_EQ(ZenkakuAlphaUpper(MapStringLocale(LCMAP_FULLWIDTH, "abc")),
        ZenkakuAlphaUpper(MapStringLocale(LCMAP_FULLWIDTH, "ＡＢＣ")));
}

TEST(TextRoutinesMapping, MapStringLocaleResultMustFitTheBuffer)
{
    EXPECT_EQ(MapStringLocale(LCMAP_FULLWIDTH, std::string(127, 'a')).size(), 127u * 3);
    EXPECT_EQ(MapStringLocale(LCMAP_FULLWIDTH, std::string(128, 'a')), "");
    EXPECT_EQ(MapStringLocale(0, std::string(255, 'a')).size(), 255u);
    EXPECT_EQ(MapStringLocale(0, std::string(256, 'a')), "");
}

TEST(TextRoutinesFixedWidth, SpaceStr)
{
    EXPECT_EQ(SpaceStr(0), "");
    EXPECT_EQ(SpaceStr(-1), "");
    EXPECT_EQ(SpaceStr(3), "   ");
    EXPECT_EQ(SpaceStr(510).size(), 510u);
    EXPECT_EQ(SpaceStr(511), "");
}

TEST(TextRoutinesFixedWidth, FixLeftAndRight)
{
    const struct {
        std::string text;
        int n;
        std::string left, right;
    } cases[] = {
        {"abc", 5, "abc  ", "  abc"},
        {"abcd", 2, "ab", "cd"},
        {"aあ", 2, "a ", "あ"}, // the cut lead byte becomes a blank
        {"あa", 2, "あ", " a"}, // the trail half left over becomes a blank
        {"漢字", 3, "漢 ", " 字"},
        {"ｱｲｳ", 2, "ｱｲ", "ｲｳ"}, // half-width kana are one byte each
        {"", 2, "  ", "  "},
        {"abc", 0, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FixLeftStr(c.text, c.n), c.left) << c.text << " " << c.n;
        EXPECT_EQ(FixRightStr(c.text, c.n), c.right) << c.text << " " << c.n;
    }
    // More than 510 blanks of padding are not given: the text comes back as it is.
    EXPECT_EQ(FixLeftStr("a", 600), "a");
    EXPECT_EQ(FixLeftStr("a", 511).size(), 511u);
}

TEST(TextRoutinesFixedWidth, ZeroPadAndCommas)
{
    EXPECT_EQ(ZeroPadStr("123", 6), "000123");
    EXPECT_EQ(ZeroPadStr("1234567", 6), "234567");
    EXPECT_EQ(ZeroPadStr("", 3), "000");
    EXPECT_EQ(IntToCommaStr(0), "0");
    EXPECT_EQ(IntToCommaStr(999), "999");
    EXPECT_EQ(IntToCommaStr(1000), "1,000");
    EXPECT_EQ(IntToCommaStr(-1234567), "-1,234,567");
    EXPECT_EQ(IntToCommaStr(LLONG_MIN), "-9,223,372,036,854,775,808");
}

TEST(TextRoutinesDelimited, SplitToArray)
{
    std::vector<std::string> table {"keep"};
    EXPECT_EQ(SplitToArray("", ",", table), 0);
    EXPECT_EQ(SplitToArray("//a,b", ",", table), 0);
    EXPECT_EQ(table, std::vector<std::string> {"keep"});

    EXPECT_EQ(SplitToArray("first,,second", ",", table), 2);
    EXPECT_EQ(table, (std::vector<std::string> {"first", "", "second"}));

    EXPECT_EQ(SplitToArray("a,b//c,d", ",", table), 1);
    EXPECT_EQ(table[0], "a");
    EXPECT_EQ(table[1], "b");
    EXPECT_EQ(table[2], "second"); // entries past the pieces keep their values

    EXPECT_EQ(SplitToArray(",x,", ",", table), 2);
    EXPECT_EQ(table, (std::vector<std::string> {"", "x", ""}));

    EXPECT_EQ(SplitToArray("表::示::", "::", table), 2);
    EXPECT_EQ(table, (std::vector<std::string> {"表", "示", ""}));
}

TEST(TextRoutinesDelimited, SplitToArrayGrowsInsteadOfWritingPastTheTable)
{
    std::vector<std::string> table(2);
    std::string text;
    for (int i = 0; i < 80; ++i)
        text += std::to_string(i) + ",";
    EXPECT_EQ(SplitToArray(text, ",", table), 80);
    ASSERT_EQ(table.size(), 81u);
    EXPECT_EQ(table[79], "79");
    EXPECT_EQ(table[80], "");
}

TEST(TextRoutinesDelimited, GetTokenStr)
{
    EXPECT_EQ(GetTokenStr("a,b,c", ",", 1), "a");
    EXPECT_EQ(GetTokenStr("a,b,c", ",", 3), "c");
    EXPECT_EQ(GetTokenStr("a,b,c", ",", 0), "");
    EXPECT_EQ(GetTokenStr("a,b,c", ",", 4), "");
    EXPECT_EQ(GetTokenStr("a\r\nb,c", ",", 2), "b"); // line breaks split too
    EXPECT_EQ(GetTokenStr("a,,c", ",", 2), "");
    EXPECT_EQ(GetTokenStr("科目/補助", "/", 2), "補助");
}

TEST(TextRoutinesDelimited, GetNameValueLine)
{
    const std::string lines = "NAME=事務所\r\nJYUSHO=東京\r\nTEL=03-1234";
    EXPECT_EQ(GetNameValueLine(lines, "tel"), "TEL=03-1234");
    EXPECT_EQ(GetNameValueLine(lines, "NAME"), "NAME=事務所");
    EXPECT_EQ(GetNameValueLine(lines, "FAX"), "");
    EXPECT_EQ(GetNameValueLine(lines, ""), "");
    EXPECT_EQ(GetNameValueLine("", "NAME"), "");
    EXPECT_EQ(GetNameValueLine("NAMEX=1\nNAME=2", "name"), "NAME=2");
}

TEST(TextRoutinesDelimited, CommaTextMessageShowsOneLinePerPiece)
{
    EXPECT_EQ(CommaTextJoin("first,second"), "first\rsecond\r");
    EXPECT_EQ(CommaTextJoin("shown//hidden,part"), "shown\r");

    ScriptedMessages messages;
    EXPECT_EQ(CommaTextMessage("手順名,エラー内容", 1), modal::Ok);
    ASSERT_EQ(messages.count(), 1u);
    const TMessage2InfoRec& rec = messages.shown()[0];
    EXPECT_EQ(rec.kind, 1);
    EXPECT_EQ(rec.buttons, msgbtn::OK);
    EXPECT_EQ(rec.lines[0].text, "手順名");
    EXPECT_EQ(rec.lines[1].text, "エラー内容");
    EXPECT_EQ(rec.lines[2].text, "");
}

TEST(TextRoutinesDelimited, CommaTextMessageWithManyCommasKeepsEveryPiece)
{
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += (i ? "," : "") + std::to_string(i);
    ScriptedMessages messages;
    CommaTextMessage(text, 0);
    ASSERT_EQ(messages.count(), 1u);
    const TMessage2InfoRec& rec = messages.shown()[0];
    EXPECT_EQ(rec.lines[8].text, "8");
    EXPECT_EQ(rec.lines[9].text.substr(0, 3), "9\r1");
    EXPECT_EQ(rec.lines[9].text.substr(rec.lines[9].text.size() - 3), "\r59");
}

TEST(TextRoutinesFlags, SetAndGetBits)
{
    for (int n = 1; n <= 24; ++n) {
        int flags = 0;
        SetFlagBit(flags, n);
        EXPECT_EQ(flags, 1 << (n - 1));
        EXPECT_EQ(GetFlagBit(flags, n), 1);
    }
    int flags = 0;
    SetFlagBit(flags, 0);
    SetFlagBit(flags, 25);
    SetFlagBit(flags, -3);
    EXPECT_EQ(flags, 0);
    EXPECT_EQ(GetFlagBit(1, 33), 1); // n-1 taken modulo 32
    EXPECT_EQ(GetFlagBit(INT_MIN, 32), 1);
    EXPECT_EQ(GetFlagBit(INT_MIN, 0), 1); // n = 0 reads bit 31
    EXPECT_EQ(GetFlagBit(2, 1), 0);
    EXPECT_EQ(BoolToInt(true), 1);
    EXPECT_FALSE(IntToBool(0));
    EXPECT_TRUE(IntToBool(-5));
}

std::vector<std::string> keysOf(const std::vector<TQSORT>& t)
{
    std::vector<std::string> k;
    for (const auto& e : t)
        k.push_back(e.Key);
    return k;
}

TEST(TextRoutinesSort, QuickSortRecUsesCodePage932ByteOrder)
{
    // 漾 is 0xE0 0x40 in code page 932, after ｱ (0xB1) and ﾟ (0xDF); in UTF-8
    // it sorts before them.
    std::vector<TQSORT> t {{"ﾟ", 0}, {"漾", 1}, {"ｱ", 2}, {"あ", 3}, {"1000", 4}, {"0999", 5}, {"ア", 6}};
    QuickSortRec(t, 0, static_cast<int>(t.size()) - 1);
    EXPECT_EQ(keysOf(t), (std::vector<std::string> {"0999", "1000", "あ", "ア", "ｱ", "ﾟ", "漾"}));
    // The row index travels with its key.
    for (const auto& e : t) {
        if (e.Key == "ｱ") {
            EXPECT_EQ(e.Index, 2);
        }
        if (e.Key == "1000") {
            EXPECT_EQ(e.Index, 4);
        }
    }
}

TEST(TextRoutinesSort, QuickSortRecEqualKeysAndSubRanges)
{
    std::vector<TQSORT> same(50, TQSORT {"5100", 0});
    for (int i = 0; i < 50; ++i)
        same[static_cast<std::size_t>(i)].Index = i;
    QuickSortRec(same, 0, 49);
    for (const auto& e : same)
        EXPECT_EQ(e.Key, "5100");

    std::vector<TQSORT> t {{"z", 0}, {"c", 1}, {"b", 2}, {"a", 3}, {"0", 4}};
    QuickSortRec(t, 1, 3);
    EXPECT_EQ(keysOf(t), (std::vector<std::string> {"z", "a", "b", "c", "0"}));
    QuickSortRec(t, 3, 1); // empty range: nothing moves
    QuickSortRec(t, 0, 99); // clamped to the table
    EXPECT_EQ(keysOf(t), (std::vector<std::string> {"0", "a", "b", "c", "z"}));
}

TEST(TextRoutinesMisc, ColorToGray)
{
    EXPECT_EQ(ColorToGray(0xFFFFFF), 0xFFFFFF);
    EXPECT_EQ(ColorToGray(0), 0);
    EXPECT_EQ(ColorToGray(0x0000FF), 0x555555); // 255 / 3 = 85
    EXPECT_EQ(ColorToGray(0x020101), 0x010101); // 4 / 3 rounds to 1
    EXPECT_EQ(ColorToGray(0x020201), 0x020202); // 5 / 3 rounds to 2
}

TEST(TextRoutinesMisc, GetPCNameByConnectionMode)
{
    ResetProcessState();
    ConnectMode = 2;
    EXPECT_EQ(GetPCName(), "ANONYMOUS");
    SysDef.WinUserName = "taro";
    EXPECT_EQ(GetPCName(), "taro");
    ConnectMode = 1;
    const std::string name = GetPCName();
    EXPECT_FALSE(name.empty());
    EXPECT_NE(name, "taro");
    ResetProcessState();
}

} // namespace
