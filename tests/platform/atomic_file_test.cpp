#include "platform/atomic_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include <sys/stat.h>

namespace fs = std::filesystem;
using platform::FileWriteError;
using platform::writeFileAtomically;

namespace {

// Every name in the folder but the target's: what a write left behind.
std::vector<std::string> othersThan(const std::string& folder, const std::string& name)
{
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename() != name)
            left.push_back(e.path().filename().string());
    return left;
}

// Hands out `text` in pieces of at most `piece` bytes, throwing instead of
// handing out the piece at `failAt` (none when negative).
platform::ChunkSource pieces(const std::string& text, std::size_t piece, int failAt = -1)
{
    return [text, piece, failAt, at = std::size_t(0), n = 0](char* buffer, std::size_t capacity) mutable {
        if (n++ == failAt)
            throw std::runtime_error("the source broke off");
        const std::size_t k = std::min({piece, capacity, text.size() - at});
        text.copy(buffer, k, at);
        at += k;
        return k;
    };
}

} // namespace

TEST(AtomicFile, PiecesMakeTheWholeFileAndTheTargetKeepsItsPermissions)
{
    test_support::TempDir dir;
    const std::string target = dir.write("a.bin", "old");
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    const std::string text(200000, 'x');
    EXPECT_EQ(writeFileAtomically(target, pieces(text, 7000), "test"), 200000);
    EXPECT_EQ(dir.read("a.bin"), text);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(othersThan(dir.path(), "a.bin").empty());
}

TEST(AtomicFile, ASourceThatBreaksOffLeavesTheOldFileAndNoTemporary)
{
    test_support::TempDir dir;
    const std::string target = dir.write("a.bin", "old");
    EXPECT_THROW(writeFileAtomically(target, pieces(std::string(100, 'y'), 10, 3), "test"), std::runtime_error);
    EXPECT_EQ(dir.read("a.bin"), "old");
    EXPECT_TRUE(othersThan(dir.path(), "a.bin").empty());
}

TEST(AtomicFile, FailuresNameTheContextAndThePath)
{
    test_support::TempDir dir;
    const std::string target = dir.write("ro.txt", "kept");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    try {
        writeFileAtomically(target, "new", "保存");
        FAIL() << "a read-only file was replaced";
    } catch (const FileWriteError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("保存: " + target + ": ", 0), 0u) << e.what();
    }
    EXPECT_EQ(dir.read("ro.txt"), "kept");
    EXPECT_THROW(writeFileAtomically(dir.file("no/folder.txt"), "new", "test"), FileWriteError);
    EXPECT_TRUE(othersThan(dir.path(), "ro.txt").empty());
}
