#pragma once
// The three routines the wizard's main form points core's hooks at while
// it lives: the process starter, the host-menu callback and the
// data-damage handler.

namespace wizard {

// OnExecProc := ExecProc, OnHostMenu := HostMenuProc,
// OnDataDamage := DataDamageProc.
void InstallFrameworkHooks();
// All three back to empty.
void ClearFrameworkHooks();

} // namespace wizard
