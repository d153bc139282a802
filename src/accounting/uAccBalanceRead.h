#pragma once
// What both trial-balance engines read their statements with: the numbered
// columns (KAR01..KAR16, ZAN01.., YOSAN01..), blank codes, the nature of an
// account and the periods a past-year balance row covers.

#include "accounting/uAccSisanhyou.h"
#include "platform/firebird/firebird.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace balanceread {

// All blanks (or empty).
bool isBlank(const std::string& s);
// n as at least two digits ("01").
std::string twoDigits(int n);
// Debit-natured accounts (1, 4) move by debit - credit, the others by credit - debit.
bool debitNature(int taishaku);

// Replaces the statement text of q (closed first).
void setStatement(platform::firebird::Query& q, const std::string& sql);

// A statement argument by parameter name: an integer or a text.
struct NamedArg {
    std::string_view name;
    std::variant<std::int32_t, std::string> value;
};
// Binds every parameter of q's statement that one of args names (the first
// that does); the others stay as they are.
void bindNamed(platform::firebird::Query& q, std::initializer_list<NamedArg> args);

// The fields prefix01..prefix<last> of q's open statement at indexes
// 1..last; index 0 stays null.
std::vector<platform::firebird::Field*> numberedFields(
    platform::firebird::Query& q, const std::string& prefix, int last);

// The columns every current-year statement returns, looked up once before
// its records are read: the account, its opening KAISIZAN and movements
// KAR01..KAR16 / KAS01..KAS16, and by layout the sub-account count HOJCNT
// (standard layout) or the record numbers MSTREC and SUBREC (the others).
struct TAccountColumns {
    TAccountColumns(platform::firebird::Query& q, bool standardLayout);

    platform::firebird::Field& user;
    platform::firebird::Field& kcode;
    platform::firebird::Field& kname;
    platform::firebird::Field& bspl;
    platform::firebird::Field& taishaku;
    platform::firebird::Field& opening;
    platform::firebird::Field* hojcnt; // standard layout
    platform::firebird::Field* mstrec; // other layouts
    platform::firebird::Field* subrec;
    std::vector<platform::firebird::Field*> kar;
    std::vector<platform::firebird::Field*> kas;

    // The account of the current record into k (its code read already).
    void readAccount(TKMKREC& k, const std::string& code) const
    {
        k.USERCODE = user.asString();
        k.KCODE = code;
        k.KNAME = kname.asString();
        k.BSPL = bspl.asString();
        k.TAISHAKU = taishaku.asInteger();
    }
    // The standard layout's announced sub-account count; the other layouts
    // read the record numbers into r instead and answer 0.
    int readCountOrRecordNumbers(TBALANCE& r) const
    {
        if (hojcnt)
            return hojcnt->asInteger();
        r.MSTREC = mstrec->asInteger();
        r.SUBREC = subrec->asInteger();
        return 0;
    }
};

// The periods a past-year balance row adds into, by its NENDO: 0 the months
// before the data start (periods 1..startPeriod-1), 1 the previous year
// (-15..0), 2 the year before (-31..-16). nullopt for any other NENDO.
struct PeriodSpan {
    int first;
    int count;
};
std::optional<PeriodSpan> pastYearSpan(int nendo, int startPeriod);

// Reads the sub-account records that follow account row r's record (q
// stands on the first of them) into r.HojoList: count announced, one more
// when the first has a blank code and the list is still empty. Each entry
// gets its code (blank: empty) and name, and add(entry) adds its amounts.
// A record of another account ends the list early: it is the next account's.
template <class Add>
void readSubAccounts(platform::firebird::Query& q, TBALANCE& r, int count, platform::firebird::Field& fKcode,
    platform::firebird::Field& fHcode, platform::firebird::Field& fHname, Add&& add)
{
    if (r.HojoList.empty()) {
        if (!q.eof() && isBlank(fHcode.asString()))
            ++count;
        r.HojoList.assign(std::size_t(count), THOJOUTIWAKE {});
    }
    for (std::size_t j = 0; j < r.HojoList.size(); ++j) {
        if (q.eof() || fKcode.asString() != r.Kamoku.KCODE) {
            r.HojoList.resize(j);
            break;
        }
        THOJOUTIWAKE& h = r.HojoList[j];
        h.HCODE = fHcode.asString();
        if (isBlank(h.HCODE))
            h.HCODE.clear();
        h.HNAME = fHname.asString();
        add(h);
        q.next();
    }
    r.HojCount = int(r.HojoList.size());
}

} // namespace balanceread
