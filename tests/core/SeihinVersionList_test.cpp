#include "core/AppInfo.h"
#include "core/SeihinVersionList.h"
#include "core/uAccRecord.h"
#include "dataset_fixture.h"
#include "platform/registry.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

class VersionList : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        saved_ = AppInfo;
        AppInfo.Application.RegKey = "SOFTWARE\\Brimto";
        AppInfo.Varov.RegKey = "Rozivoraduz";
        platform::Registry reg(platform::Registry::defaultPath());
        // Same version as a fixed row: must not be added twice.
        reg.writeString(platform::RegRoot::LocalMachine, "SOFTWARE\\Brimto\\Rozivoraduz10", "Version", "2.0.0");
        reg.writeString(platform::RegRoot::LocalMachine, "SOFTWARE\\Brimto\\Rozivoraduz10", "Type", "重複");
        reg.writeString(platform::RegRoot::LocalMachine, "SOFTWARE\\Brimto\\ROZIVORADUZ21", "Version", "13.0.0");
        reg.writeString(platform::RegRoot::LocalMachine, "SOFTWARE\\Brimto\\ROZIVORADUZ21", "Type", "21版");
        reg.writeString(platform::RegRoot::LocalMachine, "SOFTWARE\\Brimto\\Rozivoraduz22", "Version", "14.0");
        reg.writeString(platform::RegRoot::LocalMachine, "SOFTWARE\\Brimto\\Other", "Version", "15.0.0");
    }
    void TearDown() override
    {
        AppInfo = saved_;
        ResetProcessState();
    }
    test_support::ScopedMiruzaHome home_;
    TAppInfoRec saved_;
};

TEST_F(VersionList, FixedRowsRegistryRowsAndSorting)
{
    DistKind = 0;
    TSeihinVersionList list;
    list.Caption = "すべて";
    list.Execute(true);
    ASSERT_EQ(list.Count, 5);
    // caption first, then newest first; "Other" and a two-part version are skipped
    EXPECT_EQ(list.GetSeihinName(0), "すべて");
    EXPECT_EQ(list.GetSeihinName(1), "21版");
    EXPECT_EQ(list.GetVersion(1), "13.0");
    EXPECT_EQ(list.GetSeihinName(2), "11版");
    EXPECT_EQ(list.GetSeihinName(3), "10版");
    EXPECT_EQ(list.GetSeihinName(4), "09版");
    EXPECT_EQ(list.IndexOfName("重複"), -1);
    EXPECT_EQ(list.GetVersion(0), "");
    EXPECT_EQ(list.GetVersion(list.Count), "");
    EXPECT_EQ(list.GetSeihinName(-1), "");
    EXPECT_EQ(list.GetListText(), "すべて\r\n21版\r\n11版\r\n10版\r\n09版\r\n");

    list.Sort(0);
    EXPECT_EQ(list.GetSeihinName(0), "すべて");
    EXPECT_EQ(list.GetSeihinName(1), "09版");
    EXPECT_EQ(list.Names.back(), "21版");
}

TEST_F(VersionList, EditionOneHasNoFixedRows)
{
    DistKind = 1;
    TSeihinVersionList list;
    list.Execute(false);
    ASSERT_EQ(list.Count, 2);
    EXPECT_EQ(list.IndexOfName("09版"), -1);
    EXPECT_EQ(list.IndexOfName("重複"), 0); // 2.0 no longer taken by a fixed row
    EXPECT_EQ(list.IndexOfName("21版"), 1);
}

class OperatorLists : public ::testing::Test {
protected:
    dataset_fixture::Root r;
};

TEST_F(OperatorLists, UserListOfGroupWithCaptionAndQuotedItems)
{
    dataset_fixture::Root::exec(r.systemDb(),
        "INSERT INTO OPERATOR (GROUPID, OPCODE, OPNAME, JOBLEVEL, PASWORD, DATAPAS, "
        "JIMUSHO, OKINIIRI, KANSA, MYNUMBER_ADM, SHONIN) VALUES "
        "(10000, 20, '承認 花子', 5, 'x', '', 0, 1, 0, 0, 1)");
    TUserList list;
    list.GroupCode = 10000;
    list.Caption = "全員";
    list.Execute();
    ASSERT_EQ(list.Count, 3);
    EXPECT_EQ(list.Items[0], "全員");
    EXPECT_EQ(list.Items[1], "10:" + SysDef.OpName);
    EXPECT_EQ(list.Items[2], "20:承認 花子");
    EXPECT_TRUE(list.Rows[1].MyNumberAdmin);
    EXPECT_TRUE(list.Rows[1].Jimusho);
    EXPECT_EQ(list.Rows[2].JobLevelName, "担当者");
    EXPECT_EQ(list.IndexOfOpCode(20), 2);
    EXPECT_EQ(list.GetOpCode(9), 0);

    list.ShoninOnly = true;
    list.QuotedItems = true;
    list.Caption.clear();
    list.Execute();
    ASSERT_EQ(list.Count, 1);
    EXPECT_EQ(list.Items[0], "\"20\"\t\"承認 花子\"");

    TUserList other;
    other.GroupCode = 20000;
    other.Caption = "全員";
    other.Execute();
    EXPECT_EQ(other.Count, 1);
}

TEST_F(OperatorLists, OldSchemaFallsBackButApproversOnlyListsNobody)
{
    r.dm->IBDatabaseDEF.disconnect();
    dataset_fixture::Root::exec(r.systemDb(), "ALTER TABLE OPERATOR DROP SHONIN");
    dataset_fixture::Root::exec(r.systemDb(), "ALTER TABLE OPERATOR DROP MYNUMBER_ADM");
    ASSERT_TRUE(r.dm->fnAccDefConnected());
    ScriptedMessages messages;
    TUserList list;
    list.GroupCode = 10000;
    list.Execute();
    ASSERT_EQ(list.Count, 1);
    EXPECT_EQ(list.Items[0], "10:" + SysDef.OpName);
    EXPECT_FALSE(list.Rows[0].MyNumberAdmin);

    list.ShoninOnly = true;
    list.Execute();
    EXPECT_EQ(list.Count, 0);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(OperatorLists, LoginUserListLeavesOutOwnRowsUnlessAsked)
{
    dataset_fixture::Root::exec(r.systemDb(),
        "INSERT INTO OPERATOR (GROUPID, OPCODE, OPNAME, JOBLEVEL, PASWORD, DATAPAS, "
        "JIMUSHO, OKINIIRI, KANSA) VALUES (10000, 30, '佐藤', 5, '', '', 0, 0, 0)");
    dataset_fixture::Root::exec(r.systemDb(),
        "INSERT INTO LOGONUSERLIST (OPCODE, GROUPID, OPERATORCODE, PCNAME) "
        "VALUES (100000010, 10000, 10, 'PC-A')");
    dataset_fixture::Root::exec(r.systemDb(),
        "INSERT INTO LOGONUSERLIST (OPCODE, GROUPID, OPERATORCODE, PCNAME) "
        "VALUES (100000030, 10000, 30, 'PC-B')");
    TLoginUserListOnDef list;
    list.Execute(10000, 100000010, false);
    ASSERT_EQ(list.Count, 1);
    EXPECT_EQ(list.Items[0], "30:佐藤");
    EXPECT_EQ(list.Rows[0].PCName, "PC-B");
    list.Execute(10000, 100000010, true);
    ASSERT_EQ(list.Count, 2);
    EXPECT_EQ(list.GetOpName(0), SysDef.OpName);
    EXPECT_EQ(list.GetOpCode(5), 0);
}

TEST_F(OperatorLists, LoginUserListPassesErrorsOn)
{
    r.dm->IBDatabaseDEF.disconnect();
    ScriptedMessages messages;
    TLoginUserListOnDef list;
    EXPECT_THROW(list.Execute(10000, 1, true), std::exception);
    EXPECT_EQ(list.Count, 0);
}

} // namespace
