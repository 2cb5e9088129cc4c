// Storing a handler's outputs.
#include "common/outputs.h"

namespace zq::common {

qxArray *created(qxArray *a) {
  if (a == nullptr) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  return a;
}

qxArray *scalarResult(double value) { return created(qxCreateScalarDouble(value)); }

qxArray *logicalResult(bool value) { return created(qxCreateLogicalScalar(value ? 1 : 0)); }

qxArray *stringResult(const char *text) { return created(qxCreateString(text)); }

qxArray *falseArray(int ndims, const int *dims) {
  qxArray *result = created(qxCreateNumericArray(ndims, dims, QX_CLASS_DOUBLE, 0));
  qxSetLogical(result, 1);
  return result;
}

qxArray *falseArrayLike(const qxArray *a) { return falseArray(qxGetNumberOfDimensions(a), qxGetDimensions(a)); }

qxArray *emptyString() { return created(qxCreateNumericMatrix(0, 0, QX_CLASS_CHAR, 0)); }

}  // namespace zq::common
