// Renders a 500-page print-data file (a data list: 55 rows of text and
// rulings per page) to a PDF at 600 dpi and reports pages per second.
//   print_pdf_bench [pages] [output.pdf]
#include "print/EngineLog.h"
#include "print/Lumen808.h"
#include "print/PrintLoop.h"

#include <QGuiApplication>
#include <QPrinter>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class SilentUi : public print::PrintUi {
public:
    std::optional<print::PrintChoice> askPrint(print::PrintDevice&, const print::TP808DEF&, int maxPage) override
    {
        print::PrintChoice c;
        c.to = maxPage;
        return c;
    }
    void showMessage(const std::string&) override { }
    void showError(const std::string& t) override { std::fprintf(stderr, "%s\n", t.c_str()); }
    bool pagePrinted(int) override { return false; }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int pages = argc > 1 ? std::atoi(argv[1]) : 500;
    const std::string folder = std::filesystem::temp_directory_path() / "print_pdf_bench";
    std::filesystem::create_directories(folder);
    const std::string pdf = argc > 2 ? argv[2] : folder + "/bench.pdf";

    print::TLumen808 job;
    job.DataFile = folder + "/bench.TMP";
    job.Open();
    for (int p = 0; p < pages; ++p) {
        if (p > 0)
            job.NewPage();
        job.AddText(1000, 100, "データ一覧", "ＭＳ ゴシック", 14, "B", "黒", "OFF", "CENTER", 0);
        for (int r = 0; r < 55; ++r) {
            const int y = 200 + r * 48;
            job.AddText(100, y, std::to_string(p * 55 + r + 1), "ＭＳ 明朝", 9, "", "黒", "OFF", "RIGHT", 6);
            job.AddText(250, y, "株式会社サンプル商事　第" + std::to_string(r + 1) + "期", "ＭＳ 明朝", 9, "", "黒",
                "OFF", "LEFT", 40);
            job.AddText(1900, y, "2026/12/11", "ＭＳ ゴシック", 9, "", "黒", "OFF", "RIGHT", 0);
            job.AddLine(100, y + 44, 2000, y + 44, 2, 0, "0");
        }
        job.AddText(2000, 2850, "PAGE " + std::to_string(p + 1), "ＭＳ 明朝", 9, "", "黒", "OFF", "RIGHT", 0);
    }
    job.Close();

    print::TP808DEF def = job.makeJob();
    def.PrnDlg = false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(600);
    printer.setOutputFileName(QString::fromStdString(pdf));
    print::QtPrinterDevice device(printer);
    SilentUi ui;
    print::EngineLog log(folder);

    const auto start = std::chrono::steady_clock::now();
    const print::PrintOutcome out = print::runPrintJob(def, device, ui, log);
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (out.result != -1) {
        std::fprintf(stderr, "print failed\n");
        return 1;
    }
    std::printf("%d pages to %s in %.2f s: %.1f pages/s (%.0f KiB)\n", out.sheets, pdf.c_str(), secs, out.sheets / secs,
        std::filesystem::file_size(pdf) / 1024.0);
    return 0;
}
