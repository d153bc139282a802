// The data module's maintenance operations: existence tests, journal counts,
// backup, restore, validation and file operations here or on the data server.
#include "core/DataModule.h"

#include "core/IBErrorProc.h"
#include "core/PlatformUtil.h"
#include "platform/paths.h"
#include "platform/plain_text.h"
#include "platform/process.h"

#include <QCoreApplication>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace core {
namespace fs = std::filesystem;
using platform::text::upperAscii;

namespace {

constexpr const char* kLocalHost = "127.0.0.1";

void processMessages()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

using platform::text::isBlank;

// Whether the count that prepare puts into q is above zero, read in an own
// transaction; a database error is reported under context and answers false.
template <class Prepare>
bool countsAnyRow(fb::Transaction& transaction, fb::Query& q, Prepare prepare, const char* context, const char* message)
{
    bool found = false;
    RunDbOperation(transaction, DbPolicy(context, message), [&](TDbScope& op) {
        op.fresh(q);
        prepare(q);
        q.open();
        found = q.field(0).asInteger() > 0;
        q.close();
    });
    return found;
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// Attaches the service manager of host (this machine for a local protocol)
// as the configured database user.
void attachService(fb::Service& s, fb::Protocol protocol, const std::string& host)
{
    s.setProtocol(protocol);
    s.setServerName({});
    if (protocol != fb::Protocol::Local)
        s.setServerName(host);
    s.addParam("user_name=" + SysDef.DBUser);
    s.addParam("password=" + SysDef.DBPassword);
    s.attach();
}

// Reads the started job's output to its end, keeping the screen alive, and
// detaches.
void followJob(fb::Service& s)
{
    std::string line;
    while (s.nextLine(line))
        processMessages();
    s.detach();
}

// Detaches after a failure; a second failure adds nothing to report.
void detachQuietly(fb::Service& s)
{
    try {
        s.detach();
    } catch (...) {
    }
}

// body's answer; a failure inside it is shown to the user under context and
// message (a database error through IBErrorProc) and answers false.
template <class Body> bool succeedsOrReports(const char* context, const char* message, Body&& body)
{
    try {
        return body();
    } catch (const EIBError& e) {
        IBErrorProc(e, context, message, true);
    } catch (const std::exception& e) {
        ErrorMessageEx(message, e.what());
    }
    return false;
}

// The gbak log of this run, an earlier run's removed.
std::string freshGbakLog()
{
    std::string log = platform::paths::join(SysDef.WorkDir, "gbak.log");
    std::error_code ec;
    fs::remove(log, ec);
    return log;
}

// What gbak said about a failure: its log, else its output.
std::string gbakFailureText(const std::string& log, const TGbakResult& r)
{
    std::string text = readWholeFile(log);
    return text.empty() ? r.output : text;
}

// gbak as a child process: the password goes through the environment, never
// the command line.
TGbakResult runGbakProcess(const std::vector<std::string>& argv, const std::string& user, const std::string& password)
{
    platform::ProcessOptions options;
    options.argv = argv;
    options.environment["ISC_USER"] = user;
    options.environment["ISC_PASSWORD"] = password;
    const platform::ProcessResult r = platform::runProcess(options);
    TGbakResult result;
    result.started = r.status != platform::ProcessResult::Status::FailedToStart;
    result.exitCode = r.status == platform::ProcessResult::Status::Finished ? r.exitCode : -1;
    result.output = r.standardOutput + r.standardError;
    return result;
}

// After a restore of the company database file: opened again (no in-use
// mark) with its operator records cleared; false when it would not open.
// Other databases need nothing.
bool reopenRestoredData(TDM& dm, const std::string& host, const std::string& databaseFile)
{
    if (databaseFile.find(DataFile) == std::string::npos)
        return true;
    if (!dm.fnAccDatConnected(host, platform::paths::folderOf(databaseFile), core::TInUseMark::None))
        return false;
    dm.ClearOpinf();
    return true;
}

std::string gbakTool()
{
    const std::string local = platform::paths::join(SysDef.ExeDir, "gbak");
    if (!SysDef.ExeDir.empty() && fs::is_regular_file(local))
        return local;
    return "gbak";
}

bool deleteLocal(const std::string& path)
{
    if (platform::paths::isProtectedPath(path))
        return false;
    std::error_code ec;
    fs::remove_all(path, ec);
    return !ec && !fs::exists(path);
}

// Status codes with which the engine reports a damaged file while
// validating it.
bool isDamageCode(long code)
{
    switch (code) {
    case 335544333: // internal consistency check
    case 335544335: // database file appears corrupt
    case 335544404: // database corrupted
    case 335544405: // checksum error on database page
    case 335544406: // index is broken
    case 335544649: // bad checksum
    case 335544650: // wrong page type
    case 335740952: // the validation's own summary: it counted errors
        return true;
    default:
        return false;
    }
}

} // namespace

void TDM::SetGbakRunner(TGbakRunner runner)
{
    gbakRunner_ = runner ? std::move(runner) : TGbakRunner(runGbakProcess);
}

bool TDM::fnExistence_Table(const std::string& table)
{
    return countsAnyRow(
        IBTransactionDAT, IBQACC1,
        [&](fb::Query& q) {
            q.sql().add("SELECT Count(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME=:Table_NAME");
            q.paramByName("Table_NAME").setString(table);
        },
        "TDM.fnExistence_Table", "テーブルの存在情報の取得に失敗しました。");
}

bool TDM::fnExistence_Field(const std::string& table, const std::string& field)
{
    return countsAnyRow(
        IBTransactionDAT, IBQACC1,
        [&](fb::Query& q) {
            q.sql().add("SELECT count(*) FROM RDB$RELATION_FIELDS WHERE (RDB$RELATION_NAME=:TABLE_NAME) AND "
                        "(RDB$FIELD_NAME=:FIELD_NAME )");
            q.paramByName("TABLE_NAME").setString(table);
            q.paramByName("FIELD_NAME").setString(field);
        },
        "TDM.fnExistence_Field", "テーブル項目の存在情報の取得に失敗しました。");
}

namespace {

// Count errors: a transaction started here is committed (the counts only
// read) and the database error reported with the context alone; the error
// travels on in every case.
template <class F> int countWith(fb::Transaction& t, const char* context, F&& f)
{
    // Owned when not active on entry: a failure to start it is this
    // operation's to report as well. Inside the caller's transaction the
    // caller reports.
    int n = 0;
    RunDbOperation(t,
        DbPolicy(context).with(DbFailure::Commit).with(DbReport::ErrorBoxAndRaise).insideCallers(DbReport::Raise),
        [&] { n = f(); });
    return n;
}

int queryCount(fb::Query& q)
{
    q.open();
    const int n = q.eof() ? 0 : q.field(0).asInteger();
    q.close();
    return n;
}

} // namespace

int TDM::GetYukouSiwakeCount(const std::string& branch)
{
    return countWith(IBTransactionDAT, "TDM.GetYukouSiwakeCount", [&]() -> int {
        const bool all = isBlank(branch);
        if (AppKind <= 2) {
            IBQACC1.close();
            IBQACC1.sql().clear();
            if (all) {
                IBQACC1.sql().add("SELECT SUM(SIWAKECOUNT) AS SWKCNT FROM SISETUMST");
            } else {
                IBQACC1.sql().add("SELECT SIWAKECOUNT AS SWKCNT FROM SISETUMST");
                IBQACC1.sql().add("WHERE (SCODE=:SCODE)");
                IBQACC1.paramByName("SCODE").setString(branch);
            }
            return queryCount(IBQACC1);
        }
        if (AppKind == 3) {
            const std::string cash = AccInf.SysKCode[0];
            auto run = [&](bool transfers) {
                IBQACC1.close();
                IBQACC1.sql().clear();
                IBQACC1.sql().add("SELECT COUNT(REC) AS SWKCNT FROM SIWAKE");
                if (transfers)
                    IBQACC1.sql().add("WHERE (DELFLG=0) AND ((KCODE=:KCODE) AND ((R_KCODE=:R_KCODE)))");
                else
                    IBQACC1.sql().add("WHERE (DELFLG=0) AND (KCODE=:KCODE)");
                if (!branch.empty())
                    IBQACC1.sql().add("AND (SCODE=:SCODE)");
                IBQACC1.paramByName("KCODE").setString(cash);
                if (transfers)
                    IBQACC1.paramByName("R_KCODE").setString(cash);
                if (!branch.empty())
                    IBQACC1.paramByName("SCODE").setString(branch);
                return queryCount(IBQACC1);
            };
            const int a = run(false);
            const int b = run(true);
            return a - b / 2; // a transfer between two cash rows is stored twice
        }
        return -1;
    });
}

int TDM::GetUpDelSiwakeCount(const std::string& branch)
{
    return countWith(IBTransactionDAT, "TDM.GetUpDelSiwakeCount", [&] {
        IBQACC1.close();
        IBQACC1.sql().clear();
        IBQACC1.sql().add("SELECT COUNT(REC) AS SWKCNT FROM SIWAKE");
        IBQACC1.sql().add("WHERE (DELFLG IN (1,2) AND TAISHAKU=1)");
        if (!isBlank(branch)) {
            IBQACC1.sql().add("AND (SCODE=:SCODE)");
            IBQACC1.paramByName("SCODE").setString(branch);
        }
        return queryCount(IBQACC1);
    });
}

int TDM::GetSiwakeCount(const std::string& branch, int& valid, int& changed)
{
    valid = 0;
    changed = 0;
    return countWith(IBTransactionDAT, "TDM.GetSiwakeCount", [&] {
        valid = GetYukouSiwakeCount(branch);
        changed = GetUpDelSiwakeCount(branch);
        return valid + changed;
    });
}

int TDM::GetSiwakeCountOnly(const std::string& branch)
{
    int valid = 0;
    int changed = 0;
    return GetSiwakeCount(branch, valid, changed);
}

bool TDM::BackupFDB(fb::Protocol protocol, const std::string& host, const std::string& databaseFile,
    const std::string& backupFile, bool direct)
{
    std::string target = backupFile;
    if (!direct) {
        const std::string tempName = fs::path(LocalBackupFile).replace_extension(".fb_").string();
        target = platform::paths::join(platform::paths::folderOf(databaseFile), tempName);
    }
    fb::Service service;
    const bool done = succeedsOrReports("TDM.BackupFDB", "データベースのバックアップに失敗しました。", [&] {
        attachService(service, protocol, host);
        fb::BackupOptions options;
        options.database = databaseFile;
        options.backupFiles = {target};
        options.verbose = true;
        options.ignoreLimbo = true;
        options.noGarbageCollection = true;
        options.nonTransportable = true;
        service.startBackup(options);
        followJob(service);

        if (!direct && target != backupFile) {
            bool moved = false;
            if (ConnectMode == 0) {
                // Replaces the old backup in one step: it stays until the new
                // one is complete and in place (copied within the target's
                // file system first when that is another one).
                moved = FileMove(target, backupFile);
            } else {
                if (FExist(backupFile, ConnectMode))
                    FDel(backupFile, ConnectMode, false);
                moved = FMove(target, backupFile, ConnectMode);
            }
            if (!moved)
                throw std::runtime_error("データベースバックアップファイルのMoveに失敗しました。");
        }
        return true;
    });
    if (done)
        return true;
    detachQuietly(service);
    if (target != backupFile && ConnectMode == 0) {
        // A full-size temporary backup must not stay in the data folder.
        std::error_code ignored;
        fs::remove(target, ignored);
    }
    return false;
}

bool TDM::RestoreFDB(fb::Protocol protocol, const std::string& hostIn, const std::string& databaseFile,
    const std::string& backupFile, bool activateIndexes)
{
    std::string host = hostIn;
    fb::Service service;
    const bool result = succeedsOrReports("TDM.RestoreFDB", "データベースのリストアに失敗しました。", [&] {
        attachService(service, protocol, host);
        fb::RestoreOptions options;
        options.backupFiles = {backupFile};
        options.databases = {databaseFile};
        options.verbose = true;
        options.pageBuffers = 4096;
        options.pageSize = 16384;
        options.replace = true;
        options.deactivateIndexes = !activateIndexes;
        service.startRestore(options);
        followJob(service);
        if (ConnectMode != 0 && protocol == fb::Protocol::Local && host.empty())
            host = kLocalHost;
        return reopenRestoredData(*this, host, databaseFile);
    });
    detachQuietly(service);
    fnAccDatDisConnected(databaseFile.empty() ? std::string() : platform::paths::folderOf(databaseFile),
        TDataFileUpdate::Keep, TDataListUpdate::Keep);
    return result;
}

bool TDM::BackupFDBGbak(
    fb::Protocol, const std::string& host, const std::string& databaseFile, const std::string& backupFile, bool direct)
{
    if (host == kLocalHost)
        return BackupFDB(fb::Protocol::Local, host, databaseFile, backupFile, direct);
    if (!gbakRunner_)
        gbakRunner_ = runGbakProcess;
    const std::string log = freshGbakLog();
    const std::string source = host.empty() ? databaseFile : host + ":" + databaseFile;
    const TGbakResult r = gbakRunner_({gbakTool(), "-b", "-g", "-user", SysDef.DBUser, "-y", log, source, backupFile},
        SysDef.DBUser, SysDef.DBPassword);
    if (!r.started)
        throw EBackupToolError("バックアップツール(gbak.exe)が起動出来ませんでした。\r処理を終了します。");
    // Judged by the tool's exit code and by the file it must have made.
    if (r.exitCode != 0 || (host.empty() && !fs::is_regular_file(backupFile))) {
        throw EBackupToolError("バックアップ中にエラーが発生しました。\r" + gbakFailureText(log, r));
    }
    return true;
}

bool TDM::RestoreFDBGbak(fb::Protocol, const std::string& host, const std::string& databaseFile,
    const std::string& backupFile, bool activateIndexes)
{
    if (host == kLocalHost)
        return RestoreFDB(fb::Protocol::Local, host, databaseFile, backupFile, activateIndexes);
    if (!gbakRunner_)
        gbakRunner_ = runGbakProcess;
    const std::string log = freshGbakLog();
    const std::string target = host.empty() ? databaseFile : host + ":" + databaseFile;
    if (!fs::is_regular_file(backupFile))
        return false;
    const bool result = succeedsOrReports("TDM.RestoreFDB", "データベースのリストアに失敗しました。", [&] {
        std::vector<std::string> argv = {gbakTool(), "-rep", "-bu", "4096", "-p", "16384"};
        if (!activateIndexes)
            argv.push_back("-i");
        for (const std::string& a : {std::string("-user"), SysDef.DBUser, std::string("-y"), log, backupFile, target})
            argv.push_back(a);
        const TGbakResult r = gbakRunner_(argv, SysDef.DBUser, SysDef.DBPassword);
        if (!r.started)
            throw EBackupToolError("リストアツール(gbak.exe)が起動出来ませんでした。\r処理を終了します。");
        if (r.exitCode != 0)
            throw EBackupToolError("リストア中にエラーが発生しました。\r" + gbakFailureText(log, r));
        return reopenRestoredData(*this, host, databaseFile);
    });
    fnAccDatDisConnected(
        platform::paths::folderOf(databaseFile), core::TDataFileUpdate::Keep, core::TDataListUpdate::Keep);
    return result;
}

bool TDM::ValidateFDB(fb::Protocol protocol, const std::string& host, const std::string& databaseFile)
{
    bool result = true;
    const bool wasConnected = IBDatabaseDAT.connected();
    const std::string companyName = IBDatabaseDAT.databaseName();
    fb::Service service;
    try {
        if (wasConnected)
            IBDatabaseDAT.disconnect();
        attachService(service, protocol, host);
        fb::ValidationOptions options;
        options.database = databaseFile;
        options.full = true;
        options.ignoreChecksums = true;
        options.readOnly = true;
        service.startValidation(options);
        std::string line;
        while (service.nextLine(line)) {
            processMessages();
            if (!isBlank(line)) {
                result = false;
                break;
            }
        }
    } catch (const EIBError& e) {
        // A service that could not judge the file counts it as sound; an
        // engine that met damage while checking it does not.
        if (isDamageCode(e.iscErrorCode()))
            result = false;
    } catch (const std::exception&) {
        result = false;
    }
    detachQuietly(service);
    // The open data set stays usable whatever the validation met.
    if (wasConnected && !IBDatabaseDAT.connected()) {
        try {
            IBDatabaseDAT.setDatabaseName(companyName);
            IBDatabaseDAT.connect();
        } catch (const EIBError& e) {
            IBErrorProc(e, "TDM.ValidateFDB", "ユーザーデータベースの接続処理に失敗しました。", true);
        }
    }
    return result;
}

bool TDM::ServerFileOperation(const std::string& operation, const std::string& path1, const std::string& path2)
{
    return ServerFileAnswer(operation, path1, path2).value_or(false);
}

std::optional<bool> TDM::ServerFileAnswer(
    const std::string& operationIn, const std::string& path1, const std::string& path2)
{
    const std::string op = upperAscii(operationIn);
    const bool fileOp = op == "FEXIST" || op == "FCOPY" || op == "FDEL";
    const bool dirOp = op == "DEXIST" || op == "MKDIR" || op == "RMDIR";
    if (!fileOp && !dirOp)
        return std::nullopt;
    if (isBlank(path1) || (op == "FCOPY" && isBlank(path2)))
        return std::nullopt;
    const std::string message = "サーバーへのファイル操作(" + op + ")に失敗しました。";
    bool connectedHere = false;
    if (!IBDatabaseDEF.connected()) {
        if (!fnAccDefConnected(SysDef.HostName, core::TConnectReport::Show))
            return std::nullopt;
        connectedHere = true;
    }
    std::optional<bool> result;
    if (!RunDbOperation(IBTransactionDEF, DbPolicy("TDM.ServerFileOperation", message), [&](TDbScope& scope) {
            scope.fresh(IBSQLDEF);
            if (fileOp) {
                IBSQLDEF.sql().add("SELECT WBOOL FROM FILEOPERATION(:MODE,:FILEPATH1,:FILEPATH2)");
                IBSQLDEF.paramByName("FILEPATH2").setString(op == "FCOPY" ? path2 : std::string());
            } else {
                IBSQLDEF.sql().add("SELECT WBOOL FROM DIRECTORYTEST(:MODE,:FILEPATH1)");
            }
            IBSQLDEF.paramByName("MODE").setString(op);
            IBSQLDEF.paramByName("FILEPATH1").setString(path1);
            IBSQLDEF.execQuery();
            result = !IBSQLDEF.eof() && IBSQLDEF.fieldByName("WBOOL").asInteger() == 1;
            IBSQLDEF.close();
        }))
        result.reset();
    if (connectedHere) {
        try {
            IBDatabaseDEF.disconnect();
        } catch (...) {
        }
    }
    return result;
}

std::string TDM::ServerLongToShortFileName(const std::string& path)
{
    if (isBlank(path))
        return {};
    static const char* kMessage = "サーバーからのファイル名の変換(LongToShort)に失敗しました。";
    bool connectedHere = false;
    if (!IBDatabaseDEF.connected()) {
        if (!fnAccDefConnected(SysDef.HostName, core::TConnectReport::Show))
            return {};
        connectedHere = true;
    }
    std::string result;
    if (!RunDbOperation(IBTransactionDEF, DbPolicy("TDM.ServerLongToShortFileName", kMessage), [&](TDbScope& op) {
            op.fresh(IBSQLDEF);
            IBSQLDEF.sql().add("SELECT SHORTNAME FROM LONGTOSHORTFILENAME(:LONGNAME)");
            IBSQLDEF.paramByName("LONGNAME").setString(path);
            IBSQLDEF.execQuery();
            if (!IBSQLDEF.eof())
                result = IBSQLDEF.fieldByName("SHORTNAME").asString();
            IBSQLDEF.close();
        }))
        result.clear();
    if (connectedHere) {
        try {
            IBDatabaseDEF.disconnect();
        } catch (...) {
        }
    }
    return result;
}

bool TDM::DExist(const std::string& path, std::uint8_t mode)
{
    if (mode == 0)
        return platform::paths::isDirectory(path);
    if (mode == 1 || mode == 2)
        return ServerFileOperation("DExist", path);
    return false;
}

bool TDM::MkDir(const std::string& path, std::uint8_t mode)
{
    if (mode == 0) {
        std::error_code ec;
        fs::create_directories(path, ec);
        return platform::paths::isDirectory(path);
    }
    if (mode == 1 || mode == 2)
        return ServerFileOperation("MkDir", path);
    return false;
}

bool TDM::RmDir(const std::string& path, std::uint8_t mode, bool)
{
    if (mode == 0)
        return platform::paths::isDirectory(path) && deleteLocal(path);
    if (mode == 1 || mode == 2)
        return ServerFileOperation("RmDir", path);
    return false;
}

TFileCheck TDM::FileCheck(const std::string& path, std::uint8_t mode)
{
    if (mode == 0) {
        std::error_code ec;
        const bool present = fs::is_regular_file(path, ec);
        if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory)
            return TFileCheck::Unknown;
        return present ? TFileCheck::Present : TFileCheck::Missing;
    }
    if (mode == 1 || mode == 2) {
        const std::optional<bool> answer = ServerFileAnswer("FExist", path);
        if (!answer)
            return TFileCheck::Unknown;
        return *answer ? TFileCheck::Present : TFileCheck::Missing;
    }
    return TFileCheck::Unknown;
}

bool TDM::FExist(const std::string& path, std::uint8_t mode)
{
    if (mode == 0)
        return fs::is_regular_file(path);
    if (mode == 1 || mode == 2)
        return ServerFileOperation("FExist", path);
    return false;
}

bool TDM::FDel(const std::string& path, std::uint8_t mode, bool)
{
    if (mode == 0)
        return fs::exists(path) && deleteLocal(path);
    if (mode == 1 || mode == 2)
        return ServerFileOperation("FDel", path);
    return false;
}

bool TDM::FMove(const std::string& source, const std::string& target, std::uint8_t mode)
{
    if (mode == 0)
        return FileMove(source, target);
    if (mode == 1 || mode == 2) {
        if (!ServerFileOperation("FCopy", source, target))
            return false; // the source stays where it was
        ServerFileOperation("FDel", source);
        return true;
    }
    return false;
}

bool TDM::FCopy(const std::string& source, const std::string& target, std::uint8_t mode)
{
    if (mode == 0) {
        if (platform::paths::isProtectedPath(platform::paths::folderOf(target)))
            return false;
        std::error_code ec;
        fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
        return !ec;
    }
    if (mode == 1 || mode == 2)
        return ServerFileOperation("FCopy", source, target);
    return false;
}

bool TDM::ClearOpinf()
{
    RunDbOperation(IBTransactionDAT, DbPolicy("TDM.ClearOpinf").with(DbReport::Raise), [&](TDbScope& op) {
        op.fresh(IBQACC1);
        IBQACC1.sql().add("DELETE FROM OPINF");
        IBQACC1.execSQL();
    });
    return false;
}

} // namespace core
