// Host functions of element-wise math, reductions and comparison.
#include <cmath>
#include <string>

#include "shell/arrays.h"
#include "shell/host_functions.h"
#include "shell/operators.h"
#include "zqhost/host.h"

namespace zq::shell::host {
namespace {

Values mapped(const Values &args, int nargout, double (*fn)(double), bool magnitude = false) {
  checkCount(args, 1, 1, nargout, 1);
  if (!isNumericOrChar(args[0]) && classOf(args[0]) != QX_CLASS_SPARSE) {
    zqhost::raise(std::string("Undefined function for input arguments of type '") + className(args[0]) + "'.");
  }
  return {unaryMap(args[0], fn, magnitude)};
}

// A double result of one part, stored in the class of the operand.
Value part(const Value &v, std::vector<double> values) {
  if (values.empty()) values.assign(static_cast<size_t>(numel(v)), 0.0);
  Value out = makeDoubles(dimsOf(v), values);
  const int cls = classOf(v);
  if (cls == QX_CLASS_SINGLE || isIntegerClass(cls)) return convertTo(out, cls);
  return out;
}

double modulo(double x, double y) {
  if (y == 0) return x;
  const double r = std::fmod(x, y);
  return r != 0 && ((r < 0) != (y < 0)) ? r + y : r;
}

// The dimension a reduction works along: the one given, else the first
// that is not 1.
int reductionDim(const Values &args, const std::vector<int> &dims) {
  if (args.size() > 1) {
    const int d = sizeArgument(args[1], "The dimension");
    if (d < 1) zqhost::raise("The dimension must be a positive integer.");
    return d - 1;
  }
  for (size_t k = 0; k < dims.size(); ++k) {
    if (dims[k] != 1) return static_cast<int>(k);
  }
  return 0;
}

enum class Reduce { Sum, Any, All };

// sum, any and all along one dimension.
Value reduce(const Values &args, int nargout, Reduce how) {
  checkCount(args, 1, 2, nargout, 1);
  const Value &v = args[0];
  std::vector<int> dims = dimsOf(v);
  // sum([]) is 0 and any([]) false, all([]) true: a 0x0 reduces to 1x1.
  if (dims.size() == 2 && dims[0] == 0 && dims[1] == 0 && args.size() == 1) dims = {0, 1};
  const int d = reductionDim(args, dims);
  if (static_cast<size_t>(d) >= dims.size()) dims.resize(static_cast<size_t>(d) + 1, 1);
  const std::vector<double> re = realParts(v), im = imagParts(v);
  std::vector<int> out = dims;
  out[static_cast<size_t>(d)] = 1;
  int inner = 1;
  for (int k = 0; k < d; ++k) inner *= dims[static_cast<size_t>(k)];
  const int extent = dims[static_cast<size_t>(d)];
  const int outer = checkedCount(out) / (inner == 0 ? 1 : inner);
  std::vector<double> rs(static_cast<size_t>(checkedCount(out))), is(im.empty() ? 0 : rs.size());
  for (int o = 0; o < outer; ++o) {
    for (int i = 0; i < inner; ++i) {
      double r = how == Reduce::All ? 1 : 0, c = 0;
      for (int k = 0; k < extent; ++k) {
        const size_t at = (static_cast<size_t>(o) * extent + k) * inner + i;
        const bool nonzero = re[at] != 0 || (!im.empty() && im[at] != 0);
        if (how == Reduce::Sum) {
          r += re[at];
          if (!im.empty()) c += im[at];
        } else if (how == Reduce::Any && nonzero && !std::isnan(re[at])) {
          r = 1;
        } else if (how == Reduce::All && !nonzero) {
          r = 0;
        }
      }
      const size_t to = static_cast<size_t>(o) * inner + i;
      rs[to] = r;
      if (!is.empty()) is[to] = c;
    }
  }
  if (how != Reduce::Sum) {
    Value result = makeDoubles(out, rs);
    qxSetLogical(result.mutableArray(), 1);
    result.refresh();
    return result;
  }
  Value result = makeDoubles(out, rs, is);
  const int cls = classOf(v);
  return cls == QX_CLASS_SINGLE || isIntegerClass(cls) ? convertTo(result, cls) : result;
}

// Equal sizes and equal elements, whatever the numeric classes; cells and
// structures element by element, structures field by field.
bool equalValues(const Value &a, const Value &b) {
  if (dimsOf(a) != dimsOf(b)) return false;
  const int ca = classOf(a), cb = classOf(b);
  const bool containerA = ca == QX_CLASS_CELL || ca == QX_CLASS_STRUCT || ca == QX_CLASS_OBJECT;
  const bool containerB = cb == QX_CLASS_CELL || cb == QX_CLASS_STRUCT || cb == QX_CLASS_OBJECT;
  if (containerA || containerB) {
    if (ca != cb) return false;
    const qxArray *x = a.array(), *y = b.array();
    auto same = [](const qxArray *p, const qxArray *q) {
      const Value vp = p == nullptr ? Value() : Value::adopt(qxDuplicateArray(p));
      const Value vq = q == nullptr ? Value() : Value::adopt(qxDuplicateArray(q));
      return equalValues(vp, vq);
    };
    const int n = qxGetNumberOfElements(x);
    if (ca == QX_CLASS_CELL) {
      for (int k = 0; k < n; ++k) {
        if (!same(qxGetCell(x, k), qxGetCell(y, k))) return false;
      }
      return true;
    }
    if (qxGetNumberOfFields(x) != qxGetNumberOfFields(y)) return false;
    for (int f = 0; f < qxGetNumberOfFields(x); ++f) {
      const int g = qxGetFieldNumber(y, qxGetFieldNameByNumber(x, f));
      if (g < 0) return false;
      for (int k = 0; k < n; ++k) {
        if (!same(qxGetFieldByNumber(x, k, f), qxGetFieldByNumber(y, k, g))) return false;
      }
    }
    return true;
  }
  if (ca == QX_CLASS_FUNCTION || cb == QX_CLASS_FUNCTION) {
    return ca == cb && std::string(qxFunctionHandleToString(qxGetData(a.array()))) ==
                           qxFunctionHandleToString(qxGetData(b.array()));
  }
  const std::vector<double> ra = realParts(a), rb = realParts(b);
  std::vector<double> ia = imagParts(a), ib = imagParts(b);
  ia.resize(ra.size(), 0.0);
  ib.resize(rb.size(), 0.0);
  return ra == rb && ia == ib;
}

}  // namespace

Values real(Evaluator &, int nargout, Values &args) {
  checkCount(args, 1, 1, nargout, 1);
  return {part(args[0], realParts(args[0]))};
}

Values imag(Evaluator &, int nargout, Values &args) {
  checkCount(args, 1, 1, nargout, 1);
  return {part(args[0], imagParts(args[0]))};
}

Values abs(Evaluator &, int nargout, Values &args) {
  return mapped(
      args, nargout, [](double x) { return std::fabs(x); }, true);
}
Values floor(Evaluator &, int nargout, Values &args) {
  return mapped(args, nargout, [](double x) { return std::floor(x); });
}
Values ceil(Evaluator &, int nargout, Values &args) {
  return mapped(args, nargout, [](double x) { return std::ceil(x); });
}
Values round(Evaluator &, int nargout, Values &args) {
  return mapped(args, nargout, [](double x) { return std::round(x); });
}
Values fix(Evaluator &, int nargout, Values &args) {
  return mapped(args, nargout, [](double x) { return std::trunc(x); });
}

Values mod(Evaluator &, int nargout, Values &args) {
  checkCount(args, 2, 2, nargout, 1);
  return {binaryMap(args[0], args[1], modulo)};
}

Values sum(Evaluator &, int nargout, Values &args) { return {reduce(args, nargout, Reduce::Sum)}; }
Values any(Evaluator &, int nargout, Values &args) { return {reduce(args, nargout, Reduce::Any)}; }
Values all(Evaluator &, int nargout, Values &args) { return {reduce(args, nargout, Reduce::All)}; }

Values isequal(Evaluator &, int nargout, Values &args) {
  checkCount(args, 2, 1 << 20, nargout, 1);
  for (size_t k = 1; k < args.size(); ++k) {
    if (!equalValues(args[0], args[k])) return {Value::boolean(false)};
  }
  return {Value::boolean(true)};
}

}  // namespace zq::shell::host
