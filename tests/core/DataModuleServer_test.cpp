// The data module against a Firebird server on the loopback (the data-server
// mode): host-form names, the attachment test, gbak and the lost connection.
#include "core/DataModule.h"

#include "ServerDataSet_fixture.h"
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

class ServerTest : public dm_fixture::ServerDataSetTest {
protected:
    void SetUp() override
    {
        REQUIRE_FIREBIRD_SERVER();
        ++counter();
        makeServerDataSet("sys" + std::to_string(counter()), "DATA" + std::to_string(counter()) + "_0001");
        SysDef.DataDir = dataDir;
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
