#include "dataselect/z5ComCloudShare.h"

#include "core/DataInfomation.h"
#include "core/DataModule_fixture.h"
#include "platform/ini_file.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string cloudLine(const std::string& database)
{
    platform::firebird::Database db;
    db.setDatabaseName(database);
    db.addParam("user_name=SYSDBA");
    db.addParam("lc_ctype=SJIS_0208");
    db.connect();
    platform::firebird::Transaction t(&db);
    t.startTransaction();
    platform::firebird::Query q(&db, &t);
    q.sql().add("SELECT CLOUD_LINE FROM ACCDEF1 WHERE REC=1");
    q.open();
    const std::string v = q.field(0).asString();
    q.close();
    t.commit();
    return v;
}

std::string iniCloud(const std::string& folder)
{
    return platform::IniFile(TDataInfomation::IniPath(folder)).readString("DATAINFO", "CLOUD_SHARE", "<none>");
}

} // namespace

TEST(CloudShare, WritesTheFoldersOwnDatabaseAndMirrorsTheIni)
{
    dm_fixture::Fixture fx;
    ScriptedMessages messages;
    TCloudShareIO io;
    EXPECT_EQ(io.GetCloudLine({}, fx.dataDir), 1);
    ASSERT_TRUE(io.ClearSetting({}, fx.dataDir));
    EXPECT_EQ(cloudLine(fx.companyDb), "0");
    EXPECT_EQ(iniCloud(fx.dataDir), "0");
    EXPECT_FALSE(fx.dm->IBDatabaseDAT.connected()) << "nothing is left connected";
    ASSERT_TRUE(io.SetCloudLine({}, fx.dataDir, 3));
    EXPECT_EQ(iniCloud(fx.dataDir), "1");
    EXPECT_EQ(io.GetCloudLine({}, fx.dataDir), 3);

    // The open data set's own connection serves when it is this folder's;
    // another open data set is never written.
    const std::string other = fx.dir.makeDir("DATA/0002");
    std::filesystem::copy_file(fx.companyDb, other + "/tnacc.fdb");
    ASSERT_TRUE(fx.dm->fnAccDatConnected({}, fx.dataDir, 0));
    ASSERT_TRUE(io.SetCloudLine({}, other, 7));
    EXPECT_EQ(io.GetCloudLine({}, fx.dataDir), 3);
    EXPECT_EQ(io.GetCloudLine({}, other), 7);
    ASSERT_TRUE(io.SetCloudLine({}, fx.dataDir, 0));
    EXPECT_TRUE(fx.dm->IBDatabaseDAT.connected());
    fx.dm->fnAccDatDisConnected(fx.dataDir, 0, 0);
    EXPECT_EQ(cloudLine(fx.companyDb), "0");
    EXPECT_EQ(cloudLine(other + "/tnacc.fdb"), "7");
    EXPECT_EQ(messages.count(), 0u);
}

TEST(CloudShare, OlderDatabasesHaveNoSettingAndFailuresAreReported)
{
    dm_fixture::Fixture fx;
    dm_fixture::exec(fx.companyDb, "UPDATE ACCVERSION SET MAJOR=11, MINOR1=0, MINOR2=0");
    ScriptedMessages messages;
    TCloudShareIO io;
    EXPECT_TRUE(io.SetCloudLine({}, fx.dataDir, 1));
    EXPECT_EQ(cloudLine(fx.companyDb), "1") << "untouched";
    EXPECT_EQ(iniCloud(fx.dataDir), "<none>");
    EXPECT_EQ(io.GetCloudLine({}, fx.dataDir), 0);
    EXPECT_EQ(messages.count(), 0u);

    EXPECT_FALSE(io.SetCloudLine({}, fx.dir.file("missing"), 1));
    EXPECT_EQ(io.GetCloudLine({}, fx.dir.file("missing")), 0);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.firstLine(0).substr(0, 9), std::string("クラウドシェアの設定").substr(0, 9));
}
