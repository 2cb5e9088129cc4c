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
int extentOf(const std::vector<int> &dims, size_t k, size_t count) {
  if (k < count - 1) return k < dims.size() ? dims[k] : 1;
  long long n = 1;
  for (size_t d = k; d < dims.size(); ++d) n *= dims[d];
  return static_cast<int>(std::min<long long>(n, INT_MAX));
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
  const std::vector<int> index = dimsOf(s.value);
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

// The class that base takes when rhs is stored into it.
int assignedClass(int base, int rhs) {
  if (base == rhs) return base;
  if (isIntegerClass(base)) return base;
  if (isIntegerClass(rhs)) return rhs;
  if (base == QX_CLASS_SINGLE || rhs == QX_CLASS_SINGLE) return QX_CLASS_SINGLE;
  if (base == QX_CLASS_DOUBLE || rhs == QX_CLASS_DOUBLE) return QX_CLASS_DOUBLE;
  return base;
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

// A copy of base enlarged to dims (new elements zero or empty).
void grow(Value &base, const std::vector<int> &dims, bool complex) {
  const std::vector<int> old = dimsOf(base);
  if (old == dims && (!complex || qxIsComplex(base.array()))) return;
  const qxArray *src = base.array();
  Value out = Value::adopt(newLike(src, dims, complex || qxIsComplex(src)));
  // Copy the old elements column by column into their new places.
  std::vector<int> o = old;
  o.resize(dims.size(), 1);
  const int n = qxGetNumberOfElements(src);
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
      return r.size() == 2 && r[1] == 1 && r[0] > 1 && !subs[0].colon ? std::vector<int>{need, 1} : std::vector<int>{1, need};
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

// base(subs) = [] removes the selected elements.
void deleteElements(Value &base, const Subscripts &subs) {
  const std::vector<int> dims = dimsOf(base);
  if (subs.size() == 1) {
    const std::vector<int> pos = positions(subs[0], checkedCount(dims));
    checkBounds(pos, checkedCount(dims));
    std::vector<bool> gone(static_cast<size_t>(checkedCount(dims)), false);
    for (int p : pos) gone[static_cast<size_t>(p)] = true;
    std::vector<int> keep;
    for (size_t k = 0; k < gone.size(); ++k) {
      if (!gone[k]) keep.push_back(static_cast<int>(k));
    }
    const bool column = dims.size() == 2 && dims[1] == 1 && dims[0] != 1;
    const int n = static_cast<int>(keep.size());
    base = gather(base, column ? std::vector<int>{n, 1} : std::vector<int>{1, n}, keep);
    return;
  }
  // All subscripts but one must select everything.
  int along = -1;
  for (size_t k = 0; k < subs.size(); ++k) {
    const int extent = extentOf(dims, k, subs.size());
    const std::vector<int> pos = positions(subs[k], extent);
    checkBounds(pos, extent);
    std::vector<int> sorted = pos;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    if (static_cast<int>(sorted.size()) == extent) continue;
    if (along >= 0) zqhost::raise("A null assignment can have only one non-colon index.");
    along = static_cast<int>(k);
  }
  if (along < 0) {
    std::vector<int> empty = dims;
    empty[0] = 0;
    base = gather(base, empty, {});
    return;
  }
  Subscripts keep(subs.size());
  for (size_t k = 0; k < subs.size(); ++k) keep[k].colon = true;
  const int extent = extentOf(dims, static_cast<size_t>(along), subs.size());
  const std::vector<int> pos = positions(subs[static_cast<size_t>(along)], extent);
  std::vector<double> kept;
  for (int k = 0; k < extent; ++k) {
    if (std::find(pos.begin(), pos.end(), k) == pos.end()) kept.push_back(k + 1);
  }
  keep[static_cast<size_t>(along)].colon = false;
  keep[static_cast<size_t>(along)].value = makeDoubles({1, static_cast<int>(kept.size())}, kept);
  std::vector<int> collapsed(subs.size());
  for (size_t k = 0; k < subs.size(); ++k) collapsed[k] = extentOf(dims, k, subs.size());
  const Selection sel = select(collapsed, keep, true);
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
  const Value full = fullOf(base);
  const std::vector<int> dims = dimsOf(full);
  const Selection sel = select(dims, subs, true);
  const std::vector<int> shape = subs.size() == 1 ? linearShape(dims, subs[0], static_cast<int>(sel.linear.size()))
                                                  : sel.shape;
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
    deleteElements(base, subs);
    return;
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
  for (size_t k = 0; k < sel.linear.size(); ++k) copyElements(a, sel.linear[k], r, count == 1 ? 0 : static_cast<int>(k), 1);
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
