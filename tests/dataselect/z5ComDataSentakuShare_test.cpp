// Taking shared data sets to this computer and storing them back, on a
// share root (a folder listed under letter X in the share-root table) with
// the embedded system database of a sample root.

#include "registry_fixture.h"

#include "dataselect/z5DataSentakuModel.h"

#include "core/DataInfomation.h"
#include "platform/exclusive_file.h"
#include "platform/ini_file.h"
#include "platform/share_roots.h"
#include "support/scripted_messages.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using registry_fixture::fb::Database;
using registry_fixture::fb::Query;
using registry_fixture::fb::Transaction;

extern char** environ;

namespace {

void copyDataSet(const std::string& from, const std::string& to)
{
    fs::create_directories(to);
    for (const char* name : {"tnacc.fdb", "tnacc.ini"})
        fs::copy_file(from + "/" + name, to + "/" + name, fs::copy_options::overwrite_existing);
}

bool hasTable(const std::string& database, const std::string& table)
{
    return registry_fixture::scalarOf(
               database, "SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME='" + table + "'")
        != "0";
}

TDataInfomationRec iniOf(const std::string& folder)
{
    TDataInfomation di;
    TDataInfomationRec rec;
    di.ReadDataIni(folder, rec);
    return rec;
}

std::string messageText(const ScriptedMessages& m)
{
    std::string text;
    for (const auto& r : m.shown())
        text += core::messageAsText(r);
    return text;
}

class SharedDataSet : public registry_fixture::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        shareRoot = root.folder() + "/server";
        area = shareRoot + "/rozivoraduz/sv0001";
        copyDataSet(company.folder, area);
        platform::share_roots::save({{'X', shareRoot, true}});
        sql({"UPDATE DATALIST SET ENTTEXT='共有の会社', PASNAME=:P0, NETDRIVE=1, KYOYULOCK=0 WHERE REC=7"}, {area});
        working = SysDef.SysDir + "/0007";
    }

    TDataSentakuRec row(TDataSentakuListCtl& ctl)
    {
        TDataSentakuRec rec;
        EXPECT_TRUE(ctl.GetDataListRecordByPath(working, rec));
        return rec;
    }

    std::string kyoyuLock() { return value("DATALIST", "KYOYULOCK", "REC=7").value_or("<none>"); }

    // Makes the area a consolidated data set with children 001 and 002.
    void makeConsolidated()
    {
        platform::IniFile(TDataInfomation::IniPath(area)).writeString("DATAINFO", "GASSANKBN", "1");
        for (const char* child : {"001", "002"}) {
            copyDataSet(company.folder, area + "/" + child);
            platform::IniFile(TDataInfomation::IniPath(area + "/" + child))
                .writeString("DATAINFO", "DATALISTNAME", std::string("支店") + child);
        }
    }

    std::string shareRoot, area, working;
};

} // namespace

TEST_F(SharedDataSet, TakeMarksBothCopiesAndStoreBackReachesTheServer)
{
    ScriptedMessages messages;
    TDataSentakuListCtl ctl;
    TDataSentakuRec rec = row(ctl);
    EXPECT_EQ(rec.Data.PASNAME, area);
    EXPECT_EQ(rec.Data.LocalPath, working);
    EXPECT_EQ(rec.Data.NETDRIVE, 1);

    ASSERT_EQ(ctl.KyoyuDataLock(rec, 1), 1) << messageText(messages);
    EXPECT_EQ(iniOf(area).SHARE_STATUS, 2);
    EXPECT_EQ(iniOf(area).SHARE_OPCODE, SysDef.OpCode);
    EXPECT_EQ(iniOf(area).SHARE_OPERATOR, SysDef.OpName);
    EXPECT_EQ(iniOf(working).SHARE_STATUS, 2);
    EXPECT_EQ(kyoyuLock(), "1");
    EXPECT_TRUE(fs::exists(working + "/tnacc.fdb"));
    EXPECT_FALSE(fs::exists(area + "/share.lck")) << "the area lock lasts only for the take";
    EXPECT_EQ(value("SERVERDATALIST", "DRIVELETTER", "PASNAME='" + area + "'"), "X");

    // The wizard finds the working folder taken and stores it back.
    std::string sharePath;
    std::int32_t net = 0, lock = 0;
    ASSERT_TRUE(ctl.ConvLocalPathToSharePath(working, sharePath, net, lock));
    EXPECT_EQ(sharePath, area);
    EXPECT_EQ(net, 1);
    EXPECT_EQ(lock, 1);
    registry_fixture::execOn(working + "/tnacc.fdb", "CREATE TABLE WORK_DONE_HERE (X INTEGER)");
    rec = row(ctl);
    ASSERT_EQ(ctl.KyoyuDataUnlock(rec, 1), 1) << messageText(messages);
    EXPECT_TRUE(hasTable(area + "/tnacc.fdb", "WORK_DONE_HERE"));
    EXPECT_EQ(iniOf(area).SHARE_STATUS, 1);
    EXPECT_EQ(iniOf(working).SHARE_STATUS, 1);
    EXPECT_EQ(kyoyuLock(), "0");
    EXPECT_EQ(messages.count(), 0u) << messageText(messages);
}

TEST_F(SharedDataSet, TakeOfASetAnotherOperatorHoldsIsRefused)
{
    {
        platform::IniFile ini(TDataInfomation::IniPath(area));
        ini.writeInteger("DATASTS", "SHARE_STATUS", 2);
        ini.writeInteger("DATASTS", "SHARE_OPCODE", SysDef.GroupID * 10000 + 5);
        ini.writeString("DATASTS", "SHARE_OPERATOR", "佐藤");
    }
    ScriptedMessages messages;
    TDataSentakuListCtl ctl;
    TDataSentakuRec rec = row(ctl);
    EXPECT_EQ(ctl.KyoyuDataLock(rec, 1), -1);
    ASSERT_EQ(messages.count(), 1u);
    const auto& shown = messages.shown()[0];
    EXPECT_EQ(shown.caption, "選択データの状態");
    EXPECT_EQ(shown.lines[0].text, "共有データは現在使用されています。");
    EXPECT_EQ(shown.lines[2].text, "　" + area);
    EXPECT_EQ(shown.lines[5].text, "　5") << "the holder's login code";
    EXPECT_EQ(shown.lines[8].text, "　佐藤");
    EXPECT_EQ(kyoyuLock(), "0");
    EXPECT_EQ(iniOf(area).SHARE_OPERATOR, "佐藤") << "the holder's mark stays";

    // A take in progress on another computer (its lock file) is refused too.
    platform::IniFile(TDataInfomation::IniPath(area)).writeInteger("DATASTS", "SHARE_STATUS", 1);
    std::ofstream(area + "/share.lck") << "otherpc 4242 100000009 鈴木\n";
    messages.clear();
    EXPECT_EQ(ctl.KyoyuDataLock(rec, 1), -1);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "共有データは現在使用されています。");
    EXPECT_TRUE(fs::exists(area + "/share.lck")) << "another computer's lock is not broken";
    EXPECT_EQ(iniOf(area).SHARE_STATUS, 1);
}

TEST_F(SharedDataSet, UnreachableServerIsReportedUnlessQuiet)
{
    fs::remove_all(area);
    ScriptedMessages messages;
    TDataSentakuListCtl ctl;
    TDataSentakuRec rec = row(ctl);
    EXPECT_EQ(ctl.KyoyuDataLock(rec, 1), 0);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(ctl.KyoyuDataLock(rec, 0), 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].lines[1].text, "【共有データパス】");
    EXPECT_EQ(kyoyuLock(), "0");
}

TEST_F(SharedDataSet, FailedChildCopyOnStoreBackLosesNothingAndKeepsTheSetTaken)
{
    makeConsolidated();
    ScriptedMessages messages;
    TDataSentakuListCtl ctl;
    TDataSentakuRec rec = row(ctl);
    ASSERT_EQ(ctl.KyoyuDataLock(rec, 1), 1) << messageText(messages);
    ASSERT_EQ(rec.ChildCount, 2);
    EXPECT_EQ(rec.Children[1].LocalPath, working + "/002");
    EXPECT_TRUE(fs::exists(working + "/002/tnacc.fdb"));
    EXPECT_EQ(value("CHILD_DATALIST", "ENTTEXT", "REC=7 AND ROWNO=2"), "支店002");

    registry_fixture::execOn(working + "/tnacc.fdb", "CREATE TABLE PARENT_WORK (X INTEGER)");
    registry_fixture::execOn(working + "/002/tnacc.fdb", "CREATE TABLE CHILD_WORK (X INTEGER)");
    ctl.CopyDataSet = [](const std::string& from, const std::string& to) {
        return from.ends_with("/002") ? false : CopyDataSetFiles(from, to);
    };
    rec = row(ctl);
    EXPECT_EQ(ctl.KyoyuDataUnlock(rec, 1), 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].lines[2].text, area + "/002");
    // Nothing on the server changed and the set is still this computer's.
    EXPECT_FALSE(hasTable(area + "/tnacc.fdb", "PARENT_WORK"));
    EXPECT_FALSE(hasTable(area + "/002/tnacc.fdb", "CHILD_WORK"));
    EXPECT_TRUE(fs::exists(area + "/001/tnacc.fdb"));
    EXPECT_EQ(iniOf(area).SHARE_STATUS, 2);
    EXPECT_EQ(iniOf(working).SHARE_STATUS, 2);
    EXPECT_EQ(kyoyuLock(), "1");
    for (const auto& e : fs::directory_iterator(area))
        EXPECT_FALSE(e.path().filename().string().ends_with("~")) << e.path();

    // With the server reachable again everything goes back.
    ctl.CopyDataSet = CopyDataSetFiles;
    rec = row(ctl);
    ASSERT_EQ(ctl.KyoyuDataUnlock(rec, 1), 1) << messageText(messages);
    EXPECT_TRUE(hasTable(area + "/tnacc.fdb", "PARENT_WORK"));
    EXPECT_TRUE(hasTable(area + "/002/tnacc.fdb", "CHILD_WORK"));
    EXPECT_EQ(iniOf(area + "/002").SHARE_STATUS, 1);
    EXPECT_EQ(iniOf(working + "/002").SHARE_STATUS, 1);
    EXPECT_EQ(iniOf(area).SHARE_STATUS, 1);
    EXPECT_EQ(kyoyuLock(), "0");
}

TEST_F(SharedDataSet, DamagedChildStopsTheTakeBeforeAnythingIsCopied)
{
    makeConsolidated();
    platform::IniFile(TDataInfomation::IniPath(area + "/002")).writeInteger("DATASTS", "STATUS", 10);
    ScriptedMessages messages;
    TDataSentakuListCtl ctl;
    TDataSentakuRec rec = row(ctl);
    EXPECT_EQ(ctl.KyoyuDataLock(rec, 1), -1);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(
        messages.firstLine(0).substr(0, 30), std::string("共有サーバー上のデータが破損しているため").substr(0, 30));
    EXPECT_FALSE(fs::exists(working + "/tnacc.fdb"));
    EXPECT_EQ(iniOf(area).SHARE_STATUS, 1);
}

TEST_F(SharedDataSet, PathMappingAndServerList)
{
    TDataSentakuListCtl ctl;
    std::string local;
    ctl.SharePathToLocalPath(area + "/001", 10, local);
    EXPECT_EQ(local, working + "/001");
    ctl.SharePathToLocalPath(area, 0, local);
    EXPECT_EQ(local, working);
    ctl.SharePathToLocalPath(shareRoot + "/nowhere", 0, local);
    EXPECT_EQ(local, "");
    EXPECT_EQ(ShareDriveLetter(area), "X");
    EXPECT_EQ(ShareDriveLetter("/elsewhere"), "/");

    // The server list: rebuilt from the folders, sorted, without the two
    // backup folders; then written and read back.
    fs::create_directories(shareRoot + "/rozivoraduz/sv0002");
    fs::create_directories(shareRoot + "/rozivoraduz/DEDIVIDEREZ_IVIVIV");
    fs::create_directories(shareRoot + "/rozivoraduz/velmorazaimu_backup");
    fs::create_directories(area + "/002");
    fs::create_directories(area + "/001");
    TDataSentakuListCtl server;
    server.ServerListMode = 1;
    const std::string folder = shareRoot + "/rozivoraduz";
    server.ServerExecute(1, folder, 5, false, "");
    ASSERT_EQ(server.RowCount, 2);
    EXPECT_EQ(server.Rows[0].Data.PASNAME, area);
    EXPECT_EQ(server.Rows[0].Data.ENTTEXT, kFreeAreaName);
    ASSERT_EQ(server.Rows[0].ChildCount, 2);
    EXPECT_EQ(server.Rows[0].Children[0].PASNAME, area + "/001");
    EXPECT_EQ(server.Rows[0].Children[1].ROWNO, 2);
    for (auto& row : server.Rows) {
        ASSERT_TRUE(server.UpdateServerDataListRecord(row.Data, 1, true));
        for (auto& child : row.Children)
            ASSERT_TRUE(server.UpdateServerDataListChildRecord(child, 1, true));
    }
    std::string next;
    server.GetNextServerFolderName(folder, 1, next);
    EXPECT_EQ(next, "sv0003");
    server.GetNextServerFolderName(shareRoot + "/empty", 1, next);
    EXPECT_EQ(next, "sv0001");
    server.ServerExecute(0, folder, 5, true, "");
    ASSERT_EQ(server.RowCount, 2);
    EXPECT_EQ(server.Rows[0].Data.PASNAME, shareRoot + "/rozivoraduz/sv0002");
    EXPECT_EQ(server.Rows[1].ChildCount, 2);
    EXPECT_EQ(server.ChildRowCount, 2);

    // A path registered twice is folded into one row with a new number.
    sql({"INSERT INTO SERVERDATALIST (GROUPID, DRIVELETTER, REC, ENTTEXT, PASNAME) VALUES (10000, 'X', 9, 'x', :P0)"},
        {area});
    TDataListRec twice = server.Rows[1].Data;
    ASSERT_TRUE(server.UpdateServerDataListRecord(twice, 1, true));
    EXPECT_EQ(value("SERVERDATALIST", "COUNT(*)", "PASNAME='" + area + "'"), "1");
    EXPECT_EQ(value("SERVERDATALIST", "REC", "PASNAME='" + area + "'"), "3");
}

TEST_F(SharedDataSet, ServerListOrdersNamedAreasBySortKindAndFreeAreasLast)
{
    const std::string folder = shareRoot + "/rozivoraduz";
    auto insert = [&](const std::string& letter, int rec, const std::string& name, int nendo, const std::string& kishu,
                      int major, const std::string& code) {
        sql({"INSERT INTO SERVERDATALIST (GROUPID, DRIVELETTER, REC, ENTTEXT, PASNAME, NENDO, KISHU, VER_MAJOR, "
             "DATACODE) VALUES (10000, '"
                + letter + "', " + std::to_string(rec) + ", :P0, :P1, " + std::to_string(nendo) + ", '" + kishu + "', "
                + std::to_string(major) + ", :P2)"},
            {name, folder + "/sv000" + std::to_string(rec), code});
    };
    insert("X", 1, "beta", 3, "2020-04-01", 12, "C2");
    insert("X", 2, kFreeAreaName, 0, "1899-12-30", 0, "");
    insert("X", 3, "alpha", 5, "2019-01-01", 11, "C3");
    insert("X", 4, "", 0, "1899-12-30", 0, "");
    insert("X", 5, "gamma", 1, "2021-01-01", 13, "C1");
    insert("X", 6, kNewAreaName, 0, "1899-12-30", 0, "");
    insert("Y", 7, "zeta", 9, "2018-01-01", 10, "C0"); // another share
    sql({"INSERT INTO CHILD_SERVERDATALIST (GROUPID, DRIVELETTER, REC, ROWNO, ENTTEXT, PASNAME) "
         "VALUES (10000, 'X', 5, 2, 'b', :P0)",
            "INSERT INTO CHILD_SERVERDATALIST (GROUPID, DRIVELETTER, REC, ROWNO, ENTTEXT, PASNAME) "
            "VALUES (10000, 'X', 5, 1, 'a', :P1)"},
        {folder + "/sv0005/002", folder + "/sv0005/001"});

    struct Case {
        std::uint8_t kind;
        bool descending;
        std::vector<int> order; // area numbers as listed
    };
    const Case cases[] = {
        {1, false, {1, 2, 3, 4, 5, 6}},
        {1, true, {1, 2, 3, 4, 5, 6}}, // no descending folder order but for kind 5
        {2, false, {3, 1, 5, 2, 4, 6}},
        {2, true, {5, 1, 3, 2, 4, 6}}, // free areas stay in folder order
        {3, false, {5, 1, 3, 2, 4, 6}},
        {3, true, {3, 1, 5, 2, 4, 6}},
        {4, false, {3, 1, 5, 2, 4, 6}},
        {5, false, {1, 2, 3, 4, 5, 6}},
        {5, true, {6, 5, 4, 3, 2, 1}},
        {6, false, {3, 1, 5, 2, 4, 6}},
        {7, false, {5, 1, 3, 2, 4, 6}},
        {7, true, {3, 1, 5, 2, 4, 6}},
        {8, false, {1, 2, 3, 4, 5, 6}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("sort kind " + std::to_string(c.kind) + (c.descending ? " descending" : ""));
        TDataSentakuListCtl server;
        server.ServerListMode = 1;
        server.ServerExecute(0, folder, c.kind, c.descending, "");
        std::vector<int> order;
        for (const auto& row : server.Rows)
            order.push_back(std::stoi(row.Data.PASNAME.substr(row.Data.PASNAME.size() - 1)));
        EXPECT_EQ(order, c.order);
        for (const auto& row : server.Rows) {
            EXPECT_EQ(row.Data.NETDRIVE, 1);
            EXPECT_EQ(row.Data.KYOYULOCK, 0);
            EXPECT_EQ(row.ChildCount, row.Data.REC == 5 ? 2 : 0);
        }
        EXPECT_EQ(server.ChildRowCount, 2);
    }
    TDataSentakuListCtl server;
    server.ServerListMode = 1;
    server.ServerExecute(0, folder, 5, false, "");
    ASSERT_EQ(server.Rows.size(), 6u);
    ASSERT_EQ(server.Rows[4].Children.size(), 2u);
    EXPECT_EQ(server.Rows[4].Children[0].PASNAME, folder + "/sv0005/001") << "children in folder order";
    EXPECT_EQ(server.Rows[4].Children[1].ROWNO, 2);
    EXPECT_FALSE(dm->IBTransactionDEF.inTransaction()) << "the read commits what it started";
}

// Two processes, each with its own system database (two computers), take
// the same free area at once: exactly one of them holds it afterwards.
TEST(ShareRaceChild, TakesWhenTheGateOpens)
{
    const char* area = std::getenv("MIRUZA_RACE_AREA");
    if (area == nullptr)
        GTEST_SKIP() << "runs only as a child of SharedDataSet.TwoProcessesRacingLeaveOneHolder";
    test_support::SampleRoot own(registry_fixture::rootOptions());
    test_support::ScopedEnv home("MIRUZA_HOME", own.folder());
    const auto& info = own.info();
    ResetProcessState();
    SysDef.SysDir = info.sysDir;
    SysDef.LogDir = info.logDir;
    SysDef.WorkDir = info.tempDir;
    SysDef.DBUser = "TOLVAN";
    SysDef.GroupID = info.groupId;
    SysDef.OpCode = info.groupId * 10000 + std::atoi(std::getenv("MIRUZA_RACE_LOGIN"));
    SysDef.OpName = std::string("operator ") + std::getenv("MIRUZA_RACE_LOGIN");
    SysDef.SysVerMajor = 12;
    auto dm = std::make_unique<core::TDM>();
    core::DM = dm.get();
    ASSERT_TRUE(dm->fnAccDefConnected({}, 1));
    {
        Database db;
        registry_fixture::connectTo(db, info.systemDatabase);
        Transaction t(&db);
        t.startTransaction();
        Query q(&db, &t);
        q.sql().add("UPDATE DATALIST SET ENTTEXT='共有', PASNAME=:P, NETDRIVE=1 WHERE REC=7");
        q.paramByName("P").setString(area);
        q.execSQL();
        t.commit();
    }
    ScriptedMessages messages;
    TDataSentakuListCtl ctl;
    TDataSentakuRec rec;
    ASSERT_TRUE(ctl.GetDataListRecordByPath(SysDef.SysDir + "/0007", rec));

    // Ready, then wait for the gate: the parent closes it for both at once.
    const int ready = std::atoi(std::getenv("MIRUZA_RACE_READY_FD"));
    const int gate = std::atoi(std::getenv("MIRUZA_RACE_GATE_FD"));
    ASSERT_EQ(::write(ready, "r", 1), 1);
    char c;
    while (::read(gate, &c, 1) > 0) { }
    const int result = ctl.KyoyuDataLock(rec, 1);
    std::ofstream(std::getenv("MIRUZA_RACE_RESULT")) << result;
    dm.reset();
    ResetProcessState();
}

TEST_F(SharedDataSet, TwoProcessesRacingLeaveOneHolder)
{
    int ready[2], gate[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(gate), 0);
    const std::string self = fs::read_symlink("/proc/self/exe");
    std::vector<pid_t> children;
    for (int login : {21, 22}) {
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e)
            env.emplace_back(*e);
        env.push_back("MIRUZA_RACE_AREA=" + area);
        env.push_back("MIRUZA_RACE_LOGIN=" + std::to_string(login));
        env.push_back("MIRUZA_RACE_READY_FD=" + std::to_string(ready[1]));
        env.push_back("MIRUZA_RACE_GATE_FD=" + std::to_string(gate[0]));
        env.push_back("MIRUZA_RACE_RESULT=" + root.folder() + "/race-" + std::to_string(login));
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string filter = "--gtest_filter=ShareRaceChild.TakesWhenTheGateOpens";
        std::vector<char*> argv = {const_cast<char*>(self.c_str()), filter.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, ready[0]);
        posix_spawn_file_actions_addclose(&actions, gate[1]);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        children.push_back(pid);
    }
    ::close(ready[1]);
    ::close(gate[0]);
    int readyCount = 0;
    char c;
    while (readyCount < 2 && ::read(ready[0], &c, 1) == 1)
        ++readyCount;
    ::close(gate[1]); // both children go
    ::close(ready[0]);
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child " << pid;
    }
    ASSERT_EQ(readyCount, 2);
    std::map<int, int> results; // login code -> result of its take
    for (int login : {21, 22}) {
        std::ifstream in(root.folder() + "/race-" + std::to_string(login));
        int r = 99;
        in >> r;
        results[login] = r;
    }
    ASSERT_EQ(std::min(results[21], results[22]), -1);
    ASSERT_EQ(std::max(results[21], results[22]), 1) << "exactly one take succeeds";
    const int winner = results[21] == 1 ? 21 : 22;
    const auto server = iniOf(area);
    EXPECT_EQ(server.SHARE_STATUS, 2);
    EXPECT_EQ(server.SHARE_OPCODE, SysDef.GroupID * 10000 + winner);
    EXPECT_FALSE(fs::exists(area + "/share.lck"));
}

// The wizard's choice of a shared data set that is not taken: refused with
// automatic share off; with it on, taken first so the chosen working
// folder holds the server's data.
TEST_F(SharedDataSet, WizardsChoiceOfASharedRowTakesItFirstWhenAutomatic)
{
    ScriptedMessages messages;
    TDataSentakuModel model;
    model.SyoriType = 3;
    model.LoadDataList();
    const std::int32_t row = model.FindRowOfFolder(working);
    ASSERT_GE(row, 0);
    SysDef.Reserve4Bit1 = 0;
    EXPECT_EQ(model.Choose(row), 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(
        messages.firstLine(0), "このデータは共有サーバーに保管されています。\r共有取得を実行してから選択して下さい。");
    EXPECT_FALSE(fs::exists(working + "/tnacc.fdb"));

    messages.clear();
    SysDef.Reserve4Bit1 = 1;
    EXPECT_EQ(model.Choose(row), 1) << messageText(messages);
    EXPECT_EQ(SysDef.DataDir, working);
    EXPECT_EQ(SysDef.DataListPath, area);
    EXPECT_TRUE(fs::exists(working + "/tnacc.fdb"));
    EXPECT_EQ(iniOf(area).SHARE_STATUS, 2);
    EXPECT_EQ(kyoyuLock(), "1");
}

// The take-out's local screen (type 5) with automatic share: a shared row
// is taken before its data is restored or saved, and a saved one is stored
// back afterwards.
TEST_F(SharedDataSet, TakeOutScreenTakesASharedRowBeforeItsTransfer)
{
    ScriptedMessages messages;
    SysDef.Reserve4Bit1 = 1;
    TDataSentakuModel model;
    model.SyoriType = 5;
    model.OnlySABackupPath = root.folder();
    model.LoadDataList();
    const std::int32_t row = model.FindRowOfFolder(working);
    ASSERT_GE(row, 0);
    std::string seen;
    auto transfer = [&](std::int32_t r, const std::string&) {
        seen = kyoyuLock() + "/" + std::to_string(model.Record(r).KYOYULOCK) + "/"
            + (fs::exists(working + "/tnacc.fdb") ? "data" : "none");
        return 1;
    };
    model.RestoreFromFolder = transfer;
    model.SaveToFolder = transfer;

    // Restore into the not-taken row: its working folder is empty until taken.
    model.OnlySAMode = 1;
    EXPECT_EQ(model.Choose(row), 1) << messageText(messages);
    EXPECT_EQ(seen, "1/1/data");
    EXPECT_EQ(iniOf(area).SHARE_STATUS, 2);

    // Save of the taken row: stored back after the save.
    seen.clear();
    model.OnlySAMode = 0;
    EXPECT_EQ(model.Choose(row), 1) << messageText(messages);
    EXPECT_EQ(seen, "1/1/data");
    EXPECT_EQ(kyoyuLock(), "0");
    EXPECT_EQ(iniOf(area).SHARE_STATUS, 1);
    EXPECT_EQ(messages.count(), 0u) << messageText(messages);
}

// A refreshed row taken from the shared server carries its name and locks
// into the shared list and the shared folder's ini; an emptied local copy
// leaves the shared registration alone.
TEST_F(SharedDataSet, RefreshOfATakenRowStoresItsNameOnTheServer)
{
    ScriptedMessages messages;
    TDataSentakuModel model;
    {
        TDataSentakuListCtl ctl;
        TDataSentakuRec rec = row(ctl);
        ASSERT_EQ(ctl.KyoyuDataLock(rec, 1), 1) << messageText(messages);
    }
    TDataInfomation di;
    TDataInfomationRec facts;
    ASSERT_EQ(di.ReadDataInfoRec(working, facts), 1);
    facts.DATALISTNAME = "手元で改名";
    facts.UPDATE_LOCK = 1;
    ASSERT_TRUE(di.UpdateDataInfomation(SysDef.HostName, working, facts));

    model.LoadDataList();
    const std::int32_t r = model.FindRowOfFolder(working);
    ASSERT_GE(r, 0);
    model.DataListRefresh(r);
    EXPECT_EQ(model.Record(r).ENTTEXT, "手元で改名");
    EXPECT_EQ(value("SERVERDATALIST", "ENTTEXT", "PASNAME='" + area + "'"), "手元で改名");
    EXPECT_EQ(iniOf(area).DATALISTNAME, "手元で改名");
    EXPECT_EQ(iniOf(area).UPDATE_LOCK, 1);

    fs::remove(working + "/tnacc.fdb");
    model.DataListRefresh(r);
    EXPECT_EQ(model.Record(r).ENTTEXT, kFreeAreaName);
    EXPECT_EQ(value("SERVERDATALIST", "ENTTEXT", "PASNAME='" + area + "'"), "手元で改名");
    EXPECT_EQ(messages.count(), 0u) << messageText(messages);
}
