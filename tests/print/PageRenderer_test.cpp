// The page renderer by record kind: pixels of an image at known places, and
// text positions in a PDF read back with pdftotext -bbox.
#include "render_support.h"

#include "print/PageBook.h"
#include "platform/codec.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QRect>

#include <filesystem>

using namespace print;
using namespace print_test;

namespace {

bool dark(const QImage& img, int x, int y)
{
    return qGray(img.pixel(x, y)) < 128;
}
bool white(const QImage& img, int x, int y)
{
    return img.pixel(x, y) == qRgb(255, 255, 255);
}

// Bounding box of the pixels that are not white inside an area.
QRect inkBox(const QImage& img, QRect area)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (img.pixel(x, y) != qRgb(255, 255, 255))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

struct Fixture : ::testing::Test {
    test_support::TempDir dir;
    EngineLog log {dir.path()};
    std::string logText() { return std::filesystem::exists(log.filePath()) ? dir.read(kLogFileName) : ""; }
};

} // namespace

using Render = Fixture;

TEST_F(Render, LinesHaveTheirWidthAndEnds)
{
    const QImage img
        = renderImage({"LINE;50;100;300;100;10;0;黒;", "LINE;50;300;300;300;10;2;黒;", "LINE;50;400;300;400;0;0;赤;"},
            unitSettings(), log);
    // solid, 1 mm wide: 95..104 dark, round ends reach past the end point
    EXPECT_TRUE(dark(img, 150, 96));
    EXPECT_TRUE(dark(img, 150, 103));
    EXPECT_TRUE(white(img, 150, 93));
    EXPECT_TRUE(white(img, 150, 107));
    EXPECT_TRUE(dark(img, 303, 100));
    // dotted and wide: gaps along the line, flat ends
    int inkCount = 0, gapCount = 0;
    for (int x = 60; x < 290; ++x)
        (dark(img, x, 300) ? inkCount : gapCount)++;
    EXPECT_GT(inkCount, 20);
    EXPECT_GT(gapCount, 20);
    EXPECT_TRUE(white(img, 303, 300));
    // width 0: one device pixel
    EXPECT_EQ(img.pixel(150, 400), qRgb(255, 0, 0));
    EXPECT_TRUE(white(img, 150, 399));
    EXPECT_TRUE(white(img, 150, 401));
}

TEST_F(Render, BoxesExcludeTheirRightAndBottomEdge)
{
    const QImage img
        = renderImage({"BOX;100;100;200;200;0;0;黒;赤;0;", "BOX;300;100;400;200;0;0;黒;赤;1;"}, unitSettings(), log);
    EXPECT_EQ(img.pixel(150, 150), qRgb(255, 0, 0));
    EXPECT_TRUE(dark(img, 100, 150));
    EXPECT_TRUE(dark(img, 199, 150));
    EXPECT_TRUE(white(img, 200, 150));
    EXPECT_TRUE(dark(img, 150, 199));
    EXPECT_TRUE(white(img, 150, 200));
    EXPECT_TRUE(white(img, 350, 150)); // brush style 1: not filled
    EXPECT_TRUE(dark(img, 300, 150));
}

TEST_F(Render, HatchesRunTheirWay)
{
    const QImage img = renderImage(
        {"BOX;100;100;300;300;0;5;黒;青;2;", "BOX;320;100;520;300;0;5;黒;青;4;", "BOX;100;320;300;520;0;5;黒;青;5;"},
        unitSettings(), log);
    const QRgb blue = qRgb(0, 0, 255);
    // horizontal: whole rows are blue or white
    int blueRows = 0;
    for (int y = 110; y < 290; ++y) {
        bool all = true, none = true;
        for (int x = 110; x < 290; ++x)
            (img.pixel(x, y) == blue ? none : all) = false;
        EXPECT_TRUE(all || none) << y;
        blueRows += all;
    }
    EXPECT_GT(blueRows, 5);
    // forward diagonal "\" and backward diagonal "/"
    const auto along = [&](QRect area, int dy) {
        int n = 0;
        for (int y = area.top(); y < area.bottom(); ++y)
            for (int x = area.left(); x < area.right(); ++x)
                n += img.pixel(x, y) == blue && img.pixel(x + 1, y + dy) == blue;
        return n;
    };
    EXPECT_GT(along({330, 110, 180, 180}, 1), 10 * along({330, 110, 180, 180}, -1));
    EXPECT_GT(along({110, 330, 180, 180}, -1), 10 * along({110, 330, 180, 180}, 1));
    // the gaps of a hatch are the opaque white background, no pen (style 5)
    EXPECT_TRUE(white(img, 100, 200) || img.pixel(100, 200) == blue);
}

TEST_F(Render, BackgroundFillLiesUnderTextWrittenBeforeIt)
{
    const QImage img = renderImage(
        {"TEXT;100;100;■■;ＭＳ ゴシック;20;;黒;;", "FRECT;50;50;400;200;黄;1;", "FRECT;50;300;400;400;黄;0;",
            "TEXT;100;320;■■;ＭＳ ゴシック;20;;黒;;", "FRECT;80;310;400;400;灰;2;"},
        unitSettings(), log);
    const QRect ink = inkBox(img, {50, 50, 351, 151});
    int black = 0, yellow = 0;
    for (int y = 50; y < 200; ++y)
        for (int x = 50; x < 400; ++x) {
            black += img.pixel(x, y) == qRgb(0, 0, 0);
            yellow += img.pixel(x, y) == qRgb(255, 255, 0);
        }
    EXPECT_GT(black, 200) << "the text is still on top";
    EXPECT_GT(yellow, 1000);
    (void)ink;
    // mode 2 multiplies: yellow x grey darkens, black text stays black
    EXPECT_EQ(img.pixel(60, 350), qRgb(255, 255, 0));
    EXPECT_EQ(img.pixel(390, 390), qRgb(128, 128, 0));
    int blackUnder = 0;
    for (int y = 320; y < 390; ++y)
        for (int x = 100; x < 250; ++x)
            blackUnder += img.pixel(x, y) == qRgb(0, 0, 0);
    EXPECT_GT(blackUnder, 200);
}

TEST_F(Render, TextHangsFromTheTopOfItsCell)
{
    // 20 pt at 254 dpi: 71 pixels
    const QImage img = renderImage({"TEXT;100;200;■;ＭＳ ゴシック;20;;黒;;"}, unitSettings(), log);
    const QRect ink = inkBox(img, {0, 0, 600, 600});
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.top(), 200);
    EXPECT_LT(ink.top(), 200 + 25);
    EXPECT_LE(ink.bottom(), 200 + 80);
    EXPECT_NEAR(ink.left(), 100, 12);

    const QImage centred = renderImage({"TEXT;300;200;■;ＭＳ ゴシック;20;;黒;;CENTER;"}, unitSettings(), log);
    const QRect c = inkBox(centred, {0, 0, 600, 600});
    EXPECT_NEAR((c.left() + c.right()) / 2.0, 300, 4);
    const QImage right = renderImage({"TEXT;300;200;■;ＭＳ ゴシック;20;;黒;;RIGHT;"}, unitSettings(), log);
    EXPECT_LE(inkBox(right, {0, 0, 600, 600}).right(), 300);
    EXPECT_GT(inkBox(right, {0, 0, 600, 600}).right(), 285);
    // opaque background fills the cell
    const QImage bg = renderImage({"TEXT;100;200;a;ＭＳ ゴシック;20;;黒;赤;"}, unitSettings(), log);
    EXPECT_EQ(bg.pixel(101, 201), qRgb(255, 0, 0));
}

TEST_F(Render, VerticalTextStacksAndTurnsTheLongVowelMark)
{
    const QImage img = renderImage({"VTEXT;100;100;アー;ＭＳ ゴシック;20;;黒;;;400;"}, unitSettings(), log);
    // two characters over 40 mm: the second starts at 100 + 400 - 71 = 429
    const QRect first = inkBox(img, {90, 90, 100, 100});
    const QRect second = inkBox(img, {90, 420, 100, 100});
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_TRUE(inkBox(img, {90, 200, 100, 200}).isEmpty());
    EXPECT_GT(second.height(), 3 * second.width()) << "the bar stands upright";
}

TEST_F(Render, MarginsCorrectionsAndRatios)
{
    RenderSettings s = unitSettings();
    s.leftMargin = 20;
    s.topMargin = 30;
    s.job.LeftCorrect = 10;
    s.job.TopCorrect = 5;
    s.job.FormLeftMargin = 100;
    const std::vector<std::string> page {"LINE;50;50;50;150;0;0;黒;"};
    EXPECT_TRUE(dark(renderImage(page, s, log), 70, 120)); // preview: margins only
    s.printer = true;
    EXPECT_TRUE(dark(renderImage(page, s, log), 80, 120)); // paper: plus corrections
    EXPECT_TRUE(dark(renderImage(page, s, log, nullptr, {600, 600}, Layer::Form), 180, 120));
    s.printer = false;
    s.evenPage = true;
    s.job.EvenShift = 40;
    EXPECT_TRUE(dark(renderImage(page, s, log), 110, 120));
    s = unitSettings();
    s.hRatio = 2000;
    s.vRatio = 1000;
    EXPECT_TRUE(dark(renderImage(page, s, log), 100, 120));
    // a margin record moves the rest of the page
    const QImage shifted = renderImage({"LEFTMARGIN;100;", "LINE;50;50;50;150;0;0;黒;"}, unitSettings(), log);
    EXPECT_TRUE(dark(shifted, 150, 120));
    // BP moves later records, RRECT ignores it
    const QImage bp = renderImage({"BP;200;200;0;0;青;", "LINEB;100;0;", "LINEB;100;100;"}, unitSettings(), log);
    EXPECT_EQ(bp.pixel(250, 200), qRgb(0, 0, 255));
    EXPECT_EQ(bp.pixel(300, 250), qRgb(0, 0, 255));
}

TEST_F(Render, FormNotPrintedIsGreyAndGreyScaleKeepsBlack)
{
    RenderSettings s = unitSettings();
    s.job.PrintFom = false;
    const QImage form = renderImage({"LINE;50;100;300;100;0;0;赤;"}, s, log, nullptr, {600, 600}, Layer::Form);
    EXPECT_EQ(form.pixel(100, 100), qRgb(230, 230, 230));
    s.job.GrayScale = true;
    const QImage data = renderImage({"LINE;50;100;300;100;0;0;赤;", "LINE;50;200;300;200;0;0;黒;"}, s, log);
    EXPECT_EQ(data.pixel(100, 100), qRgb(76, 76, 76));
    EXPECT_EQ(data.pixel(100, 200), qRgb(0, 0, 0));
}

TEST_F(Render, AFailingRecordIsSkippedLoggedAndCounted)
{
    LayerResult result;
    const QImage img = renderImage(
        {"CHART;c;10;10;100;100;0;", "IMAGE;1;1;9;9;" + dir.write("x.WMF", "x") + ";0;", "LINE;50;100;300;100;0;0;黒;"},
        unitSettings(), log, &result);
    EXPECT_EQ(result.failures, 2);
    EXPECT_TRUE(dark(img, 100, 100)) << "the rest of the page is drawn";
    EXPECT_NE(logText().find("ImageOut.(CHART):"), std::string::npos);
    EXPECT_NE(logText().find("ImageOut.(IMAGE):"), std::string::npos);
    // missing image files draw nothing and are no failure
    renderImage({"IMAGE;1;1;9;9;" + dir.file("none.BMP") + ";0;"}, unitSettings(), log, &result);
    EXPECT_EQ(result.failures, 0);
}

TEST_F(Render, ImagesAndSubForms)
{
    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    const std::string bmp = dir.file("pic.bmp");
    ASSERT_TRUE(red.save(QString::fromStdString(bmp), "BMP"));
    const std::string form
        = dir.write("sub.80F", platform::codec::toSjis("LINE;0;0;100;0;0;0;青;\r\nE;\r\nLINE;0;50;100;50;0;0;赤;\r\n"));
    LayerResult result;
    const QImage img = renderImage(
        {"IMAGE;100;100;200;200;" + bmp + ";0;", "FORM;" + form + ";FALSE;300;300;"}, unitSettings(), log, &result);
    EXPECT_EQ(result.failures, 0) << logText();
    EXPECT_EQ(img.pixel(150, 150), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(350, 300), qRgb(0, 0, 255)); // page 1 of the sub-form, at its origin
    EXPECT_TRUE(white(img, 350, 350)); // its page 2 is not drawn
}

TEST_F(Render, TextPositionsInAPdf)
{
    const std::string pdf = dir.file("t.pdf");
    RenderSettings s;
    s.job.PageBango.Switch = true;
    s.job.PageBango.Format = "%d/%d";
    s.job.PageBango.PageNoCount = 2;
    s.job.PageBango.Left = 1000;
    s.job.PageBango.Top = 2800;
    s.job.PageBango.Alignment = 0;
    s.pageNumber = 3;
    s.numberedTotal = 5;
    renderPdf(pdf,
        {{"TEXT;100;200;Tokyo;ＭＳ 明朝;10;;黒;;", "text;300;400;ab", "TEXT;0;0;cd;",
            "TEXT;1500;600;RightEdge;;10;;黒;;RIGHT;", "TEXT;100;800;one\ttwo;;10;;黒;;"}},
        s, log);
    const auto words = pdfWords(pdf);
    const auto find = [&](const std::string& t) -> const Word* {
        for (const Word& w : words)
            if (w.text == t)
                return &w;
        return nullptr;
    };
    const Word* tokyo = find("Tokyo");
    ASSERT_NE(tokyo, nullptr);
    EXPECT_NEAR(tokyo->xMin, 100 * kPtPerUnit, 1.0);
    EXPECT_NEAR(tokyo->yMin, 200 * kPtPerUnit, 1.5);
    const Word* abcd = find("abcd"); // "cd" at (0,0) continues after "ab"
    ASSERT_NE(abcd, nullptr);
    EXPECT_NEAR(abcd->xMin, 300 * kPtPerUnit, 1.0);
    const Word* right = find("RightEdge");
    ASSERT_NE(right, nullptr);
    EXPECT_NEAR(right->xMax, 1500 * kPtPerUnit, 1.0);
    const Word* one = find("one");
    const Word* two = find("two");
    ASSERT_TRUE(one && two);
    EXPECT_NEAR(two->xMin, one->xMin, 0.5); // a TAB starts a new line at the same x
    EXPECT_GT(two->yMin, one->yMin + 2);
    const Word* number = find("3/5");
    ASSERT_NE(number, nullptr);
    EXPECT_NEAR(number->xMin, 1000 * kPtPerUnit, 1.0);
    EXPECT_NEAR(number->yMin, 2800 * kPtPerUnit, 1.5);
}

TEST_F(Render, ShapesAndSpacedTextByKind)
{
    LayerResult result;
    const QImage img
        = renderImage({"CIRCLE;100;100;200;200;0;0;黒;赤;0;", "RRECT;300;100;500;200;40;40;0;0;黒;青;0;",
                          "SLINE;500;300;400;2;0;0;黒;ＭＳ ゴシック;10;", "MARUMOJI;150;450;80;A;ＭＳ ゴシック;10;;緑;",
                          "MEMO;300;450;560;520;ああああああああああああ;0;ＭＳ ゴシック;10;;黒;",
                          "UTEXT;50;250;AB;ＭＳ ゴシック;10;;黒;;;200;"},
            unitSettings(), log, &result);
    EXPECT_EQ(result.failures, 0) << logText();
    EXPECT_EQ(img.pixel(150, 150), qRgb(255, 0, 0)); // ellipse filled
    EXPECT_TRUE(white(img, 103, 103)); // outside the ellipse, inside its box
    EXPECT_EQ(img.pixel(400, 150), qRgb(0, 0, 255)); // rounded rectangle filled
    EXPECT_TRUE(white(img, 301, 101)); // its corner is rounded off
    // SLINE: two separators left of x at multiples of the width of "000"
    int lines = 0;
    for (int x = 300; x < 500; ++x)
        lines += dark(img, x, 350) && !dark(img, x - 1, 350);
    EXPECT_EQ(lines, 2);
    // MARUMOJI: a green ring of radius 40 around (150, 450)
    EXPECT_EQ(qGreen(img.pixel(190, 450)) > 100 && qRed(img.pixel(190, 450)) < 50, true);
    // MEMO: a frame 5 units outside the rectangle; the text wraps and stops inside it
    EXPECT_TRUE(dark(img, 295, 480));
    EXPECT_FALSE(inkBox(img, {300, 450, 260, 70}).isEmpty());
    EXPECT_TRUE(inkBox(img, {300, 527, 260, 40}).isEmpty());
    // UTEXT: "B" sits at the far end of the 20 mm width
    const QRect spaced = inkBox(img, {40, 240, 400, 50});
    EXPECT_GT(spaced.right(), 230);
    EXPECT_LE(spaced.right(), 252);
}

TEST(RenderHelpers, RoundingAndFonts)
{
    EXPECT_EQ(roundEven(2.5), 2);
    EXPECT_EQ(roundEven(3.5), 4);
    EXPECT_EQ(mulDiv(3, 300, 72), 13); // halves away from zero
    EXPECT_EQ(mulDiv(10, 96, 72), 13);
    EXPECT_EQ(resolveFontName(""), "ＭＳ 明朝");
    EXPECT_EQ(resolveFontName("OCR-B"), "ＭＳ ゴシック");
    EXPECT_EQ(qtFontFamily("ＭＳ 明朝"), "IPAexMincho");
    EXPECT_EQ(qtFontFamily("@ＭＳ ゴシック"), "IPAexGothic");
    EXPECT_EQ(qtFontFamily("ＭＳ Ｐゴシック"), "IPAPGothic");
}
