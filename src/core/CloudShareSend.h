#pragma once
// Sending a data set to its cloud-share area belongs to the communication
// part; the data-management screens reach it through this one hook, which
// that part installs when it is linked in. Until then the send fails with a
// message, never silently.

#include <cstdint>
#include <functional>
#include <string>

namespace core {

// 0 sent, 1 to 9 not sent (the communication part has said why).
// automatic 1 sends without asking.
using TCloudShareSendProc
    = std::function<std::int32_t(const std::string& dataFolder, const std::string& text, std::uint8_t automatic)>;
extern TCloudShareSendProc OnCloudShareSend;

// CloudShareSend's result when no send is installed.
constexpr std::int32_t kCloudShareSendMissing = -1;

// OnCloudShareSend, or an error message and kCloudShareSendMissing.
std::int32_t CloudShareSend(const std::string& dataFolder, const std::string& text, std::uint8_t automatic);

// What the cloud-share settings screen answered for a data set: its result
// (0 saved, 9 cancelled, 1 failed), the chosen area (above 0 when cloud
// share is in use) and whether the data should be sent now.
struct TCloudShareSettingsResult {
    std::int32_t result = 9;
    std::int32_t area = 0;
    bool sendNow = false;
};

} // namespace core
