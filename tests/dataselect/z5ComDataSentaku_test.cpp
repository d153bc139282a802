#include "dataselect/z5ComDataSentaku.h"

#include "core/AccReg.h"
#include "core/DataModuleAccInfo.h"
#include "core/DataModule_fixture.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <functional>

using namespace core;
namespace fb = platform::firebird;

namespace {

class DataListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        row(1, 10000, fx.dataDir, "高橋商事 第12期", "株式会社高橋商事", 0);
        // Another group's row for the same folder (REC is unique across
        // groups): never read or written for this operator.
        row(9, 20000, fx.dataDir, "他グループ", "別会社", 0);
        ASSERT_TRUE(fx.dm->fnAccDefConnected({}, 1));
    }

    void row(int rec, int group, const std::string& path, const std::string& name, const std::string& company,
        int gassan, int netdrive = 0, int kyoyulock = 0)
    {
        dm_fixture::exec(fx.systemDb,
            "INSERT INTO DATALIST (REC, GROUPID, PASNAME, ENTTEXT, SHOUGOU, NENDO, KISHU, "
            "KIMATU, GASSAN, NETDRIVE, KYOYULOCK, CLOUD, VER_TEXT) VALUES ("
                + std::to_string(rec) + ", " + std::to_string(group) + ", '" + path + "', '" + name + "', '" + company
                + "', 11, '2023-04-01', '2024-03-31', " + std::to_string(gassan) + ", " + std::to_string(netdrive)
                + ", " + std::to_string(kyoyulock) + ", 1, '旧')");
    }

    std::string column(int rec, int group, const std::string& col)
    {
        fb::Database db;
        db.setDatabaseName(fx.systemDb);
        db.addParam("user_name=SYSDBA");
        db.addParam("lc_ctype=SJIS_0208");
        db.connect();
        fb::Transaction t(&db);
        t.startTransaction();
        fb::Query q(&db, &t);
        q.sql().add("SELECT " + col + " FROM DATALIST WHERE REC=" + std::to_string(rec)
            + " AND GROUPID=" + std::to_string(group));
        q.open();
        const std::string v = q.eof() ? "<none>" : q.field(0).asString();
        q.close();
        t.commit();
        return v;
    }

    dm_fixture::Fixture fx;
};

} // namespace

TEST_F(DataListTest, DataPlaceChoosesTheTableOnlyOnAServer)
{
    TDataSentakuListCtl ctl;
    ctl.SetDataPlace(3);
    EXPECT_EQ(ctl.TableName(), "DATALIST");
    EXPECT_EQ(ctl.DataPlace(), 0);
    ctl.ConnectKind = 1;
    ctl.SetDataPlace(3);
    EXPECT_EQ(ctl.TableName(), "DATALIST_EX");
    ctl.SetDataPlace(0);
    EXPECT_EQ(ctl.TableName(), "DATALIST");
}

TEST_F(DataListTest, InitialisedRecordAndLocalPaths)
{
    TDataSentakuListCtl ctl;
    TDataListRec rec;
    rec.SHOUGOU = "x";
    ctl.InitDataListRecord(rec, "/data/0003/");
    EXPECT_EQ(rec.NENDO, 1);
    EXPECT_EQ(rec.GROUPID, 10000);
    EXPECT_EQ(rec.SHOUGOU, "");
    EXPECT_EQ(rec.PASNAME, "/data/0003/");
    EXPECT_EQ(rec.LocalPath, "/data/0003");

    rec.REC = 7;
    rec.NETDRIVE = 1;
    rec.PASNAME = "/share/sv0003";
    EXPECT_EQ(ctl.MakeLocalPath(rec), SysDef.SysDir + "/0007");
    rec.GASSAN = 10;
    rec.PASNAME = "/share/sv0003/001";
    EXPECT_EQ(ctl.MakeLocalPath(rec), SysDef.SysDir + "/0007/001");
}

TEST_F(DataListTest, ReadsTheRowOfAPathForTheOperatorsGroup)
{
    TDataSentakuListCtl ctl;
    TDataListRec rec;
    ctl.InitDataListRecord(rec, fx.dataDir);
    ctl.GetDataListRecord(1, rec, true);
    EXPECT_EQ(rec.REC, 1);
    EXPECT_EQ(rec.ENTTEXT, "高橋商事 第12期");
    EXPECT_EQ(rec.DispName, "高橋商事 第12期");
    EXPECT_EQ(rec.SHOUGOU, "株式会社高橋商事");
    EXPECT_EQ(rec.KISHU, EncodeRegDate(2023, 4, 1));
    EXPECT_EQ(rec.CLOUD, 1);
    EXPECT_EQ(rec.LocalPath, fx.dataDir);
    EXPECT_FALSE(fx.dm->IBTransactionDEF.inTransaction()) << "a read commits what it started";

    TDataSentakuRec byPath;
    ASSERT_TRUE(ctl.GetDataListRecordByPath(fx.dataDir, byPath));
    EXPECT_EQ(byPath.Data.REC, 1);
    EXPECT_EQ(byPath.Data.SHOUGOU, "株式会社高橋商事");
    EXPECT_EQ(byPath.ChildCount, 0);

    EXPECT_FALSE(ctl.GetDataListRecordByPath(fx.dir.makeDir("elsewhere/x"), byPath));
    EXPECT_EQ(byPath.Data.REC, 0);
    EXPECT_EQ(byPath.Data.PASNAME, "");
}

TEST_F(DataListTest, ConsolidatedRowComesWithItsChildren)
{
    const std::string folder = fx.dir.makeDir("DATA/0002");
    row(2, 10000, folder, "合算", "合算会社", 1);
    for (int i = 2; i >= 1; --i)
        dm_fixture::exec(fx.systemDb,
            "INSERT INTO CHILD_DATALIST (REC, ROWNO, GROUPID, PASNAME, ENTTEXT, GASSAN) VALUES "
            "(2, "
                + std::to_string(i) + ", 10000, '" + folder + "/00" + std::to_string(i) + "', '子" + std::to_string(i)
                + "', 10)");
    TDataSentakuListCtl ctl;
    TDataSentakuRec rec;
    ASSERT_TRUE(ctl.GetDataListRecordByPath(folder, rec));
    EXPECT_EQ(rec.Data.REC, 2);
    ASSERT_EQ(rec.ChildCount, 2);
    EXPECT_EQ(rec.Children[0].ENTTEXT, "子1");
    EXPECT_EQ(rec.Children[1].ROWNO, 2);

    // An emptied area loses its children.
    TDataListRec emptied = rec.Data;
    emptied.SHOUGOU.clear();
    emptied.KISHU = emptied.KIMATU = 0;
    ASSERT_TRUE(ctl.UpdateDataListRecord(emptied, 0, true));
    ctl.GetDataListChildRecord(rec, true);
    EXPECT_EQ(rec.ChildCount, 0);
}

TEST_F(DataListTest, UpdateWritesOnlyTheOperatorsGroupRow)
{
    TDataSentakuListCtl ctl;
    TDataListRec rec;
    ctl.InitDataListRecord(rec, fx.dataDir);
    ctl.GetDataListRecord(1, rec, true);
    rec.SHOUGOU = "株式会社高橋商事（新）";
    rec.NENDO = 12;
    rec.KIMATU = EncodeRegDate(2025, 3, 31);
    ASSERT_TRUE(ctl.UpdateDataListRecord(rec, 0, true));
    EXPECT_EQ(column(1, 10000, "SHOUGOU"), "株式会社高橋商事（新）");
    EXPECT_EQ(column(1, 10000, "NENDO"), "12");
    EXPECT_EQ(column(9, 20000, "SHOUGOU"), "別会社");
    // Asked for another group's row by its number: left alone.
    TDataListRec other = rec;
    other.REC = 9;
    ctl.UpdateDataListRecord(other, 0, true);
    EXPECT_EQ(column(9, 20000, "SHOUGOU"), "別会社") << "another group's row is never written";

    TDataListRec blank;
    ctl.InitDataListRecord(blank, " ");
    blank.REC = 1;
    EXPECT_FALSE(ctl.UpdateDataListRecord(blank, 0, true));
}

TEST_F(DataListTest, WriteFailureIsReportedOrRaisedByTheReportFlag)
{
    TDataSentakuListCtl ctl;
    TDataListRec rec;
    ctl.InitDataListRecord(rec, fx.dataDir);
    ctl.GetDataListRecord(1, rec, true);
    rec.ENTTEXT = std::string(200, 'x'); // longer than the column
    EXPECT_THROW(ctl.UpdateDataListRecord(rec, 0, false), fb::EIBError);
    ScriptedMessages messages;
    EXPECT_FALSE(ctl.UpdateDataListRecord(rec, 0, true));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "データリストの更新に失敗しました。");
    EXPECT_FALSE(fx.dm->IBTransactionDEF.inTransaction());
    EXPECT_EQ(column(1, 10000, "ENTTEXT"), "高橋商事 第12期");
}

TEST_F(DataListTest, EveryOperationReportsItsOwnFailure)
{
    TDataSentakuListCtl ctl;
    TDataListRec rec;
    ctl.InitDataListRecord(rec, fx.dataDir);
    ctl.GetDataListRecord(1, rec, true);
    ASSERT_EQ(rec.REC, 1);
    TDataListRec child = rec;
    child.ROWNO = 1;
    child.GASSAN = 10;
    TDataListRec shared = rec;
    shared.NETDRIVE = 1;
    fx.dm->IBDatabaseDEF.disconnect(); // every statement now fails

    struct Case {
        const char* operation;
        std::function<bool()> run; // the operation's own result
        const char* message; // the last message shown; empty: none
    };
    const Case cases[] = {
        {"Execute",
            [&] {
                ctl.Execute(0, 1, false, "");
                return ctl.RowCount == 0;
            },
            "データリストの取得に失敗しました。"},
        {"GetDataListRecord",
            [&] {
                TDataListRec r = rec;
                ctl.GetDataListRecord(0, r, true);
                return r.REC == 1;
            },
            "データリストの取得に失敗しました。"},
        {"GetDataListChildRecord",
            [&] {
                TDataSentakuRec r;
                r.Data = rec;
                r.Data.GASSAN = 1;
                ctl.GetDataListChildRecord(r, true);
                return r.ChildCount == 0;
            },
            "(子)データリストの取得に失敗しました。"},
        {"UpdateDataListRecord", [&] { return !ctl.UpdateDataListRecord(rec, 0, true); },
            "データリストの更新に失敗しました。"},
        {"UpdateDataListChildRecord", [&] { return !ctl.UpdateDataListChildRecord(child, 0, true); },
            "(子)データリストの更新に失敗しました。"},
        {"DeleteDataListRecord", [&] { return !ctl.DeleteDataListRecord(rec, true); },
            "データリストの削除に失敗しました。"},
        {"DeleteDataListChildRecord", [&] { return !ctl.DeleteDataListChildRecord(child, true); },
            "(子)データリストの削除に失敗しました。"},
        {"GetDataFolderName", [&] { return ctl.GetDataFolderName(1) == 0; }, "最大のレコー番号の取得に失敗しました。"},
        {"IsDataPathToroku", [&] { return !ctl.IsDataPathToroku(fx.dataDir); },
            "データリストの登録チェックに失敗しました。"},
        {"FindRecByPasName", [&] { return ctl.FindRecByPasName(fx.dataDir) == 0; }, ""},
        {"InsertDataListRecord",
            [&] {
                ctl.ConnectKind = 1;
                TDataListRec r = rec;
                const bool ok = ctl.InsertDataListRecord(r, true);
                ctl.ConnectKind = 0;
                return !ok;
            },
            "データリストの追加に失敗しました。"},
        {"ServerExecute",
            [&] {
                TDataSentakuListCtl server;
                server.ServerListMode = 1;
                server.ServerExecute(0, fx.dataDir, 5, false, "");
                return server.RowCount == 0;
            },
            "共有データリストの取得に失敗しました。"},
        {"UpdateServerDataListRecord", [&] { return !ctl.UpdateServerDataListRecord(shared, 1, true); },
            "共有データリストの更新に失敗しました。"},
        {"UpdateServerDataListChildRecord",
            [&] {
                TDataListRec c = shared;
                c.GASSAN = 10;
                c.ROWNO = 1;
                return !ctl.UpdateServerDataListChildRecord(c, 1, true);
            },
            "共有(子)データリストの更新に失敗しました。"},
        {"DeleteServerDataListChildRecord", [&] { return !ctl.DeleteServerDataListChildRecord(shared, true); },
            "共有(子)データリストの削除に失敗しました。"},
        {"GetNextServerFolderName",
            [&] {
                std::string name;
                ctl.GetNextServerFolderName(fx.dataDir, 1, name);
                return name == "sv0001";
            },
            ""},
        {"SharePathToLocalPath",
            [&] {
                std::string local = "x";
                ctl.SharePathToLocalPath(fx.dataDir, 0, local);
                return local.empty();
            },
            ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.operation);
        ScriptedMessages messages;
        EXPECT_TRUE(c.run());
        if (*c.message == '\0') {
            EXPECT_EQ(messages.count(), 0u);
        } else {
            ASSERT_GE(messages.count(), 1u);
            EXPECT_EQ(messages.firstLine(messages.count() - 1), c.message);
        }
    }

    // Without report the writers pass the failure on instead.
    ScriptedMessages messages;
    EXPECT_ANY_THROW(ctl.UpdateDataListRecord(rec, 0, false));
    EXPECT_ANY_THROW(ctl.UpdateDataListChildRecord(child, 0, false));
    EXPECT_ANY_THROW(ctl.DeleteDataListRecord(rec, false));
    EXPECT_ANY_THROW(ctl.DeleteDataListChildRecord(child, false));
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(DataListTest, WorkingFolderOfASharedDataSetResolvesToItsServerPath)
{
    row(7, 10000, "/share/sv0003", "共有", "共有会社", 0, 1, 1);
    const std::string working = SysDef.SysDir + "/DATA/0007";
    TDataSentakuListCtl ctl;
    std::string share;
    std::int32_t net = -1, lock = -1;
    ASSERT_TRUE(ctl.ConvLocalPathToSharePath(working, share, net, lock));
    EXPECT_EQ(share, "/share/sv0003");
    EXPECT_EQ(net, 1);
    EXPECT_EQ(lock, 1);
    ASSERT_TRUE(ctl.ConvLocalPathToSharePath(working + "/001", share, net, lock));
    EXPECT_EQ(share, "/share/sv0003/001");

    ASSERT_TRUE(ctl.ConvLocalPathToSharePath(fx.dataDir, share, net, lock));
    EXPECT_EQ(share, fx.dataDir);
    EXPECT_EQ(net, 0);

    TDataListRec rec;
    ctl.InitDataListRecord(rec, "");
    ASSERT_TRUE(ctl.GetLocalPathToData(SysDef.SysDir + "/0007", rec));
    EXPECT_EQ(rec.PASNAME, "/share/sv0003");
    rec.NETDRIVE = 1;
    rec.REC = 7;
    EXPECT_EQ(ctl.MakeLocalPath(rec), SysDef.SysDir + "/0007");
}

TEST_F(DataListTest, OldSystemDatabaseWithoutCloudAndReadOnlyColumns)
{
    fx.dm->fnAccDatDisConnected({}, 0, 0);
    fx.dm->IBDatabaseDEF.disconnect();
    dm_fixture::exec(fx.systemDb, "ALTER TABLE DATALIST DROP CLOUD, DROP READ_ONLY");
    SysDef.SysVerMajor = 11;
    ASSERT_TRUE(fx.dm->fnAccDefConnected({}, 1));
    TDataSentakuListCtl ctl;
    EXPECT_FALSE(ctl.HasCloudColumn());
    EXPECT_FALSE(ctl.HasReadOnlyColumn());
    TDataListRec rec;
    ctl.InitDataListRecord(rec, fx.dataDir);
    ctl.GetDataListRecord(1, rec, true);
    EXPECT_EQ(rec.REC, 1);
    EXPECT_EQ(rec.CLOUD, 0);
    rec.CLOUD = 1;
    rec.NENDO = 13;
    EXPECT_TRUE(ctl.UpdateDataListRecord(rec, 0, true));
    EXPECT_EQ(column(1, 10000, "NENDO"), "13");
}

TEST_F(DataListTest, ClosingADataSetRewritesItsRowFromFreshFacts)
{
    InstallDataListUpdater();
    TDM::SetDefaultDataListUpdater({});
    ASSERT_TRUE(fx.dm->fnAccDatConnected({}, fx.dataDir, 1));
    ASSERT_TRUE(fx.dm->fnAccDatDisConnected(fx.dataDir, 1, 1));
    EXPECT_EQ(column(1, 10000, "SHOUGOU"), "株式会社高橋商事");
    EXPECT_EQ(column(1, 10000, "DATACODE"), "C001");
    EXPECT_EQ(column(1, 10000, "NENDO"), "12");
    EXPECT_EQ(column(1, 10000, "KISHU"), "2024/04/01");
    EXPECT_EQ(column(1, 10000, "VER_MAJOR"), "13");
    EXPECT_EQ(column(1, 10000, "VER_TEXT"), "13.0");
    EXPECT_EQ(column(1, 10000, "ENTTEXT"), "高橋商事 第12期") << "the name is the list's own";
    EXPECT_EQ(column(9, 20000, "SHOUGOU"), "別会社");
}

TEST_F(DataListTest, UpdaterInstalledAtStartReachesTheDataModuleMadeLater)
{
    // The program installs the updater before it makes its data module.
    fx.dm.reset();
    ASSERT_EQ(DM, nullptr);
    InstallDataListUpdater();
    fx.dm = std::make_unique<core::TDM>();
    DM = fx.dm.get();
    ASSERT_TRUE(fx.dm->fnAccDefConnected({}, 1));
    ASSERT_TRUE(fx.dm->fnAccDatConnected({}, fx.dataDir, 1));
    ASSERT_TRUE(fx.dm->fnAccDatDisConnected(fx.dataDir, 1, 1));
    TDM::SetDefaultDataListUpdater({});
    EXPECT_EQ(column(1, 10000, "NENDO"), "12") << "the row was not rewritten on close";
}

TEST(SplitDataPath, FindsTheFolderAfterTheLastDataComponent)
{
    struct Case {
        const char* path;
        const char* number;
        const char* child;
    };
    const Case cases[] = {
        {"/root/Data/123/2", "123", "2"},
        {"/root/CB_DATA/7", "7", ""},
        {"/root/data/0001/", "0001", ""},
        {"/root/x/0001", "", ""},
        {"/root/DA TA/0005", "0005", ""},
        {"/home/data/brimto/rozivoraduz/data/0001/002", "0001", "002"},
        {"/home/data/brimto/rozivoraduz/data", "", ""},
    };
    for (const auto& c : cases) {
        std::string n, ch;
        core::SplitDataPath(c.path, n, ch);
        EXPECT_EQ(n, c.number) << c.path;
        EXPECT_EQ(ch, c.child) << c.path;
    }
}
