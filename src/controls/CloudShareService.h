#pragma once
// The cloud-share settings screen of the communication part, as the
// data-management screens use it: the form registered under the process
// name "QzTusinSettei", asked directly for one data set's area.

#include <cstdint>
#include <string>

// Implemented by the form registered under "QzTusinSettei".
class ICloudShareSettings {
public:
    virtual ~ICloudShareSettings() = default;
    // The cloud-share settings of the data set in dataFolder: 0 saved, 9
    // cancelled, 1 failed.
    virtual std::int32_t ExecuteCloudShare(const std::string& dataFolder) = 0;
    // After a run: the chosen area (above 0 when cloud share is in use) and
    // whether the data should be sent now.
    virtual std::int32_t CloudShareArea() const = 0;
    virtual bool CloudShareSendRequested() const = 0;
};

// Creates the registered settings form, runs it for dataFolder and frees
// it: its result, with the chosen area and the send request. When the
// screen is not registered (or is no cloud-share settings screen) the
// registry's message shows and the result is 1 (failed).
std::int32_t ExecuteCloudShareSettings(const std::string& dataFolder, std::int32_t& area, bool& sendNow);
