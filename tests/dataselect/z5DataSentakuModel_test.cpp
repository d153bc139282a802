// The data-selection list on a sample system database with mixed rows:
// what the wizard's start lists, what choosing each row does, and rows
// brought up to date with their folders.

#include "mixed_rows_fixture.h"

#include "platform/plain_text.h"
#include "support/recorded_progress.h"
#include "support/scripted_messages.h"

#include <filesystem>

namespace fs = std::filesystem;

TEST_F(DataSelectionList, WizardStartListsKindsOneAndThreeOfVersionThirteen)
{
    TDataSentakuModel model;
    startAsWizard(model);
    EXPECT_EQ(model.LoadDataList(), 120);
    EXPECT_EQ(listed(model), (std::vector<int> {1, 2, 5, 6, 7, 8}));
    EXPECT_EQ(model.ColumnText(1, 3), "医療法人 13");
    EXPECT_EQ(model.ColumnText(1, 4), "3 期");
    EXPECT_EQ(model.ColumnText(1, 12), "13.0.0");

    // Without the filter the empty areas are listed too, with "～".
    TDataSentakuModel all;
    all.LoadDataList();
    ASSERT_EQ(all.Grid.size(), 120u);
    EXPECT_EQ(all.ColumnText(9, 5), "～");
    EXPECT_EQ(all.ColumnText(9, 4), "");
}

TEST_F(DataSelectionList, ChoosingEachRowInTheWizardsType)
{
    TDataSentakuModel model;
    startAsWizard(model);
    model.LoadDataList();
    const std::string before = SysDef.DataDir;
    struct Case {
        int rec;
        int result;
        const char* message; // first line of the one message, "" for none
    };
    const Case cases[] = {
        {5, 0,
            "このデータは使用中のため処理が行えません。\r前回、異常終了した場合は情報ボタンを押してデータの状態を回復し"
            "て下さい。"},
        {6, 0, ""},
        {7, 0, ""},
        {8, 0, "このフォルダには財務データがありません。\r"},
        {2, 1, ""},
    };
    for (const auto& c : cases) {
        ScriptedMessages messages;
        SysDef.DataDir = before;
        const std::int32_t row = model.FindRowOfFolder(folderOf(c.rec));
        ASSERT_GE(row, 0) << c.rec;
        EXPECT_EQ(model.Choose(row), c.result) << c.rec;
        if (*c.message) {
            ASSERT_EQ(messages.count(), 1u) << c.rec;
            EXPECT_EQ(messages.firstLine(0), c.message) << c.rec;
        } else {
            EXPECT_EQ(messages.count(), 0u) << c.rec;
        }
        if (c.result == 0) {
            EXPECT_EQ(SysDef.DataDir, before) << c.rec;
            EXPECT_TRUE(model.ChosenFolder.empty());
        }
    }
    // The chosen status-1 row fills the system definition.
    EXPECT_EQ(SysDef.DataDir, folderOf(2));
    EXPECT_EQ(SysDef.DataListPath, folderOf(2));

    // The row whose database vanished was emptied and still has its number
    // and folder, so the registry kept it.
    TDataListRec gone;
    gone.REC = 8;
    model.Registry().GetDataListRecord(0, gone, true);
    EXPECT_EQ(gone.ENTTEXT, "");
    EXPECT_EQ(gone.PASNAME, folderOf(8));
}

TEST_F(DataSelectionList, EmptyRowsAndBlockedRows)
{
    // Forbidding the update marks only data older than the newest step.
    sql({"UPDATE DATALIST SET UPDATE_LOCK=1 WHERE REC IN (2, 4)"});
    ini(2, "DATASTS", "UPDATE_LOCK", "1");
    ini(4, "DATASTS", "UPDATE_LOCK", "1");
    TDataSentakuModel model;
    model.SyoriType = 3;
    model.LoadDataList();
    ScriptedMessages messages;
    // An empty area in the wizard's type: no data there, nothing chosen.
    EXPECT_EQ(model.Choose(model.FindRowOfFolder(folderOf(20))), 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "このフォルダには財務データがありません。\r");

    // A row whose update is forbidden and whose schema is older: refused
    // in type 0, chosen in type 3.
    const std::int32_t blocked = model.FindRowOfFolder(folderOf(9));
    EXPECT_TRUE(model.IsUpdateBlocked(blocked));
    EXPECT_FALSE(model.IsUpdateBlocked(model.FindRowOfFolder(folderOf(1))));
    EXPECT_FALSE(model.IsUpdateBlocked(model.FindRowOfFolder(folderOf(2)))) << "13.0.0 needs no step";
    EXPECT_TRUE(model.IsUpdateBlocked(model.FindRowOfFolder(folderOf(4)))) << "12.9.0 needs 13.0.0";
    messages.clear();
    EXPECT_EQ(model.Choose(blocked), 1);
    EXPECT_EQ(messages.count(), 0u);
    model.SyoriType = 0;
    EXPECT_EQ(model.Choose(blocked), 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "このデータは「データの更新」処理を行うことが禁止されています。");
}

// Choosing a destination (types 2 and 4): not the current data, not a
// place that holds data; an empty place gives both paths. Moving shared
// current data to a local place in type 2 asks first.
TEST_F(DataSelectionList, ChoosingADestination)
{
    struct Case {
        std::uint8_t type;
        int rec;
        bool sharedCurrent;
        int answer; // to the question, 0 none asked
        int result;
        const char* message; // first line of the one message, "" none
    };
    const std::string moving = "更新前データは共有データ領域で管理されています。";
    const Case cases[] = {
        {2, 2, false, 0, 0, "このデータは現在選択中のデータです。\r他の場所を選んで下さい。"},
        {4, 3, false, 0, 0, "選択したパスには既にデータが存在します。\r他の場所を選んで下さい。"},
        {2, 20, false, 0, 1, ""},
        {2, 20, true, modal::Cancel, 0, moving.c_str()},
        {2, 20, true, modal::Ok, 1, moving.c_str()},
        {4, 20, true, 0, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(c.rec) + (c.sharedCurrent ? " shared" : ""));
        TDataSentakuModel model;
        model.SyoriType = c.type;
        model.LoadDataList();
        SysDef.DataDir = folderOf(2);
        SysDef.DataListPath = c.sharedCurrent ? std::string("/srv/share/sv0001") : folderOf(2);
        SysDef.DestinationText = "before";
        ScriptedMessages messages;
        if (c.answer != 0)
            messages.push(c.answer);
        EXPECT_EQ(model.Choose(model.FindRowOfFolder(folderOf(c.rec))), c.result);
        if (*c.message) {
            ASSERT_EQ(messages.count(), 1u);
            EXPECT_EQ(messages.firstLine(0), c.message);
        } else {
            EXPECT_EQ(messages.count(), 0u);
        }
        EXPECT_EQ(SysDef.DestinationText,
            c.result == 1 ? "PATH1=" + folderOf(c.rec) + "\rPATH2=" + folderOf(c.rec) : std::string("before"));
        EXPECT_EQ(SysDef.DataDir, folderOf(2)) << "a destination is not the chosen data";
    }
}

// The take-out's local screen (type 5): a save needs data, cloud-share
// data is not chosen, and a transfer that fails chooses nothing.
TEST_F(DataSelectionList, TakeOutScreenRefusals)
{
    TDataSentakuModel model;
    model.SyoriType = 5;
    model.LoadDataList();
    int transfers = 0;
    int answer = 1;
    auto transfer = [&](std::int32_t, const std::string&) {
        ++transfers;
        return answer;
    };
    model.SaveToFolder = transfer;
    model.RestoreFromFolder = transfer;
    const std::string before = SysDef.DataDir;
    ScriptedMessages messages;

    model.OnlySAMode = 0;
    EXPECT_EQ(model.Choose(model.FindRowOfFolder(folderOf(20))), 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "この場所にはデータがありません。他の場所を選んで下さい。");

    messages.clear();
    model.CloudShareEnabled = true;
    model.Record(model.FindRowOfFolder(folderOf(2))).CLOUD = 1;
    EXPECT_EQ(model.Choose(model.FindRowOfFolder(folderOf(2))), 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "クラウドシェアデータのため選択できません。他の場所を選んで下さい。");
    EXPECT_EQ(transfers, 0);

    messages.clear();
    answer = -1;
    model.OnlySAMode = 1;
    EXPECT_EQ(model.Choose(model.FindRowOfFolder(folderOf(3))), 0);
    EXPECT_EQ(transfers, 1);
    EXPECT_EQ(SysDef.DataDir, before);
    EXPECT_TRUE(model.ChosenFolder.empty());
    answer = 1;
    EXPECT_EQ(model.Choose(model.FindRowOfFolder(folderOf(3))), 1);
    EXPECT_EQ(SysDef.DataDir, folderOf(3));
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(DataSelectionList, RefreshFillsRowsFromTheirFoldersAndKeepsEmptiedRowsStorable)
{
    ScriptedMessages messages;
    TDataSentakuModel model;
    model.LoadDataList();
    // A data set copied into an empty area appears after a refresh.
    fs::create_directories(folderOf(30));
    fs::copy_file(company.database, folderOf(30) + "/tnacc.fdb");
    model.DataListRefreshAll({});
    const std::int32_t row30 = model.FindRowOfFolder(folderOf(30));
    EXPECT_EQ(model.Record(row30).SHOUGOU, company.name);
    EXPECT_EQ(value("DATALIST", "SHOUGOU", "REC=30"), company.name);
    EXPECT_TRUE(fs::exists(folderOf(30) + "/tnacc.ini")) << "the folder's facts are written";

    // Removing it empties the row but keeps its number and folder.
    fs::remove_all(folderOf(30));
    model.DataListRefresh(row30);
    EXPECT_EQ(model.Record(row30).ENTTEXT, "");
    EXPECT_EQ(value("DATALIST", "SHOUGOU", "REC=30"), "");
    EXPECT_EQ(value("DATALIST", "PASNAME", "REC=30"), folderOf(30));
}

TEST_F(DataSelectionList, IncrementalSearchFindsTheNextCodeWithTheTypedBeginning)
{
    sql({"UPDATE DATALIST SET DATACODE='0001' WHERE REC=1", "UPDATE DATALIST SET DATACODE='AB12' WHERE REC=2",
            "UPDATE DATALIST SET DATACODE='ab34' WHERE REC=3", "UPDATE DATALIST SET DATACODE='X-1' WHERE REC=4",
            "UPDATE DATALIST SET DATACODE='AB99' WHERE REC=6"});
    TDataSentakuModel model;
    model.LoadDataList();
    // The column holds ASCII codes; a code read from elsewhere may not.
    model.Record(model.FindRowOfFolder(folderOf(5))).DATACODE = "法人01";
    auto rowOf = [&](int rec) { return rec == 0 ? -1 : model.FindRowOfFolder(folderOf(rec)); };
    struct Case {
        int currentRec; // 0: no current row
        const char* text;
        int foundRec; // 0: nothing found
    };
    const Case cases[] = {
        {1, "AB", 2}, // the next row after the current one
        {2, "AB", 3}, // letters without case
        {3, "ab", 6},
        {6, "AB", 2}, // from the first row again
        {4, "X-1", 4}, // the current row itself comes last
        {1, "法人", 5}, // a code with Japanese text
        {0, "AB", 2},
        {1, "AB12345", 0}, // longer than the code
        {1, "ZZ", 0},
        {1, "", 0},
    };
    for (const Case& c : cases) {
        const std::int32_t found = model.FindByCodePrefix(rowOf(c.currentRec), c.text);
        EXPECT_EQ(found, c.foundRec == 0 ? -1 : rowOf(c.foundRec)) << c.currentRec << " " << c.text;
    }
}

TEST_F(DataSelectionList, RefreshNamesEachRowOnTheProgressWindowAndStopsOnCancel)
{
    ScriptedMessages messages;
    fs::create_directories(folderOf(30));
    fs::copy_file(company.database, folderOf(30) + "/tnacc.fdb");
    TDataSentakuModel model;
    model.LoadDataList();
    RecordedProgress progress;
    int rows = 0;
    model.DataListRefreshAll([&] {
        if (++rows == 3)
            progress.cancelled = true;
    });
    EXPECT_EQ(progress.lines,
        (std::vector<std::string> {
            "データリスト（1行目）の更新中…", "データリスト（2行目）の更新中…", "データリスト（3行目）の更新中…"}));
    EXPECT_EQ(model.Record(model.FindRowOfFolder(folderOf(30))).ENTTEXT, "") << "rows after the cancel stay as read";

    progress.cancelled = false;
    progress.lines.clear();
    model.DataListRefreshAll({});
    EXPECT_EQ(progress.lines.size(), model.Grid.size());
    EXPECT_EQ(progress.lines.back(), "データリスト（" + std::to_string(model.Grid.size()) + "行目）の更新中…");
    EXPECT_EQ(model.Record(model.FindRowOfFolder(folderOf(30))).SHOUGOU, company.name);
}

TEST_F(DataSelectionList, FolderColumnShortensTheDataRootInAnyCase)
{
    TDataSentakuModel model;
    model.LoadDataList();
    const std::int32_t row = model.FindRowOfFolder(folderOf(2));
    const std::string dataRoot = root.info().dataRoot;
    ASSERT_EQ(folderOf(2).rfind(dataRoot, 0), 0u);
    const std::string tail = folderOf(2).substr(dataRoot.size());
    const std::pair<std::string, std::string> cases[] = {
        {dataRoot, "~" + tail},
        {platform::text::upperAscii(dataRoot), "~" + tail},
        {"", folderOf(2)},
        {"/elsewhere", folderOf(2)},
    };
    for (const auto& [given, shown] : cases) {
        SysDef.DataRoot = given;
        EXPECT_EQ(model.ColumnText(row, 6), shown) << given;
    }
}
