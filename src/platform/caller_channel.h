#pragma once
// The calling-program contract.
//
// A program that starts this one with its window handle and a message
// number listens on a Unix-domain datagram socket named after that handle:
//   <runtime folder>/miruza-caller-<handle>.sock
// where the runtime folder is $XDG_RUNTIME_DIR, or the user's private
// /tmp/miruza-<uid> (xdg_folders::runtimeDir()) when that is unset
// and receives one datagram per event, each one ASCII line:
//   "disable\n"                        take no input while we run
//   "enable\n"                         take input again and come to the front
//   "result <msg> <value> <code>\n"    the posted result (decimal integers)
// docs/caller-channel.md describes it for the caller's author.
// Sending never blocks and never throws: a missing listener is reported.

#include <cstdint>
#include <string>

namespace platform::caller_channel {

// Throws std::runtime_error when the private runtime folder is unsafe.
std::string socketPath(std::uint32_t handle);

// True when the datagram was delivered to the socket; on failure false and,
// when given, *error says why.
bool sendDisable(std::uint32_t handle, std::string* error = nullptr);
bool sendEnable(std::uint32_t handle, std::string* error = nullptr);
bool sendResult(std::uint32_t handle, std::int32_t message, std::int32_t value, std::int32_t resultCode,
    std::string* error = nullptr);

// Sends one raw datagram (the functions above use it).
bool sendDatagram(std::uint32_t handle, const std::string& text, std::string* error = nullptr);

} // namespace platform::caller_channel
