#pragma once
// A data module over small databases made here: a company database with the
// tables the settings, counts and data-set facts read, and a system database
// with the data list and stand-ins of the data server's file procedures
// (they work on a table of "server files" instead of a disk).

#include "core/DataModule.h"
#include "core/uAccRecord.h"
#include "platform/firebird/firebird.h"
#include "support/temp_dir.h"

#include <memory>
#include <string>
#include <vector>

namespace dm_fixture {

namespace fb = platform::firebird;

inline const std::vector<std::string>& companyDdl()
{
    static const std::vector<std::string> ddl = {
        "CREATE TABLE ACCDEF1 (REC INTEGER NOT NULL PRIMARY KEY, ENTTEXT VARCHAR(60), DATATYPE INTEGER DEFAULT 0, "
        "CODETYPE INTEGER DEFAULT 0, SCODE1 VARCHAR(20), SKANA VARCHAR(60), SHOUGOU VARCHAR(80), TANTOU INTEGER "
        "DEFAULT 0, "
        "NENDO INTEGER DEFAULT 0, KISHU DATE, KIMATU DATE, SITEN INTEGER DEFAULT 0, BUMON INTEGER DEFAULT 0, "
        "DATALOCK INTEGER DEFAULT 0, READ_ONLY INTEGER DEFAULT 0, CLOUD_LINE INTEGER DEFAULT 0)",
        "CREATE TABLE ACCVERSION (REC INTEGER NOT NULL PRIMARY KEY, MAJOR INTEGER, MINOR1 INTEGER, MINOR2 INTEGER)",
        "CREATE TABLE SISETUMST (SCODE VARCHAR(10) NOT NULL PRIMARY KEY, SNAME VARCHAR(40), SIWAKECOUNT INTEGER "
        "DEFAULT 0)",
        "CREATE TABLE BUMONMST (BCODE VARCHAR(10) NOT NULL PRIMARY KEY)",
        "CREATE TABLE SIWAKE (REC INTEGER NOT NULL PRIMARY KEY, DELFLG INTEGER DEFAULT 0, TAISHAKU INTEGER DEFAULT 0, "
        "KCODE VARCHAR(10), R_KCODE VARCHAR(10), SCODE VARCHAR(10))",
        "CREATE TABLE OPINF (OPCODE INTEGER, NOTE VARCHAR(20))",
        "CREATE TABLE ACCREG (AGROUP VARCHAR(40) NOT NULL, ACODE VARCHAR(60) NOT NULL, ATYPE VARCHAR(10), "
        "ATEXT VARCHAR(250), PRIMARY KEY (AGROUP, ACODE))",
        "CREATE TABLE ACCREG_BLOB_BINARY (FGROUP VARCHAR(40) NOT NULL, FKEY VARCHAR(60) NOT NULL, FTYPE VARCHAR(10), "
        "FVALUE BLOB SUB_TYPE 0, PRIMARY KEY (FGROUP, FKEY))",
        "CREATE TABLE MSD_HOUKOKU (MDGROUP VARCHAR(40) NOT NULL, MDCODE VARCHAR(40) NOT NULL, MDTYPE VARCHAR(10), "
        "MDTEXT1 VARCHAR(250), PRIMARY KEY (MDGROUP, MDCODE))",
        "INSERT INTO ACCDEF1 VALUES (1, '高橋商事 第12期', 1, 0, 'C001', 'ﾀｶﾊｼｼｮｳｼﾞ', '株式会社高橋商事', 3, 12, "
        "'2024-04-01', '2025-03-31', 1, 1, 0, 0, 1)",
        "INSERT INTO ACCVERSION VALUES (1, 13, 0, 0)",
        "INSERT INTO SISETUMST VALUES ('', '全社', 0)",
        "INSERT INTO SISETUMST VALUES ('01', '本店', 5)",
        "INSERT INTO SISETUMST VALUES ('02', '支店', 2)",
        "INSERT INTO BUMONMST VALUES ('')",
        "INSERT INTO BUMONMST VALUES ('100')",
        "INSERT INTO SIWAKE VALUES (1, 0, 1, '111', '500', '01')",
        "INSERT INTO SIWAKE VALUES (2, 1, 1, '111', '500', '01')",
        "INSERT INTO SIWAKE VALUES (3, 2, 1, '111', '500', '02')",
        "INSERT INTO SIWAKE VALUES (4, 2, 2, '111', '500', '02')",
        "INSERT INTO OPINF VALUES (1, 'x')",
    };
    return ddl;
}

inline const std::vector<std::string>& systemDdl()
{
    static const std::string rowColumns
        = "GROUPID INTEGER NOT NULL, PASNAME VARCHAR(255), ENTTEXT VARCHAR(60), SHOUGOU VARCHAR(80), "
          "NETDRIVE INTEGER DEFAULT 0, DATATYPE INTEGER DEFAULT 0, CODETYPE INTEGER DEFAULT 0, NENDO INTEGER DEFAULT "
          "0, "
          "KISHU DATE, KIMATU DATE, DATALOCK INTEGER DEFAULT 0, KYOYULOCK INTEGER DEFAULT 0, TANTOU INTEGER DEFAULT 0, "
          "VER_MAJOR INTEGER DEFAULT 0, VER_MINOR1 INTEGER DEFAULT 0, VER_MINOR2 INTEGER DEFAULT 0, VER_TEXT "
          "VARCHAR(40), "
          "UPDATE_LOCK INTEGER DEFAULT 0, GASSAN SMALLINT DEFAULT 0, DATACODE VARCHAR(20), DATA_STATUS SMALLINT "
          "DEFAULT 0, "
          "YOBI1 VARCHAR(60), YOBI2 VARCHAR(60), YOBI3 VARCHAR(60), CLOUD SMALLINT DEFAULT 0, READ_ONLY INTEGER "
          "DEFAULT 0";
    static const std::vector<std::string> ddl = {
        "CREATE TABLE DATALIST (REC INTEGER NOT NULL, " + rowColumns + ", PRIMARY KEY (REC, GROUPID))",
        "CREATE TABLE DATALIST_EX (DATAPLACEREC INTEGER NOT NULL, REC INTEGER NOT NULL, " + rowColumns
            + ", PRIMARY KEY (DATAPLACEREC, REC, GROUPID))",
        "CREATE TABLE CHILD_DATALIST (REC INTEGER NOT NULL, ROWNO INTEGER NOT NULL, " + rowColumns
            + ", PRIMARY KEY (REC, ROWNO, GROUPID))",
        "CREATE TABLE SERVERFILES (FPATH VARCHAR(255) NOT NULL PRIMARY KEY, ISDIR SMALLINT DEFAULT 0)",
        "CREATE PROCEDURE FILEOPERATION (MODE VARCHAR(10), FILEPATH1 VARCHAR(255), FILEPATH2 VARCHAR(255)) "
        "RETURNS (WBOOL INTEGER) AS BEGIN "
        "  WBOOL = 0; "
        "  IF (MODE = 'FEXIST') THEN "
        "    IF (EXISTS(SELECT 1 FROM SERVERFILES WHERE FPATH = :FILEPATH1 AND ISDIR = 0)) THEN WBOOL = 1; "
        "  IF (MODE = 'FDEL') THEN BEGIN "
        "    DELETE FROM SERVERFILES WHERE FPATH = :FILEPATH1 AND ISDIR = 0; "
        "    IF (ROW_COUNT > 0) THEN WBOOL = 1; END "
        "  IF (MODE = 'FCOPY') THEN "
        "    IF (EXISTS(SELECT 1 FROM SERVERFILES WHERE FPATH = :FILEPATH1 AND ISDIR = 0) "
        "        AND NOT FILEPATH2 STARTING WITH '/readonly/') THEN BEGIN "
        "      UPDATE OR INSERT INTO SERVERFILES (FPATH, ISDIR) VALUES (:FILEPATH2, 0); WBOOL = 1; END "
        "  SUSPEND; END",
        "CREATE PROCEDURE DIRECTORYTEST (MODE VARCHAR(10), FILEPATH1 VARCHAR(255)) RETURNS (WBOOL INTEGER) AS BEGIN "
        "  WBOOL = 0; "
        "  IF (MODE = 'DEXIST') THEN "
        "    IF (EXISTS(SELECT 1 FROM SERVERFILES WHERE FPATH = :FILEPATH1 AND ISDIR = 1)) THEN WBOOL = 1; "
        "  IF (MODE = 'MKDIR') THEN BEGIN UPDATE OR INSERT INTO SERVERFILES (FPATH, ISDIR) VALUES (:FILEPATH1, 1); "
        "    WBOOL = 1; END "
        "  IF (MODE = 'RMDIR') THEN BEGIN DELETE FROM SERVERFILES WHERE FPATH = :FILEPATH1 AND ISDIR = 1; "
        "    IF (ROW_COUNT > 0) THEN WBOOL = 1; END "
        "  SUSPEND; END",
        "CREATE PROCEDURE LONGTOSHORTFILENAME (LONGNAME VARCHAR(255)) RETURNS (SHORTNAME VARCHAR(255)) AS BEGIN "
        "  SHORTNAME = '~' || LONGNAME; SUSPEND; END",
    };
    return ddl;
}

inline void createDatabase(const std::string& path, const std::vector<std::string>& statements)
{
    fb::Database db;
    db.setDatabaseName(path);
    db.addParam("user_name=SYSDBA");
    db.addParam("lc_ctype=SJIS_0208");
    db.createDatabase();
    for (const auto& s : statements)
        db.executeImmediate(s);
    db.disconnect();
}

// Runs one statement on a database file outside the data module.
inline void exec(const std::string& path, const std::string& sql)
{
    fb::Database db;
    db.setDatabaseName(path);
    db.addParam("user_name=SYSDBA");
    db.addParam("lc_ctype=SJIS_0208");
    db.connect();
    db.executeImmediate(sql);
    db.disconnect();
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
        createDatabase(companyDb, companyDdl());
        createDatabase(systemDb, systemDdl());
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
