#include "wizard/ProgramStart.h"

#include <charconv>
#include <iostream>
#include <limits>

#include "core/MessageService.h"
#include "platform/caller_channel.h"
#include "platform/named_mutex.h"

namespace {

// A decimal integer (optional "+" or "-") within [low, high].
bool parseDecimal(const std::string& text, std::int64_t low, std::int64_t high, std::int64_t& value)
{
    if (text.empty())
        return false;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (*first == '+')
        ++first;
    if (first == last)
        return false;
    std::int64_t v = 0;
    auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last || v < low || v > high)
        return false;
    value = v;
    return true;
}

} // namespace

bool ParseDecimalField(const std::string& text, std::int32_t& value)
{
    std::int64_t v = 0;
    if (!parseDecimal(text, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), v))
        return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

bool ParseHandleField(const std::string& text, std::uint32_t& handle)
{
    // Up to 4294967295 as the channel document allows; a negative 32-bit
    // value names the same handle (written signed by some callers).
    std::int64_t v = 0;
    if (!parseDecimal(text, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::uint32_t>::max(), v))
        return false;
    handle = static_cast<std::uint32_t>(v);
    return true;
}

std::vector<std::string> CommandLineParams(int argc, char** argv)
{
    // The bytes as the caller passed them: a file name need not be UTF-8.
    std::vector<std::string> params;
    for (int i = 1; i < argc; ++i)
        params.emplace_back(argv[i]);
    return params;
}

TCommandLine ParseCommandLine(const std::vector<std::string>& params)
{
    TCommandLine cmd;
    if (params.empty())
        return cmd;
    if (params.size() > 1) {
        cmd.Status = TArgumentStatus::TooMany;
        return cmd;
    }
    // Field n is the n-th piece cut at ","; missing pieces are empty and
    // pieces after the fourth are ignored.
    std::vector<std::string> pieces;
    const std::string& arg = params.front();
    std::size_t start = 0;
    while (pieces.size() < 4) {
        const std::size_t comma = arg.find(',', start);
        pieces.push_back(arg.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    pieces.resize(4);

    for (int i = 0; i < 3; ++i) {
        const std::string& piece = pieces[static_cast<std::size_t>(i)];
        bool ok;
        if (i == 0)
            ok = ParseHandleField(piece, cmd.Contract.CallerWnd);
        else if (i == 1)
            ok = ParseDecimalField(piece, cmd.Contract.CallerMsg);
        else
            ok = ParseDecimalField(piece, cmd.Contract.CallerValue);
        if (!ok) {
            cmd.Status = TArgumentStatus::BadField;
            cmd.BadField = i + 1;
            cmd.BadFieldText = piece;
            return cmd;
        }
    }
    cmd.Contract.ExportFileName = pieces[3];
    cmd.Status = TArgumentStatus::Good;
    return cmd;
}

TStartRefusal CheckRunningPrograms()
{
    if (platform::NamedMutex::exists(kMutexAccounting))
        return TStartRefusal::AccountingRunning;
    if (platform::NamedMutex::exists(kMutexTools))
        return TStartRefusal::ToolRunning;
    if (platform::NamedMutex::exists(kMutexWizard))
        return TStartRefusal::AlreadyRunning;
    return TStartRefusal::None;
}

std::string StartRefusalMessage(TStartRefusal refusal)
{
    switch (refusal) {
    case TStartRefusal::AccountingRunning:
        return "VELMORA財務が起動しています。同時に起動することは出来ません。";
    case TStartRefusal::ToolRunning:
        return "VELMORA財務ツールが起動しています。同時に起動することは出来ません。";
    case TStartRefusal::AlreadyRunning:
        return "アプリケーションは既に起動しています。";
    case TStartRefusal::LockFailed:
        return "アプリケーションの多重起動を確認できませんでした。\rアプリケーションを終了します。";
    case TStartRefusal::None:
        break;
    }
    return {};
}

std::string ConversionErrorMessage(const std::string& fieldText)
{
    return "'" + fieldText + "' は有効な整数値ではありません。";
}

namespace {

void showBox(std::uint8_t kind, std::uint16_t buttons, const std::string& text)
{
    TMessage2InfoRec rec;
    InitMessage2Info(kind, rec);
    rec.buttons = buttons;
    std::size_t line = 0;
    std::size_t start = 0;
    while (line < rec.lines.size()) {
        const std::size_t cr = text.find('\r', start);
        const std::string part = text.substr(start, cr == std::string::npos ? std::string::npos : cr - start);
        rec.lines[line++].text = part;
        if (cr == std::string::npos)
            break;
        start = cr + 1;
    }
    ShowMessage2(rec);
}

} // namespace

void ShowInformationBox(const std::string& text)
{
    showBox(msgkind::Information, msgbtn::OK, text);
}
void ShowErrorBox(const std::string& text)
{
    showBox(msgkind::Error, msgbtn::OK, text);
}
void ShowErrorBoxYes(const std::string& text)
{
    showBox(msgkind::Error, msgbtn::Yes, text);
}

bool DisableCaller(const TCallerContract& contract)
{
    if (contract.CallerWnd == 0)
        return true;
    std::string error;
    if (platform::caller_channel::sendDisable(contract.CallerWnd, &error))
        return true;
    std::cerr << "TForm1.FormCreate: cannot disable the calling program: " << error << '\n';
    return false;
}

bool PostCallerResult(const TCallerContract& contract, std::int32_t resultCode)
{
    if (contract.CallerWnd == 0)
        return true;
    std::string error;
    bool ok = platform::caller_channel::sendEnable(contract.CallerWnd, &error);
    if (!ok)
        std::cerr << "TForm1.FormDestroy: cannot enable the calling program: " << error << '\n';
    if (!platform::caller_channel::sendResult(
            contract.CallerWnd, contract.CallerMsg, contract.CallerValue, resultCode, &error)) {
        std::cerr << "TForm1.FormDestroy: cannot post the result to the calling program: " << error << '\n';
        ok = false;
    }
    return ok;
}

void AnswerRefusedStart(const TCommandLine& commandLine)
{
    if (commandLine.Status == TArgumentStatus::Good)
        PostCallerResult(commandLine.Contract, ResultFailed);
}

TStartRefusal EnterProgram(const TCommandLine& commandLine, platform::NamedMutex& own)
{
    TStartRefusal refusal = CheckRunningPrograms();
    if (refusal == TStartRefusal::None && !own.tryLock()) {
        // Busy: another start won the race. An error: the lock file could
        // not be opened, which says nothing about another instance.
        refusal = own.lastError().empty() ? TStartRefusal::AlreadyRunning : TStartRefusal::LockFailed;
    }
    if (refusal == TStartRefusal::LockFailed) {
        ShowErrorBox(StartRefusalMessage(refusal) + "\r" + own.lastError());
        AnswerRefusedStart(commandLine);
    } else if (refusal != TStartRefusal::None) {
        ShowInformationBox(StartRefusalMessage(refusal));
        AnswerRefusedStart(commandLine);
    }
    return refusal;
}
