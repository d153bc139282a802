#pragma once
// The login at the program's start: the operator logs in before the wizard
// is used, and the operator's settings are loaded. The wizard form's first
// show calls this; the pieces it prepares (data root folders, the LOCAL
// connection settings, the data module) are only made when the start-up
// has not made them already.

class QWidget;

namespace wizard {

// True when an operator logged in and the settings are loaded; false when
// the program must end (login cancelled or failed, settings unreadable).
bool LoginAtStart(QWidget* owner);

// Removes the operator's logged-on row when LoginAtStart logged one in.
void LogoffAtEnd();

} // namespace wizard
