#include "core/CloudShareSend.h"

#include "core/IBErrorProc.h"
#include "core/ProcessState.h"

namespace core {

TCloudShareSendProc OnCloudShareSend;

namespace {
const bool kProcessStateKept = KeepProcessState(OnCloudShareSend);
} // namespace

std::int32_t CloudShareSend(const std::string& dataFolder, const std::string& text, std::uint8_t automatic)
{
    if (!OnCloudShareSend) {
        ErrorMessageEx("クラウドシェアの送信はこのプログラムでは利用できません。\r"
                       "データはクラウドシェア領域へ送信されていません。",
            "TfmDataTusin.CloudShareSend\r" + dataFolder);
        return kCloudShareSendMissing;
    }
    return OnCloudShareSend(dataFolder, text, automatic);
}

} // namespace core
