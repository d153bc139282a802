#pragma once
// The general trial-balance engine: trial-balance rows of a general (not
// medical) company loaded from the company database's stored procedures,
// the comparison years and the budget, and the summary lines derived from
// the account rows.
//
// The engine is reached through the entry points of uAccSisanhyou once
// InstallGeneralTrialBalanceEngine() has been called at start-up. Every
// failure reaches the caller as ETrialBalanceError (after the user has been
// shown the database error): a load never ends with partial rows reported
// as success.
//
// Rows are named by their general row numbers R1..R49 (the summary band);
// account rows start at FirstAccountRow.

#include "accounting/uAccSisanhyou.h"

#include <string>
#include <vector>

// Registers the general engine for the general data kinds.
void InstallGeneralTrialBalanceEngine();

class TGeneralTrialBalanceEngine : public TTrialBalanceEngine {
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

// --- current year ----------------------------------------------------------

// Loads the current year into rows (see the engine comment). Layouts: 0
// standard, 1 A4, 2 A3, 4 closing statements; any other layout loads only the
// total-line names. Throws ETrialBalanceError on any failure (a database
// error is shown to the user first) and when the procedure returns more
// accounts than rows 51..lastRow hold.
void LoadSisanhyouGeneral(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort,
    const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout, int loadFlag,
    int allocation, int priorTax);

// Periods before the start month 1..12 (adjustment periods counted).
int StartMonthPeriods(int startMonth);

// --- comparison years and budget ----------------------------------------

// Current year with the two earlier years and the budget. Throws
// ETrialBalanceError as LoadSisanhyouGeneral, and for a scope/layout pair
// that has no past-year statement.
void LoadHikakuGeneral(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort,
    const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout,
    int allocation, int mode);

// A past year shorter than twelve months keeps everything after its last
// month in its period 16 (the previous year at -15..0, the one before at
// -31..-16), from the fiscal starts of AccInf.
void FoldShortPastYears(TBalanceArray& rows, int lastRow);

// --- summary lines ------------------------------------------------------

// The row an account of this group code 2 is added into (0 for none).
// Pass: 0 period, 1 comparison (P/L lines only), 2 range.
int SummaryRowOfGroup(const std::string& groupM2, int pass);

// The last account row whose group code 2 is "3340", else 0.
int FindEarningsRow(const TBalanceArray& rows, int lastRow);

// Period pass for period index p (-32..16).
void ClassifyPeriod(TBalanceArray& rows, int lastRow, int p);
// Comparison pass for month index q (1..15).
void ClassifyCompare(TBalanceArray& rows, int lastRow, int q);
// B/S line formulas (steps 1-9) applied to the comparison opening and the
// three openings by year of the summary rows.
void ApplyOpeningFormulas(TBalanceArray& rows, int lastRow);

// Range pass over periods from..to (kinds: 1-4 quarters, 5 and 6 halves,
// other kinds keep from and to).
void pcBalanceSheet_Calcu(TBalanceArray& rows, int lastRow, int openingMode, int kind, int fromPeriod, int toPeriod);

// Caption of a total line for an amount; `caption` when ACCTOTALNAME has no
// row for the group.
std::string TotalLineCaption(const std::string& groupCode, const std::string& caption, Currency amount);

int FindRowByGroup(const TBalanceArray& rows, int lastRow, const std::string& groupM2, int subRec);
int FindRowByKamoku(const TBalanceArray& rows, int lastRow, const std::string& kcode);
int FindHojoIndex(const TBALANCE& row, const std::string& hcode);
