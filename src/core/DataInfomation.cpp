#include "core/DataInfomation.h"

#include "core/AccReg.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/DataModuleOpSupport.h"
#include "core/DateTexts.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "core/PlatformUtil.h"
#include "core/SitenList.h"
#include "core/TextRoutines.h"
#include "platform/codec.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>

using namespace core;
namespace fs = std::filesystem;
namespace fb = platform::firebird;
using platform::text::toIntOr;
using platform::text::upperAscii;

const std::array<const char*, 11> DataStatusNames = {"－", "－", "使用中", "データロック中", "保存中", "復元中",
    "コピー中", "貼り付け中", "削除中", "新規作成中", "破損"};

namespace {

constexpr long kDsqlError = 335544569;

std::string formatDate(const fb::Field& f)
{
    if (f.isNull())
        return {};
    const fb::Date d = f.asDate();
    if (!d.ok())
        return {};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d/%02u/%02u", static_cast<int>(d.year()), static_cast<unsigned>(d.month()),
        static_cast<unsigned>(d.day()));
    return buf;
}

std::string versionText(int major, int minor, int revision)
{
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

std::string dataFilePath(const std::string& folder)
{
    return platform::paths::join(folder, DataFile);
}

// The answer of a guard over folder's data file when there is nothing to
// look into: a database that is not there has nothing to guard, one whose
// presence nobody could tell (the server could not be asked) is refused.
// nullopt when the file is there and the guard must look inside.
std::optional<bool> answerWithoutDataFile(TDM& dm, const std::string& folder, std::uint8_t mode)
{
    switch (dm.FileCheck(dataFilePath(folder), mode)) {
    case TFileCheck::Missing:
        return true;
    case TFileCheck::Unknown:
        return false;
    case TFileCheck::Present:
        break;
    }
    return std::nullopt;
}

// Runs body on folder's database, opened without an in-use mark and closed
// again leaving the data file and the data list as they were. False, with
// body not run, when the database would not open.
template <class Body> bool withDataFile(TDM& dm, const std::string& host, const std::string& folder, Body&& body)
{
    if (!dm.fnAccDatConnected(host, folder, core::TInUseMark::None))
        return false;
    body();
    dm.fnAccDatDisConnected(folder, core::TDataFileUpdate::Keep, core::TDataListUpdate::Keep);
    return true;
}

// The stem of the company database file ("tnacc"): every file of a data
// set is named so, whatever its extension.
std::string dataSetStem()
{
    return fs::path(DataFile).stem().string();
}

} // namespace

bool CopyDataSetFiles(const std::string& sourceFolder, const std::string& targetFolder)
{
    if (!IsSafeShellPath(sourceFolder) || !IsSafeShellPath(targetFolder))
        return false;
    std::error_code ec;
    if (!fs::is_directory(sourceFolder, ec) || !ForceDir(targetFolder))
        return false;
    const std::string stem = dataSetStem();
    std::vector<std::pair<fs::path, fs::path>> staged; // temporary, final
    bool ok = true;
    for (const auto& e : fs::directory_iterator(sourceFolder, ec)) {
        if (!e.is_regular_file(ec) || e.path().stem().string() != stem || !e.path().has_extension())
            continue;
        const fs::path final = fs::path(targetFolder) / e.path().filename();
        const fs::path temp = fs::path(targetFolder) / (e.path().filename().string() + ".cpy~");
        staged.emplace_back(temp, final);
        if (!fs::copy_file(e.path(), temp, fs::copy_options::overwrite_existing, ec)) {
            ok = false;
            break;
        }
    }
    if (ec)
        ok = false;
    if (ok) {
        for (const auto& [temp, final] : staged) {
            fs::rename(temp, final, ec);
            if (ec) {
                ok = false;
                break;
            }
        }
    }
    if (!ok) {
        std::error_code ignored;
        for (const auto& [temp, final] : staged)
            fs::remove(temp, ignored);
    }
    return ok;
}

TDataInfomation::TDataInfomation()
{
    ClearDataInfoRec(Rec);
    VersionList.Execute(false);
}

void TDataInfomation::ClearDataInfoRec(TDataInfomationRec& rec)
{
    rec = TDataInfomationRec {};
    rec.STATUS = 1;
    rec.SHARE_STATUS = 1;
}

std::string TDataInfomation::IniPath(const std::string& folder)
{
    return platform::paths::join(folder, fs::path(DataFile).replace_extension(".ini").string());
}

std::string TDataInfomation::VersionName(int major, int minor) const
{
    const std::string text = std::to_string(major) + "." + std::to_string(minor);
    if (major == 0 && minor > 0)
        return "評価版";
    for (int i = 0; i < VersionList.Count; ++i)
        if (VersionList.GetVersion(i) == text)
            return VersionList.GetSeihinName(i);
    return text;
}

int TDataInfomation::GetDataInfoRec(TDataInfomationRec& rec)
{
    static const char* kContext = "TDataInfomation.GetDataInfoRec";
    static const char* kMessage = "基本情報の取得に失敗しました。\r(iniファイル)";
    ClearDataInfoRec(rec);
    if (DM == nullptr)
        return 0;
    const bool wasConnected = DM->IBDatabaseDAT.connected();
    if (!wasConnected && !DM->fnAccDatConnected())
        return 0;
    auto closeIfOpenedHere = [&] {
        if (!wasConnected)
            DM->fnAccDatDisConnected({}, core::TDataFileUpdate::Keep, core::TDataListUpdate::Keep);
    };
    fb::Query q(&DM->IBDatabaseDAT, &DM->IBTransactionDAT);
    try {
        // A read: what it started (missing settings rows included) is
        // committed also after a failure, reported below.
        RunDbOperation(
            DM->IBTransactionDAT, DbPolicy(kContext).with(DbFailure::Commit).with(DbReport::Raise), [&](TDbScope& op) {
                op.closeOnFailure(q);
                q.sql().add(
                    "SELECT "
                    "ENTTEXT,DATATYPE,CODETYPE,SCODE1,SKANA,SHOUGOU,TANTOU,NENDO,KISHU,KIMATU,SITEN,BUMON,DATALOCK");
                q.sql().add("FROM ACCDEF1");
                q.sql().add("WHERE REC=1");
                q.open();
                if (!q.eof()) {
                    rec.DATALISTNAME = q.fieldByName("ENTTEXT").asString();
                    rec.CODE = q.fieldByName("SCODE1").asString();
                    rec.DATAKBN = q.fieldByName("DATATYPE").asInteger();
                    rec.CODEKBN = q.fieldByName("CODETYPE").asInteger();
                    rec.SHOUGOU = q.fieldByName("SHOUGOU").asString();
                    rec.KANA = q.fieldByName("SKANA").asString();
                    rec.NENDO = q.fieldByName("NENDO").asInteger();
                    rec.KISHU = formatDate(q.fieldByName("KISHU"));
                    rec.KIMATU = formatDate(q.fieldByName("KIMATU"));
                    rec.TANTO = q.fieldByName("TANTOU").asInteger();
                    rec.SITEN = q.fieldByName("SITEN").asInteger();
                    rec.BUMON = q.fieldByName("BUMON").asInteger();
                    rec.UPDATE_LOCK = q.fieldByName("DATALOCK").asInteger();
                }
                q.close();

                q.sql().clear();
                q.sql().add("SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION");
                q.sql().add("WHERE REC=1");
                q.sql().add("ORDER BY MAJOR,MINOR1,MINOR2");
                q.open();
                if (!q.eof()) {
                    rec.VERSION1_MAJOR = q.fieldByName("MAJOR").asInteger();
                    rec.VERSION1_MINOR = q.fieldByName("MINOR1").asInteger();
                    rec.VERSION1_REVISION = q.fieldByName("MINOR2").asInteger();
                    rec.VERSION2 = VersionName(rec.VERSION1_MAJOR, rec.VERSION1_MINOR);
                }
                q.close();

                auto count = [&](const char* select, const char* where) {
                    q.sql().clear();
                    q.sql().add(select);
                    q.sql().add(where);
                    q.open();
                    const int n = q.eof() ? 0 : q.fieldByName("RECCNT").asInteger();
                    q.close();
                    return n;
                };
                if (rec.SITEN > 0)
                    rec.SITENCNT = count("SELECT COUNT(SCODE) AS RECCNT FROM SISETUMST", "WHERE SCODE <> ''");
                if (rec.BUMON > 0)
                    rec.BUMONCNT = count("SELECT COUNT(BCODE) AS RECCNT FROM BUMONMST", "WHERE BCODE <> ''");

                rec.SIWAKE = DM->GetYukouSiwakeCount("");
                rec.TOTALSIWAKE = DM->GetSiwakeCountOnly("");

                try {
                    rec.GASSANKBN = static_cast<std::uint8_t>(
                        funcGetAccReg("基本設定", "合算データ区分", "整数", "0").asInteger());
                } catch (const std::exception&) {
                    rec.GASSANKBN = 0;
                }
                rec.USEMYNUMBER = funcGetAccReg("基本設定", "＃USE", "整数", "0").asInteger();

                const std::string version = versionText(rec.VERSION1_MAJOR, rec.VERSION1_MINOR, rec.VERSION1_REVISION);
                auto accdef1 = [&](const char* column) {
                    q.sql().clear();
                    q.sql().add(std::string("SELECT ") + column);
                    q.sql().add("FROM ACCDEF1");
                    q.sql().add("WHERE REC=1");
                    q.open();
                    const int v = q.eof() ? 0 : q.fieldByName(column).asInteger();
                    q.close();
                    return v;
                };
                if (IsCloudShareEnabled(0) && VersionGreater(version, "11.0.0"))
                    rec.CLOUD_SHARE = accdef1("CLOUD_LINE") > 0 ? 1 : 0;
                if (VersionGreaterEqual(version, "12.0.0"))
                    rec.READ_ONLY = accdef1("READ_ONLY");
            });
        closeIfOpenedHere();
        return 1;
    } catch (const EIBError& e) {
        if (e.iscErrorCode() == kDsqlError) {
            closeIfOpenedHere();
            throw;
        }
        ReportDbFailure(e, kContext, kMessage);
    } catch (const std::exception& e) {
        ReportDbFailure(e, kContext, kMessage);
    }
    closeIfOpenedHere();
    ClearDataInfoRec(rec);
    return 0;
}

int TDataInfomation::ReadDataInfoRec(const std::string& folder, TDataInfomationRec& rec)
{
    ClearDataInfoRec(rec);
    if (folder.empty() || DM == nullptr || !DM->FExist(dataFilePath(folder), Mode))
        return 0;
    int result = 0;
    withDataFile(*DM, SysDef.HostName, folder, [&] {
        try {
            result = GetDataInfoRec(rec);
        } catch (const std::exception& e) {
            ErrorMessageEx("基本情報の取得に失敗しました。\r(iniファイル)", e.what());
            result = 0;
        }
    });
    return result;
}

int TDataInfomation::ReadIniFile(const std::string& host, const std::string& folder, TDataInfomationRec& rec)
{
    ClearDataInfoRec(rec);
    if (folder.empty())
        return 1;
    return Mode == 0 ? readLocal(host, folder, rec) : readServer(host, folder, rec);
}

int TDataInfomation::ReadDataIni(const std::string& folder, TDataInfomationRec& rec)
{
    return ReadIniFile(SysDef.HostName, folder, rec);
}

int TDataInfomation::readLocal(const std::string& host, const std::string& folder, TDataInfomationRec& rec)
{
    const std::string database = dataFilePath(folder);
    const std::string iniPath = IniPath(folder);
    std::error_code ec;
    const bool haveDb = fs::exists(database, ec);
    const bool haveIni = fs::exists(iniPath, ec);
    if (!haveDb && !haveIni)
        return 0;
    if (haveDb && !haveIni && GetUNCPath(folder) == folder) {
        if (DM == nullptr || !DM->fnAccDatConnected(host, folder, core::TInUseMark::Mark)) {
            rec.STATUS = 0;
            return 1;
        }
        DM->fnAccDatDisConnected(folder, core::TDataFileUpdate::Update, core::TDataListUpdate::Keep);
    }
    const platform::IniFile ini(iniPath);
    auto i = [&](const char* section, const char* key, int fallback) {
        return toIntOr(ini.readString(section, key, ""), fallback);
    };
    auto s = [&](const char* section, const char* key) { return ini.readString(section, key, ""); };
    rec.STATUS = static_cast<std::uint8_t>(i("DATASTS", "STATUS", 1));
    rec.OPCODE = i("DATASTS", "OPCODE", 0);
    rec.OPERATOR = s("DATASTS", "OPERATOR");
    rec.SHARE_STATUS = static_cast<std::uint8_t>(i("DATASTS", "SHARE_STATUS", 1));
    rec.SHARE_OPCODE = i("DATASTS", "SHARE_OPCODE", 0);
    rec.SHARE_OPERATOR = s("DATASTS", "SHARE_OPERATOR");
    rec.UPDATE_LOCK = i("DATASTS", "UPDATE_LOCK", 0);
    rec.READ_ONLY = i("DATASTS", "READ_ONLY", 0);
    rec.DATALISTNAME = s("DATAINFO", "DATALISTNAME");
    rec.CODE = s("DATAINFO", "CODE");
    rec.DATAKBN = i("DATAINFO", "DATAKBN", 0);
    rec.CODEKBN = i("DATAINFO", "CODEKBN", 0);
    rec.SHOUGOU = s("DATAINFO", "SHOUGOU");
    rec.KANA = s("DATAINFO", "KANA");
    rec.NENDO = i("DATAINFO", "NENDO", 0);
    rec.KISHU = s("DATAINFO", "KISHU");
    rec.KIMATU = s("DATAINFO", "KIMATU");
    rec.TANTO = i("DATAINFO", "TANTO", 0);
    rec.SITEN = i("DATAINFO", "SITEN", 0);
    rec.SITENCNT = i("DATAINFO", "SITENCNT", 0);
    rec.BUMON = i("DATAINFO", "BUMON", 0);
    rec.BUMONCNT = i("DATAINFO", "BUMONCNT", 0);
    rec.SIWAKE = i("DATAINFO", "SIWAKE", 0);
    rec.TOTALSIWAKE = i("DATAINFO", "TOTALSIWAKE", 0);
    const TVersionRec v = StrToVersionRec(s("DATAINFO", "VERSION1"));
    rec.VERSION1_MAJOR = v.Major;
    rec.VERSION1_MINOR = v.Minor;
    rec.VERSION1_REVISION = v.Release;
    rec.VERSION2 = s("DATAINFO", "VERSION2");
    rec.GASSANKBN = static_cast<std::uint8_t>(i("DATAINFO", "GASSANKBN", 0));
    rec.USEMYNUMBER = i("DATAINFO", "USEMYNUMBER", 0);
    rec.CLOUD_SHARE = static_cast<std::uint8_t>(i("DATAINFO", "CLOUD_SHARE", 0));
    if (rec.DATALISTNAME.empty())
        rec.DATALISTNAME = rec.SHOUGOU;
    return 1;
}

int TDataInfomation::readServer(const std::string& host, const std::string& folder, TDataInfomationRec& rec)
{
    if (DM == nullptr)
        return 0;
    const std::string upper = upperAscii(folder);
    const std::string table = upper.find("/DATA/") == std::string::npos ? "DATALIST_EX" : "DATALIST";
    bool locked = false;
    const bool wasConnected = DM->IBDatabaseDEF.connected();
    {
        fb::Query q(&DM->IBDatabaseDEF, &DM->IBTransactionDEF);
        try {
            if (!wasConnected && !DM->fnAccDefConnected(host, core::TConnectReport::Raise))
                throw std::runtime_error("the system database is not connected");
            RunDbOperation(DM->IBTransactionDEF,
                DbPolicy("TDataInfomation.ReadIniFile").with(DbFailure::Commit).with(DbReport::Raise),
                [&](TDbScope& op) {
                    op.closeOnFailure(q);
                    q.sql().add("SELECT D.DATALOCK,O.OPCODE,O.OPNAME,");
                    q.sql().add("D.ENTTEXT,D.DATACODE,D.DATATYPE,D.CODETYPE,D.SHOUGOU,D.NENDO,D.KISHU,D.KIMATU,D."
                                "TANTOU,D.UPDATE_LOCK");
                    q.sql().add(",D.VER_MAJOR,D.VER_MINOR1,D.VER_MINOR2");
                    q.sql().add(",D.VER_TEXT");
                    q.sql().add(",D.CLOUD");
                    q.sql().add(",D.READ_ONLY");
                    q.sql().add("FROM " + table + " D");
                    q.sql().add("LEFT JOIN OPERATOR O ON(D.GROUPID=O.GROUPID AND D.DATALOCK=O.OPCODE)");
                    q.sql().add("WHERE (D.DATALOCK<>0)AND(UPPER(D.PASNAME)=:PASNAME)AND(D.GROUPID=:GROUPID)");
                    q.paramByName("PASNAME").setString(upper);
                    q.paramByName("GROUPID").setInteger(SysDef.GroupID);
                    q.open();
                    while (!q.eof()) {
                        locked = true;
                        rec.STATUS = 3;
                        rec.OPCODE = q.fieldByName("OPCODE").asInteger() + SysDef.GroupID * 10000;
                        rec.OPERATOR = q.fieldByName("OPNAME").asString();
                        rec.DATALISTNAME = q.fieldByName("ENTTEXT").asString();
                        rec.CODE = q.fieldByName("DATACODE").asString();
                        rec.DATAKBN = q.fieldByName("DATATYPE").asInteger();
                        rec.CODEKBN = q.fieldByName("CODETYPE").asInteger();
                        rec.SHOUGOU = q.fieldByName("SHOUGOU").asString();
                        rec.NENDO = q.fieldByName("NENDO").asInteger();
                        rec.KISHU = formatDate(q.fieldByName("KISHU"));
                        rec.KIMATU = formatDate(q.fieldByName("KIMATU"));
                        rec.TANTO = q.fieldByName("TANTOU").asInteger();
                        rec.UPDATE_LOCK = q.fieldByName("UPDATE_LOCK").asInteger();
                        rec.VERSION1_MAJOR = q.fieldByName("VER_MAJOR").asInteger();
                        rec.VERSION1_MINOR = q.fieldByName("VER_MINOR1").asInteger();
                        rec.VERSION1_REVISION = q.fieldByName("VER_MINOR2").asInteger();
                        rec.VERSION2 = q.fieldByName("VER_TEXT").asString();
                        rec.CLOUD_SHARE = static_cast<std::uint8_t>(q.fieldByName("CLOUD").asInteger());
                        rec.READ_ONLY = q.fieldByName("READ_ONLY").asInteger();
                        q.next();
                    }
                    q.close();
                });
        } catch (const EIBError& e) {
            IBErrorReport(e, "ロック情報の取得に失敗しました。");
            locked = false;
            ClearDataInfoRec(rec);
        } catch (const std::exception& e) {
            ErrorMessageEx("ロック情報の取得に失敗しました。", std::string("TDataInfomation.ReadIniFile\r") + e.what());
            locked = false;
            ClearDataInfoRec(rec);
        }
    }
    if (!wasConnected && DM->IBDatabaseDEF.connected()) {
        try {
            DM->IBDatabaseDEF.disconnect();
        } catch (const std::exception&) {
        }
    }
    if (locked)
        return 0;
    int got = 0;
    const bool opened = withDataFile(*DM, host, folder, [&] {
        try {
            got = GetDataInfoRec(rec);
        } catch (const std::exception&) {
            got = 0;
        }
    });
    if (!opened) {
        rec.STATUS = 0;
        return 1;
    }
    if (got != 1)
        ClearDataInfoRec(rec);
    rec.STATUS = DM->AccDatInConnection(1, host, folder, 0) ? 2 : 1;
    return 1;
}

namespace {

// A text an ini value cannot hold (a line break, a character outside code
// page 932) is refused, naming the field, before anything is written.
void checkIniText(const char* field, const std::string& value)
{
    if (value.find_first_of("\r\n") == std::string::npos && platform::codec::isRepresentable(value))
        return;
    throw std::runtime_error(std::string("「") + field + "」に設定ファイル(" + DataIniFile
        + ")に保存できない文字（改行など）が含まれています。");
}

} // namespace

void TDataInfomation::WriteIniFile(const std::string& folder, const std::string& section, const TDataInfomationRec& rec)
{
    Rec = rec;
    if (folder.empty() || Mode != 0)
        return;
    for (const auto& [field, value] : {std::pair<const char*, const std::string*> {"オペレータ名", &rec.OPERATOR},
             {"共有オペレータ名", &rec.SHARE_OPERATOR}, {"データ名", &rec.DATALISTNAME}, {"コード", &rec.CODE},
             {"会社名", &rec.SHOUGOU}, {"フリガナ", &rec.KANA}, {"期首", &rec.KISHU}, {"期末", &rec.KIMATU},
             {"バージョン", &rec.VERSION2}})
        checkIniText(field, *value);
    platform::IniFile ini(IniPath(folder));
    if (section.empty() || section == "DATASTS") {
        std::vector<std::string> lines;
        lines.push_back("STATUS=" + std::to_string(rec.STATUS));
        if (rec.OPCODE != 0) {
            lines.push_back("OPCODE=" + std::to_string(rec.OPCODE));
            lines.push_back("OPERATOR=" + rec.OPERATOR);
        }
        lines.push_back("SHARE_STATUS=" + std::to_string(rec.SHARE_STATUS));
        if (rec.SHARE_OPCODE != 0) {
            lines.push_back("SHARE_OPCODE=" + std::to_string(rec.SHARE_OPCODE));
            lines.push_back("SHARE_OPERATOR=" + rec.SHARE_OPERATOR);
        }
        lines.push_back("UPDATE_LOCK=" + std::to_string(rec.UPDATE_LOCK));
        lines.push_back("READ_ONLY=" + std::to_string(rec.READ_ONLY));
        ini.writeSection("DATASTS", lines);
    }
    if (section.empty() || section == "DATAINFO") {
        const std::vector<std::string> lines = {
            "DATALISTNAME=" + rec.DATALISTNAME,
            "CODE=" + rec.CODE,
            "DATAKBN=" + std::to_string(rec.DATAKBN),
            "CODEKBN=" + std::to_string(rec.CODEKBN),
            "SHOUGOU=" + rec.SHOUGOU,
            "KANA=" + rec.KANA,
            "NENDO=" + std::to_string(rec.NENDO),
            "KISHU=" + rec.KISHU,
            "KIMATU=" + rec.KIMATU,
            "TANTO=" + std::to_string(rec.TANTO),
            "SITEN=" + std::to_string(rec.SITEN),
            "SITENCNT=" + std::to_string(rec.SITENCNT),
            "BUMON=" + std::to_string(rec.BUMON),
            "BUMONCNT=" + std::to_string(rec.BUMONCNT),
            "SIWAKE=" + std::to_string(rec.SIWAKE),
            "TOTALSIWAKE=" + std::to_string(rec.TOTALSIWAKE),
            "VERSION1=" + versionText(rec.VERSION1_MAJOR, rec.VERSION1_MINOR, rec.VERSION1_REVISION),
            "VERSION2=" + rec.VERSION2,
            "GASSANKBN=" + std::to_string(rec.GASSANKBN),
            "USEMYNUMBER=" + std::to_string(rec.USEMYNUMBER),
            "CLOUD_SHARE=" + std::to_string(rec.CLOUD_SHARE),
        };
        ini.writeSection("DATAINFO", lines);
    }
}

void TDataInfomation::WriteStatus(const std::string& folder, std::uint8_t status)
{
    if (folder.empty() || Mode != 0)
        return;
    platform::IniFile ini(IniPath(folder));
    ini.writeInteger("DATASTS", "STATUS", status);
    if (status == 1) {
        ini.deleteKey("DATASTS", "OPCODE");
        ini.deleteKey("DATASTS", "OPERATOR");
    } else {
        ini.writeInteger("DATASTS", "OPCODE", SysDef.OpCode);
        ini.writeString("DATASTS", "OPERATOR", SysDef.OpName);
    }
}

void TDataInfomation::WriteShareStatus(const std::string& folder, std::uint8_t status)
{
    if (folder.empty() || Mode != 0)
        return;
    platform::IniFile ini(IniPath(folder));
    ini.writeInteger("DATASTS", "SHARE_STATUS", status);
    if (status == 1) {
        ini.deleteKey("DATASTS", "SHARE_OPCODE");
        ini.deleteKey("DATASTS", "SHARE_OPERATOR");
    } else {
        ini.writeInteger("DATASTS", "SHARE_OPCODE", SysDef.OpCode);
        ini.writeString("DATASTS", "SHARE_OPERATOR", SysDef.OpName);
    }
}

void TDataInfomation::WriteIniValue(
    const std::string& folder, const std::string& section, bool write, const std::string& value, const std::string& key)
{
    if (folder.empty() || Mode != 0)
        return;
    ::WriteIniValue(IniPath(folder), section, key, TIniVariant(value), !write);
}

void TDataInfomation::UpdateIniFile(const std::string& folder, const std::string& section)
{
    if (folder.empty() || Mode != 0 || DM == nullptr)
        return;
    if (!section.empty()) {
        ClearDataInfoRec(Rec);
        TDataInfomationRec rec;
        ClearDataInfoRec(rec);
        if (section == "DATAINFO") {
            int got = 0;
            const bool opened = withDataFile(*DM, SysDef.HostName, folder, [&] {
                try {
                    got = GetDataInfoRec(rec);
                } catch (const std::exception& e) {
                    ErrorMessageEx("基本情報の取得に失敗しました。\r(iniファイル)", e.what());
                }
            });
            if (!opened)
                return;
            // Facts that could not be read never overwrite the stored ones.
            if (got != 1)
                return;
        }
        WriteIniFile(folder, section, rec);
        return;
    }
    if (GetUNCPath(folder) == folder && DM->fnAccDatConnected(SysDef.HostName, folder, core::TInUseMark::Mark))
        DM->fnAccDatDisConnected(folder, core::TDataFileUpdate::Update, core::TDataListUpdate::Keep);
}

bool TDataInfomation::UpdateDataInfomation(
    const std::string& host, const std::string& folder, const TDataInfomationRec& rec)
{
    if (folder.empty() || DM == nullptr)
        return false;
    bool ok = false;
    withDataFile(*DM, host, folder, [&] {
        fb::Query q(&DM->IBDatabaseDAT, &DM->IBTransactionDAT);
        // Nothing of a failed update is kept.
        ok = RunDbOperation(DM->IBTransactionDAT,
            DbPolicy("TDM.UpdateDataInfomation", "データ情報の更新に失敗しました。"), [&](TDbScope& op) {
                op.closeOnFailure(q);
                std::string name = rec.DATALISTNAME;
                if (TrimZenkaku(name).empty()) {
                    q.sql().add("SELECT ENTTEXT FROM ACCDEF1");
                    q.sql().add("WHERE REC=1");
                    q.open();
                    name = q.eof() ? std::string() : q.fieldByName("ENTTEXT").asString();
                    q.close();
                }
                name = TrimZenkaku(FixLeftStr(name, 40));
                q.sql().clear();
                q.sql().add("SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION");
                q.sql().add("WHERE REC=1");
                q.open();
                std::string version = "0.0.0";
                if (!q.eof())
                    version = versionText(q.fieldByName("MAJOR").asInteger(), q.fieldByName("MINOR1").asInteger(),
                        q.fieldByName("MINOR2").asInteger());
                q.close();
                const bool readOnly = VersionGreaterEqual(version, "12.0.0");
                q.sql().clear();
                q.sql().add("UPDATE ACCDEF1 SET ENTTEXT=:ENTTEXT,DATALOCK=:DATALOCK");
                if (readOnly)
                    q.sql().add(",READ_ONLY=:READ_ONLY");
                q.sql().add("WHERE REC=1");
                q.paramByName("ENTTEXT").setString(name);
                q.paramByName("DATALOCK").setInteger(rec.UPDATE_LOCK);
                if (readOnly)
                    q.paramByName("READ_ONLY").setInteger(rec.READ_ONLY);
                q.execSQL();
            });
    });
    return ok;
}

bool TDataInfomation::SetShareLock(const std::string& folder, std::uint8_t value)
{
    TDataInfomationRec rec;
    ReadDataIni(folder, rec);
    if ((value == 2 || value == 1) && rec.SHARE_STATUS != value) {
        WriteShareStatus(folder, value);
        return true;
    }
    return false;
}

int TDataInfomation::PutShareData(const std::string& sharedFolder, const std::string& localFolder, bool quiet)
{
    if (sharedFolder.empty() || localFolder.empty())
        return 0;
    // The shared copy is marked busy before anything else, and becomes free
    // again only after a good copy: nobody may take it out mid-copy.
    try {
        WriteStatus(sharedFolder, 7);
    } catch (const std::exception&) {
        if (!quiet)
            ShowMessageLines(msgkind::Information,
                {"共有サーバー上のデータ領域が削除された可能性があります。\r現在の領域設定情報でデータ領域"
                 "を作成します。"});
    }
    const bool copied = CopyDataSetFiles(localFolder, sharedFolder);
    try {
        WriteStatus(sharedFolder, 1);
        WriteStatus(localFolder, 1);
        if (copied) {
            WriteShareStatus(sharedFolder, 1);
            WriteShareStatus(localFolder, 1);
        } else {
            WriteShareStatus(localFolder, 2);
            WriteShareStatus(sharedFolder, 2);
        }
    } catch (const std::exception& e) {
        ErrorMessageEx("データ情報の更新に失敗しました。", std::string("TDataInfomation.PutShareData\r") + e.what());
        return 0;
    }
    return copied ? 1 : 0;
}

int TDataInfomation::GetShareData(const std::string& sharedFolder, const std::string& localFolder, bool quiet)
{
    static const char* kNoServer = "共有サーバーが起動していない、接続が切断されている \rまたは "
                                   "共有サーバー上のデータ領域が削除された可能性があります。\r処理を中止します。";
    if (sharedFolder.empty() || localFolder.empty())
        return 0;
    if (!ForceDir(localFolder)) {
        if (!quiet) {
            ShowMessageLines(msgkind::Warning, {"\"" + localFolder + "\"の作成に失敗しました。"}, msgbtn::Yes);
        }
        return 0;
    }
    TDataInfomationRec shared;
    ReadDataIni(sharedFolder, shared);
    if (shared.STATUS == 10) {
        if (quiet)
            return 255;
        throw std::runtime_error("共有サーバー上のデータが破損しているため、共有データの取得を中止します。\r"
                                 "データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。");
    }
    std::error_code ec;
    const bool sharedExists = fs::is_directory(sharedFolder, ec);
    if (shared.SHARE_STATUS == 2) {
        // Already taken out: refused without copying, so a newer copy in the
        // local folder is never overwritten by the older shared one.
        if (!sharedExists && !quiet)
            throw std::runtime_error(kNoServer);
        return 255;
    }
    if (!sharedExists) {
        if (quiet)
            return 0;
        throw std::runtime_error(kNoServer);
    }
    WriteStatus(sharedFolder, 7);
    const bool copied = CopyDataSetFiles(sharedFolder, localFolder);
    WaitMilliSec(300);
    WriteStatus(sharedFolder, 1);
    if (!copied)
        return 0; // the shared copy stays free; the local files are as they were
    WriteStatus(localFolder, 1);
    WriteShareStatus(localFolder, 2);
    SetShareLock(sharedFolder, 2);
    return 1;
}

bool TDataInfomation::IsDataSiyouKengen(const std::string& folder)
{
    static const char* kContext = "TDataInfomation.IsDataSiyouKengen";
    if (DM == nullptr)
        return true;
    if (const auto answer = answerWithoutDataFile(*DM, folder, Mode))
        return *answer;
    if (IsAllDataKengen())
        return true;
    bool allowed = false;
    bool failed = false;
    const bool opened = withDataFile(*DM, SysDef.HostName, folder, [&] {
        failed = !RunDbOperation(DM->IBTransactionDAT,
            DbPolicy(kContext, "データ使用権限の問い合わせに失敗しました。").insideCallers(DbReport::Quiet), [&] {
                if (fnGetExistsOpeDefSisetu() && fnGetAccInfo()) {
                    TSitenList mine;
                    mine.Selection = sitensel::Branches;
                    mine.Execute(SysDef.OpCode);
                    TSitenList all;
                    all.Selection = sitensel::Branches;
                    all.Execute(-1);
                    allowed = mine.Count == all.Count;
                }
            });
        if (failed)
            allowed = false;
    });
    if (!opened)
        return false;
    if (!allowed && !failed)
        ShowMessageLines(msgkind::Information,
            {"このデータを扱う権限がありません、他のデータを選択して下さい。",
                "権限を付与するには管理者でログインし、「オペレータ登録」より[選択中のデータを処理します]"
                "にチェックを入れて下さい。"});
    return allowed;
}

bool TDataInfomation::IsDataPasswordAuth(const std::string& folder)
{
    static const char* kContext = "TDataInfomation.IsDataPasswordAuth";
    if (DM == nullptr)
        return true;
    if (const auto answer = answerWithoutDataFile(*DM, folder, Mode))
        return *answer;
    bool passed = false;
    withDataFile(*DM, SysDef.HostName, folder, [&] {
        if (!RunDbOperation(DM->IBTransactionDAT,
                DbPolicy(kContext, "データのパスワード認証に失敗しました。").insideCallers(DbReport::Quiet), [&] {
                    if (fnGetAccInfo()) {
                        passed = CheckDataPassword();
                        if (!passed)
                            ShowMessageLines(msgkind::Information,
                                {"このデータに設定されている「パスワード」と一致しませんでした。",
                                    "他のデータを選択して下さい。"});
                    }
                }))
            passed = false;
    });
    return passed;
}
