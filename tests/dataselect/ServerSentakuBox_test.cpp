// The shared-data screen under the offscreen platform, on a share root (X,
// remote) holding sv0001 and sv0003 (company data sets with codes) and
// sv0002 (empty); and a picture of it when DATASELECT_SCREENSHOTS names a
// folder (run under xvfb-run).

#include "dataselect/gui/ServerSentakuBox.h"

#include "area_helpers.h"
#include "registry_fixture.h"

#include "controls/xAnimeProgressDialog.h"
#include "controls/xPlButton.h"
#include "dataselect/z5CloudShareComm.h"
#include "core/DataInfomation.h"
#include "core/DataModuleSysDef.h"
#include "platform/ini_file.h"
#include "platform/share_roots.h"
#include "support/scripted_messages.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QTest>

#include <filesystem>

namespace fs = std::filesystem;
using area_helpers::shownText;

namespace {

class SharedDataScreen : public registry_fixture::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        shareRoot = root.folder() + "/server";
        data = shareRoot + "/rozivoraduz";
        fs::create_directories(data + "/sv0002");
        const char* codes[] = {"A100", "B200"};
        const char* names[] = {"東京本社", "大阪支社"};
        int i = 0;
        for (const char* area : {"sv0001", "sv0003"}) {
            fs::create_directories(data + "/" + area);
            for (const char* name : {"tnacc.fdb", "tnacc.ini"})
                fs::copy_file(company.folder + "/" + name, data + "/" + area + "/" + name);
            platform::IniFile ini(TDataInfomation::IniPath(data + "/" + area));
            ini.writeString("DATAINFO", "CODE", codes[i]);
            ini.writeString("DATAINFO", "DATALISTNAME", names[i]);
            ++i;
        }
        platform::share_roots::save({{'X', shareRoot, true}});
    }

    int lineOf(TServerSentakuBox& box, const std::string& folder)
    {
        for (int r = 0; r < box.Grid()->rowCount(); ++r)
            if (box.Grid()->item(r, TServerSentakuBox::cFolder)->text().toStdString() == folder)
                return r;
        return -1;
    }

    std::string shareRoot, data;
};

} // namespace

TEST_F(SharedDataScreen, LoadsTheSharedDriveAndListsTheAreas)
{
    ScriptedMessages messages;
    TServerSentakuBox box;
    box.SharedDrive = "Q"; // no longer a share: the first qualifying drive is taken
    box.Prepare(true);
    EXPECT_EQ(box.SharedDrive, "X");
    EXPECT_EQ(box.DriveBox()->count(), 1);
    ASSERT_EQ(box.Grid()->rowCount(), 3) << shownText(messages);
    const int free = lineOf(box, data + "/sv0002");
    ASSERT_GE(free, 0);
    EXPECT_EQ(box.Grid()->item(free, TServerSentakuBox::cName)->text(), QStringLiteral("空き領域"));
    EXPECT_EQ(box.Grid()->item(free, TServerSentakuBox::cNendo)->text(), QString());
    // Sorted by the folder column at first.
    EXPECT_TRUE(box.Grid()->horizontalHeaderItem(TServerSentakuBox::cFolder)->text().endsWith(QStringLiteral("▲")));
    // A free area cannot be copied; F4 is offered while a server folder is set.
    box.Grid()->setCurrentCell(free, TServerSentakuBox::cName);
    EXPECT_EQ(box.KeyCaption(TServerSentakuBox::kF2), QStringLiteral("F2:"));
    EXPECT_EQ(box.KeyCaption(TServerSentakuBox::kF4), QStringLiteral("F4:領域追加"));
    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0001"), TServerSentakuBox::cName);
    EXPECT_EQ(box.KeyCaption(TServerSentakuBox::kF2), QStringLiteral("F2:コピー"));
}

TEST_F(SharedDataScreen, WithoutAShareTheBoxSaysSoAndOnlyEscAndF1Remain)
{
    platform::share_roots::save({{'X', shareRoot, false}});
    TServerSentakuBox box;
    box.Prepare(true);
    EXPECT_EQ(box.DriveBox()->itemText(0), QStringLiteral("[rozivoraduz]が見つかりません"));
    EXPECT_TRUE(box.SharedDrive.empty());
    EXPECT_EQ(box.Grid()->rowCount(), 0);
    EXPECT_EQ(box.KeyCaption(TServerSentakuBox::kF4), QStringLiteral("F4:"));
    EXPECT_EQ(box.KeyCaption(TServerSentakuBox::kF2), QStringLiteral("F2:"));
}

TEST_F(SharedDataScreen, AHeaderClickedTwiceSortsDescending)
{
    ScriptedMessages messages;
    TServerSentakuBox box;
    box.Prepare(true);
    auto* header = box.Grid()->horizontalHeader();
    auto codes = [&] {
        QStringList list;
        // Free areas (no code) stay last in either direction.
        for (int r = 0; r < box.Grid()->rowCount(); ++r)
            if (!box.Grid()->item(r, TServerSentakuBox::cCode)->text().isEmpty())
                list << box.Grid()->item(r, TServerSentakuBox::cCode)->text();
        return list;
    };
    emit header->sectionClicked(TServerSentakuBox::cCode);
    EXPECT_TRUE(box.Grid()->horizontalHeaderItem(TServerSentakuBox::cCode)->text().endsWith(QStringLiteral("▲")));
    const QStringList ascending = codes();
    ASSERT_EQ(ascending, QStringList({"A100", "B200"}));
    emit header->sectionClicked(TServerSentakuBox::cCode);
    EXPECT_TRUE(box.Grid()->horizontalHeaderItem(TServerSentakuBox::cCode)->text().endsWith(QStringLiteral("▼")));
    QStringList reversed = ascending;
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(codes(), reversed);
    EXPECT_NE(ascending, reversed);
    // Another column starts ascending again.
    emit header->sectionClicked(TServerSentakuBox::cName);
    EXPECT_TRUE(box.Grid()->horizontalHeaderItem(TServerSentakuBox::cName)->text().endsWith(QStringLiteral("▲")));
}

TEST_F(SharedDataScreen, IncrementalSearchFindsBelowThenWrapsToTheTop)
{
    ScriptedMessages messages;
    TServerSentakuBox box;
    box.Prepare(true);
    const int a = lineOf(box, data + "/sv0001");
    const int b = lineOf(box, data + "/sv0003");
    box.Grid()->setCurrentCell(a, TServerSentakuBox::cName);
    QTest::keyClicks(box.Grid(), "b2");
    EXPECT_EQ(box.IncSearchText(), QStringLiteral("b2"));
    box.IncSerchTimerTimer();
    EXPECT_EQ(box.Grid()->currentRow(), b);
    EXPECT_TRUE(box.IncSearchText().isEmpty());
    // Nothing below the last code row: the search starts again at the top.
    QTest::keyClicks(box.Grid(), "A1");
    box.IncSerchTimerTimer();
    EXPECT_EQ(box.Grid()->currentRow(), a);
    // A text longer than 8 characters is still collected.
    QTest::keyClicks(box.Grid(), "123456789");
    EXPECT_EQ(box.IncSearchText().size(), 9);
}

TEST_F(SharedDataScreen, F12ChoosesAnAreaAndRefusesAVanishedOrBusyFreeOne)
{
    ScriptedMessages messages;
    TServerSentakuBox box;
    box.Prepare(true);
    // A taken free area may be being filled by another computer.
    TDataInfomation().WriteShareStatus(data + "/sv0002", 2);
    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0002"), TServerSentakuBox::cName);
    box.F12Click();
    EXPECT_EQ(box.result(), 0);
    EXPECT_NE(
        shownText(messages).find("現在データが作成されている可能性があるため選択できません。"), std::string::npos);

    fs::remove_all(data + "/sv0003");
    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0003"), TServerSentakuBox::cName);
    box.F12Click();
    EXPECT_EQ(box.result(), 0);
    EXPECT_NE(shownText(messages).find("[更新]ボタンを押しデータリストの再作成"), std::string::npos);

    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0001"), TServerSentakuBox::cName);
    QTest::keyClick(box.Grid(), Qt::Key_Return);
    EXPECT_EQ(box.result(), 1);
    EXPECT_EQ(box.ChosenFolder, data + "/sv0001");
    EXPECT_EQ(box.ChosenName, "東京本社");
}

TEST_F(SharedDataScreen, CopyThenPasteOnTheKeysAndEscCancelsAPendingCopy)
{
    ScriptedMessages messages;
    TServerSentakuBox box;
    box.Prepare(true);
    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0001"), TServerSentakuBox::cName);
    box.F2Click();
    EXPECT_EQ(box.KeyState(), 2);
    EXPECT_EQ(box.KeyCaption(TServerSentakuBox::kF2), QStringLiteral("F2:貼り付け"));
    TDataInfomationRec ini;
    TDataInfomation().ReadDataIni(data + "/sv0001", ini);
    EXPECT_EQ(ini.STATUS, 6);
    box.ESCClick();
    EXPECT_FALSE(box.Ctl().CopyPending);
    EXPECT_EQ(box.result(), 0) << "Esc ends the copy, not the screen";
    TDataInfomation().ReadDataIni(data + "/sv0001", ini);
    EXPECT_EQ(ini.STATUS, 1);

    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0001"), TServerSentakuBox::cName);
    box.F2Click();
    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0002"), TServerSentakuBox::cName);
    box.F2Click();
    const int pasted = lineOf(box, data + "/sv0002");
    ASSERT_GE(pasted, 0);
    EXPECT_EQ(box.Grid()->item(pasted, TServerSentakuBox::cName)->text(), QStringLiteral("東京本社～コピー"));
    EXPECT_EQ(box.Grid()->currentRow(), pasted);
    EXPECT_EQ(box.KeyState(), 1);
}

TEST_F(SharedDataScreen, F4AddsALowerCaseAreaAndF8WithoutAPrinterSaysSo)
{
    ScriptedMessages messages;
    TServerSentakuBox box;
    box.Prepare(true);
    std::string offered;
    box.AskAreaName = [&](std::string& name) {
        offered = name;
        name = "NEWAREA";
        return true;
    };
    box.Grid()->setCurrentCell(0, TServerSentakuBox::cName);
    box.F4Click();
    EXPECT_EQ(offered, "sv0004");
    EXPECT_TRUE(fs::is_directory(data + "/newarea"));
    const int line = lineOf(box, data + "/newarea");
    ASSERT_GE(line, 0);
    EXPECT_EQ(box.Grid()->currentRow(), line);
    EXPECT_EQ(box.Grid()->item(line, TServerSentakuBox::cName)->text(), QStringLiteral("新しい領域"));

    SetDataListPrinter({});
    box.F8Click();
    EXPECT_NE(shownText(messages).find("印刷が組み込まれていません"), std::string::npos);
    std::size_t printed = 0;
    SetDataListPrinter(
        [&](QWidget*, std::uint8_t kind, const TDataSentakuRecArray&, const TDataSentakuRecDispArray& d) {
            EXPECT_EQ(kind, 1);
            printed = d.size();
            return true;
        });
    box.F8Click();
    EXPECT_EQ(printed, 4u);
    SetDataListPrinter({});
}

// Writes the picture of the screen into the folder DATASELECT_SCREENSHOTS names.
TEST_F(SharedDataScreen, WritesPictureWhenAsked)
{
    const QString folder = qEnvironmentVariable("DATASELECT_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "set DATASELECT_SCREENSHOTS to a folder to write the picture";
    ScriptedMessages messages;
    ASSERT_TRUE(core::fnGetSysDef()); // the operator's grid colours
    TDataInfomation().WriteShareStatus(data + "/sv0003", 2);
    TServerSentakuBox box;
    box.Prepare(true);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    box.Grid()->setFocus();
    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0001"), TServerSentakuBox::cName);
    QApplication::processEvents();
    ASSERT_TRUE(box.grab().save(folder + "/shared-data.png"));
}

namespace {

// Records every progress window shown while it lives: caption, line and
// whether it offers Cancel.
class ProgressWatch : public QObject {
public:
    ProgressWatch() { qApp->installEventFilter(this); }
    ~ProgressWatch() override { qApp->removeEventFilter(this); }
    struct Shown {
        std::string caption, line;
        bool cancel;
    };
    std::vector<Shown> shown;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Show)
            if (auto* form = qobject_cast<TxProgressForm*>(watched))
                shown.push_back({form->windowTitle().toStdString(), form->Label->text().toStdString(),
                    form->CancelButton != nullptr});
        return false;
    }
};

} // namespace

TEST_F(SharedDataScreen, ListUpdateAndPasteRunUnderTheirProgressWindows)
{
    ScriptedMessages messages({modal::Yes});
    ProgressWatch watch;
    TServerSentakuBox box;
    box.Prepare(true);
    ASSERT_TRUE(watch.shown.empty()) << "the first load needs no question and no window";
    box.btnListUpdateClick();
    ASSERT_EQ(watch.shown.size(), 1u);
    EXPECT_EQ(watch.shown[0].caption, "更新中");
    EXPECT_EQ(watch.shown[0].line, "データリストの更新中…");
    EXPECT_FALSE(watch.shown[0].cancel) << "an update stopped half-way would leave areas out of the list";

    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0001"), TServerSentakuBox::cName);
    box.F2Click();
    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0002"), TServerSentakuBox::cName);
    box.F2Click();
    ASSERT_EQ(watch.shown.size(), 2u);
    EXPECT_EQ(watch.shown[1].caption, "コピー中");
    EXPECT_EQ(watch.shown[1].line, "データのコピー中…");
    EXPECT_FALSE(watch.shown[1].cancel);
    EXPECT_TRUE(fs::exists(data + "/sv0002/tnacc.fdb"));

    // A destination that cannot take the paste is refused before any window.
    TDataInfomation().WriteStatus(data + "/sv0003", 3);
    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0001"), TServerSentakuBox::cName);
    box.F2Click();
    ASSERT_TRUE(box.Ctl().CopyPending);
    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0003"), TServerSentakuBox::cName);
    box.F2Click();
    EXPECT_FALSE(box.Ctl().CopyPending);
    EXPECT_EQ(watch.shown.size(), 2u);
}

TEST_F(SharedDataScreen, CloudRowsAreCopiedThroughTheCommunicationHookAndRefusedAsTargets)
{
    // sv0001 is a cloud data set, registered in the local list as shared row 7.
    platform::IniFile(TDataInfomation::IniPath(data + "/sv0001")).writeInteger("DATAINFO", "CLOUD_SHARE", 1);
    sql({"UPDATE DATALIST SET ENTTEXT='クラウドの会社', PASNAME=:P0, NETDRIVE=1, KYOYULOCK=0 WHERE REC=7"},
        {data + "/sv0001"});
    const std::string local = SysDef.SysDir + "/0007";
    auto statusOf = [](const std::string& folder) {
        TDataInfomationRec rec;
        TDataInfomation().ReadDataIni(folder, rec);
        return rec.STATUS;
    };

    ScriptedMessages messages({modal::Ok, modal::Ok, modal::Ok, modal::Ok});
    TServerSentakuBox box;
    box.Prepare(true);
    const int cloud = lineOf(box, data + "/sv0001");
    ASSERT_GE(cloud, 0);
    ASSERT_EQ(box.Ctl().LineRecord(cloud)->CLOUD, 1);

    // Without the communication subsystem the copy stops and says why.
    box.Grid()->setCurrentCell(cloud, TServerSentakuBox::cName);
    box.F2Click();
    EXPECT_FALSE(box.Ctl().CopyPending);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_NE(messages.firstLine(0).find("クラウドシェアの通信機能が組み込まれていない"), std::string::npos);
    EXPECT_EQ(statusOf(data + "/sv0001"), 1);

    // With it, the newest copy is received into the local folder, the area
    // released, and that copy is what reaches the destination.
    std::vector<std::string> calls;
    const TCloudShareComm before = SetCloudShareComm(
        {[&](const std::string& folder) {
             calls.push_back("receive " + folder);
             fs::create_directories(folder);
             for (const char* f : {"tnacc.fdb", "tnacc.ini"})
                 fs::copy_file(company.folder + "/" + f, folder + "/" + f, fs::copy_options::overwrite_existing);
             platform::IniFile ini(TDataInfomation::IniPath(folder));
             ini.writeString("DATAINFO", "SHOUGOU", "クラウドの最新");
             ini.writeInteger("DATAINFO", "CLOUD_SHARE", 1);
             return 0;
         },
            [&](const std::string& folder) {
                calls.push_back("unlock " + folder);
                return 0;
            },
            {}}); // the paste sends nothing
    box.F2Click();
    EXPECT_TRUE(box.Ctl().CopyPending);
    EXPECT_EQ(calls, (std::vector<std::string> {"receive " + local, "unlock " + local}));
    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0002"), TServerSentakuBox::cName);
    box.F2Click();
    TDataInfomationRec pasted;
    TDataInfomation().ReadDataIni(data + "/sv0002", pasted);
    EXPECT_EQ(pasted.SHOUGOU, "クラウドの最新");
    EXPECT_EQ(pasted.CLOUD_SHARE, 0) << "the copy is no cloud data set of its own";
    EXPECT_EQ(statusOf(data + "/sv0001"), 1);
    EXPECT_EQ(messages.count(), 1u) << core::messageAsText(messages.shown().back());

    // A cloud row takes no paste and no deletion.
    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0003"), TServerSentakuBox::cName);
    box.F2Click();
    ASSERT_TRUE(box.Ctl().CopyPending);
    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0001"), TServerSentakuBox::cName);
    box.F2Click();
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.firstLine(1), "クラウドシェアデータのため貼り付け処理は行えません。");
    EXPECT_EQ(statusOf(data + "/sv0003"), 1);
    box.Grid()->setCurrentCell(lineOf(box, data + "/sv0001"), TServerSentakuBox::cName);
    box.F5Click();
    ASSERT_EQ(messages.count(), 3u);
    EXPECT_EQ(messages.firstLine(2), "クラウドシェアデータのため削除処理は行えません。");
    EXPECT_TRUE(fs::exists(data + "/sv0001/tnacc.fdb"));
    SetCloudShareComm(before);
}
