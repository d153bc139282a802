#pragma once
// Program start: the single-instance rules and the calling-program contract.
//
// The wizard refuses to start while the accounting product (named mutex
// SAFFRIN000), one of its tools (SAFFRIN_TOOLS) or a second wizard
// (MIRUZA_RENDO) runs. A calling program starts it with one argument
// "<window handle>,<message number>,<value>,<output file>" and receives
// "disable" while the wizard runs, then "enable" and the result code
// (0 file made, 1 cancelled, 2 failed) through the caller channel.

#include <cstdint>
#include <string>
#include <vector>

inline constexpr const char* kMutexAccounting = "SAFFRIN000";
inline constexpr const char* kMutexTools = "SAFFRIN_TOOLS";
inline constexpr const char* kMutexWizard = "MIRUZA_RENDO";
inline constexpr const char* kApplicationTitle = "連動ﾃﾞｰﾀの作成";

inline constexpr std::int32_t ResultMade = 0;
inline constexpr std::int32_t ResultCancelled = 1;
inline constexpr std::int32_t ResultFailed = 2;

struct TCallerContract {
    std::uint32_t CallerWnd = 0; // 0: stand-alone
    std::int32_t CallerMsg = 0;
    std::int32_t CallerValue = 0;
    std::string ExportFileName;
};

enum class TArgumentStatus {
    None, // no parameter: stand-alone
    Good, // one parameter, fields 1 to 3 are integers
    TooMany, // more than one parameter
    BadField, // field BadField (1..3) is not a decimal integer
};

struct TCommandLine {
    TArgumentStatus Status = TArgumentStatus::None;
    // Fields read before a bad one stay in force.
    TCallerContract Contract;
    int BadField = 0;
    std::string BadFieldText;
};

// params: the command-line parameters without the program name.
TCommandLine ParseCommandLine(const std::vector<std::string>& params);

// A field of the argument as a 32-bit decimal integer (optional sign);
// false for anything else, the empty text included.
bool ParseDecimalField(const std::string& text, std::int32_t& value);
// Field 1, the caller's handle: 0 to 4294967295 (a negative 32-bit value
// is taken as the same handle's signed form).
bool ParseHandleField(const std::string& text, std::uint32_t& handle);

// The program's parameters as raw bytes (argv after the program name), so
// a file name that is not UTF-8 reaches the export unchanged.
std::vector<std::string> CommandLineParams(int argc, char** argv);

// LockFailed: the wizard's own lock file could not be opened (shown as an
// error with the reason, not as a second instance).
enum class TStartRefusal { None, AccountingRunning, ToolRunning, AlreadyRunning, LockFailed };

// Tests the three named mutexes in their order; the first found decides.
TStartRefusal CheckRunningPrograms();
// The information text shown for a refusal ("" for None).
std::string StartRefusalMessage(TStartRefusal refusal);

inline constexpr const char* kInvalidArgumentMessage
    = "不正な引数が渡されました。\r\rアプリケーションを強制終了します。";
// The conversion error shown for a field that is not an integer.
std::string ConversionErrorMessage(const std::string& fieldText);

// Shows a text through the message service, one line per "\r" part.
void ShowInformationBox(const std::string& text);
void ShowErrorBox(const std::string& text);
// Error box with a single Yes button (the initialisation gate's failure).
void ShowErrorBoxYes(const std::string& text);

// Caller channel. Each returns false (and reports on stderr) when the
// caller could not be reached; the wizard goes on regardless.
bool DisableCaller(const TCallerContract& contract);
// Brings the caller back (enable) and posts the result message.
bool PostCallerResult(const TCallerContract& contract, std::int32_t resultCode);

namespace platform {
class NamedMutex;
}

// The program body before the form exists: reads the command line, tests
// the named mutexes and takes `own` (the wizard's own mutex). A refusal is
// shown (information box) and answered to a well-formed caller; the
// caller then ends the process. Returns the refusal (None: go on, `own`
// is held).
TStartRefusal EnterProgram(const TCommandLine& commandLine, platform::NamedMutex& own);

// A refused start still answers a calling program that named itself in a
// well-formed argument, so it does not wait for ever: result 2.
void AnswerRefusedStart(const TCommandLine& commandLine);
