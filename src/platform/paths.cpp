#include "platform/paths.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::paths {
namespace fs = std::filesystem;

std::string includeDelimiter(std::string_view path)
{
    if (path.empty())
        return {};
    std::string out = excludeDelimiter(path);
    if (out != "/")
        out += kDelimiter;
    return out;
}

std::string excludeDelimiter(std::string_view path)
{
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == kDelimiter)
        --end;
    return std::string(path.substr(0, end));
}

std::string join(std::string_view folder, std::string_view name)
{
    if (folder.empty())
        return std::string(name);
    std::size_t start = 0;
    while (start < name.size() && name[start] == kDelimiter)
        ++start;
    return includeDelimiter(folder) + std::string(name.substr(start));
}

std::string folderOf(std::string_view path)
{
    const auto pos = path.rfind(kDelimiter);
    if (pos == std::string_view::npos)
        return {};
    if (pos == 0)
        return "/";
    return excludeDelimiter(path.substr(0, pos));
}

std::string fileNameOf(std::string_view path)
{
    const auto pos = path.rfind(kDelimiter);
    if (pos == std::string_view::npos)
        return std::string(path);
    return std::string(path.substr(pos + 1));
}

std::pair<std::string, std::string> splitDataPath(std::string_view path)
{
    const std::string trimmed = excludeDelimiter(path);
    const auto pos = trimmed.rfind(kDelimiter);
    if (pos == std::string::npos)
        return {std::string(), trimmed};
    return {trimmed.substr(0, pos + 1), trimmed.substr(pos + 1)};
}

std::string normalize(std::string_view path)
{
    if (path.empty())
        return {};
    fs::path p {std::string(path)};
    if (p.is_relative()) {
        std::error_code ec;
        const fs::path cwd = fs::current_path(ec);
        p = (ec ? fs::path("/") : cwd) / p;
    }
    std::string out = p.lexically_normal().string();
    return excludeDelimiter(out.empty() ? std::string("/") : out);
}

std::string canonical(std::string_view path)
{
    if (path.empty())
        return {};
    std::error_code ec;
    // weakly_canonical resolves links of the existing part and normalises
    // the rest; it reports errors (permission) through ec.
    const fs::path resolved = fs::weakly_canonical(fs::path(normalize(path)), ec);
    if (ec)
        return normalize(path);
    return normalize(resolved.string());
}

bool isFileSystemRoot(std::string_view path)
{
    return !path.empty() && canonical(path) == "/";
}

namespace {

bool isAtOrBelow(const std::string& path, std::string_view tree)
{
    if (path.size() < tree.size() || path.compare(0, tree.size(), tree) != 0)
        return false;
    return path.size() == tree.size() || path[tree.size()] == kDelimiter;
}

std::string userHome()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
}

} // namespace

bool isProtectedPath(std::string_view path)
{
    bool blank = true;
    for (char c : path)
        if (c != ' ' && c != '\t')
            blank = false;
    if (blank)
        return true;

    std::string_view guarded = path;
    // "folder/*" stands for the folder's contents: guard the folder.
    if (const auto slash = guarded.rfind(kDelimiter); slash != std::string_view::npos) {
        const std::string_view last = guarded.substr(slash + 1);
        if (last.find_first_of("*?") != std::string_view::npos)
            guarded = slash == 0 ? std::string_view("/") : guarded.substr(0, slash);
    }
    const std::string real = canonical(guarded);
    // The operating system's own trees: nothing at or below them.
    static constexpr std::array<std::string_view, 12> systemTrees
        = {"/usr", "/etc", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32", "/boot", "/dev", "/proc", "/sys"};
    for (std::string_view tree : systemTrees)
        if (isAtOrBelow(real, tree))
            return true;
    // Top-level and shared folders: the folder itself (their sub-folders
    // hold ordinary data, temporary folders and database files).
    static constexpr std::array<std::string_view, 13> wholeFolders = {"/", "/home", "/tmp", "/var", "/var/tmp",
        "/var/lib", "/opt", "/srv", "/mnt", "/media", "/run", "/root", "/snap"};
    for (std::string_view folder : wholeFolders)
        if (real == folder)
            return true;
    const std::string home = userHome();
    if (!home.empty() && real == canonical(home))
        return true;
    return false;
}

bool isDirectory(std::string_view path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    return fs::is_directory(fs::path(std::string(path)), ec);
}

bool exists(std::string_view path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    return fs::exists(fs::path(std::string(path)), ec);
}

} // namespace platform::paths
