// Shared-server data on the data-selection screen: the take and store
// buttons, releasing a taken row (stored back first), and the cloud
// button's checks, on a share root listed under letter X.

#include "dataselect/z5CloudShareComm.h"
#include "dataselect/z5ComCloudShare.h"
#include "dataselect/z5DataRowOps.h"
#include "dataselect/z5DataShareOps.h"
#include "dataselect/gui/DataSentakuBox.h"
#include "dataselect/gui/ServerSentakuBox.h"

#include "operations_fixture.h"

#include "accounting/OpenCompanyTables.h"
#include "controls/CloudShareService.h"
#include "controls/ProcRegistry.h"
#include "core/DataInfomation.h"
#include "core/DataModuleSysDef.h"
#include "platform/ini_file.h"
#include "platform/share_roots.h"
#include "support/scripted_messages.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
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

// "共有取得" on a local row that has data: refused, the shared list is not
// offered.
TEST_F(ShareOps, TakingIntoALocalRowWithDataIsRefused)
{
    ScriptedMessages messages;
    TDataShareOps ops(*list);
    bool listed = false;
    ops.ChooseSharedData = [&](std::string&, std::string&, std::string&) {
        listed = true;
        return false;
    };
    const std::int32_t local = list->FindRowOfFolder(company.folder);
    ASSERT_GE(local, 0);
    ASSERT_FALSE(list->Record(local).ENTTEXT.empty());
    ops.btnKyoyuDataDownClick(local);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "選択したフォルダには既にデータが登録されています。\r");
    EXPECT_FALSE(listed);
    EXPECT_EQ(list->Record(local).NETDRIVE, 0);
}

// "共有取得" on an empty row: the shared-data list opens over the
// screen; the chosen data set is assigned to the row and taken, a cancelled
// list leaves everything as it was.
TEST_F(ShareOps, TakingIntoAnEmptyRowGoesThroughTheSharedList)
{
    const std::string second = shareRoot + "/rozivoraduz/sv0002";
    fs::create_directories(second);
    for (const char* name : {"tnacc.fdb", "tnacc.ini"})
        fs::copy_file(company.folder + "/" + name, second + "/" + name);
    platform::IniFile(TDataInfomation::IniPath(second)).writeString("DATAINFO", "DATALISTNAME", "大阪支社");
    const std::string empty = SysDef.SysDir + "/0003";
    ScriptedMessages messages;
    TDataSentakuBox screen;
    showScreenForOperations(screen);
    SysDef.ZenkaiDrive = " X ";
    auto pickIn = [&](auto pick) {
        QTimer::singleShot(0, [&, pick] {
            auto* box = dynamic_cast<TServerSentakuBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr) << "the shared-data list is shown";
            EXPECT_EQ(box->SharedDrive, "X");
            pick(*box);
        });
        screen.Grid()->setCurrentCell(screen.Model().FindRowOfFolder(empty), 0);
        ASSERT_TRUE(screen.KyoyuDownButton()->isEnabled());
        QTest::mouseClick(screen.KyoyuDownButton(), Qt::LeftButton);
    };

    pickIn([](TServerSentakuBox& box) { box.ESCClick(); });
    EXPECT_TRUE(screen.isVisible());
    EXPECT_EQ(value("DATALIST", "NETDRIVE", "REC=3"), "0");
    EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=3").value_or(""), "");
    EXPECT_FALSE(fs::exists(empty + "/tnacc.fdb"));
    EXPECT_EQ(messages.count(), 0u) << allText(messages);

    pickIn([&](TServerSentakuBox& box) {
        for (int r = 0; r < box.Grid()->rowCount(); ++r)
            if (box.Grid()->item(r, TServerSentakuBox::cFolder)->text().toStdString() == second)
                box.Grid()->setCurrentCell(r, TServerSentakuBox::cName);
        QTest::keyClick(box.Grid(), Qt::Key_Return);
    });
    EXPECT_TRUE(screen.isVisible());
    EXPECT_EQ(value("DATALIST", "NETDRIVE", "REC=3"), "1") << allText(messages);
    EXPECT_EQ(value("DATALIST", "PASNAME", "REC=3"), second);
    EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=3"), "大阪支社");
    EXPECT_EQ(value("DATALIST", "KYOYULOCK", "REC=3"), "1");
    EXPECT_TRUE(fs::exists(empty + "/tnacc.fdb")) << "taken into the row's local folder";
    EXPECT_EQ(iniOf(second).SHARE_STATUS, 2);
    EXPECT_EQ(SysDef.ZenkaiDrive, "X");
    const int r = screen.Model().FindRowOfFolder(empty);
    ASSERT_GE(r, 0);
    EXPECT_EQ(screen.Grid()->currentRow(), r);
    EXPECT_EQ(screen.Grid()->item(r, 11)->text(), "1");
    screen.close();
}

// The wizard runs the screen modally: the shared list over it must leave
// the screen's own modal run going.
TEST_F(ShareOps, TheSharedListLeavesAModalScreenRunning)
{
    const std::string empty = SysDef.SysDir + "/0003";
    ScriptedMessages messages;
    ASSERT_TRUE(core::fnGetSysDef());
    auto* screen = new TDataSentakuBox;
    screen->SetParams({"SyoriType=0"});
    int step = 0;
    bool listSeen = false;
    bool screenStillModal = false;
    // Two timers: one that is still in its slot is not run again from the
    // list's nested loop.
    QTimer onScreen, onList;
    onScreen.setInterval(0);
    onList.setInterval(0);
    QObject::connect(&onList, &QTimer::timeout, [&] {
        if (auto* list = dynamic_cast<TServerSentakuBox*>(QApplication::activeModalWidget())) {
            onList.stop();
            listSeen = true;
            list->ESCClick();
        }
    });
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&onScreen, &QTimer::timeout, [&] {
        if (step != 0 || QApplication::activeModalWidget() != screen || !screen->isVisible())
            return;
        onScreen.stop();
        step = 1;
        onList.start();
        screen->Grid()->setCurrentCell(screen->Model().FindRowOfFolder(empty), 0);
        screen->KyoyuDownButton()->click(); // runs the list's modal loop in here
        screenStillModal = QApplication::activeModalWidget() == screen && screen->isVisible();
        step = 2;
        closer.start();
    });
    // Reached only while the screen's own modal run goes on.
    QObject::connect(&closer, &QTimer::timeout, [&] {
        closer.stop();
        step = 3;
        screen->ESCClick();
    });
    onScreen.start();
    EXPECT_EQ(screen->Execute(1), 2);
    onScreen.stop();
    onList.stop();
    closer.stop();
    delete screen;
    EXPECT_TRUE(listSeen);
    EXPECT_TRUE(screenStillModal);
    EXPECT_EQ(step, 3) << "the screen's run ended with the list";
    EXPECT_EQ(value("DATALIST", "NETDRIVE", "REC=3"), "0");
}

// A taken consolidated set with a damaged member is not stored: silently
// under automatic share, with the explanation from the button.
TEST_F(ShareOps, ADamagedMemberStopsTheStoreSilentlyWhenAutomatic)
{
    ScriptedMessages messages;
    TDataShareOps share(*list);
    ASSERT_EQ(share.KyoyuDataGet(row(), true), 1) << allText(messages);
    platform::IniFile(TDataInfomation::IniPath(working)).writeString("DATAINFO", "TANTO", "77");
    TDataSentakuRec& top = list->Rows.at(static_cast<std::size_t>(list->Grid.at(row()).Top));
    top.Data.GASSAN = 1;
    TDataListRec child = top.Data;
    child.GASSAN = 10;
    child.PASNAME = area + "/001";
    child.LocalPath = working + "/001";
    child.DATA_STATUS = 1;
    top.Children.push_back(child);

    EXPECT_EQ(share.KyoyuDataStore(row(), true), 0);
    EXPECT_EQ(messages.count(), 0u) << allText(messages);
    EXPECT_EQ(share.KyoyuDataStore(row(), false), 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "合算・分散データに破損したデータが存在するため、共有データの保管を中止します。");
    EXPECT_EQ(iniOf(area).SHARE_STATUS, 2) << "still taken";
    EXPECT_NE(iniOf(area).TANTO, 77) << "nothing reached the shared copy";
    EXPECT_EQ(kyoyuLock(), "1");
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
    share.CloudShareSettings = ExecuteCloudShareSettings;
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
    EXPECT_NE(allText(messages).find("処理を起動するためのインターフェースが実装されていません。"), std::string::npos)
        << allText(messages);
    EXPECT_EQ(value("DATALIST", "CLOUD", "REC=1"), "0");

    // Cloud share not offered by the program: nothing happens.
    list->CloudShareEnabled = false;
    messages.clear();
    EXPECT_EQ(share.btnCloudShareClick(list->FindRowOfFolder(company.folder)), -1);
    EXPECT_EQ(messages.count(), 0u);
}

namespace {

// The communication part's settings screen as the cloud button meets it:
// answers as scripted (the last answer repeats) and records the folders it
// was opened for.
struct SettingsAnswer {
    std::int32_t result = 9;
    std::int32_t area = 0;
    bool sendNow = false;
};
struct CloudSettingsScript {
    std::vector<SettingsAnswer> answers;
    std::vector<std::string> folders;
};
CloudSettingsScript* g_settingsScript = nullptr;

class ScriptedCloudSettings : public QWidget, public ICloudShareSettings {
public:
    explicit ScriptedCloudSettings(QWidget* owner)
        : QWidget(owner)
    {
    }
    std::int32_t ExecuteCloudShare(const std::string& dataFolder) override
    {
        auto& s = *g_settingsScript;
        s.folders.push_back(dataFolder);
        answer_ = s.answers.at(std::min(s.folders.size(), s.answers.size()) - 1);
        // Saving writes the area into the company database, as the real
        // screen does.
        if (answer_.result == 0) {
            EXPECT_TRUE(TCloudShareIO().SetCloudLine("", dataFolder, answer_.area));
        }
        return answer_.result;
    }
    std::int32_t CloudShareArea() const override { return answer_.area; }
    bool CloudShareSendRequested() const override { return answer_.sendNow; }

private:
    SettingsAnswer answer_;
};

SettingsAnswer settingsAnswer(std::int32_t result, std::int32_t area, bool sendNow)
{
    return SettingsAnswer {result, area, sendNow};
}

class CloudShareLoop : public ShareOps {
protected:
    void SetUp() override
    {
        ShareOps::SetUp();
        RegisterProc(ProcFormClass<ScriptedCloudSettings>, "QzTusinSettei");
        g_settingsScript = &script;
        sql({"UPDATE DATALIST SET ENTTEXT='クラウド', NETDRIVE=0, PASNAME=:P0, VER_MAJOR=11, VER_MINOR1=0, "
             "VER_MINOR2=1, CLOUD=0 WHERE REC=1"},
            {company.folder});
        list->LoadDataList();
        list->CloudShareEnabled = true;
        share = std::make_unique<TDataShareOps>(*list);
        share->CloudShareSettings = ExecuteCloudShareSettings;
    }
    void TearDown() override
    {
        SetCloudShareComm(before);
        share.reset();
        g_settingsScript = nullptr;
        ShareOps::TearDown();
    }
    // Installs a send answering results in turn (the last repeats).
    void sendAnswers(std::vector<std::int32_t> results)
    {
        TCloudShareComm comm;
        comm.Send = [this, results](const std::string& folder, const std::string& text, std::uint8_t automatic) {
            sent.push_back(folder + "|" + text + "|" + std::to_string(automatic));
            return results.at(std::min(sent.size(), results.size()) - 1);
        };
        SetCloudShareComm(comm);
    }
    std::int32_t click(const std::string& folder) { return share->btnCloudShareClick(list->FindRowOfFolder(folder)); }

    const TCloudShareComm before = SetCloudShareComm({});
    CloudSettingsScript script;
    std::vector<std::string> sent;
    std::unique_ptr<TDataShareOps> share;
};

} // namespace

TEST_F(CloudShareLoop, SettingsSavedAndSentMarkTheRowAndItsFolder)
{
    struct Case {
        const char* name;
        std::vector<SettingsAnswer> answers;
        std::vector<std::int32_t> sendResults;
        std::int32_t result;
        std::size_t settingsRuns;
        std::size_t sends;
        const char* cloud;
        std::size_t messages;
    };
    const std::vector<Case> cases = {
        {"sent at once", {settingsAnswer(0, 3, true)}, {0}, 0, 1, 1, "1", 0},
        {"a failed send opens the settings again", {settingsAnswer(0, 3, true)}, {1, 0}, 0, 2, 2, "1", 1},
        {"settings cancelled", {settingsAnswer(9, 3, true)}, {0}, 9, 1, 0, "0", 0},
        {"settings failed", {settingsAnswer(1, 0, false)}, {0}, 1, 1, 0, "0", 0},
        {"saved without asking to send", {settingsAnswer(0, 2, false)}, {0}, 0, 1, 0, "1", 0},
        {"cloud share switched off", {settingsAnswer(0, 0, true)}, {0}, 0, 1, 0, "0", 0},
        // The first run saved the area: the row follows its database.
        {"cancelled after a failed send", {settingsAnswer(0, 3, true), settingsAnswer(9, 3, true)}, {4}, 9, 2, 1,
            "1", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sql({"UPDATE DATALIST SET CLOUD=0 WHERE REC=1"});
        ASSERT_TRUE(TCloudShareIO().SetCloudLine("", company.folder, 0));
        platform::IniFile(TDataInfomation::IniPath(company.folder)).writeString("DATAINFO", "CLOUD_SHARE", "0");
        list->LoadDataList();
        script = {};
        script.answers = c.answers;
        sent.clear();
        sendAnswers(c.sendResults);
        ScriptedMessages messages;
        EXPECT_EQ(click(company.folder), c.result) << allText(messages);
        EXPECT_EQ(script.folders.size(), c.settingsRuns);
        ASSERT_FALSE(script.folders.empty());
        EXPECT_EQ(script.folders.front(), company.folder);
        ASSERT_EQ(sent.size(), c.sends);
        if (!sent.empty()) {
            EXPECT_EQ(sent.front(), company.folder + "||0");
        }
        EXPECT_EQ(messages.count(), c.messages) << allText(messages);
        if (c.messages > 0) {
            EXPECT_EQ(messages.firstLine(0), "クラウドシェア送信処理でエラーが発生しました。設定画面を開きます。");
        }
        EXPECT_EQ(value("DATALIST", "CLOUD", "REC=1"), c.cloud);
        EXPECT_EQ(iniOf(company.folder).CLOUD_SHARE, std::string(c.cloud) == "1" ? 1 : 0);
        EXPECT_EQ(list->Record(list->FindRowOfFolder(company.folder)).CLOUD, std::string(c.cloud) == "1" ? 1 : 0);
    }
}

TEST_F(CloudShareLoop, WithoutTheCommunicationPartTheSendFailsVisiblyOnce)
{
    script.answers = {settingsAnswer(0, 3, true)};
    SetCloudShareComm({});
    ScriptedMessages messages;
    EXPECT_EQ(click(company.folder), -1);
    ASSERT_EQ(messages.count(), 1u) << "no retry loop on a send that cannot run";
    EXPECT_EQ(messages.firstLine(0),
        "クラウドシェアの通信機能が組み込まれていないため、クラウドシェアデータの送信は行えません。")
        << allText(messages);
    EXPECT_EQ(script.folders.size(), 1u);
}

TEST_F(CloudShareLoop, VersionAndKindRefusalsComeBeforeTheSettings)
{
    script.answers = {settingsAnswer(0, 3, false)};
    struct Case {
        const char* set;
        const char* first;
    };
    const Case cases[] = {
        {"VER_MINOR2=0", "データバージョンが \"Ver11.0.1\" に達していないため、クラウドシェアはご利用できません。"},
        {"VER_MAJOR=10, VER_MINOR1=9, VER_MINOR2=9",
            "データバージョンが \"Ver11.0.1\" に達していないため、クラウドシェアはご利用できません。"},
        {"GASSAN=1", "合算・分散データはクラウドシェアの設定はおこなえません。"},
        {"GASSAN=2", "合算・分散データはクラウドシェアの設定はおこなえません。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        sql({"UPDATE DATALIST SET VER_MAJOR=11, VER_MINOR1=0, VER_MINOR2=1, GASSAN=0 WHERE REC=1",
            std::string("UPDATE DATALIST SET ") + c.set + " WHERE REC=1"});
        list->LoadDataList();
        ScriptedMessages messages;
        EXPECT_EQ(click(company.folder), -1);
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_EQ(messages.firstLine(0), c.first);
        EXPECT_TRUE(script.folders.empty()) << "the settings were not opened";
    }
    // A shared row not taken.
    sql({"UPDATE DATALIST SET VER_MAJOR=11, VER_MINOR1=0, VER_MINOR2=1 WHERE REC=7"});
    list->LoadDataList();
    ScriptedMessages messages;
    EXPECT_EQ(click(working), -1);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "共有保管データはクラウドシェアの設定はおこなえません。");
    EXPECT_TRUE(script.folders.empty());
}

TEST_F(CloudShareLoop, ATakenSharedRowIsStoredWithItsCloudMarkAndStaysTaken)
{
    sql({"UPDATE DATALIST SET VER_MAJOR=11, VER_MINOR1=0, VER_MINOR2=1 WHERE REC=7"});
    list->LoadDataList();
    ScriptedMessages messages;
    ASSERT_EQ(share->KyoyuDataGet(row(), true), 1) << allText(messages);
    script.answers = {settingsAnswer(0, 5, true)};
    sendAnswers({0});
    EXPECT_EQ(click(working), 0) << allText(messages);
    ASSERT_EQ(script.folders.size(), 1u);
    EXPECT_EQ(script.folders.front(), working);
    EXPECT_EQ(iniOf(working).CLOUD_SHARE, 1);
    EXPECT_EQ(iniOf(area).CLOUD_SHARE, 1) << "stored back to the shared server";
    EXPECT_EQ(kyoyuLock(), "1") << "taken again after the store";
    EXPECT_EQ(iniOf(area).SHARE_STATUS, 2);
    EXPECT_EQ(value("DATALIST", "CLOUD", "REC=7"), "1");
}

TEST_F(CloudShareLoop, DisabledCloudShareDoesNothingAtAll)
{
    list->CloudShareEnabled = false;
    script.answers = {settingsAnswer(0, 3, true)};
    sendAnswers({0});
    ScriptedMessages messages;
    EXPECT_EQ(click(company.folder), -1);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_TRUE(script.folders.empty());
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(value("DATALIST", "CLOUD", "REC=1"), "0");
}

TEST_F(CloudShareLoop, TheScreensButtonRunsTheLoop)
{
    AppKind = 0;
    script.answers = {settingsAnswer(0, 3, true)};
    sendAnswers({0});
    ScriptedMessages messages;
    TDataSentakuBox screen;
    showScreenForOperations(screen);
    const int r = screen.Model().FindRowOfFolder(company.folder);
    ASSERT_GE(r, 0);
    screen.Grid()->setCurrentCell(r, 0);
    ASSERT_TRUE(screen.CloudShareButton()->isVisible());
    ASSERT_TRUE(screen.CloudShareButton()->isEnabled());
    QTest::mouseClick(screen.CloudShareButton(), Qt::LeftButton);
    EXPECT_EQ(script.folders.size(), 1u) << allText(messages);
    EXPECT_EQ(sent.size(), 1u);
    EXPECT_EQ(value("DATALIST", "CLOUD", "REC=1"), "1");
    EXPECT_TRUE(screen.Grid()->isEnabled()) << "the panels are enabled again after the send";
    screen.close();
}

TEST_F(CloudShareLoop, TheProcessingLevelGatesTheSettingsForTheAccountingProgramOnly)
{
    // The operator's level lists its processes, and the communication
    // settings are not among them.
    sql({"INSERT INTO JOBCONTROL2 (LEVELNO, PROC_ID, PROC_OPTION) VALUES (" + std::to_string(SysDef.JobLevel)
        + ", 'QzOtherProc', '')"});
    script.answers = {settingsAnswer(0, 3, true)};
    sendAnswers({0});
    {
        ScriptedMessages messages;
        EXPECT_EQ(click(company.folder), -1);
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_EQ(messages.firstLine(0), "ログインしたオペレータの処理レベルでは起動が認められていません。");
        EXPECT_TRUE(script.folders.empty());
    }
    // Another program kind skips the level, password and right checks, and
    // sends nothing itself.
    AppKind = 2;
    ScriptedMessages messages;
    EXPECT_EQ(click(company.folder), 0) << allText(messages);
    EXPECT_EQ(script.folders.size(), 1u);
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(value("DATALIST", "CLOUD", "REC=1"), "1");
}
