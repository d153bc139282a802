#include "platform/exclusive_file.h"
#include "platform/share_roots.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

TEST(ShareRoots, TableReadsLettersAndFindsTheRootOfAPath)
{
    test_support::TempDir dir;
    const std::string file = dir.write("share_roots.ini",
        "[x]\r\nFOLDER=/mnt/server/\r\nREMOTE=1\r\n"
        "[Y]\r\nFOLDER=/mnt/server/inner\r\nREMOTE=0\r\n"
        "[XY]\r\nFOLDER=/ignored\r\n"
        "[Z]\r\nREMOTE=1\r\n");
    const auto roots = share_roots::load(file);
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_EQ(roots[0].letter, 'X');
    EXPECT_EQ(roots[0].folder, "/mnt/server");
    EXPECT_TRUE(roots[0].remote);
    EXPECT_FALSE(roots[1].remote);

    struct Case {
        const char* path;
        char letter; // 0: no root
        bool remote;
    };
    const Case cases[] = {
        {"/mnt/server", 'X', true},
        {"/mnt/server/rozivoraduz/sv0001", 'X', true},
        {"/mnt/server/inner/sv0002", 'Y', false}, // the longest root holding the path
        {"/mnt/serverless/sv0001", 0, false},
        {"/home/user", 0, false},
    };
    for (const auto& c : cases) {
        const auto root = share_roots::rootOf(c.path, file);
        EXPECT_EQ(root ? root->letter : 0, c.letter) << c.path;
        EXPECT_EQ(share_roots::isRemotePath(c.path, file), c.remote) << c.path;
    }

    share_roots::save({{'Q', "/srv/共有", true}}, dir.file("saved.ini"));
    const auto saved = share_roots::load(dir.file("saved.ini"));
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].folder, "/srv/共有");
    EXPECT_TRUE(share_roots::load(dir.file("missing.ini")).empty());
}

TEST(ExclusiveFile, OneHolderAtATimeAndStaleLocksOfThisComputerOnly)
{
    test_support::TempDir dir;
    const std::string path = dir.file("area.lck");
    ExclusiveFile first;
    ASSERT_EQ(first.acquire(path, "first"), ExclusiveFile::Result::Taken);
    ExclusiveFile second;
    EXPECT_EQ(second.acquire(path, "second"), ExclusiveFile::Result::Busy);
    EXPECT_NE(ExclusiveFile::holderOf(path).find("first"), std::string::npos);
    first.release();
    EXPECT_EQ(second.acquire(path, "second"), ExclusiveFile::Result::Taken);
    second.release();
    EXPECT_TRUE(ExclusiveFile::holderOf(path).empty());

    // A lock left by an ended process of this computer is taken over; one
    // of another computer is not.
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    dir.write("area.lck", std::string(host) + " " + std::to_string(child) + " crashed\n");
    ExclusiveFile third;
    EXPECT_EQ(third.acquire(path, "third"), ExclusiveFile::Result::Taken);
    third.release();
    dir.write("area.lck", "another-computer 1 holder\n");
    EXPECT_EQ(third.acquire(path, "third"), ExclusiveFile::Result::Busy);
    EXPECT_EQ(third.acquire(dir.file("no/such/folder/area.lck"), "x"), ExclusiveFile::Result::Failed);
}
