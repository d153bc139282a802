// The journal writer against a bare loop through the same insert procedure.
// Writes N entries (default 100,000) into a fresh sample company twice: once
// through TSiwakeWrite.PutSiwake, once by executing SP_SIWAKE_INS directly
// with the same values, both committed every 1,000 entries. Prints entries
// per second for each and their ratio.
//
//   siwake_write_bench [entries]

#include "accounting/OpenCompanyTables.h"
#include "accounting/z5SiwakeIO.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/DataModuleOpSupport.h"
#include "core/DateTimeUtil.h"
#include "core/uAccRecord.h"
#include "platform/firebird/firebird.h"
#include "sample_data.h"
#include "support/temp_dir.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace fb = platform::firebird;

namespace {

constexpr int kBatch = 1000;

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct Company {
    explicit Company(const std::string& path)
    {
        sample::createDatabaseFromScripts(path, sample::defaultSqlDir(), "company", "SYSDBA", "", false);
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
        dm->IBDatabaseDAT.setDatabaseName(path);
        dm->IBDatabaseDAT.addParam("user_name=SYSDBA");
        dm->IBDatabaseDAT.addParam("lc_ctype=SJIS_0208");
        dm->IBDatabaseDAT.connect();
        InstallOpenCompanyTables();
        if (!core::fnGetAccInfo())
            throw std::runtime_error("the sample company did not open");
        tx.setDefaultDatabase(&dm->IBDatabaseDAT);
        for (const char* word : {"read_committed", "rec_version", "nowait"})
            tx.addParam(word);
    }
    ~Company()
    {
        if (tx.inTransaction())
            tx.commit();
        dm->IBDatabaseDAT.disconnect();
        core::DM = nullptr;
    }
    std::unique_ptr<core::TDM> dm;
    fb::Transaction tx;
};

TSWKREC entry(const TSiwakeWrite& writer, int i)
{
    TSWKREC e;
    writer.InitSiwakeRec(e, 0, EncodeDate(2024, 4, 1) + i % 365);
    e.MNUM = 1;
    e.SCODE = "01";
    e.Debit.KCODE = "211";
    e.Debit.HCODE = i % 2 ? "01" : "02";
    e.Debit.BCODE = " ";
    e.Credit.KCODE = "811";
    e.Credit.HCODE = " ";
    e.Credit.BCODE = "01";
    e.Credit.TAXCODE = 110;
    e.KINGAKU = (1000 + i % 997) * 10000LL;
    e.AUTCALCU = 1;
    e.TEKTEXT = "売上 " + std::to_string(i);
    return e;
}

double throughWriter(const std::string& path, int n)
{
    Company c(path);
    TSiwakeWrite writer;
    writer.SetTransaction(&c.tx);
    const auto start = std::chrono::steady_clock::now();
    c.tx.startTransaction();
    for (int i = 0; i < n; ++i) {
        TSWKREC e = entry(writer, i);
        writer.PutSiwake(e);
        if ((i + 1) % kBatch == 0)
            c.tx.commitRetaining();
    }
    c.tx.commit();
    return seconds(start);
}

double bareLoop(const std::string& path, int n)
{
    Company c(path);
    TSiwakeWrite writer; // only to make the same entries
    fb::Query q(&c.dm->IBDatabaseDAT, &c.tx);
    q.sql().add("SELECT NEWREC FROM SP_SIWAKE_INS(:HIZUKE,:MNUM,0,0,0,0,0,:SCODE,'','211',:L_HCODE,' ','','','',910,0,"
                "0,0,0,0,0,'','811',' ','01','','','',110,0,0,0,0,0,0,:KINGAKU,0,0,1,0,:OLDRATE,0,:TEKTEXT,0,'',"
                "0,0,0,0,0,NULL,'','','',0,0,0,0,0,:OPNCODE)");
    const auto start = std::chrono::steady_clock::now();
    c.tx.startTransaction();
    for (int i = 0; i < n; ++i) {
        const TSWKREC e = entry(writer, i);
        q.paramByName("HIZUKE").setDate(core::opsupport::toDate(e.HIZUKE));
        q.paramByName("MNUM").setInteger(e.MNUM);
        q.paramByName("SCODE").setString(e.SCODE);
        q.paramByName("L_HCODE").setString(e.Debit.HCODE);
        q.paramByName("KINGAKU").setCurrency(e.KINGAKU);
        q.paramByName("OLDRATE").setInteger(e.OLDRATE);
        q.paramByName("TEKTEXT").setString(e.TEKTEXT);
        q.paramByName("OPNCODE").setInteger(SysDef.OpCode);
        q.open();
        q.close();
        if ((i + 1) % kBatch == 0)
            c.tx.commitRetaining();
    }
    c.tx.commit();
    return seconds(start);
}

} // namespace

int main(int argc, char** argv)
{
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    test_support::TempDir dir;
    SysDef.OpCode = 100000010;
    const double writer = throughWriter(dir.file("writer.fdb"), n);
    const double bare = bareLoop(dir.file("bare.fdb"), n);
    std::printf("entries           %d\n", n);
    std::printf("writer            %.2f s  %.0f entries/s\n", writer, n / writer);
    std::printf("bare procedure    %.2f s  %.0f entries/s\n", bare, n / bare);
    std::printf("ratio             %.2f\n", writer / bare);
    return 0;
}
