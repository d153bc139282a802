#include "print/PrinterSettings.h"

#include "print/EngineLog.h"
#include "print/PrintLoop.h"

#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>
#include <cstdlib>

namespace print {

namespace {
// DEVMODE field bits, synthesised from what Qt can set.
constexpr int kOrientation = 0x1, kPaperSize = 0x2, kPaperLength = 0x4, kPaperWidth = 0x8, kCopies = 0x100,
              kDefaultSource = 0x200, kPrintQuality = 0x400, kColor = 0x800, kDuplex = 0x1000, kYResolution = 0x2000;

PaperEntry entryOf(const QPageSize& size)
{
    const QSizeF mm = size.size(QPageSize::Millimeter);
    return {size.name().toStdString(), size.windowsId(), static_cast<int>(std::lround(mm.width() * 10)),
        static_cast<int>(std::lround(mm.height() * 10))};
}

int qualityToDpi(int q)
{
    switch (q) {
    case -1:
        return 150; // draft
    case -2:
        return 300; // low
    case -3:
        return 600; // medium
    default:
        return 1200; // high
    }
}
} // namespace

std::vector<PaperEntry> papersOf(const QPrinter& printer)
{
    std::vector<PaperEntry> out;
    const QPrinterInfo info(printer);
    if (!info.isNull() && printer.outputFormat() == QPrinter::NativeFormat) {
        for (const QPageSize& s : info.supportedPageSizes())
            out.push_back(entryOf(s));
        return out;
    }
    for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
        const QPageSize s(static_cast<QPageSize::PageSizeId>(id));
        if (s.isValid() && s.windowsId() > 0)
            out.push_back(entryOf(s));
    }
    return out;
}

TVDBPrint::TVDBPrint(QPrinter& printer, bool noDefaultPrinter, std::vector<PaperEntry> papers, EngineLog& log)
    : printer_(printer)
    , noDefault_(noDefaultPrinter)
    , papers_(std::move(papers))
    , log_(log)
{
    fields_ = kOrientation | kPaperSize | kPaperLength | kPaperWidth | kCopies | kDefaultSource | kPrintQuality
        | kYResolution | kColor | kDuplex;
}

TVDBPrint TVDBPrint::forPrinter(QPrinter& printer, EngineLog& log)
{
    const bool pdf = printer.outputFormat() == QPrinter::PdfFormat;
    const bool none = !pdf && QPrinterInfo::defaultPrinter().isNull();
    if (none)
        log.write("Vdb.Create", "デフォルト プリンタが存在しません");
    return TVDBPrint(printer, none, papersOf(printer), log);
}

int TVDBPrint::GetPaperNumber(const std::string& name, int length, int defaultCode, int width)
{
    if (noDefault_)
        return 0;
    if (!name.empty()) {
        for (const PaperEntry& p : papers_) {
            if (p.name == name)
                return p.code;
        }
    }
    if (length > 0 && width > 0) {
        for (const PaperEntry& p : papers_) {
            if (std::abs(p.length - length) < 10 && std::abs(p.width - width) < 10)
                return p.code;
        }
    }
    return defaultCode;
}

int TVDBPrint::GetPaper()
{
    if (noDefault_)
        return 9;
    const int id = printer_.pageLayout().pageSize().windowsId();
    return id > 0 ? id : 9;
}

void TVDBPrint::SetPaper(int code)
{
    if (noDefault_)
        return;
    const QPageSize size(QPageSize::id(code));
    if (!size.isValid() || !printer_.setPageSize(size))
        log_.write("Vdb.SetPaper", "paper " + std::to_string(code));
}

void TVDBPrint::SetTTOption(int)
{
}

void TVDBPrint::SetUserPaperSize(int length, int width)
{
    if (noDefault_ || length <= 0 || width <= 0)
        return;
    fields_ |= kPaperSize | kPaperLength | kPaperWidth;
    if (!printer_.setPageSize(QPageSize(QSizeF(width / 10.0, length / 10.0), QPageSize::Millimeter)))
        log_.write("Vdb.SetUserPaperSize", std::to_string(width) + "x" + std::to_string(length));
}

void TVDBPrint::ResetUserPaperSize()
{
    if (noDefault_)
        return;
    fields_ &= ~(kPaperLength | kPaperWidth);
}

void TVDBPrint::GetDevMode(TP808DEF& job)
{
    if (noDefault_)
        return;
    job.DeviceName = printer_.printerName().left(32).toStdString();
    job.FormName = printer_.pageLayout().pageSize().name().left(32).toStdString();
    job.PrinterNum = static_cast<int>(QPrinterInfo::availablePrinterNames().indexOf(printer_.printerName()));
    const QSizeF mm = printer_.pageLayout().pageSize().size(QPageSize::Millimeter);
    job.PaperWidth = static_cast<int>(std::lround(mm.width() * 10));
    job.PaperLength = static_cast<int>(std::lround(mm.height() * 10));
    job.Scale = 100;
    job.Copie = printer_.copyCount();
    job.Collate = printer_.collateCopies() ? 1 : 0;
    switch (printer_.duplex()) {
    case QPrinter::DuplexLongSide:
        job.Duplex = 2;
        break;
    case QPrinter::DuplexShortSide:
        job.Duplex = 3;
        break;
    default:
        job.Duplex = 1;
        break;
    }
    job.ColorMode = printer_.colorMode() == QPrinter::GrayScale ? 1 : 2;
    job.DefaultSource = printer_.paperSource() == QPrinter::Auto ? 7 : static_cast<int>(printer_.paperSource());
    job.YResolution = printer_.resolution();
    job.DevModeFields = fields_;
    job.Orientation = printer_.pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0;
}

void TVDBPrint::SetDevMode(const TP808DEF& job)
{
    if (noDefault_)
        return;
    fields_ |= kCollateField;
    printer_.setCopyCount(job.Copie);
    printer_.setCollateCopies(job.Collate == 1);
    if (job.ColorMode != 0)
        printer_.setColorMode(job.ColorMode == 1 ? QPrinter::GrayScale : QPrinter::Color);
    if (job.Duplex != 0) {
        printer_.setDuplex(job.Duplex == 2 ? QPrinter::DuplexLongSide
                : job.Duplex == 3          ? QPrinter::DuplexShortSide
                                           : QPrinter::DuplexNone);
    }
    if (job.PrintQuality != 0)
        printer_.setResolution(qualityToDpi(job.PrintQuality));
}

} // namespace print
