#pragma once
// Saves every piece of process-wide state (the global records, the hooks and
// services, the per-company tables, the data module pointer; see
// core/ProcessState.h) and puts it all back when it goes out of scope.
//
//   test_support::ProcessScope scope;
//   SysDef.OpCode = 10001;                       // undone at the end
//   core::setMessageHandler(answerYes);          // undone as well
//
// Every test of the executables that link core already runs inside one (the
// listener in support/listener), so a test can never leak state into the
// next and the executables pass with --gtest_shuffle; use a scope of your own
// for a narrower stretch.

#include "core/ProcessState.h"

namespace test_support {

class ProcessScope {
public:
    ProcessScope() = default;
    ProcessScope(const ProcessScope&) = delete;
    ProcessScope& operator=(const ProcessScope&) = delete;
    // Puts everything back now (the destructor then has nothing to do).
    void restore() { snapshot_.restore(); }

private:
    core::TProcessStateSnapshot snapshot_;
};

} // namespace test_support
