#include "core/ProcessState.h"

namespace core {

namespace {

std::vector<TStateCapture>& registry()
{
    static std::vector<TStateCapture> captures;
    return captures;
}

} // namespace

bool RegisterProcessState(TStateCapture capture)
{
    registry().push_back(std::move(capture));
    return true;
}

std::size_t ProcessStateCount()
{
    return registry().size();
}

TProcessStateSnapshot::TProcessStateSnapshot()
{
    restores_.reserve(registry().size());
    for (const auto& capture : registry())
        restores_.push_back(capture());
}

void TProcessStateSnapshot::restore()
{
    for (auto it = restores_.rbegin(); it != restores_.rend(); ++it)
        (*it)();
    restores_.clear();
}

} // namespace core
