#include "dataselect/LogonOperations.h"
#include "core/DbOperation.h"

#include "core/AppInfo.h"
#include "core/DataModule.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "core/TextRoutines.h"
#include "core/uAccRecord.h"
#include "dataselect/AppIniFile.h"
#include "platform/plain_text.h"

#include <functional>
#include <stdexcept>
#include <vector>

namespace dataselect {

namespace {

namespace fb = platform::firebird;

constexpr long kIscIoError = 335544344;
constexpr long kIscNetworkError = 335544721;

constexpr const char* kIniReadFailed = "iniファイルよりデータベース情報の取得に失敗しました。";
constexpr const char* kWrongCode = "コードまたはパスワードが違います。\r正しいコードまたはパスワードを入力して下さい。";
constexpr const char* kAlreadyLoggedOn
    = "指定したユーザーは既にシステムへログインしているため、ログインできませんでした。";
constexpr const char* kConnectFailed = "財務システムデータベースの接続処理に失敗しました。";
constexpr const char* kCausesHead = "ログイン処理に失敗しました。以下の理由が考えられます。";
constexpr const char* kFirewall = "Windowsファイヤーウォール(市販のセキュリティソフト含む)が有効の場合は、"
                                  "このアプリケーションがサーバーと通信できる状態か確認して下さい。";

core::TDM& dm()
{
    if (core::DM == nullptr)
        throw std::logic_error("TLogonBox: no data module");
    return *core::DM;
}

void warn(const std::string& text)
{
    core::ShowStandardMessage(text, msgkind::Warning);
}

// The information box of a failed connection (kind 2 record, OK only).
void showConnectFailure(const std::vector<std::string>& lines)
{
    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Information, rec);
    rec.caption = "情報";
    rec.buttons = msgbtn::OK;
    for (std::size_t i = 0; i < lines.size() && i < rec.lines.size(); ++i)
        rec.lines[i].text = lines[i];
    ShowMessage2(rec);
}

std::vector<std::string> causeList(int kind, int startMode)
{
    switch (kind) {
    case 0:
        if (startMode == 1)
            return {kCausesHead, "１）財務アプリケーションがインストールされていない。",
                "２）データファイルが見つからない。", "３）別のプロセスがデータファイルを使用中。"};
        return {kCausesHead, "１）データファイルが見つからない。", "２）別のプロセスがデータファイルを使用中。"};
    case 1:
        return {kCausesHead, "１）サーバー上でFireBirdサービスが起動しているか確認して下さい。",
            "２）ログイン画面の[サーバー設定]ボタンを押して正しい情報が設定されているか確認して下さい。",
            std::string("３）") + kFirewall};
    default: {
        const std::size_t product = RemoteKind < RemoteKindNames.size() ? RemoteKind : 0;
        return {kCausesHead,
            std::string("１）") + RemoteKindNames[product] + "ソリューションが正常に動作しているか確認して下さい。",
            "２）サーバー上でFireBirdサービスが起動しているか確認して下さい。",
            "３）ログイン画面の[サーバー設定]ボタンを押して正しい情報が設定されているか確認して下さい。",
            std::string("４）") + kFirewall};
    }
    }
}

// "C:" of a folder with a drive letter; nothing for a POSIX folder.
std::string driveOf(const std::string& folder)
{
    if (folder.size() >= 2 && folder[1] == ':' && std::isalpha(static_cast<unsigned char>(folder[0])))
        return folder.substr(0, 2);
    return {};
}

// Reads the connection settings (read answers 1 when it has them); false
// after the warning that they could not be read.
bool settingsRead(const std::function<int()>& read)
{
    try {
        if (read() == 1)
            return true;
    } catch (const std::exception&) {
    }
    warn(kIniReadFailed);
    return false;
}

// The password operations work on a fresh connection of their own.
bool reconnect(core::TDM& d)
{
    if (d.IBDatabaseDEF.connected())
        d.IBDatabaseDEF.disconnect();
    if (d.fnAccDefConnected(SysDef.HostName, core::TConnectReport::Show))
        return true;
    warn("システムデータベースの接続処理に失敗しました。\riniファイルの情報が正しいか確認してください。");
    return false;
}

std::string endingText(const char* head)
{
    return std::string(head) + "\r" + SysDef.ProgramName + "を終了します。";
}

// The login procedure's answer: 0 and 1 let the operator in. A refusal is
// explained and leaves the dialog open; a wrong code or password (-1) also
// puts the focus on its field.
bool answerAccepted(int num, const char* wrongText, TLogonFocus wrongFocus, TLogonOutcome& out)
{
    if (num == 0 || num == 1)
        return true;
    if (num == -3) {
        warn(kAlreadyLoggedOn);
    } else if (num == -1) {
        warn(wrongText);
        out.focus = wrongFocus;
    } else {
        // The procedure refused for a reason of its own: say so with its code.
        warn(TLogonOperations::RefusalText(num));
    }
    return false;
}

// Runs body on a statement of the system connection; failures reach the
// caller.
void runOnSystem(core::TDM& d, const std::function<void(fb::Query&)>& body)
{
    core::RunDbOperation(d.IBTransactionDEF, core::DbPolicy("TLogonOperations").with(core::DbReport::Raise), [&] {
        fb::Query q(&d.IBDatabaseDEF, &d.IBTransactionDEF);
        body(q);
    });
}

// Opens the operator's OPERATOR row with the columns given.
void openOperator(fb::Query& q, const char* columns, int opCode)
{
    q.sql().add(std::string("SELECT ") + columns + " FROM OPERATOR");
    q.sql().add("WHERE GROUPID=:GROUPID AND OPCODE=:OPCODE");
    q.paramByName("GROUPID").setInteger(SysDef.GroupID);
    q.paramByName("OPCODE").setInteger(opCode);
    q.open();
}

// A password operation on a fresh connection of its own, closed again
// afterwards; a failure is logged under context and answered with
// failureText.
bool runPasswordOperation(const char* context, const char* failureText, const std::function<void(fb::Query&)>& body)
{
    core::TDM& d = dm();
    try {
        if (!reconnect(d))
            return false;
        runOnSystem(d, body);
        d.IBDatabaseDEF.disconnect();
        return true;
    } catch (const core::EIBError& e) {
        core::IBErrorProc(e, context, "", false);
    } catch (const std::exception&) {
    }
    warn(failureText);
    return false;
}

} // namespace

int TLogonOperations::GetConnectKind(bool csChecked) const
{
    if (ConnectMode == 2)
        return 2;
    if (ConnectMode > 2)
        return 0;
    return csChecked ? 1 : 0;
}

bool TLogonOperations::ConnectSystemDatabase(int kind)
{
    core::TDM& d = dm();
    try {
        if (d.IBDatabaseDEF.connected())
            d.IBDatabaseDEF.disconnect();
        return d.fnAccDefConnected(SysDef.HostName, core::TConnectReport::Raise);
    } catch (const core::EIBError& e) {
        const long code = e.iscErrorCode();
        if (code == kIscIoError || code == kIscNetworkError)
            showConnectFailure(causeList(kind, StartMode));
        else
            showConnectFailure({kConnectFailed, "[例外内容]",
                "(IBXエラーコード:" + std::to_string(code) + ") " + core::GetIBErrorText(e)});
    } catch (const std::exception& e) {
        showConnectFailure({kConnectFailed, "[例外内容]", e.what()});
    }
    return false;
}

bool TLogonOperations::RunLogonProcedure(int code, const std::string& password, int appVersion, int& num,
    int& loginCode, int& jobLevel, const char* failureText, const char* context)
{
    core::TDM& d = dm();
    try {
        runOnSystem(d, [&](fb::Query& q) {
            SysDef.OpCode = 0;
            const bool sharedTerminal = ConnectMode == 2;
            q.sql().add(std::string("SELECT NUM,LOGINCODE,JOBLEVEL FROM ")
                + (sharedTerminal ? "TE_LOGONUSERTEST" : "LOGONUSERTEST")
                + "(:PCNAME,:GROUPID,:OPCODE,:APPVERSION,:PASWORD)");
            q.paramByName("PCNAME").setString(sharedTerminal ? SysDef.WinUserName : SysDef.PCName);
            q.paramByName("GROUPID").setInteger(SysDef.GroupID);
            q.paramByName("OPCODE").setInteger(code);
            q.paramByName("APPVERSION").setInteger(appVersion);
            q.paramByName("PASWORD").setString(password);
            q.open();
            if (q.eof())
                throw std::runtime_error("LOGONUSERTEST: no answer row");
            num = q.fieldByName("NUM").asInteger();
            loginCode = q.fieldByName("LOGINCODE").asInteger();
            jobLevel = q.fieldByName("JOBLEVEL").asInteger();
            q.close();
        });
        return true;
    } catch (const core::EIBError& e) {
        core::IBErrorProc(e, context, "", false);
        core::ShowStandardMessage(endingText(failureText), msgkind::Error);
    } catch (const std::exception& e) {
        core::ErrorMessageEx(endingText(failureText), e.what());
    }
    return false;
}

std::string TLogonOperations::RefusalText(int num)
{
    return "ログインできませんでした。\r(ログイン処理の応答コード:" + std::to_string(num) + ")";
}

TLogonOutcome TLogonOperations::Login(const TLogonInput& input)
{
    TLogonOutcome out;
    const int kind = GetConnectKind(input.csChecked);
    if (!settingsRead([&] { return ReadIniFile(kind); }))
        return out;
    if (GroupMode) {
        int group = platform::text::toIntOr(input.groupText, 0);
        if (group > 99999)
            group = 0;
        SysDef.GroupID = group;
    }
    const int code = platform::text::toIntOr(input.codeText, 0);
    if (code < 10) {
        warn(kWrongCode);
        out.focus = TLogonFocus::Code;
        return out;
    }
    if (kind == 1 || kind == 2) {
        const std::string hint = kind == 1 ? "[サーバー設定]ボタンを押して正しい情報を入力して下さい。"
                                           : "[データサーバーの設定]を起動し正しい情報を入力して下さい。";
        if (SysDef.HostName.empty()) {
            warn("データサーバーのコンピュータ名が設定されていません。\r" + hint);
            return out;
        }
        if (SysDef.SysDir.empty()) {
            warn("データサーバー上のデータパスが設定されていません。\r" + hint);
            return out;
        }
    }
    if (!ConnectSystemDatabase(kind))
        return out;

    int num = 0, loginCode = 0, jobLevel = 0;
    if (!RunLogonProcedure(code, input.password, 2, num, loginCode, jobLevel, "ログイン処理に失敗しました。",
            "TLogonBox.OKBtnClick")) {
        out.modalResult = 2;
        return out;
    }
    if (!answerAccepted(num, kWrongCode, TLogonFocus::Code, out))
        return out;
    out.modalResult = 1;
    SysDef.OpCode = SysDef.GroupID * 10000 + loginCode;
    ReadOperatorName(loginCode);
    SysDef.JobLevel = jobLevel;
    SysDef.LoginCode = loginCode;
    ReadOperatorRights(loginCode);
    SysDef.ServerTempPath = kind == 0 ? std::string() : driveOf(SysDef.SysDir) + ServerTempDir;
    if (DistKind == 2) {
        SysDef.JobLevel = 0;
        SysDef.IsAdmin = 0;
    }
    try {
        WriteConnectKind(kind);
    } catch (const std::exception& e) {
        core::ErrorMessageEx(kIniReadFailed, e.what(), msgkind::Warning);
    }
    return out;
}

void TLogonOperations::ReadOperatorName(int loginCode)
{
    core::TDM& d = dm();
    SysDef.OpName.clear();
    SysDef.IsAdmin = 0;
    try {
        runOnSystem(d, [&](fb::Query& q) {
            openOperator(q, "OPNAME,JIMUSHO,OKINIIRI", loginCode);
            for (; !q.eof(); q.next()) {
                SysDef.OpName = q.fieldByName("OPNAME").asString();
                SysDef.IsAdmin = q.fieldByName("JIMUSHO").asInteger() == 1 ? 1 : 0;
            }
            q.close();
        });
    } catch (const std::exception&) {
        SysDef.OpName.clear();
    }
}

void TLogonOperations::ReadOperatorRights(int loginCode)
{
    core::TDM& d = dm();
    SysDef.IsMyNumberAdmin = 0;
    SysDef.IsApprover = 0;
    try {
        runOnSystem(d, [&](fb::Query& q) {
            openOperator(q, "MYNUMBER_ADM,SHONIN", loginCode);
            if (!q.eof()) {
                SysDef.IsMyNumberAdmin = q.fieldByName("MYNUMBER_ADM").asInteger() == 1 ? 1 : 0;
                SysDef.IsApprover = q.fieldByName("SHONIN").asInteger() == 1 ? 1 : 0;
            }
            q.close();
        });
    } catch (const std::exception&) {
        SysDef.IsMyNumberAdmin = 0;
        SysDef.IsApprover = 0;
    }
}

bool TLogonOperations::GetEntryPassword(int opCode, std::string& password)
{
    if (AppKind != 2 && AppKind != 3)
        return true;
    if (opCode == 0)
        return false;
    return runPasswordOperation("TLogonBox.GetEntryPassword", "パスワードの確認処理に失敗しました。",
               [&](fb::Query& q) {
                   openOperator(q, "PASWORD", opCode);
                   if (!q.eof())
                       password = q.fieldByName("PASWORD").asString();
                   q.close();
               })
        && !password.empty();
}

bool TLogonOperations::UpdatePassword(int opCode, const std::string& password)
{
    if (AppKind == 1)
        return true;
    if (opCode == 0)
        return false;
    if (AppKind == 0 && !settingsRead([] { return ReadIniFile(ConnectMode); }))
        return false;
    return runPasswordOperation("TLogonBox.UpdatePassword", "パスワードの更新処理に失敗しました。", [&](fb::Query& q) {
        openOperator(q, "COUNT(GROUPID) AS RECCNT", opCode);
        const bool exists = !q.eof() && q.fieldByName("RECCNT").asInteger() > 0;
        q.close();
        q.sql().clear();
        if (exists) {
            q.sql().add("UPDATE OPERATOR SET PASWORD=:PASWORD");
            q.sql().add("WHERE GROUPID=:GROUPID AND OPCODE=:OPCODE");
        } else {
            q.sql().add("INSERT INTO OPERATOR(GROUPID,OPCODE,OPNAME,JOBLEVEL,PASWORD,DATAPAS,JIMUSHO,OKINIIRI,KANSA)");
            q.sql().add("VALUES(:GROUPID,:OPCODE,:OPNAME,:JOBLEVEL,:PASWORD,:DATAPAS,:JIMUSHO,:OKINIIRI,:KANSA)");
            q.paramByName("OPNAME").setString("システムユーザー");
            q.paramByName("JOBLEVEL").setInteger(9);
            q.paramByName("DATAPAS").setString("");
            q.paramByName("JIMUSHO").setInteger(0);
            q.paramByName("OKINIIRI").setInteger(0);
            q.paramByName("KANSA").setInteger(0);
        }
        q.paramByName("GROUPID").setInteger(SysDef.GroupID);
        q.paramByName("OPCODE").setInteger(opCode);
        q.paramByName("PASWORD").setString(password);
        q.execSQL();
    });
}

TLogonOutcome TLogonOperations::ConfirmLogin(int fixedCode, const std::string& password)
{
    TLogonOutcome out;
    if (!settingsRead([] { return LoadConnectSettings(0); }))
        return out;
    if (!ConnectSystemDatabase(0))
        return out;
    int num = 0, loginCode = 0, jobLevel = 0;
    if (!RunLogonProcedure(fixedCode, password, SysDef.AppVersion, num, loginCode, jobLevel,
            "パスワードの確認処理に失敗しました。", "TLogonBox.ConfirmOKBtnClick")) {
        out.modalResult = 2;
        return out;
    }
    if (!answerAccepted(num, "パスワードが違います。\r正しいパスワードを入力して下さい。", TLogonFocus::Password, out))
        return out;
    SysDef.OpCode = SysDef.GroupID * 10000 + 9999;
    ReadOperatorName(loginCode);
    if (AppKind == 2)
        SysDef.IsAdmin = 0;
    SysDef.JobLevel = jobLevel;
    SysDef.LoginCode = 9999;
    SysDef.IsMyNumberAdmin = 1;
    SysDef.IsApprover = 0;
    if (AppKind == 1)
        SysDef.OpName = "電子帳簿";
    else if (AppKind == 2)
        SysDef.OpName = "経営オルビスカ";
    else if (AppKind == 3) {
        SysDef.OpName = "現金出納帳";
        SysDef.IsMyNumberAdmin = 0;
    }
    out.modalResult = 1;
    return out;
}

} // namespace dataselect
