#include "core/MessageService.h"
#include "core/ProcessState.h"

#include <iostream>
#include <mutex>
#include <utility>

namespace {

std::mutex handlerMutex;
core::MessageHandler currentHandler;

// Tools without screens: the message goes to stderr and the default button
// answers, so a question never blocks a batch run.
int answerOnStderr(TMessage2InfoRec& rec)
{
    std::cerr << core::messageAsText(rec);
    const int result = core::defaultMessageResult(rec.buttons);
    std::cerr << "(answered " << result << " without a screen)\r\n";
    return result;
}

} // namespace

void InitMessage2Info(std::uint8_t kind, TMessage2InfoRec& rec)
{
    rec.id = 0;
    for (auto& line : rec.lines) {
        line = TMessage2CaptionRec {};
    }
    rec.agreeMode = 0;
    rec.agreeCaption.clear();
    rec.agreeChecked = false;
    rec.kind = kind;
    rec.buttons = msgbtn::OK;
    switch (kind) {
    case msgkind::Warning:
        rec.caption = "警告";
        break;
    case msgkind::Error:
        rec.caption = "エラー";
        break;
    case msgkind::Information:
        rec.caption = "情報";
        break;
    case msgkind::Confirmation:
        rec.caption = "確認";
        rec.buttons = msgbtn::OK | msgbtn::Cancel;
        break;
    default:
        rec.kind = msgkind::Plain;
        rec.caption.clear();
        break;
    }
}

int ShowMessageLines(std::uint8_t kind, const std::vector<std::string>& lines, std::optional<std::uint16_t> buttons)
{
    TMessage2InfoRec rec;
    InitMessage2Info(kind, rec);
    if (buttons)
        rec.buttons = *buttons;
    for (std::size_t i = 0; i < lines.size() && i < rec.lines.size(); ++i)
        rec.lines[i].text = lines[i];
    return ShowMessage2(rec);
}

int ShowMessage2(TMessage2InfoRec& rec)
{
    core::MessageHandler handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = currentHandler;
    }
    if (!handler) {
        return answerOnStderr(rec);
    }
    return handler(rec);
}

namespace core {

MessageHandler setMessageHandler(MessageHandler handler)
{
    std::lock_guard lock(handlerMutex);
    return std::exchange(currentHandler, std::move(handler));
}

bool hasMessageHandler()
{
    std::lock_guard lock(handlerMutex);
    return static_cast<bool>(currentHandler);
}

int messageButtonResult(int bit)
{
    static constexpr int results[msgbtn::Count] = {modal::Yes, modal::No, modal::Ok, modal::Cancel, modal::Abort,
        modal::Retry, modal::Ignore, modal::All, modal::NoToAll, modal::YesToAll, modal::None};
    if (bit < 0 || bit >= msgbtn::Count) {
        return modal::None;
    }
    return results[bit];
}

int defaultMessageResult(std::uint16_t buttons)
{
    for (int bit = 0; bit < msgbtn::Count; ++bit) {
        if ((buttons & (1u << bit)) != 0 && bit != 10) {
            return messageButtonResult(bit);
        }
    }
    return modal::Ok;
}

std::string messageAsText(const TMessage2InfoRec& rec)
{
    const std::string rule(27, '-');
    std::string text = rule + "\r\n" + rec.caption + "\r\n" + rule + "\r\n";
    for (const auto& line : rec.lines) {
        text += line.text;
        text += "\r\n";
    }
    return text;
}

} // namespace core

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(currentHandler);
} // namespace
