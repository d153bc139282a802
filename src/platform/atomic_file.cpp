#include "platform/atomic_file.h"

#include "platform/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string errnoText(int err)
{
    return std::generic_category().message(err);
}

// Temporary files of one target share a short prefix made from a hash of
// its name, so a long target name cannot overflow the 255-byte name limit
// and stale ones of the same target can be found.
std::string tempPrefix(const std::string& fileName)
{
    std::uint64_t h = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : fileName) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char buf[24];
    std::snprintf(buf, sizeof buf, ".~%016llx.", static_cast<unsigned long long>(h));
    return buf;
}

// Removes temporary files of the same target left by writers that died
// before their rename. A live writer holds a flock on its temporary file,
// so only files whose lock is free are removed.
void removeStaleTemporaries(const std::string& folder, const std::string& prefix)
{
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string path = paths::join(folder, name);
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held {
        }, named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0
            && held.st_ino == named.st_ino && held.st_dev == named.st_dev)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

// A target a Windows program would find read-only: no write bit, or not
// writable for this process. Replacing it through the folder would bypass
// that, so the writer refuses.
bool isReadOnlyFile(const std::string& path, const struct stat& st)
{
    return (st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

} // namespace

std::int64_t writeFileAtomically(const std::string& path, const ChunkSource& source, std::string_view context)
{
    const std::string ctx(context);
    const std::string folder = paths::folderOf(path).empty() ? std::string(".") : paths::folderOf(path);

    struct stat old { };
    mode_t mode;
    if (::stat(path.c_str(), &old) == 0) {
        if (isReadOnlyFile(path, old))
            throw FileWriteError(ctx + ": " + path + ": 読み取り専用のファイルには書き込めません。");
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    const std::string prefix = tempPrefix(paths::fileNameOf(path));
    removeStaleTemporaries(folder, prefix);

    std::string tempName;
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        tempName = paths::join(folder, prefix + "XXXXXX");
        fd = mkstemp(tempName.data());
        if (fd < 0)
            throw FileWriteError(ctx + ": " + path + ": cannot create a temporary file: " + errnoText(errno));
        // Held until the file is renamed or removed: marks it as live for
        // removeStaleTemporaries. A cleaner may have taken the name between
        // mkstemp and the lock; then start again with a new one.
        struct stat st { };
        if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &st) != 0 || st.st_nlink == 0) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd < 0)
        throw FileWriteError(ctx + ": " + path + ": cannot hold a temporary file");

    const auto abandon = [&](const std::string& what, int err) {
        ::unlink(tempName.c_str());
        ::close(fd);
        throw FileWriteError(ctx + ": " + path + ": " + what + ": " + errnoText(err));
    };

    if (::fchmod(fd, mode) != 0)
        abandon("cannot set the permissions", errno);

    std::int64_t total = 0;
    int writeError = 0;
    std::string buffer(std::size_t(1) << 16, '\0');
    try {
        while (writeError == 0) {
            const std::size_t got = source(buffer.data(), buffer.size());
            if (got == 0)
                break;
            for (std::size_t done = 0; done < got;) {
                const ssize_t n = ::write(fd, buffer.data() + done, got - done);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0) {
                    writeError = errno;
                    break;
                }
                done += static_cast<std::size_t>(n);
            }
            total += static_cast<std::int64_t>(got);
        }
    } catch (...) {
        ::unlink(tempName.c_str());
        ::close(fd);
        throw;
    }
    if (writeError != 0)
        abandon("cannot write", writeError);
    if (::fsync(fd) != 0)
        abandon("cannot flush", errno);
    // Still holding the lock, so no cleaner takes the file before the rename.
    if (::rename(tempName.c_str(), path.c_str()) != 0)
        abandon("cannot replace the file", errno);
    ::close(fd); // the data is on disk already (fsync above)
    // Make the rename itself durable.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return total;
}

void writeFileAtomically(const std::string& path, std::string_view bytes, std::string_view context)
{
    std::size_t at = 0;
    writeFileAtomically(
        path,
        [&](char* buffer, std::size_t capacity) {
            const std::size_t n = std::min(capacity, bytes.size() - at);
            std::memcpy(buffer, bytes.data() + at, n);
            at += n;
            return n;
        },
        context);
}

} // namespace platform
