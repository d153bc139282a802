#pragma once
// Opening an address (a web link or a local file) in the desktop's handler,
// behind one replaceable function so tests can record what would open.

#include <functional>
#include <string>

namespace controls {

// Returns 0 when the address was handed to the desktop, non-zero otherwise.
using UrlOpener = std::function<int(const std::string& address)>;

// Installs an opener and returns the one it replaces (the desktop opener
// when none was installed before).
UrlOpener setUrlOpener(UrlOpener opener);
int openUrl(const std::string& address);

// The desktop opener: an address with a scheme ("https://...") as a URL,
// anything else as a local file.
int openWithDesktop(const std::string& address);

} // namespace controls
