#pragma once
// The one place where the program installs the process-wide services the
// lower layers call back through: main.cpp calls InstallProgramServices()
// once, after the QApplication exists and before anything else runs. A new
// service (the progress window, the communication services, …) is added
// here and registered with core/ProcessState.h beside its definition, so
// tests save and restore it with everything else.

void InstallProgramServices();
