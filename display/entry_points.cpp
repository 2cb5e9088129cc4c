// The numeric side of display and disp: the builtin handlers, the exported
// entry points and the dispatcher that routes a value to its printer.
#include "builtins/zqbuiltins.h"
#include "common/outputs.h"
#include "common/owned.h"
#include "display/handlers.h"
#include "display/numeric_printer.h"
#include "display/printers.h"
#include "display/state.h"
#include "host/ut.h"

namespace zq::display {
namespace {

bool isNumericCode(int code) {
  return code == QX_CODE_DOUBLE || code == QX_CODE_SPARSE || (code >= QX_CODE_SINGLE && code <= QX_CODE_UINT32);
}

// Disables the user's interrupt for its lifetime and then restores the
// previous setting, also when an error unwinds the caller.
class InterruptsDisabled {
 public:
  InterruptsDisabled() : previous_(utSetInterruptEnabled(0)) {}
  ~InterruptsDisabled() { utSetInterruptEnabled(previous_ & 0xff); }
  InterruptsDisabled(const InterruptsDisabled &) = delete;
  InterruptsDisabled &operator=(const InterruptsDisabled &) = delete;

 private:
  int previous_;
};

}  // namespace

void printValue(const char *name, const qxArray *a) {
  if (a == nullptr) {
    const common::OwnedArray empty(common::created(qxCreateDoubleMatrix(0, 0, 0)));
    qxSetName(empty.get(), name);
    printNumericMatrix(empty.get(), nullptr);
    return;
  }
  if (!isNumericCode(qxGetClassCode(a)) || qxGetNumberOfDimensions(a) > 2) {
    printNonNumericValue(name, a);
    return;
  }
  // A caller-given label replaces the printer's own name line.
  if (name != nullptr) {
    clearHeaderFlag();
    if (*name != '\0') utPrintf("%s =%s\n", name, newline());
  }
  printNumericMatrix(a, nullptr);
}

void numericDisplayHandler(int nlhs, qxArray *[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 0, nrhs, 1, 1);
  if (qxGetNumberOfDimensions(prhs[0]) > 2 && !qxIsEmpty(prhs[0])) {
    printPages(prhs[0]);
  } else {
    printNumericMatrix(prhs[0], nullptr);
  }
}

}  // namespace zq::display

extern "C" {

// display for no input, sparse, char and function handles.
void bnFullPrintFcn(int nlhs, qxArray *[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 0, nrhs, 1, 1);
  if (prhs[0] != nullptr) zq::display::printValue(nullptr, prhs[0]);
}

// disp: the value without its name, nothing for an empty value; runs with
// the user's interrupt disabled.
void bnFullDispFcn(int nlhs, qxArray *[], int nrhs, qxArray *prhs[]) {
  const zq::display::InterruptsDisabled noInterrupts;
  qxCheckNumArgs(nlhs, 0, nrhs, 1, 1);
  if (prhs[0] != nullptr && !qxIsEmpty(prhs[0])) bnPrintMatrixCompact(prhs[0]);
}

void bnPrintMatrixCompact(const qxArray *a) { zq::display::printValue("", a); }

}  // extern "C"
