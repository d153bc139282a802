#include "dataselect/z5DataSentakuModel.h"
#include "core/DbOperation.h"

#include "core/DataInfomation.h"
#include "dataselect/z5ServerSentaku.h"
#include "core/DataModule.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "core/PlatformUtil.h"
#include "core/ProgressService.h"
#include "dbupdate/DbUpdateList.h"
#include "platform/firebird/firebird.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

#include <cstdio>
#include <filesystem>

using namespace core;
namespace fs = std::filesystem;
namespace paths = platform::paths;

namespace {

bool isAreaOrEmpty(const std::string& name)
{
    return name.empty() || name == kFreeAreaName || name == kNewAreaName;
}

void inform(std::initializer_list<std::string> lines)
{
    TMessage2InfoRec m;
    InitMessage2Info(msgkind::Information, m);
    std::size_t i = 0;
    for (const auto& l : lines)
        if (i < m.lines.size())
            m.lines[i++].text = l;
    ShowMessage2(m);
}

void notBuilt(const std::string& what)
{
    ErrorMessageEx(what + "はこのプログラムでは利用できません。", "TDataSentakuBox.F12Click");
}

} // namespace

TDataSentakuModel::TDataSentakuModel() = default;

TDataFolderCheck TDataSentakuModel::FolderCheck() const
{
    TDataFolderCheck c;
    c.ConnectKind = ConnectKind;
    c.SyoriType = SyoriType;
    return c;
}

std::int32_t TDataSentakuModel::LoadDataList()
{
    registry_.ConnectKind = ConnectKind;
    registry_.SetDataPlace(DataPlace);
    registry_.Execute(0, SortKindOfColumn(SortColumn), Descending, "");
    Rows = registry_.Rows;
    blocked_.assign(Rows.size(), -1);
    Disp.clear();
    for (std::size_t i = 0; i < Rows.size(); ++i)
        if (!FilterActive || RowPassesFilter(Filter, Rows[i].Data))
            Disp.push_back(static_cast<std::int32_t>(i));
    BuildGrid();
    return static_cast<std::int32_t>(Rows.size());
}

void TDataSentakuModel::BuildGrid()
{
    Grid.clear();
    for (const std::int32_t top : Disp) {
        const auto& row = Rows[static_cast<std::size_t>(top)];
        if (row.Data.GASSAN > 2)
            continue;
        Grid.push_back({top, -1});
        for (std::size_t c = 0; c < row.Children.size(); ++c)
            Grid.push_back({top, static_cast<std::int32_t>(c)});
    }
}

const TDataListRec& TDataSentakuModel::Record(std::int32_t gridRow) const
{
    const GridRow& g = Grid.at(static_cast<std::size_t>(gridRow));
    const auto& row = Rows.at(static_cast<std::size_t>(g.Top));
    return g.Child < 0 ? row.Data : row.Children.at(static_cast<std::size_t>(g.Child));
}

TDataListRec& TDataSentakuModel::Record(std::int32_t gridRow)
{
    return const_cast<TDataListRec&>(static_cast<const TDataSentakuModel*>(this)->Record(gridRow));
}

std::uint8_t TDataSentakuModel::ParentGassan(std::int32_t gridRow) const
{
    const GridRow& g = Grid.at(static_cast<std::size_t>(gridRow));
    return g.Child < 0 ? 0 : Rows.at(static_cast<std::size_t>(g.Top)).Data.GASSAN;
}

std::string TDataSentakuModel::ColumnText(std::int32_t gridRow, int column) const
{
    const GridRow& g = Grid.at(static_cast<std::size_t>(gridRow));
    const TDataListRec& r = Record(gridRow);
    const bool unnamed = isAreaOrEmpty(r.ENTTEXT);
    char buf[64];
    switch (column) {
    case 0:
        return g.Child < 0 ? std::to_string(r.REC) : std::string();
    case 1:
        return r.DATACODE;
    case 3:
        if (g.Child < 0)
            return r.DispName;
        std::snprintf(buf, sizeof buf, "%.2d ", g.Child + 1);
        return buf + r.DispName;
    case 4:
        if (unnamed)
            return {};
        std::snprintf(buf, sizeof buf, "%d 期", r.NENDO);
        return buf;
    case 5:
        return unnamed ? std::string("～") : r.KikanText;
    case 6: {
        // Every occurrence of the data root, in any case, becomes "~".
        std::string folder = r.PASNAME;
        const std::string root = platform::text::upperAscii(SysDef.DataRoot);
        if (root.empty())
            return folder;
        std::string upper = platform::text::upperAscii(folder);
        for (auto pos = upper.find(root); pos != std::string::npos; pos = upper.find(root, pos + 1)) {
            folder.replace(pos, root.size(), "~");
            upper.replace(pos, root.size(), "~");
        }
        return folder;
    }
    case 7:
        return r.VER_TEXT;
    case 10:
        return std::to_string(r.DATALOCK);
    case 11:
        return r.NETDRIVE == 1 && r.KYOYULOCK == 1 ? "1" : "0";
    case 12:
        return std::to_string(r.VER_MAJOR) + "." + std::to_string(r.VER_MINOR1) + "." + std::to_string(r.VER_MINOR2);
    case 13:
        return std::to_string(r.UPDATE_LOCK);
    case 14:
        return std::to_string(r.GASSAN);
    case 15:
        return std::to_string(g.Top);
    case 16:
        return std::to_string(g.Child < 0 ? 0 : g.Child + 1);
    case 17:
        return std::to_string(r.DATA_STATUS);
    case 18:
        return std::to_string(r.CLOUD);
    case 19:
        return std::to_string(r.READ_ONLY);
    default:
        return {};
    }
}

std::string TDataSentakuModel::GetRowDataPath(std::int32_t gridRow) const
{
    const TDataListRec& r = Record(gridRow);
    if (r.NETDRIVE != 1)
        return r.PASNAME == "/" ? r.PASNAME : paths::excludeDelimiter(r.PASNAME);
    char number[16];
    std::snprintf(number, sizeof number, "%.4d", r.REC);
    std::string folder = paths::join(SysDef.SysDir, number);
    if (Grid.at(static_cast<std::size_t>(gridRow)).Child >= 0)
        folder = paths::join(folder, paths::fileNameOf(paths::excludeDelimiter(r.PASNAME)));
    return folder;
}

bool TDataSentakuModel::IsUpdateBlocked(std::int32_t gridRow)
{
    const TDataListRec& r = Record(gridRow);
    if (r.UPDATE_LOCK != 1 || r.ENTTEXT.empty())
        return false;
    const GridRow& g = Grid.at(static_cast<std::size_t>(gridRow));
    if (g.Child >= 0)
        return CompanyDataNeedsUpdate(ColumnText(gridRow, 12));
    auto& cached = blocked_.at(static_cast<std::size_t>(g.Top));
    if (cached < 0)
        cached = CompanyDataNeedsUpdate(ColumnText(gridRow, 12)) ? 1 : 0;
    return cached == 1;
}

bool TDataSentakuModel::StoreRow(std::int32_t gridRow)
{
    const GridRow& g = Grid.at(static_cast<std::size_t>(gridRow));
    const TDataListRec& rec = Record(gridRow);
    const bool stored = rec.GASSAN == 10 ? registry_.UpdateDataListChildRecord(rec, 1, true)
                                         : registry_.UpdateDataListRecord(rec, 1, true);
    blocked_.at(static_cast<std::size_t>(g.Top)) = -1;
    storeTakenRowOnServer(Rows.at(static_cast<std::size_t>(g.Top)));
    return stored;
}

std::int32_t TDataSentakuModel::FindRowOfFolder(const std::string& folder) const
{
    const std::string wanted = paths::excludeDelimiter(folder);
    for (std::size_t i = 0; i < Grid.size(); ++i)
        if (GetRowDataPath(static_cast<std::int32_t>(i)) == wanted)
            return static_cast<std::int32_t>(i);
    return -1;
}

// --- Refreshing rows ------------------------------------------------------------------

int TDataSentakuModel::databaseState(const std::string& folder) const
{
    // Only a positive answer that the file is missing counts as missing: a
    // check that could not be made says nothing about the file.
    if (DM == nullptr)
        return -1;
    switch (DM->FileCheck(paths::join(folder, DataFile), ConnectKind)) {
    case TFileCheck::Present:
        return 1;
    case TFileCheck::Missing:
        return 0;
    default:
        return -1;
    }
}

void TDataSentakuModel::emptyRow(TDataListRec& rec)
{
    // The emptied area keeps its number and folder (and, for a shared
    // area, its kind) so that the registry can store it.
    const std::int32_t number = rec.REC;
    const std::string folder = rec.PASNAME;
    const std::int32_t net = rec.NETDRIVE;
    registry_.InitDataListRecord(rec, folder);
    rec.REC = number;
    if (net == 1) {
        rec.NETDRIVE = 1;
        rec.ENTTEXT = kFreeAreaName;
        rec.DispName = rec.ENTTEXT;
        rec.KYOYULOCK = 1;
        rec.LocalPath = registry_.MakeLocalPath(rec);
    }
}

void TDataSentakuModel::DataListRefresh(std::int32_t gridRow)
{
    if (gridRow < 0 || static_cast<std::size_t>(gridRow) >= Grid.size())
        return;
    refreshTop(Grid[static_cast<std::size_t>(gridRow)].Top);
    BuildGrid();
}

void TDataSentakuModel::DataListRefreshAll(const std::function<void()>& afterRow)
{
    if (ConnectKind != 0) {
        ReportProgress("データリストの更新中…");
        try {
            registry_.RenumberAddedRows();
        } catch (const std::exception& e) {
            if (const auto* ib = dynamic_cast<const EIBError*>(&e))
                IBErrorProc(*ib, "TDataSentakuBox.DataListRefresh", "データリストの更新に失敗しました。", false);
            else
                ErrorMessageEx(
                    "データリストの更新に失敗しました。", std::string("TDataSentakuBox.DataListRefresh\r") + e.what());
        }
        LoadDataList();
    }
    // A child is brought up to date with its parent, so each top-level row
    // is refreshed once, numbered by its grid row as the list shows it.
    const std::vector<GridRow> shown = Grid;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i].Child >= 0)
            continue;
        if (ProgressCancelled())
            break;
        char label[96];
        std::snprintf(label, sizeof label, "データリスト（%d行目）の更新中…", static_cast<int>(i + 1));
        ReportProgress(label);
        refreshTop(shown[i].Top);
        if (afterRow)
            afterRow();
    }
    BuildGrid();
}

std::int32_t TDataSentakuModel::FindByCodePrefix(std::int32_t current, const std::string& text) const
{
    if (text.empty() || Grid.empty())
        return -1;
    // The typed text is Latin letters, digits and signs; bytes of other
    // characters in a code never equal them, so a byte prefix suffices.
    const std::string wanted = platform::text::upperAscii(text);
    auto matches = [&](std::size_t row) {
        const std::string code = platform::text::upperAscii(Record(static_cast<std::int32_t>(row)).DATACODE);
        return code.compare(0, wanted.size(), wanted) == 0;
    };
    const std::size_t n = Grid.size();
    const std::size_t start = current < 0 ? 0 : static_cast<std::size_t>(current) + 1;
    for (std::size_t row = start; row < n; ++row)
        if (matches(row))
            return static_cast<std::int32_t>(row);
    const std::size_t last = current < 0 ? 0 : std::min(static_cast<std::size_t>(current) + 1, n);
    for (std::size_t row = 0; row < last; ++row)
        if (matches(row))
            return static_cast<std::int32_t>(row);
    return -1;
}

bool TDataSentakuModel::ToggleDataLock(std::int32_t gridRow)
{
    if (ConnectKind == 0 || gridRow < 0 || static_cast<std::size_t>(gridRow) >= Grid.size())
        return false;
    TDataListRec& rec = Record(gridRow);
    const std::string folder = GetRowDataPath(gridRow);
    TDataFolderCheck check = FolderCheck();
    const std::int32_t status = check.CheckFolderStatus(folder, true, false);
    if (status < 1 || status > 3) {
        // Status 0 of a missing database was reported by the check.
        if (status == 0 && databaseState(folder) != 1)
            return false;
        TMessage2InfoRec m;
        InitMessage2Info(msgkind::Warning, m);
        m.caption = "選択データの状態";
        m.lines[0].text = "このデータは" + TDataSentakuListCtl::GetDataStatusName(status) + "のため処理が行えません。";
        m.lines[0].colour = 255;
        ShowMessage2(m);
        return false;
    }
    TDataInfomation info;
    info.Mode = ConnectKind;
    const std::int32_t me = LoginCodeOf(SysDef.OpCode, SysDef.GroupID);
    if (rec.DATALOCK != 0) {
        if (status == 3) {
            TDataInfomationRec state;
            info.ReadDataIni(folder, state);
            const std::int32_t holder = LoginCodeOf(state.OPCODE, SysDef.GroupID);
            if (holder != me) {
                TMessage2InfoRec m;
                InitMessage2Info(msgkind::Warning, m);
                m.caption = "ロックデータの状態";
                m.lines[0].text = "このデータは違うオペレータによりロックされているため解除は行えません。";
                m.lines[0].colour = 255;
                const std::string detail[] = {"【データフォルダ】", "　" + folder, "", "【オペレータ】",
                    "　" + std::to_string(holder), "", "【オペレータ名】", "　" + state.OPERATOR};
                for (std::size_t i = 0; i < std::size(detail) && i + 1 < m.lines.size(); ++i)
                    m.lines[i + 1].text = detail[i];
                ShowMessage2(m);
                return false;
            }
            info.WriteStatus(folder, 1);
            rec.DATALOCK = 0;
        }
        // Status 1 or 2: the lock stays as the list has it.
    } else {
        info.WriteStatus(folder, 3);
        rec.DATALOCK = me;
    }
    return registry_.UpdateDataListRecord(rec, 0, true);
}

void TDataSentakuModel::refreshTop(std::int32_t top)
{
    TDataSentakuRec& row = Rows.at(static_cast<std::size_t>(top));
    TDataListRec& rec = row.Data;
    blocked_.at(static_cast<std::size_t>(top)) = -1;
    if (rec.DATA_STATUS == 1)
        return;
    std::int32_t gridRow = 0;
    for (std::size_t i = 0; i < Grid.size(); ++i)
        if (Grid[i].Top == top && Grid[i].Child < 0)
            gridRow = static_cast<std::int32_t>(i);
    const std::string folder = Grid.empty() ? rec.PASNAME : GetRowDataPath(gridRow);
    const int state = databaseState(folder);
    if (state < 0)
        return; // the check failed: the row stays as it is
    TDataInfomation info;
    info.Mode = ConnectKind;
    if (state == 1) {
        TDataInfomationRec ini;
        info.ReadDataIni(folder, ini);
        if (ConnectKind == 0) {
            TDataInfomationRec facts;
            if (info.ReadDataInfoRec(folder, facts) == 1) {
                ini.UPDATE_LOCK = facts.UPDATE_LOCK;
                ini.READ_ONLY = facts.READ_ONLY;
                const auto status = ini.STATUS;
                const auto share = ini.SHARE_STATUS;
                const auto shareOp = ini.SHARE_OPCODE;
                const auto op = ini.OPCODE;
                ini = facts;
                ini.STATUS = status;
                ini.SHARE_STATUS = share;
                ini.SHARE_OPCODE = shareOp;
                ini.OPCODE = op;
                try {
                    info.WriteIniFile(folder, "DATAINFO", facts);
                    info.WriteIniValue(folder, "DATASTS", true, std::to_string(facts.UPDATE_LOCK), "UPDATE_LOCK");
                    info.WriteIniValue(folder, "DATASTS", true, std::to_string(facts.READ_ONLY), "READ_ONLY");
                } catch (const std::exception& e) {
                    ErrorMessageEx("データ情報の更新に失敗しました。",
                        std::string("TDataSentakuBox.DataListRefresh\r") + e.what());
                }
                ini.GASSANKBN = facts.GASSANKBN;
                rec.GASSAN = facts.GASSANKBN;
                registry_.SetDataListRecordFromInfo(ini, rec);
                registry_.UpdateDataListRecord(rec, 0, true);
                rebuildChildren(row, folder);
                storeTakenRowOnServer(row);
            } else if (SysDef.DataDamaged != 0) {
                rec.DATA_STATUS = 1;
            }
        } else {
            rec.GASSAN = ini.GASSANKBN;
            registry_.SetDataListRecordFromInfo(ini, rec);
            registry_.UpdateDataListRecord(rec, 0, true);
        }
        return;
    }
    // The database is reported missing.
    if (ConnectKind == 0 && rec.NETDRIVE == 0) {
        std::error_code ec;
        fs::remove(TDataInfomation::IniPath(folder), ec);
    }
    if (!rec.ENTTEXT.empty() && !(rec.NETDRIVE == 1 && rec.ENTTEXT == kFreeAreaName)) {
        emptyRow(rec); // its registry children go with the emptied row
        row.Children.clear();
        row.ChildCount = 0;
        registry_.UpdateDataListRecord(rec, 0, true);
    }
}

void TDataSentakuModel::storeTakenRowOnServer(const TDataSentakuRec& row)
{
    // A set taken from the shared server shows its refreshed name and locks
    // in the shared list and the shared folder too. Only a row that still
    // holds data goes there: an emptied local copy says nothing about the
    // shared one, whose registration stays.
    const TDataListRec& rec = row.Data;
    if (rec.NETDRIVE != 1 || rec.KYOYULOCK != 1 || isAreaOrEmpty(rec.ENTTEXT))
        return;
    try {
        TServerSentakuCtl server;
        if (server.UpdateServerRow(rec))
            for (const TDataListRec& child : row.Children)
                server.UpdateServerRow(child);
    } catch (const std::exception&) {
        // The shared list is brought up to date again by the next store.
    }
}

void TDataSentakuModel::rebuildChildren(TDataSentakuRec& row, const std::string& folder)
{
    TDataListRec& parent = row.Data;
    for (const auto& c : row.Children) {
        if (c.DATA_STATUS == 1) {
            parent.DATA_STATUS = 1;
            return;
        }
    }
    if (!row.Children.empty() || parent.GASSAN == 1 || parent.GASSAN == 2)
        registry_.DeleteDataListChildRecord(parent, true);
    row.Children.clear();
    row.ChildCount = 0;
    if (parent.GASSAN != 1 && parent.GASSAN != 2)
        return;
    TDataInfomation info;
    info.Mode = ConnectKind;
    const auto folders = GetSubDirList(folder, 0);
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (!fs::is_regular_file(paths::join(folders[i], DataFile)))
            continue;
        TDataListRec child;
        registry_.InitDataListRecord(
            child, parent.NETDRIVE == 1 ? paths::join(parent.PASNAME, paths::fileNameOf(folders[i])) : folders[i]);
        child.REC = parent.REC;
        child.ROWNO = static_cast<std::int32_t>(i + 1);
        child.NETDRIVE = parent.NETDRIVE;
        child.KYOYULOCK = parent.KYOYULOCK;
        child.GASSAN = 10;
        TDataInfomationRec facts;
        if (info.ReadDataInfoRec(folders[i], facts) == 1) {
            registry_.SetDataListRecordFromInfo(facts, child);
            try {
                info.WriteIniFile(folders[i], "DATAINFO", facts);
            } catch (const std::exception&) {
            }
        } else {
            TDataInfomationRec ini;
            info.ReadDataIni(folders[i], ini);
            registry_.SetDataListRecordFromInfo(ini, child);
            if (child.ENTTEXT.empty()) {
                child.ENTTEXT = "破損データ";
                child.SHOUGOU = parent.SHOUGOU;
                child.NENDO = parent.NENDO;
                child.KISHU = parent.KISHU;
                child.KIMATU = parent.KIMATU;
                child.KikanText = parent.KikanText;
                child.DATATYPE = parent.DATATYPE;
                child.CODETYPE = parent.CODETYPE;
                child.TANTOU = parent.TANTOU;
                child.VER_MAJOR = parent.VER_MAJOR;
                child.VER_MINOR1 = parent.VER_MINOR1;
                child.VER_MINOR2 = parent.VER_MINOR2;
                child.VER_TEXT = parent.VER_TEXT;
                child.DispName = child.ENTTEXT;
            }
            child.DATA_STATUS = 1;
        }
        child.GASSAN = 10;
        registry_.UpdateDataListChildRecord(child, 0, true);
        row.Children.push_back(std::move(child));
    }
    row.ChildCount = static_cast<std::int32_t>(row.Children.size());
}

// --- Choosing a row ---------------------------------------------------------------------

void TDataSentakuModel::clearChoice()
{
    ChosenFolder.clear();
    ChosenPath.clear();
}

std::int32_t TDataSentakuModel::AutoShareTransfer(std::int32_t gridRow, const std::string& direction)
{
    if (!KyoyuAutoEnabled())
        return 1;
    const TDataListRec& r = Record(gridRow);
    TDataSentakuRec& top = Rows.at(static_cast<std::size_t>(Grid.at(static_cast<std::size_t>(gridRow)).Top));
    if (direction == "upload" && r.NETDRIVE == 1 && r.KYOYULOCK == 1)
        return registry_.KyoyuDataUnlock(top, 0);
    if (direction == "download" && r.NETDRIVE == 1 && r.KYOYULOCK == 0)
        return registry_.KyoyuDataLock(top, 0);
    return 1;
}

std::int32_t TDataSentakuModel::Choose(std::int32_t gridRow)
{
    SysDef.DataDamaged = 0;
    clearChoice();
    if (gridRow < 0 || static_cast<std::size_t>(gridRow) >= Grid.size())
        return 0;
    ChosenFolder = GetRowDataPath(gridRow);
    ChosenPath = Record(gridRow).PASNAME;
    TDataFolderCheck check = FolderCheck();
    auto refuse = [&] {
        clearChoice();
        return 0;
    };
    auto writeChoice = [&] {
        SysDef.DataDir = ChosenFolder;
        SysDef.DataListPath = ChosenPath;
    };

    if (SyoriType == 2 || SyoriType == 4) {
        if (ChosenFolder == SysDef.DataDir) {
            inform({"このデータは現在選択中のデータです。\r他の場所を選んで下さい。"});
            return refuse();
        }
        const std::int32_t result = check.CheckDataFolder(ChosenFolder);
        if (result < 0) {
            clearChoice();
            DataListRefresh(gridRow);
            return 0;
        }
        if (result == 1) {
            inform({"選択したパスには既にデータが存在します。\r他の場所を選んで下さい。"});
            return refuse();
        }
        if (SyoriType == 2 && ConnectKind == 0 && SysDef.DataDir != SysDef.DataListPath
            && ChosenFolder == Record(gridRow).PASNAME) {
            TMessage2InfoRec m;
            InitMessage2Info(msgkind::Confirmation, m);
            m.buttons = msgbtn::OK | msgbtn::Cancel;
            const char* lines[] = {"更新前データは共有データ領域で管理されています。",
                "今回指定した保存先では他のオペレータとデータが共有できません。",
                "共有の必要がなければこのメッセージを[OK]してください。",
                "共有する必要がある場合は[キャンセル]し、データ選択画面右上の「共有取得」ボタン",
                "より、共有データ領域をお選びください。"};
            for (std::size_t i = 0; i < std::size(lines); ++i)
                m.lines[i].text = lines[i];
            if (ShowMessage2(m) != modal::Ok)
                return 0;
        }
        SysDef.DestinationText = "PATH1=" + ChosenFolder + "\rPATH2=" + ChosenPath;
        return 1;
    }

    // Types 0, 1, 3 and 5.
    {
        const TDataListRec& r = Record(gridRow);
        if (r.NETDRIVE == 1 && r.KYOYULOCK == 0) {
            if (!KyoyuAutoEnabled()) {
                inform({"このデータは共有サーバーに保管されています。\r共有取得を実行してから選択して下さい。"});
                return refuse();
            }
            // The working folder holds the server's data only once taken.
            if (SyoriType == 3 && AutoShareTransfer(gridRow, "download") < 1)
                return refuse();
        }
    }
    std::int32_t result = 0;
    try {
        result = check.CheckDataFolder(ChosenFolder);
    } catch (const std::exception&) {
        result = -1;
        if (DM != nullptr && DM->CheckDataDamage(SysDef.HostName, ChosenFolder, 1, 0) == 0)
            result = -3;
    }
    if (result < 0) {
        clearChoice();
        if (result == -3) {
            Record(gridRow).DATA_STATUS = 1;
        } else {
            DataListRefresh(gridRow);
        }
        return 0;
    }
    if (result == 0) {
        if (SyoriType == 5) {
            if (OnlySAMode == 0) {
                inform({"この場所にはデータがありません。他の場所を選んで下さい。"});
                return refuse();
            }
            if (!RestoreFromFolder) {
                notBuilt("データの持ち出し・持ち帰り");
                return refuse();
            }
            if (AutoShareTransfer(gridRow, "download") < 1)
                return refuse();
            if (RestoreFromFolder(gridRow, OnlySABackupPath) != 1)
                return refuse();
            writeChoice();
            return 1;
        }
        ForceDir(ChosenFolder);
        TMessage2InfoRec m;
        InitMessage2Info(msgkind::Confirmation, m);
        m.buttons = msgbtn::Yes | msgbtn::No;
        m.lines[0].text = "選択したパスにはデータが存在しません。\r新規にデータを作成しますか？";
        if (ShowMessage2(m) != modal::Yes)
            return refuse();
        if (!NewData) {
            notBuilt("データの新規作成");
            return refuse();
        }
        if (!NewData(ChosenFolder))
            return refuse();
        writeChoice();
        return 1;
    }
    // Data present.
    if ((SyoriType == 0 || SyoriType == 1) && IsUpdateBlocked(gridRow)) {
        TMessage2InfoRec m;
        InitMessage2Info(msgkind::Warning, m);
        m.lines[0].text = "このデータは「データの更新」処理を行うことが禁止されています。";
        m.lines[1].text
            = "データを選択したい場合は、「データ選択」画面の[情報]ボタンを押し「データの詳細情報」画面を開き";
        m.lines[2].text = "[データの更新: 禁止する]項目のチェックを外してください。";
        m.lines[3].text = "または、過去バージョンのプログラムを起動し選択してください。";
        ShowMessage2(m);
        return refuse();
    }
    if (SyoriType == 5) {
        if (CloudShareEnabled && Record(gridRow).CLOUD == 1) {
            inform({"クラウドシェアデータのため選択できません。他の場所を選んで下さい。"});
            return refuse();
        }
        const auto& transfer = OnlySAMode == 0 ? SaveToFolder : RestoreFromFolder;
        if (!transfer) {
            notBuilt("データの持ち出し・持ち帰り");
            return refuse();
        }
        // A shared row is worked on taken; what was saved goes back to the
        // shared server.
        if (AutoShareTransfer(gridRow, "download") < 1)
            return refuse();
        if (transfer(gridRow, OnlySABackupPath) != 1)
            return refuse();
        if (OnlySAMode == 0 && AutoShareTransfer(gridRow, "upload") < 1)
            return refuse();
        writeChoice();
        return 1;
    }
    writeChoice();
    return 1;
}
