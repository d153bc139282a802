#include "platform/xdg_folders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <pwd.h>
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

std::string programDir()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return ".";
    return paths::folderOf(exe.string());
}

} // namespace platform::xdg_folders
