#include "accounting/uAccSisanhyou.h"
#include "core/ProcessState.h"

#include <cmath>
#include <map>
#include <utility>

namespace {

using SummaryRows = std::array<std::int16_t, SummaryRowCount>;

// Lines are paired: constants 2k and 2k+1 name the same row unless a line
// has a single constant. Zeros mark constants whose line the layout lacks.
constexpr SummaryRows kGeneralRows = {
    1, 1, 2, 2, 3, 3, 4, 4, 5, 5, //   0-9
    6, 6, 7, 7, 8, 8, 9, 9, 10, 10, //  10-19
    11, 11, 12, 12, 13, 13, 14, 14, 15, 15, //  20-29
    16, 16, 17, 17, 18, 18, 19, 19, 20, 20, //  30-39
    21, 21, 22, 22, 0, 0, 0, 23, 23, 24, //  40-49
    24, 25, 25, 26, 26, 27, 27, 0, 0, 0, //  50-59
    0, 0, 0, 0, 28, 28, 29, 29, 30, 30, //  60-69
    31, 31, 32, 32, 33, 33, 34, 34, 35, 35, //  70-79
    36, 36, 37, 37, 38, 38, 0, 0, 0, 0, //  80-89
    0, 0, 0, 0, 0, 39, 39, 40, 40, 41, //  90-99
    41, 42, 42, 43, 43, 44, 44, 0, 45, 45, // 100-109
    0, 0, 0, 0, 0, // 110-114
};

constexpr SummaryRows kMedicalRows = {
    1, 1, 2, 2, 3, 3, 4, 4, 5, 5, //   0-9
    6, 6, 7, 7, 8, 8, 9, 9, 10, 10, //  10-19
    11, 11, 12, 12, 13, 13, 0, 0, 14, 14, //  20-29
    15, 15, 0, 0, 0, 0, 16, 16, 0, 0, //  30-39
    0, 0, 17, 17, 18, 19, 20, 21, 21, 22, //  40-49
    22, 0, 0, 23, 23, 24, 24, 25, 26, 27, //  50-59
    28, 29, 30, 31, 32, 32, 0, 0, 0, 0, //  60-69
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, //  70-79
    32, 32, 33, 33, 42, 42, 34, 35, 36, 37, //  80-89
    38, 39, 40, 41, 42, 43, 43, 44, 44, 45, //  90-99
    45, 46, 46, 47, 47, 48, 48, 48, 0, 0, // 100-109
    49, 50, 51, 52, 53, // 110-114
};

std::map<int, std::shared_ptr<TTrialBalanceEngine>>& engines()
{
    static std::map<int, std::shared_ptr<TTrialBalanceEngine>> registry;
    return registry;
}

const char* engineName(int engineKind)
{
    return engineKind == MedicalEngineKind ? "medical-corporation" : "general";
}

int summaryBandEnd(int engineKind)
{
    return (engineKind == MedicalEngineKind ? MedicalFirstAccountRow : FirstAccountRow) - 1;
}

// The engine for the open company; refuses arrays that cannot hold the call.
TTrialBalanceEngine& engineFor(
    const char* operation, std::size_t rowCount, int lastRow, const std::size_t* sortCount, int lastSort)
{
    const int kind = EngineKindOfData(AccInf.DataKind);
    const int bandEnd = summaryBandEnd(kind);
    if (lastRow < bandEnd)
        throw ETrialBalanceError(operation,
            "the last row " + std::to_string(lastRow) + " leaves no room for the summary rows 0.."
                + std::to_string(bandEnd));
    if (std::size_t(lastRow) >= rowCount)
        throw ETrialBalanceError(operation,
            "the last row " + std::to_string(lastRow) + " lies beyond the " + std::to_string(rowCount) + " rows given");
    if (sortCount && (lastSort < lastRow || std::size_t(lastSort) >= *sortCount))
        throw ETrialBalanceError(operation,
            "the sort entries (last " + std::to_string(lastSort) + " of " + std::to_string(*sortCount)
                + ") do not cover the rows 0.." + std::to_string(lastRow));

    std::shared_ptr<TTrialBalanceEngine> engine = GetTrialBalanceEngine(kind);
    if (!engine)
        throw ETrialBalanceError(operation,
            std::string("no ") + engineName(kind) + " trial-balance engine is available for data kind "
                + std::to_string(int(AccInf.DataKind)));
    return *engine;
}

} // namespace

std::array<std::int16_t, SummaryRowCount> SummaryRowTable = kGeneralRows;

ETrialBalanceError::ETrialBalanceError(const std::string& context, const std::string& message)
    : std::runtime_error(context + ": " + message)
    , context_(context)
{
}

int BalanceCapacity(int dataKind)
{
    return dataKind == 1 ? 700 : 500;
}

int BalanceCapacity()
{
    return BalanceCapacity(AccInf.DataKind);
}

int TaishakuAddSign(int taishaku)
{
    switch (taishaku) {
    case 1:
    case 3:
        return 1;
    case 2:
    case 4:
        return -1;
    default:
        return 0;
    }
}

void ClearBalanceRow(TBALANCE& row)
{
    // Kept: the sub-account list, MSTREC, SUBREC, MembersAdded and the last
    // three texts of the branch part.
    row.Sisetu.SCODE.clear();
    row.Sisetu.SNAME.clear();
    row.Sisetu.JIGYOU = 0;
    row.Bumon = TBUMREC {};
    row.Kamoku = TKMKREC {};
    row.Hojo = THOJREC {};
    row.KAISIZAN = 0;
    row.KISHU0 = 0;
    row.HojCount = 0;
    row.RangeOpening = 0;
    row.RangeDebit = 0;
    row.RangeCredit = 0;
    row.RangeClosing = 0;
    row.RangePercent = 0;
    row.RangePriorYear = 0;
    row.Debit.fill(0);
    row.Credit.fill(0);
    row.Net.fill(0);
    row.Balance.fill(0);
    row.Percent.fill(0);
    row.Budget.fill(0);
    row.Budget2.fill(0);
    row.BudgetTier1.fill(0);
    row.BudgetTier2.fill(0);
    row.BudgetTier3.fill(0);
    row.Actuals.fill(0);
    row.ActualFlags.fill(0);
    row.CompareOpening = 0;
    row.YearOpenings.fill(0);
}

void InitBalanceArray(TBalanceArray& rows, int lastIndex, TQSortArray& sorts, int /*lastSort*/)
{
    if (lastIndex < 0)
        return;
    if (std::size_t(lastIndex) >= rows.size() || std::size_t(lastIndex) >= sorts.size())
        throw ETrialBalanceError("InitBalanceArray",
            "index " + std::to_string(lastIndex) + " lies beyond the arrays (" + std::to_string(rows.size()) + " rows, "
                + std::to_string(sorts.size()) + " sort entries)");
    for (int i = 0; i <= lastIndex; ++i) {
        ClearBalanceRow(rows[std::size_t(i)]);
        sorts[std::size_t(i)].Key = HiddenSortKey;
        sorts[std::size_t(i)].Index = i;
    }
}

const std::array<std::int16_t, SummaryRowCount>& GeneralSummaryRows()
{
    return kGeneralRows;
}

const std::array<std::int16_t, SummaryRowCount>& MedicalSummaryRows()
{
    return kMedicalRows;
}

void InitGroupTable(int dataKind)
{
    SummaryRowTable = dataKind == 1 ? kMedicalRows : kGeneralRows;
}

const std::vector<TSummaryRange>& GeneralSummaryRanges()
{
    static const std::vector<TSummaryRange> ranges = {
        {1, "1000", "1120"},
        {2, "1120", "1180"},
        {3, "1180", "1280"},
        {4, "1280", "1380"},
        {5, "1380", "1390"},
        {6, "1390", "1580"},
        {7, "1580", "1680"},
        {8, "1680", "1780"},
        {9, "1780", "1790"},
        {10, "1790", "1880"},
        {11, "1880", "1900"},
        {12, "1900", "2180"},
        {13, "2180", "2280"},
        {14, "2280", "2380"},
        {15, "2380", "2800"},
        {16, "2800", "3180"},
        {17, "3180", "3210"},
        {18, "3210", "3270"},
        {19, "3270", "3280"},
        {20, "3280", "3310"},
        {21, "3310", "3330"},
        {23, "3380", "3480"},
        {24, "3480", "3580"},
        {25, "3580", "3680"},
        {26, "3680", "3800"},
        {27, "3800", "3900"},
        {28, "3900", "4800"},
        {29, "4800", "5250"},
        {30, "5250", "5400"},
        {31, "5400", "5580"},
        {32, "5580", "5680"},
        {33, "5688", "5780"},
        {34, "5780", "5830"},
        {36, "5800", "5900"},
        {37, "5900", "6180"},
        {38, "6180", "6200"},
        {39, "6200", "7180"},
        {40, "7180", "7280"},
        {41, "7280", "7300"},
        {42, "7300", "8180"},
        {43, "8180", "8280"},
        {44, "8280", "8290"},
        {45, "8290", "8400"},
        {46, "5680", "5688"},
    };
    return ranges;
}

Currency RatioToPercent(double ratio)
{
    // Extended precision as the stored amounts were computed with; the
    // result is a percent with one decimal (raw units of 1,000).
    const long double scaled = static_cast<long double>(ratio) * 10000000.0L;
    const long double shifted = ratio >= 0 ? scaled + 5000.0L : scaled - 5000.0L;
    return static_cast<Currency>(std::trunc(shifted / 10000.0L)) * 1000;
}

Currency ClampPercent(Currency percent)
{
    constexpr Currency kHigh = 9999 * CurrencyScale;
    constexpr Currency kLow = -999 * CurrencyScale;
    if (percent > kHigh)
        return kHigh;
    if (percent < kLow)
        return kLow;
    return percent;
}

void RangeOfKind(int kind, int& from, int& to)
{
    switch (kind) {
    case 1:
        from = 1;
        to = 4;
        break;
    case 2:
        from = 5;
        to = 8;
        break;
    case 3:
        from = 9;
        to = 12;
        break;
    case 4:
        from = 13;
        to = 16;
        break;
    case 5:
        from = 1;
        to = 8;
        break;
    case 6:
        from = 9;
        to = 16;
        break;
    default:
        break;
    }
}

void SetTrialBalanceEngine(int engineKind, std::shared_ptr<TTrialBalanceEngine> engine)
{
    if (engine)
        engines()[engineKind] = std::move(engine);
    else
        engines().erase(engineKind);
}

std::shared_ptr<TTrialBalanceEngine> GetTrialBalanceEngine(int engineKind)
{
    auto it = engines().find(engineKind);
    return it == engines().end() ? nullptr : it->second;
}

int EngineKindOfData(int dataKind)
{
    return dataKind == 1 ? MedicalEngineKind : GeneralEngineKind;
}

void LoadSisanhyou(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort, const std::string& branchCode,
    const std::string& departmentCode, int taxMode, int scope, int layout, int loadFlag, int allocation, int extra,
    int priorTax)
{
    const std::size_t sortCount = sorts.size();
    engineFor("LoadSisanhyou", rows.size(), lastRow, &sortCount, lastSort)
        .LoadSisanhyou(rows, lastRow, sorts, lastSort, branchCode, departmentCode, taxMode, scope, layout, loadFlag,
            allocation, extra, priorTax);
}

void LoadHikakuBalance(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort,
    const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout,
    int allocation, int extra, int mode, int kind, int more)
{
    const std::size_t sortCount = sorts.size();
    engineFor("LoadHikakuBalance", rows.size(), lastRow, &sortCount, lastSort)
        .LoadHikakuBalance(rows, lastRow, sorts, lastSort, branchCode, departmentCode, taxMode, scope, layout,
            allocation, extra, mode, kind, more);
}

void CalcBalance(TBalanceArray& rows, int lastRow, int openingMode, int kind, int fromPeriod, int toPeriod, int extra)
{
    engineFor("CalcBalance", rows.size(), lastRow, nullptr, 0)
        .CalcBalance(rows, lastRow, openingMode, kind, fromPeriod, toPeriod, extra);
}

namespace {
int lastIndex(std::size_t size)
{
    return static_cast<int>(size) - 1;
}
} // namespace

void LoadSisanhyou(TBalanceArray& rows, TQSortArray& sorts, const TSisanhyouRequest& r)
{
    LoadSisanhyou(rows, lastIndex(rows.size()), sorts, lastIndex(sorts.size()), r.BranchCode, r.DepartmentCode,
        r.TaxMode, r.Scope, r.Layout, r.LoadFlag, r.Allocation, r.Extra, r.PriorTax);
}

void LoadHikakuBalance(TBalanceArray& rows, TQSortArray& sorts, const THikakuBalanceRequest& r)
{
    LoadHikakuBalance(rows, lastIndex(rows.size()), sorts, lastIndex(sorts.size()), r.BranchCode, r.DepartmentCode,
        r.TaxMode, r.Scope, r.Layout, r.Allocation, r.Extra, r.Mode, r.Kind, r.More);
}

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(engines(), SummaryRowTable);
} // namespace
