#pragma once
// The process registry: screens that others start by a process ID.
//
// A screen module registers its form class under an ID when the program
// starts (before the main form exists); whoever needs the screen starts it
// through core's OnExecProc hook, which the program points at ExecProc. The
// form implements IProcScreen: it takes name=value parameter lines and runs
// itself, answering an integer (1 means done).
//
// The registry sits in the controls library so that every screen library
// (data selection, communication) and the wizard can reach it without
// depending on one another.

#include <cstdint>
#include <string>
#include <vector>

class QWidget;

class IProcScreen {
public:
    virtual ~IProcScreen() = default;
    // Shows the screen (modal 1, otherwise modeless); the screen's own result.
    virtual std::int32_t Execute(std::uint8_t modal) = 0;
    // The parameter lines, each "name=value".
    virtual void SetParams(const std::vector<std::string>& params) = 0;
};

// A form class: its virtual constructor. The address names the class, so
// one class registered twice is recognised.
using TProcFormClass = QWidget* (*)(QWidget* owner);

// The constructor of form class T, for RegisterProc.
template <class T> QWidget* ProcFormClass(QWidget* owner)
{
    return new T(owner);
}

// Appends the class and its ID; a class already registered keeps its first
// ID (the later ID stays unknown). IDs match without regard to ASCII case.
void RegisterProc(TProcFormClass formClass, const std::string& id);

// A new, hidden form of the class registered under id (without an owner:
// the screen frees itself when it is done); nullptr for an unknown id.
QWidget* CreateProcForm(const std::string& id);

// Starts the screen of id with the parameter lines of paramText (separated
// by CR, LF or CR LF) plus "FormStyle=2" for a modal start (modal exactly 1)
// or "FormStyle=0" otherwise, and answers the screen's Execute result. -1
// for an empty id, while another start is under way (busy cursor), or
// after the error box for an unknown id or a form without IProcScreen.
std::int32_t ExecProc(const std::string& id, std::int32_t modal, const std::string& paramText);

// The registry's error box for a screen that cannot be started (unknown id,
// or a form without the interface its caller needs).
void ShowProcNotAvailable();

// What a started screen's Execute does first: the default cursor in place of
// the busy one (restored by ExecProc when the start ends). From then on the
// screen may start further screens.
void SetDefaultProcCursor();

// The host-menu callback: this program has no host menu and no other open
// process to tell a screen about, so every question answers 0.
std::int32_t HostMenuProc(std::int32_t command, const std::string& text);

// The registered IDs in registration order (for diagnostics and tests).
std::vector<std::string> RegisteredProcIds();

// Empties the registry (tests only: the program fills it once at start).
void ClearProcRegistry();
