// isspace, isletter, upper and lower: per-code tests and case mapping over
// char arrays (and, for the case builtins, cell arrays of strings).
#include "common/arguments.h"
#include "common/codes.h"
#include "common/outputs.h"
#include "common/owned.h"
#include "strings/case_tables.h"
#include "strings/handlers.h"
#include "strings/messages.h"

namespace zq::strings {
namespace {

using common::created;
using common::Outputs;

// A logical array shaped like the input: flag(code) for each code of a
// char input, all false for any other class.
template <std::uint8_t (*Flag)(qxChar)>
void classify(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 1, 1);
  const qxArray *x = prhs[0];
  qxArray *result = common::falseArrayLike(x);
  Outputs(nlhs, plhs).set(0, result);
  if (!qxIsChar(x)) return;
  const auto codes = common::codesOf(x);
  double *out = qxGetPr(result);
  for (std::size_t i = 0; i < codes.size(); ++i) out[i] = Flag(codes[i]);
}

// A new char array shaped like x with every code mapped through table.
qxArray *mappedCase(const qxArray *x, const CodeTable &table) {
  qxArray *result = created(qxCreateNumericArray(qxGetNumberOfDimensions(x), qxGetDimensions(x), QX_CLASS_CHAR, 0));
  const auto codes = common::codesOf(x);
  qxChar *out = qxGetChars(result);
  for (std::size_t i = 0; i < codes.size(); ++i) out[i] = mapCode(table, codes[i]);
  return result;
}

// upper and lower: a string mapped, each string of a cell mapped into a
// new cell of the same shape, any other value returned as it is.
void changeCase(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[], const CodeTable &table) {
  qxCheckNumArgs(nlhs, 1, nrhs, 1, 1);
  const qxArray *x = prhs[0];
  Outputs out(nlhs, plhs);
  if (qxIsChar(x)) {
    out.set(0, mappedCase(x, table));
  } else if (qxGetClassID(x) == QX_CLASS_CELL) {
    common::requireCharElements(x, kCellElementsNotChar);
    common::OwnedArray cell(created(qxCreateCellArray(qxGetNumberOfDimensions(x), qxGetDimensions(x))));
    for (int i = 0, n = qxGetNumberOfElements(x); i < n; ++i) {
      qxSetCell(cell.get(), i, mappedCase(qxGetCell(x, i), table));
    }
    out.set(0, cell.release());
  } else {
    out.set(0, qxCreateSharedDataCopy(x));
  }
}

}  // namespace

void isspaceHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  classify<spaceFlag>(nlhs, plhs, nrhs, prhs);
}

void isletterHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  classify<letterFlag>(nlhs, plhs, nrhs, prhs);
}

void upperHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  changeCase(nlhs, plhs, nrhs, prhs, kUpperCase);
}

void lowerHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  changeCase(nlhs, plhs, nrhs, prhs, kLowerCase);
}

}  // namespace zq::strings
