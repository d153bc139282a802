#pragma once
// A sample general (or, with kind "medical", medical) company database built
// by the sample scripts, opened by a data module, with the open-company record filled from its ACCDEF1 row;
// and the figures a test computes itself from the rows of the journal,
// opening and budget tables (never through the procedures).

#include "accounting/uAccMbZanCmp.h"
#include "accounting/uAccZanCmp1.h"
#include "core/DataModule.h"
#include "core/uAccRecord.h"
#include "platform/firebird/firebird.h"
#include "sample_data.h"
#include "support/sample_root.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace tb_fixture {

namespace fb = platform::firebird;

// Movements and openings of one account or sub-account.
struct TExpected {
    Currency opening = 0;
    std::map<int, Currency> debit; // period -> amount
    std::map<int, Currency> credit;
};

struct TAccountInfo {
    std::string groupM1, groupM2, bspl;
    int taishaku = 0;
};

class Company {
public:
    explicit Company(const std::string& name = "tnacc.fdb", const std::string& kind = "company")
        : medical(kind == "medical")
    {
        database = dir.file(name);
        if (medical)
            sample::createDatabaseFromScripts(database, sample::defaultSqlDir(), kind, "SYSDBA", "", false);
        else
            test_support::companyDatabaseFromScripts(database);
        ResetProcessState();
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
        dm->IBDatabaseDAT.setDatabaseName(database);
        dm->IBDatabaseDAT.addParam("user_name=SYSDBA");
        dm->IBDatabaseDAT.addParam("lc_ctype=SJIS_0208");
        dm->IBDatabaseDAT.connect();
        loadAccInf();
        InstallGeneralTrialBalanceEngine();
        InstallMedicalTrialBalanceEngine();
    }
    ~Company()
    {
        if (dm->IBTransactionDAT.inTransaction())
            dm->IBTransactionDAT.rollback();
        dm->IBDatabaseDAT.disconnect();
        core::DM = nullptr;
        dm.reset();
        ResetProcessState();
    }

    // One statement in its own committed transaction.
    void exec(const std::string& sql)
    {
        fb::Transaction t;
        t.setDefaultDatabase(&dm->IBDatabaseDAT);
        t.startTransaction();
        dm->IBDatabaseDAT.executeImmediate(sql, &t);
        t.commit();
    }

    template <typename F> void select(const std::string& sql, F&& eachRow)
    {
        fb::Transaction t;
        t.setDefaultDatabase(&dm->IBDatabaseDAT);
        t.startTransaction();
        {
            fb::Query q(&dm->IBDatabaseDAT, &t);
            q.sql().add(sql);
            for (q.open(); !q.eof(); q.next())
                eachRow(q);
            q.close();
        }
        t.commit();
    }

    void loadAccInf()
    {
        select("SELECT DATATYPE, CODETYPE, SIME, KAISINO, GENKA_USE, KURIKOSI1,"
               " DATEDIFF(DAY FROM DATE '1899-12-30' TO KISHU) AS DKISHU,"
               " DATEDIFF(DAY FROM DATE '1899-12-30' TO KIMATU) AS DKIMATU,"
               " DATEDIFF(DAY FROM DATE '1899-12-30' TO ZKISHU) AS DZKISHU,"
               " DATEDIFF(DAY FROM DATE '1899-12-30' TO ZZKISHU) AS DZZKISHU FROM ACCDEF1 WHERE REC = 1",
            [](fb::Query& q) {
                AccInf.DATATYPE = q.fieldByName("DATATYPE").asInteger();
                AccInf.CODETYPE = q.fieldByName("CODETYPE").asInteger();
                AccInf.SIME = q.fieldByName("SIME").asInteger();
                AccInf.KAISINO = q.fieldByName("KAISINO").asInteger();
                AccInf.GENKA_USE = q.fieldByName("GENKA_USE").asInteger();
                AccInf.KURIKOSI1 = q.fieldByName("KURIKOSI1").asInteger();
                AccInf.KISHU = q.fieldByName("DKISHU").asInteger();
                AccInf.KIMATU = q.fieldByName("DKIMATU").asInteger();
                AccInf.zKISHU = q.fieldByName("DZKISHU").asInteger();
                AccInf.zzKISHU = q.fieldByName("DZZKISHU").asInteger();
            });
        AccInf.DataKind = medical ? 1 : 0;
    }

    std::map<std::string, TAccountInfo> accounts()
    {
        std::map<std::string, TAccountInfo> result;
        select("SELECT KCODE, GROUPM1, GROUPM2, BPFLG, TAISHAKU FROM KAMOKUMST", [&](fb::Query& q) {
            result[q.fieldByName("KCODE").asString()]
                = {q.fieldByName("GROUPM1").asString(), q.fieldByName("GROUPM2").asString(),
                    q.fieldByName("BPFLG").asString(), q.fieldByName("TAISHAKU").asInteger()};
        });
        return result;
    }

    // Figures of a journal table by account ("K") and by account and
    // sub-account ("K/H", H empty for the part without one). taxExcluded
    // moves the tax of the P/L side to the suspense tax accounts; a non-empty
    // department keeps the lines of that side's department only.
    std::map<std::string, TExpected> figures(const std::string& journal, int nendo, bool taxExcluded = false,
        const std::string& department = {}, const std::string& branch = {})
    {
        std::map<std::string, TExpected> r;
        auto accs = accounts();
        std::string paid, received;
        select("SELECT KNAME, KCODE FROM ACCDEF2", [&](fb::Query& q) {
            if (q.fieldByName("KNAME").asString() == "仮払消費税")
                paid = q.fieldByName("KCODE").asString();
            if (q.fieldByName("KNAME").asString() == "仮受消費税")
                received = q.fieldByName("KCODE").asString();
        });
        auto trim = [](std::string s) { return s.find_first_not_of(' ') == std::string::npos ? std::string() : s; };
        select("SELECT MNUM, SCODE, KCODE, HCODE, BCODE, R_KCODE, R_HCODE, R_BCODE, KINGAKU, ZEIGAKU FROM " + journal
                + " WHERE DELFLG = 0 AND TAISHAKU = 1",
            [&](fb::Query& q) {
                const int p = q.fieldByName("MNUM").asInteger();
                if (!branch.empty() && q.fieldByName("SCODE").asString() != branch)
                    return;
                const Currency amount = q.fieldByName("KINGAKU").asCurrency();
                const Currency tax = q.fieldByName("ZEIGAKU").asCurrency();
                for (int side = 0; side < 2; ++side) {
                    const std::string k = q.fieldByName(side ? "R_KCODE" : "KCODE").asString();
                    const std::string h = trim(q.fieldByName(side ? "R_HCODE" : "HCODE").asString());
                    const std::string b = q.fieldByName(side ? "R_BCODE" : "BCODE").asString();
                    if (!department.empty() && b != department)
                        continue;
                    const bool pl = accs[k].bspl == "P";
                    const Currency a = (taxExcluded && pl) ? amount - tax : amount;
                    for (const std::string& key : {k, k + "/" + h}) {
                        auto& m = side ? r[key].credit : r[key].debit;
                        m[p] += a;
                    }
                    if (taxExcluded && pl && tax != 0) {
                        const std::string& t = side ? received : paid;
                        for (const std::string& key : {t, t + "/"}) {
                            auto& m = side ? r[key].credit : r[key].debit;
                            m[p] += tax;
                        }
                    }
                }
            });
        select("SELECT SCODE, BCODE, KCODE, HCODE, KAISIZAN FROM ZANDAKA WHERE NENDO = " + std::to_string(nendo),
            [&](fb::Query& q) {
                if (!department.empty() && q.fieldByName("BCODE").asString() != department)
                    return;
                if (!branch.empty() && q.fieldByName("SCODE").asString() != branch)
                    return;
                const std::string k = q.fieldByName("KCODE").asString();
                const std::string h = trim(q.fieldByName("HCODE").asString());
                const Currency v = q.fieldByName("KAISIZAN").asCurrency();
                r[k].opening += v;
                r[k + "/" + h].opening += v;
            });
        return r;
    }

    bool medical = false;
    test_support::TempDir dir;
    std::string database;
    std::unique_ptr<core::TDM> dm;
};

inline Currency yen(long long v)
{
    return Currency(v) * CurrencyScale;
}

// Net movement of a period by nature.
inline Currency netOf(int taishaku, const TExpected& e, int p)
{
    auto at = [](const std::map<int, Currency>& m, int k) {
        auto it = m.find(k);
        return it == m.end() ? Currency(0) : it->second;
    };
    return (taishaku == 1 || taishaku == 4) ? at(e.debit, p) - at(e.credit, p) : at(e.credit, p) - at(e.debit, p);
}

inline Currency at(const std::map<int, Currency>& m, int k)
{
    auto it = m.find(k);
    return it == m.end() ? Currency(0) : it->second;
}

} // namespace tb_fixture
