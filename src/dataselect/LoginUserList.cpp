#include "dataselect/LoginUserList.h"
#include "core/DbOperation.h"

#include "core/DataModule.h"
#include "core/IBErrorProc.h"
#include "core/uAccRecord.h"

#include <stdexcept>

namespace dataselect {

namespace fb = platform::firebird;

bool fnDBConect_OP(std::vector<TLoginUserR>& entries)
{
    if (core::DM == nullptr)
        throw std::logic_error("TfmWebMenuL.fnDBConect_OP: no data module");
    core::TDM& dm = *core::DM;
    entries.clear();
    // The transaction started here is committed after success and failure
    // alike: the load only reads.
    try {
        core::RunDbOperation(dm.IBTransactionDEF,
            core::DbPolicy("TfmWebMenuL.fnDBConect_OP").with(core::DbFailure::Commit).with(core::DbReport::Raise), [&] {
                fb::Query q(&dm.IBDatabaseDEF, &dm.IBTransactionDEF);
                q.sql().add("SELECT * FROM LOGONUSERLIST ");
                q.open();
                for (; !q.eof(); q.next()) {
                    if (q.fieldByName("OPCODE").asInteger() == SysDef.OpCode)
                        continue;
                    TLoginUserR e;
                    e.OperatorCode = q.fieldByName("OPERATORCODE").asInteger();
                    e.Group = q.fieldByName("GROUPID").asInteger();
                    entries.push_back(e);
                }
                q.close();
                if (!entries.empty()) {
                    q.sql().clear();
                    q.sql().add("SELECT * FROM OPERATOR ");
                    q.sql().add("WHERE GROUPID =:GROUPID and OPCODE =:OPCODE ");
                    for (TLoginUserR& e : entries) {
                        q.paramByName("GROUPID").setInteger(e.Group);
                        q.paramByName("OPCODE").setInteger(e.OperatorCode);
                        q.open();
                        if (!q.eof())
                            e.OperatorName = q.fieldByName("OPNAME").asString();
                        q.close();
                    }
                }
            });
        return !entries.empty();
    } catch (const core::EIBError& e) {
        core::IBErrorProc(e, "TfmWebMenuL.fnDBConect_OP", "", false);
        throw;
    }
}

} // namespace dataselect
