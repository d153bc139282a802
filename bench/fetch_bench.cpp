// Fetch cost of the database layer against a bare loop over the client
// library's result set: 200,000 journal-like rows, same query, the same
// conversions (texts from code page 932 to UTF-8, amounts to Currency,
// dates). Prints both times and their ratio; the layer should stay within
// 1.3 times the bare loop. Most of both is the engine's own fetch, so a
// third loop fetches the same rows and reads nothing: the times above it are
// each side's own work (conversions, field lookups), and their ratio is the
// layer's cost against the least a client must do.

#include "platform/codec.h"
#include "platform/firebird/firebird.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fb = platform::firebird;

namespace {

constexpr int kRows = 200000;
const char* const kQuery = "SELECT REC, HIZUKE, KCODE, HCODE, BCODE, R_KCODE, KINGAKU, ZEIGAKU, TAXCODE, TEKTEXT "
                           "FROM SIWAKE ORDER BY REC";

struct Sums {
    long long ints = 0, money = 0, days = 0, bytes = 0;
    bool operator==(const Sums&) const = default;
};

void fill(fb::Database& db)
{
    db.executeImmediate("CREATE TABLE SIWAKE (REC INTEGER NOT NULL PRIMARY KEY, HIZUKE DATE, "
                        "KCODE VARCHAR(6) CHARACTER SET ASCII, HCODE VARCHAR(6) CHARACTER SET ASCII, "
                        "BCODE VARCHAR(6) CHARACTER SET ASCII, R_KCODE VARCHAR(6) CHARACTER SET ASCII, "
                        "KINGAKU NUMERIC(18,4), ZEIGAKU NUMERIC(18,4), TAXCODE INTEGER, TEKTEXT VARCHAR(80))");
    fb::Transaction tr(&db);
    tr.addParam("write");
    tr.startTransaction();
    fb::Query q(&db, &tr);
    // Rows are generated on the server; the texts come in as parameters so
    // they keep their code page 932 bytes (half-width kana, ㈱, ①).
    q.sql().add("INSERT INTO SIWAKE");
    q.sql().add("WITH D AS (SELECT 0 AS V FROM RDB$DATABASE UNION ALL SELECT 1 FROM RDB$DATABASE");
    q.sql().add("  UNION ALL SELECT 2 FROM RDB$DATABASE UNION ALL SELECT 3 FROM RDB$DATABASE");
    q.sql().add("  UNION ALL SELECT 4 FROM RDB$DATABASE UNION ALL SELECT 5 FROM RDB$DATABASE");
    q.sql().add("  UNION ALL SELECT 6 FROM RDB$DATABASE UNION ALL SELECT 7 FROM RDB$DATABASE");
    q.sql().add("  UNION ALL SELECT 8 FROM RDB$DATABASE UNION ALL SELECT 9 FROM RDB$DATABASE),");
    q.sql().add("N AS (SELECT A.V + 10 * B.V + 100 * C.V + 1000 * E.V + 10000 * F.V + 100000 * G.V AS I");
    q.sql().add("  FROM D A CROSS JOIN D B CROSS JOIN D C CROSS JOIN D E CROSS JOIN D F CROSS JOIN D G)");
    q.sql().add("SELECT I + 1, DATEADD(MOD(I, 365) DAY TO DATE '2024-04-01'),");
    q.sql().add("  LPAD(MOD(I, 97) + 1000, 4, '0'), IIF(MOD(I, 3) = 0, ' ', '01'), '00', '9111',");
    q.sql().add("  MOD(I, 100000) * 1.25, MOD(I, 1000) * 0.1, MOD(I, 9),");
    q.sql().add("  IIF(MOD(I, 2) = 0, CAST(:T1 AS VARCHAR(60)) || I, CAST(:T2 AS VARCHAR(60)) || I)");
    q.sql().add("FROM N WHERE I < :N");
    q.paramByName("N").setInteger(kRows);
    q.paramByName("T1").setString("売上 ㈱髙橋商店 ①請求書No.");
    q.paramByName("T2").setString("ｺﾞｳｹｲ transfer fee ");
    q.execSQL();
    tr.commit();
}

// Both loops attach, fetch and detach, so that they time the same work.
Sums throughLayer(const std::string& path)
{
    fb::Database db;
    db.setDatabaseName(path);
    db.addParam("user_name=TOLVAN");
    db.addParam("lc_ctype=SJIS_0208");
    db.connect();
    fb::Transaction tr(&db);
    tr.addParam("read");
    tr.addParam("concurrency");
    tr.startTransaction();
    fb::Query q(&db, &tr);
    q.sql().add(kQuery);
    q.open();
    fb::Field& rec = q.fieldByName("REC");
    fb::Field& hizuke = q.fieldByName("HIZUKE");
    fb::Field& kcode = q.fieldByName("KCODE");
    fb::Field& hcode = q.fieldByName("HCODE");
    fb::Field& bcode = q.fieldByName("BCODE");
    fb::Field& rkcode = q.fieldByName("R_KCODE");
    fb::Field& kingaku = q.fieldByName("KINGAKU");
    fb::Field& zeigaku = q.fieldByName("ZEIGAKU");
    fb::Field& taxcode = q.fieldByName("TAXCODE");
    fb::Field& tekiyo = q.fieldByName("TEKTEXT");
    Sums s;
    for (; !q.eof(); q.next()) {
        s.ints += rec.asInteger() + taxcode.asInteger();
        s.days += static_cast<long long>(std::chrono::sys_days {hizuke.asDate()}.time_since_epoch().count());
        s.bytes += static_cast<long long>(kcode.asString().size() + hcode.asString().size() + bcode.asString().size()
            + rkcode.asString().size() + tekiyo.asString().size());
        s.money += kingaku.asCurrency() + zeigaku.asCurrency();
    }
    tr.commit();
    return s;
}

std::string varying(const unsigned char* p)
{
    std::uint16_t len;
    std::memcpy(&len, p, 2);
    const char* s = reinterpret_cast<const char*>(p + 2);
    for (std::uint16_t i = 0; i < len; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80)
            return platform::codec::fromSjis(std::string_view(s, len));
    return std::string(s, len);
}

// convert false: only the engine's fetch, no value read.
Sums bareLoop(const std::string& path, bool convert = true)
{
    using namespace Firebird;
    IMaster* master = fb_get_master_interface();
    ThrowStatusWrapper st(master->getStatus());
    IProvider* prov = master->getDispatcher();
    IUtil* util = master->getUtilInterface();
    IXpbBuilder* dpb = util->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&st, isc_dpb_user_name, "TOLVAN");
    dpb->insertString(&st, isc_dpb_lc_ctype, "SJIS_0208");
    IAttachment* att = prov->attachDatabase(&st, path.c_str(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
    const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_concurrency};
    ITransaction* tra = att->startTransaction(&st, sizeof tpb, tpb);
    IStatement* stmt = att->prepare(&st, tra, 0, kQuery, SQL_DIALECT_V6, IStatement::PREPARE_PREFETCH_METADATA);
    IMessageMetadata* meta = stmt->getOutputMetadata(&st);
    std::vector<unsigned char> buf(meta->getMessageLength(&st));
    unsigned off[10], nul[10];
    int scale[10];
    for (unsigned i = 0; i < 10; ++i) {
        off[i] = meta->getOffset(&st, i);
        nul[i] = meta->getNullOffset(&st, i);
        scale[i] = meta->getScale(&st, i);
    }
    auto isNull = [&](int i) { return *reinterpret_cast<short*>(&buf[nul[i]]) != 0; };
    auto toCurrency = [&](int i) {
        std::int64_t v;
        std::memcpy(&v, &buf[off[i]], 8);
        for (int k = scale[i]; k < -4; ++k)
            v /= 10;
        for (int k = -4; k < scale[i]; ++k)
            v *= 10;
        return v;
    };
    IResultSet* rs = stmt->openCursor(&st, tra, nullptr, nullptr, meta, 0);
    Sums s;
    while (rs->fetchNext(&st, buf.data()) == IStatus::RESULT_OK) {
        if (!convert)
            continue;
        std::int32_t rec, tax;
        std::memcpy(&rec, &buf[off[0]], 4);
        std::memcpy(&tax, &buf[off[8]], 4);
        s.ints += rec + (isNull(8) ? 0 : tax);
        ISC_DATE d;
        std::memcpy(&d, &buf[off[1]], 4);
        s.days += d - 40587; // days since 1970-01-01
        for (int c : {2, 3, 4, 5, 9})
            if (!isNull(c))
                s.bytes += static_cast<long long>(varying(&buf[off[c]]).size());
        s.money += (isNull(6) ? 0 : toCurrency(6)) + (isNull(7) ? 0 : toCurrency(7));
    }
    rs->close(&st);
    meta->release();
    stmt->free(&st);
    tra->commit(&st);
    att->detach(&st);
    dpb->dispose();
    prov->release();
    return s;
}

template <typename F> double bestOf(int runs, F&& f)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

} // namespace

int main()
{
    char tmpl[] = "/tmp/fetch-bench-XXXXXX";
    if (!::mkdtemp(tmpl)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = tmpl;
    const std::string path = dir + "/bench.fdb";
    int rc = 0;
    try {
        fb::Database db;
        db.setDatabaseName(path);
        db.addParam("user_name=TOLVAN");
        db.addParam("lc_ctype=SJIS_0208");
        db.addParam("force_write=0");
        db.createDatabase();
        fill(db);
        db.disconnect();

        Sums a, b;
        const double layer = bestOf(3, [&] { a = throughLayer(path); });
        const double bare = bestOf(3, [&] { b = bareLoop(path); });
        const double fetch = bestOf(3, [&] { bareLoop(path, false); });
        std::printf("rows:              %d\n", kRows);
        std::printf("engine fetch only: %.3f s\n", fetch);
        std::printf("bare loop:         %.3f s (own work %.3f s)\n", bare, bare - fetch);
        std::printf("layer:             %.3f s (own work %.3f s)\n", layer, layer - fetch);
        std::printf("ratio:             %.2f (target <= 1.30)\n", layer / bare);
        std::printf("own-work ratio:    %.2f\n", (layer - fetch) / std::max(bare - fetch, 1e-6));
        if (!(a == b)) {
            std::printf("the two loops read different values\n");
            rc = 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fetch_bench: %s\n", e.what());
        rc = 1;
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return rc;
}
