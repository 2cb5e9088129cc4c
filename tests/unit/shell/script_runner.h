// Running scripts in unit tests of the shell.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "shell/session.h"

namespace zq::shell::test {

// Runs script in a fresh session with its output captured.
std::unique_ptr<Session> runQuietly(const char *script, bool keepGoing = false);

// The error text of the first failing statement of script.
std::string errorOf(const char *script);

// What a script leaves in x: class, size, real and imaginary parts.
struct XValue {
  std::string error;  // empty when the script ran and set x
  std::string className;
  std::vector<int> dims;
  std::vector<double> re, im;
};
XValue valueOfX(const char *script);

}  // namespace zq::shell::test
