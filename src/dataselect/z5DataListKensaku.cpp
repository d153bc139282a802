#include "dataselect/z5DataListKensaku.h"
#include "core/DbOperation.h"

#include "core/DataModule.h"
#include "core/IBErrorProc.h"
#include "core/uAccRecord.h"
#include "platform/firebird/firebird.h"

#include <array>

using namespace core;
namespace fb = platform::firebird;

namespace {

constexpr std::array<std::int32_t, 7> kScreenOfStored = {0, 3, 4, 5, 6, 7, 1};

struct Kind {
    std::int32_t dataType, codeType;
};
constexpr std::array<Kind, 7> kKinds = {{{0, 0}, {1, 1}, {2, 1}, {2, 2}, {3, 1}, {2, 3}, {2, 4}}};

fb::Database& systemDatabase()
{
    if (DM == nullptr)
        throw std::logic_error("TDataListKensakuBox: no data module");
    return DM->IBDatabaseDEF;
}

void bindAll(fb::Query& q, const TDataKensakuRec& rec)
{
    q.paramByName("JYOKENUSE").setInteger(rec.JyokenUse);
    q.paramByName("DATATYPE").setInteger(rec.DataType);
    q.paramByName("CODETYPE").setInteger(rec.CodeType);
    q.paramByName("DATACODE").setString(rec.DataCode);
    q.paramByName("DATANAME").setString(rec.ListName);
    q.paramByName("TANTO").setInteger(rec.Tanto);
    q.paramByName("DATAVER").setString(rec.DataVer);
    q.paramByName("SEIHINNAME").setString(rec.SeihinName);
    q.paramByName("SORTCOL").setInteger(SortColToStored(rec.SortCol));
    q.paramByName("SORTTYPE").setInteger(rec.SortType);
    q.paramByName("OPCODE").setInteger(rec.OpCode);
    q.paramByName("LISTTYPE").setInteger(rec.ListType);
}

// Stores the condition as a new row.
void insertRow(fb::Query& q, const TDataKensakuRec& rec)
{
    q.close();
    q.sql().clear();
    q.sql().add("INSERT INTO KENSAKUJYOKEN(OPCODE,LISTTYPE,JYOKENUSE,DATATYPE,CODETYPE,DATACODE,DATANAME,TANTO,DATAVER,"
                "SEIHINNAME,SORTCOL,SORTTYPE)");
    q.sql().add(
        "VALUES(:OPCODE,:LISTTYPE,:JYOKENUSE,:DATATYPE,:CODETYPE,:DATACODE,:DATANAME,:TANTO,:DATAVER,:SEIHINNAME,"
        ":SORTCOL,:SORTTYPE)");
    bindAll(q, rec);
    q.execSQL();
}

// Runs work on a statement in the transaction; reports and rolls back only
// what it started.
template <typename Work> bool run(fb::Transaction& t, const char* context, const char* message, Work work)
{
    return core::RunDbOperation(t, core::DbPolicy(context, message).insideCallers(core::DbReport::Quiet), [&] {
        fb::Query q(&systemDatabase(), &t);
        work(q);
    });
}

} // namespace

std::int32_t SortColFromStored(std::int32_t stored)
{
    return stored >= 1 && stored <= 6 ? kScreenOfStored[static_cast<std::size_t>(stored)] : 0;
}

std::int32_t SortColToStored(std::int32_t screen)
{
    for (std::size_t i = 1; i < kScreenOfStored.size(); ++i)
        if (kScreenOfStored[i] == screen)
            return static_cast<std::int32_t>(i);
    return 0;
}

int DataKbnIndexOf(std::int32_t dataType, std::int32_t codeType)
{
    if (dataType == 1)
        return 1;
    if (dataType == 3)
        return 4;
    for (std::size_t i = 0; i < kKinds.size(); ++i)
        if (kKinds[i].dataType == dataType && kKinds[i].codeType == codeType)
            return static_cast<int>(i);
    return 0;
}

void DataKbnOfIndex(int index, std::int32_t& dataType, std::int32_t& codeType)
{
    const Kind k = index >= 0 && static_cast<std::size_t>(index) < kKinds.size()
        ? kKinds[static_cast<std::size_t>(index)]
        : kKinds[0];
    dataType = k.dataType;
    codeType = k.codeType;
}

TDataKensakuIO::TDataKensakuIO()
    : transaction_(&systemDatabase())
{
    transaction_.addParam("read_committed");
    transaction_.addParam("rec_version");
    transaction_.addParam("nowait");
}

void TDataKensakuIO::InitCondition(TDataKensakuRec& rec) const
{
    rec = TDataKensakuRec {};
    rec.OpCode = SysDef.OpCode;
    rec.ListType = ListType;
}

bool TDataKensakuIO::SelectRecord(TDataKensakuRec& rec)
{
    InitCondition(rec);
    return run(
        transaction_, "TDataListKensakuBox.SelectRecord", "検索条件レコードの参照に失敗しました。", [&](fb::Query& q) {
            q.sql().add(
                "SELECT JYOKENUSE,DATATYPE,CODETYPE,DATACODE,DATANAME,TANTO,DATAVER,SEIHINNAME,SORTCOL,SORTTYPE FROM "
                "KENSAKUJYOKEN");
            q.sql().add("WHERE (OPCODE=:OPCODE)AND(LISTTYPE=:LISTTYPE)");
            q.paramByName("OPCODE").setInteger(rec.OpCode);
            q.paramByName("LISTTYPE").setInteger(rec.ListType);
            bool found = false;
            for (q.open(); !q.eof(); q.next()) {
                found = true;
                rec.JyokenUse = q.fieldByName("JYOKENUSE").asInteger();
                rec.DataType = q.fieldByName("DATATYPE").asInteger();
                rec.CodeType = q.fieldByName("CODETYPE").asInteger();
                rec.DataCode = q.fieldByName("DATACODE").asString();
                rec.ListName = q.fieldByName("DATANAME").asString();
                rec.Tanto = q.fieldByName("TANTO").asInteger();
                rec.DataVer = q.fieldByName("DATAVER").asString();
                rec.SeihinName = q.fieldByName("SEIHINNAME").asString();
                rec.SortCol = SortColFromStored(q.fieldByName("SORTCOL").asInteger());
                rec.SortType = q.fieldByName("SORTTYPE").asInteger();
            }
            q.close();
            if (!found)
                insertRow(q, rec);
        });
}

bool TDataKensakuIO::UpdateRecord(const TDataKensakuRec& rec)
{
    return run(
        transaction_, "TDataListKensakuBox.UpdateRecord", "検索条件レコードの更新に失敗しました。", [&](fb::Query& q) {
            q.sql().add("UPDATE KENSAKUJYOKEN");
            q.sql().add(
                "SET JYOKENUSE=:JYOKENUSE,DATATYPE=:DATATYPE,CODETYPE=:CODETYPE,DATACODE=:DATACODE,DATANAME=:DATANAME,"
                "TANTO=:TANTO,");
            q.sql().add("DATAVER=:DATAVER,SEIHINNAME=:SEIHINNAME,SORTCOL=:SORTCOL,SORTTYPE=:SORTTYPE");
            q.sql().add("WHERE (OPCODE=:OPCODE)AND(LISTTYPE=:LISTTYPE)");
            bindAll(q, rec);
            q.execSQL();
            // A condition whose row is gone is stored, not lost.
            if (q.rowsAffected() == 0)
                insertRow(q, rec);
        });
}

bool TDataKensakuIO::UpdateRecordSortField(const TDataKensakuRec& rec)
{
    return run(transaction_, "TDataListKensakuBox.UpdateRecordSortField", "検索条件レコードの更新に失敗しました。",
        [&](fb::Query& q) {
            q.sql().add("UPDATE KENSAKUJYOKEN");
            q.sql().add("SET SORTCOL=:SORTCOL,SORTTYPE=:SORTTYPE");
            q.sql().add("WHERE (OPCODE=:OPCODE)AND(LISTTYPE=:LISTTYPE)");
            q.paramByName("SORTCOL").setInteger(SortColToStored(rec.SortCol));
            q.paramByName("SORTTYPE").setInteger(rec.SortType);
            q.paramByName("OPCODE").setInteger(rec.OpCode);
            q.paramByName("LISTTYPE").setInteger(rec.ListType);
            q.execSQL();
            // A sort order whose row is gone is stored with the condition.
            if (q.rowsAffected() == 0)
                insertRow(q, rec);
        });
}
