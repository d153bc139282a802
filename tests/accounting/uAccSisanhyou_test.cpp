#include "accounting/uAccSisanhyou.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/TextRoutines.h"
#include "core/uAccRecord.h"
#include "platform/codec.h"

namespace {

// Records what reached it and marks the rows so a test sees which engine ran.
class RecordingEngine : public TTrialBalanceEngine {
public:
    explicit RecordingEngine(std::string name)
        : name_(std::move(name))
    {
    }

    void LoadSisanhyou(TBalanceArray& rows, int lastRow, TQSortArray&, int lastSort, const std::string& branchCode,
        const std::string& departmentCode, int taxMode, int scope, int layout, int loadFlag, int allocation, int extra,
        int priorTax) override
    {
        calls.push_back(name_ + " LoadSisanhyou " + std::to_string(lastRow) + " " + std::to_string(lastSort) + " "
            + branchCode + "/" + departmentCode + " " + std::to_string(taxMode) + " " + std::to_string(scope) + " "
            + std::to_string(layout) + " " + std::to_string(loadFlag) + " " + std::to_string(allocation) + " "
            + std::to_string(extra) + " " + std::to_string(priorTax));
        rows[FirstAccountRow].Kamoku.KNAME = name_;
    }

    void LoadHikakuBalance(TBalanceArray& rows, int lastRow, TQSortArray&, int lastSort, const std::string& branchCode,
        const std::string& departmentCode, int taxMode, int scope, int layout, int allocation, int extra, int mode,
        int kind, int more) override
    {
        calls.push_back(name_ + " LoadHikakuBalance " + std::to_string(lastRow) + " " + std::to_string(lastSort) + " "
            + branchCode + "/" + departmentCode + " " + std::to_string(taxMode) + " " + std::to_string(scope) + " "
            + std::to_string(layout) + " " + std::to_string(allocation) + " " + std::to_string(extra) + " "
            + std::to_string(mode) + " " + std::to_string(kind) + " " + std::to_string(more));
        rows[FirstAccountRow].Kamoku.KNAME = name_;
        if (fail)
            throw ETrialBalanceError("LoadHikakuBalance", "SP_SISANHYO failed");
    }

    void CalcBalance(
        TBalanceArray&, int lastRow, int openingMode, int kind, int fromPeriod, int toPeriod, int extra) override
    {
        calls.push_back(name_ + " CalcBalance " + std::to_string(lastRow) + " " + std::to_string(openingMode) + " "
            + std::to_string(kind) + " " + std::to_string(fromPeriod) + " " + std::to_string(toPeriod) + " "
            + std::to_string(extra));
    }

    std::vector<std::string> calls;
    bool fail = false;

private:
    std::string name_;
};

class SisanhyouTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        general = std::make_shared<RecordingEngine>("general");
        medical = std::make_shared<RecordingEngine>("medical");
    }
    void TearDown() override
    {
        SetTrialBalanceEngine(GeneralEngineKind, nullptr);
        SetTrialBalanceEngine(MedicalEngineKind, nullptr);
        InitGroupTable(0);
        ResetProcessState();
    }

    void allocate(int count)
    {
        rows.assign(std::size_t(count), TBALANCE {});
        sorts.assign(std::size_t(count), TQSORT {});
    }

    std::shared_ptr<RecordingEngine> general;
    std::shared_ptr<RecordingEngine> medical;
    TBalanceArray rows;
    TQSortArray sorts;
};

// --- capacity and rows ----------------------------------------------------

TEST_F(SisanhyouTest, CapacityByDataKind)
{
    EXPECT_EQ(BalanceCapacity(0), 500);
    EXPECT_EQ(BalanceCapacity(1), 700);
    EXPECT_EQ(BalanceCapacity(2), 500);
    AccInf.DataKind = 1;
    EXPECT_EQ(BalanceCapacity(), 700);
    AccInf.DataKind = 0;
    EXPECT_EQ(BalanceCapacity(), 500);
}

TEST_F(SisanhyouTest, PeriodArraysAreAddressedFromMinus32To19)
{
    TBALANCE row;
    row.Balance[-32] = 1;
    row.Balance[0] = 2;
    row.Balance[16] = 3;
    row.Balance[19] = 4;
    EXPECT_EQ(row.Balance.Values.front(), 1);
    EXPECT_EQ(row.Balance.Values[32], 2);
    EXPECT_EQ(row.Balance.Values.back(), 4);
    EXPECT_EQ(TPeriodValues::Count, 52u);
    EXPECT_THROW(row.Balance[20], std::out_of_range);
    EXPECT_THROW(row.Net[-33], std::out_of_range);
}

TBALANCE filledRow()
{
    TBALANCE row;
    row.Sisetu = {"01", "本店", 2, "G1", "グループ", "COLOR=1"};
    row.Bumon.BCODE = "100";
    row.Bumon.BNAME = "営業部";
    row.Bumon.Values[19] = 5;
    row.Kamoku.KCODE = "111";
    row.Kamoku.USERCODE = "1110";
    row.Kamoku.GROUPM2 = "1110";
    row.Kamoku.KNAME = "現金";
    row.Kamoku.TAISHAKU = 1;
    row.Kamoku.BSPL = "B";
    row.Hojo.HCODE = "01";
    row.Hojo.REC = 9;
    row.KAISIZAN = 100;
    row.KISHU0 = 50;
    row.HojCount = 1;
    row.HojoList.push_back(THOJOUTIWAKE {});
    row.HojoList[0].HCODE = "01";
    row.MSTREC = 7;
    row.SUBREC = 8;
    row.MembersAdded = 3;
    row.RangeOpening = row.RangeDebit = row.RangeCredit = row.RangeClosing = 1;
    row.RangePercent = row.RangePriorYear = 1;
    row.Debit[-32] = row.Credit[1] = row.Net[0] = row.Balance[16] = row.Percent[19] = 1;
    row.Budget[15] = row.Budget2[19] = 1;
    row.BudgetTier1[1] = row.BudgetTier2[2] = row.BudgetTier3[15] = row.Actuals[15] = 1;
    row.ActualFlags[15] = 1;
    row.CompareOpening = 1;
    row.YearOpenings = {1, 2, 3};
    return row;
}

TEST_F(SisanhyouTest, ClearBalanceRowKeepsTheListedFields)
{
    TBALANCE row = filledRow();
    ClearBalanceRow(row);

    EXPECT_TRUE(row.Sisetu.SCODE.empty());
    EXPECT_TRUE(row.Sisetu.SNAME.empty());
    EXPECT_EQ(row.Sisetu.JIGYOU, 0);
    EXPECT_EQ(row.Sisetu.GCODE, "G1");
    EXPECT_EQ(row.Sisetu.GNAME, "グループ");
    EXPECT_EQ(row.Sisetu.XSTR, "COLOR=1");
    EXPECT_TRUE(row.Bumon.BCODE.empty());
    EXPECT_EQ(row.Bumon.Values[19], 0);
    EXPECT_TRUE(row.Kamoku.KCODE.empty());
    EXPECT_TRUE(row.Kamoku.GROUPM2.empty());
    EXPECT_TRUE(row.Kamoku.KNAME.empty());
    EXPECT_TRUE(row.Kamoku.BSPL.empty());
    EXPECT_EQ(row.Kamoku.TAISHAKU, 0);
    EXPECT_TRUE(row.Hojo.HCODE.empty());
    EXPECT_EQ(row.Hojo.REC, 0);
    EXPECT_EQ(row.KAISIZAN, 0);
    EXPECT_EQ(row.KISHU0, 0);
    EXPECT_EQ(row.HojCount, 0);
    EXPECT_EQ(row.RangeOpening + row.RangeDebit + row.RangeCredit + row.RangeClosing, 0);
    EXPECT_EQ(row.RangePercent + row.RangePriorYear, 0);
    for (int p = TPeriodValues::LowIndex; p <= TPeriodValues::HighIndex; ++p) {
        EXPECT_EQ(row.Debit[p], 0);
        EXPECT_EQ(row.Credit[p], 0);
        EXPECT_EQ(row.Net[p], 0);
        EXPECT_EQ(row.Balance[p], 0);
        EXPECT_EQ(row.Percent[p], 0);
    }
    EXPECT_EQ(row.Budget[15] + row.Budget2[19], 0);
    EXPECT_EQ(row.BudgetTier1[1] + row.BudgetTier2[2] + row.BudgetTier3[15] + row.Actuals[15], 0);
    EXPECT_EQ(row.ActualFlags[15], 0);
    EXPECT_EQ(row.CompareOpening, 0);
    EXPECT_EQ(row.YearOpenings[0] + row.YearOpenings[1] + row.YearOpenings[2], 0);

    // Kept as they were.
    ASSERT_EQ(row.HojoList.size(), 1u);
    EXPECT_EQ(row.HojoList[0].HCODE, "01");
    EXPECT_EQ(row.MSTREC, 7);
    EXPECT_EQ(row.SUBREC, 8);
    EXPECT_EQ(row.MembersAdded, 3);
}

TEST_F(SisanhyouTest, InitBalanceArrayBounds)
{
    allocate(3);
    rows[0] = filledRow();
    rows[1] = filledRow();
    sorts[0] = {"1110", 5};
    sorts[1] = {"2110", 6};

    InitBalanceArray(rows, -1, sorts, -1);
    EXPECT_EQ(rows[0].Kamoku.KCODE, "111");
    EXPECT_EQ(sorts[0].Key, "1110");

    InitBalanceArray(rows, 0, sorts, 0);
    EXPECT_TRUE(rows[0].Kamoku.KCODE.empty());
    EXPECT_EQ(sorts[0].Key, HiddenSortKey);
    EXPECT_EQ(sorts[0].Index, 0);
    EXPECT_EQ(rows[1].Kamoku.KCODE, "111") << "row 1 is past lastIndex";
    EXPECT_EQ(sorts[1].Key, "2110");

    InitBalanceArray(rows, 2, sorts, 0); // lastSort is not used
    EXPECT_EQ(sorts[2].Key, HiddenSortKey);
    EXPECT_EQ(sorts[2].Index, 2);
}

TEST_F(SisanhyouTest, InitBalanceArrayRefusesAnIndexPastTheArrays)
{
    allocate(3);
    rows[2] = filledRow();
    sorts[2] = {"1110", 9};
    EXPECT_THROW(InitBalanceArray(rows, 3, sorts, 3), ETrialBalanceError);
    sorts.resize(2);
    EXPECT_THROW(InitBalanceArray(rows, 2, sorts, 2), ETrialBalanceError);
    EXPECT_EQ(rows[2].Kamoku.KCODE, "111") << "nothing cleared by a refused call";
}

TEST_F(SisanhyouTest, HiddenKeyIsTheSemiVoicedMark)
{
    EXPECT_EQ(platform::codec::toSjis(HiddenSortKey), std::string("\xDF"));
}

TEST_F(SisanhyouTest, SortEntriesFollowCodePage932ByteOrderWithHiddenRowsLast)
{
    allocate(8);
    InitBalanceArray(rows, 7, sorts, 7);
    // Keys as the engines write them: group code 2 and user code. 堯 has a
    // code page 932 lead byte (0xEA) above the hidden mark's 0xDF although
    // its UTF-8 form sorts below it.
    sorts[1].Key = "5110";
    sorts[2].Key = "1110";
    sorts[3].Key = "ｱ110";
    sorts[4].Key = "堯";
    sorts[5].Key = "Ａ";
    sorts[6].Key = "1110a";
    QuickSortRec(sorts, 0, 7);

    std::vector<std::string> keys;
    for (const TQSORT& s : sorts)
        keys.push_back(s.Key);
    const std::vector<std::string> expected = {"1110", "1110a", "5110", "Ａ", "ｱ110", "ﾟ", "ﾟ", "堯"};
    EXPECT_EQ(keys, expected);
    for (std::size_t i = 1; i < sorts.size(); ++i)
        EXPECT_LE(platform::codec::compareSjis(sorts[i - 1].Key, sorts[i].Key), 0);
    // Entries carry their rows with them.
    EXPECT_EQ(sorts[0].Index, 2);
    EXPECT_EQ(sorts[2].Index, 1);
    EXPECT_EQ(sorts[7].Index, 4);
}

// --- summary rows ---------------------------------------------------------

TEST_F(SisanhyouTest, GroupTableConstantsByDataKind)
{
    struct Case {
        int constant;
        int general;
        int medical;
    };
    const Case cases[] = {
        {0, 1, 1},
        {1, 1, 1},
        {3, 2, 2},
        {5, 3, 3},
        {7, 4, 4},
        {9, 5, 5},
        {11, 6, 6},
        {13, 7, 7},
        {15, 8, 8},
        {17, 9, 9},
        {19, 10, 10},
        {21, 11, 11},
        {23, 12, 12},
        {25, 13, 13},
        {27, 14, 0},
        {29, 15, 14},
        {31, 16, 15},
        {33, 17, 0},
        {35, 18, 0},
        {37, 19, 16},
        {39, 20, 0},
        {41, 21, 0},
        {43, 22, 17},
        {48, 23, 21},
        {50, 24, 22},
        {52, 25, 0},
        {54, 26, 23},
        {55, 27, 24},
        {56, 27, 24},
        {65, 28, 32},
        {67, 29, 0},
        {69, 30, 0},
        {71, 31, 0},
        {73, 32, 0},
        {75, 33, 0},
        {77, 34, 0},
        {79, 35, 0},
        {81, 36, 32},
        {83, 37, 33},
        {85, 38, 42},
        {96, 39, 43},
        {98, 40, 44},
        {100, 41, 45},
        {101, 42, 46},
        {102, 42, 46},
        {104, 43, 47},
        {106, 44, 48},
        {108, 45, 0},
        {109, 45, 0},
        // constants nobody reads
        {44, 0, 18},
        {45, 0, 19},
        {46, 0, 20},
        {57, 0, 25},
        {63, 0, 31},
        {86, 0, 34},
        {94, 0, 42},
        {107, 0, 48},
        {110, 0, 49},
        {114, 0, 53},
    };
    EXPECT_EQ(SummaryRowTable, GeneralSummaryRows()) << "general values are the defaults";
    InitGroupTable(1);
    for (const Case& c : cases)
        EXPECT_EQ(SummaryRowTable[std::size_t(c.constant)], c.medical) << "medical constant " << c.constant;
    for (int kind : {0, 2}) {
        InitGroupTable(kind);
        for (const Case& c : cases)
            EXPECT_EQ(SummaryRowTable[std::size_t(c.constant)], c.general)
                << "kind " << kind << " constant " << c.constant;
    }
}

TEST_F(SisanhyouTest, ConstantsReadByTheExportNameTheirRows)
{
    const int constants[] = {21, 29, 54, 69, 81, 85, 102, 104, 106};
    const int generalRows[] = {11, 15, 26, 30, 36, 38, 42, 43, 44};
    const int medicalRows[] = {11, 14, 23, 0, 32, 42, 46, 47, 48};
    for (std::size_t i = 0; i < std::size(constants); ++i) {
        EXPECT_EQ(GeneralSummaryRows()[std::size_t(constants[i])], generalRows[i]) << constants[i];
        EXPECT_EQ(MedicalSummaryRows()[std::size_t(constants[i])], medicalRows[i]) << constants[i];
    }
    // Every summary row lies in the band before the account rows.
    for (std::int16_t row : GeneralSummaryRows())
        EXPECT_LT(row, FirstAccountRow);
    for (std::int16_t row : MedicalSummaryRows())
        EXPECT_LT(row, MedicalFirstAccountRow);
}

TEST_F(SisanhyouTest, GeneralSummaryRangesAreOpenIntervalsInTableOrder)
{
    const auto& ranges = GeneralSummaryRanges();
    ASSERT_FALSE(ranges.empty());
    const auto lineOf = [&](const std::string& groupCode) {
        for (const TSummaryRange& r : ranges)
            if (groupCode > r.Low && groupCode < r.High)
                return r.Row;
        return 0;
    };
    EXPECT_EQ(lineOf("1110"), 1); // a cash account
    EXPECT_EQ(lineOf("1120"), 0); // both bounds excluded
    EXPECT_EQ(lineOf("1121"), 2);
    EXPECT_EQ(lineOf("5685"), 46);
    EXPECT_EQ(lineOf("5810"), 34); // row 34 comes before row 36
    EXPECT_EQ(lineOf("5850"), 36);
    EXPECT_EQ(lineOf("8399"), 45);
    EXPECT_EQ(lineOf("8400"), 0);
    for (const TSummaryRange& r : ranges) {
        EXPECT_LT(std::string(r.Low), std::string(r.High)) << r.Row;
        EXPECT_GT(r.Row, 0);
        EXPECT_LT(r.Row, FirstAccountRow);
    }
}

TEST_F(SisanhyouTest, NatureDecidesTheSignOfASummaryMember)
{
    EXPECT_EQ(TaishakuAddSign(1), 1);
    EXPECT_EQ(TaishakuAddSign(3), 1);
    EXPECT_EQ(TaishakuAddSign(2), -1);
    EXPECT_EQ(TaishakuAddSign(4), -1);
    EXPECT_EQ(TaishakuAddSign(0), 0);
    EXPECT_EQ(TaishakuAddSign(5), 0);
}

// --- percentages ----------------------------------------------------------

TEST_F(SisanhyouTest, RatioToPercentRoundsHalfAwayToOneDecimal)
{
    struct Case {
        double ratio;
        Currency raw;
    };
    const Case cases[] = {
        {0.12345, 123000},
        {-0.12355, -124000},
        {0.00049, 0},
        {0.00051, 1000},
        {-0.00049, 0},
        {-0.00051, -1000},
        {0.0, 0},
        {1.0, 1000000},
        {-1.0, -1000000},
        {0.9995, 1000000},
        {123.4567, 123457000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RatioToPercent(c.ratio), c.raw) << c.ratio;
}

TEST_F(SisanhyouTest, ClampPercentLimits)
{
    struct Case {
        Currency in, out;
    };
    const Case cases[] = {
        {123456000, 99990000}, // 12,345.6 → 9999.0
        {-15000000, -9990000}, // -1,500 → -999.0
        {99990000, 99990000},
        {99991000, 99990000},
        {-9990000, -9990000},
        {-9991000, -9990000},
        {123000, 123000},
        {0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClampPercent(c.in), c.out) << c.in;
}

// --- engine dispatch ------------------------------------------------------

TEST_F(SisanhyouTest, EntryPointsGoToTheEngineOfTheDataKind)
{
    SetTrialBalanceEngine(GeneralEngineKind, general);
    SetTrialBalanceEngine(MedicalEngineKind, medical);

    AccInf.DataKind = 0;
    allocate(BalanceCapacity());
    LoadHikakuBalance(rows, 499, sorts, 499, "", "", 1, 0, 0, 0, 0, 1, 2, 0);
    EXPECT_EQ(rows[FirstAccountRow].Kamoku.KNAME, "general");
    LoadSisanhyou(rows, 499, sorts, 499, "01", "100", 0, 2, 1, 3, 4, 16, -1);
    CalcBalance(rows, 499, 1, 3, 1, 16, 16);

    AccInf.DataKind = 1;
    allocate(BalanceCapacity());
    LoadHikakuBalance(rows, 699, sorts, 699, "", "", 1, 0, 0, 0, 16, 1, 2, 0);
    EXPECT_EQ(rows[FirstAccountRow].Kamoku.KNAME, "medical");

    const std::vector<std::string> generalCalls = {
        "general LoadHikakuBalance 499 499 / 1 0 0 0 0 1 2 0",
        "general LoadSisanhyou 499 499 01/100 0 2 1 3 4 16 -1",
        "general CalcBalance 499 1 3 1 16 16",
    };
    EXPECT_EQ(general->calls, generalCalls);
    ASSERT_EQ(medical->calls.size(), 1u);
    EXPECT_EQ(medical->calls[0], "medical LoadHikakuBalance 699 699 / 1 0 0 0 16 1 2 0");
}

TEST_F(SisanhyouTest, EveryKindButOneUsesTheGeneralEngine)
{
    SetTrialBalanceEngine(GeneralEngineKind, general);
    allocate(500);
    for (std::uint8_t kind : {0, 2, 3, 255}) {
        AccInf.DataKind = kind;
        CalcBalance(rows, 499, 0, 0, 1, 3, 0);
    }
    EXPECT_EQ(general->calls.size(), 4u);
    EXPECT_EQ(EngineKindOfData(1), MedicalEngineKind);
    EXPECT_EQ(EngineKindOfData(0), GeneralEngineKind);
}

TEST_F(SisanhyouTest, MissingMedicalEngineIsReportedNotSkipped)
{
    SetTrialBalanceEngine(GeneralEngineKind, general);
    AccInf.DataKind = 1;
    allocate(BalanceCapacity());
    try {
        LoadHikakuBalance(rows, 699, sorts, 699, "", "", 1, 0, 0, 0, 16, 1, 2, 0);
        FAIL() << "a load without an engine must not pass as done";
    } catch (const ETrialBalanceError& e) {
        EXPECT_EQ(e.context(), "LoadHikakuBalance");
        EXPECT_NE(std::string(e.what()).find("medical"), std::string::npos) << e.what();
    }
    EXPECT_THROW(LoadSisanhyou(rows, 699, sorts, 699, "", "", 0, 0, 0, 0, 0, 16, 0), ETrialBalanceError);
    EXPECT_THROW(CalcBalance(rows, 699, 0, 0, 1, 16, 16), ETrialBalanceError);
    EXPECT_TRUE(general->calls.empty()) << "medical data never falls back to the general engine";
}

TEST_F(SisanhyouTest, EngineFailureReachesTheCaller)
{
    general->fail = true;
    SetTrialBalanceEngine(GeneralEngineKind, general);
    allocate(500);
    EXPECT_THROW(LoadHikakuBalance(rows, 499, sorts, 499, "", "", 1, 0, 0, 0, 0, 1, 2, 0), ETrialBalanceError);
}

TEST_F(SisanhyouTest, ArraysThatCannotHoldTheCallAreRefused)
{
    SetTrialBalanceEngine(GeneralEngineKind, general);
    SetTrialBalanceEngine(MedicalEngineKind, medical);

    AccInf.DataKind = 0;
    allocate(500);
    // lastRow past the rows given
    EXPECT_THROW(LoadHikakuBalance(rows, 500, sorts, 500, "", "", 1, 0, 0, 0, 0, 1, 2, 0), ETrialBalanceError);
    // sort entries fewer than the rows
    sorts.resize(400);
    EXPECT_THROW(LoadSisanhyou(rows, 499, sorts, 399, "", "", 0, 0, 0, 0, 0, 0, 0), ETrialBalanceError);
    // no room for the summary band
    allocate(50);
    EXPECT_THROW(CalcBalance(rows, 49, 0, 0, 1, 16, 0), ETrialBalanceError);
    allocate(51);
    EXPECT_NO_THROW(CalcBalance(rows, 50, 0, 0, 1, 16, 0));

    // The medical band is 61 rows.
    AccInf.DataKind = 1;
    allocate(61);
    EXPECT_THROW(CalcBalance(rows, 59, 0, 0, 1, 16, 0), ETrialBalanceError);
    EXPECT_NO_THROW(CalcBalance(rows, 60, 0, 0, 1, 16, 0));

    EXPECT_EQ(general->calls.size(), 1u);
    EXPECT_EQ(medical->calls.size(), 1u);
}

TEST_F(SisanhyouTest, EnginesCanBeReplacedAndRemoved)
{
    SetTrialBalanceEngine(GeneralEngineKind, general);
    EXPECT_EQ(GetTrialBalanceEngine(GeneralEngineKind), general);
    auto other = std::make_shared<RecordingEngine>("other");
    SetTrialBalanceEngine(GeneralEngineKind, other);
    EXPECT_EQ(GetTrialBalanceEngine(GeneralEngineKind), other);
    SetTrialBalanceEngine(GeneralEngineKind, nullptr);
    EXPECT_EQ(GetTrialBalanceEngine(GeneralEngineKind), nullptr);
}

} // namespace
