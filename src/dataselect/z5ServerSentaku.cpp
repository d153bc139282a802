#include "dataselect/z5ServerSentaku.h"

#include "core/AppInfo.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/MessageService.h"
#include "core/PlatformUtil.h"
#include "core/TextRoutines.h"
#include "core/uAccRecord.h"
#include "dataselect/z5CloudShareComm.h"
#include "dataselect/z5ComCloudShare.h"
#include "dataselect/z5DataSentakuRules.h"
#include "platform/codec.h"
#include "platform/paths.h"
#include "platform/plain_text.h"
#include "platform/share_roots.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;
namespace paths = platform::paths;

namespace {

constexpr const char* kDbFile = "tnacc.fdb";

bool hasDatabase(const std::string& folder)
{
    std::error_code ec;
    return fs::is_regular_file(paths::join(folder, kDbFile), ec);
}

bool isAreaName(const std::string& name)
{
    return name.empty() || name == kFreeAreaName || name == kNewAreaName;
}

void showLines(std::uint8_t kind, std::uint16_t buttons, const std::string& text)
{
    TMessage2InfoRec rec;
    InitMessage2Info(kind, rec);
    rec.buttons = buttons;
    const auto lines = platform::text::splitLines(text, platform::text::LastLine::Keep);
    for (std::size_t i = 0; i < lines.size() && i < rec.lines.size(); ++i)
        rec.lines[i].text = lines[i];
    ShowMessage2(rec);
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

constexpr std::uint32_t kRed = 0x0000FF;

} // namespace

TServerSentakuCtl::TServerSentakuCtl()
{
    List.ConnectKind = 0;
    List.ServerListMode = 1;
    kensaku_.ListType = 1;
    CopyFolder
        = [](const std::string& from, const std::string& to) { return ShellCopyMove(paths::join(from, "*"), to, 2); };
}

std::vector<TShareDrive> TServerSentakuCtl::ScanDrives(const std::string& shareDir)
{
    std::vector<TShareDrive> drives;
    for (const auto& root : platform::share_roots::load()) {
        const std::string folder = paths::join(root.folder, shareDir);
        std::error_code ec;
        if (!root.remote || !fs::is_directory(folder, ec))
            continue;
        drives.push_back({root.letter, std::string(1, root.letter) + ": (" + root.folder + ")", folder});
    }
    return drives;
}

int TServerSentakuCtl::SelectDrive(const std::vector<TShareDrive>& drives, char letter)
{
    if (drives.empty()) {
        Letter = 0;
        ServerFolder.clear();
        return -1;
    }
    int index = 0;
    for (std::size_t i = 0; i < drives.size(); ++i)
        if (drives[i].Letter == std::toupper(static_cast<unsigned char>(letter)))
            index = static_cast<int>(i);
    Letter = drives[static_cast<std::size_t>(index)].Letter;
    ServerFolder = drives[static_cast<std::size_t>(index)].DataFolder;
    return index;
}

void TServerSentakuCtl::LoadList(bool rescan)
{
    Rows.clear();
    Lines.clear();
    if (ServerFolder.empty())
        return;
    List.ServerExecute(rescan ? 1 : 0, ServerFolder, SortKindOfColumn(SortCol), Descending, "");
    Rows = List.Rows;
    if (rescan) {
        auto refill = [this](TDataListRec& row) {
            if (CheckDataStatus(row.PASNAME, false, false) == 10)
                row.DATA_STATUS = 1;
            SetRowFromInfo(row, false);
            SaveRow(row);
        };
        for (auto& top : Rows) {
            refill(top.Data);
            for (std::size_t i = 0; i < top.Children.size(); ++i) {
                auto& child = top.Children[i];
                refill(child);
                child.REC = top.Data.REC;
                child.ROWNO = static_cast<std::int32_t>(i + 1);
                child.GASSAN = 10;
                SaveRow(child);
            }
        }
    }
    FilterRows();
}

void TServerSentakuCtl::FilterRows()
{
    Lines.clear();
    for (std::size_t t = 0; t < Rows.size(); ++t) {
        auto& top = Rows[t];
        if (FilterActive && !RowPassesFilter(Filter, top.Data))
            continue;
        Lines.push_back({static_cast<std::int32_t>(t), -1});
        if (top.Data.GASSAN == 1 || top.Data.GASSAN == 2) {
            TDataSentakuListCtl::NumberChildNames(top);
            for (std::size_t c = 0; c < top.Children.size(); ++c)
                Lines.push_back({static_cast<std::int32_t>(t), static_cast<std::int32_t>(c)});
        }
    }
}

void TServerSentakuCtl::RefreshList()
{
    LoadList(true);
    LoadList(false);
}

TDataListRec* TServerSentakuCtl::LineRecord(int line)
{
    if (line < 0 || line >= static_cast<int>(Lines.size()))
        return nullptr;
    const auto& l = Lines[static_cast<std::size_t>(line)];
    auto& top = Rows.at(static_cast<std::size_t>(l.Top));
    return l.Child < 0 ? &top.Data : &top.Children.at(static_cast<std::size_t>(l.Child));
}

int TServerSentakuCtl::CheckDataStatus(const std::string& folder, bool warn, bool show)
{
    if (!hasDatabase(folder)) {
        TDataInfomation::ClearDataInfoRec(info_.Rec);
        if (!warn)
            return 1;
        showLines(msgkind::Warning, msgbtn::Yes, "このフォルダには財務データがありません。\r");
        return 0;
    }
    std::error_code ec;
    if (!fs::exists(TDataInfomation::IniPath(folder), ec))
        info_.UpdateIniFile(folder, "");
    info_.ReadDataIni(folder, info_.Rec);
    const int status = info_.Rec.STATUS;
    if (show && status != 1 && status != 10) {
        TMessage2InfoRec rec;
        InitMessage2Info(msgkind::Warning, rec);
        rec.caption = "選択データの状態";
        rec.lines[0]
            = {"このデータは" + TDataSentakuListCtl::GetDataStatusName(status) + "のため処理が行えません。", kRed, {}};
        rec.lines[1].text = "【データフォルダ】";
        rec.lines[2].text = "　" + folder;
        rec.lines[4].text = "【オペレータ】";
        rec.lines[5].text = "　" + std::to_string(LoginCodeOf(info_.Rec.OPCODE, SysDef.GroupID));
        rec.lines[7].text = "【オペレータ名】";
        rec.lines[8].text = "　" + info_.Rec.OPERATOR;
        ShowMessage2(rec);
    }
    return status;
}

void TServerSentakuCtl::SetRowFromInfo(TDataListRec& row, bool empty)
{
    if (empty) {
        row = TDataListRec {};
        row.GROUPID = SysDef.GroupID;
        row.ENTTEXT = kFreeAreaName;
        row.KikanText = "～";
        row.NETDRIVE = 1;
        row.DispName = row.ENTTEXT;
        return;
    }
    const auto rec = row.REC;
    const auto rowNo = row.ROWNO;
    const auto netDrive = row.NETDRIVE;
    const std::string folder = row.PASNAME;
    const auto damaged = row.DATA_STATUS;
    List.SetDataListRecordFromInfo(info_.Rec, row);
    if (isAreaName(info_.Rec.DATALISTNAME)) {
        row.ENTTEXT = kFreeAreaName;
        row.SHOUGOU.clear();
    }
    row.DATALOCK = (info_.Rec.STATUS == 3 && info_.Rec.OPCODE != 0) ? 1 : 0;
    row.GASSAN = info_.Rec.GASSANKBN;
    row.DispName = row.ENTTEXT;
    row.REC = rec;
    row.ROWNO = rowNo;
    row.NETDRIVE = netDrive;
    row.PASNAME = folder;
    row.DATA_STATUS = damaged;
    row.LocalPath.clear();
}

void TServerSentakuCtl::SaveRow(TDataListRec& row)
{
    if (hasDatabase(row.PASNAME)) {
        List.UpdateServerDataListRecord(row, 1, true);
        return;
    }
    if (row.ENTTEXT.empty())
        return;
    TDataListRec free = row;
    SetRowFromInfo(free, true);
    free.REC = row.REC;
    free.ROWNO = row.ROWNO;
    free.ENTTEXT = row.ENTTEXT;
    free.DispName = row.ENTTEXT;
    free.PASNAME = row.PASNAME;
    free.GASSAN = row.GASSAN == 10 ? 10 : 0;
    row = free;
    List.UpdateServerDataListRecord(row, 1, true);
}

void TServerSentakuCtl::WriteStatus(const std::string& folder, std::uint8_t status)
{
    info_.WriteStatus(folder, status);
}

int TServerSentakuCtl::GetShareStatus(const std::string& folder)
{
    TDataInfomationRec rec;
    info_.ReadDataIni(folder, rec);
    return rec.SHARE_STATUS;
}

bool TServerSentakuCtl::SetShareStatus(const std::string& folder, std::uint8_t status)
{
    TDataInfomationRec rec;
    info_.ReadDataIni(folder, rec);
    if ((status != 1 && status != 2) || rec.SHARE_STATUS == status)
        return false;
    info_.WriteShareStatus(folder, status);
    return true;
}

bool TServerSentakuCtl::UpdateServerRow(TDataListRec row)
{
    if (row.GASSAN == 10)
        return List.UpdateServerDataListChildRecord(row, 1, true);
    if (!List.UpdateServerDataListRecord(row, 1, true))
        return false;
    info_.WriteIniValue(row.PASNAME, "DATAINFO", true, row.ENTTEXT, "DATALISTNAME");
    info_.WriteIniValue(row.PASNAME, "DATASTS", true, std::to_string(row.UPDATE_LOCK), "UPDATE_LOCK");
    info_.WriteIniValue(row.PASNAME, "DATASTS", true, std::to_string(row.READ_ONLY), "READ_ONLY");
    return true;
}

std::string TServerSentakuCtl::CopyName(const std::string& name)
{
    return TrimZenkaku(platform::codec::cutToWidth(name + "～コピー", 40));
}

std::vector<std::string> TServerSentakuCtl::CompareLines(
    const std::string& word, const TDataInfomationRec& source, const TDataInfomationRec& target)
{
    std::vector<std::string> lines;
    auto pair = [&](const char* head, const std::string& from, const std::string& to) {
        lines.push_back(head);
        lines.push_back("　【" + word + "元】：" + from);
        lines.push_back("　【" + word + "先】：" + to);
        lines.emplace_back();
    };
    if (source.SHOUGOU != target.SHOUGOU)
        pair("会社名に違いがありました。", source.SHOUGOU, target.SHOUGOU);
    if (source.KISHU != target.KISHU)
        pair("期首に違いがありました。", source.KISHU, target.KISHU);
    if (source.KIMATU != target.KIMATU)
        pair("期末に違いがありました。", source.KIMATU, target.KIMATU);
    if (source.TOTALSIWAKE < target.TOTALSIWAKE)
        pair("仕訳件数(修正・削除仕訳含む)が減っています。", IntToCommaStr(source.TOTALSIWAKE) + " 件",
            IntToCommaStr(target.TOTALSIWAKE) + " 件");
    return lines;
}

bool TServerSentakuCtl::CompareData(const std::string& word, const std::string& source, const std::string& target)
{
    if (source.empty() || target.empty()) {
        showLines(msgkind::Warning, msgbtn::Yes,
            word + (source.empty() ? "処理元" : "処理先") + "のデータパスが不正です。\r");
        return false;
    }
    if (!fs::exists(target))
        return ForceDir(target);
    if (!hasDatabase(target))
        return true;
    TDataInfomationRec from, to;
    info_.ReadDataIni(source, from);
    info_.ReadDataIni(target, to);
    const auto lines = CompareLines(word, from, to);
    if (lines.empty())
        return true;
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Information, rec);
    rec.caption = "データ照合チェックの結果";
    rec.buttons = msgbtn::OK | msgbtn::Cancel;
    rec.lines[0] = {"以下の項目に違いが検出されました。", kRed, {}};
    for (std::size_t i = 0; i < lines.size() && i + 1 < rec.lines.size(); ++i)
        rec.lines[i + 1].text = lines[i];
    rec.agreeMode = 1;
    rec.agreeCaption = "データ" + word + "処理の続行に同意します。";
    return ShowMessage2(rec) == modal::Ok;
}

bool TServerSentakuCtl::CloudEnabled() const
{
    return core::IsCloudShareEnabled(0);
}

bool TServerSentakuCtl::BeginCopy(int line)
{
    CopyPending = false;
    CopyCloudFolder.clear();
    TDataListRec* row = LineRecord(line);
    if (row == nullptr || row->GASSAN == 10)
        return false;
    if (CloudEnabled() && row->CLOUD == 1) {
        // The server holds only a stale copy of a cloud data set: the newest
        // one is received into the row's local work folder and pasted from
        // there.
        List.SharePathToLocalPath(row->PASNAME, 0, row->LocalPath);
        std::int32_t result = 1;
        if (!row->LocalPath.empty()) {
            result = CloudShareReceiveCopy(row->LocalPath);
            if (result == 0)
                result = CloudShareUnlock(row->LocalPath);
        }
        if (result >= 1 && result <= 9)
            return false;
        CopyCloudFolder = ExcludeDelimiter(row->LocalPath);
    }
    const std::string source = ExcludeDelimiter(row->PASNAME);
    if (CheckDataStatus(source, true, true) != 1)
        return false;
    CopySource = source;
    CopyRow = *row;
    CopyRow.ENTTEXT = CopyName(row->ENTTEXT);
    CopyTop = Lines[static_cast<std::size_t>(line)].Top;
    WriteStatus(source, 6);
    CopyPending = true;
    return true;
}

void TServerSentakuCtl::CancelCopy()
{
    if (CopyPending && !CopySource.empty())
        WriteStatus(CopySource, 1);
    CopyPending = false;
    CopySource.clear();
    CopyCloudFolder.clear();
}

bool TServerSentakuCtl::lockForChange(platform::ExclusiveFile& lock, const std::string& area)
{
    // Taken or being taken on some computer: its holder's work would be
    // overwritten, or its copy made from half-replaced files.
    if (LockSharedArea(lock, area) == platform::ExclusiveFile::Result::Busy || GetShareStatus(area) == 2) {
        ShowSharedAreaInUse(area);
        return false;
    }
    return true;
}

bool TServerSentakuCtl::pasteFiles(
    const std::string& source, const std::string& target, const std::function<void()>& beforeSwap)
{
    // The whole set is copied beside the destination first and moved in only
    // when every file arrived: a failed copy must not leave the destination
    // with some of the source's files and its own data ini.
    // Hidden, so no area scan (here or on another computer) lists it.
    const std::string side = paths::join(
        paths::folderOf(ExcludeDelimiter(target)), "." + paths::fileNameOf(ExcludeDelimiter(target)) + ".~paste");
    std::error_code ec;
    fs::remove_all(side, ec);
    bool ok = CopyFolder(source, side);
    // A lock file that came along is the source's holder's, not the
    // destination's.
    fs::remove(paths::join(side, kSharedAreaLockName), ec);
    if (ok) {
        beforeSwap();
        std::vector<fs::path> entries;
        for (const auto& entry : fs::directory_iterator(side, ec))
            entries.push_back(entry.path());
        ok = !ec;
        for (const auto& from : entries) {
            const fs::path to = fs::path(target) / from.filename();
            std::error_code e2;
            if (fs::is_directory(to, e2))
                fs::remove_all(to, e2);
            fs::rename(from, to, e2);
            if (e2) {
                ok = false;
                break;
            }
        }
    }
    fs::remove_all(side, ec);
    return ok;
}

bool TServerSentakuCtl::Paste(int line)
{
    TDataListRec* row = LineRecord(line);
    const std::string source = CopySource;
    if (row == nullptr || source.empty() || ExcludeDelimiter(row->PASNAME) == source) {
        CancelCopy();
        return false;
    }
    CopyPending = false;
    bool pasted = false;
    try {
        pasted = pasteInto(line, *row, source);
    } catch (...) {
        WriteStatus(source, 1);
        CopySource.clear();
        CopyCloudFolder.clear();
        throw;
    }
    WriteStatus(source, 1);
    CopySource.clear();
    CopyCloudFolder.clear();
    if (pasted)
        FilterRows();
    return pasted;
}

bool TServerSentakuCtl::pasteInto(int line, TDataListRec& row, const std::string& serverSource)
{
    const std::string target = ExcludeDelimiter(row.PASNAME);
    if (CloudEnabled() && row.CLOUD == 1) {
        showLines(msgkind::Information, msgbtn::OK, "クラウドシェアデータのため貼り付け処理は行えません。");
        return false;
    }
    std::string source = serverSource;
    const int status = CheckDataStatus(target, false, true);
    if (status != 1 && status != 10)
        return false;
    if (OnPasteStart)
        OnPasteStart();
    bool agreed;
    if (status == 10) {
        TMessage2InfoRec rec;
        InitMessage2Info(msgkind::Confirmation, rec);
        rec.buttons = msgbtn::Yes | msgbtn::No;
        rec.lines[0].text = "このデータは破損データのため、データ間の照合チェックは行わずにコピーを行います。";
        rec.lines[1].text = "よろしいですか？";
        agreed = ShowMessage2(rec) == modal::Yes;
    } else {
        agreed = CompareData("貼り付け", source, target);
    }
    if (!agreed)
        return false;
    platform::ExclusiveFile areaLock;
    if (!lockForChange(areaLock, target))
        return false;
    const bool hadData = hasDatabase(target);
    const auto before = static_cast<std::uint8_t>(hadData ? info_.Rec.STATUS : 1);
    const auto& l = Lines[static_cast<std::size_t>(line)];
    TDataSentakuRec& top = Rows.at(static_cast<std::size_t>(l.Top));
    if (hadData)
        WriteStatus(target, 7);
    if (CloudEnabled() && CopyRow.CLOUD == 1) {
        // The data pasted are the copy received from the cloud, without the
        // cloud-share setting of the area it came from.
        WriteStatus(serverSource, 1);
        source = CopyCloudFolder;
        TCloudShareIO().ClearSetting(SysDef.HostName, source);
        if (core::DM != nullptr) {
            if (core::DM->IBDatabaseDAT.connected())
                core::DM->fnAccDatDisConnected();
            if (core::DM->fnAccDatConnected(SysDef.HostName, source, core::TInUseMark::None))
                core::DM->fnAccDatDisConnected(source);
        }
    }
    bool copied = false;
    if (row.GASSAN == 10) {
        copied = FileCopy(paths::join(source, kDbFile), paths::join(target, kDbFile));
    } else if (lower(target + "/").rfind(lower(source + "/"), 0) == 0) {
        showLines(msgkind::Error, msgbtn::Yes, "貼付先にコピー元のパスが含まれています。処理を中断します。");
    } else {
        // A consolidated destination loses its children only once the
        // source's files have all arrived beside it.
        copied = pasteFiles(source, target, [&] {
            if (row.GASSAN == 1 || row.GASSAN == 2)
                ClearChildren(top, true, -1);
        });
        if (!copied)
            showLines(
                msgkind::Error, msgbtn::Yes, "データの貼り付けに失敗しました。\r貼付先のデータは変更されていません。");
    }
    if (!copied) {
        if (hadData)
            WriteStatus(target, before);
        return false;
    }
    WriteStatus(target, 1);
    TDataInfomationRec dest;
    info_.ReadDataIni(target, dest);
    TDataInfomationRec from;
    info_.ReadDataIni(source, from);
    dest.SHOUGOU = from.SHOUGOU;
    dest.CODE = from.CODE;
    dest.DATALISTNAME = CopyRow.ENTTEXT;
    dest.UPDATE_LOCK = from.UPDATE_LOCK;
    dest.GASSANKBN = from.GASSANKBN;
    dest.READ_ONLY = from.READ_ONLY;
    info_.WriteIniFile(target, "DATAINFO", dest);
    info_.WriteShareStatus(target, 1);
    info_.ReadDataIni(target, info_.Rec);
    SetRowFromInfo(row, false);
    row.DATA_STATUS = 0;
    SaveRow(row);
    if (l.Child < 0)
        CopyChildren(top);
    return true;
}

std::string TServerSentakuCtl::AddArea(const std::string& typedName)
{
    std::int32_t areas = 0;
    for (const auto& r : Rows)
        areas += r.Data.GASSAN == 10 ? 0 : 1;
    if (areas >= kMaxServerAreas) {
        showLines(msgkind::Warning, msgbtn::Yes,
            "これ以上の領域追加は行えません。(最大" + std::to_string(kMaxServerAreas) + "件)");
        return {};
    }
    const std::string name = TrimZenkaku(lower(typedName));
    if (name.empty())
        return {};
    const std::string path = paths::join(ServerFolder, name);
    std::error_code ec;
    if (fs::exists(path, ec)) {
        showLines(msgkind::Warning, msgbtn::Yes, "\"" + path + "\"は既に作成されています。");
        return {};
    }
    if (name.find('/') != std::string::npos || name == "." || name == ".." || !ForceDir(path)) {
        showLines(msgkind::Warning, msgbtn::Yes, "\"" + path + "\"の作成に失敗しました。");
        return {};
    }
    TDataListRec row;
    SetRowFromInfo(row, true);
    row.ENTTEXT = kNewAreaName;
    row.DispName = kNewAreaName;
    row.PASNAME = path;
    SaveRow(row);
    LoadList(false);
    return path;
}

bool TServerSentakuCtl::DeleteArea(int line, bool reportFailure)
{
    TDataListRec* row = LineRecord(line);
    if (row == nullptr || row->GASSAN == 10)
        return false;
    if (CloudEnabled() && row->CLOUD == 1) {
        showLines(msgkind::Information, msgbtn::OK, "クラウドシェアデータのため削除処理は行えません。");
        return false;
    }
    const std::string folder = row->PASNAME;
    const int status = CheckDataStatus(folder, false, true);
    if (status != 1 && status != 10)
        return false;
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Warning, rec);
    rec.caption = "データの削除";
    rec.buttons = msgbtn::OK | msgbtn::Cancel;
    rec.lines[0] = {"選択中のデータを削除します。", kRed, {}};
    rec.lines[1].text = "【データ名】";
    rec.lines[2].text = "　" + row->DispName;
    rec.lines[4].text = "【会計期間】";
    rec.lines[5].text = "　" + row->KikanText;
    rec.lines[7].text = "【データフォルダ】";
    rec.lines[8].text = "　" + folder;
    rec.agreeMode = 1;
    rec.agreeCaption = "データの削除に同意します";
    if (ShowMessage2(rec) != modal::Ok)
        return false;
    bool deleted = false;
    {
        platform::ExclusiveFile areaLock;
        if (!lockForChange(areaLock, folder))
            return false;
        deleted = ShellDeleteRename(folder, 3, false, true);
    }
    RefreshList();
    if (!deleted && reportFailure)
        showLines(msgkind::Error, msgbtn::Yes, "データの削除に失敗しました。\r削除処理を中止しました。");
    return deleted;
}

void TServerSentakuCtl::ClearChildren(TDataSentakuRec& top, bool all, std::int32_t child)
{
    if (!all) {
        TDataSentakuListCtl::RemoveChild(top, child);
        return;
    }
    if (top.Data.GASSAN == 1 || top.Data.GASSAN == 2) {
        for (const auto& c : top.Children)
            List.DeleteServerDataListChildRecord(c, true);
        std::vector<std::string> folders;
        List.GetPasNameSubFolders(top.Data, folders);
        for (const auto& f : folders) {
            std::error_code ec;
            fs::remove_all(fs::path(f).is_absolute() ? f : paths::join(top.Data.PASNAME, f), ec);
        }
    }
    top.Children.clear();
    top.ChildCount = 0;
}

void TServerSentakuCtl::CopyChildren(TDataSentakuRec& target)
{
    const bool consolidated = CopyTop >= 0 && CopyTop < static_cast<std::int32_t>(Rows.size())
        && (CopyRow.GASSAN == 1 || CopyRow.GASSAN == 2);
    target.Children.clear();
    if (consolidated) {
        for (auto child : Rows[static_cast<std::size_t>(CopyTop)].Children) {
            child.REC = target.Data.REC;
            if (child.PASNAME.rfind(CopySource, 0) == 0)
                child.PASNAME = ExcludeDelimiter(target.Data.PASNAME) + child.PASNAME.substr(CopySource.size());
            List.UpdateServerDataListChildRecord(child, 1, true);
            target.Children.push_back(child);
        }
    }
    target.ChildCount = static_cast<std::int32_t>(target.Children.size());
}
