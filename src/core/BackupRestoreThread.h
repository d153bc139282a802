#pragma once
// The worker that saves, restores, copies and rebuilds a data set's
// database, with the personal-number rules around it and the backup-info
// block appended to a backup file.
//
// Every step touches the databases or the screen, so every step runs on the
// main thread: Resume() queues the run on the main thread's event loop (or
// runs it at once when there is none), and callers wait for IsTerminated()
// with the waits that keep processing events (WaitMilliSec).

#include <cstdint>
#include <string>

// The first line of the backup-info block.
inline constexpr const char* kBackupInfoMarker = "## SaffrinZone";

class TBackupRestoreThread {
public:
    explicit TBackupRestoreThread(bool createSuspended = true);
    ~TBackupRestoreThread();
    TBackupRestoreThread(const TBackupRestoreThread&) = delete;
    TBackupRestoreThread& operator=(const TBackupRestoreThread&) = delete;

    std::int32_t Mode = 0; // 0 backup, 1 restore, 2 copy, 3 rebuild
    std::uint8_t Location = 0; // 0 database services, 1 the shared server
    bool CheckMyNumber = true;
    std::string HostName;
    std::string DataPath;
    std::string DestPath;
    std::string BackupFile;
    // Restore into a side file: the database it will replace, whose
    // personal-number settings decide (empty: DataPath itself).
    std::string ReplacedPath;
    std::uint8_t ActivateIndexes = 0;
    bool Success = false;
    bool Failed = false;
    std::string ErrMethod;
    std::string ErrCode;
    std::string ErrMessage;
    std::string ErrDetail;
    bool WriteInfo = false;
    bool AskMyNumber = false;
    bool LogMyNumber = false;
    bool ExcludeMyNumber = false;
    std::int32_t MyNumberAnswer = 0;
    std::string ScreenName;
    // Backup info.
    std::string Shougou;
    std::string Kishu;
    std::string Kimatu;
    std::int32_t Siwake = 0;
    std::int32_t TotalSiwake = 0;
    std::string DataVersion;
    std::int32_t Gassan = 0;
    std::int32_t UseMyNumber = 0;

    void Resume();
    bool IsTerminated() const noexcept { return terminated_; }
    // The run itself; Resume() calls it on the main thread.
    void Execute();

    void ClearBackupInfo();
    // Appends the block (nothing when Shougou is empty). A company name that
    // would push the block beyond 512 bytes is shortened, so the block can
    // always be read back whole. False when nothing was appended.
    bool WriteBackupInfo(const std::string& backupFile);
    // Fills the info fields from the file's block (strip: and cuts it off);
    // true when a company name was found.
    bool ReadBackupInfo(const std::string& backupFile, bool strip);

    // The block's text for the current info fields.
    std::string BackupInfoText() const;

private:
    enum class DbKind { None, System, Company };
    DbKind kindOf(const std::string& path) const;
    bool localHost() const;
    void setError(const char* method, const char* code, const std::string& message, const std::string& detail);
    void myNumberStepBackup();
    void myNumberStepRestore();
    void backupStep();
    void restoreStep();
    void copyStep();
    bool backupThroughShare();
    bool restoreThroughShare();

    bool started_ = false;
    bool terminated_ = false;
};
