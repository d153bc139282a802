// The preview window under the offscreen platform: paging, jumping,
// zooming, the print buttons, close codes, and that what it paints is the
// renderer's page. With PRINT_SCREENSHOT set it writes a picture of a
// data list's preview (run under xvfb-run with QT_QPA_PLATFORM=xcb).
#include "print/PreviewWindow.h"

#include "print/PrDataList.h"
#include "core/uAccRecord.h"

#include "platform/codec.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QLabel>
#include <QToolButton>

using namespace print;

namespace {

struct Preview : ::testing::Test {
    test_support::TempDir dir;
    TP808DEF job;
    std::vector<QString> answers;
    std::vector<int> printed;

    void writeJob(int pages)
    {
        std::string bytes = "*LUMEN808*" + std::string(60, '*') + "\r\n";
        for (int p = 1; p <= pages; ++p) {
            if (p > 1)
                bytes += "E;\r\n";
            bytes += platform::codec::toSjis("TEXT;200;200;ページ" + std::to_string(p) + ";ＭＳ 明朝;20;;黒;;\r\n");
            bytes += "LINE;200;400;1800;400;5;0;0;\r\nBOX;200;500;800;900;2;0;0;;4;\r\n";
        }
        job.DataFile = dir.write("job.TMP", bytes);
    }
    PreviewServices services()
    {
        PreviewServices s;
        s.askPage = [this]() -> std::optional<QString> {
            if (answers.empty())
                return std::nullopt;
            QString a = answers.front();
            answers.erase(answers.begin());
            return a;
        };
        s.print = [this](TP808DEF& j) {
            printed.push_back(j.PrnDlg ? 1 : 0);
            j.DataFile = "changed";
            throw std::runtime_error("printer on fire");
            return 0;
        };
        return s;
    }
};

QToolButton* button(QWidget& w, const char* name)
{
    return w.findChild<QToolButton*>(name);
}

} // namespace

TEST_F(Preview, PagesAndJumps)
{
    writeJob(5);
    TImageDispForm form(job, services());
    EXPECT_TRUE(form.loaded());
    EXPECT_EQ(form.pageLabel(), "1/5");
    for (int i = 0; i < 4; ++i)
        button(form, "NextPage")->click();
    EXPECT_EQ(form.pageLabel(), "5/5");
    button(form, "NextPage")->click();
    EXPECT_EQ(form.pageLabel(), "5/5");
    button(form, "TopPage")->click();
    button(form, "PrevPage")->click();
    EXPECT_EQ(form.currentPage(), 1);
    button(form, "LastPage")->click();
    EXPECT_EQ(form.currentPage(), 5);
    answers = {"0", "6", "abc", "3"};
    for (int i = 0; i < 3; ++i) {
        button(form, "PgJump")->click();
        EXPECT_EQ(form.currentPage(), 5);
    }
    button(form, "PgJump")->click();
    EXPECT_EQ(form.pageLabel(), "3/5");
    EXPECT_EQ(form.findChild<QLabel*>("WherePage")->text(), "3/5");
}

TEST_F(Preview, ZoomStaysWithinItsRange)
{
    writeJob(1);
    job.Zoom = 20;
    TImageDispForm form(job, services());
    EXPECT_EQ(form.zoom(), 20);
    button(form, "ZoomInButton")->click();
    EXPECT_EQ(form.zoom(), 20);
    EXPECT_EQ(form.zoomLabel(), "200%");
    for (int i = 0; i < 20; ++i)
        button(form, "ZoomOutButton")->click();
    EXPECT_EQ(form.zoom(), 5);
    button(form, "SpeedButton3")->click();
    EXPECT_EQ(form.zoom(), 10);
    form.resize(400, 300); // too small for any zoom: the fit changes nothing
    button(form, "ZoomJustButton")->click();
    EXPECT_EQ(form.zoom(), 10);
    form.resize(3000, 4000);
    form.show();
    QApplication::processEvents();
    button(form, "ZoomJustButton")->click();
    EXPECT_GT(form.zoom(), 10);
}

TEST_F(Preview, PermitAndCloseCodes)
{
    writeJob(2);
    job.Permit = false;
    {
        TImageDispForm form(job, services());
        EXPECT_FALSE(button(form, "PrintButton")->isEnabled());
        EXPECT_FALSE(button(form, "PrintSetupButton")->isEnabled());
        EXPECT_FALSE(button(form, "CurrentPage")->isEnabled());
        button(form, "PrintButton")->click();
        EXPECT_TRUE(printed.empty());
        button(form, "NextPage")->click(); // the preview itself still works
        EXPECT_EQ(form.currentPage(), 2);
        form.show();
        QApplication::processEvents();
        form.close();
        EXPECT_EQ(form.CloseCode, 1); // paper buttons hidden
    }
    job.PrevPaperButton = true;
    {
        TImageDispForm form(job, services());
        form.show();
        QApplication::processEvents();
        form.close();
        EXPECT_EQ(form.CloseCode, 0);
    }
    {
        TImageDispForm form(job, services());
        button(form, "PrevPaper")->click();
        EXPECT_EQ(form.CloseCode, -1);
    }
}

TEST_F(Preview, PrintRestoresTheJobEvenWhenItFails)
{
    writeJob(3);
    job.PrnDlg = false;
    TImageDispForm form(job, services());
    button(form, "NextPage")->click();
    button(form, "PrintButton")->click();
    ASSERT_EQ(printed, std::vector<int> {1}); // the print dialog is shown from the preview
    EXPECT_EQ(job.DataFile, dir.file("job.TMP"));
    EXPECT_FALSE(job.PrnDlg);
    EXPECT_EQ(form.currentPage(), 2);
}

TEST_F(Preview, PaintsTheRenderersPage)
{
    writeJob(2);
    TImageDispForm form(job, services());
    form.resize(1200, 1600);
    form.show();
    QApplication::processEvents();
    QWidget* box = form.findChild<QWidget*>("ImagePaintBox");
    ASSERT_NE(box, nullptr);
    const QImage shown = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage expected(shown.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QPainter p(&expected);
        form.drawSheet(p, form.screenDpi());
    }
    int differ = 0, ink = 0;
    for (int y = 1; y < shown.height() - 1; ++y)
        for (int x = 1; x < shown.width() - 1; ++x) {
            differ += shown.pixel(x, y) != expected.pixel(x, y);
            ink += expected.pixel(x, y) != qRgb(255, 255, 255);
        }
    EXPECT_EQ(differ, 0);
    EXPECT_GT(ink, 100);
    // the printable area's outline is blue
    int blue = 0;
    for (int x = 0; x < shown.width(); ++x)
        blue += shown.pixel(x, 0) == qRgb(0, 0, 255);
    EXPECT_GT(blue, shown.width() / 4);
}

TEST_F(Preview, MissingFilesAreReported)
{
    std::vector<std::string> shown;
    setEngineErrorBox([&](const std::string& t) { shown.push_back(t); });
    job.DataFile = dir.file("none.TMP");
    EXPECT_EQ(RunPreview(job), 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "<" + dir.file("none.TMP") + "> が見つかりません。");
    setEngineErrorBox(nullptr);
}

namespace {

// Shows the data list's job in the preview and saves a picture of the window.
class ScreenshotRunner : public JobRunner {
public:
    explicit ScreenshotRunner(QString target)
        : target_(std::move(target))
    {
    }
    int runPreview(TP808DEF& job) override
    {
        TImageDispForm form(job, {});
        form.resize(1100, 1000);
        form.show();
        QApplication::processEvents();
        form.findChild<QToolButton*>("ZoomJustButton")->click();
        QApplication::processEvents();
        saved = form.grab().save(target_);
        return form.CloseCode;
    }
    int runPrint(TP808DEF&) override { return 0; }
    int selectedPrinter() const override { return -1; }
    int selectedCopies() const override { return 1; }
    bool saved = false;

private:
    QString target_;
};

} // namespace

TEST(PreviewScreenshot, WritesPictureWhenAsked)
{
    const QString target = qEnvironmentVariable("PRINT_SCREENSHOT");
    if (target.isEmpty())
        GTEST_SKIP() << "set PRINT_SCREENSHOT to write the picture";
    test_support::TempDir dir;
    const TSystemDef saved = SysDef;
    SysDef.WorkDir = dir.path();
    SysDef.DataRoot = "/srv/miruza";
    ScreenshotRunner runner(target);
    TPrDataList list(&runner);
    const char* names[] = {"株式会社ミルザ商事", "有限会社サンプル工業", "合同会社テスト企画", "医療法人ひかり会"};
    for (int i = 0; i < 30; ++i) {
        TDataSentakuRec r;
        r.Data.REC = i + 1;
        r.Data.DispName = r.Data.ENTTEXT = std::string(names[i % 4]) + (i >= 4 ? "　" + std::to_string(i / 4 + 1) : "");
        r.Data.NENDO = 10 + i % 5;
        r.Data.KikanText = "R06/04/01～R07/03/31";
        r.Data.PASNAME = "/srv/miruza/DATA/" + std::to_string(1000 + i);
        list.Rows.push_back(r);
        list.DispRows.push_back(i);
    }
    list.PrintDataList(false);
    SysDef = saved;
    EXPECT_TRUE(runner.saved);
}
