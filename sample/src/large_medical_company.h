#pragma once
// A large medical corporation for benchmarks: the sample medical
// corporation's database with many more accounts, sub-accounts and journal
// lines over its facilities and departments, generated inside the database
// (deterministic for a seed).

#include <string>

namespace sample {

struct LargeMedicalOptions {
    int accounts = 300; // generated accounts (besides the sample's)
    int subAccounts = 1000; // ten to an account over the first ones
    int journalLines = 500000; // current year
    int priorYearLines = 100000; // each of the two prior years
    unsigned seed = 4711;
    std::string user = "SYSDBA";
    std::string password;
};

// Creates the database file (it must not exist) and fills it.
void makeLargeMedicalCompany(const std::string& databaseName, const LargeMedicalOptions& options = {});

} // namespace sample
