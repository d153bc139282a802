#pragma once
// Shared state of one load of the general engine (current year, past years,
// budget): the arrays, the company statement and the load's arguments.

#include "accounting/uAccSisanhyou.h"
#include "platform/firebird/firebird.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace zancmp1 {

struct TLoadContext {
    TLoadContext(TBalanceArray& rows, int lastRow, TQSortArray& sorts, platform::firebird::Query& q);

    TBalanceArray& rows;
    int lastRow;
    TQSortArray& sorts;
    platform::firebird::Query& q;
    int scope = 0;
    int layout = 0;
    int loadFlag = 0;
    bool comparison = false;
    bool closing = false;
    std::array<int, 3> tegataRows {}; // receivable, discounted, endorsed notes

    TBALANCE& row(int i);
    void runSelect(const std::string& sql);
    void hide(int i, bool clearName);

    // Returns the index of the last account row written (50 when none).
    int loadCurrentYear(
        const std::string& branchCode, const std::string& departmentCode, int taxMode, int allocation, int priorTax);
    void LoadTotalNames(bool departmentScope);
    std::vector<std::string> LoadGroupBumon(const std::string& groupCode);
    int ReadBalanceRows(bool closingLayout, bool comparisonLoad);
    int FindSpecialAccountRow(const std::string& code, int lastLoaded);
    void MoveNotesRow(int receivable, int notes, int target);
    void closingLines();
    void blankDuplicateNames(const char* table, const char* column, const char* countText);
};

// Runs body with a fresh statement in the data module's data-reading
// transaction, or its snapshot transaction when snapshot is set (committed
// first when active, committed at the end). Any failure rolls back, is
// shown to the user and reaches the caller as ETrialBalanceError.
void runInTransaction(
    const char* operation, const std::function<void(platform::firebird::Query&)>& body, bool snapshot = false);

} // namespace zancmp1
