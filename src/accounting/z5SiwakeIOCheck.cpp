// The journal writer's check of an entry before it is stored: fixed order,
// first failure wins, and on the way the entry is completed (period, groups,
// cash-flow codes, names, normalised codes, tax kinds, rate number).

#include "accounting/z5SiwakeIO.h"

#include "accounting/uAccTaxCmp.h"
#include "accounting/z5SiwakeIOInternal.h"
#include "core/IBErrorProc.h"
#include "core/TextRoutines.h"
#include "core/uAccDateCmp.h"

#include <array>

namespace fb = platform::firebird;

namespace {

// The two wordings of a refusal: at a screen (MessageSet 0) and for an
// import of received entries (MessageSet 1).
struct TWording {
    const char* screen;
    const char* import;
};

constexpr TWording kDate {
    "日付が会計期間外または、決算区分の指定が不正です。", "日付が会計期間外または、決算区分の設定が不正です。"};
constexpr TWording kAudited {"監査済みの仕訳は訂正できません。", "監査済みの仕訳が設定されました。"};
constexpr TWording kAuditedDate {"監査済みの日付は入力できません。", "日付に監査済みの日付が設定されました。"};
constexpr TWording kApproved {"承認済みの仕訳は訂正できません。", "承認済みの仕訳が設定されました。"};
constexpr TWording kCostCode {"個別原価コードが見つかりません。", "個別原価コードの設定が不正です。"};
constexpr TWording kBranch {"本・支店コードが不正です。データを選択し直してください。", "本・支店コードが不正です。"};
constexpr TWording kRates {"借方と貸方の消費税率が違います。", "借方と貸方の消費税率が違います。"};
constexpr TWording kNoAmount {"金額を入力してください。", "金額の設定が不正です。（０円 または null）"};
constexpr TWording kNegative {"マイナス金額は入力できません。", "金額にマイナス値が設定されました。"};
constexpr TWording kDigits {"金額桁数がオーバーしています。", "金額の設定が不正です。（桁数オーバー）"};

// Per side: account, sub-account, department and tax-code refusals.
struct TSideWording {
    TWording account, hojo, bumon, taxCode;
};
constexpr TSideWording kDebitWording {{"借方の科目コードが見つかりません。", "借方の科目コードの設定が不正です。"},
    {"借方の補助コードを入力してください。", "借方の補助コードの設定が不正です。"},
    {"借方の部門コードが見つかりません。", "借方の部門コードの設定が不正です。"},
    {"借方の消費税コードを確認してください。", "借方の消費税コードの設定が不正です。"}};
constexpr TSideWording kCreditWording {{"貸方の科目コードが見つかりません。", "貸方の科目コードの設定が不正です。"},
    {"貸方の補助コードを入力してください。", "貸方の補助コードの設定が不正です。"},
    {"貸方の部門コードが見つかりません。", "貸方の部門コードの設定が不正です。"},
    {"貸方の消費税コードを確認してください。", "貸方の消費税コードの設定が不正です。"}};

constexpr Currency kOneYen = 10000;
constexpr Currency kMaxAmount = 9'999'999'999LL * kOneYen;

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return text;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

bool blank(const std::string& s)
{
    return TrimZenkaku(s).empty();
}

} // namespace

// The codes and names an entry was stored with, per side.
struct TSiwakeWrite::StoredNames {
    struct Side {
        std::string userCode, hcode, bcode, kname, hname, bname;
    };
    bool stored = false;
    Side debit, credit;
};

void TSiwakeWrite::loadCostCodes()
{
    fb::Query& q = query();
    q.close();
    q.sql().clear();
    q.sql().add("SELECT GCODE,GVALUE FROM KOBETUGENKAMST ORDER BY GCODE");
    CostCodes.clear();
    for (q.open(); !q.eof(); q.next())
        CostCodes.push_back({q.fieldByName("GCODE").asString(), q.fieldByName("GVALUE").asInteger()});
    q.close();
}

int TSiwakeWrite::countKamokuSz(const std::string& scode, const std::string& userCode, const char* where)
{
    fb::Query& q = query();
    q.close();
    q.sql().clear();
    q.sql().add("SELECT COUNT(K.SCODE) FROM KAMOKU_SZ K");
    q.sql().add("INNER JOIN KAMOKUMST KM ON (K.KCODE=KM.KCODE)");
    q.sql().add(where);
    q.paramByName("SCODE").setString(scode);
    q.paramByName("USERCODE").setString(userCode);
    q.open();
    const int n = q.eof() ? 0 : q.field(0).asInteger();
    q.close();
    return n;
}

bool TSiwakeWrite::checkSide(TSWKREC& e, bool debit, const StoredNames& stored, int& code, std::string& message)
{
    TSwkBalance& s = debit ? e.Debit : e.Credit;
    const TSideWording& w = debit ? kDebitWording : kCreditWording;
    const int failCode = debit ? 11 : 21;
    auto refuse = [&](const TWording& wording) {
        code = failCode;
        message = MessageSet == 1 ? wording.import : wording.screen;
        return false;
    };

    if (!LookupKamoku(e.SCODE, s.BCODE, s.KCODE, s.HCODE))
        return refuse(w.account);
    s.KGROUP = current_.Kamoku.GROUPM1;
    s.SIKIN = debit ? current_.Kamoku.FUN_LCODE : current_.Kamoku.FUN_RCODE;
    s.HCODE = current_.HCODE;

    if (e.REC == 0) {
        s.KNAME = current_.Kamoku.KNAME;
        s.HNAME = current_.Hojo.HNAME;
        s.BNAME = current_.BNAME;
    } else {
        const StoredNames::Side& old = debit ? stored.debit : stored.credit;
        if (current_.Kamoku.KNAME != old.kname || s.KCODE != old.userCode)
            s.KNAME = current_.Kamoku.KNAME;
        if (current_.Hojo.HNAME != old.hname || s.KCODE != old.userCode || s.HCODE != old.hcode)
            s.HNAME = current_.Hojo.HNAME;
        if (current_.BNAME != old.bname || s.BCODE != old.bcode)
            s.BNAME = current_.BNAME;
    }

    if (countKamokuSz(e.SCODE, s.KCODE, "WHERE (K.SCODE=:SCODE) AND (KM.USERCODE=:USERCODE) AND (K.BCODE=' ')") > 1
        && blank(s.HCODE))
        return refuse(w.hojo);
    if (countKamokuSz(
            e.SCODE, s.KCODE, "WHERE (K.SCODE=:SCODE) AND (KM.USERCODE=:USERCODE) AND (K.HCODE=' ') AND (K.BCODE<>' ')")
            >= 1
        && blank(s.BCODE))
        return refuse(w.bumon);
    return true;
}

bool TSiwakeWrite::checkTax(TSWKREC& e, bool debit, int& code, std::string& message)
{
    TSwkBalance& s = debit ? e.Debit : e.Credit;
    TSwkBalance& other = debit ? e.Credit : e.Debit;
    const int base = debit ? 10 : 20;
    ConvertKaniTaxCode(s.TAXCODE);
    std::string group, detail;
    int kanni = 0;
    if (!GetTaxCodeInfo(s.TAXCODE, group, detail, kanni, s.TAXUH, s.TAXDC)) {
        const TWording& w = (debit ? kDebitWording : kCreditWording).taxCode;
        code = base + 2;
        message = MessageSet == 1 ? w.import : w.screen;
        return false;
    }
    std::string text;
    if (!CheckKariTaxCode(text, s.KCODE, s.TAXCODE)) {
        code = base + 3;
    } else if (!CheckAiteTaxCode(text, s.KCODE, other.TAXCODE)) {
        code = base + 4;
    } else if (!CheckSyokuchiTaxCode(text, s.KCODE, s.TAXCODE)) {
        code = base + 5;
    } else if (!CheckTokuteiShiire(text, s.TAXCODE, e.OLDRATE, e.HIZUKE)) {
        code = base + 6;
    } else {
        return true;
    }
    message = text;
    return false;
}

bool TSiwakeWrite::TestSiwake(TSWKREC& e, int& code, std::string& message)
{
    code = 0;
    message.clear();
    auto refuse = [&](int c, const TWording& w) {
        code = c;
        message = MessageSet == 1 ? w.import : w.screen;
        return false;
    };
    bool passed = false;
    run(policy("TSiwakeWrite.TestSiwake", core::DbFailure::Commit), [&](core::TDbScope& scope) {
        scope.closeOnFailure(query());
        passed = [&] {
            // 1. The codes and names the entry was stored with.
            StoredNames stored;
            if (e.REC != 0) {
                fb::Query& q = query();
                q.close();
                q.sql().clear();
                q.sql().add("SELECT KCODE,USERCODE,HCODE,BCODE,KNAME,HNAME,BNAME,R_KCODE,R_USERCODE,R_HCODE,R_BCODE,"
                            "R_KNAME,R_HNAME,R_BNAME FROM SIWAKE_VIEW");
                q.sql().add("WHERE REC=:REC");
                q.paramByName("REC").setInteger(e.REC);
                q.open();
                if (!q.eof()) {
                    stored.stored = true;
                    auto side = [&](StoredNames::Side& s, const std::string& p, const char* user) {
                        s.userCode = q.fieldByName(user).asString();
                        s.hcode = q.fieldByName(p + "HCODE").asString();
                        s.bcode = q.fieldByName(p + "BCODE").asString();
                        s.kname = q.fieldByName(p + "KNAME").asString();
                        s.hname = q.fieldByName(p + "HNAME").asString();
                        s.bname = q.fieldByName(p + "BNAME").asString();
                    };
                    side(stored.debit, "", "USERCODE");
                    side(stored.credit, "R_", "R_USERCODE");
                }
                q.close();
            }

            // 2. Period.
            int p = GetKikanNo(AccInf.SIME, e.KESSAN, AccInf.KISHU, AccInf.KIMATU, e.HIZUKE);
            if (SysDef.ClosingRecalc > 0)
                p += 16;
            else if (e.KESSAN == 1 && e.HIZUKE == AccInf.KIMATU)
                p = 16;
            if (p == -1 || e.HIZUKE < AccInf.KAISI || e.HIZUKE > AccInf.KIMATU)
                return refuse(1, kDate);
            e.MNUM = p;

            // 3. Audit.
            if (AccInf.KANSA_LOCK == 1 && SysDef.IsAdmin == 0 && SysDef.JobLevel != 9) {
                if (e.CTIME > 0)
                    return refuse(2, kAudited);
                if (AccInf.KANSA_DATE > 0 && AccInf.KANSA_FIXDATE > 0 && e.HIZUKE <= AccInf.KANSA_FIXDATE)
                    return refuse(3, kAuditedDate);
            }

            // 4. Approval.
            if (CheckShonin && e.SHONIN_HIZUKE > 0)
                return refuse(40, kApproved);

            // 5. Individual cost. The codes come from the cost master the
            // first time they are needed, so a cost number is never refused
            // only because nobody loaded the list.
            if (CheckKobetuGenka && AccInf.KobetuGenkaUse == 1 && e.SNUM != 0) {
                if (CostCodes.empty())
                    loadCostCodes();
                static constexpr std::array<int, 4> kWidths {3, 4, 5, 6};
                const int width = kWidths[std::min<std::size_t>(AccInf.KobetuGenkaDigits, 3)];
                const std::string text = ZeroPadStr(std::to_string(e.SNUM), width);
                CostCodeIndex = -1;
                for (std::size_t i = 0; i < CostCodes.size(); ++i)
                    if (CostCodes[i].Code == text) {
                        CostCodeIndex = static_cast<int>(i);
                        break;
                    }
                if (CostCodeIndex < 0) {
                    refuse(4, kCostCode);
                    if (!AccInf.KobetuGenkaName.empty())
                        message = replaceAll(message, "個別原価", AccInf.KobetuGenkaName);
                    return false;
                }
            }

            // 6. Branch.
            if (AccInf.SITEN == 1 && blank(e.SCODE)) {
                refuse(5, kBranch);
                if (AccInf.DATATYPE == 3)
                    message = replaceAll(message, "本・支店", "施設");
                return false;
            }

            // 7-10. Accounts and tax codes, debit then credit.
            if (CheckKamoku && !checkSide(e, true, stored, code, message))
                return false;
            if (CheckTaxCode && !checkTax(e, true, code, message))
                return false;
            if (CheckKamoku && !checkSide(e, false, stored, code, message))
                return false;
            if (CheckTaxCode && !checkTax(e, false, code, message))
                return false;

            // 11. Rates.
            if (e.Debit.RIT > 0 && e.Credit.RIT > 0 && e.Debit.SideRateNo != e.Credit.SideRateNo)
                return refuse(41, kRates);
            if (e.Debit.RIT == 0 && e.Credit.RIT == 0)
                e.OLDRATE = GetZeiRituNo(0, e.HIZUKE);

            // 12. Amount.
            if (CheckKingaku) {
                if (e.KINGAKU < kOneYen)
                    return refuse(31, e.KINGAKU < 0 ? kNegative : kNoAmount);
                if (e.KINGAKU > kMaxAmount)
                    return refuse(31, kDigits);
            }

            // 13. Texts.
            if (CheckText) {
                e.TEKTEXT = DeleteTabCrLf(e.TEKTEXT);
                e.TORTEXT = DeleteTabCrLf(e.TORTEXT);
            }
            return true;
        }();
        query().close();
    });
    return passed;
}
