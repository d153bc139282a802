#pragma once
// POSIX path rules shared by the whole program.
//
// Paths are stored and compared exactly as written: "/" is the only
// delimiter, nothing is case-folded. The guards that keep files out of the
// file-system root and away from the system folders work on canonical
// paths, so "/usr/", "/usr/.", "/usr/bin/.." or a symbolic link to "/etc"
// cannot slip past them.

#include <string>
#include <string_view>
#include <utility>

namespace platform::paths {

inline constexpr char kDelimiter = '/';

// The path with exactly one trailing "/" (an empty path stays empty; "/"
// stays "/").
std::string includeDelimiter(std::string_view path);

// The path without trailing "/" ("/" itself stays "/": it has nothing else).
std::string excludeDelimiter(std::string_view path);

// folder + "/" + name, with exactly one delimiter between them. An empty
// folder gives the name; an empty name gives the folder with a trailing "/".
std::string join(std::string_view folder, std::string_view name);

// Folder part of a path, without trailing delimiter ("" when the path has no
// "/", "/" for "/name").
std::string folderOf(std::string_view path);

// Last component of a path ("" when the path ends in "/").
std::string fileNameOf(std::string_view path);

// A data path cut at its last delimiter: {folder with trailing "/", name}.
// A path without delimiter gives {"", path}. Trailing delimiters are removed
// before cutting, so "/data/co1/" gives {"/data/", "co1"}.
std::pair<std::string, std::string> splitDataPath(std::string_view path);

// Lexically normalised absolute form: relative paths are taken from the
// current directory, "." and ".." and repeated "/" are resolved, no trailing
// "/" (but "/" for the root). Symbolic links are not followed.
std::string normalize(std::string_view path);

// The real path: symbolic links of the existing leading part resolved, the
// missing rest appended lexically. Never throws; an empty input gives "".
std::string canonical(std::string_view path);

// True when the canonical form of path is the file-system root "/".
bool isFileSystemRoot(std::string_view path);

// True when the canonical form of path is a folder that shell copy, move
// and delete must never touch: "/", a top-level system or mount folder
// (/home, /tmp, /var, /opt, /srv, /mnt, /media, /run, /root, /var/tmp, ...),
// the user's home folder itself, or anything at or below the operating
// system's own trees (/usr, /etc, /bin, /sbin, /lib*, /boot, /dev, /proc,
// /sys). A blank path is also refused.
bool isProtectedPath(std::string_view path);

// True when the path names an existing folder.
bool isDirectory(std::string_view path);

// True when the path names an existing file or folder.
bool exists(std::string_view path);

} // namespace platform::paths
