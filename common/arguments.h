// Argument readers shared by every handler: one helper per kind of check,
// each raising the message its caller names.
#pragma once

#include <span>
#include <string_view>

#include "common/owned.h"
#include "host/qx.h"

namespace zq::common {

// Raises host message `message` unless a is a char array.
void requireChar(const qxArray *a, int message);

// The text of char array a, NUL-terminated (host message `message` when a
// is not char; "Out of memory." when the copy cannot be made). Codes above
// 255 keep their low byte.
HostText textArgument(const qxArray *a, int message);

// The text of input k, or "" when the call has fewer inputs.
HostText optionalText(int nrhs, qxArray *const prhs[], int k, int message);

// An integer argument: the first element truncated toward zero (-1 when
// empty), saturated to int (above the range -1, below it INT_MIN), NaN to
// INT_MAX (INT_MIN with the sign bit set), so that no wild value names a
// real file or count.
int integerArgument(const qxArray *a);

// Raises the text `message` unless every element of cell array a is a
// char array (an element never set counts as not char).
void requireCharElements(const qxArray *a, const char *message);

// Whether a is a real double scalar (class code double, one element, no
// imaginary part).
bool isRealDoubleScalar(const qxArray *a);

// The row of `table` whose `name` equals `word` exactly, or null.
template <class Row>
const Row *findOption(std::string_view word, std::span<const Row> table) {
  for (const Row &row : table) {
    if (std::string_view(row.name) == word) return &row;
  }
  return nullptr;
}

// The row of `table` whose `name` equals `word` exactly; raises host message
// `message` when there is none.
template <class Row>
const Row &checkOption(std::string_view word, std::span<const Row> table, int message) {
  const Row *row = findOption(word, table);
  if (row == nullptr) qxErrMsg(message);
  return *row;
}

// The row of `table` whose `letter` equals `letter`, or null: the lookup of
// one-character options (conversion letters, escape letters).
template <class Row>
const Row *findLetter(char letter, std::span<const Row> table) {
  for (const Row &row : table) {
    if (row.letter == letter) return &row;
  }
  return nullptr;
}

}  // namespace zq::common
