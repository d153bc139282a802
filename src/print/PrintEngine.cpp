#include "print/PrintEngine.h"

#include "print/EngineLog.h"
#include "print/PageBook.h"
#include "print/PreviewWindow.h"
#include "print/PrintLoop.h"
#include "print/PrinterSettings.h"

#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace print {

namespace {

// A printer for the job: its printer index (-1 the default), its paper.
std::unique_ptr<QPrinter> printerFor(const TP808DEF& job)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    const QStringList names = QPrinterInfo::availablePrinterNames();
    if (job.PrinterNum >= 0 && job.PrinterNum < names.size())
        printer->setPrinterName(names[job.PrinterNum]);
    const int paper = job.OutPutPaper != 0 ? job.OutPutPaper : job.PaperSize;
    printer->setPageSize(pageSizeForCode(paper != 0 ? paper : 9));
    printer->setPageOrientation(job.Orientation == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
    return printer;
}

} // namespace

int EngineRunner::runPrint(TP808DEF& job)
{
    if (!job.Permit) {
        runPreview(job);
        return 0;
    }
    auto printer = printerFor(job);
    if (QPrinterInfo::availablePrinterNames().isEmpty() && !job.PrnDlg) {
        // no CUPS printer and no dialog to choose a PDF file
        showEngineError("印刷できるプリンタがありません。");
        return 0;
    }
    TVDBPrint::forPrinter(*printer, engineLog()).SetDevMode(job);
    QtPrinterDevice device(*printer);
    QtPrintUi ui;
    const PrintOutcome out = runPrintJob(job, device, ui, engineLog());
    printer_ = static_cast<int>(QPrinterInfo::availablePrinterNames().indexOf(printer->printerName()));
    copies_ = job.Copie;
    return out.result;
}

int EngineRunner::runPreview(TP808DEF& job)
{
    PreviewServices services;
    services.print = [this](TP808DEF& j) { return runPrint(j); };
    services.printPage = [](TP808DEF& j, int page, int orientation) {
        TP808DEF one = j;
        one.Copie = 1;
        one.Orientation = orientation;
        auto printer = printerFor(one);
        QtPrinterDevice device(*printer);
        QtPrintUi ui;
        runPrintJob(one, device, ui, engineLog(), page);
    };
    services.printerSetup = [&job] {
        auto printer = printerFor(job);
        QPageSetupDialog dlg(printer.get());
        if (dlg.exec() == QDialog::Accepted) {
            const int code = codeForPageSize(printer->pageLayout().pageSize());
            if (code != 0)
                job.OutPutPaper = code;
            job.Orientation = printer->pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0;
        }
    };
    return RunPreview(job, std::move(services));
}

EngineRunner& engineRunner()
{
    static EngineRunner runner;
    return runner;
}

} // namespace print
