// The medical engine on the sample medical corporation: every figure loaded
// (current year, both prior years, budget, total lines) is checked against
// what the test computes from the journal, opening and budget rows
// themselves; the division rows, the capital name and the failures.

#include "uAccZanCmp1_fixture.h"

#include "accounting/uAccMbZanCmp.h"
#include "core/uAccDateCmp.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <set>

using namespace tb_fixture;

namespace {

class MedicalBalance : public ::testing::Test {
protected:
    static void SetUpTestSuite() { company_ = new Company("medical.fdb", "medical"); }
    static void TearDownTestSuite()
    {
        delete company_;
        company_ = nullptr;
    }
    void SetUp() override
    {
        company_->loadAccInf();
        InstallMedicalTrialBalanceEngine();
        rows.assign(std::size_t(BalanceCapacity()), TBALANCE {});
        sorts.assign(rows.size(), TQSORT {});
    }
    int last() const { return int(rows.size()) - 1; }

    // What the export does: layout 0, scope 0, comparison kind 2.
    void loadHikaku(int taxMode = 0)
    {
        LoadHikakuBalance(rows, last(), sorts, last(), "", "", taxMode, 0, 0, 0, 0, 1, 2, 0);
    }
    void load(const std::string& branch, const std::string& department, int scope, int layout, int extra)
    {
        LoadSisanhyou(rows, last(), sorts, last(), branch, department, 0, scope, layout, 2, 0, extra, 0);
    }
    std::map<std::string, int> accountRows() const
    {
        std::map<std::string, int> m;
        for (int i = MbFirstAccountRow; i <= last(); ++i)
            if (!rows[std::size_t(i)].Kamoku.KCODE.empty())
                m.emplace(rows[std::size_t(i)].Kamoku.KCODE, i);
        return m;
    }
    const TBALANCE& account(const std::string& kcode) const
    {
        const auto m = accountRows();
        const auto it = m.find(kcode);
        if (it == m.end())
            throw std::runtime_error("no row for account " + kcode);
        return rows[std::size_t(it->second)];
    }
    // The sort key of a row, wherever the sort moved its entry.
    std::string keyOf(int row) const
    {
        for (const TQSORT& s : sorts)
            if (s.Index == row)
                return s.Key;
        return "(none)";
    }
    bool shown(int row) const { return keyOf(row) != HiddenSortKey; }

    static Company* company_;
    TBalanceArray rows;
    TQSortArray sorts;
};

Company* MedicalBalance::company_ = nullptr;

// The accounts each total line of the sample collects (codes from the
// sample's chart), independent of the engine's range walk.
const std::map<int, std::vector<std::string>>& sampleLineAccounts()
{
    static const std::map<int, std::vector<std::string>> m = {
        {1, {"1111"}},
        {2, {"1121"}},
        {3, {"1211"}},
        {4, {"1511"}},
        {6, {"1611"}},
        {12, {"2111", "2511", "2611"}},
        {13, {"2711"}},
        {15, {"3111"}},
        {18, {"3311", "3312"}},
        {27, {"4211"}},
        {29, {"4111", "4121"}},
        {31, {"4411"}},
        {33, {"5111"}},
        {34, {"6111", "6112", "6113", "6114"}},
        {35, {"5311"}},
        {36, {"5411"}},
        {38, {"5611"}},
        {43, {"7111"}},
        {44, {"7211"}},
        {49, {"8311"}},
    };
    return m;
}

// Balance of an account after period p computed from the rows: opening plus
// every net movement up to p.
Currency balanceAfter(const TExpected& e, int taishaku, int p)
{
    Currency b = e.opening;
    for (int k = 1; k <= p; ++k)
        b += netOf(taishaku, e, k);
    return b;
}

TEST_F(MedicalBalance, ComparisonLoadMatchesJournalsForEveryAccountAndYear)
{
    loadHikaku();
    const auto accs = company_->accounts();
    const auto loaded = accountRows();
    const std::map<int, std::map<std::string, TExpected>> years = {
        {0, company_->figures("SIWAKE", 0)},
        {1, company_->figures("KAKOSIWAKE1", 1)},
        {2, company_->figures("KAKOSIWAKE2", 2)},
    };
    ASSERT_EQ(loaded.size(), accs.size());
    for (const auto& [kcode, info] : accs) {
        SCOPED_TRACE(kcode);
        ASSERT_TRUE(loaded.count(kcode));
        const TBALANCE& r = rows[std::size_t(loaded.at(kcode))];
        EXPECT_EQ(r.Kamoku.TAISHAKU, info.taishaku);
        EXPECT_EQ(r.Kamoku.GROUPM1, info.groupM1);
        const TExpected e0 = years.at(0).count(kcode) ? years.at(0).at(kcode) : TExpected {};
        EXPECT_EQ(r.KAISIZAN, e0.opening);
        for (int p = 1; p <= 16; ++p) {
            SCOPED_TRACE(p);
            EXPECT_EQ(r.Debit[p], at(e0.debit, p));
            EXPECT_EQ(r.Credit[p], at(e0.credit, p));
            EXPECT_EQ(r.Net[p], netOf(info.taishaku, e0, p));
            // Periods before the data start come from the past-year
            // statement's current-year records: the same figures.
            EXPECT_EQ(r.Balance[p], balanceAfter(e0, info.taishaku, p));
        }
        EXPECT_EQ(r.YearOpenings[0], e0.opening); // counted once, though both loads bring it
        for (int y = 1; y <= 2; ++y) {
            const TExpected e = years.at(y).count(kcode) ? years.at(y).at(kcode) : TExpected {};
            const int base = y == 1 ? -16 : -32;
            EXPECT_EQ(r.YearOpenings[std::size_t(y)], e.opening);
            for (int p = 1; p <= 16; ++p) {
                SCOPED_TRACE(p - y * 16);
                EXPECT_EQ(r.Net[base + p], netOf(info.taishaku, e, p));
                EXPECT_EQ(r.Balance[base + p], balanceAfter(e, info.taishaku, p));
            }
        }
        EXPECT_EQ(r.Balance[-32], years.at(2).count(kcode) ? years.at(2).at(kcode).opening : 0);
        EXPECT_EQ(r.CompareOpening, e0.opening);
    }

    // Sub-accounts: the part without one, then 01 and 02.
    const TBALANCE& receivable = account("1211");
    ASSERT_EQ(receivable.HojCount, 3);
    EXPECT_EQ(receivable.HojoList[0].HCODE, "");
    for (std::size_t j = 1; j <= 2; ++j) {
        const THOJOUTIWAKE& h = receivable.HojoList[j];
        const std::string key = "1211/" + h.HCODE;
        SCOPED_TRACE(key);
        const TExpected& e = years.at(0).at(key);
        EXPECT_EQ(h.KAISIZAN, e.opening);
        for (int p = 9; p <= 16; ++p)
            EXPECT_EQ(h.Balance[p], balanceAfter(e, 1, p));
        const TExpected& e1 = years.at(1).at(key);
        EXPECT_EQ(h.Balance[0], balanceAfter(e1, 1, 16));
    }
    EXPECT_EQ(receivable.HojoList[1].HCODE, "01");
    EXPECT_EQ(receivable.HojoList[2].HCODE, "02");
}

TEST_F(MedicalBalance, TotalLinesEqualTheirAccountsAndFormulas)
{
    loadHikaku();
    const auto accs = company_->accounts();
    const std::map<int, std::map<std::string, TExpected>> years = {
        {0, company_->figures("SIWAKE", 0)},
        {1, company_->figures("KAKOSIWAKE1", 1)},
        {2, company_->figures("KAKOSIWAKE2", 2)},
    };
    auto accountBalance = [&](const std::string& k, int column) {
        const int y = column >= 1 ? 0 : column >= -15 ? 1 : 2;
        const int p = column + 16 * y;
        const auto& f = years.at(y);
        const TExpected e = f.count(k) ? f.at(k) : TExpected {};
        // A line adds its debit and credit accounts with their natures' signs.
        return TaishakuAddSign(accs.at(k).taishaku) * balanceAfter(e, accs.at(k).taishaku, p);
    };
    for (int column : {16, 9, 3, 0, -8, -16, -20}) {
        SCOPED_TRACE(column);
        std::map<int, Currency> v;
        for (const auto& [line, codes] : sampleLineAccounts())
            for (const std::string& k : codes)
                v[line] += accountBalance(k, column);
        for (const auto& [line, amount] : v) {
            SCOPED_TRACE(line);
            if (line != 49) {
                EXPECT_EQ(rows[std::size_t(line)].Balance[column], amount + (line == 2 ? v[1] : 0));
            }
        }
        const Currency assets = v[2] + v[1] + v[3] + v[4] + v[6];
        EXPECT_EQ(rows[11].Balance[column], assets);
        EXPECT_EQ(rows[14].Balance[column], v[12] + v[13]);
        const Currency revenue = v[27] + v[29] + v[31];
        EXPECT_EQ(rows[32].Balance[column], revenue);
        const Currency costs = v[33] + v[34] + v[35] + v[36] + v[38];
        EXPECT_EQ(rows[41].Balance[column], costs);
        EXPECT_EQ(rows[42].Balance[column], revenue - costs);
        EXPECT_EQ(rows[45].Balance[column], revenue - costs + v[43] - v[44]);
        EXPECT_EQ(rows[48].Balance[column], rows[45].Balance[column]);
        const Currency profit = revenue - costs + v[43] - v[44] - v[49];
        EXPECT_EQ(rows[49].Balance[column], profit);
        EXPECT_EQ(rows[20].Balance[column], profit);
        EXPECT_EQ(rows[53].Balance[column], profit);
        // The balance sheet's own difference is the year's profit.
        EXPECT_EQ(rows[19].Balance[column], assets - (v[12] + v[13] + v[15] + v[18]));
        EXPECT_EQ(rows[19].Balance[column], profit);
        EXPECT_EQ(rows[24].Balance[column], assets);
        // Percentages of the bases.
        if (assets != 0) {
            EXPECT_EQ(
                rows[2].Percent[column], ClampRatio(RatioToPercent(double(rows[2].Balance[column]) / double(assets))));
        }
    }
    // The openings by year follow the balance-sheet formulas.
    EXPECT_EQ(rows[11].YearOpenings[1], rows[24].YearOpenings[1]);
    EXPECT_EQ(rows[11].YearOpenings[2], yen(44400000));
    EXPECT_EQ(rows[14].YearOpenings[0], yen(20400000));
}

TEST_F(MedicalBalance, BudgetAndActualsComeFromTheBudgetAndJournalRows)
{
    loadHikaku();
    std::map<std::string, std::array<Currency, 3 * 16>> budget;
    company_->select("SELECT * FROM YOSAN", [&](fb::Query& q) {
        auto& b = budget[q.fieldByName("KCODE").asString()];
        for (int t = 0; t < 3; ++t)
            for (int m = 1; m <= 15; ++m) {
                char name[16];
                std::snprintf(name, sizeof name, "YOSAN%s%02d", t == 0 ? "" : t == 1 ? "2" : "3", m);
                b[std::size_t(t * 16 + m)] += q.fieldByName(name).asCurrency();
            }
    });
    const auto accs = company_->accounts();
    const auto e0 = company_->figures("SIWAKE", 0);
    std::set<int> periodsWithLines;
    company_->select("SELECT DISTINCT MNUM FROM SIWAKE WHERE DELFLG = 0 AND TAISHAKU = 1",
        [&](fb::Query& q) { periodsWithLines.insert(q.field(0).asInteger()); });
    for (const auto& [kcode, b] : budget) {
        SCOPED_TRACE(kcode);
        const TBALANCE& r = account(kcode);
        for (int m = 1; m <= 15; ++m) {
            EXPECT_EQ(r.Budget[std::size_t(m)], b[std::size_t(m)]);
            EXPECT_EQ(r.BudgetTier1[std::size_t(m)], b[std::size_t(m)]);
            EXPECT_EQ(r.BudgetTier2[std::size_t(m)], b[std::size_t(16 + m)]);
            EXPECT_EQ(r.BudgetTier3[std::size_t(m)], b[std::size_t(32 + m)]);
        }
        // Adjustment periods fold into the month before, which holds actuals.
        for (int q = 1; q <= 15; ++q) {
            if (q % 4 == 0)
                continue;
            EXPECT_EQ(r.Actuals[std::size_t(q)], netOf(accs.at(kcode).taishaku, e0.at(kcode), q));
            EXPECT_EQ(r.ActualFlags[std::size_t(q)], periodsWithLines.count(q) ? 1 : 0);
        }
    }
    // Budget total lines: the hospital's revenue line and the revenue total.
    for (int m : {1, 7, 15}) {
        const auto s = std::size_t(m);
        EXPECT_EQ(rows[29].Budget[s], budget["4111"][s] + budget["4121"][s]);
        EXPECT_EQ(rows[32].Budget[s], budget["4111"][s] + budget["4121"][s] + budget["4211"][s]);
        EXPECT_EQ(rows[41].Budget[s], budget["5111"][s] + budget["6111"][s]);
        EXPECT_EQ(rows[42].BudgetTier2[s], rows[32].BudgetTier2[s] - rows[41].BudgetTier2[s]);
    }
    EXPECT_EQ(rows[41].Budget[4], yen(10000)); // the adjustment-period budget of 5111
}

TEST_F(MedicalBalance, TaxExcludedMovesTheTaxToTheSuspenseAccounts)
{
    loadHikaku(1);
    const auto accs = company_->accounts();
    const auto e = company_->figures("SIWAKE", 0, true);
    for (const std::string k : {"5111", "5611", "4411", "1511", "2511", "1121"}) {
        SCOPED_TRACE(k);
        const TBALANCE& r = account(k);
        for (int p = 9; p <= 16; ++p)
            EXPECT_EQ(r.Balance[p], balanceAfter(e.count(k) ? e.at(k) : TExpected {}, accs.at(k).taishaku, p));
    }
    EXPECT_NE(account("1511").Balance[16], 0);
}

TEST_F(MedicalBalance, WholeCorporationLinesAndDivisionRows)
{
    loadHikaku();
    EXPECT_FALSE(shown(1)); // hidden in statement kind 2
    EXPECT_EQ(rows[1].Kamoku.KNAME, "現金");
    EXPECT_FALSE(shown(26)); // no facility of division 8
    EXPECT_TRUE(shown(28));
    EXPECT_TRUE(shown(30));
    EXPECT_TRUE(shown(31));
    EXPECT_TRUE(shown(32));
    EXPECT_FALSE(shown(54)); // a line of statement kind 1
    EXPECT_EQ(rows[54].Kamoku.GROUPM1, "9700");
    EXPECT_EQ(rows[54].Kamoku.KNAME, "臨時損益調整");
    // Whole corporation: 医業 becomes 事業, 臨時 特別; 4180 keeps its name;
    // 4480 is named as other business revenue.
    EXPECT_EQ(rows[26].Kamoku.KNAME, "医業収益合計");
    EXPECT_EQ(rows[30].Kamoku.KNAME, "病院事業収益合計");
    EXPECT_EQ(rows[31].Kamoku.KNAME, "その他事業収益合計");
    EXPECT_EQ(rows[46].Kamoku.KNAME, "特別収益");
    EXPECT_EQ(rows[23].Kamoku.KNAME, "純資産の部合計");
    EXPECT_EQ(rows[24].Kamoku.KNAME, "負債純資産の部合計");
    // Fixed bounds.
    EXPECT_EQ(rows[18].Kamoku.GROUPM1, "3460");
    EXPECT_EQ(rows[32].Kamoku.GROUPM1, "4800");
    EXPECT_EQ(rows[39].Kamoku.GROUPM1, "6780");
    EXPECT_EQ(rows[39].Kamoku.GROUPM3, "5670");
    // Display order: total lines and accounts by their keys.
    std::vector<std::string> keys;
    for (const TQSORT& s : sorts)
        if (s.Key != HiddenSortKey)
            keys.push_back(s.Key);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    EXPECT_EQ(keyOf(account("4111").Kamoku.KCODE == "4111" ? accountRows().at("4111") : 0), "4310 811");
}

TEST_F(MedicalBalance, FacilityGroupsCountOnlyTheirFacilities)
{
    load("G1", "", 5, 0, 0); // the hospital only: division 2
    EXPECT_FALSE(shown(26));
    EXPECT_FALSE(shown(28));
    EXPECT_TRUE(shown(30));
    EXPECT_FALSE(shown(31));
    EXPECT_FALSE(shown(32)); // fewer than two divisions
    const auto f = company_->figures("SIWAKE", 0, false, {}, "01");
    EXPECT_EQ(account("4111").Balance[16], balanceAfter(f.at("4111"), 3, 16));
    EXPECT_EQ(account("4411").Balance[16], 0); // ancillary business is at the head office

    load("G2", "", 5, 0, 0); // hospital and care facility
    EXPECT_TRUE(shown(28));
    EXPECT_TRUE(shown(30));
    EXPECT_TRUE(shown(32));
}

TEST_F(MedicalBalance, DivisionsChooseTheirLinesAndClassification)
{
    // Division 2 (the hospital): GROUPR1/GROUPR2, only the lines of bit 2.
    load("", "", 1, 0, 2);
    EXPECT_EQ(account("4411").Kamoku.GROUPM1, "4360");
    EXPECT_EQ(account("4411").Kamoku.GROUPM4, "4360");
    EXPECT_TRUE(rows[26].Kamoku.GROUPM1.empty()); // a line of divisions 8 and 16 only
    EXPECT_EQ(rows[30].Kamoku.GROUPM1, "4380");
    EXPECT_EQ(rows[30].Kamoku.KNAME, "病院医業収益合計"); // names kept for a division
    const auto f = company_->figures("SIWAKE", 0, false, {}, "01");
    EXPECT_EQ(account("4111").Debit[3], at(f.at("4111").debit, 3));
    EXPECT_EQ(account("4111").Credit[3], at(f.at("4111").credit, 3));
    EXPECT_EQ(account("4211").Credit[3], 0); // the care facility is division 4

    // Division 3 is none: empty classification, whole-corporation lines.
    load("", "", 1, 0, 3);
    EXPECT_TRUE(account("4111").Kamoku.GROUPM1.empty());
    EXPECT_EQ(rows[26].Kamoku.GROUPM1, "4180");

    // Extra 0 at facility scope takes the facility's division.
    load("02", "", 2, 0, 0);
    EXPECT_EQ(rows[28].Kamoku.GROUPM1, "4280");
    EXPECT_TRUE(rows[30].Kamoku.GROUPM1.empty());
    EXPECT_EQ(GetSisetuJigyou("02"), 4);
    EXPECT_EQ(GetSisetuJigyou("99"), 0);
}

TEST_F(MedicalBalance, DepartmentTotalHidesTheClosingLines)
{
    load("", "10", 0, 0, 0);
    for (int r = 46; r <= 53; ++r) {
        SCOPED_TRACE(r);
        EXPECT_FALSE(shown(r));
        EXPECT_TRUE(rows[std::size_t(r)].Kamoku.KNAME.empty());
    }
    const auto f = company_->figures("SIWAKE", 0, false, "10");
    EXPECT_EQ(account("4111").Credit[5], at(f.at("4111").credit, 5));
    EXPECT_EQ(account("4121").Credit[5], 0);
}

TEST_F(MedicalBalance, DepartmentsOfAGroupAddUpIncludingTheirOpenings)
{
    company_->exec(
        "INSERT INTO ZANDAKA (NENDO, SCODE, BCODE, KCODE, HCODE, KAISIZAN) VALUES (0, '01', '10', '1121', '', 700)");
    company_->exec(
        "INSERT INTO ZANDAKA (NENDO, SCODE, BCODE, KCODE, HCODE, KAISIZAN) VALUES (0, '01', '20', '1121', '', 50)");
    EXPECT_EQ(GetGroupBumonList("01", "B1"), (std::vector<std::string> {"10", "20"}));
    load("01", "B1", 4, 0, 0);
    company_->exec("DELETE FROM ZANDAKA WHERE BCODE IN ('10', '20')");
    EXPECT_EQ(account("1121").KAISIZAN, yen(750));
    const auto f10 = company_->figures("SIWAKE", 0, false, "10", "01");
    const auto f20 = company_->figures("SIWAKE", 0, false, "20", "01");
    EXPECT_EQ(account("6111").Debit[2], at(f10.at("6111").debit, 2) + at(f20.at("6111").debit, 2));
    EXPECT_EQ(account("4111").Credit[2], at(f10.at("4111").credit, 2));
    EXPECT_EQ(account("4121").Credit[2], at(f20.at("4121").credit, 2));
}

TEST_F(MedicalBalance, CapitalNameFollowsTheCorporationKind)
{
    struct Case {
        const char* kind; // 医療法人
        const char* fund; // 基金
        const char* account; // name of 3111
        const char* line; // name of line 3180
    };
    for (const Case& c : {Case {"", "無", "出資金", "出資金合計"}, Case {"", "有", "基金", "基金合計"},
             Case {"社会", "有", "資本金", "出資金合計"}, Case {"特定", "無", "資本金", "出資金合計"}}) {
        SCOPED_TRACE(std::string(c.kind) + "/" + c.fund);
        company_->exec("DELETE FROM MSD_HOUKOKU");
        company_->exec(
            std::string(
                "INSERT INTO MSD_HOUKOKU (MDGROUP, MDCODE, MDTYPE, MDTEXT1) VALUES ('法人概要', '医療法人', '文字', '")
            + c.kind + "')");
        company_->exec(
            std::string(
                "INSERT INTO MSD_HOUKOKU (MDGROUP, MDCODE, MDTYPE, MDTEXT1) VALUES ('法人概要', '基金', '文字', '")
            + c.fund + "')");
        loadHikaku();
        EXPECT_EQ(account("3111").Kamoku.KNAME, c.account);
        EXPECT_EQ(rows[15].Kamoku.KNAME, c.line);
    }
    company_->exec("DELETE FROM MSD_HOUKOKU");
}

TEST_F(MedicalBalance, MoreAccountsThanRowsFailTheLoadWithAMessage)
{
    ScriptedMessages messages;
    const int lastRow = MbFirstAccountRow + 5;
    rows.assign(std::size_t(lastRow + 1), TBALANCE {});
    sorts.assign(rows.size(), TQSORT {});
    EXPECT_THROW(LoadSisanhyou(rows, lastRow, sorts, lastRow, "", "", 0, 0, 0, 2, 0, 0, 0), ETrialBalanceError);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_NE(messages.firstLine(0).find("試算表読込"), std::string::npos);
    EXPECT_TRUE(rows[std::size_t(lastRow)].Kamoku.KCODE.empty()); // the last row is never written
}

TEST_F(MedicalBalance, DatabaseErrorsReachTheCaller)
{
    ScriptedMessages messages;
    // A department code longer than the procedures take.
    EXPECT_THROW(load("01", "TOO-LONG-CODE", 3, 0, 0), ETrialBalanceError);
    EXPECT_GE(messages.count(), 1u);
    EXPECT_FALSE(company_->dm->IBTransactionDATSS.inTransaction());
    // The same load with a real department works afterwards.
    load("01", "10", 3, 0, 0);
    EXPECT_NE(account("4111").Credit[1], 0);
}

TEST_F(MedicalBalance, OtherLayoutsRunTheirProcedures)
{
    for (int layout : {1, 2, 3, 4}) {
        SCOPED_TRACE(layout);
        load("01", "", 2, layout, 0);
        const TBALANCE& r = account("4111");
        EXPECT_GT(r.SUBREC, 0);
        EXPECT_EQ(
            keyOf(accountRows().at("4111")), r.Kamoku.GROUPM2 + (r.SUBREC < 10 ? "0" : "") + std::to_string(r.SUBREC));
        if (layout >= 3) {
            EXPECT_EQ(r.Kamoku.GROUPM1, "4310"); // GROUPM3
        }
    }
    // Layout 4 computes its total lines in the load and shows the division
    // rows of the divisions that have facilities.
    EXPECT_FALSE(shown(26));
    EXPECT_TRUE(shown(30));
    EXPECT_EQ(rows[32].Balance[16], rows[29].Balance[16]);
    EXPECT_NE(rows[32].Balance[16], 0);
    // Layouts 1 and 2 read nothing at scope 0.
    load("", "", 0, 1, 0);
    EXPECT_TRUE(accountRows().empty());
}

TEST_F(MedicalBalance, SignNamedLinesTakeTheirNameByTheAmount)
{
    struct Case {
        const char* code;
        Currency amount;
        int division;
        const char* name;
    };
    for (const Case& c : {Case {"6950", -1, 0, "事業損失"}, Case {"6950", -1, 2, "医業損失"},
             Case {"6950", 0, 1, "医業利益"}, Case {"9280", yen(5), 2, "当期純利益"},
             Case {"9600", yen(-5), 16, "次期繰越損失"}, Case {"4180", yen(-5), 0, "as it was"}}) {
        SCOPED_TRACE(std::string(c.code) + " " + std::to_string(c.division));
        EXPECT_EQ(MbTotalRowName(c.code, "as it was", c.amount, c.division), c.name);
    }
    EXPECT_FALSE(company_->dm->IBTransactionDAT.inTransaction());
}

TEST_F(MedicalBalance, RangeOfTheSampleYearNamesAndTotalsItsLines)
{
    loadHikaku();
    AccInf.KIMATU = AddMonth(12, AccInf.KISHU) - 1;
    CalcBalance(rows, last(), 0, 0, 1, 16, 0);
    for (int r : {11, 24, 32, 41, 49}) {
        SCOPED_TRACE(r);
        EXPECT_EQ(rows[std::size_t(r)].RangeClosing, rows[std::size_t(r)].Balance[16]);
    }
    EXPECT_EQ(rows[20].RangeClosing, rows[49].RangeClosing);
    EXPECT_EQ(rows[42].Kamoku.KNAME, rows[42].RangeClosing >= 0 ? "事業利益" : "事業損失");
    EXPECT_EQ(rows[32].RangePercent, yen(100));
}

TEST_F(MedicalBalance, CarriedProfitAccountCountsItsOpeningIntoPeriodOne)
{
    // 9301 前期繰越利益 as an income-statement account, data from the first month.
    company_->exec(
        "INSERT INTO KAMOKUMST (KCODE, USERCODE, KNAME, GROUPM0, GROUPM1, GROUPM2, GROUPR1, GROUPR2, GROUPM3,"
        " TAISHAKU, BPFLG) VALUES ('9301', '951', '前期繰越利益', '9300', '9310', '9310', '9310', '9310', '9310', 3, "
        "'P')");
    company_->exec(
        "INSERT INTO ZANDAKA (NENDO, SCODE, BCODE, KCODE, HCODE, KAISIZAN) VALUES (0, '00', '', '9301', '', 400)");
    company_->exec(
        "INSERT INTO ZANDAKA (NENDO, SCODE, BCODE, KCODE, HCODE, KAISIZAN) VALUES (1, '00', '', '9301', '', 300)");
    company_->exec("UPDATE ACCDEF1 SET KAISINO = 1 WHERE REC = 1");
    company_->loadAccInf();
    loadHikaku();
    company_->exec("UPDATE ACCDEF1 SET KAISINO = 7 WHERE REC = 1");
    company_->exec("DELETE FROM ZANDAKA WHERE KCODE = '9301'");
    company_->exec("DELETE FROM KAMOKUMST WHERE KCODE = '9301'");
    const TBALANCE& carried = account("9301");
    EXPECT_EQ(carried.Net[1], yen(400)); // the current year's opening counted into period 1
    EXPECT_EQ(carried.Balance[1], yen(400));
    EXPECT_EQ(carried.Net[0], 0); // the prior year's period 16: no movement
    EXPECT_EQ(carried.Net[-15], yen(300)); // the prior year's opening into its period 1
    EXPECT_EQ(carried.Balance[-15], yen(300));
    EXPECT_EQ(rows[50].Balance[16], rows[49].Balance[16] + yen(400)); // line 50 collects it
    // Without earlier months the comparison opening stays the current load's.
    EXPECT_EQ(account("1121").CompareOpening, yen(14000000));
}

TEST_F(MedicalBalance, CarriedOverTaxModeRulesThePastYearsAndBudget)
{
    // Current year tax-excluded; KURIKOSI1 0 makes the past years and the
    // budget's actuals tax-included.
    LoadHikakuBalance(rows, last(), sorts, last(), "", "", 1, 0, 0, 0, 0, 1, 2, 1);
    const auto excluded = company_->figures("SIWAKE", 0, true);
    const auto included = company_->figures("SIWAKE", 0, false);
    const auto prior = company_->figures("KAKOSIWAKE1", 1, false);
    const TBALANCE& drugs = account("5111");
    EXPECT_EQ(drugs.Net[9], netOf(1, excluded.at("5111"), 9));
    EXPECT_EQ(drugs.Net[2], netOf(1, included.at("5111"), 2)); // before the data start: past-year statement
    EXPECT_EQ(drugs.Net[-14], netOf(1, prior.at("5111"), 2));
    EXPECT_EQ(drugs.Actuals[9], netOf(1, included.at("5111"), 9));
}

TEST_F(MedicalBalance, AShortPriorYearKeepsItsRestInPeriodSixteen)
{
    AccInf.zKISHU = AccInf.KISHU - 275; // 2023-04-01: a prior year of nine months
    loadHikaku();
    const TBALANCE& cash = account("1121");
    for (int p = 12; p <= 15; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(cash.Net[p - 16], 0);
        EXPECT_EQ(cash.Balance[p - 16], 0);
    }
    const auto prior = company_->figures("KAKOSIWAKE1", 1);
    EXPECT_EQ(cash.Balance[0], balanceAfter(prior.at("1121"), 1, 16));
    EXPECT_EQ(cash.Net[0], cash.Balance[0] - cash.Balance[-5]);
    EXPECT_EQ(cash.Balance[-5], balanceAfter(prior.at("1121"), 1, 11));
}

} // namespace
