#pragma once
// The print-data file: the text a caller writes to describe its pages and
// the engine reads to draw them (also the grammar of form files).
//
// On disk the file is code page 932 with CR LF; in memory every line is
// UTF-8. Byte rules (text widths, double-byte tests) are measured in code
// page 932 bytes through platform/codec.
//
// Positions and sizes are in 0.1 mm from the paper's top-left corner;
// colours are 0x00BBGGRR.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace print {

using Colour = std::uint32_t; // 0x00BBGGRR

constexpr Colour rgb(int r, int g, int b)
{
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int redOf(Colour c)
{
    return static_cast<int>(c & 0xFF);
}
constexpr int greenOf(Colour c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int blueOf(Colour c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}

inline constexpr const char* kEngineVersion = "VCL.2.5";
inline constexpr std::string_view kFileMark = "*LUMEN808*"; // first 10 characters of an accepted file

// Raised when a print-data or form file cannot be read or written; the
// message names the file.
class PrintDataError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---------------------------------------------------------------------------
// Records

enum class RecordKind {
    Unknown, // header lines, disabled records, anything not listed
    PageEnd, // E
    Orientation,
    LeftMargin,
    TopMargin,
    Message,
    Form,
    Text,
    NText,
    UText,
    VText,
    Variable, // @
    Memo,
    BP,
    LineB,
    Line,
    ELine,
    Box,
    SLine,
    RRect,
    FRect,
    MaruMoji,
    Circle,
    Image,
    Chart,
    VarDef, // & (form files)
    TotalDef, // $ (form files)
};

// One line read as a record: double quotes removed, a final ";" supplied,
// split on ";". kind() is the upper-cased first field; a "*" in front of the
// kind disables the record (kind Unknown, disabled() true).
class Record {
public:
    explicit Record(std::string_view line);

    RecordKind kind() const noexcept { return kind_; }
    const std::string& kindText() const noexcept { return kindText_; }
    bool disabled() const noexcept { return disabled_; }

    // Field n after the kind (1-based, as the tables number them); missing
    // fields read as "".
    const std::string& field(std::size_t n) const;
    // Field n as a decimal integer; empty or non-numeric gives fallback.
    int number(std::size_t n, int fallback = 0) const;
    std::size_t fieldCount() const noexcept { return fields_.size(); }

private:
    std::vector<std::string> fields_; // fields_[0] is the kind as written
    std::string kindText_;
    RecordKind kind_ = RecordKind::Unknown;
    bool disabled_ = false;
};

RecordKind kindFromText(std::string_view upperKind);
const char* kindName(RecordKind kind);

// The one page-end test of the engine, used alike by counting, seeking and
// drawing: the line's first field, double quotes removed and upper-cased,
// is "E" ("E;", "e;", "E" and "E;x" all end a page; "*E;" and "EX;" do not).
bool isPageEnd(std::string_view line);

// ---------------------------------------------------------------------------
// Field vocabularies

// The job colours that colour names and codes 40-43 and the OCR names refer to.
struct JobColours {
    Colour net1 = rgb(192, 192, 192);
    Colour net2 = rgb(192, 192, 192);
    Colour user1 = 0;
    Colour user2 = 0;
    Colour ocrGreen = rgb(0, 190, 44);
    Colour ocrBlue = rgb(31, 102, 172);
    Colour ocrPink = rgb(240, 2, 127);
    Colour ocrBrown = rgb(77, 35, 35);
    Colour ocrOrange = rgb(254, 179, 65);
    Colour ocrViolet = rgb(87, 61, 144);
    Colour ocrPurple = rgb(130, 26, 116);
};

// A colour field: a colour name (Japanese names exactly, Latin names in any
// case), a colour code (0-15 the sixteen colours, 16-35 the fixed system
// colour stand-ins, 40-43 the job's net and user colours, any other number
// the value itself), anything else 0.
Colour colourFromField(std::string_view field, const JobColours& job);

// Colour codes 16 to 35 stand for the twenty Windows system colours. Nothing
// in this system writes them; they map to the classic Windows scheme.
Colour systemColour(int index1to20);

struct FontStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool doubleUnderline = false; // "DU": underline plus a second line below
    bool operator==(const FontStyle&) const = default;
};
// B, I, U, S, BI, BU, BS, IU, IS, BIU, BIS (letters in this order) and DU;
// anything else is plain. With upperCase the code is upper-cased first
// (every record but "@").
FontStyle styleFromCode(std::string_view code, bool upperCase = true);

// Text background: nullopt = transparent ("1", "OFF", or a colour of 15 or
// less); "ON" is white; anything else is a colour field.
std::optional<Colour> backgroundFromField(std::string_view field, const JobColours& job);

enum class Alignment { Left = 0, Center = 1, Right = 2 };
// "CENTER" or "1" centre; "RIGHT", "2" or "BOTTOM" right; else left.
Alignment alignmentFromField(std::string_view field);

enum class PenStyle { Solid = 0, Dash, Dot, DashDot, DashDotDot, None, InsideFrame };
enum class BrushStyle { Solid = 0, None, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross };
PenStyle penStyleFromNumber(int n); // outside 0-6: solid
BrushStyle brushStyleFromNumber(int n); // outside 0-7: solid

// ---------------------------------------------------------------------------
// Header

struct HeaderValues {
    std::string path; // folder of the data file, no trailing "/"
    std::string date; // yyyy/mm/dd
    std::string title;
    std::string formFile;
    int paperSize = 9;
    int outputPaper = 0;
    int orientation = 0;
    int topMargin = 0;
    int leftMargin = 0;
    int formTopMargin = 0;
    int formLeftMargin = 0;
    Colour net1 = 0, net2 = 0, user1 = 0, user2 = 0;
    bool formPrint = true;
    int copies = 1;
    bool pageNoSwitch = false;
    int pageNoLeft = 0;
    int pageNoTop = 0;
    int pageNoAlignment = 2;
    std::string pageNoFormat;
};

// The 26 header lines (UTF-8, without line ends).
std::vector<std::string> headerLines(const HeaderValues& v);

// "$" and six upper-case hexadecimal digits of 0xBBGGRR.
std::string colourHex(Colour c);

// ---------------------------------------------------------------------------
// Whole files

// Reads a code page 932 text file into UTF-8 lines (CR LF, CR or LF).
// Throws PrintDataError naming the file (and the line, for bytes that are
// not code page 932).
std::vector<std::string> readLines(const std::string& path);

// True when the first 10 characters of the file are "*LUMEN808*".
bool hasFileMark(const std::vector<std::string>& lines);

// A file cut into pages at its page ends. The page-end lines are not part
// of any page; header lines belong to page 1. A file that ends with a page
// end has an empty last page.
class PageSplit {
public:
    PageSplit() = default;
    explicit PageSplit(std::vector<std::string> lines);

    int pageCount() const noexcept { return static_cast<int>(pages_.size()); }
    // Lines of page n (1-based). Throws std::out_of_range outside 1..pageCount.
    std::vector<std::string_view> page(int n) const;
    // Whether page n was closed by a page-end line (false for the last page).
    bool endedByPageEnd(int n) const;
    const std::vector<std::string>& lines() const noexcept { return lines_; }

private:
    struct Range {
        std::size_t begin, end;
        bool closed;
    };
    std::vector<std::string> lines_;
    std::vector<Range> pages_;
};

} // namespace print
