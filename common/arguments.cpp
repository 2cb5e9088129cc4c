// Argument readers shared by every handler.
#include "common/arguments.h"

#include <climits>
#include <cmath>

#include "host/ut.h"

namespace zq::common {

void requireChar(const qxArray *a, int message) {
  if (a == nullptr || !qxIsChar(a)) qxErrMsg(message);
}

HostText textArgument(const qxArray *a, int message) {
  requireChar(a, message);
  HostText text(qxArrayToString(a));
  if (!text) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  return text;
}

HostText optionalText(int nrhs, qxArray *const prhs[], int k, int message) {
  if (k < nrhs) return textArgument(prhs[k], message);
  HostText empty(static_cast<char *>(qxCalloc(1, 1)));
  if (!empty) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  return empty;
}

int integerArgument(const qxArray *a) {
  if (a == nullptr || qxIsEmpty(a)) return -1;
  // The usual case is a double, read as it is.
  const double value = qxGetClassID(a) == QX_CLASS_DOUBLE ? qxGetPr(a)[0] : utFix(qxGetScalar(a));
  constexpr double kBeyond = 2147483648.0;                                      // 2^31
  if (value > -kBeyond - 1 && value < kBeyond) return static_cast<int>(value);  // truncates toward zero
  if (std::isnan(value)) return std::signbit(value) ? INT_MIN : INT_MAX;
  return value > 0 ? -1 : INT_MIN;
}

void requireCharElements(const qxArray *a, const char *message) {
  for (int i = 0, n = qxGetNumberOfElements(a); i < n; ++i) {
    const qxArray *element = qxGetCell(a, i);
    if (element == nullptr || !qxIsChar(element)) qxErrMsgTxt("%s", message);
  }
}

bool isRealDoubleScalar(const qxArray *a) {
  return a != nullptr && qxGetClassCode(a) == QX_CODE_DOUBLE && qxGetNumberOfElements(a) == 1 && !qxIsComplex(a);
}

}  // namespace zq::common
