// A screen running statements itself.
#include "platform/firebird/firebird.h"
