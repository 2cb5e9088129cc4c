#include "fuzz/fuzz_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "shell/session.h"
#include "zqhost/host.h"

// Requests far beyond what a fuzz run should hold fail (the host reports
// "Out of memory.") instead of ending the run. A smaller quarantine and
// shorter allocation stacks keep runs that allocate a lot quick.
extern "C" const char *__asan_default_options() {
  return "allocator_may_return_null=1:max_allocation_size_mb=512:quarantine_size_mb=32:malloc_context_size=8";
}

namespace zqfuzz {

void setUp() {
  static const bool ready = [] {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
    static zq::shell::Session session;  // registers the builtins and the print callbacks
    return true;
  }();
  (void)ready;
}

Array call(const char *name, int nlhs, const std::vector<const qxArray *> &inputs) {
  const BuiltinEntry *entry = zqhost::findBuiltin(name);
  if (entry == nullptr) std::abort();
  std::vector<qxArray *> in;
  for (const qxArray *a : inputs) in.push_back(const_cast<qxArray *>(a));
  std::vector<qxArray *> out(static_cast<size_t>(nlhs < 1 ? 1 : nlhs), nullptr);
  try {
    zqhost::callBuiltin(*entry, nlhs, out.data(), static_cast<int>(in.size()), in.data());
  } catch (const zqhost::Error &) {
  }
  for (size_t k = 1; k < out.size(); ++k) qxDestroyArray(out[k]);
  return Array(out[0]);
}

Array text(const std::string &s) {
  // Every byte becomes one code, NUL included.
  const int dims[2] = {s.empty() ? 0 : 1, static_cast<int>(s.size())};
  Array a(qxCreateCharArray(2, dims));
  for (size_t i = 0; i < s.size(); ++i) qxGetChars(a.get())[i] = static_cast<unsigned char>(s[i]);
  return a;
}

Array number(double v) { return Array(qxCreateScalarDouble(v)); }

Array row(const std::vector<double> &values) {
  Array a(qxCreateDoubleMatrix(values.empty() ? 0 : 1, static_cast<int>(values.size()), 0));
  for (size_t i = 0; i < values.size(); ++i) qxGetPr(a.get())[i] = values[i];
  return a;
}

double interestingDouble(FuzzedDataProvider &data) {
  static constexpr double kValues[] = {0,
                                       -0.0,
                                       1,
                                       -1,
                                       0.5,
                                       2.5,
                                       -2.5,
                                       3.141592653589793,
                                       1e-5,
                                       1e-310,
                                       5e-324,
                                       -1e-310,
                                       1e15,
                                       1e16,
                                       1e300,
                                       -1e300,
                                       std::numeric_limits<double>::max(),
                                       127,
                                       128,
                                       255,
                                       256,
                                       32767,
                                       32768,
                                       65535,
                                       65536,
                                       2147483647,
                                       2147483648.0,
                                       -2147483648.0,
                                       -2147483649.0,
                                       4294967295.0,
                                       4294967296.0,
                                       9007199254740993.0,
                                       std::numeric_limits<double>::infinity(),
                                       -std::numeric_limits<double>::infinity(),
                                       std::numeric_limits<double>::quiet_NaN(),
                                       -std::numeric_limits<double>::quiet_NaN(),
                                       65,
                                       10,
                                       1234.5678};
  switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0: return data.ConsumeFloatingPoint<double>();
    case 1: return data.ConsumeIntegralInRange(-1000, 1000);
    default: return data.PickValueInArray(kValues);
  }
}

double smallNumber(FuzzedDataProvider &data, int limit) { return data.ConsumeIntegralInRange(0, limit); }

MemoryFile::MemoryFile() : fd_(memfd_create("zqfuzz", 0)), path_("/proc/self/fd/" + std::to_string(fd_)) {
  if (fd_ < 0) std::abort();
}

MemoryFile::~MemoryFile() { close(fd_); }

const std::string &MemoryFile::empty() {
  if (ftruncate(fd_, 0) != 0) std::abort();
  return path_;
}

const std::string &MemoryFile::filled(const std::vector<unsigned char> &bytes) {
  empty();
  if (!bytes.empty() && pwrite(fd_, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) std::abort();
  return path_;
}

}  // namespace zqfuzz
