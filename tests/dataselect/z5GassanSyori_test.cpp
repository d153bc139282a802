// Distributed data sets of a consolidated data set on the sample company:
// child folders, a new distributed data set cleared for input and
// registered, and the failures that must leave nothing behind.

#include "dataselect/z5GassanSyori.h"

#include "registry_fixture.h"

#include "accounting/OpenCompanyTables.h"
#include "support/scripted_messages.h"

#include <filesystem>

namespace fs = std::filesystem;
using registry_fixture::fb::Database;
using registry_fixture::fb::Query;
using registry_fixture::fb::Transaction;

namespace {

std::string scalar(const std::string& database, const std::string& select)
{
    Database db;
    db.setDatabaseName(database);
    db.addParam("user_name=SYSDBA");
    db.addParam("lc_ctype=SJIS_0208");
    db.connect();
    Transaction t(&db);
    t.startTransaction();
    Query q(&db, &t);
    q.sql().add(select);
    q.open();
    const std::string v = q.eof() ? "<none>" : q.field(0).asString();
    q.close();
    t.commit();
    return v;
}

class Distributed : public registry_fixture::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        InstallOpenCompanyTables(); // as the program does at start
    }
};

} // namespace

TEST_F(Distributed, NewDistributedDataSetIsAClearedCopyRegisteredAsAChild)
{
    ScriptedMessages messages;
    const std::string parentDb = company.database;
    ASSERT_NE(scalar(parentDb, "SELECT COUNT(*) FROM SIWAKE"), "0") << "the sample has journals";
    sql({"UPDATE DATALIST SET GASSAN=1 WHERE REC=1"});
    {
        Database db; // consolidation by number, not by facility
        db.setDatabaseName(parentDb);
        db.addParam("user_name=SYSDBA");
        db.connect();
        db.executeImmediate("UPDATE ACCDEF1 SET SITEN=0");
        db.disconnect();
    }
    TGassanDataCtl ctl;
    ctl.SetDataFolder(company.folder);
    ctl.SetRec(company.rec);
    ctl.SetGassanSetting(1, 2);
    EXPECT_EQ(scalar(parentDb, "SELECT ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE='合算データ区分'"), "1");
    fs::create_directories(company.folder + "/001");
    fs::create_directories(company.folder + "/002");
    fs::create_directories(company.folder + "/abc");
    ctl.SetActive(true);
    EXPECT_EQ(ctl.Data.Count, 2) << (messages.count() ? core::messageAsText(messages.shown()[0]) : "");
    ASSERT_EQ(ctl.ChildFolders.size(), 2u);
    EXPECT_EQ(ctl.ChildFolders[1].Path, company.folder + "/002");
    std::string next;
    ctl.GetNextChildFolderName(company.folder, 1, next);
    EXPECT_EQ(next, "003");

    ASSERT_TRUE(ctl.CreateDistributedData("")) << (messages.count() ? core::messageAsText(messages.shown()[0]) : "");
    const std::string childDb = company.folder + "/003/tnacc.fdb";
    ASSERT_TRUE(fs::exists(childDb));
    EXPECT_EQ(scalar(childDb, "SELECT COUNT(*) FROM SIWAKE"), "0");
    EXPECT_EQ(scalar(childDb, "SELECT GEN_ID(SIWAKE_REC_GEN, 0) FROM RDB$DATABASE"), "0");
    EXPECT_EQ(scalar(childDb, "SELECT GEN_ID(SIWAKE42_GEN, 0) FROM RDB$DATABASE"), "0");
    EXPECT_EQ(scalar(childDb, "SELECT ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE='合算データ区分'"), "10");
    EXPECT_EQ(scalar(childDb, "SELECT ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE='合算データ数'"), "0");
    EXPECT_NE(scalar(parentDb, "SELECT COUNT(*) FROM SIWAKE"), "0") << "the consolidated data keeps its journals";
    EXPECT_EQ(value("CHILD_DATALIST", "PASNAME", "REC=1 AND ROWNO=3"), company.folder + "/003");
    EXPECT_EQ(value("CHILD_DATALIST", "GASSAN", "REC=1 AND ROWNO=3"), "10");
    EXPECT_EQ(ctl.NextChildRowNo(1), 4);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(Distributed, FailuresLeaveNoNewFolder)
{
    ScriptedMessages messages;
    // A consolidated folder without its database: the copy fails.
    const std::string noDatabase = SysDef.SysDir + "/0040";
    fs::create_directories(noDatabase + "/001");
    TGassanDataCtl ctl;
    ctl.SetDataFolder(noDatabase);
    EXPECT_FALSE(ctl.CreateDistributedData(""));
    EXPECT_FALSE(fs::exists(noDatabase + "/002"));

    // Child names stop at 999.
    fs::create_directories(noDatabase + "/999");
    std::string name;
    EXPECT_THROW(ctl.GetNextChildFolderName(noDatabase, 1, name), std::runtime_error);
    EXPECT_FALSE(ctl.CreateDistributedData(""));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "作成できるフォルダ名は[999]までです。");
    ctl.GetNextChildFolderName(SysDef.SysDir + "/nowhere", 1, name);
    EXPECT_EQ(name, "");

    ctl.ChildFolders = {{1, 1, "", "/a"}, {1, 2, "", "/b"}, {1, 5, "", "/c"}};
    EXPECT_EQ(ctl.NextChildRowNo(1), 6);
    EXPECT_EQ(ctl.FindChildByPath("/b"), 1);
    EXPECT_EQ(ctl.FindChildByPath("/d"), -1);
}
