#include "print/Lumen808.h"

#include "print/EngineLog.h"
#include "print/PrintEngine.h"

#include "core/ProcessState.h"
#include "platform/atomic_file.h"
#include "platform/codec.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPrinterInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace print {

namespace {

using platform::text::upperAscii;

JobRunner* gDefaultRunner = nullptr;
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(gDefaultRunner);

std::string replaceAll(std::string s, char from, char to)
{
    for (char& c : s) {
        if (c == from)
            c = to;
    }
    return s;
}

// A CR or LF inside a field would split the record and let the rest be read
// as a record of its own (a page end, a FORM or IMAGE file).
std::string oneLine(std::string s)
{
    return replaceAll(replaceAll(std::move(s), '\r', ' '), '\n', ' ');
}

// The last `width` code page 932 bytes of a text, never starting inside a
// double-byte character (a character that would be split is left out and a
// blank takes its place).
std::string keepLastBytes(const std::string& utf8, std::size_t width)
{
    std::vector<std::pair<std::size_t, std::size_t>> chars; // utf8 offset, sjis width
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        const char32_t cp = platform::codec::nextCodePoint(utf8, pos);
        chars.emplace_back(start, platform::codec::sjisCharWidth(cp));
    }
    std::size_t used = 0;
    std::size_t from = utf8.size();
    for (auto it = chars.rbegin(); it != chars.rend(); ++it) {
        if (used + it->second > width)
            break;
        used += it->second;
        from = it->first;
    }
    return std::string(width - used, ' ') + utf8.substr(from);
}

} // namespace

JobRunner* defaultJobRunner()
{
    return gDefaultRunner ? gDefaultRunner : &engineRunner();
}
void setDefaultJobRunner(JobRunner* runner)
{
    gDefaultRunner = runner;
}

int pageNumberMarkers(std::string_view format)
{
    const std::string up = upperAscii(std::string(format));
    int n = 0;
    for (std::size_t p = up.find("%D"); p != std::string::npos; p = up.find("%D", p + 2))
        ++n;
    return n;
}

std::optional<std::string> formatPageNumber(std::string_view format, int first, int second)
{
    std::string out;
    int used = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out.push_back(format[i]);
            continue;
        }
        if (i + 1 >= format.size())
            return std::nullopt;
        const char d = format[++i];
        if (d == '%') {
            out.push_back('%');
        } else if (d == 'd' || d == 'D') {
            if (used >= 2)
                return std::nullopt;
            out += std::to_string(used == 0 ? first : second);
            ++used;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

int defaultPrinterIndex()
{
    if (!QGuiApplication::instance())
        return -1;
    const QStringList names = QPrinterInfo::availablePrinterNames();
    if (names.isEmpty())
        return -1;
    const QPrinterInfo def = QPrinterInfo::defaultPrinter();
    if (def.isNull())
        return -1;
    return static_cast<int>(names.indexOf(def.printerName()));
}

bool fontInstalled(const std::string& family)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    return QFontDatabase::families().contains(QString::fromStdString(family), Qt::CaseInsensitive);
}

TLumen808::TLumen808(JobRunner* runner)
    : runner_(runner)
{
    setOcrFontName("");
    PrinterNum = defaultPrinterIndex();
}

TLumen808::~TLumen808() = default;

void TLumen808::setOcrFontName(const std::string& name)
{
    if (!name.empty()) {
        if (fontInstalled(name))
            ocrFontName_ = name;
        return;
    }
    if (fontInstalled("OCR-B"))
        ocrFontName_ = "OCR-B";
    else if (fontInstalled("OCRB"))
        ocrFontName_ = "OCRB";
    else
        ocrFontName_ = "ＭＳ ゴシック";
}

void TLumen808::setCopie(int v)
{
    if (v >= 1 && v <= 99)
        copie_ = v;
}
void TLumen808::setZoom(int v)
{
    if (v >= 5 && v <= 20)
        zoom_ = v;
}
void TLumen808::setScale(int v)
{
    if (v >= 50 && v <= 150)
        scale_ = v;
}
void TLumen808::setPrintQuality(int v)
{
    if (v >= -4 && v <= 0)
        printQuality_ = v;
}
void TLumen808::setColorMode(int v)
{
    colorMode_ = (v >= 0 && v <= 2) ? v : 0;
}
void TLumen808::setDuplex(int v)
{
    if (v >= 0 && v <= 3)
        duplex_ = v;
}
void TLumen808::setCollate(int v)
{
    if (v == 0 || v == 1)
        collate_ = v;
}

namespace {
int ratioValue(int v)
{
    if (v >= -50 && v <= 50)
        return 1000 + v;
    if (v >= 950 && v <= 1050)
        return v;
    return 1000;
}
} // namespace

void TLumen808::setVRATIO(int v)
{
    vratio_ = ratioValue(v);
}
void TLumen808::setHRATIO(int v)
{
    hratio_ = ratioValue(v);
}

void TLumen808::setPageBangoFormat(const std::string& format)
{
    const int markers = pageNumberMarkers(format);
    if ((markers == 1 || markers == 2) && formatPageNumber(format, 1, 1)) {
        pageBangoFormat_ = format;
        pageBangoMarkers_ = markers;
        return;
    }
    PageBango = false;
    pageBangoFormat_ = "(%d/%d)";
    pageBangoMarkers_ = 2;
}

std::string TLumen808::MakeTempFileName(const std::string& folder)
{
    std::string templ = platform::paths::join(folder.empty() ? std::string(".") : folder, "~XXXXXX.TMP");
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    const int fd = ::mkstemps(buf.data(), 4);
    if (fd < 0)
        throw PrintDataError("一時ファイルを作成できません: " + templ + ": " + std::strerror(errno));
    ::close(fd);
    return std::string(buf.data());
}

void TLumen808::Open(bool useTempName)
{
    if (DocTitle.empty())
        DocTitle = std::filesystem::path(DataFile).stem().string();
    if (useTempName)
        DataFile = MakeTempFileName(platform::paths::folderOf(DataFile));
    if (DataFile.empty())
        throw PrintDataError("印刷ファイルの指定がありません。");
    buffer_.clear();
    try {
        platform::writeFileAtomically(DataFile, "", "印刷データ");
    } catch (const std::exception& e) {
        throw PrintDataError(std::string("印刷データを作成できません: ") + e.what());
    }
    open_ = true;
    headerWritten_ = false;
    WriteHeader();
}

void TLumen808::writeLine(const std::string& utf8)
{
    if (!open_)
        throw PrintDataError("印刷データが開かれていません: " + DataFile);
    try {
        buffer_ += platform::codec::toSjis(utf8);
    } catch (const platform::codec::CodecError& e) {
        throw PrintDataError(DataFile + ": " + e.what());
    }
    buffer_ += "\r\n";
}

void TLumen808::WriteHeader()
{
    if (headerWritten_)
        return;
    std::tm t {};
    if (dateClock_) {
        t = dateClock_();
    } else {
        const std::time_t now = std::time(nullptr);
        localtime_r(&now, &t);
    }
    char date[16];
    std::strftime(date, sizeof date, "%Y/%m/%d", &t);

    HeaderValues h;
    h.path = platform::paths::folderOf(platform::paths::normalize(DataFile));
    h.date = date;
    h.title = oneLine(Title);
    h.formFile = oneLine(FormFile);
    h.paperSize = PaperSize;
    h.outputPaper = OutPutPaper;
    h.orientation = Orientation;
    h.topMargin = TopMargin;
    h.leftMargin = LeftMargin;
    h.formTopMargin = FormTopMargin;
    h.formLeftMargin = FormLeftMargin;
    h.net1 = Colours.net1;
    h.net2 = Colours.net2;
    h.user1 = Colours.user1;
    h.user2 = Colours.user2;
    h.formPrint = PrintFom;
    h.copies = copie_;
    h.pageNoSwitch = PageBango;
    h.pageNoLeft = PageBangoLeft;
    h.pageNoTop = PageBangoTop;
    h.pageNoAlignment = static_cast<int>(pageBangoAlignment_);
    h.pageNoFormat = oneLine(pageBangoFormat_);
    for (const std::string& line : headerLines(h))
        writeLine(line);
    headerWritten_ = true;
}

std::string TLumen808::fitText(const std::string& text, const std::string& upperAlignment, int width)
{
    if (width <= 0 || upperAlignment == "CENTER")
        return text;
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t bytes = platform::codec::sjisWidth(text);
    const bool pad = width <= 126;
    if (upperAlignment == "RIGHT") {
        if (bytes < w)
            return pad ? std::string(w - bytes, ' ') + text : text;
        return bytes == w ? text : keepLastBytes(text, w);
    }
    if (bytes < w)
        return pad ? text + std::string(w - bytes, ' ') : text;
    // cutToWidth scans from the start, so a double-byte character is never halved
    return platform::codec::cutToWidth(text, w);
}

void TLumen808::AddText(int x, int y, const std::string& text, const std::string& fontName, int fontSize,
    const std::string& style, const std::string& colour, const std::string& background, const std::string& alignment,
    int width)
{
    const std::string align = upperAscii(oneLine(alignment));
    std::string bg = oneLine(background);
    const std::string upBg = upperAscii(bg);
    if (upBg == "ON" || upBg == "OFF")
        bg = "1";
    const std::string body = fitText(replaceAll(oneLine(text), ';', ':'), align, width);
    writeLine("TEXT;" + std::to_string(x) + ";" + std::to_string(y) + ";" + body + ";" + oneLine(fontName) + ";"
        + std::to_string(fontSize) + ";" + oneLine(style) + ";" + oneLine(colour) + ";" + bg + ";" + align + ";0;0;");
}

void TLumen808::AddLine(int x1, int y1, int x2, int y2, int width, int penStyle, const std::string& colour, bool eline)
{
    writeLine(std::string(eline ? "ELINE" : "LINE") + ";" + std::to_string(x1) + ";" + std::to_string(y1) + ";"
        + std::to_string(x2) + ";" + std::to_string(y2) + ";" + std::to_string(width) + ";" + std::to_string(penStyle)
        + ";" + oneLine(colour) + ";");
}

void TLumen808::AddBox(int x1, int y1, int x2, int y2, int penWidth, int penStyle, const std::string& penColour,
    const std::string& brushColour, int brushStyle)
{
    writeLine("BOX;" + std::to_string(x1) + ";" + std::to_string(y1) + ";" + std::to_string(x2) + ";"
        + std::to_string(y2) + ";" + std::to_string(penWidth) + ";" + std::to_string(penStyle) + ";"
        + oneLine(penColour) + ";" + oneLine(brushColour) + ";" + std::to_string(brushStyle) + ";");
}

void TLumen808::NewPage()
{
    ++PageNo;
    if (BlankPage != 0)
        AddBox(100, 100, 101, 101, 0, 0, "黒", "白", 1);
    writeLine("E;");
}

void TLumen808::Close()
{
    if (!open_)
        return;
    open_ = false;
    headerWritten_ = false;
    std::string bytes;
    bytes.swap(buffer_);
    try {
        platform::writeFileAtomically(DataFile, bytes, "印刷データ");
    } catch (const std::exception& e) {
        throw PrintDataError(std::string("印刷データを書き込めません: ") + e.what());
    }
}

TP808DEF TLumen808::makeJob() const
{
    TP808DEF j;
    j.FormFile = FormFile;
    j.DataFile = DataFile;
    j.Title = Title;
    j.PaperName = PaperName;
    j.DocName = !DocTitle.empty() ? DocTitle : !Title.empty() ? Title : std::string("LUMEN808-") + kEngineVersion;
    j.PrinterNum = PrinterNum;
    j.PaperSize = PaperSize;
    j.OutPutPaper = OutPutPaper;
    j.Orientation = Orientation;
    j.Scale = scale_;
    j.Copie = copie_;
    j.PrintQuality = printQuality_;
    j.ColorMode = colorMode_;
    j.Duplex = duplex_;
    j.Collate = collate_;
    j.TopMargin = TopMargin;
    j.LeftMargin = LeftMargin;
    j.EvenShift = EvenLeftMargin != 0 ? EvenLeftMargin - LeftMargin : 0;
    j.TopCorrect = TopCorrect;
    j.LeftCorrect = LeftCorrect;
    j.FormTopMargin = FormTopMargin;
    j.FormLeftMargin = FormLeftMargin;
    j.Colours = Colours;
    j.PrintFom = PrintFom;
    j.PrnDlg = PrnDlg;
    j.Zoom = zoom_;
    j.SizeChange = SizeChange;
    j.ImageOut = ImageOut;
    j.CurrentPage = CurrentPage;
    j.PrevPaperButton = PrevPaperButton;
    j.NextPaperButton = NextPaperButton;
    j.ModeSw = ModeSw;
    j.PaperLength = PaperLength;
    j.PaperWidth = PaperWidth;
    j.Permit = Permit;
    j.VRATIO = vratio_;
    j.HRATIO = hratio_;
    j.GrayScale = GrayScale;
    j.PageBango.Switch = PageBango;
    j.PageBango.Left = PageBangoLeft;
    j.PageBango.Top = PageBangoTop;
    j.PageBango.Alignment = static_cast<int>(pageBangoAlignment_);
    j.PageBango.FontName = PageBangoFontName;
    j.PageBango.FontSize = PageBangoFontSize;
    j.PageBango.Format = pageBangoFormat_;
    j.PageBango.PageNoCount = pageBangoMarkers_;
    return j;
}

void TLumen808::finishRun()
{
    if (DelFile) {
        std::error_code ec;
        std::filesystem::remove(DataFile, ec);
        std::filesystem::remove(platform::paths::join(platform::paths::folderOf(DataFile), "CHART.WMF"), ec);
    }
    const JobRunner* r = runner_ ? runner_ : defaultJobRunner();
    PrinterNum = r->selectedPrinter();
    copie_ = r->selectedCopies();
    PageBango = false;
    DocTitle.clear();
}

bool TLumen808::Preview()
{
    JobRunner* r = runner_ ? runner_ : defaultJobRunner();
    TP808DEF job = makeJob();
    try {
        previewCloseNum_ = r->runPreview(job);
    } catch (...) {
        finishRun(); // the data file is not left behind
        throw;
    }
    finishRun();
    return previewCloseNum_ != 0;
}

bool TLumen808::Print()
{
    JobRunner* r = runner_ ? runner_ : defaultJobRunner();
    TP808DEF job = makeJob();
    try {
        previewCloseNum_ = r->runPrint(job) != 0 ? 1 : 0;
    } catch (...) {
        finishRun();
        throw;
    }
    finishRun();
    return previewCloseNum_ != 0;
}

} // namespace print
