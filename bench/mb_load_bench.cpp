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

double secondsSince(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

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
    std::filesystem::path folder;
    std::string database;
    try {
        if (argc > 1) {
            database = argv[1];
        } else {
            folder = std::filesystem::temp_directory_path() / ("mb-load-bench-" + std::to_string(::getpid()));
            std::filesystem::create_directories(folder);
            database = (folder / "tnacc.fdb").string();
        }
        if (!std::filesystem::exists(database)) {
            const auto t0 = std::chrono::steady_clock::now();
            sample::makeLargeMedicalCompany(database);
            std::printf("generated %s in %.1f s\n", database.c_str(), secondsSince(t0));
        }

        core::TDM dm;
        core::DM = &dm;
        dm.IBDatabaseDAT.setDatabaseName(database);
        dm.IBDatabaseDAT.addParam("user_name=SYSDBA");
        dm.IBDatabaseDAT.addParam("lc_ctype=SJIS_0208");
        dm.IBDatabaseDAT.connect();
        readCompany(dm);
        InstallMedicalTrialBalanceEngine();

        TBalanceArray rows(static_cast<std::size_t>(BalanceCapacity()));
        TQSortArray sorts(rows.size());
        const int last = int(rows.size()) - 1;
        auto engineLoad = [&] { LoadHikakuBalance(rows, last, sorts, last, "", "", 0, 0, 0, 0, 0, 1, 2, 0); };

        // One warm-up run of each, then the best of three.
        engineLoad();
        const long fetched = proceduresAlone(dm);
        double engine = 1e9, alone = 1e9;
        for (int i = 0; i < 3; ++i) {
            auto t = std::chrono::steady_clock::now();
            engineLoad();
            engine = std::min(engine, secondsSince(t));
            t = std::chrono::steady_clock::now();
            proceduresAlone(dm);
            alone = std::min(alone, secondsSince(t));
        }
        const double ratio = engine / alone;
        std::printf("rows fetched by the procedures: %ld\n", fetched);
        std::printf("medical engine comparison load: %.3f s\n", engine);
        std::printf("procedures alone:               %.3f s\n", alone);
        std::printf("ratio:                          %.3f (limit 1.2)\n", ratio);

        dm.IBDatabaseDAT.disconnect();
        core::DM = nullptr;
        if (!folder.empty())
            std::filesystem::remove_all(folder);
        return ratio <= 1.2 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mb_load_bench: %s\n", e.what());
        if (!folder.empty())
            std::filesystem::remove_all(folder);
        return 2;
    }
}
