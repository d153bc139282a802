// The sample root's shared server as the sample run meets it (its area
// registered in the data list): the data-selection screen started as the
// wizard starts it lists the shared data set, and 「共有取得」 takes it into
// the row's working folder.

#include "dataselect/gui/DataSentakuBox.h"

#include "registry_fixture.h"

#include "sample_data.h"

#include "core/DataInfomation.h"
#include "core/DataModuleSysDef.h"
#include "platform/share_roots.h"
#include "support/scripted_messages.h"

#include <QPushButton>
#include <QTableWidget>

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
class SampleShareRoot : public registry_fixture::RegistryTest { };
} // namespace

TEST_F(SampleShareRoot, TheWizardsScreenListsTheSharedDataSetAndTheShareTakeTakesIt)
{
    const std::string area = root.info().shareArea;
    ASSERT_FALSE(area.empty());
    ASSERT_TRUE(platform::share_roots::isRemotePath(area)) << "the table in the moved home's config folder";
    ASSERT_TRUE(core::fnGetSysDef());
    const int rec = sample::registerShareArea(root.info());

    ScriptedMessages messages({modal::Yes});
    TDataSentakuBox screen;
    screen.SetParams({"SyoriType=3", "JyokenSet=1", "DataType=-13", "CodeType=0", "DataVerMajor=13"});
    screen.PrepareShow();
    int shared = -1;
    for (int r = 0; r < screen.Grid()->rowCount() && shared < 0; ++r)
        if (screen.Model().Record(r).REC == rec)
            shared = r;
    ASSERT_GE(shared, 0) << "the shared data set is listed";
    EXPECT_EQ(screen.Model().Record(shared).ENTTEXT, root.info().companies[0].name + "（共有）");
    screen.Grid()->setCurrentCell(shared, 0);
    ASSERT_TRUE(screen.KyoyuDownButton()->isEnabled());

    screen.KyoyuDownButton()->click();
    const std::string where = "REC=" + std::to_string(rec);
    EXPECT_EQ(value("DATALIST", "KYOYULOCK", where), "1");
    char local[8];
    std::snprintf(local, sizeof local, "%.4d", rec);
    EXPECT_TRUE(fs::exists(SysDef.SysDir + "/" + local + "/tnacc.fdb"));
    TDataInfomationRec server;
    TDataInfomation().ReadDataIni(area, server);
    EXPECT_EQ(server.SHARE_STATUS, 2);
    // The name is the data's own: the take's refresh keeps it.
    EXPECT_EQ(value("DATALIST", "ENTTEXT", where), root.info().companies[0].name + "（共有）");
    EXPECT_EQ(server.DATALISTNAME, root.info().companies[0].name + "（共有）");
    ASSERT_EQ(messages.count(), 1u) << core::messageAsText(messages.shown().back());
    EXPECT_EQ(messages.firstLine(0), "共有データの取得を行います。よろしいですか？");
}
