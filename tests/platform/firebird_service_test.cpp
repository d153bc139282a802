// Backup, restore, validation and server properties through the services
// on this computer (the embedded engine).

#include "platform/firebird/firebird.h"
#include "support/sample_root.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fb = platform::firebird;

namespace {

void addUser(fb::Database& db)
{
    db.addParam("user_name=TOLVAN");
    db.addParam("password=vulmok");
    db.addParam("lc_ctype=SJIS_0208");
}

// A company database (the schema of the sample scripts) with `rows`
// journal lines holding Japanese text.
void makeDatabase(const std::string& path, int rows)
{
    test_support::databaseFromScripts(path, {"company_010_schema.sql"}, "TOLVAN", "vulmok");
    fb::Database db;
    db.setDatabaseName(path);
    addUser(db);
    db.connect();
    fb::Transaction tr(&db);
    tr.addParam("write");
    tr.startTransaction();
    fb::Query q(&db, &tr);
    q.sql().add("INSERT INTO SIWAKE (REC, TEKTEXT, KINGAKU) VALUES (:REC, :TEKTEXT, :KINGAKU)");
    for (int i = 1; i <= rows; ++i) {
        q.paramByName("REC").setInteger(i);
        q.paramByName("TEKTEXT").setString("売上 ㈱髙橋商店 ①" + std::to_string(i));
        q.paramByName("KINGAKU").setCurrency(i * 10000LL);
        q.execSQL();
    }
    tr.commit();
}

std::pair<int, std::string> summary(const std::string& path)
{
    fb::Database db;
    db.setDatabaseName(path);
    addUser(db);
    db.connect();
    fb::Transaction tr(&db);
    tr.startTransaction();
    fb::Query q(&db, &tr);
    q.sql().add("SELECT COUNT(*) AS N, MAX(TEKTEXT) AS T FROM SIWAKE");
    q.open();
    auto result = std::make_pair(q.fieldByName("N").asInteger(), q.fieldByName("T").asString());
    tr.commit();
    return result;
}

void attachLocal(fb::Service& svc)
{
    svc.setProtocol(fb::Protocol::Local);
    svc.addParam("user_name=TOLVAN");
    svc.addParam("password=vulmok");
    svc.attach();
}

std::vector<std::string> validate(const std::string& path)
{
    fb::Service svc;
    attachLocal(svc);
    fb::ValidationOptions v;
    v.database = path;
    v.ignoreChecksums = true;
    svc.startValidation(v);
    std::vector<std::string> nonBlank;
    for (const auto& line : svc.readAll())
        if (line.find_first_not_of(" \t\r\n") != std::string::npos)
            nonBlank.push_back(line);
    return nonBlank;
}

TEST(FirebirdService, BackupRestoreValidateRoundTrip)
{
    test_support::TempFolder folder("fb-svc");
    const std::string db = folder.file("tnacc.fdb");
    const std::string bk = folder.file("tnacc.fbk");
    const std::string restored = folder.file("restored.fdb");
    makeDatabase(db, 300);

    fb::Service svc;
    attachLocal(svc);
    fb::BackupOptions b;
    b.database = db;
    b.backupFiles = {bk};
    b.ignoreLimbo = true;
    b.noGarbageCollection = true;
    b.nonTransportable = true;
    svc.startBackup(b);
    int lines = 0;
    std::string line;
    while (svc.nextLine(line))
        ++lines;
    EXPECT_GT(lines, 10); // verbose output, read line by line
    EXPECT_TRUE(svc.eof());
    ASSERT_TRUE(std::filesystem::exists(bk));

    fb::RestoreOptions r;
    r.backupFiles = {bk};
    r.databases = {restored};
    r.pageBuffers = 4096;
    r.pageSize = 16384;
    r.replace = true;
    svc.startRestore(r);
    EXPECT_FALSE(svc.readAll().empty());
    svc.detach();

    EXPECT_EQ(summary(restored), summary(db));
    EXPECT_EQ(summary(restored).first, 300);
    EXPECT_TRUE(validate(restored).empty());
}

TEST(FirebirdService, RestoreWithoutReplaceRefusesAnExistingFile)
{
    test_support::TempFolder folder("fb-svc");
    const std::string db = folder.file("a.fdb");
    const std::string bk = folder.file("a.fbk");
    makeDatabase(db, 3);
    fb::Service svc;
    attachLocal(svc);
    fb::BackupOptions b;
    b.database = db;
    b.backupFiles = {bk};
    svc.startBackup(b);
    svc.readAll();
    fb::RestoreOptions r;
    r.backupFiles = {bk};
    r.databases = {db};
    r.replace = false;
    svc.startRestore(r);
    EXPECT_THROW(svc.readAll(), fb::EIBError);
}

TEST(FirebirdService, DamagedFileFailsValidation)
{
    test_support::TempFolder folder("fb-svc");
    const std::string db = folder.file("damaged.fdb");
    makeDatabase(db, 3000);
    ASSERT_TRUE(validate(db).empty());

    // Overwrite data pages in the second half of the file, keeping the
    // header page intact so the engine still opens it.
    const auto size = std::filesystem::file_size(db);
    {
        std::fstream f(db, std::ios::in | std::ios::out | std::ios::binary);
        const std::string junk(8192, '\x5A');
        for (std::uintmax_t page = size / 8192 / 2; page < size / 8192 - 1; page += 3) {
            f.seekp(static_cast<std::streamoff>(page * 8192 + 16));
            f.write(junk.data(), 8192 - 32);
        }
    }
    bool failed = false;
    try {
        failed = !validate(db).empty();
    } catch (const fb::EIBError&) {
        failed = true;
    }
    EXPECT_TRUE(failed);
}

TEST(FirebirdService, ServerPropertiesOnThisComputer)
{
    fb::Service svc;
    svc.setProtocol(fb::Protocol::Local);
    svc.addParam("user_name=SYSDBA");
    svc.attach();
    EXPECT_NE(svc.serverVersion().find("Firebird"), std::string::npos);
    EXPECT_FALSE(svc.implementation().empty());
    const fb::DatabaseUsage usage = svc.databaseUsage();
    EXPECT_GE(usage.attachments, 0);
}

TEST(FirebirdService, MisuseIsReported)
{
    fb::Service svc;
    fb::BackupOptions b;
    b.database = "/nowhere/x.fdb";
    b.backupFiles = {"/nowhere/x.fbk"};
    EXPECT_THROW(svc.startBackup(b), fb::EIBError); // not attached
    attachLocal(svc);
    // The engine reports the missing file either when the job starts or
    // while its output is read, depending on how far its worker got.
    try {
        svc.startBackup(b);
        svc.readAll();
        FAIL() << "backup of a missing database reported success";
    } catch (const fb::EIBError& e) {
        EXPECT_NE(e.iscErrorCode(), 0);
    }
}

} // namespace
