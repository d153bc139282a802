#include "wizard/ComRendo.h"

#include <algorithm>
#include <stdexcept>

TVarovDataLoad::TPeriodChoice TVarovDataLoad::ResolvePeriod(int endIndex, int lastIndex)
{
    if (endIndex < 0 || endIndex > 15 || lastIndex < 0 || lastIndex > 15)
        throw std::out_of_range("TVarovDataLoad.LoadBalance: period cell " + std::to_string(endIndex) + " / "
            + std::to_string(lastIndex) + " is outside 0 to 15");
    // The last selectable cell of a year shorter than twelve months is its
    // closing cell: it adds no month of its own and stands for period 16.
    // An end chosen beyond that cell (a caller that takes the last month
    // as cell 15 whatever the year's length) is the same closing cell; it
    // must not count months the year does not have.
    if (lastIndex != 15 && lastIndex >= 1 && endIndex >= lastIndex)
        return {MonthCountTable[static_cast<std::size_t>(lastIndex - 1)], 15};
    return {MonthCountTable[static_cast<std::size_t>(endIndex)], endIndex};
}

void TVarovDataLoad::LoadBalance()
{
    Capacity = BalanceCapacity();
    Rows.assign(static_cast<std::size_t>(Capacity), TBALANCE {});
    Sorts.assign(static_cast<std::size_t>(Capacity), TQSORT {});

    const TPeriodChoice choice = ResolvePeriod(EndIndex, LastIndex);
    MonthCount = choice.MonthCount;
    EndIndex = choice.EndIndex;

    LoadHikakuBalance(Rows, Sorts,
        {.BranchCode = BranchCode,
            .DepartmentCode = DepartmentCode,
            .TaxMode = TaxMode,
            .Scope = Scope,
            .Layout = Layout,
            .Allocation = Allocation,
            .Extra = Extra,
            .Mode = 1,
            .Kind = 2,
            .More = 0});
}
