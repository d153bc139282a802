#include "platform/named_mutex.h"

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"
#include "platform/xdg_folders.h"

namespace platform {
namespace {

// Opens (creating when missing) the lock file. A link in its place is
// refused (O_NOFOLLOW), so a planted link cannot make us create or open a
// file elsewhere; the mode of an existing file is never changed. Read
// access is enough for flock.
int openLockFile(const std::string& path, std::string* error)
{
    const auto failed = [&](int err) {
        if (error)
            *error = "NamedMutex: " + path + ": " + std::generic_category().message(err);
        return -1;
    };
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EACCES)
        fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    struct stat st { };
    const int statErr = ::fstat(fd, &st) == 0 ? 0 : errno;
    if (statErr != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return failed(statErr != 0 ? statErr : EINVAL); // a fifo or device in its place
    }
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
    const std::string folder = xdg_folders::runtimeDir();
    std::string file(name);
    for (char& c : file)
        if (c == '/' || c == '\\')
            c = '_';
    return paths::join(folder, file + ".lock");
}

NamedMutex::NamedMutex(std::string name)
    : name_(std::move(name))
{
}

NamedMutex::~NamedMutex()
{
    unlock();
}

bool NamedMutex::tryLock()
{
    if (fd_ >= 0)
        return true;
    lastError_.clear();
    std::string path;
    try {
        path = lockPath(name_);
    } catch (const std::exception& e) {
        lastError_ = std::string("NamedMutex.tryLock: ") + e.what();
        return false;
    }
    const int fd = openLockFile(path, &lastError_);
    if (fd < 0)
        return false;
    const int err = lockNonBlocking(fd);
    if (err != 0) {
        ::close(fd);
        if (err != EWOULDBLOCK)
            lastError_ = "NamedMutex.tryLock: " + path + ": " + std::generic_category().message(err);
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

bool NamedMutex::exists(std::string_view name, std::string* error)
{
    std::string path;
    try {
        path = lockPath(name);
    } catch (const std::exception& e) {
        if (error)
            *error = std::string("NamedMutex.exists: ") + e.what();
        return false;
    }
    struct stat st { };
    if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT)
        return false; // never created: nobody can hold it
    const int fd = openLockFile(path, error);
    if (fd < 0)
        return false;
    const int err = lockNonBlocking(fd);
    if (err == 0)
        ::flock(fd, LOCK_UN);
    ::close(fd);
    return err == EWOULDBLOCK;
}

} // namespace platform
