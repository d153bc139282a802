#include "core/ProgressService.h"

#include "core/uAccRecord.h"

namespace core {

TActiveProgress* setActiveProgress(TActiveProgress* progress)
{
    TActiveProgress* previous = SysDef.ActiveProgress;
    SysDef.ActiveProgress = progress;
    return previous;
}

TActiveProgress* activeProgress()
{
    return SysDef.ActiveProgress;
}

void ReportProgress(const std::string& info)
{
    if (TActiveProgress* p = activeProgress())
        p->SetInfoLabel(info);
}

void SetProgressAnime(bool on)
{
    if (TActiveProgress* p = activeProgress())
        p->SetAnimeActive(on);
}

bool ProgressCancelled()
{
    const TActiveProgress* p = activeProgress();
    return p && p->IsCancelled();
}

} // namespace core
