// Builtin handlers of the string functions.
#pragma once

#include "host/qx.h"

namespace zq::strings {}  // namespace zq::strings
