#pragma once
// Screen-side pieces of the platform utilities: the folder, computer and
// file dialogs, bringing a window to the front, dropping pending input and
// the screen metrics. The guards around the dialogs live in core
// (PlatformUtil); the program installs these functions as its hooks:
//
//   SetFolderDialogHooks({platform::gui::browseFolder, platform::gui::browseComputer});
//   SetScreenMetricsHooks({platform::gui::screenDotsPerInch, platform::gui::frameHeight});
//   ExecuteFileDialog(platform::gui::fileDialogRunner(dialog), fileName);

#include <functional>
#include <optional>
#include <string>

class QFileDialog;
class QWidget;

namespace platform::gui {

// The folder browser: folders only, starting at initial (or root when
// initial is empty), the chosen folder's path shown as it changes.
std::optional<std::string> browseFolder(const std::string& title, const std::string& initial, const std::string& root);

// A host-name prompt in place of the network computer browser; a blank
// entry counts as Cancel.
std::optional<std::string> browseComputer(const std::string& title, const std::string& initial);

// Runs the dialog modally each time it is called; the first selected file,
// or nothing on Cancel. The dialog must outlive the returned function.
std::function<std::optional<std::string>()> fileDialogRunner(QFileDialog& dialog);

// Raises and activates the window.
void forceForegroundWindow(QWidget* window);

// Processes pending events with every mouse and key press/release for the
// window (or any window when null) dropped.
void clearInputMessages(QWidget* window);

// No foreign windows are looked up on Linux: always null.
QWidget* findWindowByName(const std::string& className, const std::string& title);

// Logical dots per inch of the main window's screen (the primary screen
// while there is no main window); 96 without a screen.
int screenDotsPerInch();

// Height of a sizing frame in pixels (from the style); 4 without a style.
int frameHeight();

} // namespace platform::gui
