// The data-selection screen started as the wizard starts it, under the
// offscreen platform, on a sample root with mixed rows; and a picture of it
// when DATASELECT_SCREENSHOT names the file (run under xvfb-run).

#include "dataselect/gui/DataSentakuBox.h"
#include "dataselect/gui/DataSyosaiInfoBox.h"

#include "mixed_rows_fixture.h"

#include "controls/ProcRegistry.h"
#include "controls/TolvanEdit.h"
#include "controls/xPlButton.h"
#include "core/DataModuleSysDef.h"
#include "support/scripted_messages.h"

#include <QApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

constexpr const char* kWizardStart = "SyoriType=3\rJyokenSet=1\rDataType=-13\rCodeType=0\rDataVerMajor=13";

class DataSelectionScreen : public DataSelectionList {
protected:
    void SetUp() override
    {
        DataSelectionList::SetUp();
        // As after a login: the operator's settings row exists.
        const std::string chosen = SysDef.DataDir;
        ASSERT_TRUE(core::fnGetSysDef());
        SysDef.DataDir = chosen;
        RegisterDataSentakuBox();
    }

    // Runs check on the screen once it shows modally.
    template <typename Check>
    void whenShown(Check check)
    {
        QTimer::singleShot(0, [check] {
            auto* box = qobject_cast<TDataSentakuBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            check(*box);
        });
    }

    static void chooseRowOf(TDataSentakuBox& box, const std::string& folder)
    {
        const int row = box.Model().FindRowOfFolder(folder);
        ASSERT_GE(row, 0) << folder;
        box.Grid()->setCurrentCell(row, 0);
        QTest::keyClick(box.Grid(), Qt::Key_Return);
    }
};

} // namespace

TEST_F(DataSelectionScreen, WizardStartListsTheKeptRowsAndChoosesAStatusOneRow)
{
    ScriptedMessages messages;
    std::vector<int> shown;
    std::vector<std::string> blanks;
    bool searchEnabled = true;
    whenShown([&](TDataSentakuBox& box) {
        for (int r = 0; r < box.Grid()->rowCount(); ++r)
            shown.push_back(box.Grid()->item(r, 0)->text().toInt());
        for (int k = fkey::F1; k <= fkey::F8; ++k)
            if (box.Keys().IsBlank(k))
                blanks.push_back(box.KeyButton(k)->CaptionA().Caption().toStdString());
        searchEnabled = box.SearchButton()->isEnabled() || box.SearchCancelButton()->isEnabled();
        // A refused row keeps the screen open; the status-1 row is chosen.
        chooseRowOf(box, folderOf(5));
        chooseRowOf(box, folderOf(2));
    });
    const int result = ExecProc("QzDataSenkaku", 1, kWizardStart);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 5, 6, 7, 8}));
    EXPECT_EQ(blanks, (std::vector<std::string>{"F1:", "F2:", "F3:", "F4:", "F5:", "F6:", "F7:", "F8:"}));
    EXPECT_FALSE(searchEnabled);
    std::string all;
    for (const auto& m : messages.shown())
        all += core::messageAsText(m);
    ASSERT_EQ(messages.count(), 1u) << all;
    EXPECT_EQ(messages.firstLine(0).substr(0, 27), std::string("このデータは使用中のため").substr(0, 27));
    EXPECT_EQ(SysDef.DataDir, folderOf(2));
    EXPECT_EQ(SysDef.DataListPath, folderOf(2));
}

TEST_F(DataSelectionScreen, EscapeAfterTheStartFolderWasDeletedKeepsTheFolderAndCancels)
{
    SysDef.DataDir = folderOf(2);
    ScriptedMessages messages;
    whenShown([&](TDataSentakuBox& box) {
        std::filesystem::remove(folderOf(2) + "/tnacc.fdb");
        QTest::keyClick(box.Grid(), Qt::Key_Escape);
    });
    EXPECT_EQ(ExecProc("QzDataSenkaku", 1, kWizardStart), 2);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "前回、選択したデータは削除されています。\r");
    EXPECT_EQ(SysDef.DataDir, folderOf(2)) << "the system definition keeps its folder";
}

TEST_F(DataSelectionScreen, ProcessingTypeAboveFiveIsRefused)
{
    TDataSentakuBox box;
    EXPECT_THROW(box.SetParams({"SyoriType=6"}), std::invalid_argument);
}

TEST_F(DataSelectionScreen, WritesPictureWhenAsked)
{
    const QString target = qEnvironmentVariable("DATASELECT_SCREENSHOT");
    if (target.isEmpty())
        GTEST_SKIP() << "set DATASELECT_SCREENSHOT to write the picture";
    SysDef.DataRoot = root.info().dataRoot;
    SysDef.DataDir = folderOf(2);
    TDataSentakuBox box;
    box.SetParams({"SyoriType=3", "JyokenSet=1", "DataType=-13", "CodeType=0", "DataVerMajor=13"});
    box.Execute(0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    box.Grid()->setFocus();
    box.Grid()->setCurrentCell(1, 0);
    QApplication::processEvents();
    ASSERT_TRUE(box.grab().save(target));
    box.close();
}

TEST_F(DataSelectionScreen, InformationButtonRenamesTheRow)
{
    ScriptedMessages messages;
    TDataSentakuBox screen;
    screen.SetParams({"SyoriType=3", "JyokenSet=1", "DataType=-13", "CodeType=0", "DataVerMajor=13"});
    screen.PrepareShow();
    screen.Grid()->setCurrentCell(screen.Model().FindRowOfFolder(folderOf(2)), 0);
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TDataSyosaiInfoBox*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->txtListName->setText(QStringLiteral("医療法人 改名"));
        dialog->btnOKClick();
    });
    screen.btnDataInfoClick();
    EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=2"), "医療法人 改名");
    EXPECT_EQ(platform::IniFile(TDataInfomation::IniPath(folderOf(2))).readString("DATAINFO", "DATALISTNAME", ""),
              "医療法人 改名");
    EXPECT_EQ(messages.count(), 0u) << core::messageAsText(messages.shown().at(0));
}
