#pragma once
// Network drive letters on Linux: a share root is a folder (usually a
// mounted network file system) listed under a letter in "share_roots.ini"
// in the configuration folder (xdg_folders::configDir()). Each letter is a
// section:
//   [X]
//   FOLDER=/mnt/server/share
//   REMOTE=1
// REMOTE=1 marks a folder on another computer (what a remote drive is to
// the drive scan); REMOTE=0 lists a local folder under a letter. Letters
// are A to Z, case ignored; sections that are not a letter, or have no
// folder, are ignored. docs/share-roots.md describes the file.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::share_roots {

struct ShareRoot {
    char letter = 0; // 'A'..'Z'
    std::string folder; // without a trailing "/"
    bool remote = false;
};

std::string defaultPath();

// The table, sorted by letter. A missing file gives an empty table.
std::vector<ShareRoot> load(const std::string& file = defaultPath());
// Writes the table (atomically), replacing the file.
void save(const std::vector<ShareRoot>& roots, const std::string& file = defaultPath());

// The root whose folder is the path or holds it (the longest such folder).
std::optional<ShareRoot> rootOf(std::string_view path, const std::string& file = defaultPath());
// True when the path lies in a root marked remote.
bool isRemotePath(std::string_view path, const std::string& file = defaultPath());

} // namespace platform::share_roots
