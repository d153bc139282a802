// Distributed data sets of a consolidated data set on the sample company:
// child folders, a new distributed data set cleared for input and
// registered, and the failures that must leave nothing behind.

#include "dataselect/z5GassanSyori.h"

#include "registry_fixture.h"

#include "accounting/OpenCompanyTables.h"
#include "support/scripted_messages.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

using registry_fixture::scalarOf;

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
    ASSERT_NE(scalarOf(parentDb, "SELECT COUNT(*) FROM SIWAKE"), "0") << "the sample has journals";
    sql({"UPDATE DATALIST SET GASSAN=1 WHERE REC=1"});
    registry_fixture::execOn(parentDb, "UPDATE ACCDEF1 SET SITEN=0"); // consolidation by number, not by facility
    TGassanDataCtl ctl;
    ctl.SetDataFolder(company.folder);
    ctl.SetRec(company.rec);
    ctl.SetGassanSetting(1, 2);
    EXPECT_EQ(scalarOf(parentDb, "SELECT ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE='合算データ区分'"), "1");
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
    EXPECT_EQ(scalarOf(childDb, "SELECT COUNT(*) FROM SIWAKE"), "0");
    EXPECT_EQ(scalarOf(childDb, "SELECT GEN_ID(SIWAKE_REC_GEN, 0) FROM RDB$DATABASE"), "0");
    EXPECT_EQ(scalarOf(childDb, "SELECT GEN_ID(SIWAKE42_GEN, 0) FROM RDB$DATABASE"), "0");
    EXPECT_EQ(scalarOf(childDb, "SELECT ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE='合算データ区分'"), "10");
    EXPECT_EQ(scalarOf(childDb, "SELECT ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE='合算データ数'"), "0");
    EXPECT_NE(scalarOf(parentDb, "SELECT COUNT(*) FROM SIWAKE"), "0") << "the consolidated data keeps its journals";
    EXPECT_EQ(value("CHILD_DATALIST", "PASNAME", "REC=1 AND ROWNO=3"), company.folder + "/003");
    EXPECT_EQ(value("CHILD_DATALIST", "GASSAN", "REC=1 AND ROWNO=3"), "10");
    EXPECT_EQ(ctl.NextChildRowNo(1), 4);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(Distributed, AnOpenConsolidatedDatabaseIsDetachedForTheCopy)
{
    ScriptedMessages messages;
    const std::string parentDb = company.database;
    const std::string journals = scalarOf(parentDb, "SELECT COUNT(*) FROM SIWAKE");
    sql({"UPDATE DATALIST SET GASSAN=1 WHERE REC=1"});
    registry_fixture::execOn(parentDb, "UPDATE ACCDEF1 SET SITEN=0");
    TGassanDataCtl ctl;
    ctl.SetDataFolder(company.folder);
    ctl.SetRec(company.rec);
    ctl.SetGassanSetting(1, 0);
    ctl.SetActive(true);
    // The consolidated data set is open here when its distributed copy is
    // made: the copy is still a whole, cleared database.
    ASSERT_TRUE(dm->fnAccDatConnected({}, company.folder, 0));
    ASSERT_TRUE(ctl.CreateDistributedData("")) << (messages.count() ? core::messageAsText(messages.shown()[0]) : "");
    const std::string childDb = company.folder + "/001/tnacc.fdb";
    EXPECT_EQ(scalarOf(childDb, "SELECT COUNT(*) FROM SIWAKE"), "0");
    EXPECT_EQ(scalarOf(childDb, "SELECT ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE='合算データ区分'"), "10");
    EXPECT_EQ(scalarOf(parentDb, "SELECT COUNT(*) FROM SIWAKE"), journals) << "the consolidated data is untouched";
    EXPECT_EQ(value("CHILD_DATALIST", "PASNAME", "REC=1 AND ROWNO=1"), company.folder + "/001");
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
