#pragma once
// The data-list registry in the system database: one row per data folder
// and operator group (DATALIST, or DATALIST_EX per data place) with its
// consolidated children (CHILD_DATALIST). TDataSentakuListCtl is the one
// class that reads and writes it; it works on the data module's system
// connection and default transaction.

#include "core/uAccRecord.h"
#include "platform/exclusive_file.h"
#include "platform/firebird/fb_query.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TDataInfomationRec;
namespace datalist_detail {
struct RowColumn;
}

struct TDataListRec {
    std::int32_t REC = 0;
    std::int32_t ROWNO = 0;
    std::int32_t GROUPID = 0;
    std::string DATACODE;
    std::string ENTTEXT;
    std::string SHOUGOU;
    std::int32_t NENDO = 0;
    std::string KikanText;
    TDateTime KISHU = 0;
    TDateTime KIMATU = 0;
    std::int32_t NETDRIVE = 0;
    std::string PASNAME;
    std::string LocalPath;
    std::int32_t DATATYPE = 0;
    std::int32_t CODETYPE = 0;
    std::int32_t DATALOCK = 0;
    std::int32_t KYOYULOCK = 0;
    std::int32_t TANTOU = 0;
    std::int32_t VER_MAJOR = 0;
    std::int32_t VER_MINOR1 = 0;
    std::int32_t VER_MINOR2 = 0;
    std::string VER_TEXT;
    std::int32_t UPDATE_LOCK = 0;
    std::uint8_t GASSAN = 0; // 0 normal, 1 consolidated, 2 consolidated branch, 10 distributed child
    std::string DispName;
    std::uint8_t DATA_STATUS = 0;
    std::string YOBI1;
    std::string YOBI2;
    std::string YOBI3;
    std::int32_t WorkNo = 0;
    std::string WorkText;
    std::uint8_t CLOUD = 0;
    std::int32_t READ_ONLY = 0;
};

using TDataListArray = std::vector<TDataListRec>;

struct TDataSentakuRec {
    TDataListRec Data;
    std::int32_t ChildCount = 0;
    TDataListArray Children;
};

using TDataSentakuRecArray = std::vector<TDataSentakuRec>;
// Positions of displayed rows in a TDataSentakuRecArray.
using TDataSentakuRecDispArray = std::vector<std::int32_t>;

// Area names of the shared server for folders without a data set.
inline constexpr const char* kFreeAreaName = "空き領域";
inline constexpr const char* kNewAreaName = "新しい領域";

// The login code of an operator code: the code modulo (group id × 10000).
// Group 0 has no group part, so its codes reduce modulo 10000.
std::int32_t LoginCodeOf(std::int32_t opCode, std::int32_t groupId);

// The drive letter the shared-server tables file a server path under: the
// letter of the share root holding it, else the path's first character.
std::string ShareDriveLetter(const std::string& path);

// The lock file of a shared area: created exclusively by whoever reads and
// changes the area's share state or replaces its files, so two computers
// never work on one area at once. It belongs to its holder and is never
// copied with the area's files.
inline constexpr const char* kSharedAreaLockName = "share.lck";
platform::ExclusiveFile::Result LockSharedArea(platform::ExclusiveFile& lock, const std::string& area);
// "共有データは現在使用されています。" with the holder the area's data ini names.
void ShowSharedAreaInUse(const std::string& area);

class TDataSentakuListCtl {
public:
    TDataSentakuListCtl();
    ~TDataSentakuListCtl();
    TDataSentakuListCtl(const TDataSentakuListCtl&) = delete;
    TDataSentakuListCtl& operator=(const TDataSentakuListCtl&) = delete;

    // Copy of ConnectMode, set by the creator: 0 stand-alone, 1, 2 server.
    std::uint8_t ConnectKind = 0;
    // 1 when serving the shared-server list: every data-list operation here
    // then does nothing and reports success.
    std::uint8_t ServerListMode = 0;

    // Rows of the last Execute or ServerExecute.
    std::int32_t RowCount = 0;
    TDataSentakuRecArray Rows;
    std::int32_t ChildRowCount = 0;
    TDataListArray ChildRows;
    // 0 all rows, 1 rows with a name, 2 rows without a name.
    std::uint8_t ListFilter = 0;
    std::int32_t NendoFilter = 0; // above 0: only rows of that fiscal term
    std::string ShougouFilter; // not empty: only rows of that company
    std::vector<std::string> SubFolders; // last sub-folder listing
    // Copies a data set's files between folders when children are stored
    // back (CopyDataSetFiles); replaceable so a failing copy can be tried.
    std::function<bool(const std::string& from, const std::string& to)> CopyDataSet;

    void SetDataPlace(std::int32_t place);
    std::int32_t DataPlace() const noexcept { return dataPlace_; }
    const std::string& TableName() const noexcept { return tableName_; }
    bool HasCloudColumn() const noexcept { return hasCloud_; }
    bool HasReadOnlyColumn() const noexcept { return hasReadOnly_; }

    // Loads every row of the operator group with its children into Rows and
    // ChildRows. Sort kinds 0 (customOrder appended) to 7; 8 and above keep
    // the table's order. Share filter 1 leaves out rows taken by this
    // computer (stand-alone only). Failures are reported.
    void Execute(std::int32_t shareFilter, std::uint8_t sortKind, bool descending, const std::string& customOrder);
    void ClearDataList();
    void InitDataListRecord(TDataListRec& rec, const std::string& path) const;
    void SetDataListRecordFromInfo(const TDataInfomationRec& info, TDataListRec& rec) const;
    std::int32_t GetRecOfPath(const std::string& path);
    // Mode 0 by REC, 1 by path. With report false a database error reaches
    // the caller.
    void GetDataListRecord(std::uint8_t mode, TDataListRec& rec, bool report);
    bool GetLocalPathToData(const std::string& path, TDataListRec& rec);
    bool GetDataListRecordByPath(const std::string& path, TDataSentakuRec& rec);
    void GetDataListChildRecord(TDataSentakuRec& rec, bool report);
    bool UpdateDataListRecord(TDataListRec rec, std::int32_t updateNames, bool report);
    bool UpdateDataListChildRecord(TDataListRec rec, std::int32_t updateNames, bool report);
    // Server kinds: a new row numbered after the group's highest.
    bool InsertDataListRecord(TDataListRec& rec, bool report);
    // Removes an added row (above DataListCnt) and its children; fixed
    // areas stay.
    bool DeleteDataListRecord(TDataListRec rec, bool report);
    // A child row (GASSAN 10), or every child of a row.
    bool DeleteDataListChildRecord(TDataListRec rec, bool report);
    // Highest REC of the group in the current list plus step; 0 after a
    // reported failure and in server-list mode.
    std::int32_t GetDataFolderName(std::int32_t step);
    bool IsDataPathToroku(const std::string& path);
    std::int32_t FindRecByPasName(const std::string& path);
    // Server kinds: closes the gaps among the rows above DataListCnt.
    // Failures reach the caller.
    void RenumberAddedRows();
    static void NumberChildNames(TDataSentakuRec& rec);
    static void RemoveChild(TDataSentakuRec& rec, std::int32_t index);
    static std::string GetDataStatusName(std::int32_t status);

    // --- The shared server (stand-alone kind) ---
    // Server-list mode only: mode 0 reads the list of the folder's drive
    // letter, mode 1 rebuilds it from the folder's areas.
    void ServerExecute(std::uint8_t mode, const std::string& serverFolder, std::uint8_t sortKind, bool descending,
        const std::string& customOrder);
    // Sub-folder names, sorted, without the backup folders and hidden names.
    void GetServerSubFolders(const std::string& folder, std::vector<std::string>& list);
    void GetPasNameSubFolders(const TDataListRec& rec, std::vector<std::string>& list);
    void GetLocalPathSubFolders(const TDataListRec& rec, std::vector<std::string>& list);
    bool UpdateServerDataListRecord(TDataListRec rec, std::int32_t updateNames, bool report);
    bool UpdateServerDataListChildRecord(TDataListRec rec, std::int32_t updateNames, bool report);
    bool DeleteServerDataListChildRecord(TDataListRec rec, bool report);
    void GetNextServerFolderName(const std::string& serverFolder, std::int32_t step, std::string& name);
    bool ConvLocalPathToSharePath(
        const std::string& path, std::string& sharePath, std::int32_t& netDrive, std::int32_t& shareLock);
    void SharePathToLocalPath(const std::string& serverPath, std::uint8_t kind, std::string& localPath);
    // Takes a shared data set: 1 taken, 0 not taken, -1 refused (taken by
    // someone else, or damaged). Quiet 1 leaves the unreachable-server
    // message to the caller.
    std::int32_t KyoyuDataLock(TDataSentakuRec& rec, std::int32_t quiet);
    // Stores it back: 1 stored and released; 0 failed, the set stays taken.
    std::int32_t KyoyuDataUnlock(TDataSentakuRec& rec, std::int32_t quiet);

    // The data folder a data set is worked on from this computer.
    std::string MakeLocalPath(const TDataListRec& rec) const;

private:
    // The stored columns of a row this database has: the shared ones, with
    // the names and the registry's own columns when asked.
    std::vector<const datalist_detail::RowColumn*> storedColumns(bool names, bool registryOwn) const;
    // "SELECT REC,ROWNO,..." of every column, those this database lacks as
    // 0; a server list answers its fixed values for the registry's own.
    std::string columnList(bool child, bool topLevelRowNo, bool server = false) const;
    // Adds where, the place condition of a data place's list and tail to
    // q's text, and binds the place.
    void addListWhere(
        platform::firebird::Query& q, const std::string& where, const std::string& tail = std::string()) const;
    // One aggregate of REC over the group's rows of this list (those of
    // path when given), read on second_; false after a reported failure.
    bool readGroupNumber(
        const char* context, const char* message, const char* aggregate, const std::string* path, std::int32_t& value);
    // The lowest REC of a path (in this place's list when inPlace); 0 when
    // there is none or the read failed (quietly).
    std::int32_t recOfPath(const char* context, const std::string& path, bool inPlace);
    // " AND ..." conditions Execute adds to every read of the list.
    std::string commonConditions(std::int32_t shareFilter) const;
    void bindCommonConditions(platform::firebird::Query& q) const;
    void readListRows(const std::string& where, std::int32_t shareFilter, const std::string& order);
    void readServerRows(bool child, const std::string& where, const std::string& order, const std::string& letter);
    // Reads the rows of main_'s prepared select, each adjusted: top-level
    // rows into Rows, children into ChildRows and their parent row.
    void collectRows(bool child, const std::function<void(TDataListRec&)>& adjust);
    void addServerWrite(bool child, bool insert, std::int32_t updateNames);
    void bindServerValues(const TDataListRec& rec, bool child, bool withNames);
    std::int32_t serverRowOfPath(const std::string& table, const std::string& path);
    // The registry rows (table DATALIST or CHILD_DATALIST) of a shared
    // path take its lock.
    void writeRegistryLock(const char* table, const TDataListRec& rec);
    void readRow(platform::firebird::Query& q, TDataListRec& rec, bool child) const;
    // "UPDATE table SET" every column bindRowValues binds (without WHERE).
    void addUpdateOfRow(platform::firebird::Query& q, const std::string& table) const;
    void bindRowValues(platform::firebird::Query& q, const TDataListRec& rec) const;
    // "INSERT INTO table(...) VALUES(...)" of a row, bound.
    void bindInsertOfRow(
        platform::firebird::Query& q, const TDataListRec& rec, const std::string& table, bool withPlace) const;

    platform::firebird::Query main_;
    platform::firebird::Query second_;
    std::int32_t dataPlace_ = 0;
    std::string tableName_ = "DATALIST";
    bool hasCloud_ = false;
    bool hasReadOnly_ = false;
};

// Makes the data module rewrite a data set's data-list row whenever it
// closes a company database with the list update: the data module that
// exists now and every one made later.
void InstallDataListUpdater();
