// The shared-server side of the data-list registry: the list of the server's
// areas (SERVERDATALIST, CHILD_SERVERDATALIST), the mapping between server
// paths and local working folders, and taking a shared data set to this
// computer and storing it back.

#include "dataselect/z5ComDataSentaku.h"
#include "dataselect/z5ComDataSentakuInternal.h"

#include "core/DataInfomation.h"
#include "core/DataModuleAccInfo.h"
#include "core/MessageService.h"
#include "core/PlatformUtil.h"
#include "platform/exclusive_file.h"
#include "platform/paths.h"
#include "platform/plain_text.h"
#include "platform/share_roots.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

using namespace core;
using namespace datalist_detail;
namespace fs = std::filesystem;
namespace paths = platform::paths;

namespace {

constexpr const char* kNoServer = "共有サーバーが起動していない、接続が切断されている または "
                                  "共有サーバー上のデータ領域が削除された可能性があります。";
constexpr const char* kInUse = "共有データは現在使用されています。";
constexpr const char* kDamaged = "共有サーバー上のデータが破損しているため、共有データの取得を中止します。\r"
                                 "データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。";
constexpr const char* kChildFailed
    = "分散データを共有サーバーへ戻せなかったため、共有データの解放を中止しました。\r"
      "データは取得したままです。共有サーバーの接続を確認してから、もう一度実行して下さい。";

bool holdsDataSet(const std::string& folder)
{
    std::error_code ec;
    return fs::is_regular_file(paths::join(folder, DataFile), ec);
}

bool isAreaName(const std::string& name)
{
    return name == kFreeAreaName || name == kNewAreaName;
}

// Side names of a child folder during a store-back; hidden, so no sub-folder
// scan takes them for data folders.
std::string sideName(const std::string& folder, const char* suffix)
{
    return paths::join(paths::folderOf(folder), "." + paths::fileNameOf(folder) + suffix);
}

void removeTree(const std::string& folder) noexcept
{
    std::error_code ec;
    fs::remove_all(folder, ec);
}

// The registry's own message box "選択データの状態": the message in red,
// then the detail lines.
void showStateMessage(const std::string& message, const std::vector<std::string>& details)
{
    TMessage2InfoRec m;
    InitMessage2Info(msgkind::Warning, m);
    m.caption = "選択データの状態";
    m.buttons = msgbtn::OK;
    m.lines[0].text = message;
    m.lines[0].colour = 255;
    for (std::size_t i = 0; i < details.size() && i + 1 < m.lines.size(); ++i)
        m.lines[i + 1].text = details[i];
    ShowMessage2(m);
}

std::vector<std::string> holderLines(const std::string& pasname, const TDataInfomationRec& info)
{
    std::vector<std::string> lines = {"【データフォルダ】", "　" + pasname, "", "【オペレータ】"};
    if (info.SHARE_OPCODE > 0)
        lines.push_back("　" + std::to_string(LoginCodeOf(info.SHARE_OPCODE, SysDef.GroupID)));
    lines.insert(lines.end(), {"", "【オペレータ名】", "　" + info.SHARE_OPERATOR});
    return lines;
}

// The share mark of a data set and its children, cleared in the registry.
void clearShareMarks(TDataSentakuListCtl& registry, TDataSentakuRec& rec)
{
    rec.Data.KYOYULOCK = 0;
    registry.UpdateDataListRecord(rec.Data, 0, true);
    for (auto& child : rec.Children) {
        child.KYOYULOCK = 0;
        registry.UpdateDataListRecord(child, 0, true);
    }
}

} // namespace

platform::ExclusiveFile::Result LockSharedArea(platform::ExclusiveFile& lock, const std::string& area)
{
    return lock.acquire(paths::join(area, kSharedAreaLockName), std::to_string(SysDef.OpCode) + " " + SysDef.OpName);
}

void ShowSharedAreaInUse(const std::string& area)
{
    TDataInfomation info;
    TDataInfomationRec rec;
    info.ReadDataIni(area, rec);
    showStateMessage(kInUse, holderLines(area, rec));
}

std::string ShareDriveLetter(const std::string& path)
{
    if (const auto root = platform::share_roots::rootOf(path))
        return std::string(1, root->letter);
    return path.empty() ? std::string() : path.substr(0, 1);
}

// --- The shared-server list ---------------------------------------------------

void datalist_detail::addServerWhere(fb::Query& q, const std::string& letter, const std::string& more)
{
    q.sql().add("WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER)" + more);
    q.paramByName("GROUPID").setInteger(SysDef.GroupID);
    q.paramByName("DRIVELETTER").setString(letter);
}

void TDataSentakuListCtl::GetServerSubFolders(const std::string& folder, std::vector<std::string>& list)
{
    list.clear();
    for (const auto& name : GetSubDirList(folder, 1)) {
        const std::string upper = platform::text::upperAscii(name);
        if (upper == "DEDIVIDEREZ_IVIVIV" || upper == "VELMORAZAIMU_BACKUP" || name.front() == '.')
            continue;
        list.push_back(name);
    }
    SubFolders = list;
}

void TDataSentakuListCtl::GetPasNameSubFolders(const TDataListRec& rec, std::vector<std::string>& list)
{
    GetServerSubFolders(rec.PASNAME, list);
}

void TDataSentakuListCtl::GetLocalPathSubFolders(const TDataListRec& rec, std::vector<std::string>& list)
{
    GetServerSubFolders(rec.LocalPath, list);
}

void TDataSentakuListCtl::readServerRows(
    bool child, const std::string& where, const std::string& order, const std::string& letter)
{
    main_.close();
    main_.sql().clear();
    main_.sql().add(columnList(child, true, true));
    main_.sql().add(child ? "FROM CHILD_SERVERDATALIST" : "FROM SERVERDATALIST");
    main_.sql().add(where);
    main_.sql().add(order);
    main_.paramByName("DRIVELETTER").setString(letter);
    main_.paramByName("GROUPID").setInteger(SysDef.GroupID);
    collectRows(child, [this](TDataListRec& rec) {
        rec.NETDRIVE = 1;
        rec.KYOYULOCK = 0;
        rec.LocalPath = MakeLocalPath(rec);
    });
}

void TDataSentakuListCtl::ServerExecute(
    std::uint8_t mode, const std::string& serverFolder, std::uint8_t sortKind, bool descending, const std::string&)
{
    if (ServerListMode != 1)
        return;
    ClearDataList();
    const std::string letter = ShareDriveLetter(serverFolder);
    // Inside a caller's transaction the refreshed list is made durable at once.
    if (!core::RunDbOperation(dm().IBTransactionDEF,
            core::DbPolicy("TDataSentakuListCtl.ServerExecute", "共有データリストの取得に失敗しました。")
                .with(core::DbSuccess::CommitRetaining),
            [&](core::TDbScope& op) {
                op.closeOnFailure(main_);
                if (mode == 1) {
                    for (const char* table : {"CHILD_SERVERDATALIST", "SERVERDATALIST"}) {
                        main_.close();
                        main_.sql().clear();
                        main_.sql().add(std::string("DELETE FROM ") + table);
                        addServerWhere(main_, letter);
                        main_.execSQL();
                    }
                    auto areaRecord = [this](const std::string& path) {
                        TDataListRec rec;
                        InitDataListRecord(rec, "");
                        rec.ENTTEXT = kFreeAreaName;
                        rec.DispName = rec.ENTTEXT;
                        rec.NENDO = 0;
                        rec.KikanText = "～";
                        rec.NETDRIVE = 1;
                        rec.PASNAME = path;
                        return rec;
                    };
                    std::vector<std::string> areas;
                    GetServerSubFolders(serverFolder, areas);
                    for (const auto& name : areas) {
                        TDataSentakuRec row;
                        row.Data = areaRecord(paths::join(serverFolder, name));
                        std::vector<std::string> children;
                        GetServerSubFolders(row.Data.PASNAME, children);
                        for (std::size_t i = 0; i < children.size(); ++i) {
                            TDataListRec child = areaRecord(paths::join(row.Data.PASNAME, children[i]));
                            child.ROWNO = static_cast<std::int32_t>(i + 1);
                            child.GASSAN = 10;
                            row.Children.push_back(child);
                            ChildRows.push_back(std::move(child));
                        }
                        row.ChildCount = static_cast<std::int32_t>(row.Children.size());
                        Rows.push_back(std::move(row));
                    }
                } else {
                    const std::string named = std::string("AND (ENTTEXT<>'' AND ENTTEXT<>'") + kFreeAreaName
                        + "' AND ENTTEXT<>'" + kNewAreaName + "')";
                    const std::string base = "WHERE (DRIVELETTER=:DRIVELETTER) AND (GROUPID=:GROUPID)";
                    struct Order {
                        bool namedOnly;
                        const char* ascending;
                        const char* descending;
                    };
                    static const Order kOrders[] = {
                        {false, "ORDER BY PASNAME", "ORDER BY PASNAME"},
                        {false, "ORDER BY PASNAME", "ORDER BY PASNAME"},
                        {true, "ORDER BY ENTTEXT,PASNAME", "ORDER BY ENTTEXT DESC,PASNAME DESC"},
                        {true, "ORDER BY NENDO,PASNAME", "ORDER BY NENDO DESC,PASNAME DESC"},
                        {true, "ORDER BY KISHU,PASNAME", "ORDER BY KISHU DESC,PASNAME DESC"},
                        {false, "ORDER BY PASNAME", "ORDER BY PASNAME DESC"},
                        {true, "ORDER BY VER_MAJOR,VER_MINOR1,VER_MINOR2,REC",
                            "ORDER BY VER_MAJOR DESC,VER_MINOR1 DESC,VER_MINOR2 DESC,REC DESC"},
                        {true, "ORDER BY DATACODE,REC", "ORDER BY DATACODE DESC,REC DESC"},
                    };
                    const Order& o = sortKind < std::size(kOrders) ? kOrders[sortKind] : kOrders[0];
                    readServerRows(false, o.namedOnly ? base + " " + named : base,
                        descending ? o.descending : o.ascending, letter);
                    if (o.namedOnly)
                        readServerRows(false,
                            base + " AND (ENTTEXT='' OR ENTTEXT='" + kFreeAreaName + "' OR ENTTEXT='" + kNewAreaName
                                + "')",
                            "ORDER BY PASNAME", letter);
                    readServerRows(true, base, "ORDER BY REC,PASNAME", letter);
                }
                RowCount = static_cast<std::int32_t>(Rows.size());
                ChildRowCount = static_cast<std::int32_t>(ChildRows.size());
            }))
        ClearDataList();
}

void TDataSentakuListCtl::addServerWrite(bool child, bool insert, std::int32_t updateNames)
{
    const std::string table = child ? "CHILD_SERVERDATALIST" : "SERVERDATALIST";
    if (insert) {
        std::vector<std::string> keys = {"GROUPID", "DRIVELETTER", "REC"};
        if (child)
            keys.push_back("ROWNO");
        main_.sql().add(insertStatement(table, keys, storedColumns(true, false)));
        return;
    }
    main_.sql().add(updateStatement(table, storedColumns(updateNames == 1, false)));
    main_.sql().add(child ? "WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER) AND (REC=:REC) AND (ROWNO=:ROWNO)"
                          : "WHERE (GROUPID=:GROUPID) AND (DRIVELETTER=:DRIVELETTER) AND (REC=:REC)");
}

void TDataSentakuListCtl::bindServerValues(const TDataListRec& rec, bool child, bool withNames)
{
    main_.paramByName("GROUPID").setInteger(SysDef.GroupID);
    main_.paramByName("DRIVELETTER").setString(ShareDriveLetter(rec.PASNAME));
    main_.paramByName("REC").setInteger(rec.REC);
    if (child)
        main_.paramByName("ROWNO").setInteger(rec.ROWNO);
    bindColumns(main_, rec, storedColumns(withNames, false));
}

// The number of the single row of a path; several rows of one path are all
// removed (0).
std::int32_t TDataSentakuListCtl::serverRowOfPath(const std::string& table, const std::string& path)
{
    auto where = [&] {
        addServerWhere(main_, ShareDriveLetter(path), " AND (PASNAME=:PASNAME)");
        main_.paramByName("PASNAME").setString(path);
    };
    main_.close();
    main_.sql().clear();
    main_.sql().add("SELECT REC FROM " + table);
    where();
    main_.open();
    std::vector<std::int32_t> found;
    while (!main_.eof()) {
        found.push_back(main_.fieldByName("REC").asInteger());
        main_.next();
    }
    main_.close();
    if (found.size() == 1)
        return found.front();
    if (found.size() > 1) {
        main_.sql().clear();
        main_.sql().add("DELETE FROM " + table);
        where();
        main_.execSQL();
    }
    return 0;
}

void TDataSentakuListCtl::writeRegistryLock(const char* table, const TDataListRec& rec)
{
    main_.close();
    main_.sql().clear();
    main_.sql().add(std::string("UPDATE ") + table + " SET DATALOCK=:DATALOCK");
    main_.sql().add("WHERE PASNAME=:PASNAME");
    main_.paramByName("DATALOCK").setInteger(rec.DATALOCK);
    main_.paramByName("PASNAME").setString(rec.PASNAME);
    main_.execSQL();
}

bool TDataSentakuListCtl::UpdateServerDataListRecord(TDataListRec rec, std::int32_t updateNames, bool reportErrors)
{
    if (rec.NETDRIVE == 0)
        return true;
    if (rec.GASSAN == 10)
        return UpdateServerDataListChildRecord(rec, updateNames, reportErrors);
    return core::RunDbOperation(dm().IBTransactionDEF,
        writePolicy(
            "TDataSentakuListCtl.UpdateServerDataListRecord", "共有データリストの更新に失敗しました。", reportErrors),
        [&](core::TDbScope& op) {
            op.closeOnFailure(main_);
            const std::string letter = ShareDriveLetter(rec.PASNAME);
            rec.REC = serverRowOfPath("SERVERDATALIST", rec.PASNAME);
            std::error_code ec;
            if (fs::is_directory(rec.PASNAME, ec)) {
                main_.close();
                main_.sql().clear();
                if (rec.REC != 0) {
                    addServerWrite(false, false, updateNames);
                    bindServerValues(rec, false, updateNames == 1);
                } else {
                    main_.sql().add("SELECT MAX(REC) AS RECMAX FROM SERVERDATALIST");
                    addServerWhere(main_, letter);
                    main_.open();
                    rec.REC = (main_.eof() ? 0 : main_.field(0).asInteger()) + 1;
                    main_.close();
                    main_.sql().clear();
                    addServerWrite(false, true, 1);
                    bindServerValues(rec, false, true);
                }
                main_.execSQL();
            }
            if (rec.REC != 0 && !rec.ENTTEXT.empty() && !isAreaName(rec.ENTTEXT) && rec.KISHU == 0 && rec.KIMATU == 0) {
                main_.close();
                main_.sql().clear();
                main_.sql().add("DELETE FROM SERVERDATALIST");
                addServerWhere(main_, letter, " AND (REC=:REC)");
                main_.paramByName("REC").setInteger(rec.REC);
                main_.execSQL();
            }
            writeRegistryLock("DATALIST", rec);
        });
}

bool TDataSentakuListCtl::UpdateServerDataListChildRecord(TDataListRec rec, std::int32_t updateNames, bool reportErrors)
{
    if (rec.NETDRIVE == 0)
        return true;
    return core::RunDbOperation(dm().IBTransactionDEF,
        writePolicy("TDataSentakuListCtl.UpdateServerDataListChildRecord", "共有(子)データリストの更新に失敗しました。",
            reportErrors),
        [&](core::TDbScope& op) {
            op.closeOnFailure(main_);
            const std::int32_t existing = serverRowOfPath("CHILD_SERVERDATALIST", rec.PASNAME);
            main_.close();
            main_.sql().clear();
            if (existing != 0) {
                rec.REC = existing;
                addServerWrite(true, false, updateNames);
                bindServerValues(rec, true, updateNames == 1);
                main_.execSQL();
            } else {
                main_.sql().add("SELECT REC FROM SERVERDATALIST");
                addServerWhere(main_, ShareDriveLetter(rec.PASNAME), " AND (PASNAME=:PASNAME)");
                main_.paramByName("PASNAME").setString(paths::folderOf(paths::excludeDelimiter(rec.PASNAME)));
                main_.open();
                rec.REC = main_.eof() ? 0 : main_.fieldByName("REC").asInteger();
                main_.close();
                if (rec.REC != 0) {
                    main_.sql().clear();
                    addServerWrite(true, true, 1);
                    bindServerValues(rec, true, true);
                    main_.execSQL();
                }
            }
            writeRegistryLock("CHILD_DATALIST", rec);
        });
}

bool TDataSentakuListCtl::DeleteServerDataListChildRecord(TDataListRec rec, bool reportErrors)
{
    if (rec.NETDRIVE == 0)
        return true;
    if (isBlank(rec.PASNAME))
        return false;
    return core::RunDbOperation(dm().IBTransactionDEF,
        writePolicy("TDataSentakuListCtl.DeleteServerDataListChildRecord", "共有(子)データリストの削除に失敗しました。",
            reportErrors),
        [&](core::TDbScope& op) {
            op.fresh(main_);
            main_.sql().add("DELETE FROM CHILD_SERVERDATALIST");
            addServerWhere(main_, ShareDriveLetter(rec.PASNAME),
                rec.GASSAN == 10 ? " AND (REC=:REC) AND (ROWNO=:ROWNO)" : " AND (REC=:REC)");
            main_.paramByName("REC").setInteger(rec.REC);
            if (rec.GASSAN == 10)
                main_.paramByName("ROWNO").setInteger(rec.ROWNO);
            main_.execSQL();
        });
}

void TDataSentakuListCtl::GetNextServerFolderName(const std::string& serverFolder, std::int32_t step, std::string& name)
{
    name = "sv0001";
    if (DM == nullptr)
        return;
    if (!core::RunDbOperation(DM->IBTransactionDEF,
            core::DbPolicy("TDataSentakuListCtl.GetNextServerFolderName")
                .with(core::DbFailure::Commit)
                .with(core::DbReport::Quiet),
            [&](core::TDbScope& op) {
                op.fresh(second_);
                second_.sql().add("SELECT MAX(PASNAME) AS MAXPATH FROM SERVERDATALIST");
                addServerWhere(second_, ShareDriveLetter(serverFolder), " AND (PASNAME LIKE :PASNAME)");
                second_.paramByName("PASNAME").setString(paths::join(serverFolder, "sv%"));
                second_.open();
                const std::string highest = second_.eof() ? std::string() : second_.field(0).asString();
                second_.close();
                const std::int32_t number = highest.size() >= 4 ? toNumber(highest.substr(highest.size() - 4)) : 0;
                char text[32];
                std::snprintf(text, sizeof text, "sv%.4d", number + step);
                name = text;
            }))
        name = "sv0001";
}

void TDataSentakuListCtl::SharePathToLocalPath(const std::string& serverPath, std::uint8_t kind, std::string& localPath)
{
    localPath.clear();
    if (isBlank(serverPath))
        return;
    TDataListRec rec;
    InitDataListRecord(rec, serverPath);
    const std::string lookedUp
        = kind == 10 ? paths::excludeDelimiter(paths::folderOf(paths::excludeDelimiter(serverPath))) : serverPath;
    const std::int32_t found = recOfPath("TDataSentakuListCtl.SharePathToLocalPath", lookedUp, false);
    if (found == 0)
        return;
    rec.REC = found;
    rec.NETDRIVE = 1;
    rec.PASNAME = serverPath;
    rec.GASSAN = kind;
    localPath = MakeLocalPath(rec);
}

// --- Taking and storing back ----------------------------------------------------

std::int32_t TDataSentakuListCtl::KyoyuDataLock(TDataSentakuRec& rec, std::int32_t quiet)
{
    TDataListRec& data = rec.Data;
    if (isBlank(data.PASNAME) || isBlank(data.LocalPath))
        return 0;
    TDataInfomation info;
    info.Mode = ConnectKind;

    // Read-and-mark of the area happens under its lock file, so a peer
    // taking the same area at the same moment finds it busy.
    platform::ExclusiveFile areaLock;
    const auto lockResult = LockSharedArea(areaLock, data.PASNAME);
    TDataInfomationRec server;
    const bool read = lockResult != platform::ExclusiveFile::Result::Failed
        && (info.ReadDataIni(data.PASNAME, server) == 1 || isAreaName(data.ENTTEXT));
    if (!read) {
        if (quiet == 0)
            showStateMessage(kNoServer, {"【共有データパス】", data.PASNAME});
        return 0;
    }
    if (lockResult == platform::ExclusiveFile::Result::Busy) {
        showStateMessage(kInUse, holderLines(data.PASNAME, server));
        return -1;
    }

    std::int32_t result = server.STATUS == 10 ? -1 : 0;
    const std::string fallbackName = data.ENTTEXT.empty() ? std::string(kFreeAreaName) : data.ENTTEXT;
    if (server.SHOUGOU.empty())
        server.SHOUGOU = fallbackName;
    if (server.DATALISTNAME.empty())
        server.DATALISTNAME = fallbackName;
    // The name, update lock and read-only flag come with the server's facts.
    data.GASSAN = server.GASSANKBN;
    SetDataListRecordFromInfo(server, data);
    data.KYOYULOCK = 0;
    UpdateDataListRecord(data, 0, true);
    DeleteDataListChildRecord(data, true);

    if (result == 0 && (data.GASSAN == 1 || data.GASSAN == 2)) {
        rec.ChildCount = 0;
        rec.Children.clear();
        const auto folders = GetSubDirList(data.PASNAME, 0);
        for (std::size_t i = 0; i < folders.size(); ++i) {
            const std::string name = paths::fileNameOf(folders[i]);
            if (name.empty() || name.front() == '.' || !holdsDataSet(folders[i]))
                continue;
            TDataInfomationRec childInfo;
            info.ReadDataIni(folders[i], childInfo);
            if (childInfo.STATUS == 10)
                result = -1;
            TDataListRec child;
            InitDataListRecord(child, folders[i]);
            child.REC = data.REC;
            child.ROWNO = static_cast<std::int32_t>(i + 1);
            child.NETDRIVE = data.NETDRIVE;
            child.UPDATE_LOCK = data.UPDATE_LOCK;
            child.READ_ONLY = data.READ_ONLY;
            child.GASSAN = 10;
            SetDataListRecordFromInfo(childInfo, child);
            child.KYOYULOCK = 0;
            UpdateDataListRecord(child, 0, true);
            rec.Children.push_back(std::move(child));
        }
        rec.ChildCount = static_cast<std::int32_t>(rec.Children.size());
    }
    if (result == -1) {
        showStateMessage(kDamaged, holderLines(data.PASNAME, server));
        return -1;
    }

    const int copied = info.GetShareData(data.PASNAME, data.LocalPath, quiet != 0);
    if (copied == 0) {
        try {
            info.WriteShareStatus(data.PASNAME, 1);
        } catch (const std::exception&) {
        }
        return 0;
    }
    if (copied != 1) {
        // Refused: the server copy is taken (or damaged). Nothing was copied,
        // so the working copy and its children stay as they are.
        TDataInfomationRec now;
        info.ReadDataIni(data.PASNAME, now);
        showStateMessage(now.STATUS == 10 ? kDamaged : kInUse, holderLines(data.PASNAME, now));
        data.KYOYULOCK = 0;
        UpdateDataListRecord(data, 0, true);
        return -1;
    }

    data.KYOYULOCK = 1;
    UpdateDataListRecord(data, 0, true);
    if (data.GASSAN == 1 || data.GASSAN == 2) {
        for (const auto& folder : GetSubDirList(data.LocalPath, 0))
            if (holdsDataSet(folder))
                ShellDeleteRename(folder, 3, false, false);
        std::vector<std::string> taken;
        bool childFailed = false;
        for (auto& child : rec.Children) {
            if (!holdsDataSet(child.PASNAME))
                continue;
            const std::string local = data.LocalPath + child.PASNAME.substr(data.PASNAME.size());
            if (info.GetShareData(child.PASNAME, local, true) != 1) {
                childFailed = true;
                break;
            }
            taken.push_back(child.PASNAME);
            child.KYOYULOCK = data.KYOYULOCK;
            UpdateDataListRecord(child, 0, true);
        }
        if (childFailed) {
            // A set is taken whole or not at all: the fresh copies hold no
            // work yet, so the server marks are simply given back.
            for (const auto& folder : taken)
                info.SetShareLock(folder, 1);
            info.SetShareLock(data.PASNAME, 1);
            clearShareMarks(*this, rec);
            if (quiet == 0)
                showStateMessage(kNoServer, {"【共有データパス】", data.PASNAME});
            return 0;
        }
    }
    return 1;
}

std::int32_t TDataSentakuListCtl::KyoyuDataUnlock(TDataSentakuRec& rec, std::int32_t quiet)
{
    TDataListRec& data = rec.Data;
    if (isBlank(data.PASNAME) || isBlank(data.LocalPath))
        return 0;
    TDataInfomation info;
    info.Mode = ConnectKind;
    platform::ExclusiveFile areaLock;
    if (LockSharedArea(areaLock, data.PASNAME) != platform::ExclusiveFile::Result::Taken)
        return 0;

    // Children first, each copied beside its server folder under a side
    // name: the server's children are replaced only when every copy is
    // complete and the parent went back too.
    const bool consolidated = data.GASSAN == 1 || data.GASSAN == 2;
    struct Staged {
        TDataListRec* child;
        std::string side;
    };
    std::vector<Staged> staged;
    auto dropStaged = [&] {
        for (const auto& s : staged)
            removeTree(s.side);
    };
    if (consolidated) {
        for (auto& child : rec.Children) {
            if (!holdsDataSet(child.LocalPath))
                continue;
            const std::string side = sideName(child.PASNAME, ".new~");
            removeTree(side);
            staged.push_back({&child, side});
            if (!CopyDataSet(child.LocalPath, side)) {
                dropStaged();
                showStateMessage(kChildFailed, {"【共有データパス】", child.PASNAME});
                return 0;
            }
        }
    }
    if (info.PutShareData(data.PASNAME, data.LocalPath, quiet != 0) != 1) {
        dropStaged();
        return 0;
    }

    if (consolidated) {
        bool swapFailed = false;
        for (const auto& s : staged) {
            const std::string target = s.child->PASNAME;
            const std::string old = sideName(target, ".old~");
            removeTree(old);
            std::error_code ec;
            const bool hadOld = fs::exists(target, ec);
            if (hadOld)
                fs::rename(target, old, ec);
            if (!ec)
                fs::rename(s.side, target, ec);
            if (ec) {
                if (hadOld && !fs::exists(target)) {
                    std::error_code ignored;
                    fs::rename(old, target, ignored);
                }
                swapFailed = true;
                continue;
            }
            removeTree(old);
            try {
                info.WriteStatus(target, 1);
                info.WriteShareStatus(target, 1);
                info.WriteStatus(s.child->LocalPath, 1);
                info.WriteShareStatus(s.child->LocalPath, 1);
            } catch (const std::exception&) {
                swapFailed = true;
            }
        }
        if (swapFailed) {
            dropStaged();
            // The parent went back but a child did not: the set stays taken.
            try {
                info.WriteShareStatus(data.PASNAME, 2);
                info.WriteShareStatus(data.LocalPath, 2);
            } catch (const std::exception&) {
            }
            showStateMessage(kChildFailed, {"【共有データパス】", data.PASNAME});
            return 0;
        }
        // A server child without a working copy here is kept as it is:
        // a working copy that went missing must not delete the server's.
    }

    clearShareMarks(*this, rec);
    return 1;
}
