// New data, distributed data and deleting data sets on the data list of a
// sample root with mixed rows.

#include "dataselect/z5DataRowOps.h"

#include "operations_fixture.h"

#include "accounting/OpenCompanyTables.h"
#include "controls/ProcRegistry.h"
#include "support/scripted_messages.h"

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

class RowOps : public DataOperationsTest {
protected:
    void SetUp() override
    {
        DataOperationsTest::SetUp();
        ops = std::make_unique<TDataRowOps>(*list);
    }
    void TearDown() override
    {
        ops.reset();
        DataOperationsTest::TearDown();
    }

    std::unique_ptr<TDataRowOps> ops;
};

} // namespace

TEST_F(RowOps, DeleteNeedsTheAgreeTickAndEmptiesTheRow)
{
    ScriptedMessages messages({ScriptedMessages::Answer {modal::Ok, 0}});
    EXPECT_FALSE(ops->DeleteData(row(3), true));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].caption, "データの削除");
    EXPECT_EQ(messages.shown()[0].agreeCaption, "データの削除に同意します");
    EXPECT_TRUE(fs::exists(folderOf(3) + "/tnacc.fdb"));

    messages.clear();
    messages.push(ScriptedMessages::Answer {modal::Ok, 1});
    EXPECT_TRUE(ops->DeleteData(row(3), true)) << allText(messages);
    EXPECT_EQ(messages.count(), 1u) << allText(messages);
    EXPECT_FALSE(fs::exists(folderOf(3)));
    EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=3"), "");
    EXPECT_EQ(value("DATALIST", "PASNAME", "REC=3"), folderOf(3)) << "the emptied row keeps its folder";
}

TEST_F(RowOps, DeletingTheCurrentDataIsRefused)
{
    SysDef.DataDir = folderOf(3);
    ScriptedMessages messages;
    EXPECT_FALSE(ops->DeleteData(row(3), true));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "このデータは前回起動データのため削除は行えません。");
    EXPECT_TRUE(fs::exists(folderOf(3) + "/tnacc.fdb"));
}

TEST_F(RowOps, NewDataWithoutTheNewDataProcessLeavesNothingBehind)
{
    // As the program runs: processes start through the registry, which
    // knows no new-data process.
    OnExecProc = [](const std::string& id, std::uint8_t modal, const std::string& params) {
        return ExecProc(id, modal, params);
    };
    ASSERT_FALSE(fs::exists(folderOf(10)));
    ScriptedMessages messages;
    EXPECT_NE(ops->NewData(row(10), 0), 1);
    EXPECT_GE(messages.count(), 1u) << "the registry says it cannot start the process";
    EXPECT_FALSE(fs::exists(folderOf(10))) << "the folder made for the new data went again";

    // An existing empty folder stays, without the creating status.
    fs::create_directories(folderOf(11));
    messages.clear();
    EXPECT_NE(ops->NewData(row(11), 0), 1);
    EXPECT_TRUE(fs::exists(folderOf(11)));
    EXPECT_EQ(platform::IniFile(TDataInfomation::IniPath(folderOf(11))).readString("DATASTS", "STATUS", "1"), "1");
}

TEST_F(RowOps, DistributedDataStopsAtNinetyNineChildren)
{
    std::vector<std::string> rows = {"UPDATE DATALIST SET GASSAN=1 WHERE REC=3"};
    for (int i = 1; i <= 99; ++i)
        rows.push_back("INSERT INTO CHILD_DATALIST(REC, ROWNO, GROUPID, ENTTEXT, PASNAME, GASSAN) VALUES(3, "
            + std::to_string(i) + ", " + std::to_string(SysDef.GroupID) + ", 'c', '" + folderOf(3) + "/"
            + std::to_string(100 + i) + "', 10)");
    sql(rows);
    list->LoadDataList();
    ScriptedMessages messages;
    EXPECT_FALSE(ops->AddDistributedData(row(3)));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "これ以上の分散データの追加は行えません。(最大99件)\r");
}

// F5 and F3 on the real screen.
#include "core/DataModuleSysDef.h"
#include "dataselect/gui/DataSentakuBox.h"

#include <QTableWidget>
#include <QTest>

TEST_F(RowOps, FunctionKeysDeleteAndStartNewDataOnTheScreen)
{
    OnExecProc = [](const std::string& id, std::uint8_t modal, const std::string& params) {
        return ExecProc(id, modal, params);
    };
    ScriptedMessages messages({ScriptedMessages::Answer {modal::Ok, 1}});
    TDataSentakuBox screen;
    showScreenForOperations(screen);
    screen.Grid()->setCurrentCell(screen.Model().FindRowOfFolder(folderOf(3)), 0);
    QTest::keyClick(screen.Grid(), Qt::Key_F5);
    EXPECT_FALSE(fs::exists(folderOf(3))) << allText(messages);
    EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=3"), "");

    messages.clear();
    screen.Grid()->setCurrentCell(screen.Model().FindRowOfFolder(folderOf(10)), 0);
    EXPECT_EQ(screen.Keys().Captions[fkey::F3], "F3:新規作成");
    QTest::keyClick(screen.Grid(), Qt::Key_F3);
    EXPECT_GE(messages.count(), 1u);
    EXPECT_FALSE(fs::exists(folderOf(10)));
    screen.close();
}
