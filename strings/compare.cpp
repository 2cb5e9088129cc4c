// strcmp, strcmpi, strncmp and strncmpi: one comparison engine over strings,
// padded string matrices and cell arrays of strings, with a character count
// (or whole strings) and exact or case-folded codes.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <span>

#include "common/arguments.h"
#include "common/codes.h"
#include "common/outputs.h"
#include "common/owned.h"
#include "strings/case_tables.h"
#include "strings/handlers.h"
#include "strings/messages.h"

namespace zq::strings {
namespace {

using Codes = std::span<const qxChar>;

// The count that stands for "compare whole strings".
constexpr int kWholeStrings = -1;

// What one comparison asks: the count (or kWholeStrings) and the folding.
struct Rule {
  int count;
  bool foldCase;
};

bool sameCodes(const qxChar *a, const qxChar *b, std::size_t k, bool foldCase) {
  if (!foldCase) return k == 0 || std::memcmp(a, b, k * sizeof(qxChar)) == 0;
  for (std::size_t i = 0; i < k; ++i) {
    if (mapCode(kLowerCase, a[i]) != mapCode(kLowerCase, b[i])) return false;
  }
  return true;
}

// A text: its length, and its codes. A char array with no rows still has
// its columns as its length, but no codes to show for them.
struct Text {
  Codes codes;
  std::size_t length;
};

// All the codes of a, its element count as the length.
Text wholeText(const qxArray *a) {
  const Codes codes = common::codesOf(a);
  return {codes, codes.size()};
}

// a as a row: its number of columns is its length.
Text rowText(const qxArray *a) { return {common::rowCodes(a), static_cast<std::size_t>(qxGetN(a))}; }

// Whole texts are equal when their lengths and codes are; with a count n,
// both must be at least n long (n >= 1) and their first n codes agree. A
// text without codes equals only another one without codes.
bool sameTexts(const Text &a, const Text &b, Rule rule) {
  std::size_t k = a.length;
  if (rule.count == kWholeStrings) {
    if (a.length != b.length) return false;
  } else {
    k = static_cast<std::size_t>(rule.count);
    if (rule.count < 1 || k > a.length || k > b.length) return false;
  }
  if (k == 0) return true;
  const bool aHasCodes = a.codes.size() >= k, bHasCodes = b.codes.size() >= k;
  if (!aHasCodes || !bHasCodes) return aHasCodes == bHasCodes;
  return sameCodes(a.codes.data(), b.codes.data(), k, rule.foldCase);
}

bool isText(const qxArray *element) { return element != nullptr && qxIsChar(element); }

// Two char arrays: whole, they must have the same rows and columns; with
// a count, the codes are taken in storage order.
bool charAgainstChar(const qxArray *a, const qxArray *b, Rule rule) {
  if (rule.count == kWholeStrings && (qxGetM(a) != qxGetM(b) || qxGetN(a) != qxGetN(b))) return false;
  return sameTexts(wholeText(a), wholeText(b), rule);
}

// Two cells element by element, a single-element cell standing for every
// element of the other; elements that are not char never match.
qxArray *cellAgainstCell(const qxArray *x, const qxArray *y, Rule rule) {
  const int nx = qxGetNumberOfElements(x), ny = qxGetNumberOfElements(y);
  if (nx != ny && nx != 1 && ny != 1) qxErrMsgTxt("%s", kCompareSizes);
  const qxArray *shape = nx == 1 ? y : x;
  qxArray *result = common::falseArrayLike(shape);
  double *out = qxGetPr(result);
  for (int i = 0, n = qxGetNumberOfElements(shape); i < n; ++i) {
    const qxArray *ex = qxGetCell(x, nx == 1 ? 0 : i), *ey = qxGetCell(y, ny == 1 ? 0 : i);
    out[i] = isText(ex) && isText(ey) && sameTexts(wholeText(ex), wholeText(ey), rule);
  }
  return result;
}

// Row r of a padded matrix without its trailing blanks, gathered into row.
Text trimmedRow(const common::CharMatrix &s, std::size_t r, qxChar *row) {
  std::size_t length = 0;
  for (std::size_t j = 0; j < s.cols(); ++j) {
    row[j] = s.at(r, j);
    if (row[j] != ' ') length = j + 1;
  }
  return {Codes(row, length), length};
}

// A string (or each row of a padded string matrix) against the strings of
// a cell. A one-row string meets every element; M rows meet M elements
// one to one, or one element M times.
qxArray *stringAgainstCell(const qxArray *s, const qxArray *c, Rule rule) {
  const common::CharMatrix text(s);
  const std::size_t rows = text.rows();
  const auto count = static_cast<std::size_t>(qxGetNumberOfElements(c));
  if (rows > 1 && count != rows && count != 1) qxErrMsgTxt("%s", kRowsAgainstCell);
  common::QxBlock<qxChar> row(static_cast<qxChar *>(qxMalloc(text.cols() * sizeof(qxChar))));
  if (!row) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  const bool oneElement = rows > 1 && count == 1;
  const int column[2] = {static_cast<int>(rows), 1};
  qxArray *result = oneElement ? common::falseArray(2, column) : common::falseArrayLike(c);
  double *out = qxGetPr(result);
  for (std::size_t i = 0, n = oneElement ? rows : count; i < n; ++i) {
    const qxArray *element = qxGetCell(c, oneElement ? 0 : static_cast<int>(i));
    if (!isText(element)) continue;
    const Text string = rows > 1 ? trimmedRow(text, i, row.get()) : rowText(s);
    out[i] = sameTexts(string, rowText(element), rule);
  }
  return result;
}

// The engine. a is tested by its class (cell or char), b by its class code.
qxArray *compareValues(const qxArray *a, const qxArray *b, Rule rule) {
  const int bCode = qxGetClassCode(b);
  const bool bChar = bCode == QX_CODE_CHAR, bCell = bCode == QX_CODE_CELL;
  switch (qxGetClassID(a)) {
    case QX_CLASS_CELL: {
      if (bChar) return stringAgainstCell(b, a, rule);
      if (!bCell) return common::falseArrayLike(a);
      const int na = qxGetNumberOfElements(a), nb = qxGetNumberOfElements(b);
      const int ndims = qxGetNumberOfDimensions(a);
      if (na != 1 && nb != 1 &&
          (ndims != qxGetNumberOfDimensions(b) ||
           !std::equal(qxGetDimensions(a), qxGetDimensions(a) + ndims, qxGetDimensions(b)))) {
        qxErrMsgTxt("%s", kCompareSizes);
      }
      return cellAgainstCell(a, b, rule);
    }
    case QX_CLASS_CHAR:
      if (bCell) return stringAgainstCell(a, b, rule);
      return common::logicalResult(bChar && charAgainstChar(a, b, rule));
    default: return bCell ? common::falseArrayLike(b) : common::logicalResult(false);
  }
}

// The count argument: a real double scalar, rounded half up to an int (a
// value that is not whole warns first). Beyond the int range it saturates,
// and NaN counts as 0, which matches nothing.
int countArgument(const qxArray *a) {
  if (!common::isRealDoubleScalar(a)) qxErrMsgTxt("%s", kCountNotInteger);
  const double value = qxGetPr(a)[0];
  if (value != std::floor(value)) qxWarningMsgTxt("%s", kCountNotWhole);
  const double rounded = std::trunc(value + 0.5);
  if (std::isnan(rounded)) return 0;
  if (rounded >= INT_MAX) return INT_MAX;
  if (rounded <= INT_MIN) return INT_MIN;
  return static_cast<int>(rounded);
}

}  // namespace

template <Comparison C>
void compareEntry(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  constexpr int kInputs = C.counted ? 3 : 2;
  qxCheckNumArgs(nlhs, 1, nrhs, kInputs, kInputs);
  const Rule rule{C.counted ? countArgument(prhs[2]) : kWholeStrings, C.foldCase};
  common::Outputs(nlhs, plhs).set(0, compareValues(prhs[0], prhs[1], rule));
}

template void compareEntry<kStrcmp>(int, qxArray *[], int, qxArray *[]);
template void compareEntry<kStrcmpi>(int, qxArray *[], int, qxArray *[]);
template void compareEntry<kStrncmp>(int, qxArray *[], int, qxArray *[]);
template void compareEntry<kStrncmpi>(int, qxArray *[], int, qxArray *[]);

}  // namespace zq::strings
