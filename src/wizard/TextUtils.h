#pragma once
// Character codes of the first and last character of a text as code page
// 932 counts them: a double-byte character is one character, coded lead
// byte * 256 + trail byte; a single-byte character is its byte.

#include <cstdint>
#include <string_view>

// 0 for an empty text (or one that code page 932 cannot hold).
std::uint32_t FirstCharCode(std::string_view utf8);
std::uint32_t LastCharCode(std::string_view utf8);
