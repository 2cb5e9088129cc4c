// What the fuzz targets share: the host set up once with standard output
// silenced, calls of builtins that keep raised errors (those are answers,
// not faults), arrays built from fuzzed bytes, and a scratch file in memory.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <string>
#include <vector>

#include "host/qx.h"

namespace zqfuzz {

struct ArrayDeleter {
  void operator()(qxArray *a) const { qxDestroyArray(a); }
};
using Array = std::unique_ptr<qxArray, ArrayDeleter>;

// Sets up the host and the library (once) and sends standard output to
// /dev/null; the fuzzer reports on standard error.
void setUp();

// Calls builtin name; outputs are destroyed, a raised error is swallowed.
// Returns the first output (or null), owned by the caller.
Array call(const char *name, int nlhs, const std::vector<const qxArray *> &inputs);

Array text(const std::string &s);
Array number(double v);
// A 1-by-n double row.
Array row(const std::vector<double> &values);

// A double drawn from values that stress number formatting (signed zeros,
// subnormals, the edges of the integer types, NaN, infinities) or, now and
// then, any double at all.
double interestingDouble(FuzzedDataProvider &data);
// A small integer for a width, count or size.
double smallNumber(FuzzedDataProvider &data, int limit);

// A file in memory (a regular file to the system) that the library opens
// by name; emptied by each call of path().
class MemoryFile {
 public:
  MemoryFile();
  ~MemoryFile();
  MemoryFile(const MemoryFile &) = delete;
  MemoryFile &operator=(const MemoryFile &) = delete;
  // Its name after emptying it, or filling it with bytes.
  const std::string &empty();
  const std::string &filled(const std::vector<unsigned char> &bytes);

 private:
  int fd_;
  std::string path_;
};

}  // namespace zqfuzz
