// A core file reaching up into the wizard.
#include "wizard/ug16.h"
