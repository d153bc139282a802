// The data details dialog's rebuild on the private test server (connection
// kind 1): refused while another user is attached, and otherwise run under
// this operator's data lock, which is given back afterwards.

#include "server_operations_fixture.h"

#include "dataselect/gui/DataSyosaiInfoBox.h"
#include "dataselect/z5ComDataSentaku.h"

#include "core/AppInfo.h"

#include <filesystem>

namespace fs = std::filesystem;
namespace fb = platform::firebird;

namespace {

// DATALIST.DATALOCK of a row, read in a transaction of its own.
std::string dataLock(core::TDM& dm, std::int32_t rec)
{
    fb::Transaction t(&dm.IBDatabaseDEF);
    t.addParam("read_committed");
    t.addParam("rec_version");
    t.startTransaction();
    fb::Query q(&dm.IBDatabaseDEF, &t);
    q.sql().add("SELECT DATALOCK FROM DATALIST WHERE REC=" + std::to_string(rec));
    q.open();
    const std::string v = q.eof() ? "<none>" : q.field(0).asString();
    q.close();
    t.commit();
    return v;
}

} // namespace

TEST_F(OperationsOnServer, DetailsRebuildWaitsForOtherUsersAndHoldsTheDataLock)
{
    const std::int32_t row = list->FindRowOfFolder(company);
    ASSERT_GE(row, 0);
    TDataListRec rec = list->Record(row);
    ASSERT_EQ(rec.DATALOCK, 0);
    TDataSyosaiInfoBox box;
    box.Row = &rec;
    box.DataFolder = company;
    box.Prepare(true);
    ASSERT_TRUE(box.RebuildAllowed());

    {
        // Another user works in the data set: no rebuild.
        fb::Database other;
        other.setDatabaseName(core::MakeDatabaseName(SysDef.HostName, company, "tnacc.fdb"));
        other.addParam("user_name=" + SysDef.DBUser);
        other.addParam("password=" + SysDef.DBPassword);
        other.connect();
        ScriptedMessages messages;
        box.F1Click(7);
        ASSERT_EQ(messages.count(), 1u) << allText(messages);
        EXPECT_EQ(
            messages.firstLine(0).substr(0, 45), std::string("現在、他のユーザーがデータに接続中です。").substr(0, 45));
        EXPECT_FALSE(box.Rebuilt);
    }

    ScriptedMessages messages({modal::Ok});
    std::string lockWhileRebuilding;
    const auto realWorker = box.RunWorker;
    box.RunWorker = [&](TBackupRestoreThread& worker) {
        lockWhileRebuilding = dataLock(*dm, rec.REC);
        realWorker(worker);
    };
    box.F1Click(7);
    ASSERT_TRUE(box.Rebuilt) << allText(messages);
    EXPECT_EQ(lockWhileRebuilding, std::to_string(LoginCodeOf(SysDef.OpCode, SysDef.GroupID)));
    EXPECT_EQ(dataLock(*dm, rec.REC), "0") << "the lock is given back";
    EXPECT_FALSE(fs::exists(company + "/tnacc.fd_"));
    EXPECT_FALSE(fs::exists(company + "/tnacc.fb_")) << "the backup beside the data goes too";
    TDataInfomation di;
    di.Mode = 1;
    TDataInfomationRec facts;
    ASSERT_EQ(di.ReadDataInfoRec(company, facts), 1) << "the rebuilt database opens";
    EXPECT_EQ(facts.STATUS, 1);
}
