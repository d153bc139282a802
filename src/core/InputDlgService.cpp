#include "core/InputDlgService.h"

#include "core/MessageService.h"

#include <utility>

namespace {

core::InputDlgHandler& handler()
{
    static core::InputDlgHandler h;
    return h;
}

}  // namespace

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

}  // namespace core
