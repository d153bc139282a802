#include "platform/plain_text.h"

#include <gtest/gtest.h>

using namespace platform::text;

TEST(PlainText, UpperAsciiLeavesMultiByteCharactersAlone)
{
    EXPECT_EQ(upperAscii("abc_Xyz09"), "ABC_XYZ09");
    EXPECT_EQ(upperAscii("ｂ株式b"), "ｂ株式B");
    EXPECT_EQ(upperAscii("\x82\x60\x82\x81"), "\x82\x60\x82\x81"); // code page 932 bytes unchanged
}

TEST(PlainText, ToIntOrTakesOnlyAWholeNumber)
{
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"42", 42},
        {"-7", -7},
        {"", 99},
        {"12x", 99},
        {"x", 99},
        {"99999999999", 99},
        {" 5", 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(toIntOr(c.text, 99), c.expected) << c.text;
}

TEST(PlainText, SplitLinesAtEveryKindOfBreak)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(splitLines("a\r\nb\rc\nd"), (V {"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n"), (V {"a"}));
    EXPECT_EQ(splitLines("a\r\n\r\n"), (V {"a", ""}));
    EXPECT_EQ(splitLines(""), V {});
    EXPECT_EQ(splitLines("\n\r"), (V {"", ""}));
}

TEST(PlainText, SplitLinesKeepingTheLastPiece)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(splitLines("a\r\n", LastLine::Keep), (V {"a", ""}));
    EXPECT_EQ(splitLines("", LastLine::Keep), (V {""}));
    EXPECT_EQ(splitLines("a\rb", LastLine::Keep), (V {"a", "b"}));
}

TEST(PlainText, JoinLinesIsTheInverseOfSplitLines)
{
    const std::vector<std::string> lines {"1,2", "", "x"};
    EXPECT_EQ(joinLines(lines), "1,2\r\n\r\nx\r\n");
    EXPECT_EQ(splitLines(joinLines(lines)), lines);
    EXPECT_EQ(joinLines({}), "");
}
