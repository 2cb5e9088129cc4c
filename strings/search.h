// The search engine of findstr, strfind and strrep: every occurrence of a
// pattern in a text, overlapping ones included, in time proportional to
// the text, the pattern and the number of matches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "common/owned.h"
#include "host/qx.h"

namespace zq::strings {

// The 0-based start positions of one search's matches, ascending, in a
// block from the host allocator that doubles as it fills.
class MatchList {
 public:
  void add(std::size_t position) {
    if (size_ == capacity_) grow();
    block_.get()[size_++] = static_cast<std::uint32_t>(position);
  }
  void clear() { size_ = 0; }
  bool empty() const { return size_ == 0; }
  std::size_t size() const { return size_; }
  std::span<const std::uint32_t> positions() const { return {block_.get(), size_}; }

 private:
  void grow();

  common::QxBlock<std::uint32_t> block_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// Character search: adds every start of pattern in text. An empty pattern,
// an empty text or a pattern longer than the text has no match.
void findCodes(std::span<const qxChar> text, std::span<const qxChar> pattern, MatchList &matches);

// Numeric search of pattern in text, elements compared as doubles with ==
// (real and imaginary parts alike). Both must be at most two-dimensional
// and, unless of the same size, one must be a single row: else "Inputs
// must be row vectors". Operands of other classes are converted to double.
// Nothing matches when the pattern is longer than the text, either is
// empty, just one is complex, or the pattern holds a NaN.
void findNumbers(qxArray *text, qxArray *pattern, MatchList &matches);

// The matches as a 1-by-k double row of 1-based positions; 0-by-0 when
// there are none.
qxArray *positionsRow(const MatchList &matches);

// Walks a text of textLength elements with the matches of a pattern of
// patternLength replaced: keep(from, to) for every stretch of the text that
// stays (in order), insert() for every match. A match that overlaps the one
// before it keeps nothing in between.
template <class Keep, class Insert>
void walkReplacements(std::span<const std::uint32_t> matches, std::size_t textLength, std::size_t patternLength,
                      Keep keep, Insert insert) {
  std::size_t cursor = 0;
  for (const std::size_t position : matches) {
    if (cursor < position) keep(cursor, position);
    insert();
    cursor = position + patternLength;
  }
  if (cursor < textLength) keep(cursor, textLength);
}

}  // namespace zq::strings
