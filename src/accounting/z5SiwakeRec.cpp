#include "accounting/z5SiwakeRec.h"

#include "accounting/uAccTaxCmp.h"
#include "core/TextRoutines.h"

#include <stdexcept>

namespace {

constexpr Currency kPercentScale = 100 * 10000; // 100 % as Currency

TSwkBalance& sideOf(TSWKREC& e, TSwkSide side)
{
    return side == TSwkSide::Debit ? e.Debit : e.Credit;
}

// numerator / denominator rounded half away from zero to 1/10,000 yen;
// both in Currency units, computed exactly in 128 bits.
Currency divideRounded(__int128 numerator, __int128 denominator)
{
    if (denominator == 0)
        throw std::domain_error("rate makes the divisor zero");
    const bool negative = (numerator < 0) != (denominator < 0);
    const __int128 n = numerator < 0 ? -numerator : numerator;
    const __int128 d = denominator < 0 ? -denominator : denominator;
    __int128 q = n / d;
    if ((n % d) * 2 >= d)
        ++q;
    if (q > INT64_MAX)
        throw std::overflow_error("tax amount out of range");
    return static_cast<Currency>(negative ? -q : q);
}

// The tax in `amount` (tax included) or on top of it (tax added) at `rate`
// percent, before rounding to whole yen.
Currency rawTax(Currency amount, Currency rate, bool included)
{
    const __int128 product = static_cast<__int128>(amount) * rate;
    return divideRounded(product, included ? kPercentScale + rate : kPercentScale);
}

Currency checkedAdd(Currency a, Currency b)
{
    Currency r = 0;
    if (__builtin_add_overflow(a, b, &r))
        throw std::overflow_error("journal amount out of range");
    return r;
}

void showCannotCompute()
{
    CommaTextMessage("仕訳の消費税額が計算できません。", 1);
}

bool isConsumptionTaxAccount(const std::string& userCode)
{
    const std::string& p = AccInf.SysUserCode[1]; // 仮払消費税
    const std::string& r = AccInf.SysUserCode[2]; // 仮受消費税
    return (!p.empty() && userCode == p) || (!r.empty() && userCode == r);
}

} // namespace

bool CalcSiwakeTax(TSWKREC& e, TSwkSide which)
{
    TSwkBalance& s = sideOf(e, which);
    std::string group, detail;
    int kanni = 0;
    GetTaxCodeInfo(s.TAXCODE, group, detail, kanni, s.TAXUH, s.TAXDC);
    s.NUK = 0;
    s.ZEI = 0;
    s.RIT = 0;
    try {
        Currency rate = GetZeiRitu(e.OLDRATE, e.HIZUKE);
        if (s.SideRateNo != e.OLDRATE)
            rate = GetZeiRitu(s.SideRateNo, e.HIZUKE);
        if (s.TAXUH != 0)
            s.RIT = rate;

        const bool taxAccount = isConsumptionTaxAccount(s.KCODE);
        if (s.TAXUH == 0 || taxAccount) {
            s.NUK = e.KINGAKU;
            s.ZEI = 0;
            s.RIT = (taxAccount && s.TAXCODE != 810 && s.TAXCODE != 910) ? rate : 0;
            return true;
        }
        if (e.AUTCALCU == 0) {
            s.NUK = e.TAXCALCU == 0 ? checkedAdd(e.KINGAKU, -e.ZEIGAKU) : e.KINGAKU;
            s.ZEI = (e.TAXCALCU == 0 || e.TAXCALCU == 1) ? e.ZEIGAKU : 0;
            return true;
        }
        const int mode = s.TAXUH == 1 ? AccInf.TAXU_HASUU : AccInf.TAXH_HASUU;
        if (e.TAXCALCU == 0) {
            const Currency t = HasuSyori(mode, rawTax(e.KINGAKU, rate, true));
            s.NUK = checkedAdd(e.KINGAKU, -t);
            s.ZEI = t;
        } else if (e.TAXCALCU == 1) {
            s.NUK = e.KINGAKU;
            s.ZEI = HasuSyori(mode, rawTax(e.KINGAKU, rate, false));
        } else {
            s.NUK = e.KINGAKU;
            s.ZEI = 0;
        }
        return true;
    } catch (const std::exception&) {
        showCannotCompute();
        return false;
    }
}

bool CalcSiwakeTaxAll(TSWKREC& e)
{
    if (IsTokuteiShiireCode(e.Debit.TAXCODE) || IsTokuteiShiireCode(e.Credit.TAXCODE))
        e.TAXCALCU = 2;
    e.KINGAKU = HasuSyori(0, e.KINGAKU);
    e.ZEIGAKU = HasuSyori(0, e.ZEIGAKU);
    if (!CalcSiwakeTax(e, TSwkSide::Debit) || !CalcSiwakeTax(e, TSwkSide::Credit))
        return false;

    const Currency d = e.Debit.RIT;
    const Currency c = e.Credit.RIT;
    if (d > 0 && c == 0)
        e.OLDRATE = e.Debit.SideRateNo;
    else if (d == 0 && c > 0)
        e.OLDRATE = e.Credit.SideRateNo;
    else if (d > 0 && c > 0 && e.Debit.SideRateNo == e.Credit.SideRateNo)
        e.OLDRATE = e.Debit.SideRateNo;

    if (e.TAXCALCU == 1) {
        Currency gd = 0;
        Currency gc = 0;
        try {
            gd = checkedAdd(e.Debit.NUK, e.Debit.ZEI);
            gc = checkedAdd(e.Credit.NUK, e.Credit.ZEI);
        } catch (const std::overflow_error&) {
            // An amount plus its tax beyond the range of an amount: refused,
            // never wrapped into a wrong sign.
            showCannotCompute();
            return false;
        }
        if (gd < gc) {
            e.Debit.NUK = gc;
            e.Debit.ZEI = 0;
        } else if (gc < gd) {
            e.Credit.NUK = gd;
            e.Credit.ZEI = 0;
        }
    }
    e.ZEIGAKU = e.Debit.ZEI > e.Credit.ZEI ? e.Debit.ZEI : e.Credit.ZEI;
    return true;
}
