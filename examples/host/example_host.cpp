// A minimal host of libzqbuiltins: it registers the library's builtin table
// with the host libraries, calls a few builtins the way an interpreter
// does (by name, dispatched on the class of the first input), prints their
// results, and shows how an error reaches the host.
//
// Build it against an installed tree with pkg-config:
//   c++ -std=c++20 example_host.cpp $(pkg-config --cflags --libs zqbuiltins)
// or with CMake: find_package(zqbuiltins) and link zqbuiltins::zqbuiltins.
#include <host/qx.h>
#include <zqbuiltins.h>
#include <zqhost/host.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Arrays the host owns: destroyed when the handle goes.
struct ArrayDeleter {
  void operator()(qxArray *a) const { qxDestroyArray(a); }
};
using Array = std::unique_ptr<qxArray, ArrayDeleter>;

Array text(const char *s) { return Array(qxCreateString(s)); }

Array row(std::initializer_list<double> values) {
  Array a(qxCreateDoubleMatrix(1, static_cast<int>(values.size()), 0));
  double *p = qxGetPr(a.get());
  for (double v : values) *p++ = v;
  return a;
}

// Calls a builtin as the interpreter would: the host's dispatch picks the
// handler for the class of the first input. The caller owns the outputs;
// the inputs stay the caller's. An error unwinds as zqhost::Error.
std::vector<Array> call(const char *name, int nlhs, std::initializer_list<const qxArray *> inputs) {
  const BuiltinEntry *entry = zqhost::findBuiltin(name);
  if (entry == nullptr) throw std::runtime_error(std::string("no builtin named ") + name);
  std::vector<qxArray *> prhs;
  for (const qxArray *a : inputs) prhs.push_back(const_cast<qxArray *>(a));
  std::vector<qxArray *> plhs(static_cast<size_t>(nlhs > 0 ? nlhs : 1), nullptr);
  zqhost::callBuiltin(*entry, nlhs, plhs.data(), static_cast<int>(prhs.size()), prhs.data());
  std::vector<Array> outputs;
  for (qxArray *a : plhs) outputs.emplace_back(a);
  return outputs;
}

// The text of a char array, through the library's exported converter.
std::string textOf(const qxArray *a) {
  char *s = bnMatrix2str(a);
  std::string result = s;
  qxFree(s);
  return result;
}

}  // namespace

int main() {
  std::printf("libzqbuiltins %s, built %s\n", libzqbuiltins_version, libzqbuiltins_build_date);

  // Start-up: hand the table to the host's registration function.
  if (bnInitialize() == 0) {
    std::fprintf(stderr, "the host refused the builtin table\n");
    return 1;
  }
  std::printf("registered %d builtins\n", zqhost::registeredBuiltinCount());

  // sprintf returns a char row (and the error message as a second output).
  const Array format = text("%d apples and %.2f pears\\n");
  const Array values = row({3, 2.5});
  std::vector<Array> out = call("sprintf", 1, {format.get(), values.get()});
  std::printf("sprintf: %s", textOf(out[0].get()).c_str());

  // sscanf gives the values, their count, a message and the next index.
  const Array numbers = text("10 20 30");
  const Array scan = text("%d");
  out = call("sscanf", 2, {numbers.get(), scan.get()});
  const double *read = qxGetPr(out[0].get());
  std::printf("sscanf: %g %g %g (count %g)\n", read[0], read[1], read[2], qxGetScalar(out[1].get()));

  // display prints through the host's command window, named as the array is.
  const Array matrix = row({1, 2.5, -3});
  qxSetName(matrix.get(), "m");
  call("display", 0, {matrix.get()});

  // An argument error unwinds as a C++ exception carrying the message text;
  // whatever the call had allocated is already released.
  const Array badFid = row({99});
  try {
    call("fclose", 0, {badFid.get()});
  } catch (const zqhost::Error &e) {
    std::printf("fclose(99) raised: %s\n", e.text().c_str());
  }

  // At the end of a session the host writes out pending bit-level output.
  fiFlushWriteCarryByteFIO();
  return 0;
}
