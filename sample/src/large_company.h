#pragma once
// A large general company for benchmarks: the sample company database with
// many more accounts, sub-accounts and journal lines generated inside the
// database (deterministic for a seed).

#include <string>

namespace sample {

struct LargeCompanyOptions {
    int accounts = 300; // generated accounts (besides the sample's)
    int subAccounts = 1000; // spread ten to an account over the first ones
    int journalLines = 500000; // current year
    int priorYearLines = 100000; // each of the two prior years
    unsigned seed = 12345;
    std::string user = "SYSDBA";
    std::string password;
};

// Creates the database file (it must not exist) and fills it.
void makeLargeCompany(const std::string& databaseName, const LargeCompanyOptions& options = {});

} // namespace sample
