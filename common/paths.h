// File names as the path manager takes them: the limit on their length and
// the one search path the library works with.
#pragma once

#include <cstddef>

#include "host/zqmpath.h"

namespace zq::common {

// A path has at most this many characters.
inline constexpr std::size_t kMaxPathLength = 1024;

// The path manager's main path, looked up afresh for each call.
kpPath *mainPath();

// Raises "Path too long".
[[noreturn]] void pathTooLong();

}  // namespace zq::common
