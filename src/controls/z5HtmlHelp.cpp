#include "controls/z5HtmlHelp.h"

#include "controls/UrlOpener.h"
#include "core/uAccRecord.h"

#include <array>

namespace controls {

namespace {

// The folder of a manual's main page and of its other pages.
struct HelpFolders {
    const char* mainPage;
    const char* otherPages;
};
// By application kind 0-3: for distribution kinds 1 and 2, and for the others.
constexpr std::array<HelpFolders, 4> kFoldersOfKinds12 {{
    {"/varov/", "/varov/olm.files/"},
    {"/", "/dalolm.files/"},
    {"/orbisca/", "/orbisca/orbolm.files/"},
    {"/", "/fitolm.files/"},
}};
constexpr std::array<HelpFolders, 4> kFoldersOfOtherKinds {{
    {"/", "/olm.files/"},
    {"/", "/olm.files/"},
    {"/", "/olm.files/"},
    {"/", "/fitolm.files/"},
}};

} // namespace

std::optional<std::string> htmlHelpPath(
    const std::string& manualFolder, std::uint8_t distributionKind, std::uint8_t appKind, const std::string& page)
{
    if (page.empty() || appKind >= kFoldersOfKinds12.size()) {
        return std::nullopt;
    }
    const bool mainPage = page == "olm.html" || page == "dalolm.html" || page == "orbolm.html" || page == "fitolm.html";
    const bool kinds12 = distributionKind == 1 || distributionKind == 2;
    const HelpFolders& folders = (kinds12 ? kFoldersOfKinds12 : kFoldersOfOtherKinds)[appKind];
    return manualFolder + (mainPage ? folders.mainPage : folders.otherPages) + page;
}

} // namespace controls

int ShowHtmlHelp(const std::string& page)
{
    const auto path = controls::htmlHelpPath(SysDef.HelpDir, DistKind, AppKind, page);
    if (!path) {
        return 0;
    }
    return controls::openUrl(*path);
}
