#pragma once
// Code page 932 (Windows Shift-JIS) at the program's boundaries.
//
// Inside the program every text is UTF-8. Every byte that enters or leaves
// (database, ini files, XML, logs, scripts, network) is code page 932 and is
// converted here and nowhere else. The measuring helpers answer in code page
// 932 bytes without converting, so fixed-width fields and sort keys behave as
// they do on Shift-JIS data.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform::codec {

// A text that cannot cross the boundary: a character code page 932 cannot
// hold, or bytes that are not well-formed code page 932 / UTF-8.
class CodecError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// UTF-8 -> code page 932 bytes. Throws CodecError naming the offending
// character and its position.
std::string toSjis(std::string_view utf8);

// Code page 932 bytes -> UTF-8. Throws CodecError on malformed bytes.
std::string fromSjis(std::string_view sjis);

// True when toSjis would succeed.
bool isRepresentable(std::string_view utf8);

// Lead byte of a two-byte code page 932 character.
bool isSjisLeadByte(unsigned char byte);

// Width in code page 932 bytes of one Unicode code point (1 for ASCII,
// half-width katakana, U+00A5 and U+203E; 2 otherwise).
std::size_t sjisCharWidth(char32_t codePoint);

// Width of a UTF-8 text in code page 932 bytes.
std::size_t sjisWidth(std::string_view utf8);

// The longest prefix whose code page 932 width is at most maxBytes; a
// two-byte character that would be split is left out whole.
std::string cutToWidth(std::string_view utf8, std::size_t maxBytes);

// cutToWidth, then filled with `pad` up to exactly width bytes. With
// padLeft the fill goes in front (right-aligned fields).
std::string padToWidth(std::string_view utf8, std::size_t width, char pad = ' ', bool padLeft = false);

// Byte offset, in code page 932, at which the character with index
// charIndex (0-based, counted in characters) starts. An index past the end
// answers the full width.
std::size_t sjisBytePosOfChar(std::string_view utf8, std::size_t charIndex);

// Character index that holds code page 932 byte offset bytePos (the
// character a byte position falls in; past the end answers the count).
std::size_t charIndexOfSjisBytePos(std::string_view utf8, std::size_t bytePos);

// Number of characters (code points) of a UTF-8 text.
std::size_t charCount(std::string_view utf8);

// Compares two UTF-8 texts in code page 932 byte order (as memcmp over
// their Shift-JIS bytes would): <0, 0, >0. Texts that cannot be converted
// compare by their UTF-8 bytes after all convertible ones.
int compareSjis(std::string_view a, std::string_view b);

// Decodes the code point at `pos` of a UTF-8 text and advances pos.
// Malformed input throws CodecError.
char32_t nextCodePoint(std::string_view utf8, std::size_t& pos);

// Appends the UTF-8 form of a code point.
void appendUtf8(std::string& out, char32_t codePoint);

} // namespace platform::codec
