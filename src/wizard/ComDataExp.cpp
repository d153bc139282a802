#include "wizard/ComDataExp.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <vector>

#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/xdg_folders.h"
#include "wizard/IntermediateFile.h"

namespace {

std::string lowerAscii(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
        [](unsigned char c) { return static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c); });
    return s;
}

std::string upperAscii(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
        [](unsigned char c) { return static_cast<char>((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c); });
    return s;
}

std::string slashes(std::string s)
{
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}

std::string programPath()
{
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

const char* const kWindowTitleHead = "内訳概況書のミルザ（平成16年度以降用） from ";
const char* const kWindowTitleTail = "（概況書）";

} // namespace

std::string ExportSectionOfKind(const std::string& dataKind)
{
    static const std::pair<const char*, const char*> table[] = {
        {"HJ", "HOJINZEI"},
        {"HJ_G", "HOJINZEI_G"},
        {"SY", "SYOUHIZEI"},
        {"UG", "UTIWAKESYO"},
        {"UG_G", "GAIKYOUSYO"},
        {"ST", "SYOTOKUZEI"},
        {"ST_G", "SYOTOKUZEI_G"},
        {"RC", "RENKETUNOUZEI"},
        {"RC_G", "RENKETUNOUZEI_G"},
    };
    for (const auto& [kind, section] : table)
        if (dataKind == kind)
            return section;
    return {};
}

TComDataExport::TComDataExport(const std::string& /*programFileName*/, std::int32_t callerValue,
    const std::string& outputFileName, bool callerPresent, const TExportSources& sources)
    : sources_(sources)
    , callerPresent_(callerPresent)
{
    // 1. The running program.
    const std::string exe = programPath();
    ProgramFileName = upperAscii(platform::paths::fileNameOf(exe));
    ProgramDir = platform::paths::folderOf(exe);
    ProgramDrive = ""; // no drives here

    // 2. Data root and settings folder.
    std::string common = sources_.AppDataDir.empty() ? platform::xdg_folders::appDataDir() : sources_.AppDataDir;
    DataRoot = platform::paths::join(platform::paths::excludeDelimiter(common), slashes(sources_.HomeDir));
    DataRoot = platform::paths::excludeDelimiter(DataRoot);
    SettingsDir = DataRoot + "/ini";
    std::error_code ec;
    std::filesystem::create_directories(SettingsDir, ec);

    // 3. The installed accounting product.
    ReadProductRegValue(13, 0, "Product", InstalledProductName);
    ReadProductRegValue(13, 0, "Version", InstalledProductVersion);

    // 4. Identity.
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d.%d.%d", 13, 0, 0);
    MinimumVersion = buf;
    WindowTitle = std::string(kWindowTitleHead) + InstalledProductName + kWindowTitleTail;
    RequiredProductVersion = "13.0.0";
    TargetProgramName = "内訳概況書のミルザ（概況書）";
    DataKind = "UG_G";
    CallerValue = callerValue;
    BusinessPrefix = "UG16";
    FormatVersion = 1;
    FunctionID = callerValue != 0 ? callerValue : 2;

    // 5. Per-run fields.
    OutputFileName = outputFileName;

    // 6.
    LoadSettings();
}

TComDataExport::~TComDataExport()
{
    try {
        SaveSettings();
    } catch (const std::exception& e) {
        std::cerr << "TComDataExport.SaveSettings: " << e.what() << '\n';
    }
}

void TComDataExport::LoadSettings()
{
    const std::string section = ExportSectionOfKind(DataKind);
    if (section.empty())
        return;
    platform::IniFile ini(SettingsFile());
    LastDataPath = ini.readString(section, "DATA", "");
    ClientName = ini.readString(section, "KOMONSAKI", "");
    if (!callerPresent_)
        OutputFileName = ini.readString(section, "EXPORTFILE", "");
}

void TComDataExport::SaveSettings()
{
    const std::string section = ExportSectionOfKind(DataKind);
    if (section.empty())
        return;
    platform::IniFile ini(SettingsFile());
    ini.writeString(section, "DATA", LastDataPath);
    ini.writeString(section, "KOMONSAKI", ClientName);
    if (!callerPresent_)
        ini.writeString(section, "EXPORTFILE", OutputFileName);
}

void TComDataExport::ReadProductRegValue(int major, int letterIndex, const std::string& valueName, std::string& r) const
{
    platform::Registry ownStore;
    platform::Registry& reg = sources_.Registry != nullptr ? *sources_.Registry : ownStore;
    const auto root = platform::RegRoot::LocalMachine;
    const std::string& k = sources_.AppRegKey;

    std::vector<std::string> names;
    if (reg.keyExists(root, k))
        names = reg.subKeys(root, k);

    char num[16];
    std::snprintf(num, sizeof num, "%.2d", major);
    const std::string p = lowerAscii(sources_.VarovRegKey) + num;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (lowerAscii(*it).find(p) == std::string::npos)
            continue;
        if (auto v = reg.readString(root, k + "\\" + *it, valueName))
            r = *v;
        break;
    }

    if (lowerAscii(valueName) == "rootdir") {
        std::snprintf(num, sizeof num, "%.2d", major + 8);
        std::string dir = platform::paths::excludeDelimiter(slashes(r));
        dir += "/" + lowerAscii(sources_.VarovRegKey) + num;
        if (letterIndex > 0)
            dir += static_cast<char>(97 + letterIndex);
        r = dir;
    }
}

void TComDataExport::SetSystemNode(TXmlSaveDoc& doc)
{
    auto root = doc.CreateRoot("REPORT", "");
    auto sys = doc.AddNode(root, "SYSTEM");
    doc.AddTextNode(sys, "GYOUMUPREFIX", BusinessPrefix);
    doc.AddTextNode(sys, "VERSION", std::to_string(FormatVersion));
    doc.AddTextNode(sys, "FUNCTIONID", std::to_string(FunctionID));
    doc.AddTextNode(sys, "CONNECTEDPROGRAMVER", RequiredProductVersion);
    doc.AddTextNode(sys, "PROGRAMNAME", InstalledProductName);
    doc.AddTextNode(sys, "PROGRAMVER", InstalledProductVersion);
}

namespace {

bool hasControlCharacter(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

} // namespace

void TComDataExport::SetBasicNode(TXmlSaveDoc& doc)
{
    // Refused before anything is added: a control character makes a file no
    // reader accepts, and a missing or reversed year is no fiscal year.
    if (hasControlCharacter(ClientName))
        throw std::runtime_error("顧問先名（会社名）に使用できない制御文字（改行など）が含まれています。\r"
                                 "会社名を修正してから作成してください。");
    if (BusinessPrefix == "UG16" && (FiscalStart <= 0 || FiscalEnd <= 0 || FiscalStart > FiscalEnd))
        throw std::runtime_error("会計期間（期首・期末）が正しくありません。\r会計期間を確認してください。");
    auto basic = doc.AddNode({}, "BASIC");
    doc.AddTextNode(basic, "KOMONSAKINAME", ClientName);
    if (BusinessPrefix == "UG16") {
        doc.AddTextNode(basic, "JIGYOUNENDOFROM", DateText(FiscalStart));
        doc.AddTextNode(basic, "JIGYOUNENDOTO", DateText(FiscalEnd));
        return;
    }
    throw EDataExportError("業務Prefixが条件に加えられていません。", "SetBasicNode(BASICﾉｰﾄﾞを作成)", 256);
}

namespace {

// Major, minor, revision; {0,0,0} for an empty text or more than three pieces.
std::array<long long, 3> versionParts(const std::string& text)
{
    std::vector<std::string> pieces;
    if (!text.empty()) {
        std::string cur;
        for (char c : text) {
            if (c == '.') {
                pieces.push_back(cur);
                cur.clear();
            } else {
                cur += c;
            }
        }
        pieces.push_back(cur);
    }
    std::array<long long, 3> v {0, 0, 0};
    if (pieces.empty() || pieces.size() > 3)
        return v;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::string& s = pieces[i];
        std::size_t pos = 0;
        bool neg = false;
        if (pos < s.size() && (s[pos] == '+' || s[pos] == '-'))
            neg = s[pos++] == '-';
        if (pos == s.size() || s.size() - pos > 9
            || !std::all_of(s.begin() + static_cast<long>(pos), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue; // not a decimal number: 0
        const long long n = std::stoll(s.substr(pos));
        v[i] = neg ? -n : n;
    }
    return v;
}

} // namespace

bool CheckVersion(const std::string& actual, const std::string& required)
{
    const auto a = versionParts(actual);
    const auto r = versionParts(required);
    const std::array<long long, 3> zero {0, 0, 0};
    return a > zero && a >= r;
}
