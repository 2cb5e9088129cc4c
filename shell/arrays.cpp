// Element-level array operations shared by indexing, [ ], { } and the host
// functions. They go through the qx interface only.
#include "shell/arrays.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "zqhost/host.h"

namespace zq::shell {
namespace {

bool holdsStructs(int c) { return c == QX_CLASS_STRUCT || c == QX_CLASS_OBJECT; }

// A value as a 1x1 cell holding it, for [c, x] with c a cell.
Value wrapInCell(const Value &v) {
  Value c = Value::adopt(qxCreateCellMatrix(1, 1));
  Value copy = v;
  qxSetCell(c.array(), 0, copy.release());
  return c;
}

bool isPlainEmpty(const Value &v) {
  if (v.isScalar()) return false;
  const qxArray *a = v.array();
  return qxGetNumberOfDimensions(a) == 2 && qxGetM(a) == 0 && qxGetN(a) == 0 && qxGetClassID(a) == QX_CLASS_DOUBLE;
}

}  // namespace

int checkedCount(const std::vector<int> &dims) {
  long long n = 1;
  for (int d : dims) {
    n *= d < 0 ? 0 : d;
    if (n > INT_MAX) zqhost::raise("Maximum variable size allowed is exceeded.");
  }
  checkElementBudget(static_cast<double>(n));
  return static_cast<int>(n);
}

// Refuses arrays of doubles larger than the machine's memory, so that a
// mistyped size ends in an error instead of the system killing the shell.
namespace {
double elementLimit = 0;  // 0: the machine's memory
}  // namespace

void checkElementBudget(double elements) {
  static const double machine = [] {
    const long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGESIZE);
    return pages > 0 && size > 0 ? static_cast<double>(pages) * static_cast<double>(size) / sizeof(double) : 1e9;
  }();
  if (elements > machine) zqhost::raise("Out of memory: the array would not fit in this machine's memory.");
  if (elementLimit > 0 && elements > elementLimit) zqhost::raise(zqhost::messageText(18));
}

void limitElements(double n) { elementLimit = n; }

void checkHeldElements(const Value &v) {
  if (elementLimit <= 0 || v.isScalar()) return;
  double total = 0;
  std::vector<const qxArray *> pending{v.array()};
  while (!pending.empty() && total <= elementLimit) {
    const qxArray *a = pending.back();
    pending.pop_back();
    if (a == nullptr) continue;
    const int n = qxGetNumberOfElements(a);
    const int c = qxGetClassID(a);
    const int fields = holdsStructs(c) ? qxGetNumberOfFields(a) : 0;
    total += static_cast<double>(n) * (fields > 0 ? fields : 1);  // a structure counts its field slots
    for (int i = 0; i < n && total <= elementLimit; ++i) {
      if (c == QX_CLASS_CELL) pending.push_back(qxGetCell(a, i));
      for (int f = 0; f < fields; ++f) pending.push_back(qxGetFieldByNumber(a, i, f));
    }
  }
  if (total > elementLimit) zqhost::raise(zqhost::messageText(18));
}

qxArray *newLike(const qxArray *like, const std::vector<int> &dims, bool complex) {
  const int c = qxGetClassID(like);
  const int nd = static_cast<int>(dims.size());
  checkedCount(dims);
  qxArray *a = nullptr;
  if (holdsStructs(c)) {
    const int nf = qxGetNumberOfFields(like);
    std::vector<const char *> names;
    names.reserve(static_cast<size_t>(nf));
    for (int f = 0; f < nf; ++f) names.push_back(qxGetFieldNameByNumber(like, f));
    a = created(qxCreateStructArray(nd, dims.data(), nf, names.data()));
    if (c == QX_CLASS_OBJECT) a = created(qxCreateObject(qxGetClassName(like), a));
  } else if (c == QX_CLASS_CELL) {
    a = created(qxCreateCellArray(nd, dims.data()));
  } else if (c == QX_CLASS_CHAR) {
    a = created(qxCreateCharArray(nd, dims.data()));
  } else if (c == QX_CLASS_SPARSE || c == QX_CLASS_OPAQUE) {
    zqhost::raise(std::string("This operation is not supported for values of class ") + qxGetClassName(like) + ".");
  } else {
    a = created(qxCreateNumericArray(nd, dims.data(), c, complex ? 1 : 0));
    qxSetLogical(a, qxIsLogical(like));
  }
  return a;
}

void copyElements(qxArray *dst, int dstIndex, const qxArray *src, int srcIndex, int count) {
  const int c = qxGetClassID(dst);
  if (c == QX_CLASS_CELL) {
    for (int k = 0; k < count; ++k) {
      const qxArray *e = qxGetCell(src, srcIndex + k);
      qxSetCell(dst, dstIndex + k, e == nullptr ? nullptr : created(qxDuplicateArray(e)));
    }
  } else if (holdsStructs(c)) {
    const int nf = qxGetNumberOfFields(dst);
    for (int f = 0; f < nf; ++f) {
      const int sf = qxGetFieldNumber(src, qxGetFieldNameByNumber(dst, f));
      for (int k = 0; k < count; ++k) {
        const qxArray *e = sf < 0 ? nullptr : qxGetFieldByNumber(src, srcIndex + k, sf);
        qxSetFieldByNumber(dst, dstIndex + k, f, e == nullptr ? nullptr : created(qxDuplicateArray(e)));
      }
    }
  } else if (c == QX_CLASS_FUNCTION) {
    auto *d = static_cast<qxFunctionHandleRecord *>(qxGetData(dst));
    const auto *s = static_cast<const qxFunctionHandleRecord *>(qxGetData(src));
    for (int k = 0; k < count; ++k) zqhost::copyFunctionHandle(&d[dstIndex + k], &s[srcIndex + k]);
  } else {
    const size_t size = qxGetElementSize(dst);
    auto *d = static_cast<char *>(qxGetData(dst));
    const auto *s = static_cast<const char *>(qxGetData(src));
    std::memcpy(d + size * static_cast<size_t>(dstIndex), s + size * static_cast<size_t>(srcIndex),
                size * static_cast<size_t>(count));
    if (qxIsComplex(dst) && qxIsComplex(src)) {
      auto *di = static_cast<char *>(qxGetImagData(dst));
      const auto *si = static_cast<const char *>(qxGetImagData(src));
      std::memcpy(di + size * static_cast<size_t>(dstIndex), si + size * static_cast<size_t>(srcIndex),
                  size * static_cast<size_t>(count));
    }
  }
}

Value gather(const Value &src, const std::vector<int> &dims, const std::vector<int> &indices) {
  const Value full = classOf(src) == QX_CLASS_SPARSE ? convertTo(src, QX_CLASS_DOUBLE) : src;
  const qxArray *s = full.array();
  Value out = Value::adopt(newLike(s, dims, qxIsComplex(s)));
  qxArray *d = out.array();
  for (size_t k = 0; k < indices.size(); ++k) copyElements(d, static_cast<int>(k), s, indices[k], 1);
  if (qxIsComplex(d)) qxFreeImagIfZero(d);
  out.refresh();
  return out;
}

int commonClass(const Values &parts) {
  bool anyCell = false, anyStruct = false, anyChar = false, anySingle = false, allLogical = true;
  int integer = 0, other = 0;
  for (const Value &v : parts) {
    const int c = classOf(v);
    const bool logical = v.isScalar() ? v.isLogicalScalar() : qxIsLogical(v.array()) != 0;
    if (!logical) allLogical = false;
    if (c == QX_CLASS_CELL)
      anyCell = true;
    else if (holdsStructs(c))
      anyStruct = true;
    else if (c == QX_CLASS_CHAR)
      anyChar = true;
    else if (c == QX_CLASS_SINGLE)
      anySingle = true;
    else if (isIntegerClass(c))
      integer = integer == 0 ? c : integer;
    else if (c != QX_CLASS_DOUBLE && c != QX_CLASS_SPARSE)
      other = c;
  }
  if (anyCell) return QX_CLASS_CELL;
  if (anyStruct) return QX_CLASS_STRUCT;
  if (other != 0) return other;
  // Text wins over numbers, an integer class over single and double (the
  // leftmost when there are several), single over double.
  if (anyChar) return QX_CLASS_CHAR;
  if (integer != 0) return integer;
  if (anySingle) return QX_CLASS_SINGLE;
  return allLogical && !parts.empty() ? -1 : QX_CLASS_DOUBLE;  // -1: logical
}

namespace {

// The operands of a concatenation without the [] that it skips, each
// converted to the common class (returned in target; -1 for logical).
Values unifiedParts(const Values &input, int &target) {
  Values parts;
  for (const Value &v : input) {
    if (!isPlainEmpty(v)) parts.push_back(v);
  }
  target = commonClass(parts);
  // Other 0x0 operands ('' or int8([])) decide the class too, but add no
  // elements; when all are 0x0 the first one stands for the result.
  const auto zeroByZero = [](const Value &v) {
    const std::vector<int> d = dimsOf(v);
    return d.size() == 2 && d[0] == 0 && d[1] == 0;
  };
  if (parts.size() > 1 && !std::all_of(parts.begin(), parts.end(), zeroByZero)) std::erase_if(parts, zeroByZero);
  if (parts.size() > 1 && std::all_of(parts.begin(), parts.end(), zeroByZero)) parts.resize(1);
  for (Value &v : parts) {
    const int c = classOf(v);
    if (parts.size() > 1 && (c == QX_CLASS_FUNCTION || target == QX_CLASS_FUNCTION)) {
      zqhost::raise("Function handles cannot be concatenated.");
    }
    if (target == QX_CLASS_CELL && c != QX_CLASS_CELL) {
      v = wrapInCell(v);
    } else if (target == QX_CLASS_STRUCT && !holdsStructs(c)) {
      zqhost::raise("Structures can only be concatenated with structures.");
    } else if (c == QX_CLASS_SPARSE || (target > 0 && c != target && !holdsStructs(c) && c != QX_CLASS_CELL)) {
      v = convertTo(v, target > 0 ? target : QX_CLASS_DOUBLE);
    }
  }
  return parts;
}

// The dimensions of the result: the operands agree in every dimension but
// dim, along which their extents add up.
std::vector<int> joinedDims(const Values &parts, int dim, bool &complex) {
  std::vector<int> dims = dimsOf(parts.front());
  if (static_cast<int>(dims.size()) <= dim) dims.resize(static_cast<size_t>(dim) + 1, 1);
  long long total = 0;
  complex = false;
  for (const Value &v : parts) {
    std::vector<int> d = dimsOf(v);
    d.resize(std::max(d.size(), dims.size()), 1);
    for (size_t k = 0; k < dims.size(); ++k) {
      if (static_cast<int>(k) != dim && d[k] != dims[k]) {
        zqhost::raise("Dimensions of arrays being concatenated are not consistent.");
      }
    }
    total += d[static_cast<size_t>(dim)];
    if (total > INT_MAX) zqhost::raise("Maximum variable size allowed is exceeded.");
    complex = complex || qxIsComplex(v.array());
  }
  dims[static_cast<size_t>(dim)] = static_cast<int>(total);
  return dims;
}

}  // namespace

// Copies each operand's block of elements in turn, once per index of the
// dimensions after dim.
Value concatenate(const Values &input, int dim) {
  int target = QX_CLASS_DOUBLE;
  const Values parts = unifiedParts(input, target);
  if (parts.empty()) return input.empty() ? Value() : input.front();
  if (parts.size() == 1) return parts.front();
  bool complex = false;
  const std::vector<int> dims = joinedDims(parts, dim, complex);
  // The first operand supplies the class (and the fields of structures).
  Value out = Value::adopt(newLike(parts.front().array(), dims, complex));
  qxArray *d = out.array();
  if (qxGetClassID(d) == QX_CLASS_DOUBLE) qxSetLogical(d, target == -1 ? 1 : 0);
  int inner = 1;
  for (int k = 0; k < dim; ++k) inner *= dims[static_cast<size_t>(k)];
  int outer = 1;
  for (size_t k = static_cast<size_t>(dim) + 1; k < dims.size(); ++k) outer *= dims[k];
  int at = 0;
  for (int o = 0; o < outer; ++o) {
    for (const Value &v : parts) {
      std::vector<int> vd = dimsOf(v);
      vd.resize(dims.size(), 1);
      const int block = inner * vd[static_cast<size_t>(dim)];
      copyElements(d, at, v.array(), o * block, block);
      at += block;
    }
  }
  out.refresh();
  return out;
}

}  // namespace zq::shell
