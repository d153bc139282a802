#pragma once
// Cutting a delimited text into numbered pieces.
//
// TMojiBunkatu keeps the pieces of the last text it was given and hands
// them out by index, an index out of range giving the empty text, so that a
// caller can read the seventh field of a record line without testing the
// count first. Both rule sets step through the text by whole characters, so
// no multi-byte character is ever taken for the delimiter.

#include <string>
#include <string_view>
#include <vector>

using TMojiArray = std::vector<std::string>;

// The string-list comma-text / delimited-text rules: leading blanks and
// control characters are skipped, a blank ends an unquoted piece, a quoted
// piece keeps delimiters and blanks (a doubled quote is one quote; an
// unclosed quote takes the rest but its last character), a delimiter that
// is the last character adds one empty piece.
TMojiArray SplitDelimitedText(std::string_view text, char delimiter, char quoteChar = '"');

// A string list with the stricter pair of delimited-text setters: blanks
// stay inside pieces, only control characters are skipped, and with Trim
// set every piece is trimmed of blanks and control characters.
class TStringList2 {
public:
    TMojiArray Strings;
    char Delimiter = ',';
    char QuoteChar = '"';
    bool Trim = false;

    // Delimiter ",", quote '"', then SetDelimitedText2.
    void SetCommaText2(std::string_view text);
    // Replaces the items by the pieces of text.
    void SetDelimitedText2(std::string_view text);

    int Count() const { return static_cast<int>(Strings.size()); }
    void Clear() { Strings.clear(); }
};

class TMojiBunkatu {
public:
    char Delimiter = ',';
    TMojiArray Pieces;
    int Count = 0;
    // 0 string-list rules, 1 TStringList2 rules with trimming.
    unsigned char Mode = 0;

    TMojiBunkatu() { Clear(); }

    // Replaces the pieces by those of text; afterwards Count >= 1 (an empty
    // text gives one empty piece).
    void Bunkatu(std::string_view text);
    // out is emptied, then receives piece index when 0 <= index < Count.
    void GetMoji(int index, std::string& out) const;
    // The same as a value.
    std::string GetMoji(int index) const;
    void Clear();
};
