#pragma once
// A system and a company database made on the loopback test server, with the
// process settings and a data module pointing at them: the data-server mode
// of the data module and of the worker.

#include "DataModule_fixture.h"
#include "core/DataModule.h"
#include "core/uAccRecord.h"
#include "platform/firebird/firebird.h"
#include "sample_data.h"
#include "support/firebird_server.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace dm_fixture {

class ServerDataSetTest : public ::testing::Test {
protected:
    // Call after REQUIRE_FIREBIRD_SERVER(). The folder names must differ
    // between the fixtures of one run.
    void makeServerDataSet(const std::string& sysFolder, const std::string& dataFolder)
    {
        auto& server = test_support::FirebirdServer::instance();
        ResetProcessState();
        ConnectMode = 1;
        SysDef.HostName = server.host();
        SysDef.DBUser = test_support::FirebirdServer::user();
        SysDef.DBPassword = test_support::FirebirdServer::password();
        SysDef.GroupID = 10000;
        SysDef.LogDir = local.makeDir("log");
        SysDef.WorkDir = local.makeDir("work");
        SysDef.SysDir = server.makeDataFolder(sysFolder);
        dataDir = server.makeDataFolder(dataFolder);
        companyDb = dataDir + "/" + DataFile;
        // The system database as shipped: its file procedures are the
        // data server's plug-in, acting on the server's real files.
        sample::createDatabaseFromScripts(
            test_support::FirebirdServer::instance().databaseName(SysDef.SysDir + "/" + DataDefFile),
            sample::defaultSqlDir(), "sys", test_support::FirebirdServer::user(),
            test_support::FirebirdServer::password(), false);
        createCompanyDatabase(test_support::FirebirdServer::instance().databaseName(companyDb),
            test_support::FirebirdServer::user(), test_support::FirebirdServer::password());
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
    }

    // A second attachment, as another user of the server would have.
    static std::unique_ptr<fb::Database> attachAsSysdba(const std::string& path)
    {
        auto db = std::make_unique<fb::Database>();
        db->setDatabaseName(test_support::FirebirdServer::instance().databaseName(path));
        db->addParam("user_name=" + test_support::FirebirdServer::sysdbaUser());
        db->addParam("password=" + test_support::FirebirdServer::instance().sysdbaPassword());
        db->connect();
        return db;
    }

    test_support::TempDir local;
    std::string dataDir;
    std::string companyDb;
    std::unique_ptr<core::TDM> dm;
};

} // namespace dm_fixture
