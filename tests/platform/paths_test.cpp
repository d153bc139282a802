#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace paths = platform::paths;

TEST(Paths, DelimiterRules)
{
    struct Case {
        const char* in;
        const char* included;
        const char* excluded;
    };
    const Case cases[] = {
        {"", "", ""},
        {"/", "/", "/"},
        {"//", "/", "/"},
        {"/data", "/data/", "/data"},
        {"/data/", "/data/", "/data"},
        {"/data///", "/data/", "/data"},
        {"rel/x", "rel/x/", "rel/x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(paths::includeDelimiter(c.in), c.included) << c.in;
        EXPECT_EQ(paths::excludeDelimiter(c.in), c.excluded) << c.in;
    }
}

TEST(Paths, JoinAndSplit)
{
    EXPECT_EQ(paths::join("/data", "tnacc.ini"), "/data/tnacc.ini");
    EXPECT_EQ(paths::join("/data/", "/tnacc.ini"), "/data/tnacc.ini");
    EXPECT_EQ(paths::join("", "tnacc.ini"), "tnacc.ini");
    EXPECT_EQ(paths::join("/", "etc"), "/etc");
    EXPECT_EQ(paths::join("/data", ""), "/data/");

    EXPECT_EQ(paths::folderOf("/data/co1/tnacc.fdb"), "/data/co1");
    EXPECT_EQ(paths::folderOf("/tnacc.fdb"), "/");
    EXPECT_EQ(paths::folderOf("tnacc.fdb"), "");
    EXPECT_EQ(paths::fileNameOf("/data/co1/tnacc.fdb"), "tnacc.fdb");
    EXPECT_EQ(paths::fileNameOf("/data/co1/"), "");

    using Split = std::pair<std::string, std::string>;
    EXPECT_EQ(paths::splitDataPath("/data/co1"), Split("/data/", "co1"));
    EXPECT_EQ(paths::splitDataPath("/data/co1/"), Split("/data/", "co1"));
    EXPECT_EQ(paths::splitDataPath("co1"), Split("", "co1"));
    // Exact comparison: no case folding.
    EXPECT_NE(paths::canonical("/Data/CO1"), paths::canonical("/data/co1"));
}

TEST(Paths, NormalizeResolvesDotsButNotLinks)
{
    EXPECT_EQ(paths::normalize("/a/./b/../c//d/"), "/a/c/d");
    EXPECT_EQ(paths::normalize("/.."), "/");
    EXPECT_EQ(paths::normalize("/."), "/");

    test_support::TempDir dir;
    std::filesystem::create_directory_symlink("/etc", dir.file("link"));
    EXPECT_EQ(paths::normalize(dir.file("link")), dir.file("link"));
    EXPECT_EQ(paths::canonical(dir.file("link")), "/etc");
    EXPECT_EQ(paths::canonical(dir.file("link/missing/x")), "/etc/missing/x");
}

TEST(Paths, GuardRefusesRootAndSystemFoldersInEveryForm)
{
    test_support::TempDir dir;
    std::filesystem::create_directory_symlink("/", dir.file("toRoot"));
    std::filesystem::create_directory_symlink("/usr", dir.file("toUsr"));
    const std::string refused[] = {
        "",
        "   ",
        "/",
        "//",
        "/.",
        "/./",
        "/..",
        "/*",
        "/tmp/..",
        "/usr",
        "/usr/",
        "/usr/.",
        "/usr/bin/..",
        "/usr/lib/x86_64-linux-gnu",
        "/usr/*",
        "/etc",
        "/etc/passwd",
        "/bin",
        "/sbin",
        "/lib",
        "/lib64",
        "/boot",
        "/dev",
        "/proc",
        "/sys",
        "/home",
        "/home/",
        "/tmp",
        "/tmp/",
        "/tmp/*",
        "/var",
        "/var/lib",
        "/opt",
        "/root",
        "/run",
        dir.file("toRoot"),
        dir.file("toRoot/."),
        dir.file("toUsr/share"),
        dir.file("../.."),
    };
    for (const std::string& p : refused)
        EXPECT_TRUE(paths::isProtectedPath(p)) << '"' << p << '"';
}

TEST(Paths, GuardAcceptsOrdinaryFolders)
{
    test_support::TempDir dir;
    const std::string accepted[] = {
        dir.path(),
        dir.file("sub"),
        dir.file("sub/*"),
        dir.file("a/../b"),
        "/var/lib/firebird/data/x",
        "/opt/product",
        "/home/someone/data",
    };
    for (const std::string& p : accepted)
        EXPECT_FALSE(paths::isProtectedPath(p)) << '"' << p << '"';
}

TEST(Paths, GuardRefusesTheHomeFolderItselfOnly)
{
    test_support::TempDir dir;
    const std::string home = dir.makeDir("home/user");
    test_support::ScopedEnv env("HOME", home);
    EXPECT_TRUE(paths::isProtectedPath(home));
    EXPECT_TRUE(paths::isProtectedPath(home + "/"));
    EXPECT_TRUE(paths::isProtectedPath(home + "/*"));
    EXPECT_FALSE(paths::isProtectedPath(home + "/Documents"));
}

TEST(Paths, RootTest)
{
    EXPECT_TRUE(paths::isFileSystemRoot("/"));
    EXPECT_TRUE(paths::isFileSystemRoot("/tmp/.."));
    EXPECT_FALSE(paths::isFileSystemRoot(""));
    EXPECT_FALSE(paths::isFileSystemRoot("/tmp"));
}
