#include "platform/named_mutex.h"

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"

namespace platform {
namespace {

// Opens (creating when missing) the lock file. Read access is enough for
// flock, which lets a process open a file another user created.
int openLockFile(const std::string& path, std::string* error)
{
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0) {
        // Other users' programs must be able to open it too (in /tmp).
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid())
            ::fchmod(fd, 0666);
        return fd;
    }
    const int err = errno;
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && error)
        *error = "NamedMutex: " + path + ": " + std::generic_category().message(err);
    return fd;
}

int lockNonBlocking(int fd)
{
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

} // namespace

std::string NamedMutex::lockPath(std::string_view name)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = runtime && *runtime ? std::string(runtime) : std::string("/tmp");
    std::string file(name);
    for (char& c : file)
        if (c == '/' || c == '\\')
            c = '_';
    return paths::join(folder, file + ".lock");
}

NamedMutex::NamedMutex(std::string name) : name_(std::move(name)) {}

NamedMutex::~NamedMutex()
{
    unlock();
}

bool NamedMutex::tryLock()
{
    if (fd_ >= 0)
        return true;
    lastError_.clear();
    const int fd = openLockFile(lockPath(name_), &lastError_);
    if (fd < 0)
        return false;
    const int err = lockNonBlocking(fd);
    if (err != 0) {
        ::close(fd);
        if (err != EWOULDBLOCK)
            lastError_ = "NamedMutex.tryLock: " + lockPath(name_) + ": " + std::generic_category().message(err);
        return false;
    }
    fd_ = fd;
    return true;
}

void NamedMutex::unlock()
{
    if (fd_ < 0)
        return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

bool NamedMutex::exists(std::string_view name)
{
    const std::string path = lockPath(name);
    if (!paths::exists(path))
        return false; // never created: nobody can hold it
    const int fd = openLockFile(path, nullptr);
    if (fd < 0)
        return false;
    const int err = lockNonBlocking(fd);
    if (err == 0)
        ::flock(fd, LOCK_UN);
    ::close(fd);
    return err == EWOULDBLOCK;
}

} // namespace platform
