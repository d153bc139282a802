#include "platform/named_mutex.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_dir.h"

using platform::NamedMutex;

namespace {

struct RuntimeDir {
    test_support::TempDir dir;
    test_support::ScopedEnv env{"XDG_RUNTIME_DIR", dir.path()};
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
    test_support::ScopedEnv unset("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_EQ(NamedMutex::lockPath("X"), "/tmp/X.lock");
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
