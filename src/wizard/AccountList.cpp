#include "wizard/AccountList.h"

#include "core/DataModule.h"
#include "core/DbOperation.h"
#include "platform/firebird/firebird.h"

namespace wizard {

namespace fb = platform::firebird;

TAccountList LoadAccountList(const std::string& condition)
{
    TAccountList list;
    core::TDM* dm = core::DM;
    if (dm == nullptr || !dm->IBDatabaseDAT.connected()) {
        list.ErrorCaption = "例外エラー";
        list.ErrorText = "会計データに接続されていません。";
        return list;
    }
    try {
        core::RunDbOperation(
            dm->IBTransactionDAT, core::DbPolicy("TKamokuSentakuDialog.load").with(core::DbReport::Raise), [&] {
                fb::Query qy(&dm->IBDatabaseDAT, &dm->IBTransactionDAT);
                qy.sql().add("SELECT KCODE,USERCODE,KNAME FROM KAMOKUMST");
                qy.sql().add("WHERE (USE>0)");
                if (!condition.empty())
                    qy.sql().add("AND (" + condition + ")");
                qy.sql().add("ORDER BY GROUPM0,USERCODE");
                qy.open();
                while (!qy.eof()) {
                    list.Rows.push_back({qy.fieldByName("KCODE").asString(), qy.fieldByName("USERCODE").asString(),
                        qy.fieldByName("KNAME").asString()});
                    qy.next();
                }
                qy.close();
            });
    } catch (const fb::EIBError& e) {
        list.Rows.clear();
        list.ErrorCaption = "ﾃﾞｰﾀﾍﾞｰｽ ｴﾗｰ";
        list.ErrorText = std::string(e.what()) + "\r\r";
    } catch (const std::exception& e) {
        list.Rows.clear();
        list.ErrorCaption = "例外エラー";
        list.ErrorText = std::string(e.what()) + "\r\r";
    }
    return list;
}

} // namespace wizard
