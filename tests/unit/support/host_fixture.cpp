#include "support/host_fixture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "builtins/zqbuiltins.h"

namespace zqtest {

void registerBuiltins() {
  static const bool done = [] {
    bnInitialize();
    return true;
  }();
  (void)done;
}

Array str(const char *text) { return Array(qxCreateString(text)); }
Array num(double value) { return Array(qxCreateScalarDouble(value)); }

Array mat(int m, int n, std::initializer_list<double> columnMajor) {
  Array a(qxCreateDoubleMatrix(m, n, 0));
  double *pr = qxGetPr(a.get());
  for (double v : columnMajor) *pr++ = v;
  return a;
}

Array row(std::initializer_list<double> values) { return mat(1, static_cast<int>(values.size()), values); }

std::string text(const qxArray *a) {
  char *t = qxArray2String(a, 0);
  std::string s = t == nullptr ? "" : t;
  qxFree(t);
  return s;
}

CallResult call(const char *name, int nlhs, std::initializer_list<const qxArray *> inputs) {
  registerBuiltins();
  CallResult result;
  const BuiltinEntry *entry = zqhost::findBuiltin(name);
  if (entry == nullptr) {
    result.error = std::string("no builtin ") + name;
    return result;
  }
  std::vector<qxArray *> in;
  for (const qxArray *a : inputs) in.push_back(const_cast<qxArray *>(a));
  std::vector<qxArray *> out(static_cast<size_t>(nlhs > 0 ? nlhs : 1), nullptr);
  try {
    zqhost::callBuiltin(*entry, nlhs, out.data(), static_cast<int>(in.size()), in.data());
  } catch (const zqhost::Error &e) {
    result.error = e.text();
  }
  for (qxArray *a : out) result.outputs.emplace_back(a);
  return result;
}

StreamCapture::StreamCapture(std::FILE *stream) : stream_(stream), fd_(fileno(stream)) {
  std::fflush(stream_);
  char name[] = "/tmp/zqcaptureXXXXXX";
  const int fd = mkstemp(name);
  path_ = name;
  savedFd_ = dup(fd_);
  dup2(fd, fd_);
  close(fd);
}

std::string StreamCapture::text() {
  if (!done_) {
    std::fflush(stream_);
    dup2(savedFd_, fd_);
    close(savedFd_);
    std::ifstream in(path_, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    captured_ = ss.str();
    std::remove(path_.c_str());
    done_ = true;
  }
  return captured_;
}

StreamCapture::~StreamCapture() { text(); }

}  // namespace zqtest
