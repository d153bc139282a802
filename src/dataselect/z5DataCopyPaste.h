#pragma once
// Copying a data set onto another row of the data-selection screen (F2:
// copy, then F2: paste), and the checks a paste shares with a restore: the
// forbidden consolidation pairs and the comparison of the two data sets.
// A paste writes the target only after the whole copy has succeeded: the
// files go to a staging folder that replaces the target's in one rename,
// so a failed copy leaves the target (and a consolidated target's
// children) as they were. On the data server the copy is restored beside
// the target and moved over it only when whole.

#include "core/DataInfomation.h"
#include "dataselect/z5DataSentakuModel.h"

#include <cstdint>
#include <functional>
#include <string>

class TBackupRestoreThread;

class TDataCopyPaste {
public:
    explicit TDataCopyPaste(TDataSentakuModel& model);

    bool Pending() const noexcept { return pending_; }
    // The copy step on a grid row: true when the row is remembered as the
    // source (its status is then 6).
    bool Copy(std::int32_t gridRow);
    // The paste onto a grid row: 1 pasted, 0 not (the source is released
    // in every case).
    std::int32_t Paste(std::int32_t gridRow);
    // ESC or closing the screen: the source is released.
    void Cancel();

    // 1 may go on, 0 refused (with its message).
    std::int32_t CheckGassanPattern(
        const std::string& operation, const TDataInfomationRec& source, const std::string& targetFolder);
    std::int32_t CompareDataInfo(
        const std::string& operation, const TDataInfomationRec& source, const TDataInfomationRec& target);
    // The consolidation settings of a pasted or restored target, after the
    // kind the source was remembered with (-1 none).
    void WriteGassanSetting(const std::string& targetFolder, std::uint8_t targetKind, std::int32_t sourceKind);

    // What the last "復元" check accepted (RememberedGassan -1: nothing).
    std::string RememberedShougou;
    std::string RememberedKishu;
    std::string RememberedKimatu;
    std::string RememberedVersion;
    std::int32_t RememberedGassan = -1;

    // Copies the source folder's files into a staging folder; replaceable so
    // a failing copy can be tried. False on failure.
    std::function<bool(const std::string& from, const std::string& to)> CopyFolder;
    // Called with the server copy's worker just before it starts, so a
    // failing copy can be tried.
    std::function<void(TBackupRestoreThread&)> PrepareWorker;

    const std::string& SourceFolder() const noexcept { return sourceFolder_; }
    const std::string& CopyName() const noexcept { return copyName_; }

private:
    void releaseSource();
    bool pasteFiles(const std::string& target, std::uint8_t targetKind);
    bool pasteOnServer(std::int32_t gridRow, const std::string& target);
    void copyChildRows(std::int32_t targetTop);
    void deleteChildRows(std::int32_t top);

    TDataSentakuModel& model_;
    bool pending_ = false;
    std::string sourceFolder_;
    TDataListRec sourceRec_;
    std::int32_t sourceTop_ = -1;
    std::string copyName_;
};

// The copy name of a data set: its name and "～コピー", at most 40 bytes.
std::string MakeCopyName(const std::string& name);
// Replaces the target folder by a copy of the source folder: the copy is
// made beside the target and renamed into place only when complete. False
// (the target untouched) on failure; copy does the copying into the
// staging folder.
bool ReplaceFolderStaged(const std::string& source, const std::string& target,
    const std::function<bool(const std::string&, const std::string&)>& copy);
// Recursive copy of a folder's contents into a new folder.
bool CopyFolderTree(const std::string& from, const std::string& to);
// Writes the processing status of a data folder; a failure is reported
// with the context.
void WriteDataStatus(const std::string& folder, std::uint8_t status, const char* context);
// Server kinds: sets (or clears) this operator's data lock on the row and
// writes it to the registry. Nothing in the stand-alone kind.
void SetRowDataLock(TDataSentakuModel& model, std::int32_t gridRow, bool on);
// Consolidated kinds 1 and 2.
inline bool IsConsolidatedKind(std::uint8_t kind)
{
    return kind == 1 || kind == 2;
}
// Server kinds: true when the folder check finds the row's data on the data
// server; otherwise the row is refreshed. Always true stand-alone.
bool ServerFolderHoldsData(TDataSentakuModel& model, std::int32_t gridRow);
// Brings a cloud-share data set up to date before it is copied or saved:
// the newest data is received from its cloud area (and, in the accounting
// program, the area's in-use mark released) under this operator's data
// lock. True when the operation may go on (also for data that is not cloud
// data); false when the receive failed, with the row refreshed.
bool RefreshCloudData(TDataSentakuModel& model, std::int32_t gridRow);
// Closes the data module's company connection when it is open on folder.
void CloseCompanyOn(const std::string& folder);
// Shows a message of the standard box; the button pressed.
int ShowLines(std::uint8_t kind, std::initializer_list<std::string> lines, std::uint16_t buttons = 0);
