#pragma once
// The standard message record and the one service every modal question goes
// through.
//
// Code without widgets (core, accounting, the logic of the update engine and
// of the communication part) fills a TMessage2InfoRec and calls
// ShowMessage2. What actually shows it is a replaceable handler: the controls
// library installs the real message box, tests install a scripted handler
// that records the message and answers it. With no handler installed (a tool
// without screens) the message is written to stderr and answered with the
// default button, i.e. the result of the first button in the set (OK for
// every kind InitMessage2Info prepares, Yes for a Yes/No set).

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// One text line of the box.
struct TMessage2CaptionRec {
    std::string text;
    std::uint32_t colour = 0; // TColor, 0x00BBGGRR; 0 is black
    std::string link; // empty: a plain line
};

// Standard button bits (bit number = position in the set).
namespace msgbtn {
constexpr std::uint16_t Yes = 1u << 0;
constexpr std::uint16_t No = 1u << 1;
constexpr std::uint16_t OK = 1u << 2;
constexpr std::uint16_t Cancel = 1u << 3;
constexpr std::uint16_t Abort = 1u << 4;
constexpr std::uint16_t Retry = 1u << 5;
constexpr std::uint16_t Ignore = 1u << 6;
constexpr std::uint16_t All = 1u << 7;
constexpr std::uint16_t NoToAll = 1u << 8;
constexpr std::uint16_t YesToAll = 1u << 9;
constexpr std::uint16_t Help = 1u << 10;
constexpr int Count = 11;
} // namespace msgbtn

// Modal results, numbered as callers compare them.
namespace modal {
constexpr int None = 0;
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Abort = 3;
constexpr int Retry = 4;
constexpr int Ignore = 5;
constexpr int Yes = 6;
constexpr int No = 7;
constexpr int All = 8;
constexpr int NoToAll = 9;
constexpr int YesToAll = 10;
} // namespace modal

// Message kinds.
namespace msgkind {
constexpr std::uint8_t Warning = 0;
constexpr std::uint8_t Error = 1;
constexpr std::uint8_t Information = 2;
constexpr std::uint8_t Confirmation = 3;
constexpr std::uint8_t Plain = 4; // no icon
} // namespace msgkind

struct TMessage2InfoRec {
    std::int32_t id = 0; // catalogue number; 0 = show this record's own content
    std::uint8_t kind = msgkind::Warning;
    std::uint16_t buttons = msgbtn::OK;
    std::string caption;
    std::array<TMessage2CaptionRec, 10> lines; // lines[0] is line 1
    std::int32_t agreeMode = 0; // 0 none; 1 first button only while ticked; other: box without that rule
    std::string agreeCaption; // blank: no agree box whatever the mode
    bool agreeChecked = false; // in: initial tick; out: tick when the box closed
};

// Resets rec for a kind: caption and buttons of the kind, lines emptied,
// agree box off. An unknown kind becomes the plain kind (no icon, empty
// caption, OK).
void InitMessage2Info(std::uint8_t kind, TMessage2InfoRec& rec);

// Shows the message through the installed handler and returns the modal
// result of the button pressed (1 OK, 2 Cancel, 6 Yes, 7 No, ...). The
// handler writes the agree tick back into rec.
int ShowMessage2(TMessage2InfoRec& rec);

// A message of kind with these lines (the first ten; lines[0] is line 1)
// and the kind's buttons, or the buttons given, shown through ShowMessage2;
// the modal result.
int ShowMessageLines(
    std::uint8_t kind, const std::vector<std::string>& lines, std::optional<std::uint16_t> buttons = std::nullopt);

namespace core {

using MessageHandler = std::function<int(TMessage2InfoRec&)>;

// Installs the handler ShowMessage2 routes to and returns the one it
// replaces (empty when none was installed), so scoped replacements can put
// the previous handler back.
MessageHandler setMessageHandler(MessageHandler handler);
bool hasMessageHandler();

// Result of the first button in the set (bit order Yes, No, OK, Cancel, ...);
// OK when the set is empty or holds only Help.
int defaultMessageResult(std::uint16_t buttons);

// Modal result of one button bit number (0..10); None for Help or an
// unknown bit.
int messageButtonResult(int bit);

// The text form of a message: a line of 27 hyphens, the caption, the
// hyphens again, then the ten lines, each ended by CR LF.
std::string messageAsText(const TMessage2InfoRec& rec);

} // namespace core
