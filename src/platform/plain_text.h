#pragma once
// Small routines on plain texts: ASCII case, whole-text numbers and lines
// as a string list takes and gives them.

#include <string>
#include <vector>

namespace platform::text {

// ASCII a-z turned into A-Z; every other byte unchanged (so UTF-8 and code
// page 932 texts keep their multi-byte characters).
std::string upperAscii(std::string s);
// ASCII A-Z turned into a-z; every other byte unchanged.
std::string lowerAscii(std::string s);

// The whole text read as a decimal int; fallback when it is empty, holds
// anything else, or is out of range.
int toIntOr(const std::string& s, int fallback);

// What to do with the piece after the last line break.
enum class LastLine {
    DropEmpty, // as a string list takes its text: "a\r\n" is one line
    Keep, // every piece: "a\r\n" is "a" and "", "" is one empty line
};

// The text split at CR LF, CR or LF.
std::vector<std::string> splitLines(const std::string& text, LastLine last = LastLine::DropEmpty);

// Every line followed by CR LF (as a string list gives its text).
std::string joinLines(const std::vector<std::string>& lines);

// The ASCII blanks (space, tab, CR, LF) of the trimming helpers below; the
// full-width space is TrimZenkaku's (core/TextRoutines.h).
inline constexpr const char* kAsciiBlanks = " \t\r\n";

// True when the text holds nothing but ASCII blanks.
bool isBlank(const std::string& s);

// The text without ASCII blanks at either end.
std::string trimBlanks(const std::string& s);

} // namespace platform::text
