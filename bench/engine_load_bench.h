#pragma once
// The frame both engine benchmarks share: a large company generated (or
// given), opened on a data module, the engine's full comparison load timed
// against the same procedures run alone, best of three after a warm-up.
// Prints both times and their ratio; the exit code is 1 above the limit.

#include "accounting/uAccSisanhyou.h"
#include "core/DataModule.h"
#include "core/uAccRecord.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>

namespace bench {

struct TEngineBench {
    const char* name; // "tb_load_bench"
    const char* label; // what the engine row says
    std::function<void(const std::string&)> generate; // a large company into that file
    std::function<void(core::TDM&)> prepare; // open-company facts, the engine
    std::function<long(core::TDM&)> proceduresAlone; // rows fetched and dropped
    double limit = 1.2;
};

inline double secondsSince(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

inline int runEngineBench(const TEngineBench& b, int argc, char** argv)
{
    std::filesystem::path folder;
    std::string database;
    try {
        if (argc > 1) {
            database = argv[1];
        } else {
            folder = std::filesystem::temp_directory_path() / (std::string(b.name) + "-" + std::to_string(::getpid()));
            std::filesystem::create_directories(folder);
            database = (folder / "tnacc.fdb").string();
        }
        if (!std::filesystem::exists(database)) {
            const auto t0 = std::chrono::steady_clock::now();
            b.generate(database);
            std::printf("generated %s in %.1f s\n", database.c_str(), secondsSince(t0));
        }

        core::TDM dm;
        core::DM = &dm;
        dm.IBDatabaseDAT.setDatabaseName(database);
        dm.IBDatabaseDAT.addParam("user_name=SYSDBA");
        dm.IBDatabaseDAT.addParam("lc_ctype=SJIS_0208");
        dm.IBDatabaseDAT.connect();
        b.prepare(dm);

        TBalanceArray rows(static_cast<std::size_t>(BalanceCapacity()));
        TQSortArray sorts(rows.size());
        const int last = int(rows.size()) - 1;
        auto engineLoad = [&] { LoadHikakuBalance(rows, last, sorts, last, "", "", 0, 0, 0, 0, 0, 1, 2, 0); };

        // One warm-up run of each, then the best of three.
        engineLoad();
        const long fetched = b.proceduresAlone(dm);
        double engine = 1e9, alone = 1e9;
        for (int i = 0; i < 3; ++i) {
            auto t = std::chrono::steady_clock::now();
            engineLoad();
            engine = std::min(engine, secondsSince(t));
            t = std::chrono::steady_clock::now();
            b.proceduresAlone(dm);
            alone = std::min(alone, secondsSince(t));
        }
        const double ratio = engine / alone;
        std::printf("rows fetched by the procedures: %ld\n", fetched);
        std::printf("%-31s %.3f s\n", (std::string(b.label) + ":").c_str(), engine);
        std::printf("%-31s %.3f s\n", "procedures alone:", alone);
        std::printf("%-31s %.3f (limit %.1f)\n", "ratio:", ratio, b.limit);

        dm.IBDatabaseDAT.disconnect();
        core::DM = nullptr;
        if (!folder.empty())
            std::filesystem::remove_all(folder);
        return ratio <= b.limit ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", b.name, e.what());
        if (!folder.empty())
            std::filesystem::remove_all(folder);
        return 2;
    }
}

} // namespace bench
