// Saving, restoring and pasting data sets of the data server (connection kind 1)
// on the private test server: the backup goes through the server's
// services, the restore into a side folder on the server that replaces the
// database only when whole.

#include "server_operations_fixture.h"

#include "dataselect/z5DataRowOps.h"
#include "platform/firebird/firebird.h"

#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;

namespace {

// Another program's connection to the company database of a folder on the
// server, made ready; connect() opens it.
void anotherUser(platform::firebird::Database& db, const std::string& folder)
{
    db.setDatabaseName(test_support::FirebirdServer::instance().databaseName(folder + "/tnacc.fdb"));
    db.addParam("user_name=" + test_support::FirebirdServer::user());
    db.addParam("password=" + test_support::FirebirdServer::password());
    db.addParam("lc_ctype=SJIS_0208");
}

} // namespace

TEST_F(OperationsOnServer, ABrokenRestoreLeavesTheServerDatabaseAndAWholeOneReplacesIt)
{
    ScriptedMessages messages;
    const std::int32_t row = list->FindRowOfFolder(company);
    ASSERT_GE(row, 0);
    ASSERT_EQ(ops->SaveData(row, stick), 1) << allText(messages);
    ASSERT_TRUE(fs::exists(stick + "/tnacc.fbk"));
    // Work after the backup, which a whole restore takes back.
    TDataInfomation di;
    di.Mode = 1;
    TDataInfomationRec facts;
    ASSERT_EQ(di.ReadDataInfoRec(company, facts), 1);
    const std::string saved = facts.DATALISTNAME;
    facts.DATALISTNAME = "保存後の変更";
    ASSERT_TRUE(di.UpdateDataInfomation(SysDef.HostName, company, facts));

    messages.clear();
    ops->PrepareWorker = [](TBackupRestoreThread& w) {
        if (w.Mode == 1)
            std::ofstream(w.BackupFile, std::ios::binary | std::ios::trunc) << "not a backup";
    };
    EXPECT_EQ(ops->RestoreData(row, stick), -1);
    EXPECT_GE(messages.count(), 1u);
    EXPECT_FALSE(fs::exists(RestoreSideFolder(company)));
    ASSERT_EQ(di.ReadDataInfoRec(company, facts), 1) << "the server database still opens";
    EXPECT_EQ(facts.DATALISTNAME, "保存後の変更");

    // Opened by someone while the restore runs: not written over.
    {
        platform::firebird::Database other;
        anotherUser(other, company);
        messages.clear();
        ops->PrepareWorker = [&](TBackupRestoreThread& w) {
            if (w.Mode == 1)
                other.connect();
        };
        EXPECT_EQ(ops->RestoreData(row, stick), -1);
        EXPECT_NE(allText(messages).find("このデータは、他のオペレータが使用中のため復元処理を行うことが出来ません。"),
            std::string::npos)
            << allText(messages);
        other.disconnect();
        EXPECT_FALSE(fs::exists(RestoreSideFolder(company)));
        ASSERT_EQ(di.ReadDataInfoRec(company, facts), 1);
        EXPECT_EQ(facts.DATALISTNAME, "保存後の変更");
    }

    messages.clear();
    ops->PrepareWorker = nullptr;
    EXPECT_EQ(ops->RestoreData(row, stick), 1) << allText(messages);
    EXPECT_FALSE(fs::exists(RestoreSideFolder(company)));
    ASSERT_EQ(di.ReadDataInfoRec(company, facts), 1);
    EXPECT_EQ(facts.DATALISTNAME, saved);
}

TEST_F(OperationsOnServer, PasteCopiesTheDatabaseThroughTheServer)
{
    ScriptedMessages messages;
    SysDef.ServerTempPath = test_support::FirebirdServer::instance().makeDataFolder("ops-svtemp");
    TDataCopyPaste cp(*list);
    ASSERT_TRUE(cp.Copy(list->FindRowOfFolder(company))) << allText(messages);
    const std::string target = SysDef.SysDir + "/0010";
    const std::int32_t empty = list->FindRowOfFolder(target);
    ASSERT_GE(empty, 0);
    ASSERT_EQ(cp.Paste(empty), 1) << allText(messages);
    TDataInfomation di;
    di.Mode = 1;
    TDataInfomationRec copied, source;
    ASSERT_EQ(di.ReadDataInfoRec(target, copied), 1);
    ASSERT_EQ(di.ReadDataInfoRec(company, source), 1);
    EXPECT_EQ(copied.SHOUGOU, source.SHOUGOU);
    EXPECT_EQ(copied.TOTALSIWAKE, source.TOTALSIWAKE);
    EXPECT_EQ(copied.DATALISTNAME, MakeCopyName(list->Record(list->FindRowOfFolder(company)).ENTTEXT));
}

// A server copy whose restore fails leaves the target's database as it was
// (the copy goes to a side folder first) and its lock cleared; a whole
// copy then replaces it.
TEST_F(OperationsOnServer, AFailedServerPasteLeavesTheTargetDatabase)
{
    ScriptedMessages messages;
    SysDef.ServerTempPath = test_support::FirebirdServer::instance().makeDataFolder("ops-svtemp-failed");
    const std::string target = SysDef.SysDir + "/0010";
    {
        TDataCopyPaste first(*list);
        ASSERT_TRUE(first.Copy(list->FindRowOfFolder(company))) << allText(messages);
        ASSERT_EQ(first.Paste(list->FindRowOfFolder(target)), 1) << allText(messages);
    }
    TDataInfomation di;
    di.Mode = 1;
    TDataInfomationRec facts;
    ASSERT_EQ(di.ReadDataInfoRec(target, facts), 1);
    facts.DATALISTNAME = "貼付先の変更";
    ASSERT_TRUE(di.UpdateDataInfomation(SysDef.HostName, target, facts));

    messages.clear();
    TDataCopyPaste cp(*list);
    bool injected = false;
    cp.PrepareWorker = [&](TBackupRestoreThread& w) {
        // The backup is made; the restore cannot be written.
        w.DestPath = target + ".copying/missing/tnacc.fdb";
        injected = true;
    };
    ASSERT_TRUE(cp.Copy(list->FindRowOfFolder(company))) << allText(messages);
    const std::int32_t row = list->FindRowOfFolder(target);
    EXPECT_EQ(cp.Paste(row), 0);
    EXPECT_TRUE(injected);
    EXPECT_NE(allText(messages).find("データのコピーに失敗しました。"), std::string::npos) << allText(messages);
    ASSERT_EQ(di.ReadDataInfoRec(target, facts), 1) << "the target still opens";
    EXPECT_EQ(facts.DATALISTNAME, "貼付先の変更");
    ASSERT_EQ(di.ReadDataInfoRec(company, facts), 1) << "the source still opens";
    EXPECT_FALSE(fs::exists(target + ".copying"));
    EXPECT_EQ(list->Record(row).DATALOCK, 0);
    EXPECT_FALSE(cp.Pending());

    // A target someone opens while the copy runs is not written over.
    {
        platform::firebird::Database other;
        anotherUser(other, target);
        messages.clear();
        TDataCopyPaste busy(*list);
        busy.PrepareWorker = [&](TBackupRestoreThread&) { other.connect(); };
        ASSERT_TRUE(busy.Copy(list->FindRowOfFolder(company))) << allText(messages);
        EXPECT_EQ(busy.Paste(row), 0);
        EXPECT_NE(allText(messages).find("このデータは他のオペレータが使用中のため貼り付けは行えません。"),
            std::string::npos)
            << allText(messages);
        other.disconnect();
        ASSERT_EQ(di.ReadDataInfoRec(target, facts), 1);
        EXPECT_EQ(facts.DATALISTNAME, "貼付先の変更");
        EXPECT_FALSE(fs::exists(target + ".copying"));
    }

    messages.clear();
    TDataCopyPaste whole(*list);
    ASSERT_TRUE(whole.Copy(list->FindRowOfFolder(company))) << allText(messages);
    ASSERT_EQ(whole.Paste(row), 1) << allText(messages);
    ASSERT_EQ(di.ReadDataInfoRec(target, facts), 1);
    EXPECT_EQ(facts.DATALISTNAME, MakeCopyName(list->Record(list->FindRowOfFolder(company)).ENTTEXT));
    EXPECT_FALSE(fs::exists(target + ".copying"));
}

// A data set another operator has locked is refused by copy, paste, save
// and delete with the status box that says so and who holds it.
TEST_F(OperationsOnServer, ALockedDataSetIsRefusedWithItsStatus)
{
    const std::int32_t row = list->FindRowOfFolder(company);
    ASSERT_GE(row, 0);
    TDataListRec r = list->Record(row);
    r.DATALOCK = 1; // the built-in operator
    ASSERT_TRUE(list->Registry().UpdateDataListRecord(r, 0, true));
    list->Record(row).DATALOCK = 1;
    SysDef.DataDir.clear();
    TDataRowOps rowOps(*list);
    const std::string target = SysDef.SysDir + "/0010";
    struct Case {
        const char* what;
        std::function<bool()> run; // true when the operation went on
    };
    const Case cases[] = {
        {"copy", [&] { return TDataCopyPaste(*list).Copy(row); }},
        {"save", [&] { return ops->SaveData(row, stick) != 0; }},
        {"delete", [&] { return rowOps.DeleteData(row, true); }},
    };
    for (const Case& c : cases) {
        ScriptedMessages messages;
        EXPECT_FALSE(c.run()) << c.what;
        ASSERT_EQ(messages.count(), 1u) << c.what << allText(messages);
        EXPECT_EQ(messages.shown()[0].caption, "選択データの状態") << c.what;
        EXPECT_EQ(messages.firstLine(0), "このデータはデータロック中のため処理が行えません。") << c.what;
    }
    // Pasting onto a locked data set.
    list->Record(row).DATALOCK = 0;
    r.DATALOCK = 0;
    ASSERT_TRUE(list->Registry().UpdateDataListRecord(r, 0, true));
    SysDef.ServerTempPath = test_support::FirebirdServer::instance().makeDataFolder("ops-svtemp-locked");
    const std::int32_t copy = list->FindRowOfFolder(target);
    ASSERT_GE(copy, 0);
    {
        ScriptedMessages messages;
        TDataCopyPaste first(*list);
        ASSERT_TRUE(first.Copy(row)) << allText(messages);
        ASSERT_EQ(first.Paste(copy), 1) << allText(messages);
    }
    TDataListRec t = list->Record(copy);
    t.DATALOCK = 1;
    ASSERT_TRUE(list->Registry().UpdateDataListRecord(t, 0, true));
    list->Record(copy).DATALOCK = 1;
    ScriptedMessages messages;
    TDataCopyPaste cp(*list);
    ASSERT_TRUE(cp.Copy(row)) << allText(messages);
    EXPECT_EQ(cp.Paste(copy), 0);
    ASSERT_EQ(messages.count(), 1u) << allText(messages);
    EXPECT_EQ(messages.firstLine(0), "このデータはデータロック中のため処理が行えません。");
}

// The lock column of the server kinds: a free data set takes this
// operator's lock, the holder releases it, another operator's lock stays
// and is explained, and a folder without data is reported as such.
TEST_F(OperationsOnServer, LockColumnTakesAndReleasesOnlyTheOperatorsOwnLock)
{
    // The operator code as the login makes it (group × 10000 + login code)
    // of the sample operator 10; operator 1 is the built-in one.
    SysDef.OpCode = SysDef.GroupID * 10000 + 10;
    const std::int32_t me = LoginCodeOf(SysDef.OpCode, SysDef.GroupID);
    ASSERT_EQ(me, 10);
    const std::int32_t other = 1;
    const std::int32_t row = list->FindRowOfFolder(company);
    ASSERT_GE(row, 0);
    auto storedLock = [&] {
        TDataListRec r;
        r.REC = list->Record(row).REC;
        list->Registry().GetDataListRecord(0, r, true);
        return r.DATALOCK;
    };
    struct Step {
        const char* what;
        std::int32_t before; // DATALOCK stored before the click (-1: as left)
        bool written;
        std::int32_t after;
        const char* caption; // of the one message, "" for none
    };
    const Step steps[] = {
        {"a free row is locked", 0, true, me, ""},
        {"the holder releases it", -1, true, 0, ""},
        {"another operator's lock stays", other, false, other, "ロックデータの状態"},
    };
    for (const Step& s : steps) {
        ScriptedMessages messages;
        if (s.before >= 0) {
            TDataListRec r = list->Record(row);
            r.DATALOCK = s.before;
            ASSERT_TRUE(list->Registry().UpdateDataListRecord(r, 0, true));
            list->Record(row).DATALOCK = s.before;
        }
        EXPECT_EQ(list->ToggleDataLock(row), s.written) << s.what;
        EXPECT_EQ(list->Record(row).DATALOCK, s.after) << s.what;
        EXPECT_EQ(storedLock(), s.after) << s.what;
        if (*s.caption) {
            ASSERT_EQ(messages.count(), 1u) << s.what;
            EXPECT_EQ(messages.shown().at(0).caption, s.caption);
            EXPECT_EQ(messages.firstLine(0), "このデータは違うオペレータによりロックされているため解除は行えません。");
            const auto& lines = messages.shown().at(0).lines;
            EXPECT_EQ(lines[2].text, "　" + company);
            EXPECT_EQ(lines[4].text, "【オペレータ】");
            EXPECT_EQ(lines[5].text, "　1");
            EXPECT_EQ(lines[7].text, "【オペレータ名】");
            EXPECT_EQ(lines[8].text, "　システムユーザー");
        } else {
            EXPECT_EQ(messages.count(), 0u) << s.what << allText(messages);
        }
    }

    ScriptedMessages messages;
    const std::int32_t empty = list->FindRowOfFolder(SysDef.SysDir + "/0010");
    ASSERT_GE(empty, 0);
    EXPECT_FALSE(list->ToggleDataLock(empty));
    ASSERT_EQ(messages.count(), 1u) << allText(messages);
    EXPECT_EQ(messages.firstLine(0), "このフォルダには財務データがありません。\r");
    EXPECT_EQ(list->Record(empty).DATALOCK, 0);
}
