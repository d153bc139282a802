#include "dataselect/z5GassanSyori.h"
#include "core/DbOperation.h"

#include "core/AccReg.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/IBErrorProc.h"
#include "core/PlatformUtil.h"
#include "platform/firebird/firebird.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

using namespace core;
namespace fb = platform::firebird;
namespace fs = std::filesystem;
namespace paths = platform::paths;

namespace {

constexpr const char* kGroup = "基本設定";
constexpr const char* kKindKey = "合算データ区分";
constexpr const char* kCountKey = "合算データ数";
constexpr const char* kInteger = "整数";

// n with at least `digits` digits, zero-padded ("007").
std::string padded(int n, int digits)
{
    char b[16];
    std::snprintf(b, sizeof b, "%.*d", digits, n);
    return b;
}

// The whole name as a number; 0 when it is none.
int folderNumber(const std::string& name)
{
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return platform::text::toIntOr(name, 0);
}

TDM& dm()
{
    if (DM == nullptr)
        throw std::logic_error("TGassanDataCtl: no data module");
    return *DM;
}

bool companyConnectedTo(const std::string& folder)
{
    return DM != nullptr && DM->IBDatabaseDAT.connected()
        && DM->IBDatabaseDAT.databaseName() == MakeDatabaseName(SysDef.HostName, folder, DataFile);
}

} // namespace

TGassanDataCtl::TGassanDataCtl()
{
    registry_.ConnectKind = ConnectMode;
    info_.Mode = ConnectMode;
}

void TGassanDataCtl::SetDataFolder(const std::string& folder)
{
    const std::string f = folder == "/" ? folder : paths::excludeDelimiter(folder);
    if (f != folder_) {
        folder_ = f;
        active_ = false;
    }
}

void TGassanDataCtl::SetRec(std::int32_t rec)
{
    if (rec != rec_) {
        rec_ = rec;
        active_ = false;
    }
}

void TGassanDataCtl::SetActive(bool active)
{
    active_ = active;
    if (active)
        LoadGassanData(Data);
}

bool TGassanDataCtl::connect(const std::string& folder, std::uint8_t mark)
{
    return dm().fnAccDatConnected(SysDef.HostName, folder, mark);
}

void TGassanDataCtl::LoadGassanData(TGassanDataRec& data)
{
    if (folder_.empty() || ConnectMode != 0)
        return;
    rec_ = registry_.GetRecOfPath(folder_);
    registry_.InitDataListRecord(WorkRow, folder_);
    WorkRow.REC = rec_;
    registry_.GetDataListRecord(0, WorkRow, true);
    NetDrive = WorkRow.NETDRIVE;
    SharedPath = NetDrive == 1 ? WorkRow.PASNAME : std::string();
    data = TGassanDataRec {};
    data.REC = rec_;
    data.Folder = folder_;
    ChildFolders.clear();
    PlannedChildren.clear();

    const bool wasOpen = companyConnectedTo(folder_);
    if (!wasOpen && !connect(folder_, 0))
        return;
    if (!fnGetAccInfo()) {
        if (!wasOpen)
            dm().fnAccDatDisConnected(folder_, 0, 0);
        return;
    }
    medical_ = AccInf.DataKind == 1;
    if (AccInf.GassanKbn == 1 || AccInf.GassanKbn == 2) {
        data.SitenMode = AccInf.SITEN;
        data.Count = AccInf.GassanCount;
        if (data.SitenMode != 0) {
            // The plan is informative only: a failure leaves it short.
            RunDbOperation(dm().IBTransactionDAT, DbPolicy("TGassanDataCtl.plan").with(DbReport::Quiet), [&] {
                fb::Query q(&dm().IBDatabaseDAT, &dm().IBTransactionDAT);
                q.sql().add("SELECT SCODE FROM SISETUMST");
                q.sql().add("WHERE SCODE<>''");
                q.sql().add("ORDER BY SCODE");
                for (q.open(); !q.eof(); q.next()) {
                    const std::string code = q.field(0).asString();
                    PlannedChildren.push_back({rec_, static_cast<std::int32_t>(PlannedChildren.size() + 1), code,
                        paths::join(folder_, code)});
                }
                q.close();
            });
            data.Count = static_cast<std::int32_t>(PlannedChildren.size());
        } else {
            for (int i = 1; i <= data.Count; ++i)
                PlannedChildren.push_back({rec_, i, {}, paths::join(folder_, padded(i, 3))});
        }
        for (const auto& name : GetSubDirList(folder_, 1)) {
            const int n = folderNumber(name);
            if (n <= 0 && !(medical_ && name == "00"))
                continue;
            TGassanChildDataRec c;
            c.REC = rec_;
            c.ROWNO = static_cast<std::int32_t>(ChildFolders.size() + 1);
            if (data.SitenMode != 0) {
                c.Code = padded(n, 2);
                c.Path = paths::join(folder_, c.Code);
            } else {
                c.Path = paths::join(folder_, padded(n, 3));
            }
            ChildFolders.push_back(std::move(c));
        }
        TDataSentakuRec registered;
        registered.Data = WorkRow;
        registered.Data.GASSAN = AccInf.GassanKbn;
        try {
            registry_.GetDataListChildRecord(registered, false);
        } catch (const std::exception&) {
        }
        for (auto& c : ChildFolders)
            for (const auto& r : registered.Children)
                if (c.Path == r.PASNAME || c.Path == r.LocalPath)
                    c.ROWNO = r.ROWNO;
    } else {
        TDataSentakuRec registered;
        registered.Data = WorkRow;
        registered.Data.GASSAN = 1;
        registry_.GetDataListChildRecord(registered, true);
        for (const auto& r : registered.Children)
            ChildFolders.push_back({r.REC, r.ROWNO, {}, r.LocalPath});
    }
    if (!wasOpen)
        dm().fnAccDatDisConnected(folder_, 1, 0);
}

std::int32_t TGassanDataCtl::FindChildByPath(const std::string& path) const
{
    for (std::size_t i = 0; i < ChildFolders.size(); ++i)
        if (ChildFolders[i].Path == path)
            return static_cast<std::int32_t>(i);
    return -1;
}

std::int32_t TGassanDataCtl::NextChildRowNo(std::int32_t step) const
{
    std::int32_t highest = 0;
    for (const auto& c : ChildFolders)
        highest = std::max(highest, c.ROWNO);
    return highest + step;
}

void TGassanDataCtl::GetNextChildFolderName(const std::string& folder, std::int32_t step, std::string& name) const
{
    name.clear();
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return;
    int highest = 0;
    for (const auto& sub : GetSubDirList(folder, 1))
        highest = std::max(highest, folderNumber(sub));
    const int next = highest + step;
    if (next >= 1000)
        throw std::runtime_error("作成できるフォルダ名は[999]までです。");
    name = padded(next, 3);
}

void TGassanDataCtl::AccDataSyokika()
{
    static const char* kContext = "TGassanDataCtl.AccDataSyokika";
    static const char* kMessage = "分散入力用データの初期化に失敗しました。";
    if (!connect(NewFolder, 1))
        throw std::runtime_error(std::string(kContext) + ": " + NewFolder + " cannot be opened");
    TDM& d = dm();
    auto label = [&](const char* step) {
        if (Progress && !NewCode.empty())
            Progress("分散データ[" + NewCode + "]の作成中です(" + step + ")…");
    };
    fb::Query q(&d.IBDatabaseDAT, &d.IBTransactionDAT);
    // Shown and raised: the caller abandons the new data set.
    RunDbOperation(
        d.IBTransactionDAT, DbPolicy(kContext, kMessage).with(DbReport::ErrorBoxAndRaise), [&](TDbScope& op) {
            auto run = [&](const std::string& sql) {
                op.fresh(q).sql().add(sql);
                q.execSQL();
            };
            op.closeOnFailure(q);
            label("監査情報クリア");
            q.sql().add("UPDATE ACCDEF1");
            q.sql().add("SET KANSA_FIXDATE=:KANSA_FIXDATE,KANSA_DATE=:KANSA_DATE,KANSA_LOCK=:KANSA_LOCK");
            q.sql().add("WHERE REC=1");
            q.paramByName("KANSA_FIXDATE").clear();
            q.paramByName("KANSA_DATE").clear();
            q.paramByName("KANSA_LOCK").setInteger(0);
            q.execSQL();

            label("残高クリア");
            std::string kakozan = "UPDATE KAKOZAN SET KISHU=0,";
            for (const char* p : {"KOMIZAN_", "NUKIZAN_", "IKKATSU_", "HAIBUN_"})
                for (int i = 1; i <= 16; ++i)
                    kakozan += std::string(p) + std::to_string(i) + "=0,";
            run(kakozan + "TRIGGER_SWITCH=1");
            std::string sz = "UPDATE KAMOKU_SZ SET KAISIZAN=0,";
            for (int i = 1; i <= 16; ++i)
                sz += "HAIBUN" + padded(i, 2) + "=0,";
            run(sz + "KAKOZAN=0,KISHU_KOMI=0,KISHU_NUKI=0");
            run("UPDATE KAMOKU_MS SET "
                "KAR_NUK=0,KAR_TAX=0,KAS_NUK=0,KAS_TAX=0,BYOSAN=0,BYOSOKU=0,RYOSAN=0,KAR_IKKATSU=0,"
                "KAS_IKKATSU=0");
            run("UPDATE KAMOKU_TAX SET KAR=0,KAS=0");
            run("UPDATE SISETUMST SET SIWAKECOUNT=0");

            label("仕訳クリア");
            for (const char* table : {"SIWAKE", "KAKOSIWAKE1", "KAKOSIWAKE2", "KS_SISAN"})
                run(std::string("DELETE FROM ") + table);
            q.close();
            d.IBDatabaseDAT.executeImmediate("SET GENERATOR SIWAKE_REC_GEN TO 0", &d.IBTransactionDAT);
            for (int i = 0; i < 100; ++i)
                d.IBDatabaseDAT.executeImmediate(
                    "SET GENERATOR SIWAKE" + padded(i, 2) + "_GEN TO 0", &d.IBTransactionDAT);
            d.IBDatabaseDAT.executeImmediate("SET GENERATOR KSSISAN_GEN TO 0", &d.IBTransactionDAT);

            funcPutAccReg(kGroup, kKindKey, kInteger, TRegValue::integer(10));
            funcPutAccReg(kGroup, kCountKey, kInteger, TRegValue::integer(0));

            if (medical_) {
                label("施設調整");
                op.fresh(q).sql().add("DELETE FROM SISETUMST");
                q.sql().add("WHERE (SCODE NOT IN (:BLANK, :CODE))");
                q.paramByName("BLANK").setString(" ");
                q.paramByName("CODE").setString(NewCode);
                q.execSQL();
                if (NewCode == "00") {
                    std::vector<std::array<std::string, 3>> lone;
                    op.fresh(q).sql().add("SELECT ' ' AS SCODE,KCODE,HCODE,BCODE FROM KAMOKU_SZ");
                    q.sql().add("GROUP BY KCODE,HCODE,BCODE");
                    q.sql().add("HAVING COUNT(SCODE)=1");
                    for (q.open(); !q.eof(); q.next())
                        lone.push_back({q.field(1).asString(), q.field(2).asString(), q.field(3).asString()});
                    op.fresh(q).sql().add("DELETE FROM KAMOKU_SZ");
                    q.sql().add("WHERE SCODE=:SCODE AND KCODE=:KCODE AND HCODE=:HCODE AND BCODE=:BCODE");
                    for (const auto& k : lone) {
                        q.paramByName("SCODE").setString(" ");
                        q.paramByName("KCODE").setString(k[0]);
                        q.paramByName("HCODE").setString(k[1]);
                        q.paramByName("BCODE").setString(k[2]);
                        q.execSQL();
                    }
                }
            }
            q.close();
        });
    info_.ReadDataIni(NewFolder, WorkInfo);
    d.fnAccDatDisConnected(NewFolder, 1, 0);
}

void TGassanDataCtl::SetGassanSetting(std::uint8_t kind, std::int32_t count)
{
    if (folder_.empty() || !connect(folder_, 0))
        return;
    if (kind == 0 || kind == 10)
        count = 0;
    RunDbOperation(
        dm().IBTransactionDAT, DbPolicy("TGassanDataCtl.SetGassanSetting", "合算データの設定に失敗しました。"), [&] {
            funcPutAccReg(kGroup, kKindKey, kInteger, TRegValue::integer(kind));
            funcPutAccReg(kGroup, kCountKey, kInteger, TRegValue::integer(count));
        });
    dm().fnAccDatDisConnected(folder_, 1, 1);
}

bool TGassanDataCtl::CreateDistributedData(const std::string& code)
{
    std::string name;
    NewCode.clear();
    if (Data.SitenMode != 0) {
        name = code;
        NewCode = code;
    } else if (!code.empty()) {
        name = code;
    } else {
        try {
            GetNextChildFolderName(folder_, 1, name);
        } catch (const std::exception& e) {
            ErrorMessageEx(e.what(), "TGassanDataCtl.CreateDistributedData");
            return false;
        }
    }
    if (name.empty())
        return false;
    NewFolder = paths::join(folder_, name);
    std::error_code ec;
    const bool existed = fs::exists(NewFolder, ec);
    if (!ForceDir(NewFolder))
        return false;
    auto removeNew = [&] {
        if (!existed)
            ShellDeleteRename(NewFolder, 3, false, false);
        NewFolder.clear();
        NewCode.clear();
    };
    // The consolidated database is copied only while nobody here has it
    // attached, so the copy is a consistent file.
    const bool wasOpen = companyConnectedTo(folder_);
    if (wasOpen)
        dm().fnAccDatDisConnected(folder_, 0, 0);
    const bool copied = FileCopy(paths::join(folder_, DataFile), paths::join(NewFolder, DataFile));
    if (wasOpen)
        connect(folder_, 0);
    if (!copied) {
        removeNew();
        return false;
    }
    try {
        AccDataSyokika();
    } catch (const std::exception&) {
        if (DM != nullptr && DM->IBDatabaseDAT.connected() && !companyConnectedTo(folder_))
            DM->fnAccDatDisConnected(NewFolder, 0, 0);
        removeNew();
        return false;
    }
    std::int32_t index = FindChildByPath(NewFolder);
    if (index < 0) {
        ChildFolders.push_back({});
        index = static_cast<std::int32_t>(ChildFolders.size()) - 1;
    }
    auto& child = ChildFolders[static_cast<std::size_t>(index)];
    child.REC = Data.REC;
    child.ROWNO = 0;
    child.ROWNO = NextChildRowNo(1);
    child.Code = Data.SitenMode != 0 ? NewCode : std::string();
    child.Path = NewFolder;

    if (NetDrive == 1) {
        registry_.InitDataListRecord(WorkRow, paths::join(SharedPath, name));
        WorkRow.NETDRIVE = 1;
        WorkRow.KYOYULOCK = 1;
    } else {
        registry_.InitDataListRecord(WorkRow, NewFolder);
    }
    WorkRow.REC = Data.REC;
    WorkRow.ROWNO = child.ROWNO;
    WorkRow.GASSAN = 10;
    registry_.SetDataListRecordFromInfo(WorkInfo, WorkRow);
    return registry_.UpdateDataListChildRecord(WorkRow, 0, true);
}
