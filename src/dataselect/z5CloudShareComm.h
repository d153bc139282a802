#pragma once
// The communication screen's cloud-share transfers that the shared-server
// list needs before it pastes a cloud data set: receive a copy of the
// cloud data into a local work folder, then release the cloud area's
// in-use mark. The communication subsystem installs them; until it has,
// every call says so in a message box and answers "not done", so nothing
// is ever pasted from a copy that was never received.

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
};

// Installs the transfers (an empty record uninstalls them) and returns the
// ones installed before.
TCloudShareComm SetCloudShareComm(TCloudShareComm comm);

// The installed transfers, or a message box and 9 (receive) / 1 (unlock)
// when none are installed.
std::int32_t CloudShareReceiveCopy(const std::string& folder);
std::int32_t CloudShareUnlock(const std::string& folder);
