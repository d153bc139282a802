#include "platform/process.h"

#include <gtest/gtest.h>

#include <optional>

#include <QCoreApplication>
#include <QTimer>

#include "support/temp_dir.h"

using platform::ProcessOptions;
using platform::ProcessResult;
using platform::runProcess;
using namespace std::chrono_literals;

TEST(Process, ExitCodeAndOutput)
{
    const ProcessResult r = runProcess({.argv = {"/bin/sh", "-c", "echo out; echo err >&2; exit 3"}});
    EXPECT_EQ(r.status, ProcessResult::Status::Finished);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_FALSE(r.succeeded());
    EXPECT_EQ(r.standardOutput, "out\n");
    EXPECT_EQ(r.standardError, "err\n");
}

TEST(Process, SecretsTravelByStandardInputAndEnvironment)
{
    ProcessOptions options;
    options.argv = {"/bin/sh", "-c", "read line; printf '%s|%s' \"$line\" \"$SECRET_FOR_CHILD\""};
    options.standardInput = "pass word\n";
    options.environment = {{"SECRET_FOR_CHILD", "パス"}};
    const ProcessResult r = runProcess(options);
    ASSERT_TRUE(r.succeeded()) << r.error;
    EXPECT_EQ(r.standardOutput, "pass word|パス");
}

TEST(Process, WorkingFolder)
{
    test_support::TempDir dir;
    const ProcessResult r = runProcess({.argv = {"/bin/pwd"}, .workingDir = dir.path()});
    ASSERT_TRUE(r.succeeded()) << r.error;
    EXPECT_EQ(r.standardOutput, dir.path() + "\n");
}

TEST(Process, LargeOutputDoesNotBlock)
{
    const ProcessResult r = runProcess({.argv = {"/bin/sh", "-c", "head -c 1000000 /dev/zero"}, .timeout = 20s});
    ASSERT_TRUE(r.succeeded()) << r.error;
    EXPECT_EQ(r.standardOutput.size(), 1000000u);
}

TEST(Process, TimeLimitKillsAndSaysSo)
{
    const auto start = std::chrono::steady_clock::now();
    const ProcessResult r = runProcess({.argv = {"/bin/sleep", "30"}, .timeout = 200ms});
    EXPECT_EQ(r.status, ProcessResult::Status::TimedOut);
    EXPECT_FALSE(r.succeeded());
    EXPECT_NE(r.error.find("time limit"), std::string::npos);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

TEST(Process, FailuresAreReported)
{
    const ProcessResult missing = runProcess({.argv = {"/no/such/program"}});
    EXPECT_EQ(missing.status, ProcessResult::Status::FailedToStart);
    EXPECT_NE(missing.error.find("/no/such/program"), std::string::npos);

    const ProcessResult crashed = runProcess({.argv = {"/bin/sh", "-c", "kill -9 $$"}});
    EXPECT_EQ(crashed.status, ProcessResult::Status::Crashed);
    EXPECT_FALSE(crashed.succeeded());

    EXPECT_EQ(runProcess({}).status, ProcessResult::Status::FailedToStart);
}

TEST(Process, EventsAreProcessedWhileWaiting)
{
    // One application object per process: reuse one another test made.
    static int argc = 1;
    static char name[] = "process_test";
    static char* argv[] = {name, nullptr};
    std::optional<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app.emplace(argc, argv);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    const ProcessResult r = runProcess({.argv = {"/bin/sleep", "0.2"}});
    ASSERT_TRUE(r.succeeded()) << r.error;
    EXPECT_GT(ticks, 0);
}
