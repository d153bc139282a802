#include "dataselect/z5DataTakeOut.h"

#include "core/AppInfo.h"
#include "core/DataInfomation.h"
#include "core/DataModule.h"
#include "core/DataModuleSysDef.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "platform/paths.h"
#include "platform/xdg_folders.h"

#include <stdexcept>

using namespace core;
namespace paths = platform::paths;

TDataTakeOut::TDataTakeOut(TDataSentakuModel& model, TDataSaveRestore& transfer)
    : model_(model)
    , transfer_(transfer)
{
}

void TDataTakeOut::SwitchConnection(const std::string& command)
{
    if (command == "backup") {
        saved_ = Saved {ConnectMode, SysDef.HostName, SysDef.SysDir, SysDef.DataDir, SysDef.SysVerMajor,
            SysDef.SysVerMinor1, SysDef.SysVerMinor2, SysDef.TakeOutFlag};
        return;
    }
    if (command == "local") {
        const std::string appData = platform::xdg_folders::appDataDir();
        if (appData.empty())
            throw std::runtime_error("アプリケーションの初期化に失敗しました。\r" + AppInfo.Varov.AppTitle
                + "を終了します。\rデータフォルダの取得に失敗しました。");
        ConnectMode = 0;
        SysDef.HostName.clear();
        SysDef.SysDir = paths::join(paths::join(appData, AppInfo.Varov.HomeDir), "data");
        SysDef.TakeOutFlag = 1;
        return;
    }
    if (command == "server") {
        ConnectMode = saved_.connectMode;
        SysDef.HostName = saved_.host;
        SysDef.SysDir = saved_.sysDir;
        SysDef.DataDir = saved_.dataDir;
        SysDef.SysVerMajor = saved_.verMajor;
        SysDef.SysVerMinor1 = saved_.verMinor1;
        SysDef.SysVerMinor2 = saved_.verMinor2;
        SysDef.TakeOutFlag = saved_.takeOut;
    }
}

bool TDataTakeOut::reconnect()
{
    if (DM == nullptr)
        return false;
    try {
        if (DM->IBDatabaseDEF.connected())
            DM->IBDatabaseDEF.disconnect();
    } catch (const std::exception& e) {
        ErrorMessageEx(
            "システムデータベースの切断に失敗しました。", std::string("TDataSentakuBox.TakeOutBringBack\r") + e.what());
        return false;
    }
    if (!DM->fnAccDefConnected(SysDef.HostName, 1))
        return false;
    GetProgramVersion();
    return true;
}

std::int32_t TDataTakeOut::runLocalScreen(const char* operation)
{
    if (!OnExecProc) {
        ErrorMessageEx("データ選択画面を起動できませんでした。", "TDataSentakuBox.TakeOutBringBack\rQzDataSenkaku");
        return 0;
    }
    return OnExecProc("QzDataSenkaku", 1,
        std::string("SyoriType=5\rOnlySA_Syori=") + operation + "\rOnlySA_BackupPath=" + SysDef.WorkDir);
}

void TDataTakeOut::SetLockMark(std::int32_t gridRow, bool locked)
{
    SetRowDataLock(model_, gridRow, locked);
}

std::int32_t TDataTakeOut::TakeOutBringBack(std::int32_t gridRow)
{
    if (ConnectMode == 0 || gridRow < 0 || static_cast<std::size_t>(gridRow) >= model_.Grid.size())
        return 0;
    const TDataListRec rec = model_.Record(gridRow);
    if (model_.CloudShareEnabled && rec.CLOUD == 1) {
        TMessage2InfoRec m;
        InitMessage2Info(msgkind::Information, m);
        m.lines[0].text = "クラウドシェアデータのため持ち出し処理は行えません。";
        ShowMessage2(m);
        return 0;
    }
    SwitchConnection("backup");
    bool bringBack = false;
    if (!AskDirection || !AskDirection(rec.DATALOCK != 0, bringBack))
        return 0;
    auto inform = [](const char* a, const char* b) {
        TMessage2InfoRec m;
        InitMessage2Info(msgkind::Information, m);
        m.lines[0].text = a;
        m.lines[1].text = b;
        ShowMessage2(m);
    };
    // The local screen runs with the program switched to stand-alone; the
    // server connection is put back whatever happens there.
    auto throughLocalScreen = [&](const char* operation, bool& reconnected) {
        std::int32_t result = 0;
        try {
            SwitchConnection("local");
            if (!SysDef.SysDir.empty() && reconnect())
                result = runLocalScreen(operation);
        } catch (const std::exception& e) {
            ErrorMessageEx(e.what(), "TDataSentakuBox.TakeOutBringBack");
            result = 0;
        }
        SwitchConnection("server");
        reconnected = reconnect();
        return result;
    };

    if (!bringBack) {
        if (transfer_.SaveData(gridRow, SysDef.WorkDir) != 1)
            return 0;
        inform("続いて、このコンピュータのデータリストを表示します。", "持ち出し先を選んで下さい。");
        bool reconnected = false;
        const std::int32_t result = throughLocalScreen("Restore", reconnected);
        if (!reconnected)
            return 0;
        SetLockMark(gridRow, result == 1);
        return result == 1 ? 1 : 0;
    }

    TDataInfomation info;
    info.Mode = ConnectMode;
    if (!info.IsDataSiyouKengen(model_.GetRowDataPath(gridRow)))
        return 0;
    inform("このコンピュータのデータリストを表示します。", "持ち帰ったデータを選んで下さい。");
    bool reconnected = false;
    const std::int32_t result = throughLocalScreen("Backup", reconnected);
    if (result != 1 || !reconnected)
        return 0;
    // The restore refuses a row locked in the data list (its folder reads
    // as taken out), so the lock goes first; the restore holds the row
    // locked itself while it runs. A refused or failed restore marks the
    // data as out again: the newer data is still on this computer.
    const bool locked = model_.Record(gridRow).DATALOCK != 0;
    if (locked)
        SetLockMark(gridRow, false);
    const std::int32_t restored = transfer_.RestoreData(gridRow, SysDef.WorkDir);
    if (restored != 1 && locked)
        SetLockMark(gridRow, true);
    return restored == 1 ? 1 : 0;
}
