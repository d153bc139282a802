#pragma once
// The base form the process screens of data selection derive from. The
// system's base form (TBSDI) is not in the controls library yet; until it
// is, the screens derive from QDialog through this one name, so switching
// is a change of this line (and of the base calls the screens make).

#include <QDialog>

using TDataSelectForm = QDialog;
