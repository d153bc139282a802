#include "controls/z5HtmlHelp.h"

#include "controls/UrlOpener.h"
#include "core/uAccRecord.h"

namespace controls {

std::optional<std::string> htmlHelpPath(
    const std::string& manualFolder, std::uint8_t distributionKind, std::uint8_t appKind, const std::string& page)
{
    if (page.empty()) {
        return std::nullopt;
    }
    const bool mainPage = page == "olm.html" || page == "dalolm.html" || page == "orbolm.html" || page == "fitolm.html";
    const char* part = nullptr;
    if (distributionKind == 1 || distributionKind == 2) {
        switch (appKind) {
        case 0:
            part = mainPage ? "/varov/" : "/varov/olm.files/";
            break;
        case 1:
            part = mainPage ? "/" : "/dalolm.files/";
            break;
        case 2:
            part = mainPage ? "/orbisca/" : "/orbisca/orbolm.files/";
            break;
        case 3:
            part = mainPage ? "/" : "/fitolm.files/";
            break;
        default:
            return std::nullopt;
        }
    } else {
        switch (appKind) {
        case 0:
        case 1:
        case 2:
            part = mainPage ? "/" : "/olm.files/";
            break;
        case 3:
            part = mainPage ? "/" : "/fitolm.files/";
            break;
        default:
            return std::nullopt;
        }
    }
    return manualFolder + part + page;
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
