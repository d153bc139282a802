// The server plug-in reaching for a subsystem of the program.
#include "core/DataModule.h"
