#pragma once
// The search condition of a data list, kept per operator and list type in
// KENSAKUJYOKEN: the record, the mapping of the stored sort column to the
// screen's column numbers and the three stored operations. The search
// dialog and the data-selection screen share them.

#include "platform/firebird/fb_database.h"

#include <cstdint>
#include <string>

struct TDataKensakuRec {
    std::int32_t OpCode = 0;
    std::int32_t ListType = 0;
    std::int32_t JyokenUse = 0; // 1: the condition is in use
    std::int32_t DataType = 0; // 0 any; -13 data kinds 1 and 3
    std::int32_t CodeType = 0;
    std::string DataCode; // matched from the start
    std::string ListName; // contained in the data-list name
    std::int32_t Tanto = 0; // person in charge, 0 any
    std::string DataVer; // version text
    std::string DataVer2; // always empty
    std::int32_t VerMode = 0; // 0 exactly a.b, 1 major a, 2 a.b or newer
    std::string SeihinName; // product name of the version
    std::int32_t SortCol = 0; // screen column numbering
    std::int32_t SortType = 0; // 1 descending
    std::string Yobi1;
    std::string Yobi2;
};

// Stored SORTCOL 1..6 ↔ screen columns 3, 4, 5, 6, 7, 1; anything else 0.
std::int32_t SortColFromStored(std::int32_t stored);
std::int32_t SortColToStored(std::int32_t screen);

// The data-kind list of the search dialog: index ↔ (data kind, code kind).
int DataKbnIndexOf(std::int32_t dataType, std::int32_t codeType);
void DataKbnOfIndex(int index, std::int32_t& dataType, std::int32_t& codeType);

// The stored operations, in a transaction of their own on the system
// database (read committed, record versions, no wait). A caller may start
// that transaction first: the operations then neither report, roll back
// nor commit, and only answer false on an error.
class TDataKensakuIO {
public:
    TDataKensakuIO();
    std::int32_t ListType = 0;
    platform::firebird::Transaction& Transaction() noexcept { return transaction_; }

    void InitCondition(TDataKensakuRec& rec) const;
    // Reads the operator's row, creating it (all zero) when missing.
    bool SelectRecord(TDataKensakuRec& rec);
    // Stores every column; a missing row is inserted.
    bool UpdateRecord(const TDataKensakuRec& rec);
    bool UpdateRecordSortField(const TDataKensakuRec& rec);

private:
    platform::firebird::Transaction transaction_;
};
