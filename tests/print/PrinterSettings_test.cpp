// The printer settings object: defaults without a default printer, the
// paper lookup, and a settings round trip on a PDF printer.
#include "print/PrinterSettings.h"

#include "print/EngineLog.h"
#include "print/PrintLoop.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QPrinter>

using namespace print;

namespace {
const std::vector<PaperEntry> kPapers {
    {"Letter", 1, 2159, 2794}, {"A4 wide", 77, 2100, 2961}, {"A4", 9, 2100, 2970}, {"B5", 13, 1820, 2570}};
}

TEST(PrinterSettings, WithoutADefaultPrinterEverythingAnswersItsDefault)
{
    test_support::TempDir dir;
    EngineLog log(dir.path());
    QPrinter printer;
    TVDBPrint vdb(printer, true, kPapers, log);
    EXPECT_EQ(vdb.GetPaper(), 9);
    EXPECT_EQ(vdb.GetPaperNumber("A4", 0, 9, 0), 0);
    TP808DEF job;
    job.DeviceName = "unchanged";
    vdb.GetDevMode(job);
    EXPECT_EQ(job.DeviceName, "unchanged");
    job.Copie = 5;
    vdb.SetDevMode(job);
    EXPECT_EQ(printer.copyCount(), 1);
}

TEST(PrinterSettings, PaperLookup)
{
    test_support::TempDir dir;
    EngineLog log(dir.path());
    QPrinter printer;
    TVDBPrint vdb(printer, false, kPapers, log);
    EXPECT_EQ(vdb.GetPaperNumber("A4", 0, 0, 0), 9);
    EXPECT_EQ(vdb.GetPaperNumber("", 2970, 0, 2100), 77); // 296.1 mm is within 1 mm of 297
    EXPECT_EQ(vdb.GetPaperNumber("", 2950, 5, 2100), 5); // 2 mm off: the default
    EXPECT_EQ(vdb.GetPaperNumber("A0", 2570, 0, 1821), 13); // unknown name, then the size
    EXPECT_EQ(vdb.GetPaperNumber("", 0, 8, 0), 8);
    // the installed paper list of a PDF printer knows the Windows numbers
    bool a4 = false;
    for (const PaperEntry& p : papersOf(printer))
        a4 |= p.code == 9 && p.width == 2100 && p.length == 2970;
    EXPECT_TRUE(a4);
    EXPECT_EQ(codeForPageSize(pageSizeForCode(12)), 12);
    EXPECT_EQ(pageSizeForCode(9).id(), QPageSize::A4);
}

TEST(PrinterSettings, RoundTripOnAPdfPrinter)
{
    test_support::TempDir dir;
    EngineLog log(dir.path());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.file("x.pdf")));
    TVDBPrint vdb(printer, false, papersOf(printer), log);
    vdb.SetPaper(12);
    EXPECT_EQ(vdb.GetPaper(), 12);
    TP808DEF job;
    job.Copie = 3;
    job.Collate = 1;
    job.ColorMode = 1;
    job.Duplex = 0;
    job.PrintQuality = 0;
    vdb.SetDevMode(job);
    TP808DEF back;
    vdb.GetDevMode(back);
    EXPECT_EQ(back.Copie, 3);
    EXPECT_EQ(back.Collate, 1);
    EXPECT_EQ(back.ColorMode, 1);
    EXPECT_EQ(back.Duplex, 1); // a PDF file has no duplex; 0 changed nothing
    EXPECT_EQ(back.PaperWidth, 2570); // paper 12 is Qt's JIS B4
    EXPECT_EQ(back.PaperLength, 3640);
    EXPECT_NE(back.DevModeFields & TVDBPrint::kCollateField, 0);
    job.PrintQuality = -2;
    vdb.SetDevMode(job);
    vdb.GetDevMode(back);
    EXPECT_EQ(back.YResolution, 300);
}
