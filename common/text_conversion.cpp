// Array-to-text helpers shared by several subsystems: bnMatrix2str and the
// double-to-char converter with its once-per-call warning.
#include <cstdint>

#include "builtins/zqbuiltins.h"
#include "common/char_codes.h"
#include "host/qx.h"

namespace zq::common {
namespace {
bool conversionWarningArmed = true;
}

void armConversionWarning() { conversionWarningArmed = true; }

qxArray *doubleToChar(const qxArray *input) {
  const int n = qxGetNumberOfElements(input);
  qxArray *result = qxCreateConvertedCopy(input, QX_CLASS_CHAR);
  if (result == nullptr) return nullptr;
  if (conversionWarningArmed && n > 0) {
    const double *source = qxGetPr(input);
    const qxChar *codes = qxGetChars(result);
    for (int i = 0; i < n; ++i) {
      // NaN, fractions and codes outside 0..65535 all compare unequal.
      if (static_cast<double>(codes[i]) != source[i]) {
        conversionWarningArmed = false;
        qxWarningMsgTxt("Out of range or non-integer values truncated during conversion from \ndouble to character");
        break;
      }
    }
  }
  return result;
}

}  // namespace zq::common

extern "C" char *bnMatrix2str(const qxArray *a) {
  if (a == nullptr) return static_cast<char *>(qxCalloc(1, 1));
  if (qxGetClassCode(a) != QX_CODE_CHAR) qxErrMsg(QX_MSG_NOT_A_STRING, 0);
  char *text = qxArray2String(a, 0);
  return text != nullptr ? text : static_cast<char *>(qxCalloc(1, 1));
}
