// Writes what every public balance procedure of a company database returns
// (sample/src/balance_dump.h) to standard output, so that the results before
// and after a change of the procedures can be compared byte for byte.
//
//   tb_dump <database>                 an existing company database
//   tb_dump <database> --sample        first makes the sample company there
//   tb_dump <database> --generate N    first generates a company of N journal
//                                      lines there (60 accounts, 200
//                                      sub-accounts, N/4 lines in each prior
//                                      year); the file must not exist

#include "balance_dump.h"
#include "large_company.h"
#include "platform/firebird/firebird.h"
#include "sample_data.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    const std::string mode = argc > 2 ? argv[2] : "";
    if (!(argc == 2 || (argc == 3 && mode == "--sample") || (argc == 4 && mode == "--generate"))) {
        std::fprintf(stderr, "usage: tb_dump <database> [--sample | --generate lines]\n");
        return 2;
    }
    try {
        const std::string database = argv[1];
        if (mode == "--sample")
            sample::createDatabaseFromScripts(database, sample::defaultSqlDir(), "company", "SYSDBA", "", false);
        if (mode == "--generate") {
            sample::LargeCompanyOptions o;
            o.accounts = 60;
            o.subAccounts = 200;
            o.journalLines = std::atoi(argv[3]);
            o.priorYearLines = o.journalLines / 4;
            sample::makeLargeCompany(database, o);
        }
        platform::firebird::Database db;
        db.setDatabaseName(database);
        db.addParam("user_name=SYSDBA");
        db.addParam("lc_ctype=SJIS_0208");
        db.connect();
        sample::dumpBalanceProcedures(db, std::cout);
        db.disconnect();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tb_dump: %s\n", e.what());
        return 1;
    }
}
