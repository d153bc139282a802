#include "balance_dump.h"

#include "platform/firebird/firebird.h"

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace fb = platform::firebird;

namespace sample {

namespace {

// The values each input of the procedures is called with.
const std::map<std::string, std::vector<std::string>>& argumentValues()
{
    static const std::map<std::string, std::vector<std::string>> values = {
        {"TAX", {"0", "1"}},
        {"F", {"0", "1"}},
        {"ZENTAX", {"1", "-1"}},
        {"HAIBUN", {"0"}},
        {"SCODE", {"''", "'01'", "'02'"}},
        {"SITENGROUP", {"''", "'G1'"}},
        {"BCODE", {"'01'", "'02'", "'B1'"}},
    };
    return values;
}

struct Procedure {
    std::string name;
    std::vector<std::string> inputs;
};

std::vector<Procedure> publicProcedures(fb::Database& db, fb::Transaction& tr)
{
    std::vector<Procedure> procs;
    fb::Query q(&db, &tr);
    q.sql().add("SELECT TRIM(P.RDB$PROCEDURE_NAME) AS N, TRIM(A.RDB$PARAMETER_NAME) AS A");
    q.sql().add("FROM RDB$PROCEDURES P LEFT JOIN RDB$PROCEDURE_PARAMETERS A");
    q.sql().add("  ON A.RDB$PROCEDURE_NAME = P.RDB$PROCEDURE_NAME AND A.RDB$PARAMETER_TYPE = 0");
    q.sql().add("WHERE P.RDB$PROCEDURE_NAME STARTING WITH 'SP_SISANHYO'");
    q.sql().add("   OR P.RDB$PROCEDURE_NAME STARTING WITH 'SP_KANENDO'");
    q.sql().add("   OR P.RDB$PROCEDURE_NAME STARTING WITH 'SP_YOSAN'");
    q.sql().add("ORDER BY P.RDB$PROCEDURE_NAME, A.RDB$PARAMETER_NUMBER");
    for (q.open(); !q.eof(); q.next()) {
        const std::string n = q.fieldByName("N").asString();
        if (procs.empty() || procs.back().name != n)
            procs.push_back({n, {}});
        if (!q.fieldByName("A").isNull())
            procs.back().inputs.push_back(q.fieldByName("A").asString());
    }
    return procs;
}

// Every combination of the inputs' values, as argument lists.
void argumentLists(
    const std::vector<std::string>& inputs, std::size_t i, std::string prefix, std::vector<std::string>& out)
{
    if (i == inputs.size()) {
        out.push_back(prefix);
        return;
    }
    const auto it = argumentValues().find(inputs[i]);
    if (it == argumentValues().end())
        throw std::runtime_error("balance dump: no values for the input " + inputs[i]);
    for (const std::string& v : it->second)
        argumentLists(inputs, i + 1, prefix.empty() ? v : prefix + ", " + v, out);
}

} // namespace

void dumpBalanceProcedures(fb::Database& db, std::ostream& out)
{
    fb::Transaction tr(&db);
    tr.addParam("write");
    tr.addParam("concurrency");
    tr.startTransaction();
    const auto procs = publicProcedures(db, tr);
    for (const int start : {1, 4}) {
        db.executeImmediate("UPDATE ACCDEF1 SET KAISINO = " + std::to_string(start) + " WHERE REC = 1", &tr);
        for (const Procedure& p : procs) {
            std::vector<std::string> lists;
            argumentLists(p.inputs, 0, {}, lists);
            for (const std::string& args : lists) {
                out << "== KAISINO " << start << " " << p.name << "(" << args << ")\n";
                fb::Query q(&db, &tr);
                q.sql().add("SELECT * FROM " + p.name + (p.inputs.empty() ? "" : "(" + args + ")"));
                q.open();
                const std::size_t n = q.fieldCount();
                for (std::size_t c = 0; c < n; ++c)
                    out << (c ? "|" : "") << q.field(c).name();
                out << "\n";
                for (; !q.eof(); q.next()) {
                    for (std::size_t c = 0; c < n; ++c) {
                        fb::Field& f = q.field(c);
                        out << (c ? "|" : "") << (f.isNull() ? std::string("<null>") : f.asString());
                    }
                    out << "\n";
                }
            }
        }
    }
    tr.rollback();
}

} // namespace sample
