#pragma once
// The framework screens and routines this program hands its wizard form:
// the process starter, the data-damage handler, the operator login and the
// fresh connection settings file.

#include "wizard/gui/WizardForm.h"

namespace wizard {

TForm1::TFramework MakeFramework();

} // namespace wizard
