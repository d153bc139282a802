// The parts of the worker and the data-set information that need a data
// server: attachments of other users are visible only there.
#include "ServerDataSet_fixture.h"
#include "core/BackupRestoreThread.h"
#include "core/DataInfomation.h"
#include "core/DataModule.h"
#include "core/uAccRecord.h"
#include "support/firebird_server.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

namespace fb = platform::firebird;
using test_support::FirebirdServer;

class WorkerOnServer : public dm_fixture::ServerDataSetTest {
protected:
    void SetUp() override
    {
        REQUIRE_FIREBIRD_SERVER();
        static int n = 0;
        ++n;
        makeServerDataSet("wsys" + std::to_string(n), "WDATA" + std::to_string(n) + "_0001");
    }
    void TearDown() override
    {
        other.reset();
        dm.reset();
        ResetProcessState();
    }
    void attachOther() { other = attachAsSysdba(companyDb); }

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
