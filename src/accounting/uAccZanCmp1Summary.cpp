// Summary lines of the general trial balance: the classification of the
// account rows into the summary band, the line formulas and the three passes
// (period, comparison, range).

#include "accounting/uAccZanCmp1.h"

#include "accounting/uAccTaxCmp.h"
#include "core/AccReg.h"
#include "core/DbOperation.h"
#include "core/IBErrorProc.h"
#include "core/TextRoutines.h"
#include "core/MessageService.h"
#include "platform/firebird/firebird.h"

#include <cstdio>
#include <functional>

namespace {

constexpr int kBandEnd = FirstAccountRow - 1;

bool between(const std::string& code, const char* low, const char* high)
{
    return code > low && code < high;
}

// Which values a formula step works on.
using Accessor = std::function<Currency&(TBALANCE&)>;

// The line formulas' arithmetic, checked: a total beyond the 64-bit range
// raises ECurrencyOverflow instead of wrapping.
struct CheckedAmount {
    Currency value;
    friend CheckedAmount operator+(CheckedAmount a, CheckedAmount b) { return {CurrencyAdd(a.value, b.value)}; }
    friend CheckedAmount operator-(CheckedAmount a, CheckedAmount b) { return {CurrencySub(a.value, b.value)}; }
};

struct AmountRef {
    Currency& ref;
    operator CheckedAmount() const { return {ref}; }
    AmountRef& operator=(CheckedAmount a)
    {
        ref = a.value;
        return *this;
    }
    AmountRef& operator=(const AmountRef& other)
    {
        ref = other.ref;
        return *this;
    }
    friend CheckedAmount operator+(AmountRef a, AmountRef b) { return CheckedAmount(a) + CheckedAmount(b); }
    friend CheckedAmount operator-(AmountRef a, AmountRef b) { return CheckedAmount(a) - CheckedAmount(b); }
};

struct Formulas {
    TBalanceArray& rows;
    int earnings;
    bool dataType1;

    Currency& v(const Accessor& a, int r) const { return a(rows[std::size_t(r)]); }

    // Steps 1-9 (balance sheet).
    void balanceSheet(const Accessor& a) const
    {
        auto V = [&](int r) { return AmountRef {v(a, r)}; };
        V(2) = V(2) + V(1);
        V(5) = V(2) + V(3) + V(4);
        V(9) = V(6) + V(7) + V(8);
        V(11) = V(5) + V(9) + V(10);
        V(15) = V(12) + V(13) + V(14);
        V(19) = V(17) + V(18);
        if (dataType1) {
            V(earnings) = V(11) - (V(15) + V(16) + V(19) + V(20) + V(21) + V(23) + V(24) + V(25));
            V(21) = V(21) + V(earnings);
            V(22) = V(20) + V(21);
            V(23) = V(23) + V(16) + V(19) + V(22);
            V(26) = V(23) + V(24) + V(25);
        } else {
            V(22) = V(20) + V(21);
            V(23) = V(11) - (V(15) + V(16) + V(19) + V(22));
            V(26) = V(16) + V(19) + V(22) + V(23);
        }
        V(27) = V(15) + V(26);
    }

    // Steps 10-17 (profit and loss); step 12 only when copyR35.
    void profitAndLoss(const Accessor& a, bool copyR35 = true) const
    {
        auto V = [&](int r) { return AmountRef {v(a, r)}; };
        V(35) = V(31) + V(32) + V(46) + V(33) + V(34);
        V(30) = V(29) + V(35) + V(30);
        if (copyR35)
            V(29) = V(35);
        V(36) = V(28) - V(30);
        V(38) = V(36) - V(37);
        V(41) = V(38) + V(39) - V(40);
        V(44) = V(41) + V(42) - V(43);
        V(45) = V(44) - V(45);
    }

    void all(const Accessor& a) const
    {
        balanceSheet(a);
        profitAndLoss(a);
    }
};

bool isDataType1()
{
    return AccInf.DATATYPE == 1;
}

// Base line of a row's percentage by its group code 2 (0: none).
int percentBase(const std::string& g, bool rangePass)
{
    if (between(g, "1000", "1900"))
        return 11;
    if (between(g, "2000", "3900"))
        return 27;
    if (g > "4000" && (g < "8400" || (rangePass && g == "8400")))
        return 28;
    return 0;
}

Currency percentOf(Currency value, Currency base)
{
    return ClampPercent(RatioToPercent(static_cast<double>(value) / static_cast<double>(base)));
}

void addForPeriod(TBALANCE& line, const TBALANCE& acc, int p)
{
    line.Kamoku.TAISHAKU = acc.Kamoku.TAISHAKU;
    const int s = TaishakuAddSign(acc.Kamoku.TAISHAKU);
    AddAmount(line.Balance[p], s, acc.Balance[p]);
    AddAmount(line.Net[p], s, acc.Net[p]);
    AddAmount(line.CompareOpening, s, acc.CompareOpening);
    if (p == 16)
        for (std::size_t y = 0; y < 3; ++y)
            AddAmount(line.YearOpenings[y], s, acc.YearOpenings[y]);
}

void addForCompare(TBALANCE& line, const TBALANCE& acc, int q)
{
    const int s = TaishakuAddSign(acc.Kamoku.TAISHAKU);
    const auto i = std::size_t(q);
    AddAmount(line.Budget[i], s, acc.Budget[i]);
    AddAmount(line.BudgetTier1[i], s, acc.BudgetTier1[i]);
    AddAmount(line.BudgetTier2[i], s, acc.BudgetTier2[i]);
    AddAmount(line.BudgetTier3[i], s, acc.BudgetTier3[i]);
    AddAmount(line.Actuals[i], s, acc.Actuals[i]);
}

void addForRange(TBALANCE& line, const TBALANCE& acc)
{
    line.MembersAdded += 1;
    AddAmount(line.RangeDebit, acc.RangeDebit);
    AddAmount(line.RangeCredit, acc.RangeCredit);
    line.Kamoku.TAISHAKU = acc.Kamoku.TAISHAKU;
    const int s = TaishakuAddSign(acc.Kamoku.TAISHAKU);
    AddAmount(line.RangeOpening, s, acc.RangeOpening);
    AddAmount(line.RangeClosing, s, acc.RangeClosing);
    AddAmount(line.RangePriorYear, s, acc.RangePriorYear);
}

// Signed movement of a period by the account's nature: debit minus credit
// for natures 1 and 4, credit minus debit otherwise.
Currency movement(int taishaku, Currency debit, Currency credit)
{
    return (taishaku == 1 || taishaku == 4) ? CurrencySub(debit, credit) : CurrencySub(credit, debit);
}

int clampIndex(int i)
{
    return i < TPeriodValues::LowIndex ? TPeriodValues::LowIndex
        : i > TPeriodValues::HighIndex ? TPeriodValues::HighIndex
                                       : i;
}

// Opening, debit and credit of a range from one row's or sub-account's
// period arrays.
template <typename T> void rangeFromPeriods(T& r, int taishaku, Currency opening, bool zeroOpening, int from, int to)
{
    Currency open = 0;
    if (!zeroOpening) {
        open = opening;
        for (int p = 1; p <= from - 1 && p <= TPeriodValues::HighIndex; ++p)
            AddAmount(open, movement(taishaku, r.Debit[p], r.Credit[p]));
    }
    Currency debit = 0, credit = 0;
    for (int p = std::max(from, TPeriodValues::LowIndex); p <= std::min(to, TPeriodValues::HighIndex); ++p) {
        AddAmount(debit, r.Debit[p]);
        AddAmount(credit, r.Credit[p]);
    }
    r.RangeOpening = open;
    r.RangeDebit = debit;
    r.RangeCredit = credit;
}

Currency closingOf(int taishaku, Currency opening, Currency debit, Currency credit)
{
    return CurrencyAdd(opening, movement(taishaku, debit, credit));
}

} // namespace

int SummaryRowOfGroup(const std::string& g, int pass)
{
    if (g.empty())
        return 0;
    for (const TSummaryRange& r : GeneralSummaryRanges()) {
        if (pass == 1 && r.Row < 28)
            continue;
        const char* low = (pass == 2 && r.Row == 34) ? "5790" : r.Low;
        if (between(g, low, r.High))
            return r.Row;
    }
    return 0;
}

int FindEarningsRow(const TBalanceArray& rows, int lastRow)
{
    int found = 0;
    for (int i = FirstAccountRow; i <= lastRow; ++i)
        if (rows[std::size_t(i)].Kamoku.GROUPM2 == "3340")
            found = i;
    return found;
}

void ClassifyPeriod(TBalanceArray& rows, int lastRow, int p)
{
    for (int i = 0; i <= kBandEnd && i <= lastRow; ++i) {
        TBALANCE& r = rows[std::size_t(i)];
        r.CompareOpening = 0;
        if (p == 16)
            r.YearOpenings.fill(0);
    }
    const int earnings = FindEarningsRow(rows, lastRow);
    {
        TBALANCE& e = rows[std::size_t(earnings)];
        e.RangeOpening = e.RangeDebit = e.RangeCredit = e.RangeClosing = 0;
    }
    for (int i = FirstAccountRow; i <= lastRow; ++i) {
        const TBALANCE& acc = rows[std::size_t(i)];
        const int line = SummaryRowOfGroup(acc.Kamoku.GROUPM2, 0);
        if (line > 0)
            addForPeriod(rows[std::size_t(line)], acc, p);
    }
    const Formulas f {rows, earnings, isDataType1()};
    f.all([p](TBALANCE& r) -> Currency& { return r.Balance[p]; });
    f.all([p](TBALANCE& r) -> Currency& { return r.Net[p]; });

    for (int i = 0; i <= lastRow; ++i) {
        TBALANCE& r = rows[std::size_t(i)];
        const int base = percentBase(r.Kamoku.GROUPM2, false);
        if (base == 0)
            continue;
        const Currency b = rows[std::size_t(base)].Balance[p];
        if (b != 0)
            r.Percent[p] = percentOf(r.Balance[p], b);
    }
}

void ClassifyCompare(TBalanceArray& rows, int lastRow, int q)
{
    for (int i = FirstAccountRow; i <= lastRow; ++i) {
        const TBALANCE& acc = rows[std::size_t(i)];
        const int line = SummaryRowOfGroup(acc.Kamoku.GROUPM2, 1);
        if (line > 0)
            addForCompare(rows[std::size_t(line)], acc, q);
    }
    const auto i = std::size_t(q);
    const Formulas f {rows, 0, isDataType1()};
    f.profitAndLoss([i](TBALANCE& r) -> Currency& { return r.Budget[i]; });
    f.profitAndLoss([i](TBALANCE& r) -> Currency& { return r.BudgetTier1[i]; }, false);
    f.profitAndLoss([i](TBALANCE& r) -> Currency& { return r.BudgetTier2[i]; }, false);
    f.profitAndLoss([i](TBALANCE& r) -> Currency& { return r.BudgetTier3[i]; }, false);
    f.profitAndLoss([i](TBALANCE& r) -> Currency& { return r.Actuals[i]; });
}

void ApplyOpeningFormulas(TBalanceArray& rows, int lastRow)
{
    const Formulas f {rows, FindEarningsRow(rows, lastRow), isDataType1()};
    f.balanceSheet([](TBALANCE& r) -> Currency& { return r.CompareOpening; });
    for (std::size_t y = 0; y < 3; ++y)
        f.balanceSheet([y](TBALANCE& r) -> Currency& { return r.YearOpenings[y]; });
}

std::string TotalLineCaption(const std::string& groupCode, const std::string& caption, Currency amount)
{
    std::string result = caption;
    auto q = core::CreateAccQuery("ACCDAT", false);
    if (!q)
        return result;
    platform::firebird::Transaction* t = q->transaction();
    if (t == nullptr)
        return result;
    core::RunDbOperation(*t, core::DbPolicy("TotalLineCaption").with(core::DbReport::Raise), [&] {
        // The group code is bound, not pasted: a code holding a quote must
        // not change the statement.
        q->sql().add("SELECT PLUSNAME,MINUSNAME,MODIFY FROM ACCTOTALNAME WHERE (KGROUP=:KGROUP)");
        q->paramByName("KGROUP").setString(groupCode);
        q->open();
        if (!q->eof()) {
            const std::string plus = q->fieldByName("PLUSNAME").asString();
            const std::string minus = q->fieldByName("MINUSNAME").asString();
            if (q->fieldByName("MODIFY").asInteger() == 1) {
                result = amount >= 0 ? plus : minus;
                if (SysDef.KingakuPlus == 1)
                    result += "金額";
            } else {
                result = plus;
            }
        }
        q->close();
    });
    return result;
}

void pcBalanceSheet_Calcu(TBalanceArray& rows, int lastRow, int openingMode, int kind, int from, int to)
{
    if (from < 1 && kind == 0) {
        char text[96];
        std::snprintf(text, sizeof text, "期間番号は「1～16」です。 [%d-%d]", from, to);
        CommaTextMessage(text, msgkind::Warning);
    }
    RangeOfKind(kind, from, to);

    for (int i = 0; i <= lastRow; ++i) {
        TBALANCE& r = rows[std::size_t(i)];
        r.RangeOpening = r.RangeDebit = r.RangeCredit = r.RangeClosing = r.RangePercent = r.RangePriorYear = 0;
        for (THOJOUTIWAKE& h : r.HojoList)
            h.RangeOpening = h.RangeDebit = h.RangeCredit = h.RangeClosing = h.RangePercent = 0;
    }

    const bool zeroOpening = openingMode == 1;
    const bool resetPlOpening = kind == 2 || kind == 3 || kind == 4 || kind == 6
        || (kind == 7 && ((AccInf.KAISINO == 1 && from > 1) || (AccInf.KAISINO != 1 && AccInf.KAISINO < from)));
    for (int i = FirstAccountRow; i <= lastRow; ++i) {
        TBALANCE& r = rows[std::size_t(i)];
        const int n = r.Kamoku.TAISHAKU;
        const bool pl = r.Kamoku.BSPL == "P";
        rangeFromPeriods(r, n, r.KAISIZAN, zeroOpening, from, to);
        for (THOJOUTIWAKE& h : r.HojoList)
            rangeFromPeriods(h, n, h.KAISIZAN, zeroOpening, from, to);

        if (kind == -1 || kind == 0 || kind == 1 || kind == 5 || !pl) {
            r.RangePriorYear = r.Balance[clampIndex(to - 16)];
        } else {
            Currency sum = 0;
            for (int k = std::max(from - 16, TPeriodValues::LowIndex); k <= std::min(to - 16, 3); ++k)
                AddAmount(sum, r.Net[k]);
            r.RangePriorYear = sum;
        }
        if (resetPlOpening && pl)
            r.RangeOpening = 0;

        r.RangeClosing = closingOf(n, r.RangeOpening, r.RangeDebit, r.RangeCredit);
        for (THOJOUTIWAKE& h : r.HojoList) {
            h.RangeClosing = closingOf(n, h.RangeOpening, h.RangeDebit, h.RangeCredit);
            if (r.RangeClosing == 0) {
                h.RangePercent = 0;
            } else {
                const double permille
                    = static_cast<double>(h.RangeClosing) / static_cast<double>(r.RangeClosing) * 1000.0;
                const Currency rounded = HasuSyori(1, static_cast<Currency>(permille * CurrencyScale));
                h.RangePercent = ClampPercent(rounded / 10);
            }
        }
    }

    const int earnings = FindEarningsRow(rows, lastRow);
    {
        TBALANCE& e = rows[std::size_t(earnings)];
        e.RangeOpening = e.RangeClosing = e.RangePriorYear = 0;
    }
    for (int i = FirstAccountRow; i <= lastRow; ++i) {
        const TBALANCE& acc = rows[std::size_t(i)];
        const int line = SummaryRowOfGroup(acc.Kamoku.GROUPM2, 2);
        if (line > 0)
            addForRange(rows[std::size_t(line)], acc);
    }
    if (SysDef.TegataSousai == 1 && lastRow >= 49) {
        const int idx = clampIndex(to);
        rows[48].RangeClosing = rows[48].Balance[idx];
        rows[49].RangeClosing = rows[49].Balance[idx];
    }

    const bool type1 = isDataType1();
    const Formulas f {rows, earnings, type1};
    f.all([](TBALANCE& r) -> Currency& { return r.RangeOpening; });
    f.all([](TBALANCE& r) -> Currency& { return r.RangeDebit; });
    f.all([](TBALANCE& r) -> Currency& { return r.RangeCredit; });
    f.all([](TBALANCE& r) -> Currency& { return r.RangeClosing; });
    f.all([](TBALANCE& r) -> Currency& { return r.RangePriorYear; });
    if (type1) {
        TBALANCE& e = rows[std::size_t(earnings)];
        e.RangeCredit = e.RangeClosing - e.RangeOpening + e.RangeDebit;
    }

    try {
        for (int line : {38, 41, 44, 45}) {
            TBALANCE& r = rows[std::size_t(line)];
            r.Kamoku.KNAME = TotalLineCaption(r.Kamoku.GROUPM2, r.Kamoku.KNAME, r.RangeClosing);
        }
    } catch (const platform::firebird::EIBError& e) {
        core::IBErrorProc(e, "pcBalanceSheet_Calcu", e.message());
        throw ETrialBalanceError("pcBalanceSheet_Calcu", e.what());
    }

    for (int i = 0; i <= lastRow; ++i) {
        TBALANCE& r = rows[std::size_t(i)];
        const int base = percentBase(r.Kamoku.GROUPM2, true);
        if (base == 0)
            continue;
        const Currency b = rows[std::size_t(base)].RangeClosing;
        if (b != 0)
            r.RangePercent = percentOf(r.RangeClosing, b);
    }
    for (int line : {11, 27, 28})
        rows[std::size_t(line)].RangePercent = 100 * CurrencyScale;

    if (AccInf.KAISINO > 1 && (kind == -1 || kind == 7)) {
        // Openings of the balance sheet from the data start: every B/S line
        // is rebuilt from its accounts' openings at the data start, so the
        // lines that collect accounts are emptied too, not only the lines
        // the formulas compute.
        for (int line = 1; line <= 27; ++line)
            rows[std::size_t(line)].RangeOpening = 0;
        for (int i = FirstAccountRow; i <= lastRow; ++i) {
            TBALANCE& acc = rows[std::size_t(i)];
            if (acc.Kamoku.BSPL == "P")
                continue;
            acc.RangeOpening = acc.KISHU0;
            const int line = SummaryRowOfGroup(acc.Kamoku.GROUPM2, 2);
            if (line > 0 && line <= 27)
                AddAmount(rows[std::size_t(line)].RangeOpening, TaishakuAddSign(acc.Kamoku.TAISHAKU), acc.RangeOpening);
        }
        f.balanceSheet([](TBALANCE& r) -> Currency& { return r.RangeOpening; });
    }
}

int FindRowByGroup(const TBalanceArray& rows, int lastRow, const std::string& groupM2, int subRec)
{
    for (int i = FirstAccountRow; i <= lastRow; ++i) {
        const TBALANCE& r = rows[std::size_t(i)];
        if (r.Kamoku.GROUPM2 == groupM2 && r.SUBREC == subRec)
            return i;
    }
    return 0;
}

int FindRowByKamoku(const TBalanceArray& rows, int lastRow, const std::string& kcode)
{
    for (int i = FirstAccountRow; i <= lastRow; ++i)
        if (rows[std::size_t(i)].Kamoku.KCODE == kcode)
            return i;
    return 0;
}

int FindHojoIndex(const TBALANCE& row, const std::string& hcode)
{
    for (std::size_t j = 0; j < row.HojoList.size(); ++j)
        if (row.HojoList[j].HCODE == hcode)
            return int(j);
    return -1;
}
