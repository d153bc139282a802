#include "core/z5StringList2.h"

#include "platform/codec.h"

namespace codec = platform::codec;

namespace {

// One pass over the text by code points. `keepBlanks` selects the stricter
// rules of TStringList2 (blanks belong to pieces; only codes below 32 are
// skipped).
class Splitter {
public:
    Splitter(std::string_view text, char delimiter, char quote, bool keepBlanks, bool trim)
        : text_(text.substr(0, text.find('\0')))
        , delim_(static_cast<unsigned char>(delimiter))
        , quote_(static_cast<unsigned char>(quote))
        , keepBlanks_(keepBlanks)
        , trim_(trim)
    {
    }

    TMojiArray run()
    {
        TMojiArray out;
        skipSeparatorsBetween();
        while (!atEnd()) {
            std::string piece = cur() == quote_ ? quoted() : unquoted();
            if (trim_)
                piece = trimmed(piece);
            out.push_back(std::move(piece));
            skipSeparatorsBetween();
            if (!atEnd() && cur() == delim_) {
                const std::size_t after = next(pos_);
                if (after >= text_.size())
                    out.emplace_back();
                pos_ = after;
                skipSeparatorsBetween();
            }
        }
        return out;
    }

private:
    bool atEnd() const { return pos_ >= text_.size(); }

    char32_t cur() const
    {
        std::size_t p = pos_;
        return codec::nextCodePoint(text_, p);
    }

    std::size_t next(std::size_t p) const
    {
        codec::nextCodePoint(text_, p);
        return p;
    }

    bool skipped(char32_t c) const { return c >= 1 && c <= (keepBlanks_ ? 31u : 32u); }

    void skipSeparatorsBetween()
    {
        while (!atEnd() && skipped(cur()))
            pos_ = next(pos_);
    }

    std::string unquoted()
    {
        const std::size_t start = pos_;
        while (!atEnd()) {
            const char32_t c = cur();
            if (c == delim_ || (keepBlanks_ ? c < 32 : c <= 32))
                break;
            pos_ = next(pos_);
        }
        return std::string(text_.substr(start, pos_ - start));
    }

    std::string quoted()
    {
        pos_ = next(pos_); // opening quote
        std::vector<char32_t> got;
        while (!atEnd()) {
            const char32_t c = cur();
            pos_ = next(pos_);
            if (c == quote_) {
                if (!atEnd() && cur() == quote_) {
                    got.push_back(c);
                    pos_ = next(pos_);
                    continue;
                }
                return encode(got);
            }
            got.push_back(c);
        }
        // No closing quote: the rest without its last character.
        if (!got.empty())
            got.pop_back();
        return encode(got);
    }

    static std::string encode(const std::vector<char32_t>& cps)
    {
        std::string s;
        for (char32_t c : cps)
            codec::appendUtf8(s, c);
        return s;
    }

    static std::string trimmed(const std::string& s)
    {
        std::size_t b = 0, e = s.size();
        while (b < e && static_cast<unsigned char>(s[b]) <= 32)
            ++b;
        while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32)
            --e;
        return s.substr(b, e - b);
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    char32_t delim_;
    char32_t quote_;
    bool keepBlanks_;
    bool trim_;
};

} // namespace

TMojiArray SplitDelimitedText(std::string_view text, char delimiter, char quoteChar)
{
    return Splitter(text, delimiter, quoteChar, false, false).run();
}

void TStringList2::SetCommaText2(std::string_view text)
{
    Delimiter = ',';
    QuoteChar = '"';
    SetDelimitedText2(text);
}

void TStringList2::SetDelimitedText2(std::string_view text)
{
    Strings = Splitter(text, Delimiter, QuoteChar, true, Trim).run();
}

void TMojiBunkatu::Bunkatu(std::string_view text)
{
    Clear();
    if (Mode == 1) {
        TStringList2 list;
        list.QuoteChar = '"';
        list.Delimiter = Delimiter;
        list.Trim = true;
        if (Delimiter == ',')
            list.SetCommaText2(text);
        else
            list.SetDelimitedText2(text);
        Pieces = std::move(list.Strings);
    } else {
        Pieces = SplitDelimitedText(text, Delimiter, '"');
    }
    if (Pieces.empty())
        Pieces.emplace_back();
    Count = static_cast<int>(Pieces.size());
}

void TMojiBunkatu::GetMoji(int index, std::string& out) const
{
    out.clear();
    if (index >= 0 && index < Count && static_cast<std::size_t>(index) < Pieces.size())
        out = Pieces[static_cast<std::size_t>(index)];
}

std::string TMojiBunkatu::GetMoji(int index) const
{
    std::string out;
    GetMoji(index, out);
    return out;
}

void TMojiBunkatu::Clear()
{
    Count = 0;
    Pieces.clear();
}
