// The general engine's full comparison load on a large generated company,
// against running the same stored procedures through the client library and
// discarding their rows. Prints both times and their ratio; exits with 1
// when the engine takes more than 1.2 times the procedures alone.
//
//   tb_load_bench [database]   a company database; generated there (and kept)
//                              when the file does not exist; without an
//                              argument one is generated in a temporary
//                              folder and removed: 300 accounts, 1,000
//                              sub-accounts, 500,000 journal lines

#include "accounting/uAccZanCmp1.h"
#include "core/DataModule.h"
#include "engine_load_bench.h"
#include "core/uAccRecord.h"
#include "large_company.h"
#include "platform/firebird/firebird.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace fb = platform::firebird;

namespace {

void loadAccInf(core::TDM& dm)
{
    fb::Query q(&dm.IBDatabaseDAT, &dm.IBTransactionDAT);
    dm.IBTransactionDAT.startTransaction();
    q.sql().add(
        "SELECT DATATYPE, SIME, KAISINO, KURIKOSI1, DATEDIFF(DAY FROM DATE '1899-12-30' TO KISHU) AS D0,"
        " DATEDIFF(DAY FROM DATE '1899-12-30' TO ZKISHU) AS D1, DATEDIFF(DAY FROM DATE '1899-12-30' TO ZZKISHU) AS D2"
        " FROM ACCDEF1 WHERE REC = 1");
    q.open();
    AccInf.DATATYPE = q.fieldByName("DATATYPE").asInteger();
    AccInf.SIME = q.fieldByName("SIME").asInteger();
    AccInf.KAISINO = q.fieldByName("KAISINO").asInteger();
    AccInf.KURIKOSI1 = q.fieldByName("KURIKOSI1").asInteger();
    AccInf.KISHU = q.fieldByName("D0").asInteger();
    AccInf.zKISHU = q.fieldByName("D1").asInteger();
    AccInf.zzKISHU = q.fieldByName("D2").asInteger();
    AccInf.DataKind = 0;
    q.close();
    dm.IBTransactionDAT.commit();
}

// The statements of the comparison load, rows fetched and dropped.
long runProceduresAlone(core::TDM& dm)
{
    long fetched = 0;
    dm.IBTransactionDAT.startTransaction();
    const int carryOver = AccInf.KURIKOSI1 == 1 ? 1 : 0;
    for (const std::string& sql : {std::string("SELECT * From SP_SISANHYO( 0, '' ,'' ) "),
             "SELECT * FROM SP_KANENDO_ZANDAKA( " + std::to_string(carryOver) + ",'')",
             "SELECT * FROM SP_YOSAN( " + std::to_string(carryOver) + ",'' )"}) {
        fb::Query q(&dm.IBDatabaseDAT, &dm.IBTransactionDAT);
        q.sql().add(sql);
        for (q.open(); !q.eof(); q.next())
            ++fetched;
        q.close();
    }
    dm.IBTransactionDAT.commit();
    return fetched;
}

} // namespace

int main(int argc, char** argv)
{
    return bench::runEngineBench({"tb_load_bench", "engine comparison load",
                                     [](const std::string& database) { sample::makeLargeCompany(database); },
                                     [](core::TDM& dm) {
                                         loadAccInf(dm);
                                         InstallGeneralTrialBalanceEngine();
                                     },
                                     [](core::TDM& dm) { return runProceduresAlone(dm); }},
        argc, argv);
}
