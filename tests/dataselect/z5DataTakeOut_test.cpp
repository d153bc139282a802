// Taking data out of a data server and bringing it back: the connection
// switch to the local data area and back, and a local screen that fails or
// is cancelled must leave the server connection and the row's lock as they
// were. (The data-server side runs here on the embedded engine with the
// connection kind set to the server kind.)

#include "dataselect/z5DataTakeOut.h"

#include "operations_fixture.h"

#include "accounting/OpenCompanyTables.h"
#include "core/AppInfo.h"
#include "platform/xdg_folders.h"
#include "support/scripted_messages.h"

#include <filesystem>
#include <memory>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

class TakeOut : public DataOperationsTest {
protected:
    void SetUp() override
    {
        DataOperationsTest::SetUp();
        // The local data area of the take-out, apart from the root standing
        // in for the server.
        AppInfo.Varov.HomeDir = "mochidasi";
        checks = std::make_unique<TDataCopyPaste>(*list);
        transfer = std::make_unique<TDataSaveRestore>(*list, *checks);
        takeOut = std::make_unique<TDataTakeOut>(*list, *transfer);
    }
    void TearDown() override
    {
        takeOut.reset();
        transfer.reset();
        checks.reset();
        DataOperationsTest::TearDown();
    }
    std::string localSysDir() { return platform::xdg_folders::appDataDir() + "/" + AppInfo.Varov.HomeDir + "/data"; }

    std::unique_ptr<TDataCopyPaste> checks;
    std::unique_ptr<TDataSaveRestore> transfer;
    std::unique_ptr<TDataTakeOut> takeOut;
};

} // namespace

TEST_F(TakeOut, SwitchingToTheLocalAreaAndBackKeepsTheServerSettings)
{
    ConnectMode = 1;
    SysDef.HostName = "localhost/3050";
    const std::string sysDir = SysDef.SysDir;
    takeOut->SwitchConnection("backup");
    takeOut->SwitchConnection("local");
    EXPECT_EQ(ConnectMode, 0);
    EXPECT_EQ(SysDef.HostName, "");
    EXPECT_EQ(SysDef.SysDir, localSysDir());
    EXPECT_EQ(SysDef.TakeOutFlag, 1);
    takeOut->SwitchConnection("server");
    EXPECT_EQ(ConnectMode, 1);
    EXPECT_EQ(SysDef.HostName, "localhost/3050");
    EXPECT_EQ(SysDef.SysDir, sysDir);
    EXPECT_EQ(SysDef.TakeOutFlag, 0);
}

TEST_F(TakeOut, AFailingLocalScreenLeavesTheServerConnectionAndTheLock)
{
    // A local data area with its own system database.
    fs::create_directories(localSysDir());
    fs::copy_file(root.info().systemDatabase, localSysDir() + "/tnaccdef.fdb");
    // The server kind, reached here through the embedded engine ("127.0.0.1"
    // names this computer's files).
    ConnectMode = 1;
    SysDef.HostName = "127.0.0.1";
    const std::string sysDir = SysDef.SysDir;
    const std::int32_t r = list->FindRowOfFolder(folderOf(2));
    takeOut->SetLockMark(r, true);
    const std::string lock = value("DATALIST", "DATALOCK", "REC=2").value_or("");
    ASSERT_NE(lock, "0");

    std::string localSeen;
    OnExecProc = [&](const std::string& id, std::uint8_t, const std::string& params) -> int {
        localSeen = id + "|" + params + "|" + SysDef.SysDir + "|" + std::to_string(ConnectMode);
        throw std::runtime_error("画面の表示に失敗しました。");
    };
    takeOut->AskDirection = [](bool takenOut, bool& bringBack) {
        EXPECT_TRUE(takenOut);
        bringBack = true;
        return true;
    };
    ScriptedMessages messages;
    EXPECT_EQ(takeOut->TakeOutBringBack(r), 0);
    EXPECT_EQ(localSeen,
        "QzDataSenkaku|SyoriType=5\rOnlySA_Syori=Backup\rOnlySA_BackupPath=" + SysDef.WorkDir + "|" + localSysDir()
            + "|0");
    EXPECT_EQ(ConnectMode, 1);
    EXPECT_EQ(SysDef.SysDir, sysDir);
    EXPECT_EQ(SysDef.HostName, "127.0.0.1");
    EXPECT_TRUE(core::DM->IBDatabaseDEF.connected());
    EXPECT_EQ(value("DATALIST", "DATALOCK", "REC=2").value_or(""), lock) << "still out: the lock stays";

    // Cancelling the choice does nothing.
    messages.clear();
    takeOut->AskDirection = [](bool, bool&) { return false; };
    EXPECT_EQ(takeOut->TakeOutBringBack(r), 0);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(value("DATALIST", "DATALOCK", "REC=2").value_or(""), lock);
}

// Cloud-share data is not taken out: the message, no choice, no backup.
TEST_F(TakeOut, CloudShareDataIsRefusedBeforeAnythingIsSaved)
{
    ConnectMode = 1;
    SysDef.HostName = "127.0.0.1";
    list->CloudShareEnabled = true;
    const std::int32_t r = list->FindRowOfFolder(folderOf(2));
    list->Record(r).CLOUD = 1;
    bool asked = false;
    takeOut->AskDirection = [&](bool, bool&) {
        asked = true;
        return true;
    };
    ScriptedMessages messages;
    EXPECT_EQ(takeOut->TakeOutBringBack(r), 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "クラウドシェアデータのため持ち出し処理は行えません。");
    EXPECT_FALSE(asked);
    EXPECT_FALSE(fs::exists(SysDef.WorkDir + "/tnacc.fbk"));
    EXPECT_EQ(value("DATALIST", "DATALOCK", "REC=2").value_or(""), "0");

    // The same row without cloud share goes on to the choice.
    list->CloudShareEnabled = false;
    takeOut->AskDirection = [&](bool, bool&) {
        asked = true;
        return false;
    };
    EXPECT_EQ(takeOut->TakeOutBringBack(r), 0);
    EXPECT_TRUE(asked);
}
