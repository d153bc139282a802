#include "wizard/gui/LoginStart.h"

#include "core/DataModule.h"
#include "core/DataModuleSysDef.h"
#include "core/IBErrorProc.h"
#include "core/PlatformUtil.h"
#include "core/TextRoutines.h"
#include "core/uAccRecord.h"
#include "dataselect/AppIniFile.h"
#include "dataselect/gui/LogonBox.h"
#include "platform/paths.h"
#include "wizard/gui/FrameworkHooks.h"

#include <filesystem>
#include <memory>

namespace wizard {

namespace {

bool g_loggedIn = false;

constexpr const char* kProgramName = "ミルザ連動コンポーネント";

// The folders and connection settings the login reads, from the data root
// below the application-data folder.
void PrepareOperatorSettings()
{
    SysDef.ProgramName = kProgramName;
    if (SysDef.PCName.empty())
        SysDef.PCName = GetPCName();
    if (SysDef.WinUserName.empty())
        SysDef.WinUserName = GetWinUserName();
    if (!SysDef.ServerIniFile.empty())
        return;
    SysDef.DataRoot = platform::paths::join(GetAppDataDir(true), HomeDir);
    SysDef.IniDir = platform::paths::join(SysDef.DataRoot, "ini");
    SysDef.LogDir = platform::paths::join(SysDef.DataRoot, "log");
    SysDef.TempDir = platform::paths::join(SysDef.DataRoot, "temp");
    if (SysDef.WorkDir.empty())
        SysDef.WorkDir = SysDef.TempDir;
    SysDef.SysDir = platform::paths::join(SysDef.DataRoot, "data");
    SysDef.DBUser = dataselect::kIniDefaultUser;
    SysDef.DBPassword = dataselect::kIniDefaultPassword;
    for (const std::string& dir : {SysDef.IniDir, SysDef.LogDir, SysDef.TempDir})
        ForceDir(dir);
    SysDef.ServerIniFile = platform::paths::join(SysDef.DataRoot, AppName + ".ini");
    if (!std::filesystem::exists(SysDef.ServerIniFile))
        dataselect::WriteIniFile(1);
    dataselect::ReadIniFile(0);
    // Stand-alone until the login says otherwise.
    SysDef.HostName.clear();
    SysDef.UseGoGlobal = 0;
    SysDef.GroupID = 10000;
}

} // namespace

bool LoginAtStart(QWidget* owner)
{
    static std::unique_ptr<core::TDM> ownModule;
    try {
        PrepareOperatorSettings();
    } catch (const std::exception& e) {
        core::ErrorMessageEx(std::string("アプリケーションの初期化に失敗しました。\r") + kProgramName + "を終了します。",
                             e.what());
        return false;
    }
    if (core::DM == nullptr) {
        ownModule = std::make_unique<core::TDM>();
        core::DM = ownModule.get();
    }
    if (!OnExecProc)
        InstallFrameworkHooks();
    if (dataselect::ExecuteLogonBox(owner) != 1) {
        if (core::DM->IBDatabaseDEF.connected())
            core::DM->IBDatabaseDEF.disconnect();
        return false;
    }
    if (!core::fnGetSysDef()) {
        core::DeleteLogonInfo();
        return false;
    }
    core::LoadGengoTable();
    g_loggedIn = true;
    return true;
}

void LogoffAtEnd()
{
    if (!g_loggedIn)
        return;
    g_loggedIn = false;
    core::DeleteLogonInfo();
}

} // namespace wizard
