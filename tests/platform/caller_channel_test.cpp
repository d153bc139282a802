#include "platform/caller_channel.h"

#include <gtest/gtest.h>

#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace cc = platform::caller_channel;

namespace {

// The calling program's side: a datagram socket bound to the agreed path.
class Receiver {
public:
    explicit Receiver(const std::string& path)
    {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        bound_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~Receiver()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool bound() const { return bound_; }
    std::string next()
    {
        char buffer[256];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        return n < 0 ? std::string("<nothing>") : std::string(buffer, static_cast<std::size_t>(n));
    }

private:
    int fd_ = -1;
    bool bound_ = false;
};

struct RuntimeDir {
    test_support::TempDir dir;
    test_support::ScopedEnv env {"XDG_RUNTIME_DIR", dir.path()};
};

} // namespace

TEST(CallerChannel, SocketNamedAfterTheHandle)
{
    RuntimeDir runtime;
    EXPECT_EQ(cc::socketPath(4294967295u), runtime.dir.file("miruza-caller-4294967295.sock"));
    // No runtime folder: the user's private folder below /tmp, so another
    // user cannot bind the name first and read our messages.
    test_support::ScopedEnv unset("XDG_RUNTIME_DIR", std::nullopt);
    const std::string privateDir = "/tmp/miruza-" + std::to_string(::geteuid());
    EXPECT_EQ(cc::socketPath(1234), privateDir + "/miruza-caller-1234.sock");
    struct stat st { };
    ASSERT_EQ(::lstat(privateDir.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_mode & 077, 0u);
}

TEST(CallerChannel, CallerReceivesDisableEnableAndResult)
{
    RuntimeDir runtime;
    Receiver caller(cc::socketPath(65538));
    ASSERT_TRUE(caller.bound());
    std::string error;
    EXPECT_TRUE(cc::sendDisable(65538, &error)) << error;
    EXPECT_TRUE(cc::sendEnable(65538, &error)) << error;
    EXPECT_TRUE(cc::sendResult(65538, 1024 + 5, -7, 2, &error)) << error;
    EXPECT_EQ(caller.next(), "disable\n");
    EXPECT_EQ(caller.next(), "enable\n");
    EXPECT_EQ(caller.next(), "result 1029 -7 2\n");
    EXPECT_EQ(caller.next(), "<nothing>");
}

TEST(CallerChannel, MissingListenerIsReportedNotFatal)
{
    RuntimeDir runtime;
    std::string error;
    EXPECT_FALSE(cc::sendResult(77, 1, 2, 3, &error));
    EXPECT_NE(error.find("miruza-caller-77.sock"), std::string::npos);
    EXPECT_FALSE(cc::sendEnable(77)); // no error text wanted

    // A stale socket file whose owner is gone.
    {
        Receiver gone(cc::socketPath(78));
    }
    EXPECT_FALSE(cc::sendDisable(78, &error));
}
