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

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

using core::TOwnTransaction;
namespace fb = platform::firebird;

namespace {

int toIntOrZero(const std::string& s)
{
    try {
        std::size_t used = 0;
        const int v = std::stoi(s, &used);
        return used == s.size() ? v : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

std::string linesText(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& l : lines)
        out += l + "\r\n";
    return out;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> out;
    std::string cur;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out.push_back(cur);
            cur.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        out.push_back(cur);
    return out;
}

std::unique_ptr<fb::Query> sysQuery()
{
    if (core::DM == nullptr)
        return nullptr;
    return std::make_unique<fb::Query>(&core::DM->IBDatabaseDEF, &core::DM->IBTransactionDEF);
}

void finishAfterError(TOwnTransaction& tr, bool commit)
{
    try {
        if (commit)
            tr.commit();
        else
            tr.rollback();
    } catch (const std::exception&) {
    }
}

} // namespace

// --- TCodeTaikeiIO ---------------------------------------------------------------

TCodeTaikeiIO::TCodeTaikeiIO() : query_(sysQuery())
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
    Rec = TCodeTaikeiRec2{};
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
        core::ErrorMessageEx("コード体系の更新に失敗しました。", std::string("TCodeTaikeiIO.LoadFromFile\r") + e.what());
        return false;
    }
    TMojiBunkatu split;
    for (const auto& line : splitLines(text)) {
        split.Bunkatu(line);
        const int kind = toIntOrZero(split.GetMoji(0));
        int list = 0;
        if (kind == 1) {
            Rec.Name = split.GetMoji(1);
            Rec.DataKind = toIntOrZero(split.GetMoji(2));
            Rec.CodeKind = toIntOrZero(split.GetMoji(3));
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
        TMessage2InfoRec m;
        InitMessage2Info(msgkind::Information, m);
        m.buttons = msgbtn::OK;
        m.lines[0].text = message;
        ShowMessage2(m);
        return false;
    }
    return UpDateRecored(Rec);
}

bool TCodeTaikeiIO::UpDateRecored(const TCodeTaikeiRec2& rec)
{
    if (rec.Name.empty() || rec.DataKind == 0 || rec.CodeKind == 0 || !query_)
        return false;
    auto& q = *query_;
    std::unique_ptr<TOwnTransaction> tr;
    try {
        tr = std::make_unique<TOwnTransaction>(*q.transaction());
        q.close();
        q.sql().clear();
        q.sql().add("UPDATE USERCODE SET NAME=:NAME,DATATYPE=:DATATYPE,CODETYPE=:CODETYPE,");
        q.sql().add("INIDAT1=:INIDAT1,INIDAT2=:INIDAT2,INIDAT3=:INIDAT3,INIDAT4=:INIDAT4,INIDAT5=:INIDAT5,"
                    "INIDAT6=:INIDAT6,INIDAT7=:INIDAT7,INIDAT8=:INIDAT8");
        q.sql().add("WHERE RECNO=:RECNO");
        q.paramByName("NAME").setString(rec.Name);
        q.paramByName("DATATYPE").setInteger(rec.DataKind);
        q.paramByName("CODETYPE").setInteger(rec.CodeKind);
        for (int i = 0; i < 8; ++i)
            q.paramByName("INIDAT" + std::to_string(i + 1)).setString(linesText(rec.IniDat[i]));
        q.paramByName("RECNO").setInteger(rec.RecNo);
        q.execSQL();
        // An update that met no row stored nothing: never report it as stored.
        if (q.rowsAffected() < 1)
            throw std::runtime_error("USERCODE RECNO=" + std::to_string(rec.RecNo) + " がありません。");
        tr->commit();
        return true;
    } catch (const std::exception& e) {
        q.close();
        if (tr && tr->started())
            core::opsupport::reportFailure(e, "TCodeTaikeiIO.UpDateRecored", "コード体系の更新に失敗しました。");
        if (tr)
            finishAfterError(*tr, false);
        return false;
    }
}

void TCodeTaikeiIO::KubunSyufuku()
{
    if (!query_ || !core::DM->IBDatabaseDEF.connected())
        return;
    auto& q = *query_;
    std::unique_ptr<TOwnTransaction> tr;
    try {
        tr = std::make_unique<TOwnTransaction>(*q.transaction());
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
            const int dataKind = toIntOrZero(split.GetMoji(2));
            const int codeKind = toIntOrZero(split.GetMoji(3));
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
        tr->commit();
    } catch (const std::exception& e) {
        q.close();
        if (tr && tr->started())
            core::opsupport::reportFailure(e, "TCodeTaikeiIO.KubunSyufuku", "コード体系の区分修復に失敗しました。");
        if (tr)
            finishAfterError(*tr, false);
    }
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

const char* kPermitExpr = "CASE WHEN MIN(CASE WHEN S.SCODE IN (SELECT SCODE FROM OPLICENSE WHERE OPCODE=:OPCODE) THEN 1";

std::string captionText()
{
    if (AccInf.SITEN != 0) {
        if (AccInf.DATATYPE == 2)
            return "総体";
        return "法人全体";
    }
    return AccInf.SHOUGOU;
}

} // namespace

void TSitenList::Execute(std::int32_t opCode)
{
    if (AccInf.DataKind == 1)
        executeMedical(opCode);
    else
        executeGeneral(opCode);
}

void TSitenList::executeGeneral(std::int32_t opCodeIn)
{
    Clear();
    if (!query_)
        throw std::logic_error("TSitenList.Execute: no data module");
    std::int32_t opCode = core::IsAllDataKengen() ? -1 : opCodeIn;
    OpCode = opCode;
    auto& q = *query_;
    std::unique_ptr<TOwnTransaction> tr;
    try {
        tr = std::make_unique<TOwnTransaction>(*q.transaction());
        const std::string caption = captionText();
        const bool branches = AccInf.SITEN != 0;
        const bool one = opCode != -1;
        if (Selection & sitensel::Caption) {
            bool add = true;
            if (one && branches) {
                q.close();
                q.sql().clear();
                q.sql().add("SELECT");
                q.sql().add(kPermitExpr);
                q.sql().add("ELSE 0");
                q.sql().add("END)=1 THEN 1");
                q.sql().add("       ELSE 0 END AS PERMIT");
                q.sql().add("FROM SISETUMST S");
                q.sql().add("WHERE S.SCODE <> ''");
                q.paramByName("OPCODE").setInteger(opCode);
                q.open();
                add = !q.eof() && q.fieldByName("PERMIT").asInteger() == 1;
                q.close();
            }
            if (add)
                addRow(TSitenListRec{" ", caption, 0, 1, 0, 0, {}, {}}, caption);
        }
        if ((Selection & sitensel::Groups) && branches) {
            q.close();
            q.sql().clear();
            if (!one) {
                q.sql().add("SELECT G.GCODE,G.GNAME, 1 AS PERMIT");
            } else {
                q.sql().add("SELECT G.GCODE,G.GNAME,");
                q.sql().add(kPermitExpr);
                q.sql().add("ELSE 0");
                q.sql().add("END)=1 THEN 1");
                q.sql().add("       ELSE 0 END AS PERMIT");
            }
            q.sql().add("FROM SISETUGROUPLIST S");
            q.sql().add("INNER JOIN SISETUGROUP G ON (S.GCODE=G.GCODE)");
            q.sql().add("WHERE S.SCODE <> ''");
            q.sql().add("GROUP BY G.GCODE,G.GNAME");
            q.sql().add("ORDER BY G.GCODE");
            if (one)
                q.paramByName("OPCODE").setInteger(opCode);
            q.open();
            while (!q.eof()) {
                if (q.fieldByName("PERMIT").asInteger() == 1)
                    addRow(TSitenListRec{q.fieldByName("GCODE").asString(), q.fieldByName("GNAME").asString(), 1, 1, 0, 0,
                                         {}, {}},
                           caption);
                q.next();
            }
            q.close();
        }
        auto branchRows = [&](bool bumexOnly) {
            if (!branches) {
                if (!(Selection & sitensel::Caption))
                    addRow(TSitenListRec{" ", caption, 0, 1, bumexOnly ? 1 : AccInf.BUMON, 0, {}, {}}, caption);
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
            q.open();
            while (!q.eof()) {
                TSitenListRec r;
                r.Code = q.fieldByName("SCODE").asString();
                if (r.Code.find_first_not_of(' ') != std::string::npos) {
                    r.Name = q.fieldByName("SNAME").asString();
                    r.Kind = bumexOnly ? 3 : 2;
                    r.Jigyou = 1;
                    r.BumonKbn = bumexOnly ? 1 : q.fieldByName("BUMEX").asInteger();
                    r.Color = core::GetXstrValue(q.fieldByName("XSTR").asString(), "COLOR").asInteger();
                    addRow(r, caption);
                }
                q.next();
            }
            q.close();
        };
        if (Selection & sitensel::Branches)
            branchRows(false);
        if (Selection & sitensel::BumonBranches)
            branchRows(true);
        Count = static_cast<int>(Items.size());
        tr->commit();
    } catch (const std::exception& e) {
        q.close();
        Count = static_cast<int>(Items.size());
        if (tr && tr->started()) {
            core::opsupport::reportFailure(e, "TSitenList.Execute", "支店リストの取得に失敗しました。");
            finishAfterError(*tr, true);
        }
        throw;
    }
}

void TSitenList::executeMedical(std::int32_t opCodeIn)
{
    Clear();
    if (!query_)
        throw std::logic_error("TSitenList.Execute: no data module");
    std::int32_t opCode = core::IsAllDataKengen() ? -1 : opCodeIn;
    OpCode = opCode;
    auto& q = *query_;
    std::unique_ptr<TOwnTransaction> tr;
    try {
        tr = std::make_unique<TOwnTransaction>(*q.transaction());
        const std::string caption = captionText();
        const bool branches = AccInf.SITEN != 0;
        const bool one = opCode != -1;
        const std::string filter = JigyouFilter > 0 ? " AND (S.MB_JIGYOU=" + std::to_string(JigyouFilter) + ")" : "";
        if (Selection & sitensel::Caption) {
            bool add = true;
            if (one && branches) {
                q.close();
                q.sql().clear();
                q.sql().add("SELECT");
                q.sql().add(kPermitExpr);
                q.sql().add("ELSE 0");
                q.sql().add("END)=1 THEN 1");
                q.sql().add("       ELSE 0 END AS PERMIT");
                q.sql().add("FROM SISETUMST S");
                q.sql().add("WHERE S.SCODE <> ''");
                q.paramByName("OPCODE").setInteger(opCode);
                q.open();
                add = !q.eof() && q.fieldByName("PERMIT").asInteger() == 1;
                q.close();
            }
            if (add)
                addRow(TSitenListRec{" ", caption, 0, 16, 0, 0, {}, {}}, caption);
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
            static const std::pair<int, const char*> kDivisions[] = {
                {8, "病院・診療所"}, {4, "老人保健施設"}, {2, "指定訪問看護"}, {1, "その他の事業"}};
            for (const auto& [division, name] : kDivisions) {
                int total = 0, own = 0;
                for (const auto& [d, n] : all)
                    if (d == division)
                        total = n;
                for (const auto& [d, n] : mine)
                    if (d == division)
                        own = n;
                if (total > 0 && own == total)
                    addRow(TSitenListRec{" ", name, 1, division, 0, 0, {}, {}}, caption);
            }
            q.close();
            q.sql().clear();
            if (!one) {
                q.sql().add("SELECT G.GCODE,G.GNAME, 1 AS PERMIT");
            } else {
                q.sql().add("SELECT G.GCODE,G.GNAME,");
                q.sql().add(kPermitExpr);
                q.sql().add("ELSE 0");
                q.sql().add("END)=1 THEN 1");
                q.sql().add("       ELSE 0 END AS PERMIT");
            }
            q.sql().add("FROM SISETUGROUPLIST S");
            q.sql().add("INNER JOIN SISETUGROUP G ON (S.GCODE=G.GCODE)");
            q.sql().add("WHERE S.SCODE <> ''");
            q.sql().add("GROUP BY G.GCODE,G.GNAME");
            q.sql().add("ORDER BY G.GCODE");
            if (one)
                q.paramByName("OPCODE").setInteger(opCode);
            q.open();
            while (!q.eof()) {
                if (q.fieldByName("PERMIT").asInteger() == 1)
                    addRow(TSitenListRec{q.fieldByName("GCODE").asString(), q.fieldByName("GNAME").asString(), 5, 0, 0, 0,
                                         {}, {}},
                           caption);
                q.next();
            }
            q.close();
        }
        auto branchRows = [&](bool bumexOnly) {
            if (!branches) {
                if (!(Selection & sitensel::Caption))
                    addRow(TSitenListRec{" ", caption, 0, 16, bumexOnly ? 1 : AccInf.BUMON, 0, {}, {}}, caption);
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
            q.open();
            while (!q.eof()) {
                TSitenListRec r;
                r.Code = q.fieldByName("SCODE").asString();
                if (r.Code.find_first_not_of(' ') != std::string::npos) {
                    r.Name = q.fieldByName("SNAME").asString();
                    r.Kind = bumexOnly ? 3 : 2;
                    r.Jigyou = q.fieldByName("MB_JIGYOU").asInteger();
                    r.BumonKbn = bumexOnly ? 1 : q.fieldByName("BUMEX").asInteger();
                    r.Color = core::GetXstrValue(q.fieldByName("XSTR").asString(), "COLOR").asInteger();
                    addRow(r, caption);
                }
                q.next();
            }
            q.close();
        };
        if (Selection & sitensel::Branches)
            branchRows(false);
        if (Selection & sitensel::BumonBranches)
            branchRows(true);
        Count = static_cast<int>(Items.size());
        tr->commit();
    } catch (const std::exception& e) {
        q.close();
        Count = static_cast<int>(Items.size());
        if (tr && tr->started()) {
            core::opsupport::reportFailure(e, "TSitenList.Execute", "支店リストの取得に失敗しました。");
            finishAfterError(*tr, true);
        }
        throw;
    }
}

// --- TGamenKeyValue ------------------------------------------------------------------

TGamenKeyValue::TGamenKeyValue() : OpCode(SysDef.OpCode), query_(sysQuery()) {}

TGamenKeyValue::~TGamenKeyValue() = default;

void TGamenKeyValue::SetKeyName(const std::string& name)
{
    std::string key = "020-" + name;
    for (auto& c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    StyleName = TrimZenkaku(FixLeftStr(key, 40));
}

void TGamenKeyValue::FukugenValue(const std::string& name, std::string& value)
{
    Value.clear();
    if (OpCode == 0 || name.empty() || !query_)
        return;
    SetKeyName(name);
    auto& q = *query_;
    std::unique_ptr<TOwnTransaction> tr;
    try {
        tr = std::make_unique<TOwnTransaction>(*q.transaction());
        q.close();
        q.sql().clear();
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
        tr->commit();
    } catch (const std::exception& e) {
        q.close();
        // Reported also inside a caller's transaction: the value is lost.
        core::opsupport::reportFailure(e, "TGamenValue.FukugenValue", "前回の画面値の取得に失敗しました。");
        if (tr)
            finishAfterError(*tr, false);
    }
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
    std::unique_ptr<TOwnTransaction> tr;
    try {
        tr = std::make_unique<TOwnTransaction>(*q.transaction());
        q.close();
        q.sql().clear();
        q.sql().add("SELECT COUNT(OPCODE) AS RECCNT FROM STYLECOLOR");
        q.sql().add("WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME");
        q.paramByName("OPCODE").setInteger(OpCode);
        q.paramByName("STYLENAME").setString(StyleName);
        q.open();
        const bool exists = !q.eof() && q.fieldByName("RECCNT").asInteger() > 0;
        q.close();
        q.sql().clear();
        if (exists) {
            q.sql().add("UPDATE STYLECOLOR SET OPCODE=:OPCODE,STYLENAME=:STYLENAME,LINECOLOR1=:LINECOLOR1,"
                        "LINECOLOR2=:LINECOLOR2,LINECOLOR3=:LINECOLOR3,LINECOLOR4=:LINECOLOR4,LINECOLOR5=:LINECOLOR5,"
                        "NETCOLOR1=:NETCOLOR1,NETCOLOR2=:NETCOLOR2,SSTR=:SSTR");
            q.sql().add("WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME");
        } else {
            q.sql().add("INSERT INTO STYLECOLOR(OPCODE,STYLENAME,LINECOLOR1,LINECOLOR2,LINECOLOR3,LINECOLOR4,LINECOLOR5,"
                        "NETCOLOR1,NETCOLOR2,SSTR)");
            q.sql().add("VALUES(:OPCODE,:STYLENAME,:LINECOLOR1,:LINECOLOR2,:LINECOLOR3,:LINECOLOR4,:LINECOLOR5,:NETCOLOR1,"
                        ":NETCOLOR2,:SSTR)");
        }
        q.paramByName("OPCODE").setInteger(OpCode);
        q.paramByName("STYLENAME").setString(StyleName);
        for (const char* c : {"LINECOLOR1", "LINECOLOR2", "LINECOLOR3", "LINECOLOR4", "LINECOLOR5", "NETCOLOR1", "NETCOLOR2"})
            q.paramByName(c).setInteger(-1);
        q.paramByName("SSTR").setString(value);
        q.execSQL();
        tr->commit();
    } catch (const std::exception& e) {
        q.close();
        // Reported also inside a caller's transaction: nothing was saved.
        core::opsupport::reportFailure(e, "TGamenValue.HozonValue", "画面値の保存に失敗しました。");
        if (tr)
            finishAfterError(*tr, false);
    }
}
