// Current-year loading of the general trial balance: the statement chosen by
// layout and scope, the result rows read into account rows with their
// sub-accounts, the total-line names and the sort keys.

#include "accounting/uAccZanCmp1.h"
#include "accounting/uAccBalanceRead.h"
#include "accounting/uAccZanCmp1Internal.h"

#include "core/AccReg.h"
#include "core/DataModule.h"
#include "core/IBErrorProc.h"
#include "core/TextRoutines.h"
#include "core/MessageService.h"

#include <cstdio>

namespace fb = platform::firebird;

namespace zancmp1 {

namespace {

using balanceread::isBlank;
using balanceread::twoDigits;

// Appended piece by piece: GCC 12 reports a false -Wrestrict for
// literal + string + literal.
std::string enclose(const char* open, const std::string& text, const char* close)
{
    std::string s(open);
    s.append(text);
    s.append(close);
    return s;
}

void computeNetBalance(TPeriodValues& net, TPeriodValues& balance, const TPeriodValues& debit,
    const TPeriodValues& credit, int taishaku, Currency opening)
{
    net[0] = opening;
    balance[0] = opening;
    const bool debitNatured = balanceread::debitNature(taishaku);
    for (int n = 1; n <= 16; ++n) {
        net[n] = debitNatured ? CurrencySub(debit[n], credit[n]) : CurrencySub(credit[n], debit[n]);
        balance[n] = CurrencyAdd(balance[n - 1], net[n]);
    }
}

// Adds the current-year record of the query (opening KAISIZAN, movements
// KARnn/KASnn) to an account or sub-account entry and works out its net
// movements and balances again.
template <class Entry>
void addCurrentYear(Entry& e, const fb::Field& opening, const std::vector<fb::Field*>& kar,
    const std::vector<fb::Field*>& kas, int taishaku)
{
    AddAmount(e.KAISIZAN, opening.asCurrency());
    e.CompareOpening = e.KAISIZAN;
    e.YearOpenings[0] = e.KAISIZAN;
    for (int n = 1; n <= 16; ++n) {
        AddAmount(e.Debit[n], kar[std::size_t(n)]->asCurrency());
        AddAmount(e.Credit[n], kas[std::size_t(n)]->asCurrency());
    }
    computeNetBalance(e.Net, e.Balance, e.Debit, e.Credit, taishaku, e.KAISIZAN);
}

// Group code 1 of a closing-statement row of individual data, moved by the
// code system and the master record number.
std::string movedGroupM1(const std::string& g, int mstrec)
{
    int upper = 0; // records above this go to the second group
    switch (AccInf.CODETYPE) {
    case 1:
        upper = 97;
        break;
    case 4:
        upper = 78;
        break;
    case 2:
        if (g == "6100" && mstrec > 63)
            return "7200";
        if (g == "7200" && mstrec < 64)
            return "6100";
        return g;
    default:
        return g;
    }
    if (g == "4100" && mstrec > upper)
        return "7100";
    if (g == "6100" && mstrec > upper)
        return "7200";
    if (g == "7100" && mstrec < upper + 1)
        return "4100";
    if (g == "7200" && mstrec < upper + 1)
        return "6100";
    return g;
}

} // namespace

TLoadContext::TLoadContext(TBalanceArray& r, int lr, TQSortArray& s, fb::Query& query)
    : rows(r)
    , lastRow(lr)
    , sorts(s)
    , q(query)
{
}

TBALANCE& TLoadContext::row(int i)
{
    return rows[std::size_t(i)];
}

void TLoadContext::hide(int i, bool clearName)
{
    sorts[std::size_t(i)].Key = HiddenSortKey;
    row(i).Kamoku.GROUPM1.clear();
    row(i).Kamoku.GROUPM2.clear();
    if (clearName)
        row(i).Kamoku.KNAME.clear();
}

void TLoadContext::runSelect(const std::string& sql)
{
    balanceread::setStatement(q, sql);
}

void TLoadContext::LoadTotalNames(bool departmentScope)
{
    runSelect("SELECT * FROM ACCTOTALNAME ORDER BY KGROUP ");
    q.open();
    fb::Field& fNum = q.fieldByName("ARRAYNUM");
    fb::Field& fGroup = q.fieldByName("KGROUP");
    fb::Field& fPlus = q.fieldByName("PLUSNAME");
    fb::Field& fUse = q.fieldByName("KESSAN_USE");
    fb::Field& fText = q.fieldByName("KESSAN_TEXT");
    fb::Field& fKubun = q.fieldByName("KESKUBUN");
    for (; !q.eof(); q.next()) {
        const int n = fNum.asInteger();
        // A line number outside the summary band would overwrite an
        // account row: such a line is not shown.
        if (n < 0 || n >= FirstAccountRow || n > lastRow)
            continue;
        TBALANCE& r = row(n);
        const std::string group = fGroup.asString();
        r.Kamoku.GROUPM1 = group;
        r.Kamoku.GROUPM2 = group;
        r.Kamoku.KCODE.clear();
        r.Kamoku.KNAME = fPlus.asString();
        if ((scope == 10 || scope == 30) && fUse.asInteger() == 1) {
            const std::string t = fText.asString();
            switch (n) {
            case 5:
            case 9:
            case 10:
            case 12:
            case 13:
            case 14:
            case 23:
            case 24:
            case 25:
            case 28:
            case 30:
            case 31:
            case 32:
            case 33:
            case 37:
            case 39:
            case 40:
            case 42:
            case 43:
            case 46:
                r.Kamoku.KNAME = enclose("【", t, "】");
                break;
            case 6:
            case 7:
            case 8:
                r.Kamoku.KNAME = enclose("（", t, "）");
                break;
            case 19:
            case 22:
                r.Kamoku.KNAME = t;
                break;
            default:
                break;
            }
        }
        const int kubun = fKubun.asInteger();
        if (kubun == 0 || kubun == loadFlag) {
            r.Kamoku.BSPL.assign(1, group < "4000" ? 'B' : 'P');
            sorts[std::size_t(n)].Key = group;
            sorts[std::size_t(n)].Index = n;
        }
    }
    q.close();
    row(29).Kamoku.KNAME = row(35).Kamoku.KNAME;
    if (loadFlag == 1) {
        hide(3, false);
        hide(2, false);
        hide(4, false);
    } else {
        hide(47, false);
    }
    if (departmentScope) {
        runSelect("SELECT BUMON FROM ACCDEF1 WHERE REC=1");
        q.open();
        const bool byDepartment = !q.eof() && q.fieldByName("BUMON").asInteger() == 1;
        q.close();
        if (byDepartment) {
            for (int i = 1; i <= 27; ++i)
                hide(i, true);
            for (int i = 42; i <= 45; ++i)
                hide(i, true);
        }
    }
}

std::vector<std::string> TLoadContext::LoadGroupBumon(const std::string& groupCode)
{
    std::vector<std::string> codes;
    runSelect("SELECT BCODE FROM GROUPLIST WHERE GCODE=:GCODE");
    q.paramByName("GCODE").setString(groupCode);
    q.open();
    fb::Field& f = q.fieldByName("BCODE");
    for (; !q.eof(); q.next())
        codes.push_back(f.asString());
    q.close();
    return codes;
}

int TLoadContext::ReadBalanceRows(bool closingLayout, bool comparisonLoad)
{
    comparison = comparisonLoad;
    closing = closingLayout;
    fb::Field& fG1 = q.fieldByName("GROUPM1");
    fb::Field& fG2 = q.fieldByName("GROUPM2");
    const balanceread::TAccountColumns cols(q, layout == 0);
    fb::Field& fKcode = cols.kcode;
    fb::Field* fHcode = q.fieldIndex("HCODE") >= 0 ? &q.fieldByName("HCODE") : nullptr;
    fb::Field* fHname = q.fieldIndex("HNAME") >= 0 ? &q.fieldByName("HNAME") : nullptr;
    auto optional = [this](const std::string& name) -> fb::Field* {
        return q.fieldIndex(name) >= 0 ? &q.fieldByName(name) : nullptr;
    };
    fb::Field* fKishu1 = closingLayout ? optional("KISHU1") : nullptr;
    fb::Field* fKishu0 = closingLayout ? optional("KISHU0") : nullptr;

    int o = FirstAccountRow - 1;
    while (!q.eof()) {
        const std::string kcode = fKcode.asString();
        if (fG1.asString() == "9900") {
            // The record and the sub-account records that follow it.
            do
                q.next();
            while (!q.eof() && fKcode.asString() == kcode && layout == 0);
            continue;
        }
        ++o;
        if (o > lastRow)
            throw ETrialBalanceError("ReadBalanceRows",
                "the statement returns more accounts than the rows " + std::to_string(FirstAccountRow) + ".."
                    + std::to_string(lastRow) + " hold (account " + kcode + ")");
        TBALANCE& r = row(o);
        r.Kamoku.GROUPM1 = fG1.asString();
        r.Kamoku.GROUPM2 = fG2.asString();
        cols.readAccount(r.Kamoku, kcode);
        const int c = cols.readCountOrRecordNumbers(r);
        if (layout != 0) {
            for (std::size_t t = 0; t < 3; ++t)
                if (!AccInf.TegataKCode[t].empty() && kcode == AccInf.TegataKCode[t])
                    tegataRows[t] = o;
        }
        addCurrentYear(r, cols.opening, cols.kar, cols.kas, r.Kamoku.TAISHAKU);

        if (closingLayout) {
            if (scope == 30 && fKishu1) {
                const Currency x = fKishu1->asCurrency();
                for (int i = -15; i <= 0; ++i) {
                    fb::Field* z = optional("ZANM" + twoDigits(-i));
                    const Currency v = z ? z->asCurrency() : 0;
                    r.Net[i] = v;
                    r.Balance[i] = (i == -15 ? x : r.Balance[i - 1]) + v;
                }
            }
            if (AccInf.KAISINO > 1 && fKishu0) {
                const int n = StartMonthPeriods(AccInf.KAISINO);
                r.KISHU0 = fKishu0->asCurrency();
                for (int i = 1; i <= n; ++i) {
                    fb::Field* z = optional("ZANP" + twoDigits(i));
                    const Currency v = z ? z->asCurrency() : 0;
                    r.Net[i] = v;
                    r.Balance[i] = (i == 1 ? r.KISHU0 : r.Balance[i - 1]) + v;
                }
            }
        }

        TQSORT& s = sorts[std::size_t(o)];
        s.Index = o;
        if (layout == 4) {
            if (AccInf.DATATYPE == 2)
                r.Kamoku.GROUPM1 = movedGroupM1(r.Kamoku.GROUPM1, r.MSTREC);
            s.Key = r.Kamoku.GROUPM1 + twoDigits(r.SUBREC);
        } else if (layout == 1 || layout == 2) {
            s.Key = r.Kamoku.GROUPM2 + twoDigits(r.SUBREC);
        } else {
            const std::string user = FixLeftStr(r.Kamoku.USERCODE, 4);
            s.Key = (r.Kamoku.GROUPM1 == "5300" ? std::string("5881") : r.Kamoku.GROUPM2) + user;
        }
        q.next();

        if (layout == 0 && c >= 1 && fHcode && fHname)
            balanceread::readSubAccounts(q, r, c, fKcode, *fHcode, *fHname,
                [&](THOJOUTIWAKE& h) { addCurrentYear(h, cols.opening, cols.kar, cols.kas, r.Kamoku.TAISHAKU); });
    }
    q.close();

    if ((closingLayout || comparisonLoad) && AccInf.DATATYPE == 1 && SysDef.TegataSousai == 1) {
        for (std::size_t t = 0; t < 3; ++t)
            if (tegataRows[t] == 0 && !AccInf.TegataKCode[t].empty())
                tegataRows[t] = FindSpecialAccountRow(AccInf.TegataKCode[t], o);
        if (tegataRows[1] != 0 && tegataRows[1] == tegataRows[2])
            tegataRows[2] = 0;
        if (tegataRows[0] != 0) {
            if (tegataRows[1] != 0)
                MoveNotesRow(tegataRows[0], tegataRows[1], 48);
            if (tegataRows[2] != 0)
                MoveNotesRow(tegataRows[0], tegataRows[2], 49);
        }
    }
    return o;
}

int TLoadContext::FindSpecialAccountRow(const std::string& code, int lastLoaded)
{
    if (comparison) {
        for (int i = FirstAccountRow; i <= lastLoaded; ++i)
            if (row(i).Kamoku.KCODE == code)
                return i;
        return 0;
    }
    runSelect("SELECT EXT1_KS FROM KAMOKUMST WHERE KCODE=:TOKUTEI AND USE>0 ");
    q.paramByName("TOKUTEI").setString(code);
    q.open();
    const bool found = !q.eof();
    const int ks = found ? q.fieldByName("EXT1_KS").asInteger() : 0;
    q.close();
    if (!found)
        return 0;
    for (int i = FirstAccountRow; i <= lastLoaded; ++i)
        if (row(i).MSTREC == ks)
            return i;
    return 0;
}

void TLoadContext::MoveNotesRow(int receivable, int notes, int target)
{
    TBALANCE& rc = row(receivable);
    TBALANCE& nt = row(notes);
    TBALANCE& tg = row(target);
    tg.Kamoku.GROUPM1 = nt.Kamoku.GROUPM1;
    tg.Kamoku.GROUPM2 = nt.Kamoku.GROUPM2;
    tg.Kamoku.USERCODE = nt.Kamoku.USERCODE;
    tg.Kamoku.KCODE = nt.Kamoku.KCODE;
    tg.Kamoku.KNAME = nt.Kamoku.KNAME;
    tg.Kamoku.BSPL = nt.Kamoku.BSPL;
    tg.Kamoku.TAISHAKU = nt.Kamoku.TAISHAKU;
    // Added, not copied: a department group loads its departments one by
    // one into the same rows, and each department's notes belong in the
    // line (a single load starts from an empty line, so it is the same).
    AddAmount(tg.KAISIZAN, nt.KAISIZAN);
    const int s = nt.Kamoku.TAISHAKU == 3 ? -1 : 1;
    AddAmount(rc.KAISIZAN, s, nt.KAISIZAN);
    for (int i = -15; i <= 16; ++i) {
        AddAmount(tg.Debit[i], nt.Debit[i]);
        AddAmount(tg.Credit[i], nt.Credit[i]);
        AddAmount(tg.Net[i], nt.Net[i]);
        AddAmount(tg.Balance[i], nt.Balance[i]);
        AddAmount(rc.Net[i], s, nt.Net[i]);
        AddAmount(rc.Balance[i], s, nt.Balance[i]);
        nt.Debit[i] = nt.Credit[i] = nt.Net[i] = nt.Balance[i] = 0;
    }
    nt.KAISIZAN = 0;
}

void TLoadContext::closingLines()
{
    auto key = [this](int r, const char* k) { sorts[std::size_t(r)].Key = k; };
    if (scope == 10 || scope == 30) {
        key(5, "110/");
        key(9, "140-");
        key(6, "140/");
        key(7, "160/");
        key(8, "170/");
        key(10, "180/");
        key(12, "210/");
        key(13, "220/");
        key(14, "230/");
        key(23, "310/");
        key(19, "320/");
        key(18, "322/");
        row(18).Kamoku.KNAME = enclose("その他", row(19).Kamoku.KNAME, "");
        key(22, "330/");
        key(21, "332/");
        row(21).Kamoku.KNAME = enclose("その他", row(22).Kamoku.KNAME, "");
        key(24, "350/");
        key(25, "360/");
        key(28, "410/");
        key(30, "510/");
        key(37, "610/");
        key(39, "710/");
        key(40, "720/");
        key(42, "810/");
        key(43, "820/");
        const auto& w = AccInf.GENKA_HWORD;
        row(31).Kamoku.KNAME = enclose("【", w[2], "】");
        key(31, "551/");
        row(32).Kamoku.KNAME = enclose("【", w[3], "】");
        key(32, "560/");
        row(46).Kamoku.KNAME = enclose("【", AccInf.GENKA_HWORD6, "】");
        key(46, "565/");
        row(33).Kamoku.KNAME = enclose("【", w[4], "】");
        key(33, "570/");
        for (auto [r, g] : {std::pair {18, "3270"}, std::pair {21, "3330"}, std::pair {25, "3680"}}) {
            row(r).Kamoku.GROUPM1 = g;
            row(r).Kamoku.GROUPM2 = g;
            row(r).Kamoku.BSPL.assign(1, 'B');
        }
    } else if (scope == 20) {
        row(31).Kamoku.KNAME = AccInf.PlusName5580;
        row(32).Kamoku.KNAME = AccInf.PlusName5680;
        row(46).Kamoku.KNAME = AccInf.PlusName5688;
        row(33).Kamoku.KNAME = AccInf.PlusName5780;
        key(25, "3680");
        row(25).Kamoku.GROUPM1 = "3680";
        row(25).Kamoku.GROUPM2 = "3680";
        row(25).Kamoku.BSPL.assign(1, 'B');
    }
}

void TLoadContext::blankDuplicateNames(const char* table, const char* column, const char* countText)
{
    const std::string t = table, c = column, n = countText;
    runSelect("UPDATE \"" + t + "\" SET KNAME1='' ");
    q.sql().add("WHERE REC IN ( SELECT " + c + " FROM \"KAMOKUMST\" WHERE USE=1 AND " + c + " IN ( SELECT " + c
        + " FROM \"KAMOKUMST\" GROUP BY " + c + " HAVING  " + n + " > 1 )  GROUP BY " + c + "  HAVING  "
        + "COUNT( * ) = 1) AND");
    q.sql().add("KNAME1 IN (SELECT KNAME FROM \"KAMOKUMST\" WHERE USE=1 AND " + c + " IN ( SELECT " + c
        + " FROM \"KAMOKUMST\" GROUP BY " + c + " HAVING  COUNT( * )>1 ))");
    q.execSQL();
    runSelect("UPDATE \"" + t + "\" SET KNAME1='' ");
    q.sql().add("WHERE ( REC  IN (SELECT " + c + " FROM \"KAMOKUMST\" WHERE USE=1 AND " + c + " IN (SELECT " + c
        + " FROM \"KAMOKUMST\" GROUP BY " + c + " HAVING  COUNT( * ) = 1 )) )");
    q.sql().add(" AND (KNAME1 IN (SELECT KNAME   FROM \"KAMOKUMST\" WHERE USE=1 AND " + c + " IN (SELECT " + c
        + " FROM \"KAMOKUMST\" GROUP BY " + c + " HAVING  COUNT( * ) = 1 )) )");
    q.execSQL();
}

} // namespace zancmp1

int StartMonthPeriods(int startMonth)
{
    static const int table[13] = {0, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};
    return (startMonth >= 1 && startMonth <= 12) ? table[startMonth] : 0;
}

int zancmp1::TLoadContext::loadCurrentYear(
    const std::string& branchCode, const std::string& departmentCode, int taxMode, int allocation, int priorTax)
{
    InitBalanceArray(rows, lastRow, sorts, int(sorts.size()) - 1);
    LoadTotalNames(scope == 3 || scope == 4);

    int last = FirstAccountRow - 1;
    auto bindCommon = [&] {
        balanceread::bindNamed(q,
            {
                {"TAX", taxMode},
                {"SCODE", branchCode},
                {"SITENGROUP", branchCode},
                {"BCODE", departmentCode},
                {"HAIBUN", allocation},
                {"ZENTAX", priorTax >= 1 ? 1 : -1},
            });
    };
    auto run = [&](const std::string& sql, bool closingLayout, bool comparisonLoad,
                   const std::string* department = nullptr) {
        runSelect(sql);
        bindCommon();
        if (department)
            q.paramByName("BCODE").setString(*department);
        q.open();
        last = std::max(last, ReadBalanceRows(closingLayout, comparisonLoad));
    };
    const bool blankDepartment = isBlank(departmentCode);

    if (layout == 0) {
        sorts[29].Key = HiddenSortKey;
        sorts[30].Key = "5882";
        if (AccInf.GENKA_USE == 0)
            sorts[35].Key = HiddenSortKey;
        const bool cmp = loadFlag == 3;
        switch (scope) {
        case 0:
            if (blankDepartment)
                run("SELECT * From SP_SISANHYO( :TAX, '' ,'' ) ", false, cmp);
            else
                run("SELECT * FROM SP_SISANHYO_BUMONGOKEI( :TAX, :BCODE ) ", false, false);
            break;
        case 1:
            run("SELECT * From SP_SISANHYO( :TAX, '' , :SITENGROUP ) ", false, cmp);
            break;
        case 2:
            run("SELECT * From SP_SISANHYO( :TAX, :SCODE ,''  ) ", false, cmp);
            break;
        case 3:
            run("SELECT * From SP_SISANHYO_BUMON(  :TAX, :HAIBUN,  :SCODE, :BCODE ) ", false, cmp);
            break;
        case 4:
            for (const std::string& d : LoadGroupBumon(departmentCode))
                run("SELECT * FROM SP_SISANHYO_BUMON( :TAX, :HAIBUN,  :SCODE, :BCODE) ", false, cmp, &d);
            break;
        default:
            break;
        }
    } else if (layout == 1 || layout == 2) {
        const bool a4 = layout == 1;
        if (a4)
            blankDuplicateNames("EXTERA4", "EXT1_A4", "COUNT( * )");
        else
            blankDuplicateNames("EXTERA3", "EXT1_A3", "COUNT(*)");
        const std::string sfx = a4 ? "A4" : "A3";
        switch (scope) {
        case 0:
            if (blankDepartment)
                run("SELECT * From SP_SISANHYO_" + sfx + "( :TAX, '' , '' ) ", false, false);
            else
                run("SELECT * From SP_Sisanhyo_BumonGokei_" + sfx + "( :TAX, :BCODE ) ", false, false);
            break;
        case 1:
            run("SELECT * From SP_SISANHYO_" + sfx + "( :TAX, '' ,:SITENGROUP ) ", false, false);
            break;
        case 2:
            run("SELECT * From SP_SISANHYO_" + sfx + "( :TAX, :SCODE , '' ) ", false, false);
            break;
        case 3:
            run("SELECT * From SP_SISANHYO_BUMON_" + sfx + "( :TAX, :HAIBUN, :SCODE, :BCODE ) ", false, false);
            break;
        case 4:
            for (const std::string& d : LoadGroupBumon(departmentCode))
                run("SELECT * From SP_SISANHYO_BUMON_" + sfx + "( :TAX, :HAIBUN,  :SCODE, :BCODE) ", false, false, &d);
            break;
        default:
            break;
        }
    } else if (layout == 4) {
        run("SELECT * FROM SP_SISANHYO_KESSAN( :TAX , :ZENTAX ) ", true, false);
        closingLines();
    }
    return last;
}

namespace {

// Reports a failure of a load to the user and hands it to the caller.
[[noreturn]] void reportLoadFailure(const char* operation)
{
    try {
        throw;
    } catch (const platform::firebird::EIBError& e) {
        core::IBErrorReport(e, "試算表読込");
        throw ETrialBalanceError(operation, e.what());
    } catch (const ETrialBalanceError& e) {
        CommaTextMessage(std::string("試算表読込,") + e.what(), msgkind::Error);
        throw;
    } catch (const std::exception& e) {
        // Any other failure (a sum beyond the amount range) is a failed load
        // too, shown and raised as the engine's error.
        CommaTextMessage(std::string("試算表読込,") + e.what(), msgkind::Error);
        throw ETrialBalanceError(operation, e.what());
    }
}

} // namespace

void zancmp1::runInTransaction(const char* operation, const std::function<void(fb::Query&)>& body, bool snapshot)
{
    if (core::DM == nullptr)
        throw ETrialBalanceError(operation, "no company database is connected");
    fb::Transaction& t = snapshot ? core::DM->IBTransactionDATSS : core::DM->IBTransactionDAT;
    // A load reads in a fresh transaction of its own; its failure is
    // reported by the loaders' own report below.
    try {
        core::RunDbOperation(t, core::DbPolicy(operation).with(core::DbStart::Always).with(core::DbReport::Raise), [&] {
            auto q = core::CreateAccQuery("ACCDAT", snapshot);
            if (!q)
                throw ETrialBalanceError(operation, "no company database is connected");
            body(*q);
        });
    } catch (...) {
        reportLoadFailure(operation);
    }
}

void LoadSisanhyouGeneral(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort,
    const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout, int loadFlag,
    int allocation, int priorTax)
{
    zancmp1::runInTransaction("LoadSisanhyouGeneral", [&](fb::Query& q) {
        zancmp1::TLoadContext ctx(rows, lastRow, sorts, q);
        ctx.scope = scope;
        ctx.layout = layout;
        ctx.loadFlag = loadFlag;
        const int last = ctx.loadCurrentYear(branchCode, departmentCode, taxMode, allocation, priorTax);
        QuickSortRec(sorts, 0, std::min(last, lastSort));
    });
}
