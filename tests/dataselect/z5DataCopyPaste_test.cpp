// Copying and pasting data sets on the data list of a sample root with
// mixed rows: a copy onto an empty row, the refusals, and a failing file
// copy that must leave the target (and a consolidated target's children)
// as it was.

#include "dataselect/z5DataCopyPaste.h"

#include "operations_fixture.h"

#include "accounting/OpenCompanyTables.h"
#include "dataselect/z5CloudShareComm.h"
#include "dataselect/z5ComCloudShare.h"
#include "support/scripted_messages.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace fs = std::filesystem;

namespace {

class CopyPaste : public DataOperationsTest { };

} // namespace

TEST_F(CopyPaste, CopyOntoAnEmptyRowGivesANamedCopyAndReleasesTheSource)
{
    // The source uses a cloud area; the copy is no cloud data set of its own.
    registry_fixture::execOn(folderOf(2) + "/tnacc.fdb", "UPDATE ACCDEF1 SET CLOUD_LINE=5");
    ScriptedMessages messages;
    TDataCopyPaste cp(*list);
    ASSERT_TRUE(cp.Copy(row(2))) << allText(messages);
    EXPECT_TRUE(cp.Pending());
    EXPECT_EQ(status(2), "6");
    EXPECT_EQ(cp.CopyName(), "医療法人 13～コピー");

    ASSERT_EQ(cp.Paste(row(10)), 1) << allText(messages);
    EXPECT_EQ(messages.count(), 0u) << allText(messages);
    EXPECT_FALSE(cp.Pending());
    EXPECT_TRUE(fs::exists(folderOf(10) + "/tnacc.fdb"));
    EXPECT_EQ(status(2), "1");
    EXPECT_EQ(status(10), "1");
    EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=10"), "医療法人 13～コピー");
    EXPECT_EQ(platform::IniFile(TDataInfomation::IniPath(folderOf(10))).readString("DATAINFO", "DATALISTNAME", ""),
        "医療法人 13～コピー");
    TDataInfomation info;
    TDataInfomationRec copied, source;
    ASSERT_EQ(info.ReadDataInfoRec(folderOf(10), copied), 1);
    ASSERT_EQ(info.ReadDataInfoRec(folderOf(2), source), 1);
    EXPECT_EQ(copied.DATALISTNAME, "医療法人 13～コピー");
    EXPECT_EQ(copied.TOTALSIWAKE, source.TOTALSIWAKE);
    EXPECT_EQ(copied.SHOUGOU, source.SHOUGOU);
    EXPECT_FALSE(fs::exists(folderOf(10) + ".copying"));
    EXPECT_EQ(TCloudShareIO().GetCloudLine("", folderOf(10)), 0);
    EXPECT_EQ(TCloudShareIO().GetCloudLine("", folderOf(2)), 5);
}

TEST_F(CopyPaste, RefusalsReleaseTheSource)
{
    ScriptedMessages messages;
    TDataCopyPaste cp(*list);
    // Onto the source itself: nothing copied.
    ASSERT_TRUE(cp.Copy(row(2)));
    EXPECT_EQ(cp.Paste(row(2)), 0);
    EXPECT_EQ(status(2), "1");
    // ESC.
    ASSERT_TRUE(cp.Copy(row(2)));
    cp.Cancel();
    EXPECT_FALSE(cp.Pending());
    EXPECT_EQ(status(2), "1");
    // A busy target.
    ASSERT_TRUE(cp.Copy(row(2)));
    EXPECT_EQ(cp.Paste(row(5)), 0);
    EXPECT_EQ(status(2), "1");
    EXPECT_EQ(status(5), "2");
    // A busy source is not taken.
    messages.clear();
    EXPECT_FALSE(cp.Copy(row(5)));
    EXPECT_FALSE(cp.Pending());
    EXPECT_EQ(messages.count(), 1u);
}

TEST_F(CopyPaste, NormalDataOntoAConsolidatedSetIsRefusedByThePattern)
{
    makeConsolidated(3);
    ScriptedMessages messages;
    TDataCopyPaste cp(*list);
    ASSERT_TRUE(cp.Copy(row(2)));
    EXPECT_EQ(cp.Paste(row(3)), 0);
    ASSERT_EQ(messages.count(), 1u) << allText(messages);
    EXPECT_EQ(messages.shown()[0].caption, "警告");
    EXPECT_EQ(messages.firstLine(0),
        "貼り付け先の合算データ区分が妥当ではありません。\rデータリストの空行を選んで処理を行って下さい。");
    TDataInfomation info;
    TDataInfomationRec target;
    ASSERT_EQ(info.ReadDataInfoRec(folderOf(3), target), 1);
    EXPECT_EQ(target.GASSANKBN, 1);
    EXPECT_EQ(status(2), "1");
}

TEST_F(CopyPaste, AFailedCopyLeavesTargetChildrenAndSourceUsable)
{
    makeConsolidated(2);
    makeConsolidated(3);
    // The target is told apart from the source by its own name.
    sql({"UPDATE DATALIST SET ENTTEXT='元の名前' WHERE REC=3"});
    ini(3, "DATAINFO", "DATALISTNAME", "元の名前");
    list->LoadDataList();
    TDataInfomation info;
    TDataInfomationRec named;
    ASSERT_EQ(info.ReadDataInfoRec(folderOf(3), named), 1);
    named.DATALISTNAME = "元の名前";
    ASSERT_TRUE(info.UpdateDataInfomation("", folderOf(3), named));
    std::ofstream(folderOf(3) + "/001/work.txt") << "the child's own work";
    ScriptedMessages messages;
    TDataCopyPaste cp(*list);
    cp.CopyFolder = [](const std::string& from, const std::string& to) {
        // Half of the files arrive, then the copy fails.
        fs::create_directories(to);
        fs::copy_file(from + "/tnacc.ini", to + "/tnacc.ini");
        return false;
    };
    ASSERT_TRUE(cp.Copy(row(2))) << allText(messages);
    EXPECT_EQ(cp.Paste(row(3)), 0);
    ASSERT_EQ(messages.count(), 1u) << allText(messages);
    EXPECT_EQ(messages.firstLine(0).rfind("データのコピーに失敗しました。", 0), 0u) << allText(messages);
    EXPECT_EQ(fileContents(folderOf(3) + "/001/work.txt"), "the child's own work");
    TDataInfomationRec child;
    EXPECT_EQ(info.ReadDataInfoRec(folderOf(3) + "/001", child), 1);
    EXPECT_EQ(value("CHILD_DATALIST", "COUNT(*)", "REC=3"), "1");
    EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=3"), "元の名前");
    EXPECT_FALSE(fs::exists(folderOf(3) + ".copying"));
    EXPECT_EQ(status(2), "1");
    EXPECT_EQ(status(3), "1");
    TDataInfomationRec a, b;
    EXPECT_EQ(info.ReadDataInfoRec(folderOf(2), a), 1);
    ASSERT_EQ(info.ReadDataInfoRec(folderOf(3), b), 1);
    EXPECT_EQ(b.DATALISTNAME, "元の名前");

    // The same paste with a working copy replaces the children by the
    // source's, registered under the target.
    messages.clear();
    TDataCopyPaste ok(*list);
    ASSERT_TRUE(ok.Copy(row(2)));
    ASSERT_EQ(ok.Paste(row(3)), 1) << allText(messages);
    EXPECT_EQ(value("CHILD_DATALIST", "PASNAME", "REC=3"), folderOf(3) + "/001");
    EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=3"), "医療法人 13～コピー");
    EXPECT_FALSE(fs::exists(folderOf(3) + "/001/work.txt")) << "the target's own children went with it";
    EXPECT_FALSE(fs::exists(folderOf(3) + ".replaced"));
}

TEST_F(CopyPaste, ComparisonListsTheDifferencesAndNeedsTheAgreeBox)
{
    ScriptedMessages messages({modal::Ok});
    TDataCopyPaste cp(*list);
    TDataInfomationRec a, b;
    a.SHOUGOU = "甲";
    a.KISHU = "2024/04/01";
    a.KIMATU = "2025/03/31";
    a.TOTALSIWAKE = 1000;
    b = a;
    b.SHOUGOU = "乙";
    b.TOTALSIWAKE = 1234;
    EXPECT_EQ(cp.CompareDataInfo("貼り付け", a, b), 0) << "OK without the agree tick";
    ASSERT_EQ(messages.count(), 1u);
    const auto& m = messages.shown()[0];
    EXPECT_EQ(m.caption, "データ照合チェックの結果");
    EXPECT_EQ(m.agreeMode, 1);
    EXPECT_EQ(m.agreeCaption, "データ貼り付け処理の続行に同意します。");
    EXPECT_EQ(m.lines[1].text, "会社名に違いがありました。");
    EXPECT_EQ(m.lines[2].text, "　【貼り付け元】：甲");
    EXPECT_EQ(m.lines[5].text, "　【貼り付け元】：1,000 件");
    messages.push(ScriptedMessages::Answer {modal::Ok, 1});
    EXPECT_EQ(cp.CompareDataInfo("貼り付け", a, b), 1);
    EXPECT_EQ(cp.CompareDataInfo("貼り付け", a, a), 1);
    EXPECT_EQ(messages.count(), 2u);
}

TEST(CopyName, IsCutAtFortyBytes)
{
    EXPECT_EQ(MakeCopyName("A"), "A～コピー");
    const std::string forty(40, 'x');
    EXPECT_EQ(MakeCopyName(forty), forty);
    // 19 double-byte characters and one byte: the suffix's first character
    // does not fit.
    std::string name;
    for (int i = 0; i < 19; ++i)
        name += "あ";
    EXPECT_EQ(MakeCopyName(name + "x"), name + "x");
}

// F2 twice on the real screen: copy, the key turns into paste, paste.
#include "dataselect/gui/DataSentakuBox.h"
#include "controls/xPlButton.h"
#include "core/DataModuleSysDef.h"

#include <QTableWidget>
#include <QTest>

TEST_F(CopyPaste, FunctionKeyTwoCopiesAndPastesOnTheScreen)
{
    ScriptedMessages messages;
    TDataSentakuBox screen;
    showScreenForOperations(screen);
    screen.Grid()->setCurrentCell(screen.Model().FindRowOfFolder(folderOf(2)), 0);
    EXPECT_EQ(screen.Keys().Captions[fkey::F2], "F2:コピー");
    QTest::keyClick(screen.Grid(), Qt::Key_F2);
    EXPECT_TRUE(screen.CopyPaste().Pending()) << allText(messages);
    screen.Grid()->setCurrentCell(screen.Model().FindRowOfFolder(folderOf(10)), 0);
    EXPECT_EQ(screen.Keys().Captions[fkey::F2], "F2:貼り付け");
    QTest::mouseClick(screen.KeyButton(fkey::F2), Qt::LeftButton);
    EXPECT_FALSE(screen.CopyPaste().Pending());
    EXPECT_EQ(messages.count(), 0u) << allText(messages);
    EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=10"), "医療法人 13～コピー");
    EXPECT_EQ(screen.Keys().Captions[fkey::F2], "F2:コピー");
    // Copy, then ESC: the source is released and the screen stays open.
    screen.Grid()->setCurrentCell(screen.Model().FindRowOfFolder(folderOf(2)), 0);
    QTest::keyClick(screen.Grid(), Qt::Key_F2);
    EXPECT_EQ(status(2), "6");
    QTest::keyClick(screen.Grid(), Qt::Key_Escape);
    EXPECT_FALSE(screen.CopyPaste().Pending());
    EXPECT_EQ(status(2), "1");
    EXPECT_TRUE(screen.isVisible());
    screen.close();
}

// Cloud-share data is received from its area before it is copied; without
// the communication part the copy stops with its message, and a receive
// that fails stops it too.
TEST_F(CopyPaste, CloudDataIsReceivedBeforeItIsCopied)
{
    AppKind = 0;
    list->CloudShareEnabled = true;
    list->Record(row(2)).CLOUD = 1;
    ScriptedMessages messages;
    const TCloudShareComm before = SetCloudShareComm({});
    {
        TDataCopyPaste cp(*list);
        EXPECT_FALSE(cp.Copy(row(2)));
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_NE(allText(messages).find("受信は行えません"), std::string::npos) << allText(messages);
        EXPECT_EQ(status(2), "1");
    }
    std::vector<std::string> calls;
    std::int32_t answer = 3;
    TCloudShareComm comm;
    comm.ReceiveCopy = [&](const std::string& folder) {
        calls.push_back("receive " + folder);
        return answer;
    };
    comm.Unlock = [&](const std::string& folder) {
        calls.push_back("unlock " + folder);
        return 0;
    };
    SetCloudShareComm(comm);
    messages.clear();
    // A refused copy refreshes the row from its folder: the mark is set
    // again for each try.
    list->Record(row(2)).CLOUD = 1;
    {
        TDataCopyPaste cp(*list);
        EXPECT_FALSE(cp.Copy(row(2))) << "a receive that failed";
        EXPECT_EQ(calls, (std::vector<std::string> {"receive " + folderOf(2)}));
        EXPECT_EQ(status(2), "1");
    }
    calls.clear();
    answer = 0;
    list->Record(row(2)).CLOUD = 1;
    {
        TDataCopyPaste cp(*list);
        EXPECT_TRUE(cp.Copy(row(2))) << allText(messages);
        EXPECT_EQ(calls, (std::vector<std::string> {"receive " + folderOf(2), "unlock " + folderOf(2)}));
        EXPECT_EQ(status(2), "6");
        cp.Cancel();
    }
    EXPECT_EQ(messages.count(), 0u) << allText(messages);
    SetCloudShareComm(before);
}

// A damaged target (status 10) is pasted over without the comparison, after
// a question: Cancel leaves it, OK replaces it and frees it.
TEST_F(CopyPaste, ADamagedTargetIsPastedOverAfterTheQuestion)
{
    ScriptedMessages messages;
    messages.push(modal::Cancel);
    TDataCopyPaste cp(*list);
    ASSERT_TRUE(cp.Copy(row(2))) << allText(messages);
    EXPECT_EQ(cp.Paste(row(7)), 0);
    ASSERT_EQ(messages.count(), 1u) << allText(messages);
    EXPECT_EQ(messages.firstLine(0), "このデータは破損データのため、データ間の照合チェックは行わずに貼り付けを行います。");
    EXPECT_EQ(status(7), "10");
    EXPECT_EQ(status(2), "1");

    messages.clear();
    messages.push(modal::Ok);
    ASSERT_TRUE(cp.Copy(row(2))) << allText(messages);
    ASSERT_EQ(cp.Paste(row(7)), 1) << allText(messages);
    EXPECT_EQ(messages.count(), 1u) << allText(messages);
    EXPECT_EQ(status(7), "1");
    EXPECT_EQ(value("DATALIST", "ENTTEXT", "REC=7"), "医療法人 13～コピー");
}
