#include "print/PrintLoop.h"

#include "print/EngineLog.h"
#include "print/PageBook.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <filesystem>

namespace print {

QPageSize pageSizeForCode(int paperCode)
{
    const QPageSize size(QPageSize::id(paperCode));
    return size.isValid() ? size : QPageSize(QPageSize::A4);
}

int codeForPageSize(const QPageSize& size)
{
    return size.isValid() ? size.windowsId() : 0;
}

// ---------------------------------------------------------------------------

QtPrinterDevice::QtPrinterDevice(QPrinter& printer)
    : printer_(printer)
    , oneFile_(printer.outputFormat() == QPrinter::PdfFormat)
{
    printer_.setFullPage(true);
}

QtPrinterDevice::~QtPrinterDevice()
{
    if (painter_ && painter_->isActive())
        painter_->end();
}

void QtPrinterDevice::setDocName(const std::string& name)
{
    printer_.setDocName(QString::fromStdString(name));
}
void QtPrinterDevice::setCopies(int copies)
{
    printer_.setCopyCount(copies);
}
int QtPrinterDevice::orientation() const
{
    return printer_.pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0;
}
void QtPrinterDevice::setOrientation(int o)
{
    printer_.setPageOrientation(o == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
}

bool QtPrinterDevice::beginDocument()
{
    if (oneFile_ && pendingBoundary_ && painter_ && painter_->isActive()) {
        pendingBoundary_ = false;
        return printer_.newPage();
    }
    painter_ = std::make_unique<QPainter>();
    return painter_->begin(&printer_);
}

bool QtPrinterDevice::newPage()
{
    return printer_.newPage();
}

bool QtPrinterDevice::endDocument()
{
    if (oneFile_) {
        // ending and beginning again would overwrite the file
        pendingBoundary_ = true;
        return true;
    }
    return painter_ && painter_->end();
}

void QtPrinterDevice::abortDocument()
{
    printer_.abort();
    if (painter_ && painter_->isActive())
        painter_->end();
}

bool QtPrinterDevice::finish()
{
    if (painter_ && painter_->isActive())
        return painter_->end();
    return true;
}

QPainter& QtPrinterDevice::painter()
{
    return *painter_;
}
int QtPrinterDevice::dpiX() const
{
    return printer_.logicalDpiX();
}
int QtPrinterDevice::dpiY() const
{
    return printer_.logicalDpiY();
}
int QtPrinterDevice::paperCode() const
{
    return codeForPageSize(printer_.pageLayout().pageSize());
}
QSizeF QtPrinterDevice::paperMM() const
{
    return printer_.pageLayout().fullRect(QPageLayout::Millimeter).size();
}
QSizeF QtPrinterDevice::printableMM() const
{
    return printer_.pageLayout().paintRect(QPageLayout::Millimeter).size();
}

// ---------------------------------------------------------------------------

PrintOutcome runPrintJob(TP808DEF& job, PrintDevice& device, PrintUi& ui, EngineLog& log, std::optional<int> pageOnly)
{
    PrintOutcome out;
    std::string stage = pageOnly ? "PRINT.現在のページ" : "PRINT.開始";
    bool begun = false;
    try {
        if (job.DataFile.empty()) {
            ui.showError("印刷ファイルの指定がありません。");
            return out;
        }
        std::error_code ec;
        if (!std::filesystem::exists(job.DataFile, ec)) {
            ui.showError("<" + job.DataFile + "> が見つかりません。");
            return out;
        }
        const PageSplit data(readLines(job.DataFile));
        if (!hasFileMark(data.lines())) {
            ui.showError("<LUMEN808>印刷データではありません。");
            return out;
        }
        std::optional<PageSplit> form;
        if (!job.FormFile.empty()) {
            if (!std::filesystem::exists(job.FormFile, ec)) {
                ui.showError("<" + job.FormFile + "> が見つかりません。");
                return out;
            }
            form.emplace(readLines(job.FormFile));
        }
        if (job.Copie < 1 || job.Copie > 99)
            job.Copie = 1;

        const int dataPages = data.pageCount();
        PrintChoice choice;
        choice.to = dataPages;
        choice.copies = job.Copie;
        if (pageOnly) {
            choice.rangeMode = true;
            choice.from = choice.to = std::clamp(*pageOnly, 1, dataPages);
            choice.copies = 1;
        } else if (job.PrnDlg) {
            device.setOrientation(job.Orientation);
            const auto asked = ui.askPrint(device, job, dataPages);
            if (!asked)
                return out; // cancelled: nothing printed
            choice = *asked;
            choice.from = std::clamp(choice.from, 1, dataPages);
            choice.to = std::clamp(choice.to, choice.from, dataPages);
            job.Copie = std::clamp(choice.copies, 1, 99);
        }

        // Engine collation: whole passes, one copy each.
        const bool collate = job.Collate == 1 || (job.Copie > 1 && choice.collate);
        const int passes = collate ? job.Copie : 1;
        device.setCopies(collate ? 1 : job.Copie);
        device.setDocName(job.DocName);

        stage = pageOnly ? "PRINT.現在のページ" : "PRINT.メイン";
        const std::vector<int> orient = orientationList(data, job.Orientation);
        const PageNumbers numbers = pageNumberList(data, job.PageBango.Switch);
        const int formPages = form ? form->pageCount() : 1;
        const int firstSheet = choice.rangeMode ? choice.from : 1;
        const int lastSheet = choice.rangeMode ? choice.to
            : (form && job.PrintFom)           ? countTotalPages(formPages, dataPages)
                                               : dataPages;
        const auto orientationOf = [&](int sheet) {
            return sheet <= dataPages ? orient[static_cast<std::size_t>(sheet - 1)] : job.Orientation;
        };

        RenderSettings rs;
        rs.job = job;
        rs.printer = true;
        rs.zoom = 10; // paper is always drawn at 100 %
        double vr = 0, hr = 0;
        updateRatios(job.PaperSize, device.paperCode(), job.VRATIO, job.HRATIO, vr, hr);
        rs.vRatio = vr;
        rs.hRatio = hr;
        rs.numberedTotal = numbers.total;
        VariableTables vars;
        if (form)
            vars.load(job.FormFile, 0, 0, log);
        rs.vars = &vars;
        rs.paperHeightMM = paperSizeMM(device.paperCode(), 210, 277).height;

        for (int pass = 0; pass < passes; ++pass) {
            std::string pendingMessage;
            for (int sheet = firstSheet; sheet <= lastSheet; ++sheet) {
                const int o = orientationOf(sheet);
                if (!begun) {
                    device.setOrientation(o); // settled before anything is drawn
                    if (!device.beginDocument())
                        throw std::runtime_error("印刷を開始できません。");
                    begun = true;
                } else if (o != device.orientation() || !pendingMessage.empty() || sheet == firstSheet) {
                    if (!device.endDocument())
                        throw std::runtime_error("印刷を終了できません。");
                    if (!pendingMessage.empty())
                        ui.showMessage(pendingMessage);
                    pendingMessage.clear();
                    device.setOrientation(o);
                    if (!device.beginDocument())
                        throw std::runtime_error("印刷を開始できません。");
                } else if (!device.newPage()) {
                    throw std::runtime_error("改ページできません。");
                }
                ++out.sheets;

                // margins measured from the paper's edge
                const QSizeF paper = device.paperMM();
                const QSizeF printable = device.printableMM();
                rs.scaleX = device.dpiX() / 254.0;
                rs.scaleY = device.dpiY() / 254.0;
                rs.ppi = device.dpiX();
                rs.leftMargin = job.LeftMargin - roundEven((paper.width() - printable.width()) / 2) * 10;
                rs.topMargin = job.TopMargin - roundEven((paper.height() - printable.height()) / 2) * 10;
                rs.evenPage = sheet % 2 == 0;
                rs.pageNumber = sheet <= dataPages ? numbers.numbers[static_cast<std::size_t>(sheet - 1)] : 0;
                rs.slot = vars.slotForSheet(sheet); // from the data page, not the printer's page counter

                PageRenderer renderer(rs, log);
                QPainter& p = device.painter();
                if (form && job.PrintFom) {
                    const int fp = formPageForSheet(sheet, formPages);
                    out.failedRecords
                        += renderer.render(Layer::Form, form->page(fp), form->endedByPageEnd(fp), p).failures;
                }
                if (sheet <= dataPages) {
                    const LayerResult r = renderer.render(Layer::Data, data.page(sheet), data.endedByPageEnd(sheet), p);
                    out.failedRecords += r.failures;
                    pendingMessage = r.message;
                }
                if (ui.pagePrinted(out.sheets)) {
                    device.abortDocument();
                    begun = false;
                    log.write(stage, "cancelled");
                    return out;
                }
            }
            if (!pendingMessage.empty())
                ui.showMessage(pendingMessage);
        }
        if (begun && !device.endDocument())
            throw std::runtime_error("印刷を終了できません。");
        if (!device.finish())
            throw std::runtime_error("印刷データを書き出せません。");
        begun = false;
        out.result = -1;
        if (out.failedRecords > 0) {
            ui.showError("印刷できなかった要素が " + std::to_string(out.failedRecords) + " 件あります。詳しくは "
                + log.filePath() + " をご覧ください。");
        }
    } catch (const std::exception& e) {
        log.write(stage, e.what());
        if (begun)
            device.abortDocument();
        ui.showError(std::string("印刷できませんでした。\n") + e.what());
        out.result = 0;
    }
    return out;
}

// ---------------------------------------------------------------------------

TNowPrintingdlg::TNowPrintingdlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("印刷"));
    auto* layout = new QVBoxLayout(this);
    auto* printMessage = new QLabel(QStringLiteral(" 印刷中です。"), this);
    printMessage->setObjectName("PrintMessage");
    pageMessage_ = new QLabel(this);
    pageMessage_->setObjectName("PageMessage");
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName("CancelButton");
    layout->addWidget(printMessage);
    layout->addWidget(pageMessage_);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    connect(cancel, &QPushButton::clicked, this, &TNowPrintingdlg::CancelButtonClick);
}

void TNowPrintingdlg::setPage(int printerPage)
{
    pageMessage_->setText(QStringLiteral("(Page=%1)").arg(printerPage));
}

void TNowPrintingdlg::CancelButtonClick()
{
    const bool yes = confirmCancel ? confirmCancel()
                                   : QMessageBox::question(this, QStringLiteral("印刷"),
                                         QStringLiteral("印刷を中止しますか？"), QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes;
    if (yes)
        cancel_ = true;
}

QtPrintUi::QtPrintUi() = default;
QtPrintUi::~QtPrintUi() = default;

std::optional<PrintChoice> QtPrintUi::askPrint(PrintDevice& device, const TP808DEF& job, int maxPage)
{
    auto* qt = dynamic_cast<QtPrinterDevice*>(&device);
    PrintChoice c;
    c.to = maxPage;
    c.copies = job.Copie;
    if (!qt)
        return c;
    QPrinter& printer = qt->printer();
    printer.setCopyCount(job.Copie);
    printer.setFromTo(1, maxPage);
    QPrintDialog dlg(&printer);
    dlg.setMinMax(1, maxPage);
    dlg.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    c.rangeMode = printer.printRange() == QPrinter::PageRange;
    if (c.rangeMode) {
        c.from = printer.fromPage();
        c.to = printer.toPage();
    }
    c.collate = printer.collateCopies();
    c.copies = printer.copyCount();
    return c;
}

void QtPrintUi::showMessage(const std::string& text)
{
    QMessageBox::information(progress_.get(), QStringLiteral("印刷"), QString::fromStdString(text));
}

void QtPrintUi::showError(const std::string& text)
{
    showEngineError(text);
}

bool QtPrintUi::pagePrinted(int printerPage)
{
    if (!progress_) {
        progress_ = std::make_unique<TNowPrintingdlg>();
        progress_->setModal(true);
        progress_->show();
    }
    progress_->setPage(printerPage);
    QCoreApplication::processEvents();
    return progress_->cancelRequested();
}

} // namespace print
