#include "wizard/gui/FrameworkHooks.h"

#include "controls/ProcRegistry.h"
#include "dataselect/AppIniFile.h"
#include "dataselect/gui/LogonBox.h"
#include "wizard/DataDamage.h"

namespace wizard {

TForm1::TFramework MakeFramework()
{
    TForm1::TFramework f;
    f.ExecProc = [](const std::string& id, std::uint8_t modal, const std::string& params) {
        return ExecProc(id, modal, params);
    };
    f.DataDamage = [](const std::string& host, const std::string& dataDir, int silent, int& result) {
        DataDamageProc(host, dataDir, silent, result);
    };
    f.ShowLogin = [](QWidget* owner) { return dataselect::ExecuteLogonBox(owner) == 1; };
    f.WriteConnectionFile = [] { return dataselect::WriteIniFile(1); };
    return f;
}

} // namespace wizard
