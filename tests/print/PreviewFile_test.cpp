// Saving a job as a preview file with copies of its form, sub-form and
// images, and loading it back: the copies are named in the records and the
// reloaded job draws the same sheet.
#include "print/PreviewFile.h"

#include "render_support.h"

#include "platform/codec.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace print;
using namespace print_test;

namespace {

QImage sheet(const TP808DEF& job, EngineLog& log)
{
    const PageSplit data(readLines(job.DataFile));
    const PageSplit form(readLines(job.FormFile));
    RenderSettings s = unitSettings();
    s.job = job;
    QImage img(700, 700, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    PageRenderer r(s, log);
    r.render(Layer::Form, form.page(1), false, p);
    r.render(Layer::Data, data.page(1), false, p);
    return img;
}

} // namespace

TEST(PreviewFile, SaveAndLoadKeepTheSheet)
{
    test_support::TempDir dir;
    EngineLog log(dir.path());
    QImage red(4, 4, QImage::Format_RGB32), blue(4, 4, QImage::Format_RGB32);
    red.fill(Qt::red);
    blue.fill(Qt::blue);
    dir.makeDir("a");
    dir.makeDir("b");
    ASSERT_TRUE(red.save(QString::fromStdString(dir.file("a/pic.bmp")), "BMP"));
    ASSERT_TRUE(blue.save(QString::fromStdString(dir.file("b/pic.bmp")), "BMP")); // same name, other folder
    const std::string sub = dir.write("sub.80F", "LINE;0;0;100;0;0;0;12;\r\n");
    const std::string form = dir.write("form.80F", "BOX;10;10;600;600;0;0;0;;1;\r\n");
    const std::string data = dir.write("job.TMP",
        platform::codec::toSjis("*LUMEN808*" + std::string(60, '*') + "\r\n*FORMFILE=" + form
            + "\r\n*PAPERSIZE=9\r\n*ORIENTATION=0\r\n*TOPMARGIN=20\r\n*FORMLEFTMARGIN=5\r\n"
              "*NETC1=$0000FF\r\n*FORMPRINT=TRUE\r\n*COPIES=3\r\n"
              "IMAGE;100;100;200;200;"
            + dir.file("a/pic.bmp")
            + ";0;\r\n"
              "IMAGE;300;100;400;200;"
            + dir.file("b/pic.bmp")
            + ";0;\r\n"
              "FORM;"
            + sub + ";FALSE;50;400;\r\nTEXT;100;300;保存;\r\n"));
    TP808DEF job;
    job.DataFile = data;
    job.FormFile = form;
    job.TopMargin = 20;
    job.FormLeftMargin = 5;
    const QImage before = sheet(job, log);

    const std::string out = dir.makeDir("out");
    savePreviewFile(job, out + "/report.808");
    const auto saved = readLines(out + "/report.808");
    EXPECT_EQ(saved[1], "*FORMFILE=" + out + "/report.80F");
    EXPECT_TRUE(std::filesystem::exists(out + "/report.80F"));
    EXPECT_EQ(saved[9], "IMAGE;100;100;200;200;" + out + "/report_IMAGE-1_pic.bmp;0;");
    EXPECT_EQ(saved[10], "IMAGE;300;100;400;200;" + out + "/report_IMAGE-2_pic.bmp;0;");
    EXPECT_EQ(saved[11], "FORM;" + out + "/report_FORMAT-1.80F;FALSE;50;400;");

    TP808DEF fresh;
    const TP808DEF back = loadPreviewFile(out + "/report.808", fresh);
    EXPECT_EQ(back.FormFile, out + "/report.80F");
    EXPECT_EQ(back.TopMargin, 20);
    EXPECT_EQ(back.FormLeftMargin, 5);
    EXPECT_EQ(back.Colours.net1, rgb(255, 0, 0));
    EXPECT_EQ(back.Copie, 3);
    EXPECT_TRUE(back.PrintFom);
    // the originals gone, the reloaded job still draws the same sheet
    std::filesystem::remove_all(dir.file("a"));
    std::filesystem::remove_all(dir.file("b"));
    std::filesystem::remove(sub);
    const QImage after = sheet(back, log);
    EXPECT_EQ(after, before);
    EXPECT_EQ(after.pixel(350, 150), qRgb(0, 0, 255));

    const std::string foreign = dir.write("x.808", "TEXT;1;1;a;\r\n");
    EXPECT_THROW(
        {
            try {
                loadPreviewFile(foreign, fresh);
            } catch (const PrintDataError& e) {
                EXPECT_STREQ(e.what(), "[LUMEN808]印刷ファイルではありません。");
                throw;
            }
        },
        PrintDataError);
    std::filesystem::remove(out + "/report.80F");
    EXPECT_THROW(loadPreviewFile(out + "/report.808", fresh), PrintDataError); // form copy missing: told, not silent
}
