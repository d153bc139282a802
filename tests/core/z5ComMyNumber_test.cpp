#include "core/EasyEncode.h"
#include "core/z5ComMyNumber.h"
#include "dataset_fixture.h"
#include "support/scripted_input.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using dataset_fixture::Root;

class MyNumber : public ::testing::Test {
protected:
    void SetUp() override { useSettings(r.companyDb, "pass1234", "value-1"); }
    static void useSettings(const std::string& db, const std::string& key, const std::string& value)
    {
        Root::exec(db,
            "UPDATE OR INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES ('基本設定', '＃USE', '整数', '1') "
            "MATCHING (AGROUP, ACODE)");
        Root::exec(db,
            "UPDATE OR INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES ('基本設定', '＃KEY', '文字', '"
                + core::EncodeProtectText(key) + "') MATCHING (AGROUP, ACODE)");
        Root::exec(db,
            "UPDATE OR INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES ('基本設定', '＃VALUE', '文字', '"
                + core::EncodeProtectText(value) + "') MATCHING (AGROUP, ACODE)");
    }
    static std::string setting(const std::string& db, const std::string& code)
    {
        return Root::scalar(db, "SELECT ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE='" + code + "'");
    }
    static std::string logCount(const std::string& db, const std::string& where = "1=1")
    {
        return Root::scalar(db, "SELECT COUNT(*) FROM MYNUMBER_LOG WHERE " + where);
    }
    Root r;
};

TEST(MyNumberLog, CommentsByKindAndProcessName)
{
    struct Case {
        int kind;
        const char* proc;
        const char* comment;
    };
    const Case cases[] = {
        {3, "x", "マイナンバー情報が削除されました。"},
        {6, "データ送信", "マイナンバー情報を含むデータが送信されました。"},
        {6, "データ保存", "マイナンバー情報を含むデータが保存されました。"},
        {7, "受信処理", "マイナンバー情報を含むデータが受信されました。"},
        {8, "送信", "マイナンバー情報を含めずにデータが送信されました。"},
        {9, "", "マイナンバー管理パスワードを既定値に設定しました。"},
        {0, "", "マイナンバー情報**されました。"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MyNumberLogComment(c.kind, c.proc), c.comment) << c.kind;

    ResetProcessState();
    SysDef.LoginCode = 12;
    SysDef.PCName = std::string(70, 'p');
    TMyNumberLogRec rec;
    TMyNumberIO::MakeLogRec(rec, 4, std::string(50, 'n'));
    EXPECT_EQ(rec.FOPCODE, "12");
    EXPECT_EQ(rec.FHOST.size(), 60u);
    EXPECT_EQ(rec.FPROCNAME.size(), 40u);
    EXPECT_EQ(rec.FHIZUKE, 0);
    ResetProcessState();
}

TEST_F(MyNumber, ClearLogsKind3AndWriteSettingRestoresAndRemovesTheEntry)
{
    const std::string storedKey = setting(r.companyDb, "＃KEY");
    TMyNumberIO io;
    ASSERT_TRUE(io.ReadSetting("", r.companyDb, "MyNumber_Clear", ""));
    EXPECT_EQ(io.UseKbn, 1);
    EXPECT_EQ(io.KeyText, "pass1234");
    EXPECT_EQ(io.ValueText, "value-1");
    EXPECT_EQ(setting(r.companyDb, "＃USE"), "0");
    EXPECT_EQ(setting(r.companyDb, "＃KEY"), "");
    EXPECT_EQ(logCount(r.companyDb,
                  "FSTATE=3 AND FPROCNAME='アプリケーション' AND "
                  "FCOMMENT='マイナンバー情報が削除されました。'"),
        "1");
    EXPECT_FALSE(r.dm->IBDatabaseDAT.connected());

    ASSERT_TRUE(io.WriteSetting("", r.companyDb));
    EXPECT_EQ(setting(r.companyDb, "＃USE"), "1");
    TMyNumberIO check;
    ASSERT_TRUE(check.ReadSetting("", r.companyDb, "", ""));
    EXPECT_EQ(check.KeyText, "pass1234");
    EXPECT_EQ(check.ValueText, "value-1");
    EXPECT_EQ(logCount(r.companyDb, "FSTATE=3"), "0");
    (void)storedKey;
}

TEST_F(MyNumber, UnreadableStoredKeyIsWrittenBackAsItWas)
{
    Root::exec(r.companyDb, "UPDATE ACCREG SET ATEXT='***not-decodable***' WHERE ACODE='＃KEY'");
    TMyNumberIO io;
    ASSERT_TRUE(io.ReadSetting("", r.companyDb, "MYNUMBER_CLEAR", "テスト"));
    EXPECT_EQ(io.KeyText, "");
    EXPECT_EQ(setting(r.companyDb, "＃KEY"), "");
    ASSERT_TRUE(io.WriteSetting("", r.companyDb));
    EXPECT_EQ(setting(r.companyDb, "＃KEY"), "***not-decodable***");
}

TEST_F(MyNumber, WriteSettingAfterUseZeroWritesNothing)
{
    Root::exec(r.companyDb, "UPDATE ACCREG SET ATEXT='0' WHERE ACODE='＃USE'");
    TMyNumberIO io;
    ASSERT_TRUE(io.ReadSetting("", r.companyDb, "", ""));
    io.KeyText = "other";
    EXPECT_FALSE(io.WriteSetting("", r.companyDb));
    EXPECT_EQ(setting(r.companyDb, "＃KEY"), core::EncodeProtectText("pass1234"));
}

TEST_F(MyNumber, AddLogRetriesWithANewStampOnACollision)
{
    TMyNumberIO io;
    TMyNumberLogRec first;
    TMyNumberIO::MakeLogRec(first, 4, "参照画面");
    ASSERT_TRUE(io.AddLogTo(first, "", r.companyDb));
    ASSERT_NE(first.FHIZUKE, 0);
    TMyNumberLogRec second = first; // same stamp, serial and operator
    ScriptedMessages messages;
    ASSERT_TRUE(io.AddLogTo(second, "", r.companyDb));
    EXPECT_NE(second.FHIZUKE, first.FHIZUKE);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(logCount(r.companyDb), "2");

    ASSERT_TRUE(io.ReadLogFrom("", r.companyDb));
    ASSERT_EQ(io.LogCount, 2);
    EXPECT_EQ(io.LogList[0].FHIZUKE, first.FHIZUKE);
    EXPECT_EQ(io.LogList[0].FCOMMENT, "マイナンバー情報が参照されました。");
    EXPECT_EQ(io.ShopName, Root::scalar(r.companyDb, "SELECT SHOUGOU FROM ACCDEF1"));
}

TEST_F(MyNumber, MergeLogAddsMissingRowsOnlyIntoTheSameCompany)
{
    test_support::TempDir dir;
    const std::string other = dir.makeDir("DATA/0002");
    fs::copy_file(r.companyDb, other + "/tnacc.fdb");
    const std::string otherDb = other + "/tnacc.fdb";

    TMyNumberIO io;
    TMyNumberLogRec a, b;
    TMyNumberIO::MakeLogRec(a, 4, "a");
    TMyNumberIO::MakeLogRec(b, 5, "b");
    ASSERT_TRUE(io.AddLogTo(a, "", r.companyDb));
    ASSERT_TRUE(io.AddLogTo(b, "", r.companyDb));
    ASSERT_TRUE(io.ReadLogFrom("", r.companyDb));

    TMyNumberLogRec onlyThere;
    TMyNumberIO::MakeLogRec(onlyThere, 2, "c");
    ASSERT_TRUE(io.AddLogTo(onlyThere, "", otherDb));
    TMyNumberLogRec copy = a;
    ASSERT_TRUE(io.AddLogTo(copy, "", otherDb));
    EXPECT_TRUE(io.MergeLog("", otherDb));
    EXPECT_EQ(logCount(otherDb), "3");

    Root::exec(otherDb, "UPDATE ACCDEF1 SET SHOUGOU='別会社'");
    Root::exec(otherDb, "DELETE FROM MYNUMBER_LOG");
    EXPECT_FALSE(io.MergeLog("", otherDb));
    EXPECT_EQ(logCount(otherDb), "0");
}

TEST_F(MyNumber, OperationsOnAnotherDataSetNeverTouchTheOpenOne)
{
    test_support::TempDir dir;
    const std::string other = dir.makeDir("DATA/0002");
    fs::copy_file(r.companyDb, other + "/tnacc.fdb");
    const std::string otherDb = other + "/tnacc.fdb";

    ASSERT_TRUE(r.dm->fnAccDatConnected({}, r.company, 0));
    ScriptedMessages messages;
    TMyNumberIO io;
    EXPECT_FALSE(io.ReadSetting("", otherDb, "MYNUMBER_CLEAR", ""));
    TMyNumberLogRec rec;
    TMyNumberIO::MakeLogRec(rec, 4, "x");
    EXPECT_FALSE(io.AddLogTo(rec, "", otherDb));
    EXPECT_GE(messages.count(), 2u);
    EXPECT_TRUE(r.dm->IBDatabaseDAT.connected());
    r.dm->fnAccDatDisConnected(r.company, 0, 0);

    EXPECT_EQ(setting(r.companyDb, "＃USE"), "1");
    EXPECT_EQ(setting(otherDb, "＃USE"), "1");
    EXPECT_EQ(logCount(r.companyDb), "0");
    EXPECT_EQ(logCount(otherDb), "0");

    // The open data set itself is worked on through its own connection.
    ASSERT_TRUE(r.dm->fnAccDatConnected({}, r.company, 0));
    EXPECT_TRUE(io.ReadSetting("", r.companyDb, "", ""));
    EXPECT_EQ(io.KeyText, "pass1234");
    EXPECT_TRUE(r.dm->IBDatabaseDAT.connected());
}

TEST_F(MyNumber, MissingDatabaseDoesNothing)
{
    TMyNumberIO io;
    EXPECT_FALSE(io.ReadSetting("", r.company + "/none/tnacc.fdb", "MYNUMBER_CLEAR", ""));
    EXPECT_EQ(io.UseKbn, 0);
}

TEST(MyNumberPassword, PromptRules)
{
    ResetProcessState();
    SysDef.IsMyNumberAdmin = 0;
    EXPECT_TRUE(CheckMyNumberPassword("abc"));
    SysDef.IsMyNumberAdmin = 1;
    EXPECT_FALSE(CheckMyNumberPassword(""));
    {
        ScriptedInput input({{modal::Ok, "abc12  　"}});
        EXPECT_TRUE(CheckMyNumberPassword("abc12"));
        EXPECT_EQ(input.shown()[0].caption, "マイナンバー管理パスワードの確認");
        EXPECT_EQ(input.shown()[0].prompt, "マイナンバー管理パスワードを入力して下さい。");
    }
    {
        ScriptedInput input({{modal::Ok, "x"}, {modal::Cancel, ""}});
        EXPECT_FALSE(CheckMyNumberPassword("abc12"));
        ASSERT_EQ(input.count(), 2u);
        EXPECT_EQ(input.shown()[1].prompt, "正しいパスワードを入力して下さい。");
        EXPECT_EQ(input.shown()[1].promptColour, 0x0000FFu);
    }
    {
        ScriptedInput input({{modal::Ok, "x"}, {modal::Ok, "y"}, {modal::Ok, "ABC12"}, {modal::Ok, "abc12"}});
        EXPECT_FALSE(CheckMyNumberPassword("abc12"));
        EXPECT_EQ(input.pending(), 1u);
    }
    ResetProcessState();
}

} // namespace
