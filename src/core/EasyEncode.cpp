#include "core/EasyEncode.h"
#include "platform/plain_text.h"

#include "platform/codec.h"
#include "platform/text_protect.h"

#include <string_view>

namespace core {
namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyz";
constexpr int kAlphabetSize = 62;
constexpr std::size_t kMaxText = 255;

std::string cut255(const std::string& s)
{
    return s.size() > kMaxText ? s.substr(0, kMaxText) : s;
}

// Shared walk of both directions: sign +1 scrambles, -1 unscrambles. The
// shift sum runs over the whole text; it is not reset with the key word.
std::string shiftText(const std::string& in, const std::string& keyIn, int sign, std::size_t limit)
{
    const std::string key = cut255(keyIn);
    std::string out;
    long sum = 0;
    std::size_t p = 0;
    for (std::size_t i = 0; i < in.size() && i < limit; ++i) {
        if (p >= key.size())
            p = 0;
        if (!key.empty())
            sum += static_cast<unsigned char>(key[p]);
        const auto j = kAlphabet.find(in[i]);
        if (j == std::string_view::npos)
            break; // outside the alphabet: the rest is lost
        long k = (static_cast<long>(j) + sign * sum) % kAlphabetSize;
        if (k < 0)
            k += kAlphabetSize;
        out += kAlphabet[static_cast<std::size_t>(k)];
        ++p;
    }
    return out;
}

using platform::text::isBlank;

} // namespace

void InitEasyEncodeInfo(TEasyEncodeInfo& info)
{
    info.PadLength = 0;
    info.TextLength = 0;
    info.PlainText.clear();
    info.EncodeText.clear();
}

bool EasyEncode(TEasyEncodeInfo& info)
{
    std::string plain = cut255(info.PlainText);
    const int fill = info.PadLength - info.TextLength;
    for (int i = 0; i < fill && plain.size() < kMaxText; ++i)
        plain += static_cast<char>('A' + i % 26);
    info.EncodeText = shiftText(plain, info.KeyWord, +1, kMaxText);
    return true;
}

bool EasyDecode(TEasyEncodeInfo& info)
{
    const std::size_t limit = info.TextLength > 0 ? static_cast<std::size_t>(info.TextLength) : 0;
    info.PlainText = shiftText(cut255(info.EncodeText), info.KeyWord, -1, limit);
    return true;
}

std::string EncodeProtectText(const std::string& text, const std::string&, int)
{
    if (isBlank(text))
        return {};
    std::string sjis;
    try {
        sjis = platform::codec::toSjis(text);
    } catch (const platform::codec::CodecError& e) {
        throw EProtectTextError(std::string("EncodeProtectText: ") + e.what());
    }
    std::string encoded;
    if (!platform::text_protect::encodeBytes(sjis, encoded))
        throw EProtectTextError("EncodeProtectText: the text is too long to protect (" + std::to_string(sjis.size())
            + " bytes, at most " + std::to_string(platform::text_protect::maxPlainBytes()) + ")");
    return encoded;
}

std::string DecodeProtectText(const std::string& text, const std::string&, int)
{
    if (isBlank(text))
        return {};
    std::string sjis;
    if (!platform::text_protect::decodeBytes(text, sjis))
        throw EProtectTextError("DecodeProtectText: the stored text cannot be decoded");
    try {
        return platform::codec::fromSjis(sjis);
    } catch (const platform::codec::CodecError& e) {
        throw EProtectTextError(std::string("DecodeProtectText: ") + e.what());
    }
}

} // namespace core
