#pragma once
// Opening a page of the HTML manual.

#include <cstdint>
#include <optional>
#include <string>

// Opens the manual page (for example "tsusin07.html") through the URL
// opener and returns its result (0 success). An empty page name or a
// program kind without a manual folder opens nothing and returns 0.
int ShowHtmlHelp(const std::string& page);

namespace controls {

// The full path of a manual page: the manual folder, the folder part for
// the distribution and program kind, the page; nullopt when nothing is to
// be opened.
std::optional<std::string> htmlHelpPath(
    const std::string& manualFolder, std::uint8_t distributionKind, std::uint8_t appKind, const std::string& page);

} // namespace controls
