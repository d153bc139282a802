// The former menu layout and its lookup.
#include "dataselect/OldMenuMap.h"

#include "core/uAccRecord.h"

#include <gtest/gtest.h>

namespace {

using dataselect::GetOldMenuProcInfo;

int filled(const std::vector<dataselect::TMenuListRec>& table)
{
    int n = 0;
    for (const auto& slot : table)
        n += slot.ProcID.empty() ? 0 : 1;
    return n;
}

TEST(OldMenuMap, TablesHoldEverySlotInPageAndMenuOrder)
{
    const auto& standard = dataselect::StandardMenuTable();
    const auto& upper = dataselect::UpperLevelMenuTable();
    ASSERT_EQ(standard.size(), 200u);
    ASSERT_EQ(upper.size(), 240u);
    for (std::size_t i = 0; i < upper.size(); ++i) {
        EXPECT_EQ(upper[i].Page, static_cast<int>(i / 20) + 1);
        EXPECT_EQ(upper[i].Menu, static_cast<int>(i % 20));
        if (upper[i].ProcID.empty()) {
            EXPECT_EQ(upper[i].ItemNo, -1);
        }
    }
    EXPECT_EQ(filled(standard), 94);
    EXPECT_EQ(filled(upper), 123);
    for (int menu = 0; menu <= 16; ++menu) {
        char id[16];
        std::snprintf(id, sizeof id, "QzUtiwake%02d", menu + 1);
        EXPECT_EQ(standard[static_cast<std::size_t>(6 * 20 + menu)].ProcID, id);
    }
}

TEST(OldMenuMap, LookupTable)
{
    struct Case {
        int level, page, menu, dist;
        const char* id;
        const char* option;
    };
    const Case cases[] = {
        {5, 1, 0, 0, "QzSiwake", "SyoriType=1"},
        {5, 1, 1, 0, "QzSiwake", "SyoriType=0"},
        {5, 1, 6, 0, "", ""},
        {5, 2, 7, 0, "QzTouzaChoseihyo", "SyoriType=0"},
        {5, 2, 4, 0, "", ""},
        {5, 6, 5, 0, "QzSiwakeText", "SyoriType=2"},
        {5, 8, 14, 0, "QzDataTusin", "SyoriType=5"},
        {5, 10, 0, 0, "QzOrbisca1", ""},
        {5, 10, 10, 0, "QzHikakuSuiihyo", ""},
        {1000, 2, 0, 0, "QzHojinKessansyo", ""},
        {1001, 2, 0, 0, "QzMBKessansyo", ""},
        {1001, 2, 4, 0, "QzMBHokukuKansa", ""},
        {1001, 2, 9, 0, "QzTouzaChoseihyo", "SyoriType=0"},
        {1001, 2, 15, 0, "QzDensiChoubo", ""},
        {1001, 4, 4, 0, "QzKeieiBunseki2", ""},
        {1001, 5, 2, 0, "QzMBKamoku2", ""},
        {1001, 1, 0, 0, "QzSiwake", "SyoriType=1"},
        {1001, 10, 0, 0, "", ""},
        {1001, 10, 10, 0, "QzHikakuSuiihyo", ""},
        {1001, 11, 19, 0, "QzFuzokuIkkatu", ""},
        {1001, 12, 11, 0, "QzGenkaKeisan11", ""},
        {5, 11, 0, 0, "", ""},
        // The distribution editions' extra entries on page 1.
        {5, 1, 15, 0, "", ""},
        {5, 1, 15, 1, "QzHarbenSiwake", "SyoriType=1"},
        {5, 1, 15, 2, "QzHarbenSiwake", "SyoriType=1"},
        {5, 1, 17, 1, "QzKobetuIchiranhyo", ""},
        {5, 1, 18, 2, "QzKobetuMeisaihyo", ""},
        {5, 1, 19, 1, "QzKobetuMotocho", ""},
        {5, 2, 15, 1, "QzDensiChoubo", ""},
        {1001, 1, 15, 1, "", ""},
        {1001, 1, 15, 2, "", ""},
        // Outside the tables.
        {5, 13, 0, 0, "", ""},
        {1001, 13, 0, 0, "", ""},
        {5, 1, 25, 0, "", ""},
        {5, -1, 0, 0, "", ""},
        {5, 1, -1, 0, "", ""},
        {5, 0, 0, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.level << " " << c.page << "." << c.menu << " dist " << c.dist);
        DistKind = static_cast<std::uint8_t>(c.dist);
        std::string id = "stale", option = "stale";
        EXPECT_EQ(GetOldMenuProcInfo(c.level, c.page, c.menu, id, option), c.id);
        EXPECT_EQ(id, c.id);
        EXPECT_EQ(option, c.option);
    }
    DistKind = 0;
}

} // namespace
