#include "platform/text_protect.h"

#include <array>
#include <cstring>

namespace platform::text_protect {
namespace {

// Encoded form: marker, then unpadded base64 (URL alphabet) of the
// scrambled bytes followed by a 16-bit check of the plain bytes.
constexpr std::string_view kMarker = "P1$";
constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr std::size_t kCheckBytes = 2;

std::size_t encodedLength(std::size_t plainBytes)
{
    const std::size_t raw = plainBytes + kCheckBytes;
    return kMarker.size() + (raw * 4 + 2) / 3;
}

// Keystream: xorshift32 seeded by the text length, so texts of different
// lengths never share a stream prefix.
class KeyStream {
public:
    explicit KeyStream(std::size_t length)
        : state_(0x9E3779B9u ^ static_cast<std::uint32_t>(length * 0x85EBCA6Bu))
    {
        if (state_ == 0)
            state_ = 0x2545F491u;
    }
    unsigned char next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<unsigned char>(state_ >> 24);
    }

private:
    std::uint32_t state_;
};

std::uint16_t checkValue(std::string_view bytes)
{
    std::uint32_t h = 2166136261u;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 16777619u;
    }
    return static_cast<std::uint16_t>((h >> 16) ^ (h & 0xFFFFu));
}

int alphabetIndex(char c)
{
    const auto pos = kAlphabet.find(c);
    return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

std::string base64(std::string_view raw)
{
    std::string out;
    std::uint32_t acc = 0;
    int bits = 0;
    for (unsigned char c : raw) {
        acc = (acc << 8) | c;
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            out += kAlphabet[(acc >> bits) & 0x3F];
        }
    }
    if (bits > 0)
        out += kAlphabet[(acc << (6 - bits)) & 0x3F];
    return out;
}

bool unbase64(std::string_view text, std::string& raw)
{
    raw.clear();
    std::uint32_t acc = 0;
    int bits = 0;
    for (char c : text) {
        const int v = alphabetIndex(c);
        if (v < 0)
            return false;
        acc = (acc << 6) | static_cast<std::uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            raw += static_cast<char>((acc >> bits) & 0xFF);
        }
    }
    // Leftover bits must be zero padding of the last character.
    return bits < 6 && (acc & ((1u << bits) - 1)) == 0;
}

bool encodeImpl(std::string_view plain, std::string& encoded)
{
    if (plain.size() > maxPlainBytes())
        return false;
    std::string raw(plain);
    KeyStream ks(plain.size());
    for (auto& c : raw)
        c = static_cast<char>(static_cast<unsigned char>(c) ^ ks.next());
    const std::uint16_t check = checkValue(plain);
    raw += static_cast<char>(check >> 8);
    raw += static_cast<char>(check & 0xFF);
    encoded = std::string(kMarker) + base64(raw);
    return true;
}

bool decodeImpl(std::string_view encoded, std::string& plain)
{
    if (encoded.substr(0, kMarker.size()) != kMarker)
        return false;
    std::string raw;
    if (!unbase64(encoded.substr(kMarker.size()), raw) || raw.size() < kCheckBytes)
        return false;
    const std::size_t n = raw.size() - kCheckBytes;
    if (encodedLength(n) != encoded.size())
        return false;
    std::string out = raw.substr(0, n);
    KeyStream ks(n);
    for (auto& c : out)
        c = static_cast<char>(static_cast<unsigned char>(c) ^ ks.next());
    const std::uint16_t stored = static_cast<std::uint16_t>(
        (static_cast<unsigned char>(raw[n]) << 8) | static_cast<unsigned char>(raw[n + 1]));
    if (stored != checkValue(out) || out.find('\0') != std::string::npos)
        return false;
    plain = std::move(out);
    return true;
}

} // namespace

std::size_t maxPlainBytes()
{
    std::size_t n = 0;
    while (encodedLength(n + 1) <= kBufferSize - 1)
        ++n;
    return n;
}

std::int32_t P_Check1(const char* input, const char* code, char* output, char* work)
{
    if (input == nullptr || code == nullptr || output == nullptr)
        return 0;
    if (work != nullptr)
        std::memset(work, 0, kBufferSize);
    std::memset(output, 0, kBufferSize);
    const std::string_view in(input, ::strnlen(input, kBufferSize));
    if (in.size() >= kBufferSize)
        return 0; // not zero-terminated within the buffer
    const std::string_view op(code);
    std::string result;
    bool ok = false;
    if (op == kEncodeCode || op == kEncodeCodeOld)
        ok = encodeImpl(in, result);
    else if (op == kDecodeCode)
        ok = decodeImpl(in, result);
    if (!ok || result.size() >= kBufferSize)
        return 0;
    std::memcpy(output, result.data(), result.size());
    return 1;
}

namespace {

// Runs text through P_Check1 with op; false for text the buffer cannot take
// (a NUL, too long) and when the routine refuses it.
bool checkThrough(std::string_view text, const char* op, std::string& result)
{
    if (text.find('\0') != std::string_view::npos || text.size() >= kBufferSize)
        return false;
    std::array<char, kBufferSize> in {}, out {}, work {};
    std::memcpy(in.data(), text.data(), text.size());
    if (P_Check1(in.data(), op, out.data(), work.data()) != 1)
        return false;
    result.assign(out.data());
    return true;
}

} // namespace

bool encodeBytes(std::string_view plain, std::string& encoded)
{
    return checkThrough(plain, kEncodeCode, encoded);
}

bool decodeBytes(std::string_view encoded, std::string& plain)
{
    return checkThrough(encoded, kDecodeCode, plain);
}

} // namespace platform::text_protect
