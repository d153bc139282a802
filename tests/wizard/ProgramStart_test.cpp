// Program start: the command-line contract, the single-instance rules and
// what a calling program receives.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/named_mutex.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"
#include "test_caller.h"
#include "wizard/ProgramStart.h"

namespace {

// Locks and caller sockets of each test live in their own runtime folder.
struct RuntimeDir {
    test_support::TempDir dir;
    test_support::ScopedEnv env {"XDG_RUNTIME_DIR", dir.path()};
};

} // namespace

TEST(CommandLine, ArgumentTable)
{
    struct Case {
        std::vector<std::string> params;
        TArgumentStatus status;
        std::uint32_t wnd;
        std::int32_t msg;
        std::int32_t value;
        const char* file;
        int badField;
    } cases[] = {
        {{}, TArgumentStatus::None, 0, 0, 0, "", 0},
        {{"1234,1025,7,out.xml"}, TArgumentStatus::Good, 1234, 1025, 7, "out.xml", 0},
        {{"1234,1025,7,/tmp/a b/out.xml"}, TArgumentStatus::Good, 1234, 1025, 7, "/tmp/a b/out.xml", 0},
        {{"1234,1025,7,a,b.xml"}, TArgumentStatus::Good, 1234, 1025, 7, "a", 0}, // cut at the comma
        {{"1234,1025,7"}, TArgumentStatus::Good, 1234, 1025, 7, "", 0}, // no file name
        {{"1234,1025,-3,x"}, TArgumentStatus::Good, 1234, 1025, -3, "x", 0},
        {{"+12,1,2,x"}, TArgumentStatus::Good, 12, 1, 2, "x", 0},
        {{"4294967295,1,2,x"}, TArgumentStatus::Good, 4294967295u, 1, 2, "x", 0}, // the channel's whole range
        {{"2147483648,1,2,x"}, TArgumentStatus::Good, 2147483648u, 1, 2, "x", 0},
        {{"-1,1,2,x"}, TArgumentStatus::Good, 4294967295u, 1, 2, "x", 0}, // signed form of the same
        {{"4294967296,1,2,x"}, TArgumentStatus::BadField, 0, 0, 0, "", 1},
        {{"1,1,2147483648,x"}, TArgumentStatus::BadField, 1, 1, 0, "", 3}, // value stays 32-bit signed
        {{std::string("1,2,3,/tmp/\x82\xA0\xFF.xml")}, TArgumentStatus::Good, 1, 2, 3, "/tmp/\x82\xA0\xFF.xml",
            0}, // not UTF-8: kept byte for byte
        {{"1234,1025"}, TArgumentStatus::BadField, 1234, 1025, 0, "", 3}, // empty third field
        {{"1234,abc,7,x"}, TArgumentStatus::BadField, 1234, 0, 0, "", 2},
        {{"0x10,1,2,x"}, TArgumentStatus::BadField, 0, 0, 0, "", 1},
        {{" 12,1,2,x"}, TArgumentStatus::BadField, 0, 0, 0, "", 1},
        {{"1,99999999999,2,x"}, TArgumentStatus::BadField, 1, 0, 0, "", 2},
        {{""}, TArgumentStatus::BadField, 0, 0, 0, "", 1},
        {{"1234,1025,7,a", "b.xml"}, TArgumentStatus::TooMany, 0, 0, 0, "", 0},
    };
    for (const auto& c : cases) {
        const std::string label = c.params.empty() ? "<none>" : c.params.front();
        const TCommandLine cmd = ParseCommandLine(c.params);
        EXPECT_EQ(cmd.Status, c.status) << label;
        EXPECT_EQ(cmd.Contract.CallerWnd, c.wnd) << label;
        EXPECT_EQ(cmd.Contract.CallerMsg, c.msg) << label;
        EXPECT_EQ(cmd.Contract.CallerValue, c.value) << label;
        EXPECT_EQ(cmd.Contract.ExportFileName, c.file) << label;
        EXPECT_EQ(cmd.BadField, c.badField) << label;
    }
}

TEST(CommandLine, RawParametersKeepTheirBytes)
{
    std::string name = "miruza_rendo";
    std::string arg = "1,2,3,/tmp/\x93\xfa\x96\x7b.xml"; // code page 932 bytes in a file name
    char* argv[] = {name.data(), arg.data(), nullptr};
    EXPECT_EQ(CommandLineParams(2, argv), std::vector<std::string> {arg});
    EXPECT_EQ(ParseCommandLine(CommandLineParams(2, argv)).Contract.ExportFileName, "/tmp/\x93\xfa\x96\x7b.xml");
}

TEST(StartRules, EachRunningProgramRefusesWithItsOwnMessageInOrder)
{
    RuntimeDir rt;
    EXPECT_EQ(CheckRunningPrograms(), TStartRefusal::None);
    {
        platform::NamedMutex wizard(kMutexWizard);
        ASSERT_TRUE(wizard.tryLock());
        EXPECT_EQ(CheckRunningPrograms(), TStartRefusal::AlreadyRunning);
        platform::NamedMutex tools(kMutexTools);
        ASSERT_TRUE(tools.tryLock());
        EXPECT_EQ(CheckRunningPrograms(), TStartRefusal::ToolRunning);
        platform::NamedMutex product(kMutexAccounting);
        ASSERT_TRUE(product.tryLock());
        // The accounting product decides even while the wizard runs as well.
        EXPECT_EQ(CheckRunningPrograms(), TStartRefusal::AccountingRunning);
    }
    EXPECT_EQ(CheckRunningPrograms(), TStartRefusal::None);
    EXPECT_EQ(StartRefusalMessage(TStartRefusal::AccountingRunning),
        "VELMORA財務が起動しています。同時に起動することは出来ません。");
    EXPECT_EQ(StartRefusalMessage(TStartRefusal::ToolRunning),
        "VELMORA財務ツールが起動しています。同時に起動することは出来ません。");
    EXPECT_EQ(StartRefusalMessage(TStartRefusal::AlreadyRunning), "アプリケーションは既に起動しています。");
}

TEST(StartRules, AHolderThatCrashedLeavesTheNameFree)
{
    RuntimeDir rt;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        platform::NamedMutex m(kMutexWizard);
        const char ok = m.tryLock() ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    EXPECT_EQ(CheckRunningPrograms(), TStartRefusal::AlreadyRunning);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(CheckRunningPrograms(), TStartRefusal::None);
    platform::NamedMutex again(kMutexWizard);
    EXPECT_TRUE(again.tryLock());
}

TEST(CallerContract, ResultIsPostedAfterTheCallerIsEnabled)
{
    RuntimeDir rt;
    wizard_test::TestCaller caller(1234);
    TCallerContract c {1234, 1025, 7, "out.xml"};
    EXPECT_TRUE(DisableCaller(c));
    EXPECT_TRUE(PostCallerResult(c, ResultMade));
    EXPECT_EQ(caller.received(), (std::vector<std::string> {"disable", "enable", "result 1025 7 0"}));
}

TEST(CallerContract, StandAloneSendsNothingAndAMissingCallerIsReported)
{
    RuntimeDir rt;
    wizard_test::TestCaller caller(0);
    EXPECT_TRUE(PostCallerResult(TCallerContract {}, ResultCancelled));
    EXPECT_TRUE(caller.received().empty());
    EXPECT_FALSE(PostCallerResult(TCallerContract {4321, 1, 2, ""}, ResultFailed)); // nobody listens
}

TEST(CallerContract, RefusedStartAnswersAWellFormedCallerWithFailure)
{
    RuntimeDir rt;
    wizard_test::TestCaller caller(77);
    AnswerRefusedStart(ParseCommandLine({"77,2000,5,out.xml"}));
    AnswerRefusedStart(ParseCommandLine({"77,2000,5,a", "b"})); // two parameters: nothing was read
    AnswerRefusedStart(ParseCommandLine({"77,x,5,out.xml"})); // malformed: not answered
    EXPECT_EQ(caller.received(), (std::vector<std::string> {"enable", "result 2000 5 2"}));
}

TEST(Messages, BoxLinesAreTheCarriageReturnParts)
{
    ScriptedMessages messages;
    ShowErrorBox(kInvalidArgumentMessage);
    ASSERT_EQ(messages.count(), 1u);
    const auto& rec = messages.shown()[0];
    EXPECT_EQ(rec.kind, msgkind::Error);
    EXPECT_EQ(rec.buttons, msgbtn::OK);
    EXPECT_EQ(rec.lines[0].text, "不正な引数が渡されました。");
    EXPECT_EQ(rec.lines[1].text, "");
    EXPECT_EQ(rec.lines[2].text, "アプリケーションを強制終了します。");
    ShowInformationBox(StartRefusalMessage(TStartRefusal::AlreadyRunning));
    EXPECT_EQ(messages.shown()[1].kind, msgkind::Information);
    EXPECT_EQ(messages.firstLine(1), "アプリケーションは既に起動しています。");
}

TEST(StartRules, SecondStartIsRefusedWhileTheFirstHoldsItsMutex)
{
    RuntimeDir rt;
    ScriptedMessages messages;
    wizard_test::TestCaller caller(5);
    platform::NamedMutex first(kMutexWizard);
    EXPECT_EQ(EnterProgram(ParseCommandLine({}), first), TStartRefusal::None);
    EXPECT_TRUE(first.isHeld());
    EXPECT_EQ(messages.count(), 0u);

    platform::NamedMutex second(kMutexWizard);
    EXPECT_EQ(EnterProgram(ParseCommandLine({"5,600,1,f.xml"}), second), TStartRefusal::AlreadyRunning);
    EXPECT_FALSE(second.isHeld());
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, msgkind::Information);
    EXPECT_EQ(messages.firstLine(0), "アプリケーションは既に起動しています。");
    EXPECT_EQ(caller.received(), (std::vector<std::string> {"enable", "result 600 1 2"}));

    first.unlock(); // the first ends: the next start goes on
    platform::NamedMutex third(kMutexWizard);
    EXPECT_EQ(EnterProgram(ParseCommandLine({}), third), TStartRefusal::None);
}

TEST(StartRules, ARefusedStartHoldsNoMutex)
{
    RuntimeDir rt;
    ScriptedMessages messages;
    platform::NamedMutex product(kMutexAccounting);
    ASSERT_TRUE(product.tryLock());
    platform::NamedMutex own(kMutexWizard);
    EXPECT_EQ(EnterProgram(ParseCommandLine({}), own), TStartRefusal::AccountingRunning);
    EXPECT_FALSE(own.isHeld());
    EXPECT_FALSE(platform::NamedMutex::exists(kMutexWizard));
    EXPECT_EQ(messages.firstLine(0), "VELMORA財務が起動しています。同時に起動することは出来ません。");
}

TEST(StartRules, AnUnopenableLockFileIsReportedAsAnErrorNotAsASecondInstance)
{
    RuntimeDir rt;
    ScriptedMessages messages;
    wizard_test::TestCaller caller(6);
    // A link in the lock file's place is refused.
    ASSERT_EQ(::symlink(rt.dir.file("elsewhere").c_str(), platform::NamedMutex::lockPath(kMutexWizard).c_str()), 0);
    platform::NamedMutex own(kMutexWizard);
    EXPECT_EQ(EnterProgram(ParseCommandLine({"6,700,3,f.xml"}), own), TStartRefusal::LockFailed);
    EXPECT_FALSE(own.isHeld());
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, msgkind::Error);
    EXPECT_NE(messages.firstLine(0), "アプリケーションは既に起動しています。");
    EXPECT_NE(messages.shown()[0].lines[2].text.find(kMutexWizard), std::string::npos); // the reason
    EXPECT_EQ(caller.received(), (std::vector<std::string> {"enable", "result 700 3 2"}));
}
