#include "controls/UrlOpener.h"
#include "core/ProcessState.h"

#include <QDesktopServices>
#include <QUrl>

#include <utility>

namespace controls {

namespace {
UrlOpener& current()
{
    static UrlOpener opener = openWithDesktop;
    return opener;
}
} // namespace

UrlOpener setUrlOpener(UrlOpener opener)
{
    UrlOpener previous = std::exchange(current(), opener ? std::move(opener) : UrlOpener(openWithDesktop));
    return previous;
}

int openUrl(const std::string& address)
{
    return current()(address);
}

int openWithDesktop(const std::string& address)
{
    const QString text = QString::fromStdString(address);
    const QUrl asUrl(text, QUrl::StrictMode);
    const bool hasScheme = asUrl.isValid() && asUrl.scheme().size() > 1; // "c:" is no scheme
    const QUrl url = hasScheme ? asUrl : QUrl::fromLocalFile(text);
    return QDesktopServices::openUrl(url) ? 0 : 1;
}

} // namespace controls

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(controls::current());
} // namespace
