// The parts of the worker and the data-set information that need a data
// server: attachments of other users are visible only there.
#include "DataModule_fixture.h"
#include "core/BackupRestoreThread.h"
#include "core/DataInfomation.h"
#include "core/DataModule.h"
#include "core/uAccRecord.h"
#include "support/firebird_server.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

namespace fb = platform::firebird;
using test_support::FirebirdServer;

class WorkerOnServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_FIREBIRD_SERVER();
        auto& server = FirebirdServer::instance();
        ResetProcessState();
        ConnectMode = 1;
        SysDef.HostName = server.host();
        SysDef.DBUser = FirebirdServer::user();
        SysDef.DBPassword = FirebirdServer::password();
        SysDef.GroupID = 10000;
        SysDef.LogDir = local.makeDir("log");
        SysDef.WorkDir = local.makeDir("work");
        static int n = 0;
        ++n;
        SysDef.SysDir = server.makeDataFolder("wsys" + std::to_string(n));
        dataDir = server.makeDataFolder("WDATA" + std::to_string(n) + "_0001");
        companyDb = dataDir + "/" + DataFile;
        create(SysDef.SysDir + "/" + DataDefFile, dm_fixture::systemDdl());
        create(companyDb, dm_fixture::companyDdl());
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
    }
    void TearDown() override
    {
        other.reset();
        dm.reset();
        ResetProcessState();
    }
    static void create(const std::string& path, const std::vector<std::string>& ddl)
    {
        fb::Database db;
        db.setDatabaseName(FirebirdServer::instance().databaseName(path));
        db.addParam("user_name=" + FirebirdServer::user());
        db.addParam("password=" + FirebirdServer::password());
        db.addParam("lc_ctype=SJIS_0208");
        db.createDatabase();
        for (const auto& s : ddl)
            db.executeImmediate(s);
        db.disconnect();
    }
    void attachOther()
    {
        other = std::make_unique<fb::Database>();
        other->setDatabaseName(FirebirdServer::instance().databaseName(companyDb));
        other->addParam("user_name=" + FirebirdServer::sysdbaUser());
        other->addParam("password=" + FirebirdServer::instance().sysdbaPassword());
        other->connect();
    }

    test_support::TempDir local;
    std::string dataDir;
    std::string companyDb;
    std::unique_ptr<core::TDM> dm;
    std::unique_ptr<fb::Database> other;
};

TEST_F(WorkerOnServer, RestoreIntoADataSetInUseIsRefusedWith202)
{
    attachOther();
    ScriptedMessages messages;
    TBackupRestoreThread t;
    t.Mode = 1;
    t.CheckMyNumber = false;
    t.HostName = SysDef.HostName;
    t.DataPath = companyDb;
    t.BackupFile = dataDir + "/never-read.fbk";
    t.Execute();
    EXPECT_FALSE(t.Success);
    EXPECT_TRUE(t.Failed);
    EXPECT_EQ(t.ErrMethod, "RestoreDatabase");
    EXPECT_EQ(t.ErrCode, "202");
    EXPECT_EQ(t.ErrMessage, "このデータは、他のオペレータが使用中のため復元処理を行うことが出来ません。");
    EXPECT_EQ(t.ErrDetail, "データベースの復元処理を中止しました。");
}

TEST_F(WorkerOnServer, ServerModeStatusComesFromTheAttachments)
{
    ScriptedMessages messages;
    TDataInfomation di;
    di.Mode = 1;
    TDataInfomationRec rec;
    ASSERT_EQ(di.ReadDataIni(dataDir, rec), 1);
    EXPECT_EQ(rec.STATUS, 1);
    EXPECT_EQ(rec.SHOUGOU, "株式会社高橋商事");
    attachOther();
    ASSERT_EQ(di.ReadDataIni(dataDir, rec), 1);
    EXPECT_EQ(rec.STATUS, 2);
}

} // namespace
