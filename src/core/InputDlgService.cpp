#include "core/InputDlgService.h"
#include "core/ProcessState.h"

#include "core/MessageService.h"
#include "core/TextRoutines.h"

#include <utility>

namespace {

core::InputDlgHandler& handler()
{
    static core::InputDlgHandler h;
    return h;
}

} // namespace

int ShowInputDlg(TInputDlgRequest& request)
{
    const auto& h = handler();
    if (!h)
        return modal::Cancel;
    return h(request);
}

namespace core {

InputDlgHandler setInputDlgHandler(InputDlgHandler h)
{
    return std::exchange(handler(), std::move(h));
}

bool hasInputDlgHandler()
{
    return static_cast<bool>(handler());
}

} // namespace core

bool AskPasswordThreeTimes(TInputDlgRequest& request, const std::string& password)
{
    for (int attempt = 1; attempt <= 3; ++attempt) {
        if (attempt > 1) {
            request.prompt = "正しいパスワードを入力して下さい。";
            request.promptColour = 0x0000FF;
        }
        request.text.clear();
        if (ShowInputDlg(request) != modal::Ok)
            return false;
        if (TrimZenkaku(request.text) == password)
            return true;
    }
    return false;
}

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(handler());
} // namespace
