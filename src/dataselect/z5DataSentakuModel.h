#pragma once
// The list of the data-selection screen without its window: the rows of
// the operator's data list, filtered and sorted as the screen asks, the
// grid rows (children below their parent), the text and marks of each
// column, the refresh of rows from their data folders and the choice of a
// row (F12). TDataSentakuBox draws it and forwards its keys.

#include "dataselect/z5ComDataSentaku.h"
#include "dataselect/z5DataSentakuRules.h"

#include <functional>
#include <string>
#include <vector>

class TDataSentakuModel {
public:
    TDataSentakuModel();

    std::uint8_t ConnectKind = 0;
    std::uint8_t SyoriType = 0;
    bool CloudShareEnabled = false;
    TDataKensakuRec Filter; // the active filter
    bool FilterActive = false;
    std::int32_t SortColumn = -1;
    bool Descending = false;
    std::int32_t DataPlace = 0;
    // Type 5: 0 save to, 1 restore from the take-out folder.
    std::int32_t OnlySAMode = 0;
    std::string OnlySABackupPath;

    TDataSentakuRecArray Rows;
    TDataSentakuRecDispArray Disp; // positions in Rows of the rows that pass the filter

    // One grid row: a top-level row, or a child of it.
    struct GridRow {
        std::int32_t Top = 0;
        std::int32_t Child = -1;
    };
    std::vector<GridRow> Grid;

    TDataSentakuListCtl& Registry() { return registry_; }

    // Reads and filters the list; the number of rows read before filtering.
    std::int32_t LoadDataList();
    // Rebuilds Grid from Disp.
    void BuildGrid();
    const TDataListRec& Record(std::int32_t gridRow) const;
    TDataListRec& Record(std::int32_t gridRow);
    // The parent's GASSAN for a child row, else 0.
    std::uint8_t ParentGassan(std::int32_t gridRow) const;

    // The text of a grid column (0..19; pictures give "").
    std::string ColumnText(std::int32_t gridRow, int column) const;
    // The data folder of a row as reached from this computer.
    std::string GetRowDataPath(std::int32_t gridRow) const;
    // Updating the data set is forbidden and its schema is older than the
    // program's.
    bool IsUpdateBlocked(std::int32_t gridRow);
    // Red: damaged. Grey text: update blocked.
    bool IsDamaged(std::int32_t gridRow) const { return Record(gridRow).DATA_STATUS == 1; }
    // The grid row of the data folder, -1 when none.
    std::int32_t FindRowOfFolder(const std::string& folder) const;

    // Writes a row whose name or locks changed on this screen: the
    // registry, its blocked-update mark asked again, and the shared list
    // for a shared data set this computer has taken.
    bool StoreRow(std::int32_t gridRow);

    // Brings a row up to date with its data folder (a child through its
    // parent) and rebuilds the grid.
    void DataListRefresh(std::int32_t gridRow);
    // Every row, under the shown progress window: each row's number (from
    // 1) on its information line; Cancel stops before the next row.
    // afterRow runs after each row (the screen lets waiting events run).
    void DataListRefreshAll(const std::function<void()>& afterRow);

    // Incremental search: the first grid row after `current`, then from the
    // first row up to `current`, whose code begins with text (Latin letters
    // without case). -1 when none matches.
    std::int32_t FindByCodePrefix(std::int32_t current, const std::string& text) const;

    // The lock column of the server kinds: takes this operator's data lock
    // on a free row, releases the operator's own lock, refuses (with a
    // message) another operator's lock and a data set that may not be
    // locked. True when the row was written back.
    bool ToggleDataLock(std::int32_t gridRow);

    // F12 on a grid row: 1 chosen (SysDef holds the folder), 0 refused.
    std::int32_t Choose(std::int32_t gridRow);
    std::string ChosenFolder;
    std::string ChosenPath;

    // Automatic take ("download") or store-back ("upload") of the row's
    // shared data; above 0 when the choice may go on.
    std::int32_t AutoShareTransfer(std::int32_t gridRow, const std::string& direction);

    // The check of chosen folders (CheckDataFolder, CheckFolderStatus).
    TDataFolderCheck FolderCheck() const;

    // Starts new data in a folder (the new-data process). Not set: choosing
    // an empty folder to create data in is refused with a message.
    std::function<bool(const std::string& folder)> NewData;
    // Processing type 5: saves the row's data into, or restores it from, the
    // take-out folder (1 done). Not set: refused with a message.
    std::function<std::int32_t(std::int32_t gridRow, const std::string& folder)> SaveToFolder;
    std::function<std::int32_t(std::int32_t gridRow, const std::string& folder)> RestoreFromFolder;

private:
    void refreshTop(std::int32_t top);
    void rebuildChildren(TDataSentakuRec& row, const std::string& folder);
    void storeTakenRowOnServer(const TDataSentakuRec& row);
    void emptyRow(TDataListRec& rec);
    void clearChoice();
    // 1 present, 0 missing, -1 unknown (the check itself failed).
    int databaseState(const std::string& folder) const;

    TDataSentakuListCtl registry_;
    std::vector<signed char> blocked_; // per Rows entry: -1 not asked yet
};
