#include "core/DataModule.h"
#include "core/DbOperation.h"
#include "core/ProcessState.h"

#include "core/DataInfomation.h"
#include "core/IBErrorProc.h"
#include "platform/paths.h"

#include <utility>

namespace core {

TDM* DM = nullptr;

namespace {

TDataListUpdater& defaultDataListUpdater()
{
    static TDataListUpdater updater;
    return updater;
}

} // namespace

void TDM::SetDefaultDataListUpdater(TDataListUpdater updater)
{
    defaultDataListUpdater() = std::move(updater);
}

namespace {

constexpr const char* kLocalHost = "127.0.0.1";
constexpr const char* kFileManFile = "tnfileman.fdb";
// The engine could not open the database file (it is not there).
constexpr long kIscIoError = 335544344;

// The facts of the open company database. A failure (also one the reader
// passes on) is reported here and answers false: callers then leave the
// stored facts alone.
bool readFacts(TDataInfomation& di, TDataInfomationRec& rec, const char* context)
{
    static const char* kMessage = "データ情報の取得に失敗しました。";
    try {
        return di.GetDataInfoRec(rec) == 1;
    } catch (const EIBError& e) {
        IBErrorProc(e, context, kMessage, true);
    } catch (const std::exception& e) {
        ErrorMessageEx(kMessage, std::string(context) + "\r" + e.what());
    }
    TDataInfomation::ClearDataInfoRec(rec);
    return false;
}

// Writes folder's settings file back to free (status 1); a failure is
// reported as one of opening a data set.
void writeFreeStatus(std::uint8_t mode, const std::string& folder)
{
    try {
        TDataInfomation di;
        di.Mode = mode;
        di.WriteStatus(folder, 1);
    } catch (const std::exception& e) {
        ErrorMessageEx("データ情報の更新に失敗しました。", std::string("TDM.fnAccDatConnected\r") + e.what());
    }
}

} // namespace

bool UsesServerForm(const std::string& host)
{
    return ConnectMode != 0 && host != kLocalHost;
}

std::string MakeDatabaseName(const std::string& host, const std::string& folder, const std::string& file)
{
    const std::string local = platform::paths::join(folder, file);
    return UsesServerForm(host) ? host + ":" + local : local;
}

TDM::TDM()
    : dataListUpdater_(defaultDataListUpdater())
{
    IBDatabaseDEF.setDefaultTransaction(&IBTransactionDEF);
    IBDatabaseDAT.setDefaultTransaction(&IBTransactionDAT);
    IBFileMan.setDefaultTransaction(&IBTransFileMan);
    for (auto* t : {&IBTransactionDEF, &IBTransactionDAT, &IBTransFileMan}) {
        t->addParam("read_committed");
        t->addParam("rec_version");
        t->addParam("nowait");
    }
    IBTransactionDEF.setDefaultDatabase(&IBDatabaseDEF);
    IBTransactionDAT.setDefaultDatabase(&IBDatabaseDAT);
    IBTransFileMan.setDefaultDatabase(&IBFileMan);
    IBTransactionDATSS.setDefaultDatabase(&IBDatabaseDAT);
    IBTransactionDATSS.addParam("concurrency");
    IBTransactionDATSS.addParam("nowait");

    for (auto* q : {&IBQSysDefGet, &IBQSysDefPut, &QueryDef, &IBSQLDEF}) {
        q->setDatabase(&IBDatabaseDEF);
        q->setTransaction(&IBTransactionDEF);
    }
    for (auto* q : {&IBQACC1, &IBQACC2}) {
        q->setDatabase(&IBDatabaseDAT);
        q->setTransaction(&IBTransactionDAT);
    }
    for (auto* q : {&IBQueryFileMan, &IBSQLFileMan}) {
        q->setDatabase(&IBFileMan);
        q->setTransaction(&IBTransFileMan);
    }
    SetCompanyDatabaseNameProc([this] { return IBDatabaseDAT.databaseName(); });
}

TDM::~TDM()
{
    SetCompanyDatabaseNameProc({});
    if (DM == this)
        DM = nullptr;
}

void TDM::connectDatabase(fb::Database& db, const std::string& name)
{
    db.setSqlDialect(3);
    db.clearParams();
    db.setDatabaseName(name);
    db.addParam("user_name=" + SysDef.DBUser);
    db.addParam("password=" + SysDef.DBPassword);
    db.addParam("lc_ctype=SJIS_0208");
    db.connect();
}

bool TDM::fnAccDefConnected(const std::string& hostIn, std::uint8_t report)
{
    const std::string host = hostIn.empty() ? SysDef.HostName : hostIn;
    if (IBDatabaseDEF.connected())
        return true;
    static const char* kMessage = "システムデータベースの接続処理に失敗しました。";
    try {
        connectDatabase(IBDatabaseDEF, MakeDatabaseName(host, SysDef.SysDir, DataDefFile));
        return IBDatabaseDEF.connected();
    } catch (const EIBError& e) {
        if (report != 1)
            throw;
        IBErrorProc(e, "TDM.fnAccDefConnected", kMessage, false);
    } catch (const std::exception& e) {
        if (report != 1)
            throw;
        ErrorMessageEx(kMessage, e.what());
    }
    return false;
}

bool TDM::fnFileManConnected(const std::string& hostIn)
{
    if (!FExist(platform::paths::join(SysDef.SysDir, kFileManFile), ConnectMode))
        return false;
    const std::string host = hostIn.empty() ? SysDef.HostName : hostIn;
    if (IBFileMan.connected())
        return true;
    try {
        connectDatabase(IBFileMan, MakeDatabaseName(host, SysDef.SysDir, kFileManFile));
        return IBFileMan.connected();
    } catch (const std::exception&) {
        return false;
    }
}

// A data set this process marked in use goes back to free when another one
// is opened in its place, so its settings file does not stay "in use".
void TDM::releaseInUseMark()
{
    if (markedFolder_.empty())
        return;
    const std::string folder = markedFolder_;
    markedFolder_.clear();
    if (ConnectMode != 0)
        return;
    writeFreeStatus(ConnectMode, folder);
}

bool TDM::fnAccDatConnected(const std::string& hostIn, const std::string& folderIn, std::uint8_t mark)
{
    const std::string host = hostIn.empty() ? SysDef.HostName : hostIn;
    const std::string folder = folderIn.empty() ? SysDef.DataDir : folderIn;
    static const char* kMessage = "ユーザーデータベースの接続処理に失敗しました。\rDBファイルが削除、破損 または "
                                  "使用中の可能性がありますので接続パスを確認して下さい。";
    bool marking = false; // the in-use mark may be (partly) written
    try {
        if (IBDatabaseDAT.connected())
            IBDatabaseDAT.disconnect();
        if (markedFolder_ != folder)
            releaseInUseMark();
        connectDatabase(IBDatabaseDAT, MakeDatabaseName(host, folder, DataFile));

        if (mark == 1) {
            TDataInfomation di;
            di.Mode = ConnectMode;
            TDataInfomationRec rec;
            TDataInfomation::ClearDataInfoRec(rec);
            const bool haveFacts = readFacts(di, rec, "TDM.fnAccDatConnected");
            if (ConnectMode == 0) {
                marking = true;
                if (haveFacts) {
                    rec.STATUS = 2;
                    rec.OPCODE = SysDef.OpCode;
                    rec.OPERATOR = SysDef.OpName;
                    di.WriteIniFile(folder, "", rec);
                } else {
                    // Facts unreadable: mark in use without overwriting them.
                    di.WriteStatus(folder, 2);
                }
                markedFolder_ = folder;
            }
        }
        return IBDatabaseDAT.connected();
    } catch (const EIBError& e) {
        IBErrorProc(e, "TDM.fnAccDatConnected", kMessage, false);
        if (e.iscErrorCode() != 335544344)
            CheckDataDamage(host, folder, 1, 0);
    } catch (const std::exception& e) {
        ErrorMessageEx(kMessage, e.what());
    }
    if (marking) {
        // The data set is not open: its in-use mark must not stay behind.
        writeFreeStatus(ConnectMode, folder);
        if (markedFolder_ == folder)
            markedFolder_.clear();
    }
    try {
        if (IBDatabaseDAT.connected())
            IBDatabaseDAT.disconnect();
    } catch (const std::exception&) {
    }
    return false;
}

bool TDM::fnAccDatDisConnected(const std::string& folderIn, std::uint8_t updateFile, std::uint8_t updateList)
{
    const std::string folder = folderIn.empty() ? SysDef.DataDir : folderIn;
    const bool list = AppKind != 1 && updateList == 1;
    if (updateFile == 1 || list) {
        TDataInfomation di;
        di.Mode = ConnectMode;
        TDataInfomationRec rec;
        TDataInfomation::ClearDataInfoRec(rec);
        bool haveFacts = false;
        if (IBDatabaseDAT.connected())
            haveFacts = readFacts(di, rec, "TDM.fnAccDatDisConnected");
        rec.STATUS = 1;
        try {
            // Without facts neither the settings file nor the data-list row
            // is overwritten with a cleared record; only the mark goes.
            if (updateFile == 1 && ConnectMode == 0) {
                if (haveFacts)
                    di.WriteIniFile(folder, "", rec);
                else if (markedFolder_ == folder)
                    di.WriteStatus(folder, 1);
            }
            if (list && haveFacts && dataListUpdater_)
                dataListUpdater_(folder, rec);
        } catch (const EIBError& e) {
            IBErrorProc(e, "TDM.fnAccDatDisConnected", "データ情報の更新に失敗しました。", false);
        } catch (const std::exception& e) {
            ErrorMessageEx("データ情報の更新に失敗しました。", std::string("TDM.fnAccDatDisConnected\r") + e.what());
        }
    }
    if (markedFolder_ == folder && updateFile == 1)
        markedFolder_.clear();
    try {
        if (IBDatabaseDAT.connected())
            IBDatabaseDAT.disconnect();
    } catch (const std::exception&) {
    }
    IBDatabaseDAT.clearParams();
    return true;
}

// Whether anyone but this attachment is attached to the database, from its
// monitoring table. A plain account sees there the attachments of its own
// user, which are the program's own on every computer; an administrator
// sees all. A file that is not there has no attachments.
std::optional<bool> TDM::attachedByOthers(const std::string& databaseName)
{
    fb::Database db;
    try {
        connectDatabase(db, databaseName);
    } catch (const EIBError& e) {
        if (e.iscErrorCode() == kIscIoError)
            return false;
        throw;
    }
    fb::Transaction t(&db);
    bool others = false;
    RunDbOperation(t, DbPolicy("TDM.AccDatInConnection").with(DbReport::Raise), [&] {
        fb::Query q(&db, &t);
        q.sql().add("SELECT COUNT(*) FROM MON$ATTACHMENTS");
        q.sql().add("WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION AND MON$SYSTEM_FLAG = 0");
        q.open();
        others = q.field(0).asInteger() > 0;
        q.close();
    });
    db.disconnect();
    return others;
}

bool TDM::AccDatInConnection(int kind, const std::string& hostIn, const std::string& folder, std::uint8_t keepOwn)
{
    const std::string host = hostIn.empty() ? SysDef.HostName : hostIn;
    if (folder.find_first_not_of(" \t") == std::string::npos)
        return false;
    static const char* kMessage = "データベースの使用情報の取得に失敗しました。";
    const std::string file = kind == 0 ? DataDefFile : DataFile;
    // Paths are compared exactly: case matters on this system.
    const std::string target = GetShortFileName(platform::paths::join(folder, file), ConnectMode);
    fb::Database& own = kind == 0 ? IBDatabaseDEF : IBDatabaseDAT;
    const bool ownConnected = own.connected();
    const bool tcp = ConnectMode != 0 && host != kLocalHost;
    std::optional<bool> found;
    bool disconnected = false;
    try {
        if (keepOwn == 0 && ownConnected) {
            own.disconnect();
            disconnected = true;
        }
        // The server's list of attached databases needs administrator
        // rights; without them the database's own monitoring table answers.
        try {
            fb::Service service;
            service.setProtocol(tcp ? fb::Protocol::TCP : fb::Protocol::Local);
            if (tcp)
                service.setServerName(host);
            service.addParam("user_name=" + SysDef.DBUser);
            service.addParam("password=" + SysDef.DBPassword);
            service.attach();
            const fb::DatabaseUsage usage = service.databaseUsage();
            found = false;
            for (const auto& name : usage.databases) {
                if (GetShortFileName(name, ConnectMode) == target) {
                    found = true;
                    break;
                }
            }
            service.detach();
        } catch (const EIBError&) {
            found = attachedByOthers(tcp ? host + ":" + target : target);
        }
    } catch (const EIBError& e) {
        IBErrorProc(e, "TDM.AccDatInConnection", kMessage, true);
    } catch (const std::exception& e) {
        ErrorMessageEx(kMessage, e.what());
    }
    if (disconnected) {
        try {
            own.connect();
        } catch (const EIBError& e) {
            IBErrorProc(e, "TDM.AccDatInConnection", kMessage, true);
        }
    }
    // Nobody could tell: taken as in use, so that nothing replaces or
    // opens a database someone may be working in.
    return found.value_or(true);
}

bool TDM::AccDatDropDatabase(const std::string& hostIn, const std::string& folder)
{
    const std::string host = hostIn.empty() ? SysDef.HostName : hostIn;
    if (folder.empty())
        return false;
    static const char* kMessage = "ユーザーデータベースの削除処理に失敗しました。\r接続パスを確認して下さい。";
    try {
        fb::Database db;
        const std::string local = platform::paths::join(folder, DataFile);
        // The drop tests the mode only: a data server is addressed by host
        // even when it is this computer.
        connectDatabase(db, ConnectMode != 0 ? host + ":" + local : local);
        db.dropDatabase();
        return true;
    } catch (const EIBError& e) {
        IBErrorProc(e, "TDM.AccDatDropDatabase", kMessage, true);
    } catch (const std::exception& e) {
        ErrorMessageEx(kMessage, e.what());
    }
    return false;
}

std::string TDM::GetShortFileName(const std::string& path, std::uint8_t mode)
{
    if (mode == 0)
        return path; // short names do not exist here
    if (mode == 1 || mode == 2)
        return ServerLongToShortFileName(path);
    return {};
}

int TDM::CheckDataDamage(const std::string& host, const std::string& folder, int silent, int force)
{
    if (force != 1 && SysDef.DataDamageCheck != 1)
        return 1;
    if (!OnDataDamage)
        return 1;
    int result = 1;
    OnDataDamage(host, folder, silent, result);
    return result;
}

void TDM::TimerSyoriKidouTimer()
{
    if (OnExecProc)
        OnExecProc(deferredProcId_, deferredModal_, deferredParams_);
    deferredProcId_.clear();
    deferredModal_ = 0;
    deferredParams_.clear();
}

} // namespace core

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(core::DM, core::defaultDataListUpdater());
} // namespace
