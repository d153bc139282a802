#pragma once
// Consumption-tax (消費税) codes, rates and rounding.
//
// The fixed knowledge about tax codes (group, detail name, kinds), the folding
// of sales codes between general and simplified taxation, the checks of a
// code against the account it is booked on, the specified-purchase rules, the
// process-wide rate table and the rounding of an amount to whole yen.
// Nothing here touches a database.
//
// The company settings these rules need (TAXKANNI, TAXJIGYOU and the user
// codes of the fixed accounts) come from the open-company record `AccInf`;
// every rule also has an overload that takes them explicitly as a
// `TTaxCodeContext`, so callers and tests are not tied to the global.

#include <cstdint>
#include <string>
#include <vector>

#include "core/uAccRecord.h"

// Company settings the tax-code rules read.
struct TTaxCodeContext {
    int TaxKanni = 0; // TAXKANNI: 0 general, 1 simplified taxation
    int TaxJigyou = 0; // TAXJIGYOU: business category 1..6
    std::string KaribaraiCode; // user code of 仮払消費税 (SysUserCode[1])
    std::string KariukeCode; // user code of 仮受消費税 (SysUserCode[2])
    std::string SyokuchiCode; // user code of 諸口 (SysUserCode[3])
};

// The settings of the open company (AccInf).
TTaxCodeContext CurrentTaxCodeContext();

// --- tax codes ------------------------------------------------------------

// Facts of one tax code. For an unknown code: group "Error" padded with
// blanks to 20 bytes, detail " ", KanniKubun 9, TAXUH 0, TAXDC 0, and the
// result False. Detail names are exactly 24 code page 932 bytes.
bool GetTaxCodeInfo(int code, std::string& groupName, std::string& detailName, int& kanniKubun, int& taxUH, int& taxDC);

// Folds sales codes by the taxation kind: under simplified taxation 110,
// 310, 610 and 630 gain the business category; otherwise the category codes
// fold back to their base. Answers the folded code, also written to `code`.
int ConvertKaniTaxCode(const TTaxCodeContext& ctx, int& code);
int ConvertKaniTaxCode(int& code);

// Code against the account it stands on (仮払/仮受 accounts and the 600/700
// series). `message` receives the refusal or a warning; a True result may
// come with a warning.
bool CheckKariTaxCode(const TTaxCodeContext& ctx, std::string& message, const std::string& userCode, int taxCode);
bool CheckKariTaxCode(std::string& message, const std::string& userCode, int taxCode);

// The other side of a 仮払/仮受 account must carry 810 or 910; otherwise
// `otherTaxCode` becomes 810 and the result is False.
bool CheckAiteTaxCode(const TTaxCodeContext& ctx, std::string& message, const std::string& userCode, int& otherTaxCode);
bool CheckAiteTaxCode(std::string& message, const std::string& userCode, int& otherTaxCode);

// The 諸口 account must carry 810 or 910; otherwise `taxCode` becomes 810
// and the result is False.
bool CheckSyokuchiTaxCode(const TTaxCodeContext& ctx, std::string& message, const std::string& userCode, int& taxCode);
bool CheckSyokuchiTaxCode(std::string& message, const std::string& userCode, int& taxCode);

// Specified purchase (特定課税仕入): 551-553 and 581-583.
bool IsTokuteiShiireCode(int taxCode);

// A specified-purchase code is refused before 2015-10-01 and with the rate
// numbers 1 (3%), 2 (5%) and 4 (reduced 8%). `taxCode` is not changed.
bool CheckTokuteiShiire(std::string& message, int& taxCode, int rateNo, TDateTime date);

// --- rounding -------------------------------------------------------------

// An amount rounded to whole yen: mode 0 truncates toward zero, mode 2 moves
// a fraction to the next yen away from zero, any other mode rounds half away
// from zero.
Currency HasuSyori(int mode, Currency amount);

// --- rates ----------------------------------------------------------------

struct TZeiRituRec {
    std::string Name; // "10%", "8*%" (reduced), "8%", "5%", "3%"
    Currency Rate = 0; // percent
    std::int32_t RateNo = 0; // 0 standard rate in force, 1 3%, 2 5%, 3 8%, 4 reduced 8%
    std::int32_t SortNo = 0; // chronological position
    std::string StartDate; // "yyyy/mm/dd", first day of the rate
    std::int32_t FromVersion = 0;
    std::int32_t Kind = 0;
    bool Current = false;
    bool Standard = true; // false only for the reduced rate
    std::int32_t UseIndex = 0;
    bool InUse = true;
};

using TZeiRituList = std::vector<TZeiRituRec>;

// Newest rate first. Matches the open data set: five rows for data of
// version 11.1.0 and later, three rows (rate number 0 = 8%) before.
extern TZeiRituList ZeiRituTable;

// The built-in tables.
TZeiRituList FiveRowZeiRituTable();
TZeiRituList ThreeRowZeiRituTable();

// Fills ZeiRituTable for a data version text ("13.0.0").
void InitZeiRituTableForVersion(const std::string& dataVersion);
// Fills ZeiRituTable for the open data set (AccInf's data version). The
// date is not used.
void InitZeiRituTable(TDateTime date);

// The rate in percent of a rate number; the first row's rate when no row
// has that number. The date plays no part. Fills the table when empty.
Currency GetZeiRitu(int rateNo, TDateTime date);

// The rate number that applies to a requested number on a date: the reduced
// rate stays as asked; otherwise the rate in force on the date, unless the
// requested rate had already started by then. Fills the table when empty.
int GetZeiRituNo(int rateNo, TDateTime date);
