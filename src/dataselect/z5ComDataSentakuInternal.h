#pragma once
// Pieces shared by the data-list registry's source files: the data module
// it runs on, the transaction rules of its operations and conversions of
// its columns.

#include "core/DataModule.h"
#include "core/IBErrorProc.h"
#include "core/uAccRecord.h"
#include "platform/firebird/fb_query.h"

#include <exception>
#include <string>
#include <vector>

namespace datalist_detail {

namespace fb = platform::firebird;
using platform::firebird::EIBError;

bool isBlank(const std::string& s);
TDateTime fromDate(const fb::Date& d);
void setDateParam(fb::Param& p, TDateTime value);
std::int32_t toNumber(const std::string& text);
std::vector<std::string> components(const std::string& path);
std::string kikanText(TDateTime from, TDateTime to);
core::TDM& dm();
// Commits what this operation started; when a transaction was already
// active, a retaining commit keeps it open with the work made durable.
void finishWrite(fb::Transaction& t, bool started);
void rollbackIfStarted(fb::Transaction& t, bool started) noexcept;
void commitIfStarted(fb::Transaction& t, bool started) noexcept;
bool startIfIdle(fb::Transaction& t);
// Reports a failure of an operation: database errors through the database
// error report, others through the general error box.
void report(const std::exception_ptr& ep, const char* context, const char* message);

} // namespace datalist_detail
