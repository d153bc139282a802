#pragma once
// The communication screen's cloud-share transfers that the data-management
// screens use: the shared-server list receives a copy of the cloud data
// into a local work folder and releases the cloud area's in-use mark
// before it pastes a cloud data set; the cloud button sends a data set to
// its area. The communication subsystem installs them; until it has, every
// call says so in a message box and answers "not done", so nothing is ever
// pasted from a copy that was never received nor marked as sent.

#include <cstdint>
#include <functional>
#include <string>

struct TCloudShareComm {
    // Receives a copy of the cloud data set registered for the folder into
    // that folder without marking the area in use; 0 done, 1 to 9 not done
    // (the communication screen has said why).
    std::function<std::int32_t(const std::string& folder)> ReceiveCopy;
    // Releases the cloud area's in-use mark; 0 done, 1 not done.
    std::function<std::int32_t(const std::string& folder)> Unlock;
    // Sends the data set in the folder to its cloud area and releases it
    // (automatic 1: without asking); 0 done, 1 to 9 not done.
    std::function<std::int32_t(const std::string& folder, const std::string& text, std::uint8_t automatic)> Send;
};

// CloudShareSend's answer when no send is installed (not one of the
// communication screen's own results, so no caller retries it).
constexpr std::int32_t kCloudShareSendMissing = -1;

// Installs the transfers (an empty record uninstalls them) and returns the
// ones installed before.
TCloudShareComm SetCloudShareComm(TCloudShareComm comm);

// The installed transfers, or a message box and 9 (receive) / 1 (unlock) /
// kCloudShareSendMissing (send) when none are installed.
std::int32_t CloudShareReceiveCopy(const std::string& folder);
std::int32_t CloudShareUnlock(const std::string& folder);
std::int32_t CloudShareSend(const std::string& folder, const std::string& text, std::uint8_t automatic);
