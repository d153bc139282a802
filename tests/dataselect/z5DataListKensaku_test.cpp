#include "dataselect/z5DataListKensaku.h"

#include "registry_fixture.h"
#include "support/scripted_messages.h"

namespace {
class SearchCondition : public registry_fixture::RegistryTest { };
} // namespace

TEST(SearchConditionMapping, StoredSortColumnsAndDataKinds)
{
    const std::pair<int, int> stored[] = {{0, 0}, {1, 3}, {2, 4}, {3, 5}, {4, 6}, {5, 7}, {6, 1}, {7, 0}};
    for (const auto& [s, screen] : stored)
        EXPECT_EQ(SortColFromStored(s), screen) << s;
    EXPECT_EQ(SortColToStored(2), 0);
    EXPECT_EQ(SortColToStored(1), 6);
    EXPECT_EQ(SortColToStored(7), 5);
    EXPECT_EQ(DataKbnIndexOf(1, 4), 1);
    EXPECT_EQ(DataKbnIndexOf(3, 9), 4);
    EXPECT_EQ(DataKbnIndexOf(2, 2), 3);
    EXPECT_EQ(DataKbnIndexOf(2, 9), 0);
    std::int32_t t = 0, c = 0;
    DataKbnOfIndex(6, t, c);
    EXPECT_EQ(t * 10 + c, 24);
}

TEST_F(SearchCondition, FirstSelectCreatesTheRowAndUpdatesStoreIt)
{
    ScriptedMessages messages;
    TDataKensakuIO io;
    TDataKensakuRec rec;
    ASSERT_TRUE(io.SelectRecord(rec));
    EXPECT_EQ(rec.OpCode, SysDef.OpCode);
    EXPECT_EQ(value("KENSAKUJYOKEN", "JYOKENUSE", "OPCODE=" + std::to_string(SysDef.OpCode)), "0");

    rec.JyokenUse = 1;
    rec.DataType = 3;
    rec.ListName = "医療";
    rec.SortCol = 1;
    rec.SortType = 1;
    ASSERT_TRUE(io.UpdateRecord(rec));
    TDataKensakuRec again;
    ASSERT_TRUE(io.SelectRecord(again));
    EXPECT_EQ(again.DataType, 3);
    EXPECT_EQ(again.ListName, "医療");
    EXPECT_EQ(again.SortCol, 1);
    EXPECT_EQ(value("KENSAKUJYOKEN", "SORTCOL", "OPCODE=" + std::to_string(SysDef.OpCode)), "6");

    again.SortCol = 5;
    again.SortType = 0;
    ASSERT_TRUE(io.UpdateRecordSortField(again));
    EXPECT_EQ(value("KENSAKUJYOKEN", "SORTCOL", "OPCODE=" + std::to_string(SysDef.OpCode)), "3");

    // A condition whose row has gone is stored again rather than lost.
    sql({"DELETE FROM KENSAKUJYOKEN"});
    ASSERT_TRUE(io.UpdateRecord(rec));
    EXPECT_EQ(value("KENSAKUJYOKEN", "DATATYPE", "OPCODE=" + std::to_string(SysDef.OpCode)), "3");
    // So is a sort order.
    sql({"DELETE FROM KENSAKUJYOKEN"});
    ASSERT_TRUE(io.UpdateRecordSortField(again));
    EXPECT_EQ(value("KENSAKUJYOKEN", "SORTCOL", "OPCODE=" + std::to_string(SysDef.OpCode)), "3");
    EXPECT_EQ(value("KENSAKUJYOKEN", "DATANAME", "OPCODE=" + std::to_string(SysDef.OpCode)), "医療");
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(SearchCondition, ErrorsInsideACallersTransactionAreLeftToTheCaller)
{
    TDataKensakuIO io;
    TDataKensakuRec rec;
    io.InitCondition(rec);
    rec.ListName = std::string(60, 'x'); // longer than the column
    ScriptedMessages messages;
    io.Transaction().startTransaction();
    EXPECT_FALSE(io.UpdateRecord(rec));
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_TRUE(io.Transaction().inTransaction()) << "no rollback of the caller's transaction";
    io.Transaction().rollback();
    EXPECT_FALSE(io.UpdateRecord(rec));
    EXPECT_EQ(messages.count(), 1u);
    EXPECT_FALSE(io.Transaction().inTransaction());
}
