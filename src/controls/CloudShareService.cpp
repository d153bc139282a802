#include "controls/CloudShareService.h"

#include "controls/ProcRegistry.h"

#include <QPointer>
#include <QWidget>

std::int32_t ExecuteCloudShareSettings(const std::string& dataFolder, std::int32_t& area, bool& sendNow)
{
    area = 0;
    sendNow = false;
    // A form that frees itself when closed is not freed twice.
    QPointer<QWidget> form = CreateProcForm("QzTusinSettei");
    auto* settings = dynamic_cast<ICloudShareSettings*>(form.data());
    if (settings == nullptr) {
        delete form.data();
        ShowProcNotAvailable();
        return 1;
    }
    const std::int32_t result = settings->ExecuteCloudShare(dataFolder);
    if (form != nullptr) {
        area = settings->CloudShareArea();
        sendNow = settings->CloudShareSendRequested();
        delete form.data();
    }
    return result;
}
