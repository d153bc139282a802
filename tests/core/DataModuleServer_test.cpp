// The data module against a Firebird server on the loopback (the data-server
// mode): host-form names, the attachment test, gbak and the lost connection.
#include "core/DataModule.h"

#include "DataModule_fixture.h"
#include "core/IBErrorProc.h"
#include "support/firebird_server.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace core;
namespace fs = std::filesystem;
namespace fb = platform::firebird;
using test_support::FirebirdServer;

namespace {

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_FIREBIRD_SERVER();
        auto& server = FirebirdServer::instance();
        ResetProcessState();
        ConnectMode = 1;
        SysDef.HostName = server.host();
        SysDef.DBUser = FirebirdServer::user();
        SysDef.DBPassword = FirebirdServer::password();
        SysDef.GroupID = 10000;
        SysDef.LogDir = local.makeDir("log");
        SysDef.WorkDir = local.makeDir("work");
        SysDef.SysDir = server.makeDataFolder("sys" + std::to_string(++counter()));
        dataDir = server.makeDataFolder("DATA" + std::to_string(counter()) + "_0001");
        SysDef.DataDir = dataDir;
        companyDb = dataDir + "/" + DataFile;
        create(SysDef.SysDir + "/" + DataDefFile, dm_fixture::systemDdl());
        create(companyDb, dm_fixture::companyDdl());
        dm = std::make_unique<TDM>();
        DM = dm.get();
        previousTerminate = SetTerminateProc([this] { ++terminated; });
    }
    void TearDown() override
    {
        if (dm) {
            SetTerminateProc(previousTerminate);
            dm.reset();
        }
        ResetProcessState();
    }
    static int& counter()
    {
        static int n = 0;
        return n;
    }
    void create(const std::string& path, const std::vector<std::string>& ddl)
    {
        fb::Database db;
        db.setDatabaseName(FirebirdServer::instance().databaseName(path));
        db.addParam("user_name=" + FirebirdServer::user());
        db.addParam("password=" + FirebirdServer::password());
        db.addParam("lc_ctype=SJIS_0208");
        db.createDatabase();
        for (const auto& s : ddl)
            db.executeImmediate(s);
        db.disconnect();
    }
    std::unique_ptr<fb::Database> attachAsSysdba(const std::string& path)
    {
        auto db = std::make_unique<fb::Database>();
        db->setDatabaseName(FirebirdServer::instance().databaseName(path));
        db->addParam("user_name=" + FirebirdServer::sysdbaUser());
        db->addParam("password=" + FirebirdServer::instance().sysdbaPassword());
        db->connect();
        return db;
    }

    test_support::TempDir local;
    std::string dataDir;
    std::string companyDb;
    std::unique_ptr<TDM> dm;
    TTerminateProc previousTerminate;
    int terminated = 0;
};

} // namespace

TEST_F(ServerTest, ConnectsByHostFormAndReadsJapaneseExactly)
{
    ASSERT_TRUE(dm->fnAccDefConnected({}, 1));
    EXPECT_EQ(dm->IBDatabaseDEF.databaseName(), SysDef.HostName + ":" + SysDef.SysDir + "/" + DataDefFile);
    ASSERT_TRUE(dm->fnAccDatConnected({}, {}, 1));
    EXPECT_EQ(dm->IBDatabaseDAT.databaseName(), SysDef.HostName + ":" + companyDb);
    EXPECT_FALSE(fs::exists(dataDir + "/tnacc.ini")) << "no in-use mark in the settings file on a server";
    TOwnTransaction tr(dm->IBTransactionDAT);
    dm->IBQACC1.sql().clear();
    dm->IBQACC1.sql().add("SELECT SHOUGOU FROM ACCDEF1 WHERE REC=1");
    dm->IBQACC1.open();
    EXPECT_EQ(dm->IBQACC1.fieldByName("SHOUGOU").asString(), "株式会社高橋商事");
    dm->IBQACC1.close();
}

TEST_F(ServerTest, AttachmentTestSeesOtherConnectionsAndOwnOnlyWhenKept)
{
    ASSERT_TRUE(dm->fnAccDatConnected({}, {}, 0));
    EXPECT_TRUE(dm->AccDatInConnection(1, {}, dataDir, 1));
    EXPECT_FALSE(dm->AccDatInConnection(1, {}, dataDir, 0));
    EXPECT_TRUE(dm->IBDatabaseDAT.connected()) << "own connection restored";
    auto other = attachAsSysdba(companyDb);
    EXPECT_TRUE(dm->AccDatInConnection(1, {}, dataDir, 0));
}

TEST_F(ServerTest, GbakBacksUpOverTheServerAndAWrongPasswordFails)
{
    const std::string target = local.file("server.fbk");
    ASSERT_TRUE(dm->BackupFDBGbak(fb::Protocol::TCP, SysDef.HostName, companyDb, target, true));
    EXPECT_GT(fs::file_size(target), 0u);
    SysDef.DBPassword = "wrong";
    EXPECT_THROW(dm->BackupFDBGbak(fb::Protocol::TCP, SysDef.HostName, companyDb, local.file("bad.fbk"), true),
                 EBackupToolError);
}

TEST_F(ServerTest, LostConnectionEndsTheProgramOnce)
{
    ScriptedMessages messages;
    ASSERT_TRUE(dm->fnAccDatConnected({}, {}, 0));
    {
        auto admin = attachAsSysdba(companyDb);
        admin->executeImmediate("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION");
    }
    EXPECT_THROW(dm->GetUpDelSiwakeCount(""), fb::EIBError);
    EXPECT_EQ(ConnectionLost, 1);
    EXPECT_EQ(terminated, 1);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0).rfind("何らかの原因でネットワークが物理的に切断されている", 0), 0u);
    EXPECT_THROW(dm->GetUpDelSiwakeCount(""), fb::EIBError);
    EXPECT_EQ(messages.count(), 1u) << "later errors show nothing";
    EXPECT_EQ(terminated, 1);
}
