// Builtin handlers of the directory commands (cd, chdir, dir; delete is bnFullDeleteFcn).
#pragma once

#include "host/qx.h"

namespace zq::dirs {}  // namespace zq::dirs
