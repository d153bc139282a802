#include "core/DataModule.h"

#include "DataModule_fixture.h"
#include "core/IBErrorProc.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <stdlib.h>
#include <sys/stat.h>

using namespace core;
namespace fs = std::filesystem;
namespace fb = platform::firebird;

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

class MaintenanceTest : public ::testing::Test {
protected:
    int count(const std::string& db, const std::string& select)
    {
        fb::Database d;
        d.setDatabaseName(db);
        d.addParam("user_name=SYSDBA");
        d.addParam("lc_ctype=SJIS_0208");
        d.connect();
        fb::Transaction t(&d);
        t.startTransaction();
        fb::Query q(&d, &t);
        q.sql().add(select);
        q.open();
        const int n = q.field(0).asInteger();
        q.close();
        t.commit();
        return n;
    }

    dm_fixture::Fixture fx;
};

} // namespace

TEST_F(MaintenanceTest, BackupRestoreValidateRoundTrip)
{
    // An older backup is replaced only once the new one is complete.
    const std::string backup = fx.dir.write("backup/tnacc.fbk", "old backup");
    ASSERT_TRUE(fx.dm->BackupFDB(fb::Protocol::Local, {}, fx.companyDb, backup, false));
    EXPECT_NE(readFile(backup), "old backup");
    EXPECT_FALSE(fs::exists(fx.dataDir + "/tnacc.fb_")) << "the temporary file became the backup";

    const std::string restored = fx.dir.makeDir("DATA/0003") + "/" + DataFile;
    ASSERT_TRUE(fx.dm->RestoreFDB(fb::Protocol::Local, {}, restored, backup, true));
    EXPECT_FALSE(fx.dm->IBDatabaseDAT.connected());
    EXPECT_EQ(count(restored, "SELECT COUNT(*) FROM OPINF"), 0) << "OPINF emptied after a restore";
    EXPECT_EQ(count(restored, "SELECT COUNT(*) FROM SIWAKE"), 4);
    EXPECT_EQ(count(restored, "SELECT COUNT(*) FROM ACCDEF1 WHERE SHOUGOU='株式会社高橋商事'"), 1);
    EXPECT_EQ(count(fx.companyDb, "SELECT COUNT(*) FROM OPINF"), 1) << "the source is untouched";

    EXPECT_TRUE(fx.dm->ValidateFDB(fb::Protocol::Local, {}, restored));
}

TEST_F(MaintenanceTest, RestoringAFileThatIsNotACompanyDatabaseDoesNotOpenIt)
{
    const std::string backup = fx.dir.file("sys.fbk");
    ASSERT_TRUE(fx.dm->BackupFDB(fb::Protocol::Local, {}, fx.companyDb, backup, true));
    const std::string other = fx.dir.makeDir("other") + "/copy.fdb";
    ASSERT_TRUE(fx.dm->RestoreFDB(fb::Protocol::Local, {}, other, backup, false));
    EXPECT_EQ(count(other, "SELECT COUNT(*) FROM OPINF"), 1);
}

TEST_F(MaintenanceTest, BackupToAnotherFileSystemIsCopiedAndLeavesNoTemporaryFile)
{
    // /dev/shm is a memory file system: a rename into it crosses devices.
    char pattern[] = "/dev/shm/miruza-backup-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        GTEST_SKIP() << "no second file system here";
    const std::string other = pattern;
    struct Cleanup {
        std::string folder;
        ~Cleanup()
        {
            std::error_code ec;
            fs::remove_all(folder, ec);
        }
    } cleanup {other};
    struct stat a {
    }, b {};
    ASSERT_EQ(::stat(other.c_str(), &a), 0);
    ASSERT_EQ(::stat(fx.dataDir.c_str(), &b), 0);
    if (a.st_dev == b.st_dev)
        GTEST_SKIP() << "/dev/shm is on the data folder's file system";

    const std::string backup = other + "/tnacc.fbk";
    ASSERT_TRUE(fx.dm->BackupFDB(fb::Protocol::Local, {}, fx.companyDb, backup, false));
    EXPECT_GT(fs::file_size(backup), 0u);
    EXPECT_FALSE(fs::exists(fx.dataDir + "/tnacc.fb_"));

    // A move across devices, used when a data set goes elsewhere.
    const std::string moved = other + "/moved.fbk";
    EXPECT_TRUE(fx.dm->FMove(fx.dir.write("m.fbk", "bytes"), moved, 0));
    EXPECT_EQ(readFile(moved), "bytes");
    EXPECT_FALSE(fs::exists(fx.dir.file("m.fbk")));
}

TEST_F(MaintenanceTest, BackupThatCannotBePutInPlaceRemovesItsTemporaryFile)
{
    ScriptedMessages messages;
    EXPECT_FALSE(
        fx.dm->BackupFDB(fb::Protocol::Local, {}, fx.companyDb, fx.dir.file("no/such/folder/tnacc.fbk"), false));
    EXPECT_FALSE(fs::exists(fx.dataDir + "/tnacc.fb_")) << "a full-size temporary backup was left behind";
    ASSERT_GE(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "データベースのバックアップに失敗しました。");
}

TEST_F(MaintenanceTest, FailedBackupKeepsThePreviousBackup)
{
    const std::string backup = fx.dir.write("backup/tnacc.fbk", "old backup");
    ScriptedMessages messages;
    EXPECT_FALSE(fx.dm->BackupFDB(fb::Protocol::Local, {}, fx.dir.file("missing/tnacc.fdb"), backup, false));
    EXPECT_EQ(readFile(backup), "old backup");
    ASSERT_GE(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "データベースのバックアップに失敗しました。");
}

TEST_F(MaintenanceTest, DamagedDatabaseFailsValidationAndTheOpenDataSetStaysConnected)
{
    const std::string copy = fx.dir.makeDir("damaged") + "/tnacc.fdb";
    {
        const std::string backup = fx.dir.file("d.fbk");
        ASSERT_TRUE(fx.dm->BackupFDB(fb::Protocol::Local, {}, fx.companyDb, backup, true));
        ASSERT_TRUE(fx.dm->RestoreFDB(fb::Protocol::Local, {}, copy, backup, true));
    }
    // Overwrite pages after the header with garbage.
    {
        std::fstream f(copy, std::ios::in | std::ios::out | std::ios::binary);
        const auto size = fs::file_size(copy);
        for (std::uintmax_t pos = 16384 * 3; pos + 512 < size; pos += 16384) {
            f.seekp(static_cast<std::streamoff>(pos + 64));
            f.write(std::string(400, '\x5A').data(), 400);
        }
    }
    ASSERT_TRUE(fx.dm->fnAccDatConnected({}, fx.dataDir, 0));
    EXPECT_FALSE(fx.dm->ValidateFDB(fb::Protocol::Local, {}, copy));
    EXPECT_TRUE(fx.dm->IBDatabaseDAT.connected()) << "the open data set is connected again";

    // A file the service cannot judge counts as sound; the company
    // connection comes back all the same.
    EXPECT_TRUE(fx.dm->ValidateFDB(fb::Protocol::Local, {}, fx.dir.file("none.fdb")));
    EXPECT_TRUE(fx.dm->IBDatabaseDAT.connected());
}

TEST_F(MaintenanceTest, GbakRunsWithThePasswordInItsEnvironmentAndIsJudgedByItsExitCode)
{
    SysDef.DBPassword = "secret pw";
    std::vector<std::string> seenArgv;
    std::string seenPassword;
    int exitCode = 0;
    bool started = true;
    fx.dm->SetGbakRunner([&](const std::vector<std::string>& argv, const std::string&, const std::string& password) {
        seenArgv = argv;
        seenPassword = password;
        TGbakResult r;
        r.started = started;
        r.exitCode = exitCode;
        r.output = "gbak: ERROR:I/O error";
        if (started && exitCode == 0)
            std::ofstream(argv.back()) << "backup";
        return r;
    });
    const std::string target = fx.dir.file("g.fbk");
    EXPECT_TRUE(fx.dm->BackupFDBGbak(fb::Protocol::TCP, "srv", "/srv/data/tnacc.fdb", target, true));
    for (const auto& a : seenArgv)
        EXPECT_EQ(a.find("secret"), std::string::npos) << "password on the command line";
    EXPECT_EQ(seenPassword, "secret pw");
    EXPECT_EQ(seenArgv[seenArgv.size() - 2], "srv:/srv/data/tnacc.fdb");

    exitCode = 1;
    try {
        fx.dm->BackupFDBGbak(fb::Protocol::TCP, "srv", "/srv/data/tnacc.fdb", target, true);
        FAIL() << "a failed tool must raise";
    } catch (const EBackupToolError& e) {
        EXPECT_EQ(std::string(e.what()), "バックアップ中にエラーが発生しました。\rgbak: ERROR:I/O error");
    }
    started = false;
    try {
        fx.dm->BackupFDBGbak(fb::Protocol::TCP, "srv", "/srv/data/tnacc.fdb", target, true);
        FAIL() << "a tool that does not start must raise";
    } catch (const EBackupToolError& e) {
        EXPECT_EQ(std::string(e.what()), "バックアップツール(gbak.exe)が起動出来ませんでした。\r処理を終了します。");
    }
    EXPECT_FALSE(fx.dm->RestoreFDBGbak(fb::Protocol::TCP, "srv", "/x/tnacc.fdb", fx.dir.file("absent.fbk"), true))
        << "no backup file here: false without running the tool";
}

TEST_F(MaintenanceTest, RealGbakBacksUpAndRestoresALocalPath)
{
    fx.dm->SetGbakRunner({});
    const std::string target = fx.dir.file("real.fbk");
    ASSERT_TRUE(fx.dm->BackupFDBGbak(fb::Protocol::Local, "", fx.companyDb, target, true));
    ASSERT_TRUE(fs::is_regular_file(target));
    const std::string restored = fx.dir.makeDir("DATA/0007") + "/" + DataFile;
    ASSERT_TRUE(fx.dm->RestoreFDBGbak(fb::Protocol::Local, "", restored, target, true));
    EXPECT_EQ(count(restored, "SELECT COUNT(*) FROM OPINF"), 0);
    EXPECT_EQ(count(restored, "SELECT COUNT(*) FROM SIWAKE"), 4);
    EXPECT_THROW(fx.dm->BackupFDBGbak(fb::Protocol::Local, "", fx.dir.file("missing.fdb"), fx.dir.file("m.fbk"), true),
        EBackupToolError);
}

// The system database's file procedures here are the project's plug-in in
// the embedded engine: they act on real files below its data root.
TEST_F(MaintenanceTest, ServerFileOperationsGoThroughTheSystemProcedures)
{
    const std::string srv = fx.dir.makeDir("srv");
    const std::string a = fx.dir.write("srv/a.fdb", "A");
    const std::string b = srv + "/b.fdb", c = srv + "/c.fdb";
    EXPECT_FALSE(fx.dm->ServerFileOperation("Rename", a));
    EXPECT_FALSE(fx.dm->IBDatabaseDEF.connected()) << "an unknown operation never touches the database";
    EXPECT_FALSE(fx.dm->ServerFileOperation("FCOPY", a, " "));

    EXPECT_TRUE(fx.dm->ServerFileOperation("fexist", a));
    EXPECT_FALSE(fx.dm->IBDatabaseDEF.connected()) << "connected for the call only";
    EXPECT_FALSE(fx.dm->FExist(b, 1));
    EXPECT_TRUE(fx.dm->FCopy(a, b, 2));
    EXPECT_TRUE(fx.dm->FExist(b, 1));
    EXPECT_EQ(readFile(b), "A");

    {
        ScriptedMessages messages;
        EXPECT_FALSE(fx.dm->FMove(a, srv + "/no-folder/c.fdb", 1));
        EXPECT_EQ(messages.count(), 1u) << "a failed copy is reported";
    }
    EXPECT_TRUE(fx.dm->FExist(a, 1)) << "a failed copy leaves the source";
    EXPECT_TRUE(fx.dm->FMove(a, c, 1));
    EXPECT_FALSE(fx.dm->FExist(a, 1));
    EXPECT_TRUE(fx.dm->FExist(c, 1));

    EXPECT_FALSE(fx.dm->DExist(srv + "/dir", 1));
    EXPECT_TRUE(fx.dm->MkDir(srv + "/dir", 1));
    EXPECT_TRUE(fx.dm->DExist(srv + "/dir", 1));
    EXPECT_TRUE(fx.dm->RmDir(srv + "/dir", 1));
    EXPECT_FALSE(fs::exists(srv + "/dir"));
    // There are no short names: the name itself when it exists.
    const std::string longName = fx.dir.write("srv/長い名前.fdb", "L");
    EXPECT_EQ(fx.dm->ServerLongToShortFileName(longName), longName);
    EXPECT_EQ(fx.dm->ServerLongToShortFileName(srv + "/無い名前.fdb"), "");
    EXPECT_EQ(fx.dm->GetShortFileName("/a/b", 0), "/a/b");
    EXPECT_EQ(fx.dm->GetShortFileName(c, 1), c);
    EXPECT_EQ(fx.dm->GetShortFileName(c, 3), "");
    EXPECT_FALSE(fx.dm->FExist(c, 3));
}

TEST_F(MaintenanceTest, LocalFileOperations)
{
    const std::string a = fx.dir.write("files/a.txt", "A");
    EXPECT_TRUE(fx.dm->FExist(a, 0));
    EXPECT_TRUE(fx.dm->FCopy(a, fx.dir.file("files/b.txt"), 0));
    EXPECT_TRUE(fx.dm->FMove(fx.dir.file("files/b.txt"), fx.dir.file("files/c.txt"), 0));
    EXPECT_EQ(readFile(fx.dir.file("files/c.txt")), "A");
    EXPECT_TRUE(fx.dm->FDel(fx.dir.file("files/c.txt"), 0));
    EXPECT_TRUE(fx.dm->MkDir(fx.dir.file("x/y/z"), 0));
    EXPECT_TRUE(fx.dm->DExist(fx.dir.file("x/y/z"), 0));
    EXPECT_TRUE(fx.dm->RmDir(fx.dir.file("x"), 0));
    EXPECT_FALSE(fx.dm->RmDir("/usr", 0)) << "system folders are never removed";
}
