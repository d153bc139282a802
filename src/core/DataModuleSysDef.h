#pragma once
// The data module's operations on the system database's settings: the
// logged-on operator's SYSDEF row and the typed settings store SYSREG, the
// numbered SYSTEMINI rows, the logged-on list, menu control, the era table,
// the program database's version, a data set's data-list row and the
// per-screen texts of STYLECOLOR.
//
// They work on the data module `DM` (its system database, transaction and
// statements) and follow its discipline: the transaction is started only
// when it is not active and finished only by whoever started it; failures
// are reported with the context "TDM.<operation>" and answered with the
// failure value.

#include "core/AccReg.h"
#include "core/uAccRecord.h"

#include <functional>
#include <array>
#include <string>

namespace core {

// SYSREG type names.
inline constexpr const char* kRegText = "文字";
inline constexpr const char* kRegBoolean = "論理";
inline constexpr const char* kRegDate = "日付";
inline constexpr const char* kRegInteger = "整数";
inline constexpr const char* kRegCurrency = "金額";

// Loads the operator's settings into SysDef after the login, creating the
// operator's SYSDEF row and missing SYSREG rows with their defaults. False
// after a reported failure (the caller ends the program).
bool fnGetSysDef();
// Writes SysDef back: the SYSDEF row (the switch words keep every bit this
// program does not know) and the operator settings. False after a reported
// failure.
bool fnPutSysDef();
// Writes only the automatic-share switch (SysDef.Reserve4Bit1) into the
// operator's SYSDEF row, for a screen that leaves the rest of the row as
// it is. False after a reported failure.
bool fnPutKyoyuAutoFlag();

// SYSREG. A read of a missing row creates it with the default. The value
// follows the type name: "文字" text (an empty stored text reads as " "),
// "論理" true exactly for "TRUE", "日付" a day count (0 when not a date),
// "整数" and "金額" numbers (0 when not a number); any other type reads as
// the text "Data Type Error". A failed read is reported and answers the
// default.
TRegValue funcGetSysReg(const std::string& name, const std::string& type, const std::string& defaultText, int opCode);
TRegValue GetSysRegOp(const std::string& name, const std::string& type, const std::string& defaultText);
// Update or insert. An unknown type name stores no value (NULL). A failure
// is reported; false then.
bool funcPutSysReg(const std::string& name, const std::string& type, const TRegValue& value, int opCode);
bool PutSysRegOp(const std::string& name, const std::string& type, const TRegValue& value);

// The text a SYSREG value reads as / is stored as (no database).
TRegValue SysRegTextToValue(const std::string& type, const std::string& storedText);
// hasText false for an unknown type (nothing is stored then).
std::string SysRegValueToText(const std::string& type, const TRegValue& value, bool& hasText);

// SYSTEMINI row rec.REC: zeros and empty when there is no row. Inside a
// caller's transaction a database error is raised instead of reported.
bool GetSysIni(TSystemIniRec& rec);
bool SetSysIni(const TSystemIniRec& rec);

// Removes the operator's LOGONUSERLIST row.
void DeleteLogonInfo();
// True when the operator's level may start the process (a level without
// any JOBCONTROL2 row is not restricted).
bool SetJobControl(const std::string& procId, const std::string& procOption);
// GengoTable from GENGO; the built-in eras when that gives none.
void LoadGengoTable();
// SysVerMajor/Minor1/Minor2 from the newest VERSION row; zeros on failure.
void GetProgramVersion();
// Record and child number of a data folder: from the folder names after
// "DATA"/"CB_DATA" in connection mode 0, from DATALIST otherwise.
void GetDataListRec(const std::string& dataPath, int& recNo, int& childNo);
// STYLECOLOR texts; errors are swallowed (empty text, nothing written).
void GetStyleColorStr(int opCode, const std::string& styleName, std::string& text);
void PutStyleColorStr(int opCode, const std::string& styleName, const std::string& text);

// A STYLECOLOR row with its colours (-1 follows the operator's default).
struct TStyleColorRow {
    bool Found = false;
    int LineColor1 = -1;
    int LineColor2 = -1;
    int NetColor1 = -1;
    int NetColor2 = -1;
    std::string Text;
};
// Read and written with their failures reported (false then).
bool ReadStyleColorRow(int opCode, const std::string& styleName, TStyleColorRow& row);
bool WriteStyleColorRow(
    int opCode, const std::string& styleName, const std::string& text, const std::array<int, 7>& colours);

// Whether a font family is installed on the screen; the screen layer
// installs it. Without one GridFont keeps its value.
using TFontInstalledProc = std::function<bool(const std::string& family)>;
TFontInstalledProc SetFontInstalledProc(TFontInstalledProc proc);

} // namespace core
