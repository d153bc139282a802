#pragma once
// Saving a data set of the data-selection screen as a backup file
// "tnacc.fbk" (F6) and putting a backup back over a row (F7), both through
// the backup worker. A save writes a new file beside the old one and puts
// it in place only when the worker succeeded; a restore writes the database
// into a side folder and swaps it in only on success, so a failing save or
// restore leaves the previous backup and the target's database as they
// were.

#include "dataselect/z5DataCopyPaste.h"

#include <cstdint>
#include <functional>
#include <string>

class TBackupRestoreThread;

class TDataSaveRestore {
public:
    TDataSaveRestore(TDataSentakuModel& model, TDataCopyPaste& checks);

    // 1 saved, -1 failed, 0 not started. An empty folder asks the user.
    std::int32_t SaveData(std::int32_t gridRow, const std::string& folder);
    // 1 restored, -1 not. An empty folder asks the user.
    std::int32_t RestoreData(std::int32_t gridRow, const std::string& folder);

    // Asks for the backup folder: restore false for saving; for restoring
    // fromDataFolder is set when the user picked the program's default
    // place. Empty: cancelled.
    std::function<std::string(bool restore, bool& fromDataFolder)> ChooseFolder;
    // Called with the worker before it starts (tests make it fail).
    std::function<void(TBackupRestoreThread&)> PrepareWorker;

private:
    bool runWorker(TBackupRestoreThread& worker, int pollMs);
    std::string askFolder(bool restore, bool& fromDataFolder);

    TDataSentakuModel& model_;
    TDataCopyPaste& checks_;
};

// The name a new backup is written under until it is complete.
inline constexpr const char* kBackupPartName = "tnacc.fbk.part";
// The side folder a restore writes into, beside the data folder.
std::string RestoreSideFolder(const std::string& dataFolder);
