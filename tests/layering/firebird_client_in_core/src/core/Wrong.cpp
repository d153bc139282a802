// A core file using the Firebird client directly.
#include <ibase.h>
