#include "core/DataModule.h"

#include "DataModule_fixture.h"
#include "core/DataInfomation.h"
#include "platform/codec.h"
#include "platform/ini_file.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace core;
namespace fs = std::filesystem;

namespace {

std::string ini(const std::string& folder, const char* section, const char* key)
{
    return platform::IniFile(TDataInfomation::IniPath(folder)).readString(section, key, "<none>");
}

class DataModuleTest : public ::testing::Test {
protected:
    dm_fixture::Fixture fx;
};

} // namespace

TEST(DatabaseNameRule, ServerFormOnlyForAServerModeAndARealHost)
{
    struct Case {
        std::uint8_t mode;
        const char* host;
        const char* expected;
    };
    const Case cases[] = {
        {0, "srv", "/d/0001/tnacc.fdb"},
        {0, "", "/d/0001/tnacc.fdb"},
        {1, "127.0.0.1", "/d/0001/tnacc.fdb"},
        {1, "srv", "srv:/d/0001/tnacc.fdb"},
        {2, "127.0.0.1/3050", "127.0.0.1/3050:/d/0001/tnacc.fdb"},
    };
    for (const auto& c : cases) {
        ConnectMode = c.mode;
        EXPECT_EQ(MakeDatabaseName(c.host, "/d/0001", "tnacc.fdb"), c.expected) << int(c.mode) << " " << c.host;
    }
    ConnectMode = 0;
}

TEST_F(DataModuleTest, ConnectsSystemAndCompanyDatabasesAndReadsJapaneseExactly)
{
    ASSERT_TRUE(fx.dm->fnAccDefConnected({}, 1));
    EXPECT_EQ(fx.dm->IBDatabaseDEF.databaseName(), fx.systemDb);
    EXPECT_EQ(fx.dm->IBDatabaseDEF.params(),
        (std::vector<std::string> {"user_name=SYSDBA", "password=", "lc_ctype=SJIS_0208"}));
    ASSERT_TRUE(fx.dm->fnAccDatConnected({}, {}, 0));
    EXPECT_EQ(fx.dm->IBDatabaseDAT.databaseName(), fx.companyDb);
    TOwnTransaction tr(fx.dm->IBTransactionDAT);
    fx.dm->IBQACC1.sql().clear();
    fx.dm->IBQACC1.sql().add("SELECT SHOUGOU,SKANA FROM ACCDEF1 WHERE REC=1");
    fx.dm->IBQACC1.open();
    EXPECT_EQ(fx.dm->IBQACC1.fieldByName("SHOUGOU").asString(), "株式会社高橋商事");
    EXPECT_EQ(fx.dm->IBQACC1.fieldByName("SKANA").asString(), "ﾀｶﾊｼｼｮｳｼﾞ");
    fx.dm->IBQACC1.close();
}

TEST_F(DataModuleTest, SystemConnectFailureIsReportedOrRaisedByTheReportFlag)
{
    SysDef.SysDir = fx.dir.makeDir("nowhere");
    ScriptedMessages messages;
    EXPECT_THROW(fx.dm->fnAccDefConnected({}, 0), platform::firebird::EIBError);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_FALSE(fx.dm->fnAccDefConnected({}, 1));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "システムデータベースの接続処理に失敗しました。");
}

TEST_F(DataModuleTest, InUseMarkWritesStatusAndFactsAndClosingFreesIt)
{
    ASSERT_TRUE(fx.dm->fnAccDatConnected({}, fx.dataDir, 1));
    EXPECT_EQ(ini(fx.dataDir, "DATASTS", "STATUS"), "2");
    EXPECT_EQ(ini(fx.dataDir, "DATASTS", "OPCODE"), "10001");
    EXPECT_EQ(ini(fx.dataDir, "DATASTS", "OPERATOR"), "管理者");
    EXPECT_EQ(ini(fx.dataDir, "DATAINFO", "SHOUGOU"), "株式会社高橋商事");
    EXPECT_EQ(ini(fx.dataDir, "DATAINFO", "KISHU"), "2024/04/01");
    EXPECT_EQ(ini(fx.dataDir, "DATAINFO", "VERSION1"), "13.0.0");
    EXPECT_EQ(ini(fx.dataDir, "DATAINFO", "SIWAKE"), "7");
    EXPECT_EQ(ini(fx.dataDir, "DATAINFO", "TOTALSIWAKE"), "9");
    EXPECT_EQ(ini(fx.dataDir, "DATAINFO", "SITENCNT"), "2");
    EXPECT_EQ(ini(fx.dataDir, "DATAINFO", "BUMONCNT"), "1");
    EXPECT_EQ(ini(fx.dataDir, "DATAINFO", "CLOUD_SHARE"), "1");
    EXPECT_EQ(fx.dm->MarkedDataFolder(), fx.dataDir);

    EXPECT_TRUE(fx.dm->fnAccDatDisConnected(fx.dataDir, 1, 0));
    EXPECT_FALSE(fx.dm->IBDatabaseDAT.connected());
    EXPECT_EQ(ini(fx.dataDir, "DATASTS", "STATUS"), "1");
    EXPECT_EQ(ini(fx.dataDir, "DATASTS", "OPCODE"), "<none>");
    EXPECT_EQ(ini(fx.dataDir, "DATAINFO", "SHOUGOU"), "株式会社高橋商事");
}

TEST_F(DataModuleTest, ServerModesLeaveTheSettingsFileAlone)
{
    ConnectMode = 1;
    SysDef.HostName = "127.0.0.1";
    ASSERT_TRUE(fx.dm->fnAccDatConnected({}, fx.dataDir, 1));
    EXPECT_FALSE(fs::exists(TDataInfomation::IniPath(fx.dataDir)));
    fx.dm->fnAccDatDisConnected(fx.dataDir, 1, 0);
    EXPECT_FALSE(fs::exists(TDataInfomation::IniPath(fx.dataDir)));
}

TEST_F(DataModuleTest, ClosingWithUnreadableFactsKeepsTheStoredFacts)
{
    // A data set whose facts cannot be read (no version table).
    const std::string folder = fx.dir.makeDir("DATA/0002");
    dm_fixture::createCompanyDatabase(folder + "/" + DataFile);
    dm_fixture::exec(folder + "/" + DataFile, "DROP TABLE ACCVERSION");
    platform::IniFile file(TDataInfomation::IniPath(folder));
    file.writeSection("DATASTS", {"STATUS=1", "SHARE_STATUS=1"});
    file.writeSection("DATAINFO", {"SHOUGOU=前の会社", "VERSION1=13.0.0", "SIWAKE=120"});
    int listUpdates = 0;
    fx.dm->SetDataListUpdater([&](const std::string&, const TDataInfomationRec&) { ++listUpdates; });

    ScriptedMessages messages;
    ASSERT_TRUE(fx.dm->fnAccDatConnected({}, folder, 1));
    EXPECT_EQ(ini(folder, "DATASTS", "STATUS"), "2");
    EXPECT_EQ(ini(folder, "DATAINFO", "SHOUGOU"), "前の会社");
    EXPECT_TRUE(fx.dm->fnAccDatDisConnected(folder, 1, 1));
    EXPECT_FALSE(fx.dm->IBDatabaseDAT.connected()) << "always disconnected";
    EXPECT_EQ(ini(folder, "DATASTS", "STATUS"), "1");
    EXPECT_EQ(ini(folder, "DATAINFO", "SHOUGOU"), "前の会社");
    EXPECT_EQ(ini(folder, "DATAINFO", "SIWAKE"), "120");
    EXPECT_EQ(listUpdates, 0);
    EXPECT_GE(messages.count(), 1u) << "the failed read is reported";
}

TEST_F(DataModuleTest, OpeningAnotherDataSetReleasesTheFirstMark)
{
    const std::string second = fx.dir.makeDir("DATA/0002");
    dm_fixture::createCompanyDatabase(second + "/" + DataFile);
    ASSERT_TRUE(fx.dm->fnAccDatConnected({}, fx.dataDir, 1));
    ASSERT_TRUE(fx.dm->fnAccDatConnected({}, second, 1));
    EXPECT_EQ(ini(fx.dataDir, "DATASTS", "STATUS"), "1");
    EXPECT_EQ(ini(second, "DATASTS", "STATUS"), "2");
}

TEST_F(DataModuleTest, MissingFileSkipsTheDamageCheckAGarbageFileRunsIt)
{
    SysDef.DataDamageCheck = 1;
    std::vector<std::string> calls;
    OnDataDamage = [&](const std::string&, const std::string& folder, int silent, int& result) {
        calls.push_back(folder + "|" + std::to_string(silent));
        result = 0;
    };
    ScriptedMessages messages;
    const std::string missing = fx.dir.makeDir("DATA/0009");
    EXPECT_FALSE(fx.dm->fnAccDatConnected({}, missing, 0));
    EXPECT_TRUE(calls.empty());
    ASSERT_GE(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "ユーザーデータベースの接続処理に失敗しました。");

    const std::string broken = fx.dir.makeDir("DATA/0008");
    fx.dir.write("DATA/0008/tnacc.fdb", std::string(20000, 'x'));
    EXPECT_FALSE(fx.dm->fnAccDatConnected({}, broken, 0));
    EXPECT_EQ(calls, std::vector<std::string> {broken + "|1"});

    OnDataDamage = nullptr;
    EXPECT_EQ(fx.dm->CheckDataDamage({}, broken, 1, 1), 1) << "no handler: sound";
    SysDef.DataDamageCheck = 0;
    EXPECT_EQ(fx.dm->CheckDataDamage({}, broken, 1, 0), 1);
}

TEST_F(DataModuleTest, FileManagerDatabaseIsOptionalAndDropRemovesTheCompanyFile)
{
    EXPECT_FALSE(fx.dm->fnFileManConnected());
    const std::string copy = fx.dir.makeDir("DATA/0005");
    test_support::databaseFromScripts(copy + "/" + DataFile, dm_fixture::companyScripts());
    EXPECT_TRUE(fx.dm->AccDatDropDatabase({}, copy));
    EXPECT_FALSE(fs::exists(copy + "/" + DataFile));
    ScriptedMessages messages;
    EXPECT_FALSE(fx.dm->AccDatDropDatabase({}, copy));
    EXPECT_EQ(messages.firstLine(0), "ユーザーデータベースの削除処理に失敗しました。");
    EXPECT_FALSE(fx.dm->AccDatDropDatabase({}, ""));
}

TEST_F(DataModuleTest, ExistenceTestsAndJournalCounts)
{
    ASSERT_TRUE(fx.dm->fnAccDatConnected({}, fx.dataDir, 0));
    EXPECT_TRUE(fx.dm->fnExistence_Table("ACCREG"));
    EXPECT_FALSE(fx.dm->fnExistence_Table("accreg"));
    EXPECT_FALSE(fx.dm->fnExistence_Table("NO_SUCH_TABLE"));
    EXPECT_TRUE(fx.dm->fnExistence_Field("ACCREG", "ATEXT"));
    EXPECT_FALSE(fx.dm->fnExistence_Field("ACCREG", "NOPE"));

    EXPECT_EQ(fx.dm->GetYukouSiwakeCount(""), 7);
    EXPECT_EQ(fx.dm->GetYukouSiwakeCount("01"), 5);
    EXPECT_EQ(fx.dm->GetUpDelSiwakeCount(""), 2);
    EXPECT_EQ(fx.dm->GetUpDelSiwakeCount("02"), 1);
    int valid = 0, changed = 0;
    EXPECT_EQ(fx.dm->GetSiwakeCount("", valid, changed), 9);
    EXPECT_EQ(valid, 7);
    EXPECT_EQ(changed, 2);
    EXPECT_FALSE(fx.dm->IBTransactionDAT.inTransaction());

    // Cash book: three cash-to-cash transfers are stored as six rows.
    for (int i = 0; i < 6; ++i)
        dm_fixture::exec(fx.companyDb,
            "INSERT INTO SIWAKE (REC, DELFLG, TAISHAKU, KCODE, R_KCODE, SCODE) VALUES (" + std::to_string(10 + i)
                + ", 0, 1, '111', '111', '01')");
    AppKind = 3;
    AccInf.SysKCode[0] = "111";
    EXPECT_EQ(fx.dm->GetYukouSiwakeCount(""), 1 + 3);
    AppKind = 4;
    EXPECT_EQ(fx.dm->GetYukouSiwakeCount(""), -1);
}

TEST_F(DataModuleTest, CountErrorsAreReportedAndRaised)
{
    // A data set without its journal table.
    const std::string folder = fx.dir.makeDir("DATA/0004");
    dm_fixture::createCompanyDatabase(folder + "/" + DataFile);
    dm_fixture::exec(folder + "/" + DataFile, "DROP TABLE SIWAKE");
    ASSERT_TRUE(fx.dm->fnAccDatConnected({}, folder, 0));
    ScriptedMessages messages;
    EXPECT_THROW(fx.dm->GetUpDelSiwakeCount(""), platform::firebird::EIBError);
    EXPECT_EQ(messages.count(), 0u) << "context only, no message";
    EXPECT_FALSE(fx.dm->IBTransactionDAT.inTransaction());
}
