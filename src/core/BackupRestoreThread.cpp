#include "core/BackupRestoreThread.h"

#include "core/AppInfo.h"
#include "core/BufFileStream.h"
#include "core/DataModule.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "core/ProgressService.h"
#include "core/TextRoutines.h"
#include "core/uAccRecord.h"
#include "core/z5ComMyNumber.h"
#include "platform/atomic_file.h"
#include "platform/codec.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <cctype>
#include <memory>
#include <stdexcept>
#include <vector>

using namespace core;
namespace fb = platform::firebird;
using platform::text::toIntOr;
using platform::text::upperAscii;

namespace {

constexpr const char* kBackupMethod = "BackupDatabase";
constexpr const char* kRestoreMethod = "RestoreDatabase";
constexpr const char* kBackupStopped = "データベースの保存処理を中止しました。";
constexpr const char* kRestoreStopped = "データベースの復元処理を中止しました。";
constexpr const char* kNotOurData = "指定されたファイルはトルバン財務用のデータではありません。";

// The operator's file in the server's work folder (made when missing) that a
// backup or restore through the share passes through.
std::string shareServerFile()
{
    if (!DM->DExist(SysDef.ServerTempPath, ConnectMode))
        DM->MkDir(SysDef.ServerTempPath, ConnectMode);
    return platform::paths::join(SysDef.ServerTempPath, "tnacc." + std::to_string(SysDef.OpCode));
}

// Removes the operator's row of the file-transfer table.
void deleteTransferRow(fb::Query& q, const std::string& key)
{
    q.close();
    q.sql().clear();
    q.sql().add("DELETE FROM FILETRANS");
    q.sql().add("WHERE CONTENT_ID=:CONTENT_ID");
    q.paramByName("CONTENT_ID").setString(key);
    q.execSQL();
}

// The company's personal-number settings, cleared in the live data set for
// the time of a backup, go back in every case (also when the backup fails
// or raises) and the write-back is checked.
class TMyNumberSettingsGuard {
public:
    TMyNumberSettingsGuard(TMyNumberIO& io, std::string host, std::string path)
        : io_(io)
        , host_(std::move(host))
        , path_(std::move(path))
    {
    }
    ~TMyNumberSettingsGuard()
    {
        if (armed_)
            restore();
    }
    void arm() { armed_ = true; }
    // True when nothing had to be written back or the write-back succeeded.
    bool restore()
    {
        if (!armed_)
            return true;
        armed_ = false;
        if (io_.UseKbn != 1)
            return true;
        return io_.WriteSetting(host_, path_);
    }

private:
    TMyNumberIO& io_;
    std::string host_;
    std::string path_;
    bool armed_ = false;
};

} // namespace

TBackupRestoreThread::TBackupRestoreThread(bool createSuspended)
{
    ScreenName = AppInfo.Varov.AppTitle;
    if (!createSuspended)
        Resume();
}

TBackupRestoreThread::~TBackupRestoreThread() = default;

void TBackupRestoreThread::Resume()
{
    if (started_)
        return;
    started_ = true;
    if (QCoreApplication::instance() != nullptr)
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [this] { Execute(); }, Qt::QueuedConnection);
    else
        Execute();
}

TBackupRestoreThread::DbKind TBackupRestoreThread::kindOf(const std::string& path) const
{
    if (path.find(DataDefFile) != std::string::npos)
        return DbKind::System;
    if (path.find(DataFile) != std::string::npos)
        return DbKind::Company;
    return DbKind::None;
}

bool TBackupRestoreThread::localHost() const
{
    return HostName.empty() || HostName == "127.0.0.1";
}

void TBackupRestoreThread::setError(
    const char* method, const char* code, const std::string& message, const std::string& detail)
{
    Failed = true;
    ErrMethod = method;
    ErrCode = code;
    ErrMessage = message;
    ErrDetail = detail;
}

void TBackupRestoreThread::Execute()
{
    Success = false;
    Failed = false;
    ErrMethod.clear();
    ErrCode.clear();
    ErrMessage.clear();
    ErrDetail.clear();
    bool stopped = false;
    try {
        if (DM == nullptr)
            throw std::logic_error("no data module");
        switch (Mode) {
        case 0:
            if (CheckMyNumber) {
                if (UseMyNumber == 0)
                    LogMyNumber = false;
                if (UseMyNumber == 1) {
                    myNumberStepBackup();
                    if (!Success) {
                        stopped = true;
                        break;
                    }
                }
                Success = false;
            }
            ReportProgress("データを保存しています…");
            backupStep();
            break;
        case 1:
            if (CheckMyNumber) {
                myNumberStepRestore();
                if (!Success) {
                    stopped = true;
                    break;
                }
                Success = false;
            }
            ReportProgress("データを復元しています…");
            restoreStep();
            break;
        case 2:
            ReportProgress("データを複写しています…");
            copyStep();
            break;
        case 3:
            DestPath = DataPath;
            ReportProgress("データを再構築しています…");
            copyStep();
            break;
        default:
            break;
        }
    } catch (const std::exception& e) {
        // An unexpected failure still carries its code and text.
        Success = false;
        if (ErrCode.empty()) {
            if (Mode == 1)
                setError(kRestoreMethod, "200", "データベースの復元に失敗しました。", e.what());
            else if (Mode == 0)
                setError(kBackupMethod, "100", "データベースの保存に失敗しました。", e.what());
        }
    }
    if (!stopped)
        Failed = Failed || !Success;
    terminated_ = true;
}

void TBackupRestoreThread::myNumberStepBackup()
{
    MyNumberAnswer = 0;
    Success = true;
    if (!AskMyNumber) {
        MyNumberAnswer = 6;
        return;
    }
    if (SysDef.IsMyNumberAdmin != 0) {
        if (ShowMessageLines(
                msgkind::Confirmation, {"保存データにマイナンバー情報を含めますか？"}, msgbtn::Yes | msgbtn::No)
            == modal::Yes) {
            MyNumberAnswer = 6;
            TMyNumberIO io;
            io.ReadSetting(HostName, DataPath, "", ScreenName);
            Success = CheckMyNumberPassword(io.KeyText);
            if (!Success)
                setError(kBackupMethod, "100", kBackupStopped, "");
        } else {
            ExcludeMyNumber = true;
        }
    } else {
        ShowMessageLines(msgkind::Information, {"保存データにマイナンバー情報は含まれません。"});
        ExcludeMyNumber = true;
    }
}

void TBackupRestoreThread::myNumberStepRestore()
{
    Success = true;
    TMyNumberIO io;
    // A target that does not exist yet has no settings to protect; an
    // existing one whose settings cannot be read (another data set is open,
    // the database fails) must not be overwritten unchecked.
    const std::string& target = ReplacedPath.empty() ? DataPath : ReplacedPath;
    if (!io.ReadSetting(HostName, target, "", ScreenName) && DM->FExist(target, ConnectMode)) {
        Success = false;
        setError(kRestoreMethod, "200", "マイナンバー情報の取得に失敗しました。", kRestoreStopped);
        return;
    }
    if (io.UseKbn == 1 && UseMyNumber == 0) {
        Success = false;
        setError(
            kRestoreMethod, "200", "マイナンバー情報を管理しているデータへの復元はおこなえません。", kRestoreStopped);
        return;
    }
    if (UseMyNumber == 1)
        MyNumberAnswer = 7;
}

void TBackupRestoreThread::backupStep()
{
    const DbKind kind = kindOf(DataPath);
    if (kind == DbKind::None) {
        setError(kBackupMethod, "101", kNotOurData, kBackupStopped);
        return;
    }
    TMyNumberIO io;
    TMyNumberSettingsGuard guard(io, HostName, DataPath);
    if (kind == DbKind::Company) {
        if (LogMyNumber && MyNumberAnswer == 6) {
            TMyNumberLogRec rec;
            TMyNumberIO::MakeLogRec(rec, 6, ScreenName);
            io.AddLogTo(rec, HostName, DataPath);
        }
        if (ExcludeMyNumber) {
            UseMyNumber = 0;
            // Without the settings cleared the backup would carry them: no
            // backup then.
            if (!io.ReadSetting(HostName, DataPath, "MyNumber_Clear", ScreenName + "＞データ保存")) {
                setError(kBackupMethod, "100", "データベースの保存に失敗しました。", kBackupStopped);
                return;
            }
            guard.arm();
        }
    }
    if (Location == 0) {
        if (localHost())
            Success = DM->BackupFDB(fb::Protocol::Local, HostName, DataPath, BackupFile, false);
        else
            Success = DM->BackupFDB(fb::Protocol::TCP, HostName, DataPath, BackupFile, true);
    } else {
        const bool connected = DM->fnFileManConnected(SysDef.HostName);
        try {
            if (connected)
                Success = backupThroughShare();
            else
                Success = DM->BackupFDBGbak(fb::Protocol::TCP, HostName, DataPath, BackupFile, true);
        } catch (const std::exception& e) {
            Success = false;
            if (!Failed)
                setError(kBackupMethod, "100", "データベースの保存に失敗しました。", e.what());
        }
        if (DM->IBFileMan.connected()) {
            try {
                DM->IBFileMan.disconnect();
            } catch (const std::exception&) {
            }
        }
    }
    if (Success && WriteInfo && !Shougou.empty() && !WriteBackupInfo(BackupFile)) {
        Success = false;
        setError(
            kBackupMethod, "100", "データベースの保存に失敗しました。", "バックアップ情報を書き込めませんでした。");
    }
    if (!Success && !Failed)
        setError(kBackupMethod, "100", "データベースの保存に失敗しました。", kBackupStopped);
    if (kind == DbKind::Company && ExcludeMyNumber) {
        const int used = io.UseKbn;
        if (!guard.restore()) {
            Success = false;
            setError(kBackupMethod, "100", "データベースの保存に失敗しました。",
                "マイナンバー情報をデータに書き戻せませんでした。");
        }
        UseMyNumber = used;
    }
}

bool TBackupRestoreThread::backupThroughShare()
{
    const std::string serverFile = shareServerFile();
    const std::string key = "TNZ_" + std::to_string(SysDef.OpCode);
    if (!DM->BackupFDB(fb::Protocol::TCP, HostName, DataPath, serverFile, true))
        return false;
    fb::Query q(&DM->IBFileMan, &DM->IBTransFileMan);
    bool ok = false;
    try {
        RunDbOperation(DM->IBTransFileMan, DbPolicy(kBackupMethod).with(DbReport::Raise), [&](TDbScope& op) {
            op.closeOnFailure(q);
            auto deleteRow = [&] { deleteTransferRow(q, key); };
            deleteRow();
            q.sql().clear();
            q.sql().add("INSERT INTO FILETRANS(CONTENT_ID,CONTENT)");
            q.sql().add("VALUES(:CONTENT_ID,SP_FILETOBLOB(:SERVERFILE))");
            q.paramByName("CONTENT_ID").setString(key);
            q.paramByName("SERVERFILE").setString(serverFile);
            q.execSQL();
            op.commitRetaining();
            q.sql().clear();
            q.sql().add("SELECT CONTENT_ID,CONTENT FROM FILETRANS");
            q.sql().add("WHERE CONTENT_ID=:CONTENT_ID");
            q.paramByName("CONTENT_ID").setString(key);
            q.open();
            if (!q.eof()) {
                const std::string bytes = q.fieldByName("CONTENT").asBytes();
                if (!bytes.empty()) {
                    platform::writeFileAtomically(BackupFile, bytes, "TBackupRestoreThread.BackupDatabase");
                    ok = true;
                }
            }
            q.close();
            deleteRow();
        });
        return ok;
    } catch (const fb::EIBError& e) {
        setError(kBackupMethod, "102", "バックアップファイルの転送処理（tnfileman.fdb）に失敗しました。",
            "[詳細]\rIBエラー: " + std::to_string(e.iscErrorCode()) + "\r" + e.message());
    } catch (const std::exception& e) {
        setError(kBackupMethod, "102", "バックアップファイルの転送処理（tnfileman.fdb）に失敗しました。",
            std::string("[詳細]\r") + e.what());
    }
    return false;
}

void TBackupRestoreThread::restoreStep()
{
    const DbKind kind = kindOf(DataPath);
    if (kind == DbKind::None) {
        setError(kRestoreMethod, "201", kNotOurData, kRestoreStopped);
        return;
    }
    if (DM->AccDatInConnection(kind == DbKind::System ? 0 : 1, HostName, platform::paths::folderOf(DataPath), 0)) {
        setError(kRestoreMethod, "202", "このデータは、他のオペレータが使用中のため復元処理を行うことが出来ません。",
            kRestoreStopped);
        return;
    }
    TMyNumberIO io;
    if (kind == DbKind::Company && MyNumberAnswer == 7)
        io.ReadLogFrom(HostName, ReplacedPath.empty() ? DataPath : ReplacedPath);
    if (Location == 0) {
        Success = DM->RestoreFDB(localHost() ? fb::Protocol::Local : fb::Protocol::TCP, HostName, DataPath, BackupFile,
            ActivateIndexes != 0);
    } else {
        const bool connected = DM->fnFileManConnected(SysDef.HostName);
        try {
            if (connected) {
                if (restoreThroughShare()) {
                    const std::string serverFile
                        = platform::paths::join(SysDef.ServerTempPath, "tnacc." + std::to_string(SysDef.OpCode));
                    Success = DM->RestoreFDB(fb::Protocol::TCP, HostName, DataPath, serverFile, ActivateIndexes != 0);
                }
            } else {
                Success = DM->RestoreFDBGbak(fb::Protocol::TCP, HostName, DataPath, BackupFile, ActivateIndexes != 0);
            }
        } catch (const std::exception& e) {
            Success = false;
            if (!Failed)
                setError(kRestoreMethod, "200", "データベースの復元に失敗しました。", e.what());
        }
        if (DM->IBFileMan.connected()) {
            try {
                DM->IBFileMan.disconnect();
            } catch (const std::exception&) {
            }
        }
    }
    if (!Success && !Failed)
        setError(kRestoreMethod, "200", "データベースの復元に失敗しました。", kRestoreStopped);
    if (kind == DbKind::Company && Success && MyNumberAnswer == 7) {
        if (ScreenName.empty())
            ScreenName = AppInfo.Varov.AppTitle;
        if (LogMyNumber) {
            TMyNumberLogRec rec;
            TMyNumberIO::MakeLogRec(rec, 7, ScreenName);
            io.AddLogTo(rec, HostName, DataPath);
        }
        io.MergeLog(HostName, DataPath);
    }
}

bool TBackupRestoreThread::restoreThroughShare()
{
    const std::string serverFile = shareServerFile();
    const std::string key = "TNZ_" + std::to_string(SysDef.OpCode);
    fb::Query q(&DM->IBFileMan, &DM->IBTransFileMan);
    try {
        RunDbOperation(DM->IBTransFileMan, DbPolicy(kRestoreMethod).with(DbReport::Raise), [&](TDbScope& op) {
            op.closeOnFailure(q);
            auto deleteRow = [&] { deleteTransferRow(q, key); };
            deleteRow();
            q.sql().clear();
            q.sql().add("INSERT INTO FILETRANS(CONTENT_ID,CONTENT)");
            q.sql().add("VALUES(:CONTENT_ID,:CONTENT)");
            q.paramByName("CONTENT_ID").setString(key);
            q.paramByName("CONTENT").loadFromFile(BackupFile);
            q.execSQL();
            op.commitRetaining();
            q.sql().clear();
            q.sql().add("SELECT CONTENT_ID,SP_BLOBTOFILE(:SERVERFILE, CONTENT) AS CONTENT FROM FILETRANS");
            q.sql().add("WHERE CONTENT_ID=:CONTENT_ID");
            q.paramByName("SERVERFILE").setString(serverFile);
            q.paramByName("CONTENT_ID").setString(key);
            q.open();
            q.close();
            deleteRow();
        });
        return true;
    } catch (const std::exception&) {
        setError(
            kRestoreMethod, "203", "バックアップファイルの転送処理（tnfileman.fdb）に失敗しました。", kRestoreStopped);
    }
    return false;
}

void TBackupRestoreThread::copyStep()
{
    if (Location == 0) {
        const bool local = localHost();
        const fb::Protocol p = local ? fb::Protocol::Local : fb::Protocol::TCP;
        Success = DM->BackupFDB(p, HostName, DataPath, BackupFile, !local);
        if (Success)
            Success = DM->RestoreFDB(p, HostName, DestPath, BackupFile, ActivateIndexes != 0);
    } else {
        Success = DM->BackupFDBGbak(fb::Protocol::TCP, HostName, DataPath, BackupFile, true);
        if (Success)
            Success = DM->RestoreFDBGbak(fb::Protocol::TCP, HostName, DestPath, BackupFile, ActivateIndexes != 0);
    }
}

void TBackupRestoreThread::ClearBackupInfo()
{
    Shougou.clear();
    Kishu.clear();
    Kimatu.clear();
    Siwake = 0;
    TotalSiwake = 0;
    DataVersion.clear();
    Gassan = 0;
    UseMyNumber = 0;
}

std::string TBackupRestoreThread::BackupInfoText() const
{
    auto build = [&](const std::string& name) {
        return std::string(kBackupInfoMarker) + "\r\n" + "SHOUGOU=" + name + "\r\n" + "KISHU=" + Kishu + "\r\n"
            + "KIMATU=" + Kimatu + "\r\n" + "SIWAKE=" + std::to_string(Siwake) + "\r\n"
            + "TOTALSIWAKE=" + std::to_string(TotalSiwake) + "\r\n" + "DATAVARSION=" + DataVersion + "\r\n"
            + "GASSAN=" + std::to_string(Gassan) + "\r\n" + "USEMYNUMBER=" + std::to_string(UseMyNumber) + "\r\n";
    };
    std::string text = build(Shougou);
    const std::size_t width = platform::codec::sjisWidth(text);
    const auto limit = static_cast<std::size_t>(kTrailerMaxBytes);
    if (width > limit) {
        const std::size_t nameWidth = platform::codec::sjisWidth(Shougou);
        const std::size_t over = width - limit;
        const std::size_t keep = nameWidth > over ? nameWidth - over : 0;
        text = build(platform::codec::cutToWidth(Shougou, keep));
    }
    return text;
}

bool TBackupRestoreThread::WriteBackupInfo(const std::string& backupFile)
{
    if (Shougou.empty())
        return false;
    try {
        AppendTrailerText(backupFile, platform::codec::toSjis(BackupInfoText()));
        return true;
    } catch (const std::exception& e) {
        ErrorMessageEx(
            "データベースの保存に失敗しました。", std::string("TBackupRestoreThread.WriteBackupInfo\r") + e.what());
        return false;
    }
}

bool TBackupRestoreThread::ReadBackupInfo(const std::string& backupFile, bool strip)
{
    std::string raw;
    try {
        ReadTrailerText(backupFile, kBackupInfoMarker, raw, strip);
    } catch (const std::exception& e) {
        ErrorMessageEx("バックアップ情報の読み込みに失敗しました。",
            std::string("TBackupRestoreThread.ReadBackupInfo\r") + e.what());
        raw.clear();
    }
    ClearBackupInfo();
    std::string text;
    try {
        text = platform::codec::fromSjis(RepairMBCSBreak(raw));
    } catch (const std::exception&) {
        text.clear();
    }
    std::vector<std::string> seen;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string name = upperAscii(line.substr(0, eq));
        const std::string value = line.substr(eq + 1);
        bool first = true;
        for (const auto& s : seen)
            if (s == name)
                first = false;
        if (!first)
            continue;
        seen.push_back(name);
        if (name == "SHOUGOU")
            Shougou = value;
        else if (name == "KISHU")
            Kishu = value;
        else if (name == "KIMATU")
            Kimatu = value;
        else if (name == "SIWAKE")
            Siwake = toIntOr(value, 0);
        else if (name == "TOTALSIWAKE")
            TotalSiwake = toIntOr(value, 0);
        else if (name == "DATAVARSION")
            DataVersion = value;
        else if (name == "GASSAN")
            Gassan = toIntOr(value, 0);
        else if (name == "USEMYNUMBER")
            UseMyNumber = toIntOr(value, 0);
    }
    return !Shougou.empty();
}
