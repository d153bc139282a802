#pragma once
// The data-selection operations in the data-server kind (connection kind 1)
// on the private test server: a sample root made on the server, the data
// module connected to its system database, the list loaded as the screen
// loads it, and the save/restore operations over it. Each test runs in a
// process of its own, so its folders carry the test's name.

#include "operations_fixture.h"

#include "core/BackupRestoreThread.h"
#include "core/DataModule.h"
#include "dataselect/z5DataSaveRestore.h"
#include "support/firebird_server.h"
#include "support/temp_dir.h"

#include <memory>

class OperationsOnServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_FIREBIRD_SERVER();
        auto& server = test_support::FirebirdServer::instance();
        // Each test runs in a process of its own: its folders carry its name.
        const std::string n = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        const std::string folder = server.makeDataFolder("ops-" + n);
        sample::SampleOptions o;
        o.host = server.host();
        o.forcedWrites = false;
        o.withMedical = false;
        o.withFileManager = false;
        o.folderCreated = [&](const std::string& d) { server.grant(d); };
        info = sample::buildSampleRoot(folder + "/home", o);
        ResetProcessState();
        InstallOpenCompanyTables();
        ConnectMode = 1;
        SysDef.HostName = server.host();
        SysDef.DBUser = test_support::FirebirdServer::user();
        SysDef.DBPassword = test_support::FirebirdServer::password();
        SysDef.SysDir = info.sysDir;
        // Folders the server's account reaches: it reads the work copy of a
        // backup and writes the backups.
        SysDef.WorkDir = server.makeDataFolder("ops-work-" + n);
        stick = server.makeDataFolder("ops-stick-" + n);
        SysDef.LogDir = work.makeDir("log");
        SysDef.GroupID = info.groupId;
        SysDef.OpCode = info.groupId + info.operatorCode;
        SysDef.OpName = info.operatorName;
        SysDef.JobLevel = 9;
        AppInfo.Varov.DataListCnt = 120;
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
        ASSERT_TRUE(dm->fnAccDefConnected({}, 1));
        list = std::make_unique<TDataSentakuModel>();
        list->ConnectKind = 1;
        list->LoadDataList();
        checks = std::make_unique<TDataCopyPaste>(*list);
        ops = std::make_unique<TDataSaveRestore>(*list, *checks);
        company = info.companies.front().folder;
    }
    void TearDown() override
    {
        ops.reset();
        checks.reset();
        list.reset();
        dm.reset();
        ResetProcessState();
    }

    sample::SampleRootInfo info;
    test_support::TempDir work;
    std::unique_ptr<core::TDM> dm;
    std::unique_ptr<TDataSentakuModel> list;
    std::unique_ptr<TDataCopyPaste> checks;
    std::unique_ptr<TDataSaveRestore> ops;
    std::string company;
    std::string stick;
};

