#include "core/BufFileStream.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

const std::string kMarker = "## SaffrinZone";

std::string bytes(std::size_t n, char c = 'x')
{
    std::string s(n, c);
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>('a' + (i % 26));
    return s;
}

TEST(BufFileStream, ReadReturnsChunksThenZero)
{
    test_support::TempDir dir;
    const auto file = dir.write("f.bin", bytes(1000));
    TBufFileStream s(file, bufmode::Read, 1);
    char buf[1024];
    EXPECT_EQ(s.Read(buf, 512), 512);
    EXPECT_EQ(s.Read(buf, 512), 488);
    EXPECT_EQ(s.Read(buf, 512), 0);
    EXPECT_EQ(s.Seek(0, 1), 1000);
}

TEST(BufFileStream, ReadAboveBufferSizeRaisesAndReadsNothing)
{
    test_support::TempDir dir;
    const auto file = dir.write("f.bin", bytes(3000));
    TBufFileStream s(file, bufmode::Read, 1);
    char buf[2048];
    EXPECT_THROW(s.Read(buf, 1025), EBufFileStreamError);
    EXPECT_EQ(s.Position(), 0);
    EXPECT_EQ(s.Read(buf, 10), 10);
}

TEST(BufFileStream, SeekCurrentEqualsBytesReturnedAndRefills)
{
    test_support::TempDir dir;
    const auto content = bytes(5000);
    const auto file = dir.write("f.bin", content);
    TBufFileStream s(file, bufmode::Read, 1);
    char buf[700];
    std::int64_t total = 0;
    total += s.Read(buf, 700);
    total += s.Read(buf, 700);
    EXPECT_EQ(s.Seek(0, 1), total);
    ASSERT_EQ(s.Read(buf, 5), 5);
    EXPECT_EQ(std::string(buf, 5), content.substr(static_cast<std::size_t>(total), 5));
}

TEST(BufFileStream, OpeningAMissingFileRaises)
{
    test_support::TempDir dir;
    EXPECT_THROW(TBufFileStream(dir.file("none"), bufmode::Read, 16), EBufFileStreamError);
}

TEST(BackupTrailer, MarkerSpanningTwoBlocksIsFoundAndCutExactly)
{
    test_support::TempDir dir;
    const auto head = bytes(510);
    const auto file = dir.write("b.fbk", head + kMarker + "\r\nSHOUGOU=A\r\n");
    std::string text;
    EXPECT_EQ(FindTrailerMarker(file, kMarker, text), 510);
    EXPECT_EQ(text, kMarker + "\r\nSHOUGOU=A\r\n");
    EXPECT_TRUE(ReadTrailerText(file, kMarker, text, true));
    EXPECT_EQ(std::filesystem::file_size(file), 510u);
    EXPECT_EQ(dir.read("b.fbk"), head);
    EXPECT_FALSE(std::filesystem::exists(dir.file("b.wk_")));
}

TEST(BackupTrailer, NoMarkerOrMarkerAtFirstByteMeansNoBlock)
{
    test_support::TempDir dir;
    struct Case {
        std::string content;
        std::int64_t expected;
    };
    const Case cases[] = {
        {bytes(2000), -1},
        {kMarker + bytes(100), 0},
        {std::string(), -1},
    };
    for (const auto& c : cases) {
        const auto file = dir.write("c.fbk", c.content);
        std::string text = "stale";
        EXPECT_EQ(FindTrailerMarker(file, kMarker, text), c.expected);
        EXPECT_TRUE(text.empty());
        EXPECT_FALSE(ReadTrailerText(file, kMarker, text, true));
        EXPECT_EQ(dir.read("c.fbk"), c.content);
    }
}

TEST(BackupTrailer, TextStopsAtZeroByteAndAt512Bytes)
{
    test_support::TempDir dir;
    std::string text;
    auto file = dir.write("z.fbk", bytes(100) + kMarker + "ab" + std::string(1, '\0') + "cd");
    EXPECT_EQ(FindTrailerMarker(file, kMarker, text), 100);
    EXPECT_EQ(text, kMarker + "ab");
    file = dir.write("s.fbk", bytes(100) + kMarker + "short");
    FindTrailerMarker(file, kMarker, text);
    EXPECT_EQ(text, kMarker + "short");
}

TEST(BackupTrailer, MarkerInsideTheDataBeforeTheTailIsNotTakenForTheBlock)
{
    test_support::TempDir dir;
    const auto data = bytes(100) + kMarker + bytes(4000);
    const auto file = dir.write("d.fbk", data);
    std::string text;
    EXPECT_EQ(FindTrailerMarker(file, kMarker, text), -1);
    AppendTrailerText(file, kMarker + "\r\nSHOUGOU=B\r\n");
    EXPECT_EQ(FindTrailerMarker(file, kMarker, text), static_cast<std::int64_t>(data.size()));
    EXPECT_TRUE(ReadTrailerText(file, kMarker, text, true));
    EXPECT_EQ(dir.read("d.fbk"), data);
}

TEST(BackupTrailer, ExistingTwinIsReplacedAndFileKeptWhenCutCannotBeWritten)
{
    test_support::TempDir dir;
    const auto file = dir.write("t.fbk", bytes(700) + kMarker + "\r\n");
    dir.write("t.wk_", "left over");
    std::string text;
    EXPECT_TRUE(ReadTrailerText(file, kMarker, text, true));
    EXPECT_EQ(dir.read("t.fbk"), bytes(700));
    EXPECT_FALSE(std::filesystem::exists(dir.file("t.wk_")));

    // A folder the cut copy cannot be written into: the file stays whole.
    if (::geteuid() != 0) {
        const auto sub = dir.makeDir("ro");
        const auto roFile = dir.write("ro/r.fbk", bytes(50) + kMarker + "\r\n");
        std::filesystem::permissions(sub, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_THROW(ReadTrailerText(roFile, kMarker, text, true), EBufFileStreamError);
        std::filesystem::permissions(sub, std::filesystem::perms::owner_all);
        EXPECT_EQ(dir.read("ro/r.fbk"), bytes(50) + kMarker + "\r\n");
    }
}

TEST(BackupTrailer, SparseFileAbove2GiBUses64BitOffsets)
{
    test_support::TempDir dir;
    const auto file = dir.file("big.fbk");
    const std::int64_t size = (std::int64_t {1} << 31) + 4096 + 7;
    {
        std::ofstream f(file, std::ios::binary);
    }
    std::filesystem::resize_file(file, static_cast<std::uintmax_t>(size));
    AppendTrailerText(file, kMarker + "\r\nSHOUGOU=BIG\r\n");
    std::string text;
    EXPECT_EQ(FindTrailerMarker(file, kMarker, text), size);
    EXPECT_EQ(text, kMarker + "\r\nSHOUGOU=BIG\r\n");
}

} // namespace
