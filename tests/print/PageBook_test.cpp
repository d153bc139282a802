// Page bookkeeping: totals, page numbers, orientations, paper table,
// conversion factors, grey scale and form-file lookup.
#include "print/PageBook.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace print;

TEST(PageBook, PageTotalsAndFormCycle)
{
    EXPECT_EQ(countTotalPages(2, 3), 4);
    EXPECT_EQ(countTotalPages(5, 3), 5);
    EXPECT_EQ(countTotalPages(1, 7), 7);
    EXPECT_EQ(countTotalPages(0, 7), 7);
    EXPECT_EQ(countTotalPages(3, 3), 3);
    const int forms[] = {1, 2, 1, 2};
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(formPageForSheet(k, 2), forms[k - 1]);
    // a form file ending with its page end has an empty last page, counted
    // and cycled alike
    const PageSplit form({"LINE;1;1;2;2;", "E;", "LINE;1;1;2;2;", "E;"});
    EXPECT_EQ(form.pageCount(), 3);
    EXPECT_EQ(formPageForSheet(4, form.pageCount()), 1);
}

TEST(PageBook, PageNumbersTestTheRecordKind)
{
    const PageSplit data(
        {"*LUMEN808*", "TEXT;1;1;a;", "E;", "ORIENTATION;1;", "E;", "TEXT;1;1;ONLINE;", "E;", "LINE;1;1;2;2;", "E;"});
    const PageNumbers on = pageNumberList(data, true);
    EXPECT_EQ(on.numbers, (std::vector<int> {1, 0, 2, 0, 0})); // the trailing page end leaves an empty page
    EXPECT_EQ(on.total, 2);
    const PageNumbers off = pageNumberList(data, false);
    EXPECT_EQ(off.numbers, (std::vector<int> {0, 0, 0, 0, 0}));
    EXPECT_EQ(off.total, 0);
    // header lines count as lines of page 1
    EXPECT_EQ(pageNumberList(PageSplit({"*LUMEN808*"}), true).numbers, std::vector<int> {1});
    EXPECT_EQ(pageNumberList(PageSplit({"E;"}), true).numbers, (std::vector<int> {0, 0}));
}

TEST(PageBook, OrientationPerPage)
{
    const PageSplit data(
        {"ORIENTATION;1;", "ORIENTATION;0;", "E;", "ORIENTATION;1;", "E;", "*ORIENTATION;1;", "E;", "ORIENTATION;x;"});
    EXPECT_EQ(orientationList(data, 0), (std::vector<int> {0, 1, 0, 0}));
    EXPECT_EQ(orientationList(data, 1), (std::vector<int> {0, 1, 1, 1}));
}

TEST(PageBook, PaperTableIsPerAnswer)
{
    const PaperMM a4 = paperSizeMM(9, 200, 287);
    EXPECT_EQ(a4.width, 210);
    EXPECT_EQ(a4.height, 297);
    EXPECT_FALSE(a4.outsideTable);
    const PaperMM odd = paperSizeMM(256, 200, 287);
    EXPECT_EQ(odd.width, 200);
    EXPECT_EQ(odd.height, 307);
    EXPECT_TRUE(odd.outsideTable);
    EXPECT_FALSE(paperSizeMM(9, 200, 287).outsideTable); // an unusual paper leaves no trace
    EXPECT_EQ(paperSizeMM(46, 0, 0).width, 381);
}

TEST(PageBook, RatiosAndGreyScale)
{
    double v = 0, h = 0;
    updateRatios(9, 8, 1000, 1000, v, h);
    EXPECT_EQ(v, 1414);
    EXPECT_EQ(h, 1414);
    updateRatios(13, 9, 1000, 1000, v, h);
    EXPECT_EQ(v, 1156);
    EXPECT_EQ(h, 1154);
    v = h = 0;
    updateRatios(9, 99, 1000, 1000, v, h); // not tabled: unchanged
    EXPECT_EQ(v, 0);
    updateRatios(9, 9, 980, 1010, v, h);
    EXPECT_EQ(v, 980);
    EXPECT_EQ(h, 1010);

    EXPECT_EQ(applyGreyScale(rgb(255, 0, 0), true), rgb(76, 76, 76));
    EXPECT_EQ(applyGreyScale(rgb(0, 0, 255), true), rgb(29, 29, 29));
    EXPECT_EQ(applyGreyScale(rgb(255, 255, 255), true), rgb(255, 255, 255));
    EXPECT_EQ(applyGreyScale(rgb(0, 0, 0), true), rgb(0, 0, 0));
    EXPECT_EQ(applyGreyScale(rgb(255, 0, 0), false), rgb(255, 0, 0));
}

TEST(PageBook, FormFileLookupShowsItsBox)
{
    test_support::TempDir dir;
    std::vector<std::string> shown;
    setEngineErrorBox([&](const std::string& t) { shown.push_back(t); });
    EXPECT_EQ(findFormFile(""), std::nullopt);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(findFormFile(dir.file("none.80F")), std::nullopt);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "<" + dir.file("none.80F") + "> が見つかりません。");
    const std::string f = dir.write("a.80F", "E;");
    EXPECT_EQ(findFormFile(f), f);
    setEngineErrorBox(nullptr);
}
