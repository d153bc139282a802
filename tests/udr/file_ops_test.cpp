// The file work of the data server's procedures on real files: every
// operation, and paths that try to leave the data root.

#include "udr/file_ops.h"

#include "platform/codec.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using platform::codec::toSjis;

namespace {

std::string readAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FileOps : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = dir.makeDir("root");
        outside = dir.makeDir("outside");
        std::ofstream(dir.file("miruza_udr.conf")) << "# the data server's files\nDataRoot = " << root << "\n";
        config = udr::loadConfig(dir.file("miruza_udr.conf"));
        std::ofstream(root + "/データ.fdb", std::ios::binary) << std::string(200000, 'x') << "end";
        std::ofstream(outside + "/secret.txt") << "secret";
    }
    // A path as the database hands it over: code page 932 bytes.
    static std::string sjis(const std::string& utf8) { return toSjis(utf8); }

    test_support::TempDir dir;
    std::string root, outside;
    udr::Config config;
};

TEST_F(FileOps, FileOperationsOnRealFiles)
{
    const std::string src = sjis(root + "/データ.fdb");
    EXPECT_EQ(udr::FileOperation(config, "FExist", src, ""), 1);
    EXPECT_EQ(udr::FileOperation(config, "FEXIST", sjis(root + "/none.fdb"), ""), 0);
    EXPECT_EQ(udr::FileOperation(config, "FEXIST", sjis(root), ""), 0) << "a folder is no file";

    EXPECT_EQ(udr::FileOperation(config, "FCOPY", src, sjis(root + "/写し.fdb")), 1);
    EXPECT_EQ(readAll(root + "/写し.fdb"), readAll(root + "/データ.fdb"));
    std::ofstream(root + "/写し.fdb") << "old";
    EXPECT_EQ(udr::FileOperation(config, "FCOPY", src, sjis(root + "/写し.fdb")), 1) << "overwrites";
    EXPECT_EQ(fs::file_size(root + "/写し.fdb"), fs::file_size(root + "/データ.fdb"));

    EXPECT_EQ(udr::FileOperation(config, "FDEL", sjis(root + "/写し.fdb"), ""), 1);
    EXPECT_FALSE(fs::exists(root + "/写し.fdb"));
    EXPECT_EQ(udr::FileOperation(config, "FDEL", sjis(root + "/写し.fdb"), ""), 0) << "nothing to delete";

    EXPECT_THROW(udr::FileOperation(config, "FCOPY", sjis(root + "/none.fdb"), sjis(root + "/x.fdb")), udr::FileOpError)
        << "a copy of nothing is a failure, not a quiet no";
    EXPECT_THROW(udr::FileOperation(config, "FCOPY", src, sjis(root + "/no/such/folder/x.fdb")), udr::FileOpError);
    EXPECT_THROW(udr::FileOperation(config, "RENAME", src, ""), udr::FileOpError);
    for (const auto& e : fs::directory_iterator(root))
        EXPECT_EQ(e.path().filename().string().rfind(".~", 0), std::string::npos) << "no temporary file is left";
}

TEST_F(FileOps, FolderOperationsAndShortNames)
{
    const std::string nested = sjis(root + "/DATA/0001/作業");
    EXPECT_EQ(udr::DirectoryTest(config, "DEXIST", nested), 0);
    EXPECT_EQ(udr::DirectoryTest(config, "MKDIR", nested), 1);
    EXPECT_TRUE(fs::is_directory(root + "/DATA/0001/作業"));
    EXPECT_EQ(udr::DirectoryTest(config, "mkdir", nested), 1) << "an existing folder is fine";
    std::ofstream(root + "/DATA/0001/作業/a.txt") << "a";
    EXPECT_EQ(udr::DirectoryTest(config, "RMDIR", sjis(root + "/DATA")), 1);
    EXPECT_FALSE(fs::exists(root + "/DATA"));
    EXPECT_EQ(udr::DirectoryTest(config, "RMDIR", sjis(root + "/DATA")), 0);
    EXPECT_THROW(udr::DirectoryTest(config, "RMDIR", sjis(root)), udr::FileOpError) << "never the root itself";

    EXPECT_EQ(udr::ShortName(config, sjis(root + "/データ.fdb")), sjis(root + "/データ.fdb"));
    EXPECT_EQ(udr::ShortName(config, sjis(root + "/none.fdb")), "");
}

TEST_F(FileOps, PathsOutsideTheDataRootAreRefused)
{
    fs::create_symlink(outside, root + "/link");
    const std::string cases[] = {
        outside + "/secret.txt", // plainly outside
        root + "/../outside/secret.txt", // climbing out
        root + "/link/secret.txt", // a link leading out
        root + "x/file", // a sibling whose name starts like the root
        "relative/path", // not absolute
        "", // empty
    };
    for (const std::string& p : cases) {
        SCOPED_TRACE(p);
        EXPECT_THROW(udr::FileOperation(config, "FEXIST", sjis(p), ""), udr::FileOpError);
        EXPECT_THROW(udr::FileOperation(config, "FDEL", sjis(p), ""), udr::FileOpError);
        EXPECT_THROW(udr::DirectoryTest(config, "MKDIR", sjis(p + "/d")), udr::FileOpError);
        EXPECT_THROW(udr::ReadFile(config, sjis(p), [](const char*, std::size_t) {}), udr::FileOpError);
    }
    EXPECT_THROW(udr::FileOperation(config, "FCOPY", sjis(outside + "/secret.txt"), sjis(root + "/stolen.txt")),
        udr::FileOpError);
    EXPECT_THROW(udr::FileOperation(config, "FCOPY", sjis(root + "/データ.fdb"), sjis(outside + "/planted.fdb")),
        udr::FileOpError);
    EXPECT_TRUE(fs::exists(outside + "/secret.txt"));
    EXPECT_FALSE(fs::exists(root + "/stolen.txt"));
    EXPECT_FALSE(fs::exists(outside + "/planted.fdb"));
}

TEST_F(FileOps, BlobTransferWritesWholeFilesOnly)
{
    std::string got;
    EXPECT_EQ(
        udr::ReadFile(config, sjis(root + "/データ.fdb"), [&](const char* d, std::size_t n) { got.append(d, n); }),
        200003);
    EXPECT_EQ(got, readAll(root + "/データ.fdb"));

    std::size_t at = 0;
    const auto source = [&](char* buf, std::size_t cap) {
        const std::size_t n = std::min(cap, got.size() - at);
        std::copy_n(got.data() + at, n, buf);
        at += n;
        return n;
    };
    EXPECT_EQ(udr::WriteFile(config, sjis(root + "/受信.fbk"), source), 200003);
    EXPECT_EQ(readAll(root + "/受信.fbk"), got);

    // A source that fails half way leaves the old file as it was.
    std::ofstream(root + "/受信.fbk") << "previous";
    int calls = 0;
    EXPECT_THROW(udr::WriteFile(config, sjis(root + "/受信.fbk"),
                     [&](char* buf, std::size_t) -> std::size_t {
                         if (++calls > 2)
                             throw std::runtime_error("the blob could not be read");
                         buf[0] = 'z';
                         return 1;
                     }),
        std::runtime_error);
    EXPECT_EQ(readAll(root + "/受信.fbk"), "previous");
    for (const auto& e : fs::directory_iterator(root))
        EXPECT_EQ(e.path().filename().string().rfind(".~", 0), std::string::npos);
}

TEST_F(FileOps, SettingsFileMustNameAnExistingAbsoluteRoot)
{
    EXPECT_THROW(udr::loadConfig(dir.file("missing.conf")), udr::FileOpError);
    for (const char* text : {"", "DataRoot = relative/root", "DataRoot = /no/such/root"}) {
        std::ofstream(dir.file("bad.conf")) << text << "\n";
        EXPECT_THROW(udr::loadConfig(dir.file("bad.conf")), udr::FileOpError) << text;
    }
}

} // namespace
