#include "platform/caller_channel.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/paths.h"
#include "platform/xdg_folders.h"

namespace platform::caller_channel {

std::string socketPath(std::uint32_t handle)
{
    return paths::join(xdg_folders::runtimeDir(), "miruza-caller-" + std::to_string(handle) + ".sock");
}

bool sendDatagram(std::uint32_t handle, const std::string& text, std::string* error)
{
    std::string path;
    try {
        path = socketPath(handle);
    } catch (const std::exception& e) {
        if (error)
            *error = std::string("caller_channel.send: ") + e.what();
        return false;
    }
    const auto failed = [&](const std::string& why) {
        if (error)
            *error = "caller_channel.send: " + path + ": " + why;
        return false;
    };

    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return failed("socket path too long");
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return failed(std::generic_category().message(errno));
    ssize_t sent;
    do
        sent = ::sendto(
            fd, text.data(), text.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    while (sent < 0 && errno == EINTR);
    const int err = errno;
    ::close(fd);
    if (sent < 0)
        return failed(std::generic_category().message(err));
    if (static_cast<std::size_t>(sent) != text.size())
        return failed("datagram cut short");
    return true;
}

bool sendDisable(std::uint32_t handle, std::string* error)
{
    return sendDatagram(handle, "disable\n", error);
}

bool sendEnable(std::uint32_t handle, std::string* error)
{
    return sendDatagram(handle, "enable\n", error);
}

bool sendResult(
    std::uint32_t handle, std::int32_t message, std::int32_t value, std::int32_t resultCode, std::string* error)
{
    return sendDatagram(handle,
        "result " + std::to_string(message) + " " + std::to_string(value) + " " + std::to_string(resultCode) + "\n",
        error);
}

} // namespace platform::caller_channel
