#include "platform/exclusive_file.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/types.h>
#include <unistd.h>

namespace platform {

namespace {

std::string hostName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return "localhost";
    return name;
}

// A lock file written by a process of this computer that has ended.
bool isStale(const std::string& content)
{
    std::istringstream in(content);
    std::string host;
    long pid = 0;
    if (!(in >> host >> pid) || host != hostName() || pid <= 0)
        return false;
    return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

ExclusiveFile::~ExclusiveFile()
{
    release();
}

std::string ExclusiveFile::holderOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

ExclusiveFile::Result ExclusiveFile::acquire(const std::string& path, const std::string& what)
{
    release();
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0) {
            const std::string content = hostName() + " " + std::to_string(::getpid()) + " " + what + "\n";
            const bool written = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
            const bool closed = ::close(fd) == 0;
            if (!written || !closed) {
                ::unlink(path.c_str());
                return Result::Failed;
            }
            path_ = path;
            return Result::Taken;
        }
        if (errno != EEXIST)
            return Result::Failed;
        const std::string content = holderOf(path);
        if (attempt > 0 || !isStale(content))
            return Result::Busy;
        // Move the stale file aside under a name of our own and make sure it
        // is still the one judged stale: another process may have replaced
        // it with a live lock in the meantime, which is then put back.
        const std::string aside = path + "." + std::to_string(::getpid()) + ".stale";
        if (::rename(path.c_str(), aside.c_str()) != 0)
            continue;
        if (holderOf(aside) != content) {
            if (::link(aside.c_str(), path.c_str()) != 0) {
                ::unlink(aside.c_str());
                return Result::Busy;
            }
            ::unlink(aside.c_str());
            return Result::Busy;
        }
        ::unlink(aside.c_str());
    }
    return Result::Busy;
}

void ExclusiveFile::release() noexcept
{
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        path_.clear();
    }
}

} // namespace platform
