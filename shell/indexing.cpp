// Indexing and indexed assignment, written on gather/copyElements so that
// every class (numbers, text, cells, structures, handles) shares one path.
#include "shell/indexing.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "shell/arrays.h"
#include "zqhost/host.h"

namespace zq::shell {
namespace {

bool isLogicalValue(const Value &v) { return v.isScalar() ? v.isLogicalScalar() : qxIsLogical(v.array()) != 0; }

bool isVectorShape(const std::vector<int> &d) { return d.size() == 2 && (d[0] == 1 || d[1] == 1); }

// Zero-based positions selected by one subscript over an extent.
std::vector<int> positions(const Subscript &s, int extent) {
  std::vector<int> out;
  if (s.colon) {
    out.resize(static_cast<size_t>(extent));
    for (int k = 0; k < extent; ++k) out[static_cast<size_t>(k)] = k;
    return out;
  }
  const std::vector<double> values = realParts(s.value);
  if (isLogicalValue(s.value)) {
    for (size_t k = 0; k < values.size(); ++k) {
      if (values[k] != 0) out.push_back(static_cast<int>(k));
    }
    return out;
  }
  out.reserve(values.size());
  for (double d : values) {
    if (!(d >= 1) || d != std::floor(d) || d > INT_MAX) {
      zqhost::raise(d == 0 || (d < 1 && d == std::floor(d))
                        ? "Index must be a positive integer or logical; 0 and negative numbers are not allowed."
                        : "Subscript indices must either be real positive integers or logicals.");
    }
    out.push_back(static_cast<int>(d) - 1);
  }
  return out;
}

// Extent of dimension k when count subscripts index dims: the last
// subscript spans all remaining dimensions.
int extentOf(const int *dims, size_t nd, size_t k, size_t count) {
  if (k < count - 1) return k < nd ? dims[k] : 1;
  long long n = 1;
  for (size_t d = k; d < nd; ++d) n *= dims[d];
  return static_cast<int>(std::min<long long>(n, INT_MAX));
}

int extentOf(const std::vector<int> &dims, size_t k, size_t count) {
  return extentOf(dims.data(), dims.size(), k, count);
}

// The linear position that plain scalar subscripts select in a real double
// array, or -1 when the subscripts are anything else or out of range (the
// general path then deals with them, errors included). Loops index so.
int scalarPosition(const Value &base, const Subscripts &subs) {
  if (base.isScalar() || subs.empty() || subs.size() > 3) return -1;
  const qxArray *a = base.array();
  if (qxGetClassID(a) != QX_CLASS_DOUBLE || qxIsComplex(a)) return -1;
  const int *dims = qxGetDimensions(a);
  const size_t nd = static_cast<size_t>(qxGetNumberOfDimensions(a));
  long long linear = 0, stride = 1;
  for (size_t k = 0; k < subs.size(); ++k) {
    const Subscript &s = subs[k];
    if (s.colon || !s.value.isScalar() || s.value.isLogicalScalar()) return -1;
    const double d = s.value.number();
    const int extent = extentOf(dims, nd, k, subs.size());
    if (!(d >= 1) || d > extent || d != std::floor(d)) return -1;
    linear += (static_cast<long long>(d) - 1) * stride;
    stride *= extent;
  }
  return static_cast<int>(linear);
}

void checkBounds(const std::vector<int> &pos, int extent) {
  for (int p : pos) {
    if (p >= extent) zqhost::raise("Index exceeds matrix dimensions.");
  }
}

// Linear positions of the elements that subs select in an array of dims,
// with the shape of the selection.
struct Selection {
  std::vector<int> linear;
  std::vector<int> shape;
};

Selection select(const std::vector<int> &dims, const Subscripts &subs, bool checkRange) {
  Selection sel;
  const size_t count = subs.size();
  std::vector<std::vector<int>> each(count);
  for (size_t k = 0; k < count; ++k) {
    const int extent = extentOf(dims, k, count);
    each[k] = positions(subs[k], extent);
    if (checkRange) checkBounds(each[k], extent);
    sel.shape.push_back(static_cast<int>(each[k].size()));
  }
  std::vector<int> strides(count, 1);
  for (size_t k = 1; k < count; ++k) strides[k] = strides[k - 1] * extentOf(dims, k - 1, count);
  const int n = checkedCount(sel.shape);
  sel.linear.resize(static_cast<size_t>(n));
  std::vector<size_t> sub(count, 0);
  for (int i = 0; i < n; ++i) {
    long long linear = 0;
    for (size_t k = 0; k < count; ++k) linear += static_cast<long long>(each[k][sub[k]]) * strides[k];
    sel.linear[static_cast<size_t>(i)] = static_cast<int>(linear);
    for (size_t k = 0; k < count && ++sub[k] == each[k].size(); ++k) sub[k] = 0;
  }
  return sel;
}

// The shape of x(i) for one subscript: a vector keeps the orientation of
// the source, a matrix index gives its own shape, ':' a column.
std::vector<int> linearShape(const std::vector<int> &source, const Subscript &s, int count) {
  if (s.colon) return {count, 1};
  std::vector<int> index = dimsOf(s.value);
  if (isLogicalValue(s.value)) {
    return source.size() == 2 && source[0] == 1 && isVectorShape(index) ? std::vector<int>{1, count}
                                                                        : std::vector<int>{count, 1};
  }
  if (isVectorShape(index) && isVectorShape(source) && !(source[0] == 1 && source[1] == 1)) {
    return source[0] == 1 ? std::vector<int>{1, count} : std::vector<int>{count, 1};
  }
  return index;
}

Value fullOf(const Value &v) { return classOf(v) == QX_CLASS_SPARSE ? convertTo(v, QX_CLASS_DOUBLE) : v; }

// The class that base takes when rhs is stored into it: an integer class
// wins, then single; text stays text when numbers are stored into it, a
// number array becomes text only if it was empty.
int assignedClass(int base, int rhs) {
  if (base == rhs) return base;
  if (isIntegerClass(base)) return base;
  if (isIntegerClass(rhs)) return rhs;
  if (base == QX_CLASS_SINGLE || rhs == QX_CLASS_SINGLE) return QX_CLASS_SINGLE;
  if (base == QX_CLASS_CHAR) return QX_CLASS_CHAR;
  return QX_CLASS_DOUBLE;
}

bool isNumericClass(int c) {
  return c == QX_CLASS_DOUBLE || c == QX_CLASS_CHAR || c == QX_CLASS_SINGLE || isIntegerClass(c);
}

// Brings base and rhs to one class before an element copy.
void unifyClasses(Value &base, Value &rhs) {
  const int b = classOf(base), r = classOf(rhs);
  if (b == r) {
    if (b == QX_CLASS_STRUCT) {
      qxArray *a = base.mutableArray();
      for (int f = 0; f < qxGetNumberOfFields(rhs.array()); ++f) qxAddField(a, qxGetFieldNameByNumber(rhs.array(), f));
    }
    if (b == QX_CLASS_DOUBLE && !isLogicalValue(rhs) && isLogicalValue(base)) {
      qxSetLogical(base.mutableArray(), 0);
      base.refresh();
    }
    return;
  }
  if (isNumericClass(b) && isNumericClass(r)) {
    const int target = assignedClass(b, r);
    if (b != target) base = convertTo(base, target);
    if (r != target) rhs = convertTo(rhs, target);
    return;
  }
  zqhost::raise(std::string("Conversion to ") + className(base) + " from " + className(rhs) + " is not possible.");
}

// True when an array of dims old, enlarged to dims, keeps its elements at
// the same linear positions: the dimensions before the first one that grows
// are equal and those after it are 1.
bool keepsLayout(const std::vector<int> &old, const std::vector<int> &dims) {
  size_t k = 0;
  while (k < old.size() && old[k] == dims[k]) ++k;
  for (size_t d = k + 1; d < old.size(); ++d) {
    if (old[d] != 1) return false;
  }
  return true;
}

// A copy of base enlarged to dims (new elements zero or empty).
void grow(Value &base, const std::vector<int> &dims, bool complex) {
  const std::vector<int> old = dimsOf(base);
  if (old == dims && (!complex || qxIsComplex(base.array()))) return;
  const qxArray *src = base.array();
  Value out = Value::adopt(newLike(src, dims, complex || qxIsComplex(src)));
  std::vector<int> o = old;
  o.resize(dims.size(), 1);
  const int n = qxGetNumberOfElements(src);
  if (keepsLayout(o, dims)) {
    // The old elements are the first ones of the new array (x(end+1) = v).
    copyElements(out.array(), 0, src, 0, n);
    base = out;
    return;
  }
  // Copy the old elements column by column into their new places.
  std::vector<int> sub(o.size(), 0);
  for (int i = 0; i < n; i += o[0]) {
    long long at = 0, stride = 1;
    for (size_t d = 0; d < dims.size(); ++d) {
      at += static_cast<long long>(sub[d]) * stride;
      stride *= dims[d];
    }
    copyElements(out.array(), static_cast<int>(at), src, i, o[0]);
    for (size_t d = 1; d < o.size() && ++sub[d] == o[d]; ++d) sub[d] = 0;
  }
  base = out;
}

// The dimensions base needs so that subs fit.
std::vector<int> grownDims(const std::vector<int> &dims, const Subscripts &subs, const Value &rhs) {
  std::vector<int> out = dims;
  if (subs.size() == 1) {
    const std::vector<int> pos = positions(subs[0], checkedCount(dims));
    if (pos.empty()) return out;
    const int need = *std::max_element(pos.begin(), pos.end()) + 1;
    if (need <= checkedCount(dims)) return out;
    if (checkedCount(dims) == 0) {
      const std::vector<int> r = dimsOf(rhs);
      return r.size() == 2 && r[1] == 1 && r[0] > 1 && !subs[0].colon ? std::vector<int>{need, 1}
                                                                      : std::vector<int>{1, need};
    }
    if (dims.size() == 2 && dims[0] == 1) return {1, need};
    if (dims.size() == 2 && dims[1] == 1) return {need, 1};
    zqhost::raise("Attempt to grow array along ambiguous dimension.");
  }
  out.resize(std::max(out.size(), subs.size()), 1);
  for (size_t k = 0; k < subs.size(); ++k) {
    if (subs[k].colon) {
      // A ':' over an empty dimension takes its extent from the value.
      if (out[k] == 0 && k < subs.size()) {
        const std::vector<int> r = dimsOf(rhs);
        out[k] = k < r.size() ? r[k] : 1;
      }
      continue;
    }
    const std::vector<int> pos = positions(subs[k], INT_MAX);
    if (pos.empty()) continue;
    const int need = *std::max_element(pos.begin(), pos.end()) + 1;
    if (k == subs.size() - 1 && subs.size() < out.size()) {
      if (need > extentOf(out, k, subs.size())) zqhost::raise("Index exceeds matrix dimensions.");
    } else {
      out[k] = std::max(out[k], need);
    }
  }
  return out;
}

// x(i) = []: the elements left form a row (a column when x was one).
void deleteLinear(Value &base, const Subscript &sub) {
  const std::vector<int> dims = dimsOf(base);
  const int n = checkedCount(dims);
  const std::vector<int> pos = positions(sub, n);
  checkBounds(pos, n);
  std::vector<bool> gone(static_cast<size_t>(n), false);
  for (int p : pos) gone[static_cast<size_t>(p)] = true;
  std::vector<int> keep;
  for (int k = 0; k < n; ++k) {
    if (!gone[static_cast<size_t>(k)]) keep.push_back(k);
  }
  const int left = static_cast<int>(keep.size());
  const bool column = dims.size() == 2 && dims[1] == 1 && dims[0] != 1;
  base = gather(base, column ? std::vector<int>{left, 1} : std::vector<int>{1, left}, keep);
}

// x(i, :, ...) = []: every subscript but one must select everything;
// that one names the slices removed.
void deleteSlices(Value &base, const Subscripts &subs) {
  const std::vector<int> dims = dimsOf(base);
  std::vector<int> extents(subs.size());
  int along = -1;
  for (size_t k = 0; k < subs.size(); ++k) {
    extents[k] = extentOf(dims, k, subs.size());
    std::vector<int> pos = positions(subs[k], extents[k]);
    checkBounds(pos, extents[k]);
    std::sort(pos.begin(), pos.end());
    pos.erase(std::unique(pos.begin(), pos.end()), pos.end());
    if (static_cast<int>(pos.size()) == extents[k]) continue;
    if (along >= 0) zqhost::raise("A null assignment can have only one non-colon index.");
    along = static_cast<int>(k);
  }
  Subscripts keep(subs.size());
  for (Subscript &s : keep) s.colon = true;
  if (along < 0) {
    // Everything goes: the first dimension becomes 0.
    keep[0].colon = false;
    keep[0].value = makeDoubles({1, 0}, {});
  } else {
    const size_t a = static_cast<size_t>(along);
    const std::vector<int> pos = positions(subs[a], extents[a]);
    std::vector<double> kept;
    for (int k = 0; k < extents[a]; ++k) {
      if (std::find(pos.begin(), pos.end(), k) == pos.end()) kept.push_back(k + 1);
    }
    keep[a].colon = false;
    keep[a].value = makeDoubles({1, static_cast<int>(kept.size())}, kept);
  }
  const Selection sel = select(extents, keep, true);
  base = gather(base, sel.shape, sel.linear);
}

}  // namespace

bool isPlainEmpty(const Value &v) {
  if (v.isScalar()) return false;
  const qxArray *a = v.array();
  return qxGetClassID(a) == QX_CLASS_DOUBLE && qxGetNumberOfDimensions(a) == 2 && qxGetM(a) == 0 && qxGetN(a) == 0;
}

int endOf(const Value &base, int position, int count) {
  const std::vector<int> dims = dimsOf(base);
  if (count == 1) return numel(base);
  return extentOf(dims, static_cast<size_t>(position), static_cast<size_t>(count));
}

Value indexValue(const Value &base, const Subscripts &subs) {
  // The scalar fast path: x(1) of a scalar.
  if (base.isScalar() && subs.size() == 1 && !subs[0].colon && subs[0].value.isScalar() &&
      !subs[0].value.isLogicalScalar()) {
    if (subs[0].value.number() != 1) {
      positions(subs[0], 1);
      zqhost::raise("Index exceeds matrix dimensions.");
    }
    return base;
  }
  if (subs.empty()) return base;
  if (const int at = scalarPosition(base, subs); at >= 0) {
    const double d = qxGetPr(base.array())[at];
    return qxIsLogical(base.array()) ? Value::boolean(d != 0) : Value::number(d);
  }
  const Value full = fullOf(base);
  const std::vector<int> dims = dimsOf(full);
  const Selection sel = select(dims, subs, true);
  const std::vector<int> shape =
      subs.size() == 1 ? linearShape(dims, subs[0], static_cast<int>(sel.linear.size())) : sel.shape;
  return gather(full, shape, sel.linear);
}

Values cellContents(const Value &base, const Subscripts &subs) {
  if (classOf(base) != QX_CLASS_CELL) {
    zqhost::raise(std::string("Cell contents reference from a non-cell array object (") + className(base) + ").");
  }
  const Selection sel = select(dimsOf(base), subs, true);
  Values out;
  for (int k : sel.linear) {
    const qxArray *e = qxGetCell(base.array(), k);
    out.push_back(e == nullptr ? Value() : Value::adopt(qxDuplicateArray(e)));
  }
  return out;
}

Values fieldValues(const Value &base, const std::string &name) {
  const int c = classOf(base);
  if (c != QX_CLASS_STRUCT && c != QX_CLASS_OBJECT) {
    zqhost::raise("Attempt to reference field of non-structure array.");
  }
  const qxArray *a = base.array();
  const int f = qxGetFieldNumber(a, name.c_str());
  if (f < 0) zqhost::raise("Reference to non-existent field '" + name + "'.");
  Values out;
  for (int k = 0, n = qxGetNumberOfElements(a); k < n; ++k) {
    const qxArray *e = qxGetFieldByNumber(a, k, f);
    out.push_back(e == nullptr ? Value() : Value::adopt(qxDuplicateArray(e)));
  }
  return out;
}

void assignIndex(Value &base, bool defined, const Subscripts &subs, const Value &rhsIn) {
  if (subs.empty()) zqhost::raise("An indexed assignment needs at least one index.");
  if (defined && isPlainEmpty(rhsIn) && !isPlainEmpty(base)) {
    if (subs.size() == 1)
      deleteLinear(base, subs[0]);
    else
      deleteSlices(base, subs);
    return;
  }
  if (defined && rhsIn.isScalar() && rhsIn.isLogicalScalar() == (!base.isScalar() && qxIsLogical(base.array()))) {
    // x(i) = number within x: the element changes in place.
    if (const int at = scalarPosition(base, subs); at >= 0) {
      qxGetPr(base.mutableArray())[at] = rhsIn.number();
      base.refresh();
      return;
    }
  }
  Value rhs = fullOf(rhsIn);
  if (!defined || isPlainEmpty(base)) {
    // A new or empty variable takes the class of the value stored into it.
    base = Value::adopt(newLike(rhs.array(), {0, 0}, false));
  } else {
    base = fullOf(base);
  }
  if (classOf(base) == QX_CLASS_CELL && classOf(rhs) != QX_CLASS_CELL && !isPlainEmpty(rhs)) {
    zqhost::raise("Conversion to cell from " + std::string(className(rhs)) + " is not possible.");
  }
  unifyClasses(base, rhs);
  const std::vector<int> dims = grownDims(dimsOf(base), subs, rhs);
  grow(base, dims, qxIsComplex(rhs.array()) != 0);
  const Selection sel = select(dimsOf(base), subs, true);
  const int count = numel(rhs);
  if (count != 1 && count != static_cast<int>(sel.linear.size())) {
    zqhost::raise("Subscripted assignment dimension mismatch.");
  }
  qxArray *a = base.mutableArray();
  const qxArray *r = rhs.array();
  for (size_t k = 0; k < sel.linear.size(); ++k)
    copyElements(a, sel.linear[k], r, count == 1 ? 0 : static_cast<int>(k), 1);
  if (qxIsComplex(a) && qxGetClassID(a) != QX_CLASS_CELL) qxFreeImagIfZero(a);
  base.refresh();
}

void assignCell(Value &base, bool defined, const Subscripts &subs, const Value &rhs) {
  if (defined && !isPlainEmpty(base) && classOf(base) != QX_CLASS_CELL) {
    zqhost::raise("Cell contents assignment to a non-cell array object.");
  }
  Value wrapped = Value::adopt(qxCreateCellMatrix(1, 1));
  Value copy = rhs;
  qxSetCell(wrapped.array(), 0, copy.release());
  if (!defined || isPlainEmpty(base)) {
    base = Value::adopt(qxCreateCellMatrix(0, 0));
    defined = true;
  }
  assignIndex(base, defined, subs, wrapped);
}

void assignField(Value &base, bool defined, const std::string &name, const Value &rhs) {
  if (!defined || isPlainEmpty(base)) {
    const char *names[1] = {name.c_str()};
    base = Value::adopt(qxCreateStructMatrix(1, 1, 1, names));
  }
  const int c = classOf(base);
  if (c != QX_CLASS_STRUCT && c != QX_CLASS_OBJECT) {
    zqhost::raise("Field assignment to a non-structure array object.");
  }
  if (numel(base) != 1) zqhost::raise("A field of a structure array can only be assigned one element at a time.");
  qxArray *a = base.mutableArray();
  const int f = qxAddField(a, name.c_str());
  if (f < 0) zqhost::raise(zqhost::messageText(18));
  Value copy = rhs;
  qxSetFieldByNumber(a, 0, f, copy.release());
  base.refresh();
}

}  // namespace zq::shell
