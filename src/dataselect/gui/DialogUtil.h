#pragma once
// Pieces every dialog of data selection builds the same way: painted
// buttons, boxes with a single Yes button, and the keys the system's
// screens act on at key-up (Esc, F12).

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

class QDialog;
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

} // namespace dataselect::gui
