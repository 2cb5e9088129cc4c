// func2str, functions and str2func. What a handle holds, its text and its
// structure belong to the host; these handlers check shapes and wrap the
// host's answers in arrays.
#include "common/arguments.h"
#include "common/outputs.h"
#include "common/owned.h"
#include "session/handlers.h"

namespace zq::session {
namespace {

// The record of a handle array that must hold exactly one handle.
const void *scalarHandle(const qxArray *h) {
  if (qxGetNumberOfElements(h) != 1) qxErrMsgTxt("Function_handle argument must be scalar");
  return qxGetData(h);
}

// Fills a handle record from a char array; the host raises for a text
// that names no function.
void fillFromText(void *record, const qxArray *text) {
  const common::HostText name = common::textArgument(text, QX_MSG_NOT_A_STRING);
  qxFunctionHandleFromString(record, name.get());
}

}  // namespace

void func2strHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 1, 1);
  common::Outputs(nlhs, plhs).set(0, qxCreateString(qxFunctionHandleToString(scalarHandle(prhs[0]))));
}

void functionsHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 1, 1);
  common::Outputs(nlhs, plhs).set(0, qxFunctionHandleToStruc(scalarHandle(prhs[0])));
}

// A char array gives one handle; a cell gives a handle array of its size
// in which the records of elements that are not char stay as the host
// made them.
void str2funcHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 1, 1);
  const qxArray *source = prhs[0];
  const bool text = qxIsChar(source);
  const int single[2] = {1, 1};
  common::OwnedArray handles(common::created(
      text ? qxCreateNumericArray(2, single, QX_CLASS_FUNCTION, 0)
           : qxCreateNumericArray(qxGetNumberOfDimensions(source), qxGetDimensions(source), QX_CLASS_FUNCTION, 0)));
  auto *records = static_cast<qxFunctionHandleRecord *>(qxGetData(handles.get()));
  if (text) {
    fillFromText(records, source);
  } else {
    for (int i = 0, n = qxGetNumberOfElements(source); i < n; ++i) {
      const qxArray *element = qxGetCell(source, i);
      if (element != nullptr && qxIsChar(element)) fillFromText(&records[i], element);
    }
  }
  common::Outputs(nlhs, plhs).set(0, handles.release());
}

}  // namespace zq::session
