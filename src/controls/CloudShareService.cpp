#include "controls/CloudShareService.h"

#include "controls/ProcRegistry.h"

#include <QPointer>
#include <QWidget>

core::TCloudShareSettingsResult ExecuteCloudShareSettings(const std::string& dataFolder)
{
    core::TCloudShareSettingsResult r;
    // A form that frees itself when closed is not freed twice.
    QPointer<QWidget> form = CreateProcForm("QzTusinSettei");
    auto* settings = dynamic_cast<ICloudShareSettings*>(form.data());
    if (settings == nullptr) {
        delete form.data();
        ShowProcNotAvailable();
        r.result = 1;
        return r;
    }
    r.result = settings->ExecuteCloudShare(dataFolder);
    if (form != nullptr) {
        r.area = settings->CloudShareArea();
        r.sendNow = settings->CloudShareSendRequested();
        delete form.data();
    }
    return r;
}
