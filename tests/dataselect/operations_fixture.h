#pragma once
// The row operations of the data-selection screen on a sample root with
// mixed rows: the list loaded as the screen loads it, an operator with the
// right to every data set, and helpers to look at rows and messages.

#include "mixed_rows_fixture.h"

#include "accounting/OpenCompanyTables.h"
#include "support/scripted_messages.h"

#include <memory>

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

    std::unique_ptr<TDataSentakuModel> list;
};
