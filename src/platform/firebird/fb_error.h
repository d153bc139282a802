#pragma once
// The one error type of the database layer: every failure of the Firebird
// client (connect, transaction, statement, service) surfaces as EIBError
// carrying the first ISC status code, the SQL code and the engine's message
// (already converted to UTF-8), plus the context of the call that failed.

#include <stdexcept>
#include <string>

namespace platform::firebird {

class EIBError : public std::runtime_error {
public:
    EIBError(long iscErrorCode, int sqlCode, std::string message, std::string context = {})
        : std::runtime_error(context.empty() ? message : context + ": " + message)
        , iscErrorCode_(iscErrorCode)
        , sqlCode_(sqlCode)
        , message_(std::move(message))
        , context_(std::move(context))
    {
    }

    // First ISC status code of the status vector (for example 335544344,
    // isc_io_error); 0 when the failure did not come from the engine.
    long iscErrorCode() const noexcept { return iscErrorCode_; }
    // The SQL code the engine mapped the status to (for example -902).
    int sqlCode() const noexcept { return sqlCode_; }
    // The engine's message text, UTF-8, without the context.
    const std::string& message() const noexcept { return message_; }
    // Where the failure happened ("attach C:/data/tnacc.fdb", ...).
    const std::string& context() const noexcept { return context_; }

private:
    long iscErrorCode_;
    int sqlCode_;
    std::string message_;
    std::string context_;
};

} // namespace platform::firebird
