// The sample data root: what the builder writes and what the program reads
// from it first (login, data list, company master, settings files).

#include "platform/firebird/firebird.h"
#include "platform/ini_file.h"
#include "platform/share_roots.h"
#include "platform/registry.h"
#include "support/sample_root.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fb = platform::firebird;
using namespace std::chrono;

namespace {

class SampleRootContent : public test_support::SampleRootSuite {
protected:
    static void connect(fb::Database& db, const std::string& path)
    {
        db.setDatabaseName(path);
        db.addParam("user_name=TOLVAN");
        db.addParam("password=vulmok");
        db.addParam("lc_ctype=SJIS_0208");
        db.connect();
    }

    struct Login {
        int num, loginCode, jobLevel;
    };

    static Login login(fb::Database& db, const std::string& pc, int code, const std::string& password)
    {
        fb::Transaction tr(&db);
        tr.addParam("read_committed");
        tr.addParam("rec_version");
        tr.addParam("nowait");
        tr.startTransaction();
        fb::Query q(&db, &tr);
        q.sql().add("SELECT NUM,LOGINCODE,JOBLEVEL FROM LOGONUSERTEST(:PCNAME,:GROUPID,:OPCODE,:APPVERSION,:PASWORD)");
        q.paramByName("PCNAME").setString(pc);
        q.paramByName("GROUPID").setInteger(10000);
        q.paramByName("OPCODE").setInteger(code);
        q.paramByName("APPVERSION").setInteger(2);
        q.paramByName("PASWORD").setString(password);
        q.open();
        EXPECT_FALSE(q.eof());
        Login r {q.fieldByName("NUM").asInteger(), q.fieldByName("LOGINCODE").asInteger(),
            q.fieldByName("JOBLEVEL").asInteger()};
        tr.commit();
        return r;
    }
};

TEST_F(SampleRootContent, LayoutFollowsTheDataRootRules)
{
    const auto& info = root().info();
    EXPECT_EQ(info.dataRoot, info.folder + "/data/brimto/rozivoraduz");
    for (const auto& dir : {info.iniDir, info.logDir, info.tempDir, info.sysDir})
        EXPECT_TRUE(std::filesystem::is_directory(dir)) << dir;
    EXPECT_TRUE(std::filesystem::exists(info.sysDir + "/tnaccdef.fdb"));
    EXPECT_TRUE(std::filesystem::exists(info.sysDir + "/tnfileman.fdb"));
    ASSERT_GE(info.companies.size(), 1u);
    EXPECT_EQ(info.companies[0].folder, info.sysDir + "/0001");
    EXPECT_TRUE(std::filesystem::exists(info.companies[0].folder + "/tnacc.fdb"));

    platform::IniFile conn(info.connectionIni);
    EXPECT_EQ(conn.readString("LOCAL", "SYSDIR", ""), info.sysDir);
    EXPECT_EQ(conn.readString("LOCAL", "USER", ""), "TOLVAN");
    EXPECT_EQ(conn.readString("APPLICATION", "CONNECT", ""), "0");
    // It holds the database password: readable by its owner only.
    EXPECT_EQ(std::filesystem::status(info.connectionIni).permissions() & std::filesystem::perms::all,
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    platform::Registry reg(info.registryFile);
    const char* key = "SOFTWARE\\BRIMTO\\ROZIVORADUZ13";
    EXPECT_EQ(reg.readString(platform::RegRoot::LocalMachine, key, "Version").value_or(""), "13.0.0");
    EXPECT_EQ(reg.readString(platform::RegRoot::LocalMachine, key, "Product").value_or(""), "トルバン財務");

    // The shared server beside it: share root S (remote) with one area
    // holding a copy of the first company.
    EXPECT_EQ(info.shareRoot, info.folder + "/share-server");
    EXPECT_EQ(info.shareArea, info.shareRoot + "/rozivoraduz/sv0001");
    const auto roots = platform::share_roots::load(info.folder + "/config/share_roots.ini");
    ASSERT_EQ(roots.size(), 1u);
    EXPECT_EQ(roots[0].letter, 'S');
    EXPECT_EQ(roots[0].folder, info.shareRoot);
    EXPECT_TRUE(roots[0].remote);
    EXPECT_EQ(std::filesystem::file_size(info.shareArea + "/tnacc.fdb"),
        std::filesystem::file_size(info.companies[0].database));
    platform::IniFile area(info.shareArea + "/tnacc.ini");
    EXPECT_EQ(area.readString("DATAINFO", "CODE", ""), info.companies[0].code);
    EXPECT_EQ(area.readString("DATAINFO", "DATALISTNAME", ""), info.companies[0].name + "（共有）");
    EXPECT_EQ(area.readString("DATASTS", "SHARE_STATUS", ""), "1");
}

TEST_F(SampleRootContent, OperatorLogsInOncePerComputer)
{
    fb::Database sys;
    connect(sys, root().info().systemDatabase);
    const Login wrong = login(sys, "PC-A", 10, "nottolvan");
    EXPECT_EQ(wrong.num, -1);
    EXPECT_EQ(login(sys, "PC-A", 11, "tolvan").num, -1); // no such operator
    EXPECT_EQ(login(sys, "PC-A", 10, "tolvan ").num, -1); // trailing blank is a different password

    const Login ok = login(sys, "PC-A", 10, "tolvan");
    EXPECT_EQ(ok.num, 0);
    EXPECT_EQ(ok.loginCode, 10);
    EXPECT_EQ(ok.jobLevel, 9);
    EXPECT_EQ(login(sys, "PC-B", 10, "tolvan").num, -3); // held by another computer
    EXPECT_EQ(login(sys, "PC-A", 10, "tolvan").num, 1); // the same computer again

    fb::Transaction tr(&sys);
    tr.startTransaction();
    fb::Query q(&sys, &tr);
    q.sql().add("SELECT L.OPCODE, L.OPERATORCODE, L.PCNAME, O.OPNAME FROM LOGONUSERLIST L");
    q.sql().add("JOIN OPERATOR O ON O.GROUPID = L.GROUPID AND O.OPCODE = L.OPERATORCODE");
    q.open();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.fieldByName("OPCODE").asInteger(), 100000010);
    EXPECT_EQ(q.fieldByName("PCNAME").asString(), "PC-A");
    EXPECT_EQ(q.fieldByName("OPNAME").asString(), root().info().operatorName);
    q.close();
    // Logging off frees the operator for another computer.
    q.sql().clear();
    q.sql().add("DELETE FROM LOGONUSERLIST WHERE OPCODE=:OPCODE");
    q.paramByName("OPCODE").setInteger(100000010);
    q.execSQL();
    tr.commit();
    EXPECT_EQ(login(sys, "PC-B", 10, "tolvan").num, 0);
}

TEST_F(SampleRootContent, DataListRegistersTheCompany)
{
    fb::Database sys;
    connect(sys, root().info().systemDatabase);
    fb::Transaction tr(&sys);
    tr.startTransaction();
    fb::Query q(&sys, &tr);
    q.sql().add("SELECT COUNT(*) AS N, MAX(REC) AS M FROM DATALIST WHERE GROUPID = 10000");
    q.open();
    EXPECT_EQ(q.fieldByName("N").asInteger(), 120);
    EXPECT_EQ(q.fieldByName("M").asInteger(), 120);
    q.close();
    q.sql().clear();
    q.sql().add("SELECT * FROM DATALIST WHERE REC = 1");
    q.open();
    const auto& company = root().info().companies.at(0);
    EXPECT_EQ(q.fieldByName("PASNAME").asString(), company.folder);
    EXPECT_EQ(q.fieldByName("SHOUGOU").asString(), "㈱トルバン商事");
    EXPECT_EQ(q.fieldByName("DATATYPE").asInteger(), 1);
    EXPECT_EQ(q.fieldByName("KISHU").asDate(), 2024y / April / 1);
    EXPECT_EQ(q.fieldByName("KIMATU").asDate(), 2025y / March / 31);
    EXPECT_EQ(q.fieldByName("VER_MAJOR").asInteger(), 13);
    q.close();
    q.sql().clear();
    q.sql().add("SELECT PASNAME FROM DATALIST WHERE REC = 2");
    q.open();
    EXPECT_EQ(q.fieldByName("PASNAME").asString(), root().info().sysDir + "/0002");
    q.close();
    q.sql().clear();
    q.sql().add("SELECT FIRST 1 MAJOR, MINOR1, MINOR2 FROM VERSION ORDER BY MAJOR DESC, MINOR1 DESC, MINOR2 DESC");
    q.open();
    EXPECT_EQ(q.fieldByName("MAJOR").asInteger(), 12);
    EXPECT_EQ(q.fieldByName("MINOR1").asInteger(), 0);
    q.close();
    q.sql().clear();
    q.sql().add("SELECT GNAME, GSIGN, STARTDATE FROM GENGO ORDER BY YEAROFFSET DESC");
    q.open();
    EXPECT_EQ(q.fieldByName("GNAME").asString(), "令和");
    EXPECT_EQ(q.fieldByName("STARTDATE").asDate(), 2019y / May / 1);
    tr.commit();
}

TEST_F(SampleRootContent, CompanyMasterAndItsIniFileAgree)
{
    const auto& company = root().info().companies.at(0);
    fb::Database db;
    connect(db, company.database);
    fb::Transaction tr(&db);
    tr.startTransaction();
    fb::Query q(&db, &tr);
    q.sql().add("SELECT * FROM ACCDEF1");
    q.open();
    EXPECT_EQ(q.fieldByName("SHOUGOU").asString(), "㈱トルバン商事");
    EXPECT_EQ(q.fieldByName("ADD2").asString(), "髙橋ビル５Ｆ");
    EXPECT_EQ(q.fieldByName("KISHU").asDate(), 2024y / April / 1);
    EXPECT_EQ(q.fieldByName("NEW_TAX_RATE1").asCurrency(), 100000);
    q.next();
    EXPECT_TRUE(q.eof()); // exactly one row
    q.close();
    q.sql().clear();
    q.sql().add("SELECT COUNT(*) AS N, MIN(MAJOR) AS MA FROM ACCVERSION");
    q.open();
    EXPECT_EQ(q.fieldByName("N").asInteger(), 1);
    EXPECT_EQ(q.fieldByName("MA").asInteger(), 13);
    q.close();
    q.sql().clear();
    q.sql().add("SELECT HNAME FROM HOJOMST WHERE KCODE=:K AND HCODE=:H");
    q.paramByName("K").setString("1211");
    q.paramByName("H").setString("01");
    q.open();
    EXPECT_EQ(q.fieldByName("HNAME").asString(), "㈱髙橋商店");
    q.close();
    q.sql().clear();
    q.sql().add("SELECT (SELECT COUNT(SCODE) FROM SISETUMST WHERE SCODE <> '') AS S,");
    q.sql().add("(SELECT COUNT(BCODE) FROM BUMONMST WHERE BCODE <> '') AS B FROM RDB$DATABASE");
    q.open();
    const int branches = q.fieldByName("S").asInteger();
    const int departments = q.fieldByName("B").asInteger();
    tr.commit();
    EXPECT_GE(branches, 1);
    EXPECT_GE(departments, 3);

    platform::IniFile ini(company.iniFile);
    EXPECT_EQ(ini.readInteger("DATASTS", "STATUS", 0), 1);
    EXPECT_EQ(ini.readString("DATAINFO", "SHOUGOU", ""), "㈱トルバン商事");
    EXPECT_EQ(ini.readString("DATAINFO", "KISHU", ""), "2024/04/01");
    EXPECT_EQ(ini.readString("DATAINFO", "KIMATU", ""), "2025/03/31");
    EXPECT_EQ(ini.readString("DATAINFO", "VERSION1", ""), "13.0.0");
    EXPECT_EQ(ini.readInteger("DATAINFO", "SITENCNT", -1), branches);
    EXPECT_EQ(ini.readInteger("DATAINFO", "BUMONCNT", -1), departments);
}

TEST(SampleRootBuilder, RefusesAFolderThatHoldsARootAlready)
{
    test_support::TempFolder folder("sample-twice");
    sample::SampleOptions o;
    o.forcedWrites = false;
    o.withCompany = false;
    sample::buildSampleRoot(folder.path(), o);
    EXPECT_THROW(sample::buildSampleRoot(folder.path(), o), std::runtime_error);
}

TEST(SampleScriptRunner, RunsTerminatorsAndReportsTheFailingLine)
{
    test_support::TempFolder folder("sample-script");
    fb::Database db;
    db.setDatabaseName(folder.file("s.fdb"));
    db.addParam("user_name=TOLVAN");
    db.addParam("lc_ctype=SJIS_0208");
    db.addParam("force_write=0");
    db.createDatabase();
    sample::runSqlText(db,
        "/* a; comment */\nCREATE TABLE T (A INTEGER, B VARCHAR(10));\n"
        "INSERT INTO T VALUES (1, 'a;b');\n"
        "SET TERM ^ ;\n"
        "CREATE PROCEDURE P RETURNS (N INTEGER) AS BEGIN N = 1; SUSPEND; END^\n"
        "SET TERM ; ^\n"
        "COMMIT;\n",
        "inline");
    fb::Transaction tr(&db);
    tr.startTransaction();
    fb::Query q(&db, &tr);
    q.sql().add("SELECT B, (SELECT N FROM P) AS N FROM T");
    q.open();
    EXPECT_EQ(q.fieldByName("B").asString(), "a;b");
    EXPECT_EQ(q.fieldByName("N").asInteger(), 1);
    tr.commit();

    try {
        sample::runSqlText(db, "INSERT INTO T VALUES (2, 'x');\n\nINSERT INTO NOWHERE VALUES (1);\n", "bad.sql");
        FAIL() << "error not reported";
    } catch (const fb::EIBError& e) {
        EXPECT_EQ(e.context(), "bad.sql:3");
    }
    tr.startTransaction();
    q.sql().clear();
    q.sql().add("SELECT COUNT(*) AS N FROM T");
    q.open();
    EXPECT_EQ(q.fieldByName("N").asInteger(), 1); // the failed script left nothing behind
    tr.commit();
    EXPECT_THROW(sample::runSqlText(db, "SELECT 1 FROM RDB$DATABASE", "noterm.sql"), std::runtime_error);
}

} // namespace

// A root copied from a template: the paths stored in its databases and
// settings files name the copy's folder, never the template's.
TEST(SampleRootCopy, StoredPathsNameTheCopysFolder)
{
    test_support::TempFolder folder("sample-template");
    const std::string tpl = folder.path() + "/tpl";
    test_support::buildSampleTemplate(tpl);
    const char* before = std::getenv("MIRUZA_SAMPLE_TEMPLATE");
    const std::string saved = before ? before : "";
    ::setenv("MIRUZA_SAMPLE_TEMPLATE", tpl.c_str(), 1);
    ASSERT_EQ(test_support::sampleTemplateFolder(), tpl);
    {
        test_support::SampleRoot copy;
        const auto& info = copy.info();
        EXPECT_EQ(info.folder.rfind(tpl, 0), std::string::npos);
        for (const auto& e : std::filesystem::recursive_directory_iterator(info.folder)) {
            if (!e.is_regular_file() || e.path().extension() == ".fdb")
                continue;
            std::ifstream in(e.path(), std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_EQ(bytes.find(tpl), std::string::npos) << e.path();
        }
        EXPECT_EQ(platform::IniFile(info.connectionIni).readString("LOCAL", "SYSDIR", ""), info.sysDir);
        fb::Database sys;
        sys.setDatabaseName(info.systemDatabase);
        sys.addParam("user_name=TOLVAN");
        sys.addParam("lc_ctype=SJIS_0208");
        sys.connect();
        fb::Transaction tr(&sys);
        tr.startTransaction();
        fb::Query q(&sys, &tr);
        q.sql().add("SELECT (SELECT PASNAME FROM DATALIST WHERE REC = 1) AS P,");
        q.sql().add("(SELECT PATH FROM DATAPLACEMAN WHERE REC = 0) AS D,");
        q.sql().add("(SELECT COUNT(*) FROM DATAPLACEMAN WHERE PATH STARTING WITH :T) AS N FROM RDB$DATABASE");
        q.paramByName("T").setString(tpl);
        q.open();
        EXPECT_EQ(q.fieldByName("P").asString(), info.companies.at(0).folder);
        EXPECT_EQ(q.fieldByName("D").asString(), info.sysDir);
        EXPECT_EQ(q.fieldByName("N").asInteger(), 0);
        q.close();
        tr.commit();
    }
    if (saved.empty())
        ::unsetenv("MIRUZA_SAMPLE_TEMPLATE");
    else
        ::setenv("MIRUZA_SAMPLE_TEMPLATE", saved.c_str(), 1);
}
