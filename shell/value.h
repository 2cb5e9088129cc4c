// Values of the evaluator. A real double scalar (the loop counter, the
// result of k * 2) lives unboxed, so that scalar statements allocate
// nothing; every other value is a host array, shared between variables
// until one of them changes it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/qx.h"

namespace zq::shell {

struct ArrayDeleter {
  void operator()(qxArray *a) const { qxDestroyArray(a); }
};
using ArrayPtr = std::unique_ptr<qxArray, ArrayDeleter>;

class Value {
 public:
  Value() = default;  // the empty matrix []
  static Value number(double v) {
    Value r;
    r.scalar_ = true;
    r.number_ = v;
    return r;
  }
  static Value boolean(bool b) {
    Value r = number(b ? 1.0 : 0.0);
    r.logical_ = true;
    return r;
  }
  // Takes ownership of a (raises "Out of memory." when a is null).
  static Value adopt(qxArray *a);

  // A real double (or logical) 1x1: its value is number().
  bool isScalar() const { return scalar_; }
  // Whether the host array has been made (array() makes it on first need).
  bool hasArray() const { return array_ != nullptr; }
  bool isLogicalScalar() const { return scalar_ && logical_; }
  double number() const { return number_; }

  // The host array of the value, made on first need and kept.
  qxArray *array() const;
  // The array for a change in place: copied first when it is shared.
  // Call refresh() after the change.
  qxArray *mutableArray();
  void refresh();
  // An array owned by the caller (a copy when the value is shared).
  qxArray *release();

 private:
  bool scalar_ = false;
  bool logical_ = false;
  double number_ = 0;
  // Owns the array; release() can take it back when no one else holds it.
  struct Holder {
    qxArray *array;
    explicit Holder(qxArray *a) : array(a) {}
    ~Holder() { qxDestroyArray(array); }
    Holder(const Holder &) = delete;
    Holder &operator=(const Holder &) = delete;
  };
  mutable std::shared_ptr<Holder> array_;
  static std::shared_ptr<Holder> hold(qxArray *a);
};

using Values = std::vector<Value>;

// a itself; raises "Out of memory." when a creation call gave null.
qxArray *created(qxArray *a);

// ---- Queries shared by the evaluator and the host functions ---------------
int classOf(const Value &v);  // public class identifier
bool isIntegerClass(int classId);
bool isNumericOrChar(const Value &v);  // numeric, char or logical, not sparse
int numel(const Value &v);
bool isEmpty(const Value &v);
std::vector<int> dimsOf(const Value &v);
const char *className(const Value &v);

// ---- Construction ------------------------------------------------------
Value makeString(std::string_view text);
Value makeMatrix(int m, int n);  // zeroed double
// A double array of the dimensions, filled from values (and imaginary
// parts when imag is not empty; all-zero imaginary parts are dropped).
Value makeDoubles(const std::vector<int> &dims, const std::vector<double> &values,
                  const std::vector<double> &imag = {});

// ---- Conversion ---------------------------------------------------------
// Text of a char row (or any char array, column by column); raises
// "what must be a string." for other values.
std::string textOf(const Value &v, const char *what);
// The first element as a double; raises when v is empty or not numeric.
double scalarOf(const Value &v, const char *what);
// A non-negative integer argument (a size or a count); raises otherwise.
int sizeArgument(const Value &v, const char *what);
// Real parts of the elements as doubles (char codes, logicals as 0/1).
std::vector<double> realParts(const Value &v);
std::vector<double> imagParts(const Value &v);  // empty when real
// The truth of a condition: non-empty and every real part non-zero.
bool isTrue(const Value &v);
// A copy of v converted to a class (numeric and char only).
Value convertTo(const Value &v, int classId);

}  // namespace zq::shell
