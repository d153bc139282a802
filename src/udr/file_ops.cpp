#include "udr/file_ops.h"

#include "platform/atomic_file.h"
#include "platform/codec.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace udr {

namespace {

std::string upper(std::string_view s)
{
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return r;
}

std::string trim(std::string_view s)
{
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos)
        return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(b, e - b + 1));
}

[[noreturn]] void fail(const std::string& what, const fs::path& path, const std::error_code& ec = {})
{
    std::string text = what + ": " + path.string();
    if (ec)
        text += " (" + ec.message() + ")";
    throw FileOpError(text);
}

bool within(const fs::path& root, const fs::path& p)
{
    auto r = root.begin();
    auto q = p.begin();
    for (; r != root.end(); ++r, ++q)
        if (q == p.end() || *r != *q)
            return false;
    return true;
}

bool isRegularFile(const fs::path& p)
{
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

bool isFolder(const fs::path& p)
{
    std::error_code ec;
    return fs::is_directory(p, ec);
}

// Writes what `source` hands out to the target through the program's atomic
// writer: the target is either the old file or the whole new one.
std::int64_t writeAtomically(const fs::path& target, const ChunkSource& source, const char* operation)
{
    try {
        return platform::writeFileAtomically(target.string(), source, operation);
    } catch (const platform::FileWriteError& e) {
        throw FileOpError(e.what());
    }
}

// Reads a file in pieces; `sink` sees each.
std::int64_t readInPieces(const fs::path& p, const ChunkSink& sink)
{
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail("cannot open", p, std::error_code(errno, std::generic_category()));
    std::string buffer(1 << 16, '\0');
    std::int64_t total = 0;
    try {
        for (;;) {
            const ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n < 0)
                fail("cannot read", p, std::error_code(errno, std::generic_category()));
            if (n == 0)
                break;
            sink(buffer.data(), std::size_t(n));
            total += n;
        }
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    return total;
}

} // namespace

Config loadConfig(const fs::path& settingsFile)
{
    std::ifstream in(settingsFile);
    if (!in)
        fail("the data root is not configured (no settings file)", settingsFile);
    std::string line;
    Config c;
    while (std::getline(in, line)) {
        const std::string t = trim(line);
        if (t.empty() || t[0] == '#')
            continue;
        const auto eq = t.find('=');
        if (eq != std::string::npos && upper(trim(t.substr(0, eq))) == "DATAROOT")
            c.dataRoot = trim(t.substr(eq + 1));
    }
    if (c.dataRoot.empty() || !c.dataRoot.is_absolute())
        fail("the settings file names no absolute DataRoot", settingsFile);
    std::error_code ec;
    c.dataRoot = fs::canonical(c.dataRoot, ec);
    if (ec || !isFolder(c.dataRoot))
        fail("the data root is not a folder", c.dataRoot, ec);
    return c;
}

fs::path settingsFileBesideLibrary()
{
    Dl_info info {};
    if (::dladdr(reinterpret_cast<void*>(&settingsFileBesideLibrary), &info) == 0 || info.dli_fname == nullptr)
        throw FileOpError("cannot find the folder of the procedure library");
    return fs::path(info.dli_fname).parent_path() / "miruza_udr.conf";
}

fs::path confine(const Config& config, std::string_view sjisPath)
{
    std::string utf8;
    try {
        utf8 = platform::codec::fromSjis(sjisPath);
    } catch (const platform::codec::CodecError& e) {
        throw FileOpError(std::string("the path is not code page 932: ") + e.what());
    }
    const fs::path raw(trim(utf8));
    if (raw.empty())
        throw FileOpError("empty path");
    if (!raw.is_absolute())
        fail("the path is not absolute", raw);
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(raw, ec);
    if (ec)
        fail("cannot resolve the path", raw, ec);
    if (!within(config.dataRoot, resolved))
        fail("the path is outside the data root " + config.dataRoot.string(), raw);
    return resolved;
}

int FileOperation(const Config& config, std::string_view mode, std::string_view path1, std::string_view path2)
{
    const std::string m = upper(trim(mode));
    if (m != "FEXIST" && m != "FCOPY" && m != "FDEL")
        throw FileOpError("unknown file operation " + m);
    const fs::path p1 = confine(config, path1);
    std::error_code ec;
    if (m == "FEXIST")
        return isRegularFile(p1) ? 1 : 0;
    if (m == "FDEL") {
        if (!fs::exists(fs::symlink_status(p1, ec)))
            return 0;
        if (isFolder(p1))
            fail("not a file", p1);
        if (!fs::remove(p1, ec) || ec)
            fail("cannot delete", p1, ec);
        return 1;
    }
    const fs::path p2 = confine(config, path2);
    if (!isRegularFile(p1))
        fail("no file to copy", p1);
    if (!isFolder(p2.parent_path()))
        fail("the target folder does not exist", p2.parent_path());
    if (p1 == p2)
        return 1;
    const int in = ::open(p1.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        fail("cannot open the source", p1, std::error_code(errno, std::generic_category()));
    try {
        writeAtomically(
            p2,
            [&](char* buf, std::size_t cap) -> std::size_t {
                const ssize_t n = ::read(in, buf, cap);
                if (n < 0)
                    fail("cannot read the source", p1, std::error_code(errno, std::generic_category()));
                return std::size_t(n);
            },
            "FCOPY");
    } catch (...) {
        ::close(in);
        throw;
    }
    ::close(in);
    return 1;
}

int DirectoryTest(const Config& config, std::string_view mode, std::string_view path)
{
    const std::string m = upper(trim(mode));
    if (m != "DEXIST" && m != "MKDIR" && m != "RMDIR")
        throw FileOpError("unknown folder operation " + m);
    const fs::path p = confine(config, path);
    std::error_code ec;
    if (m == "DEXIST")
        return isFolder(p) ? 1 : 0;
    if (m == "MKDIR") {
        fs::create_directories(p, ec);
        if (ec || !isFolder(p))
            fail("cannot create the folder", p, ec);
        return 1;
    }
    if (p == config.dataRoot)
        fail("the data root itself is never removed", p);
    if (!isFolder(p))
        return 0;
    fs::remove_all(p, ec);
    if (ec)
        fail("cannot remove the folder", p, ec);
    return 1;
}

std::string ShortName(const Config& config, std::string_view path)
{
    const fs::path p = confine(config, path);
    std::error_code ec;
    if (!fs::exists(p, ec))
        return {};
    return std::string(trim(std::string(path)));
}

std::int64_t ReadFile(const Config& config, std::string_view path, const ChunkSink& sink)
{
    const fs::path p = confine(config, path);
    if (!isRegularFile(p))
        fail("no such file", p);
    return readInPieces(p, sink);
}

std::int64_t WriteFile(const Config& config, std::string_view path, const ChunkSource& source)
{
    const fs::path p = confine(config, path);
    if (!isFolder(p.parent_path()))
        fail("the target folder does not exist", p.parent_path());
    if (isFolder(p))
        fail("a folder stands at the file's place", p);
    return writeAtomically(p, source, "BLOBTOFILE");
}

} // namespace udr
