#include "dataselect/z5ComDataSentaku.h"
#include "dataselect/z5ComDataSentakuInternal.h"
#include "platform/plain_text.h"

#include "core/AccReg.h"
#include "core/AppInfo.h"
#include "core/DataInfomation.h"
#include "core/DataModule.h"
#include "core/DataModuleAccInfo.h"
#include "core/IBErrorProc.h"
#include "core/TextRoutines.h"
#include "platform/paths.h"

#include <algorithm>
#include <type_traits>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

using namespace core;
namespace fb = platform::firebird;

namespace datalist_detail {

constexpr std::chrono::sys_days kDayZero = TDateTimeDayZero;

using platform::text::isBlank;

TDateTime fromDate(const fb::Date& d)
{
    if (!d.ok())
        return 0;
    return static_cast<double>((std::chrono::sys_days {d} - kDayZero).count());
}

void setDateParam(fb::Param& p, TDateTime value)
{
    if (value == 0) {
        p.clear();
        return;
    }
    p.setDate(fb::Date {kDayZero + std::chrono::days {static_cast<long>(std::floor(value))}});
}

std::int32_t toNumber(const std::string& text)
{
    std::int32_t v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() ? v : 0;
}

std::vector<std::string> components(const std::string& path)
{
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path) {
        if (c == '/' || c == '\\') {
            if (!cur.empty())
                parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        parts.push_back(cur);
    return parts;
}

std::string kikanText(TDateTime from, TDateTime to)
{
    if (from == 0 && to == 0)
        return {};
    return FormatRegDate(4, from) + "～" + FormatRegDate(4, to);
}

TDM& dm()
{
    if (DM == nullptr)
        throw std::runtime_error("TDataSentakuListCtl: no data module");
    return *DM;
}

// The report of a failed operation: shown when the caller asked for
// reports, raised to the caller otherwise.
core::DbReport reportOr(bool reportErrors)
{
    return reportErrors ? core::DbReport::ErrorBox : core::DbReport::Raise;
}

namespace {

const RowColumn kRowColumns[] = {
    {"ENTTEXT", RowColumn::Name, &TDataListRec::ENTTEXT},
    {"SHOUGOU", RowColumn::Name, &TDataListRec::SHOUGOU},
    {"PASNAME", RowColumn::Shared, &TDataListRec::PASNAME},
    {"NETDRIVE", RowColumn::RegistryOwn, &TDataListRec::NETDRIVE, "1"},
    {"DATATYPE", RowColumn::Shared, &TDataListRec::DATATYPE},
    {"CODETYPE", RowColumn::Shared, &TDataListRec::CODETYPE},
    {"NENDO", RowColumn::Shared, &TDataListRec::NENDO},
    {"KISHU", RowColumn::Shared, &TDataListRec::KISHU},
    {"KIMATU", RowColumn::Shared, &TDataListRec::KIMATU},
    {"DATALOCK", RowColumn::Shared, &TDataListRec::DATALOCK},
    {"KYOYULOCK", RowColumn::RegistryOwn, &TDataListRec::KYOYULOCK, "0"},
    {"TANTOU", RowColumn::Shared, &TDataListRec::TANTOU},
    {"VER_MAJOR", RowColumn::Shared, &TDataListRec::VER_MAJOR},
    {"VER_MINOR1", RowColumn::Shared, &TDataListRec::VER_MINOR1},
    {"VER_MINOR2", RowColumn::Shared, &TDataListRec::VER_MINOR2},
    {"VER_TEXT", RowColumn::Shared, &TDataListRec::VER_TEXT},
    {"UPDATE_LOCK", RowColumn::Shared, &TDataListRec::UPDATE_LOCK},
    {"GASSAN", RowColumn::Shared, &TDataListRec::GASSAN},
    {"DATACODE", RowColumn::Shared, &TDataListRec::DATACODE},
    {"DATA_STATUS", RowColumn::Shared, &TDataListRec::DATA_STATUS},
    {"YOBI1", RowColumn::Shared, &TDataListRec::YOBI1},
    {"YOBI2", RowColumn::Shared, &TDataListRec::YOBI2},
    {"YOBI3", RowColumn::Shared, &TDataListRec::YOBI3},
    {"CLOUD", RowColumn::Cloud, &TDataListRec::CLOUD},
    {"READ_ONLY", RowColumn::ReadOnly, &TDataListRec::READ_ONLY},
};

template <class T> using MemberType = std::remove_cvref_t<decltype(std::declval<TDataListRec&>().*std::declval<T>())>;

void readColumn(fb::Query& q, TDataListRec& rec, const RowColumn& column)
{
    fb::Field& f = q.fieldByName(column.name);
    std::visit(
        [&](auto member) {
            using T = MemberType<decltype(member)>;
            if constexpr (std::is_same_v<T, std::string>)
                rec.*member = f.asString();
            else if constexpr (std::is_same_v<T, TDateTime>)
                rec.*member = fromDate(f.asDate());
            else
                rec.*member = static_cast<T>(f.asInteger());
        },
        column.member);
}

} // namespace

std::string insertStatement(const std::string& table, const std::vector<std::string>& keys, const RowColumns& columns)
{
    std::string names;
    std::string values;
    auto add = [&](const std::string& name) {
        names += (names.empty() ? "" : ",") + name;
        values += (values.empty() ? ":" : ",:") + name;
    };
    for (const auto& key : keys)
        add(key);
    for (const RowColumn* c : columns)
        add(c->name);
    return "INSERT INTO " + table + "(" + names + ") VALUES(" + values + ")";
}

std::string updateStatement(const std::string& table, const RowColumns& columns)
{
    std::string set;
    for (const RowColumn* c : columns)
        set += std::string(set.empty() ? "" : ",") + c->name + "=:" + c->name;
    return "UPDATE " + table + " SET " + set;
}

void bindColumns(fb::Query& q, const TDataListRec& rec, const RowColumns& columns)
{
    for (const RowColumn* c : columns) {
        fb::Param& p = q.paramByName(c->name);
        std::visit(
            [&](auto member) {
                using T = MemberType<decltype(member)>;
                if constexpr (std::is_same_v<T, std::string>)
                    p.setString(rec.*member);
                else if constexpr (std::is_same_v<T, TDateTime>)
                    setDateParam(p, rec.*member);
                else
                    p.setInteger(rec.*member);
            },
            c->member);
    }
}

core::DbPolicy writePolicy(const char* context, const char* message, bool reportErrors)
{
    return core::DbPolicy(context, message).with(core::DbSuccess::CommitRetaining).with(reportOr(reportErrors));
}

core::DbPolicy readPolicy(const char* context, const char* message, bool reportErrors)
{
    return core::DbPolicy(context, message).with(core::DbFailure::Commit).with(reportOr(reportErrors));
}

} // namespace datalist_detail

using namespace datalist_detail;

namespace {

// The row number a stand-alone data folder is named after; 0 for none.
std::int32_t folderNumberOf(const std::string& path)
{
    std::string number;
    std::string child;
    core::SplitDataPath(path, number, child);
    return toNumber(number);
}

// A shared row registered under its own working folder is local.
void asLocalRow(TDataListRec& rec)
{
    if (rec.PASNAME == rec.LocalPath)
        rec.NETDRIVE = 0;
}

} // namespace

std::int32_t LoginCodeOf(std::int32_t opCode, std::int32_t groupId)
{
    const std::int64_t modulus = groupId != 0 ? static_cast<std::int64_t>(groupId) * 10000 : 10000;
    return static_cast<std::int32_t>(opCode % modulus);
}

TDataSentakuListCtl::TDataSentakuListCtl()
    : CopyDataSet(CopyDataSetFiles)
{
    TDM& d = dm();
    for (auto* q : {&main_, &second_}) {
        q->setDatabase(&d.IBDatabaseDEF);
        q->setTransaction(&d.IBTransactionDEF);
    }
    SetDataPlace(0);
    const long version = SysDef.SysVerMajor * 65536L + SysDef.SysVerMinor1 * 256L + SysDef.SysVerMinor2;
    hasCloud_ = version >= 11L * 65536L + 1;
    hasReadOnly_ = version >= 12L * 65536L;
}

TDataSentakuListCtl::~TDataSentakuListCtl() = default;

void TDataSentakuListCtl::SetDataPlace(std::int32_t place)
{
    dataPlace_ = (ConnectKind == 1 || ConnectKind == 2) ? place : 0;
    tableName_ = dataPlace_ > 0 ? "DATALIST_EX" : "DATALIST";
}

std::string TDataSentakuListCtl::MakeLocalPath(const TDataListRec& rec) const
{
    if (rec.NETDRIVE == 1 && !rec.PASNAME.empty()) {
        char number[16];
        std::snprintf(number, sizeof number, "%.4d", rec.REC);
        std::string local = platform::paths::join(SysDef.SysDir, number);
        if (rec.GASSAN != 0 && rec.GASSAN != 1 && rec.GASSAN != 2)
            local = platform::paths::join(
                local, platform::paths::fileNameOf(platform::paths::excludeDelimiter(rec.PASNAME)));
        return local;
    }
    return rec.PASNAME.empty() ? std::string() : platform::paths::excludeDelimiter(rec.PASNAME);
}

void TDataSentakuListCtl::InitDataListRecord(TDataListRec& rec, const std::string& path) const
{
    rec = TDataListRec {};
    rec.NENDO = 1;
    rec.GROUPID = SysDef.GroupID;
    rec.PASNAME = path;
    rec.LocalPath = MakeLocalPath(rec);
}

void TDataSentakuListCtl::addListWhere(fb::Query& q, const std::string& where, const std::string& tail) const
{
    q.sql().add(where);
    if (dataPlace_ > 0)
        q.sql().add("AND (DATAPLACEREC=:DATAPLACEREC)");
    if (!tail.empty())
        q.sql().add(tail);
    // Bound once the text is complete: a later line would clear it.
    if (dataPlace_ > 0)
        q.paramByName("DATAPLACEREC").setInteger(dataPlace_);
}

bool TDataSentakuListCtl::readGroupNumber(
    const char* context, const char* message, const char* aggregate, const std::string* path, std::int32_t& value)
{
    value = 0;
    // A read: what it started is committed also after a failure.
    return core::RunDbOperation(dm().IBTransactionDEF, readPolicy(context, message, true), [&](core::TDbScope& op) {
        op.fresh(second_);
        second_.sql().add(std::string("SELECT ") + aggregate + " FROM " + tableName_);
        addListWhere(second_, path ? "WHERE (GROUPID=:GROUPID) AND (PASNAME=:PASNAME)" : "WHERE (GROUPID=:GROUPID)");
        second_.paramByName("GROUPID").setInteger(SysDef.GroupID);
        if (path)
            second_.paramByName("PASNAME").setString(*path);
        second_.open();
        value = second_.eof() ? 0 : second_.field(0).asInteger();
        second_.close();
    });
}

std::int32_t TDataSentakuListCtl::recOfPath(const char* context, const std::string& path, bool inPlace)
{
    std::int32_t found = 0;
    if (DM == nullptr)
        return found;
    core::RunDbOperation(DM->IBTransactionDEF,
        core::DbPolicy(context).with(core::DbFailure::Commit).with(core::DbReport::Quiet), [&](core::TDbScope& op) {
            op.fresh(second_);
            second_.sql().add("SELECT REC FROM " + tableName_);
            if (inPlace) {
                addListWhere(second_, "WHERE (PASNAME=:PASNAME)", "ORDER BY REC");
            } else {
                second_.sql().add("WHERE (PASNAME=:PASNAME)");
                second_.sql().add("ORDER BY REC");
            }
            second_.paramByName("PASNAME").setString(path);
            second_.open();
            if (!second_.eof())
                found = second_.fieldByName("REC").asInteger();
            second_.close();
        });
    return found;
}

std::vector<const RowColumn*> TDataSentakuListCtl::storedColumns(bool names, bool registryOwn) const
{
    std::vector<const RowColumn*> columns;
    for (const RowColumn& c : kRowColumns) {
        if ((c.group == RowColumn::Name && !names) || (c.group == RowColumn::RegistryOwn && !registryOwn)
            || (c.group == RowColumn::Cloud && !hasCloud_) || (c.group == RowColumn::ReadOnly && !hasReadOnly_))
            continue;
        columns.push_back(&c);
    }
    return columns;
}

std::string TDataSentakuListCtl::columnList(bool child, bool topLevelRowNo, bool server) const
{
    std::string cols = "SELECT REC";
    if (child)
        cols += ",ROWNO";
    else if (topLevelRowNo)
        cols += ",0 AS ROWNO";
    for (const RowColumn& c : kRowColumns) {
        cols += ",";
        if (server && c.serverValue)
            cols += std::string(c.serverValue) + " AS " + c.name;
        else if ((c.group == RowColumn::Cloud && !hasCloud_) || (c.group == RowColumn::ReadOnly && !hasReadOnly_))
            cols += std::string("0 AS ") + c.name;
        else
            cols += c.name;
    }
    return cols;
}

void TDataSentakuListCtl::readRow(fb::Query& q, TDataListRec& rec, bool child) const
{
    rec.REC = q.fieldByName("REC").asInteger();
    rec.ROWNO = child || q.fieldIndex("ROWNO") >= 0 ? q.fieldByName("ROWNO").asInteger() : 0;
    rec.GROUPID = SysDef.GroupID;
    for (const RowColumn& c : kRowColumns)
        readColumn(q, rec, c);
    rec.KikanText = kikanText(rec.KISHU, rec.KIMATU);
    rec.DispName = rec.ENTTEXT;
    rec.LocalPath = MakeLocalPath(rec);
}

void TDataSentakuListCtl::addUpdateOfRow(fb::Query& q, const std::string& table) const
{
    q.sql().add(updateStatement(table, storedColumns(true, true)));
}

void TDataSentakuListCtl::bindRowValues(fb::Query& q, const TDataListRec& rec) const
{
    bindColumns(q, rec, storedColumns(true, true));
}

bool TDataSentakuListCtl::GetLocalPathToData(const std::string& path, TDataListRec& rec)
{
    if (ServerListMode == 1)
        return true;
    rec.PASNAME = path;
    if (isBlank(path))
        return false;
    if (ConnectKind == 1 || ConnectKind == 2)
        return true;
    return core::RunDbOperation(
        dm().IBTransactionDEF, core::DbPolicy("TDataSentakuListCtl.GetLocalPathToData"), [&](core::TDbScope& op) {
            op.fresh(main_);
            const bool child = rec.GASSAN == 10;
            main_.sql().add(child ? "SELECT COUNT(REC) AS RECCNT FROM CHILD_DATALIST"
                                  : "SELECT COUNT(REC) AS RECCNT FROM DATALIST");
            main_.sql().add("WHERE (GROUPID=:GROUPID) AND (PASNAME=:PASNAME)");
            main_.paramByName("GROUPID").setInteger(SysDef.GroupID);
            main_.paramByName("PASNAME").setString(path);
            main_.open();
            const int count = main_.eof() ? 0 : main_.field(0).asInteger();
            main_.close();
            if (count == 0) {
                // Not registered: the local working folder of a shared data set,
                // named after its row number.
                const auto parts = components(path);
                std::string number;
                if (!child && !parts.empty())
                    number = parts.back();
                else if (child && parts.size() >= 2)
                    number = parts[parts.size() - 2];
                main_.sql().clear();
                main_.sql().add(child ? "SELECT PASNAME FROM CHILD_DATALIST" : "SELECT PASNAME FROM DATALIST");
                main_.sql().add("WHERE (REC=:REC)");
                main_.paramByName("REC").setInteger(toNumber(number));
                main_.open();
                while (!main_.eof()) {
                    const std::string pasname = main_.fieldByName("PASNAME").asString();
                    if (!child
                        || platform::paths::fileNameOf(platform::paths::excludeDelimiter(pasname))
                            == (parts.empty() ? std::string() : parts.back())) {
                        rec.PASNAME = pasname;
                        rec.LocalPath = MakeLocalPath(rec);
                    }
                    main_.next();
                }
                main_.close();
            }
        });
}

void TDataSentakuListCtl::GetDataListRecord(std::uint8_t mode, TDataListRec& rec, bool reportErrors)
{
    if (ServerListMode == 1)
        return;
    std::string wanted;
    if (mode == 1) {
        wanted = rec.PASNAME;
        if (!GetLocalPathToData(wanted, rec)) {
            InitDataListRecord(rec, "");
            return;
        }
    } else if (mode != 0) {
        InitDataListRecord(rec, "");
        return;
    }
    // A read commits what it started, also after an error.
    core::RunDbOperation(dm().IBTransactionDEF,
        readPolicy("TDataSentakuListCtl.GetDataListRecord", "データリストの取得に失敗しました。", reportErrors),
        [&](core::TDbScope& op) {
            op.fresh(main_);
            const bool child = rec.GASSAN == 10;
            main_.sql().add(columnList(child, true));
            if (child) {
                main_.sql().add("FROM CHILD_DATALIST");
                main_.sql().add(mode == 0 ? "WHERE (REC=:REC) AND (ROWNO=:ROWNO) AND (GROUPID=:GROUPID)"
                                          : "WHERE (GROUPID=:GROUPID) AND (PASNAME=:PASNAME)");
            } else {
                main_.sql().add("FROM " + tableName_);
                addListWhere(main_,
                    mode == 0 ? "WHERE (REC=:REC) AND (GROUPID=:GROUPID)"
                              : "WHERE (GROUPID=:GROUPID) AND (PASNAME=:PASNAME)");
            }
            main_.paramByName("GROUPID").setInteger(SysDef.GroupID);
            if (mode == 0) {
                main_.paramByName("REC").setInteger(rec.REC);
                if (child)
                    main_.paramByName("ROWNO").setInteger(rec.ROWNO);
            } else {
                main_.paramByName("PASNAME").setString(rec.PASNAME);
            }
            main_.open();
            while (!main_.eof()) {
                const std::int32_t workNo = rec.WorkNo;
                const std::string workText = rec.WorkText;
                readRow(main_, rec, child);
                rec.WorkNo = workNo;
                rec.WorkText = workText;
                if (mode == 1 && rec.LocalPath == wanted)
                    break;
                main_.next();
            }
            main_.close();
        });
}

void TDataSentakuListCtl::GetDataListChildRecord(TDataSentakuRec& rec, bool reportErrors)
{
    if (ConnectKind != 0 || ServerListMode == 1)
        return;
    rec.ChildCount = 0;
    rec.Children.clear();
    if (rec.Data.GASSAN != 1 && rec.Data.GASSAN != 2)
        return;
    core::RunDbOperation(dm().IBTransactionDEF,
        readPolicy(
            "TDataSentakuListCtl.GetDataListChildRecord", "(子)データリストの取得に失敗しました。", reportErrors),
        [&](core::TDbScope& op) {
            op.fresh(main_);
            main_.sql().add(columnList(true, false));
            main_.sql().add("FROM CHILD_DATALIST");
            main_.sql().add("WHERE (REC=:REC) AND (GROUPID=:GROUPID)");
            main_.sql().add("ORDER BY PASNAME");
            main_.paramByName("REC").setInteger(rec.Data.REC);
            main_.paramByName("GROUPID").setInteger(SysDef.GroupID);
            main_.open();
            while (!main_.eof()) {
                TDataListRec c;
                readRow(main_, c, true);
                rec.Children.push_back(std::move(c));
                main_.next();
            }
            main_.close();
            rec.ChildCount = static_cast<std::int32_t>(rec.Children.size());
        });
}

std::int32_t TDataSentakuListCtl::FindRecByPasName(const std::string& path)
{
    return recOfPath("TDataSentakuListCtl.FindRecByPasName", path, true);
}

bool TDataSentakuListCtl::ConvLocalPathToSharePath(
    const std::string& path, std::string& sharePath, std::int32_t& netDrive, std::int32_t& shareLock)
{
    if (ServerListMode == 1)
        return true;
    sharePath = path;
    netDrive = 0;
    shareLock = 0;
    if (isBlank(path))
        return false;
    if (ConnectKind == 1 || ConnectKind == 2)
        return true;
    return core::RunDbOperation(
        dm().IBTransactionDEF, core::DbPolicy("TDataSentakuListCtl.ConvLocalPathToSharePath"), [&](core::TDbScope& op) {
            op.fresh(second_);
            second_.sql().add("SELECT COUNT(REC) AS RECCNT FROM DATALIST");
            second_.sql().add("WHERE (GROUPID=:GROUPID1) AND (PASNAME=:PASNAME1)");
            second_.sql().add("UNION");
            second_.sql().add("SELECT COUNT(REC) AS RECCNT FROM CHILD_DATALIST");
            second_.sql().add("WHERE (GROUPID=:GROUPID2) AND (PASNAME=:PASNAME2)");
            second_.paramByName("GROUPID1").setInteger(SysDef.GroupID);
            second_.paramByName("PASNAME1").setString(path);
            second_.paramByName("GROUPID2").setInteger(SysDef.GroupID);
            second_.paramByName("PASNAME2").setString(path);
            second_.open();
            int sum = 0;
            while (!second_.eof()) {
                sum += second_.field(0).asInteger();
                second_.next();
            }
            second_.close();
            if (sum == 0) {
                std::string number;
                std::string childFolder;
                core::SplitDataPath(path, number, childFolder);
                second_.sql().clear();
                second_.sql().add("SELECT REC,PASNAME,NETDRIVE,KYOYULOCK FROM DATALIST");
                second_.sql().add("WHERE REC=:REC");
                second_.paramByName("REC").setInteger(toNumber(number));
                second_.open();
                while (!second_.eof()) {
                    sharePath = second_.fieldByName("PASNAME").asString();
                    if (!childFolder.empty())
                        sharePath = platform::paths::join(sharePath, childFolder);
                    netDrive = second_.fieldByName("NETDRIVE").asInteger();
                    shareLock = second_.fieldByName("KYOYULOCK").asInteger();
                    second_.next();
                }
                second_.close();
            }
        });
}

bool TDataSentakuListCtl::GetDataListRecordByPath(const std::string& path, TDataSentakuRec& rec)
{
    rec = TDataSentakuRec {};
    InitDataListRecord(rec.Data, "");
    rec.Data.LocalPath = path;
    ConvLocalPathToSharePath(path, rec.Data.PASNAME, rec.Data.NETDRIVE, rec.Data.KYOYULOCK);
    rec.Data.REC = ConnectKind == 0 ? folderNumberOf(path) : 0;
    if (rec.Data.REC == 0)
        rec.Data.REC = FindRecByPasName(path);
    if (rec.Data.REC <= 0) {
        InitDataListRecord(rec.Data, "");
        return false;
    }
    GetDataListRecord(0, rec.Data, false);
    GetDataListChildRecord(rec, false);
    return true;
}

bool TDataSentakuListCtl::UpdateDataListRecord(TDataListRec rec, std::int32_t updateNames, bool reportErrors)
{
    if (ServerListMode == 1)
        return true;
    if (rec.REC == 0 || isBlank(rec.PASNAME))
        return false;
    if (rec.GASSAN == 10)
        return UpdateDataListChildRecord(rec, updateNames, reportErrors);
    // Inside a caller's transaction the update is made durable at once.
    return core::RunDbOperation(dm().IBTransactionDEF,
        writePolicy("TDataSentakuListCtl.UpdateDataListRecord", "データリストの更新に失敗しました。", reportErrors),
        [&](core::TDbScope& op) {
            op.closeOnFailure(main_);
            if (ConnectKind == 1 || ConnectKind == 2) {
                // A row whose number now belongs to another folder is never
                // overwritten.
                main_.close();
                main_.sql().clear();
                main_.sql().add("SELECT PASNAME FROM " + tableName_);
                addListWhere(main_, "WHERE (REC=:REC) AND (GROUPID=:GROUPID)");
                main_.paramByName("REC").setInteger(rec.REC);
                main_.paramByName("GROUPID").setInteger(SysDef.GroupID);
                main_.open();
                bool any = false;
                std::string last;
                while (!main_.eof()) {
                    any = true;
                    last = main_.fieldByName("PASNAME").asString();
                    main_.next();
                }
                main_.close();
                if (!any || last != rec.PASNAME)
                    return;
            }
            main_.close();
            main_.sql().clear();
            addUpdateOfRow(main_, tableName_);
            // The row is one operator group's: other groups' rows of the same
            // number stay untouched.
            addListWhere(main_, "WHERE (REC=:REC) AND (GROUPID=:GROUPID)");
            bindRowValues(main_, rec);
            main_.paramByName("REC").setInteger(rec.REC);
            main_.paramByName("GROUPID").setInteger(SysDef.GroupID);
            main_.execSQL();

            if (isBlank(rec.SHOUGOU) && rec.KISHU == 0 && rec.KIMATU == 0) {
                main_.sql().clear();
                main_.sql().add("DELETE FROM CHILD_DATALIST");
                main_.sql().add("WHERE REC=:REC AND GROUPID=:GROUPID");
                main_.paramByName("REC").setInteger(rec.REC);
                main_.paramByName("GROUPID").setInteger(SysDef.GroupID);
                main_.execSQL();
            }
            if (rec.NETDRIVE == 1)
                UpdateServerDataListRecord(rec, updateNames, false);
        });
}

bool TDataSentakuListCtl::UpdateDataListChildRecord(TDataListRec rec, std::int32_t, bool reportErrors)
{
    if (ConnectKind == 1 || ConnectKind == 2 || ServerListMode == 1)
        return true;
    if (isBlank(rec.PASNAME))
        return false;
    return core::RunDbOperation(dm().IBTransactionDEF,
        core::DbPolicy("TDataSentakuListCtl.UpdateDataListChildRecord", "(子)データリストの更新に失敗しました。")
            .with(reportOr(reportErrors)),
        [&](core::TDbScope& op) {
            const char* key = "WHERE REC=:REC AND ROWNO=:ROWNO AND GROUPID=:GROUPID";
            auto bindKey = [&] {
                main_.paramByName("REC").setInteger(rec.REC);
                main_.paramByName("ROWNO").setInteger(rec.ROWNO);
                main_.paramByName("GROUPID").setInteger(SysDef.GroupID);
            };
            op.fresh(main_);
            main_.sql().add("SELECT COUNT(REC) AS RECCNT FROM CHILD_DATALIST");
            main_.sql().add(key);
            bindKey();
            main_.open();
            const int count = main_.eof() ? 0 : main_.field(0).asInteger();
            main_.close();
            main_.sql().clear();
            if (count > 0) {
                addUpdateOfRow(main_, "CHILD_DATALIST");
                main_.sql().add(key);
            } else {
                main_.sql().add(
                    insertStatement("CHILD_DATALIST", {"REC", "ROWNO", "GROUPID"}, storedColumns(true, true)));
            }
            bindRowValues(main_, rec);
            bindKey();
            main_.execSQL();
            if (rec.NETDRIVE == 1)
                UpdateServerDataListChildRecord(rec, 1, false);
        });
}

void TDataSentakuListCtl::ClearDataList()
{
    RowCount = 0;
    ChildRowCount = 0;
    Rows.clear();
    ChildRows.clear();
}

std::string TDataSentakuListCtl::commonConditions(std::int32_t shareFilter) const
{
    std::string c;
    if (shareFilter == 1)
        c += " AND (KYOYULOCK<>1)";
    if (NendoFilter > 0)
        c += " AND (NENDO=:NENDO)";
    if (!ShougouFilter.empty())
        c += " AND (SHOUGOU=:SHOUGOU)";
    if (dataPlace_ > 0)
        c += " AND (DATAPLACEREC=:DATAPLACEREC)";
    return c;
}

void TDataSentakuListCtl::bindCommonConditions(fb::Query& q) const
{
    q.paramByName("GROUPID").setInteger(SysDef.GroupID);
    if (NendoFilter > 0)
        q.paramByName("NENDO").setInteger(NendoFilter);
    if (!ShougouFilter.empty())
        q.paramByName("SHOUGOU").setString(ShougouFilter);
    if (dataPlace_ > 0)
        q.paramByName("DATAPLACEREC").setInteger(dataPlace_);
}

void TDataSentakuListCtl::readListRows(const std::string& where, std::int32_t shareFilter, const std::string& order)
{
    main_.close();
    main_.sql().clear();
    main_.sql().add(columnList(false, false));
    main_.sql().add("FROM " + tableName_);
    main_.sql().add(where + commonConditions(shareFilter));
    if (!order.empty())
        main_.sql().add(order);
    bindCommonConditions(main_);
    collectRows(false, asLocalRow);
}

void TDataSentakuListCtl::collectRows(bool child, const std::function<void(TDataListRec&)>& adjust)
{
    main_.open();
    while (!main_.eof()) {
        TDataListRec rec;
        readRow(main_, rec, child);
        adjust(rec);
        if (child) {
            for (auto& row : Rows) {
                if (row.Data.REC == rec.REC) {
                    row.Children.push_back(rec);
                    ++row.ChildCount;
                    break;
                }
            }
            ChildRows.push_back(std::move(rec));
        } else {
            TDataSentakuRec row;
            row.Data = std::move(rec);
            Rows.push_back(std::move(row));
        }
        main_.next();
    }
    main_.close();
}

void TDataSentakuListCtl::Execute(
    std::int32_t shareFilter, std::uint8_t sortKind, bool descending, const std::string& customOrder)
{
    ClearDataList();
    if (ServerListMode == 1)
        return;
    if (ConnectKind == 1 || ConnectKind == 2)
        shareFilter = 0;

    struct Order {
        const char* ascending;
        const char* descending;
    };
    static const Order kOrders[] = {
        {"", ""},
        {"ORDER BY REC", "ORDER BY REC DESC"},
        {"ORDER BY ENTTEXT,NENDO DESC,REC", "ORDER BY ENTTEXT DESC,NENDO DESC,REC DESC"},
        {"ORDER BY NENDO,REC", "ORDER BY NENDO DESC,REC DESC"},
        {"ORDER BY KISHU,REC", "ORDER BY KISHU DESC,REC DESC"},
        {"ORDER BY PASNAME,REC", "ORDER BY PASNAME DESC,REC DESC"},
        {"ORDER BY VER_MAJOR,VER_MINOR1,VER_MINOR2,REC",
            "ORDER BY VER_MAJOR DESC,VER_MINOR1 DESC,VER_MINOR2 DESC,REC DESC"},
        {"ORDER BY DATACODE,NENDO DESC,REC", "ORDER BY DATACODE DESC,NENDO DESC,REC DESC"},
    };
    std::string order;
    if (sortKind == 0)
        order = customOrder;
    else if (sortKind < std::size(kOrders))
        order = descending ? kOrders[sortKind].descending : kOrders[sortKind].ascending;
    // Sorting by a column that empty areas lack puts them after the named
    // rows, by number (by folder for sort kind 5).
    const bool namedFirst = sortKind >= 2 && sortKind <= 7;

    if (!core::RunDbOperation(dm().IBTransactionDEF,
            core::DbPolicy("TDataSentakuListCtl.Execute", "データリストの取得に失敗しました。"),
            [&](core::TDbScope& op) {
                op.closeOnFailure(main_);
                if (ListFilter == 0 || ListFilter == 1) {
                    std::string where = "WHERE (GROUPID=:GROUPID)";
                    if (ListFilter == 1 || namedFirst)
                        where += " AND (ENTTEXT<>'')";
                    readListRows(where, shareFilter, order);
                }
                if ((ListFilter == 0 || ListFilter == 2) && namedFirst) {
                    const std::string emptyOrder = sortKind == 5
                        ? (descending ? "ORDER BY PASNAME DESC,REC DESC" : "ORDER BY PASNAME,REC")
                        : (descending ? "ORDER BY REC DESC" : "ORDER BY REC");
                    readListRows("WHERE (GROUPID=:GROUPID) AND (ENTTEXT='')", shareFilter, emptyOrder);
                }
                RowCount = static_cast<std::int32_t>(Rows.size());

                main_.close();
                main_.sql().clear();
                main_.sql().add(columnList(true, false));
                main_.sql().add("FROM CHILD_DATALIST");
                main_.sql().add("WHERE (GROUPID=:GROUPID)");
                main_.sql().add("ORDER BY REC,PASNAME");
                main_.paramByName("GROUPID").setInteger(SysDef.GroupID);
                collectRows(true, asLocalRow);
                ChildRowCount = static_cast<std::int32_t>(ChildRows.size());
            }))
        ClearDataList();
}

namespace {

// The facts of a data set its data-list row repeats: company, term, kind,
// person in charge, version and cloud sharing.
void copyDataSetFacts(const TDataInfomationRec& info, TDataListRec& rec)
{
    rec.GROUPID = SysDef.GroupID;
    rec.DATACODE = info.CODE;
    rec.SHOUGOU = info.SHOUGOU;
    rec.NENDO = info.NENDO;
    // The file holds "yyyy/mm/dd" whatever the locale; anything else is no date.
    rec.KISHU = SafeStrToDate(info.KISHU);
    rec.KIMATU = SafeStrToDate(info.KIMATU);
    rec.KikanText = kikanText(rec.KISHU, rec.KIMATU);
    rec.DATATYPE = info.DATAKBN;
    rec.CODETYPE = info.CODEKBN;
    rec.TANTOU = info.TANTO;
    rec.VER_MAJOR = info.VERSION1_MAJOR;
    rec.VER_MINOR1 = info.VERSION1_MINOR;
    rec.VER_MINOR2 = info.VERSION1_REVISION;
    rec.VER_TEXT = info.VERSION2;
    rec.CLOUD = info.CLOUD_SHARE;
}

} // namespace

void TDataSentakuListCtl::SetDataListRecordFromInfo(const TDataInfomationRec& info, TDataListRec& rec) const
{
    copyDataSetFacts(info, rec);
    rec.ENTTEXT = info.DATALISTNAME;
    rec.UPDATE_LOCK = info.UPDATE_LOCK;
    rec.READ_ONLY = info.READ_ONLY;
    rec.DATALOCK = 0;
    if (rec.ROWNO > 0)
        rec.GASSAN = 10;
    if (info.STATUS == 3 && info.OPCODE != 0)
        rec.DATALOCK = LoginCodeOf(info.OPCODE, SysDef.GroupID);
    if (info.SHARE_STATUS == 2 && info.SHARE_OPCODE == SysDef.OpCode)
        rec.KYOYULOCK = 1;
    const bool unnamed = rec.NETDRIVE != 0
        ? (rec.ENTTEXT.empty() || rec.ENTTEXT == kFreeAreaName || rec.ENTTEXT == kNewAreaName)
        : rec.ENTTEXT.empty();
    if (unnamed)
        rec.ENTTEXT = rec.SHOUGOU;
    rec.DispName = rec.ENTTEXT;
    rec.LocalPath = MakeLocalPath(rec);
}

std::int32_t TDataSentakuListCtl::GetRecOfPath(const std::string& path)
{
    if (isBlank(path))
        return 0;
    if (ConnectKind == 0)
        return folderNumberOf(path);
    TDataListRec rec;
    InitDataListRecord(rec, path);
    GetDataListRecord(1, rec, true);
    return rec.REC;
}

void TDataSentakuListCtl::bindInsertOfRow(
    fb::Query& q, const TDataListRec& rec, const std::string& table, bool withPlace) const
{
    std::vector<std::string> keys = {"REC", "GROUPID"};
    if (withPlace)
        keys.insert(keys.begin(), "DATAPLACEREC");
    q.sql().add(insertStatement(table, keys, storedColumns(true, true)));
    bindRowValues(q, rec);
    q.paramByName("REC").setInteger(rec.REC);
    q.paramByName("GROUPID").setInteger(SysDef.GroupID);
    if (withPlace)
        q.paramByName("DATAPLACEREC").setInteger(dataPlace_);
}

bool TDataSentakuListCtl::InsertDataListRecord(TDataListRec& rec, bool reportErrors)
{
    if (ServerListMode == 1)
        return true;
    if (TrimZenkaku(rec.PASNAME).empty())
        return false;
    if (ConnectKind == 0)
        return true;
    return core::RunDbOperation(dm().IBTransactionDEF,
        writePolicy("TDataSentakuListCtl.InsertDataListRecord", "データリストの追加に失敗しました。", reportErrors),
        [&](core::TDbScope& op) {
            op.closeOnFailure(main_);
            rec.REC = GetDataFolderName(1);
            if (rec.REC <= 0)
                throw std::runtime_error("TDataSentakuListCtl.InsertDataListRecord: no row number");
            main_.close();
            main_.sql().clear();
            bindInsertOfRow(main_, rec, tableName_, dataPlace_ > 0);
            main_.execSQL();
        });
}

bool TDataSentakuListCtl::DeleteDataListRecord(TDataListRec rec, bool reportErrors)
{
    if (ServerListMode == 1)
        return true;
    if (isBlank(rec.PASNAME))
        return false;
    if (ConnectKind == 0 && rec.GASSAN == 10)
        return DeleteDataListChildRecord(rec, reportErrors);
    return core::RunDbOperation(dm().IBTransactionDEF,
        writePolicy("TDataSentakuListCtl.DeleteDataListRecord", "データリストの削除に失敗しました。", reportErrors),
        [&](core::TDbScope& op) {
            op.fresh(main_);
            main_.sql().add("DELETE FROM " + tableName_);
            // Only an added row goes; the fixed areas are emptied, never deleted.
            addListWhere(main_, "WHERE (PASNAME=:PASNAME) AND (REC>:REC) AND (GROUPID=:GROUPID)");
            main_.paramByName("PASNAME").setString(rec.PASNAME);
            main_.paramByName("REC").setInteger(AppInfo.Varov.DataListCnt);
            main_.paramByName("GROUPID").setInteger(SysDef.GroupID);
            main_.execSQL();
            DeleteDataListChildRecord(rec, false);
        });
}

bool TDataSentakuListCtl::DeleteDataListChildRecord(TDataListRec rec, bool reportErrors)
{
    if (ConnectKind == 1 || ConnectKind == 2 || ServerListMode == 1)
        return true;
    if (isBlank(rec.PASNAME))
        return false;
    return core::RunDbOperation(dm().IBTransactionDEF,
        writePolicy(
            "TDataSentakuListCtl.DeleteDataListChildRecord", "(子)データリストの削除に失敗しました。", reportErrors),
        [&](core::TDbScope& op) {
            op.fresh(second_);
            const bool child = rec.GASSAN == 10;
            second_.sql().add("DELETE FROM CHILD_DATALIST");
            second_.sql().add(
                child ? "WHERE REC=:REC AND ROWNO=:ROWNO AND GROUPID=:GROUPID" : "WHERE REC=:REC AND GROUPID=:GROUPID");
            second_.paramByName("REC").setInteger(rec.REC);
            if (child)
                second_.paramByName("ROWNO").setInteger(rec.ROWNO);
            second_.paramByName("GROUPID").setInteger(SysDef.GroupID);
            second_.execSQL();
            if (rec.NETDRIVE == 1) {
                second_.sql().clear();
                second_.sql().add("DELETE FROM CHILD_SERVERDATALIST");
                addServerWhere(second_, ShareDriveLetter(rec.PASNAME),
                    child ? " AND (PASNAME=:PASNAME)" : " AND (PASNAME STARTING WITH :PASNAME)");
                second_.paramByName("PASNAME").setString(
                    child ? rec.PASNAME : platform::paths::includeDelimiter(rec.PASNAME));
                second_.execSQL();
            }
        });
}

std::int32_t TDataSentakuListCtl::GetDataFolderName(std::int32_t step)
{
    if (ServerListMode == 1)
        return 0;
    std::int32_t highest = 0;
    if (!readGroupNumber("TDataSentakuListCtl.GetDataFolderName", "最大のレコー番号の取得に失敗しました。",
            "MAX(REC) AS RECMAX", nullptr, highest))
        return 0;
    return highest + step;
}

bool TDataSentakuListCtl::IsDataPathToroku(const std::string& path)
{
    if (ServerListMode == 1)
        return true;
    std::int32_t count = 0;
    return readGroupNumber("TDataSentakuListCtl.IsDataPathToroku", "データリストの登録チェックに失敗しました。",
               "COUNT(REC) AS RECCNT", &path, count)
        && count > 0;
}

void TDataSentakuListCtl::RenumberAddedRows()
{
    if (ConnectKind != 1 && ConnectKind != 2)
        return;
    core::RunDbOperation(dm().IBTransactionDEF, writePolicy("TDataSentakuListCtl.RenumberAddedRows", "", false),
        [&](core::TDbScope& op) {
            op.closeOnFailure(main_);
            op.closeOnFailure(second_);
            std::vector<std::int32_t> numbers;
            second_.close();
            second_.sql().clear();
            second_.sql().add("SELECT REC FROM " + tableName_);
            addListWhere(second_, "WHERE (REC>:REC) AND (GROUPID=:GROUPID)", "ORDER BY REC");
            second_.paramByName("REC").setInteger(AppInfo.Varov.DataListCnt);
            second_.paramByName("GROUPID").setInteger(SysDef.GroupID);
            second_.open();
            while (!second_.eof()) {
                numbers.push_back(second_.fieldByName("REC").asInteger());
                second_.next();
            }
            second_.close();
            std::int32_t next = AppInfo.Varov.DataListCnt + 1;
            for (const std::int32_t old : numbers) {
                if (old != next) {
                    main_.close();
                    main_.sql().clear();
                    main_.sql().add("UPDATE " + tableName_ + " SET REC=:NEWREC");
                    addListWhere(main_, "WHERE (REC=:OLDREC) AND (GROUPID=:GROUPID)");
                    main_.paramByName("NEWREC").setInteger(next);
                    main_.paramByName("OLDREC").setInteger(old);
                    main_.paramByName("GROUPID").setInteger(SysDef.GroupID);
                    main_.execSQL();
                }
                ++next;
            }
        });
}

void TDataSentakuListCtl::NumberChildNames(TDataSentakuRec& rec)
{
    for (std::size_t i = 0; i < rec.Children.size(); ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%.2d ", static_cast<int>(i + 1));
        rec.Children[i].DispName = number + rec.Children[i].DispName;
    }
}

void TDataSentakuListCtl::RemoveChild(TDataSentakuRec& rec, std::int32_t index)
{
    if (index >= 0 && static_cast<std::size_t>(index) < rec.Children.size())
        rec.Children.erase(rec.Children.begin() + index);
    rec.ChildCount = std::max(0, rec.ChildCount - 1);
    if (rec.Children.size() > static_cast<std::size_t>(rec.ChildCount))
        rec.Children.resize(static_cast<std::size_t>(rec.ChildCount));
}

std::string TDataSentakuListCtl::GetDataStatusName(std::int32_t status)
{
    if (status >= 0 && static_cast<std::size_t>(status) < DataStatusNames.size())
        return DataStatusNames[static_cast<std::size_t>(status)];
    return "状態不明";
}

void InstallDataListUpdater()
{
    const TDataListUpdater updater = [](const std::string& folder, const TDataInfomationRec& info) {
        TDataSentakuListCtl ctl;
        ctl.ConnectKind = ConnectMode;
        ctl.SetDataPlace(SysDef.ServerDataPlace);
        TDataListRec rec;
        ctl.InitDataListRecord(rec, folder);
        rec.GASSAN = info.GASSANKBN;
        ctl.GetDataListRecord(1, rec, true);
        // The list's own name stays.
        copyDataSetFacts(info, rec);
        rec.GASSAN = info.GASSANKBN;
        ctl.UpdateDataListRecord(rec, 0, true);
    };
    // Data modules made later (the program makes its own after start) and
    // the one that exists now, if any.
    TDM::SetDefaultDataListUpdater(updater);
    if (DM != nullptr)
        DM->SetDataListUpdater(updater);
}
