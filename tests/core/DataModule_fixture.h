#pragma once
// A data module over small databases made from the sample scripts: a company
// database with the few rows the settings, counts and data-set facts read,
// and a system database without rows (its file procedures are the project's
// UDR plug-in, acting on real files below the engine's data root).

#include "core/DataModule.h"
#include "core/uAccRecord.h"
#include "platform/firebird/firebird.h"
#include "sample_data.h"
#include "support/sample_root.h"
#include "support/temp_dir.h"

#include <memory>
#include <string>
#include <vector>

namespace dm_fixture {

namespace fb = platform::firebird;

// The company schema and its procedures, without the sample rows.
inline const std::vector<std::string>& companyScripts()
{
    static const std::vector<std::string> scripts = {"company_010_schema.sql", "company_020_procedures.sql"};
    return scripts;
}

// The rows the settings, counts and data-set facts read.
inline const std::vector<std::string>& companyRows()
{
    static const std::vector<std::string> rows = {
        "INSERT INTO ACCDEF1 (REC, ENTTEXT, DATATYPE, CODETYPE, SCODE1, SKANA, SHOUGOU, TANTOU, NENDO, KISHU, KIMATU, "
        "SITEN, BUMON, DATALOCK, READ_ONLY, CLOUD_LINE) VALUES (1, '高橋商事 第12期', 1, 0, 'C001', 'ﾀｶﾊｼｼｮｳｼﾞ', "
        "'株式会社高橋商事', 3, 12, '2024-04-01', '2025-03-31', 1, 1, 0, 0, 1)",
        "INSERT INTO ACCVERSION (REC, MAJOR, MINOR1, MINOR2) VALUES (1, 13, 0, 0)",
        "INSERT INTO SISETUMST (SCODE, SNAME, SIWAKECOUNT) VALUES ('', '全社', 0)",
        "INSERT INTO SISETUMST (SCODE, SNAME, SIWAKECOUNT) VALUES ('01', '本店', 5)",
        "INSERT INTO SISETUMST (SCODE, SNAME, SIWAKECOUNT) VALUES ('02', '支店', 2)",
        "INSERT INTO BUMONMST (BCODE) VALUES ('')",
        "INSERT INTO BUMONMST (BCODE) VALUES ('100')",
        "INSERT INTO SIWAKE (REC, DELFLG, TAISHAKU, KCODE, R_KCODE, SCODE) VALUES (1, 0, 1, '111', '500', '01')",
        "INSERT INTO SIWAKE (REC, DELFLG, TAISHAKU, KCODE, R_KCODE, SCODE) VALUES (2, 1, 1, '111', '500', '01')",
        "INSERT INTO SIWAKE (REC, DELFLG, TAISHAKU, KCODE, R_KCODE, SCODE) VALUES (3, 2, 1, '111', '500', '02')",
        "INSERT INTO SIWAKE (REC, DELFLG, TAISHAKU, KCODE, R_KCODE, SCODE) VALUES (4, 2, 2, '111', '500', '02')",
        "INSERT INTO OPINF (OPCODE, JOBNAME) VALUES (1, 'x')",
    };
    return rows;
}

// The system schema and its procedures (the file procedures are the
// project's UDR plug-in), without the rows of an installation.
inline const std::vector<std::string>& systemScripts()
{
    static const std::vector<std::string> scripts = {"sys_010_schema.sql", "sys_020_procedures.sql"};
    return scripts;
}

// Runs statements, each committed, on a database outside the data module.
inline void execAll(const std::string& databaseName, const std::vector<std::string>& statements,
    const std::string& user = "SYSDBA", const std::string& password = "")
{
    fb::Database db;
    sample::configureConnection(db, databaseName, user, password);
    db.connect();
    for (const auto& s : statements)
        sample::executeCommitted(db, s);
    db.disconnect();
}

// Runs one statement on a database file outside the data module.
inline void exec(const std::string& path, const std::string& sql)
{
    execAll(path, {sql});
}

// The company database of the fixture: the schema from the scripts and the
// rows above. databaseName may name a server.
inline void createCompanyDatabase(
    const std::string& databaseName, const std::string& user = "SYSDBA", const std::string& password = "")
{
    test_support::databaseFromScripts(databaseName, companyScripts(), user, password);
    execAll(databaseName, companyRows(), user, password);
}

// Data root: <tmp>/sys (system database), <tmp>/DATA/0001 (company).
class Fixture {
public:
    Fixture()
    {
        ResetProcessState();
        SysDef.SysDir = dir.makeDir("sys");
        SysDef.WorkDir = dir.makeDir("work");
        SysDef.LogDir = dir.makeDir("log");
        SysDef.ParentDir = dir.makeDir("parent");
        dataDir = dir.makeDir("DATA/0001");
        SysDef.DataDir = dataDir;
        SysDef.DBUser = "SYSDBA";
        SysDef.GroupID = 10000;
        SysDef.OpCode = 10001;
        SysDef.OpName = "管理者";
        SysDef.SysVerMajor = 12;
        companyDb = dataDir + "/" + DataFile;
        systemDb = SysDef.SysDir + "/" + DataDefFile;
        createCompanyDatabase(companyDb);
        test_support::databaseFromScripts(systemDb, systemScripts());
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
    }
    ~Fixture()
    {
        dm.reset();
        ResetProcessState();
    }

    test_support::TempDir dir;
    std::string dataDir;
    std::string companyDb;
    std::string systemDb;
    std::unique_ptr<core::TDM> dm;
};

} // namespace dm_fixture
