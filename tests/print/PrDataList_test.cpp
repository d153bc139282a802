// The data list printed end to end: rows written through the print
// component, printed by the engine's print loop into a PDF, and read back.
#include "print/PrDataList.h"

#include "print_fakes.h"
#include "render_support.h"

#include "core/TextRoutines.h"
#include "core/uAccRecord.h"
#include "platform/codec.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QPrinter>

#include <filesystem>

using namespace print;
using namespace print_test;

namespace {

// Prints jobs into a PDF and keeps the print-data file as it was.
class PdfRunner : public JobRunner {
public:
    explicit PdfRunner(std::string pdf, EngineLog& log)
        : pdf_(std::move(pdf))
        , log_(log)
    {
    }
    int runPreview(TP808DEF& job) override
    {
        keep(job);
        return 1;
    }
    int runPrint(TP808DEF& job) override
    {
        keep(job);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf_));
        printer.setResolution(600);
        QtPrinterDevice device(printer);
        ScriptedUi ui;
        job.PrnDlg = false;
        return runPrintJob(job, device, ui, log_).result;
    }
    int selectedPrinter() const override { return -1; }
    int selectedCopies() const override { return 1; }
    std::vector<std::string> lines;
    TP808DEF last;

private:
    void keep(const TP808DEF& job)
    {
        last = job;
        lines = readLines(job.DataFile);
    }
    std::string pdf_;
    EngineLog& log_;
};

TDataSentakuRec row(int rec, const std::string& name, int nendo = 12)
{
    TDataSentakuRec r;
    r.Data.REC = rec;
    r.Data.DispName = name;
    r.Data.ENTTEXT = name;
    r.Data.DATACODE = "C" + std::to_string(rec);
    r.Data.NENDO = nendo;
    r.Data.KikanText = "R06/04/01-R07/03/31";
    r.Data.PASNAME = "/srv/ROZIVORADUZ/DATA/" + std::to_string(rec);
    return r;
}

struct DataList : ::testing::Test {
    test_support::TempDir dir;
    EngineLog log {dir.path()};
    TSystemDef saved = SysDef;
    DataList()
    {
        SysDef.WorkDir = dir.makeDir("work");
        SysDef.DataRoot = "/SRV/rozivoraduz";
    }
    ~DataList() override { SysDef = saved; }

    void fill(TPrDataList& list, int n)
    {
        for (int i = 0; i < n; ++i) {
            list.Rows.push_back(row(i + 1, "会社" + std::to_string(i + 1)));
            list.DispRows.push_back(i);
        }
    }
    static int linesAt(const std::vector<std::string>& lines, int page, int y)
    {
        const PageSplit split(lines);
        int n = 0;
        for (std::string_view l : split.page(page)) {
            const Record r(l);
            if (r.kind() == RecordKind::Line && r.number(2) == y)
                ++n;
        }
        return n;
    }
};

} // namespace

TEST_F(DataList, FiftySixRowsInPortraitMakeTwoPages)
{
    const std::string pdf = dir.file("list.pdf");
    PdfRunner runner(pdf, log);
    TPrDataList list(&runner);
    fill(list, 56);
    EXPECT_TRUE(list.PrintDataList(true));
    EXPECT_FALSE(std::filesystem::exists(dir.file("work/データリスト.TMP"))) << "deleted after printing";

    const PageSplit split(runner.lines);
    ASSERT_EQ(split.pageCount(), 2);
    // 55 lines on page 1: the 54 rulings between them, none under the last
    const int lastY = 405 + 44 * 54;
    EXPECT_EQ(linesAt(runner.lines, 1, lastY - 44 + 34), 1);
    EXPECT_EQ(linesAt(runner.lines, 1, lastY + 34), 0);
    EXPECT_EQ(linesAt(runner.lines, 1, 2820), 1);
    EXPECT_EQ(runner.last.Title, "印刷プレビュー");
    EXPECT_FALSE(runner.last.PrintFom);

    const auto words = pdfWords(pdf);
    int rowsOnPage1 = 0, rowsOnPage2 = 0;
    const Word* pageNo = nullptr;
    for (const Word& w : words) {
        if (w.text.rfind("会社", 0) == 0)
            (w.page == 1 ? rowsOnPage1 : rowsOnPage2)++;
        if (w.page == 1 && w.text == "1" && w.yMax < 300 * kPtPerUnit)
            pageNo = &w; // "PAGE    1"
    }
    EXPECT_EQ(rowsOnPage1, 55);
    EXPECT_EQ(rowsOnPage2, 1);
    ASSERT_NE(pageNo, nullptr);
    EXPECT_NEAR(pageNo->xMax, 2000 * kPtPerUnit, 1.0); // right-aligned at 200 mm
    EXPECT_NEAR(pageNo->yMin, 250 * kPtPerUnit, 1.5);
}

TEST_F(DataList, ColumnsByOrientationAndRow)
{
    PdfRunner runner(dir.file("l.pdf"), log);
    TPrDataList list(&runner);
    fill(list, 2);
    list.Rows[1].Data.NENDO = 0;
    TDataListRec child;
    child.DispName = "支店";
    child.DATACODE = "K1";
    list.Rows[0].Children.push_back(child);
    list.Orientation = 1;
    list.PrintDataList(false);
    const auto text = [&](const std::string& t) {
        for (const auto& l : runner.lines) {
            const Record r(l);
            if (r.kind() == RecordKind::Text && r.field(3) == t)
                return std::string(l);
        }
        return std::string();
    };
    EXPECT_EQ(text("コード"), "TEXT;250;325;コード;ＭＳ 明朝;9;;黒;1;LEFT;0;0;");
    EXPECT_EQ(text("C1"), "TEXT;250;405;C1;ＭＳ 明朝;9;;黒;1;LEFT;0;0;");
    EXPECT_EQ(text("  1"), "TEXT;170;405;  1;ＭＳ 明朝;9;;黒;1;LEFT;0;0;");
    EXPECT_EQ(text("12 期"), "TEXT;1250;405;12 期;ＭＳ 明朝;9;;黒;1;CENTER;0;0;");
    EXPECT_EQ(text("~/DATA/1"), "TEXT;1800;405;~/DATA/1;ＭＳ 明朝;9;;黒;1;LEFT;0;0;");
    EXPECT_EQ(text("支店"), "TEXT;450;449;支店;ＭＳ 明朝;9;;黒;1;LEFT;0;0;"); // the child's own line, no number
    EXPECT_EQ(text("  2").substr(0, 12), "TEXT;170;493");
    EXPECT_EQ(text("PAGE    1"), "TEXT;2820;250;PAGE    1;ＭＳ 明朝;9;;黒;1;RIGHT;0;0;");
    // the row without a fiscal term prints empty term and period columns
    int emptyTerms = 0;
    for (const auto& l : runner.lines)
        emptyTerms += l == "TEXT;1250;493;;ＭＳ 明朝;9;;黒;1;CENTER;0;0;";
    EXPECT_EQ(emptyTerms, 1);
    EXPECT_EQ(runner.last.Orientation, 1);
}

TEST(PrintOptions, MonochromeAndFonts)
{
    TLumen808 c;
    c.Colours.user1 = rgb(255, 0, 0);
    c.Colours.net1 = rgb(255, 0, 0);
    SetPrintMonochrome(1, c);
    EXPECT_EQ(c.Colours.user1, rgb(255, 0, 0));
    SetPrintMonochrome(0, c);
    EXPECT_EQ(c.Colours.user1, 0u);
    EXPECT_EQ(c.Colours.ocrGreen, 0u);
    EXPECT_EQ(c.Colours.net1, static_cast<Colour>(ColorToGray(static_cast<int>(rgb(255, 0, 0)))));
    EXPECT_EQ(PrintFontName(3), "ＭＳ Ｐゴシック");
    EXPECT_EQ(PrintFontName(7), "ＭＳ 明朝");
}
