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

qxArray *emptyString() { return created(qxCreateNumericMatrix(0, 0, QX_CLASS_CHAR, 0)); }

}  // namespace zq::common
