#include "print/PrintData.h"

#include "platform/codec.h"
#include "platform/plain_text.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace print {

namespace {

using platform::text::toIntOr;
using platform::text::upperAscii;

std::string withoutQuotes(std::string_view line)
{
    std::string s;
    s.reserve(line.size() + 1);
    for (char c : line) {
        if (c != '"')
            s.push_back(c);
    }
    return s;
}

struct KindName {
    std::string_view text;
    RecordKind kind;
};
constexpr std::array<KindName, 26> kKinds {{
    {"E", RecordKind::PageEnd},
    {"ORIENTATION", RecordKind::Orientation},
    {"LEFTMARGIN", RecordKind::LeftMargin},
    {"TOPMARGIN", RecordKind::TopMargin},
    {"MESSAGE", RecordKind::Message},
    {"FORM", RecordKind::Form},
    {"TEXT", RecordKind::Text},
    {"NTEXT", RecordKind::NText},
    {"UTEXT", RecordKind::UText},
    {"VTEXT", RecordKind::VText},
    {"@", RecordKind::Variable},
    {"MEMO", RecordKind::Memo},
    {"BP", RecordKind::BP},
    {"LINEB", RecordKind::LineB},
    {"LINE", RecordKind::Line},
    {"ELINE", RecordKind::ELine},
    {"BOX", RecordKind::Box},
    {"SLINE", RecordKind::SLine},
    {"RRECT", RecordKind::RRect},
    {"FRECT", RecordKind::FRect},
    {"MARUMOJI", RecordKind::MaruMoji},
    {"CIRCLE", RecordKind::Circle},
    {"IMAGE", RecordKind::Image},
    {"CHART", RecordKind::Chart},
    {"&", RecordKind::VarDef},
    {"$", RecordKind::TotalDef},
}};

const std::string kEmpty;

} // namespace

RecordKind kindFromText(std::string_view upperKind)
{
    for (const auto& k : kKinds) {
        if (k.text == upperKind)
            return k.kind;
    }
    return RecordKind::Unknown;
}

const char* kindName(RecordKind kind)
{
    for (const auto& k : kKinds) {
        if (k.kind == kind)
            return k.text.data();
    }
    return "";
}

Record::Record(std::string_view line)
{
    std::string s = withoutQuotes(line);
    if (s.empty() || s.back() != ';')
        s.push_back(';');
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == ';') {
            fields_.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    kindText_ = upperAscii(fields_.empty() ? std::string() : fields_[0]);
    disabled_ = !kindText_.empty() && kindText_[0] == '*';
    kind_ = disabled_ ? RecordKind::Unknown : kindFromText(kindText_);
}

const std::string& Record::field(std::size_t n) const
{
    return n < fields_.size() ? fields_[n] : kEmpty;
}

int Record::number(std::size_t n, int fallback) const
{
    return toIntOr(field(n), fallback);
}

bool isPageEnd(std::string_view line)
{
    // Read as a record so that counting, seeking and drawing can never
    // disagree about where a page ends.
    return Record(line).kind() == RecordKind::PageEnd;
}

// ---------------------------------------------------------------------------

namespace {

struct NamedColour {
    std::string_view name;
    Colour colour;
};
// The sixteen named colours, in the order of their codes 0-15.
constexpr std::array<NamedColour, 16> kNamed {{
    {"黒", rgb(0, 0, 0)},
    {"栗", rgb(128, 0, 0)},
    {"緑", rgb(0, 128, 0)},
    {"黄緑", rgb(128, 128, 0)},
    {"濃紺", rgb(0, 0, 128)},
    {"紫", rgb(128, 0, 128)},
    {"暗青緑", rgb(0, 128, 128)},
    {"灰", rgb(128, 128, 128)},
    {"銀", rgb(192, 192, 192)},
    {"赤", rgb(255, 0, 0)},
    {"濃緑", rgb(0, 255, 0)},
    {"青", rgb(0, 0, 255)},
    {"赤紫", rgb(255, 0, 255)},
    {"空", rgb(0, 255, 255)},
    {"白", rgb(255, 255, 255)},
    {"黄", rgb(255, 255, 0)},
}};
// Classic Windows scheme: desktop, active caption, inactive caption, menu,
// window, window frame, menu text, window text, caption text, active border,
// inactive border, application workspace, highlight, highlight text, button
// face, button shadow, grey text, button text, inactive caption text,
// button highlight.
constexpr std::array<Colour, 20> kSystemColours {{
    rgb(0, 128, 128),
    rgb(0, 0, 128),
    rgb(128, 128, 128),
    rgb(192, 192, 192),
    rgb(255, 255, 255),
    rgb(0, 0, 0),
    rgb(0, 0, 0),
    rgb(0, 0, 0),
    rgb(255, 255, 255),
    rgb(192, 192, 192),
    rgb(192, 192, 192),
    rgb(128, 128, 128),
    rgb(0, 0, 128),
    rgb(255, 255, 255),
    rgb(192, 192, 192),
    rgb(128, 128, 128),
    rgb(128, 128, 128),
    rgb(0, 0, 0),
    rgb(192, 192, 192),
    rgb(255, 255, 255),
}};

} // namespace

Colour systemColour(int index1to20)
{
    if (index1to20 < 1 || index1to20 > 20)
        return 0;
    return kSystemColours[static_cast<std::size_t>(index1to20 - 1)];
}

Colour colourFromField(std::string_view field, const JobColours& job)
{
    for (const auto& n : kNamed) {
        if (n.name == field)
            return n.colour;
    }
    if (field == "薄網掛")
        return job.net1;
    if (field == "濃網掛")
        return job.net2;
    const std::string up = upperAscii(std::string(field));
    const std::pair<const char*, Colour> latin[] = {
        {"UCOLOR1", job.user1},
        {"UCOLOR2", job.user2},
        {"OCRGREEN", job.ocrGreen},
        {"OCRBLUE", job.ocrBlue},
        {"OCRBROWN", job.ocrBrown},
        {"OCRPINK", job.ocrPink},
        {"OCRORANGE", job.ocrOrange},
        {"OCRVIOLET", job.ocrViolet},
        {"OCRPURPLE", job.ocrPurple},
    };
    for (const auto& [name, colour] : latin) {
        if (up == name)
            return colour;
    }
    const int code = toIntOr(std::string(field), 0);
    if (code >= 0 && code <= 15)
        return kNamed[static_cast<std::size_t>(code)].colour;
    if (code >= 16 && code <= 35)
        return systemColour(code - 15);
    switch (code) {
    case 40:
        return job.net1;
    case 41:
        return job.net2;
    case 42:
        return job.user1;
    case 43:
        return job.user2;
    default:
        return static_cast<Colour>(code);
    }
}

FontStyle styleFromCode(std::string_view code, bool upperCase)
{
    const std::string c = upperCase ? upperAscii(std::string(code)) : std::string(code);
    static const char* const kCodes[] = {"B", "I", "U", "S", "BI", "BU", "BS", "IU", "IS", "BIU", "BIS"};
    FontStyle s;
    if (c == "DU") {
        s.underline = true;
        s.doubleUnderline = true;
        return s;
    }
    for (const char* k : kCodes) {
        if (c == k) {
            s.bold = c.find('B') != std::string::npos;
            s.italic = c.find('I') != std::string::npos;
            s.underline = c.find('U') != std::string::npos;
            s.strikeOut = c.find('S') != std::string::npos;
            return s;
        }
    }
    return s;
}

std::optional<Colour> backgroundFromField(std::string_view field, const JobColours& job)
{
    const std::string up = upperAscii(std::string(field));
    if (up == "1" || up == "OFF")
        return std::nullopt;
    if (up == "ON")
        return rgb(255, 255, 255);
    const Colour c = colourFromField(field, job);
    if (c <= 15)
        return std::nullopt;
    return c;
}

Alignment alignmentFromField(std::string_view field)
{
    const std::string up = upperAscii(std::string(field));
    if (up == "CENTER" || up == "1")
        return Alignment::Center;
    if (up == "RIGHT" || up == "2" || up == "BOTTOM")
        return Alignment::Right;
    return Alignment::Left;
}

PenStyle penStyleFromNumber(int n)
{
    return n >= 0 && n <= 6 ? static_cast<PenStyle>(n) : PenStyle::Solid;
}

BrushStyle brushStyleFromNumber(int n)
{
    return n >= 0 && n <= 7 ? static_cast<BrushStyle>(n) : BrushStyle::Solid;
}

// ---------------------------------------------------------------------------

std::string colourHex(Colour c)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%06X", static_cast<unsigned>(c & 0xFFFFFF));
    return buf;
}

std::vector<std::string> headerLines(const HeaderValues& v)
{
    const auto num = [](const char* key, int n) { return std::string(key) + std::to_string(n); };
    const auto flag = [](const char* key, bool b) { return std::string(key) + (b ? "TRUE" : "FALSE"); };
    return {
        std::string(kFileMark) + std::string(60, '*'),
        "*[SETTING]",
        "*PATH=" + v.path,
        std::string("*VERSION=") + kEngineVersion,
        "*DATE=" + v.date,
        "*TITLE=" + v.title,
        "*FORMFILE=" + v.formFile,
        num("*PAPERSIZE=", v.paperSize),
        num("*OUTPUTPAPER=", v.outputPaper),
        num("*ORIENTATION=", v.orientation),
        num("*TOPMARGIN=", v.topMargin),
        num("*LEFTMARGIN=", v.leftMargin),
        num("*FORMTOPMARGIN=", v.formTopMargin),
        num("*FORMLEFTMARGIN=", v.formLeftMargin),
        "*NETC1=" + colourHex(v.net1),
        "*NETC2=" + colourHex(v.net2),
        "*USERC1=" + colourHex(v.user1),
        "*USERC2=" + colourHex(v.user2),
        flag("*FORMPRINT=", v.formPrint),
        num("*COPIES=", v.copies),
        flag("*PAGENOSWITCH=", v.pageNoSwitch),
        num("*PAGENOLEFT=", v.pageNoLeft),
        num("*PAGENOTOP=", v.pageNoTop),
        num("*PAGENOALIGNMENT=", v.pageNoAlignment),
        "*PAGENOFORMAT=" + v.pageNoFormat,
        std::string(61, '*') + "LUMEN808*",
    };
}

// ---------------------------------------------------------------------------

std::vector<std::string> readLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw PrintDataError("印刷データを読めません: " + path);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw PrintDataError("印刷データを読めません: " + path);
    std::vector<std::string> lines = platform::text::splitLines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        try {
            lines[i] = platform::codec::fromSjis(lines[i]);
        } catch (const platform::codec::CodecError& e) {
            throw PrintDataError(
                path + " の " + std::to_string(i + 1) + " 行目が Shift-JIS ではありません: " + e.what());
        }
    }
    return lines;
}

bool hasFileMark(const std::vector<std::string>& lines)
{
    return !lines.empty() && lines.front().compare(0, kFileMark.size(), kFileMark) == 0;
}

PageSplit::PageSplit(std::vector<std::string> lines)
    : lines_(std::move(lines))
{
    std::size_t begin = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (isPageEnd(lines_[i])) {
            pages_.push_back({begin, i, true});
            begin = i + 1;
        }
    }
    pages_.push_back({begin, lines_.size(), false});
}

std::vector<std::string_view> PageSplit::page(int n) const
{
    if (n < 1 || n > pageCount())
        throw std::out_of_range("page " + std::to_string(n) + " outside 1.." + std::to_string(pageCount()));
    const Range& r = pages_[static_cast<std::size_t>(n - 1)];
    std::vector<std::string_view> out;
    out.reserve(r.end - r.begin);
    for (std::size_t i = r.begin; i < r.end; ++i)
        out.emplace_back(lines_[i]);
    return out;
}

bool PageSplit::endedByPageEnd(int n) const
{
    if (n < 1 || n > pageCount())
        return false;
    return pages_[static_cast<std::size_t>(n - 1)].closed;
}

} // namespace print
