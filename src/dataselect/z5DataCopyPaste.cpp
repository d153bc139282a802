#include "dataselect/z5DataCopyPaste.h"

#include "core/BackupRestoreThread.h"
#include "core/DataModule.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "core/PlatformUtil.h"
#include "core/ProgressService.h"
#include "core/TextRoutines.h"
#include "dataselect/z5CloudShareComm.h"
#include "dataselect/z5ComCloudShare.h"
#include "dataselect/z5DataShareOps.h"
#include "dataselect/z5GassanSyori.h"
#include "platform/codec.h"
#include "platform/paths.h"

#include <filesystem>
#include <system_error>

using namespace core;
namespace fs = std::filesystem;
namespace paths = platform::paths;

namespace {

constexpr const char* kContext = "TDataSentakuBox.CopyPaste";

std::string trimmedCopy(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    return s.substr(i);
}

bool inside(const std::string& folder, const std::string& outer)
{
    const std::string f = paths::excludeDelimiter(folder) + "/";
    const std::string o = paths::excludeDelimiter(outer) + "/";
    return f.size() > o.size() && f.compare(0, o.size(), o) == 0;
}

void writeStatus(const std::string& folder, std::uint8_t status)
{
    WriteDataStatus(folder, status, kContext);
}

} // namespace

void WriteDataStatus(const std::string& folder, std::uint8_t status, const char* context)
{
    TDataInfomation info;
    info.Mode = ConnectMode;
    try {
        info.WriteStatus(folder, status);
    } catch (const std::exception& e) {
        ErrorMessageEx("データの状態を更新できませんでした。", std::string(context) + "\r" + folder + "\r" + e.what());
    }
}

void SetRowDataLock(TDataSentakuModel& model, std::int32_t gridRow, bool on)
{
    if (ConnectMode == 0)
        return;
    TDataListRec& row = model.Record(gridRow);
    row.DATALOCK = on ? LoginCodeOf(SysDef.OpCode, SysDef.GroupID) : 0;
    model.Registry().UpdateDataListRecord(row, 0, true);
}

bool ServerFolderHoldsData(TDataSentakuModel& model, std::int32_t gridRow)
{
    if (ConnectMode == 0)
        return true;
    std::int32_t check = -1;
    try {
        check = model.FolderCheck().CheckDataFolder(model.GetRowDataPath(gridRow));
    } catch (const std::exception&) {
        check = -1;
    }
    if (check == 1)
        return true;
    model.DataListRefresh(gridRow);
    return false;
}

bool RefreshCloudData(TDataSentakuModel& model, std::int32_t gridRow)
{
    if (!model.CloudShareEnabled || model.Record(gridRow).CLOUD != 1)
        return true;
    if (!ServerFolderHoldsData(model, gridRow))
        return false;
    const std::string folder = model.GetRowDataPath(gridRow);
    SetRowDataLock(model, gridRow, true);
    // The communication part answers 0 when done and 1 to 9 (after saying
    // why) when not; without it the call says so and answers "not done".
    std::int32_t result = CloudShareReceiveCopy(folder);
    if (result == 0 && AppKind == 0)
        CloudShareUnlock(folder);
    SetRowDataLock(model, gridRow, false);
    if (result >= 1 && result <= 9) {
        model.DataListRefresh(gridRow);
        return false;
    }
    return true;
}

void CloseCompanyOn(const std::string& folder)
{
    if (DM != nullptr && DM->IBDatabaseDAT.connected()
        && DM->IBDatabaseDAT.databaseName() == MakeDatabaseName(SysDef.HostName, folder, DataFile))
        DM->fnAccDatDisConnected(folder, 0, 0);
}

int ShowLines(std::uint8_t kind, std::initializer_list<std::string> lines, std::uint16_t buttons)
{
    TMessage2InfoRec m;
    InitMessage2Info(kind, m);
    if (buttons != 0)
        m.buttons = buttons;
    std::size_t i = 0;
    for (const auto& l : lines)
        if (i < m.lines.size())
            m.lines[i++].text = l;
    return ShowMessage2(m);
}

std::string MakeCopyName(const std::string& name)
{
    return trimmedCopy(platform::codec::cutToWidth(name + "～コピー", 40));
}

bool CopyFolderTree(const std::string& from, const std::string& to)
{
    std::error_code ec;
    fs::create_directories(to, ec);
    if (ec)
        return false;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    return !ec;
}

bool ReplaceFolderStaged(const std::string& source, const std::string& targetIn,
    const std::function<bool(const std::string&, const std::string&)>& copy)
{
    const std::string target = paths::excludeDelimiter(targetIn);
    const std::string staging = target + ".copying";
    const std::string old = target + ".replaced";
    std::error_code ec;
    fs::remove_all(staging, ec);
    fs::remove_all(old, ec);
    if (!copy(source, staging)) {
        fs::remove_all(staging, ec);
        return false;
    }
    const bool hadTarget = fs::exists(target, ec);
    if (hadTarget) {
        fs::rename(target, old, ec);
        if (ec) {
            fs::remove_all(staging, ec);
            return false;
        }
    }
    fs::rename(staging, target, ec);
    if (ec) {
        std::error_code back;
        if (hadTarget)
            fs::rename(old, target, back);
        fs::remove_all(staging, back);
        return false;
    }
    fs::remove_all(old, ec);
    return true;
}

TDataCopyPaste::TDataCopyPaste(TDataSentakuModel& model)
    : model_(model)
{
    CopyFolder = CopyFolderTree;
}

void TDataCopyPaste::releaseSource()
{
    pending_ = false;
    if (!sourceFolder_.empty() && fs::exists(TDataInfomation::IniPath(sourceFolder_)))
        writeStatus(sourceFolder_, 1);
    sourceFolder_.clear();
    sourceTop_ = -1;
}

void TDataCopyPaste::Cancel()
{
    if (pending_ || !sourceFolder_.empty())
        releaseSource();
}

bool TDataCopyPaste::Copy(std::int32_t gridRow)
{
    if (gridRow < 0 || static_cast<std::size_t>(gridRow) >= model_.Grid.size())
        return false;
    const TDataListRec& rec = model_.Record(gridRow);
    const std::string folder = model_.GetRowDataPath(gridRow);
    const std::int32_t top = model_.Grid[static_cast<std::size_t>(gridRow)].Top;
    if (!RefreshCloudData(model_, gridRow))
        return false;
    if (DM != nullptr && DM->CheckDataDamage(SysDef.HostName, folder, 0, 0) == 0) {
        model_.Record(gridRow).DATA_STATUS = 1;
        return false;
    }
    if (IsConsolidatedKind(rec.GASSAN)) {
        for (const auto& child : model_.Rows.at(static_cast<std::size_t>(top)).Children)
            if (child.DATA_STATUS == 1) {
                ShowLines(msgkind::Information,
                    {"合算・分散データに破損したデータが存在するため、データのコピーを中止します。",
                        "データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。",
                        "ご不明な点がございましたら、お問い合わせ先をご確認の上ご連絡下さい。"});
                return false;
            }
    }
    TDataFolderCheck check = model_.FolderCheck();
    const std::int32_t status = check.CheckFolderStatus(folder, true, true);
    bool accepted = status == 1;
    if (ConnectMode != 0 && status == 2)
        accepted = ShowLines(msgkind::Confirmation, {"このデータは他のオペレータが使用中です。コピーしますか？"})
            == modal::Ok;
    TDataInfomation info;
    info.Mode = ConnectMode;
    if (!accepted || !info.IsDataSiyouKengen(folder)) {
        model_.DataListRefresh(gridRow);
        return false;
    }
    sourceFolder_ = folder;
    sourceRec_ = rec;
    sourceTop_ = top;
    copyName_ = MakeCopyName(rec.ENTTEXT);
    writeStatus(folder, 6);
    pending_ = true;
    return true;
}

std::int32_t TDataCopyPaste::Paste(std::int32_t gridRow)
{
    pending_ = false;
    if (sourceFolder_.empty() || gridRow < 0 || static_cast<std::size_t>(gridRow) >= model_.Grid.size()) {
        releaseSource();
        return 0;
    }
    const TDataListRec target = model_.Record(gridRow);
    const std::int32_t targetTop = model_.Grid[static_cast<std::size_t>(gridRow)].Top;
    const bool targetIsChild = model_.Grid[static_cast<std::size_t>(gridRow)].Child >= 0;
    const std::string folder = model_.GetRowDataPath(gridRow);
    if (paths::excludeDelimiter(folder) == paths::excludeDelimiter(sourceFolder_)) {
        releaseSource();
        return 0;
    }
    if (model_.CloudShareEnabled && target.CLOUD == 1) {
        ShowLines(msgkind::Information, {"クラウドシェアデータのため貼り付け処理は行えません。"});
        releaseSource();
        return 0;
    }
    if (sourceRec_.GASSAN == 10 && target.REC == sourceRec_.REC) {
        ShowLines(msgkind::Information, {"同ブロックの分散入力データからの貼り付けは行えません。"});
        releaseSource();
        return 0;
    }
    TDataFolderCheck check = model_.FolderCheck();
    const std::int32_t status = check.CheckFolderStatus(folder, false, true);
    if (status != 1 && status != 10) {
        if (ConnectMode != 0 && status == 2)
            ShowLines(msgkind::Warning, {"このデータは他のオペレータが使用中のため貼り付けは行えません。"});
        releaseSource();
        return 0;
    }
    const bool damagedTarget = status == 10;
    TDataInfomation info;
    info.Mode = ConnectMode;
    if (damagedTarget) {
        CloseCompanyOn(folder);
    } else if (fs::exists(paths::join(folder, DataFile)) && !info.IsDataSiyouKengen(folder)) {
        releaseSource();
        return 0;
    }

    ReportProgress("データのコピー中…");
    TDataInfomationRec source;
    info.ReadDataIni(sourceFolder_, source);
    std::int32_t go = 0;
    if (damagedTarget)
        go = ShowLines(msgkind::Confirmation,
                 {"このデータは破損データのため、データ間の照合チェックは行わずに貼り付けを行います。",
                     "よろしいですか？"})
                == modal::Ok
            ? 1
            : 0;
    else
        go = CheckGassanPattern("貼り付け", source, folder);
    if (go != 1) {
        releaseSource();
        return 0;
    }

    writeStatus(folder, 7);
    const std::uint8_t targetKind = targetIsChild ? 10 : target.GASSAN;
    bool copied = false;
    if (ConnectMode == 0) {
        if (inside(folder, sourceFolder_)) {
            ErrorMessageEx("貼付先にコピー元のパスが含まれています。処理を中断します。", kContext);
            writeStatus(folder, 1);
            releaseSource();
            return 0;
        }
        copied = pasteFiles(folder, targetKind);
    } else {
        copied = pasteOnServer(gridRow, folder);
    }
    if (!copied) {
        // Nothing of the source reached the target: it keeps its data, its
        // settings and (consolidated) its children.
        writeStatus(folder, 1);
        ErrorMessageEx("データのコピーに失敗しました。\r貼付先のデータは変更されていません。",
            std::string(kContext) + "\r" + sourceFolder_ + "\r" + folder);
        model_.DataListRefresh(gridRow);
        releaseSource();
        return 0;
    }
    if (ConnectMode == 0 && IsConsolidatedKind(target.GASSAN) && !targetIsChild)
        deleteChildRows(targetTop);

    writeStatus(folder, 1);
    WriteGassanSetting(folder, targetKind, -1);
    TCloudShareIO().ClearSetting(SysDef.HostName, folder);

    TDataInfomationRec facts;
    TDataListRec& row = model_.Record(gridRow);
    if (info.ReadDataInfoRec(folder, facts) == 1) {
        facts.DATALISTNAME = copyName_;
        facts.UPDATE_LOCK = sourceRec_.UPDATE_LOCK;
        facts.READ_ONLY = sourceRec_.READ_ONLY;
        info.UpdateDataInfomation(SysDef.HostName, folder, facts);
        try {
            info.WriteIniFile(folder, "DATAINFO", facts);
            info.WriteIniValue(folder, "DATASTS", true, std::to_string(facts.UPDATE_LOCK), "UPDATE_LOCK");
            info.WriteIniValue(folder, "DATASTS", true, std::to_string(facts.READ_ONLY), "READ_ONLY");
        } catch (const std::exception& e) {
            ErrorMessageEx("データ情報の更新に失敗しました。", std::string(kContext) + "\r" + e.what());
        }
        row.DATACODE = facts.CODE;
        row.ENTTEXT = copyName_;
        row.DispName = copyName_;
        row.SHOUGOU = facts.SHOUGOU;
        row.UPDATE_LOCK = facts.UPDATE_LOCK;
        row.READ_ONLY = facts.READ_ONLY;
        if (!targetIsChild)
            row.GASSAN = facts.GASSANKBN;
        row.DATA_STATUS = 0;
        model_.Registry().UpdateDataListRecord(row, 1, true);
        if (!targetIsChild)
            copyChildRows(targetTop);
    } else {
        row.DATA_STATUS = 1;
    }
    model_.DataListRefresh(gridRow);
    TDataShareOps(model_).StoreAfterChange(gridRow);
    releaseSource();
    return 1;
}

bool TDataCopyPaste::pasteFiles(const std::string& target, std::uint8_t targetKind)
{
    CloseCompanyOn(target);
    if (targetKind == 10) {
        // A distributed child takes the database only; its own settings stay.
        const std::string from = paths::join(sourceFolder_, DataFile);
        const std::string to = paths::join(target, DataFile);
        const std::string part = to + ".copying";
        std::error_code ec;
        fs::remove(part, ec);
        fs::copy_file(from, part, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            fs::remove(part, ec);
            return false;
        }
        fs::rename(part, to, ec);
        if (ec) {
            fs::remove(part, ec);
            return false;
        }
        return true;
    }
    return ReplaceFolderStaged(sourceFolder_, target, CopyFolder);
}

bool TDataCopyPaste::pasteOnServer(std::int32_t gridRow, const std::string& target)
{
    if (DM == nullptr)
        return false;
    SetRowDataLock(model_, gridRow, true);
    ReportProgress("データをコピー中…");
    if (!SysDef.ServerTempPath.empty())
        DM->MkDir(SysDef.ServerTempPath, ConnectMode);
    std::error_code ec;
    fs::remove(paths::join(SysDef.WorkDir, "tnacc.fbk"), ec);
    // The copy is restored into a side folder on the server and moved over
    // the target only when whole: a restore that fails half-way must not
    // take the target's database with it.
    const std::string side = paths::excludeDelimiter(target) + ".copying";
    auto removeSide = [&] {
        if (DM->DExist(side, ConnectMode))
            DM->RmDir(side, ConnectMode);
    };
    removeSide();
    bool copied = false;
    if ((DM->DExist(target, ConnectMode) || DM->MkDir(target, ConnectMode)) && DM->MkDir(side, ConnectMode)) {
        TBackupRestoreThread worker(true);
        worker.Mode = 2;
        worker.ScreenName = "データ選択";
        worker.HostName = SysDef.HostName;
        worker.DataPath = paths::join(sourceFolder_, DataFile);
        worker.DestPath = paths::join(side, DataFile);
        worker.BackupFile = paths::join(SysDef.ServerTempPath, "tnacc." + std::to_string(SysDef.OpCode));
        if (PrepareWorker)
            PrepareWorker(worker);
        worker.Resume();
        while (!worker.IsTerminated())
            WaitMilliSec(500);
        if (worker.Success) {
            CloseCompanyOn(target);
            // A database someone has open is not written over under them.
            if (DM->AccDatInConnection(1, SysDef.HostName, target, 0))
                ShowLines(msgkind::Warning, {"このデータは他のオペレータが使用中のため貼り付けは行えません。"});
            else
                copied = DM->FMove(worker.DestPath, paths::join(target, DataFile), ConnectMode);
        }
    }
    removeSide();
    SetRowDataLock(model_, gridRow, false);
    return copied;
}

void TDataCopyPaste::deleteChildRows(std::int32_t top)
{
    TDataSentakuRec& parent = model_.Rows.at(static_cast<std::size_t>(top));
    if (!parent.Children.empty())
        model_.Registry().DeleteDataListChildRecord(parent.Data, true);
    parent.Children.clear();
    parent.ChildCount = 0;
}

void TDataCopyPaste::copyChildRows(std::int32_t targetTop)
{
    TDataSentakuRec& dest = model_.Rows.at(static_cast<std::size_t>(targetTop));
    if (!IsConsolidatedKind(dest.Data.GASSAN)) {
        dest.Children.clear();
        dest.ChildCount = 0;
        return;
    }
    if (sourceTop_ < 0 || !IsConsolidatedKind(sourceRec_.GASSAN))
        return;
    const TDataSentakuRec& src = model_.Rows.at(static_cast<std::size_t>(sourceTop_));
    const std::string from = paths::excludeDelimiter(src.Data.PASNAME);
    const std::string to = paths::excludeDelimiter(dest.Data.PASNAME);
    dest.Children.clear();
    for (TDataListRec child : src.Children) {
        child.REC = dest.Data.REC;
        if (child.PASNAME.compare(0, from.size(), from) == 0)
            child.PASNAME = to + child.PASNAME.substr(from.size());
        child.LocalPath.clear();
        model_.Registry().UpdateDataListChildRecord(child, 1, true);
        dest.Children.push_back(child);
    }
    dest.ChildCount = static_cast<std::int32_t>(dest.Children.size());
}

std::int32_t TDataCopyPaste::CheckGassanPattern(
    const std::string& operation, const TDataInfomationRec& source, const std::string& targetFolder)
{
    if (trimmedCopy(targetFolder).empty()) {
        ShowLines(msgkind::Warning, {operation + "先のデータパスが不正です。\r"});
        return 0;
    }
    // The folder is made where the data lives: on the data server in the
    // server kinds.
    const bool folderThere
        = ConnectMode == 0 ? fs::is_directory(targetFolder) : DM != nullptr && DM->DExist(targetFolder, ConnectMode);
    if (!folderThere) {
        const bool made
            = ConnectMode == 0 ? ForceDir(targetFolder) : DM != nullptr && DM->MkDir(targetFolder, ConnectMode);
        return made ? 1 : 0;
    }
    if (DM == nullptr || !DM->FExist(paths::join(targetFolder, DataFile), ConnectMode))
        return 1;
    TDataInfomation info;
    info.Mode = ConnectMode;
    TDataInfomationRec target;
    if (ConnectMode == 0) {
        try {
            info.UpdateIniFile(targetFolder, "DATAINFO");
        } catch (const std::exception& e) {
            ErrorMessageEx("データ情報の更新に失敗しました。", std::string(kContext) + "\r" + e.what());
        }
    }
    info.ReadDataIni(targetFolder, target);
    const int s = source.GASSANKBN;
    const int t = target.GASSANKBN;
    const bool forbidden = ((s == 0 || s == 10) && (t == 1 || t == 2)) || (s == 1 && t == 2) || (s == 2 && t == 1);
    if (forbidden) {
        TMessage2InfoRec m;
        InitMessage2Info(msgkind::Warning, m);
        m.caption = "警告";
        m.buttons = msgbtn::OK;
        const std::string lines[]
            = {operation + "先の合算データ区分が妥当ではありません。\rデータリストの空行を選んで処理を行って下さい。",
                "以下のパターンの復元（貼付）は禁止されています。",
                " ①通常データ       を 合算データ（合算本支店データ） へ",
                " ②分散データ       を 合算データ（合算本支店データ） へ", " ③合算データ       を 合算本支店データ へ",
                " ④合算本支店データ を 合算データ へ"};
        for (std::size_t i = 0; i < std::size(lines); ++i)
            m.lines[i].text = lines[i];
        ShowMessage2(m);
        return 0;
    }
    const std::int32_t result = CompareDataInfo(operation, source, target);
    if (operation == "復元" && result == 1) {
        RememberedShougou = source.SHOUGOU;
        RememberedKishu = source.KISHU;
        RememberedKimatu = source.KIMATU;
        RememberedVersion = source.VERSION2;
        RememberedGassan = source.GASSANKBN;
    }
    return result;
}

std::int32_t TDataCopyPaste::CompareDataInfo(
    const std::string& operation, const TDataInfomationRec& source, const TDataInfomationRec& target)
{
    auto invalid = [](const TDataInfomationRec& r) { return r.SHOUGOU.empty() && r.KISHU.empty() && r.KIMATU.empty(); };
    if (invalid(source)) {
        ShowLines(msgkind::Warning, {operation + "処理元のデータ情報が不正です。\r"});
        return 0;
    }
    if (invalid(target)) {
        ShowLines(msgkind::Warning, {operation + "処理先のデータ情報が不正です。\r"});
        return 0;
    }
    std::vector<std::string> lines;
    auto pair = [&](const std::string& title, const std::string& a, const std::string& b) {
        lines.push_back(title);
        lines.push_back("　【" + operation + "元】：" + a);
        lines.push_back("　【" + operation + "先】：" + b);
    };
    if (source.SHOUGOU != target.SHOUGOU) {
        pair("会社名に違いがありました。", source.SHOUGOU, target.SHOUGOU);
        if (ConnectMode == 0 && operation == "復元" && IsConsolidatedKind(target.GASSANKBN)) {
            lines.push_back("　注）" + operation + "を続行した場合は配下の分散データは削除されます。");
            lines.push_back("");
        }
    }
    if (source.KISHU != target.KISHU)
        pair("期首に違いがありました。", source.KISHU, target.KISHU);
    if (source.KIMATU != target.KIMATU)
        pair("期末に違いがありました。", source.KIMATU, target.KIMATU);
    if (source.TOTALSIWAKE < target.TOTALSIWAKE)
        pair("仕訳件数(修正・削除仕訳含む)が減っています。", IntToCommaStr(source.TOTALSIWAKE) + " 件",
            IntToCommaStr(target.TOTALSIWAKE) + " 件");
    if (lines.empty())
        return 1;
    TMessage2InfoRec m;
    InitMessage2Info(msgkind::Warning, m);
    m.caption = "データ照合チェックの結果";
    m.buttons = msgbtn::OK | msgbtn::Cancel;
    m.lines[0].text = "以下の項目に違いが検出されました。";
    // The box holds ten lines: the last one carries what does not fit.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t at = std::min<std::size_t>(i + 1, m.lines.size() - 1);
        if (!m.lines[at].text.empty())
            m.lines[at].text += "\r";
        m.lines[at].text += lines[i];
    }
    m.agreeMode = 1;
    m.agreeCaption = "データ" + operation + "処理の続行に同意します。";
    return ShowMessage2(m) == modal::Ok && m.agreeChecked ? 1 : 0;
}

void TDataCopyPaste::WriteGassanSetting(
    const std::string& targetFolder, std::uint8_t targetKind, std::int32_t sourceKind)
{
    TGassanDataCtl ctl;
    ctl.SetDataFolder(targetFolder);
    if (ConnectMode != 0) {
        ctl.SetGassanSetting(0, 0);
        return;
    }
    if (sourceKind == 1 || sourceKind == 2) {
        if (IsConsolidatedKind(targetKind)) {
            const std::int32_t row = model_.FindRowOfFolder(targetFolder);
            const std::int32_t count = row >= 0
                ? model_.Rows.at(static_cast<std::size_t>(model_.Grid[static_cast<std::size_t>(row)].Top)).ChildCount
                : 0;
            ctl.SetGassanSetting(targetKind, count);
        } else if (targetKind == 10) {
            ctl.SetGassanSetting(10, 0);
        }
    } else if (sourceKind == 10) {
        if (targetKind == 0 || IsConsolidatedKind(targetKind))
            ctl.SetGassanSetting(0, 0);
    } else if (sourceKind < 0 && targetKind == 10) {
        ctl.SetGassanSetting(10, 0);
    }
}
