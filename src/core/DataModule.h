#pragma once
// The data module: owner of every database connection of the process (the
// system database, the open company database, the file-manager database),
// their transactions and shared statements, and the maintenance
// operations built on them (existence tests, journal counts, backup,
// restore, validation, file operations here or on the data server).
//
// Every operation runs through core/DbOperation.h: it starts the transaction
// it uses only when that is not active, commits or rolls back only what it
// started, reports its own failures with the context "TDM.<operation>" and
// answers its failure value; the few that raise to their caller say so.

#include "core/DbOperation.h"
#include "core/uAccRecord.h"
#include "platform/firebird/firebird.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct TDataInfomationRec;

namespace core {

namespace fb = platform::firebird;

// Rewrites the data-list row of a data folder from freshly read facts when
// a company database is closed. The data-selection library installs it
// (InstallDataListUpdater); without one the row is left alone.
using TDataListUpdater = std::function<void(const std::string& dataFolder, const TDataInfomationRec& info)>;

// The answer of a file test: whether the file is there, or that nobody could
// tell (the server could not be asked, the path was refused).
enum class TFileCheck { Missing, Present, Unknown };

// Runs a child process for the backup tool; replaceable for tests.
struct TGbakResult {
    bool started = false;
    int exitCode = -1;
    std::string output;
};
using TGbakRunner = std::function<TGbakResult(
    const std::vector<std::string>& argv, const std::string& user, const std::string& password)>;

// The byte flags of the connection operations by name. The byte forms stay
// for callers written against them; new code passes these, which cannot be
// swapped with one another or with a number.
enum class TConnectReport : std::uint8_t { Raise = 0, Show = 1 }; // a failed connect: raised or shown
enum class TInUseMark : std::uint8_t { None = 0, Mark = 1 }; // mark the data set in use while open
enum class TDataFileUpdate : std::uint8_t { Keep = 0, Update = 1 }; // rewrite the folder's facts on closing
enum class TDataListUpdate : std::uint8_t { Keep = 0, Update = 1 }; // rewrite its data-list row on closing

class TDM {
public:
    TDM();
    ~TDM();
    TDM(const TDM&) = delete;
    TDM& operator=(const TDM&) = delete;

    // Components (declaration order is destruction order in reverse:
    // statements go before their transactions, transactions before their
    // databases).
    fb::Database IBDatabaseDEF;
    fb::Database IBDatabaseDAT;
    fb::Database IBFileMan;
    fb::Transaction IBTransactionDEF;
    fb::Transaction IBTransactionDAT;
    fb::Transaction IBTransactionDATSS;
    fb::Transaction IBTransFileMan;
    fb::Query IBQSysDefGet;
    fb::Query IBQSysDefPut;
    fb::Query IBQACC1;
    fb::Query QueryDef;
    fb::Query IBQACC2;
    fb::Query IBSQLDEF;
    fb::Query IBQueryFileMan;
    fb::Query IBSQLFileMan;

    // Connections.
    bool fnAccDefConnected(const std::string& host = {}, std::uint8_t report = 1);
    bool fnFileManConnected(const std::string& host = {});
    bool fnAccDatConnected(const std::string& host = {}, const std::string& dataFolder = {}, std::uint8_t mark = 0);
    bool fnAccDatDisConnected(
        const std::string& dataFolder = {}, std::uint8_t updateFile = 0, std::uint8_t updateList = 0);
    bool fnAccDefConnected(const std::string& host, TConnectReport report)
    {
        return fnAccDefConnected(host, static_cast<std::uint8_t>(report));
    }
    bool fnAccDatConnected(const std::string& host, const std::string& dataFolder, TInUseMark mark)
    {
        return fnAccDatConnected(host, dataFolder, static_cast<std::uint8_t>(mark));
    }
    bool fnAccDatDisConnected(const std::string& dataFolder, TDataFileUpdate file, TDataListUpdate list)
    {
        return fnAccDatDisConnected(dataFolder, static_cast<std::uint8_t>(file), static_cast<std::uint8_t>(list));
    }
    // True also when nobody could tell (the failure is reported).
    bool AccDatInConnection(int kind, const std::string& host, const std::string& dataFolder, std::uint8_t keepOwn);
    bool AccDatDropDatabase(const std::string& host, const std::string& dataFolder);
    std::string GetShortFileName(const std::string& path, std::uint8_t mode);
    int CheckDataDamage(const std::string& host, const std::string& dataFolder, int silent, int force);

    // Schema and journal counts.
    bool fnExistence_Table(const std::string& table);
    bool fnExistence_Field(const std::string& table, const std::string& field);
    int GetYukouSiwakeCount(const std::string& branch = {});
    int GetUpDelSiwakeCount(const std::string& branch = {});
    int GetSiwakeCount(const std::string& branch, int& valid, int& changed);
    int GetSiwakeCountOnly(const std::string& branch = {});

    // Backup, restore and validation.
    bool BackupFDB(fb::Protocol protocol, const std::string& host, const std::string& databaseFile,
        const std::string& backupFile, bool direct);
    bool RestoreFDB(fb::Protocol protocol, const std::string& host, const std::string& databaseFile,
        const std::string& backupFile, bool activateIndexes);
    // Raise core::EBackupToolError when the tool fails.
    bool BackupFDBGbak(fb::Protocol protocol, const std::string& host, const std::string& databaseFile,
        const std::string& backupFile, bool direct);
    bool RestoreFDBGbak(fb::Protocol protocol, const std::string& host, const std::string& databaseFile,
        const std::string& backupFile, bool activateIndexes);
    bool ValidateFDB(fb::Protocol protocol, const std::string& host, const std::string& databaseFile);

    // Files here (mode 0) or on the data server (modes 1, 2).
    bool ServerFileOperation(const std::string& operation, const std::string& path1, const std::string& path2 = {});
    // The same with "could not ask" (no connection, a refused path, a
    // database error: reported, then nullopt) kept apart from the answer.
    std::optional<bool> ServerFileAnswer(
        const std::string& operation, const std::string& path1, const std::string& path2 = {});
    std::string ServerLongToShortFileName(const std::string& path);
    bool DExist(const std::string& path, std::uint8_t mode);
    bool MkDir(const std::string& path, std::uint8_t mode);
    bool RmDir(const std::string& path, std::uint8_t mode, bool undo = false);
    bool FExist(const std::string& path, std::uint8_t mode);
    // FExist for callers that must not take "could not tell" for "missing".
    TFileCheck FileCheck(const std::string& path, std::uint8_t mode);
    bool FDel(const std::string& path, std::uint8_t mode, bool undo = false);
    bool FMove(const std::string& source, const std::string& target, std::uint8_t mode);
    bool FCopy(const std::string& source, const std::string& target, std::uint8_t mode);
    bool ClearOpinf();

    // Dormant timers: nothing enables them in this program.
    void TimerFormCloseTimer() { }
    void TimerSyoriKidouTimer();

    void SetDataListUpdater(TDataListUpdater updater) { dataListUpdater_ = std::move(updater); }
    // The updater every data module made from now on starts with: the
    // program installs it at start, before its data module exists.
    static void SetDefaultDataListUpdater(TDataListUpdater updater);
    void SetGbakRunner(TGbakRunner runner);

    // The data folder whose settings file this process marked in use (mode
    // 0), empty when none.
    const std::string& MarkedDataFolder() const noexcept { return markedFolder_; }

private:
    void connectDatabase(fb::Database& db, const std::string& name);
    std::optional<bool> attachedByOthers(const std::string& databaseName);
    void releaseInUseMark();

    TDataListUpdater dataListUpdater_;
    TGbakRunner gbakRunner_;
    std::string markedFolder_;
    std::string deferredProcId_;
    std::uint8_t deferredModal_ = 0;
    std::string deferredParams_;
};

// The one instance, created by the program's initialisation (and by tests).
extern TDM* DM;

// The failure of the backup tool, raised to the caller of the gbak forms.
class EBackupToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Database name by the connection rule: "host:folder/file" when the mode is
// not 0 and the host is not "127.0.0.1", else "folder/file".
std::string MakeDatabaseName(const std::string& host, const std::string& folder, const std::string& file);
// True when that rule picks the server form.
bool UsesServerForm(const std::string& host);

} // namespace core
