#include "platform/codec.h"

#include <gtest/gtest.h>

using namespace platform::codec;

namespace {

struct RoundTrip {
    const char* label;
    std::string sjis;
    std::string utf8;
};

const RoundTrip kRoundTrips[] = {
    {"kanji and kana", "\x8A\xBF\x8E\x9A\x82\xA9\x82\xC8", "漢字かな"},
    {"half-width katakana", "\xB6\xDE\xDF", "ｶﾞﾟ"},
    {"wave dash", "\x81\x60", "～"},
    {"NEC circled one", "\x87\x40", "①"},
    {"NEC roman one", "\x87\x54", "Ⅰ"},
    {"IBM taka", "\xFB\xFC", "髙"},
    {"trail byte 0x5C", "\x95\x5C", "表"},
    {"ascii backslash and tilde", "\x5C\x7E", "\\~"},
    {"mixed",
        "A\x95\x5C"
        "1\x87\x40",
        "A表1①"},
};

} // namespace

TEST(Codec, RoundTripsEveryByteSequenceOfTheTable)
{
    for (const auto& c : kRoundTrips) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(fromSjis(c.sjis), c.utf8);
        EXPECT_EQ(toSjis(c.utf8), c.sjis);
        EXPECT_EQ(sjisWidth(c.utf8), c.sjis.size());
    }
}

TEST(Codec, RefusesWhatCodePage932CannotHold)
{
    for (const char* text : {"é", "€", "😀", "price €5"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(isRepresentable(text));
        EXPECT_THROW(toSjis(text), CodecError);
    }
    try {
        toSjis("ab€");
        FAIL();
    } catch (const CodecError& e) {
        EXPECT_NE(std::string(e.what()).find("U+20AC"), std::string::npos) << e.what();
    }
}

TEST(Codec, RefusesMalformedShiftJis)
{
    EXPECT_THROW(fromSjis("\x81"), CodecError); // lone lead byte
    EXPECT_THROW(fromSjis("A\x81"), CodecError);
    EXPECT_THROW(fromSjis("\xA0"), CodecError);
}

TEST(Codec, CutNeverSplitsACharacter)
{
    const std::string text = "表ｱA髙"; // widths 2,1,1,2
    EXPECT_EQ(cutToWidth(text, 0), "");
    EXPECT_EQ(cutToWidth(text, 1), ""); // 表 would be split
    EXPECT_EQ(cutToWidth(text, 2), "表");
    EXPECT_EQ(cutToWidth(text, 3), "表ｱ");
    EXPECT_EQ(cutToWidth(text, 5), "表ｱA"); // 髙 would be split
    EXPECT_EQ(cutToWidth(text, 6), text);
    EXPECT_EQ(cutToWidth(text, 99), text);
}

TEST(Codec, PadFillsToExactWidth)
{
    EXPECT_EQ(padToWidth("表", 5), "表   ");
    EXPECT_EQ(padToWidth("表表表", 5), "表表 "); // cut, then padded
    EXPECT_EQ(padToWidth("12", 5, '0', true), "00012");
    EXPECT_EQ(sjisWidth(padToWidth("ｱ①", 4)), 4u);
}

TEST(Codec, BytePositionsCountCodePage932Bytes)
{
    const std::string text = "aｱ表b";
    EXPECT_EQ(sjisBytePosOfChar(text, 0), 0u);
    EXPECT_EQ(sjisBytePosOfChar(text, 2), 2u);
    EXPECT_EQ(sjisBytePosOfChar(text, 3), 4u);
    EXPECT_EQ(sjisBytePosOfChar(text, 10), 5u);
    EXPECT_EQ(charIndexOfSjisBytePos(text, 3), 2u); // second byte of 表
    EXPECT_EQ(charIndexOfSjisBytePos(text, 4), 3u);
    EXPECT_EQ(charCount(text), 4u);
}

TEST(Codec, ComparesInShiftJisByteOrder)
{
    // In Unicode '一' (U+4E00) sorts before '亜' (U+4E9C); in code page 932
    // 亜 (0x889F) sorts before 一 (0x88EA).
    EXPECT_GT(compareSjis("一", "亜"), 0);
    EXPECT_LT(std::string("一").compare("亜"), 0);
    EXPECT_GT(compareSjis("ｱ", "あ"), 0); // 0xB1 > 0x82A0
    EXPECT_LT(compareSjis("A", "AB"), 0);
    EXPECT_EQ(compareSjis("表", "表"), 0);
    EXPECT_LT(compareSjis("①", "髙"), 0); // 0x8740 < 0xFBFC
}

TEST(Codec, MalformedUtf8IsAnError)
{
    EXPECT_THROW(sjisWidth("\xE3\x81"), CodecError);
    EXPECT_THROW(toSjis("\xFF"), CodecError);
}
