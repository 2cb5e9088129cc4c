// The host's representation of an array. Only libqx sees it; the library
// and the shell go through the qx calls.
#pragma once

#include <string>
#include <vector>

#include "host/qx.h"

struct qxArray_tag {
  int classId = QX_CLASS_DOUBLE;
  bool logical = false;
  std::vector<int> dims{0, 0};  // at least two
  void *pr = nullptr;           // real data (char codes, element pointers, ...)
  void *pi = nullptr;           // imaginary data, null when real
  std::string name;
  int scope = QX_SCOPE_LOCAL;
  // Sparse arrays: row indices and column starts (n + 1 of them).
  int *ir = nullptr;
  int *jc = nullptr;
  int nzmax = 0;
  // Structures and objects: field names; pr holds nfields pointers per element.
  std::vector<std::string> fieldNames;
  // Objects and opaque values: the class name.
  std::string className;
};

namespace zqhost {

// Bytes of one stored element of a class.
size_t elementSizeOf(int classId);
// Number of elements of a dimension vector (saturated at INT_MAX).
int elementCount(const std::vector<int> &dims);
// A new array of a class with zeroed storage for its elements.
qxArray *newArray(int classId, std::vector<int> dims, bool complex);

}  // namespace zqhost
