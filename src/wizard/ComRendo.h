#pragma once
// The trial-balance rows of one company as the linkage exports load them.
//
// TVarovDataLoad sizes the rows and their sort entries and has the
// trial-balance engine fill them with its comparison loader (current year,
// the periods before the data's start, the two earlier years and the
// budget). Exporters derive from it and read the rows back.

#include <array>
#include <cstdint>
#include <string>

#include "accounting/uAccSisanhyou.h"

// Months covered up to each period cell 0..15 (an adjustment period counts
// no month of its own).
inline constexpr std::array<int, 16> MonthCountTable = {1, 2, 3, 3, 4, 5, 6, 6, 7, 8, 9, 9, 10, 11, 12, 12};

class TVarovDataLoad {
public:
    TVarovDataLoad() = default;
    virtual ~TVarovDataLoad() = default;
    TVarovDataLoad(const TVarovDataLoad&) = delete;
    TVarovDataLoad& operator=(const TVarovDataLoad&) = delete;

    // Sizes the rows (BalanceCapacity of the open company) and loads them.
    // Sets MonthCount from the chosen period and, for the last cell of a
    // year shorter than twelve months, moves EndIndex to the closing period
    // (cell 15). Any failure of the engine propagates (ETrialBalanceError,
    // the database layer's EIBError, std::bad_alloc).
    void LoadBalance();

    // Period cells 0..15 stand for periods 1..16; these fields mirror the
    // export object's choices.
    std::string BranchCode;
    std::string DepartmentCode;
    std::int32_t StartIndex = 0;
    std::int32_t EndIndex = 0;
    std::int32_t LastIndex = 0;
    std::int32_t Scope = 0;
    std::int32_t TaxMode = 0; // 0 tax-included, 1 tax-excluded
    std::int32_t Layout = 0;
    std::int32_t Allocation = 0;
    std::int32_t Extra = 0; // 16 for medical-corporation data
    std::int32_t Hikaku = 1; // load through LoadHikakuBalance
    std::int32_t MonthCount = 0;
    std::int32_t Capacity = 0;
    TQSortArray Sorts;
    TBalanceArray Rows;
    std::int32_t Status = 0; // 3 while computing, 1 when done

    // The month count and end cell LoadBalance uses for a chosen end cell
    // and the last cell the fiscal year has.
    struct TPeriodChoice {
        int MonthCount;
        int EndIndex;
    };
    static TPeriodChoice ResolvePeriod(int endIndex, int lastIndex);
};
