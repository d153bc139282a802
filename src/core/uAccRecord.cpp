#include "core/uAccRecord.h"
#include "core/ProcessState.h"

TSystemDef SysDef;
TACCINF AccInf;

std::uint8_t AppKind = 0;
std::uint8_t ConnectMode = 0;
std::uint8_t DistKind = 0;
int ReadOnlyData = 0;
std::uint8_t ConnectionLost = 0;
std::string DataVerText;
std::uint8_t RemoteKind = 0;

THostMenuProc OnHostMenu;
TExecProcProc OnExecProc;
TDataDamageProc OnDataDamage;

std::string AppName = "tnzaimu";
std::string HomeDir = "brimto/rozivoraduz";
std::string EBookDirName = "tnzview";
std::string ShareDir = "rozivoraduz";
std::string ServerDir = "/rozivoraduz/data";
std::string ServerTempDir = "/rozivoraduz/temp";
std::string DataDefFile = "tnaccdef.fdb";
std::string DataFile = "tnacc.fdb";
std::string DataBackupFile = "tnacc.fbk";
std::string DataIniFile = "tnacc.ini";
std::string CashBookDir = "cb_data";
std::string LocalBackupFile = "tnacc.fbk";

int ThemeColHeaderColor = 0xDBDBDB;
int ThemeColHeaderGradColor1 = 0xFFFFFF;
int ThemeColHeaderGradColor2 = 0xDBDBDB;
int ThemeClientColor = 0xFFFFFF;
int ThemeClientColor1 = 0xFFFFFF;
int ThemeClientColor2 = 0xE1F0FF;
int ThemeTotalColor = 0x8EC7FF;
int ThemeActiveColor = 0x246BFF;

void ApplyDistThemeColors(std::uint8_t distKind)
{
    if (distKind == 1 || distKind == 2) {
        ThemeClientColor2 = 0xF2FFEE;
        ThemeTotalColor = 0xD6FFC8;
        ThemeActiveColor = 0x8000;
    }
}

const std::array<const char*, 13> FuncKeyCaptions {
    "ESC:", "F1:", "F2:", "F3:", "F4:", "F5:", "F6:", "F7:", "F8:", "F9:", "F10:", "F11:", "F12:"};
const std::array<const char*, 2> SortMarks {"▲", "▼"};
const std::array<const char*, 2> PrintFontNames {"ＭＳ 明朝", "ＭＳ ゴシック"};
const std::array<const char*, 6> DataKindNames {
    "法人", "個人(一般)", "個人(不動産)", "医療法人", "個人(クリニック)", "個人(農業)"};
const std::array<const char*, 3> ZentaiNames {"法人全体", "総体", "法人全体"};
const std::array<const char*, 5> IryoJigyoNames {
    "法人全体", "病院・診療所", "老人保健施設", "指定訪問看護", "その他の事業"};
const std::array<const char*, 4> RemoteKindNames {"", "GO-Global", "RDS", "XenDesktop"};
const std::array<int, 4> KobetuGenkaWidths {3, 4, 5, 6};
const std::array<int, 3> UsableDataStatus1 {0, 1, 2};
const std::array<int, 2> UsableDataStatus2 {1, 2};

void ResetProcessState()
{
    SysDef = TSystemDef {};
    AccInf = TACCINF {};
    AppKind = 0;
    ConnectMode = 0;
    DistKind = 0;
    ReadOnlyData = 0;
    ConnectionLost = 0;
    DataVerText.clear();
    RemoteKind = 0;
    OnHostMenu = nullptr;
    OnExecProc = nullptr;
    OnDataDamage = nullptr;
    AppName = "tnzaimu";
    HomeDir = "brimto/rozivoraduz";
    EBookDirName = "tnzview";
    ShareDir = "rozivoraduz";
    ServerDir = "/rozivoraduz/data";
    ServerTempDir = "/rozivoraduz/temp";
    DataDefFile = "tnaccdef.fdb";
    DataFile = "tnacc.fdb";
    DataBackupFile = "tnacc.fbk";
    DataIniFile = "tnacc.ini";
    CashBookDir = "cb_data";
    LocalBackupFile = "tnacc.fbk";
    ThemeColHeaderColor = 0xDBDBDB;
    ThemeColHeaderGradColor1 = 0xFFFFFF;
    ThemeColHeaderGradColor2 = 0xDBDBDB;
    ThemeClientColor = 0xFFFFFF;
    ThemeClientColor1 = 0xFFFFFF;
    ThemeClientColor2 = 0xE1F0FF;
    ThemeTotalColor = 0x8EC7FF;
    ThemeActiveColor = 0x246BFF;
}

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(SysDef, AccInf, AppKind, ConnectMode, DistKind, ReadOnlyData,
    ConnectionLost, DataVerText, RemoteKind, OnHostMenu, OnExecProc, OnDataDamage, AppName, HomeDir, EBookDirName,
    ShareDir, ServerDir, ServerTempDir, DataDefFile, DataFile, DataBackupFile, DataIniFile, CashBookDir,
    LocalBackupFile, ThemeColHeaderColor, ThemeColHeaderGradColor1, ThemeColHeaderGradColor2, ThemeClientColor,
    ThemeClientColor1, ThemeClientColor2, ThemeTotalColor, ThemeActiveColor);
} // namespace
