#pragma once
// The generic input dialog as code without widgets sees it.
//
// Core logic that must ask the user for a text (the data password, the
// personal-number password) fills a TInputDlgRequest and calls ShowInputDlg.
// What actually shows it is a replaceable handler: the controls library
// installs the real dialog (TInputDlgBox), tests install a scripted handler.
// With no handler installed nobody can answer, so the request is answered
// as cancelled: a question nobody saw must never count as answered.

#include <cstdint>
#include <functional>
#include <string>

// Input kinds of the dialog.
namespace inputkind {
constexpr int Text = 0;
constexpr int Password = 1; // masked until the user asks to see it; entry required
constexpr int List = 2;
constexpr int Amount = 3;
constexpr int TwoDates = 4;
} // namespace inputkind

// Key filters (TInputDlgBox.SetKeyFilter).
namespace inputfilter {
constexpr int None = 0;
constexpr int Digits = 10; // digits, ".", "-" and Backspace
constexpr int Letters = 20;
constexpr int LettersDigits = 30;
constexpr int PathName = 40; // everything but " * , / : ; < > ? \ |
} // namespace inputfilter

// Screen positions.
namespace inputpos {
constexpr int Default = 0;
constexpr int ScreenCenter = 1;
constexpr int OwnerCenter = 2;
} // namespace inputpos

// What the caller sets before a showing. Between two showings the caller
// may change caption, prompt, colour and text and show the same request
// again (the dialog is laid out anew).
struct TInputDlgRequest {
    int inputKind = inputkind::Text;
    std::string caption;
    std::string prompt;
    std::uint32_t promptColour = 0; // TColor 0x00BBGGRR; 0 is the normal text colour
    std::string text; // in: initial input; out: the entry when OK was pressed
    std::string help; // shown as the input's hint
    int maxLength = 0; // characters; 0 no limit
    int imeMode = 0; // 0 off
    int keyFilter = inputfilter::None;
    int position = inputpos::Default;
};

// Shows the request and returns the modal result: 1 when OK was pressed
// (request.text then holds the entry), anything else otherwise.
int ShowInputDlg(TInputDlgRequest& request);

// Asks for a password with the request up to three times; from the second
// time on the prompt, in red, asks for the right one. True when the entry
// (without blanks at either end) equals password; false after three wrong
// entries or when the dialog is cancelled.
bool AskPasswordThreeTimes(TInputDlgRequest& request, const std::string& password);

namespace core {

using InputDlgHandler = std::function<int(TInputDlgRequest&)>;

// Installs the handler ShowInputDlg routes to and returns the previous one
// (empty when none), so scoped replacements can put it back.
InputDlgHandler setInputDlgHandler(InputDlgHandler handler);
bool hasInputDlgHandler();

} // namespace core
