#pragma once
// The other operators logged on to the system database, as the logged-in
// operators screen lists them: every LOGONUSERLIST row but the operator's
// own, with the operator's name (empty when OPERATOR has no row).

#include <cstdint>
#include <string>
#include <vector>

namespace dataselect {

struct TLoginUserR {
    std::int32_t OperatorCode = 0; // code within the group
    std::int32_t Group = 0;
    std::string OperatorName;
};

// Fills entries (any number of rows, in the order read) and answers whether
// there is at least one. A database error is logged under
// "TfmWebMenuL.fnDBConect_OP" without a message and raised again; the
// system transaction is ended by whoever started it either way.
bool fnDBConect_OP(std::vector<TLoginUserR>& entries);

} // namespace dataselect
