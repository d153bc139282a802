#include "support/sample_root.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace test_support {

TempFolder::TempFolder(const std::string& prefix)
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data()))
        throw std::runtime_error("TempFolder: cannot create " + pattern);
    path_ = buf.data();
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

SampleRoot::SampleRoot(const sample::SampleOptions& options)
{
    TempFolder* holder = new TempFolder("miruza-sample");
    folder_ = holder->path();
    holder_.reset(holder);
    sample::SampleOptions o = options;
    o.forcedWrites = false; // scratch data: build fast
    info_ = sample::buildSampleRoot(folder_ + "/home", o);
}

SampleRoot::~SampleRoot() = default;

std::unique_ptr<SampleRoot> SampleRootSuite::root_;

void SampleRootSuite::SetUpTestSuite()
{
    root_ = std::make_unique<SampleRoot>();
}

void SampleRootSuite::TearDownTestSuite()
{
    root_.reset();
}

const SampleRoot& SampleRootSuite::root()
{
    if (!root_)
        root_ = std::make_unique<SampleRoot>();
    return *root_;
}

} // namespace test_support
