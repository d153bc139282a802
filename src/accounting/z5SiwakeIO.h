#pragma once
// The journal writer: creates, changes, deletes, restores and reads journal
// entries of the open company database through its journal procedures
// (SP_SIWAKE_INS, SP_SIWAKE_UPD, SP_SIWAKE_DEL), looks up the accounts a
// branch may book on (KAMOKU_SZ) and checks an entry before it is stored
// (TestSiwake).
//
// Transactions: the writer runs in the transaction its user gives it
// (SetTransaction). `AutoCommit` is a one-shot flag: the next operation
// starts a transaction when none is active, ends what it started (commit on
// success, roll back when a write fails) and clears the flag; every other
// call runs inside the caller's transaction and never ends it.

#include "accounting/uAccSisanhyou.h"
#include "accounting/z5SiwakeRec.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform::firebird {
class Query;
class Transaction;
} // namespace platform::firebird

namespace core {
struct DbPolicy;
class TDbScope;
enum class DbFailure : std::uint8_t;
} // namespace core

// One account row a branch may use: account, sub-account and department
// parts, and on the first row of each account whether it has sub-accounts
// and departments.
struct TKamokuRec {
    TKMKREC Kamoku;
    THOJREC Hojo;
    TBUMREC Bumon;
    bool HasHojo = false;
    bool HasBumon = false;
};

// The row found by the last LookupKamoku.
struct TKamokuLookupRow {
    std::string SCODE;
    std::string SNAME;
    std::string BCODE;
    std::string BNAME;
    std::string USERCODE;
    std::string HCODE;
    TKMKREC Kamoku;
    THOJREC Hojo;
};

// An individual-cost code known to the check.
struct TCostCode {
    std::string Code;
    std::int32_t Value = 0;
};

class TSiwakeWrite {
public:
    TSiwakeWrite();
    ~TSiwakeWrite();
    TSiwakeWrite(const TSiwakeWrite&) = delete;
    TSiwakeWrite& operator=(const TSiwakeWrite&) = delete;

    // Wording of the check messages: 0 at a screen, 1 for an import.
    std::uint8_t MessageSet = 0;
    // One-shot: the next operation manages its own transaction.
    bool AutoCommit = false;
    // Check groups TestSiwake runs.
    bool CheckKamoku = true;
    bool CheckTaxCode = true;
    bool CheckKingaku = true;
    bool CheckText = true;
    bool CheckKobetuGenka = true;
    bool CheckShonin = true;
    // Where GetSiwake reads: 0 the current year, 1 and 2 the prior years.
    int KakoSource = 0;
    // Individual-cost codes the check accepts (read from KOBETUGENKAMST by
    // the first check that needs them), and the index of the last match.
    std::vector<TCostCode> CostCodes;
    int CostCodeIndex = -1;

    void SetTransaction(platform::firebird::Transaction* transaction);
    void SetSCode(const std::string& scode);
    const std::string& SCode() const noexcept { return scode_; }

    bool GetKamokuArray(const std::string& scode);
    const std::vector<TKamokuRec>& KamokuArray() const noexcept { return kamoku_; }
    int KamokuCount() const noexcept { return static_cast<int>(kamoku_.size()); }
    // "usercode=index" per account, index of its first row.
    const std::vector<std::string>& KamokuPositions() const noexcept { return positions_; }

    bool LookupKamoku(
        const std::string& scode, const std::string& bcode, const std::string& userCode, const std::string& hcode);
    const TKamokuLookupRow& CurrentRow() const noexcept { return current_; }

    void InitSiwakeRec(TSWKREC& entry, int kessan, TDateTime date) const;
    // Insert (REC 0): the new REC. Update: 0, or -1 when the entry was
    // deleted meanwhile, -2 when it was changed (REC becomes the newest line).
    int PutSiwake(TSWKREC& entry);
    int DeleteSiwake(std::int32_t swkrec);
    // False when no line of that entry was deleted (nothing restored).
    bool RestoreSiwake(std::int32_t swkrec);
    void GetSiwake(TSWKREC& entry, std::int32_t rec, bool throughView);

    // Checks and completes an entry before it is stored: true when every
    // check passed, otherwise the first failure's code and message.
    bool TestSiwake(TSWKREC& entry, int& errorCode, std::string& message);

    // Lock conflicts PutSiwake waits out in its own transaction before it
    // gives the conflict to the caller.
    static constexpr int kLockRetries = 8;

private:
    struct StoredNames;
    // The policy of one operation (see the top of this file): AutoCommit
    // spent, database errors logged under context and raised.
    core::DbPolicy policy(const char* context, core::DbFailure onError);
    // Runs body in the writer's transaction under p.
    void run(const core::DbPolicy& p, const std::function<void(core::TDbScope&)>& body);
    platform::firebird::Query& query();
    void loadCurrentRow(TKamokuLookupRow& row);
    void loadCostCodes();
    int countKamokuSz(const std::string& scode, const std::string& userCode, const char* where);
    bool checkSide(TSWKREC& e, bool debit, const StoredNames& stored, int& code, std::string& message);
    bool checkTax(TSWKREC& e, bool debit, int& code, std::string& message);
    int putOnce(TSWKREC& entry);

    platform::firebird::Transaction* transaction_ = nullptr;
    std::unique_ptr<platform::firebird::Query> query_;
    std::string scode_;
    TKamokuLookupRow current_;
    std::vector<TKamokuRec> kamoku_;
    std::vector<std::string> positions_;
};
