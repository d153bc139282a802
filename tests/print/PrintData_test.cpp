// The print-data grammar: raw lines and what they read as, the colour and
// other field vocabularies, and the one page-end test.
#include "print/PrintData.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace print;

TEST(PrintRecord, RawLinesAndTheirFields)
{
    struct Case {
        const char* line;
        RecordKind kind;
        bool disabled;
        std::size_t field;
        const char* value;
    };
    const Case cases[] = {
        {"text;100;200;abc", RecordKind::Text, false, 3, "abc"}, // lower case, no final ";"
        {"TEXT;100;200;abc;", RecordKind::Text, false, 3, "abc"},
        {"TEXT;1;2;a\"b;", RecordKind::Text, false, 3, "ab"}, // quotes dropped
        {"\"LINE\";1;2;3;4", RecordKind::Line, false, 4, "4"},
        {"*TEXT;100;100;x;", RecordKind::Unknown, true, 3, "x"}, // disabled
        {"*LUMEN808****", RecordKind::Unknown, true, 1, ""}, // header line
        {"*PAPERSIZE=9", RecordKind::Unknown, true, 1, ""},
        {"TEXT;1;2;", RecordKind::Text, false, 9, ""}, // missing field reads empty
        {"@;A;text;0;;5", RecordKind::Variable, false, 2, "text"},
        {"FRECT;1;2;3;4;赤;2;", RecordKind::FRect, false, 5, "赤"},
        {"LINES;1;2;", RecordKind::Unknown, false, 1, "1"}, // unknown kind
        {"", RecordKind::Unknown, false, 1, ""},
    };
    for (const Case& c : cases) {
        const Record r(c.line);
        EXPECT_EQ(r.kind(), c.kind) << c.line;
        EXPECT_EQ(r.disabled(), c.disabled) << c.line;
        EXPECT_EQ(r.field(c.field), c.value) << c.line;
    }
}

TEST(PrintRecord, NumericFieldsTakeTheirDefaults)
{
    const Record line("LINE;1;2;3;4;;0;黒;");
    EXPECT_EQ(line.number(5, 1), 1); // empty width -> 1
    EXPECT_EQ(line.number(6, 0), 0);
    const Record text("TEXT;1;2;x;ＭＳ 明朝;abc;");
    EXPECT_EQ(text.number(5, 10), 10); // non-numeric size -> 10
    EXPECT_EQ(text.number(1), 1);
    EXPECT_EQ(Record("BOX;-12;x").number(1), -12);
    EXPECT_EQ(Record("BOX;-12;x").number(2, 7), 7);
}

TEST(PrintRecord, OnePageEndTestForEveryReader)
{
    const std::pair<const char*, bool> cases[] = {
        {"E;", true},
        {"e;", true},
        {"E", true},
        {"E;junk", true},
        {"\"E\";", true},
        {"*E;", false},
        {"EX;", false},
        {" E;", false},
        {"ELINE;1;2;3;4;", false},
        {"", false},
    };
    for (const auto& [line, end] : cases) {
        EXPECT_EQ(isPageEnd(line), end) << line;
        EXPECT_EQ(Record(line).kind() == RecordKind::PageEnd, end) << line; // drawing agrees
    }
    // A hand-made "E" without its semicolon counts as a page for the counter too.
    const PageSplit split({"TEXT;1;1;a;", "E", "TEXT;1;1;b;", "e;", "TEXT;1;1;c;"});
    ASSERT_EQ(split.pageCount(), 3);
    EXPECT_EQ(split.page(2).size(), 1u);
    EXPECT_EQ(split.page(2)[0], "TEXT;1;1;b;");
    EXPECT_TRUE(split.endedByPageEnd(1));
    EXPECT_FALSE(split.endedByPageEnd(3));
}

TEST(PrintRecord, PagesOfAFile)
{
    EXPECT_EQ(PageSplit({"TEXT;1;1;a;"}).pageCount(), 1); // no page end: one page
    EXPECT_EQ(PageSplit(std::vector<std::string> {}).pageCount(), 1);
    const PageSplit trailing({"*LUMEN808*", "TEXT;1;1;a;", "E;"}); // trailing page end: empty last page
    ASSERT_EQ(trailing.pageCount(), 2);
    EXPECT_EQ(trailing.page(1).size(), 2u); // header lines belong to page 1
    EXPECT_TRUE(trailing.page(2).empty());
    EXPECT_THROW(trailing.page(3), std::out_of_range);
    const PageSplit first({"*LUMEN808*", "E;", "TEXT;1;1;a;"}); // page end right after the header
    EXPECT_EQ(first.pageCount(), 2);
}

TEST(PrintVocabulary, ColourFields)
{
    JobColours job;
    job.net1 = rgb(1, 2, 3);
    job.net2 = rgb(4, 5, 6);
    job.user1 = rgb(7, 8, 9);
    job.user2 = rgb(10, 11, 12);
    const std::pair<const char*, Colour> cases[] = {
        {"黒", rgb(0, 0, 0)},
        {"栗", rgb(128, 0, 0)},
        {"黄緑", rgb(128, 128, 0)},
        {"濃緑", rgb(0, 255, 0)},
        {"白", rgb(255, 255, 255)},
        {"黄", rgb(255, 255, 0)},
        {"空", rgb(0, 255, 255)},
        {"薄網掛", rgb(1, 2, 3)},
        {"濃網掛", rgb(4, 5, 6)},
        {"ucolor1", rgb(7, 8, 9)},
        {"UColor2", rgb(10, 11, 12)},
        {"ocrgreen", rgb(0, 190, 44)},
        {"OCRPURPLE", rgb(130, 26, 116)},
        {"0", rgb(0, 0, 0)},
        {"1", rgb(128, 0, 0)},
        {"8", rgb(192, 192, 192)},
        {"14", rgb(255, 255, 255)},
        {"15", rgb(255, 255, 0)},
        {"9", rgb(255, 0, 0)},
        {"16", rgb(0, 128, 128)},
        {"35", rgb(255, 255, 255)},
        {"40", rgb(1, 2, 3)},
        {"41", rgb(4, 5, 6)},
        {"42", rgb(7, 8, 9)},
        {"43", rgb(10, 11, 12)},
        {"255", 255u},
        {"65280", rgb(0, 255, 0)},
        {"36", 36u},
        {"くろ", 0u},
        {"red", 0u},
        {"", 0u},
    };
    for (const auto& [field, colour] : cases)
        EXPECT_EQ(colourFromField(field, job), colour) << field;
}

TEST(PrintVocabulary, StyleBackgroundAlignmentAndStyles)
{
    EXPECT_EQ(styleFromCode("b"), (FontStyle {true, false, false, false, false}));
    EXPECT_EQ(styleFromCode("BIS"), (FontStyle {true, true, false, true, false}));
    EXPECT_EQ(styleFromCode("IU"), (FontStyle {false, true, true, false, false}));
    EXPECT_EQ(styleFromCode("DU"), (FontStyle {false, false, true, false, true}));
    EXPECT_EQ(styleFromCode("IB"), FontStyle {}); // letters out of order: plain
    EXPECT_EQ(styleFromCode("OFF"), FontStyle {});
    EXPECT_EQ(styleFromCode("b", false), FontStyle {}); // "@" records keep the case

    const JobColours job;
    EXPECT_EQ(backgroundFromField("1", job), std::nullopt);
    EXPECT_EQ(backgroundFromField("off", job), std::nullopt);
    EXPECT_EQ(backgroundFromField("ON", job), rgb(255, 255, 255));
    EXPECT_EQ(backgroundFromField("黒", job), std::nullopt);
    EXPECT_EQ(backgroundFromField("", job), std::nullopt);
    EXPECT_EQ(backgroundFromField("赤", job), rgb(255, 0, 0));
    EXPECT_EQ(backgroundFromField("薄網掛", job), rgb(192, 192, 192));

    EXPECT_EQ(alignmentFromField("center"), Alignment::Center);
    EXPECT_EQ(alignmentFromField("1"), Alignment::Center);
    EXPECT_EQ(alignmentFromField("Right"), Alignment::Right);
    EXPECT_EQ(alignmentFromField("BOTTOM"), Alignment::Right);
    EXPECT_EQ(alignmentFromField("2"), Alignment::Right);
    EXPECT_EQ(alignmentFromField("LEFT"), Alignment::Left);
    EXPECT_EQ(alignmentFromField("x"), Alignment::Left);

    EXPECT_EQ(penStyleFromNumber(2), PenStyle::Dot);
    EXPECT_EQ(penStyleFromNumber(6), PenStyle::InsideFrame);
    EXPECT_EQ(penStyleFromNumber(9), PenStyle::Solid);
    EXPECT_EQ(brushStyleFromNumber(1), BrushStyle::None);
    EXPECT_EQ(brushStyleFromNumber(7), BrushStyle::DiagCross);
}

TEST(PrintDataFile, ReadsCodePage932Lines)
{
    test_support::TempDir dir;
    const std::string path = dir.write("a.TMP", "*LUMEN808*\r\nTEXT;1;2;\x93\xfa\x96\x7b;\r\nE;\r\nTEXT;1;2;\x87\x40;");
    const auto lines = readLines(path);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "TEXT;1;2;日本;");
    EXPECT_EQ(lines[3], "TEXT;1;2;①;");
    EXPECT_TRUE(hasFileMark(lines));
    EXPECT_FALSE(hasFileMark({"*LUMEN80"}));
    EXPECT_THROW(readLines(dir.file("missing.TMP")), PrintDataError);
    const std::string bad = dir.write("b.TMP", "TEXT;1;2;\x81;\r\n");
    EXPECT_THROW(readLines(bad), PrintDataError);
}
