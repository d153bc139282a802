// Shared-server data on the data-selection screen: the take and store
// buttons, releasing a taken row (stored back first), and the cloud
// button's checks, on a share root listed under letter X.

#include "dataselect/z5DataRowOps.h"
#include "dataselect/z5DataShareOps.h"
#include "dataselect/gui/DataSentakuBox.h"

#include "operations_fixture.h"

#include "accounting/OpenCompanyTables.h"
#include "controls/ProcRegistry.h"
#include "core/DataInfomation.h"
#include "core/DataModuleSysDef.h"
#include "platform/ini_file.h"
#include "platform/share_roots.h"
#include "support/scripted_messages.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

TDataInfomationRec iniOf(const std::string& folder)
{
    TDataInfomation di;
    TDataInfomationRec rec;
    di.ReadDataIni(folder, rec);
    return rec;
}

class ShareOps : public registry_fixture::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        InstallOpenCompanyTables();
        SysDef.JobLevel = 9;
        shareRoot = root.folder() + "/server";
        area = shareRoot + "/rozivoraduz/sv0001";
        fs::create_directories(area);
        for (const char* name : {"tnacc.fdb", "tnacc.ini"})
            fs::copy_file(company.folder + "/" + name, area + "/" + name);
        platform::share_roots::save({{'X', shareRoot, true}});
        sql({"UPDATE DATALIST SET ENTTEXT='共有の会社', PASNAME=:P0, NETDRIVE=1, KYOYULOCK=0 WHERE REC=7"}, {area});
        working = SysDef.SysDir + "/0007";
        list = std::make_unique<TDataSentakuModel>();
        list->LoadDataList();
    }
    void TearDown() override
    {
        list.reset();
        OnExecProc = nullptr;
        RegistryTest::TearDown();
    }
    std::int32_t row() { return list->FindRowOfFolder(working); }
    std::string kyoyuLock() { return value("DATALIST", "KYOYULOCK", "REC=7").value_or("<none>"); }

    std::string shareRoot, area, working;
    std::unique_ptr<TDataSentakuModel> list;
};

} // namespace

TEST_F(ShareOps, ButtonsTakeAndStoreOnTheScreen)
{
    ScriptedMessages messages({modal::Yes, modal::Yes});
    TDataSentakuBox screen;
    showScreenForOperations(screen);
    ASSERT_EQ(SysDef.Reserve4Bit1, 0) << "the buttons act only without the automatic share";
    screen.Grid()->setCurrentCell(screen.Model().FindRowOfFolder(working), 0);
    ASSERT_TRUE(screen.KyoyuDownButton()->isEnabled());
    QTest::mouseClick(screen.KyoyuDownButton(), Qt::LeftButton);
    EXPECT_EQ(messages.firstLine(0), "共有データの取得を行います。よろしいですか？");
    EXPECT_EQ(kyoyuLock(), "1") << allText(messages);
    EXPECT_TRUE(fs::exists(working + "/tnacc.fdb"));
    EXPECT_EQ(screen.Grid()->item(screen.Model().FindRowOfFolder(working), 11)->text(), "1");

    ASSERT_TRUE(screen.KyoyuUpButton()->isEnabled());
    QTest::mouseClick(screen.KyoyuUpButton(), Qt::LeftButton);
    EXPECT_EQ(kyoyuLock(), "0") << allText(messages);
    EXPECT_EQ(iniOf(area).SHARE_STATUS, 1);
    screen.close();
}

TEST_F(ShareOps, ReleasingATakenRowStoresItBackFirst)
{
    ScriptedMessages messages;
    TDataShareOps share(*list);
    ASSERT_EQ(share.KyoyuDataGet(row(), true), 1) << allText(messages);
    // Work done here after the take.
    platform::IniFile(TDataInfomation::IniPath(working)).writeString("DATAINFO", "TANTO", "77");
    TDataRowOps ops(*list);
    messages.push(modal::Ok);
    EXPECT_TRUE(ops.ReleaseShareAssignment(list->FindRowOfFolder(working))) << allText(messages);
    EXPECT_EQ(messages.shown()[0].caption, "共有データの割当解除");
    EXPECT_EQ(iniOf(area).SHARE_STATUS, 1);
    EXPECT_EQ(iniOf(area).TANTO, 77) << "the work reached the shared copy";
    EXPECT_FALSE(fs::exists(working));
    EXPECT_EQ(value("DATALIST", "NETDRIVE", "REC=7"), "0");
}

TEST_F(ShareOps, ReleaseThatCannotStoreAsksBeforeDiscarding)
{
    ScriptedMessages messages;
    TDataShareOps share(*list);
    ASSERT_EQ(share.KyoyuDataGet(row(), true), 1) << allText(messages);
    // The share goes away: nothing can be stored back.
    fs::rename(shareRoot, shareRoot + ".gone");
    messages.clear();
    messages.push(modal::Ok);
    messages.push(modal::Cancel);
    TDataRowOps ops(*list);
    EXPECT_FALSE(ops.ReleaseShareAssignment(list->FindRowOfFolder(working)));
    ASSERT_GE(messages.count(), 2u) << allText(messages);
    EXPECT_NE(allText(messages).find("このコンピュータで行った変更は破棄されます。"), std::string::npos)
        << allText(messages);
    EXPECT_TRUE(fs::exists(working + "/tnacc.fdb")) << "the local work is kept";
    EXPECT_EQ(kyoyuLock(), "1");
}

TEST_F(ShareOps, CloudButtonChecksVersionThenStartsTheSettingsByName)
{
    OnExecProc = [](const std::string& id, std::uint8_t modal, const std::string& params) {
        return ExecProc(id, modal, params);
    };
    sql({"UPDATE DATALIST SET ENTTEXT='クラウド', NETDRIVE=0, PASNAME=:P0, VER_MAJOR=11, VER_MINOR1=0, VER_MINOR2=0 "
         "WHERE REC=1"},
        {company.folder});
    list->LoadDataList();
    list->CloudShareEnabled = true;
    TDataShareOps share(*list);
    ScriptedMessages messages;
    EXPECT_EQ(share.btnCloudShareClick(list->FindRowOfFolder(company.folder)), -1);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0),
        "データバージョンが \"Ver11.0.1\" に達していないため、クラウドシェアはご利用できません。");

    sql({"UPDATE DATALIST SET VER_MINOR2=1 WHERE REC=1"});
    list->LoadDataList();
    messages.clear();
    EXPECT_NE(share.btnCloudShareClick(list->FindRowOfFolder(company.folder)), 0);
    ASSERT_GE(messages.count(), 1u) << "the registry says the settings screen is not there";

    // Cloud share not offered by the program: nothing happens.
    list->CloudShareEnabled = false;
    messages.clear();
    EXPECT_EQ(share.btnCloudShareClick(list->FindRowOfFolder(company.folder)), -1);
    EXPECT_EQ(messages.count(), 0u);
}
