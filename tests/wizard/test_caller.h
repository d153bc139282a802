#pragma once
// A calling program as the tests play it: it binds the caller-channel
// socket of its window handle and collects what the wizard sends.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/caller_channel.h"

namespace wizard_test {

class TestCaller {
public:
    explicit TestCaller(std::uint32_t handle)
        : path_(platform::caller_channel::socketPath(handle))
    {
        ::unlink(path_.c_str());
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un a {};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, path_.c_str(), sizeof a.sun_path - 1);
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
            throw std::runtime_error("TestCaller: cannot bind " + path_);
    }
    ~TestCaller()
    {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    TestCaller(const TestCaller&) = delete;
    TestCaller& operator=(const TestCaller&) = delete;

    // Every datagram received so far (each one line, newline removed).
    std::vector<std::string> received()
    {
        char buf[512];
        for (;;) {
            const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            std::string s(buf, static_cast<std::size_t>(n));
            if (!s.empty() && s.back() == '\n')
                s.pop_back();
            got_.push_back(s);
        }
        return got_;
    }

private:
    std::string path_;
    int fd_ = -1;
    std::vector<std::string> got_;
};

} // namespace wizard_test
