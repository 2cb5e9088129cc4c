// Values: boxing of scalars, sharing of arrays, and the conversions that
// the evaluator and the host functions need.
#include "shell/value.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "zqhost/host.h"

namespace zq::shell {
namespace {

bool isRealDoubleScalar(const qxArray *a) {
  return qxGetClassID(a) == QX_CLASS_DOUBLE && !qxIsComplex(a) && qxGetNumberOfElements(a) == 1 &&
         qxGetNumberOfDimensions(a) == 2;
}

}  // namespace

qxArray *created(qxArray *a) {
  if (a == nullptr) zqhost::raise(zqhost::messageText(18));
  return a;
}

// The holder of a new array; the array is destroyed when there is no
// memory for the holder.
std::shared_ptr<Value::Holder> Value::hold(qxArray *a) {
  created(a);
  try {
    return std::make_shared<Holder>(a);
  } catch (...) {
    qxDestroyArray(a);
    throw;
  }
}

Value Value::adopt(qxArray *a) {
  Value v;
  v.array_ = hold(a);
  v.refresh();
  return v;
}

void Value::refresh() {
  if (!array_) return;
  const qxArray *a = array_->array;
  scalar_ = isRealDoubleScalar(a);
  if (scalar_) {
    number_ = qxGetPr(a)[0];
    logical_ = qxIsLogical(a) != 0;
  }
}

qxArray *Value::array() const {
  if (!array_) {
    qxArray *a = created(scalar_ ? qxCreateScalarDouble(number_) : qxCreateDoubleMatrix(0, 0, 0));
    if (scalar_ && logical_) qxSetLogical(a, 1);
    array_ = hold(a);
  }
  return array_->array;
}

qxArray *Value::mutableArray() {
  array();
  // A shared value is copied lazily: a shared copy first, whose data (for a
  // container, the element list) ownData below makes its own.
  if (array_.use_count() > 1) array_ = hold(qxCreateSharedDataCopy(array_->array));
  zqhost::ownData(array_->array);  // its data may be shared with another array
  scalar_ = false;
  return array_->array;
}

qxArray *Value::release() {
  array();
  qxArray *a = nullptr;
  if (array_.use_count() > 1) {
    // Shares the data (for a container, the elements) until one side
    // changes it: wrapping a value in a cell, {c}, costs no deep copy.
    a = created(qxCreateSharedDataCopy(array_->array));
  } else {
    // Sole owner: hand the array over without copying it.
    a = array_->array;
    array_->array = nullptr;
  }
  qxSetName(a, "");
  *this = Value();
  return a;
}

int classOf(const Value &v) { return v.isScalar() ? QX_CLASS_DOUBLE : qxGetClassID(v.array()); }

bool isIntegerClass(int classId) { return classId >= QX_CLASS_INT8 && classId <= QX_CLASS_UINT32; }

bool isNumericOrChar(const Value &v) {
  const int c = classOf(v);
  return c == QX_CLASS_DOUBLE || c == QX_CLASS_CHAR || c == QX_CLASS_SINGLE || isIntegerClass(c);
}

int numel(const Value &v) { return v.isScalar() ? 1 : qxGetNumberOfElements(v.array()); }
bool isEmpty(const Value &v) { return numel(v) == 0; }

std::vector<int> dimsOf(const Value &v) {
  if (v.isScalar()) return {1, 1};
  const qxArray *a = v.array();
  const int *d = qxGetDimensions(a);
  return std::vector<int>(d, d + qxGetNumberOfDimensions(a));
}

const char *className(const Value &v) {
  if (v.isScalar()) return v.isLogicalScalar() ? "logical" : "double";
  return qxGetClassName(v.array());
}

Value makeString(std::string_view text) {
  if (text.size() > INT_MAX) zqhost::raise(zqhost::messageText(18));
  const int n = static_cast<int>(text.size());
  const int dims[2] = {n == 0 ? 0 : 1, n};
  Value v = Value::adopt(qxCreateCharArray(2, dims));
  qxChar *codes = qxGetChars(v.array());
  for (int i = 0; i < n; ++i) codes[i] = static_cast<unsigned char>(text[static_cast<size_t>(i)]);
  return v;
}

Value makeMatrix(int m, int n) { return Value::adopt(qxCreateDoubleMatrix(m, n, 0)); }

Value makeDoubles(const std::vector<int> &dims, const std::vector<double> &values, const std::vector<double> &imag) {
  Value v = Value::adopt(
      qxCreateNumericArray(static_cast<int>(dims.size()), dims.data(), QX_CLASS_DOUBLE, imag.empty() ? 0 : 1));
  qxArray *a = v.array();
  std::copy(values.begin(), values.end(), qxGetPr(a));
  if (!imag.empty()) {
    std::copy(imag.begin(), imag.end(), qxGetPi(a));
    qxFreeImagIfZero(a);
  }
  v.refresh();
  return v;
}

std::string textOf(const Value &v, const char *what) {
  if (v.isScalar() || !qxIsChar(v.array())) zqhost::raise(std::string(what) + " must be a string.");
  const qxArray *a = v.array();
  const int n = qxGetNumberOfElements(a);
  const qxChar *codes = qxGetChars(a);
  std::string text(static_cast<size_t>(n), '\0');
  for (int i = 0; i < n; ++i) text[static_cast<size_t>(i)] = static_cast<char>(codes[i] & 0xff);
  return text;
}

std::vector<double> realParts(const Value &v) {
  if (v.isScalar()) return {v.number()};
  const qxArray *a = v.array();
  const int c = qxGetClassID(a);
  if (c == QX_CLASS_SPARSE) return realParts(Value::adopt(qxCreateConvertedCopy(a, QX_CLASS_DOUBLE)));
  if (!isNumericOrChar(v))
    zqhost::raise(std::string("Operation is not defined for values of class ") + className(v) + ".");
  std::vector<double> out(static_cast<size_t>(qxGetNumberOfElements(a)));
  qxConvertBufferToType(out.data(), QX_CLASS_DOUBLE, qxGetData(a), c, static_cast<int>(out.size()));
  return out;
}

std::vector<double> imagParts(const Value &v) {
  if (v.isScalar() || !qxIsComplex(v.array())) return {};
  const qxArray *a = v.array();
  if (qxGetClassID(a) == QX_CLASS_SPARSE) return imagParts(Value::adopt(qxCreateConvertedCopy(a, QX_CLASS_DOUBLE)));
  std::vector<double> out(static_cast<size_t>(qxGetNumberOfElements(a)));
  qxConvertBufferToType(out.data(), QX_CLASS_DOUBLE, qxGetImagData(a), qxGetClassID(a), static_cast<int>(out.size()));
  return out;
}

double scalarOf(const Value &v, const char *what) {
  if (v.isScalar()) return v.number();
  if (isEmpty(v) || !(isNumericOrChar(v) || classOf(v) == QX_CLASS_SPARSE)) {
    zqhost::raise(std::string(what) + " must be a numeric scalar.");
  }
  return qxGetScalar(v.array());
}

int sizeArgument(const Value &v, const char *what) {
  const double d = scalarOf(v, what);
  if (std::isnan(d)) zqhost::raise(std::string(what) + " must not be NaN.");
  if (d <= 0) return 0;
  if (d != std::floor(d)) zqhost::raise(std::string(what) + " must be an integer.");
  if (d > INT_MAX) zqhost::raise("Maximum variable size allowed is exceeded.");
  return static_cast<int>(d);
}

bool isTrue(const Value &v) {
  if (v.isScalar()) {
    if (std::isnan(v.number())) zqhost::raise("NaN cannot be converted to a logical value.");
    return v.number() != 0;
  }
  if (isEmpty(v)) return false;
  for (double d : realParts(v)) {
    if (std::isnan(d)) zqhost::raise("NaN cannot be converted to a logical value.");
    if (d == 0) return false;
  }
  return true;
}

Value convertTo(const Value &v, int classId) {
  if (classOf(v) == classId && !(v.isScalar() && v.isLogicalScalar())) return v;
  return Value::adopt(qxCreateConvertedCopy(v.array(), classId));
}

}  // namespace zq::shell
