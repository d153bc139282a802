// Linked into every test executable above the platform layer: each test runs
// inside a ProcessScope, taken after its suite's SetUpTestSuite, so whatever
// a test changes of the process-wide state is undone before the next one.

#include "support/process_scope.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class ProcessScopeListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { scope_ = std::make_unique<test_support::ProcessScope>(); }
    void OnTestEnd(const ::testing::TestInfo&) override { scope_.reset(); }

    std::unique_ptr<test_support::ProcessScope> scope_;
};

const bool kInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ProcessScopeListener);
    return true;
}();

} // namespace
