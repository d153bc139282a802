// Total lines of the medical trial balance: the account rows collected into
// the total lines by their codes, the fixed line formulas, the percentages,
// and the same for a range of periods.

#include "accounting/uAccMbZanCmp.h"
#include "core/DbOperation.h"
#include "accounting/uAccMbZanCmpInternal.h"

#include "accounting/uAccTaxCmp.h"
#include "core/AccReg.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "core/TextRoutines.h"
#include "core/uAccDateCmp.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

using Amount = std::function<Currency&(TBALANCE&)>;

bool variantTwo(int division)
{
    return division == 2 || division == 4;
}

const std::string& codeOf(const TBALANCE& r, bool variant2)
{
    return variant2 ? r.Kamoku.GROUPM3 : r.Kamoku.GROUPM1;
}

// The total line (1..53) each account row 61..lastRow is collected into, 0
// for none: the first line whose code lies above the account's code while
// the previous non-empty line's code (from "1000") lies below it.
std::vector<int> collectingLines(const TBalanceArray& rows, int lastRow, bool variant2)
{
    std::vector<int> line(std::size_t(std::max(lastRow + 1, 0)), 0);
    std::string low = "1000";
    for (int s = 1; s <= MbLastTotalRow; ++s) {
        const std::string& high = codeOf(rows[std::size_t(s)], variant2);
        if (high.empty())
            continue;
        for (int i = MbFirstAccountRow; i <= lastRow; ++i) {
            const std::string& c = codeOf(rows[std::size_t(i)], variant2);
            if (line[std::size_t(i)] == 0 && c > low && c < high)
                line[std::size_t(i)] = s;
        }
        low = high;
    }
    return line;
}

// The summary pass: every collected account row hands its nature to its
// line and calls add(line, account, sign of its nature).
void collect(TBalanceArray& rows, int lastRow, bool variant2,
    const std::function<void(TBALANCE& line, TBALANCE& account, int sign)>& add)
{
    const std::vector<int> line = collectingLines(rows, lastRow, variant2);
    for (int i = MbFirstAccountRow; i <= lastRow; ++i) {
        const int s = line[std::size_t(i)];
        if (s == 0)
            continue;
        TBALANCE& acc = rows[std::size_t(i)];
        TBALANCE& target = rows[std::size_t(s)];
        target.Kamoku.TAISHAKU = acc.Kamoku.TAISHAKU;
        add(target, acc, TaishakuAddSign(acc.Kamoku.TAISHAKU));
    }
}

void collectAmounts(TBalanceArray& rows, int lastRow, bool variant2, const std::vector<Amount>& amounts)
{
    collect(rows, lastRow, variant2, [&](TBALANCE& line, TBALANCE& acc, int sign) {
        for (const Amount& a : amounts)
            AddAmount(a(line), sign, a(acc));
    });
}

struct Formulas {
    TBalanceArray& rows;
    Currency& v(const Amount& a, int r) const { return a(rows[std::size_t(r)]); }

    void B1to5(const Amount& a) const
    {
        auto V = [&](int r) -> Currency& { return v(a, r); };
        AddAmount(V(2), V(1));
        V(5) = V(2) + V(3) + V(4);
        V(9) = V(6) + V(7) + V(8);
        V(11) = V(5) + V(9) + V(10);
        V(14) = V(12) + V(13);
    }
    void B6(const Amount& a) const
    {
        auto V = [&](int r) -> Currency& { return v(a, r); };
        V(19) = V(11) - (V(14) + V(15) + V(16) + V(17) + V(18) + V(22));
    }
    void B7to9(const Amount& a) const
    {
        auto V = [&](int r) -> Currency& { return v(a, r); };
        V(21) = V(18) + V(19);
        V(23) = V(15) + V(16) + V(17) + V(21) + V(22);
        V(24) = V(14) + V(23);
    }
    void balanceSheet(const Amount& a) const
    {
        B1to5(a);
        B6(a);
        B7to9(a);
    }
    void P1to3(const Amount& a) const
    {
        auto V = [&](int r) -> Currency& { return v(a, r); };
        AddAmount(V(26), V(25));
        AddAmount(V(28), V(27));
        AddAmount(V(30), V(29));
        V(32) = V(26) + V(28) + V(30) + V(31);
        V(41) = V(33) + V(34) + V(35) + V(36) + V(37) + V(38) + V(39) + V(40);
    }
    // P4..P9; after each step `set` is called with the row it set.
    void P4to9(const Amount& a, const std::function<void(int)>& set = {}) const
    {
        auto V = [&](int r) -> Currency& { return v(a, r); };
        auto done = [&](int r) {
            if (set)
                set(r);
        };
        V(42) = V(32) - V(41);
        done(42);
        V(45) = V(42) + V(43) - V(44);
        done(45);
        V(48) = V(45) + V(46) - V(47);
        done(48);
        V(49) = V(48) - V(49);
        done(49);
        V(50) = V(49) + V(50);
        done(50);
        V(53) = V(50) + V(51) - V(52);
        done(53);
    }
    void incomeStatement(const Amount& a) const
    {
        P1to3(a);
        P4to9(a);
    }
};

// The row whose amount is the base of a code's percentage; 0 for none.
int percentBase(const std::string& code)
{
    char* end = nullptr;
    const long n = code.empty() ? 0 : std::strtol(code.c_str(), &end, 10);
    const long value = (end && *end == '\0') ? n : 0;
    if (value >= 1000 && value <= 1900)
        return 11;
    if (value >= 2000 && value <= 3900)
        return 24;
    if (value >= 4000 && value <= 9500)
        return 32;
    return 0;
}

Currency share(Currency value, Currency base)
{
    return RatioToPercent(static_cast<double>(value) / static_cast<double>(base));
}

Currency periodMove(const TPeriodValues& debit, const TPeriodValues& credit, int p, bool debitNature)
{
    return debitNature ? debit[p] - credit[p] : credit[p] - debit[p];
}

// Range opening, debit and credit of an account or sub-account from its
// periods; the opening 0 when openingMode is 1.
template <class Entry> void rangeFromPeriods(Entry& e, int taishaku, bool zeroOpening, int from, int to)
{
    const bool debit = mbzancmp::debitNature(taishaku);
    const int first = std::max(from, TPeriodValues::LowIndex);
    const int last = std::min(to, TPeriodValues::HighIndex);
    e.RangeOpening = 0;
    if (!zeroOpening) {
        e.RangeOpening = e.KAISIZAN;
        for (int p = 1; p <= std::min(from - 1, TPeriodValues::HighIndex); ++p)
            AddAmount(e.RangeOpening, periodMove(e.Debit, e.Credit, p, debit));
    }
    e.RangeDebit = e.RangeCredit = 0;
    for (int p = first; p <= last; ++p) {
        AddAmount(e.RangeDebit, e.Debit[p]);
        AddAmount(e.RangeCredit, e.Credit[p]);
    }
}

Currency rangeClosing(int taishaku, Currency opening, Currency debit, Currency credit)
{
    return mbzancmp::debitNature(taishaku) ? opening + (debit - credit) : opening + (credit - debit);
}

// A sub-account's share of its account's range closing: percent with one
// decimal, half away from zero, limited to -999.0 .. 9999.0.
Currency subShare(Currency sub, Currency account)
{
    const double permille = static_cast<double>(sub) / static_cast<double>(account) * 1000.0;
    return ClampPercent(HasuSyori(1, static_cast<Currency>(permille * CurrencyScale)) / 10);
}

int clampIndex(int k)
{
    return std::clamp(k, TPeriodValues::LowIndex, TPeriodValues::HighIndex);
}

} // namespace

Currency ClampRatio(Currency percent)
{
    if (percent > 9999 * CurrencyScale || percent < -999 * CurrencyScale)
        return 0;
    return percent;
}

void MbCalcTotalLines(TBalanceArray& rows, int lastRow, int k, int division)
{
    const bool v2 = variantTwo(division);
    const int bandEnd = std::min(MbFirstAccountRow - 1, lastRow);
    for (int r = 0; r <= bandEnd; ++r) {
        TBALANCE& row = rows[std::size_t(r)];
        row.CompareOpening = 0;
        if (k == 16)
            row.YearOpenings.fill(0);
        if (r <= MbLastTotalRow)
            row.Net[k] = row.Balance[k] = 0;
    }
    std::vector<Amount> amounts = {
        [k](TBALANCE& r) -> Currency& { return r.Balance[k]; },
        [k](TBALANCE& r) -> Currency& { return r.Net[k]; },
        [](TBALANCE& r) -> Currency& { return r.CompareOpening; },
    };
    if (k == 16)
        for (std::size_t y = 0; y < 3; ++y)
            amounts.push_back([y](TBALANCE& r) -> Currency& { return r.YearOpenings[y]; });
    collectAmounts(rows, lastRow, v2, amounts);

    const Formulas f {rows};
    for (int a = 0; a < 2; ++a) {
        f.balanceSheet(amounts[std::size_t(a)]);
        f.incomeStatement(amounts[std::size_t(a)]);
    }
    rows[20].Balance[k] = rows[49].Balance[k];
    rows[20].Net[k] = rows[49].Net[k];

    for (int i = 0; i <= lastRow; ++i) {
        TBALANCE& r = rows[std::size_t(i)];
        const int base = percentBase(r.Kamoku.GROUPM1);
        if (base == 0)
            continue;
        const Currency b = rows[std::size_t(base)].Balance[k];
        if (b != 0)
            r.Percent[k] = ClampRatio(share(r.Balance[k], b));
    }
}

void MbApplyOpeningTotals(TBalanceArray& rows)
{
    const Formulas f {rows};
    f.balanceSheet([](TBALANCE& r) -> Currency& { return r.CompareOpening; });
    for (std::size_t y = 0; y < 3; ++y)
        f.balanceSheet([y](TBALANCE& r) -> Currency& { return r.YearOpenings[y]; });
}

void MbCalcYosanTotalLines(TBalanceArray& rows, int lastRow, int k)
{
    const auto m = std::size_t(k);
    const std::vector<Amount> amounts = {
        [m](TBALANCE& r) -> Currency& { return r.Budget.at(m); },
        [m](TBALANCE& r) -> Currency& { return r.BudgetTier1.at(m); },
        [m](TBALANCE& r) -> Currency& { return r.BudgetTier2.at(m); },
        [m](TBALANCE& r) -> Currency& { return r.BudgetTier3.at(m); },
        [m](TBALANCE& r) -> Currency& { return r.Actuals.at(m); },
    };
    collectAmounts(rows, lastRow, false, amounts);
    const Formulas f {rows};
    for (const Amount& a : amounts)
        f.incomeStatement(a);
}

void MbCalcBalance(TBalanceArray& rows, int lastRow, int openingMode, int kind, int from, int to, int division)
{
    bool v2 = false;
    switch (division) {
    case 0:
    case 1:
    case 8:
    case 16:
    case 255:
        break;
    case 2:
    case 4:
        v2 = true;
        break;
    default:
        CommaTextMessage("事業区分の設定が必要です。", msgkind::Warning);
        break;
    }

    RangeOfKind(kind, from, to);
    if (kind == 0 && from < 1) {
        char text[96];
        std::snprintf(text, sizeof text, "期間番号は「1～16」です。 [%d-%d]", from, to);
        CommaTextMessage(text, msgkind::Warning);
    }
    if (kind > 0 && MonthIndexToKikan(KikanMonthCount(AccInf.SIME, AccInf.KISHU, AccInf.KIMATU)) < to)
        to = 16;

    for (int i = 0; i <= lastRow; ++i) {
        TBALANCE& r = rows[std::size_t(i)];
        r.RangeOpening = r.RangeDebit = r.RangeCredit = r.RangeClosing = r.RangePercent = r.RangePriorYear = 0;
        for (THOJOUTIWAKE& h : r.HojoList)
            h.RangeOpening = h.RangeDebit = h.RangeCredit = h.RangeClosing = 0;
    }

    const bool zeroOpening = openingMode == 1;
    for (int i = MbFirstAccountRow; i <= lastRow; ++i) {
        TBALANCE& r = rows[std::size_t(i)];
        const int n = r.Kamoku.TAISHAKU;
        rangeFromPeriods(r, n, zeroOpening, from, to);
        for (THOJOUTIWAKE& h : r.HojoList)
            rangeFromPeriods(h, n, zeroOpening, from, to);
        if (kind == 0 || kind == 1 || kind == 5 || r.Kamoku.BSPL != "P") {
            r.RangePriorYear = r.Balance[clampIndex(to - 16)];
        } else {
            Currency sum = 0;
            for (int k = clampIndex(from - 16); k <= clampIndex(to - 16); ++k)
                AddAmount(sum, r.Net[k]);
            r.RangePriorYear = sum;
        }
    }

    if (kind == 2 || kind == 3 || kind == 4 || kind == 6) {
        // The profit carried into a range that does not start the year:
        // assets less liabilities and capital at its start, on the carried
        // profit account, while the income-statement rows open at 0.
        Currency assets = 0, liabilities = 0;
        for (int i = MbFirstAccountRow; i <= lastRow; ++i) {
            TBALANCE& r = rows[std::size_t(i)];
            const std::string& c = r.Kamoku.GROUPM1;
            const int n = r.Kamoku.TAISHAKU;
            if (c < "2000")
                AddAmount(assets, (n == 1 || n == 4) ? r.RangeOpening : -r.RangeOpening);
            else if (c < "4000")
                AddAmount(liabilities, (n == 3 || n == 2) ? r.RangeOpening : -r.RangeOpening);
        }
        for (int i = MbFirstAccountRow; i <= lastRow; ++i)
            if (rows[std::size_t(i)].Kamoku.BSPL == "P")
                rows[std::size_t(i)].RangeOpening = 0;
        const int carried = MbFindKamokuRow2(rows, lastRow, AccInf.SysKCode[4]);
        rows[std::size_t(carried)].RangeOpening = assets - liabilities;
    }

    for (int i = MbFirstAccountRow; i <= lastRow; ++i) {
        TBALANCE& r = rows[std::size_t(i)];
        const int n = r.Kamoku.TAISHAKU;
        r.RangeClosing = rangeClosing(n, r.RangeOpening, r.RangeDebit, r.RangeCredit);
        for (THOJOUTIWAKE& h : r.HojoList) {
            h.RangeClosing = rangeClosing(n, h.RangeOpening, h.RangeDebit, h.RangeCredit);
            h.RangePercent = r.RangeClosing == 0 ? 0 : subShare(h.RangeClosing, r.RangeClosing);
        }
    }

    for (int r = 1; r <= MbLastTotalRow; ++r)
        rows[std::size_t(r)].MembersAdded = 0;
    collect(rows, lastRow, v2, [](TBALANCE& line, TBALANCE& acc, int sign) {
        AddAmount(line.RangeOpening, sign, acc.RangeOpening);
        AddAmount(line.RangeClosing, sign, acc.RangeClosing);
        AddAmount(line.RangeDebit, acc.RangeDebit);
        AddAmount(line.RangeCredit, acc.RangeCredit);
        const int n = acc.Kamoku.TAISHAKU;
        AddAmount(line.RangePriorYear, (n == 2 || n == 4) ? -acc.RangePriorYear : acc.RangePriorYear);
        ++line.MembersAdded;
    });
    for (int r : {26, 28, 30})
        rows[std::size_t(r)].MembersAdded += rows[std::size_t(r - 1)].MembersAdded;

    const Amount opening = [](TBALANCE& r) -> Currency& { return r.RangeOpening; };
    const Amount debit = [](TBALANCE& r) -> Currency& { return r.RangeDebit; };
    const Amount credit = [](TBALANCE& r) -> Currency& { return r.RangeCredit; };
    const Amount closing = [](TBALANCE& r) -> Currency& { return r.RangeClosing; };
    auto movementOf = [&rows](int r) {
        TBALANCE& row = rows[std::size_t(r)];
        row.RangeDebit = 0;
        row.RangeCredit = row.RangeClosing - row.RangeOpening;
    };
    const Formulas f {rows};
    for (const Amount& a : {opening, debit, credit, closing})
        f.B1to5(a);
    f.B6(opening);
    f.B6(closing);
    movementOf(19);
    for (const Amount& a : {opening, debit, credit, closing}) {
        f.B7to9(a);
        f.P1to3(a);
    }
    // Each step of P4..P9 on the opening and the closing before the next.
    f.P4to9(opening);
    f.P4to9(closing, movementOf);

    TBALANCE& r20 = rows[20];
    const TBALANCE& r49 = rows[49];
    r20.RangeOpening = r49.RangeOpening;
    r20.RangeDebit = r49.RangeDebit;
    r20.RangeCredit = r49.RangeCredit;
    r20.RangeClosing = r49.RangeClosing;
    if (lastRow >= 54)
        rows[54].RangeClosing = rows[49].RangeClosing - rows[45].RangeClosing - rows[46].RangeClosing;

    for (int i = 0; i <= lastRow; ++i) {
        TBALANCE& r = rows[std::size_t(i)];
        r.Kamoku.KNAME = MbTotalRowName(r.Kamoku.GROUPM1, r.Kamoku.KNAME, r.RangeClosing, division);
        const int base = percentBase(codeOf(r, v2));
        if (base == 0)
            continue;
        const Currency b = rows[std::size_t(base)].RangeClosing;
        if (b != 0)
            r.RangePercent = ClampPercent(share(r.RangeClosing, b));
    }
}

std::string MbTotalRowName(const std::string& code, const std::string& name, Currency amount, int division)
{
    static const std::array<const char*, 7> signNamed = {"3480", "6950", "7300", "8300", "9280", "9380", "9600"};
    if (std::find(signNamed.begin(), signNamed.end(), code) == signNamed.end())
        return name;
    std::string result = name;
    auto q = core::CreateAccQuery("ACCDAT", false);
    if (!q)
        return result; // no company open: rows computed on their own keep their names
    platform::firebird::Transaction* t = q->transaction();
    if (t == nullptr)
        return result;
    try {
        core::RunDbOperation(*t, core::DbPolicy("MbTotalRowName").with(core::DbReport::Raise), [&] {
            q->sql().add("SELECT PLUSNAME,MINUSNAME,MODIFY FROM ACCTOTALNAME WHERE (BIN_AND( MB_JIGYOU,:J1)=:J2 ) AND "
                         "(KGROUP=:KGROUP)");
            q->paramByName("J1").setInteger(division);
            q->paramByName("J2").setInteger(division);
            q->paramByName("KGROUP").setString(code);
            q->open();
            if (!q->eof()) {
                if (q->fieldByName("MODIFY").asInteger() == 1) {
                    result = q->fieldByName(amount >= 0 ? "PLUSNAME" : "MINUSNAME").asString();
                    if (division == 0 || division == 255)
                        mbzancmp::replaceAll(result, "医業", "事業");
                } else {
                    result = q->fieldByName("PLUSNAME").asString();
                }
            }
            q->close();
        });
    } catch (const platform::firebird::EIBError& e) {
        core::IBErrorReport(e, "合計名称読込");
        throw ETrialBalanceError("MbTotalRowName", e.what());
    }
    return result;
}
