// Operators. Two real double scalars take a direct path that allocates
// nothing (the common case inside loops). Everything else is computed in
// double precision (complex when an operand is) on operands expanded to a
// common size, then stored in the result class: an integer class when an
// operand has one (rounded and saturated), else single when an operand is
// single, else double; comparisons and logical operators give logicals.
#include "shell/operators.h"

#include <cmath>
#include <complex>
#include <string>

#include "shell/arrays.h"
#include "zqhost/host.h"

namespace zq::shell {
namespace {

using Complex = std::complex<double>;

enum class Kind { Arithmetic, Comparison, Logical };

Kind kindOf(Op op) {
  switch (op) {
    case Op::Lt:
    case Op::Le:
    case Op::Gt:
    case Op::Ge:
    case Op::Eq:
    case Op::Ne: return Kind::Comparison;
    case Op::And:
    case Op::Or: return Kind::Logical;
    default: return Kind::Arithmetic;
  }
}

// The arithmetic operators, for real and complex operands alike.
template <typename T>
T arithmetic(Op op, T x, T y) {
  switch (op) {
    case Op::Add: return x + y;
    case Op::Sub: return x - y;
    case Op::Mul:
    case Op::ElMul: return x * y;
    case Op::Div:
    case Op::ElDiv: return x / y;
    case Op::LeftDiv:
    case Op::ElLeftDiv: return y / x;
    default: return T(0);
  }
}

bool isPower(Op op) { return op == Op::Pow || op == Op::ElPow; }

double realOp(Op op, double x, double y) {
  switch (op) {
    case Op::Pow:
    case Op::ElPow: return std::pow(x, y);
    case Op::Lt: return x < y;
    case Op::Le: return x <= y;
    case Op::Gt: return x > y;
    case Op::Ge: return x >= y;
    case Op::Eq: return x == y;
    case Op::Ne: return x != y;
    case Op::And: return x != 0 && y != 0;
    case Op::Or: return x != 0 || y != 0;
    default: return arithmetic(op, x, y);
  }
}

// Complex operands: powers by an integer stay exact, comparisons other
// than == and ~= look at the real parts.
Complex complexOp(Op op, Complex x, Complex y) {
  if (isPower(op)) {
    if (y.imag() == 0 && y.real() == std::round(y.real()) && std::fabs(y.real()) <= 64) {
      return std::pow(x, static_cast<int>(y.real()));
    }
    return std::pow(x, y);
  }
  if (op == Op::Eq) return x == y ? 1 : 0;
  if (op == Op::Ne) return x != y ? 1 : 0;
  if (kindOf(op) != Kind::Arithmetic) return realOp(op, x.real(), y.real());
  return arithmetic(op, x, y);
}

// A real power with a negative base and a fractional exponent is complex.
bool needsComplexPower(Op op, double x, double y) {
  return isPower(op) && x < 0 && y != std::floor(y) && std::isfinite(y);
}

// An operand in working form.
struct Operand {
  std::vector<int> dims;
  std::vector<double> re, im;
  int cls;
};

Operand load(const Value &v) {
  Operand o;
  o.dims = dimsOf(v);
  o.re = realParts(v);
  o.im = imagParts(v);
  o.cls = classOf(v);
  return o;
}

int resultClass(int a, int b) {
  const bool ia = isIntegerClass(a), ib = isIntegerClass(b);
  if (ia && ib && a != b) {
    zqhost::raise("Integers can only be combined with integers of the same class, or scalar doubles.");
  }
  if (ia) return a;
  if (ib) return b;
  if (a == QX_CLASS_SINGLE || b == QX_CLASS_SINGLE) return QX_CLASS_SINGLE;
  return QX_CLASS_DOUBLE;
}

// Stores working results as an array of the class.
Value store(const std::vector<int> &dims, const std::vector<double> &re, const std::vector<double> &im, int cls,
            bool logical) {
  Value out = makeDoubles(dims, re, im);
  if (logical) {
    qxSetLogical(out.array(), 1);
    out.refresh();
  }
  if (cls != QX_CLASS_DOUBLE) return convertTo(out, cls);
  return out;
}

// The size of the result of an element-wise operation: equal sizes, or a
// size of 1 that expands.
std::vector<int> expandedDims(std::vector<int> a, std::vector<int> b) {
  const size_t n = std::max(a.size(), b.size());
  a.resize(n, 1);
  b.resize(n, 1);
  std::vector<int> out(n);
  for (size_t k = 0; k < n; ++k) {
    if (a[k] == b[k] || b[k] == 1)
      out[k] = a[k];
    else if (a[k] == 1)
      out[k] = b[k];
    else
      zqhost::raise("Matrix dimensions must agree.");
  }
  return out;
}

// For each result element, the index of the operand element it uses.
std::vector<int> sourceIndices(const std::vector<int> &dims, std::vector<int> operandDims) {
  operandDims.resize(dims.size(), 1);
  const int n = checkedCount(dims);
  std::vector<int> index(static_cast<size_t>(n));
  std::vector<int> sub(dims.size(), 0);
  for (int k = 0; k < n; ++k) {
    int linear = 0, stride = 1;
    for (size_t d = 0; d < dims.size(); ++d) {
      if (operandDims[d] != 1) linear += sub[d] * stride;
      stride *= operandDims[d];
    }
    index[static_cast<size_t>(k)] = linear;
    for (size_t d = 0; d < dims.size() && ++sub[d] == dims[d]; ++d) sub[d] = 0;
  }
  return index;
}

Value elementwise(Op op, const Value &av, const Value &bv) {
  const Operand a = load(av), b = load(bv);
  const Kind kind = kindOf(op);
  const int cls = kind == Kind::Arithmetic ? resultClass(a.cls, b.cls) : QX_CLASS_DOUBLE;
  const std::vector<int> dims = expandedDims(a.dims, b.dims);
  const std::vector<int> ia = sourceIndices(dims, a.dims), ib = sourceIndices(dims, b.dims);
  const size_t n = ia.size();
  std::vector<double> re(n), im;
  bool complex = !a.im.empty() || !b.im.empty();
  if (!complex && kind == Kind::Arithmetic) {
    for (size_t k = 0; k < n && !complex; ++k) complex = needsComplexPower(op, a.re[ia[k]], b.re[ib[k]]);
  }
  if (complex && kind != Kind::Logical) {
    if (kind == Kind::Arithmetic) im.resize(n);
    for (size_t k = 0; k < n; ++k) {
      const Complex x(a.re[ia[k]], a.im.empty() ? 0 : a.im[ia[k]]);
      const Complex y(b.re[ib[k]], b.im.empty() ? 0 : b.im[ib[k]]);
      const Complex r = complexOp(op, x, y);
      re[k] = r.real();
      if (kind == Kind::Arithmetic) im[k] = r.imag();
    }
  } else {
    for (size_t k = 0; k < n; ++k) re[k] = realOp(op, a.re[ia[k]], b.re[ib[k]]);
  }
  return store(dims, re, im, cls, kind != Kind::Arithmetic);
}

bool isScalarValue(const Value &v) { return v.isScalar() || numel(v) == 1; }

void requireMatrix(const std::vector<int> &d) {
  if (d.size() > 2) zqhost::raise("Matrix operations need 2-D operands.");
}

// The matrix product of two 2-D operands.
Value matrixProduct(const Value &av, const Value &bv) {
  const Operand a = load(av), b = load(bv);
  requireMatrix(a.dims);
  requireMatrix(b.dims);
  const int m = a.dims[0], inner = a.dims[1], n = b.dims[1];
  if (inner != b.dims[0]) zqhost::raise("Inner matrix dimensions must agree.");
  const int cls = resultClass(a.cls, b.cls);
  const bool complex = !a.im.empty() || !b.im.empty();
  const std::vector<int> dims{m, n};
  std::vector<double> re(static_cast<size_t>(checkedCount(dims))), im(complex ? re.size() : 0);
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < m; ++i) {
      Complex sum = 0;
      for (int k = 0; k < inner; ++k) {
        const size_t ak = static_cast<size_t>(k) * m + i, bk = static_cast<size_t>(j) * inner + k;
        sum += Complex(a.re[ak], a.im.empty() ? 0 : a.im[ak]) * Complex(b.re[bk], b.im.empty() ? 0 : b.im[bk]);
      }
      re[static_cast<size_t>(j) * m + i] = sum.real();
      if (complex) im[static_cast<size_t>(j) * m + i] = sum.imag();
    }
  }
  return store(dims, re, im, cls, false);
}

// Solves A X = B for a square real A by Gaussian elimination with partial
// pivoting; warns when A is singular to working precision.
Value solve(const Value &av, const Value &bv) {
  Operand a = load(av), b = load(bv);
  requireMatrix(a.dims);
  requireMatrix(b.dims);
  const int n = a.dims[0];
  if (a.dims[1] != n) zqhost::raise("Only square systems can be solved.");
  if (b.dims[0] != n) zqhost::raise("Matrix dimensions must agree.");
  if (!a.im.empty() || !b.im.empty()) zqhost::raise("Complex systems cannot be solved.");
  const int cols = b.dims[1];
  auto A = [&](int i, int j) -> double & { return a.re[static_cast<size_t>(j) * n + i]; };
  auto B = [&](int i, int j) -> double & { return b.re[static_cast<size_t>(j) * n + i]; };
  bool singular = false;
  for (int k = 0; k < n; ++k) {
    int p = k;
    for (int i = k + 1; i < n; ++i) {
      if (std::fabs(A(i, k)) > std::fabs(A(p, k))) p = i;
    }
    if (A(p, k) == 0) {
      singular = true;
      continue;
    }
    for (int j = 0; j < n; ++j) std::swap(A(k, j), A(p, j));
    for (int j = 0; j < cols; ++j) std::swap(B(k, j), B(p, j));
    for (int i = k + 1; i < n; ++i) {
      const double f = A(i, k) / A(k, k);
      for (int j = k; j < n; ++j) A(i, j) -= f * A(k, j);
      for (int j = 0; j < cols; ++j) B(i, j) -= f * B(k, j);
    }
  }
  if (singular) qxWarningMsgTxt("Matrix is singular to working precision.");
  for (int j = 0; j < cols; ++j) {
    for (int i = n - 1; i >= 0; --i) {
      double s = B(i, j);
      for (int k = i + 1; k < n; ++k) s -= A(i, k) * B(k, j);
      B(i, j) = s / A(i, i);
    }
  }
  return store(b.dims, b.re, {}, resultClass(a.cls, b.cls), false);
}

// A square matrix to a non-negative integer power, by repeated squaring.
Value matrixPower(const Value &a, const Value &b) {
  const std::vector<int> d = dimsOf(a);
  requireMatrix(d);
  if (d[0] != d[1]) zqhost::raise("Inputs must be a scalar and a square matrix.");
  const double p = scalarOf(b, "Exponent");
  if (p < 0 || p != std::floor(p) || p > 1e9)
    zqhost::raise("Only non-negative integer powers of a matrix are supported.");
  std::vector<double> identity(static_cast<size_t>(d[0]) * d[0], 0.0);
  for (int i = 0; i < d[0]; ++i) identity[static_cast<size_t>(i) * d[0] + i] = 1;
  Value result = makeDoubles(d, identity), base = a;
  for (long long e = static_cast<long long>(p); e > 0; e >>= 1) {
    if (e & 1) result = matrixProduct(result, base);
    if (e > 1) base = matrixProduct(base, base);
  }
  return result;
}

}  // namespace

Value binaryMap(const Value &av, const Value &bv, double (*fn)(double, double)) {
  const Operand a = load(av), b = load(bv);
  if (!a.im.empty() || !b.im.empty()) zqhost::raise("This function is not defined for complex values.");
  const int cls = resultClass(a.cls, b.cls);
  const std::vector<int> dims = expandedDims(a.dims, b.dims);
  const std::vector<int> ia = sourceIndices(dims, a.dims), ib = sourceIndices(dims, b.dims);
  std::vector<double> re(ia.size());
  for (size_t k = 0; k < ia.size(); ++k) re[k] = fn(a.re[ia[k]], b.re[ib[k]]);
  return store(dims, re, {}, cls, false);
}

Value unaryMap(const Value &v, double (*fn)(double), bool magnitude) {
  if (v.isScalar() && !magnitude) return Value::number(fn(v.number()));
  Operand a = load(v);
  if (magnitude && !a.im.empty()) {
    for (size_t k = 0; k < a.re.size(); ++k) a.re[k] = std::hypot(a.re[k], a.im[k]);
    a.im.clear();
  }
  for (double &d : a.re) d = fn(d);
  for (double &d : a.im) d = fn(d);
  const int cls = a.cls == QX_CLASS_CHAR ? QX_CLASS_DOUBLE : a.cls;
  return store(a.dims, a.re, a.im, cls, false);
}

Value transpose(const Value &a, bool conjugate) {
  if (a.isScalar()) return a;
  const std::vector<int> d = dimsOf(a);
  if (d.size() > 2) zqhost::raise("Transpose on N-D arrays is not defined.");
  std::vector<int> index(static_cast<size_t>(d[0]) * d[1]);
  for (int i = 0; i < d[0]; ++i) {
    for (int j = 0; j < d[1]; ++j) index[static_cast<size_t>(i) * d[1] + j] = j * d[0] + i;
  }
  Value t = gather(a, {d[1], d[0]}, index);
  if (conjugate && !t.isScalar() && qxIsComplex(t.array())) {
    // Conjugate in place: negate the imaginary parts.
    qxArray *m = t.mutableArray();
    const int n = qxGetNumberOfElements(m);
    if (qxGetClassID(m) == QX_CLASS_SINGLE) {
      auto *pi = static_cast<float *>(qxGetImagData(m));
      for (int k = 0; k < n; ++k) pi[k] = -pi[k];
    } else {
      double *pi = qxGetPi(m);
      for (int k = 0; k < n; ++k) pi[k] = -pi[k];
    }
    t.refresh();
  }
  return t;
}

Value unaryOp(Op op, const Value &a) {
  if (a.isScalar()) {
    switch (op) {
      case Op::Neg: return Value::number(-a.number());
      case Op::Plus: return Value::number(a.number());
      case Op::Not: return Value::boolean(a.number() == 0);
      default: return a;
    }
  }
  switch (op) {
    case Op::Transpose: return transpose(a, false);
    case Op::CTranspose: return transpose(a, true);
    case Op::Not: return elementwise(Op::Eq, a, Value::number(0));
    case Op::Neg: return elementwise(Op::Sub, Value::number(0), a);
    default: return elementwise(Op::Add, Value::number(0), a);
  }
}

Value binaryOp(Op op, const Value &a, const Value &b) {
  if (a.isScalar() && b.isScalar() && !needsComplexPower(op, a.number(), b.number())) {
    const double r = realOp(op, a.number(), b.number());
    return kindOf(op) == Kind::Arithmetic ? Value::number(r) : Value::boolean(r != 0);
  }
  const bool scalarA = isScalarValue(a), scalarB = isScalarValue(b);
  switch (op) {
    case Op::Mul:
      if (!scalarA && !scalarB) return matrixProduct(a, b);
      break;
    case Op::Div:
      if (!scalarB) return transpose(solve(transpose(b, false), transpose(a, false)), false);
      break;
    case Op::LeftDiv:
      if (!scalarA) return solve(a, b);
      break;
    case Op::Pow:
      if (!scalarB) zqhost::raise("The exponent of ^ must be a scalar; use .^ for element-wise powers.");
      if (!scalarA) return matrixPower(a, b);
      break;
    default: break;
  }
  return elementwise(op, a, b);
}

}  // namespace zq::shell
