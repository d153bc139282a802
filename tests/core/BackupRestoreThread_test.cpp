#include "core/BackupRestoreThread.h"
#include "core/BufFileStream.h"
#include "core/DataInfomation.h"
#include "core/EasyEncode.h"
#include "core/PlatformUtil.h"
#include "dataset_fixture.h"
#include "platform/codec.h"
#include "support/scripted_input.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <QCoreApplication>

#include "support/recorded_progress.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace {

namespace fs = std::filesystem;
using dataset_fixture::Root;

std::string setting(const std::string& db, const std::string& code)
{
    return Root::scalar(db, "SELECT ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE='" + code + "'");
}

void useMyNumber(const std::string& db)
{
    for (const auto& [code, text] : {std::pair<std::string, std::string> {"＃USE", "1"},
             {"＃KEY", core::EncodeProtectText("pass1234")}, {"＃VALUE", core::EncodeProtectText("v")}})
        Root::exec(db,
            "UPDATE OR INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES ('基本設定', '" + code + "', '文字', '"
                + text + "') MATCHING (AGROUP, ACODE)");
}

class Worker : public ::testing::Test {
protected:
    void fillInfo(TBackupRestoreThread& t)
    {
        TDataInfomation di;
        TDataInfomationRec rec;
        ASSERT_EQ(di.ReadDataInfoRec(r.company, rec), 1);
        t.ClearBackupInfo();
        t.Shougou = rec.SHOUGOU;
        t.Kishu = rec.KISHU;
        t.Kimatu = rec.KIMATU;
        t.Siwake = rec.SIWAKE;
        t.TotalSiwake = rec.TOTALSIWAKE;
        t.DataVersion = "13.0.0";
        t.Gassan = rec.GASSANKBN;
        t.UseMyNumber = rec.USEMYNUMBER;
    }
    Root r;
    test_support::TempDir dir;
};

TEST_F(Worker, BackupWithInfoStripsToTheIdenticalBackupAndRestoresToTheSameFacts)
{
    const std::string plain = dir.file("plain.fbk");
    {
        TBackupRestoreThread t;
        t.DataPath = r.companyDb;
        t.BackupFile = plain;
        t.Execute();
        ASSERT_TRUE(t.Success) << t.ErrCode << t.ErrMessage;
        EXPECT_FALSE(t.Failed);
        EXPECT_TRUE(t.IsTerminated());
    }
    fs::copy_file(plain, dir.file("copy.fbk"));
    TBackupRestoreThread info;
    fillInfo(info);
    ASSERT_TRUE(info.WriteBackupInfo(plain));
    EXPECT_GT(fs::file_size(plain), fs::file_size(dir.file("copy.fbk")));

    TBackupRestoreThread reader;
    ASSERT_TRUE(reader.ReadBackupInfo(plain, true));
    EXPECT_EQ(reader.Shougou, info.Shougou);
    EXPECT_EQ(reader.Kishu, "2024/04/01");
    EXPECT_EQ(reader.TotalSiwake, info.TotalSiwake);
    EXPECT_EQ(reader.DataVersion, "13.0.0");
    EXPECT_EQ(dir.read("plain.fbk"), dir.read("copy.fbk"));
    EXPECT_FALSE(reader.ReadBackupInfo(plain, true));

    // The worker appends the block itself, and a restore into a fresh
    // folder opens with the same facts.
    TBackupRestoreThread save;
    fillInfo(save);
    save.DataPath = r.companyDb;
    save.BackupFile = dir.file("with-info.fbk");
    save.WriteInfo = true;
    save.Execute();
    ASSERT_TRUE(save.Success);

    const std::string target = dir.makeDir("restored/DATA/0009");
    TBackupRestoreThread restore;
    ASSERT_TRUE(restore.ReadBackupInfo(save.BackupFile, true));
    restore.Mode = 1;
    restore.DataPath = target + "/tnacc.fdb";
    restore.BackupFile = save.BackupFile;
    restore.ActivateIndexes = 1;
    restore.Execute();
    ASSERT_TRUE(restore.Success) << restore.ErrCode << restore.ErrMessage << restore.ErrDetail;
    TDataInfomation di;
    TDataInfomationRec a, b;
    ASSERT_EQ(di.ReadDataInfoRec(r.company, a), 1);
    ASSERT_EQ(di.ReadDataInfoRec(target, b), 1);
    EXPECT_EQ(a.SHOUGOU, b.SHOUGOU);
    EXPECT_EQ(a.SIWAKE, b.SIWAKE);
    EXPECT_EQ(a.TOTALSIWAKE, b.TOTALSIWAKE);
    EXPECT_EQ(a.KIMATU, b.KIMATU);
    EXPECT_EQ(a.SITENCNT, b.SITENCNT);
}

TEST_F(Worker, DeclinedPersonalNumbersStayInTheLiveDataButNotInTheBackup)
{
    useMyNumber(r.companyDb);
    const std::string key = setting(r.companyDb, "＃KEY");
    SysDef.IsMyNumberAdmin = 1;
    ScriptedMessages messages({modal::No});
    TBackupRestoreThread t;
    fillInfo(t);
    ASSERT_EQ(t.UseMyNumber, 1);
    t.DataPath = r.companyDb;
    t.BackupFile = dir.file("no-mynumber.fbk");
    t.AskMyNumber = true;
    t.LogMyNumber = true;
    t.WriteInfo = true;
    t.Execute();
    ASSERT_TRUE(t.Success) << t.ErrCode << t.ErrDetail;
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "保存データにマイナンバー情報を含めますか？");
    EXPECT_TRUE(t.ExcludeMyNumber);
    EXPECT_EQ(t.UseMyNumber, 1);
    EXPECT_EQ(setting(r.companyDb, "＃USE"), "1");
    EXPECT_EQ(setting(r.companyDb, "＃KEY"), key);
    EXPECT_EQ(Root::scalar(r.companyDb, "SELECT COUNT(*) FROM MYNUMBER_LOG WHERE FSTATE=3"), "0");

    TBackupRestoreThread reader;
    ASSERT_TRUE(reader.ReadBackupInfo(t.BackupFile, true));
    EXPECT_EQ(reader.UseMyNumber, 0);

    const std::string target = dir.makeDir("r/DATA/0002");
    TBackupRestoreThread restore;
    restore.Mode = 1;
    restore.UseMyNumber = reader.UseMyNumber;
    restore.DataPath = target + "/tnacc.fdb";
    restore.BackupFile = t.BackupFile;
    restore.Execute();
    ASSERT_TRUE(restore.Success) << restore.ErrCode;
    EXPECT_EQ(setting(restore.DataPath, "＃USE"), "0");
    EXPECT_EQ(setting(restore.DataPath, "＃KEY"), "");
    EXPECT_EQ(setting(restore.DataPath, "＃VALUE"), "");
}

TEST_F(Worker, FailedBackupNeverLeavesTheLiveDataWithoutItsSettings)
{
    useMyNumber(r.companyDb);
    const std::string key = setting(r.companyDb, "＃KEY");
    SysDef.IsMyNumberAdmin = 0;
    ScriptedMessages messages;
    TBackupRestoreThread t;
    fillInfo(t);
    t.DataPath = r.companyDb;
    t.BackupFile = dir.file("missing-folder/backup.fbk");
    t.AskMyNumber = true;
    t.Execute();
    EXPECT_FALSE(t.Success);
    EXPECT_TRUE(t.Failed);
    EXPECT_EQ(t.ErrMethod, "BackupDatabase");
    EXPECT_EQ(t.ErrCode, "100");
    EXPECT_EQ(t.ErrMessage, "データベースの保存に失敗しました。");
    EXPECT_EQ(messages.firstLine(0), "保存データにマイナンバー情報は含まれません。");
    EXPECT_EQ(setting(r.companyDb, "＃USE"), "1");
    EXPECT_EQ(setting(r.companyDb, "＃KEY"), key);
    EXPECT_FALSE(fs::exists(t.BackupFile));
}

TEST_F(Worker, BackupWithPersonalNumbersNeedsTheManagementPassword)
{
    useMyNumber(r.companyDb);
    SysDef.IsMyNumberAdmin = 1;
    ScriptedMessages messages({modal::Yes});
    {
        ScriptedInput input({{modal::Ok, "wrong"}, {modal::Cancel, ""}});
        TBackupRestoreThread t;
        t.UseMyNumber = 1;
        t.DataPath = r.companyDb;
        t.BackupFile = dir.file("a.fbk");
        t.AskMyNumber = true;
        t.Execute();
        EXPECT_FALSE(t.Success);
        EXPECT_TRUE(t.Failed);
        EXPECT_EQ(t.ErrCode, "100");
        EXPECT_EQ(t.ErrMessage, "データベースの保存処理を中止しました。");
        EXPECT_FALSE(fs::exists(t.BackupFile));
    }
    messages.push(modal::Yes);
    ScriptedInput input({{modal::Ok, "pass1234"}});
    TBackupRestoreThread t;
    t.UseMyNumber = 1;
    t.DataPath = r.companyDb;
    t.BackupFile = dir.file("b.fbk");
    t.AskMyNumber = true;
    t.LogMyNumber = true;
    t.Execute();
    EXPECT_TRUE(t.Success);
    EXPECT_EQ(t.MyNumberAnswer, 6);
    EXPECT_EQ(Root::scalar(r.companyDb, "SELECT COUNT(*) FROM MYNUMBER_LOG WHERE FSTATE=6"), "1");
}

TEST_F(Worker, RestoreWithoutPersonalNumbersIntoADataSetThatManagesThemIsRefused)
{
    TBackupRestoreThread save;
    save.DataPath = r.companyDb;
    save.BackupFile = dir.file("s.fbk");
    save.Execute();
    ASSERT_TRUE(save.Success);
    useMyNumber(r.companyDb);

    TBackupRestoreThread t;
    t.Mode = 1;
    t.UseMyNumber = 0;
    t.DataPath = r.companyDb;
    t.BackupFile = save.BackupFile;
    t.Execute();
    EXPECT_FALSE(t.Success);
    EXPECT_TRUE(t.Failed);
    EXPECT_EQ(t.ErrMethod, "RestoreDatabase");
    EXPECT_EQ(t.ErrCode, "200");
    EXPECT_EQ(t.ErrMessage, "マイナンバー情報を管理しているデータへの復元はおこなえません。");
    EXPECT_EQ(t.ErrDetail, "データベースの復元処理を中止しました。");
    EXPECT_EQ(setting(r.companyDb, "＃USE"), "1");
}

TEST_F(Worker, RestoreStopsWhenThePersonalNumberCheckCannotReadTheTarget)
{
    TBackupRestoreThread save;
    save.DataPath = r.companyDb;
    save.BackupFile = dir.file("o.fbk");
    save.CheckMyNumber = false;
    save.Execute();
    ASSERT_TRUE(save.Success);

    // The target manages personal numbers; another data set is open, so
    // its settings cannot be read here.
    const std::string other = dir.makeDir("DATA/0009");
    fs::copy_file(r.companyDb, other + "/tnacc.fdb");
    const std::string otherDb = other + "/tnacc.fdb";
    useMyNumber(otherDb);
    Root::exec(otherDb,
        "INSERT INTO MYNUMBER_LOG (FHIZUKE, FSERIAL, FOPCODE, FSTATE, FCOMMENT) "
        "VALUES ('2025-01-02 03:04:05', 'S', 10, 4, 'kept')");
    ASSERT_TRUE(r.dm->fnAccDatConnected({}, r.company, 0));

    ScriptedMessages messages;
    TBackupRestoreThread t;
    t.Mode = 1;
    t.UseMyNumber = 0;
    t.DataPath = otherDb;
    t.BackupFile = save.BackupFile;
    t.Execute();
    r.dm->fnAccDatDisConnected(r.company, 0, 0);
    EXPECT_FALSE(t.Success);
    EXPECT_TRUE(t.Failed);
    EXPECT_EQ(t.ErrCode, "200");
    EXPECT_EQ(t.ErrDetail, "データベースの復元処理を中止しました。");
    EXPECT_EQ(setting(otherDb, "＃USE"), "1");
    EXPECT_EQ(Root::scalar(otherDb, "SELECT COUNT(*) FROM MYNUMBER_LOG WHERE FCOMMENT='kept'"), "1");
}

TEST_F(Worker, RestoreKeepsTheAuditLogOfTheTarget)
{
    useMyNumber(r.companyDb);
    TBackupRestoreThread save;
    save.DataPath = r.companyDb;
    save.BackupFile = dir.file("m.fbk");
    save.CheckMyNumber = false;
    save.Execute();
    ASSERT_TRUE(save.Success);
    Root::exec(r.companyDb,
        "INSERT INTO MYNUMBER_LOG (FHIZUKE, FSERIAL, FOPCODE, FSTATE, FCOMMENT) "
        "VALUES ('2025-01-02 03:04:05', 'S', 10, 4, 'after the backup')");
    TBackupRestoreThread t;
    t.Mode = 1;
    t.UseMyNumber = 1;
    t.LogMyNumber = true;
    t.DataPath = r.companyDb;
    t.BackupFile = save.BackupFile;
    t.Execute();
    ASSERT_TRUE(t.Success) << t.ErrCode << t.ErrDetail;
    EXPECT_EQ(t.MyNumberAnswer, 7);
    EXPECT_EQ(Root::scalar(r.companyDb, "SELECT COUNT(*) FROM MYNUMBER_LOG WHERE FCOMMENT='after the backup'"), "1");
    EXPECT_EQ(Root::scalar(r.companyDb, "SELECT COUNT(*) FROM MYNUMBER_LOG WHERE FSTATE=7"), "1");
}

TEST_F(Worker, PathsNamingNoDatabaseFailBeforeAnyDatabaseWork)
{
    struct Case {
        int mode;
        const char* method;
        const char* code;
    };
    for (const Case c : {Case {0, "BackupDatabase", "101"}, Case {1, "RestoreDatabase", "201"}}) {
        TBackupRestoreThread t;
        t.Mode = c.mode;
        t.CheckMyNumber = false;
        t.DataPath = dir.file("other.fdb");
        t.BackupFile = dir.file("x.fbk");
        t.Execute();
        EXPECT_FALSE(t.Success);
        EXPECT_TRUE(t.Failed);
        EXPECT_EQ(t.ErrMethod, c.method);
        EXPECT_EQ(t.ErrCode, c.code);
        EXPECT_EQ(t.ErrMessage, "指定されたファイルはトルバン財務用のデータではありません。");
    }
}

TEST(WorkerWithoutDataModule, AnUnexpectedErrorStillCarriesCodeAndMessage)
{
    ResetProcessState();
    core::DM = nullptr;
    for (int mode : {0, 1}) {
        TBackupRestoreThread t;
        t.Mode = mode;
        t.DataPath = "/tmp/x/tnacc.fdb";
        t.Execute();
        EXPECT_TRUE(t.IsTerminated());
        EXPECT_FALSE(t.Success);
        EXPECT_TRUE(t.Failed);
        EXPECT_EQ(t.ErrCode, mode == 0 ? "100" : "200");
        EXPECT_FALSE(t.ErrMessage.empty());
    }
}

TEST_F(Worker, CopyAndRebuildReportOnlySuccess)
{
    const std::string target = dir.makeDir("copy/DATA/0003");
    TBackupRestoreThread copy;
    copy.Mode = 2;
    copy.DataPath = r.companyDb;
    copy.DestPath = target + "/tnacc.fdb";
    copy.BackupFile = dir.file("c.fbk");
    copy.Execute();
    ASSERT_TRUE(copy.Success);
    EXPECT_FALSE(copy.Failed);
    EXPECT_EQ(Root::scalar(copy.DestPath, "SELECT SHOUGOU FROM ACCDEF1"),
        Root::scalar(r.companyDb, "SELECT SHOUGOU FROM ACCDEF1"));

    ScriptedMessages messages;
    TBackupRestoreThread broken;
    broken.Mode = 3;
    broken.DataPath = dir.file("none/tnacc.fdb");
    broken.BackupFile = dir.file("d.fbk");
    broken.Execute();
    EXPECT_FALSE(broken.Success);
    EXPECT_TRUE(broken.Failed);
    EXPECT_EQ(broken.DestPath, broken.DataPath);
}

TEST_F(Worker, ResumeRunsOnTheEventLoopWhileTheCallerWaits)
{
    static int argc = 1;
    static char name[] = "core_tests";
    static char* argv[] = {name, nullptr};
    std::optional<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app.emplace(argc, argv);
    RecordedProgress progress;
    TBackupRestoreThread t;
    t.DataPath = r.companyDb;
    t.BackupFile = dir.file("e.fbk");
    t.Resume();
    EXPECT_FALSE(t.IsTerminated());
    for (int i = 0; i < 600 && !t.IsTerminated(); ++i)
        WaitMilliSec(50);
    ASSERT_TRUE(t.IsTerminated());
    EXPECT_TRUE(t.Success);
    EXPECT_EQ(progress.lines, std::vector<std::string> {"データを保存しています…"}) << "reported to the shown window";
}

TEST(BackupInfoBlock, FormatEdgeCases)
{
    ResetProcessState();
    test_support::TempDir dir;
    TBackupRestoreThread t;
    t.ClearBackupInfo();
    t.Kishu = "2024/04/01";
    const auto file = dir.write("b.fbk", std::string(1000, 'x'));
    EXPECT_FALSE(t.WriteBackupInfo(file)); // no company name: no block
    EXPECT_EQ(fs::file_size(file), 1000u);
    EXPECT_FALSE(t.ReadBackupInfo(file, false));
    EXPECT_EQ(t.Kishu, "");

    t.Shougou = "株式会社テスト";
    t.Siwake = 12;
    t.UseMyNumber = 1;
    ASSERT_TRUE(t.WriteBackupInfo(file));
    t.Shougou = "second";
    ASSERT_TRUE(t.WriteBackupInfo(file));
    TBackupRestoreThread r;
    ASSERT_TRUE(r.ReadBackupInfo(file, false));
    EXPECT_EQ(r.Shougou, "株式会社テスト"); // the first block wins
    EXPECT_EQ(r.Siwake, 12);
    EXPECT_EQ(r.UseMyNumber, 1);
    EXPECT_EQ(r.BackupInfoText().substr(0, 16), "## SaffrinZone\r\n");

    // A name too long for 512 bytes is shortened; every key still reads.
    const auto file2 = dir.write("c.fbk", std::string(1000, 'x'));
    t.Shougou.clear();
    for (int i = 0; i < 300; ++i)
        t.Shougou += "長";
    t.UseMyNumber = 1;
    ASSERT_TRUE(t.WriteBackupInfo(file2));
    EXPECT_LE(fs::file_size(file2), 1512u);
    ASSERT_TRUE(r.ReadBackupInfo(file2, true));
    EXPECT_EQ(r.UseMyNumber, 1);
    EXPECT_EQ(r.Shougou.substr(0, 3), "長");
    EXPECT_EQ(fs::file_size(file2), 1000u);

    const auto file3 = dir.write("d.fbk", platform::codec::toSjis("## SaffrinZone\r\nSHOUGOU=x\r\n"));
    EXPECT_FALSE(r.ReadBackupInfo(file3, true));
    ResetProcessState();
}

} // namespace
