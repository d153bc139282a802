#include "core/DataInfomation.h"
#include "core/DataModuleAccInfo.h"
#include "core/uAccRecord.h"
#include "dataset_fixture.h"
#include "platform/codec.h"
#include "platform/ini_file.h"
#include "core/EasyEncode.h"
#include "support/scripted_input.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using dataset_fixture::Root;

std::string iniText(const std::string& folder)
{
    test_support::TempDir unused;
    std::ifstream in(TDataInfomation::IniPath(folder), std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return platform::codec::fromSjis(raw);
}

class DataInfo : public ::testing::Test {
protected:
    Root r;
};

TEST_F(DataInfo, MissingSettingsFileIsCreatedFromTheDatabase)
{
    fs::remove(TDataInfomation::IniPath(r.company));
    TDataInfomation di;
    TDataInfomationRec rec;
    ASSERT_EQ(di.ReadDataIni(r.company, rec), 1);
    ASSERT_TRUE(fs::exists(TDataInfomation::IniPath(r.company)));
    EXPECT_EQ(rec.STATUS, 1);
    EXPECT_EQ(rec.SHOUGOU, Root::scalar(r.companyDb, "SELECT SHOUGOU FROM ACCDEF1 WHERE REC=1"));
    EXPECT_EQ(rec.DATALISTNAME, Root::scalar(r.companyDb, "SELECT ENTTEXT FROM ACCDEF1 WHERE REC=1"));
    EXPECT_EQ(rec.KISHU, "2024/04/01");
    EXPECT_EQ(rec.KIMATU, "2025/03/31");
    ASSERT_TRUE(r.dm->fnAccDatConnected({}, r.company, 0));
    EXPECT_EQ(rec.TOTALSIWAKE, r.dm->GetSiwakeCountOnly(""));
    EXPECT_EQ(rec.SIWAKE, r.dm->GetYukouSiwakeCount(""));
    EXPECT_GT(rec.TOTALSIWAKE, 0);
    r.dm->fnAccDatDisConnected(r.company, 0, 0);
    EXPECT_EQ(rec.VERSION1_MAJOR, 13);
    EXPECT_EQ(rec.SITEN, 1);
    EXPECT_EQ(
        std::to_string(rec.SITENCNT), Root::scalar(r.companyDb, "SELECT COUNT(SCODE) FROM SISETUMST WHERE SCODE<>''"));
    const auto text = iniText(r.company);
    EXPECT_NE(text.find("VERSION1=13.0.0\r\n"), std::string::npos);
    EXPECT_NE(text.find("VERSION2=13.0\r\n"), std::string::npos);
    EXPECT_EQ(text.find("OPCODE="), std::string::npos); // released again: status 1 without operator

    test_support::TempDir empty;
    EXPECT_EQ(di.ReadDataIni(empty.path(), rec), 0);
    EXPECT_EQ(rec.SHOUGOU, "");
    EXPECT_EQ(di.ReadDataIni("", rec), 1);
}

TEST_F(DataInfo, ACompanyNameTheSettingsFileCannotHoldIsRefusedAndLeavesNoInUseMark)
{
    TDataInfomation di;
    TDataInfomationRec rec;
    ASSERT_EQ(di.ReadDataIni(r.company, rec), 1); // the settings file exists, free
    const std::string before = iniText(r.company);
    Root::exec(r.companyDb,
        "UPDATE ACCDEF1 SET SHOUGOU='株式会社' || ASCII_CHAR(13) || ASCII_CHAR(10) || '改行' "
        "WHERE REC=1");

    ScriptedMessages messages;
    EXPECT_FALSE(r.dm->fnAccDatConnected({}, r.company, 1));
    EXPECT_FALSE(r.dm->IBDatabaseDAT.connected());
    ASSERT_GE(messages.count(), 1u);
    bool named = false;
    for (const auto& shown : messages.shown())
        for (const auto& line : shown.lines)
            named = named || line.text.find("「会社名」") != std::string::npos;
    EXPECT_TRUE(named) << "the message names the field";
    EXPECT_EQ(iniText(r.company), before) << "nothing was written";
    ASSERT_EQ(di.ReadDataIni(r.company, rec), 1);
    EXPECT_EQ(rec.STATUS, 1) << "the in-use mark stayed behind";
}

TEST_F(DataInfo, UnopenableDatabaseReadsAsStatusZero)
{
    test_support::TempDir dir;
    dir.write("tnacc.fdb", "not a database");
    ScriptedMessages messages;
    TDataInfomation di;
    TDataInfomationRec rec;
    EXPECT_EQ(di.ReadDataIni(dir.path(), rec), 1);
    EXPECT_EQ(rec.STATUS, 0);
    EXPECT_FALSE(fs::exists(TDataInfomation::IniPath(dir.path())));
}

TEST(DataInfoFile, WriteReadRoundTripAndDefaults)
{
    ResetProcessState();
    test_support::TempDir dir;
    TDataInfomation di;
    TDataInfomationRec rec;
    TDataInfomation::ClearDataInfoRec(rec);
    rec.STATUS = 4;
    rec.SHOUGOU = "株式会社①なし";
    rec.VERSION1_MAJOR = 13;
    rec.VERSION1_REVISION = 2;
    rec.SHARE_OPCODE = 100000010;
    rec.SHARE_OPERATOR = "高橋";
    di.WriteIniFile(dir.path(), "", rec);
    auto text = iniText(dir.path());
    EXPECT_EQ(text.find("OPCODE=100"), text.find("SHARE_OPCODE=100") + 6);
    EXPECT_EQ(text.find("\r\nOPERATOR="), std::string::npos);

    TDataInfomationRec back;
    ASSERT_EQ(di.ReadDataIni(dir.path(), back), 1);
    EXPECT_EQ(back.STATUS, 4);
    EXPECT_EQ(back.SHARE_OPERATOR, "高橋");
    EXPECT_EQ(back.VERSION1_REVISION, 2);
    EXPECT_EQ(back.DATALISTNAME, "株式会社①なし"); // empty name takes the company name

    SysDef.OpCode = 100000010;
    SysDef.OpName = "佐藤";
    di.WriteStatus(dir.path(), 4);
    text = iniText(dir.path());
    EXPECT_NE(text.find("\r\nOPCODE=100000010\r\nOPERATOR=佐藤"), std::string::npos);
    di.WriteStatus(dir.path(), 1);
    text = iniText(dir.path());
    EXPECT_EQ(text.find("\r\nOPERATOR="), std::string::npos);

    dir.write("tnacc.ini", platform::codec::toSjis("[DATAINFO]\r\nVERSION1=13.0\r\n"));
    ASSERT_EQ(di.ReadDataIni(dir.path(), back), 1);
    EXPECT_EQ(back.STATUS, 1);
    EXPECT_EQ(back.SHARE_STATUS, 1);
    EXPECT_EQ(back.VERSION1_MAJOR, 13);
    EXPECT_EQ(back.VERSION1_REVISION, 0);

    di.Mode = 1; // writers do nothing in server modes
    di.WriteStatus(dir.path(), 5);
    di.Mode = 0;
    ASSERT_EQ(di.ReadDataIni(dir.path(), back), 1);
    EXPECT_EQ(back.STATUS, 1);
    ResetProcessState();
}

TEST(DataInfoFile, VersionNames)
{
    ResetProcessState();
    TDataInfomation di;
    di.VersionList.Clear();
    di.VersionList.Rows.push_back({12, 0, 0, "20版"});
    di.VersionList.Names.push_back("20版");
    di.VersionList.Count = 1;
    EXPECT_EQ(di.VersionName(0, 5), "評価版");
    EXPECT_EQ(di.VersionName(12, 0), "20版");
    EXPECT_EQ(di.VersionName(13, 1), "13.1");
}

TEST_F(DataInfo, ServerModeLockRowGivesStatus3WithoutOpening)
{
    ConnectMode = 1;
    SysDef.HostName = "127.0.0.1";
    Root::exec(r.systemDb(), "UPDATE DATALIST SET DATALOCK=10 WHERE PASNAME='" + r.company + "'");
    TDataInfomation di;
    di.Mode = 1;
    TDataInfomationRec rec;
    EXPECT_EQ(di.ReadDataIni(r.company, rec), 0);
    EXPECT_EQ(rec.STATUS, 3);
    EXPECT_EQ(rec.OPCODE, 10 + 10000 * 10000);
    EXPECT_EQ(rec.OPERATOR, SysDef.OpName);
    EXPECT_FALSE(r.dm->IBDatabaseDAT.connected());

    Root::exec(r.systemDb(), "UPDATE DATALIST SET DATALOCK=0");
    EXPECT_EQ(di.ReadDataIni(r.company, rec), 1);
    EXPECT_NE(rec.STATUS, 3);
    EXPECT_EQ(rec.SHOUGOU, Root::scalar(r.companyDb, "SELECT SHOUGOU FROM ACCDEF1 WHERE REC=1"));
}

TEST_F(DataInfo, DynamicSqlErrorOfAnOlderSchemaIsPassedOnAndOtherFailuresReadAsZero)
{
    ScriptedMessages messages;
    Root::exec(r.companyDb, "ALTER TABLE ACCDEF1 DROP READ_ONLY");
    ASSERT_TRUE(r.dm->fnAccDatConnected({}, r.company, 0));
    TDataInfomation di;
    TDataInfomationRec rec;
    try {
        di.GetDataInfoRec(rec);
        ADD_FAILURE() << "no error";
    } catch (const platform::firebird::EIBError& e) {
        EXPECT_EQ(e.iscErrorCode(), 335544569);
    }
    EXPECT_FALSE(r.dm->IBTransactionDAT.inTransaction());
    EXPECT_TRUE(r.dm->IBDatabaseDAT.connected());

    // Closing with the settings-file rewrite keeps the stored facts.
    const auto before = iniText(r.company);
    r.dm->fnAccDatDisConnected(r.company, 1, 0);
    EXPECT_EQ(iniText(r.company), before);

    // Not connected and the selected folder holds no database: 0, cleared.
    test_support::TempDir empty;
    SysDef.DataDir = empty.path();
    rec.SHOUGOU = "stale";
    EXPECT_EQ(di.GetDataInfoRec(rec), 0);
    EXPECT_EQ(rec.SHOUGOU, "");
}

TEST_F(DataInfo, UpdateDataInfomationWritesNameLockAndReadOnly)
{
    TDataInfomation di;
    TDataInfomationRec rec;
    rec.DATALISTNAME = "　" + std::string(38, 'a') + "漢字";
    rec.UPDATE_LOCK = 1;
    rec.READ_ONLY = 1;
    ASSERT_TRUE(di.UpdateDataInfomation("", r.company, rec));
    EXPECT_EQ(Root::scalar(r.companyDb, "SELECT ENTTEXT FROM ACCDEF1 WHERE REC=1"), std::string(38, 'a'));
    EXPECT_EQ(Root::scalar(r.companyDb, "SELECT DATALOCK FROM ACCDEF1 WHERE REC=1"), "1");
    EXPECT_EQ(Root::scalar(r.companyDb, "SELECT READ_ONLY FROM ACCDEF1 WHERE REC=1"), "1");
    EXPECT_FALSE(r.dm->IBDatabaseDAT.connected());
}

class ShareData : public ::testing::Test {
protected:
    void SetUp() override
    {
        shared = dir.makeDir("shared/DATA/0001");
        local = dir.file("local/DATA/0001");
        for (const auto& e : fs::directory_iterator(r.company))
            fs::copy_file(e.path(), fs::path(shared) / e.path().filename());
        TDataInfomation di;
        TDataInfomationRec rec;
        ASSERT_EQ(di.ReadDataIni(shared, rec), 1);
    }
    TDataInfomationRec read(const std::string& folder)
    {
        TDataInfomation di;
        TDataInfomationRec rec;
        di.ReadDataIni(folder, rec);
        return rec;
    }
    Root r;
    test_support::TempDir dir;
    std::string shared;
    std::string local;
};

TEST_F(ShareData, TakeOutAndPutBackKeepStatusesConsistent)
{
    TDataInfomation di;
    ASSERT_EQ(di.GetShareData(shared, local, true), 1);
    EXPECT_TRUE(fs::exists(local + "/tnacc.fdb"));
    EXPECT_EQ(read(local).SHARE_STATUS, 2);
    EXPECT_EQ(read(local).STATUS, 1);
    EXPECT_EQ(read(shared).SHARE_STATUS, 2);
    EXPECT_EQ(read(shared).SHARE_OPCODE, SysDef.OpCode);
    EXPECT_EQ(read(shared).STATUS, 1);

    // Taken out already: refused, and the local copy is not overwritten.
    dir.write("local/DATA/0001/tnacc.fdb", "newer local work");
    EXPECT_EQ(di.GetShareData(shared, local, true), 255);
    EXPECT_EQ(dir.read("local/DATA/0001/tnacc.fdb"), "newer local work");

    ASSERT_EQ(di.PutShareData(shared, local, true), 1);
    EXPECT_EQ(dir.read("shared/DATA/0001/tnacc.fdb"), "newer local work");
    EXPECT_EQ(read(shared).SHARE_STATUS, 1);
    EXPECT_EQ(read(local).SHARE_STATUS, 1);
    EXPECT_EQ(read(shared).STATUS, 1);
    for (const auto& e : fs::directory_iterator(shared))
        EXPECT_EQ(e.path().extension(), e.path().extension() == ".cpy~" ? ".none" : e.path().extension());
}

TEST_F(ShareData, FailedTakeOutLeavesTheSharedCopyFree)
{
    fs::create_directories(local + "/tnacc.fdb"); // the database cannot be written there
    TDataInfomation di;
    EXPECT_EQ(di.GetShareData(shared, local, true), 0);
    EXPECT_EQ(read(shared).SHARE_STATUS, 1);
    EXPECT_EQ(read(shared).STATUS, 1);
    EXPECT_FALSE(fs::exists(local + "/tnacc.ini"));
    EXPECT_TRUE(fs::is_directory(local + "/tnacc.fdb"));
}

TEST_F(ShareData, FailedPutBackLeavesTheSharedCopyAsItWasAndTakenOut)
{
    TDataInfomation di;
    ASSERT_EQ(di.GetShareData(shared, local, true), 1);
    const std::string before = dir.read("shared/DATA/0001/tnacc.fdb");
    dir.write("local/DATA/0001/tnacc.fdb", "changed locally");
    dir.write("local/DATA/0001/tnacc.xyz", "x");
    fs::create_directories(shared + "/tnacc.xyz");
    EXPECT_EQ(di.PutShareData(shared, local, true), 0);
    EXPECT_EQ(dir.read("shared/DATA/0001/tnacc.fdb"), before);
    EXPECT_EQ(read(shared).SHARE_STATUS, 2);
    EXPECT_EQ(read(local).SHARE_STATUS, 2);
    EXPECT_EQ(read(shared).STATUS, 1);
}

TEST_F(ShareData, DamagedOrMissingSharedDataIsRefused)
{
    TDataInfomation di;
    di.WriteStatus(shared, 10);
    EXPECT_EQ(di.GetShareData(shared, local, true), 255);
    EXPECT_THROW(di.GetShareData(shared, local, false), std::runtime_error);
    EXPECT_EQ(di.GetShareData(dir.file("gone"), local, true), 0);
    EXPECT_THROW(di.GetShareData(dir.file("gone"), local, false), std::runtime_error);
}

class UseRight : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = core::SetOpenCompanyTables({[](int) {}, [](TDateTime) {}});
        SysDef.JobLevel = 5;
        SysDef.IsAdmin = 0;
        SysDef.AllDataRight = 0;
    }
    void TearDown() override { core::SetOpenCompanyTables(previous_); }
    Root r;
    core::TOpenCompanyTables previous_;
};

TEST_F(UseRight, OperatorMissingOneBranchIsRefused)
{
    TDataInfomation di;
    Root::exec(r.companyDb, "DELETE FROM OPLICENSE WHERE OPCODE=100000010");
    Root::exec(
        r.companyDb, "INSERT INTO OPLICENSE (OPCODE, SCODE) SELECT 100000010, SCODE FROM SISETUMST WHERE SCODE<>''");
    {
        ScriptedMessages messages;
        EXPECT_TRUE(di.IsDataSiyouKengen(r.company))
            << (messages.count() ? core::messageAsText(messages.shown()[0]) : "");
    }
    Root::exec(
        r.companyDb, "INSERT INTO SISETUMST (SCODE, SNAME, XSTR, MB_JIGYOU, BUMEX) VALUES ('99', '新店', '', 1, 0)");
    ScriptedMessages messages;
    EXPECT_FALSE(di.IsDataSiyouKengen(r.company));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "このデータを扱う権限がありません、他のデータを選択して下さい。");
    EXPECT_FALSE(r.dm->IBDatabaseDAT.connected());

    SysDef.JobLevel = 9;
    EXPECT_TRUE(di.IsDataSiyouKengen(r.company));
}

TEST_F(UseRight, DataPasswordIsAskedAndAWrongOneRefused)
{
    TDataInfomation di;
    EXPECT_TRUE(di.IsDataPasswordAuth(r.company));
    using namespace core;
    TEasyEncodeInfo info;
    InitEasyEncodeInfo(info);
    info.KeyWord = kDataPasswordKey;
    info.PadLength = kDataPasswordLength;
    info.TextLength = kDataPasswordLength;
    info.PlainText = "abc123";
    ASSERT_TRUE(EasyEncode(info));
    Root::exec(r.companyDb,
        "UPDATE OR INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES "
        "('基本設定', 'データパスワードV2', '文字', '"
            + info.EncodeText + "') MATCHING (AGROUP, ACODE)");
    {
        ScriptedMessages messages;
        ScriptedInput input({{modal::Ok, "wrong"}, {modal::Cancel, ""}});
        EXPECT_FALSE(di.IsDataPasswordAuth(r.company));
        ASSERT_GE(messages.count(), 1u);
        EXPECT_EQ(
            messages.shown().back().lines[0].text, "このデータに設定されている「パスワード」と一致しませんでした。");
    }
    ScriptedInput input({{modal::Ok, "abc123 "}});
    EXPECT_TRUE(di.IsDataPasswordAuth(r.company));
}

} // namespace
