#pragma once
// Shared pieces of one load of the medical engine: the arrays, the company
// statement in the snapshot transaction and the load's arguments.

#include "accounting/uAccBalanceRead.h"
#include "accounting/uAccMbZanCmp.h"
#include "platform/firebird/firebird.h"

#include <string>
#include <vector>

namespace mbzancmp {

struct TMbLoad {
    TMbLoad(TBalanceArray& rows, int lastRow, TQSortArray& sorts, platform::firebird::Query& q);

    TBalanceArray& rows;
    int lastRow;
    TQSortArray& sorts;
    platform::firebird::Query& q;

    std::string branchCode;
    std::string departmentCode;
    int taxMode = 0;
    int scope = 0;
    int layout = 0;
    int loadFlag = 0;
    int allocation = 0;
    int extra = 0; // business division, settled by the current-year load

    void setArguments(const std::string& branch, const std::string& department, int tax, int scopeValue,
        int layoutValue, int statementKind, int allocationValue, int division);
    TBALANCE& row(int i) { return rows[std::size_t(i)]; }
    // Replaces the statement text.
    void setSql(const std::string& sql);
    // Binds every parameter the statement names from the load's arguments;
    // department overrides :BCODE.
    void bind(const std::string& department);

    // The current year (steps 1-6 of the load, without the transaction).
    void loadCurrentYear();
    void initTotalRows(bool departmentFlag, int statementKind, int division);
    void divisionVisibility();
    // Reads the opened statement from row 61; returns the last row index reached.
    int readBalanceRows();
};

using balanceread::debitNature;
using balanceread::isBlank;
using balanceread::twoDigits;
// Every occurrence of from in text replaced by to.
void replaceAll(std::string& text, const std::string& from, const std::string& to);

} // namespace mbzancmp
