#pragma once
// Every public trial-balance, past-year and budget procedure of a general
// company database, called with every scope the sample's codes give (tax
// modes, branches, branch group, departments, department group) and with the
// data starting in month 1 and in month 4, written as text: one header line
// per call, then one line per row with every column. Two databases give the
// same text exactly when their procedures give the same rows, in the same
// order, to the last yen. Used to prove that a change of the procedures'
// bodies keeps their results.

#include <ostream>

namespace platform::firebird {
class Database;
}

namespace sample {

// Writes the dump; the company is left as it was (the data-start change is
// rolled back).
void dumpBalanceProcedures(platform::firebird::Database& company, std::ostream& out);

} // namespace sample
