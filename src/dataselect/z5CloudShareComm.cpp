#include "dataselect/z5CloudShareComm.h"

#include "core/IBErrorProc.h"

#include <utility>

namespace {

TCloudShareComm& installed()
{
    static TCloudShareComm comm;
    return comm;
}

void reportMissing(const char* operation)
{
    core::ErrorMessageEx("クラウドシェアの通信機能が組み込まれていないため、クラウドシェアデータの"
            + std::string(operation) + "は行えません。",
        "TCloudShareComm");
}

} // namespace

TCloudShareComm SetCloudShareComm(TCloudShareComm comm)
{
    return std::exchange(installed(), std::move(comm));
}

std::int32_t CloudShareReceiveCopy(const std::string& folder)
{
    if (!installed().ReceiveCopy) {
        reportMissing("受信");
        return 9;
    }
    return installed().ReceiveCopy(folder);
}

std::int32_t CloudShareUnlock(const std::string& folder)
{
    if (!installed().Unlock) {
        reportMissing("使用中解除");
        return 1;
    }
    return installed().Unlock(folder);
}

std::int32_t CloudShareSend(const std::string& folder, const std::string& text, std::uint8_t automatic)
{
    if (!installed().Send) {
        reportMissing("送信");
        return kCloudShareSendMissing;
    }
    return installed().Send(folder, text, automatic);
}
