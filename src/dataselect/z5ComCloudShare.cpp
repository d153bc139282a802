#include "dataselect/z5ComCloudShare.h"
#include "core/DbOperation.h"

#include "core/DataInfomation.h"
#include "core/DataModule.h"
#include "core/DateTexts.h"
#include "core/IBErrorProc.h"
#include "platform/firebird/firebird.h"

#include <memory>

using namespace core;
namespace fb = platform::firebird;

namespace {

constexpr const char* kContext = "TComCloudShare.ClearSetting";

// The newest version of the company database, "%d.%d.%d".
std::string companyVersion(fb::Query& q)
{
    q.close();
    q.sql().clear();
    q.sql().add("SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION");
    q.sql().add("ORDER BY MAJOR DESC,MINOR1 DESC,MINOR2 DESC");
    q.open();
    std::string version = "0.0.0";
    if (!q.eof())
        version = std::to_string(q.field(0).asInteger()) + "." + std::to_string(q.field(1).asInteger()) + "."
            + std::to_string(q.field(2).asInteger());
    q.close();
    return version;
}

} // namespace

template <typename Work>
bool TCloudShareIO::withDatabase(
    const std::string& hostIn, const std::string& dataFolder, const char* message, const char* otherMessage, Work work)
{
    if (DM == nullptr) {
        ErrorMessageEx(message, std::string(kContext) + "\rno data module");
        return false;
    }
    const std::string host = hostIn.empty() ? SysDef.HostName : hostIn;
    const std::string name = MakeDatabaseName(host, dataFolder, DataFile);
    fb::Database* db = &DM->IBDatabaseDAT;
    std::unique_ptr<fb::Database> own;
    // The open company database serves only when it is this folder's.
    if (!db->connected() || db->databaseName() != name) {
        own = std::make_unique<fb::Database>();
        own->setSqlDialect(3);
        own->setDatabaseName(name);
        own->addParam("user_name=" + SysDef.DBUser);
        own->addParam("password=" + SysDef.DBPassword);
        own->addParam("lc_ctype=SJIS_0208");
        db = own.get();
    }
    fb::Transaction t(db);
    t.addParam("read_committed");
    t.addParam("rec_version");
    t.addParam("nowait");
    try {
        if (own)
            own->connect();
        core::RunDbOperation(t, core::DbPolicy(kContext).with(core::DbReport::Raise), [&] {
            fb::Query q(db, &t);
            work(q);
        });
        return true;
    } catch (const std::exception& e) {
        // Database errors and others carry messages of their own.
        if (const auto* ib = dynamic_cast<const EIBError*>(&e))
            IBErrorProc(*ib, kContext, message, false);
        else
            ErrorMessageEx(otherMessage, std::string(kContext) + "\r" + e.what());
        return false;
    }
}

bool TCloudShareIO::ClearSetting(const std::string& host, const std::string& dataFolder)
{
    return SetCloudLine(host, dataFolder, 0);
}

bool TCloudShareIO::SetCloudLine(const std::string& host, const std::string& dataFolder, std::int32_t value)
{
    bool written = false;
    const bool ok = withDatabase(host, dataFolder, "クラウドシェアの設定に失敗しました。",
        "クラウドシェアの設定に失敗しました。", [&](fb::Query& q) {
            if (!VersionGreater(companyVersion(q), "11.0.0"))
                return;
            q.sql().clear();
            q.sql().add("UPDATE ACCDEF1 SET CLOUD_LINE=:CLOUD_LINE");
            q.sql().add("WHERE REC=1");
            q.paramByName("CLOUD_LINE").setInteger(value);
            q.execSQL();
            written = true;
        });
    if (ok && written && ConnectMode == 0) {
        try {
            TDataInfomation info;
            info.WriteIniValue(dataFolder, "DATAINFO", true, value > 0 ? "1" : "0", "CLOUD_SHARE");
        } catch (const std::exception& e) {
            ErrorMessageEx("クラウドシェアの設定に失敗しました。", std::string(kContext) + "\r" + e.what());
            return false;
        }
    }
    return ok;
}

std::int32_t TCloudShareIO::GetCloudLine(const std::string& host, const std::string& dataFolder)
{
    std::int32_t value = 0;
    const bool ok = withDatabase(host, dataFolder, "クラウドシェアの参照に失敗しました。",
        "クラウドシェアの設定に参照しました。", [&](fb::Query& q) {
            if (!VersionGreater(companyVersion(q), "11.0.0"))
                return;
            q.sql().clear();
            q.sql().add("SELECT CLOUD_LINE FROM ACCDEF1");
            q.sql().add("WHERE REC=1");
            q.open();
            while (!q.eof()) {
                value = q.field(0).asInteger();
                q.next();
            }
            q.close();
        });
    return ok ? value : 0;
}
