#include "platform/xdg_folders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <cerrno>
#include <stdexcept>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"

namespace platform::xdg_folders {
namespace {

std::string env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// A folder of the moved tree, created when missing (a failure to create it
// shows later, when the caller uses the folder).
std::string moved(const char* sub)
{
    const std::string folder = paths::join(paths::excludeDelimiter(movedHome()), sub);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

std::string xdg(const char* variable, const char* fallbackBelowHome)
{
    const std::string value = env(variable);
    if (!value.empty())
        return paths::excludeDelimiter(value);
    return paths::join(homeDir(), fallbackBelowHome);
}

} // namespace

std::string movedHome()
{
    return env("MIRUZA_HOME");
}

std::string homeDir()
{
    const std::string home = env("HOME");
    if (!home.empty())
        return paths::excludeDelimiter(home);
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir)
        return paths::excludeDelimiter(pw->pw_dir);
    return "/";
}

std::string appDataDir()
{
    return movedHome().empty() ? xdg("XDG_DATA_HOME", ".local/share") : moved("data");
}

std::string documentsDir()
{
    return movedHome().empty() ? xdg("XDG_DOCUMENTS_DIR", "Documents") : moved("documents");
}

std::string configDir()
{
    return movedHome().empty() ? xdg("XDG_CONFIG_HOME", ".config") : moved("config");
}

std::string desktopDir()
{
    return movedHome().empty() ? xdg("XDG_DESKTOP_DIR", "Desktop") : moved("desktop");
}

std::string tempDir()
{
    if (!movedHome().empty())
        return moved("tmp");
    const std::string tmp = env("TMPDIR");
    return tmp.empty() ? std::string("/tmp") : paths::excludeDelimiter(tmp);
}

void ensurePrivateFolder(const std::string& folder)
{
    const auto refuse
        = [&](const std::string& why) { throw std::runtime_error("runtime folder " + folder + ": " + why); };
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        refuse(std::generic_category().message(errno));
    // lstat: a link in the folder's place is refused, not followed.
    struct stat st { };
    if (::lstat(folder.c_str(), &st) != 0)
        refuse(std::generic_category().message(errno));
    if (!S_ISDIR(st.st_mode))
        refuse("not a folder (a link or a file stands in its place)");
    if (st.st_uid != ::geteuid())
        refuse("owned by another user");
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        refuse("writable by other users");
}

std::string runtimeDir()
{
    const std::string runtime = env("XDG_RUNTIME_DIR");
    if (!runtime.empty())
        return paths::excludeDelimiter(runtime);
    // /tmp is shared by every user: a private folder keeps others from
    // planting links or taking our socket names first.
    const std::string folder = "/tmp/miruza-" + std::to_string(::geteuid());
    ensurePrivateFolder(folder);
    return folder;
}

std::string programDir()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return ".";
    return paths::folderOf(exe.string());
}

} // namespace platform::xdg_folders
