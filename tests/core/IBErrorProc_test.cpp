#include "core/IBErrorProc.h"

#include "core/uAccRecord.h"
#include "platform/codec.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <regex>

using namespace core;
using platform::firebird::EIBError;

namespace {

// The box's lines joined back with "\r", as the message was composed.
std::string boxText(const TMessage2InfoRec& rec)
{
    std::string text;
    std::size_t last = 0;
    for (std::size_t i = 0; i < rec.lines.size(); ++i)
        if (!rec.lines[i].text.empty())
            last = i + 1;
    for (std::size_t i = 0; i < last; ++i)
        text += (i ? "\r" : "") + rec.lines[i].text;
    return text;
}

std::size_t countLines(const std::string& bytes)
{
    std::size_t n = 0;
    for (std::size_t p = bytes.find("\r\n"); p != std::string::npos; p = bytes.find("\r\n", p + 2))
        ++n;
    return n;
}

class IBErrorProcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        SysDef.LogDir = dir.makeDir("log");
        SysDef.ParentDir = dir.makeDir("parent");
        SysDef.PCName = "PC1";
        SysDef.OpCode = 10001;
        SysDef.HostName = "127.0.0.1";
        previous = SetTerminateProc([this] { ++terminated; });
        SetCompanyDatabaseNameProc([] { return std::string("/data/0001/tnacc.fdb"); });
    }
    void TearDown() override
    {
        SetTerminateProc(previous);
        SetCompanyDatabaseNameProc({});
        ResetProcessState();
    }
    std::string logText() { return platform::codec::fromSjis(dir.read("log/ErrFbAccess.log")); }

    test_support::TempDir dir;
    TTerminateProc previous;
    int terminated = 0;
};

} // namespace

TEST_F(IBErrorProcTest, DuplicateKeyShowsMessageWithDetailAndLogsTwoLines)
{
    ScriptedMessages messages;
    const EIBError e(335544349, -803, "attempt to store duplicate value");
    IBErrorProc(e, "TDM.fnTest", "登録に失敗しました。", true);

    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, msgkind::Error);
    EXPECT_EQ(boxText(messages.shown()[0]),
        "登録に失敗しました。\r\r[詳細情報]\rIBXエラーコード:335544349\rattempt to store duplicate value\r"
        "（指定のコード（索引）は既に登録されています。『索引は重複値を格納できません』）");

    const std::string log = logText();
    const std::regex line1(
        R"(^\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2},PC1,10001,Serial=,AppVer=,DBName=127\.0\.0\.1:/data/0001/tnacc\.fdb,DataVer=\r\n)");
    EXPECT_TRUE(std::regex_search(log, line1)) << log;
    EXPECT_NE(log.find("\r\nError=TDM.fnTest [335544349] (-803) "
                       "（指定のコード（索引）は既に登録されています。『索引は重複値を格納できません』）,"
                       "attempt to store duplicate value\r\n"),
        std::string::npos)
        << log;
    EXPECT_EQ(terminated, 0);
    EXPECT_EQ(ConnectionLost, 0);
}

TEST_F(IBErrorProcTest, LogGrowsByTwoLinesAndLatestFileHoldsOnlyTheLastError)
{
    ScriptedMessages messages;
    IBErrorProc(EIBError(335544345, -901, "lock conflict"), "A.first", "", true);
    IBErrorProc(EIBError(335544665, -803, "violation of PRIMARY or UNIQUE KEY"), "A.second", "", true);
    EXPECT_EQ(messages.count(), 0u) << "an empty message with an ordinary code shows nothing";
    EXPECT_EQ(countLines(dir.read("log/ErrFbAccess.log")), 4u);
    const std::string latest = platform::codec::fromSjis(dir.read("log/ErrFbAccess.txt"));
    EXPECT_EQ(countLines(dir.read("log/ErrFbAccess.txt")), 2u);
    EXPECT_NE(latest.find("Error=A.second [335544665]"), std::string::npos);
    EXPECT_EQ(latest.find("A.first"), std::string::npos);
}

TEST_F(IBErrorProcTest, LostConnectionShowsTheClosingBoxOnceAndEndsTheProgram)
{
    ScriptedMessages messages;
    ConnectMode = 0;
    const EIBError lost(kIscNetworkError, -902, "Error writing data to the connection.");
    IBErrorProc(lost, "TDM.one", "何か", true);
    IBErrorProc(lost, "TDM.two", "何か", true);
    IBErrorProc(EIBError(335544349, -803, "dup"), "TDM.three", "別の失敗", true);

    ASSERT_EQ(messages.count(), 1u);
    const std::string text = boxText(messages.shown()[0]);
    EXPECT_EQ(text.rfind("何らかの原因でネットワークが物理的に切断されている か "
                         "Firebirdサービス(RDBMS)との通信が切断されました。\r\r[OK]ボタンを押すと",
                  0),
        0u)
        << text;
    EXPECT_NE(text.find("\r※注意 共有サーバーのデータ利用時は自動保管されません。"), std::string::npos);
    EXPECT_EQ(terminated, 1);
    EXPECT_EQ(ConnectionLost, 1);
    EXPECT_EQ(countLines(dir.read("log/ErrFbAccess.log")), 2u) << "later errors write nothing";
}

TEST_F(IBErrorProcTest, ConsistencyCheckEndsTheProgramWithoutTheSharedServerNoteOnAServer)
{
    ScriptedMessages messages;
    ConnectMode = 1;
    IBErrorProc(EIBError(kIscBugCheck, -902, "internal consistency check"), "TDM.x", "", false);
    ASSERT_EQ(messages.count(), 1u);
    const std::string text = boxText(messages.shown()[0]);
    EXPECT_EQ(text.rfind("（isc 内部のソフトウェア一貫性チェック）\r\r[OK]ボタンを押すと", 0), 0u) << text;
    EXPECT_EQ(text.find("※注意"), std::string::npos);
    EXPECT_EQ(terminated, 1);
}

TEST_F(IBErrorProcTest, UnwritableLogNeitherHidesTheMessageNorStopsTheEnding)
{
    // The log folder is a file: nothing can be written below it.
    SysDef.LogDir = dir.write("not-a-folder", "x");
    ScriptedMessages messages;
    IBErrorProc(EIBError(335544349, -803, "dup"), "TDM.a", "登録に失敗しました。", true);
    EXPECT_EQ(messages.count(), 1u);
    IBErrorProc(EIBError(kIscNetworkError, -902, "lost"), "TDM.b", "", true);
    EXPECT_EQ(messages.count(), 2u);
    EXPECT_EQ(terminated, 1);
}

TEST_F(IBErrorProcTest, ReportWritesBothSupportFilesAndShowsTheText)
{
    ScriptedMessages messages;
    SysDef.ProgramVersion = "";
    const EIBError e(335544321, -802, "arithmetic exception");
    IBErrorReport(e, "試算表読込", false);
    IBErrorReport(e, "合計名称読込", true);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(boxText(messages.shown()[0]),
        "試算表読込\rErrCode<335544321>  SQLCODE<-802>\rarithmetic exception\r\r"
        "（算術式の例外，数値のオーバーフロー，文字列の切り捨てのいずれかが発生しました）");
    const std::string latest = platform::codec::fromSjis(dir.read("parent/FB_ERROR.TXT"));
    EXPECT_EQ(latest.rfind("合計名称読込\r\nErrCode<335544321>  SQLCODE<-802>\r\n（算術式", 0), 0u) << latest;
    EXPECT_NE(latest.find("\r\nPG_VERSION[]\r\nDB_VERSION[]\r\nSerial[]\r\nServer[127.0.0.1]\r\nDatabaseName[/data/"
                          "0001/tnacc.fdb]\r\n"),
        std::string::npos);
    EXPECT_NE(latest.find("\r\nPC1\r\n10001\r\n"), std::string::npos);
    const std::string all = platform::codec::fromSjis(dir.read("parent/FB_ERROR.LOG"));
    EXPECT_NE(all.find("試算表読込"), std::string::npos);
    EXPECT_NE(all.find("合計名称読込"), std::string::npos);
}

TEST(ErrorMessageEx, ComposesMessageAndDetail)
{
    ScriptedMessages messages;
    ErrorMessageEx("", "", 1);
    EXPECT_EQ(messages.count(), 0u);
    ErrorMessageEx("", "詳細だけ", 2);
    ErrorMessageEx("本文", "", 0);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(boxText(messages.shown()[0]), "\r\r[詳細情報]\r詳細だけ");
    EXPECT_EQ(messages.shown()[0].kind, msgkind::Information);
    EXPECT_EQ(boxText(messages.shown()[1]), "本文");
    EXPECT_EQ(messages.shown()[1].kind, msgkind::Warning);
}

TEST(GetIBErrorText, TableRowsAndSqlCodeConditions)
{
    struct Case {
        long code;
        long sql;
        const char* text;
    };
    const Case cases[] = {
        {335544335, 0, "（データベースファイルが破損している可能性があります"},
        {335544344, -902, "（ファイルの入出力エラーが発生しました）"},
        {335544472, -902, "（ユーザー名とパスワードが定義されていません。）"},
        {335544788, -901,
            "（操作を実行することができません。データベースのSYSDBAか所有者のどちらかでなければなりません。）"},
        {335544788, -902, " "},
        {336330817, -902, "（ディレクトリ名・データーベスに全角文字は使用できません。）"},
        {336330817, -901, " "},
        {336330766, 0, "（データベースの上書きはできません。）"},
        {335544450, 0, " "},
        {335544379, 0, " "},
        {335544721, -902, " "},
        {0, 0, " "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetIBErrorText(c.code, c.sql), c.text) << c.code << " " << c.sql;
}

TEST(GetIBErrorText, EveryCodeOfTheRangesHasATextInFullWidthParentheses)
{
    const std::pair<long, long> ranges[] = {{335544321, 335544378}, {335544380, 335544384}, {335544388, 335544397},
        {335544403, 335544416}, {335544418, 335544421}, {335544424, 335544439}, {335544441, 335544447},
        {335544451, 335544467}, {335544469, 335544504}, {335544506, 335544701}};
    // Japanese: at least one character outside ASCII besides the
    // parentheses, never the engine's English message.
    const auto japanese = [](const std::string& t) {
        const std::string inner = t.substr(std::string("（").size());
        for (unsigned char c : inner.substr(0, inner.size() >= 3 ? inner.size() - 3 : 0))
            if (c >= 0x80)
                return true;
        return false;
    };
    int n = 0;
    for (const auto& [lo, hi] : ranges)
        for (long code = lo; code <= hi; ++code, ++n) {
            const std::string t = GetIBErrorText(code, 0);
            ASSERT_EQ(t.rfind("（", 0), 0u) << code << ": " << t;
            EXPECT_TRUE(japanese(t)) << code << ": " << t;
        }
    EXPECT_TRUE(japanese(GetIBErrorText(335544386, 0))) << GetIBErrorText(335544386, 0);
    EXPECT_EQ(n + 4, 367) << "with 335544386, 335544788, 336330766 and 336330817 the table holds 367 codes";
}
