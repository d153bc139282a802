// Linked into every test executable above the platform layer: each test
// suite runs inside a ProcessScope taken before its SetUpTestSuite and put
// back after its TearDownTestSuite, and each test inside one of its own
// taken after the suite's set-up, so whatever a suite or a test changes of
// the process-wide state is undone before the next one runs.

#include "support/process_scope.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class ProcessScopeListener : public ::testing::EmptyTestEventListener {
    void OnTestSuiteStart(const ::testing::TestSuite&) override
    {
        suite_ = std::make_unique<test_support::ProcessScope>();
    }
    void OnTestSuiteEnd(const ::testing::TestSuite&) override { suite_.reset(); }
    void OnTestStart(const ::testing::TestInfo&) override { test_ = std::make_unique<test_support::ProcessScope>(); }
    void OnTestEnd(const ::testing::TestInfo&) override { test_.reset(); }

    std::unique_ptr<test_support::ProcessScope> suite_;
    std::unique_ptr<test_support::ProcessScope> test_;
};

const bool kInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ProcessScopeListener);
    return true;
}();

} // namespace
