// beep and feature: the two session builtins with state of their own, both
// kept by the host (the bell's switch, the feature records).
#include <climits>
#include <span>

#include "common/arguments.h"
#include "common/outputs.h"
#include "host/ut.h"
#include "host/zqservices.h"
#include "session/handlers.h"

namespace zq::session {
namespace {

struct BellState {
  const char *name;
  int flag;
};
// The words of beep(state); the first whose flag matches names the state.
constexpr BellState kBellStates[] = {{"off", 0}, {"on", 1}};

const char *bellStateName(int flag) { return kBellStates[flag != 0 ? 1 : 0].name; }

// The value of feature(name, value): a double scalar whose real part
// truncation toward zero leaves unchanged, saturated to the int range (Inf
// passes the test). An imaginary part is not looked at.
int featureValue(const qxArray *a) {
  if (qxGetClassCode(a) != QX_CODE_DOUBLE || qxGetNumberOfElements(a) != 1 || utFix(qxGetPr(a)[0]) != qxGetPr(a)[0]) {
    qxErrMsgTxt("Feature value must be an integer-valued scalar double");
  }
  const double value = qxGetPr(a)[0];
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

// beep sounds the bell; beep('on') and beep('off') switch it; s = beep
// answers the state (after any switch), and then no bell sounds.
void beepHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 0, 1);
  if (nrhs == 1) {
    const common::HostText word = common::textArgument(prhs[0], QX_MSG_INVALID_OPTION);
    ioSetBuzz(common::checkOption(word.get(), std::span<const BellState>(kBellStates), QX_MSG_INVALID_OPTION).flag);
  }
  if (nlhs > 0) {
    plhs[0] = common::stringResult(bellStateName(ioGetBuzz()));
  } else if (nrhs == 0) {
    ioBuzz();
  }
}

// feature(name) reads a host feature's value and feature(name, value) sets
// it and tells the host through the record's callback; a record with a
// handler of its own takes the whole call over, without the name.
void featureHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  if (nrhs < 1) qxErrMsg(QX_MSG_NOT_ENOUGH_INPUTS);
  const common::HostText name = common::textArgument(prhs[0], QX_MSG_NOT_A_STRING);
  svFeatureEntry *feature = svFindFeatureEntry(name.get());
  if (feature == nullptr) qxErrMsgTxt("An unknown feature was specified");
  if (feature->handler != nullptr) {
    feature->handler(nlhs, plhs, nrhs - 1, nrhs > 1 ? prhs + 1 : nullptr);
    return;
  }
  if (nrhs == 1) {
    if (nlhs > 1) qxErrMsg(QX_MSG_TOO_MANY_OUTPUTS);
    plhs[0] = common::scalarResult(feature->value);
    return;
  }
  qxCheckNumArgs(nlhs, 0, nrhs, 2, 2);
  const int value = featureValue(prhs[1]);
  feature->value = value;
  if (feature->onChange != nullptr) feature->onChange(value);
}

}  // namespace zq::session
