// A file in a folder the layering rules do not list yet.
#include "platform/codec.h"
