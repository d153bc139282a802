#pragma once
// A sample data root in a temporary folder, built by the same code as the
// make_sample_root tool: system database, file-manager database, one general
// company data set with its tnacc.ini, the connection settings file and the
// registry stand-in. One root per test suite (SetUpTestSuite), removed in
// TearDownTestSuite.
//
// Building a root takes seconds; a test run builds it once. The ctest entry
// SampleTemplate (tests/sample_template.cpp), the setup of a fixture every
// test requires, builds a root and a company database from the scripts into
// <build>/sample-template (MIRUZA_SAMPLE_TEMPLATE names another folder), and
// every test that asks for the default root gets a copy of it with the paths
// stored in its databases and settings files moved to the copy's folder. A
// template older than the test program or made from other scripts is not
// used: the root is built then.

#include "sample_data.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace test_support {

// A new empty folder below the temporary folder, removed with the object.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "miruza-test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const noexcept { return path_; }
    // path()/name
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

class SampleRoot {
public:
    // Builds a fresh root in a new temporary folder.
    explicit SampleRoot(const sample::SampleOptions& options = {});
    ~SampleRoot(); // removes the folder
    SampleRoot(const SampleRoot&) = delete;
    SampleRoot& operator=(const SampleRoot&) = delete;

    // The moved home of the root (info().folder); the temporary folder
    // around it is removed with the object.
    const std::string& folder() const noexcept { return info_.folder; }
    const sample::SampleRootInfo& info() const noexcept { return info_; }

private:
    std::string folder_;
    std::unique_ptr<TempFolder> holder_;
    sample::SampleRootInfo info_;
};

// The folder of the run's template, "" when there is none or it is stale.
std::string sampleTemplateFolder();

// Writes the template into folder (which must not exist): the root below
// folder/root, its facts in folder/root.info, a company database made from
// the "company" scripts by SYSDBA as folder/company.fdb.
void buildSampleTemplate(const std::string& folder);

// A company database made from the "company" scripts (SYSDBA, no forced
// writes) at path: the template's copy when there is one.
void companyDatabaseFromScripts(const std::string& path);

// A database made from a selection of the sample/sql scripts, named by file
// ("company_010_schema.sql") and run in the order given, for a test that
// needs less than a whole kind. No forced writes; databaseName may name a
// server ("127.0.0.1/<port>:<path>").
void databaseFromScripts(const std::string& databaseName, const std::vector<std::string>& scripts,
    const std::string& user = "SYSDBA", const std::string& password = "");

// Base for test suites that share one sample root.
class SampleRootSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    static const SampleRoot& root();

private:
    static std::unique_ptr<SampleRoot> root_;
};

} // namespace test_support
