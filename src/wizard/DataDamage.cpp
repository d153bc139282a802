#include "wizard/DataDamage.h"
#include "core/DbOperation.h"

#include "core/DataInfomation.h"
#include "core/DataModule.h"
#include "core/DataModuleSysDef.h"
#include "core/IBErrorProc.h"
#include "core/uAccRecord.h"
#include "platform/paths.h"

#include <stdexcept>

namespace wizard {

namespace {

namespace fb = platform::firebird;

constexpr std::uint8_t kStatusDamaged = 10;

constexpr const char* kDamagedMessage
    = "データ検証の結果、このデータは破損している恐れがあります。\r"
      "データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。\r"
      "ご不明な点がございましたら、お問い合わせ先をご確認の上ご連絡下さい。";

// The data-list row (parent or child) and the folder's own file get the
// damaged status. Failures are left unreported: the caller has already told
// the user and set the flag.
void MarkDamaged(const std::string& dataPath)
{
    try {
        core::TDM& dm = *core::DM;
        core::RunDbOperation(dm.IBTransactionDEF, core::DbPolicy("MarkDamaged").with(core::DbReport::Raise), [&] {
            int rec = 0;
            int rowNo = 0;
            core::GetDataListRec(dataPath, rec, rowNo);
            if (rec > 0) {
                fb::Query q(&dm.IBDatabaseDEF, &dm.IBTransactionDEF);
                if (rowNo == 0) {
                    q.sql().add("UPDATE DATALIST SET DATA_STATUS=1");
                    q.sql().add("WHERE REC=:REC");
                } else {
                    q.sql().add("UPDATE CHILD_DATALIST SET DATA_STATUS=1");
                    q.sql().add("WHERE REC=:REC AND ROWNO=:ROWNO");
                    q.paramByName("ROWNO").setInteger(rowNo);
                }
                q.paramByName("REC").setInteger(rec);
                q.execSQL();
            }
        });
        TDataInfomation info;
        info.Mode = ConnectMode;
        info.WriteStatus(dataPath, kStatusDamaged);
    } catch (const std::exception&) {
    }
}

} // namespace

void DataDamageProc(const std::string& host, const std::string& dataPath, int silent, int& result)
{
    SysDef.DataDamaged = 0;
    const std::string file = platform::paths::join(dataPath, DataFile);
    const bool local = host.empty() || host == "127.0.0.1";
    if (core::DM == nullptr)
        throw std::logic_error("DataDamageProc: no data module");
    if (core::DM->ValidateFDB(local ? fb::Protocol::Local : fb::Protocol::TCP, host, file)) {
        result = 1;
        return;
    }
    SysDef.DataDamaged = 1;
    if (silent == 0)
        core::ShowStandardMessage(kDamagedMessage, 1);
    MarkDamaged(dataPath);
    result = 0;
}

} // namespace wizard
