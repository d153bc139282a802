#pragma once
// The data module's open-company operations: loading the open data set's
// company master and settings into AccInf, and the questions that depend on
// the open company and the logged-on operator (data and code type names,
// the operator's rights and default branch, the database version, system
// account codes, the data-password prompt, cloud sharing, read-only data).
//
// They work on the company database connected by the data module `DM` and
// follow its transaction and error discipline.

#include "core/AccReg.h"
#include "core/uAccRecord.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace core {

// A data set this program cannot handle (data or code type), or a company
// master that is missing or damaged.
class EAccInfoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The process-wide tables of the accounting library that follow the open
// data set. The accounting library provides them (InstallOpenCompanyTables
// there); core cannot call it directly. Loading a data set without them
// fails, so stale tables can never pass for the new data set's.
struct TOpenCompanyTables {
    // Trial-balance layout and cash-flow items: 1 medical-corporation
    // layout, 0 general.
    std::function<void(int dataKind)> layout;
    // Tax-rate table for the open data set (the date is passed on).
    std::function<void(TDateTime date)> taxRates;
};
TOpenCompanyTables SetOpenCompanyTables(TOpenCompanyTables tables);
bool HasOpenCompanyTables();

// Loads AccInf completely from the connected company database (every field
// starts from its empty value, so nothing of a data set opened before
// survives), rebuilds the layout, cash-flow and tax-rate tables and sets
// ReadOnlyData. False after a reported failure.
bool fnGetAccInfo();

// That column of the ACCTOTALNAME row of a total group; empty when none or
// on a reported failure. The column must be a plain column name.
std::string fnGetAccTotalName(const std::string& group, const std::string& column);

// InitDataKindTables of AccInf's DATATYPE and CODETYPE.
bool InitDataKind();
// True (medical-corporation layout) for data type 3 with code type 1;
// rebuilds the layout and cash-flow tables for it.
bool InitDataKindTables(int dataType, int codeType);

// "法人", "個人", "医療法人"; raises EAccInfoError for any other type.
std::string GetDataTypeName(int dataType);
// The code type's name ("一般", "不動産", "クリニック", "農業" or empty), with
// the data type's name and "／" in front when asked; raises EAccInfoError
// for a combination this program cannot handle.
std::string GetCodeTypeName(int dataType, int codeType, bool withDataType);

// True when the operator needs no per-data right.
bool IsAllDataKengen();
// True when the operator's default branch exists in the open data set.
bool fnGetExistsOpeDefSisetu();
// Sets the operator's branch fields of SysDef (DefSisetuCode, SisetuCode,
// JigyoKbn, SisetuColor) and the branch's name.
void GetOpeDefSisetu(std::string& branchName);

// The value of a name in name=value lines; for "COLOR" an integer colour
// (a value that is not a positive number gives $FFAF80).
TRegValue GetXstrValue(const std::string& settings, const std::string& name);

// "%d.%d.%d" of the company database's version row; "0.0.0" when unknown.
void fnGetDataBaseVer(std::string& version);

// Codes of a system account (ACCDEF2); empty when it has none. Database
// errors are logged and raised.
void SetSystemCode(const std::string& accountName, std::string& code, std::string& userCode);
// User code of an account; empty when none. Errors are raised.
void GetKamokuUserCode(const std::string& code, std::string& userCode);
// TusinHolder[index] and TusinPassword[index] from TUSIN_ID row rec (empty
// when the table or row is missing). Errors are raised.
void GetTusinID(int rec, int index);

// The tax mode unchanged (0 tax-included, 1 tax-excluded).
int GetCalcTaxMode(int taxMode, int unused = 0);
int GetDispTaxMode(int taxMode, int unused = 0);

// The two folder names after the last "DATA" or "CB_DATA" (any case) of a
// data path; blanks are removed first. Empty when absent.
void SplitDataPath(const std::string& path, std::string& first, std::string& second);

// Asks for the data password when the open data set has one (three tries).
// True when the data may be opened. A stored password that cannot be
// unscrambled refuses the data set.
bool CheckDataPassword();

// The value after "=" of the first line whose name equals name (ignoring
// ASCII case); empty when absent.
std::string GetNameValue(const std::string& text, const std::string& name);

// True when cloud-shared data are possible in this edition and mode.
bool IsCloudShareEnabled(std::uint8_t flag);
// 1 when the open data set may only be read, else 0.
int IsReadOnlyData();

} // namespace core
