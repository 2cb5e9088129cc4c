// findstr and strfind: the positions of one string (or numeric row) in
// another.
#include <utility>

#include "common/codes.h"
#include "common/outputs.h"
#include "strings/handlers.h"
#include "strings/messages.h"
#include "strings/search.h"

namespace zq::strings {
namespace {

// The checks both builtins share, then the search: the character search
// when both operands are char, the numeric search otherwise. findstr looks
// for the shorter operand in the longer (the second in the first when they
// are as long); strfind for its second in its first.
void find(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[], bool shorterInLonger) {
  qxCheckNumArgs(nlhs, 1, nrhs, 2, 2);
  qxArray *text = prhs[0], *pattern = prhs[1];
  if (qxIsContainer(text) || qxIsContainer(pattern)) qxErrMsgTxt("%s", kInputsNotChar);
  if (qxGetM(text) >= 2 || qxGetM(pattern) >= 2) qxErrMsgTxt("%s", kPaddedMatrices);
  common::Outputs out(nlhs, plhs);
  if (qxGetM(text) == 0 || qxGetM(pattern) == 0) {
    out.set(0, qxCreateDoubleMatrix(0, 0, 0));
    return;
  }
  if (shorterInLonger && qxGetN(text) < qxGetN(pattern)) std::swap(text, pattern);
  MatchList matches;
  if (qxIsChar(text) && qxIsChar(pattern)) {
    findCodes(common::rowCodes(text), common::rowCodes(pattern), matches);
  } else {
    findNumbers(text, pattern, matches);
  }
  out.set(0, positionsRow(matches));
}

}  // namespace

void findstrHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) { find(nlhs, plhs, nrhs, prhs, true); }

void strfindHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) { find(nlhs, plhs, nrhs, prhs, false); }

}  // namespace zq::strings
