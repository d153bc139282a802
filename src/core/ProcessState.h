#pragma once
// The process-wide state in one list: the global records, the hooks and
// services the program installs at start (message box, input dialog, folder
// and file dialogs, screen metrics, trial-balance engines, data-list
// updater, …) and the per-company tables. Each piece registers itself once,
// beside its definition:
//
//   namespace { const bool kKept = core::KeepProcessState(handler()); }
//
// and a TProcessStateSnapshot saves every registered piece and puts it back
// when it goes (the test support wraps every test in one, so no test sees
// another's leftovers). What the program installs at start is installed in
// one place, InstallProgramServices (wizard/gui/ProgramServices.h).

#include <functional>
#include <vector>

namespace core {

// Saves one piece of state and answers how to put it back.
using TStateRestore = std::function<void()>;
using TStateCapture = std::function<TStateRestore()>;

// Adds a piece to the list; answers true (for use in a static initialiser).
bool RegisterProcessState(TStateCapture capture);

// Registers variables restored by copy assignment.
template <class... T> bool KeepProcessState(T&... values)
{
    (RegisterProcessState([&value = values] {
        auto saved = value;
        return TStateRestore([&value, saved = std::move(saved)] { value = saved; });
    }),
        ...);
    return true;
}

// Every registered piece as it is now; restore() (or the destructor) puts
// them back, in reverse order of registration.
class TProcessStateSnapshot {
public:
    TProcessStateSnapshot();
    ~TProcessStateSnapshot() { restore(); }
    TProcessStateSnapshot(const TProcessStateSnapshot&) = delete;
    TProcessStateSnapshot& operator=(const TProcessStateSnapshot&) = delete;
    void restore();

private:
    std::vector<TStateRestore> restores_;
};

// How many pieces are registered (for the test support's own check).
std::size_t ProcessStateCount();

} // namespace core
