#pragma once
// TLumen808: the print component. A caller sets its properties, opens a
// print-data file, writes pages of TEXT, LINE and BOX records, closes the
// file and previews or prints the job. The job record TP808DEF carries the
// settings to the preview and the print loop.

#include "print/PrintData.h"

#include <ctime>
#include <functional>
#include <memory>
#include <string>

namespace print {

// Page-number settings of a job.
struct TPAGEBANGO {
    bool Switch = false;
    int Left = 0;
    int Top = 0;
    int Alignment = 2; // 0 left, 1 centre, 2 right
    std::string FontName = "ＭＳ 明朝";
    int FontSize = 10;
    std::string Format = "(%d/%d)";
    int PageNoCount = 2; // number of "%D" markers in Format
};

// The job record handed to the preview and the print loop. Texts are
// std::string (no fixed lengths, so long paths are never cut).
struct TP808DEF {
    std::string FormFile;
    std::string DataFile;
    std::string Title;
    std::string DeviceName;
    std::string FormName;
    std::string DocName;
    int PrinterNum = -1;
    int PaperSize = 0;
    int OutPutPaper = 0;
    int VRATIO = 1000;
    int HRATIO = 1000;
    std::string PaperName = "A4";
    int Orientation = 0;
    int TopMargin = 0;
    int LeftMargin = 0;
    int EvenShift = 0;
    int TopCorrect = 0;
    int LeftCorrect = 0;
    int FormTopMargin = 0;
    int FormLeftMargin = 0;
    int DefaultSource = 7;
    JobColours Colours;
    bool PrintFom = true;
    bool PrnDlg = true;
    int Zoom = 10;
    bool SizeChange = false;
    bool ImageOut = false;
    bool CurrentPage = true;
    bool PrevPaperButton = false;
    bool NextPaperButton = false;
    bool ModeSw = false;
    int PaperLength = 2970;
    int PaperWidth = 2100;
    int Scale = 100;
    int Copie = 1;
    int PrintQuality = -4;
    int ColorMode = 0;
    int Duplex = 1;
    int Collate = 0;
    int YResolution = 0;
    bool Permit = true;
    bool GrayScale = false;
    int DevModeFields = 0;
    TPAGEBANGO PageBango;
};

// What TLumen808 hands a finished job to: the preview window and the print
// loop (and, in tests, a recording fake).
class JobRunner {
public:
    virtual ~JobRunner() = default;
    // Close code of the preview: 0 = closed by "中止" (or the close box with
    // the paper buttons shown), 1 = closed otherwise, -1/1 = previous/next form.
    virtual int runPreview(TP808DEF& job) = 0;
    // -1 = printed (not cancelled), 0 = not printed.
    virtual int runPrint(TP808DEF& job) = 0;
    // The printer index and copies now selected, read back after a run.
    virtual int selectedPrinter() const = 0;
    virtual int selectedCopies() const = 0;
};

// The runner TLumen808 uses when none is given: the one installed, else the
// engine's own preview and print loop.
JobRunner* defaultJobRunner();
void setDefaultJobRunner(JobRunner* runner);

// Formats a page-number text: every "%d" (any case) takes the next number,
// "%%" gives "%". Any other directive, or more directives than numbers,
// gives nullopt; a caller's format never reaches printf.
std::optional<std::string> formatPageNumber(std::string_view format, int first, int second);
// Number of "%D" markers in the upper-cased format.
int pageNumberMarkers(std::string_view format);

class TLumen808 {
public:
    using DateClock = std::function<std::tm()>;

    // runner nullptr = defaultJobRunner() at the time of Preview/Print.
    explicit TLumen808(JobRunner* runner = nullptr);
    ~TLumen808();
    TLumen808(const TLumen808&) = delete;
    TLumen808& operator=(const TLumen808&) = delete;

    // --- properties without setter rules
    std::string DataFile;
    std::string FormFile;
    std::string Title;
    std::string DocTitle; // emptied after every preview or print
    int Orientation = 0;
    int PaperSize = 9;
    int OutPutPaper = 0;
    std::string PaperName = "A4";
    int LeftMargin = 0;
    int TopMargin = 0;
    int EvenLeftMargin = 0;
    int LeftCorrect = 0;
    int TopCorrect = 0;
    int FormLeftMargin = 0;
    int FormTopMargin = 0;
    int PageNo = 1;
    bool PrintFom = true;
    bool PrnDlg = true;
    int PrinterNum = -1;
    int BinNum = 0;
    JobColours Colours; // net, user and OCR colours
    bool SizeChange = false;
    int PaperLength = 2970;
    int PaperWidth = 2100;
    bool ModeSw = false;
    bool Permit = true;
    int PosCenter = 0;
    bool CurrentPage = true;
    bool ImageOut = false;
    int LineMaxCount = 0;
    bool DelFile = true;
    int BlankPage = 0;
    bool GrayScale = false;
    bool PageBango = false; // switched off after every preview or print
    int PageBangoLeft = 0;
    int PageBangoTop = 0;
    std::string PageBangoFontName = "ＭＳ 明朝";
    int PageBangoFontSize = 10;
    bool PrevPaperButton = false;
    bool NextPaperButton = false;

    // --- properties with setter rules
    const std::string& OcrFontName() const { return ocrFontName_; }
    void setOcrFontName(const std::string& name); // only installed fonts; "" resolves
    int Copie() const { return copie_; }
    void setCopie(int v); // 1..99, else ignored
    int Zoom() const { return zoom_; }
    void setZoom(int v); // 5..20, else ignored
    int Scale() const { return scale_; }
    void setScale(int v); // 50..150, else ignored
    int PrintQuality() const { return printQuality_; }
    void setPrintQuality(int v); // -4..-1 or 0, else ignored
    int ColorMode() const { return colorMode_; }
    void setColorMode(int v); // above 2 becomes 0
    int Duplex() const { return duplex_; }
    void setDuplex(int v); // 1..3 or 0, else ignored
    int Collate() const { return collate_; }
    void setCollate(int v); // 0 or 1, else ignored
    int VRATIO() const { return vratio_; }
    void setVRATIO(int v);
    int HRATIO() const { return hratio_; }
    void setHRATIO(int v);
    const std::string& PageBangoFormat() const { return pageBangoFormat_; }
    void setPageBangoFormat(const std::string& format);
    Alignment PageBangoAlignment() const { return pageBangoAlignment_; }
    void setPageBangoAlignment(Alignment a) { pageBangoAlignment_ = a; }
    int PreviewCloseNum() const { return previewCloseNum_; }

    // --- operations (file errors raise PrintDataError)
    void Open(bool useTempName = false);
    void WriteHeader();
    // The background "ON" is written as "1", like "OFF", and therefore reads
    // back as transparent; kept so for files other programs read.
    void AddText(int x, int y, const std::string& text, const std::string& fontName, int fontSize,
        const std::string& style, const std::string& colour, const std::string& background,
        const std::string& alignment, int width);
    void AddLine(
        int x1, int y1, int x2, int y2, int width, int penStyle, const std::string& colour, bool eline = false);
    void AddBox(int x1, int y1, int x2, int y2, int penWidth, int penStyle, const std::string& penColour,
        const std::string& brushColour, int brushStyle);
    void NewPage();
    void Close();
    bool Preview();
    bool Print();
    static std::string MakeTempFileName(const std::string& folder);

    // The job record Preview and Print fill from the properties.
    TP808DEF makeJob() const;
    // The text AddText writes for a text, after fitting (exposed for tests).
    static std::string fitText(const std::string& text, const std::string& upperAlignment, int width);

    void setDateClock(DateClock clock) { dateClock_ = std::move(clock); }
    bool isOpen() const noexcept { return open_; }

private:
    void writeLine(const std::string& utf8);
    void finishRun();

    JobRunner* runner_;
    DateClock dateClock_;
    std::string ocrFontName_;
    int copie_ = 1;
    int zoom_ = 10;
    int scale_ = 100;
    int printQuality_ = 0;
    int colorMode_ = 0;
    int duplex_ = 0;
    int collate_ = 0;
    int vratio_ = 1000;
    int hratio_ = 1000;
    std::string pageBangoFormat_ = "(%d/%d)";
    int pageBangoMarkers_ = 2;
    Alignment pageBangoAlignment_ = Alignment::Right;
    int previewCloseNum_ = 0;

    bool open_ = false;
    bool headerWritten_ = false;
    std::string buffer_; // code page 932 bytes of the open file
};

// The default printer's index among the installed printers, -1 when there
// is no printer or no default printer.
int defaultPrinterIndex();
// True when a font family of that name is installed (false without a GUI
// application).
bool fontInstalled(const std::string& family);

} // namespace print
