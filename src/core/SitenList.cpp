#include "core/SitenList.h"

#include "core/AppInfo.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/DataModuleOpSupport.h"
#include "core/MessageService.h"
#include "core/TextRoutines.h"
#include "core/uAccRecord.h"
#include "core/z5StringList2.h"
#include "platform/codec.h"
#include "platform/plain_text.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fb = platform::firebird;
using platform::text::joinLines;
using platform::text::splitLines;
using platform::text::toIntOr;

namespace {

std::unique_ptr<fb::Query> sysQuery()
{
    if (core::DM == nullptr)
        return nullptr;
    return std::make_unique<fb::Query>(&core::DM->IBDatabaseDEF, &core::DM->IBTransactionDEF);
}

} // namespace

// --- TCodeTaikeiIO ---------------------------------------------------------------

TCodeTaikeiIO::TCodeTaikeiIO()
    : query_(sysQuery())
{
    KubunSyufuku();
}

TCodeTaikeiIO::~TCodeTaikeiIO() = default;

bool TCodeTaikeiIO::CheckSeihinKubun(const std::string& seihinKubun, std::string& message) const
{
    message.clear();
    const std::string expected = AppInfo.Application.OEM + AppInfo.Application.VerTest;
    bool ok = false;
    if (DistKind == 0)
        ok = seihinKubun.empty() || seihinKubun == expected;
    else if (DistKind == 1 || DistKind == 2)
        ok = seihinKubun == expected;
    else
        return false;
    if (!ok)
        message = "このプログラムでは、該当のデータ（製品区分）を処理することが出来ません。" + AppInfo.Varov.AppTitle
            + "以外で作成されたデータの可能性があります。";
    return ok;
}

bool TCodeTaikeiIO::LoadFromFile(const std::string& fileName, std::int32_t recNo)
{
    Rec = TCodeTaikeiRec2 {};
    Rec.RecNo = recNo;
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        core::ErrorMessageEx("コード体系の更新に失敗しました。", "TCodeTaikeiIO.LoadFromFile\r" + fileName);
        return false;
    }
    std::ostringstream raw;
    raw << in.rdbuf();
    std::string text;
    try {
        text = platform::codec::fromSjis(raw.str());
    } catch (const std::exception& e) {
        core::ErrorMessageEx(
            "コード体系の更新に失敗しました。", std::string("TCodeTaikeiIO.LoadFromFile\r") + e.what());
        return false;
    }
    TMojiBunkatu split;
    for (const auto& line : splitLines(text)) {
        split.Bunkatu(line);
        const int kind = toIntOr(split.GetMoji(0), 0);
        int list = 0;
        if (kind == 1) {
            Rec.Name = split.GetMoji(1);
            Rec.DataKind = toIntOr(split.GetMoji(2), 0);
            Rec.CodeKind = toIntOr(split.GetMoji(3), 0);
            if (split.Count > 5)
                Rec.SeihinKubun = split.GetMoji(5);
            list = 1;
        } else if (kind >= 2 && kind <= 8) {
            list = kind;
        } else if (kind == 21 || kind == 22) {
            list = 2;
        } else if (kind >= 31 && kind <= 34) {
            list = 3;
        } else if (kind == 71) {
            list = 7;
        }
        if (list > 0)
            Rec.IniDat[list - 1].push_back(line);
    }
    std::string message;
    if (!CheckSeihinKubun(Rec.SeihinKubun, message)) {
        ShowMessageLines(msgkind::Information, {message});
        return false;
    }
    return UpDateRecored(Rec);
}

bool TCodeTaikeiIO::UpDateRecored(const TCodeTaikeiRec2& rec)
{
    if (rec.Name.empty() || rec.DataKind == 0 || rec.CodeKind == 0 || !query_)
        return false;
    auto& q = *query_;
    // Inside a caller's transaction the caller hears of it through false.
    return core::RunDbOperation(*q.transaction(),
        core::DbPolicy("TCodeTaikeiIO.UpDateRecored", "コード体系の更新に失敗しました。")
            .insideCallers(core::DbReport::Quiet),
        [&](core::TDbScope& op) {
            op.fresh(q);
            q.sql().add("UPDATE USERCODE SET NAME=:NAME,DATATYPE=:DATATYPE,CODETYPE=:CODETYPE,");
            q.sql().add("INIDAT1=:INIDAT1,INIDAT2=:INIDAT2,INIDAT3=:INIDAT3,INIDAT4=:INIDAT4,INIDAT5=:INIDAT5,"
                        "INIDAT6=:INIDAT6,INIDAT7=:INIDAT7,INIDAT8=:INIDAT8");
            q.sql().add("WHERE RECNO=:RECNO");
            q.paramByName("NAME").setString(rec.Name);
            q.paramByName("DATATYPE").setInteger(rec.DataKind);
            q.paramByName("CODETYPE").setInteger(rec.CodeKind);
            for (int i = 0; i < 8; ++i)
                q.paramByName("INIDAT" + std::to_string(i + 1)).setString(joinLines(rec.IniDat[i]));
            q.paramByName("RECNO").setInteger(rec.RecNo);
            q.execSQL();
            // An update that met no row stored nothing: never report it as stored.
            if (q.rowsAffected() < 1)
                throw std::runtime_error("USERCODE RECNO=" + std::to_string(rec.RecNo) + " がありません。");
        });
}

void TCodeTaikeiIO::KubunSyufuku()
{
    if (!query_ || !core::DM->IBDatabaseDEF.connected())
        return;
    auto& q = *query_;
    core::RunDbOperation(*q.transaction(),
        core::DbPolicy("TCodeTaikeiIO.KubunSyufuku", "コード体系の区分修復に失敗しました。")
            .insideCallers(core::DbReport::Quiet),
        [&](core::TDbScope& op) {
            op.closeOnFailure(q);
            struct Fix {
                int rec, dataKind, codeKind;
            };
            std::vector<Fix> fixes;
            q.close();
            q.sql().clear();
            q.sql().add("SELECT RECNO,INIDAT1 FROM USERCODE");
            q.sql().add("WHERE DATATYPE=1 AND CODETYPE=1");
            q.open();
            TMojiBunkatu split;
            while (!q.eof()) {
                std::string joined;
                for (const auto& l : splitLines(q.fieldByName("INIDAT1").asString()))
                    joined += l;
                split.Bunkatu(joined);
                const int dataKind = toIntOr(split.GetMoji(2), 0);
                const int codeKind = toIntOr(split.GetMoji(3), 0);
                if (dataKind != 1)
                    fixes.push_back({q.fieldByName("RECNO").asInteger(), dataKind, codeKind});
                q.next();
            }
            q.close();
            for (const auto& f : fixes) {
                q.sql().clear();
                q.sql().add("UPDATE USERCODE SET DATATYPE=:DATATYPE,CODETYPE=:CODETYPE");
                q.sql().add("WHERE RECNO=:RECNO");
                q.paramByName("DATATYPE").setInteger(f.dataKind);
                q.paramByName("CODETYPE").setInteger(f.codeKind);
                q.paramByName("RECNO").setInteger(f.rec);
                q.execSQL();
            }
        });
}

// --- TSitenList ---------------------------------------------------------------------

TSitenList::TSitenList()
{
    if (core::DM != nullptr)
        query_ = std::make_unique<fb::Query>(&core::DM->IBDatabaseDAT, &core::DM->IBTransactionDAT);
}

TSitenList::~TSitenList() = default;

void TSitenList::SetTransaction(fb::Transaction* transaction)
{
    if (query_)
        query_->setTransaction(transaction);
}

void TSitenList::Clear()
{
    Rows.clear();
    Items.clear();
    Count = 0;
    OpCode = 0;
}

std::string TSitenList::GetSCode(int index) const
{
    if (index < 0 || index >= static_cast<int>(Rows.size()))
        return {};
    return Rows[static_cast<std::size_t>(index)].Code;
}

void TSitenList::addRow(const TSitenListRec& row, const std::string& caption)
{
    Rows.push_back(row);
    auto clean = [](std::string s) {
        for (auto& c : s)
            if (c == '"')
                c = '\'';
        return s;
    };
    auto q3 = [&](const std::string& a, const std::string& b, const std::string& c) {
        return "\"" + clean(a) + "\"\t\"" + clean(b) + "\"\t\"" + clean(c) + "\"";
    };
    std::string item;
    if (row.Kind == 0)
        item = QuotedItems ? q3(caption, "", "") : caption;
    else if (row.Kind == 1 || row.Kind == 5)
        item = QuotedItems ? q3("(" + row.Code + ")", row.Code, row.Name) : "(" + row.Code + "):" + row.Name;
    else
        item = QuotedItems ? q3(row.Code, "", row.Name) : row.Code + ":" + row.Name;
    Items.push_back(item);
}

namespace {

const char* kPermitExpr
    = "CASE WHEN MIN(CASE WHEN S.SCODE IN (SELECT SCODE FROM OPLICENSE WHERE OPCODE=:OPCODE) THEN 1";

// The column PERMIT: 1 when the operator :OPCODE may use every branch S of
// the group.
void addPermitColumn(fb::Query& q)
{
    q.sql().add(kPermitExpr);
    q.sql().add("ELSE 0");
    q.sql().add("END)=1 THEN 1");
    q.sql().add("       ELSE 0 END AS PERMIT");
}

// Whether the operator may use every branch (and so the whole company).
bool mayUseEveryBranch(fb::Query& q, std::int32_t opCode)
{
    q.close();
    q.sql().clear();
    q.sql().add("SELECT");
    addPermitColumn(q);
    q.sql().add("FROM SISETUMST S");
    q.sql().add("WHERE S.SCODE <> ''");
    q.paramByName("OPCODE").setInteger(opCode);
    q.open();
    const bool permitted = !q.eof() && q.fieldByName("PERMIT").asInteger() == 1;
    q.close();
    return permitted;
}

// The branch groups (code, name) by code whose every branch the operator
// may use; every group for opCode -1.
std::vector<std::pair<std::string, std::string>> permittedGroups(fb::Query& q, std::int32_t opCode)
{
    const bool one = opCode != -1;
    q.close();
    q.sql().clear();
    if (!one) {
        q.sql().add("SELECT G.GCODE,G.GNAME, 1 AS PERMIT");
    } else {
        q.sql().add("SELECT G.GCODE,G.GNAME,");
        addPermitColumn(q);
    }
    q.sql().add("FROM SISETUGROUPLIST S");
    q.sql().add("INNER JOIN SISETUGROUP G ON (S.GCODE=G.GCODE)");
    q.sql().add("WHERE S.SCODE <> ''");
    q.sql().add("GROUP BY G.GCODE,G.GNAME");
    q.sql().add("ORDER BY G.GCODE");
    if (one)
        q.paramByName("OPCODE").setInteger(opCode);
    q.open();
    std::vector<std::pair<std::string, std::string>> groups;
    while (!q.eof()) {
        if (q.fieldByName("PERMIT").asInteger() == 1)
            groups.emplace_back(q.fieldByName("GCODE").asString(), q.fieldByName("GNAME").asString());
        q.next();
    }
    q.close();
    return groups;
}

std::string captionText()
{
    if (AccInf.SITEN != 0) {
        if (AccInf.DATATYPE == 2)
            return "総体";
        return "法人全体";
    }
    return AccInf.SHOUGOU;
}

// The branch rows of q, a query over SISETUMST S that is opened here; blank
// codes are skipped. The division is MB_JIGYOU for medical data, else 1.
std::vector<TSitenListRec> branchRecords(fb::Query& q, bool bumexOnly, bool medical)
{
    std::vector<TSitenListRec> rows;
    q.open();
    while (!q.eof()) {
        TSitenListRec r;
        r.Code = q.fieldByName("SCODE").asString();
        if (r.Code.find_first_not_of(' ') != std::string::npos) {
            r.Name = q.fieldByName("SNAME").asString();
            r.Kind = bumexOnly ? 3 : 2;
            r.Jigyou = medical ? q.fieldByName("MB_JIGYOU").asInteger() : 1;
            r.BumonKbn = bumexOnly ? 1 : q.fieldByName("BUMEX").asInteger();
            r.Color = core::GetXstrValue(q.fieldByName("XSTR").asString(), "COLOR").asInteger();
            rows.push_back(r);
        }
        q.next();
    }
    q.close();
    return rows;
}

} // namespace

void TSitenList::Execute(std::int32_t opCodeIn)
{
    Clear();
    if (!query_)
        throw std::logic_error("TSitenList.Execute: no data module");
    const std::int32_t opCode = core::IsAllDataKengen() ? -1 : opCodeIn;
    OpCode = opCode;
    auto& q = *query_;
    try {
        // A read: what it started is committed also after a failure, which
        // is shown (unless inside a caller's transaction) and raised.
        core::RunDbOperation(*q.transaction(),
            core::DbPolicy("TSitenList.Execute", "支店リストの取得に失敗しました。")
                .with(core::DbFailure::Commit)
                .with(core::DbReport::ErrorBoxAndRaise)
                .insideCallers(core::DbReport::Raise),
            [&](core::TDbScope& op) {
                op.closeOnFailure(q);
                if (AccInf.DataKind == 1)
                    executeMedical(q, opCode);
                else
                    executeGeneral(q, opCode);
            });
        Count = static_cast<int>(Items.size());
    } catch (const std::exception&) {
        Count = static_cast<int>(Items.size());
        throw;
    }
}

void TSitenList::executeGeneral(fb::Query& q, std::int32_t opCode)
{
    const std::string caption = captionText();
    const bool branches = AccInf.SITEN != 0;
    const bool one = opCode != -1;
    if (Selection & sitensel::Caption) {
        bool add = true;
        if (one && branches) {
            add = mayUseEveryBranch(q, opCode);
        }
        if (add)
            addRow(TSitenListRec {" ", caption, 0, 1, 0, 0, {}, {}}, caption);
    }
    if ((Selection & sitensel::Groups) && branches) {
        for (const auto& [code, name] : permittedGroups(q, opCode))
            addRow(TSitenListRec {code, name, 1, 1, 0, 0, {}, {}}, caption);
    }
    auto branchRows = [&](bool bumexOnly) {
        if (!branches) {
            if (!(Selection & sitensel::Caption))
                addRow(TSitenListRec {" ", caption, 0, 1, bumexOnly ? 1 : AccInf.BUMON, 0, {}, {}}, caption);
            return;
        }
        q.close();
        q.sql().clear();
        q.sql().add(bumexOnly ? "SELECT S.SCODE,S.SNAME,S.XSTR FROM SISETUMST S"
                              : "SELECT S.SCODE,S.SNAME,S.BUMEX,S.XSTR FROM SISETUMST S");
        if (one) {
            q.sql().add("INNER JOIN OPLICENSE O ON (O.SCODE=S.SCODE)");
            q.sql().add(bumexOnly ? "WHERE (S.SCODE<>'') AND (O.OPCODE=:OPCODE) AND (S.BUMEX=1)"
                                  : "WHERE (S.SCODE<>'') AND (O.OPCODE=:OPCODE)");
        } else {
            q.sql().add(bumexOnly ? "WHERE (S.SCODE<>'') AND (S.BUMEX=1)" : "WHERE (S.SCODE<>'')");
        }
        q.sql().add("ORDER BY S.SCODE");
        if (one)
            q.paramByName("OPCODE").setInteger(opCode);
        for (const auto& r : branchRecords(q, bumexOnly, false))
            addRow(r, caption);
    };
    if (Selection & sitensel::Branches)
        branchRows(false);
    if (Selection & sitensel::BumonBranches)
        branchRows(true);
}

void TSitenList::executeMedical(fb::Query& q, std::int32_t opCode)
{
    const std::string caption = captionText();
    const bool branches = AccInf.SITEN != 0;
    const bool one = opCode != -1;
    const std::string filter = JigyouFilter > 0 ? " AND (S.MB_JIGYOU=" + std::to_string(JigyouFilter) + ")" : "";
    if (Selection & sitensel::Caption) {
        bool add = true;
        if (one && branches) {
            add = mayUseEveryBranch(q, opCode);
        }
        if (add)
            addRow(TSitenListRec {" ", caption, 0, 16, 0, 0, {}, {}}, caption);
    }
    if ((Selection & sitensel::Groups) && branches) {
        auto counts = [&](bool forOperator) {
            std::vector<std::pair<int, int>> out;
            q.close();
            q.sql().clear();
            q.sql().add("SELECT S.MB_JIGYOU,COUNT(S.SCODE) AS RECCNT FROM SISETUMST S");
            if (forOperator)
                q.sql().add("INNER JOIN OPLICENSE O ON (O.SCODE=S.SCODE)");
            q.sql().add("WHERE (S.SCODE NOT IN ('','00'))" + filter
                + (forOperator ? std::string(" AND (O.OPCODE=:OPCODE)") : std::string()));
            q.sql().add("GROUP BY S.MB_JIGYOU");
            q.sql().add("ORDER BY S.MB_JIGYOU DESC");
            if (forOperator)
                q.paramByName("OPCODE").setInteger(opCode);
            q.open();
            while (!q.eof()) {
                out.emplace_back(q.fieldByName("MB_JIGYOU").asInteger(), q.fieldByName("RECCNT").asInteger());
                q.next();
            }
            q.close();
            return out;
        };
        const auto all = counts(false);
        const auto mine = one ? counts(true) : all;
        static const std::pair<int, const char*> kDivisions[]
            = {{8, "病院・診療所"}, {4, "老人保健施設"}, {2, "指定訪問看護"}, {1, "その他の事業"}};
        for (const auto& [division, name] : kDivisions) {
            int total = 0, own = 0;
            for (const auto& [d, n] : all)
                if (d == division)
                    total = n;
            for (const auto& [d, n] : mine)
                if (d == division)
                    own = n;
            if (total > 0 && own == total)
                addRow(TSitenListRec {" ", name, 1, division, 0, 0, {}, {}}, caption);
        }
        for (const auto& [code, name] : permittedGroups(q, opCode))
            addRow(TSitenListRec {code, name, 5, 0, 0, 0, {}, {}}, caption);
    }
    auto branchRows = [&](bool bumexOnly) {
        if (!branches) {
            if (!(Selection & sitensel::Caption))
                addRow(TSitenListRec {" ", caption, 0, 16, bumexOnly ? 1 : AccInf.BUMON, 0, {}, {}}, caption);
            return;
        }
        q.close();
        q.sql().clear();
        q.sql().add(bumexOnly ? "SELECT S.SCODE,S.SNAME,S.XSTR,S.MB_JIGYOU FROM SISETUMST S"
                              : "SELECT S.SCODE,S.SNAME,S.BUMEX,S.XSTR,S.MB_JIGYOU FROM SISETUMST S");
        std::string where = "WHERE (S.SCODE<>'')";
        if (one) {
            q.sql().add("INNER JOIN OPLICENSE O ON (O.SCODE=S.SCODE)");
            where += " AND (O.OPCODE=:OPCODE)";
        }
        if (bumexOnly)
            where += " AND (S.BUMEX=1)";
        if (!Include00)
            where += " AND (S.SCODE<>'00')";
        q.sql().add(where + filter);
        q.sql().add("ORDER BY S.SCODE");
        if (one)
            q.paramByName("OPCODE").setInteger(opCode);
        for (const auto& r : branchRecords(q, bumexOnly, true))
            addRow(r, caption);
    };
    if (Selection & sitensel::Branches)
        branchRows(false);
    if (Selection & sitensel::BumonBranches)
        branchRows(true);
}

// --- TGamenKeyValue ------------------------------------------------------------------

TGamenKeyValue::TGamenKeyValue()
    : OpCode(SysDef.OpCode)
    , query_(sysQuery())
{
}

TGamenKeyValue::~TGamenKeyValue() = default;

void TGamenKeyValue::SetKeyName(const std::string& name)
{
    StyleName = TrimZenkaku(FixLeftStr(platform::text::upperAscii("020-" + name), 40));
}

void TGamenKeyValue::FukugenValue(const std::string& name, std::string& value)
{
    Value.clear();
    if (OpCode == 0 || name.empty() || !query_)
        return;
    SetKeyName(name);
    auto& q = *query_;
    // Reported also inside a caller's transaction: the value is lost.
    core::RunDbOperation(*q.transaction(),
        core::DbPolicy("TGamenValue.FukugenValue", "前回の画面値の取得に失敗しました。"), [&](core::TDbScope& op) {
            op.fresh(q);
            q.sql().add("SELECT SSTR FROM STYLECOLOR");
            q.sql().add("WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME");
            q.paramByName("OPCODE").setInteger(OpCode);
            q.paramByName("STYLENAME").setString(StyleName);
            q.open();
            if (!q.eof()) {
                Value = q.fieldByName("SSTR").asString();
                value = Value;
            }
            q.close();
        });
}

void TGamenKeyValue::HozonValue(const std::string& name, const std::string& valueIn)
{
    if (OpCode == 0 || name.empty() || !query_)
        return;
    SetKeyName(name);
    std::string value = TrimZenkaku(valueIn);
    if (platform::codec::sjisWidth(value) > 1024)
        value = TrimZenkaku(FixLeftStr(value, 1024));
    Value = value;
    auto& q = *query_;
    // Reported also inside a caller's transaction: nothing was saved.
    core::RunDbOperation(*q.transaction(), core::DbPolicy("TGamenValue.HozonValue", "画面値の保存に失敗しました。"),
        [&](core::TDbScope& op) {
            op.closeOnFailure(q);
            core::opsupport::writeStyleColor(q, OpCode, StyleName, value);
        });
}
