#include "dbupdate/DbUpdateList.h"

#include "core/DataModule_fixture.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

TEST(DbUpdateList, StepListsAreStrictlyIncreasingWithTheirBackupWeights)
{
    const auto& system = SystemUpdateSteps();
    const auto& company = CompanyUpdateSteps();
    ASSERT_EQ(system.size(), 18u);
    ASSERT_EQ(company.size(), 59u);
    for (const auto* list : {&system, &company})
        for (std::size_t i = 1; i < list->size(); ++i)
            EXPECT_LT((*list)[i - 1].Version(), (*list)[i].Version()) << i;
    EXPECT_EQ(system.back().Version().Text(), "12.0.0");
    EXPECT_EQ(company.back().Version().Text(), "13.0.0");
    EXPECT_EQ(company[21].Version().Text(), "2.0.4") << "the embedded company steps are the first 22";

    std::string heavy;
    for (const auto& s : system)
        if (s.BackupWeight > 0)
            heavy += s.Version().Text() + " ";
    EXPECT_EQ(heavy, "0.3.1 4.0.0 4.0.2 5.0.0 8.0.0 8.0.2 9.0.4 10.0.4 11.0.1 12.0.0 ");
    std::string light;
    for (const auto& s : company)
        if (s.BackupWeight == 0)
            light += s.Version().Text() + " ";
    EXPECT_EQ(light, "0.2.0 0.3.0 0.3.2 0.4.0 ");
}

TEST(DbUpdateList, VersionTextsGiveThePendingTail)
{
    struct Case {
        std::uint8_t mode;
        const char* text;
        int pendingRows; // 0: nothing pending
        const char* first;
    };
    const Case cases[] = {
        {1, "13.0.0", 0, ""},
        {1, "13.0.1", 0, ""},
        {1, "14.0.0", 0, ""},
        {1, "12.0.9", 1, "13.0.0"},
        {1, "8.0.0", 18, "8.0.2"},
        {1, "8.0.1", 18, "8.0.2"},
        {1, "3.0.2", 35, "3.0.3"},
        {1, "13.0", 59, "0.1.1"},
        {1, "13.0.0.1", 59, "0.1.1"},
        {1, "abc", 59, "0.1.1"},
        {1, "x.1.0", 59, "0.1.1"},
        {0, "0.3.0", 18, "0.3.1"},
        {0, "0.3.1", 17, "0.3.2"},
        {0, "12.0.0", 0, ""},
    };
    TDbUpdateList list;
    for (const auto& c : cases) {
        list.InitUpdateList(c.mode, c.text);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(list.NeedsUpdate, c.pendingRows > 0);
        const auto pending = list.PendingSteps();
        EXPECT_EQ(static_cast<int>(pending.size()), c.pendingRows);
        if (c.pendingRows == 0) {
            EXPECT_EQ(list.FirstPending, -1);
            EXPECT_EQ(list.LastPending, -1);
            EXPECT_EQ(list.BackupWeightTotal, 0);
        } else {
            EXPECT_EQ(pending.front().Version().Text(), c.first);
            EXPECT_EQ(list.LastPending + 1, static_cast<int>(list.CurrentSteps().size()));
        }
        EXPECT_EQ(list.TargetVersion.Text(), c.mode == 0 ? "12.0.0" : "13.0.0");
    }
    list.InitUpdateList(1, "x.1.0");
    EXPECT_EQ(list.DbVersion.Text(), "0.1.0");
    list.InitUpdateList(0, "0.3.0");
    EXPECT_EQ(list.BackupWeightTotal, 10);
    EXPECT_TRUE(CompanyDataNeedsUpdate("12.0.0"));
    EXPECT_FALSE(CompanyDataNeedsUpdate("13.0.0"));
}

TEST(DbUpdateList, VersionReadFromTheConnectedDatabase)
{
    dm_fixture::Fixture fx;
    ASSERT_TRUE(fx.dm->fnAccDatConnected({}, fx.dataDir, 1));
    TDbUpdateList list;
    list.InitUpdateList(1, "");
    EXPECT_EQ(list.DbVersion.Text(), "13.0.0");
    EXPECT_FALSE(list.NeedsUpdate);

    dm_fixture::exec(fx.companyDb, "DELETE FROM ACCVERSION");
    list.InitUpdateList(1, "");
    EXPECT_EQ(list.DbVersion.Text(), "0.0.0");
    EXPECT_EQ(list.PendingSteps().size(), 59u) << "an empty version table is version 0.0.0";

    // A version that cannot be read blocks every step instead of offering
    // the whole chain on a database of unknown version (here a system
    // database without its version table).
    dm_fixture::exec(fx.systemDb, "DROP TABLE VERSION");
    ASSERT_TRUE(fx.dm->fnAccDefConnected({}, 1));
    ScriptedMessages messages;
    list.InitUpdateList(0, "");
    EXPECT_TRUE(list.VersionReadFailed);
    EXPECT_FALSE(list.NeedsUpdate);
    EXPECT_EQ(list.FirstPending, -1);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_NE(core::messageAsText(messages.shown()[0]).find("データベースバージョンの取得に失敗しました。"),
        std::string::npos);
}
