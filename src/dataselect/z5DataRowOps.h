#pragma once
// The remaining row operations of the data-selection screen: new data in
// an empty row (F3, through the new-data process), a distributed data set
// for a consolidated one (F3), an empty area in the server kinds (F4),
// detaching a row from its shared-server data (F4) and deleting a data set
// with its folder (F5).

#include "dataselect/z5DataSentakuModel.h"

#include <cstdint>
#include <functional>
#include <string>

class TDataRowOps {
public:
    explicit TDataRowOps(TDataSentakuModel& model);

    // The result of the new-data process (1 created, 2 cancelled). A start
    // that fails, or any other answer, leaves no status 9 and no folder
    // created here behind.
    std::int32_t NewData(std::int32_t gridRow, std::int64_t windowHandle);
    // True when a distributed data set was added.
    bool AddDistributedData(std::int32_t gridRow);
    // Server kinds: true when an area was added. The name is asked through
    // AskAreaName (the input dialog; empty: cancelled).
    bool AddArea(std::int32_t gridRow);
    std::function<std::string(const std::string& initial)> AskAreaName;
    // True when the local folder was removed (the row is then empty).
    bool ReleaseShareAssignment(std::int32_t gridRow);
    // True when the data set was deleted.
    bool DeleteData(std::int32_t gridRow, bool report);
    // all: every child of the row's record (registry rows and folders);
    // otherwise only the child of the grid row.
    void DeleteChildRows(std::int32_t gridRow, bool all);

    // The grid row to make current after the last operation (-1: keep).
    std::int32_t CurrentAfter = -1;

private:
    TDataSentakuModel& model_;
};
