#pragma once
// The medical-corporation trial-balance engine: trial-balance rows of a
// medical corporation (data kind 1, books kept per facility and business
// division) loaded from the company database's stored procedures, the two
// prior years and the budget, and the total lines computed from them.
//
// Row band: rows 1..53 are the total lines whose ARRAYNUM in ACCTOTALNAME is
// the row number (1..24 balance sheet, 25..53 income statement), 54..60
// further lines, account rows from MedicalFirstAccountRow (61). Row 0 takes
// what finds no account row. The total-line codes are the classification
// bounds: a line collects the accounts whose code lies strictly between the
// previous line's code and its own.
//
// Business divisions: a facility carries one of 1, 2, 4, 8 in
// SISETUMST.MB_JIGYOU; ACCTOTALNAME.MB_JIGYOU is a bit set over them and 16
// (the whole corporation). Division rows: 26 (division 8), 28 (4), 30 (2),
// 31 (1) and their sum 32.
//
// Reached through the entry points of uAccSisanhyou once
// InstallMedicalTrialBalanceEngine() has been called at start-up. Every
// failure (a database error, more accounts than rows) is shown to the user
// and reaches the caller as ETrialBalanceError: a load never ends with
// partial rows reported as success.

#include "accounting/uAccSisanhyou.h"

#include <string>
#include <vector>

// Registers the medical engine for data kind 1.
void InstallMedicalTrialBalanceEngine();

class TMedicalTrialBalanceEngine : public TTrialBalanceEngine {
public:
    void LoadSisanhyou(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort,
        const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout,
        int loadFlag, int allocation, int extra, int priorTax) override;

    void LoadHikakuBalance(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort,
        const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout,
        int allocation, int extra, int mode, int kind, int more) override;

    void CalcBalance(
        TBalanceArray& rows, int lastRow, int openingMode, int kind, int fromPeriod, int toPeriod, int extra) override;
};

inline constexpr int MbFirstAccountRow = MedicalFirstAccountRow;
// The last total-line row the formulas use.
inline constexpr int MbLastTotalRow = 53;

// --- current year --------------------------------------------------------

// Scopes: 0 whole corporation, 1 one business division (extra), 2 one
// facility (branchCode), 3 one department (departmentCode) of a facility,
// 4 the departments of a department group (departmentCode) within a
// facility, 5 one facility group (branchCode). Layouts: 0 standard, 1 A4,
// 2 A3, 3 and 4 facility comparison. loadFlag is the statement kind compared
// with ACCTOTALNAME.KESKUBUN; extra the business division (0: the division
// of facility branchCode where one is needed).
void MbLoadSisanhyou(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort, const std::string& branchCode,
    const std::string& departmentCode, int taxMode, int scope, int layout, int loadFlag, int allocation, int extra);

// The departments (BCODE) of department group groupCode that belong to
// facility facilityCode, in the order the database returns them.
std::vector<std::string> GetGroupBumonList(const std::string& facilityCode, const std::string& groupCode);
// The business division of a facility; 0 when the facility does not exist.
int GetSisetuJigyou(const std::string& facilityCode);

// The sort key a division row keeps: its current key when at least one
// facility (of facility group groupCode when not empty) has the division,
// else the hidden key.
std::string MbDivisionRowKey(const std::string& currentKey, int division);
std::string MbGroupDivisionRowKey(const std::string& currentKey, int division, const std::string& groupCode);
// Row 32's key: kept when at least two of the division rows' keys are shown.
std::string MbCombinedRowKey(const std::string& currentKey, const TQSortArray& sorts);

// --- comparison years and budget -------------------------------------------

// The current year, the balances of the two earlier years and of the months
// before the data start, the budget with its actuals, and the total lines of
// every column. kind is the statement kind of the current-year load; more 1
// takes the past-year and budget tax mode from ACCDEF1.KURIKOSI1.
void MbLoadHikakuBalance(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort,
    const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout,
    int allocation, int extra, int kind, int more);

// Account rows 61..lastRow: the first with that KCODE, 0 when none.
int MbFindKamokuRow(const TBalanceArray& rows, int lastRow, const std::string& kcode);
// The sub-account entry with that HCODE, -1 when none.
int MbFindHojoIndex(const TBALANCE& row, const std::string& hcode);
// The first account row whose second classification text (division 2 or 4:
// its fourth group text) is groupCode and whose SUBREC is subRec; 0 when none.
int MbFindGroupRow(const TBalanceArray& rows, int lastRow, const std::string& groupCode, int subRec, int division);

// --- total lines -------------------------------------------------------------

// Total lines and percentages of net and balance at period column k
// (-32..19) for a business division.
void MbCalcTotalLines(TBalanceArray& rows, int lastRow, int k, int division);
// Income-statement total lines of the budget columns at month index k (1..15).
void MbCalcYosanTotalLines(TBalanceArray& rows, int lastRow, int k);
// Balance-sheet formulas on the comparison opening and the three openings by year.
void MbApplyOpeningTotals(TBalanceArray& rows);
// Range fields of every row for periods from..to (kinds 1-4 quarters, 5 and
// 6 halves), their total lines, names and percentages.
void MbCalcBalance(
    TBalanceArray& rows, int lastRow, int openingMode, int kind, int fromPeriod, int toPeriod, int division);

// A per-column percent, or 0 when it lies above 9999.0 or below -999.0.
Currency ClampRatio(Currency percent);
// The name of a total line for an amount: the seven sign-named lines take
// PLUSNAME or MINUSNAME of ACCTOTALNAME by the amount's sign.
std::string MbTotalRowName(const std::string& code, const std::string& name, Currency amount, int division);
// The first account row with that account code, 0 when none.
int MbFindKamokuRow2(const TBalanceArray& rows, int lastRow, const std::string& kcode);
