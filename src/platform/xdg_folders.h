#pragma once
// Where the program keeps its files on Linux.
//
// The Windows special folders map to the XDG base directories:
//   common application data  $XDG_DATA_HOME      or ~/.local/share
//   documents                $XDG_DOCUMENTS_DIR  or ~/Documents
//   configuration            $XDG_CONFIG_HOME    or ~/.config
//   desktop                  $XDG_DESKTOP_DIR    or ~/Desktop
//   temporary files          $TMPDIR             or /tmp
//
// The environment variable MIRUZA_HOME moves the program's whole tree: when
// it is set (and not empty) the folders are $MIRUZA_HOME/data,
// $MIRUZA_HOME/documents, $MIRUZA_HOME/config, $MIRUZA_HOME/desktop and
// $MIRUZA_HOME/tmp, created on demand. Tests and the sample run use it.
//
// Every folder comes back without a trailing "/". The environment is read
// on every call, so a test may change it.

#include <string>

namespace platform::xdg_folders {

std::string appDataDir();
std::string documentsDir();
std::string configDir();
std::string desktopDir();
std::string tempDir();

// The user's home folder ($HOME, else the password database entry).
std::string homeDir();

// Folder of the running program file (from /proc/self/exe); "." when it
// cannot be read.
std::string programDir();

// The MIRUZA_HOME value, or "" when the tree is not moved.
std::string movedHome();

} // namespace platform::xdg_folders
