#pragma once
// Pieces shared by the data-list registry's source files: the data module
// it runs on, the report rule of its operations and conversions of its
// columns.

#include "core/DataModule.h"
#include "core/DbOperation.h"
#include "core/IBErrorProc.h"
#include "core/uAccRecord.h"
#include "dataselect/z5ComDataSentaku.h"
#include "platform/firebird/fb_query.h"
#include "platform/plain_text.h"

#include <exception>
#include <string>
#include <variant>
#include <vector>

namespace datalist_detail {

namespace fb = platform::firebird;
using platform::firebird::EIBError;

using platform::text::isBlank;
TDateTime fromDate(const fb::Date& d);
void setDateParam(fb::Param& p, TDateTime value);
std::int32_t toNumber(const std::string& text);
std::vector<std::string> components(const std::string& path);
std::string kikanText(TDateTime from, TDateTime to);
core::TDM& dm();
// The report of a failed operation: shown when the caller asked for
// reports, raised to the caller otherwise.
core::DbReport reportOr(bool reportErrors);
// A write: inside a caller's transaction it is made durable at once;
// reported as reportOr says.
core::DbPolicy writePolicy(const char* context, const char* message, bool reportErrors);
// A read: what it started is committed also after a failure; reported as
// reportOr says.
core::DbPolicy readPolicy(const char* context, const char* message, bool reportErrors);

// A stored column of a data-list row and the member it holds.
struct RowColumn {
    enum Group : std::uint8_t {
        Shared, // in the data lists and the shared-server lists
        Name, // ENTTEXT, SHOUGOU: the server lists write them only when asked
        RegistryOwn, // NETDRIVE, KYOYULOCK: not in the server lists
        Cloud, // only in databases that have the column
        ReadOnly,
    };
    const char* name;
    Group group;
    std::variant<std::int32_t TDataListRec::*, std::uint8_t TDataListRec::*, TDateTime TDataListRec::*,
        std::string TDataListRec::*>
        member;
    const char* serverValue = nullptr; // what a server list answers for a RegistryOwn column
};
using RowColumns = std::vector<const RowColumn*>;

// "INSERT INTO table(keys...,columns...) VALUES(:keys...,:columns...)".
std::string insertStatement(const std::string& table, const std::vector<std::string>& keys, const RowColumns& columns);
// "UPDATE table SET column=:column,..." (without WHERE).
std::string updateStatement(const std::string& table, const RowColumns& columns);
void bindColumns(fb::Query& q, const TDataListRec& rec, const RowColumns& columns);

// Adds the shared-server lists' "WHERE (GROUPID=:GROUPID) AND
// (DRIVELETTER=:DRIVELETTER)" with the further conditions, and binds the
// operator group and the drive letter.
void addServerWhere(fb::Query& q, const std::string& letter, const std::string& more = std::string());

} // namespace datalist_detail
