// Host functions that make values: constants, filled arrays, cells,
// structures, reshapes, concatenation, sparse and complex values.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "shell/arrays.h"
#include "shell/host_functions.h"
#include "zqhost/host.h"

namespace zq::shell::host {
namespace {

struct ClassName {
  const char *name;
  int classId;
};

constexpr ClassName kClassNames[] = {
    {"double", QX_CLASS_DOUBLE}, {"single", QX_CLASS_SINGLE}, {"int8", QX_CLASS_INT8},
    {"uint8", QX_CLASS_UINT8},   {"int16", QX_CLASS_INT16},   {"uint16", QX_CLASS_UINT16},
    {"int32", QX_CLASS_INT32},   {"uint32", QX_CLASS_UINT32}, {"logical", -1},
};

// Size arguments: none (1x1), n (n x n), m, n, ... or one size vector. A
// trailing class name ('int8', 'like' is not supported) is taken off.
std::vector<int> sizeFromArgs(Values &args, int *classId) {
  if (classId != nullptr) *classId = QX_CLASS_DOUBLE;
  if (!args.empty() && classOf(args.back()) == QX_CLASS_CHAR) {
    const std::string name = textOf(args.back(), "The class name");
    bool known = false;
    for (const ClassName &c : kClassNames) {
      if (name == c.name && classId != nullptr) {
        *classId = c.classId;
        known = true;
      }
    }
    if (!known) zqhost::raise("Invalid class name '" + name + "'.");
    args.pop_back();
  }
  if (args.empty()) return {1, 1};
  if (args.size() == 1) {
    if (numel(args[0]) == 1) {
      const int n = sizeArgument(args[0], "The size");
      return {n, n};
    }
    std::vector<int> dims;
    for (double d : realParts(args[0])) dims.push_back(sizeArgument(Value::number(d), "The size"));
    if (dims.size() < 2) zqhost::raise("The size vector must have at least two elements.");
    return dims;
  }
  std::vector<int> dims;
  for (const Value &a : args) dims.push_back(sizeArgument(a, "The size"));
  return dims;
}

// An array of the size arguments filled with one value.
Values filled(Values &args, double value, bool allowClass) {
  int classId = QX_CLASS_DOUBLE;
  const std::vector<int> dims = sizeFromArgs(args, allowClass ? &classId : nullptr);
  const int n = checkedCount(dims);
  if (n == 1 && dims.size() == 2 && classId == QX_CLASS_DOUBLE) return {Value::number(value)};
  Value out = makeDoubles(dims, std::vector<double>(static_cast<size_t>(n), value));
  if (classId == -1) {
    qxSetLogical(out.mutableArray(), 1);
    out.refresh();
    return {out};
  }
  if (classId != QX_CLASS_DOUBLE) return {convertTo(out, classId)};
  return {out};
}

Values logicalFilled(Values &args, bool value) {
  const std::vector<int> dims = sizeFromArgs(args, nullptr);
  Value out = makeDoubles(dims, std::vector<double>(static_cast<size_t>(checkedCount(dims)), value ? 1.0 : 0.0));
  qxSetLogical(out.mutableArray(), 1);
  out.refresh();
  return {out};
}

}  // namespace

Values pi(Evaluator &, int, Values &args) { return filled(args, 3.14159265358979323846, true); }
Values eps(Evaluator &, int, Values &args) { return filled(args, std::numeric_limits<double>::epsilon(), true); }
Values inf(Evaluator &, int, Values &args) { return filled(args, std::numeric_limits<double>::infinity(), true); }
Values nan(Evaluator &, int, Values &args) { return filled(args, std::numeric_limits<double>::quiet_NaN(), true); }
Values zeros(Evaluator &, int, Values &args) { return filled(args, 0, true); }
Values ones(Evaluator &, int, Values &args) { return filled(args, 1, true); }
Values trueFn(Evaluator &, int, Values &args) { return logicalFilled(args, true); }
Values falseFn(Evaluator &, int, Values &args) { return logicalFilled(args, false); }

Values imagUnit(Evaluator &, int nargout, Values &args) {
  checkCount(args, 0, 0, nargout, 1);
  Value v = Value::adopt(qxCreateDoubleMatrix(1, 1, 1));
  qxGetPi(v.array())[0] = 1;
  v.refresh();
  return {v};
}

Values eye(Evaluator &, int, Values &args) {
  int classId = QX_CLASS_DOUBLE;
  const std::vector<int> dims = sizeFromArgs(args, &classId);
  if (dims.size() > 2) zqhost::raise("The identity matrix must be 2-D.");
  std::vector<double> values(static_cast<size_t>(checkedCount(dims)), 0.0);
  for (int k = 0; k < dims[0] && k < dims[1]; ++k) values[static_cast<size_t>(k) * dims[0] + k] = 1;
  Value out = makeDoubles(dims, values);
  return {classId == QX_CLASS_DOUBLE || classId == -1 ? out : convertTo(out, classId)};
}

Values cell(Evaluator &, int nargout, Values &args) {
  checkCount(args, 0, 64, nargout, 1);
  const std::vector<int> dims = sizeFromArgs(args, nullptr);
  checkedCount(dims);
  return {Value::adopt(qxCreateCellArray(static_cast<int>(dims.size()), dims.data()))};
}

// struct(), struct(name, value, ...): a cell value spreads over a structure
// array of its size; other values are copied into every element.
Values structFn(Evaluator &, int nargout, Values &args) {
  checkCount(args, 0, 1 << 20, nargout, 1);
  if (args.size() % 2 != 0) zqhost::raise("Field names and values must come in pairs.");
  std::vector<std::string> names;
  std::vector<int> dims{1, 1};
  for (size_t k = 0; k < args.size(); k += 2) {
    names.push_back(textOf(args[k], "A field name"));
    if (classOf(args[k + 1]) == QX_CLASS_CELL && numel(args[k + 1]) != 1) {
      const std::vector<int> d = dimsOf(args[k + 1]);
      if (checkedCount(dims) != 1 && d != dims) zqhost::raise("Cell values of a structure must have one size.");
      dims = d;
    }
  }
  std::vector<const char *> fieldNames;
  fieldNames.reserve(names.size());
  for (const std::string &n : names) fieldNames.push_back(n.c_str());
  Value out = Value::adopt(qxCreateStructArray(static_cast<int>(dims.size()), dims.data(), 0, nullptr));
  qxArray *s = out.array();
  const int n = checkedCount(dims);
  for (size_t k = 0; k < names.size(); ++k) {
    const int f = qxAddField(s, fieldNames[k]);
    const Value &v = args[2 * k + 1];
    const bool spread = classOf(v) == QX_CLASS_CELL;
    for (int e = 0; e < n; ++e) {
      const qxArray *item = spread ? qxGetCell(v.array(), numel(v) == 1 ? 0 : e) : v.array();
      qxSetFieldByNumber(s, e, f, item == nullptr ? nullptr : qxDuplicateArray(item));
    }
  }
  return {out};
}

// reshape(x, m, n, ...) or reshape(x, [m n ...]); one size may be [].
Values reshape(Evaluator &, int nargout, Values &args) {
  checkCount(args, 2, 64, nargout, 1);
  std::vector<int> dims;
  int unknown = -1;
  if (args.size() == 2) {
    for (double d : realParts(args[1])) dims.push_back(sizeArgument(Value::number(d), "The size"));
  } else {
    for (size_t k = 1; k < args.size(); ++k) {
      if (isEmpty(args[k])) {
        if (unknown >= 0) zqhost::raise("Only one size can be left unknown with [].");
        unknown = static_cast<int>(k) - 1;
        dims.push_back(1);
      } else {
        dims.push_back(sizeArgument(args[k], "The size"));
      }
    }
  }
  if (dims.size() < 2) zqhost::raise("The size vector must have at least two elements.");
  const int n = numel(args[0]);
  if (unknown >= 0) {
    const int known = checkedCount(dims);
    if (known == 0 || n % known != 0) zqhost::raise("The size is not divisible into the number of elements.");
    dims[static_cast<size_t>(unknown)] = n / known;
  }
  if (checkedCount(dims) != n) zqhost::raise("To reshape, the number of elements must not change.");
  std::vector<int> index(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) index[static_cast<size_t>(k)] = k;
  return {gather(args[0], dims, index)};
}

Values cat(Evaluator &, int nargout, Values &args) {
  checkCount(args, 1, 1 << 20, nargout, 1);
  const int dim = sizeArgument(args[0], "The dimension");
  if (dim < 1) zqhost::raise("The dimension must be a positive integer.");
  Values parts(args.begin() + 1, args.end());
  return {concatenate(parts, dim - 1)};
}

namespace {

// The entries of a sparse matrix before they are sorted: 1-based row and
// column, real and imaginary part (imaginary parts empty when real).
struct Triplets {
  std::vector<double> rows, cols, re, im;
  int m = 0, n = 0;
};

Triplets tripletsOfMatrix(const Value &a) {
  const std::vector<int> d = dimsOf(a);
  if (d.size() > 2) zqhost::raise("Sparse arrays must be 2-D.");
  Triplets t;
  t.m = d[0];
  t.n = d[1];
  t.re = realParts(a);
  t.im = imagParts(a);
  for (size_t k = 0; k < t.re.size(); ++k) {
    const size_t row = k % static_cast<size_t>(t.m), column = k / static_cast<size_t>(t.m);
    t.rows.push_back(static_cast<double>(row + 1));
    t.cols.push_back(static_cast<double>(column + 1));
  }
  return t;
}

// sparse(i, j, v) and sparse(i, j, v, m, n); a scalar v goes everywhere.
Triplets tripletsOfLists(const Values &args) {
  Triplets t;
  t.rows = realParts(args[0]);
  t.cols = realParts(args[1]);
  t.re = realParts(args[2]);
  t.im = imagParts(args[2]);
  if (t.re.size() == 1 && t.rows.size() > 1) {
    t.re.assign(t.rows.size(), t.re[0]);
    if (!t.im.empty()) t.im.assign(t.rows.size(), t.im[0]);
  }
  if (t.rows.size() != t.cols.size() || t.rows.size() != t.re.size())
    zqhost::raise("Vectors must be the same lengths.");
  for (size_t k = 0; k < t.rows.size(); ++k) {
    for (double index : {t.rows[k], t.cols[k]}) {
      if (!(index >= 1) || index != std::floor(index) || index > INT_MAX) {
        zqhost::raise("Sparse indices must be positive integers.");
      }
    }
    t.m = std::max(t.m, static_cast<int>(t.rows[k]));
    t.n = std::max(t.n, static_cast<int>(t.cols[k]));
  }
  if (args.size() == 5) {
    const int m = sizeArgument(args[3], "The size"), n = sizeArgument(args[4], "The size");
    if (m < t.m || n < t.n) zqhost::raise("Index exceeds matrix dimensions.");
    t.m = m;
    t.n = n;
  }
  return t;
}

// Sorts the entries by column and row, adds up those at one position and
// stores the non-zero sums.
Value buildSparse(const Triplets &t) {
  const long long m = t.m == 0 ? 1 : t.m;
  std::vector<std::pair<long long, size_t>> order;
  for (size_t k = 0; k < t.rows.size(); ++k) {
    order.emplace_back((static_cast<long long>(t.cols[k]) - 1) * m + static_cast<long long>(t.rows[k]) - 1, k);
  }
  std::sort(order.begin(), order.end());
  std::vector<long long> pos;
  std::vector<double> re, im;
  for (const auto &[p, k] : order) {
    if (pos.empty() || pos.back() != p) {
      pos.push_back(p);
      re.push_back(0);
      im.push_back(0);
    }
    re.back() += t.re[k];
    if (!t.im.empty()) im.back() += t.im[k];
  }
  const bool complex = !t.im.empty();
  int nz = 0;
  for (size_t k = 0; k < pos.size(); ++k) nz += re[k] != 0 || im[k] != 0;
  Value out = Value::adopt(qxCreateSparse(t.m, t.n, nz, complex));
  qxArray *s = out.array();
  int *jc = qxGetJc(s);
  int at = 0;
  for (size_t k = 0; k < pos.size(); ++k) {
    if (re[k] == 0 && im[k] == 0) continue;
    qxGetIr(s)[at] = static_cast<int>(pos[k] % m);
    qxGetPr(s)[at] = re[k];
    if (complex) qxGetPi(s)[at] = im[k];
    jc[pos[k] / m + 1] = ++at;
  }
  for (int j = 1; j <= t.n; ++j) jc[j] = std::max(jc[j], jc[j - 1]);
  return out;
}

}  // namespace

// sparse(A), sparse(m, n), sparse(i, j, v), sparse(i, j, v, m, n).
Values sparse(Evaluator &, int nargout, Values &args) {
  checkCount(args, 1, 5, nargout, 1);
  if (args.size() == 1 && classOf(args[0]) == QX_CLASS_SPARSE) return {args[0]};
  Triplets t;
  if (args.size() == 1) {
    t = tripletsOfMatrix(args[0]);
  } else if (args.size() == 2) {
    t.m = sizeArgument(args[0], "The size");
    t.n = sizeArgument(args[1], "The size");
  } else if (args.size() == 3 || args.size() == 5) {
    t = tripletsOfLists(args);
  } else {
    qxErrMsg(2);
  }
  Value out = buildSparse(t);
  if (args.size() == 1 && !args[0].isScalar() && qxIsLogical(args[0].array())) qxSetLogical(out.array(), 1);
  return {out};
}

Values full(Evaluator &, int nargout, Values &args) {
  checkCount(args, 1, 1, nargout, 1);
  if (classOf(args[0]) != QX_CLASS_SPARSE) return {args[0]};
  Value out = convertTo(args[0], QX_CLASS_DOUBLE);
  if (qxIsLogical(args[0].array())) {
    qxSetLogical(out.mutableArray(), 1);
    out.refresh();
  }
  return {out};
}

// complex(a) or complex(a, b): a complex value even when b is zero.
Values complex(Evaluator &, int nargout, Values &args) {
  checkCount(args, 1, 2, nargout, 1);
  const Value &re = args[0];
  const Value im = args.size() == 2 ? args[1] : Value::number(0);
  if (!isNumericOrChar(re) || !isNumericOrChar(im)) zqhost::raise("Inputs to complex must be numeric.");
  const std::vector<int> dims = numel(re) == 1 ? dimsOf(im) : dimsOf(re);
  if (numel(re) != 1 && numel(im) != 1 && dimsOf(re) != dimsOf(im)) zqhost::raise("Matrix dimensions must agree.");
  const std::vector<double> r = realParts(re), i = realParts(im);
  const int n = checkedCount(dims);
  const int cls = classOf(re) == QX_CLASS_CHAR ? QX_CLASS_DOUBLE : classOf(re);
  Value out = Value::adopt(qxCreateNumericArray(static_cast<int>(dims.size()), dims.data(), QX_CLASS_DOUBLE, 1));
  for (int k = 0; k < n; ++k) {
    qxGetPr(out.array())[k] = r[r.size() == 1 ? 0 : static_cast<size_t>(k)];
    qxGetPi(out.array())[k] = i[i.size() == 1 ? 0 : static_cast<size_t>(k)];
  }
  out.refresh();
  if (cls != QX_CLASS_DOUBLE) {
    Value converted = Value::adopt(qxCreateNumericArray(static_cast<int>(dims.size()), dims.data(), cls, 1));
    qxConvertBufferToType(qxGetData(converted.array()), cls, qxGetPr(out.array()), QX_CLASS_DOUBLE, n);
    qxConvertBufferToType(qxGetImagData(converted.array()), cls, qxGetPi(out.array()), QX_CLASS_DOUBLE, n);
    return {converted};
  }
  return {out};
}

Values logical(Evaluator &, int nargout, Values &args) {
  checkCount(args, 1, 1, nargout, 1);
  const std::vector<double> re = realParts(args[0]);
  std::vector<double> values;
  for (double d : re) {
    if (std::isnan(d)) zqhost::raise("NaN cannot be converted to a logical value.");
    values.push_back(d != 0);
  }
  Value out = makeDoubles(dimsOf(args[0]), values);
  qxSetLogical(out.mutableArray(), 1);
  out.refresh();
  return {out};
}

}  // namespace zq::shell::host
