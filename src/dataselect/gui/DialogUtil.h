#pragma once
// Pieces every dialog of data selection builds the same way: painted
// buttons, boxes with a single Yes button, and the keys the system's
// screens act on at key-up (Esc, F12).

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QDialog;
class TxAnimeProgressDialog;
class QKeyEvent;
class QWidget;
class TxPlButton;

namespace dataselect::gui {

TxPlButton* PlButton(QWidget* parent, const QString& caption, int modalResult = 0);

// A message box of the kind ("\r" separates lines) whose only button is Yes.
void ShowYesBox(std::uint8_t kind, const std::string& text);

// Key-press: Esc is held back (acting on it is the key-up's business), so
// a dialog never closes on the press. True when consumed.
bool HoldBackEscPress(QKeyEvent* e);

// Key-up: Esc ends the dialog with escResult (nothing when escResult is
// negative); F12 runs okClick while ok is enabled. True when consumed.
bool HandleKeyUp(
    QDialog* dialog, QKeyEvent* e, int escResult, const TxPlButton* ok, const std::function<void()>& okClick);

// The animated progress window (the program folder's "progress.avi") over
// a screen while a long step runs on the main thread; while it is shown the
// step's reports and its Cancel reach it through core's progress service.
// When the scope ends the window hides and the screen comes to the front.
class TProgressScope {
public:
    TProgressScope(QWidget* screen, const QString& caption, const QString& line, bool cancelButton);
    ~TProgressScope();
    TProgressScope(const TProgressScope&) = delete;
    TProgressScope& operator=(const TProgressScope&) = delete;

private:
    QWidget* screen_;
    std::unique_ptr<TxAnimeProgressDialog> dialog_;
};

} // namespace dataselect::gui
