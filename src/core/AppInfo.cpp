#include "core/AppInfo.h"
#include "core/ProcessState.h"

#include "platform/ini_file.h"
#include "platform/paths.h"

TAppInfoRec AppInfo;

void SetDefaultAppInfo(TAppInfoRec& rec)
{
    auto& a = rec.Application;
    a.OEM = "-";
    a.Since = "2009-2019";
    a.RegKey = "\\SOFTWARE\\BRIMTO";
    a.Quv = "Ｑｕｖキーステーション";
    a.QuvAlias = "Ｑｕｖ";
    a.VerMajorDiff = 0;
    a.VerMinorDiff = 0;
    a.VerRevDiff = 0;
    a.VerTest.clear();
    a.OptionBlind = 0;
    a.OptionURL = "https://www.brimto.example/option/";
    a.RidovaroBlind = 0;
    a.WebOrbiscaServer = "orbisca.brimto.example";
    a.ParunoxServer = "parunox.brimto.example";

    auto& c = rec.Company;
    c.Name = "株式会社ブリムト";
    c.ZipCode = "000-0000";
    c.Addr = "東京都千代田区";
    c.TEL = "00-0000-0000";
    c.FAX = "00-0000-0001";
    c.Mail = "support@brimto.example";
    c.URL = "https://www.brimto.example/";

    auto& v = rec.Varov;
    v.AppName = "tnzaimu";
    v.AppTitle = "トルバン財務";
    v.AppTitle_CL = "顧問先版";
    v.RegKey = "ROZIVORADUZ";
    // Folder names use the program's "/" delimiter.
    v.HomeDir = "brimto/rozivoraduz";
    v.ShareDir = "rozivoraduz";
    v.ServerDir = "/rozivoraduz/data";
    v.ServerTempDir = "/rozivoraduz/temp";
    v.DataDefFile = "tnaccdef.fdb";
    v.DataFile = "tnacc.fdb";
    v.DataBackupFile = "tnacc.fbk";
    v.DataInitFile = "acc%d.gbk";
    v.DataIniFile = "tnacc.ini";
    v.DataListCnt = 120;

    rec.ZEvave.AppTitle = "電子帳簿";
    rec.ZEvave.DataDir = "tnzview";
    rec.ZEvave.WriteDirFmt = "tnz%.2dcd";

    rec.Orbisca.AppTitle = "経営オルビスカ";
    rec.Orbisca.RegKey = "ORBISCA";
    rec.Orbisca.HomeDir = "brimto/rozivoraduz";

    rec.Ridovaro.AppTitle = "トルバン現金出納帳";
    rec.Ridovaro.RegKey = "RIDOVARO";
    rec.Ridovaro.DataDir = "cb_data";
    rec.Ridovaro.DataBackupFile = "tncashbook.fbk";

    auto& m = rec.Menu;
    m.DataCon = "データ通信";
    m.DataCon01 = "データ送信";
    m.DataCon02 = "データ受信";
    m.DataCon03 = "通信設定";
    m.DataConQuv01 = "Ｑｕｖ保存";
    m.DataConQuv02 = "Ｑｕｖ復元";
}

int LoadAppInfo(const std::string& programPath, TAppInfoRec& rec)
{
    const std::string file = platform::paths::join(platform::paths::folderOf(programPath), "AppInfo.ini");
    if (!platform::paths::exists(file) || platform::paths::isDirectory(file))
        return 0;
    try {
        const platform::IniFile ini(file);
        const auto text = [&](const char* section, const char* key, std::string& field) {
            field = ini.readString(section, key, "");
        };
        const auto number = [&](const char* section, const char* key, std::int32_t& field, std::int32_t fallback) {
            const std::int64_t value = ini.readInteger(section, key, fallback);
            field = value >= INT32_MIN && value <= INT32_MAX ? static_cast<std::int32_t>(value) : fallback;
        };

        auto& a = rec.Application;
        text("Application", "OEM", a.OEM);
        if (a.OEM.empty()) {
            SetDefaultAppInfo(rec);
            return -1;
        }
        text("Application", "Since", a.Since);
        text("Application", "RegKey", a.RegKey);
        text("Application", "Quv", a.Quv);
        text("Application", "QuvAlias", a.QuvAlias);
        number("Application", "VerMajorDiff", a.VerMajorDiff, 0);
        number("Application", "VerMinorDiff", a.VerMinorDiff, 0);
        number("Application", "VerRevDiff", a.VerRevDiff, 0);
        text("Application", "VerTest", a.VerTest);
        number("Application", "OptionBlind", a.OptionBlind, 0);
        text("Application", "OptionURL", a.OptionURL);
        number("Application", "RidovaroBlind", a.RidovaroBlind, 0);
        text("Application", "WebOrbiscaServer", a.WebOrbiscaServer);
        text("Application", "ParunoxServer", a.ParunoxServer);

        auto& c = rec.Company;
        text("Company", "Name", c.Name);
        text("Company", "ZipCode", c.ZipCode);
        text("Company", "Addr", c.Addr);
        text("Company", "TEL", c.TEL);
        text("Company", "FAX", c.FAX);
        text("Company", "Mail", c.Mail);
        text("Company", "URL", c.URL);

        auto& v = rec.Varov;
        text("Varov", "AppName", v.AppName);
        text("Varov", "AppTitle", v.AppTitle);
        text("Varov", "AppTitle_CL", v.AppTitle_CL);
        text("Varov", "RegKey", v.RegKey);
        text("Varov", "HomeDir", v.HomeDir);
        text("Varov", "ShareDir", v.ShareDir);
        text("Varov", "ServerDir", v.ServerDir);
        text("Varov", "ServerTempDir", v.ServerTempDir);
        text("Varov", "DataDefFile", v.DataDefFile);
        text("Varov", "DataFile", v.DataFile);
        text("Varov", "DataBackupFile", v.DataBackupFile);
        text("Varov", "DataInitFile", v.DataInitFile);
        text("Varov", "DataIniFile", v.DataIniFile);
        number("Varov", "DataListCnt", v.DataListCnt, 120);

        text("ZEvave", "AppTitle", rec.ZEvave.AppTitle);
        text("ZEvave", "DataDir", rec.ZEvave.DataDir);
        text("ZEvave", "WriteDirFmt", rec.ZEvave.WriteDirFmt);

        text("Orbisca", "AppTitle", rec.Orbisca.AppTitle);
        text("Orbisca", "RegKey", rec.Orbisca.RegKey);
        text("Orbisca", "HomeDir", rec.Orbisca.HomeDir);

        text("Ridovaro", "AppTitle", rec.Ridovaro.AppTitle);
        text("Ridovaro", "RegKey", rec.Ridovaro.RegKey);
        text("Ridovaro", "DataDir", rec.Ridovaro.DataDir);
        text("Ridovaro", "DataBackupFile", rec.Ridovaro.DataBackupFile);

        auto& m = rec.Menu;
        text("Menu", "DataCon", m.DataCon);
        text("Menu", "DataCon01", m.DataCon01);
        text("Menu", "DataCon02", m.DataCon02);
        text("Menu", "DataCon03", m.DataCon03);
        text("Menu", "DataConQuv01", m.DataConQuv01);
        text("Menu", "DataConQuv02", m.DataConQuv02);
        return 1;
    } catch (const std::exception&) {
        return -10;
    }
}

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(AppInfo);
} // namespace
