#include "core/IBErrorProc.h"
#include "core/ProcessState.h"

#include "core/MessageService.h"
#include "core/uAccRecord.h"
#include "platform/atomic_file.h"
#include "platform/codec.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <vector>

namespace core {
using platform::text::joinLines;
namespace {

constexpr const char* kLogBaseName = "ErrFbAccess";
constexpr const char* kEndingText = "\r\r[OK]ボタンを押すとアプリケーションの終了処理に入ります。（[OK]"
                                    "後、何回かメッセージが表示される場合があります）\r"
                                    "アプリケーションが終了しましたら再起動して下さい。\r";
constexpr const char* kLostConnectionHead
    = "何らかの原因でネットワークが物理的に切断されている か Firebirdサービス(RDBMS)との通信が切断されました。";
constexpr const char* kSharedServerNote = "\r※注意 共有サーバーのデータ利用時は自動保管されません。\r";

void defaultTerminate()
{
    if (auto* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
        return;
    }
    std::exit(EXIT_FAILURE);
}

TTerminateProc& terminateProc()
{
    static TTerminateProc proc = defaultTerminate;
    return proc;
}

TDatabaseNameProc& databaseNameProc()
{
    static TDatabaseNameProc proc;
    return proc;
}

// Code page 932 for a log: a character the code page cannot hold becomes
// "?" rather than losing the whole record.
std::string toSjisForLog(const std::string& utf8)
{
    try {
        return platform::codec::toSjis(utf8);
    } catch (const platform::codec::CodecError&) {
    }
    std::string out;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        try {
            platform::codec::nextCodePoint(utf8, pos);
        } catch (const platform::codec::CodecError&) {
            out += '?';
            pos = start + 1;
            continue;
        }
        const std::string_view ch(utf8.data() + start, pos - start);
        try {
            out += platform::codec::toSjis(ch);
        } catch (const platform::codec::CodecError&) {
            out += '?';
        }
    }
    return out;
}

void appendFile(const std::string& path, const std::string& utf8Text)
{
    std::ofstream f(path, std::ios::binary | std::ios::app);
    if (!f)
        throw std::runtime_error("cannot open " + path);
    const std::string bytes = toSjisForLog(utf8Text);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    f.flush();
    if (!f)
        throw std::runtime_error("cannot write " + path);
}

void replaceFile(const std::string& path, const std::string& utf8Text)
{
    platform::writeFileAtomically(path, toSjisForLog(utf8Text), "IBErrorProc");
}

// Log files are best effort: a log that cannot be written must not hide the
// error from the user nor stop the program from ending.
template <class F> void bestEffort(const char* what, F&& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        std::cerr << what << ": " << e.what() << '\n';
    }
}

std::string companyDatabaseName()
{
    const auto& proc = databaseNameProc();
    return proc ? proc() : std::string();
}

} // namespace

bool IsConnectionLostCode(long code)
{
    return code == kIscNetworkError || code == kIscNetReadError || code == kIscNetWriteError || code == kIscAttShutdown;
}

TTerminateProc SetTerminateProc(TTerminateProc proc)
{
    TTerminateProc old = std::move(terminateProc());
    terminateProc() = proc ? std::move(proc) : TTerminateProc(defaultTerminate);
    return old;
}

void SetCompanyDatabaseNameProc(TDatabaseNameProc proc)
{
    databaseNameProc() = std::move(proc);
}

std::string NowLogStamp()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm {};
    localtime_r(&t, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
        tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

void ShowStandardMessage(const std::string& text, std::uint8_t kind)
{
    TMessage2InfoRec rec;
    InitMessage2Info(kind, rec);
    rec.buttons = msgbtn::OK;
    const auto lines = platform::text::splitLines(text, platform::text::LastLine::Keep);
    const std::size_t n = rec.lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i < n)
            rec.lines[i].text = lines[i];
        else
            rec.lines[n - 1].text += "\r" + lines[i]; // more lines than the box has
    }
    ShowMessage2(rec);
}

void ErrorMessageEx(const std::string& message, const std::string& detail, std::uint8_t kind)
{
    if (message.empty() && detail.empty())
        return;
    std::string text = message;
    if (!detail.empty())
        text += "\r\r[詳細情報]\r" + detail;
    ShowStandardMessage(text, kind);
}

void IBErrorProc(const EIBError& error, const std::string& context, const std::string& message, bool)
{
    if (ConnectionLost)
        return;

    std::string msg = message;
    const long code = error.iscErrorCode();
    if (IsConnectionLostCode(code)) {
        ConnectionLost = 1;
        msg = std::string(kLostConnectionHead) + kEndingText;
    } else if (code == kIscBugCheck) {
        ConnectionLost = 1;
        msg = GetIBErrorText(error) + kEndingText;
    }

    // The two log lines.
    const std::string line1 = NowLogStamp() + "," + SysDef.PCName + "," + std::to_string(SysDef.OpCode)
        + ",Serial=" + SysDef.SerialNo + ",AppVer=" + SysDef.ProgramVersion + ",DBName=" + SysDef.HostName + ":"
        + companyDatabaseName() + ",DataVer=" + DataVerText;
    const std::string line2 = "Error=" + context + " [" + std::to_string(code) + "] (" + std::to_string(error.sqlCode())
        + ") " + GetIBErrorText(error) + "," + error.message();
    if (!SysDef.LogDir.empty()) {
        const std::string record = joinLines({line1, line2});
        bestEffort("ErrFbAccess.log",
            [&] { appendFile(platform::paths::join(SysDef.LogDir, std::string(kLogBaseName) + ".log"), record); });
        bestEffort("ErrFbAccess.txt",
            [&] { replaceFile(platform::paths::join(SysDef.LogDir, std::string(kLogBaseName) + ".txt"), record); });
    }

    if (!msg.empty()) {
        if (ConnectionLost) {
            if (ConnectMode == 0)
                msg += kSharedServerNote;
            ShowStandardMessage(msg, msgkind::Error);
        } else {
            const std::string detail
                = "IBXエラーコード:" + std::to_string(code) + "\r" + error.message() + "\r" + GetIBErrorText(error);
            ErrorMessageEx(msg, detail, msgkind::Error);
        }
    }

    if (ConnectionLost) {
        if (const auto& proc = terminateProc())
            proc();
    }
}

void IBErrorReport(const EIBError& error, const std::string& title, bool omitMessage)
{
    std::string text = title + "\r\n" + "ErrCode<" + std::to_string(error.iscErrorCode()) + ">  SQLCODE<"
        + std::to_string(error.sqlCode()) + ">" + "\r\n";
    if (!omitMessage)
        text += error.message() + "\r" + "\r\n";
    text += GetIBErrorText(error) + "\r\n";

    std::vector<std::string> lines = platform::text::splitLines(text, platform::text::LastLine::Keep);
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    lines.push_back("PG_VERSION[" + SysDef.ProgramVersion + "]");
    lines.push_back("DB_VERSION[" + DataVerText + "]");
    lines.push_back("Serial[" + SysDef.SerialNo + "]");
    lines.push_back("Server[" + SysDef.HostName + "]");
    lines.push_back("DatabaseName[" + companyDatabaseName() + "]");
    lines.push_back(NowLogStamp());
    lines.push_back(SysDef.PCName);
    lines.push_back(std::to_string(SysDef.OpCode));
    if (!SysDef.ParentDir.empty()) {
        const std::string support = joinLines(lines);
        bestEffort(
            "FB_ERROR.TXT", [&] { replaceFile(platform::paths::join(SysDef.ParentDir, "FB_ERROR.TXT"), support); });
        bestEffort(
            "FB_ERROR.LOG", [&] { appendFile(platform::paths::join(SysDef.ParentDir, "FB_ERROR.LOG"), support); });
    }
    ShowStandardMessage(text, msgkind::Error);
}

} // namespace core

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(core::terminateProc(), core::databaseNameProc());
} // namespace
