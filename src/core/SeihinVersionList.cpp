#include "core/SeihinVersionList.h"

#include "core/AppInfo.h"
#include "core/DataModule.h"
#include "core/DataModuleOpSupport.h"
#include "core/uAccRecord.h"
#include "core/z5StringList2.h"
#include "platform/plain_text.h"
#include "platform/registry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace fb = platform::firebird;
using platform::text::joinLines;
using platform::text::toIntOr;
using platform::text::upperAscii;

namespace {

bool splitVersion(const std::string& text, int& major, int& minor)
{
    TMojiBunkatu parts;
    parts.Delimiter = '.';
    parts.Bunkatu(text);
    if (parts.Count != 3)
        return false;
    major = toIntOr(parts.GetMoji(0), 0);
    minor = toIntOr(parts.GetMoji(1), 0);
    return true;
}

std::string quoted(const std::string& a, const std::string& b)
{
    return "\"" + a + "\"\t\"" + b + "\"";
}

} // namespace

// --- TSeihinVersionList ---------------------------------------------------------

TSeihinVersionList::TSeihinVersionList()
{
    if (AppKind == 2)
        ProductKey = AppInfo.Orbisca.RegKey;
    else if (AppKind == 3)
        ProductKey = AppInfo.Ridovaro.RegKey;
    else
        ProductKey = AppInfo.Varov.RegKey;
}

void TSeihinVersionList::Clear()
{
    Count = 0;
    Rows.clear();
    Names.clear();
}

void TSeihinVersionList::addRow(int major, int minor, const std::string& name)
{
    Rows.push_back(TDataVersionRec {major, minor, 0, name});
    Names.push_back(name);
}

void TSeihinVersionList::Execute(bool sort)
{
    Clear();
    if (!Caption.empty())
        addRow(0, 0, Caption);
    if (DistKind == 0) {
        static const std::pair<const char*, const char*> kFixed[]
            = {{"1.0.0", "09版"}, {"2.0.0", "10版"}, {"3.0.0", "11版"}};
        for (const auto& [version, name] : kFixed) {
            int major = 0, minor = 0;
            if (splitVersion(version, major, minor))
                addRow(major, minor, name);
        }
    }
    if (SysDef.AppVersion >= 4) {
        for (int b = 4; b <= SysDef.AppVersion; ++b) {
            char name[32];
            std::snprintf(name, sizeof name, "%d版", b + 8);
            addRow(b, 0, name);
        }
    }
    const std::string regKey = AppInfo.Application.RegKey;
    if (!regKey.empty()) {
        try {
            platform::Registry reg;
            if (reg.keyExists(platform::RegRoot::LocalMachine, regKey)) {
                const std::string key = upperAscii(ProductKey);
                for (const auto& sub : reg.subKeys(platform::RegRoot::LocalMachine, regKey)) {
                    if (upperAscii(sub).find(key) == std::string::npos)
                        continue;
                    const std::string path = regKey + "\\" + sub;
                    const auto version = reg.readString(platform::RegRoot::LocalMachine, path, "Version");
                    int major = 0, minor = 0;
                    if (!version || !splitVersion(*version, major, minor))
                        continue;
                    const bool known = std::any_of(Rows.begin(), Rows.end(),
                        [&](const TDataVersionRec& r) { return r.Major == major && r.Minor == minor; });
                    if (known)
                        continue;
                    addRow(major, minor, reg.readString(platform::RegRoot::LocalMachine, path, "Type").value_or(""));
                }
            }
        } catch (const std::exception&) {
            // An unreadable registry store adds no rows.
        }
    }
    Count = static_cast<int>(Rows.size());
    if (sort)
        Sort(1);
}

void TSeihinVersionList::Sort(int order)
{
    const std::size_t first = Caption.empty() ? 0 : 1;
    auto later = [&](const TDataVersionRec& a, const TDataVersionRec& b) {
        // true when b must come before a
        if (order == 0)
            return b.Major < a.Major || (b.Major == a.Major && b.Minor < a.Minor);
        return b.Major > a.Major || (b.Major == a.Major && b.Minor > a.Minor);
    };
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (std::size_t i = first; i + 1 < Rows.size(); ++i) {
            if (later(Rows[i], Rows[i + 1])) {
                std::swap(Rows[i], Rows[i + 1]);
                swapped = true;
            }
        }
    }
    Names.clear();
    for (const auto& r : Rows)
        Names.push_back(r.Name);
}

std::string TSeihinVersionList::GetListText() const
{
    return joinLines(Names);
}

std::string TSeihinVersionList::GetVersion(int index) const
{
    if (index < 0 || index >= static_cast<int>(Rows.size()))
        return {};
    const auto& r = Rows[static_cast<std::size_t>(index)];
    if (r.Major == 0 && r.Minor == 0)
        return {};
    return std::to_string(r.Major) + "." + std::to_string(r.Minor);
}

std::string TSeihinVersionList::GetSeihinName(int index) const
{
    if (index < 0 || index >= static_cast<int>(Rows.size()))
        return {};
    return Rows[static_cast<std::size_t>(index)].Name;
}

int TSeihinVersionList::IndexOfName(const std::string& name) const
{
    for (std::size_t i = 0; i < Rows.size(); ++i)
        if (Rows[i].Name == name)
            return static_cast<int>(i);
    return -1;
}

// --- TUserList -----------------------------------------------------------------------

TUserList::TUserList()
{
    ownTransaction_.addParam("read_committed");
    ownTransaction_.addParam("rec_version");
    ownTransaction_.addParam("nowait");
    if (core::DM != nullptr) {
        ownTransaction_.setDefaultDatabase(&core::DM->IBDatabaseDEF);
        sysQuery_ = std::make_unique<fb::Query>(&core::DM->IBDatabaseDEF, &ownTransaction_);
        datQuery_ = std::make_unique<fb::Query>(&core::DM->IBDatabaseDAT, &ownTransaction_);
    }
}

TUserList::~TUserList() = default;

void TUserList::Clear()
{
    Rows.clear();
    Items.clear();
    Count = 0;
}

void TUserList::SetTransaction(fb::Transaction* transaction, int which)
{
    if (!sysQuery_)
        return;
    if (which == 0)
        sysQuery_->setTransaction(transaction);
    else if (which == 1)
        datQuery_->setTransaction(transaction);
    else if (which == -1) {
        sysQuery_->setTransaction(&ownTransaction_);
        datQuery_->setTransaction(&ownTransaction_);
    }
}

void TUserList::Execute()
{
    Clear();
    if (!Caption.empty()) {
        TUserListRec r;
        r.GroupCode = GroupCode;
        r.OpName = Caption;
        r.JobLevel = 9;
        Rows.push_back(r);
        Items.push_back(QuotedItems ? quoted(Caption, "") : Caption);
    }
    if (!sysQuery_) {
        Count = static_cast<int>(Items.size());
        return;
    }
    auto& q = *sysQuery_;
    // The error is swallowed, so it is reported in every case; the read
    // commits what it started.
    core::RunDbOperation(*q.transaction(),
        core::DbPolicy("TUserList.Execute", "ユーザーリストの取得に失敗しました。").with(core::DbFailure::Commit),
        [&](core::TDbScope& op) {
            op.closeOnFailure(q);
            const char* kJoin = "INNER JOIN LEVELNAME L ON (O.JOBLEVEL=L.LEVELNO)";
            const char* kWhere = "WHERE (O.GROUPID=:GROUPID) AND (O.OPCODE>=10)";

            // An approvers-only list on a schema without the approver column
            // has no approvers: answering every operator would be wrong.
            bool oldSchema = false;
            int count = 0;
            q.close();
            q.sql().clear();
            q.sql().add("SELECT COUNT(O.GROUPID) AS RECCNT FROM OPERATOR O");
            q.sql().add(kJoin);
            q.sql().add(kWhere);
            if (ShoninOnly)
                q.sql().add("AND (SHONIN>0)");
            try {
                q.paramByName("GROUPID").setInteger(GroupCode);
                q.open();
                count = q.eof() ? 0 : q.fieldByName("RECCNT").asInteger();
                q.close();
            } catch (const fb::EIBError&) {
                q.close();
                if (!ShoninOnly)
                    throw;
                oldSchema = true;
            }
            if (count > 0 && !oldSchema) {
                bool fallback = false;
                for (int attempt = 1;; ++attempt) {
                    q.close();
                    q.sql().clear();
                    if (!fallback)
                        q.sql().add(
                            "SELECT O.GROUPID,O.OPCODE,O.OPNAME,O.JOBLEVEL,L.NAME,O.PASWORD,O.DATAPAS,O.JIMUSHO,"
                            "O.OKINIIRI,O.KANSA,O.MYNUMBER_ADM,O.SHONIN");
                    else
                        q.sql().add(
                            "SELECT O.GROUPID,O.OPCODE,O.OPNAME,O.JOBLEVEL,L.NAME,O.PASWORD,O.DATAPAS,O.JIMUSHO,"
                            "O.OKINIIRI,O.KANSA,0 AS MYNUMBER_ADM,0 AS SHONIN");
                    q.sql().add("FROM OPERATOR O");
                    q.sql().add(kJoin);
                    q.sql().add(kWhere);
                    if (ShoninOnly && !fallback)
                        q.sql().add("AND (SHONIN>0)");
                    q.sql().add("ORDER BY O.OPCODE");
                    try {
                        q.paramByName("GROUPID").setInteger(GroupCode);
                        q.open();
                        break;
                    } catch (const fb::EIBError&) {
                        q.close();
                        if (attempt >= 4)
                            throw std::runtime_error("OPERATORテーブル参照クエリーの作成エラー");
                        fallback = true;
                        if (ShoninOnly) {
                            oldSchema = true;
                            break;
                        }
                    }
                }
                while (!oldSchema && !q.eof()) {
                    TUserListRec r;
                    r.GroupCode = q.fieldByName("GROUPID").asInteger();
                    r.OpCode = q.fieldByName("OPCODE").asInteger();
                    r.OpName = q.fieldByName("OPNAME").asString();
                    r.Password = q.fieldByName("PASWORD").asString();
                    r.JobLevel = q.fieldByName("JOBLEVEL").asInteger();
                    r.JobLevelName = q.fieldByName("NAME").asString();
                    r.Jimusho = q.fieldByName("JIMUSHO").asInteger() != 0;
                    r.Okiniiri = q.fieldByName("OKINIIRI").asInteger() != 0;
                    r.MyNumberAdmin = q.fieldByName("MYNUMBER_ADM").asInteger() != 0;
                    r.Shonin = q.fieldByName("SHONIN").asInteger() != 0;
                    Rows.push_back(r);
                    Items.push_back(QuotedItems ? quoted(std::to_string(r.OpCode), r.OpName)
                                                : std::to_string(r.OpCode) + ":" + r.OpName);
                    q.next();
                }
                q.close();
            }
        });
    Count = static_cast<int>(Items.size());
}

std::int32_t TUserList::GetOpCode(int index) const
{
    if (index < 0 || index >= static_cast<int>(Rows.size()))
        return 0;
    return Rows[static_cast<std::size_t>(index)].OpCode;
}

std::string TUserList::GetListText() const
{
    return joinLines(Items);
}

int TUserList::IndexOfOpCode(std::int32_t code) const
{
    for (std::size_t i = 0; i < Rows.size(); ++i)
        if (Rows[i].OpCode == code)
            return static_cast<int>(i);
    return -1;
}

// --- TLoginUserListOnDef ---------------------------------------------------------

TLoginUserListOnDef::TLoginUserListOnDef()
{
    if (core::DM != nullptr)
        query_ = std::make_unique<fb::Query>(&core::DM->IBDatabaseDEF, &core::DM->IBTransactionDEF);
}

TLoginUserListOnDef::~TLoginUserListOnDef() = default;

void TLoginUserListOnDef::Clear()
{
    Rows.clear();
    Items.clear();
    Count = 0;
}

void TLoginUserListOnDef::Execute(std::int32_t groupCode, std::int32_t opCode, bool includeSelf)
{
    Clear();
    GroupCode = groupCode;
    OpCode = opCode;
    IncludeSelf = includeSelf;
    if (!query_)
        throw std::logic_error("TLoginUserListOnDef.Execute: no data module");
    auto& q = *query_;
    try {
        core::RunDbOperation(*q.transaction(),
            core::DbPolicy("TLoginUserListOnDef.Execute", "ログインユーザーリストの取得に失敗しました。")
                .with(core::DbFailure::Commit)
                .with(core::DbReport::ErrorBoxAndRaise)
                .insideCallers(core::DbReport::Raise),
            [&](core::TDbScope& op) {
                op.fresh(q);
                q.sql().add("SELECT L.OPERATORCODE,L.PCNAME,O.OPNAME FROM LOGONUSERLIST L");
                q.sql().add("INNER JOIN OPERATOR O ON(L.GROUPID=O.GROUPID AND L.OPERATORCODE=O.OPCODE)");
                q.sql().add("WHERE L.GROUPID=:GROUPID");
                if (!includeSelf)
                    q.sql().add("AND L.OPCODE<>:OPCODE");
                q.sql().add("GROUP BY L.OPERATORCODE,L.PCNAME,O.OPNAME");
                q.sql().add("ORDER BY L.OPERATORCODE");
                q.paramByName("GROUPID").setInteger(groupCode);
                if (!includeSelf)
                    q.paramByName("OPCODE").setInteger(opCode);
                q.open();
                while (!q.eof()) {
                    TLoginUserListRec r;
                    r.OpCode = q.fieldByName("OPERATORCODE").asInteger();
                    r.OpName = q.fieldByName("OPNAME").asString();
                    r.PCName = q.fieldByName("PCNAME").asString();
                    Rows.push_back(r);
                    Items.push_back(std::to_string(r.OpCode) + ":" + r.OpName);
                    q.next();
                }
                q.close();
            });
        Count = static_cast<int>(Items.size());
    } catch (const std::exception&) {
        Count = static_cast<int>(Items.size());
        throw;
    }
}

std::int32_t TLoginUserListOnDef::GetOpCode(int index) const
{
    if (index < 0 || index >= static_cast<int>(Rows.size()))
        return 0;
    return Rows[static_cast<std::size_t>(index)].OpCode;
}

std::string TLoginUserListOnDef::GetOpName(int index) const
{
    if (index < 0 || index >= static_cast<int>(Rows.size()))
        return {};
    return Rows[static_cast<std::size_t>(index)].OpName;
}
