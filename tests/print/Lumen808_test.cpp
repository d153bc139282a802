// The print component: what it writes (byte for byte), how it fits texts,
// its setter rules and what happens around a preview or print.
#include "print/Lumen808.h"

#include "print/EngineLog.h"
#include "platform/codec.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace print;

namespace {

std::string goldenBytes(const std::string& name)
{
    const std::string here = __FILE__;
    std::ifstream in(here.substr(0, here.find_last_of('/')) + "/golden/" + name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::tm fixedDay()
{
    std::tm t {};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 11;
    t.tm_hour = 4;
    t.tm_min = 5;
    t.tm_sec = 6;
    return t;
}

// Records what it was handed instead of showing or printing.
class RecordingRunner : public JobRunner {
public:
    int runPreview(TP808DEF& job) override
    {
        previews.push_back(job);
        fileExistedDuringRun = std::filesystem::exists(job.DataFile);
        return previewCode;
    }
    int runPrint(TP808DEF& job) override
    {
        prints.push_back(job);
        return printCode;
    }
    int selectedPrinter() const override { return 3; }
    int selectedCopies() const override { return 4; }

    std::vector<TP808DEF> previews, prints;
    int previewCode = 1;
    int printCode = -1;
    bool fileExistedDuringRun = false;
};

} // namespace

TEST(Lumen808, ScriptedJobMatchesTheGoldenFileByteForByte)
{
    test_support::TempDir dir;
    TLumen808 p;
    p.setDateClock(fixedDay);
    p.DataFile = dir.file("job.TMP");
    p.Title = "データリスト";
    p.Orientation = 1;
    p.TopMargin = -5;
    p.LeftMargin = 30;
    p.Colours.net2 = rgb(0x12, 0x34, 0x56);
    p.Colours.user2 = rgb(255, 0, 0);
    p.PrintFom = false;
    p.setCopie(2);
    p.setPageBangoFormat("%d/%d");
    p.PageBango = true;
    p.PageBangoLeft = 1000;
    p.PageBangoTop = 2800;
    p.setPageBangoAlignment(Alignment::Center);

    p.Open();
    p.WriteHeader(); // a second header is not written
    p.AddText(100, 200, "売上;合計", "ＭＳ 明朝", 10, "B", "黒", "OFF", "left", 0);
    p.AddLine(100, 300, 2000, 300, 2, 0, "0");
    p.NewPage();
    p.AddBox(10, 20, 30, 40, 1, 0, "黒", "白", 1);
    // CR LF inside a text must not end the page or start a record of its own
    p.AddText(0, 0, "a\r\nE;①～", "ＭＳ ゴシック", 9, "", "赤", "薄網掛", "right", 0);
    p.AddLine(1, 2, 3, 4, 5, 2, "青", true);
    p.Close();

    std::string expected = goldenBytes("job.808");
    ASSERT_FALSE(expected.empty());
    expected.replace(expected.find("@PATH@"), 6, dir.path());
    EXPECT_EQ(dir.read("job.TMP"), expected);
    EXPECT_EQ(p.PageNo, 2);
}

TEST(Lumen808, BlankPageMarkerBeforeEveryPageEnd)
{
    test_support::TempDir dir;
    TLumen808 p;
    p.DataFile = dir.file("b.TMP");
    p.BlankPage = 1;
    p.Open();
    p.NewPage();
    p.Close();
    const std::string bytes = dir.read("b.TMP");
    const std::string tail = platform::codec::toSjis("BOX;100;100;101;101;0;0;黒;白;1;\r\nE;\r\n");
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
}

TEST(Lumen808, AddTextFitsOnCharacterBoundaries)
{
    struct Case {
        const char* text;
        const char* align;
        int width;
        const char* written;
    };
    const Case cases[] = {
        {"ab;c", "LEFT", 6, "ab:c  "}, {"日本語", "LEFT", 5, "日本"}, // three double-byte characters, width 5: 4 bytes
        {"日", "LEFT", 2, "日"}, // 0x93 0xFA: the trail byte is no lead byte
        {"日本", "LEFT", 3, "日"}, {"a日本", "LEFT", 4, "a日"},
        {"ab", "right", 5, "   ab"}, // lower-case alignment upper-cased
        {"abcdef", "RIGHT", 3, "def"}, {"a日本", "RIGHT", 3, " 本"}, // never starts with a trail byte
        {"ab", "CENTER", 6, "ab"}, {"ab", "LEFT", 0, "ab"}, {"ab", "LEFT", 127, "ab"}, // no padding above 126
        {"ab", "LEFT", 126, nullptr}, // padded to 126
        {"ｱｲｳｴ", "LEFT", 3, "ｱｲｳ"}, // half-width kana are one byte
    };
    test_support::TempDir dir;
    for (const Case& c : cases) {
        TLumen808 p;
        p.DataFile = dir.file("t.TMP");
        p.Open();
        std::string text = c.text;
        p.AddText(1, 2, text, "F", 10, "", "黒", "OFF", c.align, c.width);
        p.Close();
        const auto bytes = dir.read("t.TMP");
        const std::string last = platform::codec::fromSjis(bytes.substr(bytes.rfind("TEXT;")));
        const std::string field = last.substr(9, last.find(";F;") - 9);
        if (c.written) {
            EXPECT_EQ(field, c.written) << c.text << " " << c.align << " " << c.width;
        } else {
            EXPECT_EQ(field, std::string("ab") + std::string(124, ' '));
        }
    }
}

TEST(Lumen808, SetterRules)
{
    TLumen808 p;
    const std::pair<int, int> ratios[] = {{-20, 980}, {50, 1050}, {-51, 1000}, {990, 990}, {2000, 1000}, {949, 1000}};
    for (const auto& [in, out] : ratios) {
        p.setVRATIO(in);
        p.setHRATIO(in);
        EXPECT_EQ(p.VRATIO(), out) << in;
        EXPECT_EQ(p.HRATIO(), out) << in;
    }
    p.setCopie(0);
    EXPECT_EQ(p.Copie(), 1);
    p.setCopie(99);
    EXPECT_EQ(p.Copie(), 99);
    p.setCopie(100);
    EXPECT_EQ(p.Copie(), 99);
    p.setColorMode(2);
    EXPECT_EQ(p.ColorMode(), 2);
    p.setColorMode(3);
    EXPECT_EQ(p.ColorMode(), 0);
    p.setDuplex(2);
    p.setDuplex(5);
    EXPECT_EQ(p.Duplex(), 2);
    p.setZoom(4);
    EXPECT_EQ(p.Zoom(), 10);
    p.setZoom(20);
    EXPECT_EQ(p.Zoom(), 20);
    p.setScale(151);
    EXPECT_EQ(p.Scale(), 100);
    p.setPrintQuality(-5);
    EXPECT_EQ(p.PrintQuality(), 0);
    p.setPrintQuality(-2);
    EXPECT_EQ(p.PrintQuality(), -2);
    p.setCollate(2);
    EXPECT_EQ(p.Collate(), 0);

    p.PageBango = true;
    p.setPageBangoFormat("%d / %D");
    EXPECT_EQ(p.PageBangoFormat(), "%d / %D");
    EXPECT_TRUE(p.PageBango);
    p.setPageBangoFormat("%d-%d-%d");
    EXPECT_EQ(p.PageBangoFormat(), "(%d/%d)");
    EXPECT_FALSE(p.PageBango);
    p.PageBango = true;
    p.setPageBangoFormat("%s%d"); // a directive other than %d never reaches a formatter
    EXPECT_FALSE(p.PageBango);
    p.setPageBangoFormat("PAGE %d");
    EXPECT_EQ(p.makeJob().PageBango.PageNoCount, 1);
}

TEST(Lumen808, PageNumberFormatter)
{
    EXPECT_EQ(formatPageNumber("%d/%d", 3, 5), "3/5");
    EXPECT_EQ(formatPageNumber("P%D (100%%)", 7, 0), "P7 (100%)");
    EXPECT_EQ(formatPageNumber("%n", 1, 1), std::nullopt);
    EXPECT_EQ(formatPageNumber("%d%d%d", 1, 1), std::nullopt);
    EXPECT_EQ(formatPageNumber("%", 1, 1), std::nullopt);
}

TEST(Lumen808, JobRecordAndTheRunAfterwards)
{
    test_support::TempDir dir;
    std::filesystem::create_directories(dir.path());
    RecordingRunner runner;
    TLumen808 p(&runner);
    p.DataFile = dir.file("データリスト.TMP");
    p.LeftMargin = 10;
    p.EvenLeftMargin = 25;
    p.PageBango = true;
    p.Open();
    p.AddText(1, 1, "x", "F", 10, "", "黒", "OFF", "LEFT", 0);
    p.Close();
    dir.write("CHART.WMF", "x");
    EXPECT_TRUE(p.Preview());
    ASSERT_EQ(runner.previews.size(), 1u);
    EXPECT_TRUE(runner.fileExistedDuringRun);
    const TP808DEF& job = runner.previews[0];
    EXPECT_EQ(job.DocName, "データリスト");
    EXPECT_EQ(job.EvenShift, 15);
    EXPECT_TRUE(job.PageBango.Switch);
    EXPECT_FALSE(std::filesystem::exists(p.DataFile)); // DelFile
    EXPECT_FALSE(std::filesystem::exists(dir.file("CHART.WMF")));
    EXPECT_EQ(p.PrinterNum, 3);
    EXPECT_EQ(p.Copie(), 4);
    EXPECT_FALSE(p.PageBango);
    EXPECT_TRUE(p.DocTitle.empty());

    runner.previewCode = 0;
    EXPECT_FALSE(p.Preview());
    EXPECT_EQ(p.PreviewCloseNum(), 0);
    EXPECT_TRUE(p.Print());
    EXPECT_EQ(p.PreviewCloseNum(), 1);
    EXPECT_EQ(runner.prints.back().DocName, "LUMEN808-VCL.2.5");
    runner.printCode = 0;
    EXPECT_FALSE(p.Print());
}

TEST(Lumen808, TempFileAndFileErrors)
{
    test_support::TempDir dir;
    TLumen808 p;
    p.DataFile = dir.file("x.TMP");
    p.DelFile = true;
    p.Open(true);
    EXPECT_NE(p.DataFile, dir.file("x.TMP"));
    EXPECT_EQ(std::filesystem::path(p.DataFile).filename().string().substr(0, 1), "~");
    EXPECT_EQ(std::filesystem::path(p.DataFile).parent_path().string(), dir.path());
    p.Close();
    EXPECT_TRUE(std::filesystem::exists(p.DataFile));

    TLumen808 bad;
    bad.DataFile = dir.file("no/such/folder/x.TMP");
    EXPECT_THROW(bad.Open(), PrintDataError);
    EXPECT_THROW(bad.AddLine(1, 1, 2, 2, 1, 0, "0"), PrintDataError); // not open
}

TEST(EngineLog, LineFormatAndUnwritableFolder)
{
    test_support::TempDir dir;
    EngineLog log(dir.path(), fixedDay);
    log.write("PRINT.メイン", "失敗");
    log.write("ImageOut.(CHART):no chart host");
    EXPECT_EQ(dir.read(kLogFileName),
        platform::codec::toSjis("26/12/11 04:05:06  PRINT.メイン:失敗\r\n"
                                "26/12/11 04:05:06  ImageOut.(CHART):no chart host\r\n"));
    const std::string file = dir.write("plainfile", "x");
    EngineLog broken(file + "/sub", fixedDay); // a folder below a file cannot exist
    testing::internal::CaptureStderr();
    broken.write("PREVIEW.開始", "x");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("PREVIEW.開始:x"), std::string::npos);
}
