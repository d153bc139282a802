// The sample root's shared server as the sample run meets it: 「共有取得」 on
// an empty row of the data-selection screen offers the sample area and
// takes its data set into the row's working folder.

#include "dataselect/gui/DataSentakuBox.h"
#include "dataselect/gui/ServerSentakuBox.h"

#include "registry_fixture.h"

#include "core/DataInfomation.h"
#include "core/DataModuleSysDef.h"
#include "platform/share_roots.h"
#include "support/scripted_messages.h"

#include <QApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <filesystem>

namespace fs = std::filesystem;

namespace {
class SampleShareRoot : public registry_fixture::RegistryTest { };
} // namespace

TEST_F(SampleShareRoot, ShareTakeOnAnEmptyRowOffersTheSampleAreaAndTakesIt)
{
    const std::string area = root.info().shareArea;
    ASSERT_FALSE(area.empty());
    ASSERT_TRUE(platform::share_roots::isRemotePath(area)) << "the table in the moved home's config folder";
    ASSERT_TRUE(core::fnGetSysDef());

    ScriptedMessages messages;
    TDataSentakuBox screen;
    screen.SetParams({"SyoriType=3"});
    screen.PrepareShow();
    int empty = -1;
    for (int r = 0; r < screen.Grid()->rowCount() && empty < 0; ++r)
        if (screen.Model().Record(r).ENTTEXT.empty())
            empty = r;
    ASSERT_GE(empty, 0);
    const std::int32_t rec = screen.Model().Record(empty).REC;
    screen.Grid()->setCurrentCell(empty, 0);
    ASSERT_TRUE(screen.KyoyuDownButton()->isEnabled());

    std::string offered;
    QTimer::singleShot(0, [&] {
        auto* list = qobject_cast<TServerSentakuBox*>(QApplication::activeModalWidget());
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->Grid()->rowCount(), 1);
        offered = list->Grid()->item(0, TServerSentakuBox::cName)->text().toStdString();
        list->F12Click();
    });
    screen.KyoyuDownButton()->click();
    EXPECT_EQ(offered, root.info().companies[0].name + "（共有）");

    const std::string where = "REC=" + std::to_string(rec);
    EXPECT_EQ(value("DATALIST", "PASNAME", where), area);
    EXPECT_EQ(value("DATALIST", "NETDRIVE", where), "1");
    EXPECT_EQ(value("DATALIST", "KYOYULOCK", where), "1");
    char local[8];
    std::snprintf(local, sizeof local, "%.4d", rec);
    EXPECT_TRUE(fs::exists(SysDef.SysDir + "/" + local + "/tnacc.fdb"));
    TDataInfomationRec server;
    TDataInfomation().ReadDataIni(area, server);
    EXPECT_EQ(server.SHARE_STATUS, 2);
    EXPECT_EQ(messages.count(), 0u) << core::messageAsText(messages.shown().at(0));
}
