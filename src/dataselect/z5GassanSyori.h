#pragma once
// Consolidated data sets and their distributed data sets: a consolidated
// data set (GASSAN 1, or 2 by branch) keeps each distributed data set, a
// full company database, in a child folder ("001", or a facility code in
// facility mode) registered as a child row of its data-list row.
// TGassanDataCtl finds the children, makes a new distributed data set from
// a copy of the consolidated database cleared for input, and records the
// consolidation kind and count. Stand-alone only.

#include "core/DataInfomation.h"
#include "dataselect/z5ComDataSentaku.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TGassanDataRec {
    std::int32_t REC = 0;
    std::int32_t Reserve = 0;
    std::string Folder;
    std::int32_t SitenMode = 0; // facility mode: ACCDEF1.SITEN, 0 none
    std::int32_t Count = 0;
};

struct TGassanChildDataRec {
    std::int32_t REC = 0;
    std::int32_t ROWNO = 0;
    std::string Code; // facility code, or empty
    std::string Path;
};

using TGassanChildDataArray = std::vector<TGassanChildDataRec>;

class TGassanDataCtl {
public:
    TGassanDataCtl();

    void SetDataFolder(const std::string& folder);
    void SetRec(std::int32_t rec);
    void SetActive(bool active);
    bool Active() const noexcept { return active_; }
    void LoadGassanData(TGassanDataRec& data);

    std::int32_t FindChildByPath(const std::string& path) const;
    std::int32_t NextChildRowNo(std::int32_t step) const;
    // Empty name when the folder does not exist; throws std::runtime_error
    // ("作成できるフォルダ名は[999]までです。") from 1000 on.
    void GetNextChildFolderName(const std::string& folder, std::int32_t step, std::string& name) const;

    // Clears the new child's database for distributed input; errors are
    // reported and passed on.
    void AccDataSyokika();
    void SetGassanSetting(std::uint8_t kind, std::int32_t count);
    // Makes, clears and registers a new distributed data set; false (and
    // no new folder left behind) on any failure.
    bool CreateDistributedData(const std::string& code);

    TGassanDataRec Data;
    TGassanChildDataArray ChildFolders;
    TGassanChildDataArray PlannedChildren;
    std::string NewFolder;
    std::string NewCode;
    std::int32_t NetDrive = 0;
    std::string SharedPath;
    TDataListRec WorkRow;
    TDataInfomationRec WorkInfo;
    // Progress labels of a long step (none when not set).
    std::function<void(const std::string&)> Progress;

private:
    bool connect(const std::string& folder, std::uint8_t mark);

    TDataSentakuListCtl registry_;
    TDataInfomation info_;
    std::string folder_;
    std::int32_t rec_ = 0;
    bool active_ = false;
    bool medical_ = false;
};
