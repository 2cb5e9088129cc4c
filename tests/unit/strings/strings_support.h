// Building inputs for the string functions and reading their results.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/host_fixture.h"

namespace zqtest {

// A char array of `rows` rows holding codes in storage order.
inline Array chars(std::u16string_view codes, int rows = 1) {
  const int n = static_cast<int>(codes.size());
  const int dims[2] = {rows, rows == 0 ? 0 : n / rows};
  Array a(qxCreateCharArray(2, dims));
  std::copy(codes.begin(), codes.end(), qxGetChars(a.get()));
  return a;
}

// An m-by-n cell that takes the elements in storage order; an empty Array
// leaves its element unset.
template <class... Elements>
Array cellOf(int m, int n, Elements &&...elements) {
  Array c(qxCreateCellMatrix(m, n));
  int i = 0;
  (qxSetCell(c.get(), i++, elements.release()), ...);
  return c;
}

inline std::vector<int> dimsOf(const qxArray *a) {
  return {qxGetDimensions(a), qxGetDimensions(a) + qxGetNumberOfDimensions(a)};
}

inline std::vector<double> realsOf(const qxArray *a) { return {qxGetPr(a), qxGetPr(a) + qxGetNumberOfElements(a)}; }

inline std::u16string codesOf(const qxArray *a) {
  return {reinterpret_cast<const char16_t *>(qxGetChars(a)), static_cast<size_t>(qxGetNumberOfElements(a))};
}

// The first output of a call that must succeed.
inline Array result(const char *name, std::initializer_list<const qxArray *> inputs) {
  CallResult r = call(name, 1, inputs);
  EXPECT_EQ(r.error, "") << name;
  return std::move(r.outputs[0]);
}

// The error text of a call (empty when it succeeded).
inline std::string errorOf(const char *name, std::initializer_list<const qxArray *> inputs) {
  return call(name, 1, inputs).error;
}

}  // namespace zqtest
