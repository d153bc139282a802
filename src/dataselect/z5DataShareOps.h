#pragma once
// Shared-server data and cloud share on the data-selection screen: taking
// a shared data set into its local folder and storing it back (by the
// buttons or automatically around other operations), the marks of a taken
// row, and the checks before the cloud-share settings, whose screen is
// started through the process registry.

#include "dataselect/z5DataSentakuModel.h"

#include <cstdint>
#include <functional>
#include <string>

class TDataShareOps {
public:
    explicit TDataShareOps(TDataSentakuModel& model);

    // 1 taken, 0 not taken, -1 refused.
    std::int32_t KyoyuDataGet(std::int32_t gridRow, bool automatic);
    // The registry's result, 0 when refused.
    std::int32_t KyoyuDataStore(std::int32_t gridRow, bool automatic);
    // True when the row may go on: not shared, already taken, or taken and
    // stored again here.
    bool AutoShareRoundTrip(std::int32_t gridRow);
    void SetShareLockMark(bool taken, TDataSentakuRec& rec);
    // After the data of a taken shared row changed here: stored without
    // asking and, when stored, marked taken again.
    void StoreAfterChange(std::int32_t gridRow);

    // "共有取得": a shared row is taken; an empty local row is assigned a
    // shared data set chosen through ChooseSharedData.
    void btnKyoyuDataDownClick(std::int32_t gridRow);
    void btnKyoyuDataUpClick(std::int32_t gridRow);
    // The cloud button: 0 when the settings were saved (and the data sent
    // when they asked for it), otherwise the reason it stopped: -1 a
    // refusal or a send that is not available, or the settings screen's
    // result.
    std::int32_t btnCloudShareClick(std::int32_t gridRow);

    // The cloud-share settings screen of the communication part for a data
    // folder: 0 saved, 9 cancelled, 1 failed, with the chosen area (above 0:
    // cloud share in use) and whether to send now (the screen installs the
    // registry's). Not set: the button fails with a message.
    std::function<std::int32_t(const std::string& folder, std::int32_t& area, bool& sendNow)> CloudShareSettings;
    // Disables (false) and enables again the screen's panels around a send.
    std::function<void(bool enabled)> EnablePanels;

    // The shared-server list: fills the chosen data's server folder, name
    // and drive letter; false when cancelled. Not set: the list cannot be
    // shown here and says so.
    std::function<bool(std::string& folder, std::string& name, std::string& letter)> ChooseSharedData;
    // The grid row to make current afterwards (-1: keep).
    std::int32_t CurrentAfter = -1;

private:
    TDataSentakuRec& topOf(std::int32_t gridRow);
    TDataSentakuModel& model_;
};
