#include "core/TextRoutines.h"

#include "core/MessageService.h"
#include "platform/codec.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <unistd.h>

namespace codec = platform::codec;

namespace {

constexpr char32_t kZenkakuSpace = 0x3000;

std::vector<char32_t> toCodePoints(std::string_view text)
{
    std::vector<char32_t> cps;
    std::size_t pos = 0;
    while (pos < text.size())
        cps.push_back(codec::nextCodePoint(text, pos));
    return cps;
}

std::string fromCodePoints(const std::vector<char32_t>& cps, std::size_t from = 0, std::size_t to = std::string::npos)
{
    std::string out;
    to = std::min(to, cps.size());
    for (std::size_t i = from; i < to; ++i)
        codec::appendUtf8(out, cps[i]);
    return out;
}

bool isTrimmed(char32_t c)
{
    return c <= 0x20 || c == kZenkakuSpace;
}

} // namespace

bool IsSJISLeadByte(unsigned char b)
{
    return platform::codec::isSjisLeadByte(b);
}

bool IsSJISTrailByte(unsigned char b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

std::string RepairMBCSBreak(std::string_view sjisBytes)
{
    std::string out(sjisBytes);
    bool lead = false;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto b = static_cast<unsigned char>(out[i]);
        if (!lead) {
            lead = IsSJISLeadByte(b);
            if (lead && i + 1 == out.size())
                out[i] = ' ';
        } else {
            if (!IsSJISTrailByte(b)) {
                out[i - 1] = ' ';
                out[i] = ' ';
            }
            lead = false;
        }
    }
    return out;
}

std::string TrimZenkaku(std::string_view text)
{
    const auto cps = toCodePoints(text);
    std::size_t first = 0, last = cps.size();
    while (first < last && isTrimmed(cps[first]))
        ++first;
    while (last > first && isTrimmed(cps[last - 1]))
        --last;
    return fromCodePoints(cps, first, last);
}

std::string DeleteAllSpace(std::string_view text)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char32_t c = codec::nextCodePoint(text, pos);
        if (c != U' ' && c != kZenkakuSpace)
            codec::appendUtf8(out, c);
    }
    return out;
}

std::string DeleteTabCrLf(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\t' && c != '\r' && c != '\n')
            out += c;
    return out;
}

std::string ZenkakuAlphaUpper(std::string_view text)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        char32_t c = codec::nextCodePoint(text, pos);
        if (c >= 0xFF41 && c <= 0xFF5A) // ａ..ｚ -> Ａ..Ｚ
            c -= 0x20;
        codec::appendUtf8(out, c);
    }
    return out;
}

// ---------------------------------------------------------------------------
// Width mapping tables.

namespace {

// Half-width katakana U+FF61..U+FF9F and their full-width forms.
const char32_t kHalfKanaToFull[63] = {
    0x3002,
    0x300C,
    0x300D,
    0x3001,
    0x30FB,
    0x30F2,
    0x30A1,
    0x30A3,
    0x30A5,
    0x30A7,
    0x30A9,
    0x30E3,
    0x30E5,
    0x30E7,
    0x30C3,
    0x30FC,
    0x30A2,
    0x30A4,
    0x30A6,
    0x30A8,
    0x30AA,
    0x30AB,
    0x30AD,
    0x30AF,
    0x30B1,
    0x30B3,
    0x30B5,
    0x30B7,
    0x30B9,
    0x30BB,
    0x30BD,
    0x30BF,
    0x30C1,
    0x30C4,
    0x30C6,
    0x30C8,
    0x30CA,
    0x30CB,
    0x30CC,
    0x30CD,
    0x30CE,
    0x30CF,
    0x30D2,
    0x30D5,
    0x30D8,
    0x30DB,
    0x30DE,
    0x30DF,
    0x30E0,
    0x30E1,
    0x30E2,
    0x30E4,
    0x30E6,
    0x30E8,
    0x30E9,
    0x30EA,
    0x30EB,
    0x30EC,
    0x30ED,
    0x30EF,
    0x30F3,
    0x309B,
    0x309C,
};

bool takesDakuten(char32_t full)
{
    return (full >= 0x30AB && full <= 0x30C8 && full != 0x30C3) // カ..ト
        || (full >= 0x30CF && full <= 0x30DB && (full - 0x30CF) % 3 == 0) // ハ..ホ
        || full == 0x30A6; // ウ -> ヴ
}

bool takesHandakuten(char32_t full)
{
    return full >= 0x30CF && full <= 0x30DB && (full - 0x30CF) % 3 == 0;
}

char32_t withDakuten(char32_t full)
{
    return full == 0x30A6 ? 0x30F4 : full + 1;
}

void toFullWidth(std::vector<char32_t>& cps)
{
    std::vector<char32_t> out;
    out.reserve(cps.size());
    for (std::size_t i = 0; i < cps.size(); ++i) {
        const char32_t c = cps[i];
        if (c == U' ') {
            out.push_back(kZenkakuSpace);
        } else if (c >= 0x21 && c <= 0x7E) {
            out.push_back(c - 0x21 + 0xFF01);
        } else if (c >= 0xFF61 && c <= 0xFF9F) {
            char32_t full = kHalfKanaToFull[c - 0xFF61];
            const char32_t next = i + 1 < cps.size() ? cps[i + 1] : 0;
            if (next == 0xFF9E && takesDakuten(full)) {
                full = withDakuten(full);
                ++i;
            } else if (next == 0xFF9F && takesHandakuten(full)) {
                full += 2;
                ++i;
            }
            out.push_back(full);
        } else {
            out.push_back(c);
        }
    }
    cps.swap(out);
}

void toHalfWidth(std::vector<char32_t>& cps)
{
    std::vector<char32_t> out;
    out.reserve(cps.size());
    for (char32_t c : cps) {
        if (c == kZenkakuSpace) {
            out.push_back(U' ');
            continue;
        }
        if (c >= 0xFF01 && c <= 0xFF5E) {
            out.push_back(c - 0xFF01 + 0x21);
            continue;
        }
        bool done = false;
        for (int k = 0; k < 63 && !done; ++k) {
            const char32_t full = kHalfKanaToFull[k];
            const char32_t half = 0xFF61 + static_cast<char32_t>(k);
            if (c == full) {
                out.push_back(half);
                done = true;
            } else if (takesDakuten(full) && c == withDakuten(full)) {
                out.push_back(half);
                out.push_back(0xFF9E);
                done = true;
            } else if (takesHandakuten(full) && c == full + 2) {
                out.push_back(half);
                out.push_back(0xFF9F);
                done = true;
            }
        }
        if (!done)
            out.push_back(c);
    }
    cps.swap(out);
}

} // namespace

std::string MapStringLocale(std::uint32_t flags, std::string_view text)
{
    auto cps = toCodePoints(text);
    if (flags & LCMAP_FULLWIDTH)
        toFullWidth(cps);
    else if (flags & LCMAP_HALFWIDTH)
        toHalfWidth(cps);
    for (char32_t& c : cps) {
        if (flags & LCMAP_UPPERCASE) {
            if ((c >= U'a' && c <= U'z') || (c >= 0xFF41 && c <= 0xFF5A))
                c -= 0x20;
        } else if (flags & LCMAP_LOWERCASE) {
            if ((c >= U'A' && c <= U'Z') || (c >= 0xFF21 && c <= 0xFF3A))
                c += 0x20;
        }
        if ((flags & LCMAP_HIRAGANA) && c >= 0x30A1 && c <= 0x30F6)
            c -= 0x60;
        else if ((flags & LCMAP_KATAKANA) && c >= 0x3041 && c <= 0x3096)
            c += 0x60;
    }
    std::string out = fromCodePoints(cps);
    // The mapped text and its terminating zero must fit in 256 bytes.
    if (codec::sjisWidth(out) > 255)
        return {};
    return out;
}

// ---------------------------------------------------------------------------

std::string SpaceStr(int n)
{
    if (n <= 0 || n > 510)
        return {};
    return std::string(static_cast<std::size_t>(n), ' ');
}

std::string FixLeftStr(std::string_view text, int n)
{
    if (n <= 0)
        return {};
    const std::size_t width = codec::sjisWidth(text);
    const auto want = static_cast<std::size_t>(n);
    if (width >= want) {
        // A two-byte character cut in two leaves a blank in its place.
        std::string cut = codec::cutToWidth(text, want);
        cut.append(want - codec::sjisWidth(cut), ' ');
        return cut;
    }
    return std::string(text) + SpaceStr(static_cast<int>(want - width));
}

std::string FixRightStr(std::string_view text, int n)
{
    if (n <= 0)
        return {};
    const auto want = static_cast<std::size_t>(n);
    const std::size_t width = codec::sjisWidth(text);
    if (width < want)
        return SpaceStr(static_cast<int>(want - width)) + std::string(text);
    const auto cps = toCodePoints(text);
    std::size_t first = cps.size();
    std::size_t taken = 0;
    while (first > 0) {
        const std::size_t w = codec::sjisCharWidth(cps[first - 1]);
        if (taken + w > want)
            break;
        taken += w;
        --first;
    }
    // The trail half of a two-byte character cannot stand alone: a blank.
    return std::string(want - taken, ' ') + fromCodePoints(cps, first);
}

std::string ZeroPadStr(std::string_view text, int n)
{
    return FixRightStr(std::string(256, '0') + std::string(text), n);
}

std::string IntToCommaStr(std::int64_t value)
{
    const bool negative = value < 0;
    // Work on the unsigned magnitude so the most negative value formats too.
    std::uint64_t mag = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits = std::to_string(mag);
    std::string out;
    const std::size_t len = digits.size();
    for (std::size_t i = 0; i < len; ++i) {
        if (i > 0 && (len - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return negative ? "-" + out : out;
}

int SplitToArray(std::string_view text, std::string_view sep, std::vector<std::string>& table)
{
    const std::size_t comment = text.find("//");
    if (comment != std::string_view::npos)
        text = text.substr(0, comment);
    if (text.empty())
        return 0;
    std::vector<std::string> pieces;
    if (!sep.empty()) {
        std::size_t at;
        while ((at = text.find(sep)) != std::string_view::npos) {
            pieces.emplace_back(text.substr(0, at));
            text.remove_prefix(at + sep.size());
        }
    }
    pieces.emplace_back(text);
    if (table.size() < pieces.size())
        table.resize(pieces.size());
    for (std::size_t i = 0; i < pieces.size(); ++i)
        table[i] = std::move(pieces[i]);
    return static_cast<int>(pieces.size()) - 1;
}

namespace {

// Lines as a string list reads them: CR, LF or CR LF end a line; a final
// line break does not start an empty line.
std::vector<std::string> readLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

bool sameTextAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

std::string GetTokenStr(std::string_view text, std::string_view sep, int n)
{
    std::string replaced;
    if (sep.empty()) {
        replaced = text;
    } else {
        std::size_t pos = 0, at;
        while ((at = text.find(sep, pos)) != std::string_view::npos) {
            replaced.append(text.substr(pos, at - pos));
            replaced += "\r\n";
            pos = at + sep.size();
        }
        replaced.append(text.substr(pos));
    }
    const auto lines = readLines(replaced);
    if (n < 1 || static_cast<std::size_t>(n) > lines.size())
        return {};
    return lines[static_cast<std::size_t>(n - 1)];
}

std::string GetNameValueLine(std::string_view lines, std::string_view name)
{
    if (lines.empty() || name.empty())
        return {};
    for (const std::string& line : readLines(lines)) {
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos && sameTextAscii(std::string_view(line).substr(0, eq), name))
            return line;
    }
    return {};
}

std::string CommaTextJoin(std::string_view text)
{
    std::vector<std::string> table(51);
    const int n = SplitToArray(text, ",", table);
    std::string out;
    for (int i = 0; i <= n; ++i) {
        out += table[static_cast<std::size_t>(i)];
        out += '\r';
    }
    return out;
}

int CommaTextMessage(std::string_view text, std::uint8_t kind)
{
    std::vector<std::string> table(51);
    const int n = SplitToArray(text, ",", table);
    TMessage2InfoRec rec;
    InitMessage2Info(kind, rec);
    rec.buttons = msgbtn::OK;
    // The box has ten lines; pieces beyond the tenth share the last line.
    const std::size_t lineCount = rec.lines.size();
    for (int i = 0; i <= n; ++i) {
        const auto idx = static_cast<std::size_t>(i);
        const std::size_t line = std::min(idx, lineCount - 1);
        if (idx >= lineCount)
            rec.lines[line].text += '\r';
        rec.lines[line].text += table[idx];
    }
    return ShowMessage2(rec);
}

void SetFlagBit(int& flags, int n)
{
    if (n < 1 || n > 24)
        return;
    flags = static_cast<int>(static_cast<std::uint32_t>(flags) | (1u << (n - 1)));
}

int GetFlagBit(int flags, int n)
{
    const unsigned shift = static_cast<unsigned>(n - 1) & 31u;
    return static_cast<int>((static_cast<std::uint32_t>(flags) >> shift) & 1u);
}

Currency RoundCurrency(int mode, Currency amount)
{
    const Currency q = amount / CurrencyScale; // truncates toward zero
    const Currency rem = amount % CurrencyScale;
    Currency yen = q;
    if (mode == 0) {
        yen = q;
    } else if (mode == 2) {
        if (rem != 0)
            yen = amount > 0 ? q + 1 : q - 1;
    } else {
        if (rem >= CurrencyScale / 2)
            yen = q + 1;
        else if (rem <= -CurrencyScale / 2)
            yen = q - 1;
    }
    constexpr Currency maxYen = std::numeric_limits<Currency>::max() / CurrencyScale;
    if (yen > maxYen || yen < -maxYen)
        throw std::overflow_error("RoundCurrency: amount out of range");
    return yen * CurrencyScale;
}

namespace {

// A key prepared once for the sort: code page 932 bytes, or (for a text the
// code page cannot hold) its UTF-8 bytes ordered after every convertible key,
// as compareSjis orders them.
struct PreparedKey {
    bool foreign = false;
    std::string bytes;
};

PreparedKey prepare(const std::string& key)
{
    PreparedKey k;
    if (codec::isRepresentable(key)) {
        k.bytes = codec::toSjis(key);
    } else {
        k.foreign = true;
        k.bytes = key;
    }
    return k;
}

int compareKeys(const PreparedKey& a, const PreparedKey& b)
{
    if (a.foreign != b.foreign)
        return a.foreign ? 1 : -1;
    return a.bytes.compare(b.bytes) < 0 ? -1 : (a.bytes == b.bytes ? 0 : 1);
}

void hoare(TQSORT* table, std::vector<PreparedKey>& keys, int base, int l, int r)
{
    while (l < r) {
        const PreparedKey pivot = keys[static_cast<std::size_t>((l + r) / 2 - base)];
        int i = l, j = r;
        do {
            while (compareKeys(keys[static_cast<std::size_t>(i - base)], pivot) < 0)
                ++i;
            while (compareKeys(keys[static_cast<std::size_t>(j - base)], pivot) > 0)
                --j;
            if (i <= j) {
                std::swap(table[i], table[j]);
                std::swap(keys[static_cast<std::size_t>(i - base)], keys[static_cast<std::size_t>(j - base)]);
                ++i;
                --j;
            }
        } while (i <= j);
        // Recurse into the smaller side, loop over the larger one.
        if (j - l < r - i) {
            if (l < j)
                hoare(table, keys, base, l, j);
            l = i;
        } else {
            if (i < r)
                hoare(table, keys, base, i, r);
            r = j;
        }
    }
}

} // namespace

void QuickSortRec(TQSORT* table, int l, int r)
{
    if (table == nullptr || l >= r || l < 0)
        return;
    std::vector<PreparedKey> keys;
    keys.reserve(static_cast<std::size_t>(r - l + 1));
    for (int i = l; i <= r; ++i)
        keys.push_back(prepare(table[i].Key));
    hoare(table, keys, l, l, r);
}

void QuickSortRec(std::vector<TQSORT>& table, int l, int r)
{
    if (table.empty())
        return;
    l = std::max(l, 0);
    r = std::min(r, static_cast<int>(table.size()) - 1);
    QuickSortRec(table.data(), l, r);
}

int ColorToGray(int colour)
{
    const int rgb = colour & 0xFFFFFF;
    if (rgb == 0xFFFFFF || rgb == 0)
        return colour;
    const int r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
    const int sum = r + g + b;
    const int grey = (sum + 1) / 3; // round(sum / 3): thirds never tie
    return grey | (grey << 8) | (grey << 16);
}

std::string GetPCName()
{
    if (ConnectMode == 2)
        return SysDef.WinUserName.empty() ? std::string("ANONYMOUS") : SysDef.WinUserName;
    char buf[200] = {};
    if (gethostname(buf, sizeof buf - 1) != 0 || buf[0] == '\0')
        return "PCNAME-ERROR";
    return buf;
}
