// Current-year loading of the medical trial balance: the total lines of the
// chosen business division, the visibility of the division rows, the
// statement chosen by layout and scope, and the result rows read into
// account rows with their sub-accounts and sort keys.

#include "accounting/uAccMbZanCmp.h"
#include "core/DbOperation.h"
#include "accounting/uAccMbZanCmpInternal.h"
#include "accounting/uAccZanCmp1Internal.h"

#include "core/AccReg.h"
#include "core/DataModule.h"
#include "core/TextRoutines.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace fb = platform::firebird;

namespace mbzancmp {

void replaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

namespace {

// Net and balance of periods 1..16 from the opening and the movements.
template <class Entry> void deriveNetBalance(Entry& e, int taishaku)
{
    e.Net[0] = e.KAISIZAN;
    e.Balance[0] = e.KAISIZAN;
    const bool debit = debitNature(taishaku);
    for (int p = 1; p <= 16; ++p) {
        e.Net[p] = debit ? e.Debit[p] - e.Credit[p] : e.Credit[p] - e.Debit[p];
        e.Balance[p] = e.Balance[p - 1] + e.Net[p];
    }
}

// Runs body on a statement of the company database in its snapshot
// transaction, starting and committing that transaction only when it was
// not already running (inside a load it is).
template <class Body> auto inSnapshot(Body body)
{
    auto q = core::CreateAccQuery("ACCDAT", true);
    if (!q)
        throw ETrialBalanceError("MbLoadSisanhyou", "no company database is connected");
    fb::Transaction* t = q->transaction();
    if (t == nullptr)
        throw ETrialBalanceError("MbLoadSisanhyou", "no company database is connected");
    decltype(body(*q)) result {};
    core::RunDbOperation(*t, core::DbPolicy("MbLoadSisanhyou").with(core::DbReport::Raise), [&](core::TDbScope& op) {
        op.closeOnFailure(*q);
        result = body(*q);
        q->close();
    });
    return result;
}

int countFacilities(int division, const std::string& groupCode)
{
    return inSnapshot([&](fb::Query& q) {
        if (groupCode.empty()) {
            q.sql().add("SELECT COUNT(*) FROM SISETUMST WHERE MB_JIGYOU=:JIGYOU");
        } else {
            q.sql().add("SELECT COUNT(*) FROM SISETUMST WHERE MB_JIGYOU=:JIGYOU AND (SCODE IN ( SELECT G.SCODE FROM "
                        "SISETUGROUPLIST G WHERE G.GCODE=:GCODE )) ");
            q.paramByName("GCODE").setString(groupCode);
        }
        q.paramByName("JIGYOU").setInteger(division);
        q.open();
        return q.eof() ? 0 : q.field(0).asInteger();
    });
}

// The statement of the current year by layout and scope; empty for the
// combinations that read nothing.
std::string currentYearStatement(int layout, int scope, bool department)
{
    switch (layout) {
    case 0:
        switch (scope) {
        case 0:
            return department ? "SELECT * FROM SP_SISANHYO_BUMONGOKEI( :TAX, :BCODE, 0 ) "
                              : "SELECT * From SP_SISANHYO( '' ,:TAX,0 ) ";
        case 1:
            return department ? "SELECT * FROM SP_SISANHYO_BUMONGOKEI( :TAX, :BCODE, :JIGYOU ) "
                              : "SELECT * From SP_SISANHYO( '' ,:TAX ,:JIGYOU ) ";
        case 2:
            return "SELECT * From SP_SISANHYO_SISETU( :SCODE, :TAX ) ";
        case 3:
        case 4:
            return "SELECT * From SP_SISANHYO_BUMON( :SCODE, :BCODE ,:TAX, :HAIBUN ) ";
        case 5:
            return "SELECT * FROM SP_SISANHYO_GROUP( :GCODE ,:TAX) ";
        default:
            return {};
        }
    case 1:
    case 2: {
        const bool a4 = layout == 1;
        switch (scope) {
        case 1:
            if (department)
                return a4 ? "SELECT * FROM SP_SISANHYO_JIGYOBETUBUMON_A4( :TAX, :BCODE, :JIGYOU ) "
                          : "SELECT * FROM SP_SISANHYO_JIGYOBETUBUMON_A3( :TAX, :BCODE, :JIGYOU )";
            return a4 ? "SELECT * From SP_SISANHYO_A4( '' , :TAX, :JIGYOU ) "
                      : "SELECT * From SP_SISANHYO_A3( '' ,:TAX,:JIGYOU  ) ";
        case 2:
            return a4 ? "SELECT * From SP_SISANHYO_A4( :SCODE, :TAX ,0 ) "
                      : "SELECT * From SP_SISANHYO_A3( :SCODE, :TAX, 0 ) ";
        case 3:
        case 4:
            return a4 ? "SELECT * From SP_SISANHYO_BUMON_A4( :SCODE, :BCODE ,:TAX, :HAIBUN ) "
                      : "SELECT * From SP_SISANHYO_BUMON_A3( :SCODE, :BCODE ,:TAX, :HAIBUN ) ";
        default:
            return {};
        }
    }
    case 3:
        switch (scope) {
        case 0:
            return department ? "SELECT * FROM SP_SISANHYO_BUMONGOKEI_KS( :TAX ,:BCODE )"
                              : "SELECT * FROM SP_SISETUHIKAKU_SISANHYO( '','' ,:TAX , 0, 0)";
        case 1:
            return "SELECT * FROM SP_SISETUHIKAKU_SISANHYO( '','' ,:TAX ,:JIGYOU, 0) ";
        case 2:
            return "SELECT * FROM SP_SISETUHIKAKU_SISANHYO( :SCODE, '', :TAX ,0, 0) ";
        case 5:
            return "SELECT * FROM SP_SISETUHIKAKU_SISANHYO( '', :GCODE ,:TAX ,0, 0) ";
        default:
            return {};
        }
    case 4:
        switch (scope) {
        case 0:
            return "SELECT * FROM SP_SISETUHIKAKU_SISANHYO( '','',:TAX ,0 ,0 )";
        case 1:
            return "SELECT * FROM SP_SISETUHIKAKU_SISANHYO( '', :SCODE,:TAX ,:JIGYOU , 1 ) ";
        case 2:
            return "SELECT * FROM SP_SISETUHIKAKU_SISANHYO( :SCODE,'' ,:TAX ,0, 1) ";
        case 5:
            return "SELECT * FROM SP_SISETUHIKAKU_SISANHYO( '', :SCODE ,:TAX ,0, 1) ";
        default:
            return {};
        }
    default:
        return {};
    }
}

// The capital account's name by the corporation's kind, asked once per read.
class TCapitalName {
public:
    const std::string& name()
    {
        if (!known_) {
            known_ = true;
            if (!core::IsZaidanSyakaiTokutei())
                name_ = core::IsKikinAri() ? "基金" : "出資金";
        }
        return name_;
    }

private:
    bool known_ = false;
    std::string name_; // empty: the name stays
};

} // namespace

TMbLoad::TMbLoad(TBalanceArray& r, int lr, TQSortArray& s, fb::Query& query)
    : rows(r)
    , lastRow(lr)
    , sorts(s)
    , q(query)
{
}

void TMbLoad::setArguments(const std::string& branch, const std::string& department, int tax, int scopeValue,
    int layoutValue, int statementKind, int allocationValue, int division)
{
    branchCode = branch;
    departmentCode = department;
    taxMode = tax;
    scope = scopeValue;
    layout = layoutValue;
    loadFlag = statementKind;
    allocation = allocationValue;
    extra = division;
}

void TMbLoad::setSql(const std::string& sql)
{
    balanceread::setStatement(q, sql);
}

void TMbLoad::bind(const std::string& department)
{
    balanceread::bindNamed(q,
        {
            {"TAX", taxMode},
            {"SCODE", branchCode},
            {"GCODE", branchCode},
            {"BCODE", department},
            {"JIGYOU", extra},
            {"HAIBUN", allocation},
        });
}

void TMbLoad::initTotalRows(bool departmentFlag, int k, int d)
{
    const int bit = (d == 1 || d == 2 || d == 4 || d == 8) ? d : 16;
    setSql("SELECT * FROM ACCTOTALNAME WHERE " + std::to_string(bit) + "=BIN_AND( MB_JIGYOU,"
        + (bit == 16 ? std::string("16") : " " + std::to_string(bit)) + " ) ORDER BY KGROUP ");
    q.open();
    fb::Field& fNum = q.fieldByName("ARRAYNUM");
    fb::Field& fGroup = q.fieldByName("KGROUP");
    fb::Field& fPlus = q.fieldByName("PLUSNAME");
    fb::Field& fKubun = q.fieldByName("KESKUBUN");
    const bool wholeCorporation = d == 0 || d == 255;
    for (; !q.eof(); q.next()) {
        const int r = fNum.asInteger();
        // A line outside the band would overwrite an account row.
        if (r < 0 || r >= MbFirstAccountRow || r > lastRow)
            continue;
        TKMKREC& k1 = row(r).Kamoku;
        const std::string code = fGroup.asString();
        k1.GROUPM1 = k1.GROUPM2 = k1.GROUPM3 = k1.GROUPM4 = code;
        k1.KCODE.clear();
        k1.KNAME = fPlus.asString();
        const int kubun = fKubun.asInteger();
        if (kubun == 0 || kubun == k) {
            k1.BSPL = code < "4000" ? "B" : "P";
            sorts[std::size_t(r)].Key = code;
            sorts[std::size_t(r)].Index = r;
            if (wholeCorporation && code != "4180") {
                replaceAll(k1.KNAME, "医業", "事業");
                replaceAll(k1.KNAME, "臨時", "特別");
                if (code == "4480")
                    k1.KNAME = "その他事業収益合計";
            }
        }
        if (code == "3180")
            k1.KNAME = core::IsZaidanSyakaiTokutei() ? "出資金合計" : core::IsKikinAri() ? "基金合計" : "出資金合計";
        else if (code == "3800")
            k1.KNAME = "純資産の部合計";
        else if (code == "3900")
            k1.KNAME = "負債純資産の部合計";
    }
    q.close();

    if (k == 2)
        sorts[1].Key = HiddenSortKey;
    // Fixed upper bounds of the lines the formulas compute.
    row(18).Kamoku.GROUPM1 = row(18).Kamoku.GROUPM3 = "3460";
    row(32).Kamoku.GROUPM1 = row(32).Kamoku.GROUPM3 = "4800";
    row(39).Kamoku.GROUPM1 = "6780";
    if (departmentFlag) {
        for (int r = 46; r <= 53; ++r) {
            sorts[std::size_t(r)].Key = HiddenSortKey;
            row(r).Kamoku.GROUPM1.clear();
            row(r).Kamoku.GROUPM2.clear();
            row(r).Kamoku.KNAME.clear();
        }
    }
}

void TMbLoad::divisionVisibility()
{
    const std::string group = scope == 5 ? branchCode : std::string();
    for (const auto& [r, division] : {std::pair {26, 8}, std::pair {28, 4}, std::pair {30, 2}, std::pair {31, 1}}) {
        TQSORT& s = sorts[std::size_t(r)];
        s.Key = scope == 5 ? MbGroupDivisionRowKey(s.Key, division, group) : MbDivisionRowKey(s.Key, division);
    }
    sorts[32].Key = MbCombinedRowKey(sorts[32].Key, sorts);
}

int TMbLoad::readBalanceRows()
{
    const bool comparisonLayout = layout == 3 || layout == 4;
    const char* class1 = nullptr;
    const char* class2 = nullptr;
    if (comparisonLayout) {
        class1 = class2 = "GROUPM3";
    } else {
        switch (extra) {
        case 1:
        case 8:
        case 0:
        case 16:
        case 255:
            class1 = "GROUPM1";
            class2 = "GROUPM2";
            break;
        case 2:
        case 4:
            class1 = "GROUPR1";
            class2 = "GROUPR2";
            break;
        default:
            break; // no classification
        }
    }
    fb::Field* fClass1 = class1 ? &q.fieldByName(class1) : nullptr;
    fb::Field* fClass2 = class2 ? &q.fieldByName(class2) : nullptr;
    const balanceread::TAccountColumns cols(q, layout == 0);
    fb::Field* fHcode = layout == 0 ? &q.fieldByName("HCODE") : nullptr;
    fb::Field* fHname = layout == 0 ? &q.fieldByName("HNAME") : nullptr;
    // Adds the current record's opening and movements to an entry.
    auto addRecord = [&](auto& e, int taishaku) {
        AddAmount(e.KAISIZAN, cols.opening.asCurrency());
        e.CompareOpening = e.KAISIZAN;
        e.YearOpenings[0] = e.KAISIZAN;
        for (int p = 1; p <= 16; ++p) {
            AddAmount(e.Debit[p], cols.kar[std::size_t(p)]->asCurrency());
            AddAmount(e.Credit[p], cols.kas[std::size_t(p)]->asCurrency());
        }
        deriveNetBalance(e, taishaku);
    };

    TCapitalName capital;
    int i = MbFirstAccountRow - 1;
    while (!q.eof()) {
        ++i;
        if (i >= lastRow)
            throw ETrialBalanceError("MbReadBalanceRows",
                "the statement returns more accounts than the rows " + std::to_string(MbFirstAccountRow) + ".."
                    + std::to_string(lastRow - 1) + " hold (account " + cols.kcode.asString() + ")");
        TBALANCE& r = row(i);
        TKMKREC& k = r.Kamoku;
        if (fClass1) {
            k.GROUPM1 = k.GROUPM3 = fClass1->asString();
            k.GROUPM2 = k.GROUPM4 = fClass2->asString();
        }
        cols.readAccount(k, cols.kcode.asString());
        if (k.GROUPM1 == "3110" && k.KNAME == "資本金" && !capital.name().empty())
            k.KNAME = capital.name();
        const int c = cols.readCountOrRecordNumbers(r);
        addRecord(r, k.TAISHAKU);

        TQSORT& s = sorts[std::size_t(i)];
        s.Index = i;
        if (layout == 0)
            s.Key = k.GROUPM1 + FixRightStr(k.USERCODE, 4);
        else if (layout >= 1 && layout <= 4)
            s.Key = k.GROUPM2 + twoDigits(r.SUBREC);
        q.next();

        if (layout == 0 && c >= 1)
            balanceread::readSubAccounts(
                q, r, c, cols.kcode, *fHcode, *fHname, [&](THOJOUTIWAKE& h) { addRecord(h, k.TAISHAKU); });
    }
    q.close();
    return i;
}

void TMbLoad::loadCurrentYear()
{
    InitBalanceArray(rows, lastRow, sorts, int(sorts.size()) - 1);

    const bool department = !isBlank(departmentCode);
    const bool firstCases = layout == 3 || (layout == 0 && (scope == 0 || scope == 5));
    if (firstCases) {
        initTotalRows(layout == 0 && scope == 0 && department, 2, 0);
        divisionVisibility();
    } else if (layout == 4) {
        initTotalRows(false, 2, 0);
        divisionVisibility();
    } else {
        if (extra == 0)
            extra = GetSisetuJigyou(branchCode);
        initTotalRows(scope == 3 || scope == 4, loadFlag, extra);
    }

    int last = 0;
    const std::string sql = currentYearStatement(layout, scope, department);
    if (!sql.empty()) {
        auto run = [&](const std::string& d) {
            setSql(sql);
            bind(d);
            q.open();
            last = readBalanceRows();
        };
        if (scope == 4 && layout >= 0 && layout <= 2) {
            for (const std::string& d : GetGroupBumonList(branchCode, departmentCode))
                run(d);
        } else {
            run(departmentCode);
        }
    }
    if (layout == 4)
        for (int k = 0; k <= 16; ++k)
            MbCalcTotalLines(rows, lastRow, k, extra);
    if (last > 0)
        QuickSortRec(sorts, 1, std::min(last, lastRow));
}

} // namespace mbzancmp

std::vector<std::string> GetGroupBumonList(const std::string& facilityCode, const std::string& groupCode)
{
    return mbzancmp::inSnapshot([&](fb::Query& q) {
        // Codes are bound, not pasted: a quote in a code cannot change the statement.
        q.sql().add("SELECT BCODE FROM GROUPLIST WHERE GCODE=:GCODE AND ( BCODE IN (SELECT BCODE FROM SISETUBUM "
                    "WHERE SCODE=:SCODE)) ");
        q.paramByName("GCODE").setString(groupCode);
        q.paramByName("SCODE").setString(facilityCode);
        std::vector<std::string> codes;
        for (q.open(); !q.eof(); q.next())
            codes.push_back(q.fieldByName("BCODE").asString());
        return codes;
    });
}

int GetSisetuJigyou(const std::string& facilityCode)
{
    return mbzancmp::inSnapshot([&](fb::Query& q) {
        q.sql().add("SELECT MB_JIGYOU FROM SISETUMST WHERE SCODE=:SCODE ");
        q.paramByName("SCODE").setString(facilityCode);
        q.open();
        return q.eof() ? 0 : q.fieldByName("MB_JIGYOU").asInteger();
    });
}

std::string MbDivisionRowKey(const std::string& currentKey, int division)
{
    return mbzancmp::countFacilities(division, {}) > 0 ? currentKey : std::string(HiddenSortKey);
}

std::string MbGroupDivisionRowKey(const std::string& currentKey, int division, const std::string& groupCode)
{
    return mbzancmp::countFacilities(division, groupCode) > 0 ? currentKey : std::string(HiddenSortKey);
}

std::string MbCombinedRowKey(const std::string& currentKey, const TQSortArray& sorts)
{
    int shown = 0;
    for (int r : {26, 28, 30, 31})
        if (sorts[std::size_t(r)].Key != HiddenSortKey)
            ++shown;
    return shown >= 2 ? currentKey : std::string(HiddenSortKey);
}

void MbLoadSisanhyou(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int /*lastSort*/,
    const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout, int loadFlag,
    int allocation, int extra)
{
    zancmp1::runInTransaction(
        "MbLoadSisanhyou",
        [&](fb::Query& q) {
            mbzancmp::TMbLoad load(rows, lastRow, sorts, q);
            load.setArguments(branchCode, departmentCode, taxMode, scope, layout, loadFlag, allocation, extra);
            load.loadCurrentYear();
        },
        true);
}

void TMedicalTrialBalanceEngine::LoadSisanhyou(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort,
    const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout, int loadFlag,
    int allocation, int extra, int /*priorTax*/)
{
    MbLoadSisanhyou(rows, lastRow, sorts, lastSort, branchCode, departmentCode, taxMode, scope, layout, loadFlag,
        allocation, extra);
}

void TMedicalTrialBalanceEngine::LoadHikakuBalance(TBalanceArray& rows, int lastRow, TQSortArray& sorts, int lastSort,
    const std::string& branchCode, const std::string& departmentCode, int taxMode, int scope, int layout,
    int allocation, int extra, int /*mode*/, int kind, int more)
{
    MbLoadHikakuBalance(rows, lastRow, sorts, lastSort, branchCode, departmentCode, taxMode, scope, layout, allocation,
        extra, kind, more);
}

void TMedicalTrialBalanceEngine::CalcBalance(
    TBalanceArray& rows, int lastRow, int openingMode, int kind, int fromPeriod, int toPeriod, int extra)
{
    MbCalcBalance(rows, lastRow, openingMode, kind, fromPeriod, toPeriod, extra);
}

void InstallMedicalTrialBalanceEngine()
{
    SetTrialBalanceEngine(MedicalEngineKind, std::make_shared<TMedicalTrialBalanceEngine>());
}
