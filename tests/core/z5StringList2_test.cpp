#include "core/z5StringList2.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Pieces = std::vector<std::string>;

Pieces split(const std::string& text, unsigned char mode, char delimiter = ',')
{
    TMojiBunkatu mb;
    mb.Mode = mode;
    mb.Delimiter = delimiter;
    mb.Bunkatu(text);
    EXPECT_EQ(mb.Count, static_cast<int>(mb.Pieces.size()));
    return mb.Pieces;
}

struct SplitCase {
    std::string text;
    char delimiter;
    Pieces mode0;
    Pieces mode1;
};

TEST(z5StringList2Split, EdgeCasesInBothModes)
{
    const SplitCase cases[] = {
        {"", ',', {""}, {""}},
        {"a,,b", ',', {"a", "", "b"}, {"a", "", "b"}},
        {"a,", ',', {"a", ""}, {"a", ""}},
        {",", ',', {"", ""}, {"", ""}},
        {"ab cd,e", ',', {"ab", "cd", "e"}, {"ab cd", "e"}},
        {" a , b ", ',', {"a", "b"}, {"a", "b"}},
        {"\"x,y\",z", ',', {"x,y", "z"}, {"x,y", "z"}},
        {"\"a\"\"b\",c", ',', {"a\"b", "c"}, {"a\"b", "c"}},
        {"a\"b", ',', {"a\"b"}, {"a\"b"}},
        {"\"abc", ',', {"ab"}, {"ab"}},
        {"\"\"", ',', {""}, {""}},
        {"\"ab\"cd,e", ',', {"ab", "cd", "e"}, {"ab", "cd", "e"}},
        {"1.2.3", '.', {"1", "2", "3"}, {"1", "2", "3"}},
        {"a, ", ',', {"a"}, {"a", ""}},
        {"科目,補助 部門", ',', {"科目", "補助", "部門"}, {"科目", "補助 部門"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(split(c.text, 0, c.delimiter), c.mode0) << "mode 0: [" << c.text << "]";
        EXPECT_EQ(split(c.text, 1, c.delimiter), c.mode1) << "mode 1: [" << c.text << "]";
    }
}

TEST(z5StringList2Split, MultiByteCharactersAreNeverCut)
{
    // 表 and ソ end in the byte 0x5C ("\") in code page 932; splitting at "\"
    // steps over them as whole characters.
    EXPECT_EQ(split("表\\ソ\\能", 0, '\\'), (Pieces {"表", "ソ", "能"}));
    EXPECT_EQ(split("/data/表示/co1", 1, '/'), (Pieces {"", "data", "表示", "co1"}));
}

TEST(z5StringList2Split, GetMojiOutOfRangeGivesEmpty)
{
    TMojiBunkatu mb;
    EXPECT_EQ(mb.Count, 0);
    mb.Bunkatu("");
    EXPECT_EQ(mb.Count, 1);
    for (int i : {-1, 0, 1})
        EXPECT_EQ(mb.GetMoji(i), "");

    mb.Bunkatu("A001,現金,1");
    std::string out = "stale";
    mb.GetMoji(1, out);
    EXPECT_EQ(out, "現金");
    mb.GetMoji(7, out);
    EXPECT_EQ(out, "");
    mb.GetMoji(-1, out);
    EXPECT_EQ(out, "");

    mb.Clear();
    EXPECT_EQ(mb.Count, 0);
    EXPECT_TRUE(mb.Pieces.empty());
    EXPECT_EQ(mb.GetMoji(0), "");
}

TEST(z5StringList2List, TrimFlag)
{
    TStringList2 list;
    list.SetCommaText2(" a , b ");
    EXPECT_EQ(list.Strings, (Pieces {" a ", " b "}));
    list.Trim = true;
    list.SetCommaText2(" a , b ");
    EXPECT_EQ(list.Strings, (Pieces {"a", "b"}));
    list.Delimiter = ';';
    list.SetDelimitedText2("x;\"y;z\"");
    EXPECT_EQ(list.Strings, (Pieces {"x", "y;z"}));
    EXPECT_EQ(list.Count(), 2);
}

} // namespace
