#include "controls/UrlOpener.h"
#include "controls/z5HtmlHelp.h"
#include "core/uAccRecord.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct HelpCase {
    std::uint8_t dist;
    std::uint8_t app;
    const char* page;
    const char* expected; // nullptr: nothing is opened
};

class HtmlHelpPathTest : public ::testing::TestWithParam<HelpCase> { };

TEST_P(HtmlHelpPathTest, PathByDistributionAndProgramKind)
{
    const auto& c = GetParam();
    const auto path = controls::htmlHelpPath("/opt/app/help", c.dist, c.app, c.page);
    if (c.expected == nullptr) {
        EXPECT_FALSE(path.has_value());
    } else {
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(*path, c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, HtmlHelpPathTest,
    ::testing::Values(HelpCase {0, 0, "", nullptr}, HelpCase {1, 0, "", nullptr},
        HelpCase {0, 0, "olm.html", "/opt/app/help/olm.html"},
        HelpCase {0, 0, "tsusin07.html", "/opt/app/help/olm.files/tsusin07.html"},
        HelpCase {0, 0, "OLM.HTML", "/opt/app/help/olm.files/OLM.HTML"},
        HelpCase {0, 1, "dalolm.html", "/opt/app/help/dalolm.html"},
        HelpCase {0, 2, "tsusin07.html", "/opt/app/help/olm.files/tsusin07.html"},
        HelpCase {0, 3, "fitolm.html", "/opt/app/help/fitolm.html"},
        HelpCase {0, 3, "a.html", "/opt/app/help/fitolm.files/a.html"},
        HelpCase {3, 0, "a.html", "/opt/app/help/olm.files/a.html"}, HelpCase {0, 4, "olm.html", nullptr},
        HelpCase {1, 0, "olm.html", "/opt/app/help/varov/olm.html"},
        HelpCase {1, 0, "tsusin07.html", "/opt/app/help/varov/olm.files/tsusin07.html"},
        HelpCase {2, 0, "tsusin07.html", "/opt/app/help/varov/olm.files/tsusin07.html"},
        HelpCase {1, 1, "x.html", "/opt/app/help/dalolm.files/x.html"},
        HelpCase {1, 1, "dalolm.html", "/opt/app/help/dalolm.html"},
        HelpCase {2, 2, "orbolm.html", "/opt/app/help/orbisca/orbolm.html"},
        HelpCase {2, 2, "x.html", "/opt/app/help/orbisca/orbolm.files/x.html"},
        HelpCase {1, 3, "x.html", "/opt/app/help/fitolm.files/x.html"}, HelpCase {1, 4, "x.html", nullptr},
        HelpCase {2, 9, "olm.html", nullptr}));

TEST(ShowHtmlHelpTest, OpensThroughTheReplaceableOpener)
{
    std::vector<std::string> opened;
    const auto previous = controls::setUrlOpener([&](const std::string& address) {
        opened.push_back(address);
        return 7;
    });
    const std::string savedDir = SysDef.HelpDir;
    const auto savedDist = DistKind;
    const auto savedApp = AppKind;
    SysDef.HelpDir = "/srv/manual";
    DistKind = 0;
    AppKind = 0;
    EXPECT_EQ(ShowHtmlHelp("tsusin07.html"), 7);
    EXPECT_EQ(ShowHtmlHelp(""), 0);
    AppKind = 5;
    EXPECT_EQ(ShowHtmlHelp("tsusin07.html"), 0);
    SysDef.HelpDir = savedDir;
    DistKind = savedDist;
    AppKind = savedApp;
    controls::setUrlOpener(previous);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "/srv/manual/olm.files/tsusin07.html");
}

} // namespace
