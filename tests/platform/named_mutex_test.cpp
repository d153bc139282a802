#include "platform/named_mutex.h"

#include <gtest/gtest.h>

#include <fstream>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/xdg_folders.h"
#include "support/temp_dir.h"

using platform::NamedMutex;

namespace {

struct RuntimeDir {
    test_support::TempDir dir;
    test_support::ScopedEnv env {"XDG_RUNTIME_DIR", dir.path()};
};

// A second process that takes the mutex, says so through a pipe and waits
// to be killed.
pid_t holdInChild(const std::string& name)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        NamedMutex mutex(name);
        const char answer = mutex.tryLock() ? 'y' : 'n';
        if (::write(ready[1], &answer, 1) != 1)
            ::_exit(2);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char answer = 0;
    const bool ok = ::read(ready[0], &answer, 1) == 1 && answer == 'y';
    ::close(ready[0]);
    if (!ok) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

} // namespace

TEST(NamedMutex, LockFileInTheRuntimeFolder)
{
    RuntimeDir runtime;
    EXPECT_EQ(NamedMutex::lockPath("MIRUZA_RENDO"), runtime.dir.file("MIRUZA_RENDO.lock"));
    EXPECT_EQ(NamedMutex::lockPath("Global\\a/b"), runtime.dir.file("Global_a_b.lock"));
    // Without a runtime folder the locks go to a private folder below /tmp,
    // never into /tmp itself where other users can plant names.
    test_support::ScopedEnv unset("XDG_RUNTIME_DIR", std::nullopt);
    const std::string privateDir = "/tmp/miruza-" + std::to_string(::geteuid());
    EXPECT_EQ(NamedMutex::lockPath("X"), privateDir + "/X.lock");
    struct stat st { };
    ASSERT_EQ(::lstat(privateDir.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_mode & 077, 0u);
}

TEST(NamedMutex, PlantedLinkIsRefusedAndNoModeIsWidened)
{
    RuntimeDir runtime;
    test_support::TempDir elsewhere;

    // A link to an existing file: not opened, its mode untouched.
    const std::string victim = elsewhere.file("victim");
    {
        std::ofstream(victim) << "secret";
    }
    ASSERT_EQ(::chmod(victim.c_str(), 0600), 0);
    ASSERT_EQ(::symlink(victim.c_str(), NamedMutex::lockPath("LINKED").c_str()), 0);
    NamedMutex linked("LINKED");
    EXPECT_FALSE(linked.tryLock());
    EXPECT_FALSE(linked.lastError().empty());
    struct stat st { };
    ASSERT_EQ(::stat(victim.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    std::string error;
    EXPECT_FALSE(NamedMutex::exists("LINKED", &error));
    EXPECT_FALSE(error.empty());

    // A dangling link: nothing is created at its target.
    const std::string target = elsewhere.file("created");
    ASSERT_EQ(::symlink(target.c_str(), NamedMutex::lockPath("DANGLING").c_str()), 0);
    NamedMutex dangling("DANGLING");
    EXPECT_FALSE(dangling.tryLock());
    EXPECT_NE(::access(target.c_str(), F_OK), 0);

    // An existing lock file keeps its mode; a new one is the owner's only.
    const std::string existing = NamedMutex::lockPath("KEPT");
    {
        std::ofstream(existing) << "";
    }
    ASSERT_EQ(::chmod(existing.c_str(), 0640), 0);
    NamedMutex kept("KEPT");
    ASSERT_TRUE(kept.tryLock()) << kept.lastError();
    ASSERT_EQ(::stat(existing.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    NamedMutex fresh("FRESH");
    ASSERT_TRUE(fresh.tryLock()) << fresh.lastError();
    ASSERT_EQ(::stat(NamedMutex::lockPath("FRESH").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
}

TEST(NamedMutex, UnsafePrivateFolderIsRefused)
{
    test_support::TempDir dir;
    // Created on demand, for the owner only.
    EXPECT_NO_THROW(platform::xdg_folders::ensurePrivateFolder(dir.file("made")));
    struct stat st { };
    ASSERT_EQ(::lstat(dir.file("made").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    // Writable by others, or a link in the folder's place.
    ASSERT_EQ(::mkdir(dir.file("open").c_str(), 0700), 0);
    ASSERT_EQ(::chmod(dir.file("open").c_str(), 0777), 0);
    EXPECT_THROW(platform::xdg_folders::ensurePrivateFolder(dir.file("open")), std::runtime_error);
    ASSERT_EQ(::symlink(dir.file("made").c_str(), dir.file("link").c_str()), 0);
    EXPECT_THROW(platform::xdg_folders::ensurePrivateFolder(dir.file("link")), std::runtime_error);
}

TEST(NamedMutex, OneHolderAtATimeAndFreeAfterRelease)
{
    RuntimeDir runtime;
    EXPECT_FALSE(NamedMutex::exists("MIRUZA_RENDO"));
    {
        NamedMutex first("MIRUZA_RENDO");
        ASSERT_TRUE(first.tryLock()) << first.lastError();
        EXPECT_TRUE(first.tryLock()); // already held by this object
        EXPECT_TRUE(NamedMutex::exists("MIRUZA_RENDO"));
        NamedMutex second("MIRUZA_RENDO");
        EXPECT_FALSE(second.tryLock());
        EXPECT_TRUE(second.lastError().empty()); // busy, not broken
        EXPECT_TRUE(NamedMutex::exists("MIRUZA_RENDO")); // testing does not take it
        first.unlock();
        EXPECT_FALSE(NamedMutex::exists("MIRUZA_RENDO"));
        EXPECT_TRUE(second.tryLock());
    } // released on destruction
    EXPECT_FALSE(NamedMutex::exists("MIRUZA_RENDO"));
    EXPECT_FALSE(NamedMutex::exists("SAFFRIN000"));
}

TEST(NamedMutex, HeldByAnotherProcessUntilItDies)
{
    RuntimeDir runtime;
    const pid_t holder = holdInChild("SAFFRIN000");
    ASSERT_GT(holder, 0);
    EXPECT_TRUE(NamedMutex::exists("SAFFRIN000"));
    NamedMutex mine("SAFFRIN000");
    EXPECT_FALSE(mine.tryLock());

    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_FALSE(NamedMutex::exists("SAFFRIN000"));
    EXPECT_TRUE(mine.tryLock());
}

TEST(NamedMutex, UnusableFolderIsReported)
{
    test_support::ScopedEnv env("XDG_RUNTIME_DIR", "/nonexistent-folder-for-test");
    NamedMutex mutex("X");
    EXPECT_FALSE(mutex.tryLock());
    EXPECT_FALSE(mutex.lastError().empty());
    EXPECT_FALSE(NamedMutex::exists("X"));
}
