// Export speed on generated companies of 50,000, 200,000, 500,000 and
// 1,000,000 journal lines (each prior year a fifth of that, 300 accounts,
// 1,000 sub-accounts): the business-overview figures of the whole year
// (every balance statement they load and the item sums), against the bare
// limit, one plain grouped query over the same journals (both sides of
// every live entry line of the current and the two prior years, grouped by
// account, sub-account and period, all rows fetched). Prints one line per
// size with both times, their ratio and the peak memory of the process
// while it exported.
//
//   export_bench                     every size, each in a child process
//   export_bench --lines N [folder]  one size; the company is generated in
//                                    folder/tnacc.fdb when missing (kept),
//                                    else in a temporary folder (removed)
//
// Times are the median of three paired runs after one warm-up of each.
// Exits with 1 when a ratio at 500,000 lines or more is above 2, or when
// 1,000,000 lines take more than 2.2 times 500,000.

#include "accounting/OpenCompanyTables.h"
#include "accounting/uAccZanCmp1.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/uAccRecord.h"
#include "large_company.h"
#include "platform/codec.h"
#include "platform/firebird/firebird.h"
#include "platform/registry.h"
#include "wizard/ug16.h"
#include "wizard/ug16Figures.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace fb = platform::firebird;
namespace fs = std::filesystem;

namespace {

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The peak resident size since the last reset, in MB (VmHWM).
double peakMegabytes()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return -1;
}

void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

const char* const kBareQuery
    = "SELECT K, H, P, SUM(A) FROM ("
      " SELECT KCODE AS K, HCODE AS H, MNUM AS P, KINGAKU AS A FROM SIWAKE WHERE DELFLG = 0 AND TAISHAKU = 1"
      " UNION ALL SELECT R_KCODE, R_HCODE, MNUM, KINGAKU FROM SIWAKE WHERE DELFLG = 0 AND TAISHAKU = 1"
      " UNION ALL SELECT KCODE, HCODE, MNUM, KINGAKU FROM KAKOSIWAKE1 WHERE DELFLG = 0 AND TAISHAKU = 1"
      " UNION ALL SELECT R_KCODE, R_HCODE, MNUM, KINGAKU FROM KAKOSIWAKE1 WHERE DELFLG = 0 AND TAISHAKU = 1"
      " UNION ALL SELECT KCODE, HCODE, MNUM, KINGAKU FROM KAKOSIWAKE2 WHERE DELFLG = 0 AND TAISHAKU = 1"
      " UNION ALL SELECT R_KCODE, R_HCODE, MNUM, KINGAKU FROM KAKOSIWAKE2 WHERE DELFLG = 0 AND TAISHAKU = 1"
      ") G GROUP BY K, H, P";

long bareAggregate(core::TDM& dm)
{
    long rows = 0;
    dm.IBTransactionDAT.startTransaction();
    {
        fb::Query q(&dm.IBDatabaseDAT, &dm.IBTransactionDAT);
        q.sql().add(kBareQuery);
        for (q.open(); !q.eof(); q.next())
            ++rows;
        q.close();
    }
    dm.IBTransactionDAT.commit();
    return rows;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int runOneSize(int lines, const std::string& keepFolder)
{
    const fs::path folder = keepFolder.empty()
        ? fs::temp_directory_path() / ("export-bench-" + std::to_string(::getpid()))
        : fs::path(keepFolder);
    fs::create_directories(folder);
    const std::string database = (folder / "tnacc.fdb").string();
    double generated = 0;
    if (!fs::exists(database)) {
        const auto t0 = std::chrono::steady_clock::now();
        sample::LargeCompanyOptions o;
        o.journalLines = lines;
        o.priorYearLines = lines / 5;
        sample::makeLargeCompany(database, o);
        generated = seconds(t0);
    }

    // The export as the wizard makes it: settings folder, registry stand-in
    // and a settings file already migrated.
    const fs::path work = folder / "work";
    fs::create_directories(work);
    const std::string ini = (work / "VzRendo.ini").string();
    std::ofstream(ini, std::ios::binary) << platform::codec::toSjis("[UG_データ移行]\r\nIKOUZUMI=1\r\n");
    platform::Registry registry((work / "registry.ini").string());
    TExportSources sources;
    sources.AppDataDir = work.string();
    sources.HomeDir = "bench";
    sources.Registry = &registry;
    SysDef.WorkDir = work.string();

    core::TDM dm;
    core::DM = &dm;
    dm.IBDatabaseDAT.setDatabaseName(database);
    dm.IBDatabaseDAT.addParam("user_name=SYSDBA");
    dm.IBDatabaseDAT.addParam("lc_ctype=SJIS_0208");
    dm.IBDatabaseDAT.connect();
    InstallOpenCompanyTables();
    InstallGeneralTrialBalanceEngine();
    if (!core::fnGetAccInfo())
        throw std::runtime_error("the company record cannot be read");

    // The page cache the engine gave the database.
    long cachePages = 0;
    dm.IBTransactionDAT.startTransaction();
    {
        fb::Query q(&dm.IBDatabaseDAT, &dm.IBTransactionDAT);
        q.sql().add("SELECT MON$PAGE_BUFFERS AS B FROM MON$DATABASE");
        q.open();
        cachePages = q.fieldByName("B").asInteger();
    }
    dm.IBTransactionDAT.commit();

    auto exporterHolder
        = std::make_unique<TGaikyosyoDataExport>("export_bench", 0, (work / "out.xml").string(), false, sources);
    TGaikyosyoDataExport& exporter = *exporterHolder;
    exporter.FiscalStart = AccInf.KISHU;
    exporter.FiscalEnd = AccInf.KIMATU;
    exporter.ClosingDay = AccInf.SIME;
    exporter.DataType = AccInf.DATATYPE;
    exporter.CodeType = AccInf.CODETYPE;
    exporter.StartPeriodIndex = 0;
    exporter.EndPeriodIndex = 15;
    exporter.LastPeriodIndex = 15;
    exporter.TaxMode = 0;
    auto figures = [&] { return MakeGaikyosyoFigures(exporter, ini); };

    resetPeak();
    figures();
    const long groups = bareAggregate(dm);
    std::vector<double> exportTimes, bareTimes;
    for (int i = 0; i < 3; ++i) {
        auto t = std::chrono::steady_clock::now();
        figures();
        exportTimes.push_back(seconds(t));
        t = std::chrono::steady_clock::now();
        bareAggregate(dm);
        bareTimes.push_back(seconds(t));
    }
    const double peak = peakMegabytes();
    const double e = median(exportTimes), b = median(bareTimes);
    // One machine-readable line for the driver.
    std::printf(
        "RESULT %d %.3f %.3f %.2f %.0f %ld %.1f %ld\n", lines, e, b, e / b, peak, groups, generated, cachePages);
    exporterHolder.reset(); // saves its settings while the folder is there
    dm.IBDatabaseDAT.disconnect();
    core::DM = nullptr;
    if (keepFolder.empty())
        fs::remove_all(folder);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        if (argc >= 3 && std::strcmp(argv[1], "--lines") == 0)
            return runOneSize(std::atoi(argv[2]), argc > 3 ? argv[3] : "");

        std::printf("%10s %10s %10s %7s %9s %8s %10s %7s\n", "lines", "export s", "bare s", "ratio", "peak MB",
            "groups", "generate s", "cache");
        std::map<int, double> times;
        bool ok = true;
        for (const int lines : {50000, 200000, 500000, 1000000}) {
            const std::string cmd
                = "'" + fs::read_symlink("/proc/self/exe").string() + "' --lines " + std::to_string(lines);
            FILE* child = ::popen(cmd.c_str(), "r");
            if (!child)
                throw std::runtime_error("cannot start " + cmd);
            std::array<char, 512> buf {};
            int n = 0;
            double e = 0, b = 0, r = 0, peak = 0, gen = 0;
            long groups = 0;
            char cache[32] = "";
            bool got = false;
            while (std::fgets(buf.data(), buf.size(), child))
                if (std::sscanf(buf.data(), "RESULT %d %lf %lf %lf %lf %ld %lf %31s", &n, &e, &b, &r, &peak, &groups,
                        &gen, cache)
                    == 8)
                    got = true;
            if (::pclose(child) != 0 || !got)
                throw std::runtime_error("the run of " + std::to_string(lines) + " lines failed");
            std::printf("%10d %10.3f %10.3f %7.2f %9.0f %8ld %10.1f %7s\n", n, e, b, r, peak, groups, gen, cache);
            std::fflush(stdout);
            times[lines] = e;
            if (lines >= 500000 && r > 2.0)
                ok = false;
        }
        const double growth = times[1000000] / times[500000];
        std::printf("1,000,000 / 500,000 lines: %.2f\n", growth);
        return ok && growth <= 2.2 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "export_bench: %s\n", e.what());
        return 2;
    }
}
