#pragma once
// Reporting of database errors: the error log, the Japanese explanation of
// the Firebird status code, the message box, and the orderly end of the
// program when the connection to the database is lost.

#include "platform/firebird/fb_error.h"

#include <cstdint>
#include <functional>
#include <string>

namespace core {

using platform::firebird::EIBError;

// Status codes that end the program.
inline constexpr long kIscNetworkError = 335544721; // connection lost
inline constexpr long kIscBugCheck = 335544333; // internal consistency check
// The other forms a broken link takes with a Firebird 3 server: read or
// write failures on the socket, and an attachment the server shut down.
inline constexpr long kIscNetReadError = 335544726;
inline constexpr long kIscNetWriteError = 335544727;
inline constexpr long kIscAttShutdown = 335544856;

// True for the codes treated as a lost connection.
bool IsConnectionLostCode(long code);

// Logs the error, explains it and shows `message` (nothing shown when the
// message is empty and the connection is intact). A lost connection sets
// ConnectionLost, shows the closing message once and ends the program in
// order; afterwards every call returns at once. The retry flag changes
// nothing. A log that cannot be written never hides the message.
void IBErrorProc(const EIBError& error, const std::string& context, const std::string& message, bool retry = false);

// One message box of the given kind (0 warning, 1 error, 2 information,
// 3 confirmation): the message, then "[詳細情報]" and the detail when there
// is one. Nothing when both texts are empty.
void ErrorMessageEx(const std::string& message, const std::string& detail, std::uint8_t kind = 1);

// The report of the trial-balance loaders: a message box and the support
// files FB_ERROR.TXT (latest) and FB_ERROR.LOG (all) beside the program's
// folder.
void IBErrorReport(const EIBError& error, const std::string& title, bool omitMessage = false);

// Japanese text of a status code in full-width parentheses; " " for a code
// without one.
std::string GetIBErrorText(long statusCode, long sqlCode);
inline std::string GetIBErrorText(const EIBError& e)
{
    return GetIBErrorText(e.iscErrorCode(), e.sqlCode());
}

// Shows one standard message box (OK button) with the text; "\r" and
// "\r\n" separate its lines.
void ShowStandardMessage(const std::string& text, std::uint8_t kind);

// What ends the program after a lost connection. The default quits the Qt
// event loop after the current event (or exits when there is none); tests
// replace it. Returns the previous function.
using TTerminateProc = std::function<void()>;
TTerminateProc SetTerminateProc(TTerminateProc proc);

// The database name of the company connection for the log line; the data
// module installs it.
using TDatabaseNameProc = std::function<std::string()>;
void SetCompanyDatabaseNameProc(TDatabaseNameProc proc);

// Local time as "YYYY/MM/DD hh:nn:ss".
std::string NowLogStamp();

} // namespace core
