#pragma once
// The shared-server data list ("共有データの選択") without its widgets: the
// share drives that qualify, the cached list of the server's areas and the
// operations on those areas (copy and paste with the comparison check, add,
// delete) and on one area's data ini.

#include "core/DataInfomation.h"
#include "dataselect/z5ComDataSentaku.h"
#include "dataselect/z5DataListKensaku.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One qualifying share drive: a remote share root holding the ShareDir folder.
struct TShareDrive {
    char Letter = 0;
    std::string Caption; // "X: (/mnt/server)"
    std::string DataFolder; // <root>/<ShareDir>
};

// A grid line of the list: a top-level area, or one of its children.
struct TServerGridLine {
    std::int32_t Top = 0; // index in Rows
    std::int32_t Child = -1; // index in the top's Children, -1 for the area itself
};

inline constexpr std::int32_t kMaxServerAreas = 2000;

class TServerSentakuCtl {
public:
    TServerSentakuCtl();

    // Remote share roots that hold the share folder, by letter.
    static std::vector<TShareDrive> ScanDrives(const std::string& shareDir);
    // Picks the drive of the letter, else the first; sets Letter and
    // ServerFolder (both empty when there is none). The index chosen, or -1.
    int SelectDrive(const std::vector<TShareDrive>& drives, char letter);

    char Letter = 0;
    std::string ServerFolder;
    TDataSentakuListCtl List;
    TDataSentakuRecArray Rows;
    std::vector<TServerGridLine> Lines; // displayed lines, children after their parent
    TDataKensakuRec Filter;
    bool FilterActive = false;
    std::int32_t SortCol = -1;
    bool Descending = false;

    // Copy state between the F2 that marks a source and the F2 that pastes.
    bool CopyPending = false;
    std::string CopySource;
    TDataListRec CopyRow; // the source row, its list name the copy name
    std::int32_t CopyTop = -1;
    // A cloud source: the local work folder its copy was received into,
    // which the paste then copies from.
    std::string CopyCloudFolder;
    // Copies every entry of one folder into another (created); replaceable so
    // that a failing copy can be tried.
    std::function<bool(const std::string& from, const std::string& to)> CopyFolder;
    // Called once a paste's destination has been accepted, before the
    // comparison and the copy: the screen shows its progress window.
    std::function<void()> OnPasteStart;

    // Reads the cached list (rescan: rebuilt from the folders first, each
    // area and child refilled from its data ini and stored), then filters.
    void LoadList(bool rescan);
    void FilterRows();
    void RefreshList();
    TDataListRec* LineRecord(int line);

    // --- One area's folder ---
    // 1 normal (also for a folder without data, unless warn), 0 no data with
    // warn; else the status of the data ini. With show a status other than
    // 1 and 10 is reported.
    int CheckDataStatus(const std::string& folder, bool warn, bool show);
    void SetRowFromInfo(TDataListRec& row, bool empty);
    void SaveRow(TDataListRec& row);
    void WriteStatus(const std::string& folder, std::uint8_t status);
    int GetShareStatus(const std::string& folder);
    bool SetShareStatus(const std::string& folder, std::uint8_t status);
    bool UpdateServerRow(TDataListRec row);

    // --- Operations on the areas ---
    // The list name of a copy: name + "～コピー", at most 40 CP932 bytes.
    static std::string CopyName(const std::string& name);
    // The difference lines of a paste comparison (empty when they agree).
    static std::vector<std::string> CompareLines(
        const std::string& word, const TDataInfomationRec& source, const TDataInfomationRec& target);
    // Asks when the two folders' data differ; true to go on.
    bool CompareData(const std::string& word, const std::string& source, const std::string& target);
    // Marks the line's area as the copy source (status 6). A cloud row's
    // data are first received into its local work folder through the
    // communication screen. False when it cannot be copied now.
    bool BeginCopy(int line);
    // Cloud share is offered (cloud rows have their own copy and refusals).
    bool CloudEnabled() const;
    // Ends a pending copy without pasting: the source back to status 1.
    void CancelCopy();
    // Pastes the pending source over the line's area. The files go through
    // a side folder, so a failed copy leaves the destination as it was.
    // True when pasted; the source is back to status 1 in every case.
    bool Paste(int line);
    // Creates the folder of a new area and lists it. Messages as the screen
    // shows them; the new folder's path, or empty.
    std::string AddArea(const std::string& typedName);
    // Deletes the line's area folder after the agreement; true when deleted.
    bool DeleteArea(int line, bool reportFailure);
    void ClearChildren(TDataSentakuRec& top, bool all, std::int32_t child);
    void CopyChildren(TDataSentakuRec& target);

private:
    // Holds the area's lock file for a change of its files; false (and the
    // in-use message) when another holder has it or the area is taken.
    bool lockForChange(platform::ExclusiveFile& lock, const std::string& area);
    bool pasteFiles(const std::string& source, const std::string& target, const std::function<void()>& beforeSwap);
    bool pasteInto(int line, TDataListRec& row, const std::string& source);

    TDataInfomation info_;
    TDataKensakuIO kensaku_;
};
