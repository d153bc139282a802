// Data places on a sample system database in the client/server kind: the
// system database's folder procedure (the project's plug-in in the embedded
// engine) makes and tests the real folders of the sample root.

#include "dataselect/z5DataPlaceMan.h"
#include "dataselect/gui/DataPlaceBox.h"
#include "dataselect/gui/DataSentakuBox.h"

#include "controls/xPlButton.h"
#include "core/AppInfo.h"

#include "registry_fixture.h"
#include "support/scripted_input.h"
#include "support/scripted_messages.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QTest>
#include <QTableWidget>

#include <filesystem>
#include <fstream>

namespace {

class DataPlaces : public registry_fixture::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        ConnectMode = 1;
    }
    void TearDown() override
    {
        ConnectMode = 0;
        RegistryTest::TearDown();
    }
};

} // namespace

TEST_F(DataPlaces, FirstUseSeedsAHundredPlacesWithOnlyTheStandardOneNamed)
{
    sql({"DELETE FROM DATAPLACEMAN"});
    TDataPlaceMan places;
    ASSERT_TRUE(places.LoadDataPlaces(false));
    ASSERT_EQ(places.List.size(), 100u);
    EXPECT_EQ(places.List[0].PATH, SysDef.SysDir);
    EXPECT_EQ(places.List[3].PATH, SysDef.SysDir + "03");
    ASSERT_GT(SysDef.SysDir.size(), 40u);
    EXPECT_EQ(places.GetPlaceNames(), "標準の場所\r") << "a system folder above 40 bytes is named so";
    places.LoadDataPlaces(false);
    EXPECT_EQ(places.UpdatePlaceKeys(0).F5, "F5:") << "the standard place is never deleted";
    EXPECT_EQ(places.UpdatePlaceKeys(0).F3, "F3:名称変更");
    EXPECT_EQ(places.UpdatePlaceKeys(3).F2, "F2:新規作成");
    EXPECT_FALSE(places.UpdatePlaceKeys(0).UpEnabled);
    EXPECT_FALSE(places.UpdatePlaceKeys(99).DownEnabled);
}

TEST_F(DataPlaces, NamingDeletingAndMovingPlaces)
{
    ScriptedMessages messages({modal::Ok});
    TDataPlaceMan places;
    ASSERT_TRUE(places.LoadDataPlaces(false));
    {
        ScriptedInput input({{modal::Ok, "　 "}});
        EXPECT_FALSE(places.NewPlace(3));
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_EQ(messages.firstLine(0), "名称が入力されていません。");
    }
    {
        ScriptedInput input({{modal::Ok, "第三の場所"}});
        ASSERT_TRUE(places.NewPlace(3));
    }
    const std::string folder = SysDef.SysDir + "03";
    EXPECT_TRUE(std::filesystem::is_directory(folder)) << "the folder is made on the server";
    EXPECT_EQ(value("DATAPLACEMAN", "NAME", "REC=3"), "第三の場所");
    EXPECT_EQ(value("DATALIST_EX", "COUNT(*)", "DATAPLACEREC=3"), "120");
    EXPECT_EQ(value("DATALIST_EX", "PASNAME", "DATAPLACEREC=3 AND REC=1"), folder + "/0001");

    // A place whose data folder exists is not deleted.
    std::filesystem::create_directory(folder + "/0001");
    messages.clear();
    EXPECT_FALSE(places.DeletePlace(3));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].lines[1].text,
        "どうしても削除を行いたい場合は、配下の会計データをすべて削除してから処理して下さい。");
    std::filesystem::remove(folder + "/0001");
    ScriptedMessages confirm({modal::Ok});
    EXPECT_TRUE(places.DeletePlace(3));
    EXPECT_EQ(value("DATAPLACEMAN", "NAME", "REC=3"), "");
    EXPECT_EQ(value("DATALIST_EX", "COUNT(*)", "DATAPLACEREC=3"), "0");
    EXPECT_TRUE(std::filesystem::is_directory(folder)) << "the folder stays";

    // Moving the second place up swaps the order numbers.
    EXPECT_EQ(places.MovePlace(1, -1), 0);
    EXPECT_EQ(value("DATAPLACEMAN", "ORDERKBN", "REC=1"), "1");
    EXPECT_EQ(value("DATAPLACEMAN", "ORDERKBN", "REC=0"), "2");
    EXPECT_EQ(places.FindPlaceIndex(0), 1);
    EXPECT_EQ(places.GetPlacePathByRec(0), SysDef.SysDir);
    EXPECT_EQ(places.GetPlaceRec(200), -1);
}

TEST_F(DataPlaces, NewPlaceUsesAnExistingFolderAndStopsWhenNoneCanBeMade)
{
    ScriptedMessages messages;
    TDataPlaceMan places;
    ASSERT_TRUE(places.LoadDataPlaces(false));

    // A folder already on the server: said so, and the place is named.
    const std::string existing = SysDef.SysDir + "04";
    std::filesystem::create_directory(existing);
    {
        ScriptedInput input({{modal::Ok, "既存の場所"}});
        ASSERT_TRUE(places.NewPlace(4));
    }
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "既にデータサーバーにフォルダが作成されています。");
    EXPECT_EQ(value("DATAPLACEMAN", "NAME", "REC=4"), "既存の場所");
    EXPECT_EQ(value("DATALIST_EX", "COUNT(*)", "DATAPLACEREC=4"), "120");

    // A file in the folder's place: no folder, no name, no data-list rows.
    const std::string blocked = SysDef.SysDir + "05";
    std::ofstream(blocked) << "not a folder";
    messages.clear();
    {
        ScriptedInput input({{modal::Ok, "作れない場所"}});
        EXPECT_FALSE(places.NewPlace(5));
    }
    // The server's own report of the failed operation comes first.
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.firstLine(1), "データサーバーへフォルダの作成に失敗しました。");
    EXPECT_EQ(value("DATAPLACEMAN", "NAME", "REC=5"), "");
    EXPECT_EQ(value("DATALIST_EX", "COUNT(*)", "DATAPLACEREC=5"), "0");
    EXPECT_EQ(places.UpdatePlaceKeys(5).F2, "F2:新規作成");
}

TEST_F(DataPlaces, DialogKeysFollowTheCurrentPlace)
{
    TDataPlaceBox box;
    box.ShowPlaces(0);
    ASSERT_EQ(box.Grid()->rowCount(), 100);
    box.Grid()->setCurrentCell(0, 0);
    EXPECT_EQ(box.F5->CaptionA().Caption().toStdString(), "F5:");
    EXPECT_EQ(box.F3->CaptionA().Caption().toStdString(), "F3:名称変更");
    EXPECT_FALSE(box.F6->isEnabled());
    box.Grid()->setCurrentCell(5, 0);
    EXPECT_EQ(box.F2->CaptionA().Caption().toStdString(), "F2:新規作成");
    EXPECT_EQ(box.F3->CaptionA().Caption().toStdString(), "F3:");
    ScriptedInput input({{modal::Ok, "支店の場所"}});
    box.F2Click();
    EXPECT_EQ(box.Grid()->item(5, 1)->text().toStdString(), "支店の場所");
    EXPECT_EQ(box.F5->CaptionA().Caption().toStdString(), "F5:削除");
}

TEST_F(DataPlaces, HintsNameTheUndeletableRowAndEnterDoesNothing)
{
    struct Case {
        std::uint8_t dist;
        const char* serverDir;
        const char* folder;
    };
    const Case cases[] = {{0, "/other/data", "ﾄﾞﾗｲﾌﾞ:\\ROZIVORADUZ\\DATA"},
        {1, "/federa/data", "ﾄﾞﾗｲﾌﾞ:\\FEDERA\\DATA"}, {2, "\\kaikei\\Data", "ﾄﾞﾗｲﾌﾞ:\\KAIKEI\\DATA"}};
    const std::string serverDir = AppInfo.Varov.ServerDir;
    for (const auto& c : cases) {
        DistKind = c.dist;
        AppInfo.Varov.ServerDir = c.serverDir;
        EXPECT_EQ(PlacesGridHint(),
            std::string("データ管理フォルダの情報を管理します。|[F2]で新規作成、[F3]で名称変更、[F5]で削除します。"
                        "（例外：\"")
                + c.folder + "\"行の削除は禁止）\n[上へ][下へ]でリストの並べ替えが行えます。")
            << int(c.dist);
    }
    DistKind = 0;
    AppInfo.Varov.ServerDir = serverDir;

    TDataPlaceBox box;
    box.ShowPlaces(0);
    EXPECT_EQ(controls::Hint(box.btnOK).toStdString(), "内容を登録して画面を閉じます。|内容を登録して画面を閉じます。");
    EXPECT_EQ(controls::Hint(box.btnCancel).toStdString(), "画面を閉じます。|画面を閉じます。");
    EXPECT_FALSE(box.btnCancel->isVisibleTo(&box));
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_EQ(QApplication::focusWidget(), box.Grid()) << "the list has the focus when shown";
    box.Grid()->setCurrentCell(3, 0);
    QTest::keyClick(box.Grid(), Qt::Key_Return);
    EXPECT_TRUE(box.isVisible()) << "Enter neither closes nor acts";
    EXPECT_EQ(box.Grid()->currentRow(), 3);
}

TEST_F(DataPlaces, ScreenListsTheChosenPlace)
{
    {
        TDataPlaceMan places;
        ASSERT_TRUE(places.LoadDataPlaces(false));
        ScriptedInput input({{modal::Ok, "第三の場所"}});
        ASSERT_TRUE(places.NewPlace(3));
    }
    sql({"UPDATE DATALIST_EX SET ENTTEXT='場所3の会社' WHERE DATAPLACEREC=3 AND REC=2"});
    TDataSentakuBox screen;
    screen.SetParams({"SyoriType=0"});
    screen.PrepareShow();
    auto* places = screen.findChild<QComboBox*>();
    ASSERT_NE(places, nullptr);
    ASSERT_EQ(places->count(), 2);
    EXPECT_EQ(places->itemText(1).toStdString(), "第三の場所");
    // Dropped down and the second place picked: the list closes up before
    // the picked item becomes current, as a click or Enter does it.
    places->showPopup();
    places->hidePopup();
    places->setCurrentIndex(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(screen.Model().DataPlace, 3);
    ASSERT_EQ(screen.Grid()->rowCount(), 120);
    EXPECT_EQ(screen.Grid()->item(1, 3)->text().toStdString(), "場所3の会社");
}

TEST_F(DataPlaces, WritesPictureWhenAsked)
{
    const QString folder = qEnvironmentVariable("DATASELECT_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "set DATASELECT_SCREENSHOTS to a folder to write the picture";
    {
        TDataPlaceMan places;
        ASSERT_TRUE(places.LoadDataPlaces(false));
        ScriptedInput input({{modal::Ok, "支店用"}});
        ASSERT_TRUE(places.NewPlace(1));
    }
    TDataPlaceBox box;
    box.ShowPlaces(0);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    ASSERT_TRUE(box.grab().save(folder + "/data-places.png"));
}
