// The size argument of the reading builtins.
#include "common/size_argument.h"

#include <cmath>

#include "common/owned.h"

namespace zq::common {

SizeArgument sizeArgument(const qxArray *a) {
  constexpr double kIntMax = 2147483647.0;
  if (a == nullptr) return {};
  const int count = qxGetNumberOfElements(a);
  if (!qxIsNumeric(a) || count < 1 || count > 2 || (count == 2 && qxGetM(a) != 1)) qxErrMsg(QX_MSG_INVALID_SIZE);
  // As doubles: a sparse size holds only its nonzero values, so it is read
  // through a full copy.
  const AsClass full(const_cast<qxArray *>(a), QX_CLASS_DOUBLE);
  if (full.get() == nullptr) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  double v[2] = {qxGetPr(full.get())[0], count == 2 ? qxGetPr(full.get())[1] : 0};
  // Only an exact 0 asks for nothing at all; 0.5 asks for 0 rows of 1.
  const bool zero = v[0] == 0;
  for (int i = 0; i < count; ++i) {
    if (std::isnan(v[i]) || v[i] < 0) qxErrMsg(QX_MSG_INVALID_SIZE);
    v[i] = std::trunc(v[i]);
  }
  if (count == 1) {
    if (zero) return {0, 0, 1};
    return v[0] > kIntMax ? SizeArgument{1, -1, 1} : SizeArgument{static_cast<int>(v[0]), 1, 1};
  }
  if (v[0] > kIntMax) qxErrMsg(QX_MSG_INVALID_SIZE);
  if (v[1] > kIntMax) return v[0] == 0 ? SizeArgument{0, 0, 2} : SizeArgument{static_cast<int>(v[0]), -1, 2};
  if (v[0] * v[1] > kIntMax) qxErrMsg(QX_MSG_INVALID_SIZE);
  return {static_cast<int>(v[0]), static_cast<int>(v[1]), 2};
}

}  // namespace zq::common
