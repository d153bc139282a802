#include "platform/codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>

namespace platform::codec {
namespace {

// One converter per direction and thread; iconv_open is expensive and a
// descriptor is not safe to share between threads.
class Converter {
public:
    Converter(const char* to, const char* from)
        : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw CodecError(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of `in`; on failure returns false and sets failedAt to
    // the input offset of the character that could not be converted.
    bool convert(std::string_view in, std::string& out, std::size_t& failedAt)
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr); // reset shift state
        out.assign(in.size() * 2 + 4, '\0');
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char* dst = out.data();
        std::size_t dstLeft = out.size();
        while (srcLeft > 0) {
            if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1))
                continue;
            if (errno == E2BIG) {
                const std::size_t used = out.size() - dstLeft;
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dstLeft = out.size() - used;
                continue;
            }
            failedAt = in.size() - srcLeft;
            return false;
        }
        out.resize(out.size() - dstLeft);
        return true;
    }

private:
    iconv_t cd_;
};

Converter& encoder()
{
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

Converter& decoder()
{
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

bool isAscii(std::string_view s)
{
    for (unsigned char ch : s)
        if (ch >= 0x80)
            return false;
    return true;
}

std::string hexBytes(std::string_view s, std::size_t at, std::size_t count)
{
    std::string text;
    for (std::size_t i = at; i < s.size() && i < at + count; ++i) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned char>(s[i]));
        if (!text.empty())
            text += ' ';
        text += buf;
    }
    return text;
}

} // namespace

char32_t nextCodePoint(std::string_view s, std::size_t& pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b0 = byte(pos);
    int extra = 0;
    char32_t cp = 0;
    if (b0 < 0x80) {
        ++pos;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
    } else {
        throw CodecError("malformed UTF-8 at byte " + std::to_string(pos));
    }
    for (int i = 1; i <= extra; ++i) {
        if (pos + i >= s.size() || (byte(pos + i) & 0xC0) != 0x80)
            throw CodecError("malformed UTF-8 at byte " + std::to_string(pos));
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    pos += extra + 1;
    return cp;
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string toSjis(std::string_view utf8)
{
    if (isAscii(utf8))
        return std::string(utf8);
    std::string out;
    std::size_t failedAt = 0;
    if (encoder().convert(utf8, out, failedAt))
        return out;
    // Name the character that code page 932 cannot hold.
    std::size_t pos = failedAt;
    std::string what;
    try {
        const char32_t cp = nextCodePoint(utf8, pos);
        char buf[16];
        std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
        what = std::string("character \"") + std::string(utf8.substr(failedAt, pos - failedAt)) + "\" (" + buf + ")";
    } catch (const CodecError&) {
        what = "malformed UTF-8 bytes " + hexBytes(utf8, failedAt, 4);
    }
    throw CodecError("cannot convert to Shift-JIS (CP932): " + what + " at byte " + std::to_string(failedAt));
}

std::string fromSjis(std::string_view sjis)
{
    if (isAscii(sjis))
        return std::string(sjis);
    std::string out;
    std::size_t failedAt = 0;
    if (decoder().convert(sjis, out, failedAt))
        return out;
    throw CodecError(
        "malformed Shift-JIS (CP932) bytes " + hexBytes(sjis, failedAt, 2) + " at byte " + std::to_string(failedAt));
}

bool isRepresentable(std::string_view utf8)
{
    if (isAscii(utf8))
        return true;
    std::string out;
    std::size_t failedAt = 0;
    return encoder().convert(utf8, out, failedAt);
}

bool isSjisLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::size_t sjisCharWidth(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F) || cp == 0x00A5 || cp == 0x203E)
        return 1;
    return 2;
}

std::size_t sjisWidth(std::string_view utf8)
{
    std::size_t width = 0;
    for (std::size_t pos = 0; pos < utf8.size();)
        width += sjisCharWidth(nextCodePoint(utf8, pos));
    return width;
}

std::string cutToWidth(std::string_view utf8, std::size_t maxBytes)
{
    std::size_t width = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t next = pos;
        const std::size_t w = sjisCharWidth(nextCodePoint(utf8, next));
        if (width + w > maxBytes)
            break;
        width += w;
        pos = next;
    }
    return std::string(utf8.substr(0, pos));
}

std::string padToWidth(std::string_view utf8, std::size_t width, char pad, bool padLeft)
{
    std::string cut = cutToWidth(utf8, width);
    const std::string fill(width - sjisWidth(cut), pad);
    return padLeft ? fill + cut : cut + fill;
}

std::size_t sjisBytePosOfChar(std::string_view utf8, std::size_t charIndex)
{
    std::size_t bytes = 0;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < charIndex && pos < utf8.size(); ++i)
        bytes += sjisCharWidth(nextCodePoint(utf8, pos));
    return bytes;
}

std::size_t charIndexOfSjisBytePos(std::string_view utf8, std::size_t bytePos)
{
    std::size_t bytes = 0;
    std::size_t index = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t w = sjisCharWidth(nextCodePoint(utf8, pos));
        if (bytePos < bytes + w)
            return index;
        bytes += w;
        ++index;
    }
    return index;
}

std::size_t charCount(std::string_view utf8)
{
    std::size_t n = 0;
    for (std::size_t pos = 0; pos < utf8.size(); ++n)
        nextCodePoint(utf8, pos);
    return n;
}

int compareSjis(std::string_view a, std::string_view b)
{
    const bool aOk = isRepresentable(a);
    const bool bOk = isRepresentable(b);
    if (aOk && bOk) {
        const std::string sa = toSjis(a);
        const std::string sb = toSjis(b);
        const int c = std::memcmp(sa.data(), sb.data(), std::min(sa.size(), sb.size()));
        if (c != 0)
            return c < 0 ? -1 : 1;
        return sa.size() < sb.size() ? -1 : (sa.size() > sb.size() ? 1 : 0);
    }
    if (aOk != bOk)
        return aOk ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace platform::codec
