// The file and folder choice dialogs: the folder history in its ini file
// (eight most recent, no duplicates), the initial folder, the file-name
// check, the folder browser through core's hook, history delete and the
// restore-source choice.

#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "controls/z5FileOperationDlg.h"
#include "core/PlatformUtil.h"
#include "core/uAccRecord.h"
#include "platform/ini_file.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <filesystem>
#include <functional>

namespace {

class FileDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        for (int i = 1; i <= 9; ++i)
            std::filesystem::create_directories(folder(i).toStdString());
    }
    void TearDown() override { ResetProcessState(); }

    QString folder(int i) const { return QString::fromStdString(dir.path() + "/保存" + std::to_string(i)); }
    void configure(TFileOperationBox& box, int kind = 2)
    {
        box.FileKind = kind;
        box.UseHistory = true;
        box.HistoryFolder = QString::fromStdString(dir.path());
        box.HistoryFile = QStringLiteral("history.ini");
        box.HistorySection = QStringLiteral("BACKUP");
    }
    std::string historyText() { return ReadIniSection(dir.path() + "/history.ini", "BACKUP"); }
    int run(TFileOperationBox& box, std::function<void(TFileOperationBox&)> step)
    {
        QTimer::singleShot(0, &box, [&box, step] { step(box); });
        return box.ShowModal();
    }

    test_support::TempDir dir;
};

TEST_F(FileDialog, HistoryKeepsTheEightMostRecentWithoutDuplicates)
{
    for (int i = 1; i <= 9; ++i) {
        TFileOperationBox box;
        configure(box);
        box.InitDialog(true);
        box.PutFolder(folder(i));
        EXPECT_EQ(run(box, [](TFileOperationBox& b) { b.btnOK->Click(); }), modal::Ok);
        EXPECT_EQ(box.ResultPath, folder(i));
    }
    std::string expected;
    for (int i = 9, n = 1; i >= 2; --i, ++n)
        expected += "HIST" + std::to_string(n) + "=" + folder(i).toStdString() + "\r\n";
    EXPECT_EQ(historyText(), expected);

    TFileOperationBox again;
    configure(again);
    again.InitDialog(true);
    ASSERT_EQ(again.Folders().size(), 8);
    again.PutFolder(folder(5));
    run(again, [](TFileOperationBox& b) { b.btnOK->Click(); });
    TFileOperationBox check;
    configure(check);
    check.InitDialog(true);
    EXPECT_EQ(check.Folders().size(), 8) << "no duplicate";
    EXPECT_EQ(check.Folders().front(), folder(5));
    EXPECT_EQ(check.Folders().at(1), folder(9));
}

TEST_F(FileDialog, InitialFolderIsListedLastOrAlone)
{
    TFileOperationBox alone;
    configure(alone);
    alone.InitialFolder = folder(1);
    alone.InitDialog(true);
    EXPECT_EQ(alone.Folders(), QStringList {folder(1)});
    EXPECT_EQ(alone.SelectedFolder(), folder(1));

    WriteIniSection(dir.path() + "/history.ini", "BACKUP",
        {"HIST1=" + folder(2).toStdString(), "HIST2=" + folder(3).toStdString()});
    TFileOperationBox listed;
    configure(listed);
    listed.InitialFolder = folder(1);
    listed.InitDialog(true);
    EXPECT_EQ(listed.Folders(), (QStringList {folder(2), folder(3), folder(1)}));
    EXPECT_EQ(listed.SelectedFolder(), folder(2));
}

TEST_F(FileDialog, FileKindNeedsAFileName)
{
    ScriptedMessages messages;
    TFileOperationBox box;
    configure(box, 1);
    box.InitialFolder = folder(1);
    box.InitDialog(true);
    const int result = run(box, [](TFileOperationBox& b) {
        b.txtFileName->setText(QStringLiteral("　 "));
        b.btnOK->Click();
        EXPECT_TRUE(b.isVisible());
        b.txtFileName->setText(QStringLiteral(" 決算.fbk "));
        b.btnOK->Click();
    });
    EXPECT_EQ(result, modal::Ok);
    EXPECT_EQ(box.ResultPath, folder(1) + QStringLiteral("/決算.fbk"));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.firstLine(0), "ファイル名を入力または[参照]ボタンより選択して下さい。\r");
}

TEST_F(FileDialog, BrowseGoesThroughCoresFolderHook)
{
    std::string started;
    const QString picked = folder(7);
    const auto previous = SetFolderDialogHooks(
        {[&](const std::string& title, const std::string& initial, const std::string&) -> std::optional<std::string> {
             started = title + "|" + initial;
             return picked.toStdString();
         },
            nullptr});
    TFileOperationBox box;
    configure(box);
    box.InitialFolder = folder(1);
    box.InitDialog(true);
    box.btnSansyo->Click();
    EXPECT_EQ(started, "フォルダの選択|" + folder(1).toStdString());
    EXPECT_EQ(box.Folders().front(), picked);
    EXPECT_EQ(box.SelectedFolder(), picked);
    SetFolderDialogHooks(previous);
}

TEST_F(FileDialog, HistoryDeleteAsksFirst)
{
    WriteIniSection(dir.path() + "/history.ini", "BACKUP",
        {"HIST1=" + folder(2).toStdString(), "HIST2=" + folder(3).toStdString()});
    TFileOperationBox box;
    configure(box);
    box.InitDialog(true);
    {
        ScriptedMessages cancel({modal::Cancel});
        box.btnHistDelete->Click();
        EXPECT_EQ(cancel.firstLine(0), "履歴を削除します。よろしいですか？");
    }
    EXPECT_EQ(box.Folders().size(), 2);
    {
        ScriptedMessages ok({modal::Ok});
        box.btnHistDelete->Click();
    }
    EXPECT_EQ(box.Folders(), QStringList {folder(2)});
    EXPECT_EQ(historyText(), "HIST1=" + folder(2).toStdString() + "\r\n");
}

TEST_F(FileDialog, RestoreFromTheDefaultPlaceSkipsEveryCheck)
{
    TFileOperationBoxEx1 box;
    configure(box, 0);
    box.ResultPath = QStringLiteral("unchanged");
    box.InitDialog(true);
    box.SetSelectKind(2);
    EXPECT_FALSE(box.cmbFileSelect->isEnabled());
    EXPECT_FALSE(box.txtFileName->isEnabled());
    EXPECT_EQ(run(box, [](TFileOperationBox& b) { b.btnOK->Click(); }), modal::Ok);
    EXPECT_EQ(box.SelectKind, 2);
    EXPECT_EQ(box.ResultPath, QStringLiteral("unchanged"));
    box.SetSelectKind(1);
    EXPECT_TRUE(box.cmbFileSelect->isEnabled());
}

} // namespace
