// Owners of host memory: one type per kind, so that every temporary a
// handler holds is released when it returns or an error unwinds it.
#pragma once

#include <memory>

#include "host/qx.h"
#include "host/ut.h"

namespace zq::common {

struct ArrayDestroyer {
  void operator()(qxArray *a) const { qxDestroyArray(a); }
};
// An array made here and not (yet) handed to the host.
using OwnedArray = std::unique_ptr<qxArray, ArrayDestroyer>;

struct BorrowerDestroyer {
  void operator()(qxArray *a) const {
    qxSetData(a, nullptr);
    qxSetImagData(a, nullptr);
    qxDestroyArray(a);
  }
};
// An array made here whose data blocks are lent by another array (set with
// qxSetData/qxSetImagData): they are detached before it is destroyed, so
// that the lender keeps them, also when an error unwinds the borrower.
using BorrowingArray = std::unique_ptr<qxArray, BorrowerDestroyer>;

struct QxFreer {
  void operator()(void *p) const { qxFree(p); }
};
// A block from qxCalloc/qxMalloc, or a text from qxArray2String.
template <class T>
using QxBlock = std::unique_ptr<T, QxFreer>;
using HostText = QxBlock<char>;

struct UtFreer {
  void operator()(void *p) const { utFree(p); }
};
// A block from utMalloc/utCalloc or ioGetDirList.
template <class T>
using UtBlock = std::unique_ptr<T, UtFreer>;

// An input seen as class `classId`: the input itself when it already has
// that class, else the host's converted copy, owned here. get() is null when
// the host could make no copy.
class AsClass {
 public:
  AsClass(qxArray *input, int classId) : array_(qxMustBe(input, classId)) {
    if (array_ != input) copy_.reset(array_);
  }
  qxArray *get() const { return array_; }
  bool converted() const { return copy_ != nullptr; }

 private:
  qxArray *array_;
  OwnedArray copy_;
};

}  // namespace zq::common
