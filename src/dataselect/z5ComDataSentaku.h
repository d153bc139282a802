#pragma once
// The data-list registry in the system database: one row per data folder
// and operator group (DATALIST, or DATALIST_EX per data place) with its
// consolidated children (CHILD_DATALIST). TDataSentakuListCtl is the one
// class that reads and writes it; it works on the data module's system
// connection and default transaction.

#include "core/uAccRecord.h"
#include "platform/firebird/fb_query.h"

#include <cstdint>
#include <string>
#include <vector>

struct TDataInfomationRec;

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

    void SetDataPlace(std::int32_t place);
    std::int32_t DataPlace() const noexcept { return dataPlace_; }
    const std::string& TableName() const noexcept { return tableName_; }
    bool HasCloudColumn() const noexcept { return hasCloud_; }
    bool HasReadOnlyColumn() const noexcept { return hasReadOnly_; }

    void InitDataListRecord(TDataListRec& rec, const std::string& path) const;
    // Mode 0 by REC, 1 by path. With report false a database error reaches
    // the caller.
    void GetDataListRecord(std::uint8_t mode, TDataListRec& rec, bool report);
    bool GetLocalPathToData(const std::string& path, TDataListRec& rec);
    bool GetDataListRecordByPath(const std::string& path, TDataSentakuRec& rec);
    void GetDataListChildRecord(TDataSentakuRec& rec, bool report);
    bool UpdateDataListRecord(TDataListRec rec, std::int32_t updateNames, bool report);
    bool UpdateDataListChildRecord(TDataListRec rec, std::int32_t updateNames, bool report);
    std::int32_t FindRecByPasName(const std::string& path);
    bool ConvLocalPathToSharePath(const std::string& path, std::string& sharePath, std::int32_t& netDrive,
                                  std::int32_t& shareLock);

    // The data folder a data set is worked on from this computer.
    std::string MakeLocalPath(const TDataListRec& rec) const;

private:
    std::string columnList(bool child, bool topLevelRowNo) const;
    void readRow(platform::firebird::Query& q, TDataListRec& rec, bool child) const;
    // "UPDATE table SET" every column bindRowValues binds (without WHERE).
    void addUpdateOfRow(platform::firebird::Query& q, const std::string& table) const;
    void bindRowValues(platform::firebird::Query& q, const TDataListRec& rec) const;

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
