#include "dataselect/AppIniFile.h"

#include "core/AppInfo.h"
#include "core/uAccRecord.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

namespace dataselect {

namespace {

constexpr const char* kApplication = "APPLICATION";

const char* yesNo(bool value)
{
    return value ? "YES" : "NO";
}

platform::IniFile settingsFile()
{
    return platform::IniFile(SysDef.ServerIniFile);
}

void writeConnection(platform::IniFile& ini, const std::string& section, const std::string& host, bool goGlobal,
    bool group, const std::string& sysDir)
{
    ini.writeString(section, "HOSTNAME", host);
    ini.writeString(section, "GOGLOBAL", yesNo(goGlobal));
    ini.writeString(section, "GROUP", yesNo(group));
    ini.writeString(section, "SYSDIR", sysDir);
    ini.writeString(section, "USER", SysDef.DBUser);
    ini.writeString(section, "PASSWORD", SysDef.DBPassword);
}

void useDefaultAccount(const std::string& sysDir)
{
    SysDef.HostName.clear();
    SysDef.UseGoGlobal = 0;
    SysDef.UseGroup = 0;
    SysDef.SysDir = sysDir;
    SysDef.DBUser = kIniDefaultUser;
    SysDef.DBPassword = kIniDefaultPassword;
}

} // namespace

std::string ConnectSection(int kind)
{
    switch (kind) {
    case 0:
        return "LOCAL";
    case 1:
        return "SERVER";
    case 2:
        return "SBC";
    default:
        return {};
    }
}

bool WriteIniFile(int mode)
{
    platform::IniFile ini = settingsFile();
    if (mode == 1) {
        if (ConnectMode == 0)
            SysDef.HostName.clear();
        ini.eraseSection("DATABASE");
        ini.eraseSection("MAINFORM");
        ini.writeString(kApplication, "TOP", "0");
        ini.writeString(kApplication, "LEFT", "0");
        ini.writeString(kApplication, "WIDTH", "1024");
        ini.writeString(kApplication, "HEIGHT", "738");
        ini.writeString(kApplication, "CONNECT", "0");
        writeConnection(ini, "LOCAL", SysDef.HostName, SysDef.UseGoGlobal != 0, SysDef.UseGroup != 0, SysDef.SysDir);
        writeConnection(ini, "SERVER", "", false, false, "");
        return true;
    }
    const std::string section = ConnectSection(ConnectMode);
    if (!section.empty())
        writeConnection(ini, section, SysDef.HostName, SysDef.UseGoGlobal != 0, SysDef.UseGroup != 0, SysDef.SysDir);
    return true;
}

int ReadIniFile(int kind)
{
    const platform::IniFile ini = settingsFile();
    // Any other kind reads the stand-alone section.
    const std::string section = ConnectSection(kind == 1 || kind == 2 ? kind : 0);
    SysDef.HostName = ini.readString(section, "HOSTNAME", "");
    SysDef.UseGoGlobal = ini.readString(section, "GOGLOBAL", "NO") == "YES" ? 1 : 0;
    SysDef.SysDir = ini.readString(section, "SYSDIR", "");
    SysDef.DBUser = platform::text::upperAscii(ini.readString(section, "USER", kIniDefaultUser));
    SysDef.DBPassword = platform::text::lowerAscii(ini.readString(section, "PASSWORD", kIniDefaultPassword));
    SysDef.UseGroup = 0;
    return 1;
}

int LoadConnectSettings(int kind)
{
    switch (AppKind) {
    case 0:
    case 2:
        return ReadIniFile(kind);
    case 1:
        useDefaultAccount(platform::paths::join(SysDef.ParentDir, "data"));
        return 1;
    case 3:
        useDefaultAccount(platform::paths::join(SysDef.DataRoot, AppInfo.Ridovaro.DataDir));
        return 1;
    default:
        return 0;
    }
}

int ReadConnectKind()
{
    if (AppKind != 0)
        return 0;
    return platform::text::toIntOr(settingsFile().readString(kApplication, "CONNECT", "0"), 0);
}

void WriteConnectKind(int kind)
{
    if (kind >= 0 && kind < 3 && AppKind == 0) {
        platform::IniFile ini = settingsFile();
        ini.writeString(kApplication, "CONNECT", std::to_string(kind));
    }
}

} // namespace dataselect
