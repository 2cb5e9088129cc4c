// The host's representation of an array. Only libqx sees it; the library
// and the shell go through the qx calls.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/qx.h"

namespace zqhost {

// Number of elements of a dimension vector (saturated at INT_MAX).
int elementCount(std::span<const int> dims);
// True when the product of the extents exceeds INT_MAX.
bool beyondIntCount(std::span<const int> dims);

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

  // Keeps the first n (n <= size()); a shape that fits inline moves there.
  void shrink(size_t n) {
    if (heap_ && n <= kInline) {
      std::copy(heap_.get(), heap_.get() + n, inline_);
      heap_.reset();
    }
    size_ = n;
  }
  // Makes these the dimensions of an m x n matrix.
  void setMatrix(int m, int n) {
    if (heap_) heap_.reset();
    inline_[0] = m;
    inline_[1] = n;
    size_ = 2;
  }
  // Number of elements (saturated at INT_MAX); a matrix is counted inline.
  int count() const;
  // Whether there are no elements.
  bool empty() const;

 private:
  void assign(std::span<const int> dims);

  static constexpr size_t kInline = 4;
  int inline_[kInline] = {0, 0, 0, 0};
  std::unique_ptr<int[]> heap_;  // set only when there are more than kInline
  size_t size_ = 2;
};

// What few arrays have: a variable name and scope, field names (structures
// and objects), a class name (objects and opaque values), the size an
// object reports. Kept apart so
// that the common record is quick to make and to recycle.
struct ArrayExtras {
  std::string name;
  int scope = QX_SCOPE_LOCAL;
  std::vector<std::string> fieldNames;
  std::string className;
  std::optional<std::vector<double>> reportedSize;  // objects made with a size

  // Back to the state of a new record (capacities stay).
  void clear() {
    name.clear();
    scope = QX_SCOPE_LOCAL;
    fieldNames.clear();
    className.clear();
    reportedSize.reset();
  }
};

// Data blocks read by several arrays (qxCreateSharedDataCopy): each holder
// points at the same pr and pi and at this count; the last one to go frees
// the blocks.
struct DataShare {
  long holders = 0;
};

// Frees what the n handle records own (texts and anonymous functions).
void releaseHandles(qxFunctionHandleRecord *records, int n);

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
  // is tiny storage, large, shared, or came from the caller. Sharing the
  // data of a const array changes only this bookkeeping, hence mutable.
  mutable size_t reusableBytes = 0;
  // Non-null while pr and pi are shared with other arrays.
  mutable zqhost::DataShare *share = nullptr;
  // Sparse arrays: row indices and column starts (n + 1 of them).
  int *ir = nullptr;
  int *jc = nullptr;
  int nzmax = 0;
  std::unique_ptr<zqhost::ArrayExtras> extras;

  // The extras, made on first need.
  zqhost::ArrayExtras &more() {
    if (!extras) extras = std::make_unique<zqhost::ArrayExtras>();
    return *extras;
  }
};

namespace zqhost {

inline int Dims::count() const {
  if (size_ != 2) return elementCount(*this);
  const long long n = static_cast<long long>(std::max(inline_[0], 0)) * std::max(inline_[1], 0);
  return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

inline bool Dims::empty() const {
  if (size_ == 2) return inline_[0] <= 0 || inline_[1] <= 0;
  return count() == 0;
}

// Bytes of one stored element of a class.
size_t elementSizeOf(int classId);
// A new array of a class with zeroed storage for its elements.
qxArray *newArray(int classId, std::span<const int> dims, bool complex);

}  // namespace zqhost
