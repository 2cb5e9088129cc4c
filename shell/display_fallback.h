// The shell's plain display of a value, used while the library's display
// of its class is not available.
#pragma once

#include <string>

#include "shell/value.h"

namespace zq::shell {

// Prints "name = value" for a scalar or a text row, else "name =" and the
// rows of values; containers are summarised by size and class.
void printFallback(const std::string &name, const Value &v);

}  // namespace zq::shell
