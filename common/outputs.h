// Storing a handler's outputs: every result passes through one setter that
// refuses a null array (the host could not make it) with "Out of memory.".
#pragma once

#include <string_view>

#include "host/qx.h"

namespace zq::common {

// a itself; raises "Out of memory." when a is null.
qxArray *created(qxArray *a);

// The output slots of one call.
class Outputs {
 public:
  Outputs(int nlhs, qxArray *plhs[]) : nlhs_(nlhs), plhs_(plhs) {}

  // How many outputs the caller asked for (0 when the result goes to the
  // default answer; slot 0 exists even then).
  int requested() const { return nlhs_; }
  // Whether output i (0-based) was asked for; output 0 always counts.
  bool wants(int i) const { return i == 0 || i < nlhs_; }

  // Stores a in slot i; "Out of memory." when a is null.
  void set(int i, qxArray *a) { plhs_[i] = created(a); }

 private:
  int nlhs_;
  qxArray **plhs_;
};

// Results most handlers make.
qxArray *scalarResult(double value);
qxArray *logicalResult(bool value);
qxArray *stringResult(const char *text);
// An all-false logical array of the given dimensions, or of a's.
qxArray *falseArray(int ndims, const int *dims);
qxArray *falseArrayLike(const qxArray *a);
// A 0-by-0 char array.
qxArray *emptyString();

}  // namespace zq::common
