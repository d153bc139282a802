#include "dataselect/z5DataSaveRestore.h"

#include "core/BackupRestoreThread.h"
#include "core/DataModule.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "core/PlatformUtil.h"
#include "core/ProgressService.h"
#include "dataselect/z5ComCloudShare.h"
#include "dataselect/z5DataShareOps.h"
#include "platform/paths.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

using namespace core;
namespace fs = std::filesystem;
namespace paths = platform::paths;

namespace {

constexpr const char* kSaveContext = "TDataSentakuBox.SaveData";
constexpr const char* kRestoreContext = "TDataSentakuBox.RestoreData";
constexpr const char* kRefusedFolder = "このフォルダは選択出来ません。他の場所を選んで下さい。";

bool sameFolder(const std::string& a, const std::string& b)
{
    return !a.empty() && !b.empty() && paths::excludeDelimiter(a) == paths::excludeDelimiter(b);
}

std::string versionText(const TDataInfomationRec& r)
{
    char v[48];
    std::snprintf(v, sizeof v, "%d.%d.%d", r.VERSION1_MAJOR, r.VERSION1_MINOR, r.VERSION1_REVISION);
    return v;
}

void fillBackupInfo(TBackupRestoreThread& worker, const TDataInfomationRec& r)
{
    worker.Shougou = r.SHOUGOU;
    worker.Kishu = r.KISHU;
    worker.Kimatu = r.KIMATU;
    worker.Siwake = r.SIWAKE;
    worker.TotalSiwake = r.TOTALSIWAKE;
    worker.DataVersion = versionText(r);
    worker.Gassan = r.GASSANKBN;
    worker.UseMyNumber = r.USEMYNUMBER;
}

void workerFailed(const TBackupRestoreThread& worker)
{
    ShowLines(msgkind::Warning, {worker.ErrMessage + "\r" + worker.ErrDetail});
}

} // namespace

std::string RestoreSideFolder(const std::string& dataFolder)
{
    return paths::excludeDelimiter(dataFolder) + ".restoring";
}

TDataSaveRestore::TDataSaveRestore(TDataSentakuModel& model, TDataCopyPaste& checks)
    : model_(model)
    , checks_(checks)
{
}

bool TDataSaveRestore::runWorker(TBackupRestoreThread& worker, int pollMs)
{
    if (PrepareWorker)
        PrepareWorker(worker);
    worker.Resume();
    while (!worker.IsTerminated())
        WaitMilliSec(pollMs);
    return worker.Success;
}

std::string TDataSaveRestore::askFolder(bool restore, bool& fromDataFolder)
{
    fromDataFolder = false;
    for (;;) {
        if (!ChooseFolder) {
            ErrorMessageEx("保存先の場所を選択できません。", restore ? kRestoreContext : kSaveContext);
            return {};
        }
        std::string folder = ChooseFolder(restore, fromDataFolder);
        if (fromDataFolder || folder.empty())
            return folder;
        folder = paths::excludeDelimiter(folder);
        if (!sameFolder(folder, SysDef.WorkDir))
            return folder;
        ShowLines(msgkind::Warning, {kRefusedFolder});
    }
}

std::int32_t TDataSaveRestore::SaveData(std::int32_t gridRow, const std::string& givenFolder)
{
    if (gridRow < 0 || static_cast<std::size_t>(gridRow) >= model_.Grid.size())
        return 0;
    {
        const TDataListRec& rec = model_.Record(gridRow);
        // The shared copy is brought here and put back before it is saved.
        if (rec.NETDRIVE == 1 && rec.KYOYULOCK == 0 && !TDataShareOps(model_).AutoShareRoundTrip(gridRow))
            return 0;
    }
    if (!RefreshCloudData(model_, gridRow))
        return 0;
    const std::string folder = model_.GetRowDataPath(gridRow);
    if (DM != nullptr && DM->CheckDataDamage(SysDef.HostName, folder, 0, 0) == 0) {
        model_.Record(gridRow).DATA_STATUS = 1;
        return 0;
    }
    TDataFolderCheck check = model_.FolderCheck();
    const std::int32_t status = check.CheckFolderStatus(folder, true, true);
    bool accepted = status == 1;
    if (ConnectMode != 0 && status == 2)
        accepted
            = ShowLines(msgkind::Confirmation, {"このデータは他のオペレータが使用中です。保存しますか？"}) == modal::Ok;
    if (!accepted)
        return 0;
    TDataInfomation info;
    info.Mode = ConnectMode;
    if (!info.IsDataSiyouKengen(folder)) {
        model_.DataListRefresh(gridRow);
        return 0;
    }

    std::string target;
    if (!givenFolder.empty()) {
        // The old backup stays until the new one is complete.
        target = paths::excludeDelimiter(givenFolder);
    } else {
        bool unused = false;
        target = askFolder(false, unused);
        if (target.empty())
            return 0;
    }
    if (!ForceDir(target)) {
        ShowLines(msgkind::Warning, {"バックアップフォルダの作成に失敗しました。"});
        return 0;
    }
    const std::string backup = paths::join(target, LocalBackupFile);
    if (givenFolder.empty() && fs::exists(backup)
        && ShowLines(msgkind::Confirmation,
               {"この場所には、同じ名前のバックアップファイルが既に存在します。", "上書きしますか？"})
            != modal::Ok)
        return 0;

    WriteDataStatus(folder, 4, kSaveContext);
    ReportProgress("保存中、しばらくお待ちください…");
    TDataInfomationRec facts;
    if (info.ReadDataInfoRec(folder, facts) != 1)
        info.ReadDataIni(folder, facts);
    const std::string part = paths::join(target, kBackupPartName);
    std::error_code ec;
    fs::remove(part, ec);
    std::int32_t result = -1;
    {
        TBackupRestoreThread worker(true);
        worker.Mode = 0;
        worker.ScreenName = "データ選択";
        worker.HostName = SysDef.HostName;
        worker.DataPath = paths::join(folder, DataFile);
        worker.BackupFile = part;
        worker.WriteInfo = true;
        fillBackupInfo(worker, facts);
        if (runWorker(worker, 300)) {
            fs::rename(part, backup, ec);
            if (ec)
                ErrorMessageEx("バックアップファイルを置き換えられませんでした。",
                    std::string(kSaveContext) + "\r" + backup + "\r" + ec.message());
            else
                result = 1;
        } else {
            workerFailed(worker);
        }
    }
    fs::remove(part, ec);
    WriteDataStatus(folder, 1, kSaveContext);
    return result;
}

std::int32_t TDataSaveRestore::RestoreData(std::int32_t gridRow, const std::string& givenFolder)
{
    if (gridRow < 0 || static_cast<std::size_t>(gridRow) >= model_.Grid.size())
        return -1;
    const std::string target = model_.GetRowDataPath(gridRow);
    TDataListRec& rec = model_.Record(gridRow);
    const bool isChild = model_.Grid[static_cast<std::size_t>(gridRow)].Child >= 0;
    const std::uint8_t targetKind = isChild ? 10 : rec.GASSAN;
    TDataInfomation info;
    info.Mode = ConnectMode;
    TDataFolderCheck check = model_.FolderCheck();
    bool damaged = rec.DATA_STATUS == 1;
    if (damaged) {
        CloseCompanyOn(target);
    } else if (rec.NENDO > 0 && DM != nullptr && DM->CheckDataDamage(SysDef.HostName, target, 0, 0) == 0) {
        rec.DATA_STATUS = 1;
        damaged = true;
    }
    if (!damaged) {
        if (model_.CloudShareEnabled && rec.CLOUD == 1) {
            ShowLines(msgkind::Warning, {"クラウドシェアデータのため復元処理は行えません。"});
            return -1;
        }
        const std::int32_t status = check.CheckFolderStatus(target, false, ConnectMode == 0);
        if (status != 1) {
            if (ConnectMode != 0 && status == 2)
                ShowLines(msgkind::Warning, {"このデータは他のオペレータが使用中のため復元処理は行えません。"});
            return -1;
        }
        if (!info.IsDataSiyouKengen(target))
            return -1;
    }

    std::string from;
    if (!givenFolder.empty()) {
        from = paths::excludeDelimiter(givenFolder);
    } else {
        bool fromDataFolder = false;
        from = askFolder(true, fromDataFolder);
        if (fromDataFolder)
            from = target;
        if (from.empty())
            return -1;
    }
    const std::int32_t again = check.CheckFolderStatus(target, false, ConnectMode == 0);
    if (again != 1 && again != 10) {
        if (ConnectMode != 0 && again == 2)
            ShowLines(msgkind::Warning, {"このデータは他のオペレータが使用中のため復元処理は行えません。"});
        return -1;
    }
    const std::string backup = paths::join(from, LocalBackupFile);
    if (!fs::exists(backup)) {
        ShowLines(msgkind::Warning, {"この場所には、バックアップファイル(" + backup + ")がありませんでした。"});
        return -1;
    }

    ReportProgress("復元中、しばらくお待ちください…");
    SetRowDataLock(model_, gridRow, true);
    std::error_code ec;
    const std::string work = paths::join(SysDef.WorkDir, LocalBackupFile);
    const std::string checkFolder = paths::join(SysDef.WorkDir, "check");
    // A backup that already is the work file (the transfer backup of a
    // take-out) is used where it lies and kept: removing the "work copy"
    // would delete the only backup.
    const bool inPlace = fs::equivalent(backup, work, ec);
    if (!inPlace)
        fs::remove(work, ec);
    fs::remove_all(checkFolder, ec);
    std::int32_t result = -1;
    bool restored = false;
    bool compared = false;
    TBackupRestoreThread facts(true);
    auto finish = [&] {
        if (!inPlace)
            fs::remove(work, ec);
        fs::remove_all(checkFolder, ec);
        SetRowDataLock(model_, gridRow, false);
        if (fs::exists(target))
            WriteDataStatus(target, 1, kRestoreContext);
        return result;
    };
    if (!ForceDir(SysDef.WorkDir) || (!inPlace && !FileCopy(backup, work))) {
        ShowLines(msgkind::Warning, {"ワーク領域にファイルをコピー出来なかったため、復元処理は失敗しました。"});
        return finish();
    }
    const bool withInfo = facts.ReadBackupInfo(work, true);

    bool go = true;
    const bool targetHasData = fs::exists(paths::join(target, DataFile));
    checks_.RememberedGassan = -1;
    if (damaged) {
        go = ShowLines(msgkind::Confirmation,
                 {"このデータは破損データのため、データ間の照合チェックは行わずに復元を行います。", "よろしいですか？"})
            == modal::Ok;
    } else if (targetHasData) {
        ReportProgress("照合チェック中、しばらくお待ちください…");
        TDataInfomationRec source;
        if (withInfo) {
            source.SHOUGOU = facts.Shougou;
            source.KISHU = facts.Kishu;
            source.KIMATU = facts.Kimatu;
            source.SIWAKE = facts.Siwake;
            source.TOTALSIWAKE = facts.TotalSiwake;
            source.VERSION2 = facts.DataVersion;
            source.GASSANKBN = static_cast<std::uint8_t>(facts.Gassan);
        } else {
            // Without the information block the facts come from a trial
            // restore into the check folder.
            ForceDir(checkFolder);
            TBackupRestoreThread trial(true);
            trial.Mode = 1;
            trial.ScreenName = "データ選択";
            trial.CheckMyNumber = false;
            trial.HostName = ConnectMode == 0 ? std::string() : SysDef.HostName;
            trial.DataPath = paths::join(checkFolder, DataFile);
            trial.BackupFile = work;
            if (!runWorker(trial, 300)) {
                workerFailed(trial);
                return finish();
            }
            TDataInfomation checkInfo;
            checkInfo.ReadDataInfoRec(checkFolder, source);
            CloseCompanyOn(checkFolder);
        }
        go = checks_.CheckGassanPattern("復元", source, target) == 1;
        compared = true;
    }
    fs::remove_all(checkFolder, ec);
    if (!go)
        return finish();

    if (!ForceDir(target)) {
        ShowLines(msgkind::Warning, {"データフォルダを作成できませんでした。"});
        return finish();
    }
    if (DM != nullptr && DM->AccDatInConnection(1, SysDef.HostName, target, 0)) {
        ShowLines(msgkind::Warning, {"このデータは、他のオペレータが使用中のため復元処理を行うことが出来ません。"});
        return finish();
    }
    WriteDataStatus(target, 5, kRestoreContext);
    const std::string side = RestoreSideFolder(target);
    // The side folder lives where the data does: on the data server in the
    // server kinds.
    auto removeSide = [&] {
        if (ConnectMode == 0)
            fs::remove_all(side, ec);
        else if (DM != nullptr && DM->DExist(side, ConnectMode))
            DM->RmDir(side, ConnectMode);
    };
    removeSide();
    if (ConnectMode == 0 ? !ForceDir(side) : (DM == nullptr || !DM->MkDir(side, ConnectMode))) {
        ShowLines(msgkind::Warning, {"データフォルダを作成できませんでした。"});
        return finish();
    }
    {
        TBackupRestoreThread worker(true);
        worker.Mode = 1;
        worker.ScreenName = "データ選択";
        worker.HostName = ConnectMode == 0 ? std::string() : SysDef.HostName;
        worker.DataPath = paths::join(side, DataFile);
        worker.ReplacedPath = paths::join(target, DataFile);
        worker.BackupFile = work;
        worker.Shougou = facts.Shougou;
        worker.Kishu = facts.Kishu;
        worker.Kimatu = facts.Kimatu;
        worker.Siwake = facts.Siwake;
        worker.TotalSiwake = facts.TotalSiwake;
        worker.DataVersion = facts.DataVersion;
        worker.Gassan = facts.Gassan;
        worker.UseMyNumber = facts.UseMyNumber;
        if (runWorker(worker, 300)) {
            CloseCompanyOn(side);
            CloseCompanyOn(target);
            // Someone may have opened the data while the restore ran: it is
            // not written over under them.
            if (DM != nullptr && DM->AccDatInConnection(1, SysDef.HostName, target, 0)) {
                ShowLines(msgkind::Warning,
                    {"このデータは、他のオペレータが使用中のため復元処理を行うことが出来ません。"});
            } else {
                restored = DM != nullptr && DM->FMove(worker.DataPath, worker.ReplacedPath, ConnectMode);
                if (!restored)
                    ErrorMessageEx("復元したデータベースを置き換えられませんでした。",
                        std::string(kRestoreContext) + "\r" + worker.ReplacedPath);
            }
        } else {
            workerFailed(worker);
        }
    }
    removeSide();
    if (!restored)
        return finish();

    // Only a restored database gets the follow-up writes.
    TDataInfomationRec now;
    const bool readable = info.ReadDataInfoRec(target, now) == 1;
    if (ConnectMode == 0 && !isChild && (targetKind == 1 || targetKind == 2) && compared && readable
        && now.SHOUGOU != rec.SHOUGOU) {
        // Another company's data: the consolidated set's children go.
        const std::int32_t top = model_.Grid[static_cast<std::size_t>(gridRow)].Top;
        TDataSentakuRec& parent = model_.Rows.at(static_cast<std::size_t>(top));
        if (!parent.Children.empty())
            model_.Registry().DeleteDataListChildRecord(parent.Data, true);
        for (const auto& child : parent.Children)
            fs::remove_all(child.PASNAME, ec);
        parent.Children.clear();
        parent.ChildCount = 0;
    }
    checks_.WriteGassanSetting(
        target, targetKind, checks_.RememberedGassan >= 0 ? checks_.RememberedGassan : (readable ? now.GASSANKBN : -1));
    TCloudShareIO().ClearSetting(SysDef.HostName, target);
    TDataListRec& row = model_.Record(gridRow);
    if (info.ReadDataInfoRec(target, now) == 1) {
        info.UpdateDataInfomation(SysDef.HostName, target, now);
        try {
            info.WriteIniFile(target, "DATAINFO", now);
        } catch (const std::exception& e) {
            ErrorMessageEx("データ情報の更新に失敗しました。", std::string(kRestoreContext) + "\r" + e.what());
        }
        model_.Registry().SetDataListRecordFromInfo(now, row);
        row.CLOUD = 0;
        row.DATA_STATUS = 0;
        model_.Registry().UpdateDataListRecord(row, 1, true);
    }
    result = 1;
    finish();
    model_.DataListRefresh(gridRow);
    TDataShareOps(model_).StoreAfterChange(gridRow);
    return result;
}
