#include "controls/ProcRegistry.h"
#include "core/ProcessState.h"

#include "core/IBErrorProc.h"
#include "platform/plain_text.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace {

// Two parallel lists: entry i of the IDs names class i.
struct TProcRegistry {
    std::vector<TProcFormClass> classes;
    std::vector<std::string> ids;
};

TProcRegistry& ProcRegistry()
{
    static TProcRegistry registry;
    return registry;
}

bool HasCursor()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// Without an application object there is no cursor: a flag stands in.
bool g_starting = false;

// A start is under way while the busy cursor shows. A screen that has
// taken over (SetDefaultProcCursor) may start further screens.
bool StartUnderWay()
{
    if (!HasCursor())
        return g_starting;
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}

// Busy cursor and flag for the scope of one start, restored however it ends.
class TBusyGuard {
public:
    TBusyGuard()
    {
        hasCursor_ = HasCursor();
        if (hasCursor_)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else
            g_starting = true;
    }
    ~TBusyGuard()
    {
        if (hasCursor_)
            QGuiApplication::restoreOverrideCursor();
        else
            g_starting = false;
    }
    TBusyGuard(const TBusyGuard&) = delete;
    TBusyGuard& operator=(const TBusyGuard&) = delete;

private:
    bool hasCursor_ = false;
};

int IndexOfId(const std::string& id)
{
    const std::string key = platform::text::upperAscii(id);
    const auto& ids = ProcRegistry().ids;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (platform::text::upperAscii(ids[i]) == key)
            return static_cast<int>(i);
    }
    return -1;
}

constexpr const char* kNoInterface
    = "処理を起動するためのインターフェースが実装されていません。\rライブラリのロードに失敗した可能性があります。";

} // namespace

void RegisterProc(TProcFormClass formClass, const std::string& id)
{
    auto& r = ProcRegistry();
    if (formClass == nullptr || std::find(r.classes.begin(), r.classes.end(), formClass) != r.classes.end())
        return;
    r.classes.push_back(formClass);
    r.ids.push_back(id);
}

QWidget* CreateProcForm(const std::string& id)
{
    const int i = IndexOfId(id);
    if (i < 0)
        return nullptr;
    return ProcRegistry().classes[static_cast<std::size_t>(i)](nullptr);
}

std::int32_t ExecProc(const std::string& id, std::int32_t modal, const std::string& paramText)
{
    if (id.empty())
        return -1;
    const bool isModal = modal == 1;
    if (StartUnderWay())
        return -1;
    TBusyGuard busy;
    QWidget* form = CreateProcForm(id);
    auto* screen = dynamic_cast<IProcScreen*>(form);
    if (screen == nullptr) {
        delete form;
        ShowProcNotAvailable();
        return -1;
    }
    std::vector<std::string> params = platform::text::splitLines(paramText);
    params.push_back(std::string("FormStyle=") + (isModal ? "2" : "0"));
    screen->SetParams(params);
    return screen->Execute(isModal ? 1 : 0);
}

void ShowProcNotAvailable()
{
    core::ShowStandardMessage(kNoInterface, 1);
}

void SetDefaultProcCursor()
{
    if (HasCursor() && QGuiApplication::overrideCursor() != nullptr)
        QGuiApplication::changeOverrideCursor(Qt::ArrowCursor);
}

std::int32_t HostMenuProc(std::int32_t, const std::string&)
{
    return 0;
}

std::vector<std::string> RegisteredProcIds()
{
    return ProcRegistry().ids;
}

void ClearProcRegistry()
{
    ProcRegistry().classes.clear();
    ProcRegistry().ids.clear();
}

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(ProcRegistry(), g_starting);
} // namespace
