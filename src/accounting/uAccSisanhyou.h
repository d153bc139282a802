#pragma once
// Trial-balance rows (試算表) and the entry points of the trial-balance engine.
//
// A caller allocates BalanceCapacity() rows and as many sort entries, all
// cleared, and passes both with the index of their last element. Rows 0 to 50
// are the summary band (row 0 belongs to no line and only receives what is
// aimed at a missing line), account rows start at FirstAccountRow. Display
// order is the order of the sort keys; a row keyed HiddenSortKey sorts last
// and is not shown.
//
// The entry points hand each call to the engine of the open company's data
// kind (AccInf.DataKind): kind 1 (medical corporations) to the medical
// engine, every other kind to the general engine. Engines register
// themselves; a call for a kind whose engine is not available fails with
// ETrialBalanceError instead of loading nothing.

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/uAccRecord.h"
#include "core/TextRoutines.h" // TQSORT, QuickSortRec

// A fixed-size array addressed by the indexes [Low, High] the engine uses.
// Access outside them throws std::out_of_range rather than touching a
// neighbouring field.
template <typename T, int Low, int High> struct TIndexedArray {
    static_assert(Low <= High);
    static constexpr int LowIndex = Low;
    static constexpr int HighIndex = High;
    static constexpr std::size_t Count = std::size_t(High - Low + 1);

    std::array<T, Count> Values {};

    T& operator[](int index) { return Values.at(slot(index)); }
    const T& operator[](int index) const { return Values.at(slot(index)); }
    void fill(const T& value) { Values.fill(value); }

private:
    static std::size_t slot(int index)
    {
        if (index < Low || index > High)
            throw std::out_of_range("TIndexedArray: index " + std::to_string(index) + " outside " + std::to_string(Low)
                + ".." + std::to_string(High));
        return std::size_t(index - Low);
    }
};

// Period values: 1..16 the current year's periods (months 1-3, 5-7, 9-11,
// 13-15; adjustments 4, 8, 12; closing 16), p-16 (-15..0) period p of the
// prior year, p-32 (-31..-16) period p of the year before; 17..19 spare.
using TPeriodValues = TIndexedArray<Currency, -32, 19>;
// Budget by month index 1..15 (YOSAN01-YOSAN15); 0 and 16..19 spare.
using TMonthBudget = std::array<Currency, 20>;
// Budget tiers, actuals and their flags by month index 1..15; 0 spare.
using TMonthValues = std::array<Currency, 16>;
using TMonthFlags = std::array<std::int32_t, 16>;

// Branch (facility) part of a row; filled by the medical engine.
struct TSISREC {
    std::string SCODE;
    std::string SNAME;
    std::int32_t JIGYOU = 0; // business division of the facility
    std::string GCODE; // facility group
    std::string GNAME;
    std::string XSTR;
};

// Department part of a row; not filled by the general engine.
struct TBUMREC {
    std::string BCODE;
    std::string BNAME;
    std::array<Currency, 20> Values {};
};

// Account part of a row.
struct TKMKREC {
    std::string KCODE;
    std::string USERCODE;
    std::int32_t REC = 0;
    std::string GROUPM1; // group code 1 (first classification code)
    std::string GROUPM2; // group code 2 (decides the summary line)
    std::string GROUPM3; // third group text
    std::string GROUPM4; // fourth group text
    std::string GROUPM5;
    std::string KNAME;
    std::int32_t BLDAC = 0;
    std::int32_t DAC = 0;
    std::int32_t TAISHAKU = 0; // debit/credit nature, see TaishakuAddSign
    std::int32_t DELFLG = 0;
    std::int32_t TAX_LCODE = 0;
    std::int32_t TAX_RCODE = 0;
    std::int32_t FUN_LCODE = 0;
    std::int32_t FUN_RCODE = 0;
    std::string HOJOSW;
    std::string BSPL; // "B" balance sheet, "P" profit and loss
    std::string KEIHKUBU; // expense class
    std::int32_t EXT1_KS = 0;
    std::int32_t EXT1_A4 = 0;
    std::int32_t EXT1_A3 = 0;
    std::int32_t ZEIRITUKBN = 0;
};

// Sub-account part of a row; cleared, not filled by the general engine.
struct THOJREC {
    std::string KCODE;
    std::string HCODE;
    std::string HNAME;
    std::string HKANA;
    std::int32_t REC = 0;
    std::int32_t H_TAX_LCODE = 0;
    std::int32_t H_TAX_RCODE = 0;
    std::int32_t H_ZEIRITUKBN = 0;
};

// One sub-account of an account row.
struct THOJOUTIWAKE {
    std::string HCODE;
    std::string HNAME;
    std::int32_t SUBREC = 0;
    Currency RangeOpening = 0;
    Currency RangeDebit = 0;
    Currency RangeCredit = 0;
    Currency RangeClosing = 0;
    Currency RangePercent = 0; // share in the account's range closing
    Currency KAISIZAN = 0;
    TPeriodValues Debit;
    TPeriodValues Credit;
    TPeriodValues Net;
    TPeriodValues Balance;
    TMonthBudget Budget {};
    TMonthValues BudgetTier1 {};
    TMonthValues BudgetTier2 {};
    TMonthValues BudgetTier3 {};
    TMonthValues Actuals {};
    TMonthFlags ActualFlags {};
    Currency CompareOpening = 0;
    std::array<Currency, 3> YearOpenings {}; // years 0, 1 and 2 back
};

// One trial-balance row.
struct TBALANCE {
    TSISREC Sisetu;
    TBUMREC Bumon;
    TKMKREC Kamoku;
    THOJREC Hojo;
    Currency KAISIZAN = 0; // opening balance of the fiscal year
    Currency KISHU0 = 0; // opening at the data start (late start)
    std::int32_t HojCount = 0; // entries of HojoList
    std::vector<THOJOUTIWAKE> HojoList;
    std::int32_t MSTREC = 0;
    std::int32_t SUBREC = 0;
    std::int32_t MembersAdded = 0; // rows added in by the range aggregation
    Currency RangeOpening = 0;
    Currency RangeDebit = 0;
    Currency RangeCredit = 0;
    Currency RangeClosing = 0;
    Currency RangePercent = 0; // share in the base line, one decimal
    Currency RangePriorYear = 0;
    TPeriodValues Debit; // KAR01..KAR16 at 1..16
    TPeriodValues Credit; // KAS01..KAS16 at 1..16
    TPeriodValues Net; // index 0: opening (current load) or prior period 16
    TPeriodValues Balance;
    TPeriodValues Percent;
    TMonthBudget Budget {};
    std::array<Currency, 20> Budget2 {}; // second block; cleared only
    TMonthValues BudgetTier1 {};
    TMonthValues BudgetTier2 {};
    TMonthValues BudgetTier3 {};
    TMonthValues Actuals {};
    TMonthFlags ActualFlags {};
    Currency CompareOpening = 0; // KISHU of year 0
    std::array<Currency, 3> YearOpenings {}; // KISHU of years 0, 1 and 2 back
};

using TBalanceArray = std::vector<TBALANCE>;
using TQSortArray = std::vector<TQSORT>;

// Key of a hidden row: the half-width semi-voiced mark (0xDF in code page
// 932) sorts after every code.
inline constexpr const char* HiddenSortKey = "ﾟ";

inline constexpr int FirstAccountRow = 51;
inline constexpr int MedicalFirstAccountRow = 61;

// Rows the array must hold: 700 for medical data (kind 1), else 500.
int BalanceCapacity(int dataKind);
int BalanceCapacity();

// +1 for natures 1 and 3 (added into a summary line), -1 for 2 and 4
// (subtracted), 0 for anything else.
int TaishakuAddSign(int taishaku);

// Empties a row's texts and zeroes its numbers, except the sub-account list,
// the master and sub record numbers, the members-added count and the last
// three texts of the branch part.
void ClearBalanceRow(TBALANCE& row);

// Clears rows 0..lastIndex and keys their sort entries hidden with their own
// index. A negative lastIndex does nothing; a lastIndex beyond either array
// throws ETrialBalanceError and changes nothing.
void InitBalanceArray(TBalanceArray& rows, int lastIndex, TQSortArray& sorts, int lastSort);

// --- summary-row constants -----------------------------------------------

inline constexpr int SummaryRowCount = 115;
// Row index of each summary line by constant number; 0 means the line does
// not exist in the layout (its reads and writes go to row 0).
extern std::array<std::int16_t, SummaryRowCount> SummaryRowTable;

// The built-in values of the general and the medical layout.
const std::array<std::int16_t, SummaryRowCount>& GeneralSummaryRows();
const std::array<std::int16_t, SummaryRowCount>& MedicalSummaryRows();

// Medical values for kind 1, general values otherwise.
void InitGroupTable(int dataKind);

// Accounts of the general layout go to the summary row whose GROUPM2 range
// holds their group code, both bounds excluded, first match in table order.
struct TSummaryRange {
    int Row;
    const char* Low;
    const char* High;
};
const std::vector<TSummaryRange>& GeneralSummaryRanges();

// --- percentages ----------------------------------------------------------

// A ratio as a Currency percent with one decimal, half away from zero.
Currency RatioToPercent(double ratio);
// A Currency percent limited to -999.0 .. 9999.0.
Currency ClampPercent(Currency percent);

// The periods of a range kind: 1-4 the quarters (1-4, 5-8, 9-12, 13-16),
// 5 and 6 the halves (1-8, 9-16); any other kind keeps from and to.
void RangeOfKind(int kind, int& from, int& to);

// --- engine dispatch ------------------------------------------------------

// A load or aggregation that could not be done: no engine for the data kind,
// arrays too small for the call, or the engine's own failure. The context
// names the operation ("LoadHikakuBalance").
class ETrialBalanceError : public std::runtime_error {
public:
    ETrialBalanceError(const std::string& context, const std::string& message);
    const std::string& context() const { return context_; }

private:
    std::string context_;
};

// What an engine offers. Every argument of the entry points is passed on;
// each engine uses the ones it knows (the general engine ignores `extra`,
// `kind` and `more`, the medical engine `priorTax` and `mode`). An engine
// reports a failure by throwing.
class TTrialBalanceEngine {
public:
    virtual ~TTrialBalanceEngine() = default;

    virtual void LoadSisanhyou(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort,
        const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout,
        int loadFlag, int allocation, int extra, int priorTax)
        = 0;

    virtual void LoadHikakuBalance(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort,
        const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout,
        int allocation, int extra, int mode, int kind, int more)
        = 0;

    virtual void CalcBalance(
        TBalanceArray& rows, int lastRow, int openingMode, int kind, int fromPeriod, int toPeriod, int extra)
        = 0;
};

inline constexpr int GeneralEngineKind = 0;
inline constexpr int MedicalEngineKind = 1;

// Installs the engine for general (0) or medical (1) data; nullptr removes
// it. The registry shares ownership.
void SetTrialBalanceEngine(int engineKind, std::shared_ptr<TTrialBalanceEngine> engine);
std::shared_ptr<TTrialBalanceEngine> GetTrialBalanceEngine(int engineKind);

// The engine kind that serves a data kind: medical for 1, general otherwise.
int EngineKindOfData(int dataKind);

// Entry points: dispatch by AccInf.DataKind after checking that the arrays
// hold lastRow / lastSort and the summary band of that engine.
void LoadSisanhyou(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort, const std::string& branchCode,
    const std::string& departmentCode, int taxMode, int scope, int layout, int loadFlag, int allocation, int extra,
    int priorTax);

void LoadHikakuBalance(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort,
    const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout,
    int allocation, int extra, int mode, int kind, int more);

void CalcBalance(TBalanceArray& rows, int lastRow, int openingMode, int kind, int fromPeriod, int toPeriod, int extra);

// The same loads with their arguments by name, for new callers: with
// designated initialisers a swapped pair of integers does not compile.
// Every row of rows and sorts is used (lastRow = rows.size() - 1).
//
//   LoadHikakuBalance(rows, sorts, {.TaxMode = 1, .Scope = 0, .Layout = 2, .Mode = 1, .Kind = 2});
struct TSisanhyouRequest {
    std::string BranchCode;
    std::string DepartmentCode;
    int TaxMode = 0;
    int Scope = 0;
    int Layout = 0;
    int LoadFlag = 0;
    int Allocation = 0;
    int Extra = 0;
    int PriorTax = 0;
};
void LoadSisanhyou(TBalanceArray& rows, TQSortArray& sorts, const TSisanhyouRequest& request);

struct THikakuBalanceRequest {
    std::string BranchCode;
    std::string DepartmentCode;
    int TaxMode = 0;
    int Scope = 0;
    int Layout = 0;
    int Allocation = 0;
    int Extra = 0;
    int Mode = 0;
    int Kind = 0;
    int More = 0;
};
void LoadHikakuBalance(TBalanceArray& rows, TQSortArray& sorts, const THikakuBalanceRequest& request);
