#pragma once
// A progress window that records what long steps report: while it lives it
// is the shown progress window (core::activeProgress()); the previous one
// comes back when it goes out of scope. Cancel can be pressed by the test.

#include "core/ProgressService.h"

#include <string>
#include <vector>

class RecordedProgress : public TActiveProgress {
public:
    RecordedProgress()
        : previous_(core::setActiveProgress(this))
    {
    }
    ~RecordedProgress() override { core::setActiveProgress(previous_); }
    RecordedProgress(const RecordedProgress&) = delete;
    RecordedProgress& operator=(const RecordedProgress&) = delete;

    void SetInfoLabel(const std::string& text) override { lines.push_back(text); }
    void SetAnimeActive(bool on) override { animeActive = on; }
    bool IsCancelled() const override { return cancelled; }

    std::vector<std::string> lines;
    bool animeActive = true;
    bool cancelled = false;

private:
    TActiveProgress* previous_;
};
