// Helpers for unit tests that drive builtins through the host: the table is
// registered once, arrays are owned by RAII, and output can be captured.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/qx.h"
#include "zqhost/host.h"

namespace zqtest {

struct ArrayDeleter {
  void operator()(qxArray *a) const { qxDestroyArray(a); }
};
using Array = std::unique_ptr<qxArray, ArrayDeleter>;

// Registers the library's builtin table with the host (once per process).
void registerBuiltins();

Array str(const char *text);
Array num(double value);
Array row(std::initializer_list<double> values);
Array mat(int m, int n, std::initializer_list<double> columnMajor);
// Text of a char array.
std::string text(const qxArray *a);

// Result of calling a builtin by name.
struct CallResult {
  std::vector<Array> outputs;
  std::string error;  // empty when the call succeeded
};
CallResult call(const char *name, int nlhs, std::initializer_list<const qxArray *> inputs);

// The text of the error fn raises, or "" when it returns.
template <typename Fn>
std::string errorOf(Fn fn) {
  try {
    fn();
  } catch (const zqhost::Error &e) {
    return e.text();
  }
  return "";
}

// Captures everything written to standard output while it lives.
class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture();
  std::string text();

 private:
  int savedFd_ = -1;
  std::string path_;
  bool done_ = false;
  std::string captured_;
};

}  // namespace zqtest
