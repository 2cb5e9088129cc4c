// char, setstr and string: a value as a char array, or several strings
// stacked into one matrix whose shorter rows are padded with blanks.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>

#include "common/arguments.h"
#include "common/codes.h"
#include "common/outputs.h"
#include "common/owned.h"
#include "strings/handlers.h"
#include "strings/messages.h"

namespace zq::strings {
namespace {

using common::AsClass;
using common::created;
using common::Outputs;
using common::OwnedArray;

constexpr qxChar kBlank = 32;

// A value as char: a char array shares its data, anything else is the
// host's converted copy.
qxArray *asChar(qxArray *x) { return qxIsChar(x) ? qxCreateSharedDataCopy(x) : qxMustBe(x, QX_CLASS_CHAR); }

// Stacks `count` arrays, element(i) giving the i-th, into one char matrix:
// each array's rows in turn, left-aligned, an array without rows taking
// one blank row. Every array must be char or numeric.
template <class Element>
qxArray *stack(std::size_t count, Element element) {
  // Pass 1: check the classes and size the result.
  std::size_t rows = 0, cols = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const qxArray *a = element(i);
    if (!qxIsChar(a) && !qxIsNumeric(a)) qxErrMsgTxt("%s", kInputsNotChar);
    rows += static_cast<std::size_t>(std::max(qxGetM(a), 1));
    cols = std::max(cols, static_cast<std::size_t>(qxGetN(a)));
  }
  if (rows > INT_MAX || (cols > 0 && rows > INT_MAX / cols)) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  const int dims[2] = {static_cast<int>(rows), static_cast<int>(cols)};
  OwnedArray result(created(qxCreateCharArray(2, dims)));
  qxChar *out = qxGetChars(result.get());
  std::fill_n(out, rows * cols, kBlank);

  // Pass 2: copy each array's columns into its band of rows.
  std::size_t cursor = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const AsClass text(element(i), QX_CLASS_CHAR);
    if (text.get() == nullptr) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
    const common::CharMatrix m(text.get());
    for (std::size_t j = 0; j < m.cols() && m.rows() > 0; ++j) {
      std::memcpy(out + j * rows + cursor, m.column(j).data(), m.rows() * sizeof(qxChar));
    }
    cursor += std::max<std::size_t>(m.rows(), 1);
  }
  return result.release();
}

}  // namespace

void charHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  Outputs out(nlhs, plhs);
  if (nrhs == 0) {
    constexpr int kEmpty[2] = {0, 0};
    out.set(0, qxCreateCharArray(2, kEmpty));
  } else if (nrhs >= 2) {
    out.set(0, stack(static_cast<std::size_t>(nrhs), [prhs](std::size_t i) { return prhs[i]; }));
  } else if (qxGetClassID(prhs[0]) == QX_CLASS_CELL) {
    qxArray *cell = prhs[0];
    common::requireCharElements(cell, kCellElementsNotChar);
    const auto count = static_cast<std::size_t>(qxGetNumberOfElements(cell));
    out.set(0, stack(count, [cell](std::size_t i) { return qxGetCell(cell, static_cast<int>(i)); }));
  } else {
    out.set(0, asChar(prhs[0]));
  }
}

void setstrHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 1, 1);
  Outputs(nlhs, plhs).set(0, asChar(prhs[0]));
}

void stringHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 1, 1);
  qxWarningMsgTxt("%s", kStringObsolete);
  Outputs(nlhs, plhs).set(0, asChar(prhs[0]));
}

}  // namespace zq::strings
