#include "core/PlatformUtil.h"
#include "core/ProcessState.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <thread>

#include <cerrno>
#include <fcntl.h>
#include <fnmatch.h>
#include <pwd.h>
#include <unistd.h>

#include "core/MessageService.h"
#include "core/TextRoutines.h"
#include "platform/atomic_file.h"
#include "platform/codec.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/plain_text.h"
#include "platform/process.h"
#include "platform/xdg_folders.h"

namespace fs = std::filesystem;
namespace paths = platform::paths;
namespace sf = platform::xdg_folders;

namespace {

constexpr const char* kSaveWarning
    = "この場所に保存するアクセス許可がありません。\r管理者に連絡してアクセス許可を取得してください。\r\r"
      "代わりに［ドキュメント］フォルダに保存しますか？\r";
constexpr const char* kPathTooLong
    = "選択した場所(パス)の文字長が処理できる範囲を超えました。\r別の場所を選択して下さい。\r";

TFolderDialogHooks& dialogHooks()
{
    static TFolderDialogHooks hooks;
    return hooks;
}

TScreenMetricsHooks& metricsHooks()
{
    static TScreenMetricsHooks hooks;
    return hooks;
}

// A message box whose lines are the "\r"-separated pieces of text.
int showLines(std::uint8_t kind, std::uint16_t buttons, std::string_view text)
{
    TMessage2InfoRec rec;
    InitMessage2Info(kind, rec);
    rec.buttons = buttons;
    std::size_t line = 0;
    std::size_t start = 0;
    while (start < text.size() && line < rec.lines.size()) {
        std::size_t end = text.find('\r', start);
        if (end == std::string_view::npos)
            end = text.size();
        rec.lines[line++].text = std::string(text.substr(start, end - start));
        start = end + 1;
    }
    return ShowMessage2(rec);
}

bool askDocumentsInstead()
{
    return showLines(msgkind::Warning, msgbtn::Yes | msgbtn::No, kSaveWarning) == modal::Yes;
}

bool hasWildcard(std::string_view name)
{
    return name.find_first_of("*?") != std::string_view::npos;
}

// The entries a source stands for: the matches of a wildcard last
// component, or the path itself when it exists.
std::vector<fs::path> expand(std::string_view source, std::error_code& ec)
{
    std::vector<fs::path> out;
    const std::string name = paths::fileNameOf(source);
    if (!hasWildcard(name)) {
        if (fs::exists(fs::symlink_status(std::string(source), ec)))
            out.emplace_back(std::string(source));
        return out;
    }
    std::string folder = paths::folderOf(source);
    if (folder.empty())
        folder = ".";
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (::fnmatch(name.c_str(), entry.c_str(), FNM_PERIOD) == 0)
            out.push_back(it->path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool isInside(const fs::path& inner, const fs::path& outer)
{
    const std::string a = paths::canonical(inner.string());
    const std::string b = paths::canonical(outer.string());
    return a == b || (a.size() > b.size() && a.compare(0, b.size(), b) == 0 && (b == "/" || a[b.size()] == '/'));
}

void copyEntry(const fs::path& from, const fs::path& to, std::error_code& ec)
{
    if (fs::is_directory(fs::symlink_status(from, ec))) {
        fs::create_directories(to, ec);
        if (ec)
            return;
        fs::copy(from, to,
            fs::copy_options::recursive | fs::copy_options::overwrite_existing | fs::copy_options::copy_symlinks, ec);
    } else {
        fs::copy(from, to, fs::copy_options::overwrite_existing | fs::copy_options::copy_symlinks, ec);
    }
}

void moveEntry(const fs::path& from, const fs::path& to, std::error_code& ec)
{
    if (fs::is_directory(to, ec) && fs::is_directory(from, ec)) {
        // Merge into an existing folder, as the shell does.
        for (auto it = fs::directory_iterator(from, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
            moveEntry(it->path(), to / it->path().filename(), ec);
            if (ec)
                return;
        }
        if (!ec)
            fs::remove(from, ec);
        return;
    }
    ec.clear();
    const auto toStatus = fs::symlink_status(to, ec);
    if (fs::exists(toStatus)) {
        // Only a file replaces a file; a folder is never dropped for one.
        if (fs::is_directory(toStatus) || fs::is_directory(fs::symlink_status(from, ec))) {
            ec = std::make_error_code(std::errc::file_exists);
            return;
        }
        fs::remove(to, ec);
        if (ec)
            return;
    }
    ec.clear();
    fs::rename(from, to, ec);
    if (ec == std::errc::cross_device_link) {
        ec.clear();
        copyEntry(from, to, ec);
        if (!ec)
            fs::remove_all(from, ec);
    }
}

// Moves an entry into the freedesktop trash of the data folder.
void moveToTrash(const fs::path& entry, std::error_code& ec)
{
    const fs::path trash = fs::path(sf::appDataDir()) / "Trash";
    fs::create_directories(trash / "files", ec);
    if (!ec)
        fs::create_directories(trash / "info", ec);
    if (ec)
        return;
    const std::string base = entry.filename().string();
    std::string name = base;
    for (int n = 2; fs::exists(trash / "files" / name) || fs::exists(trash / "info" / (name + ".trashinfo")); ++n)
        name = base + "." + std::to_string(n);

    char when[32];
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", &local);
    try {
        platform::writeFileAtomically((trash / "info" / (name + ".trashinfo")).string(),
            "[Trash Info]\nPath=" + paths::canonical(entry.string()) + "\nDeletionDate=" + when + "\n",
            "ShellDeleteRename");
    } catch (const platform::FileWriteError&) {
        ec = std::make_error_code(std::errc::io_error);
        return;
    }
    moveEntry(entry, trash / "files" / name, ec);
    if (ec)
        fs::remove(trash / "info" / (name + ".trashinfo"));
}

void showError(const std::string& text)
{
    showLines(msgkind::Error, msgbtn::OK, text);
}

std::string fillPercentS(std::string format, std::initializer_list<std::string_view> values)
{
    for (std::string_view v : values) {
        const auto at = format.find("%s");
        if (at == std::string::npos)
            break;
        format.replace(at, 2, v);
    }
    return format;
}

} // namespace

// --- Folders ----------------------------------------------------------------

std::string GetSystemDir()
{
    return "/usr";
}

std::string GetWinSystemDir()
{
    return GetSystemDir();
}

std::string GetMyDocumentsDir()
{
    return sf::documentsDir();
}

std::string GetAppDataDir(bool /*common*/)
{
    return sf::appDataDir();
}

std::string GetSpecialFolder(std::string_view keyword)
{
    std::string lower(keyword);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (lower == "desktop")
        return sf::desktopDir();
    if (keyword == "mydocument")
        return sf::documentsDir();
    return sf::programDir();
}

std::string GetTempDir(std::string_view defaultDir)
{
    const std::string temp = sf::tempDir();
    return paths::isDirectory(temp) ? temp : std::string(defaultDir);
}

bool ForceDir(std::string_view dir)
{
    if (dir.empty() || paths::isFileSystemRoot(dir))
        return paths::isDirectory(dir);
    if (paths::isDirectory(dir))
        return true;
    std::error_code ec;
    fs::create_directories(std::string(dir), ec);
    return !ec && paths::isDirectory(dir);
}

// --- Paths and files ----------------------------------------------------------

std::string ExcludeDelimiter(std::string_view path)
{
    return paths::excludeDelimiter(path);
}

std::string IncludeDelimiter(std::string_view path)
{
    return paths::includeDelimiter(path);
}

void GetShortPath(std::string_view path, std::string& shortPath)
{
    if (path.empty() || !paths::exists(path))
        throw EConvertError("ファイルが見つかりません。");
    shortPath = std::string(path);
}

std::string GetUNCPath(std::string_view path)
{
    return std::string(path);
}

std::vector<std::string> GetSubDirList(std::string_view dir, int mode)
{
    std::vector<std::string> list;
    bool blank = true;
    for (char c : dir)
        blank = blank && (c == ' ' || c == '\t');
    if (blank)
        return list;
    std::error_code ec;
    for (auto it = fs::directory_iterator(std::string(dir), ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError))
            continue;
        const std::string name = it->path().filename().string();
        list.push_back(mode == 1 ? name : paths::join(dir, name));
    }
    std::sort(list.begin(), list.end());
    return list;
}

std::int64_t GetFileSize64(std::string_view path)
{
    try {
        std::error_code ec;
        const auto matches = expand(path, ec);
        if (ec)
            return ec == std::errc::no_such_file_or_directory ? 0 : -1;
        if (matches.empty())
            return 0;
        const fs::path& first = matches.front();
        if (fs::is_directory(first, ec))
            return 0;
        const auto size = fs::file_size(first, ec);
        return ec ? -1 : static_cast<std::int64_t>(size);
    } catch (const std::exception&) {
        return -1;
    }
}

bool FileCopy(std::string_view source, std::string_view target)
{
    const std::string to(target);
    std::string temp = paths::join(
        paths::folderOf(to).empty() ? "." : paths::folderOf(to), "." + paths::fileNameOf(to) + ".copy-XXXXXX");
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    ::close(fd);
    std::error_code ec;
    fs::copy_file(std::string(source), temp, fs::copy_options::overwrite_existing, ec);
    if (!ec) {
        // On disk before it takes the target's name.
        const int copied = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
        if (copied < 0 || ::fsync(copied) != 0)
            ec = std::error_code(errno, std::generic_category());
        if (copied >= 0)
            ::close(copied);
    }
    if (!ec)
        fs::rename(temp, to, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
}

bool FileMove(std::string_view source, std::string_view target)
{
    std::error_code ec;
    fs::rename(std::string(source), std::string(target), ec);
    if (!ec)
        return true;
    if (ec != std::errc::cross_device_link)
        return false;
    if (!FileCopy(source, target))
        return false;
    fs::remove(std::string(source), ec);
    return true;
}

// --- Shell operations and guards ----------------------------------------------

bool IsSafeShellPath(std::string_view path)
{
    return !paths::isProtectedPath(path);
}

bool ShellCopyMove(std::string_view source, std::string_view target, int operation)
{
    if (operation != 1 && operation != 2)
        return false;
    if (!IsSafeShellPath(source) || !IsSafeShellPath(target)) {
        CommaTextMessage(
            fillPercentS("指定ディレクトリ[%s->%s]の複写・移動はできません。 ", {source, target}), msgkind::Error);
        return false;
    }
    try {
        std::error_code ec;
        const bool pattern = hasWildcard(paths::fileNameOf(source));
        const auto entries = expand(source, ec);
        if (ec || entries.empty())
            return false;
        const fs::path to {std::string(paths::excludeDelimiter(target))};
        const bool intoFolder = pattern || fs::is_directory(to, ec);
        if (pattern) {
            fs::create_directories(to, ec);
            if (ec)
                return false;
        } else if (!intoFolder && to.has_parent_path()) {
            fs::create_directories(to.parent_path(), ec);
            if (ec)
                return false;
        }
        for (const fs::path& entry : entries) {
            const fs::path dest = intoFolder ? to / entry.filename() : to;
            // A folder cannot go into itself.
            if (fs::is_directory(entry, ec) && isInside(dest, entry))
                return false;
            if (operation == 1)
                moveEntry(entry, dest, ec);
            else
                copyEntry(entry, dest, ec);
            if (ec)
                return false;
        }
        return true;
    } catch (const std::exception& e) {
        showError(e.what());
        return false;
    }
}

bool ShellDeleteRename(std::string_view path, int operation, bool undo, bool showErrors)
{
    if (operation != 3 && operation != 4)
        return false;
    if (!IsSafeShellPath(path)) {
        CommaTextMessage(fillPercentS(operation == 3 ? "ルート・システムディレクトリは、削除できません。<%s> "
                                                     : "ルート・システムディレクトリは、変更できません。<%s> ",
                             {path}),
            msgkind::Error);
        return false;
    }
    if (operation == 4)
        return false; // there is no new name to rename to
    try {
        std::error_code ec;
        const auto entries = expand(path, ec);
        if (!ec && entries.empty())
            ec = std::make_error_code(std::errc::no_such_file_or_directory);
        for (const fs::path& entry : entries) {
            if (ec)
                break;
            if (undo)
                moveToTrash(entry, ec);
            else
                fs::remove_all(entry, ec);
        }
        if (ec) {
            if (showErrors)
                showError(std::string(path) + ": " + ec.message());
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        if (showErrors)
            showError(e.what());
        return false;
    }
}

// --- The save-location guard ------------------------------------------------------

bool IsUacEnabled()
{
    TRegVariant value;
    ReadRegValue(platform::RegRoot::LocalMachine, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
        "EnableLUA", value);
    return std::holds_alternative<std::int64_t>(value) && std::get<std::int64_t>(value) == 1;
}

bool CheckSaveFolder(std::string& folder)
{
    std::string f = paths::includeDelimiter(folder);
    bool result = true;
    if (IsUacEnabled() && paths::isFileSystemRoot(f)) {
        if (askDocumentsInstead())
            f = paths::includeDelimiter(GetMyDocumentsDir()); // always with the delimiter callers append to
        else
            result = false;
    }
    folder = f;
    return result;
}

bool CheckSaveFilePath(std::string& filePath)
{
    const std::string name = paths::fileNameOf(filePath);
    std::string folder = paths::folderOf(filePath);
    if (!CheckSaveFolder(folder))
        return false;
    filePath = paths::includeDelimiter(folder) + name;
    return true;
}

// --- Dialogs ----------------------------------------------------------------------

TFolderDialogHooks SetFolderDialogHooks(TFolderDialogHooks hooks)
{
    std::swap(dialogHooks(), hooks);
    return hooks;
}

bool SelectFolderDialog(const std::string& title, std::string& path, bool skipUac, const std::string& root)
{
    const bool guard = !skipUac && IsUacEnabled();
    const std::string caption = title.empty() ? std::string("フォルダを選択して下さい") : title;
    for (;;) {
        const auto& browse = dialogHooks().browseFolder;
        const std::optional<std::string> chosen = browse ? browse(caption, path, root) : std::nullopt;
        if (!chosen)
            return false;
        path = *chosen;
        if (platform::codec::sjisWidth(path) > 255) {
            showLines(msgkind::Error, msgbtn::OK, kPathTooLong);
            return false;
        }
        if (!guard || !paths::isFileSystemRoot(path))
            return true;
        if (askDocumentsInstead()) {
            path = GetMyDocumentsDir();
            return true;
        }
    }
}

bool SelectComputerDialog(const std::string& title, std::string& computerName)
{
    const auto& browse = dialogHooks().browseComputer;
    const std::optional<std::string> chosen = browse
        ? browse(title.empty() ? std::string("コンピュータを選択して下さい") : title, computerName)
        : std::nullopt;
    if (!chosen)
        return false;
    computerName = *chosen;
    return true;
}

bool ExecuteFileDialog(const std::function<std::optional<std::string>()>& runDialog, std::string& fileName)
{
    const bool guard = IsUacEnabled();
    for (;;) {
        const std::optional<std::string> chosen = runDialog ? runDialog() : std::nullopt;
        if (!chosen)
            return false;
        fileName = *chosen;
        if (!guard || !paths::isFileSystemRoot(paths::folderOf(fileName)))
            return true;
        if (askDocumentsInstead()) {
            fileName = paths::join(GetMyDocumentsDir(), paths::fileNameOf(fileName));
            return true;
        }
    }
}

// --- Windows, waits and sizes -----------------------------------------------------

int GetWinMajorVersion()
{
    return 10;
}

std::string GetWinUserName()
{
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name)
        return pw->pw_name;
    return {};
}

bool WaitMilliSec(int ms)
{
    platform::waitProcessingEvents(std::chrono::milliseconds(ms > 0 ? ms : 0));
    return true;
}

TScreenMetricsHooks SetScreenMetricsHooks(TScreenMetricsHooks hooks)
{
    std::swap(metricsHooks(), hooks);
    return hooks;
}

int ScaleDPI(int value, int b, int c)
{
    if (c == 0)
        c = metricsHooks().dotsPerInch ? metricsHooks().dotsPerInch() : 96;
    if (b == c)
        return value;
    if (c == 0)
        return value; // no resolution known: nothing to scale by
    return static_cast<int>(static_cast<double>(value) * (static_cast<double>(b) / static_cast<double>(c)));
}

int AdjustFrameSize(int h, int kind)
{
    const int f = 2 * (metricsHooks().frameHeight ? metricsHooks().frameHeight() : 4);
    if (f <= 8)
        return h;
    if (kind == 0)
        return h - (f - 8);
    if (kind == 1)
        return h - 2 * (f - 8);
    return h;
}

void MulAddWord(std::uint16_t& out, std::uint16_t a, std::uint16_t b, std::uint16_t c)
{
    out = static_cast<std::uint16_t>(b + a * c);
}

// --- Settings files and registry ---------------------------------------------------

void WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
    const TIniVariant& value, bool deleteKey)
{
    platform::IniFile ini(file);
    if (deleteKey)
        ini.deleteKey(section, key);
    else if (std::holds_alternative<std::string>(value))
        ini.writeString(section, key, std::get<std::string>(value));
    else
        ini.writeInteger(section, key, std::get<std::int64_t>(value));
    // Callers rely on the pause before the file is touched again.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

std::string ReadIniSection(const std::string& file, const std::string& section)
{
    if (file.empty() || section.empty())
        return {};
    return platform::text::joinLines(platform::IniFile(file).readSectionValues(section));
}

void WriteIniSection(const std::string& file, const std::string& section, const std::vector<std::string>& lines)
{
    if (file.empty() || section.empty())
        return;
    platform::IniFile(file).writeSection(section, lines);
}

void ReadRegValue(platform::RegRoot root, const std::string& keyPath, const std::string& name, TRegVariant& value)
{
    value = std::int64_t {0};
    try {
        const auto stored = platform::Registry().readValue(root, keyPath, name);
        if (!stored)
            return;
        if (std::holds_alternative<std::string>(*stored))
            value = std::get<std::string>(*stored);
        else
            value = std::get<std::int64_t>(*stored);
    } catch (const platform::IniError&) {
        // An unreadable store reads as a missing value, as an unopenable key did.
    }
}

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(dialogHooks(), metricsHooks());
} // namespace
