#pragma once
// The row operations of the data-selection screen on a sample root with
// mixed rows: the list loaded as the screen loads it, an operator with the
// right to every data set, and helpers to look at rows and messages.

#include "mixed_rows_fixture.h"

#include "accounting/OpenCompanyTables.h"
#include "core/DataModuleSysDef.h"
#include "dataselect/z5GassanSyori.h"
#include "dataselect/gui/DataSentakuBox.h"
#include "support/scripted_messages.h"

#include <QTableWidget>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

// The bytes of a file ("" when it cannot be read).
inline std::string fileContents(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Shows the screen in processing type 0 as after a login (the operator's
// settings read, the data folder kept), with the focus in the grid.
inline void showScreenForOperations(TDataSentakuBox& screen)
{
    const std::string chosen = SysDef.DataDir;
    ASSERT_TRUE(core::fnGetSysDef());
    SysDef.DataDir = chosen;
    screen.SetParams({"SyoriType=0"});
    screen.PrepareShow();
    screen.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
    screen.Grid()->setFocus();
}

// Every message shown, as text (for failure output).
inline std::string allText(const ScriptedMessages& m)
{
    std::string s;
    for (const auto& r : m.shown())
        s += core::messageAsText(r);
    return s;
}

class DataOperationsTest : public DataSelectionList {
protected:
    void SetUp() override
    {
        DataSelectionList::SetUp();
        InstallOpenCompanyTables();
        SysDef.JobLevel = 9; // an operator with the right to every data set
        list = std::make_unique<TDataSentakuModel>();
        list->ConnectKind = 0;
        list->LoadDataList();
    }
    void TearDown() override
    {
        list.reset();
        OnExecProc = nullptr;
        DataSelectionList::TearDown();
    }

    std::int32_t row(int rec) { return list->FindRowOfFolder(folderOf(rec)); }
    std::string status(int rec)
    {
        return platform::IniFile(TDataInfomation::IniPath(folderOf(rec))).readString("DATASTS", "STATUS", "1");
    }

    // Makes row rec a consolidated data set with one distributed child.
    void makeConsolidated(int rec)
    {
        TGassanDataCtl ctl;
        ctl.SetDataFolder(folderOf(rec));
        ctl.SetGassanSetting(1, 1);
        const std::string child = folderOf(rec) + "/001";
        std::filesystem::create_directories(child);
        std::filesystem::copy_file(folderOf(rec) + "/tnacc.fdb", child + "/tnacc.fdb");
        sql({"UPDATE DATALIST SET GASSAN=1 WHERE REC=" + std::to_string(rec),
                "INSERT INTO CHILD_DATALIST(REC, ROWNO, GROUPID, ENTTEXT, PASNAME, GASSAN) VALUES("
                    + std::to_string(rec) + ", 1, " + std::to_string(SysDef.GroupID) + ", '分散', :P0, 10)"},
            {child});
        list->LoadDataList();
    }

    std::unique_ptr<TDataSentakuModel> list;
};
