// The data-damage handler on real databases: a company database with a
// page overwritten is found damaged and marked in the data list and in its
// tnacc.ini; a sound one is left alone.
#include "wizard/DataDamage.h"

#include "core/DataInfomation.h"
#include "core/DataModule_fixture.h"
#include "platform/ini_file.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace fb = platform::firebird;

// Adds journal lines to the database, then overwrites some of the data
// pages written last (theirs), so the file still opens but the validation
// meets pages of an unknown type.
void corruptDatabase(const std::string& path)
{
    dm_fixture::exec(path,
        "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 3000) DO BEGIN "
        "INSERT INTO SIWAKE (REC, TEKTEXT, COMMENT) VALUES (:I + 1000, LPAD('', 50, 'x'), LPAD('', 50, 'x')); "
        "I = I + 1; END END");
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    std::string header(64, '\0');
    f.read(header.data(), static_cast<std::streamsize>(header.size()));
    const std::uint64_t pageSize = static_cast<unsigned char>(header[16])
        | (static_cast<std::uint64_t>(static_cast<unsigned char>(header[17])) << 8);
    const std::uint64_t pages = fs::file_size(path) / pageSize;
    std::vector<std::uint64_t> dataPages; // page type 5
    for (std::uint64_t page = 0; page < pages; ++page) {
        char type = 0;
        f.seekg(static_cast<std::streamoff>(page * pageSize));
        f.read(&type, 1);
        if (type == 5)
            dataPages.push_back(page);
    }
    ASSERT_GT(dataPages.size(), 10u);
    const std::string garbage(pageSize, '\x5a');
    for (std::size_t i = dataPages.size() - 6; i < dataPages.size() - 2; ++i) {
        f.seekp(static_cast<std::streamoff>(dataPages[i] * pageSize));
        f.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
    }
}

int statusOf(const dm_fixture::Fixture& fx, const std::string& table, const std::string& where)
{
    fb::Database db;
    db.setDatabaseName(fx.systemDb);
    db.addParam("user_name=SYSDBA");
    db.addParam("lc_ctype=SJIS_0208");
    db.connect();
    fb::Transaction t;
    t.setDefaultDatabase(&db);
    t.startTransaction();
    fb::Query q(&db, &t);
    q.sql().add("SELECT DATA_STATUS FROM " + table + " WHERE " + where);
    q.open();
    const int status = q.eof() ? -1 : q.fieldByName("DATA_STATUS").asInteger();
    q.close();
    t.commit();
    db.disconnect();
    return status;
}

class DataDamageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        childDir = fx.dir.makeDir("DATA/0001/0002");
        fs::copy_file(fx.companyDb, childDir + "/" + DataFile);
        dm_fixture::exec(
            fx.systemDb, "INSERT INTO DATALIST (REC, GROUPID, PASNAME) VALUES (1, 10000, '" + fx.dataDir + "')");
        dm_fixture::exec(fx.systemDb,
            "INSERT INTO CHILD_DATALIST (REC, ROWNO, GROUPID, PASNAME) VALUES (1, 2, 10000, '" + childDir + "')");
        for (const auto& dir : {fx.dataDir, childDir})
            platform::IniFile(TDataInfomation::IniPath(dir)).writeInteger("DATASTS", "STATUS", 1);
        ASSERT_TRUE(fx.dm->fnAccDefConnected({}, 1));
    }
    void TearDown() override { fx.dm->IBDatabaseDEF.disconnect(); }

    int iniStatus(const std::string& dir)
    {
        return static_cast<int>(platform::IniFile(TDataInfomation::IniPath(dir)).readInteger("DATASTS", "STATUS", -1));
    }

    dm_fixture::Fixture fx;
    std::string childDir;
};

TEST_F(DataDamageTest, DamagedChildMarksTheChildRowAndItsFile)
{
    corruptDatabase(childDir + "/" + DataFile);
    ScriptedMessages messages;
    int result = -1;
    SysDef.DataDamaged = 0;
    wizard::DataDamageProc("", childDir, 0, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(SysDef.DataDamaged, 1);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, msgkind::Error);
    EXPECT_EQ(messages.firstLine(0), "データ検証の結果、このデータは破損している恐れがあります。");
    EXPECT_EQ(statusOf(fx, "CHILD_DATALIST", "REC=1 AND ROWNO=2"), 1);
    EXPECT_EQ(statusOf(fx, "DATALIST", "REC=1"), 0) << "the parent row is not the damaged one";
    EXPECT_EQ(iniStatus(childDir), 10);
    EXPECT_EQ(iniStatus(fx.dataDir), 1);
}

TEST_F(DataDamageTest, SilentMarksTheParentWithoutAMessage)
{
    corruptDatabase(fx.companyDb);
    ScriptedMessages messages;
    int result = -1;
    wizard::DataDamageProc("127.0.0.1", fx.dataDir, 1, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(SysDef.DataDamaged, 1);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(statusOf(fx, "DATALIST", "REC=1"), 1);
    EXPECT_EQ(statusOf(fx, "CHILD_DATALIST", "REC=1 AND ROWNO=2"), 0);
    EXPECT_EQ(iniStatus(fx.dataDir), 10);
}

TEST_F(DataDamageTest, SoundDataChangesNothing)
{
    ScriptedMessages messages;
    SysDef.DataDamaged = 1; // left over from an earlier check
    int result = -1;
    wizard::DataDamageProc("", fx.dataDir, 0, result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(SysDef.DataDamaged, 0);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(statusOf(fx, "DATALIST", "REC=1"), 0);
    EXPECT_EQ(iniStatus(fx.dataDir), 1);
}

} // namespace
