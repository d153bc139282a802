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

// Folder for the user's lock files and sockets: $XDG_RUNTIME_DIR, or, when
// that is unset, /tmp/miruza-<uid>, which is created with mode 0700 and
// must be a real folder owned by the user and writable by nobody else.
// Throws std::runtime_error when that folder cannot be made safe (another
// user planted it, a link stands in its place).
std::string runtimeDir();

// The check behind runtimeDir() for a given folder: creates it (0700) when
// missing, then refuses anything but a folder of the effective user that
// group and others cannot write. Throws std::runtime_error naming the folder.
void ensurePrivateFolder(const std::string& folder);

} // namespace platform::xdg_folders
