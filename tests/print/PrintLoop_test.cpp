// The print loop over a PDF file and over a journal device: sheets, form
// cycling, ranges, documents split by messages, orientation and passes,
// cancel and failures.
#include "print_fakes.h"
#include "render_support.h"

#include "platform/codec.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QPrinter>

#include <cstdio>

using namespace print;
using namespace print_test;

namespace {

std::string run(const std::string& cmd)
{
    std::unique_ptr<FILE, int (*)(FILE*)> f(popen(cmd.c_str(), "r"), pclose);
    std::string out;
    char buf[4096];
    while (f && fgets(buf, sizeof buf, f.get()))
        out += buf;
    return out;
}

// The words of one PDF page, joined by blanks.
std::string pageText(const std::string& pdf, int page)
{
    std::string t = run("pdftotext -f " + std::to_string(page) + " -l " + std::to_string(page) + " '" + pdf + "' -");
    std::string out;
    for (char c : t) {
        if (c == '\n' || c == '\f' || c == ' ') {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

int pdfPages(const std::string& pdf)
{
    const std::string info = run("pdfinfo '" + pdf + "'");
    const auto p = info.find("Pages:");
    return p == std::string::npos ? -1 : std::stoi(info.substr(p + 6));
}

struct PrintLoop : ::testing::Test {
    test_support::TempDir dir;
    EngineLog log {dir.path()};
    ScriptedUi ui;

    std::string file(const std::string& name, const std::vector<std::string>& lines, bool mark = true)
    {
        std::string bytes = mark ? "*LUMEN808*" + std::string(60, '*') + "\r\n" : "";
        for (const auto& l : lines)
            bytes += platform::codec::toSjis(l) + "\r\n";
        return dir.write(name, bytes);
    }
    TP808DEF job(const std::string& data, const std::string& form = "")
    {
        TP808DEF j;
        j.DataFile = data;
        j.FormFile = form;
        j.PrnDlg = false;
        j.PaperSize = 9;
        return j;
    }
    PrintOutcome toPdf(TP808DEF& j, const std::string& pdf)
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setPageSize(QPageSize(QPageSize::A4));
        QtPrinterDevice device(printer);
        return runPrintJob(j, device, ui, log);
    }
};

const std::vector<std::string> kForm {"TEXT;100;100;F1;", "E;", "TEXT;100;100;F2;"};
const std::vector<std::string> kData {"TEXT;100;300;D1;", "E;", "TEXT;100;300;D2;", "E;", "TEXT;100;300;D3;"};

} // namespace

TEST_F(PrintLoop, FormPagesCycleUnderTheDataAndTheFormIsCompleted)
{
    TP808DEF j = job(file("d.TMP", kData), file("f.80F", kForm, false));
    const std::string pdf = dir.file("out.pdf");
    const PrintOutcome o = toPdf(j, pdf);
    EXPECT_EQ(o.result, -1);
    ASSERT_EQ(pdfPages(pdf), 4);
    EXPECT_EQ(pageText(pdf, 1), "F1 D1");
    EXPECT_EQ(pageText(pdf, 2), "F2 D2");
    EXPECT_EQ(pageText(pdf, 3), "F1 D3");
    EXPECT_EQ(pageText(pdf, 4), "F2");
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(PrintLoop, ARangePrintsItsPagesOnly)
{
    TP808DEF j = job(file("d.TMP", kData), file("f.80F", kForm, false));
    j.PrnDlg = true;
    ui.choice = PrintChoice {true, 2, 2, false, 1};
    const std::string pdf = dir.file("out.pdf");
    EXPECT_EQ(toPdf(j, pdf).result, -1);
    EXPECT_EQ(ui.dialogs, 1);
    ASSERT_EQ(pdfPages(pdf), 1);
    EXPECT_EQ(pageText(pdf, 1), "F2 D2");
}

TEST_F(PrintLoop, CancelledDialogPrintsNothing)
{
    TP808DEF j = job(file("d.TMP", kData));
    j.PrnDlg = true;
    ui.answerDialog = false;
    JournalDevice device;
    EXPECT_EQ(runPrintJob(j, device, ui, log).result, 0);
    for (const auto& e : device.journal)
        EXPECT_EQ(e.rfind("begin", 0), std::string::npos);
}

TEST_F(PrintLoop, MessagesAndOrientationSplitDocuments)
{
    TP808DEF j = job(file("d.TMP",
        {"ORIENTATION;1;", "TEXT;1;1;a;", "E;", "TEXT;1;1;b;", "MESSAGE;用紙を替えてください;", "E;", "TEXT;1;1;c;",
            "E;", "ORIENTATION;1;"}));
    JournalDevice device;
    ui.journal = &device.journal;
    EXPECT_EQ(runPrintJob(j, device, ui, log).result, -1);
    EXPECT_EQ(device.journal,
        (std::vector<std::string> {"copies 1", "begin o=1", "end", "begin o=0", "end", "message 用紙を替えてください",
            "begin o=0", "end", "begin o=1", "end"}));
}

TEST_F(PrintLoop, CollationPrintsWholePasses)
{
    TP808DEF j = job(file("d.TMP", {"TEXT;1;1;a;", "E;", "TEXT;1;1;b;"}));
    j.Copie = 2;
    j.Collate = 1;
    JournalDevice device;
    EXPECT_EQ(runPrintJob(j, device, ui, log).result, -1);
    EXPECT_EQ(device.journal,
        (std::vector<std::string> {"copies 1", "begin o=0", "page o=0", "end", "begin o=0", "page o=0", "end"}));
    TP808DEF k = job(file("e.TMP", {"TEXT;1;1;a;"}));
    k.Copie = 3;
    JournalDevice plain;
    runPrintJob(k, plain, ui, log);
    EXPECT_EQ(plain.journal, (std::vector<std::string> {"copies 3", "begin o=0", "end"}));
}

TEST_F(PrintLoop, CancelAbortsAndAnswersNotPrinted)
{
    TP808DEF j = job(file("d.TMP", kData));
    ui.cancelAfter = 1;
    JournalDevice device;
    EXPECT_EQ(runPrintJob(j, device, ui, log).result, 0);
    EXPECT_EQ(device.journal, (std::vector<std::string> {"copies 1", "begin o=0", "abort"}));
}

TEST_F(PrintLoop, LandscapePageInThePdf)
{
    TP808DEF j = job(file("d.TMP", {"TEXT;100;100;a;", "E;", "ORIENTATION;1;", "TEXT;100;100;b;"}));
    const std::string pdf = dir.file("o.pdf");
    EXPECT_EQ(toPdf(j, pdf).result, -1);
    const std::string info = run("pdfinfo -f 1 -l 2 '" + pdf + "'");
    EXPECT_NE(info.find("Page    1 size:  595 x 842"), std::string::npos) << info;
    EXPECT_NE(info.find("Page    2 size:  842 x 595"), std::string::npos) << info;
}

TEST_F(PrintLoop, BadFilesAndFailingRecordsAreReported)
{
    TP808DEF missing = job(dir.file("none.TMP"));
    JournalDevice device;
    EXPECT_EQ(runPrintJob(missing, device, ui, log).result, 0);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0], "<" + dir.file("none.TMP") + "> が見つかりません。");
    TP808DEF foreign = job(file("x.TMP", {"TEXT;1;1;a;"}, false));
    EXPECT_EQ(runPrintJob(foreign, device, ui, log).result, 0);
    EXPECT_EQ(ui.errors.back(), "<LUMEN808>印刷データではありません。");
    TP808DEF noForm = job(file("y.TMP", {"TEXT;1;1;a;"}), dir.file("none.80F"));
    EXPECT_EQ(runPrintJob(noForm, device, ui, log).result, 0);
    EXPECT_TRUE(device.journal.empty());

    TP808DEF chart = job(file("c.TMP", {"CHART;c;1;1;10;10;0;", "TEXT;1;1;a;"}));
    const PrintOutcome o = runPrintJob(chart, device, ui, log);
    EXPECT_EQ(o.result, -1);
    EXPECT_EQ(o.failedRecords, 1);
    EXPECT_NE(ui.errors.back().find("1 件"), std::string::npos);
}

TEST_F(PrintLoop, CurrentPageOnly)
{
    TP808DEF j = job(file("d.TMP", kData));
    j.PrnDlg = true;
    const std::string pdf = dir.file("one.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    QtPrinterDevice device(printer);
    EXPECT_EQ(runPrintJob(j, device, ui, log, 3).result, -1);
    EXPECT_EQ(ui.dialogs, 0);
    ASSERT_EQ(pdfPages(pdf), 1);
    EXPECT_EQ(pageText(pdf, 1), "D3");
}
