#pragma once
// Program-wide records and process state.
//
// `SysDef` (who is logged on, folders, connection, operator settings) and
// `AccInf` (the open company) are single instances read everywhere and
// written only by the data module, the start-up, the login and the data
// selection. Everything here lives for the whole process and is touched by
// the main thread only. Texts are UTF-8 (they become code page 932 only at
// the boundaries).

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

// Amounts: signed 64-bit integers scaled by 10,000 (1 yen = 10000).
using Currency = std::int64_t;
inline constexpr Currency CurrencyScale = 10000;

// A sum of amounts beyond the 64-bit range: raised instead of wrapping into
// a wrong figure (a huge sales total read back as a negative one).
class ECurrencyOverflow : public std::overflow_error {
public:
    ECurrencyOverflow()
        : std::overflow_error("金額の合計が計算できる範囲を超えました。")
    {
    }
};

inline Currency CurrencyAdd(Currency a, Currency b)
{
    Currency r;
    if (__builtin_add_overflow(a, b, &r))
        throw ECurrencyOverflow();
    return r;
}

inline Currency CurrencySub(Currency a, Currency b)
{
    Currency r;
    if (__builtin_sub_overflow(a, b, &r))
        throw ECurrencyOverflow();
    return r;
}

// sum += sign * amount, checked (sign is the account nature's +1 or -1).
inline void AddAmount(Currency& sum, Currency amount)
{
    sum = CurrencyAdd(sum, amount);
}
inline void AddAmount(Currency& sum, int sign, Currency amount)
{
    Currency v;
    if (__builtin_mul_overflow(amount, static_cast<Currency>(sign), &v))
        throw ECurrencyOverflow();
    sum = CurrencyAdd(sum, v);
}

// Date-time as a day count: day 0 = 1899-12-30, the fraction is the time of day.
using TDateTime = double;
// Day 0 of TDateTime, the one place the date is written.
inline constexpr std::chrono::sys_days TDateTimeDayZero {std::chrono::year {1899} / 12 / 30};

// A font as the screens hand it around; core has no screen types.
struct TFontSpec {
    std::string Name;
    int Size = 0;
    int Style = 0; // 0 regular, 1 bold, 2 italic, 3 bold italic
    int CharSet = 0;
};

// The animated progress window currently shown; screens implement it.
class TActiveProgress;

struct TSystemDef {
    int GroupID = 0;
    std::string ServerIniFile;
    std::string WinUserName;
    std::string WinSystemDir;
    std::string UserDir;
    std::string DataRoot;
    std::string ExeDir;
    std::string ParentDir;
    std::string PrintDir;
    std::string HelpDir;
    std::string SqlDir;
    std::string IniDir;
    std::string LogDir;
    std::string TempDir;
    std::string WorkDir;
    std::string EBookDir;
    std::string SysDir;
    std::string DataDir;
    std::string HostName;
    std::uint8_t UseGoGlobal = 0;
    std::uint8_t UseGroup = 0;
    std::string DBUser;
    std::string DBPassword;
    std::string SerialNo;
    std::string PCName;
    int OpCode = 0;
    int LoginCode = 0;
    std::string OpName;
    int JobLevel = 0;
    std::uint8_t IsAdmin = 0;
    std::string SisetuCode;
    std::uint8_t IsMyNumberAdmin = 0;
    std::uint8_t IsApprover = 0;
    int JigyoKbn = 0;
    std::string DefSisetuCode;
    int ClosingRecalc = 0;

    // The operator's SYSDEF row, one field per column.
    std::string FontName;
    int FontSize = 0;
    int FontStyle = 0;
    int FontCharSet = 0;
    int FontHeight = 0;
    int GridResize = 0;
    int ShowHint = 0;
    int GridMaxRow = 0;
    int GridRsiz = 0;
    int PanelColor = 0;
    int PanelBackColor = 0;
    int MenuPrintSw = 0;
    int ColHeaderColor = 0;
    int FixedTopColor = 0;
    int RowHeaderColor = 0;
    int FixedLeftColor = 0;
    int ActiveColor = 0;
    int ClientColor = 0;
    int ClientColor1 = 0;
    int ClientColor2 = 0;
    int ClientColor3 = 0;
    int TotalColor = 0;
    int ColHeaderGradColor1 = 0;
    int ColHeaderGradColor2 = 0;
    int ForeColor = 0;
    int BorderColor = 0;
    int ThruBorderColor = 0;
    std::string PrinterName;
    int PreviewZOOM = 0;
    int NetColor1 = 0;
    int NetColor2 = 0;
    int PLineColor1 = 0;
    int PLineColor2 = 0;
    int HojWait = 0;
    int DicSwitch = 0;
    int DicTekAuto = 0;
    int DicTorAuto = 0;
    int DicUsednt = 0;
    int DicType = 0;
    int DicNum1 = 0;
    int DicNum2 = 0;
    int DicSortType = 0;
    int TEK_AUTOUP = 0;
    int TOR_AUTOUP = 0;
    int UserPrint = 0;
    int SwkTotal = 0;
    int SwkLine = 0;
    int Reserve3 = 0;
    int Reserve1 = 0;
    int KingakuPlus = 0;
    int ZeroPrint = 0;
    int SankakuPlus = 0;
    int Reserve2Bit1 = 0;
    int Reserve2Bit2 = 0;
    int Reserve2 = 0;
    int Reserve4 = 0;
    int Reserve5 = 0;
    std::string SSTR;

    std::string ProgramName;
    std::string ProgramName2;
    std::string ProgramVersion;
    int AppVersion = 0;
    int MFTop = 0;
    int MFLeft = 0;
    int MFWidth = 0;
    int MFHeight = 0;
    std::string DataVersionText;
    int WinMajorVersion = 0;
    TFontSpec ScreenFont;
    TFontSpec GridFont;
    int MenuHeight = 0;
    int MenuHeight2 = 0;
    int FrameHeight = 0;
    int CaptionHeight = 0;
    int FrameAllowance = 0;
    int ShowDataSentaku = 0;
    std::string ZenkaiDrive;
    int LastMenu = 0;
    std::string SelectMessage;
    std::uint8_t HostMenuAnswer = 0;
    std::uint8_t BaseFormShown = 0;
    std::string OfficeName;
    std::string OfficeAddress;
    std::string OfficeTel;
    int OfficeReserve1 = 0;
    int OfficeReserve2 = 0;
    int OfficeReserve3 = 0;
    // Bits 1..11 of Reserve4 (bit 1 lowest). Bit 6 has no field of its own:
    // Reserve4Bit5 is 1 when bit 5 is set, else 2 when bit 6 is set, else 0.
    // Reserve4Bit10 is DateDispStyle (1 = dates in Japanese-era form).
    int Reserve4Bit1 = 0;
    int Reserve4Bit2 = 0;
    int Reserve4Bit3 = 0;
    int Reserve4Bit4 = 0;
    int Reserve4Bit5 = 0;
    int Reserve4Bit7 = 0;
    int Reserve4Bit8 = 0;
    int Reserve4Bit9 = 0;
    int Reserve4Bit10 = 0;
    int Reserve4Bit11 = 0;
    int AllDataRight = 0;
    int NextItemMove = 0;
    std::uint8_t KamokuCodeDigits = 0;
    std::uint8_t HojoCodeDigits = 0;
    std::uint8_t BumonCodeDigits = 0;
    std::uint8_t SwkDateFocus = 0;
    int DataDamaged = 0;
    int DataDamageCheck = 0;
    int SisanSyukeiOut = 0;
    int MotoTitleOut = 0;
    int SisanBsPageBreak = 0;
    int SisanTitleOut = 0;
    std::string SisanTitle;
    // Index 0 all-accounts layout, 1 fixed A4 layout, 2 fixed A3 layout.
    std::array<std::string, 3> BsTitle;
    std::array<std::string, 3> AssetTitle;
    std::array<std::string, 3> DebtTitle;
    std::array<std::string, 3> PlTitle;
    std::array<std::string, 3> HanbaiTitle;
    int ServerDataPlace = 0;
    // The data-selection screen's choice: PASNAME of the chosen data-list
    // row (written with DataDir) and the destination text
    // "PATH1=folder\rPATH2=data-list path" of the destination choices.
    std::string DataListPath;
    std::string DestinationText;
    // Set while a take-out works stand-alone.
    int TakeOutFlag = 0;
    int TekiyoEditMode = 0;
    int Moto1LineOut = 0;
    int MotoFusenOut = 0;
    int RensoFilter = 0;
    std::string SelectedDataName;
    int TekiyoInput = 0;
    int TorihikiInput = 0;
    int UraKeisenPrint = 0;
    int TaxCodePrint = 0;
    int TegataSousai = 0;
    int HanbaiKumiire = 0;
    int SisanLineAdjust = 0;
    int SisetuColor = 0;
    int RensoCodeInput = 0;
    int RensoListOrder = 0;
    std::string ServerTempPath;
    int SysVerMajor = 0;
    int SysVerMinor1 = 0;
    int SysVerMinor2 = 0;
    int SisanKikanOut = 0;
    std::string Sisan2Title;
    int DicFlagsValid = 0;
    std::array<int, 8> DicOpenFlags {};
    TActiveProgress* ActiveProgress = nullptr;
};

struct TACCINF {
    int GROUPID = 0;
    std::string ENTTEXT;
    std::string SERIAL;
    int TANTOU = 0;
    int GYOUSHU = 0;
    int DATATYPE = 0; // 1 corporation, 2 individual, 3 medical corporation
    std::string DataTypeName;
    int CODETYPE = 0;
    std::string CodeTypeName;
    int BumonCount = 0;
    std::string SCODE1;
    std::string SCODE2;
    std::string SKANA;
    std::string SHOUGOU;
    std::string POST;
    std::string ADD1;
    std::string ADD2;
    std::string TEL;
    std::string AO_ADD1;
    std::string AO_ADD2;
    std::string AO_KANA;
    std::string AO_SIMEI;
    std::string AO_GYOUSHU;
    std::string AO_YAGO;
    std::string AO_KANYU;
    std::string AO_TEL;
    std::string AO_SHOKUGYO1;
    std::string AO_SHOKUGYO2;
    std::string MAIL;
    TDateTime zzKISHU = 0;
    TDateTime zKISHU = 0;
    int NENDO = 0;
    TDateTime KISHU = 0;
    TDateTime KIMATU = 0;
    TDateTime KAISI = 0;
    int SIME = 0; // closing day 1..28, or 99 for the month end
    int KAISINO = 0;
    int KaisiKikanIndex = 0;
    int LastKikanNo = 0;
    int KaisiMonthCount = 0;
    int YearMonthCount = 0;
    int GENGOU_FLG = 0;
    int GENGOU_HOSEI = 0;
    std::string GENGOU_NAME;
    std::array<std::string, 3> YAKUMEI; // YAKUMEI1..YAKUMEI3
    Currency OLD_TAX_RATE1 = 0;
    Currency OLD_TAX_RATE2 = 0;
    Currency OLD_TAX_RATE3 = 0;
    Currency OLD_TAX_RATE4 = 0;
    Currency OLD_TAX_RATE5 = 0;
    Currency NEW_TAX_RATE1 = 0;
    Currency NEW_TAX_RATE2 = 0;
    Currency NEW_TAX_RATE3 = 0;
    Currency NEW_TAX_RATE4 = 0;
    Currency NEW_TAX_RATE5 = 0;
    TDateTime CHG_DAYS1 = 0;
    TDateTime CHG_DAYS2 = 0;
    TDateTime CHG_DAYS3 = 0;
    TDateTime CHG_DAYS4 = 0;
    TDateTime CHG_DAYS5 = 0;
    TDateTime KANSA_FIXDATE = 0;
    TDateTime KANSA_DATE = 0;
    int CALCU = 0;
    int TAXU_HASUU = 0;
    int TAXH_HASUU = 0;
    int TAXDEFUH = 0;
    int TAXKANNI = 0;
    int TAXJIGYOU = 0;
    int GENKAPRINT = 0;
    int KANSA_LOCK = 0;
    int TEGATADICSW = 0;
    int KESSAN_KIKAN = 0;
    int CASHFLOW_KIKAN1 = 0;
    int CASHFLOW_KIKAN2 = 0;
    int CASHFLOWSW = 0;
    int SDAI_HASUU1 = 0;
    int SDAI_HASUU2 = 0;
    int SDAI_HASUU3 = 0;
    int CONVERT = 0;
    int SHOUHYOU = 0;
    int SITEN = 0;
    // A medical corporation divided into facilities: screens say "施設" for "支店".
    bool SisetuLabel = false;
    int BUMON = 0;
    int DATALOCK = 0;
    int GENKA_USE = 0;
    std::array<std::string, 5> GENKA_HWORD; // GENKA_HWORD1..GENKA_HWORD5
    std::string PlusName5880;
    std::string PlusName5580;
    std::string PlusName5680;
    std::string PlusName5780;
    std::string PlusName5790;
    std::string PASWORD;
    std::string WEB_HOLDER;
    std::array<std::string, 6> TusinPassword;
    std::array<std::string, 6> TusinHolder;
    // By index: 0 現金, 1 仮払消費税, 2 仮受消費税, 3 諸口, 4 繰越利益剰余金
    // (medical: 前期繰越利益), 5 事業主貸, 6 事業主借, 7 元入金, 8 給料, 9 賞与,
    // 10 賞与引当金繰入額, 11 退職給付費用.
    std::array<std::string, 12> SysKCode;
    std::array<std::string, 12> SysUserCode;
    std::string FUMEI_KCODE;
    std::string FumeiUserCode;
    std::uint8_t DataKind = 0; // 1 medical-corporation layout, 0 general
    int KakoMeisai = 0;
    std::uint8_t GassanKbn = 0;
    int GassanCount = 0;
    std::uint8_t KamokuDigits = 0;
    std::uint8_t HojoDigits = 0;
    std::uint8_t BumonDigits = 0;
    int IkkatuZeinuki = 0;
    std::string DataPassword;
    int PrintKikanUse = 0;
    TDateTime PrintKikanFrom = 0;
    TDateTime PrintKikanTo = 0;
    std::array<std::string, 3> TegataKCode; // 受取手形, 割引手形, 裏書手形
    std::array<std::string, 3> TegataUserCode;
    int KurikosiTax = 0;
    int KURIKOSI1 = 0;
    int KURIKOSI2 = 0;
    std::string GENKA_HWORD6;
    std::string PlusName5688;
    int DataVerMajor = 0;
    int DataVerMinor1 = 0;
    int DataVerMinor2 = 0;
    int KobetuGenkaUse = 0;
    std::string KobetuGenkaName;
    std::uint8_t KobetuGenkaDigits = 0;
    int MyNumberUse = 0;
    std::string MyNumberKey;
    std::string MyNumberValue;
    int CloudKbn = 0;
    int CLOUD_LINE = 0;
    TDateTime CLOUD_TIME = 0;
    std::array<std::uint8_t, 5> TaxRateUse {}; // [0] 3%, [1] 5%, [2] 8%, [3] [4] always 1
    int READ_ONLY = 0;
    // 1 when a stored data password exists but cannot be unscrambled: the
    // data set must not open as if it had no password.
    std::uint8_t DataPasswordInvalid = 0;
};

// One SYSTEMINI row.
struct TSystemIniRec {
    int REC = 0;
    int RESERVE1 = 0;
    int RESERVE2 = 0;
    int RESERVE3 = 0;
    int RESERVE4 = 0;
    int RESERVE5 = 0;
    std::string SSTR;
};

// Sort entry of a trial-balance row: the key the rows are shown in and the
// row's index in the row array.
struct TQSORT {
    std::string Key;
    int Index = 0;
};

// A parsed dotted version (see StrToVersionRec).
struct TVersionRec {
    int Major = 0;
    int Minor = 0;
    int Release = 0;
    int Build = 0;
    std::string Text;
};

extern TSystemDef SysDef;

// Automatic take and store-back of shared data sets: the lowest bit of the
// operator's fourth reserve column (SysDef.Reserve4Bit1).
inline bool KyoyuAutoEnabled()
{
    return SysDef.Reserve4Bit1 == 1;
}
extern TACCINF AccInf;

// Program kind: 0 accounting program, 1 electronic book, 2 management
// analysis, 3 cash book.
extern std::uint8_t AppKind;
// 0 stand-alone, 1 client/server, 2 shared server with per-user names.
// Code that tests the mode treats 1 and 2 alike unless told otherwise.
extern std::uint8_t ConnectMode;
// Distribution edition: 0 the maker's own, 1 federation, 2 a further edition.
extern std::uint8_t DistKind;
extern int ReadOnlyData;
extern std::uint8_t ConnectionLost;
extern std::string DataVerText;
// Remote-desktop kind; indexes RemoteKindNames. Nothing here sets it.
extern std::uint8_t RemoteKind;

// Hooks through which the core calls back into the program. Empty at start;
// callers skip an empty hook.
using THostMenuProc = std::function<int(int command, const std::string& text)>;
// params: name=value lines separated by CR LF.
using TExecProcProc = std::function<int(const std::string& procId, std::uint8_t modal, const std::string& params)>;
// result: 1 the data set is sound, 0 damaged.
using TDataDamageProc
    = std::function<void(const std::string& host, const std::string& dataDir, int silent, int& result)>;

extern THostMenuProc OnHostMenu;
extern TExecProcProc OnExecProc;
extern TDataDamageProc OnDataDamage;

// Product file and folder names; start-up copies the application
// information over them (LocalBackupFile excepted). Folder names keep the
// forms they are stored in; the path module joins them with "/".
extern std::string AppName;
extern std::string HomeDir;
extern std::string EBookDirName;
extern std::string ShareDir;
extern std::string ServerDir;
extern std::string ServerTempDir;
extern std::string DataDefFile;
extern std::string DataFile;
extern std::string DataBackupFile;
extern std::string DataIniFile;
extern std::string CashBookDir;
extern std::string LocalBackupFile;

// Theme colours used as SYSDEF defaults (BGR integers as stored).
extern int ThemeColHeaderColor;
extern int ThemeColHeaderGradColor1;
extern int ThemeColHeaderGradColor2;
extern int ThemeClientColor;
extern int ThemeClientColor1;
extern int ThemeClientColor2;
extern int ThemeTotalColor;
extern int ThemeActiveColor;

// Sets the client-2, total and active theme colours of the distribution
// editions 1 and 2; other editions keep the defaults.
void ApplyDistThemeColors(std::uint8_t distKind);

// Fixed date and time conventions of every date/text conversion, whatever
// the locale says.
struct TFormatSettings {
    char DateSeparator;
    char TimeSeparator;
    const char* ShortDateFormat;
    const char* LongDateFormat;
    const char* ShortTimeFormat;
    const char* LongTimeFormat;
};
inline constexpr TFormatSettings FormatSettings {'/', ':', "yyyy/MM/dd", "yyyy年MM月dd日", "hh:mm", "hh:mm:ss"};

// Constant tables.
extern const std::array<const char*, 13> FuncKeyCaptions; // "ESC:", "F1:" .. "F12:"
extern const std::array<const char*, 2> SortMarks; // ascending, descending
extern const std::array<const char*, 2> PrintFontNames;
extern const std::array<const char*, 6> DataKindNames;
extern const std::array<const char*, 3> ZentaiNames; // whole-company names
extern const std::array<const char*, 5> IryoJigyoNames; // medical business divisions
extern const std::array<const char*, 4> RemoteKindNames;
extern const std::array<int, 4> KobetuGenkaWidths; // by KobetuGenkaDigits
extern const std::array<int, 3> UsableDataStatus1; // {0, 1, 2}
extern const std::array<int, 2> UsableDataStatus2; // {1, 2}

// Back to the process-start state: records zeroed, hooks empty, bytes 0,
// product names and theme colours at their built-in defaults. For tests and
// for a clean start.
void ResetProcessState();
