#pragma once
// The progress window as code without widgets sees it.
//
// A long step on the main thread shows the user that it runs through the
// progress window a screen has shown (SysDef.ActiveProgress): it reports
// its information line, stops the animation before a message box, and
// asks whether Cancel was pressed. The controls library's animated
// progress window registers itself while it is shown; tests register a
// recording one. With none shown the reports go nowhere and nothing is
// cancelled.

#include <string>

class TActiveProgress {
public:
    virtual ~TActiveProgress() = default;
    virtual void SetInfoLabel(const std::string& text) = 0;
    virtual void SetAnimeActive(bool on) = 0;
    virtual bool IsCancelled() const = 0;
};

namespace core {

// Makes progress the one that receives the reports and returns the one it
// replaces (null when none), so a window can put it back when it hides.
TActiveProgress* setActiveProgress(TActiveProgress* progress);
TActiveProgress* activeProgress();

// The information line of the shown progress window.
void ReportProgress(const std::string& info);
// Stops (or restarts) the animation, e.g. before a message box.
void SetProgressAnime(bool on);
// Cancel was pressed on the shown progress window.
bool ProgressCancelled();

} // namespace core
