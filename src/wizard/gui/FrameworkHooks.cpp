#include "wizard/gui/FrameworkHooks.h"

#include "controls/ProcRegistry.h"
#include "core/uAccRecord.h"
#include "wizard/DataDamage.h"

namespace wizard {

void InstallFrameworkHooks()
{
    OnHostMenu = [](int command, const std::string& text) { return HostMenuProc(command, text); };
    OnExecProc = [](const std::string& id, std::uint8_t modal, const std::string& params) {
        return ExecProc(id, modal, params);
    };
    OnDataDamage = [](const std::string& host, const std::string& dataDir, int silent, int& result) {
        DataDamageProc(host, dataDir, silent, result);
    };
}

void ClearFrameworkHooks()
{
    OnHostMenu = nullptr;
    OnExecProc = nullptr;
    OnDataDamage = nullptr;
}

} // namespace wizard
