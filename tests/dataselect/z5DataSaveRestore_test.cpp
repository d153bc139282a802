// Saving and restoring data sets of the data list on a sample root with
// mixed rows: a backup with its information block, a restore onto an empty
// row, and failing backups and restores that must leave the previous
// backup, the source and the target usable.

#include "dataselect/z5DataSaveRestore.h"

#include "operations_fixture.h"

#include "accounting/OpenCompanyTables.h"
#include "core/BackupRestoreThread.h"
#include "dataselect/z5CloudShareComm.h"
#include "dataselect/z5ComCloudShare.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace fs = std::filesystem;

namespace {

class SaveRestore : public DataOperationsTest {
protected:
    void SetUp() override
    {
        DataOperationsTest::SetUp();
        // Asking the engine who uses a database takes its administrator.
        SysDef.DBUser = "SYSDBA";
        checks = std::make_unique<TDataCopyPaste>(*list);
        ops = std::make_unique<TDataSaveRestore>(*list, *checks);
        fs::create_directories(SysDef.WorkDir);
    }
    void TearDown() override
    {
        ops.reset();
        checks.reset();
        DataOperationsTest::TearDown();
    }
    TDataInfomationRec facts(const std::string& folder)
    {
        TDataInfomation info;
        TDataInfomationRec r;
        EXPECT_EQ(info.ReadDataInfoRec(folder, r), 1) << folder;
        return r;
    }

    test_support::TempFolder stick {"miruza-backup"};
    std::unique_ptr<TDataCopyPaste> checks;
    std::unique_ptr<TDataSaveRestore> ops;
};

} // namespace

TEST_F(SaveRestore, SavedBackupCarriesTheInformationBlockAndRestoresOntoAnEmptyRow)
{
    registry_fixture::execOn(folderOf(2) + "/tnacc.fdb", "UPDATE ACCDEF1 SET CLOUD_LINE=5");
    ScriptedMessages messages;
    ASSERT_EQ(ops->SaveData(row(2), stick.path()), 1) << allText(messages);
    const std::string backup = stick.file("tnacc.fbk");
    ASSERT_TRUE(fs::exists(backup));
    EXPECT_FALSE(fs::exists(stick.file(kBackupPartName)));
    EXPECT_EQ(status(2), "1");
    const TDataInfomationRec source = facts(folderOf(2));
    TBackupRestoreThread reader(true);
    ASSERT_TRUE(reader.ReadBackupInfo(backup, false));
    EXPECT_EQ(reader.Shougou, source.SHOUGOU);
    EXPECT_EQ(reader.Kishu, source.KISHU);
    EXPECT_EQ(reader.TotalSiwake, source.TOTALSIWAKE);

    // Onto an empty row: no comparison, the restored data opens.
    ASSERT_EQ(ops->RestoreData(row(10), stick.path()), 1) << allText(messages);
    EXPECT_EQ(messages.count(), 0u) << allText(messages);
    const TDataInfomationRec restored = facts(folderOf(10));
    EXPECT_EQ(restored.SHOUGOU, source.SHOUGOU);
    EXPECT_EQ(restored.TOTALSIWAKE, source.TOTALSIWAKE);
    EXPECT_EQ(status(10), "1");
    EXPECT_FALSE(fs::exists(RestoreSideFolder(folderOf(10))));
    EXPECT_EQ(value("DATALIST", "SHOUGOU", "REC=10"), source.SHOUGOU);
    EXPECT_TRUE(fs::exists(backup)) << "the backup stays where it was";
    EXPECT_EQ(TCloudShareIO().GetCloudLine("", folderOf(10)), 0) << "the restored data uses no cloud area";
}

TEST_F(SaveRestore, AFailedBackupKeepsThePreviousOneAndTheSource)
{
    std::ofstream(stick.file("tnacc.fbk"), std::ios::binary) << "the previous backup";
    ScriptedMessages messages;
    ops->PrepareWorker = [](TBackupRestoreThread& w) { w.DataPath = "/nonexistent/miruza/tnacc.fdb"; };
    EXPECT_EQ(ops->SaveData(row(2), stick.path()), -1);
    EXPECT_EQ(messages.count(), 2u) << allText(messages); // the service's report and the worker's texts
    EXPECT_EQ(fileContents(stick.file("tnacc.fbk")), "the previous backup");
    EXPECT_FALSE(fs::exists(stick.file(kBackupPartName)));
    EXPECT_EQ(status(2), "1");
    facts(folderOf(2));
}

TEST_F(SaveRestore, AFailedRestoreLeavesTheTargetUsable)
{
    ScriptedMessages messages;
    ASSERT_EQ(ops->SaveData(row(2), stick.path()), 1) << allText(messages);
    TDataInfomation info;
    TDataInfomationRec mark = facts(folderOf(3));
    mark.DATALISTNAME = "復元前のデータ";
    ASSERT_TRUE(info.UpdateDataInfomation("", folderOf(3), mark));
    messages.clear();
    // The work copy of the backup is damaged before the worker reads it.
    ops->PrepareWorker = [](TBackupRestoreThread& w) {
        if (w.Mode == 1)
            std::ofstream(w.BackupFile, std::ios::binary | std::ios::trunc) << "not a backup";
    };
    EXPECT_EQ(ops->RestoreData(row(3), stick.path()), -1);
    ASSERT_GE(messages.count(), 1u);
    EXPECT_NE(allText(messages).find("データベースのリストアに失敗しました。"), std::string::npos) << allText(messages);
    EXPECT_EQ(facts(folderOf(3)).DATALISTNAME, "復元前のデータ");
    EXPECT_EQ(status(3), "1");
    EXPECT_FALSE(fs::exists(RestoreSideFolder(folderOf(3))));
    EXPECT_TRUE(fs::exists(stick.file("tnacc.fbk"))) << "the backup itself is untouched";

    // The same backup still restores whole.
    messages.clear();
    ops->PrepareWorker = nullptr;
    messages.push(ScriptedMessages::Answer {modal::Ok, 1}); // agree to the differences, if any
    ASSERT_EQ(ops->RestoreData(row(3), stick.path()), 1) << allText(messages);
    EXPECT_EQ(facts(folderOf(3)).SHOUGOU, facts(folderOf(2)).SHOUGOU);
    EXPECT_EQ(facts(folderOf(3)).TOTALSIWAKE, facts(folderOf(2)).TOTALSIWAKE);
}

// Cloud-share data is saved only after its newest data was received.
TEST_F(SaveRestore, CloudDataIsReceivedBeforeItIsSaved)
{
    list->CloudShareEnabled = true;
    list->Record(row(2)).CLOUD = 1;
    ScriptedMessages messages;
    const TCloudShareComm before = SetCloudShareComm({});
    EXPECT_EQ(ops->SaveData(row(2), stick.path()), 0);
    EXPECT_NE(allText(messages).find("受信は行えません"), std::string::npos) << allText(messages);
    EXPECT_FALSE(fs::exists(stick.file("tnacc.fbk")));

    TCloudShareComm comm;
    int received = 0;
    comm.ReceiveCopy = [&](const std::string&) {
        ++received;
        return 0;
    };
    comm.Unlock = [](const std::string&) { return 0; };
    SetCloudShareComm(comm);
    messages.clear();
    list->Record(row(2)).CLOUD = 1;
    EXPECT_EQ(ops->SaveData(row(2), stick.path()), 1) << allText(messages);
    EXPECT_EQ(received, 1);
    EXPECT_TRUE(fs::exists(stick.file("tnacc.fbk")));
    SetCloudShareComm(before);
}

// Another company's backup over a consolidated set: the comparison warns
// that the children go, and they go only with a restore that succeeded.
TEST_F(SaveRestore, ChildrenOfAConsolidatedTargetGoOnlyWithASuccessfulRestore)
{
    makeConsolidated(2);
    makeConsolidated(3);
    registry_fixture::execOn(folderOf(3) + "/tnacc.fdb", "UPDATE ACCDEF1 SET SHOUGOU='OTHER CO' WHERE REC=1");
    sql({"UPDATE DATALIST SET SHOUGOU='OTHER CO' WHERE REC=3"});
    list->LoadDataList();
    ScriptedMessages messages;
    ASSERT_EQ(ops->SaveData(row(2), stick.path()), 1) << allText(messages);

    messages.clear();
    messages.push(ScriptedMessages::Answer {modal::Ok, 1});
    ops->PrepareWorker = [](TBackupRestoreThread& w) {
        if (w.Mode == 1)
            std::ofstream(w.BackupFile, std::ios::binary | std::ios::trunc) << "not a backup";
    };
    EXPECT_EQ(ops->RestoreData(row(3), stick.path()), -1);
    ASSERT_GE(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].caption, "データ照合チェックの結果");
    EXPECT_NE(allText(messages).find("注）復元を続行した場合は配下の分散データは削除されます。"), std::string::npos)
        << allText(messages);
    EXPECT_EQ(value("CHILD_DATALIST", "COUNT(*)", "REC=3"), "1");
    EXPECT_TRUE(fs::exists(folderOf(3) + "/001/tnacc.fdb"));
    EXPECT_EQ(facts(folderOf(3)).SHOUGOU, "OTHER CO");

    messages.clear();
    messages.push(ScriptedMessages::Answer {modal::Ok, 1});
    ops->PrepareWorker = nullptr;
    ASSERT_EQ(ops->RestoreData(row(3), stick.path()), 1) << allText(messages);
    EXPECT_EQ(facts(folderOf(3)).SHOUGOU, facts(folderOf(2)).SHOUGOU);
    EXPECT_EQ(value("CHILD_DATALIST", "COUNT(*)", "REC=3"), "0");
    EXPECT_FALSE(fs::exists(folderOf(3) + "/001"));
}

// A row marked damaged is restored without the comparison, after a question.
TEST_F(SaveRestore, ADamagedRowIsRestoredAfterTheQuestion)
{
    ScriptedMessages messages;
    ASSERT_EQ(ops->SaveData(row(2), stick.path()), 1) << allText(messages);
    list->Record(row(3)).DATA_STATUS = 1;
    messages.clear();
    messages.push(modal::Cancel);
    EXPECT_EQ(ops->RestoreData(row(3), stick.path()), -1);
    ASSERT_EQ(messages.count(), 1u) << allText(messages);
    EXPECT_EQ(messages.firstLine(0), "このデータは破損データのため、データ間の照合チェックは行わずに復元を行います。");

    messages.clear();
    messages.push(modal::Ok);
    ASSERT_EQ(ops->RestoreData(row(3), stick.path()), 1) << allText(messages);
    EXPECT_EQ(messages.count(), 1u) << allText(messages);
    EXPECT_EQ(list->Record(row(3)).DATA_STATUS, 0);
    EXPECT_EQ(status(3), "1");
}

TEST_F(SaveRestore, RefusalsBeforeAnythingIsWritten)
{
    ScriptedMessages messages;
    // No backup in the folder.
    EXPECT_EQ(ops->RestoreData(row(3), stick.path()), -1);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0),
        "この場所には、バックアップファイル(" + stick.file("tnacc.fbk") + ")がありませんでした。");
    // A busy row is neither saved nor restored.
    messages.clear();
    EXPECT_EQ(ops->SaveData(row(5), stick.path()), 0);
    EXPECT_EQ(ops->RestoreData(row(5), stick.path()), -1);
    EXPECT_FALSE(fs::exists(stick.file("tnacc.fbk")));
    // The temporary folder is not a place for backups: asked again.
    messages.clear();
    int asked = 0;
    ops->ChooseFolder = [&](bool, bool&) { return ++asked == 1 ? SysDef.WorkDir : std::string(); };
    EXPECT_EQ(ops->SaveData(row(2), ""), 0);
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "このフォルダは選択出来ません。他の場所を選んで下さい。");
    // An existing backup is replaced only when the user agrees.
    std::ofstream(stick.file("tnacc.fbk"), std::ios::binary) << "keep me";
    messages.clear();
    messages.push(modal::Cancel);
    ops->ChooseFolder = [&](bool, bool&) { return stick.path(); };
    EXPECT_EQ(ops->SaveData(row(2), ""), 0);
    EXPECT_EQ(messages.firstLine(0), "この場所には、同じ名前のバックアップファイルが既に存在します。");
    EXPECT_EQ(fileContents(stick.file("tnacc.fbk")), "keep me");
}

// F6 on the real screen: the folder dialog, then the backup.
#include "controls/xPlButton.h"
#include "controls/z5FileOperationDlg.h"
#include "core/DataModuleSysDef.h"
#include "dataselect/gui/DataSentakuBox.h"

#include <QApplication>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

TEST_F(SaveRestore, FunctionKeySixSavesThroughTheFolderDialog)
{
    ScriptedMessages messages;
    SysDef.IniDir = stick.path();
    TDataSentakuBox screen;
    showScreenForOperations(screen);
    screen.Grid()->setCurrentCell(screen.Model().FindRowOfFolder(folderOf(2)), 0);
    const std::string target = stick.path() + "/保存先";
    std::string caption;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<TFileOperationBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle().toStdString();
        box->PutFolder(QString::fromStdString(target));
        box->btnOK->Click();
    });
    QTest::keyClick(screen.Grid(), Qt::Key_F6);
    EXPECT_EQ(caption, "データの保存");
    EXPECT_EQ(messages.count(), 0u) << allText(messages);
    EXPECT_TRUE(fs::exists(target + "/tnacc.fbk"));
    EXPECT_EQ(status(2), "1");
    screen.close();
}

TEST_F(SaveRestore, ProcessingTypeFiveSavesAndRestoresThroughTheTakeOutFolder)
{
    ScriptedMessages messages;
    list->SyoriType = 5;
    list->OnlySABackupPath = stick.path();
    list->SaveToFolder = [this](std::int32_t r, const std::string& f) { return ops->SaveData(r, f); };
    list->RestoreFromFolder = [this](std::int32_t r, const std::string& f) { return ops->RestoreData(r, f); };
    list->OnlySAMode = 0;
    ASSERT_EQ(list->Choose(row(2)), 1) << allText(messages);
    EXPECT_TRUE(fs::exists(stick.file("tnacc.fbk")));
    list->OnlySAMode = 1;
    ASSERT_EQ(list->Choose(row(10)), 1) << allText(messages);
    EXPECT_EQ(facts(folderOf(10)).TOTALSIWAKE, facts(folderOf(2)).TOTALSIWAKE);
    EXPECT_EQ(SysDef.DataDir, folderOf(10));
}
