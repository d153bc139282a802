#include "platform/text_protect.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

using namespace platform::text_protect;

namespace {

struct Buffers {
    std::array<char, kBufferSize> in {}, out {}, work {};
    explicit Buffers(const std::string& s) { std::memcpy(in.data(), s.data(), s.size()); }
};

} // namespace

TEST(TextProtect, EncodeThenDecodeGivesTheBytesBackUnderBothEncodeCodes)
{
    const std::string plain = "\x8A\xC7\x97\x9D 1234"; // code page 932 bytes
    for (const char* code : {kEncodeCode, kEncodeCodeOld}) {
        Buffers enc(plain);
        ASSERT_EQ(P_Check1(enc.in.data(), code, enc.out.data(), enc.work.data()), 1);
        const std::string encoded(enc.out.data());
        for (unsigned char c : encoded)
            EXPECT_TRUE(c >= 0x21 && c < 0x7F) << "not printable ASCII";
        Buffers dec(encoded);
        ASSERT_EQ(P_Check1(dec.in.data(), kDecodeCode, dec.out.data(), dec.work.data()), 1);
        EXPECT_EQ(std::string(dec.out.data()), plain);
    }
}

TEST(TextProtect, ResultsStayWithinTheBufferAtTheLongestInput)
{
    const std::size_t n = maxPlainBytes();
    ASSERT_GT(n, 100u);
    std::string encoded, plain;
    ASSERT_TRUE(encodeBytes(std::string(n, '\xFF'), encoded));
    EXPECT_LE(encoded.size(), kBufferSize - 1);
    ASSERT_TRUE(decodeBytes(encoded, plain));
    EXPECT_EQ(plain, std::string(n, '\xFF'));
    EXPECT_FALSE(encodeBytes(std::string(n + 1, 'a'), encoded));
}

TEST(TextProtect, UnknownCodeAndForeignTextAnswerZero)
{
    Buffers b("abc");
    EXPECT_EQ(P_Check1(b.in.data(), "999", b.out.data(), b.work.data()), 0);
    EXPECT_EQ(P_Check1(b.in.data(), kDecodeCode, b.out.data(), b.work.data()), 0);
    EXPECT_EQ(b.out[0], '\0');
}

TEST(TextProtect, EqualTextsOfDifferentLengthsDoNotShareAPrefix)
{
    std::string a, b;
    ASSERT_TRUE(encodeBytes("1234", a));
    ASSERT_TRUE(encodeBytes("12345", b));
    EXPECT_NE(a.substr(0, 6), b.substr(0, 6));
}
