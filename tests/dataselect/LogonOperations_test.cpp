// Logins against the sample system database (embedded) and against the
// private data server: refusals before any connection, the procedure's
// answers, the operator's part of SysDef and the logged-on row.
#include "dataselect/LogonOperations.h"

#include "dataselect/AppIniFile.h"

#include "core/DataModule.h"
#include "core/DataModule_fixture.h"
#include "core/uAccRecord.h"
#include "platform/ini_file.h"
#include "support/firebird_server.h"
#include "support/sample_root.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

namespace {

namespace fb = platform::firebird;
using dataselect::TLogonFocus;
using dataselect::TLogonInput;
using dataselect::TLogonOperations;

constexpr const char* kWrongCode = "コードまたはパスワードが違います。";

struct LogonRow {
    bool exists = false;
    int groupId = 0;
    int operatorCode = 0;
    std::string pcName;
    std::string logonTime;
};

// A fresh attachment, so rows are seen as committed.
class SysReader {
public:
    explicit SysReader(const std::string& name, const std::string& user = "SYSDBA", const std::string& password = {})
    {
        db_.setDatabaseName(name);
        db_.addParam("user_name=" + user);
        if (!password.empty())
            db_.addParam("password=" + password);
        db_.addParam("lc_ctype=SJIS_0208");
        db_.connect();
    }
    LogonRow row(int opCode)
    {
        fb::Transaction t;
        t.setDefaultDatabase(&db_);
        t.startTransaction();
        fb::Query q(&db_, &t);
        q.sql().add("SELECT GROUPID, OPERATORCODE, PCNAME, CAST(LOGONTIME AS VARCHAR(30)) AS T FROM LOGONUSERLIST "
                    "WHERE OPCODE=:OPCODE");
        q.paramByName("OPCODE").setInteger(opCode);
        q.open();
        LogonRow r;
        if (!q.eof()) {
            r.exists = true;
            r.groupId = q.fieldByName("GROUPID").asInteger();
            r.operatorCode = q.fieldByName("OPERATORCODE").asInteger();
            r.pcName = q.fieldByName("PCNAME").asString();
            r.logonTime = q.fieldByName("T").asString();
        }
        q.close();
        t.commit();
        return r;
    }
    void exec(const std::string& sql) { db_.executeImmediate(sql); }

private:
    fb::Database db_;
};

class LogonTest : public test_support::SampleRootSuite {
protected:
    void SetUp() override
    {
        ResetProcessState();
        const auto& info = root().info();
        ini = dir.file("tnzaimu.ini");
        std::filesystem::copy_file(info.connectionIni, ini);
        SysDef.ServerIniFile = ini;
        SysDef.LogDir = info.logDir;
        SysDef.GroupID = 10000;
        SysDef.PCName = "PC-TEST";
        SysDef.ProgramName = "ミルザ連動コンポーネント";
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
        SysReader(info.systemDatabase).exec("DELETE FROM LOGONUSERLIST");
    }
    void TearDown() override
    {
        dm.reset();
        ResetProcessState();
    }

    int fullCode() const { return 10000 * 10000 + root().info().operatorCode; }
    TLogonInput input(const std::string& code, const std::string& password, bool cs = false) const
    {
        return TLogonInput {"", code, password, cs};
    }

    test_support::TempDir dir;
    std::string ini;
    std::unique_ptr<core::TDM> dm;
};

TEST_F(LogonTest, CodesBelowTenAreRefusedBeforeAnyConnection)
{
    // A folder without a system database: an attempt to connect would show
    // the connection failure instead of the refusal.
    platform::IniFile(ini).writeString("LOCAL", "SYSDIR", dir.makeDir("nothing-here"));
    for (const char* code : {"", "abc", "1", "9", "-10", "１０"}) {
        SCOPED_TRACE(code);
        ScriptedMessages messages;
        TLogonOperations logon;
        const auto out = logon.Login(input(code, "tolvan"));
        EXPECT_EQ(out.modalResult, 0);
        EXPECT_EQ(out.focus, TLogonFocus::Code);
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_EQ(messages.firstLine(0), kWrongCode);
        EXPECT_FALSE(dm->IBDatabaseDEF.connected()) << "nothing attached";
    }
}

TEST_F(LogonTest, LoginTable)
{
    const auto& info = root().info();
    struct Case {
        const char* name;
        std::string code;
        std::string password;
        const char* existingPc; // a LOGONUSERLIST row of the operator left by this computer or another
        int modal;
        TLogonFocus focus;
        const char* message; // first line, nullptr for none
    };
    const std::vector<Case> cases = {
        {"wrong password", "10", "wrong", nullptr, 0, TLogonFocus::Code, kWrongCode},
        {"password is compared as typed", "10", "TOLVAN", nullptr, 0, TLogonFocus::Code, kWrongCode},
        {"unknown operator", "11", "tolvan", nullptr, 0, TLogonFocus::Code, kWrongCode},
        {"logged on at another computer", "10", "tolvan", "PC-OTHER", 0, TLogonFocus::None,
            "指定したユーザーは既にシステムへログインしているため、ログインできませんでした。"},
        {"row left by a killed run on this computer", "10", "tolvan", "PC-TEST", 1, TLogonFocus::None, nullptr},
        {"success", "10", "tolvan", nullptr, 1, TLogonFocus::None, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SysReader sys(info.systemDatabase);
        sys.exec("DELETE FROM LOGONUSERLIST");
        if (c.existingPc != nullptr)
            sys.exec("INSERT INTO LOGONUSERLIST (OPCODE, GROUPID, OPERATORCODE, PCNAME, LOGONTIME) VALUES ("
                + std::to_string(fullCode()) + ", 10000, 10, '" + c.existingPc + "', '2001-01-01 00:00:00')");
        dm->IBDatabaseDEF.disconnect();
        SysDef.OpCode = 0;
        SysDef.OpName.clear();
        ScriptedMessages messages;
        TLogonOperations logon;
        const auto out = logon.Login(input(c.code, c.password));
        EXPECT_EQ(out.modalResult, c.modal);
        EXPECT_EQ(out.focus, c.focus);
        if (c.message == nullptr) {
            EXPECT_EQ(messages.count(), 0u);
        } else {
            ASSERT_EQ(messages.count(), 1u);
            EXPECT_EQ(messages.firstLine(0), c.message);
        }
        const LogonRow row = sys.row(fullCode());
        if (c.modal == 1) {
            EXPECT_EQ(SysDef.OpCode, fullCode());
            EXPECT_EQ(SysDef.LoginCode, 10);
            EXPECT_EQ(SysDef.OpName, info.operatorName);
            EXPECT_EQ(SysDef.JobLevel, 9);
            EXPECT_EQ(SysDef.IsAdmin, 1);
            EXPECT_EQ(SysDef.IsMyNumberAdmin, 1);
            EXPECT_EQ(SysDef.IsApprover, 0);
            EXPECT_EQ(SysDef.ServerTempPath, "");
            ASSERT_TRUE(row.exists);
            EXPECT_EQ(row.groupId, 10000);
            EXPECT_EQ(row.operatorCode, 10);
            EXPECT_EQ(row.pcName, "PC-TEST");
            EXPECT_NE(row.logonTime.substr(0, 4), "2001") << "the stale row is replaced";
            EXPECT_EQ(platform::IniFile(ini).readString("APPLICATION", "CONNECT", ""), "0");
        } else if (c.existingPc != nullptr) {
            EXPECT_EQ(row.pcName, c.existingPc) << "the other computer's row stays";
        } else {
            EXPECT_FALSE(row.exists);
        }
    }
}

TEST_F(LogonTest, DistributionTwoDropsTheLevelAndTheOfficeFlag)
{
    DistKind = 2;
    ScriptedMessages messages;
    TLogonOperations logon;
    EXPECT_EQ(logon.Login(input("10", "tolvan")).modalResult, 1);
    EXPECT_EQ(SysDef.JobLevel, 0);
    EXPECT_EQ(SysDef.IsAdmin, 0);
    EXPECT_EQ(SysDef.LoginCode, 10);
}

TEST_F(LogonTest, MissingSystemDatabaseGivesTheStandAloneCauses)
{
    platform::IniFile(ini).writeString("LOCAL", "SYSDIR", dir.makeDir("empty"));
    for (int startMode : {0, 1}) {
        SCOPED_TRACE(startMode);
        ScriptedMessages messages;
        TLogonOperations logon;
        logon.StartMode = startMode;
        EXPECT_EQ(logon.Login(input("10", "tolvan")).modalResult, 0);
        ASSERT_EQ(messages.count(), 1u);
        const auto& rec = messages.shown()[0];
        EXPECT_EQ(rec.kind, msgkind::Information);
        EXPECT_EQ(rec.caption, "情報");
        EXPECT_EQ(rec.lines[0].text, "ログイン処理に失敗しました。以下の理由が考えられます。");
        if (startMode == 0) {
            EXPECT_EQ(rec.lines[1].text, "１）データファイルが見つからない。");
            EXPECT_EQ(rec.lines[2].text, "２）別のプロセスがデータファイルを使用中。");
            EXPECT_EQ(rec.lines[3].text, "");
        } else {
            EXPECT_EQ(rec.lines[1].text, "１）財務アプリケーションがインストールされていない。");
            EXPECT_EQ(rec.lines[3].text, "３）別のプロセスがデータファイルを使用中。");
        }
    }
}

// Client/server: the SERVER section must name the host, then the folder.
TEST_F(LogonTest, ServerSettingsAreCheckedHostFirst)
{
    platform::IniFile file(ini);
    file.writeSection("SERVER", {"HOSTNAME=", "SYSDIR=", "USER=TOLVAN", "PASSWORD=vulmok"});
    ScriptedMessages messages;
    TLogonOperations logon;
    EXPECT_EQ(logon.Login(input("10", "tolvan", true)).modalResult, 0);
    file.writeString("SERVER", "HOSTNAME", "dataserver");
    EXPECT_EQ(logon.Login(input("10", "tolvan", true)).modalResult, 0);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.firstLine(0), "データサーバーのコンピュータ名が設定されていません。");
    EXPECT_EQ(messages.shown()[0].lines[1].text, "[サーバー設定]ボタンを押して正しい情報を入力して下さい。");
    EXPECT_EQ(messages.firstLine(1), "データサーバー上のデータパスが設定されていません。");
    EXPECT_FALSE(dm->IBDatabaseDEF.connected());
}

// A loopback port nobody listens on: a data server that is not running.
int unusedPort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}

TEST_F(LogonTest, StoppedServerGivesTheClientServerCauses)
{
    platform::IniFile(ini).writeSection("SERVER",
        {"HOSTNAME=127.0.0.1/" + std::to_string(unusedPort()), "SYSDIR=/srv/rozivoraduz/data", "USER=TOLVAN",
            "PASSWORD=vulmok"});
    ScriptedMessages messages;
    TLogonOperations logon;
    EXPECT_EQ(logon.Login(input("10", "tolvan", true)).modalResult, 0);
    ASSERT_EQ(messages.count(), 1u);
    const auto& rec = messages.shown()[0];
    EXPECT_EQ(rec.caption, "情報");
    EXPECT_EQ(rec.lines[0].text, "ログイン処理に失敗しました。以下の理由が考えられます。");
    EXPECT_EQ(rec.lines[1].text, "１）サーバー上でFireBirdサービスが起動しているか確認して下さい。");
    EXPECT_EQ(rec.lines[2].text,
        "２）ログイン画面の[サーバー設定]ボタンを押して正しい情報が設定されているか確認して下さい。");
    EXPECT_EQ(rec.lines[3].text,
        "３）Windowsファイヤーウォール(市販のセキュリティソフト含む)が有効の場合は、"
        "このアプリケーションがサーバーと通信できる状態か確認して下さい。");
    EXPECT_EQ(ConnectMode, 0) << "the kind follows the button, not the mode byte";
}

TEST_F(LogonTest, LoginOverTheDataServer)
{
    REQUIRE_FIREBIRD_SERVER();
    auto& server = test_support::FirebirdServer::instance();
    const std::string folder = server.makeDataFolder("logon-root");
    sample::SampleOptions o;
    o.host = server.host();
    o.forcedWrites = false;
    o.withCompany = false;
    o.withMedical = false;
    o.withFileManager = false;
    o.folderCreated = [&](const std::string& d) { server.grant(d); };
    const sample::SampleRootInfo info = sample::buildSampleRoot(folder + "/home", o);
    platform::IniFile(ini).writeSection("SERVER",
        {"HOSTNAME=" + server.host(), "GOGLOBAL=NO", "GROUP=NO", "SYSDIR=" + info.sysDir, "USER=tolvan",
            "PASSWORD=VULMOK"});
    ConnectMode = 1;
    ScriptedMessages messages;
    TLogonOperations logon;
    const auto out = logon.Login(input("10", "tolvan", true));
    EXPECT_EQ(out.modalResult, 1);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(SysDef.OpCode, fullCode());
    EXPECT_EQ(SysDef.ServerTempPath, ServerTempDir);
    EXPECT_EQ(platform::IniFile(ini).readString("APPLICATION", "CONNECT", ""), "1");
    SysReader sys(server.databaseName(info.systemDatabase), "TOLVAN", "vulmok");
    EXPECT_EQ(sys.row(fullCode()).pcName, "PC-TEST");
}

// The password confirmation of the companion program kinds (dormant in this
// program): set a password for the fixed operator, then confirm with it.
TEST_F(LogonTest, PasswordConfirmationOfTheCompanionKinds)
{
    AppKind = 2;
    ASSERT_EQ(dataselect::LoadConnectSettings(0), 1); // as the dialog's set-up does
    ScriptedMessages messages;
    TLogonOperations logon;
    std::string stored;
    EXPECT_FALSE(logon.GetEntryPassword(1, stored)) << "the built-in operator has no password";
    EXPECT_TRUE(logon.UpdatePassword(1, "abc1"));
    EXPECT_TRUE(logon.GetEntryPassword(1, stored));
    EXPECT_EQ(stored, "abc1");

    auto out = logon.ConfirmLogin(1, "wrong");
    EXPECT_EQ(out.modalResult, 0);
    EXPECT_EQ(out.focus, TLogonFocus::Password);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "パスワードが違います。");

    out = logon.ConfirmLogin(1, "abc1");
    EXPECT_EQ(out.modalResult, 1);
    EXPECT_EQ(SysDef.OpCode, 10000 * 10000 + 9999);
    EXPECT_EQ(SysDef.LoginCode, 9999);
    EXPECT_EQ(SysDef.OpName, "経営オルビスカ");
    EXPECT_EQ(SysDef.IsAdmin, 0);
    EXPECT_EQ(SysDef.IsMyNumberAdmin, 1);
    EXPECT_EQ(messages.count(), 1u);
    SysReader(root().info().systemDatabase).exec("UPDATE OPERATOR SET PASWORD='' WHERE GROUPID=10000 AND OPCODE=1");
}

// A procedure that refuses with a code of its own: the user is told the code.
TEST(LogonRefusal, CodeAboveOneIsShownWithTheCode)
{
    ResetProcessState();
    sample::SampleOptions o;
    o.withCompany = false;
    o.withMedical = false;
    o.withFileManager = false;
    test_support::SampleRoot root(o);
    SysReader(root.info().systemDatabase)
        .exec("ALTER PROCEDURE LOGONUSERTEST (PCNAME VARCHAR(64), GROUPID INTEGER, OPCODE INTEGER, "
              "APPVERSION INTEGER, PASWORD VARCHAR(16)) RETURNS (NUM INTEGER, LOGINCODE INTEGER, JOBLEVEL INTEGER) "
              "AS BEGIN NUM = 2; LOGINCODE = 0; JOBLEVEL = 0; SUSPEND; END");
    SysDef.ServerIniFile = root.info().connectionIni;
    SysDef.GroupID = 10000;
    core::TDM dm;
    core::DM = &dm;
    ScriptedMessages messages;
    TLogonOperations logon;
    const auto out = logon.Login(TLogonInput {"", "10", "tolvan", false});
    EXPECT_EQ(out.modalResult, 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "ログインできませんでした。");
    EXPECT_EQ(messages.shown()[0].lines[1].text, "(ログイン処理の応答コード:2)");
    EXPECT_EQ(SysDef.OpCode, 0);

    // A procedure that fails: the login ends (modal result 2) after saying so.
    SysReader(root.info().systemDatabase)
        .exec("ALTER PROCEDURE LOGONUSERTEST (PCNAME VARCHAR(64), GROUPID INTEGER, OPCODE INTEGER, "
              "APPVERSION INTEGER, PASWORD VARCHAR(16)) RETURNS (NUM INTEGER, LOGINCODE INTEGER, JOBLEVEL INTEGER) "
              "AS BEGIN NUM = 1 / (OPCODE - OPCODE); SUSPEND; END");
    SysDef.ProgramName = "ミルザ連動コンポーネント";
    SysDef.LogDir = root.info().logDir;
    messages.clear();
    const auto failed = logon.Login(TLogonInput {"", "10", "tolvan", false});
    EXPECT_EQ(failed.modalResult, 2);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, msgkind::Error);
    EXPECT_EQ(messages.firstLine(0), "ログイン処理に失敗しました。");
    EXPECT_EQ(messages.shown()[0].lines[1].text, "ミルザ連動コンポーネントを終了します。");
    EXPECT_FALSE(dm.IBTransactionDEF.inTransaction()) << "rolled back";
    dm.IBDatabaseDEF.disconnect();
    ResetProcessState();
}

} // namespace
