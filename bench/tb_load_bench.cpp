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

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

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
    std::string database;
    std::filesystem::path folder;
    try {
        if (argc > 1) {
            database = argv[1];
        } else {
            folder = std::filesystem::temp_directory_path() / ("tb-load-bench-" + std::to_string(::getpid()));
            std::filesystem::create_directories(folder);
            database = (folder / "tnacc.fdb").string();
        }
        if (!std::filesystem::exists(database)) {
            const auto t0 = std::chrono::steady_clock::now();
            sample::makeLargeCompany(database);
            std::printf("generated %s in %.1f s\n", database.c_str(), seconds(t0));
        }

        core::TDM dm;
        core::DM = &dm;
        dm.IBDatabaseDAT.setDatabaseName(database);
        dm.IBDatabaseDAT.addParam("user_name=SYSDBA");
        dm.IBDatabaseDAT.addParam("lc_ctype=SJIS_0208");
        dm.IBDatabaseDAT.connect();
        loadAccInf(dm);
        InstallGeneralTrialBalanceEngine();

        TBalanceArray rows(static_cast<std::size_t>(BalanceCapacity()));
        TQSortArray sorts(rows.size());
        const int last = int(rows.size()) - 1;
        auto engineLoad = [&] { LoadHikakuBalance(rows, last, sorts, last, "", "", 0, 0, 0, 0, 0, 1, 2, 0); };

        // One warm-up run of each, then the best of three.
        engineLoad();
        const long fetched = runProceduresAlone(dm);
        double engine = 1e9, alone = 1e9;
        for (int i = 0; i < 3; ++i) {
            auto t = std::chrono::steady_clock::now();
            engineLoad();
            engine = std::min(engine, seconds(t));
            t = std::chrono::steady_clock::now();
            runProceduresAlone(dm);
            alone = std::min(alone, seconds(t));
        }
        const double ratio = engine / alone;
        std::printf("rows fetched by the procedures: %ld\n", fetched);
        std::printf("engine comparison load: %.3f s\n", engine);
        std::printf("procedures alone:       %.3f s\n", alone);
        std::printf("ratio:                  %.3f (limit 1.2)\n", ratio);

        dm.IBDatabaseDAT.disconnect();
        core::DM = nullptr;
        if (!folder.empty())
            std::filesystem::remove_all(folder);
        return ratio <= 1.2 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tb_load_bench: %s\n", e.what());
        if (!folder.empty())
            std::filesystem::remove_all(folder);
        return 2;
    }
}
