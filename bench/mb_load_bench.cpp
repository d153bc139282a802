// The medical engine's full comparison load (what the export runs) on a
// large generated medical corporation, against running the same stored
// procedures through the client library and discarding their rows. Prints
// both times and their ratio; exits with 1 when the engine takes more than
// 1.2 times the procedures alone.
//
//   mb_load_bench [database]   a medical company database; generated there
//                              (and kept) when the file does not exist;
//                              without an argument one is generated in a
//                              temporary folder and removed: 300 more
//                              accounts, 1,000 sub-accounts, 500,000 journal
//                              lines over three facilities

#include "accounting/uAccMbZanCmp.h"
#include "core/DataModule.h"
#include "engine_load_bench.h"
#include "core/uAccRecord.h"
#include "large_medical_company.h"
#include "platform/firebird/firebird.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fb = platform::firebird;

namespace {

// What the medical load reads of the open-company record.
void readCompany(core::TDM& dm)
{
    fb::Query q(&dm.IBDatabaseDAT, &dm.IBTransactionDAT);
    dm.IBTransactionDAT.startTransaction();
    q.sql().add("SELECT SIME, KAISINO, DATEDIFF(DAY FROM DATE '1899-12-30' TO KISHU) AS D0,"
                " DATEDIFF(DAY FROM DATE '1899-12-30' TO KIMATU) AS DE,"
                " DATEDIFF(DAY FROM DATE '1899-12-30' TO ZKISHU) AS D1,"
                " DATEDIFF(DAY FROM DATE '1899-12-30' TO ZZKISHU) AS D2 FROM ACCDEF1 WHERE REC = 1");
    q.open();
    AccInf.SIME = q.fieldByName("SIME").asInteger();
    AccInf.KAISINO = q.fieldByName("KAISINO").asInteger();
    AccInf.KISHU = q.fieldByName("D0").asInteger();
    AccInf.KIMATU = q.fieldByName("DE").asInteger();
    AccInf.zKISHU = q.fieldByName("D1").asInteger();
    AccInf.zzKISHU = q.fieldByName("D2").asInteger();
    AccInf.DataKind = 1;
    q.close();
    dm.IBTransactionDAT.commit();
}

// The three statements of the export's comparison load, rows fetched and dropped.
long proceduresAlone(core::TDM& dm)
{
    long fetched = 0;
    dm.IBTransactionDAT.startTransaction();
    for (const char* sql : {"SELECT * From SP_SISANHYO( '' ,0,0 ) ", "SELECT * From SP_KANENDO_ZANDAKA( '', 0 , 0 ) ",
             "SELECT * FROM SP_YOSAN( 0, '' , 0 )"}) {
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
    return bench::runEngineBench({"mb_load_bench", "medical engine comparison load",
                                     [](const std::string& database) { sample::makeLargeMedicalCompany(database); },
                                     [](core::TDM& dm) {
                                         readCompany(dm);
                                         InstallMedicalTrialBalanceEngine();
                                     },
                                     [](core::TDM& dm) { return proceduresAlone(dm); }},
        argc, argv);
}
