// The builtin table as the library registers it with the host.
#pragma once

#include <cstddef>
#include <span>

#include "host/qx.h"

namespace zq::builtins {

inline constexpr std::size_t kBuiltinCount = 62;

// The static table of builtin records, in registration order.
std::span<const BuiltinEntry> builtinTable();

}  // namespace zq::builtins
