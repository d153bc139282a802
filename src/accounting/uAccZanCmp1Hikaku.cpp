// Comparison loading of the general trial balance: the current year, the two
// earlier years from the past-year procedures and the budget with its
// actuals, then the summary lines of every period.

#include "accounting/uAccZanCmp1.h"
#include "accounting/uAccBalanceRead.h"
#include "accounting/uAccZanCmp1Internal.h"

#include "core/uAccDateCmp.h"
#include "core/TextRoutines.h"

#include <cstdio>
#include <memory>

namespace fb = platform::firebird;

namespace {

std::string trimmedCode(const std::string& s)
{
    return balanceread::isBlank(s) ? std::string() : s;
}

class THikakuLoader {
public:
    THikakuLoader(zancmp1::TLoadContext& ctx)
        : c_(ctx)
    {
    }

    int firstArg = 0;
    bool zandakaSeen = false;

    // The row and sub-account entry (or -1) of a past-year or budget record.
    std::pair<int, int> findTarget()
    {
        if (c_.layout == 0) {
            const int r = FindRowByKamoku(c_.rows, c_.lastRow, f("KCODE").asString());
            if (r == 0)
                return {0, -1};
            return {r, FindHojoIndex(c_.row(r), trimmedCode(f("HCODE").asString()))};
        }
        return {FindRowByGroup(c_.rows, c_.lastRow, f("KGROUP").asString(), f("SUBREC").asInteger()), -1};
    }

    void LoadZandakaRows()
    {
        if (AccInf.KAISINO > 1 && !zandakaSeen) {
            // Once per load: the departments of a group add up.
            for (int i = 0; i <= c_.lastRow; ++i)
                c_.row(i).CompareOpening = 0;
        }
        zandakaSeen = true;
        fb::Field& fNendo = f("NENDO");
        fb::Field& fKishu = f("KISHU");
        const std::vector<fb::Field*> zan = balanceread::numberedFields(c_.q, "ZAN", 16);
        const int startPeriod = MonthIndexToKikan(AccInf.KAISINO - 1);
        for (; !c_.q.eof(); c_.q.next()) {
            const auto [r, h] = findTarget();
            if (r == 0)
                continue;
            const int nendo = fNendo.asInteger();
            const Currency kishu = fKishu.asCurrency();
            const auto span = balanceread::pastYearSpan(nendo, startPeriod);
            if (!span)
                continue;
            const auto [first, count] = *span;
            std::array<Currency, 17> z {};
            for (int i = 1; i <= 16; ++i)
                z[std::size_t(i)] = zan[std::size_t(i)]->asCurrency();
            auto apply = [&](auto& t) {
                if (nendo == 0)
                    AddAmount(t.CompareOpening, kishu);
                if (nendo == 2)
                    AddAmount(t.Balance[-32], kishu);
                AddAmount(t.YearOpenings[std::size_t(nendo)], kishu);
                for (int i = 1; i <= count; ++i) {
                    const int k = first + i - 1;
                    AddAmount(t.Net[k], z[std::size_t(i)]);
                    if (i == 1)
                        AddAmount(t.Balance[k], CurrencyAdd(kishu, z[1]));
                    else
                        t.Balance[k] = CurrencyAdd(t.Balance[k - 1], t.Net[k]);
                }
            };
            apply(c_.row(r));
            if (h >= 0)
                apply(c_.row(r).HojoList[std::size_t(h)]);
        }
        c_.q.close();
    }

    void LoadYosanRows()
    {
        using balanceread::numberedFields;
        const bool standard = c_.layout == 0;
        const std::vector<fb::Field*> y1 = numberedFields(c_.q, "YOSAN", 15);
        const std::vector<fb::Field*> none16(16);
        const std::vector<fb::Field*> y2 = standard ? numberedFields(c_.q, "YOSAN2", 15) : none16;
        const std::vector<fb::Field*> y3 = standard ? numberedFields(c_.q, "YOSAN3", 15) : none16;
        const std::vector<fb::Field*> act = numberedFields(c_.q, "JISSEKI", 16);
        const std::vector<fb::Field*> flg = numberedFields(c_.q, "JKUBUN", 16);
        for (; !c_.q.eof(); c_.q.next()) {
            const auto [r, h] = findTarget();
            if (r == 0)
                continue;
            auto apply = [&](auto& t) {
                for (int j = 1; j <= 15; ++j) {
                    const auto i = std::size_t(j);
                    const Currency v = y1[i]->asCurrency();
                    AddAmount(t.Budget[i], v);
                    if (standard) {
                        AddAmount(t.BudgetTier1[i], v);
                        AddAmount(t.BudgetTier2[i], y2[i]->asCurrency());
                        AddAmount(t.BudgetTier3[i], y3[i]->asCurrency());
                    }
                }
                for (int j = 1; j <= 16; ++j) {
                    const int t0 = (j % 4 == 0) ? j - 1 : j;
                    const auto ti = std::size_t(t0);
                    if (j == t0 || t.ActualFlags[ti] == 0) {
                        AddAmount(t.Actuals[ti], act[std::size_t(j)]->asCurrency());
                        t.ActualFlags[ti] += flg[std::size_t(j)]->asInteger();
                    }
                }
            };
            apply(c_.row(r));
            if (h >= 0)
                apply(c_.row(r).HojoList[std::size_t(h)]);
        }
        c_.q.close();
    }

    void run(const std::string& sql, bool zandaka, const std::string& b, const std::string& d, int allocation)
    {
        c_.runSelect(sql);
        for (std::size_t i = 0; i < c_.q.paramCount(); ++i) {
            fb::Param& p = c_.q.param(i);
            if (p.name() == "F")
                p.setInteger(firstArg);
            else if (p.name() == "B")
                p.setString(b);
            else if (p.name() == "D")
                p.setString(d);
            else if (p.name() == "H")
                p.setInteger(allocation);
        }
        c_.q.open();
        if (zandaka)
            LoadZandakaRows();
        else
            LoadYosanRows();
    }

private:
    fb::Field& f(const std::string& name) { return c_.q.fieldByName(name); }
    zancmp1::TLoadContext& c_;
};

[[noreturn]] void unsupported(int scope, int layout, bool department)
{
    throw ETrialBalanceError("LoadHikakuGeneral",
        "there is no past-year statement for scope " + std::to_string(scope) + (department ? " with a department" : "")
            + " and layout " + std::to_string(layout));
}

} // namespace

void FoldShortPastYears(TBalanceArray& rows, int lastRow)
{
    const TDateTime s1 = AccInf.zKISHU != 0 ? AccInf.zKISHU : AddMonth(-12, AccInf.KISHU);
    const TDateTime s2 = AccInf.zzKISHU != 0 ? AccInf.zzKISHU : AddMonth(-12, s1);
    auto fold = [&](int f, int offset) {
        if (f <= 0 || f >= 16)
            return;
        for (int i = 0; i <= lastRow; ++i) {
            TBALANCE& r = rows[std::size_t(i)];
            for (int p = f; p <= 15; ++p)
                r.Net[p + offset] = r.Balance[p + offset] = 0;
            r.Net[16 + offset] = r.Balance[16 + offset] - r.Balance[f - 1 + offset];
        }
    };
    fold(DateToKikan(AccInf.SIME, s2, s1), -32);
    fold(DateToKikan(AccInf.SIME, s1, AccInf.KISHU), -16);
}

void LoadHikakuGeneral(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort,
    const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout,
    int allocation, int mode)
{
    zancmp1::runInTransaction("LoadHikakuGeneral", [&](fb::Query& q) {
        zancmp1::TLoadContext ctx(rows, lastRow, sorts, q);
        ctx.scope = scope;
        ctx.layout = layout;
        ctx.loadFlag = mode == 1 ? 3 : 2;
        const int last = ctx.loadCurrentYear(branchCode, departmentCode, taxMode, allocation, -1);
        QuickSortRec(sorts, 0, std::min(last, lastSort));

        THikakuLoader loader(ctx);
        loader.firstArg = taxMode;
        if (mode == 1) {
            ctx.runSelect("SELECT KURIKOSI1 FROM ACCDEF1 WHERE REC=1");
            q.open();
            loader.firstArg = (!q.eof() && q.fieldByName("KURIKOSI1").asInteger() == 1) ? 1 : 0;
            q.close();
        }

        // Periods before the data start come from the past-year statement.
        const int n = MonthIndexToKikan(AccInf.KAISINO - 1);
        auto clearStart = [&](auto& t) {
            for (int k = 0; k <= n - 1; ++k)
                t.Net[k] = t.Balance[k] = 0;
            t.YearOpenings[1] = t.YearOpenings[2] = 0;
            if (AccInf.KAISINO > 1)
                t.YearOpenings[0] = 0;
        };
        for (int i = 0; i <= lastRow; ++i) {
            clearStart(ctx.row(i));
            for (THOJOUTIWAKE& h : ctx.row(i).HojoList)
                clearStart(h);
        }

        ctx.runSelect("SELECT KCODE,KEIHKUBU FROM KAMOKUMST WHERE BPFLG='P' ");
        q.open();
        for (; !q.eof(); q.next()) {
            const int r = FindRowByKamoku(rows, lastRow, q.fieldByName("KCODE").asString());
            if (r != 0)
                ctx.row(r).Kamoku.KEIHKUBU = q.fieldByName("KEIHKUBU").asString();
        }
        q.close();

        const std::string& B = branchCode;
        const std::string& D = departmentCode;
        const bool blankD = trimmedCode(D).empty();
        std::string zandaka, yosan;
        switch (scope) {
        case 0:
            if (blankD) {
                if (layout == 0) {
                    zandaka = "SELECT * FROM SP_KANENDO_ZANDAKA( :F,'')";
                    yosan = "SELECT * FROM SP_YOSAN( :F,'' )";
                } else if (layout == 1) {
                    zandaka = "SELECT * FROM SP_KANENDO_ZANDAKA_A4( :F,'')";
                    yosan = "SELECT * FROM SP_YOSAN_A4( '' )";
                } else if (layout == 2)
                    zandaka = "SELECT * FROM SP_KANENDO_ZANDAKA_A3( :F,'')";
                else
                    unsupported(scope, layout, false);
            } else {
                if (layout == 0) {
                    zandaka = "SELECT * FROM SP_Kanendo_BumonGokei( :F,:D)";
                    yosan = "SELECT * FROM SP_Yosan_BumonGokei(:F,:D)";
                } else if (layout == 1) {
                    zandaka = "SELECT * FROM SP_Kanendo_BumonGokei_A4( :F,:D)";
                    yosan = "SELECT * FROM SP_Yosan_BumonGokei_A4(:D)";
                } else
                    unsupported(scope, layout, true);
            }
            break;
        case 1:
            if (layout == 0) {
                zandaka = "SELECT * FROM SP_KANENDO_GROUPZANDAKA( :F, :B)";
                yosan = "SELECT * FROM SP_YOSAN_GROUP( :F,:B )";
            } else {
                zandaka = "SELECT * FROM SP_KANENDO_GROUPZANDAKA_A4( :F, :B)";
                yosan = "SELECT * FROM SP_YOSAN_GROUP_A4( :B )";
            }
            break;
        case 2:
            if (layout == 0) {
                zandaka = "SELECT * FROM SP_KANENDO_ZANDAKA( :F, :B)";
                yosan = "SELECT * FROM SP_YOSAN( :F, :B) ";
            } else if (layout == 1) {
                zandaka = "SELECT * FROM SP_KANENDO_ZANDAKA_A4( :F, :B)";
                yosan = "SELECT * FROM SP_YOSAN_A4(:B)";
            } else if (layout == 2)
                zandaka = "SELECT * FROM SP_KANENDO_ZANDAKA_A3( :F, :B)";
            else
                unsupported(scope, layout, false);
            break;
        case 3:
        case 4:
            if (layout == 0) {
                zandaka = "SELECT * FROM SP_KANENDO_BUMON_ZANDAKA( :F, :B,:D,:H)";
                yosan = "SELECT * FROM SP_YOSAN_BUMON( :F,:B,:D,:H ) ";
            } else {
                zandaka = "SELECT * FROM SP_KANENDO_BUMON_ZANDAKA_A4( :F, :B,:D,:H)";
                yosan = "SELECT * FROM SP_YOSAN_BUMON_A4( :B,:D,:H)";
            }
            break;
        default:
            unsupported(scope, layout, !blankD);
        }

        if (scope == 4) {
            const std::vector<std::string> departments = ctx.LoadGroupBumon(D);
            for (const std::string& d : departments)
                loader.run(zandaka, true, B, d, allocation);
            for (const std::string& d : departments)
                loader.run(yosan, false, B, d, allocation);
        } else {
            loader.run(zandaka, true, B, D, allocation);
            if (!yosan.empty())
                loader.run(yosan, false, B, D, allocation);
        }
        FoldShortPastYears(rows, lastRow);

        for (int p = -32; p <= 16; ++p)
            ClassifyPeriod(rows, lastRow, p);
        ApplyOpeningFormulas(rows, lastRow);
        for (int m = 1; m <= 15; ++m)
            ClassifyCompare(rows, lastRow, m);
    });
}

void TGeneralTrialBalanceEngine::LoadSisanhyou(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort,
    const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout, int loadFlag,
    int allocation, int /*extra*/, int priorTax)
{
    LoadSisanhyouGeneral(rows, lastRow, sorts, lastSort, branchCode, departmentCode, taxMode, scope, layout, loadFlag,
        allocation, priorTax);
}

void TGeneralTrialBalanceEngine::LoadHikakuBalance(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort,
    const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout,
    int allocation, int /*extra*/, int mode, int /*kind*/, int /*more*/)
{
    LoadHikakuGeneral(
        rows, lastRow, sorts, lastSort, branchCode, departmentCode, taxMode, scope, layout, allocation, mode);
}

void TGeneralTrialBalanceEngine::CalcBalance(
    TBalanceArray& rows, int lastRow, int openingMode, int kind, int fromPeriod, int toPeriod, int /*extra*/)
{
    pcBalanceSheet_Calcu(rows, lastRow, openingMode, kind, fromPeriod, toPeriod);
}

void InstallGeneralTrialBalanceEngine()
{
    SetTrialBalanceEngine(GeneralEngineKind, std::make_shared<TGeneralTrialBalanceEngine>());
}
