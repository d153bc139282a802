// Summing the business-overview items from trial-balance rows: period
// choice, signs by nature, sub-accounts, fixed total rows, the closing
// inventory, the two statement forms and the folding of sixteen periods
// into twelve months. The rows are made here, as the engine leaves them.

#include <gtest/gtest.h>

#include <limits>

#include <filesystem>
#include <memory>

#include "core/DateTimeUtil.h"
#include "core/uAccRecord.h"
#include "platform/registry.h"
#include "support/temp_dir.h"
#include "wizard/ComDataExp.h"
#include "wizard/ug16.h"
#include "wizard/ug16Figures.h"

namespace {

constexpr Currency Yen = CurrencyScale;

class Figures : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        AccInf.KISHU = EncodeDate(2024, 4, 1);
        AccInf.KIMATU = EncodeDate(2025, 3, 31);
        AccInf.SIME = 99;
        AccInf.YearMonthCount = 11;
        InitGroupTable(0);
    }
    void TearDown() override
    {
        InitGroupTable(0);
        ResetProcessState();
    }

    // A figures object with empty settings and an empty row array.
    std::unique_ptr<TGaikyousyoDataMake> make()
    {
        auto m = std::make_unique<TGaikyousyoDataMake>(dir.file("VzRendo.ini"));
        m->Capacity = 500;
        m->Rows.assign(500, TBALANCE {});
        m->Sorts.assign(500, TQSORT {});
        InitBalanceArray(m->Rows, 499, m->Sorts, 499);
        m->EndIndex = 15;
        m->LastIndex = 15;
        next_ = FirstAccountRow;
        return m;
    }
    // An account row shown in the sort order under its code.
    TBALANCE& account(TGaikyousyoDataMake& m, const std::string& code, int taishaku)
    {
        const int r = next_++;
        auto& row = m.Rows[static_cast<std::size_t>(r)];
        row.Kamoku.KCODE = code;
        row.Kamoku.TAISHAKU = taishaku;
        // Sort entries in another order than the rows.
        auto& entry = m.Sorts[static_cast<std::size_t>(500 - r)];
        entry.Key = "1000" + code;
        entry.Index = r;
        return row;
    }
    static THOJOUTIWAKE& sub(TBALANCE& row, const std::string& hcode)
    {
        row.HojoList.emplace_back();
        row.HojoList.back().HCODE = hcode;
        row.HojCount = static_cast<std::int32_t>(row.HojoList.size());
        return row.HojoList.back();
    }
    static void assign(TGaikyousyoDataMake& m, const std::string& code, const std::string& value)
    {
        m.MainAssignments.emplace_back(code, value);
    }
    static void assignMonth(TGaikyousyoDataMake& m, const std::string& code, const std::string& value)
    {
        m.MonthAssignments.emplace_back(code, value);
    }
    static Currency mainAmount(const TGaikyousyoDataMake& m, int position)
    {
        return m.MainItems[static_cast<std::size_t>(position)].Amounts[0];
    }

    test_support::TempDir dir;
    int next_ = FirstAccountRow;
};

} // namespace

TEST(VarovDataLoad, PeriodChoiceGivesMonthCountAndBalancePeriod)
{
    struct Case {
        int end, last, months, endAfter;
    };
    const Case cases[] = {
        {15, 15, 12, 15}, // closing period of a twelve-month year
        {14, 15, 12, 14}, // last month, before the closing entries
        {3, 15, 3, 3}, // first adjustment period: three months
        {0, 15, 1, 0}, {7, 7, 6, 15}, // six-month year, its closing cell chosen
        {6, 7, 6, 6}, // six-month year, its last month
        {15, 7, 6, 15}, // a six-month year's end taken as cell 15: still six months
        {5, 5, 4, 15}, // four-month year: cells 0..5, closing cell 5
        {4, 5, 4, 4}, // its fourth month
    };
    for (const auto& c : cases) {
        const auto r = TVarovDataLoad::ResolvePeriod(c.end, c.last);
        EXPECT_EQ(r.MonthCount, c.months) << c.end << "/" << c.last;
        EXPECT_EQ(r.EndIndex, c.endAfter) << c.end << "/" << c.last;
    }
    EXPECT_THROW(TVarovDataLoad::ResolvePeriod(16, 15), std::out_of_range);
}

TEST_F(Figures, MainItemAddsAndSubtractsByNatureAtTheEndPeriod)
{
    auto m = make();
    account(*m, "4111", 3).Balance[16] = 1'000'000 * Yen + 5000; // 1,000,000.5 yen
    account(*m, "4112", 2).Balance[16] = 50'000 * Yen; // a deduction
    account(*m, "4113", 0).Balance[16] = 7 * Yen; // no nature: ignored
    account(*m, "4114", 1).Balance[16] = 3 * Yen; // not read: see the next row
    account(*m, "4114", 4).Balance[16] = 999 * Yen; // its sort entry comes first
    assign(*m, "010", "4111");
    assign(*m, "010", "4112\t ");
    assign(*m, "010", "4113");
    assign(*m, "010", "4114");
    assign(*m, "010", "9999"); // unknown account: nothing
    assign(*m, "010", "4111\tA\tB"); // three pieces: skipped
    m->Aggregate(MainBlockId, 0);
    EXPECT_EQ(mainAmount(*m, 0), 949'001 * Yen); // 1,000,000.5 - 50,000 - 999

    // End cell 14 reads the balance after period 15.
    auto m2 = make();
    auto& r = account(*m2, "4111", 3);
    r.Balance[15] = 400 * Yen;
    r.Balance[16] = 500 * Yen;
    assign(*m2, "010", "4111");
    m2->EndIndex = 14;
    m2->Aggregate(MainBlockId, 0);
    EXPECT_EQ(mainAmount(*m2, 0), 400 * Yen);
}

TEST_F(Figures, SumsBeyondTheAmountRangeFailInsteadOfWrapping)
{
    // Two sales accounts whose total passes the 64-bit range would wrap into
    // a negative sales figure.
    const Currency half = std::numeric_limits<Currency>::max() / 2 + Yen;
    auto m = make();
    account(*m, "4111", 3).Balance[16] = half;
    account(*m, "4112", 3).Balance[16] = half;
    assign(*m, "010", "4111");
    assign(*m, "010", "4112");
    EXPECT_THROW(m->Aggregate(MainBlockId, 0), ECurrencyOverflow);

    auto monthly = make();
    auto& a = account(*monthly, "4111", 3);
    auto& b = account(*monthly, "4112", 3);
    a.Net[1] = half;
    b.Net[1] = half;
    assignMonth(*monthly, "010", "4111");
    assignMonth(*monthly, "010", "4112");
    EXPECT_THROW(monthly->Aggregate(MonthBlockId, 0), ECurrencyOverflow);
}

TEST_F(Figures, AmountsAreTruncatedTowardZero)
{
    auto m = make();
    account(*m, "6111", 1).Balance[16] = -(12'345 * Yen + 9999);
    assign(*m, "130", "6111");
    m->Aggregate(-1, 0);
    EXPECT_EQ(mainAmount(*m, 13), -12'345 * Yen);
}

TEST_F(Figures, SubAccountTakesItsOwnBalanceWithTheAccountsNature)
{
    auto m = make();
    auto& deposits = account(*m, "1121", 2);
    deposits.Balance[16] = 1'000 * Yen;
    sub(deposits, "01").Balance[16] = 300 * Yen;
    sub(deposits, "02").Balance[16] = 700 * Yen;
    auto& noSubs = account(*m, "1111", 1);
    noSubs.Balance[16] = 50 * Yen;
    assign(*m, "210", "1121\t02");
    assign(*m, "210", "1121\t09"); // no such sub-account
    assign(*m, "210", "1111\t01"); // account without sub-accounts
    m->Aggregate(MainBlockId, 24);
    EXPECT_EQ(mainAmount(*m, 24), -700 * Yen);
}

TEST_F(Figures, FixedTotalItemsReadTheirSummaryRows)
{
    AccInf.KIMATU = EncodeDate(2025, 3, 31); // new form: positions 20, 21 exist
    auto m = make();
    Currency v = 1;
    for (const auto& f : FixedTotalRows)
        m->Rows[static_cast<std::size_t>(SummaryRowTable[static_cast<std::size_t>(f.Constant)])].Balance[16]
            = (v++) * Yen;
    account(*m, "5111", 1).Balance[16] = 1'000 * Yen;
    assign(*m, "030", "5111"); // an assignment does not change a total item
    m->Aggregate(-1, 0);
    v = 1;
    for (const auto& f : FixedTotalRows)
        EXPECT_EQ(mainAmount(*m, f.Position), (v++) * Yen) << f.Position;
    // The general layout's rows as the table gives them.
    EXPECT_EQ(SummaryRowTable[69], 30);
    EXPECT_EQ(SummaryRowTable[54], 26);
}

TEST_F(Figures, TotalLineTheLayoutLacksStaysEmpty)
{
    InitGroupTable(1); // the medical layout has no cost-of-sales line
    ASSERT_EQ(SummaryRowTable[69], 0);
    auto m = make();
    m->Rows[0].Balance[16] = 777 * Yen; // what was aimed at missing lines
    m->Aggregate(MainBlockId, 2);
    EXPECT_EQ(mainAmount(*m, 2), 0);
}

TEST_F(Figures, ClosingInventoryIsWrittenNegated)
{
    for (const Currency sum : {-300'000 * Yen, 300'000 * Yen}) {
        auto m = make();
        account(*m, "5190", 1).Balance[16] = sum;
        assign(*m, "080", "5190");
        m->Aggregate(MainBlockId, ClosingInventoryPosition);
        EXPECT_EQ(mainAmount(*m, ClosingInventoryPosition), -sum);
    }
}

TEST_F(Figures, StatementFormFollowsTheFiscalYearEnd)
{
    struct Case {
        TDateTime kimatu;
        int newForm;
        std::vector<int> filled, empty;
    };
    const Case cases[] = {
        {EncodeDate(2018, 3, 31), 0, {9, 16, 19}, {10, 17, 20, 21}},
        {EncodeDate(2018, 4, 1), 1, {10, 17, 20, 21}, {9, 16, 19}},
    };
    for (const auto& c : cases) {
        AccInf.KIMATU = c.kimatu;
        auto m = make();
        EXPECT_EQ(m->NewForm, c.newForm);
        for (const auto& f : FixedTotalRows)
            m->Rows[static_cast<std::size_t>(SummaryRowTable[static_cast<std::size_t>(f.Constant)])].Balance[16]
                = 5 * Yen;
        account(*m, "6211", 1).Balance[16] = 10 * Yen;
        account(*m, "7211", 1).Balance[16] = 20 * Yen;
        assign(*m, "100", "6211");
        assign(*m, "160", "6211");
        assign(*m, "180", "7211");
        m->Aggregate(-1, 0);
        for (int p : c.filled)
            EXPECT_NE(mainAmount(*m, p), 0) << "form " << c.newForm << " position " << p;
        for (int p : c.empty)
            EXPECT_EQ(mainAmount(*m, p), 0) << "form " << c.newForm << " position " << p;
    }
}

TEST_F(Figures, SixteenPeriodsFoldIntoTwelveMonths)
{
    auto m = make();
    auto& sales = account(*m, "4111", 3);
    auto& returns = account(*m, "4119", 2);
    for (int p = 1; p <= 16; ++p) {
        sales.Net[p] = p * 1'000 * Yen;
        returns.Net[p] = p * Yen;
    }
    assignMonth(*m, "010", "4111");
    assignMonth(*m, "010", "4119");
    m->Aggregate(MonthBlockId, 0);
    const Currency expected[13]
        = {0, 1'000, 2'000, 7'000, 5'000, 6'000, 15'000, 9'000, 10'000, 23'000, 13'000, 14'000, 31'000};
    const Currency deducted[13] = {0, 1, 2, 7, 5, 6, 15, 9, 10, 23, 13, 14, 31};
    const auto& item = m->MonthItems[1];
    for (int k = 1; k <= 12; ++k)
        EXPECT_EQ(item.Amounts[static_cast<std::size_t>(k)], (expected[k] - deducted[k]) * Yen) << "month " << k;
}

TEST_F(Figures, ClosingPeriodGoesIntoTheYearsLastMonth)
{
    AccInf.YearMonthCount = 5; // a six-month year
    auto m = make();
    auto& r = account(*m, "5111", 1);
    r.Net[15] = 1 * Yen;
    r.Net[16] = 100 * Yen;
    assignMonth(*m, "030", "5111");
    m->Aggregate(MonthBlockId, 2);
    EXPECT_EQ(m->MonthItems[3].Amounts[6], 100 * Yen);
    EXPECT_EQ(m->MonthItems[3].Amounts[12], 1 * Yen);
}

TEST_F(Figures, WithholdingTaxTakesCreditMovements)
{
    auto m = make();
    auto& r = account(*m, "2141", 3);
    auto& s = sub(r, "01");
    for (int p = 1; p <= 16; ++p) {
        r.Net[p] = 1 * Yen;
        r.Credit[p] = 10 * Yen;
        s.Net[p] = 2 * Yen;
        s.Credit[p] = 20 * Yen;
    }
    assignMonth(*m, "070", "2141");
    assignMonth(*m, "070", "2141\t01");
    assignMonth(*m, "060", "2141");
    m->Aggregate(-1, 0);
    EXPECT_EQ(m->MonthItems[7].Amounts[1], 30 * Yen); // GENSENTYOUSYUUZEIGAKU
    EXPECT_EQ(m->MonthItems[7].Amounts[3], 60 * Yen);
    EXPECT_EQ(m->MonthItems[6].Amounts[1], 1 * Yen); // JINKENHI: net movement
    EXPECT_EQ(m->MonthItems[9].Amounts[1], 0); // YOBI2 is never filled
}

namespace {

// An engine that fails every load, as a broken stored procedure does.
class FailingEngine : public TTrialBalanceEngine {
public:
    void LoadSisanhyou(TBalanceArray&, int, TQSortArray&, int, const std::string&, const std::string&, int, int, int,
        int, int, int, int) override
    {
        throw ETrialBalanceError("LoadSisanhyou", "procedure failed");
    }
    void LoadHikakuBalance(TBalanceArray&, int, TQSortArray&, int, const std::string&, const std::string&, int, int,
        int, int, int, int, int, int) override
    {
        throw ETrialBalanceError("LoadHikakuBalance", "procedure failed");
    }
    void CalcBalance(TBalanceArray&, int, int, int, int, int, int) override { }
};

} // namespace

TEST_F(Figures, FailedLoadEndsTheExportWithCode1AndWritesNoFile)
{
    auto previous = GetTrialBalanceEngine(GeneralEngineKind);
    SetTrialBalanceEngine(GeneralEngineKind, std::make_shared<FailingEngine>());
    TExportSources sources;
    sources.AppDataDir = dir.file("appdata");
    sources.Registry = nullptr;
    platform::Registry registry(dir.file("registry.ini"));
    sources.Registry = &registry;
    TGaikyosyoDataExport exporter("x", 0, dir.file("out.xml"), true, sources);
    exporter.EndPeriodIndex = 15;
    exporter.LastPeriodIndex = 15;
    exporter.FiscalStart = 45017; // 2023-04-01
    exporter.FiscalEnd = 45382; // 2024-03-31
    const std::string ini = dir.file("VzRendo.ini");
    exporter.SetFiguresSource([ini](const TGaikyosyoDataExport& e) { return MakeGaikyosyoFigures(e, ini); });

    TXmlSaveDoc doc("1.0", "Shift_JIS", "");
    exporter.SetSystemNode(doc);
    exporter.SetBasicNode(doc);
    try {
        exporter.WriteData(doc);
        ADD_FAILURE() << "the export went on after a failed load";
    } catch (const EDataExportError& e) {
        EXPECT_STREQ(e.what(), "科目の集計処理に失敗しました。");
        EXPECT_EQ(e.Detail, "");
        EXPECT_EQ(e.Code, 1);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.xml")));
    SetTrialBalanceEngine(GeneralEngineKind, previous);
}
