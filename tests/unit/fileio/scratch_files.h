// Scratch files for the file-I/O tests: a private directory that is removed
// with everything in it, and helpers to write and read a file's bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace zqtest {

class ScratchDir {
 public:
  ScratchDir() {
    char pattern[] = "/tmp/zqfileioXXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string file(const std::string &name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

using Bytes = std::vector<unsigned char>;

inline void writeBytes(const std::string &path, const Bytes &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes readBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace zqtest

#include "support/host_fixture.h"

namespace zqtest {

// Calls a builtin with any number of inputs (up to six).
inline CallResult callWith(const char *name, int nlhs, const std::vector<const qxArray *> &in) {
  switch (in.size()) {
    case 0: return call(name, nlhs, {});
    case 1: return call(name, nlhs, {in[0]});
    case 2: return call(name, nlhs, {in[0], in[1]});
    case 3: return call(name, nlhs, {in[0], in[1], in[2]});
    case 4: return call(name, nlhs, {in[0], in[1], in[2], in[3]});
    case 5: return call(name, nlhs, {in[0], in[1], in[2], in[3], in[4]});
    default: return call(name, nlhs, {in[0], in[1], in[2], in[3], in[4], in[5]});
  }
}

// Holds the arrays of a call's inputs: strings and numbers written inline.
// Copies share the arrays.
class Inputs {
 public:
  Inputs &s(const char *text) { return add(str(text)); }
  Inputs &n(double value) { return add(num(value)); }
  Inputs &m(int rows, int cols, std::initializer_list<double> values) { return add(mat(rows, cols, values)); }
  Inputs &a(Array array) { return add(std::move(array)); }
  std::vector<const qxArray *> list() const {
    std::vector<const qxArray *> v;
    for (const auto &x : arrays_) v.push_back(x.get());
    return v;
  }

 private:
  Inputs &add(Array a) {
    arrays_.emplace_back(a.release(), ArrayDeleter());
    return *this;
  }
  std::vector<std::shared_ptr<qxArray>> arrays_;
};

// The values of a numeric array as doubles, in storage order.
inline std::vector<double> valuesOf(const qxArray *a) {
  std::vector<double> v(static_cast<size_t>(qxGetNumberOfElements(a)));
  qxConvertBufferToType(v.data(), QX_CLASS_DOUBLE, qxGetData(a), qxGetClassID(a), static_cast<int>(v.size()));
  return v;
}

// A fixture whose files are closed after each test.
class FileTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Array all = str("all");
    call("fclose", 1, {all.get()});
  }
  // Writes bytes to a scratch file and opens it; returns the fid.
  double openWith(const Bytes &bytes, const char *permission = "r", const char *name = "data.bin") {
    const std::string path = dir.file(name);
    writeBytes(path, bytes);
    return openPath(path, permission);
  }
  double openPath(const std::string &path, const char *permission) {
    Array p = str(path.c_str()), perm = str(permission);
    CallResult r = call("fopen", 1, {p.get(), perm.get()});
    EXPECT_EQ(r.error, "");
    return r.error.empty() ? qxGetScalar(r.outputs[0].get()) : -1;
  }
  // Calls name(fid, inputs...).
  CallResult on(const char *name, int nlhs, double fid, const Inputs &inputs = Inputs()) {
    Inputs all;
    all.n(fid);
    std::vector<const qxArray *> list = all.list();
    for (const qxArray *a : inputs.list()) list.push_back(a);
    return callWith(name, nlhs, list);
  }
  ScratchDir dir;
};

}  // namespace zqtest
