// The database layer through a Firebird server on 127.0.0.1 (the private
// server of the test fixture): the same connection behaviour as embedded,
// with password checks and the services reached over TCP.

#include "platform/firebird/firebird.h"
#include "support/firebird_server.h"
#include "support/sample_root.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fb = platform::firebird;
using test_support::FirebirdServer;

namespace {

class FirebirdThroughServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_FIREBIRD_SERVER();
        auto& server = FirebirdServer::instance();
        folder_ = server.makeDataFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        path_ = folder_ + "/tnacc.fdb";
    }

    void configure(fb::Database& db, const std::string& password = FirebirdServer::password())
    {
        db.setDatabaseName(FirebirdServer::instance().databaseName(path_));
        db.addParam("user_name=" + FirebirdServer::user());
        db.addParam("password=" + password);
        db.addParam("lc_ctype=SJIS_0208");
    }

    std::string folder_;
    std::string path_;
};

TEST_F(FirebirdThroughServer, CreateWriteReadJapaneseTextsOverTcp)
{
    test_support::databaseFromScripts(FirebirdServer::instance().databaseName(path_), {"company_010_schema.sql"},
        FirebirdServer::user(), FirebirdServer::password());
    fb::Database db;
    configure(db);
    db.connect();
    fb::Transaction tr(&db);
    tr.addParam("read_committed");
    tr.addParam("rec_version");
    tr.addParam("nowait");
    tr.startTransaction();
    fb::Query ins(&db, &tr);
    ins.sql().add("INSERT INTO SISETUMST (SCODE, SNAME) VALUES (:SCODE, :SNAME)");
    const std::vector<std::string> names = {"㈱髙橋①商事", "ｶﾌﾞｼｷｶﾞｲｼｬ"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        ins.paramByName("SCODE").setString("0" + std::to_string(i));
        ins.paramByName("SNAME").setString(names[i]);
        ins.execSQL();
    }
    tr.commit();
    db.disconnect();

    db.connect();
    tr.startTransaction();
    fb::Query q(&db, &tr);
    q.sql().add("SELECT SNAME, MON$REMOTE_PROTOCOL AS PROTO FROM SISETUMST");
    q.sql().add("CROSS JOIN MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION ORDER BY SCODE");
    q.open();
    for (const auto& n : names) {
        ASSERT_FALSE(q.eof());
        EXPECT_EQ(q.fieldByName("SNAME").asString(), n);
        EXPECT_EQ(q.fieldByName("PROTO").asString(), "TCPv4");
        q.next();
    }
    tr.commit();
    db.dropDatabase();
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(FirebirdThroughServer, WrongPasswordAndMissingFileAreEIBErrors)
{
    {
        fb::Database db;
        configure(db);
        db.createDatabase();
    }
    fb::Database wrong;
    configure(wrong, "not-the-password");
    try {
        wrong.connect();
        FAIL() << "wrong password accepted";
    } catch (const fb::EIBError& e) {
        EXPECT_EQ(e.iscErrorCode(), 335544472); // user name and password are not defined
    }
    fb::Database missing;
    configure(missing);
    missing.setDatabaseName(FirebirdServer::instance().databaseName(folder_ + "/none.fdb"));
    try {
        missing.connect();
        FAIL() << "missing database opened";
    } catch (const fb::EIBError& e) {
        EXPECT_EQ(e.iscErrorCode(), 335544344);
    }
}

TEST_F(FirebirdThroughServer, ServicesSeeAttachmentsAndBackUpOverTcp)
{
    fb::Database db;
    configure(db);
    db.createDatabase();

    fb::Service svc;
    svc.setProtocol(fb::Protocol::TCP);
    svc.setServerName(FirebirdServer::instance().host());
    svc.addParam("user_name=" + FirebirdServer::user());
    svc.addParam("password=" + FirebirdServer::password());
    svc.attach();
    const fb::DatabaseUsage usage = svc.databaseUsage();
    EXPECT_GE(usage.attachments, 1);
    bool seen = false;
    for (const auto& name : usage.databases)
        seen = seen || name == path_;
    EXPECT_TRUE(seen) << "attached database not listed";

    fb::BackupOptions b;
    b.database = path_; // a path as the server sees it
    b.backupFiles = {folder_ + "/tnacc.fbk"};
    svc.startBackup(b);
    EXPECT_FALSE(svc.readAll().empty());
    db.disconnect();
    EXPECT_TRUE(std::filesystem::exists(folder_ + "/tnacc.fbk"));

    fb::ValidationOptions v;
    v.database = path_;
    svc.startValidation(v);
    EXPECT_TRUE(svc.readAll().empty());
}

} // namespace

namespace {

// A sample data root whose databases the server made and holds: the
// data-server mode of the program reads it over TCP.
TEST(FirebirdServerSampleRoot, BuiltThroughTheServerAndLoggedInOverTcp)
{
    REQUIRE_FIREBIRD_SERVER();
    auto& server = FirebirdServer::instance();
    const std::string folder = server.makeDataFolder("sample-root");
    sample::SampleOptions o;
    o.host = server.host();
    o.forcedWrites = false;
    o.folderCreated = [&](const std::string& dir) { server.grant(dir); };
    const sample::SampleRootInfo info = sample::buildSampleRoot(folder + "/home", o);

    fb::Database sys;
    sys.setDatabaseName(server.databaseName(info.systemDatabase));
    sys.addParam("user_name=TOLVAN");
    sys.addParam("password=vulmok");
    sys.addParam("lc_ctype=SJIS_0208");
    sys.connect();
    fb::Transaction tr(&sys);
    tr.startTransaction();
    fb::Query q(&sys, &tr);
    q.sql().add("SELECT NUM,LOGINCODE,JOBLEVEL FROM LOGONUSERTEST(:PCNAME,:GROUPID,:OPCODE,:APPVERSION,:PASWORD)");
    q.paramByName("PCNAME").setString("PC-SERVER");
    q.paramByName("GROUPID").setInteger(10000);
    q.paramByName("OPCODE").setInteger(info.operatorCode);
    q.paramByName("APPVERSION").setInteger(2);
    q.paramByName("PASWORD").setString(info.operatorPassword);
    q.open();
    EXPECT_EQ(q.fieldByName("NUM").asInteger(), 0);
    q.close();
    q.sql().clear();
    q.sql().add("SELECT SHOUGOU FROM DATALIST WHERE REC = 1");
    q.open();
    EXPECT_EQ(q.fieldByName("SHOUGOU").asString(), "㈱トルバン商事");
    tr.commit();
}

} // namespace
