// Comparison loading of the medical trial balance: the current year, the two
// earlier years and the months before the data start from the past-year
// procedures, the budget with its actuals, then the total lines of every
// column.

#include "accounting/uAccMbZanCmp.h"
#include "accounting/uAccBalanceRead.h"
#include "accounting/uAccMbZanCmpInternal.h"
#include "accounting/uAccZanCmp1.h"
#include "accounting/uAccZanCmp1Internal.h"

#include "core/TextRoutines.h"
#include "core/uAccDateCmp.h"

#include <algorithm>
#include <utility>

namespace fb = platform::firebird;

namespace {

using mbzancmp::isBlank;

struct TStatements {
    std::string pastYears;
    std::string budget;
};

// The past-year and budget statements by layout and scope; empty texts run nothing.
TStatements comparisonStatements(int layout, int scope, bool department)
{
    switch (layout) {
    case 0:
        switch (scope) {
        case 0:
            if (department)
                return {"SELECT * FROM SP_KANENDO_BUMONGOKEI( :TAX, :BCODE, 0 ) ",
                    "SELECT * FROM SP_YOSAN_BUMONGOKEI( :TAX, :BCODE, 0 )"};
            return {"SELECT * From SP_KANENDO_ZANDAKA( '', :TAX , 0 ) ", "SELECT * FROM SP_YOSAN( :TAX, '' , 0 )"};
        case 1:
            if (department)
                return {"SELECT * FROM SP_KANENDO_BUMONGOKEI( :TAX, :BCODE, :JIGYOU ) ",
                    "SELECT * FROM SP_YOSAN_BUMONGOKEI( :TAX, :BCODE, :JIGYOU )"};
            return {"SELECT * From SP_KANENDO_ZANDAKA( '', :TAX , :JIGYOU ) ",
                "SELECT * FROM SP_YOSAN( :TAX ,'' ,:JIGYOU  )"};
        case 2:
            return {"SELECT * From SP_KANENDO_ZANDAK_SISETU( :SCODE , :TAX ) ",
                "SELECT * FROM SP_YOSAN_SISETU(:TAX, :SCODE )"};
        case 3:
        case 4:
            return {"SELECT * From SP_KANENDO_BUMON_ZANDAKA( :SCODE, :BCODE, :TAX  ,:HAIBUN ) ",
                "SELECT * FROM SP_YOSAN_BUMON( :TAX, :SCODE, :BCODE ,:HAIBUN )"};
        case 5:
            return {"SELECT * FROM SP_KANENDO_ZANDAKA_GROUP( :GCODE , :TAX ) ",
                "SELECT * FROM SP_YOSAN_GROUP( :TAX, :GCODE )"};
        default:
            return {};
        }
    case 1:
        switch (scope) {
        case 1:
            if (department)
                return {"SELECT * From SP_KANENDO_JIGYOBETUBUMON_A4(:TAX ,:BCODE, :JIGYOU ) ",
                    "SELECT * FROM SP_YOSAN_JIGYOBETUBUMON_A4( :BCODE, :JIGYOU )"};
            return {"SELECT * From SP_KANENDO_ZANDAKA_A4( '' ,:TAX ,:JIGYOU ) ",
                "SELECT * FROM SP_YOSAN_A4( '' , :JIGYOU )"};
        case 2:
            return {
                "SELECT * From SP_KANENDO_ZANDAKA_A4( :SCODE ,:TAX ,0 ) ", "SELECT * FROM SP_YOSAN_A4( :SCODE , 0 )"};
        case 3:
        case 4:
            return {"SELECT * From SP_KANENDO_BUMON_ZANDAKA_A4(  :SCODE, :BCODE, :TAX ,:HAIBUN )",
                "SELECT * FROM SP_YOSAN_BUMON_A4( :SCODE ,:BCODE ,:HAIBUN )"};
        default:
            return {};
        }
    case 2:
        switch (scope) {
        case 0:
            return {"SELECT * From SP_KANENDO_ZANDAKA_A3( :TAX, '' ) ", {}};
        case 1:
            return {"SELECT * From SP_KANENDO_JIGYOBETU_A3( :TAX, :JIGYOU ) ", {}};
        case 2:
            return {"SELECT * From SP_KANENDO_ZANDAKA_A3( :TAX, :SCODE ) ", {}};
        default:
            return {};
        }
    case 3:
    case 4:
        switch (scope) {
        case 0:
            if (department)
                return {"SELECT * FROM SP_KANENDO_BUMONGOKEI_KS( :TAX ,:BCODE, :JIGYOU )",
                    "SELECT * FROM SP_YOSAN_BUMONGOKEI_KS( :BCODE )"};
            return {"SELECT * FROM SP_KANENDO_ZANDAKA_KESSAN( '','' , :TAX , 0)",
                "SELECT * FROM SP_YOSAN_KESSAN( '','' , 0)"};
        case 1:
            return {"SELECT * FROM SP_KANENDO_ZANDAKA_KESSAN( '','' , :TAX, :JIGYOU) ",
                "SELECT * FROM SP_YOSAN_KESSAN( '','' , :JIGYOU)"};
        case 2:
            return {"SELECT * FROM SP_KANENDO_ZANDAKA_KESSAN( :SCODE ,'', :TAX, 0) ",
                "SELECT * FROM SP_YOSAN_KESSAN( :SCODE,'' , 0)"};
        case 5:
            return {"SELECT * FROM SP_KANENDO_ZANDAKA_KESSAN( '', :GCODE , :TAX , 0) ",
                "SELECT * FROM SP_YOSAN_KESSAN( '',:GCODE ,0)"};
        default:
            return {};
        }
    default:
        return {};
    }
}

class TMbHikaku {
public:
    explicit TMbHikaku(mbzancmp::TMbLoad& load)
        : l_(load)
    {
    }

    // The row and sub-account entry (or -1) of a past-year or budget record;
    // row 0 when no account row matches.
    std::pair<int, int> findTarget(fb::Field* fKcode, fb::Field* fHcode, fb::Field* fGroup, fb::Field* fSub)
    {
        if (l_.layout == 0) {
            const int r = MbFindKamokuRow(l_.rows, l_.lastRow, fKcode->asString());
            if (r == 0)
                return {0, -1};
            const std::string h = fHcode->asString();
            return {r, MbFindHojoIndex(l_.row(r), isBlank(h) ? std::string() : h)};
        }
        return {MbFindGroupRow(l_.rows, l_.lastRow, fGroup->asString(), fSub->asInteger(), l_.extra), -1};
    }

    void keyFields(fb::Field*& k, fb::Field*& h, fb::Field*& g, fb::Field*& s)
    {
        k = h = g = s = nullptr;
        if (l_.layout == 0) {
            k = &f("KCODE");
            h = &f("HCODE");
        } else {
            g = &f("KGROUP");
            s = &f("SUBREC");
        }
    }

    void readKanendo()
    {
        fb::Field *fK, *fH, *fG, *fS;
        keyFields(fK, fH, fG, fS);
        fb::Field& fNendo = f("NENDO");
        fb::Field& fKishu = f("KISHU");
        const std::vector<fb::Field*> zan = balanceread::numberedFields(l_.q, "ZAN", 16);
        const int p0 = MonthIndexToKikan(AccInf.KAISINO - 1);
        for (; !l_.q.eof(); l_.q.next()) {
            const int nendo = fNendo.asInteger();
            const auto span = balanceread::pastYearSpan(nendo, p0);
            if (!span)
                continue;
            const auto [first, count] = *span;
            const auto [r, h] = findTarget(fK, fH, fG, fS);
            TBALANCE& row = l_.row(r);
            const Currency kishu = fKishu.asCurrency();
            const bool carried = row.Kamoku.KCODE == "9301";
            auto apply = [&](auto& t, bool isRow) {
                auto put = [&](Currency& target) { target = isRow ? target + kishu : kishu; };
                if (nendo == 0)
                    put(t.CompareOpening);
                if (nendo == 2)
                    AddAmount(t.Balance[-32], kishu);
                put(t.YearOpenings[std::size_t(nendo)]);
                for (int j = 1; j <= count; ++j) {
                    const int b = first + j - 1;
                    const Currency z = zan[std::size_t(j)]->asCurrency();
                    if (j == 1) {
                        AddAmount(t.Balance[b], kishu + z);
                        AddAmount(t.Net[b], z + (isRow && carried ? kishu : 0));
                    } else {
                        AddAmount(t.Net[b], z);
                        t.Balance[b] = t.Balance[b - 1] + t.Net[b];
                    }
                }
            };
            apply(row, true);
            if (h >= 0)
                apply(row.HojoList[std::size_t(h)], false);
        }
        l_.q.close();
    }

    void readYosan()
    {
        fb::Field *fK, *fH, *fG, *fS;
        keyFields(fK, fH, fG, fS);
        const bool standard = l_.layout == 0;
        using balanceread::numberedFields;
        const std::vector<fb::Field*> none16(16), none17(17);
        const std::vector<fb::Field*> y1 = numberedFields(l_.q, "YOSAN", 15);
        const std::vector<fb::Field*> y2 = standard ? numberedFields(l_.q, "YOSAN2", 15) : none16;
        const std::vector<fb::Field*> y3 = standard ? numberedFields(l_.q, "YOSAN3", 15) : none16;
        const std::vector<fb::Field*> act = standard ? numberedFields(l_.q, "JISSEKI", 16) : none17;
        const std::vector<fb::Field*> flg = standard ? numberedFields(l_.q, "JKUBUN", 16) : none17;
        for (; !l_.q.eof(); l_.q.next()) {
            const auto [r, h] = findTarget(fK, fH, fG, fS);
            auto apply = [&](auto& t, bool isRow) {
                for (int m = 1; m <= 15; ++m) {
                    const auto i = std::size_t(m);
                    const Currency v = y1[i]->asCurrency();
                    t.Budget[i] = isRow ? t.Budget[i] + v : v;
                    if (standard) {
                        AddAmount(t.BudgetTier1[i], v);
                        AddAmount(t.BudgetTier2[i], y2[i]->asCurrency());
                        AddAmount(t.BudgetTier3[i], y3[i]->asCurrency());
                    }
                }
                if (!standard)
                    return;
                for (int p = 1; p <= 16; ++p) {
                    // Adjustment periods fold into the month before them
                    // unless that month already holds actuals.
                    const int q = p % 4 == 0 ? p - 1 : p;
                    const auto qi = std::size_t(q);
                    if (p == q || t.ActualFlags[qi] == 0) {
                        AddAmount(t.Actuals[qi], act[std::size_t(p)]->asCurrency());
                        t.ActualFlags[qi] += flg[std::size_t(p)]->asInteger();
                    }
                }
            };
            TBALANCE& row = l_.row(r);
            apply(row, true);
            if (h >= 0)
                apply(row.HojoList[std::size_t(h)], false);
        }
        l_.q.close();
    }

private:
    fb::Field& f(const std::string& name) { return l_.q.fieldByName(name); }
    mbzancmp::TMbLoad& l_;
};

} // namespace

int MbFindKamokuRow(const TBalanceArray& rows, int lastRow, const std::string& kcode)
{
    for (int i = MbFirstAccountRow; i <= lastRow; ++i)
        if (rows[std::size_t(i)].Kamoku.KCODE == kcode)
            return i;
    return 0;
}

int MbFindKamokuRow2(const TBalanceArray& rows, int lastRow, const std::string& kcode)
{
    return MbFindKamokuRow(rows, lastRow, kcode);
}

int MbFindHojoIndex(const TBALANCE& row, const std::string& hcode)
{
    return FindHojoIndex(row, hcode);
}

int MbFindGroupRow(const TBalanceArray& rows, int lastRow, const std::string& groupCode, int subRec, int division)
{
    const bool second = division == 2 || division == 4;
    for (int i = MbFirstAccountRow; i <= lastRow; ++i) {
        const TBALANCE& r = rows[std::size_t(i)];
        if ((second ? r.Kamoku.GROUPM4 : r.Kamoku.GROUPM2) == groupCode && r.SUBREC == subRec)
            return i;
    }
    return 0;
}

void MbLoadHikakuBalance(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int /*lastSort*/,
    const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout,
    int allocation, int extra, int kind, int more)
{
    zancmp1::runInTransaction(
        "MbLoadHikakuBalance",
        [&](fb::Query& q) {
            mbzancmp::TMbLoad load(rows, lastRow, sorts, q);
            load.setArguments(branchCode, departmentCode, taxMode, scope, layout, kind, allocation, extra);
            load.loadCurrentYear();

            // The periods before the data start come from the past-year statement.
            const int p0 = MonthIndexToKikan(AccInf.KAISINO - 1);
            auto clearStart = [p0](auto& t) {
                for (int k = 0; k <= p0 - 1; ++k)
                    t.Net[k] = t.Balance[k] = 0;
            };
            for (int i = 0; i <= lastRow; ++i) {
                TBALANCE& r = load.row(i);
                if (AccInf.KAISINO == 1 && r.Kamoku.KCODE == "9301")
                    r.Net[1] = r.Balance[1];
                clearStart(r);
                for (THOJOUTIWAKE& h : r.HojoList)
                    clearStart(h);
            }

            if (more == 1) {
                load.setSql("SELECT KURIKOSI1 FROM ACCDEF1 WHERE REC=1 ");
                q.open();
                load.taxMode = q.eof() ? 0 : q.fieldByName("KURIKOSI1").asInteger();
                q.close();
            }

            load.setSql("SELECT KCODE,KEIHKUBU FROM KAMOKUMST WHERE BPFLG='P' ");
            for (q.open(); !q.eof(); q.next()) {
                const int r = MbFindKamokuRow(rows, lastRow, q.fieldByName("KCODE").asString());
                if (r != 0)
                    load.row(r).Kamoku.KEIHKUBU = q.fieldByName("KEIHKUBU").asString();
            }
            q.close();

            // Once per load, so that the departments of a group add up. The
            // current-year opening by year goes too: the past-year records of
            // the current year add it again, and it must not count twice.
            if (AccInf.KAISINO > 1)
                for (int i = 0; i <= lastRow; ++i)
                    load.row(i).CompareOpening = load.row(i).YearOpenings[0] = 0;

            const TStatements st = comparisonStatements(layout, scope, !isBlank(departmentCode));
            TMbHikaku reader(load);
            auto run = [&](const std::string& department) {
                if (!st.pastYears.empty()) {
                    load.setSql(st.pastYears);
                    load.bind(department);
                    q.open();
                    reader.readKanendo();
                }
                if (!st.budget.empty()) {
                    load.setSql(st.budget);
                    load.bind(department);
                    q.open();
                    reader.readYosan();
                }
            };
            if (scope == 4) {
                for (const std::string& d : GetGroupBumonList(branchCode, departmentCode))
                    run(d);
            } else {
                run(departmentCode);
            }
            if (!st.pastYears.empty())
                FoldShortPastYears(rows, lastRow);

            for (int k = -32; k <= 16; ++k)
                MbCalcTotalLines(rows, lastRow, k, load.extra);
            MbApplyOpeningTotals(rows);
            for (int k = 1; k <= 15; ++k)
                MbCalcYosanTotalLines(rows, lastRow, k);
        },
        true);
}
