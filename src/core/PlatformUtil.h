#pragma once
// Folders, files, the save-location and shell guards, settings files, the
// registry read, waits and size scaling shared by the whole program.
//
// On Linux: paths use "/" and are compared exactly; the root of the system
// drive is "/"; the system folder is "/usr"; special folders come from
// platform::xdg_folders (XDG, or the tree moved by MIRUZA_HOME); the
// user-account-control switch is the value "EnableLUA" of the registry
// stand-in (off unless it reads as the integer 1). Guards work on
// canonical paths. Message boxes go through the message service
// (ShowMessage2), so tests answer them by script. Screens supply the real
// dialogs and screen metrics through the hooks below; core links no
// widgets.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/DateTimeUtil.h"
#include "platform/registry.h"

// --- Folders ----------------------------------------------------------------

std::string GetSystemDir(); // "/usr"
std::string GetWinSystemDir(); // the same folder; used by the shell guard
std::string GetMyDocumentsDir();
// Common (true) or the user's own (false) application-data folder; both are
// the data folder of the tree on Linux.
std::string GetAppDataDir(bool common);
// "desktop" (any case): the desktop folder; "mydocument": the documents
// folder; anything else: the program's folder.
std::string GetSpecialFolder(std::string_view keyword);
// The temporary-files folder when it exists, else defaultDir unchanged.
std::string GetTempDir(std::string_view defaultDir);
// True when the folder exists or was created with its parents; false for an
// empty path, the root, or a failed creation.
bool ForceDir(std::string_view dir);

// --- Paths and files ----------------------------------------------------------

std::string ExcludeDelimiter(std::string_view path);
std::string IncludeDelimiter(std::string_view path);

// EConvertError (DateTimeUtil.h) is thrown where the original raised a
// conversion error.

// Short names do not exist on Linux: shortPath receives the path itself.
// Throws EConvertError("ファイルが見つかりません。") when nothing exists there.
void GetShortPath(std::string_view path, std::string& shortPath);
// Every path is local: the path unchanged.
std::string GetUNCPath(std::string_view path);
// Sub-folders of a folder, "." and ".." excluded, sorted by name: names
// (mode 1) or full paths (any other mode). Empty for a blank or missing
// folder.
std::vector<std::string> GetSubDirList(std::string_view dir, int mode);
// Size in bytes of the first file matching the path (wildcards "*", "?" in
// the last component allowed); 0 when nothing matches; -1 on an error.
std::int64_t GetFileSize64(std::string_view path);
// Copies one file, overwriting the target (written to a temporary name in
// the target's folder, flushed and renamed when complete; the temporary
// file is removed on every failure).
bool FileCopy(std::string_view source, std::string_view target);
// Moves one file, overwriting the target. Within one file system a rename;
// across file systems a FileCopy into the target's folder, then the source
// is removed. On failure the source stays and no partial target is left.
bool FileMove(std::string_view source, std::string_view target);

// --- Shell operations and guards ----------------------------------------------

// Not blank and not a protected folder (platform::paths::isProtectedPath:
// "/", the system trees, top-level folders, the home folder), compared on
// the canonical path.
bool IsSafeShellPath(std::string_view path);
// Operation 1 move, 2 copy. A source whose last component has wildcards
// ("folder/*") stands for the matching entries, each copied or moved into
// the target folder (created when missing). Otherwise the source goes into
// the target when that is an existing folder, else it becomes the target.
// Missing target folders are created. An unsafe path shows
// "指定ディレクトリ[%s->%s]の複写・移動はできません。 " and returns false.
bool ShellCopyMove(std::string_view source, std::string_view target, int operation);
// Operation 3 deletes the file or folder tree (wildcards as above); with
// undo it goes to the trash (the freedesktop trash of the data folder).
// Operation 4 refuses unsafe paths and otherwise fails (it has no new
// name). Other operations return false. Errors are shown only with the
// show-errors flag.
bool ShellDeleteRename(std::string_view path, int operation, bool undo, bool showErrors);

// --- The save-location guard ------------------------------------------------------

// The user-account-control switch (registry stand-in).
bool IsUacEnabled();
// With the switch on and the folder being "/" (in any written form), asks
// whether to save in the documents folder instead: No gives false; Yes puts
// the documents folder (with a trailing "/") in folder. Otherwise true and
// folder gets a trailing "/".
bool CheckSaveFolder(std::string& folder);
// The same guard for the folder of a file path; on true the path is that
// folder, "/" and the file name.
bool CheckSaveFilePath(std::string& filePath);

// --- Dialogs ----------------------------------------------------------------------

// What the screens supply. Each returns the chosen text, or nothing on
// Cancel. A missing hook behaves as Cancel.
struct TFolderDialogHooks {
    // title, initial folder, root folder of the tree
    std::function<std::optional<std::string>(const std::string&, const std::string&, const std::string&)> browseFolder;
    // title, initial computer name
    std::function<std::optional<std::string>(const std::string&, const std::string&)> browseComputer;
};
// Installs the hooks and returns the previous ones.
TFolderDialogHooks SetFolderDialogHooks(TFolderDialogHooks hooks);

// Shows the folder browser (title empty: "フォルダを選択して下さい") from path
// until a folder is accepted. A path over 255 bytes (code page 932) shows
// the length error and gives false (path keeps the long path). With the
// guard on (skipUac false and the switch on) the root "/" asks for the
// documents folder instead: Yes takes it, No shows the browser again.
bool SelectFolderDialog(const std::string& title, std::string& path, bool skipUac, const std::string& root = {});
// The computer prompt (title empty: "コンピュータを選択して下さい").
bool SelectComputerDialog(const std::string& title, std::string& computerName);
// Runs a file dialog (runDialog shows it and returns the chosen file, or
// nothing on Cancel) under the guard: a file in "/" with the switch on
// asks; Yes gives documents folder + "/" + the file's name, No runs the
// dialog again.
bool ExecuteFileDialog(const std::function<std::optional<std::string>()>& runDialog, std::string& fileName);

// --- Windows, waits and sizes -----------------------------------------------------

// A constant 10: the platform is "new enough" for the guard to apply.
int GetWinMajorVersion();
// The login name; empty on failure.
std::string GetWinUserName();
// Waits at least ms milliseconds while processing events; returns true.
bool WaitMilliSec(int ms);

// Screen metrics the screens supply (defaults: 96 dots per inch, a sizing
// frame of 4 pixels).
struct TScreenMetricsHooks {
    std::function<int()> dotsPerInch; // the main form's, or the screen's
    std::function<int()> frameHeight; // the sizing-frame height
};
TScreenMetricsHooks SetScreenMetricsHooks(TScreenMetricsHooks hooks);

// value * b / c truncated toward zero; c 0 is the screen's resolution.
int ScaleDPI(int value, int b, int c = 0);
// f = twice the frame height; f <= 8: h; kind 0: h - (f - 8); kind 1:
// h - 2 * (f - 8); other kinds: h.
int AdjustFrameSize(int h, int kind);
// out = b + a * c in 16-bit arithmetic.
void MulAddWord(std::uint16_t& out, std::uint16_t a, std::uint16_t b, std::uint16_t c);

// --- Settings files and registry ---------------------------------------------------

using TIniVariant = std::variant<std::string, std::int64_t>;

// Deletes the key (deleteKey) or writes the value as text; saved to disk
// before it returns (then a 10 ms pause, as callers expect). File errors
// throw platform::IniError.
void WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
    const TIniVariant& value, bool deleteKey = false);
// The section's "key=value" lines, each ended by "\r\n"; empty when either
// argument is empty or the section is missing.
std::string ReadIniSection(const std::string& file, const std::string& section);
// Erases the section and writes the "key=value" lines in order, in one
// save; nothing when file or section is empty.
void WriteIniSection(const std::string& file, const std::string& section, const std::vector<std::string>& lines);

using TRegVariant = std::variant<std::int64_t, std::string>;
// value becomes the integer 0, then a string value's text or an integer
// value. A missing key or value leaves 0. Reads only.
void ReadRegValue(platform::RegRoot root, const std::string& keyPath, const std::string& name, TRegVariant& value);
