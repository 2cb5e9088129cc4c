// The ISO 8859-1 character tables of the string functions: case mapping
// and the letter test for codes 0 to 255. Each table is built at compile
// time from the ranges it is defined by.
#pragma once

#include <array>
#include <cstdint>

#include "host/qx.h"

namespace zq::strings {

// A run of codes first..last whose entries are the code plus `shift`
// (or 1, for the letter table).
struct CodeRange {
  int first;
  int last;
  int shift;
};

using CodeTable = std::array<std::uint8_t, 256>;

// The identity table with every code of `ranges` shifted by its range's shift.
template <std::size_t N>
constexpr CodeTable shiftedTable(const CodeRange (&ranges)[N]) {
  CodeTable table{};
  for (int c = 0; c < 256; ++c) table[c] = static_cast<std::uint8_t>(c);
  for (const CodeRange &r : ranges) {
    for (int c = r.first; c <= r.last; ++c) table[c] = static_cast<std::uint8_t>(c + r.shift);
  }
  return table;
}

// 1 for every code of `ranges`, 0 elsewhere.
template <std::size_t N>
constexpr CodeTable memberTable(const CodeRange (&ranges)[N]) {
  CodeTable table{};
  for (const CodeRange &r : ranges) {
    for (int c = r.first; c <= r.last; ++c) table[c] = 1;
  }
  return table;
}

// Capitals map down, small letters up; 215 (multiplication sign), 223
// (sharp s), 247 (division sign) and 255 (y with diaeresis) have no other case.
constexpr CodeRange kCapitals[] = {{65, 90, 32}, {192, 214, 32}, {216, 222, 32}};
constexpr CodeRange kSmallLetters[] = {{97, 122, -32}, {224, 246, -32}, {248, 254, -32}};
constexpr CodeRange kLetters[] = {{65, 90, 0}, {97, 122, 0}, {192, 214, 0}, {216, 246, 0}, {248, 255, 0}};
// Tab, line feed, vertical tab, form feed, carriage return and blank.
constexpr CodeRange kSpaces[] = {{9, 13, 0}, {32, 32, 0}};

inline constexpr CodeTable kLowerCase = shiftedTable(kCapitals);
inline constexpr CodeTable kUpperCase = shiftedTable(kSmallLetters);
inline constexpr CodeTable kLetter = memberTable(kLetters);
inline constexpr CodeTable kSpace = memberTable(kSpaces);

// A code through a case table: codes of 256 and above are left as they are.
inline qxChar mapCode(const CodeTable &table, qxChar c) { return c < 256 ? table[c] : c; }

// 1 for a space: tab, line feed, vertical tab, form feed, carriage return
// or blank, read on the full 16-bit code (265 is no tab); else 0. A table
// and no comparisons, so that random text costs no mispredicted branches.
inline std::uint8_t spaceFlag(qxChar c) { return c < 256 ? kSpace[c] : 0; }

// 1 for a letter, else 0, read on the low byte: 321 answers as 65 does.
inline std::uint8_t letterFlag(qxChar c) { return kLetter[c & 0xff]; }

}  // namespace zq::strings
