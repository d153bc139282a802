// The data server's file procedures (the project's UDR plug-in) on the
// private loopback server: the data module's file operations in the two
// server modes act on the server's real files, paths outside its data root
// are refused and never read as "missing", and the worker moves backups
// through the file-manager database's blobs.

#include "core/BackupRestoreThread.h"
#include "core/DataInfomation.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/EasyEncode.h"
#include "core/uAccRecord.h"
#include "platform/firebird/firebird.h"
#include "sample_data.h"
#include "support/firebird_server.h"
#include "support/scripted_input.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
namespace fb = platform::firebird;
using test_support::FirebirdServer;

std::string readAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ServerFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_FIREBIRD_SERVER();
        static int n = 0;
        tag = "udr" + std::to_string(++n) + "-" + std::to_string(::getpid());
        auto& server = FirebirdServer::instance();
        ResetProcessState();
        ConnectMode = 1;
        SysDef.HostName = server.host();
        SysDef.DBUser = FirebirdServer::user();
        SysDef.DBPassword = FirebirdServer::password();
        SysDef.GroupID = 10000;
        SysDef.OpCode = 100000010;
        SysDef.LogDir = local.makeDir("log");
        SysDef.WorkDir = local.makeDir("work");
        SysDef.SysDir = server.makeDataFolder(tag + "-sys");
        files = server.makeDataFolder(tag + "-files");
        make(SysDef.SysDir + "/" + DataDefFile, "sys");
        make(SysDef.SysDir + "/tnfileman.fdb", "fileman");
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
    }
    void TearDown() override
    {
        dm.reset();
        ResetProcessState();
    }

    static void make(const std::string& serverPath, const std::string& kind)
    {
        sample::createDatabaseFromScripts(FirebirdServer::instance().databaseName(serverPath), sample::defaultSqlDir(),
            kind, FirebirdServer::user(), FirebirdServer::password(), false);
    }
    // A file on the server, owned by the account the server runs as.
    void put(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
        FirebirdServer::instance().grant(path);
    }

    // A worker for the shared-server transfer of one database.
    static TBackupRestoreThread& transfer(
        TBackupRestoreThread& t, int mode, const std::string& dataPath, const std::string& backupFile)
    {
        t.Mode = mode;
        t.Location = 1;
        t.CheckMyNumber = false;
        t.HostName = SysDef.HostName;
        t.DataPath = dataPath;
        t.BackupFile = backupFile;
        t.ActivateIndexes = 1;
        t.Execute();
        return t;
    }

    test_support::TempDir local;
    std::string tag;
    std::string files;
    std::unique_ptr<core::TDM> dm;
};

TEST_F(ServerFiles, OperationsActOnTheServersFilesInBothModes)
{
    ScriptedMessages messages;
    for (std::uint8_t mode : {1, 2}) {
        SCOPED_TRACE(int(mode));
        const std::string a = files + "/元データ" + std::to_string(mode) + ".fdb";
        const std::string b = files + "/写し" + std::to_string(mode) + ".fdb";
        put(a, std::string(100000, char('a' + mode)));
        EXPECT_TRUE(dm->FExist(a, mode));
        EXPECT_FALSE(dm->FExist(b, mode));
        EXPECT_EQ(dm->FileCheck(b, mode), core::TFileCheck::Missing);
        EXPECT_TRUE(dm->FCopy(a, b, mode));
        EXPECT_EQ(readAll(b), readAll(a));
        EXPECT_TRUE(dm->FDel(b, mode));
        EXPECT_FALSE(fs::exists(b));

        const std::string dir = files + "/DATA" + std::to_string(mode) + "/0001";
        EXPECT_FALSE(dm->DExist(dir, mode));
        EXPECT_TRUE(dm->MkDir(dir, mode));
        EXPECT_TRUE(fs::is_directory(dir));
        EXPECT_TRUE(dm->DExist(dir, mode));
        EXPECT_TRUE(dm->RmDir(files + "/DATA" + std::to_string(mode), mode));
        EXPECT_FALSE(fs::exists(dir));

        EXPECT_EQ(dm->ServerLongToShortFileName(a), a);
        EXPECT_EQ(dm->ServerLongToShortFileName(b), "");
    }
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(ServerFiles, PathsOutsideTheDataRootAreRefusedNotMissing)
{
    const std::string outside = local.makeDir("outside");
    std::ofstream(outside + "/tnacc.fdb") << "not for the server to touch";
    ScriptedMessages messages;
    EXPECT_FALSE(dm->FExist(outside + "/tnacc.fdb", 1));
    ASSERT_EQ(messages.count(), 1u) << "a refusal is shown, never a quiet no";
    EXPECT_EQ(messages.firstLine(0), "サーバーへのファイル操作(FEXIST)に失敗しました。");
    EXPECT_EQ(dm->FileCheck(outside + "/tnacc.fdb", 1), core::TFileCheck::Unknown);
    EXPECT_FALSE(dm->FCopy(files + "/../../../../etc/hostname", files + "/stolen", 1));
    EXPECT_FALSE(fs::exists(files + "/stolen"));
    EXPECT_FALSE(dm->FDel(outside + "/tnacc.fdb", 2));
    EXPECT_TRUE(fs::exists(outside + "/tnacc.fdb"));

    // The data-set checks refuse what they could not look at.
    TDataInfomation di;
    di.Mode = 1;
    EXPECT_FALSE(di.IsDataPasswordAuth(outside));
    EXPECT_FALSE(di.IsDataSiyouKengen(outside));
    // A folder inside the root without a database has nothing to guard.
    EXPECT_TRUE(di.IsDataPasswordAuth(files));
    EXPECT_TRUE(di.IsDataSiyouKengen(files));
}

TEST_F(ServerFiles, TheWorkerMovesBackupsThroughTheFileManagerBlobs)
{
    auto& server = FirebirdServer::instance();
    const std::string source = server.makeDataFolder(tag + "-src") + "/" + DataFile;
    const std::string restored = server.makeDataFolder(tag + "-dst") + "/" + DataFile;
    make(source, "company");
    SysDef.ServerTempPath = server.makeDataFolder(tag + "-tmp");
    const std::string backup = local.file("company.fbk");
    ScriptedMessages messages;

    TBackupRestoreThread save;
    transfer(save, 0, source, backup);
    ASSERT_TRUE(save.Success) << save.ErrCode << " " << save.ErrMessage << " " << save.ErrDetail;
    EXPECT_GT(fs::file_size(backup), 10000u) << "the backup came over as the blob";

    TBackupRestoreThread load;
    transfer(load, 1, restored, backup);
    ASSERT_TRUE(load.Success) << load.ErrCode << " " << load.ErrMessage << " " << load.ErrDetail;

    auto facts = [](const std::string& path) {
        fb::Database db;
        db.setDatabaseName(FirebirdServer::instance().databaseName(path));
        db.addParam("user_name=" + FirebirdServer::user());
        db.addParam("password=" + FirebirdServer::password());
        db.addParam("lc_ctype=SJIS_0208");
        db.connect();
        fb::Transaction t(&db);
        t.startTransaction();
        fb::Query q(&db, &t);
        q.sql().add("SELECT (SELECT SHOUGOU FROM ACCDEF1 WHERE REC = 1) AS NAME,");
        q.sql().add(
            "  (SELECT COUNT(*) FROM SIWAKE) AS LINES, (SELECT SUM(KINGAKU) FROM SIWAKE) AS TOTAL FROM RDB$DATABASE");
        q.open();
        const std::string f = q.fieldByName("NAME").asString() + "/" + q.fieldByName("LINES").asString() + "/"
            + q.fieldByName("TOTAL").asString();
        q.close();
        t.commit();
        return f;
    };
    EXPECT_EQ(facts(restored), facts(source));
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(ServerFiles, AFailedTransferGivesItsCodeAndRunsNoRestore)
{
    auto& server = FirebirdServer::instance();
    const std::string source = server.makeDataFolder(tag + "-src") + "/" + DataFile;
    const std::string target = server.makeDataFolder(tag + "-dst") + "/" + DataFile;
    make(source, "company");
    // A transfer folder outside the data root: the plug-in refuses its files.
    const std::string outside = "/tmp/miruza-outside-" + tag;
    fs::create_directories(outside);
    server.grant(outside);
    SysDef.ServerTempPath = outside;
    ScriptedMessages messages;

    TBackupRestoreThread save;
    transfer(save, 0, source, local.file("never.fbk"));
    EXPECT_FALSE(save.Success);
    EXPECT_EQ(save.ErrCode, "102");
    EXPECT_EQ(save.ErrMessage, "バックアップファイルの転送処理（tnfileman.fdb）に失敗しました。");
    EXPECT_FALSE(fs::exists(local.file("never.fbk")));

    std::ofstream(local.file("some.fbk"), std::ios::binary) << std::string(4096, 'b');
    TBackupRestoreThread load;
    transfer(load, 1, target, local.file("some.fbk"));
    EXPECT_FALSE(load.Success);
    EXPECT_EQ(load.ErrCode, "203");
    EXPECT_EQ(load.ErrMessage, "バックアップファイルの転送処理（tnfileman.fdb）に失敗しました。");
    EXPECT_EQ(load.ErrDetail, "データベースの復元処理を中止しました。");
    EXPECT_FALSE(fs::exists(target)) << "no restore ran";
    fs::remove_all(outside);
}

TEST_F(ServerFiles, AttachmentsAreSeenWithAPlainAccount)
{
    auto& server = FirebirdServer::instance();
    const std::string folder = server.makeDataFolder(tag + "-data");
    make(folder + "/" + DataFile, "company");
    SysDef.DBUser = FirebirdServer::plainUser();
    SysDef.DBPassword = FirebirdServer::plainPassword();
    ScriptedMessages messages;
    EXPECT_FALSE(dm->AccDatInConnection(1, "", folder, 0));
    EXPECT_FALSE(dm->AccDatInConnection(1, "", server.makeDataFolder(tag + "-empty"), 0))
        << "no database, nobody in it";

    // Another copy of the program (the same account) working in the data set.
    fb::Database other;
    other.setDatabaseName(server.databaseName(folder + "/" + DataFile));
    other.addParam("user_name=" + FirebirdServer::plainUser());
    other.addParam("password=" + FirebirdServer::plainPassword());
    other.connect();
    EXPECT_TRUE(dm->AccDatInConnection(1, "", folder, 0));
    other.disconnect();
    EXPECT_FALSE(dm->AccDatInConnection(1, "", folder, 0));
    EXPECT_EQ(messages.count(), 0u) << "a normal system never shows an error box here";
    for (std::size_t i = 0; i < messages.count(); ++i)
        ADD_FAILURE() << messages.firstLine(i) << " / " << messages.shown()[i].lines[1].text
                      << messages.shown()[i].lines[2].text << messages.shown()[i].lines[3].text;
}

// The data password of one data set, asked in every connection kind: here
// (a local copy) and on the data server (modes 1 and 2) alike.
TEST_F(ServerFiles, DataPasswordIsAskedTheSameInEveryMode)
{
    auto& server = FirebirdServer::instance();
    core::TEasyEncodeInfo info;
    core::InitEasyEncodeInfo(info);
    info.KeyWord = core::kDataPasswordKey;
    info.PadLength = core::kDataPasswordLength;
    info.TextLength = core::kDataPasswordLength;
    info.PlainText = "abc123";
    ASSERT_TRUE(core::EasyEncode(info));
    auto withPassword = [&](const std::string& databaseName, const std::string& user, const std::string& password) {
        sample::createDatabaseFromScripts(databaseName, sample::defaultSqlDir(), "company", user, password, false);
        fb::Database db;
        db.setDatabaseName(databaseName);
        db.addParam("user_name=" + user);
        if (!password.empty())
            db.addParam("password=" + password);
        db.addParam("lc_ctype=SJIS_0208");
        db.connect();
        fb::Transaction t(&db);
        t.startTransaction();
        fb::Query q(&db, &t);
        q.sql().add("UPDATE OR INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES ('基本設定', :C, '文字', :V)");
        q.paramByName("C").setString("データパスワードV2");
        q.paramByName("V").setString(info.EncodeText);
        q.execSQL();
        t.commit();
        db.disconnect();
    };
    const core::TOpenCompanyTables previous = core::SetOpenCompanyTables({[](int) {}, [](TDateTime) {}});
    const std::string localFolder = local.makeDir("0001");
    withPassword(localFolder + "/" + DataFile, FirebirdServer::user(), "");
    const std::string serverFolder = server.makeDataFolder(tag + "-pw");
    withPassword(
        server.databaseName(serverFolder + "/" + DataFile), FirebirdServer::user(), FirebirdServer::password());

    struct Case {
        std::uint8_t mode;
        std::string folder;
    };
    for (const Case& c : {Case {0, localFolder}, Case {1, serverFolder}, Case {2, serverFolder}}) {
        SCOPED_TRACE(int(c.mode));
        ConnectMode = c.mode;
        TDataInfomation di;
        di.Mode = c.mode;
        {
            ScriptedMessages messages;
            ScriptedInput input({{modal::Ok, "wrong"}, {modal::Cancel, ""}});
            EXPECT_FALSE(di.IsDataPasswordAuth(c.folder));
            EXPECT_EQ(input.shown().size(), 2u) << "the password was asked";
        }
        ScriptedMessages messages;
        ScriptedInput input({{modal::Ok, "abc123"}});
        EXPECT_TRUE(di.IsDataPasswordAuth(c.folder));
        EXPECT_EQ(input.shown().size(), 1u);
        EXPECT_EQ(messages.count(), 0u) << (messages.count() ? core::messageAsText(messages.shown()[0]) : "");
    }
    core::SetOpenCompanyTables(previous);
}

// The stand-alone kind: the embedded engine, the product's account.
TEST(StandAloneAttachments, SeenWithoutAnErrorBox)
{
    test_support::TempDir dir;
    const std::string folder = dir.makeDir("0001");
    sample::createDatabaseFromScripts(folder + "/" + DataFile, sample::defaultSqlDir(), "company", "SYSDBA", "", false);
    ResetProcessState();
    ConnectMode = 0;
    SysDef.DBUser = "TOLVAN";
    SysDef.DBPassword = "vulmok";
    core::TDM dm;
    core::DM = &dm;
    ScriptedMessages messages;
    EXPECT_FALSE(dm.AccDatInConnection(1, "", folder, 0));
    fb::Database other;
    other.setDatabaseName(folder + "/" + DataFile);
    other.addParam("user_name=TOLVAN");
    other.connect();
    EXPECT_TRUE(dm.AccDatInConnection(1, "", folder, 0));
    other.disconnect();
    EXPECT_EQ(messages.count(), 0u);
    core::DM = nullptr;
    ResetProcessState();
}

} // namespace
