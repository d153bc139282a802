#pragma once
// Builds a complete sample data root into any folder: the folder plays the
// program's moved home (MIRUZA_HOME), so the data root is
// <folder>/data/brimto/rozivoraduz with ini/, log/, temp/ and data/ (the
// system folder holding tnaccdef.fdb and tnfileman.fdb) and one data folder
// per company below data/ (data/0001, ...). The registry stand-in
// (<folder>/config/registry.ini) records the installed accounting product.
// A shared server stands beside it: <folder>/share-server, listed as share
// root S in <folder>/config/share_roots.ini, with one area
// (rozivoraduz/sv0001) holding a copy of the first company.
//
// The databases are made from the SQL scripts in sample/sql (code page 932):
//   sys_*.sql      system database, in name order
//   company_*.sql  every company database, in name order
//   medical_*.sql  the medical corporation's company database, after the
//                  company_*_schema*.sql scripts (shared schema only)
//   fileman_*.sql  file-manager database, in name order
// A later concern adds its own numbered file beside them.

#include <functional>
#include <string>
#include <vector>

namespace platform::firebird {
class Database;
}

namespace sample {

struct SampleOptions {
    // Folder of the SQL scripts (defaults to the sources' sample/sql).
    std::string sqlDir;
    // Database account written into the connection settings file.
    std::string dbUser = "TOLVAN";
    std::string dbPassword = "vulmok";
    // A server to create the databases on ("127.0.0.1/30555"); empty: the
    // embedded engine on local paths.
    std::string host;
    bool withCompany = true;
    // A second company: a medical corporation (data folder 0002, DATALIST
    // row 2), made from the company *_schema* scripts and medical_*.sql.
    bool withMedical = true;
    bool withFileManager = true;
    // A shared server for the stand-alone kind: a share root (letter S,
    // remote, listed in <folder>/config/share_roots.ini) holding one area
    // with a copy of the first company. Only with the company and the
    // embedded engine (a server's database files are the server's).
    bool withShareRoot = true;
    // Registers that area in the data list as well (registerShareArea). The
    // sample run does; the tests' default root keeps its data list as it is.
    bool registerShareArea = false;
    // Synchronous writes of the databases made. Test fixtures turn them
    // off: a scratch root builds in a fraction of the time.
    bool forcedWrites = true;
    // Called for every folder the builder makes before a database goes in
    // it; a server-mode fixture hands the folder to the server's account.
    std::function<void(const std::string& folder)> folderCreated;
};

struct SampleCompany {
    std::string folder; // data folder
    std::string database; // folder/tnacc.fdb
    std::string iniFile; // folder/tnacc.ini
    int rec = 0; // DATALIST.REC
    std::string code; // DATACODE
    std::string name; // SHOUGOU
};

struct SampleRootInfo {
    std::string folder; // the moved home
    std::string appDataDir; // folder/data
    std::string dataRoot; // appDataDir/brimto/rozivoraduz
    std::string iniDir, logDir, tempDir;
    std::string sysDir; // dataRoot/data
    std::string systemDatabase; // sysDir/tnaccdef.fdb
    std::string fileManDatabase; // sysDir/tnfileman.fdb
    std::string connectionIni; // dataRoot/tnzaimu.ini
    std::string registryFile; // folder/config/registry.ini
    std::vector<SampleCompany> companies;
    // The shared server's folder (the share root) and its one area; empty
    // without the share root.
    std::string shareRoot; // folder/share-server
    std::string shareArea; // shareRoot/rozivoraduz/sv0001
    // The operator who can log in.
    int groupId = 10000;
    int operatorCode = 1; // code within the group
    std::string operatorName;
    std::string operatorPassword;
};

// Creates the whole root; throws std::runtime_error (or EIBError) with the
// step that failed. An existing root in the folder is refused.
SampleRootInfo buildSampleRoot(const std::string& folder, const SampleOptions& options = {});

// The data-list row of the shared data set that registerShareArea writes.
inline constexpr int kShareAreaRec = 20;

// Registers the root's shared area in the data list (row kShareAreaRec) as
// a shared data set not taken yet, so that the data-selection screen lists
// it and 「共有取得」 takes it. Returns the row; throws when the root has no
// shared area.
int registerShareArea(const SampleRootInfo& info, const SampleOptions& options = {});

// Runs an isql-style script (code page 932 file, SET TERM, COMMIT) on a
// connected database: each DDL statement is committed at once, other
// statements run in one transaction committed at COMMIT and at the end.
void runSqlScript(platform::firebird::Database& database, const std::string& scriptPath);

// Sets a connection to a database the sample tools build: the account (no
// password parameter when it is empty) and the SJIS_0208 character set.
void configureConnection(platform::firebird::Database& database, const std::string& name, const std::string& user,
    const std::string& password);

// One statement in a transaction of its own, committed.
void executeCommitted(platform::firebird::Database& database, const std::string& sql);
// The same for script text already in UTF-8.
void runSqlText(platform::firebird::Database& database, const std::string& sqlUtf8, const std::string& origin);

// The script files of one kind ("sys", "company", "fileman", "medical") in
// name order; "medical" begins with the company schema scripts.
std::vector<std::string> scriptFiles(const std::string& sqlDir, const std::string& kind);

// Creates a database file and runs the scripts of one kind on it.
void createDatabaseFromScripts(const std::string& databaseName, const std::string& sqlDir, const std::string& kind,
    const std::string& user, const std::string& password, bool forcedWrites = true);
// The same for script files named one by one, run in the order given.
void createDatabaseFromScriptFiles(const std::string& databaseName, const std::vector<std::string>& scriptPaths,
    const std::string& user, const std::string& password, bool forcedWrites = true);

std::string defaultSqlDir();

} // namespace sample
