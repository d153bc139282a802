// The data module and the data-list registry over a sample data root built
// by the project's own scripts.
#include "dataselect/z5ComDataSentaku.h"

#include "core/DataInfomation.h"
#include "core/DataModule.h"
#include "platform/firebird/firebird.h"
#include "platform/ini_file.h"
#include "support/sample_root.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

using namespace core;

namespace {

class SampleRootDataModule : public test_support::SampleRootSuite {
protected:
    void SetUp() override
    {
        // Some of these tests rename the company: each starts from a root of
        // its own, whatever the order.
        TearDownTestSuite();
        SetUpTestSuite();
        ResetProcessState();
        const auto& info = root().info();
        SysDef.SysDir = info.sysDir;
        SysDef.LogDir = info.logDir;
        SysDef.WorkDir = info.tempDir;
        SysDef.DBUser = "TOLVAN";
        SysDef.GroupID = info.groupId;
        SysDef.OpCode = info.groupId + info.operatorCode;
        SysDef.OpName = info.operatorName;
        SysDef.SysVerMajor = 12;
        ASSERT_FALSE(info.companies.empty());
        company = info.companies.front();
        SysDef.DataDir = company.folder;
        dm = std::make_unique<TDM>();
        DM = dm.get();
    }
    void TearDown() override
    {
        dm.reset();
        ResetProcessState();
    }

    sample::SampleCompany company;
    std::unique_ptr<TDM> dm;
};

} // namespace

TEST_F(SampleRootDataModule, ConnectsSystemCompanyAndFileManagerDatabases)
{
    ScriptedMessages messages;
    ASSERT_TRUE(dm->fnAccDefConnected({}, 1));
    ASSERT_TRUE(dm->fnFileManConnected());
    ASSERT_TRUE(dm->fnAccDatConnected({}, {}, 1));
    EXPECT_EQ(messages.count(), 0u);
    platform::IniFile ini(TDataInfomation::IniPath(company.folder));
    EXPECT_EQ(ini.readString("DATASTS", "STATUS", ""), "2");
    EXPECT_EQ(ini.readString("DATAINFO", "SHOUGOU", ""), company.name);
    EXPECT_EQ(ini.readString("DATAINFO", "VERSION1", ""), "13.0.0");
    EXPECT_TRUE(dm->fnExistence_Table("ACCREG"));

    TDataSentakuListCtl ctl;
    TDataSentakuRec rec;
    ASSERT_TRUE(ctl.GetDataListRecordByPath(company.folder, rec));
    EXPECT_EQ(rec.Data.REC, company.rec);
    EXPECT_EQ(rec.Data.DATACODE, company.code);

    InstallDataListUpdater();
    ASSERT_TRUE(dm->fnAccDatDisConnected({}, 1, 1));
    TDM::SetDefaultDataListUpdater({});
    EXPECT_EQ(platform::IniFile(TDataInfomation::IniPath(company.folder)).readString("DATASTS", "STATUS", ""), "1");
    TDataSentakuRec after;
    ASSERT_TRUE(ctl.GetDataListRecordByPath(company.folder, after));
    EXPECT_EQ(after.Data.SHOUGOU, company.name);
    EXPECT_EQ(after.Data.VER_MAJOR, 13);
    EXPECT_EQ(after.Data.KISHU, rec.Data.KISHU);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(SampleRootDataModule, ACompanyNameAsLongAsTheCompanysOwnColumnReachesTheDataList)
{
    // 34 characters: longer than the list once allowed, within the
    // company's 40.
    const std::string longName = "株式会社トルバン商事ミルザ連動データ作成テスト用長い名前の会社ですね";
    {
        platform::firebird::Database db;
        db.setDatabaseName(company.database);
        db.addParam("user_name=SYSDBA");
        db.addParam("lc_ctype=SJIS_0208");
        db.connect();
        db.executeImmediate("UPDATE ACCDEF1 SET SHOUGOU='" + longName + "' WHERE REC=1");
        db.disconnect();
    }
    ScriptedMessages messages;
    ASSERT_TRUE(dm->fnAccDefConnected({}, 1));
    InstallDataListUpdater();
    ASSERT_TRUE(dm->fnAccDatConnected({}, {}, 1));
    ASSERT_TRUE(dm->fnAccDatDisConnected({}, 1, 1));
    TDM::SetDefaultDataListUpdater({});
    EXPECT_EQ(messages.count(), 0u) << messages.firstLine(0);
    TDataSentakuListCtl ctl;
    TDataSentakuRec after;
    ASSERT_TRUE(ctl.GetDataListRecordByPath(company.folder, after));
    EXPECT_EQ(after.Data.SHOUGOU, longName);
}
