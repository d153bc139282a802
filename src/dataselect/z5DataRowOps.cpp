#include "dataselect/z5DataRowOps.h"

#include "core/DataInfomation.h"
#include "core/DataModule.h"
#include "core/IBErrorProc.h"
#include "core/InputDlgService.h"
#include "core/MessageService.h"
#include "core/PlatformUtil.h"
#include "core/ProgressService.h"
#include "dataselect/z5DataCopyPaste.h"
#include "dataselect/z5DataShareOps.h"
#include "dataselect/z5GassanSyori.h"
#include "platform/codec.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

using namespace core;
namespace fs = std::filesystem;
namespace paths = platform::paths;

namespace {

constexpr const char* kDeleteContext = "TDataSentakuBox.DeleteData";
constexpr const char* kNewContext = "TDataSentakuBox.NewData";

bool hasDamagedChild(const TDataSentakuRec& row)
{
    for (const auto& c : row.Children)
        if (c.DATA_STATUS == 1)
            return true;
    return false;
}

} // namespace

TDataRowOps::TDataRowOps(TDataSentakuModel& model)
    : model_(model)
{
    AskAreaName = [](const std::string& initial) {
        TInputDlgRequest r;
        r.caption = "データの領域追加";
        r.prompt = "新しく作成するフォルダ名を入力して下さい。";
        r.text = initial;
        r.help = "新しく作成するフォルダ名を入力します。";
        r.maxLength = 8;
        r.keyFilter = inputfilter::PathName;
        return ShowInputDlg(r) == 1 ? r.text : std::string();
    };
}

std::int32_t TDataRowOps::NewData(std::int32_t gridRow, std::int64_t windowHandle)
{
    CurrentAfter = gridRow;
    if (gridRow < 0 || static_cast<std::size_t>(gridRow) >= model_.Grid.size())
        return 0;
    const std::string folder = model_.GetRowDataPath(gridRow);
    TDataFolderCheck check = model_.FolderCheck();
    if (check.CheckFolderStatus(folder, false, false) != 1)
        return 0;
    const bool createdHere = DM == nullptr || !DM->DExist(folder, ConnectMode);
    if (createdHere && (DM == nullptr || !DM->MkDir(folder, ConnectMode))) {
        ErrorMessageEx("データフォルダを作成できませんでした。", std::string(kNewContext) + "\r" + folder);
        return 0;
    }
    WriteDataStatus(folder, 9, kNewContext);
    SetRowDataLock(model_, gridRow, true);
    const TDataListRec rec = model_.Record(gridRow);
    char params[1024];
    std::snprintf(params, sizeof params, "DataPath=%s\rDataListRec=%d\rPHandle=%lld", folder.c_str(), rec.REC,
        static_cast<long long>(windowHandle));
    std::int32_t result = -1;
    if (OnExecProc)
        result = OnExecProc("DaDuvovAva", 1, params);
    else
        ErrorMessageEx("新規作成の処理を起動できませんでした。", std::string(kNewContext) + "\rDaDuvovAva");
    if (result == 1) {
        const std::int32_t top = model_.Grid[static_cast<std::size_t>(gridRow)].Top;
        TDataSentakuRec& row = model_.Rows.at(static_cast<std::size_t>(top));
        model_.Registry().GetDataListRecord(0, row.Data, true);
        model_.Registry().GetDataListChildRecord(row, true);
        if (row.Data.NETDRIVE == 1) {
            for (auto& child : row.Children) {
                child.NETDRIVE = 1;
                const std::string name = paths::fileNameOf(paths::excludeDelimiter(child.PASNAME));
                child.PASNAME = paths::join(row.Data.PASNAME, name);
                model_.Registry().UpdateDataListChildRecord(child, 0, true);
            }
        }
        WriteDataStatus(folder, 1, kNewContext);
    } else {
        // Nothing was made: the folder must not stay marked as being
        // created, and a folder made here goes again.
        if (createdHere && DM != nullptr)
            DM->RmDir(folder, ConnectMode);
        else
            WriteDataStatus(folder, 1, kNewContext);
    }
    SetRowDataLock(model_, gridRow, false);
    model_.DataListRefresh(gridRow);
    if (result == 1)
        TDataShareOps(model_).StoreAfterChange(gridRow);
    return result;
}

bool TDataRowOps::AddDistributedData(std::int32_t gridRow)
{
    CurrentAfter = gridRow;
    if (gridRow < 0 || static_cast<std::size_t>(gridRow) >= model_.Grid.size())
        return false;
    const std::int32_t top = model_.Grid[static_cast<std::size_t>(gridRow)].Top;
    TDataSentakuRec& row = model_.Rows.at(static_cast<std::size_t>(top));
    if (!IsConsolidatedKind(row.Data.GASSAN))
        return false;
    if (row.ChildCount > 98 || row.Children.size() > 98) {
        ShowLines(msgkind::Information, {"これ以上の分散データの追加は行えません。(最大99件)\r"});
        return false;
    }
    if (ShowLines(
            msgkind::Confirmation, {"分散入力用のデータを追加します。\rよろしいですか？"}, msgbtn::Yes | msgbtn::No)
        != modal::Yes)
        return false;
    ReportProgress("分散データの作成中…");
    const std::string folder = model_.GetRowDataPath(gridRow);
    bool added = false;
    {
        TGassanDataCtl ctl;
        ctl.SetDataFolder(folder);
        ctl.SetRec(row.Data.REC);
        ctl.SetActive(true);
        const std::int32_t count = ctl.Data.Count;
        added = ctl.CreateDistributedData("");
        if (added)
            ctl.SetGassanSetting(row.Data.GASSAN, count + 1);
    }
    CloseCompanyOn(folder);
    model_.Registry().GetDataListChildRecord(row, true);
    row.ChildCount = static_cast<std::int32_t>(row.Children.size());
    model_.DataListRefresh(gridRow);
    return added;
}

bool TDataRowOps::AddArea(std::int32_t gridRow)
{
    CurrentAfter = gridRow;
    if (ConnectMode == 0)
        return false;
    constexpr int kMaxAreas = 2000;
    if (model_.Rows.size() >= static_cast<std::size_t>(kMaxAreas)) {
        char text[128];
        std::snprintf(text, sizeof text, "これ以上の領域追加は行えません。(最大%d件)", kMaxAreas);
        ShowLines(msgkind::Warning, {text});
        return false;
    }
    char initial[16];
    std::snprintf(initial, sizeof initial, "%.4d", model_.Registry().GetDataFolderName(1));
    std::string name = AskAreaName(initial);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    if (name.empty())
        return false;
    // The input box counts characters; a pasted name is checked whole.
    if (platform::codec::charCount(name) > 8 || !platform::codec::isRepresentable(name)
        || name.find_first_of("\\/:*?\"<>|") != std::string::npos) {
        ShowLines(msgkind::Warning, {"フォルダ名に使用できない文字が含まれています。"});
        return false;
    }
    const std::string root = model_.DataPlace == 0 ? SysDef.SysDir : SysDef.SysDir + [&] {
        char n[8];
        std::snprintf(n, sizeof n, "%.2d", model_.DataPlace);
        return std::string(n);
    }();
    const std::string folder = paths::join(root, name);
    if (model_.Registry().IsDataPathToroku(folder)) {
        ShowLines(msgkind::Warning, {"\"" + folder + "\"は既にデータリスト上に作成されています。\r"});
        return false;
    }
    if (DM != nullptr && DM->DExist(folder, ConnectMode)) {
        ShowLines(msgkind::Warning, {"\"" + folder + "\"に会計データが作成されています。\r"});
        return false;
    }
    TDataListRec rec;
    model_.Registry().InitDataListRecord(rec, folder);
    if (!model_.Registry().InsertDataListRecord(rec, true))
        return false;
    model_.LoadDataList();
    CurrentAfter = model_.FindRowOfFolder(folder);
    return true;
}

bool TDataRowOps::ReleaseShareAssignment(std::int32_t gridRow)
{
    CurrentAfter = gridRow;
    if (gridRow < 0 || static_cast<std::size_t>(gridRow) >= model_.Grid.size())
        return false;
    const std::int32_t top = model_.Grid[static_cast<std::size_t>(gridRow)].Top;
    TDataSentakuRec& row = model_.Rows.at(static_cast<std::size_t>(top));
    TDataListRec& rec = row.Data;
    if (rec.NETDRIVE != 1)
        return false;
    TMessage2InfoRec m;
    InitMessage2Info(msgkind::Confirmation, m);
    m.caption = "共有データの割当解除";
    m.buttons = msgbtn::OK | msgbtn::Cancel;
    const std::string lines[] = {"選択した共有データの割り当てを解除します。\rよろしいですか？", "", "【データ名】",
        "　" + rec.ENTTEXT, "", "【会計期間】", "　" + rec.KikanText, "", "【共有データフォルダ】", "　" + rec.PASNAME};
    for (std::size_t i = 0; i < std::size(lines) && i < m.lines.size(); ++i)
        m.lines[i].text = lines[i];
    if (ShowMessage2(m) != modal::Ok)
        return false;
    const bool taken = rec.KYOYULOCK == 1;
    if (taken && model_.Registry().KyoyuDataUnlock(row, 1) != 1) {
        // The work here could not be put back: it is lost only if the user
        // says so.
        if (ShowLines(msgkind::Warning,
                {"共有データへの保管が出来ませんでした。",
                    "割当を解除すると、このコンピュータで行った変更は破棄されます。", "よろしいですか？"},
                msgbtn::OK | msgbtn::Cancel)
            != modal::Ok)
            return false;
    }
    const std::string shared = rec.PASNAME;
    const std::string local = rec.LocalPath.empty() ? model_.Registry().MakeLocalPath(rec) : rec.LocalPath;
    rec.PASNAME = local;
    rec.NETDRIVE = 0;
    rec.KYOYULOCK = 0;
    bool removed = !fs::exists(local) || (DM != nullptr && DM->RmDir(local, 0));
    if (removed && taken) {
        TDataInfomation info;
        try {
            info.WriteShareStatus(shared, 1);
        } catch (const std::exception& e) {
            ErrorMessageEx("共有データの状態を更新できませんでした。",
                std::string("TDataSentakuBox.ReleaseShareAssignment\r") + shared + "\r" + e.what());
        }
    }
    model_.Registry().UpdateDataListRecord(rec, 1, true);
    model_.DataListRefresh(gridRow);
    return removed;
}

void TDataRowOps::DeleteChildRows(std::int32_t gridRow, bool all)
{
    const auto& g = model_.Grid.at(static_cast<std::size_t>(gridRow));
    TDataSentakuRec& row = model_.Rows.at(static_cast<std::size_t>(g.Top));
    if (!all) {
        if (g.Child >= 0)
            TDataSentakuListCtl::RemoveChild(row, g.Child);
        return;
    }
    if (!row.Children.empty())
        model_.Registry().DeleteDataListChildRecord(row.Data, true);
    row.Children.clear();
    row.ChildCount = 0;
    auto removeSubfolders = [&](const std::string& folder) {
        std::vector<std::string> subs;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(folder, ec))
            if (e.is_directory(ec))
                subs.push_back(e.path().string());
        for (const auto& s : subs)
            if (DM != nullptr)
                DM->RmDir(s, ConnectMode);
    };
    if (IsConsolidatedKind(row.Data.GASSAN) && ConnectMode == 0) {
        removeSubfolders(row.Data.PASNAME);
        if (row.Data.NETDRIVE == 1 && row.Data.KYOYULOCK == 1)
            removeSubfolders(model_.Registry().MakeLocalPath(row.Data));
    }
}

bool TDataRowOps::DeleteData(std::int32_t gridRow, bool report)
{
    CurrentAfter = gridRow;
    if (gridRow < 0 || static_cast<std::size_t>(gridRow) >= model_.Grid.size())
        return false;
    const auto g = model_.Grid[static_cast<std::size_t>(gridRow)];
    const bool isChild = g.Child >= 0;
    TDataSentakuRec& top = model_.Rows.at(static_cast<std::size_t>(g.Top));
    TDataListRec rec = model_.Record(gridRow);
    const std::string folder = model_.GetRowDataPath(gridRow);
    // Kept apart: reloading the list replaces the record top refers to.
    const std::string parentFolder = top.Data.PASNAME;
    const bool damaged = rec.DATA_STATUS == 1;
    if (damaged) {
        CloseCompanyOn(folder);
    } else {
        if (DM != nullptr && DM->CheckDataDamage(SysDef.HostName, folder, 0, 0) == 0) {
            model_.Record(gridRow).DATA_STATUS = 1;
            return false;
        }
        if (!isChild && IsConsolidatedKind(rec.GASSAN) && hasDamagedChild(top)) {
            ShowLines(msgkind::Information,
                {"合算・分散データに破損したデータが存在するため、データの削除を中止します。",
                    "データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。",
                    "ご不明な点がございましたら、お問い合わせ先をご確認の上ご連絡下さい。"});
            return false;
        }
        if (!isChild && rec.NETDRIVE == 1) {
            ShowLines(msgkind::Warning,
                {"共有データの削除は行えません。",
                    "[F4:割当解除]後に「共有データの選択」ウィンドウを表示して削除を行って下さい。"});
            return false;
        }
        if (model_.CloudShareEnabled && rec.CLOUD == 1) {
            ShowLines(msgkind::Warning, {"クラウドシェアデータのため削除処理は行えません。"});
            return false;
        }
        if (!SysDef.DataDir.empty()
            && platform::text::upperAscii(paths::excludeDelimiter(SysDef.DataDir))
                == platform::text::upperAscii(paths::excludeDelimiter(folder))) {
            ShowLines(msgkind::Warning,
                {model_.SyoriType == 2 ? "このデータは現在選択中のデータのため削除は行えません。"
                                       : "このデータは前回起動データのため削除は行えません。"});
            return false;
        }
        TDataFolderCheck check = model_.FolderCheck();
        const std::int32_t status = check.CheckFolderStatus(folder, true, true);
        if (status != 1) {
            if (ConnectMode != 0 && status == 2)
                ShowLines(msgkind::Warning, {"このデータは他のオペレータが使用中のため削除は行えません。"});
            return false;
        }
        TDataInfomation info;
        info.Mode = ConnectMode;
        if (!info.IsDataSiyouKengen(folder))
            return false;
    }
    TMessage2InfoRec m;
    InitMessage2Info(msgkind::Warning, m);
    m.caption = "データの削除";
    m.buttons = msgbtn::OK | msgbtn::Cancel;
    const std::string lines[] = {"選択したデータを削除します。", "", "【データ名】", "　" + rec.ENTTEXT, "",
        "【会計期間】", "　" + rec.KikanText, "", "【データフォルダ】", "　" + folder};
    for (std::size_t i = 0; i < std::size(lines) && i < m.lines.size(); ++i)
        m.lines[i].text = lines[i];
    m.agreeMode = 1;
    m.agreeCaption = "データの削除に同意します";
    if (ShowMessage2(m) != modal::Ok || !m.agreeChecked)
        return false;

    model_.Record(gridRow).DATA_STATUS = 0;
    bool removed = false;
    if (ConnectMode == 0) {
        CloseCompanyOn(folder);
        removed = DM != nullptr && DM->RmDir(folder, 0);
        if (removed && isChild) {
            TGassanDataCtl ctl;
            ctl.SetDataFolder(model_.Registry().MakeLocalPath(top.Data));
            ctl.SetRec(top.Data.REC);
            ctl.SetActive(true);
            const std::int32_t left = static_cast<std::int32_t>(top.Children.size()) - 1;
            ctl.SetGassanSetting(top.Data.GASSAN, left < 0 ? 0 : left);
        }
    } else {
        // A database the server would not drop is open somewhere or out of
        // reach: removing its folder under it would lose that work.
        bool dropped = damaged;
        if (!damaged && DM != nullptr) {
            CloseCompanyOn(folder);
            dropped = DM->AccDatDropDatabase(SysDef.HostName, folder);
        }
        removed = dropped && DM != nullptr && DM->RmDir(folder, ConnectMode);
    }
    if (!isChild && IsConsolidatedKind(rec.GASSAN))
        DeleteChildRows(gridRow, true);
    if (removed && isChild) {
        model_.Registry().DeleteDataListChildRecord(rec, true);
        DeleteChildRows(gridRow, false);
    }
    if (!removed) {
        if (report)
            ErrorMessageEx("データの削除に失敗しました。\r", std::string(kDeleteContext) + "\r" + folder);
        model_.DataListRefresh(gridRow);
        return false;
    }
    // The refresh finds the folder gone and empties the row in the list,
    // in every kind; the reload below only reads the list again. (A child
    // has left its record already.)
    if (!isChild)
        model_.DataListRefresh(gridRow);
    if (isChild || ConnectMode != 0) {
        model_.LoadDataList();
        CurrentAfter = model_.FindRowOfFolder(isChild ? parentFolder : folder);
    }
    return true;
}
