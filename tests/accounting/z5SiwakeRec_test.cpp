#include "accounting/z5SiwakeRec.h"

#include "accounting/uAccTaxCmp.h"
#include "core/DateTimeUtil.h"
#include "core/uAccRecord.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

constexpr Currency Yen(long long yen)
{
    return yen * 10000;
}

constexpr const char* kKaribarai = "511"; // user code of 仮払消費税
constexpr const char* kKariuke = "651"; // user code of 仮受消費税

class SiwakeTaxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        AccInf.SysUserCode[1] = kKaribarai;
        AccInf.SysUserCode[2] = kKariuke;
        InitZeiRituTableForVersion("13.0.0");
    }
    void TearDown() override
    {
        ResetProcessState();
        ZeiRituTable.clear();
    }

    // An entry dated 2024-05-10 at rate number 3 (8 %), no tax on either side.
    static TSWKREC entry(Currency amount, int autcalcu, int taxcalcu)
    {
        TSWKREC e;
        e.HIZUKE = EncodeDate(2024, 5, 10);
        e.KINGAKU = amount;
        e.AUTCALCU = autcalcu;
        e.TAXCALCU = taxcalcu;
        e.OLDRATE = 3;
        for (TSwkBalance* s : {&e.Debit, &e.Credit}) {
            s->TAXCODE = 910;
            s->SideRateNo = 3;
            s->KCODE = "111";
        }
        return e;
    }
};

struct SideCase {
    const char* name;
    Currency amount;
    Currency enteredTax;
    int autcalcu, taxcalcu, taxcode, salesRounding;
    const char* account;
    Currency nuk, zei, rit;
};

TEST_F(SiwakeTaxTest, OneSideByTaxSettings)
{
    const SideCase cases[] = {
        {"included 8%", Yen(10800), 0, 1, 0, 110, 0, "811", Yen(10000), Yen(800), Yen(8)},
        {"added 8%", Yen(10000), 0, 1, 1, 110, 0, "811", Yen(10000), Yen(800), Yen(8)},
        {"added, truncated", Yen(1001), 0, 1, 1, 110, 0, "811", Yen(1001), Yen(80), Yen(8)},
        {"added, rounded up", Yen(1001), 0, 1, 1, 110, 2, "811", Yen(1001), Yen(81), Yen(8)},
        {"added, rounded half", Yen(1001), 0, 1, 1, 110, 1, "811", Yen(1001), Yen(80), Yen(8)},
        {"included, negative amount", Yen(-10800), 0, 1, 0, 110, 0, "811", Yen(-10000), Yen(-800), Yen(8)},
        {"no tax kind", Yen(10800), 0, 1, 2, 110, 0, "811", Yen(10800), 0, Yen(8)},
        {"as entered, included", Yen(10800), Yen(799), 0, 0, 110, 0, "811", Yen(10001), Yen(799), Yen(8)},
        {"as entered, added", Yen(10000), Yen(799), 0, 1, 110, 0, "811", Yen(10000), Yen(799), Yen(8)},
        {"as entered, no tax", Yen(10000), Yen(799), 0, 2, 110, 0, "811", Yen(10000), 0, Yen(8)},
        {"outside code 910", Yen(10800), 0, 1, 0, 910, 0, "811", Yen(10800), 0, 0},
        {"仮払 with 711", Yen(800), 0, 1, 0, 711, 0, kKaribarai, Yen(800), 0, Yen(8)},
        {"仮払 with 810", Yen(800), 0, 1, 0, 810, 0, kKaribarai, Yen(800), 0, 0},
        {"仮受 with 610", Yen(800), 0, 1, 0, 610, 0, kKariuke, Yen(800), 0, Yen(8)},
    };
    for (const SideCase& c : cases) {
        SCOPED_TRACE(c.name);
        AccInf.TAXU_HASUU = c.salesRounding;
        TSWKREC e = entry(c.amount, c.autcalcu, c.taxcalcu);
        e.ZEIGAKU = c.enteredTax;
        e.Credit.TAXCODE = c.taxcode;
        e.Credit.KCODE = c.account;
        ASSERT_TRUE(CalcSiwakeTax(e, TSwkSide::Credit));
        EXPECT_EQ(e.Credit.NUK, c.nuk);
        EXPECT_EQ(e.Credit.ZEI, c.zei);
        EXPECT_EQ(e.Credit.RIT, c.rit);
    }
}

TEST_F(SiwakeTaxTest, SideRateNumberOverridesTheEntryRate)
{
    TSWKREC e = entry(Yen(11000), 1, 0);
    e.Credit.TAXCODE = 110;
    e.Credit.SideRateNo = 0; // the standard rate, 10 %
    ASSERT_TRUE(CalcSiwakeTax(e, TSwkSide::Credit));
    EXPECT_EQ(e.Credit.ZEI, Yen(1000));
    EXPECT_EQ(e.Credit.RIT, Yen(10));
}

TEST_F(SiwakeTaxTest, PurchaseSideUsesThePurchaseRounding)
{
    AccInf.TAXU_HASUU = 0;
    AccInf.TAXH_HASUU = 2;
    TSWKREC e = entry(Yen(1001), 1, 1);
    e.Debit.TAXCODE = 511;
    ASSERT_TRUE(CalcSiwakeTax(e, TSwkSide::Debit));
    EXPECT_EQ(e.Debit.TAXUH, 2);
    EXPECT_EQ(e.Debit.ZEI, Yen(81));
}

TEST_F(SiwakeTaxTest, AnAmountBeyondRangeIsShownAndRefused)
{
    ScriptedMessages messages;
    TSWKREC e = entry(LLONG_MAX, 1, 1);
    e.Debit.TAXCODE = 110;
    EXPECT_FALSE(CalcSiwakeTaxAll(e));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.firstLine(0), "仕訳の消費税額が計算できません。");
}

TEST_F(SiwakeTaxTest, EnteredTaxThatCannotBeTakenOffIsShownAndRefused)
{
    ScriptedMessages messages;
    TSWKREC e = entry(LLONG_MIN / 2, 0, 0);
    e.ZEIGAKU = LLONG_MAX;
    e.Debit.TAXCODE = 110;
    EXPECT_FALSE(CalcSiwakeTax(e, TSwkSide::Debit));
    EXPECT_EQ(messages.shown().size(), 1u);
}

TEST_F(SiwakeTaxTest, AddedTaxBalancesTheSideWithoutTax)
{
    TSWKREC e = entry(Yen(10000), 1, 1);
    e.Debit.TAXCODE = 511;
    e.Debit.KCODE = "911";
    e.Credit.TAXCODE = 910;
    e.OLDRATE = 0;
    e.Debit.SideRateNo = 3;
    e.Credit.SideRateNo = 0;
    ASSERT_TRUE(CalcSiwakeTaxAll(e));
    EXPECT_EQ(e.Debit.NUK, Yen(10000));
    EXPECT_EQ(e.Debit.ZEI, Yen(800));
    EXPECT_EQ(e.Credit.NUK, Yen(10800));
    EXPECT_EQ(e.Credit.ZEI, 0);
    EXPECT_EQ(e.ZEIGAKU, Yen(800));
    EXPECT_EQ(e.OLDRATE, 3);
}

TEST_F(SiwakeTaxTest, SpecifiedPurchaseMeansNoTaxOnEitherSide)
{
    for (TSwkSide side : {TSwkSide::Debit, TSwkSide::Credit}) {
        TSWKREC e = entry(Yen(10800), 1, 0);
        e.Debit.TAXCODE = 511;
        e.Credit.TAXCODE = 110;
        (side == TSwkSide::Debit ? e.Debit : e.Credit).TAXCODE = 551;
        ASSERT_TRUE(CalcSiwakeTaxAll(e));
        EXPECT_EQ(e.TAXCALCU, 2);
        EXPECT_EQ(e.Debit.ZEI, 0);
        EXPECT_EQ(e.Credit.ZEI, 0);
        EXPECT_EQ(e.Debit.NUK, Yen(10800));
        EXPECT_EQ(e.Credit.NUK, Yen(10800));
        EXPECT_EQ(e.ZEIGAKU, 0);
    }
}

TEST_F(SiwakeTaxTest, FractionsOfAYenAreDroppedBeforeTheComputation)
{
    TSWKREC e = entry(Yen(10800) + 9999, 1, 0);
    e.ZEIGAKU = Yen(5) + 5000;
    e.Credit.TAXCODE = 110;
    ASSERT_TRUE(CalcSiwakeTaxAll(e));
    EXPECT_EQ(e.KINGAKU, Yen(10800));
    EXPECT_EQ(e.Credit.NUK, Yen(10000));
    EXPECT_EQ(e.Credit.ZEI, Yen(800));
    EXPECT_EQ(e.ZEIGAKU, Yen(800));
}

TEST_F(SiwakeTaxTest, EntryRateFollowsTheTaxedSide)
{
    struct Case {
        int debitCode, creditCode, debitRate, creditRate, expected;
    };
    const Case cases[] = {
        {511, 910, 4, 0, 4}, // debit taxed
        {910, 110, 0, 4, 4}, // credit taxed
        {511, 110, 4, 4, 4}, // both taxed at one rate
        {511, 110, 3, 4, 3}, // both taxed at different rates: unchanged
        {910, 910, 4, 4, 3}, // neither taxed: unchanged
    };
    for (const Case& c : cases) {
        TSWKREC e = entry(Yen(1080), 1, 0);
        e.Debit.TAXCODE = c.debitCode;
        e.Credit.TAXCODE = c.creditCode;
        e.Debit.SideRateNo = c.debitRate;
        e.Credit.SideRateNo = c.creditRate;
        ASSERT_TRUE(CalcSiwakeTaxAll(e));
        EXPECT_EQ(e.OLDRATE, c.expected) << c.debitCode << "/" << c.creditCode;
    }
}

} // namespace
