// Saving, restoring and pasting data sets of the data server (connection kind 1)
// on the private test server: the backup goes through the server's
// services, the restore into a side folder on the server that replaces the
// database only when whole.

#include "server_operations_fixture.h"

#include <filesystem>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;

TEST_F(OperationsOnServer, ABrokenRestoreLeavesTheServerDatabaseAndAWholeOneReplacesIt)
{
    ScriptedMessages messages;
    const std::int32_t row = list->FindRowOfFolder(company);
    ASSERT_GE(row, 0);
    ASSERT_EQ(ops->SaveData(row, stick), 1) << allText(messages);
    ASSERT_TRUE(fs::exists(stick + "/tnacc.fbk"));
    // Work after the backup, which a whole restore takes back.
    TDataInfomation di;
    di.Mode = 1;
    TDataInfomationRec facts;
    ASSERT_EQ(di.ReadDataInfoRec(company, facts), 1);
    const std::string saved = facts.DATALISTNAME;
    facts.DATALISTNAME = "保存後の変更";
    ASSERT_TRUE(di.UpdateDataInfomation(SysDef.HostName, company, facts));

    messages.clear();
    ops->PrepareWorker = [](TBackupRestoreThread& w) {
        if (w.Mode == 1)
            std::ofstream(w.BackupFile, std::ios::binary | std::ios::trunc) << "not a backup";
    };
    EXPECT_EQ(ops->RestoreData(row, stick), -1);
    EXPECT_GE(messages.count(), 1u);
    EXPECT_FALSE(fs::exists(RestoreSideFolder(company)));
    ASSERT_EQ(di.ReadDataInfoRec(company, facts), 1) << "the server database still opens";
    EXPECT_EQ(facts.DATALISTNAME, "保存後の変更");

    messages.clear();
    ops->PrepareWorker = nullptr;
    EXPECT_EQ(ops->RestoreData(row, stick), 1) << allText(messages);
    EXPECT_FALSE(fs::exists(RestoreSideFolder(company)));
    ASSERT_EQ(di.ReadDataInfoRec(company, facts), 1);
    EXPECT_EQ(facts.DATALISTNAME, saved);
}

TEST_F(OperationsOnServer, PasteCopiesTheDatabaseThroughTheServer)
{
    ScriptedMessages messages;
    SysDef.ServerTempPath = test_support::FirebirdServer::instance().makeDataFolder("ops-svtemp");
    TDataCopyPaste cp(*list);
    ASSERT_TRUE(cp.Copy(list->FindRowOfFolder(company))) << allText(messages);
    const std::string target = SysDef.SysDir + "/0010";
    const std::int32_t empty = list->FindRowOfFolder(target);
    ASSERT_GE(empty, 0);
    ASSERT_EQ(cp.Paste(empty), 1) << allText(messages);
    TDataInfomation di;
    di.Mode = 1;
    TDataInfomationRec copied, source;
    ASSERT_EQ(di.ReadDataInfoRec(target, copied), 1);
    ASSERT_EQ(di.ReadDataInfoRec(company, source), 1);
    EXPECT_EQ(copied.SHOUGOU, source.SHOUGOU);
    EXPECT_EQ(copied.TOTALSIWAKE, source.TOTALSIWAKE);
    EXPECT_EQ(copied.DATALISTNAME, MakeCopyName(list->Record(list->FindRowOfFolder(company)).ENTTEXT));
}
