#include "temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace test_support {
namespace fs = std::filesystem;

TempDir::TempDir()
{
    std::string pattern = "/tmp/miruza-test-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("TempDir: cannot create " + pattern);
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Tests may leave read-only folders behind; make them writable first.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_directory(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string TempDir::file(std::string_view relative) const
{
    while (!relative.empty() && relative.front() == '/')
        relative.remove_prefix(1);
    return relative.empty() ? path_ : path_ + "/" + std::string(relative);
}

std::string TempDir::write(std::string_view relative, std::string_view bytes) const
{
    const std::string target = file(relative);
    fs::create_directories(fs::path(target).parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("TempDir::write: cannot write " + target);
    return target;
}

std::string TempDir::read(std::string_view relative) const
{
    const std::string source = file(relative);
    std::ifstream in(source, std::ios::binary);
    if (!in)
        throw std::runtime_error("TempDir::read: cannot open " + source);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string TempDir::makeDir(std::string_view relative) const
{
    const std::string folder = file(relative);
    fs::create_directories(folder);
    return folder;
}

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value)
    : name_(std::move(name))
{
    if (const char* old = std::getenv(name_.c_str()))
        previous_ = old;
    if (value)
        ::setenv(name_.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

ScopedEnv::~ScopedEnv()
{
    if (previous_)
        ::setenv(name_.c_str(), previous_->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

ScopedMiruzaHome::ScopedMiruzaHome()
    : dir_()
    , env_("MIRUZA_HOME", dir_.path())
{
}

} // namespace test_support
