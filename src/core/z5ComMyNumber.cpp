#include "core/z5ComMyNumber.h"

#include "core/AccReg.h"
#include "core/DataModule.h"
#include "core/DataModuleOpSupport.h"
#include "core/EasyEncode.h"
#include "core/IBErrorProc.h"
#include "core/InputDlgService.h"
#include "core/MessageService.h"
#include "core/TextRoutines.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <memory>
#include <stdexcept>

using namespace core;
using core::opsupport::nowDateTime;
using core::opsupport::toTimestamp;
namespace fb = platform::firebird;
using platform::text::upperAscii;
namespace fs = std::filesystem;

namespace {

constexpr long kDuplicateKey = 335544665;
constexpr const char* kBasic = "基本設定";
constexpr const char* kKeyWord = "drosnel";

std::string folderOfDatabase(const std::string& path)
{
    const std::string suffix = "/" + DataFile;
    if (path.size() > suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
        return path.substr(0, path.size() - suffix.size());
    return platform::paths::folderOf(path);
}

bool sameDatabase(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    if (a.find(':') != std::string::npos || b.find(':') != std::string::npos)
        return false;
    std::error_code e1, e2;
    const auto ca = fs::weakly_canonical(a, e1);
    const auto cb = fs::weakly_canonical(b, e2);
    return !e1 && !e2 && ca == cb;
}

// The company connection for one call on a named data set.
class TCallConnection {
public:
    TCallConnection(const std::string& host, const std::string& path, bool testExists, const char* context,
        const std::string& message)
        : folder_(folderOfDatabase(path))
    {
        if (DM == nullptr || path.empty())
            return;
        if (testExists && !DM->FExist(path, ConnectMode))
            return;
        if (DM->IBDatabaseDAT.connected()) {
            const std::string wanted = MakeDatabaseName(host.empty() ? SysDef.HostName : host, folder_, DataFile);
            if (sameDatabase(DM->IBDatabaseDAT.databaseName(), wanted)) {
                ok_ = true;
                return;
            }
            ErrorMessageEx(message,
                std::string(context) + "\r" + path + "\r別のデータが開かれているため、このデータを処理できません。");
            return;
        }
        if (!DM->fnAccDatConnected(host, folder_, core::TInUseMark::None))
            return;
        ok_ = true;
        connectedHere_ = true;
    }
    ~TCallConnection()
    {
        if (connectedHere_ && DM != nullptr)
            DM->fnAccDatDisConnected(folder_, core::TDataFileUpdate::Keep, core::TDataListUpdate::Keep);
    }
    TCallConnection(const TCallConnection&) = delete;
    TCallConnection& operator=(const TCallConnection&) = delete;
    bool ok() const noexcept { return ok_; }

private:
    std::string folder_;
    bool ok_ = false;
    bool connectedHere_ = false;
};

std::unique_ptr<fb::Query> companyQuery()
{
    return std::make_unique<fb::Query>(&DM->IBDatabaseDAT, &DM->IBTransactionDAT);
}

std::string readShopName(fb::Query& q)
{
    q.close();
    q.sql().clear();
    q.sql().add("SELECT SHOUGOU FROM ACCDEF1");
    q.sql().add("WHERE REC=1");
    q.open();
    std::string name = q.eof() ? std::string() : q.fieldByName("SHOUGOU").asString();
    q.close();
    return name;
}

} // namespace

std::string MyNumberLogComment(int kind, const std::string& procName)
{
    const bool send = procName.find("送信") != std::string::npos;
    const bool receive = procName.find("受信") != std::string::npos;
    switch (kind) {
    case 6:
        if (send)
            return "マイナンバー情報を含むデータが送信されました。";
        break;
    case 7:
        if (receive)
            return "マイナンバー情報を含むデータが受信されました。";
        break;
    case 8:
        if (send)
            return "マイナンバー情報を含めずにデータが送信されました。";
        break;
    case 9:
        return "マイナンバー管理パスワードを既定値に設定しました。";
    case 10:
        return "マイナンバー管理パスワードを変更しました。";
    default:
        break;
    }
    static const char* kWords[] = {"**", "が登録", "が変更", "が削除", "が参照", "が印刷", "を含むデータが保存",
        "を含むデータが復元", "を含めずにデータが保存"};
    const char* word = (kind >= 0 && kind <= 8) ? kWords[kind] : "**";
    return std::string("マイナンバー情報") + word + "されました。";
}

void TMyNumberIO::MakeLogRec(TMyNumberLogRec& rec, int kind, const std::string& procName)
{
    rec = TMyNumberLogRec {};
    rec.FHIZUKE = 0;
    rec.FSERIAL = SysDef.SerialNo;
    rec.FOPCODE = std::to_string(SysDef.LoginCode);
    rec.FOPNAME = SysDef.OpName;
    rec.FHOST = TrimZenkaku(FixLeftStr(SysDef.PCName, 60));
    rec.FSTATE = static_cast<std::uint8_t>(kind);
    rec.FPROCNAME = TrimZenkaku(FixLeftStr(procName, 40));
    rec.FCOMMENT = TrimZenkaku(FixLeftStr(MyNumberLogComment(kind, procName), 100));
}

bool TMyNumberIO::ReadLog(int order)
{
    LogCount = 0;
    LogList.clear();
    if (DM == nullptr)
        return false;
    auto q = companyQuery();
    return RunDbOperation(DM->IBTransactionDAT, DbPolicy("TMyNumberIO.ReadLog", "管理ログリストの取得に失敗しました。"),
        [&](TDbScope& op) {
            op.closeOnFailure(*q);
            ShopName = readShopName(*q);
            q->sql().clear();
            q->sql().add("SELECT COUNT(FSERIAL) AS RECCNT FROM MYNUMBER_LOG");
            q->open();
            LogCount = q->eof() ? 0 : q->fieldByName("RECCNT").asInteger();
            q->close();
            if (LogCount > 0) {
                q->sql().clear();
                q->sql().add("SELECT FHIZUKE,FSERIAL,FOPCODE,FOPNAME,FHOST,FSTATE,FPROCNAME,FCOMMENT");
                q->sql().add("FROM MYNUMBER_LOG");
                q->sql().add(order == 1 ? "ORDER BY FHIZUKE DESC,FSERIAL,FOPCODE" : "ORDER BY FHIZUKE,FSERIAL,FOPCODE");
                q->open();
                while (!q->eof() && static_cast<int>(LogList.size()) < LogCount) {
                    TMyNumberLogRec r;
                    r.FHIZUKE = opsupport::fieldDateTime(q->fieldByName("FHIZUKE"));
                    r.FSERIAL = q->fieldByName("FSERIAL").asString();
                    r.FOPCODE = q->fieldByName("FOPCODE").asString();
                    r.FOPNAME = q->fieldByName("FOPNAME").asString();
                    r.FHOST = q->fieldByName("FHOST").asString();
                    r.FSTATE = static_cast<std::uint8_t>(q->fieldByName("FSTATE").asInteger());
                    r.FPROCNAME = q->fieldByName("FPROCNAME").asString();
                    r.FCOMMENT = q->fieldByName("FCOMMENT").asString();
                    LogList.push_back(std::move(r));
                    q->next();
                }
                q->close();
                LogCount = static_cast<int>(LogList.size());
            }
        });
}

bool TMyNumberIO::AddLog(TMyNumberLogRec& rec)
{
    if (DM == nullptr)
        return false;
    auto q = companyQuery();
    TDateTime previous = -1;
    for (int attempt = 1; attempt <= 4; ++attempt) {
        if (rec.FHIZUKE == 0) {
            rec.FHIZUKE = opsupport::nowDateTime();
            // A retry always gets a stamp of its own.
            if (previous >= 0 && opsupport::toTimestamp(rec.FHIZUKE) <= opsupport::toTimestamp(previous))
                rec.FHIZUKE = previous + 1.0 / 86400000.0;
        }
        previous = rec.FHIZUKE;
        try {
            // A colliding stamp is retried here; the last failure is reported below.
            return RunDbOperation(
                DM->IBTransactionDAT, DbPolicy("TMyNumberIO.AddLog").with(DbReport::Raise), [&](TDbScope& op) {
                    op.closeOnFailure(*q);
                    q->close();
                    q->sql().clear();
                    q->sql().add(
                        "INSERT INTO MYNUMBER_LOG(FHIZUKE,FSERIAL,FOPCODE,FOPNAME,FHOST,FSTATE,FPROCNAME,FCOMMENT)");
                    q->sql().add("VALUES(:FHIZUKE,:FSERIAL,:FOPCODE,:FOPNAME,:FHOST,:FSTATE,:FPROCNAME,:FCOMMENT)");
                    q->paramByName("FHIZUKE").setTimestamp(opsupport::toTimestamp(rec.FHIZUKE));
                    q->paramByName("FSERIAL").setString(rec.FSERIAL);
                    q->paramByName("FOPCODE").setString(rec.FOPCODE);
                    q->paramByName("FOPNAME").setString(rec.FOPNAME);
                    q->paramByName("FHOST").setString(rec.FHOST);
                    q->paramByName("FSTATE").setInteger(rec.FSTATE);
                    q->paramByName("FPROCNAME").setString(rec.FPROCNAME);
                    q->paramByName("FCOMMENT").setString(rec.FCOMMENT);
                    q->execSQL();
                });
        } catch (const fb::EIBError& e) {
            if (e.iscErrorCode() == kDuplicateKey && attempt < 4) {
                rec.FHIZUKE = 0;
                continue;
            }
            // Also after the last collision: a lost audit entry is never silent.
            IBErrorProc(e, "TMyNumberIO.AddLog", "管理ログリストの追加に失敗しました。", false);
            return false;
        } catch (const std::exception& e) {
            ErrorMessageEx("管理ログリストの追加に失敗しました。", e.what());
            return false;
        }
    }
    return false;
}

bool TMyNumberIO::DeleteLog(const TMyNumberLogRec& rec)
{
    if (DM == nullptr)
        return false;
    auto q = companyQuery();
    return RunDbOperation(
        DM->IBTransactionDAT, DbPolicy("TMyNumberIO.DeleteLog", "管理ログリストの削除に失敗しました。"), [&] {
            q->sql().add("DELETE FROM MYNUMBER_LOG");
            q->sql().add("WHERE (FHIZUKE=:FHIZUKE) AND (FSERIAL=:FSERIAL) AND (FOPCODE=:FOPCODE)");
            q->paramByName("FHIZUKE").setTimestamp(opsupport::toTimestamp(rec.FHIZUKE));
            q->paramByName("FSERIAL").setString(rec.FSERIAL);
            q->paramByName("FOPCODE").setString(rec.FOPCODE.empty() ? std::string("0") : rec.FOPCODE);
            q->execSQL();
        });
}

bool TMyNumberIO::ReadLogFrom(const std::string& host, const std::string& databasePath)
{
    TCallConnection c(host, databasePath, true, "TMyNumberIO.ReadLogFrom", "管理ログリストの取得に失敗しました。");
    return c.ok() && ReadLog(0);
}

bool TMyNumberIO::AddLogTo(TMyNumberLogRec& rec, const std::string& host, const std::string& databasePath)
{
    TCallConnection c(host, databasePath, true, "TMyNumberIO.AddLogTo", "管理ログリストの追加に失敗しました。");
    return c.ok() && AddLog(rec);
}

bool TMyNumberIO::MergeLog(const std::string& host, const std::string& databasePath)
{
    if (ShopName.empty())
        return false;
    TCallConnection c(host, databasePath, true, "TMyNumberIO.MergeLog", "管理ログリストのマージに失敗しました。");
    if (!c.ok())
        return false;
    auto q = companyQuery();
    try {
        std::vector<TMyNumberLogRec> missing;
        bool sameShop = false;
        RunDbOperation(DM->IBTransactionDAT, DbPolicy("TMyNumberIO.MergeLog").with(DbReport::Raise), [&](TDbScope& op) {
            op.closeOnFailure(*q);
            sameShop = readShopName(*q) == ShopName;
            if (!sameShop)
                return;
            for (const auto& r : LogList) {
                q->sql().clear();
                q->sql().add("SELECT COUNT(FHIZUKE) AS RECCNT FROM MYNUMBER_LOG");
                q->sql().add(
                    "WHERE (FHIZUKE=:FHIZUKE) AND (FSERIAL=:FSERIAL) AND (FOPCODE=:FOPCODE) AND (FHOST=:FHOST)");
                q->paramByName("FHIZUKE").setTimestamp(opsupport::toTimestamp(r.FHIZUKE));
                q->paramByName("FSERIAL").setString(r.FSERIAL);
                q->paramByName("FOPCODE").setString(r.FOPCODE);
                q->paramByName("FHOST").setString(r.FHOST);
                q->open();
                const int n = q->eof() ? 0 : q->fieldByName("RECCNT").asInteger();
                q->close();
                if (n == 0)
                    missing.push_back(r);
            }
        });
        if (!sameShop)
            return false;
        bool ok = true;
        for (auto& r : missing)
            ok = AddLog(r) && ok;
        return ok;
    } catch (const std::exception& e) {
        ErrorMessageEx("管理ログリストのマージに失敗しました。", e.what());
        return false;
    }
}

bool TMyNumberIO::ReadSetting(
    const std::string& host, const std::string& databasePath, const std::string& command, const std::string& procName)
{
    static const char* kMessage = "マイナンバー情報の取得に失敗しました。";
    UseKbn = 0;
    KeyText.clear();
    ValueText.clear();
    KeyStored.clear();
    ValueStored.clear();
    TCallConnection c(host, databasePath, true, "TMyNumberIO.ReadSetting", kMessage);
    if (!c.ok())
        return false;
    try {
        bool cleared = false;
        RunDbOperation(DM->IBTransactionDAT, DbPolicy("TMyNumberIO.ReadSetting").with(DbReport::Raise), [&] {
            UseKbn = funcGetAccReg(kBasic, "＃USE", "整数", "0").asInteger();
            KeyStored = TrimZenkaku(funcGetAccReg(kBasic, "＃KEY", "文字", "").asString());
            ValueStored = TrimZenkaku(funcGetAccReg(kBasic, "＃VALUE", "文字", "").asString());
            auto decode = [](const std::string& stored, int length) {
                if (stored.empty())
                    return std::string();
                try {
                    return DecodeProtectText(stored, kKeyWord, length);
                } catch (const std::exception&) {
                    return std::string(); // kept encoded in *Stored
                }
            };
            KeyText = decode(KeyStored, 8);
            ValueText = decode(ValueStored, static_cast<int>(ValueStored.size()));
            if (upperAscii(command) == "MYNUMBER_CLEAR") {
                funcPutAccReg(kBasic, "＃USE", "整数", TRegValue::integer(0));
                DeleteAccReg(kBasic, "＃KEY");
                DeleteAccReg(kBasic, "＃VALUE");
                cleared = true;
            }
        });
        if (cleared) {
            MakeLogRec(LogRec, 3, procName.empty() ? std::string("アプリケーション") : procName);
            AddLog(LogRec);
        }
        return true;
    } catch (const std::exception& e) {
        ErrorMessageEx(kMessage, e.what());
        return false;
    }
}

bool TMyNumberIO::WriteSetting(const std::string& host, const std::string& databasePath)
{
    static const char* kMessage = "マイナンバー情報の更新に失敗しました。";
    if (UseKbn != 1)
        return false;
    TCallConnection c(host, databasePath, false, "TMyNumberIO.WriteSetting", kMessage);
    if (!c.ok())
        return false;
    // Re-encoding that cannot be done writes back the text as it was read.
    auto encode = [](const std::string& plain, const std::string& stored, int length) {
        if (plain.empty())
            return stored;
        try {
            const std::string encoded = EncodeProtectText(plain, kKeyWord, length);
            return encoded.empty() ? stored : encoded;
        } catch (const std::exception&) {
            return stored;
        }
    };
    try {
        RunDbOperation(DM->IBTransactionDAT, DbPolicy("TMyNumberIO.WriteSetting").with(DbReport::Raise), [&] {
            funcPutAccReg(kBasic, "＃USE", "整数", TRegValue::integer(UseKbn));
            const std::string key = encode(KeyText, KeyStored, 8);
            const std::string value = encode(ValueText, ValueStored, static_cast<int>(ValueText.size()));
            if (!key.empty())
                funcPutAccReg(kBasic, "＃KEY", "文字", TRegValue::text(key));
            if (!value.empty())
                funcPutAccReg(kBasic, "＃VALUE", "文字", TRegValue::text(value));
        });
    } catch (const std::exception& e) {
        ErrorMessageEx(kMessage, e.what());
        return false;
    }
    if (LogRec.FHIZUKE != 0)
        DeleteLog(LogRec);
    return true;
}

bool CheckMyNumberPassword(const std::string& storedPassword)
{
    if (SysDef.IsMyNumberAdmin == 0)
        return true;
    if (storedPassword.empty())
        return false;
    TInputDlgRequest dlg;
    dlg.inputKind = inputkind::Password;
    dlg.caption = "マイナンバー管理パスワードの確認";
    dlg.prompt = "マイナンバー管理パスワードを入力して下さい。";
    dlg.promptColour = 0;
    dlg.maxLength = 8;
    dlg.imeMode = 0;
    dlg.keyFilter = inputfilter::LettersDigits;
    dlg.position = inputpos::ScreenCenter;
    dlg.help = "パスワード(英数字8文字以内)を入力し、[OK]"
               "ボタンを押して下さい。3回続けて失敗すると呼出し元の画面に戻ります。";
    return AskPasswordThreeTimes(dlg, storedPassword);
}
