// Taking a data set out of the private test server onto this computer and
// bringing it back, end to end: the real local data-selection screen (type
// 5, started through the process registry) on a local sample root that
// stands in for this computer's data area, the transfer backup in the work
// folder, and the server row's lock.

#include "dataselect/z5DataTakeOut.h"

#include "server_operations_fixture.h"

#include "controls/ProcRegistry.h"
#include "core/AppInfo.h"
#include "core/DataInfomation.h"
#include "platform/xdg_folders.h"

#include <QApplication>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;

namespace {

class TakeOutOnServer : public OperationsOnServer {
protected:
    TakeOutOnServer()
        : local(registry_fixture::rootOptions())
        , home("MIRUZA_HOME", local.folder())
    {
    }
    void SetUp() override
    {
        OperationsOnServer::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // This computer's data area is the local root's.
        AppInfo.Varov.HomeDir = "brimto/rozivoraduz";
        ASSERT_EQ(platform::xdg_folders::appDataDir() + "/" + AppInfo.Varov.HomeDir + "/data", local.info().sysDir);
        RegisterDataSentakuBox();
        OnExecProc = [](const std::string& id, std::uint8_t modal, const std::string& params) {
            return ExecProc(id, modal, params);
        };
        takeOut = std::make_unique<TDataTakeOut>(*list, *ops);
        takeOut->AskDirection = [this](bool takenOut, bool& bringBack) {
            offeredLocked = takenOut;
            bringBack = direction;
            return true;
        };
        row = list->FindRowOfFolder(company);
        ASSERT_GE(row, 0);
    }
    void TearDown() override
    {
        takeOut.reset();
        OperationsOnServer::TearDown();
    }

    // What the user does in the local screen once it is shown: F12 on the
    // row of folder, or Esc when folder is empty.
    void inLocalScreen(const std::string& folder)
    {
        // The save before the screen runs event loops of its own: the
        // timer acts once the local screen is the modal window.
        auto* timer = new QTimer(qApp);
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, [this, folder, timer] {
            auto* screen = dynamic_cast<TDataSentakuBox*>(QApplication::activeModalWidget());
            if (screen == nullptr || !screen->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            localSeen = SysDef.SysDir + "|" + std::to_string(ConnectMode) + "|" + std::to_string(screen->SyoriType());
            if (folder.empty()) {
                screen->ESCClick();
                return;
            }
            const int r = screen->Model().FindRowOfFolder(folder);
            if (r < 0) {
                ADD_FAILURE() << "no local row for " << folder;
                screen->ESCClick();
                return;
            }
            screen->Grid()->setCurrentCell(r, 0);
            screen->F12Click();
            if (screen->isVisible()) {
                ADD_FAILURE() << "F12 did not end the local screen";
                screen->ESCClick();
            }
        });
        timer->start();
    }
    std::int32_t serverLock()
    {
        list->LoadDataList();
        row = list->FindRowOfFolder(company);
        return list->Record(row).DATALOCK;
    }
    // Runs work as this computer sees its own data (stand-alone), then goes
    // back to the server kind.
    template <typename Work> void asLocal(Work work)
    {
        const auto mode = ConnectMode;
        const std::string host = SysDef.HostName;
        ConnectMode = 0;
        SysDef.HostName.clear();
        work();
        ConnectMode = mode;
        SysDef.HostName = host;
    }
    std::string listName(const std::string& folder)
    {
        TDataInfomation di;
        di.Mode = ConnectMode;
        TDataInfomationRec facts;
        if (di.ReadDataInfoRec(folder, facts) != 1)
            return "<unreadable>";
        return facts.DATALISTNAME;
    }

    test_support::SampleRoot local;
    test_support::ScopedEnv home;
    std::unique_ptr<TDataTakeOut> takeOut;
    std::int32_t row = -1;
    bool direction = false; // false take out, true bring back
    bool offeredLocked = false;
    std::string localSeen;
};

} // namespace

TEST_F(TakeOutOnServer, TakenOutLocallyThenBroughtBackOverTheServerData)
{
    ScriptedMessages messages;
    const std::string serverSysDir = SysDef.SysDir;
    const std::string localFolder = local.info().sysDir + "/0005";
    ASSERT_EQ(serverLock(), 0);

    inLocalScreen(localFolder);
    EXPECT_EQ(takeOut->TakeOutBringBack(row), 1) << allText(messages);
    EXPECT_FALSE(offeredLocked);
    EXPECT_EQ(localSeen, local.info().sysDir + "|0|5");
    EXPECT_TRUE(fs::exists(SysDef.WorkDir + "/tnacc.fbk")) << "the transfer backup";
    EXPECT_EQ(ConnectMode, 1);
    EXPECT_EQ(SysDef.SysDir, serverSysDir);
    EXPECT_TRUE(core::DM->IBDatabaseDEF.connected());
    EXPECT_EQ(serverLock(), LoginCodeOf(SysDef.OpCode, SysDef.GroupID)) << "the server row is marked as out";
    EXPECT_TRUE(fs::exists(localFolder + "/tnacc.fdb")) << allText(messages);
    const std::string serverName = listName(company);
    asLocal([&] {
        EXPECT_EQ(listName(localFolder), serverName);
        // Work done on this computer while the data is out.
        TDataInfomation di;
        TDataInfomationRec facts;
        ASSERT_EQ(di.ReadDataInfoRec(localFolder, facts), 1);
        facts.DATALISTNAME = "持ち出し先で変更";
        ASSERT_TRUE(di.UpdateDataInfomation("", localFolder, facts));
    });

    messages.clear();
    direction = true;
    localSeen.clear();
    inLocalScreen(localFolder);
    EXPECT_EQ(takeOut->TakeOutBringBack(row), 1) << allText(messages);
    EXPECT_EQ(localSeen, local.info().sysDir + "|0|5");
    EXPECT_TRUE(offeredLocked);
    EXPECT_EQ(ConnectMode, 1);
    EXPECT_EQ(serverLock(), 0) << "unlocked once the data is back";
    EXPECT_EQ(listName(company), "持ち出し先で変更");
}

TEST_F(TakeOutOnServer, ALocalScreenLeftWithoutChoiceLocksNothing)
{
    ScriptedMessages messages;
    inLocalScreen("");
    EXPECT_EQ(takeOut->TakeOutBringBack(row), 0) << allText(messages);
    EXPECT_EQ(localSeen, local.info().sysDir + "|0|5");
    EXPECT_EQ(ConnectMode, 1);
    EXPECT_TRUE(core::DM->IBDatabaseDEF.connected());
    EXPECT_EQ(serverLock(), 0);
    EXPECT_TRUE(fs::exists(SysDef.WorkDir + "/tnacc.fbk")) << "the transfer backup stays in the work folder";
}

TEST_F(TakeOutOnServer, ABringBackThatCannotRestoreKeepsTheDataMarkedAsOut)
{
    ScriptedMessages messages;
    const std::string localFolder = local.info().sysDir + "/0006";
    inLocalScreen(localFolder);
    ASSERT_EQ(takeOut->TakeOutBringBack(row), 1) << allText(messages);
    const std::int32_t lock = serverLock();
    ASSERT_NE(lock, 0);
    const std::string serverName = listName(company);

    messages.clear();
    direction = true;
    ops->PrepareWorker = [](TBackupRestoreThread& w) {
        if (w.Mode == 1)
            std::ofstream(w.BackupFile, std::ios::binary | std::ios::trunc) << "not a backup";
    };
    inLocalScreen(localFolder);
    EXPECT_EQ(takeOut->TakeOutBringBack(row), 0);
    EXPECT_GE(messages.count(), 2u) << "the failure is reported";
    EXPECT_EQ(serverLock(), lock) << "still out";
    EXPECT_EQ(listName(company), serverName) << "the server data is as it was";
    EXPECT_EQ(ConnectMode, 1);
}
