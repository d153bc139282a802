#pragma once
// Pieces shared by the data-list registry's source files: the data module
// it runs on, the report rule of its operations and conversions of its
// columns.

#include "core/DataModule.h"
#include "core/DbOperation.h"
#include "core/IBErrorProc.h"
#include "core/uAccRecord.h"
#include "platform/firebird/fb_query.h"
#include "platform/plain_text.h"

#include <exception>
#include <string>
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

} // namespace datalist_detail
