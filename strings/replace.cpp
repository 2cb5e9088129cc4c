// strrep: every occurrence of one string replaced by another, in a string,
// in the strings of cell arrays, or in numeric rows. Each result is sized
// once from the match list and written in one pass.
#include <algorithm>
#include <climits>
#include <cstring>

#include "common/codes.h"
#include "common/outputs.h"
#include "common/owned.h"
#include "strings/handlers.h"
#include "strings/messages.h"
#include "strings/search.h"

namespace zq::strings {
namespace {

using common::created;
using common::OwnedArray;

bool isTextOrCell(const qxArray *a) {
  const int id = qxGetClassID(a);
  return id == QX_CLASS_CHAR || id == QX_CLASS_CELL;
}

// The length of text with every match replaced (an int, or "Out of memory.").
int replacedLength(const MatchList &matches, std::size_t textLength, std::size_t patternLength,
                   std::size_t insertLength) {
  std::size_t length = 0;
  walkReplacements(
      matches.positions(), textLength, patternLength, [&](std::size_t from, std::size_t to) { length += to - from; },
      [&] { length += insertLength; });
  if (length > INT_MAX) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  return static_cast<int>(length);
}

// ---- Numeric replacement ------------------------------------------------

// Elements from..to of a double array into re (and im, when the result is
// complex: a real source gives zeros).
void copyElements(const qxArray *source, std::size_t from, std::size_t to, double *re, double *im) {
  std::copy(qxGetPr(source) + from, qxGetPr(source) + to, re);
  if (im == nullptr) return;
  if (const double *pi = qxGetPi(source)) {
    std::copy(pi + from, pi + to, im);
  } else {
    std::fill(im, im + (to - from), 0.0);
  }
}

// The result has s3's shape when s1 and s2 have the same shape (then the
// one match is the whole of s1), else it is a row. It is char when any
// operand is.
qxArray *replaceNumbers(qxArray *s1, qxArray *s2, qxArray *s3) {
  MatchList matches;
  findNumbers(s1, s2, matches);
  if (matches.empty()) return created(qxDuplicateArray(s1));
  qxArray *const inputs[3] = {s1, s2, s3};
  for (const qxArray *a : inputs) {
    if (qxGetNumberOfDimensions(a) > 2) qxErrMsgTxt("%s", kNotRowVectors);
  }
  const common::AsClass d1(s1, QX_CLASS_DOUBLE), d2(s2, QX_CLASS_DOUBLE), d3(s3, QX_CLASS_DOUBLE);
  if (d1.get() == nullptr || d2.get() == nullptr || d3.get() == nullptr) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  const bool complex = qxIsComplex(d1.get()) || qxIsComplex(d2.get()) || qxIsComplex(d3.get());
  const auto n1 = static_cast<std::size_t>(qxGetNumberOfElements(d1.get()));
  const auto n2 = static_cast<std::size_t>(qxGetNumberOfElements(d2.get()));
  const auto n3 = static_cast<std::size_t>(qxGetNumberOfElements(d3.get()));
  const int length = replacedLength(matches, n1, n2, n3);
  const bool sameShape = qxGetM(s1) == qxGetM(s2) && qxGetN(s1) == qxGetN(s2);
  OwnedArray result(
      created(qxCreateDoubleMatrix(sameShape ? qxGetM(s3) : 1, sameShape ? qxGetN(s3) : length, complex ? 1 : 0)));
  double *re = qxGetPr(result.get()), *im = qxGetPi(result.get());
  std::size_t at = 0;
  walkReplacements(
      matches.positions(), n1, n2,
      [&](std::size_t from, std::size_t to) {
        copyElements(d1.get(), from, to, re + at, im != nullptr ? im + at : nullptr);
        at += to - from;
      },
      [&] {
        copyElements(d3.get(), 0, n3, re + at, im != nullptr ? im + at : nullptr);
        at += n3;
      });
  qxFreeImagIfZero(result.get());
  if (qxIsChar(s1) || qxIsChar(s2) || qxIsChar(s3)) return created(qxMustBe(result.get(), QX_CLASS_CHAR));
  return result.release();
}

// ---- String replacement -------------------------------------------------

// An input of the string replacement. A single input is a one-row char
// array or a one-element cell; it serves every replacement.
struct Input {
  qxArray *array;
  bool cell;
  bool single;
};

Input inputOf(qxArray *a) {
  const bool cell = qxGetClassID(a) == QX_CLASS_CELL;
  return {a, cell, cell ? qxGetNumberOfElements(a) == 1 : qxGetM(a) == 1};
}

// Whether three cells have sizes that fit together, over the dimensions
// of s2 (a dimension another input lacks counts as 1): cells that are not
// single must agree with one another.
bool cellSizesAgree(const Input (&in)[3]) {
  const int n2 = qxGetNumberOfDimensions(in[1].array);
  if (n2 != qxGetNumberOfDimensions(in[0].array) && n2 != qxGetNumberOfDimensions(in[2].array)) return false;
  auto dim = [](const qxArray *a, int k) { return k < qxGetNumberOfDimensions(a) ? qxGetDimensions(a)[k] : 1; };
  const bool single1 = in[0].single, single2 = in[1].single, single3 = in[2].single;
  for (int k = 0; k < n2; ++k) {
    const int d1 = dim(in[0].array, k), d2 = dim(in[1].array, k), d3 = dim(in[2].array, k);
    if (single1) {
      if (!single2 && !single3 && d2 != d3) return false;
    } else if (!single2 && !single3) {
      if (d1 != d2 || d2 != d3) return false;
    } else if (!single2) {
      if (d1 != d2) return false;
    } else if (!single3) {
      if (d1 != d3) return false;
    }
  }
  return true;
}

// Replacement e's operand from an input: a char input whole, a single
// cell's element, or element e of another cell.
const qxArray *operandOf(const Input &in, int e) {
  if (!in.cell) return in.array;
  const qxArray *element = qxGetCell(in.array, in.single ? 0 : e);
  if (element == nullptr || !qxIsChar(element)) qxErrMsgTxt("%s", kCellElementsNotChar);
  return element;
}

// s1 with every match of s2 replaced by s3, all read as rows; a copy of s1
// when nothing matches.
qxArray *replaceText(const qxArray *s1, const qxArray *s2, const qxArray *s3, MatchList &matches) {
  const auto text = common::rowCodes(s1), pattern = common::rowCodes(s2), insert = common::rowCodes(s3);
  matches.clear();
  findCodes(text, pattern, matches);
  if (matches.empty()) return created(qxDuplicateArray(s1));
  const int length = replacedLength(matches, text.size(), pattern.size(), insert.size());
  qxArray *result = created(qxCreateNumericMatrix(1, length, QX_CLASS_CHAR, 0));
  qxChar *out = qxGetChars(result);
  walkReplacements(
      matches.positions(), text.size(), pattern.size(),
      [&](std::size_t from, std::size_t to) { out = std::copy(text.begin() + from, text.begin() + to, out); },
      [&] { out = std::copy(insert.begin(), insert.end(), out); });
  return result;
}

qxArray *replaceStrings(qxArray *const prhs[]) {
  const Input in[3] = {inputOf(prhs[0]), inputOf(prhs[1]), inputOf(prhs[2])};
  if (in[0].cell && in[1].cell && in[2].cell && !cellSizesAgree(in)) qxErrMsgTxt("%s", kReplaceSizes);
  // The driving cell (the last that is not single) gives the result its
  // shape and the number of replacements; else the last single cell.
  const Input *driving = nullptr, *model = nullptr;
  for (const Input &input : in) {
    if (!input.cell) {
      if (!input.single && qxGetM(input.array) > 1) qxErrMsgTxt("%s", kPaddedCharInput);
    } else if (!input.single) {
      driving = model = &input;
    } else if (driving == nullptr) {
      model = &input;
    }
  }
  MatchList matches;
  if (model == nullptr) return replaceText(in[0].array, in[1].array, in[2].array, matches);
  const int count = qxGetNumberOfElements(model->array);
  for (const Input &input : in) {
    if (input.cell && !input.single && qxGetNumberOfElements(input.array) != count) qxErrMsgTxt("%s", kReplaceSizes);
  }
  OwnedArray result(created(qxCreateCellArray(qxGetNumberOfDimensions(model->array), qxGetDimensions(model->array))));
  for (int e = 0; e < count; ++e) {
    const qxArray *s1 = operandOf(in[0], e);
    const qxArray *s2 = operandOf(in[1], e);
    const qxArray *s3 = operandOf(in[2], e);
    qxSetCell(result.get(), e, replaceText(s1, s2, s3, matches));
  }
  return result.release();
}

}  // namespace

void strrepHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 3, 3);
  common::Outputs out(nlhs, plhs);
  if (!std::all_of(prhs, prhs + 3, isTextOrCell)) {
    qxWarningMsgTxt("%s", kReplaceNotText);
    out.set(0, replaceNumbers(prhs[0], prhs[1], prhs[2]));
    return;
  }
  out.set(0, replaceStrings(prhs));
}

}  // namespace zq::strings
