// The host's representation of an array. Only libqx sees it; the library
// and the shell go through the qx calls.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "host/qx.h"

namespace zqhost {

// Number of elements of a dimension vector (saturated at INT_MAX).
int elementCount(std::span<const int> dims);

// The dimensions of an array, at least two. Up to four live inside the
// record, so creating a matrix allocates nothing for its shape; more go to
// the heap.
class Dims {
 public:
  Dims() = default;  // 0 x 0
  Dims(const Dims &other) { assign(other); }
  Dims &operator=(const Dims &other);
  Dims &operator=(std::span<const int> dims);

  size_t size() const { return size_; }
  int *data() { return heap_ ? heap_.get() : inline_; }
  const int *data() const { return heap_ ? heap_.get() : inline_; }
  int &operator[](size_t i) { return data()[i]; }
  int operator[](size_t i) const { return data()[i]; }
  operator std::span<const int>() const { return {data(), size_}; }

  // Keeps the first n (n <= size()).
  void shrink(size_t n) { size_ = n; }
  // Makes these the dimensions of an m x n matrix.
  void setMatrix(int m, int n) {
    heap_.reset();
    inline_[0] = m;
    inline_[1] = n;
    size_ = 2;
  }
  // Number of elements (saturated at INT_MAX); a matrix is counted inline.
  int count() const;

 private:
  void assign(std::span<const int> dims);

  static constexpr size_t kInline = 4;
  int inline_[kInline] = {0, 0, 0, 0};
  std::unique_ptr<int[]> heap_;
  size_t size_ = 2;
};

}  // namespace zqhost

struct qxArray_tag {
  int classId = QX_CLASS_DOUBLE;
  bool logical = false;
  zqhost::Dims dims;
  void *pr = nullptr;  // real data (char codes, element pointers, ...)
  void *pi = nullptr;  // imaginary data, null when real
  // Storage for data of at most 8 bytes (a scalar, a short char row): pr
  // and pi point here instead of the heap; releasing never frees it.
  double tiny[2] = {0, 0};
  // Size of the heap block pr points at when the host allocated it small
  // enough to keep for the next array once this one is destroyed; 0 when pr
  // is tiny storage, large, or came from the caller.
  size_t reusableBytes = 0;
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

inline int Dims::count() const {
  if (size_ != 2) return elementCount(*this);
  const int *d = data();
  const long long n = static_cast<long long>(std::max(d[0], 0)) * std::max(d[1], 0);
  return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

// Bytes of one stored element of a class.
size_t elementSizeOf(int classId);
// A new array of a class with zeroed storage for its elements.
qxArray *newArray(int classId, std::span<const int> dims, bool complex);

}  // namespace zqhost
