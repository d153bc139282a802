#include "core/EasyEncode.h"

#include <gtest/gtest.h>

#include <string>

using namespace core;

namespace {

TEasyEncodeInfo info(int pad, int len, std::string key, std::string plain = {}, std::string enc = {})
{
    TEasyEncodeInfo r;
    r.PadLength = pad;
    r.TextLength = len;
    r.KeyWord = std::move(key);
    r.PlainText = std::move(plain);
    r.EncodeText = std::move(enc);
    return r;
}

std::string scramble(int pad, int len, const std::string& key, const std::string& plain)
{
    auto r = info(pad, len, key, plain);
    EXPECT_TRUE(EasyEncode(r));
    return r.EncodeText;
}

std::string unscramble(int len, const std::string& key, const std::string& enc)
{
    auto r = info(0, len, key, {}, enc);
    EXPECT_TRUE(EasyDecode(r));
    return r.PlainText;
}

} // namespace

TEST(EasyEncode, PinnedVectorWithTheDataPasswordKey)
{
    // 'A' shifted by 100 ('d') -> index 38 'c'; 'B' by 100+114 -> 29 '3'.
    EXPECT_EQ(scramble(2, 2, kDataPasswordKey, "AB"), "c3");
    EXPECT_EQ(unscramble(2, kDataPasswordKey, "c3"), "AB");
}

TEST(EasyEncode, EveryDataPasswordOfUpToEightCharactersRoundTrips)
{
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyz";
    unsigned seed = 12345;
    for (int n = 0; n < 2000; ++n) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t len = (seed >> 16) % 9;
        std::string pw;
        for (std::size_t i = 0; i < len; ++i) {
            seed = seed * 1103515245u + 12345u;
            pw += alphabet[(seed >> 16) % alphabet.size()];
        }
        const auto enc = scramble(8, 8, kDataPasswordKey, pw);
        ASSERT_EQ(enc.size(), pw.size()) << pw;
        ASSERT_EQ(unscramble(8, kDataPasswordKey, enc), pw);
    }
}

TEST(EasyEncode, FillerLettersPadTheTextAndAreDroppedOnDecode)
{
    const auto enc = scramble(10, 6, "key", "abc123");
    ASSERT_EQ(enc.size(), 10u);
    auto r = info(0, 10, "key", {}, enc);
    EasyDecode(r);
    EXPECT_EQ(r.PlainText, "abc123ABCD");
    EXPECT_EQ(unscramble(6, "key", enc), "abc123");
}

TEST(EasyEncode, EmptyKeyWordIsTheIdentity)
{
    EXPECT_EQ(scramble(5, 5, "", "Hello"), "Hello");
}

TEST(EasyEncode, CharactersOutsideTheAlphabetEndTheText)
{
    EXPECT_EQ(scramble(0, 0, kDataPasswordKey, "ab-cd").size(), 2u);
    EXPECT_EQ(unscramble(0, kDataPasswordKey, "c3"), "");
}

TEST(EasyEncode, ShiftKeepsGrowingWhenTheKeyWordRepeats)
{
    // With key "A" (65) each position shifts 65 more than the one before,
    // so a run of equal letters scrambles to different letters.
    const auto enc = scramble(4, 4, "A", "AAAA");
    EXPECT_NE(enc[0], enc[1]);
    EXPECT_NE(enc[1], enc[2]);
}

TEST(EasyEncode, InitKeepsTheKeyWord)
{
    auto r = info(8, 8, "drosnel", "x", "y");
    InitEasyEncodeInfo(r);
    EXPECT_EQ(r.PadLength, 0);
    EXPECT_EQ(r.TextLength, 0);
    EXPECT_EQ(r.PlainText, "");
    EXPECT_EQ(r.EncodeText, "");
    EXPECT_EQ(r.KeyWord, "drosnel");
}

TEST(ProtectText, JapaneseTextRoundTrips)
{
    for (const std::string t : {"1234-5678-9012", "管理者パスワード①", " 前後に空白 ", "ｶﾅ"}) {
        const auto enc = EncodeProtectText(t, "ignored", 99);
        EXPECT_NE(enc, t);
        EXPECT_LE(enc.size(), 255u);
        EXPECT_EQ(DecodeProtectText(enc), t);
    }
}

TEST(ProtectText, BlankTextGivesEmptyWithoutEncoding)
{
    EXPECT_EQ(EncodeProtectText(""), "");
    EXPECT_EQ(EncodeProtectText("   "), "");
    EXPECT_EQ(DecodeProtectText(" "), "");
}

TEST(ProtectText, UndecodableStoredTextIsAnErrorNotAnEmptyPassword)
{
    const auto enc = EncodeProtectText("secret");
    std::string damaged = enc;
    damaged[damaged.size() - 2] = damaged[damaged.size() - 2] == 'A' ? 'B' : 'A';
    for (const auto& bad : {std::string("plain text"), damaged, enc.substr(0, enc.size() - 1)})
        EXPECT_THROW(DecodeProtectText(bad), EProtectTextError) << bad;
}

TEST(ProtectText, TooLongOrUnrepresentableTextIsRefused)
{
    EXPECT_THROW(EncodeProtectText(std::string(250, 'x')), EProtectTextError);
    EXPECT_THROW(EncodeProtectText("é"), EProtectTextError);
}
