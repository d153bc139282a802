#pragma once
// The stored-password scrambler (data password of a data set) and the
// protected-text calls used for the personal-number settings.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace core {

// Work record of the scrambler.
struct TEasyEncodeInfo {
    std::int32_t PadLength = 0; // plain text is filled up to this length
    std::int32_t TextLength = 0; // characters that unscrambling gives back
    std::string KeyWord;
    std::string PlainText;
    std::string EncodeText;
};

// Key word and lengths with which the data password is stored.
inline constexpr const char* kDataPasswordKey = "drosnel";
inline constexpr std::int32_t kDataPasswordLength = 8;

// Both lengths 0, both texts empty; the key word is kept.
void InitEasyEncodeInfo(TEasyEncodeInfo& info);
bool EasyEncode(TEasyEncodeInfo& info);
bool EasyDecode(TEasyEncodeInfo& info);

// A protected text that could not be encoded (not representable, too long)
// or a stored text that does not decode. Never answered as an empty text, so
// a damaged stored password cannot pass for "no password".
class EProtectTextError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Empty for an empty or blank text. The key word and length are accepted
// for the callers' sake and change nothing.
std::string EncodeProtectText(const std::string& text, const std::string& keyWord = {}, int length = 0);
std::string DecodeProtectText(const std::string& text, const std::string& keyWord = {}, int length = 0);

} // namespace core
