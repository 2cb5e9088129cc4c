// Helpers for unit tests that drive builtins through the host: the table is
// registered once, arrays are owned by RAII, and output can be captured.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
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

// Captures everything written to a standard stream (stdout or stderr)
// while it lives; text() ends the capture.
class StreamCapture {
 public:
  explicit StreamCapture(std::FILE *stream);
  ~StreamCapture();
  StreamCapture(const StreamCapture &) = delete;
  StreamCapture &operator=(const StreamCapture &) = delete;
  std::string text();

 private:
  std::FILE *stream_;
  int fd_;
  int savedFd_ = -1;
  std::string path_;
  bool done_ = false;
  std::string captured_;
};

class StdoutCapture : public StreamCapture {
 public:
  StdoutCapture() : StreamCapture(stdout) {}
};

class StderrCapture : public StreamCapture {
 public:
  StderrCapture() : StreamCapture(stderr) {}
};

}  // namespace zqtest
