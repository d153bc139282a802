// The data-list registry on a sample system database: loading with each
// sort kind, local paths of shared rows, adding, deleting and renumbering,
// the caller's transaction, and the filling rules from a data set's facts.

#include "registry_fixture.h"

#include "core/AccReg.h"
#include "core/DataInfomation.h"
#include "support/scripted_messages.h"

using core::EncodeRegDate;
using registry_fixture::recs;
using registry_fixture::fb::Transaction;

namespace {

class DataListRegistry : public registry_fixture::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        // Named rows 1, 3, 5, 8; every other fixed row is an empty area.
        name(1, "Cafe", 9, "2023-04-01", "C9", 12);
        name(3, "Bistro", 5, "2020-01-01", "A1", 13);
        name(5, "Aoba", 7, "2021-07-01", "B2", 11);
        name(8, "Aoba", 9, "2022-07-01", "A1", 13);
    }
};

} // namespace

TEST_F(DataListRegistry, ExecuteOrdersRowsBySortKindWithEmptyAreasLast)
{
    struct Case {
        std::uint8_t kind;
        bool descending;
        std::vector<int> first;
        bool emptyLastByNumber; // rows 5.. are the empty areas by REC
    };
    const Case cases[] = {
        {1, false, {1, 2, 3, 4, 5}, false},
        {1, true, {120, 119, 118}, false},
        {2, false, {8, 5, 3, 1, 2, 4}, true}, // name, term descending, number
        {2, true, {1, 3, 8, 5, 120, 119}, false},
        {3, false, {3, 5, 1, 8, 2}, true}, // term, number
        {4, false, {3, 5, 8, 1, 2}, true}, // period start
        {6, false, {5, 1, 3, 8, 2}, true}, // version, number
        {7, false, {8, 3, 5, 1, 2}, true}, // code, term descending, number
        {7, true, {1, 5, 8, 3, 120}, false},
    };
    for (const auto& c : cases) {
        TDataSentakuListCtl ctl;
        ctl.Execute(0, c.kind, c.descending, "");
        SCOPED_TRACE("sort kind " + std::to_string(c.kind) + (c.descending ? " descending" : ""));
        ASSERT_EQ(ctl.RowCount, 120);
        EXPECT_EQ(recs(ctl, c.first.size()), c.first);
        if (c.emptyLastByNumber) {
            for (std::size_t i = 4; i + 1 < ctl.Rows.size(); ++i) {
                EXPECT_TRUE(ctl.Rows[i].Data.ENTTEXT.empty());
                EXPECT_LT(ctl.Rows[i].Data.REC, ctl.Rows[i + 1].Data.REC);
            }
        }
    }

    // Sort kind 5 (folder): named rows by folder, then empty areas by folder.
    sql({"UPDATE DATALIST SET PASNAME='/z/last' WHERE REC=1", "UPDATE DATALIST SET PASNAME='/a/first' WHERE REC=8"});
    TDataSentakuListCtl byFolder;
    byFolder.Execute(0, 5, false, "");
    EXPECT_EQ(recs(byFolder, 2), (std::vector<int> {8, 3}));
    EXPECT_EQ(byFolder.Rows[3].Data.REC, 1);
    EXPECT_TRUE(byFolder.Rows[4].Data.ENTTEXT.empty());

    TDataSentakuListCtl custom;
    custom.Execute(0, 0, false, "ORDER BY NENDO DESC,REC DESC");
    EXPECT_EQ(recs(custom, 3), (std::vector<int> {8, 1, 5}));
    TDataSentakuListCtl none;
    none.Execute(0, 8, false, "");
    EXPECT_EQ(none.RowCount, 120);
    EXPECT_FALSE(dm->IBTransactionDEF.inTransaction()) << "the load commits what it started";
}

TEST_F(DataListRegistry, ExecuteFiltersAndServerListMode)
{
    sql({"UPDATE DATALIST SET KYOYULOCK=1 WHERE REC=3"});
    TDataSentakuListCtl ctl;
    ctl.ListFilter = 1;
    ctl.Execute(1, 1, false, "");
    EXPECT_EQ(recs(ctl, 10), (std::vector<int> {1, 5, 8})) << "named rows not taken by this computer";
    ctl.ConnectKind = 1; // the share filter means nothing with a data server
    ctl.Execute(1, 1, false, "");
    EXPECT_EQ(ctl.RowCount, 4);
    ctl.ListFilter = 2;
    ctl.Execute(0, 3, false, "");
    EXPECT_EQ(ctl.RowCount, 116);
    ctl.ListFilter = 0;
    ctl.NendoFilter = 9;
    ctl.Execute(0, 1, false, "");
    EXPECT_EQ(recs(ctl, 5), (std::vector<int> {1, 8}));

    TDataSentakuListCtl server;
    server.ServerListMode = 1;
    server.Execute(0, 1, false, "");
    EXPECT_EQ(server.RowCount, 0);
}

TEST_F(DataListRegistry, SharedRowsAndTheirChildrenWorkInLocalFolders)
{
    const std::string sysDir = SysDef.SysDir;
    sql({"UPDATE DATALIST SET ENTTEXT='Shared', PASNAME='/srv/S/sv0003', NETDRIVE=1, GASSAN=1 WHERE REC=7",
            "INSERT INTO CHILD_DATALIST (REC, ROWNO, GROUPID, ENTTEXT, PASNAME, NETDRIVE, GASSAN) "
            "VALUES (7, 2, 10000, 'Branch B', '/srv/S/sv0003/002', 1, 10)",
            "INSERT INTO CHILD_DATALIST (REC, ROWNO, GROUPID, ENTTEXT, PASNAME, NETDRIVE, GASSAN) "
            "VALUES (7, 1, 10000, 'Branch A', '/srv/S/sv0003/001', 1, 10)",
            // A shared row registered under its own working folder reads as local.
            "UPDATE DATALIST SET ENTTEXT='Back home', PASNAME=:P0, NETDRIVE=1 WHERE REC=9"},
        {sysDir + "/0009"});
    TDataSentakuListCtl ctl;
    ctl.Execute(0, 1, false, "");
    const TDataSentakuRec& shared = ctl.Rows[6];
    ASSERT_EQ(shared.Data.REC, 7);
    EXPECT_EQ(shared.Data.LocalPath, sysDir + "/0007");
    EXPECT_EQ(shared.Data.NETDRIVE, 1);
    ASSERT_EQ(shared.ChildCount, 2);
    EXPECT_EQ(shared.Children[0].PASNAME, "/srv/S/sv0003/001");
    EXPECT_EQ(shared.Children[0].LocalPath, sysDir + "/0007/001");
    EXPECT_EQ(shared.Children[1].LocalPath, sysDir + "/0007/002");
    EXPECT_EQ(ctl.ChildRowCount, 2);
    EXPECT_EQ(ctl.Rows[8].Data.NETDRIVE, 0);

    TDataListRec byRec;
    byRec.REC = 9;
    ctl.GetDataListRecord(0, byRec, true);
    EXPECT_EQ(byRec.NETDRIVE, 1) << "a single read keeps the stored kind";

    TDataSentakuRec copy = shared;
    TDataSentakuListCtl::NumberChildNames(copy);
    EXPECT_EQ(copy.Children[0].DispName, "01 Branch A");
    EXPECT_EQ(copy.Children[1].DispName, "02 Branch B");
    TDataSentakuListCtl::RemoveChild(copy, 0);
    ASSERT_EQ(copy.ChildCount, 1);
    EXPECT_EQ(copy.Children[0].DispName, "02 Branch B");
    TDataSentakuListCtl::RemoveChild(copy, 0);
    TDataSentakuListCtl::RemoveChild(copy, 0);
    EXPECT_EQ(copy.ChildCount, 0);
    EXPECT_TRUE(copy.Children.empty());
}

TEST_F(DataListRegistry, DeletingKeepsFixedAreasAndRenumberingClosesGaps)
{
    TDataSentakuListCtl standAlone;
    TDataListRec rec;
    standAlone.InitDataListRecord(rec, "/data/extra");
    EXPECT_TRUE(standAlone.InsertDataListRecord(rec, true));
    EXPECT_FALSE(value("DATALIST", "REC", "REC=121")) << "stand-alone adds no rows";

    TDataSentakuListCtl ctl;
    ctl.ConnectKind = 1;
    for (const char* path : {"/data/extra1", "/data/extra2", "/data/extra3"}) {
        TDataListRec added;
        ctl.InitDataListRecord(added, path);
        added.ENTTEXT = path + 6;
        ASSERT_TRUE(ctl.InsertDataListRecord(added, true));
    }
    EXPECT_EQ(value("DATALIST", "PASNAME", "REC=123"), "/data/extra3");
    EXPECT_EQ(ctl.GetDataFolderName(1), 124);
    EXPECT_TRUE(ctl.IsDataPathToroku("/data/extra2"));
    EXPECT_FALSE(ctl.IsDataPathToroku("/data/EXTRA2"));

    TDataListRec fixed;
    fixed.REC = 5;
    ctl.GetDataListRecord(0, fixed, true);
    ASSERT_FALSE(fixed.PASNAME.empty());
    EXPECT_TRUE(ctl.DeleteDataListRecord(fixed, true));
    EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=5"), "Aoba") << "a fixed area is never deleted";

    TDataListRec added;
    added.REC = 121;
    ctl.GetDataListRecord(0, added, true);
    EXPECT_TRUE(ctl.DeleteDataListRecord(added, true));
    EXPECT_FALSE(value("DATALIST", "REC", "REC=121"));
    ctl.RenumberAddedRows();
    EXPECT_EQ(value("DATALIST", "PASNAME", "REC=121"), "/data/extra2");
    EXPECT_EQ(value("DATALIST", "PASNAME", "REC=122"), "/data/extra3");
    EXPECT_FALSE(value("DATALIST", "REC", "REC=123"));

    TDataListRec blank;
    ctl.InitDataListRecord(blank, "　 ");
    EXPECT_FALSE(ctl.InsertDataListRecord(blank, true)) << "full-width blanks are no path";
}

TEST_F(DataListRegistry, AddedRowsOfADataPlaceAreRenumberedInThatPlaceOnly)
{
    // Place 3 holds its own 120 fixed rows; the standard list gets one added row.
    sql({"INSERT INTO DATALIST_EX (DATAPLACEREC, REC, GROUPID, PASNAME) "
         "SELECT 3, REC, GROUPID, PASNAME || '-p3' FROM DATALIST",
        "INSERT INTO DATALIST (REC, GROUPID, PASNAME) VALUES (121, 10000, '/data/standard')"});
    TDataSentakuListCtl ctl;
    ctl.ConnectKind = 1;
    ctl.SetDataPlace(3);
    for (const char* path : {"/p3/extra1", "/p3/extra2", "/p3/extra3"}) {
        TDataListRec added;
        ctl.InitDataListRecord(added, path);
        ASSERT_TRUE(ctl.InsertDataListRecord(added, true));
    }
    EXPECT_EQ(value("DATALIST_EX", "PASNAME", "DATAPLACEREC=3 AND REC=123"), "/p3/extra3");
    EXPECT_TRUE(ctl.IsDataPathToroku("/p3/extra2"));
    EXPECT_FALSE(ctl.IsDataPathToroku("/data/standard"));
    EXPECT_EQ(ctl.FindRecByPasName("/p3/extra2"), 122);

    TDataListRec first;
    first.REC = 121;
    ctl.GetDataListRecord(0, first, true);
    ASSERT_EQ(first.PASNAME, "/p3/extra1");
    EXPECT_TRUE(ctl.DeleteDataListRecord(first, true));
    ctl.RenumberAddedRows();
    EXPECT_EQ(value("DATALIST_EX", "PASNAME", "DATAPLACEREC=3 AND REC=121"), "/p3/extra2");
    EXPECT_EQ(value("DATALIST_EX", "PASNAME", "DATAPLACEREC=3 AND REC=122"), "/p3/extra3");
    EXPECT_FALSE(value("DATALIST_EX", "REC", "DATAPLACEREC=3 AND REC=123"));
    EXPECT_EQ(value("DATALIST", "PASNAME", "REC=121"), "/data/standard") << "the standard list is another place's";
}

TEST_F(DataListRegistry, WritesInsideTheCallersTransactionCommitRetaining)
{
    Transaction& t = dm->IBTransactionDEF;
    t.startTransaction();
    TDataSentakuListCtl ctl;
    ctl.ConnectKind = 1;
    TDataListRec rec;
    rec.REC = 3;
    ctl.GetDataListRecord(0, rec, true);
    rec.ENTTEXT = "Renamed";
    ASSERT_TRUE(ctl.UpdateDataListRecord(rec, 0, true));
    EXPECT_TRUE(t.inTransaction()) << "the caller's transaction stays open";
    EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=3"), "Renamed") << "and the change is durable";

    TDataListRec added;
    ctl.InitDataListRecord(added, "/data/more");
    ASSERT_TRUE(ctl.InsertDataListRecord(added, true));
    EXPECT_EQ(added.REC, 121);
    EXPECT_TRUE(t.inTransaction());
    EXPECT_EQ(value("DATALIST", "PASNAME", "REC=121"), "/data/more");
    ASSERT_TRUE(ctl.DeleteDataListRecord(added, true));
    EXPECT_TRUE(t.inTransaction());
    EXPECT_FALSE(value("DATALIST", "REC", "REC=121"));
    t.commit();

    // Without a caller's transaction the write starts and ends its own.
    rec.ENTTEXT = "Again";
    ASSERT_TRUE(ctl.UpdateDataListRecord(rec, 0, true));
    EXPECT_FALSE(t.inTransaction());
}

TEST_F(DataListRegistry, ServerKindNeverOverwritesARowNowOfAnotherFolderAndEmptiedAreasLoseChildren)
{
    TDataSentakuListCtl ctl;
    ctl.ConnectKind = 1;
    TDataListRec rec;
    rec.REC = 3;
    ctl.GetDataListRecord(0, rec, true);
    const std::string stored = rec.PASNAME;
    const std::string name = value("DATALIST", "ENTTEXT", "REC=3").value_or("<none>");
    ASSERT_FALSE(stored.empty());

    struct Case {
        const char* what;
        std::int32_t recNo;
        std::string path;
    };
    const Case cases[] = {
        {"the number is another folder's now", 3, "/data/moved-away"},
        {"the number is not registered", 999, stored},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TDataListRec stale = rec;
        stale.REC = c.recNo;
        stale.PASNAME = c.path;
        stale.ENTTEXT = "Overwritten";
        EXPECT_TRUE(ctl.UpdateDataListRecord(stale, 0, true)) << "reported as done";
        EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=3"), name);
        EXPECT_EQ(value("DATALIST", "PASNAME", "REC=3"), stored);
        EXPECT_FALSE(value("DATALIST", "REC", "REC=999"));
    }
    EXPECT_FALSE(dm->IBTransactionDEF.inTransaction());

    // Stand-alone: an area written back empty loses its children.
    sql({"UPDATE DATALIST SET GASSAN=1 WHERE REC=3",
            "INSERT INTO CHILD_DATALIST (REC, ROWNO, GROUPID, ENTTEXT, PASNAME, GASSAN) "
            "VALUES (3, 1, 10000, 'Child', :P0, 10)"},
        {stored + "/001"});
    TDataSentakuListCtl standAlone;
    TDataListRec emptied;
    standAlone.InitDataListRecord(emptied, stored);
    emptied.REC = 3;
    ASSERT_TRUE(standAlone.UpdateDataListRecord(emptied, 0, true));
    EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=3"), "");
    EXPECT_EQ(value("CHILD_DATALIST", "COUNT(*)", "REC=3"), "0");
}

TEST(DataListLoginCode, OperatorCodeReducesByGroupAndGroupZeroByTenThousand)
{
    struct Case {
        int opCode, group, login;
    };
    const Case cases[] = {{10001, 1, 1}, {20007, 2, 7}, {30012, 3, 12}, {5, 0, 5}, {10005, 0, 5}, {0, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(LoginCodeOf(c.opCode, c.group), c.login) << c.opCode << " in group " << c.group;
}

TEST_F(DataListRegistry, FillingFromFactsAppliesLockShareAndNameRules)
{
    TDataSentakuListCtl ctl;
    TDataInfomationRec info;
    TDataInfomation::ClearDataInfoRec(info);
    info.SHOUGOU = "株式会社青葉";
    info.KISHU = "2024/04/01";
    info.KIMATU = "not a date";
    info.STATUS = 3;
    info.OPCODE = SysDef.GroupID * 10000 + 7;
    info.SHARE_STATUS = 2;
    info.SHARE_OPCODE = SysDef.OpCode;
    info.VERSION1_MAJOR = 13;

    TDataListRec rec;
    ctl.InitDataListRecord(rec, "/srv/S/sv0001");
    rec.REC = 4;
    rec.NETDRIVE = 1;
    rec.ENTTEXT = kFreeAreaName;
    ctl.SetDataListRecordFromInfo(info, rec);
    EXPECT_EQ(rec.REC, 4);
    EXPECT_EQ(rec.PASNAME, "/srv/S/sv0001");
    EXPECT_EQ(rec.ENTTEXT, "株式会社青葉") << "an unnamed shared area takes the company name";
    EXPECT_EQ(rec.DispName, rec.ENTTEXT);
    EXPECT_EQ(rec.KISHU, EncodeRegDate(2024, 4, 1));
    EXPECT_EQ(rec.KIMATU, 0);
    EXPECT_EQ(rec.DATALOCK, 7);
    EXPECT_EQ(rec.KYOYULOCK, 1);
    EXPECT_EQ(rec.VER_MAJOR, 13);
    EXPECT_EQ(rec.LocalPath, SysDef.SysDir + "/0004");

    info.DATALISTNAME = "青葉 第3期";
    SysDef.GroupID = 0; // no group: the lock holder is the code modulo 10000
    info.OPCODE = 20003;
    info.SHARE_OPCODE = 99;
    TDataListRec child;
    ctl.InitDataListRecord(child, "/data/0002/001");
    child.ROWNO = 1;
    ctl.SetDataListRecordFromInfo(info, child);
    EXPECT_EQ(child.GASSAN, 10);
    EXPECT_EQ(child.DATALOCK, 3);
    EXPECT_EQ(child.ENTTEXT, "青葉 第3期");
    EXPECT_EQ(child.KYOYULOCK, 0) << "the share mark is another operator's now";
}

TEST_F(DataListRegistry, LookUpsByPath)
{
    TDataSentakuListCtl ctl;
    EXPECT_EQ(ctl.GetRecOfPath(company.folder), company.rec);
    EXPECT_EQ(ctl.GetRecOfPath(" "), 0);
    EXPECT_EQ(ctl.GetRecOfPath("/nowhere/x"), 0);
    ctl.ConnectKind = 1;
    EXPECT_EQ(ctl.GetRecOfPath(company.folder), company.rec);
    EXPECT_EQ(ctl.FindRecByPasName(company.folder), company.rec);
    EXPECT_EQ(ctl.FindRecByPasName("/nowhere"), 0);

    TDataSentakuRec none;
    EXPECT_FALSE(ctl.GetDataListRecordByPath("/nowhere/else", none));
    EXPECT_EQ(none.Data.REC, 0);
}

TEST(DataListStatusNames, EveryStatusHasItsName)
{
    const std::pair<int, const char*> cases[] = {
        {0, "－"},
        {1, "－"},
        {2, "使用中"},
        {3, "データロック中"},
        {4, "保存中"},
        {5, "復元中"},
        {6, "コピー中"},
        {7, "貼り付け中"},
        {8, "削除中"},
        {9, "新規作成中"},
        {10, "破損"},
        {11, "状態不明"},
        {-1, "状態不明"},
    };
    for (const auto& [status, name] : cases)
        EXPECT_EQ(TDataSentakuListCtl::GetDataStatusName(status), name) << status;
}
