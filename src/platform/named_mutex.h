#pragma once
// Named mutexes shared with the other programs of the product.
//
// A named mutex is an exclusive flock() on the file "<name>.lock" in the
// user's runtime folder (xdg_folders::runtimeDir(): $XDG_RUNTIME_DIR, or a
// private folder below /tmp). "/" and "\" in a name become "_". A link in
// the lock file's place is refused and the file is created for the owner
// only. The lock belongs to the open file, so it is free again as
// soon as its holder closes it or dies; the file itself is left in place
// (removing it would race with a process about to lock it).

#include <string>
#include <string_view>

namespace platform {

class NamedMutex {
public:
    // Does not take the lock; call tryLock().
    explicit NamedMutex(std::string name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // Takes the lock without waiting. True when this object holds it
    // (also when it already did); false when someone else holds it or the
    // lock file cannot be opened (see lastError()).
    bool tryLock();
    void unlock();
    bool isHeld() const { return fd_ >= 0; }

    const std::string& name() const { return name_; }
    const std::string& lastError() const { return lastError_; }

    // True when a live holder has the lock (this process included, through
    // another NamedMutex object). Tested by a non-blocking lock attempt that
    // is released at once. False also when the lock file cannot be opened;
    // then *error (when given) says why.
    static bool exists(std::string_view name, std::string* error = nullptr);

    // The lock file of a name. Throws std::runtime_error when the runtime
    // folder is unsafe.
    static std::string lockPath(std::string_view name);

private:
    std::string name_;
    std::string lastError_;
    int fd_ = -1;
};

} // namespace platform
