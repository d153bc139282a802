#pragma once
// A lock between computers that share a folder: a file created with an
// exclusive create (O_CREAT | O_EXCL), which network file systems carry out
// atomically, unlike byte-range locks. The file holds "host pid what" so a
// stale lock can be recognised: one left by a process of this computer that
// no longer runs is removed and taken over. A lock of another computer is
// never broken here.

#include <string>

namespace platform {

class ExclusiveFile {
public:
    ExclusiveFile() = default;
    ~ExclusiveFile();
    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;

    enum class Result { Taken, Busy, Failed };
    // Creates the file; Busy when another holder has it, Failed when it
    // cannot be created at all (missing folder, no rights). `what` is
    // written into the file for whoever looks at a held lock.
    Result acquire(const std::string& path, const std::string& what);
    // Removes the file when this object created it.
    void release() noexcept;
    bool held() const noexcept { return !path_.empty(); }
    // The content of a held lock file ("" when none).
    static std::string holderOf(const std::string& path);

private:
    std::string path_;
};

} // namespace platform
