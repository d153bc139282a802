// Form variables: the tables a form file loads, their lookup and slots, and
// "@" records printed through them into a PDF.
#include "print/FormVariables.h"

#include "print_fakes.h"
#include "render_support.h"

#include "platform/codec.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QPrinter>

using namespace print;
using namespace print_test;

namespace {

struct Variables : ::testing::Test {
    test_support::TempDir dir;
    EngineLog log {dir.path()};
    std::string write(const std::string& name, const std::vector<std::string>& lines, bool mark = false)
    {
        std::string bytes = mark ? "*LUMEN808*" + std::string(60, '*') + "\r\n" : "";
        for (const auto& l : lines)
            bytes += platform::codec::toSjis(l) + "\r\n";
        return dir.write(name, bytes);
    }
};

} // namespace

TEST_F(Variables, TablesLookupAndSlots)
{
    std::vector<std::string> lines {"&;0;0;行間;;;;;;;50;", "&;100;200;a;ＭＳ ゴシック;0;b;赤;ON;RIGHT;0;1;1",
        "&;900;900;A;;8;;;;;;;", "$;10;20;sum;", "$;30;40;SUM;;9;;;;;;0;"};
    for (int i = 0; i < 250; ++i)
        lines.push_back("&;1;1;V" + std::to_string(i) + ";;;;;;;;;");
    for (int p = 0; p < 6; ++p)
        lines.push_back("E;");
    lines.push_back("&;1;1;LATE;;;;;;;;;"); // page 7: beyond the five slots
    VariableTables t;
    t.load(write("f.80F", lines), 5, 7, log);
    EXPECT_EQ(t.pageEnds(), 5);
    EXPECT_EQ(t.field(0, 0).width, 50); // the line-pitch variable
    const int a = t.lookup(0, "A");
    ASSERT_EQ(a, 1); // the first definition wins
    EXPECT_EQ(t.field(0, a).x, 105);
    EXPECT_EQ(t.field(0, a).y, 207);
    EXPECT_EQ(t.field(0, a).fontSize, 12); // size 0 gives 12
    EXPECT_EQ(t.field(0, a).style, "B");
    EXPECT_EQ(t.field(0, a).once, 1);
    EXPECT_EQ(t.field(0, a).fontName, "ＭＳ ゴシック");
    EXPECT_EQ(t.lookup(0, "V120"), 123); // entries past 100 are found too
    EXPECT_EQ(t.lookup(0, "V197"), 200);
    EXPECT_EQ(t.lookup(0, "V198"), 0); // 200 per slot at most
    EXPECT_EQ(t.lookup(0, "NONE"), 0);
    EXPECT_EQ(t.totalCount(0), 1);
    EXPECT_TRUE(t.total(0, 0).used);
    EXPECT_EQ(t.output(0, 0).fontSize, 9);
    EXPECT_EQ(t.slotForSheet(1), 0);
    EXPECT_EQ(t.slotForSheet(5), 4);
    EXPECT_EQ(t.slotForSheet(6), std::nullopt); // no variables rather than a read outside the table
    EXPECT_EQ(t.slotForSheet(7), 0);

    t.load(dir.file("missing.80F"), 0, 0, log);
    EXPECT_EQ(t.lookup(0, "A"), 0);
}

TEST_F(Variables, ValuesGoOneRowLowerAndEvenSheetsUseTheSecondPage)
{
    const std::string form
        = write("f.80F", {"&;0;0;行間;;;;;;;50;", "&;300;500;A;;10;;黒;;;;;", "E;", "&;600;700;C;;10;;黒;;;;;"});
    const std::string data
        = write("d.TMP", {"@;A;one;", "@;a;two;", "@;A;three;", "@;C;oddC;", "E;", "@;C;evenC;", "@;A;nopitch;"}, true);
    TP808DEF job;
    job.DataFile = data;
    job.FormFile = form;
    job.PrnDlg = false;
    const std::string pdf = dir.file("v.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    QtPrinterDevice device(printer);
    ScriptedUi ui;
    ASSERT_EQ(runPrintJob(job, device, ui, log).result, -1);
    const auto words = pdfWords(pdf);
    const auto find = [&](const std::string& t) -> const Word* {
        for (const Word& w : words)
            if (w.text == t)
                return &w;
        return nullptr;
    };
    const Word* one = find("one");
    const Word* two = find("two");
    const Word* three = find("three");
    ASSERT_TRUE(one && two && three);
    EXPECT_NEAR(one->xMin, 300 * kPtPerUnit, 1.0);
    EXPECT_NEAR(one->yMin, 500 * kPtPerUnit, 1.5);
    EXPECT_NEAR(two->yMin - one->yMin, 50 * kPtPerUnit, 0.5); // 5 mm apart
    EXPECT_NEAR(three->yMin - two->yMin, 50 * kPtPerUnit, 0.5);
    EXPECT_EQ(find("oddC"), nullptr); // C exists on the form's page 2 only
    const Word* even = find("evenC");
    ASSERT_NE(even, nullptr);
    EXPECT_EQ(even->page, 2);
    EXPECT_NEAR(even->yMin, 700 * kPtPerUnit, 1.5);
    EXPECT_EQ(find("nopitch"), nullptr); // A is not defined on page 2
}
