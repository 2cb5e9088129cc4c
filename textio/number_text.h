// Text of one number as the C library's printf writes it, made without
// calling printf for the common conversions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zq::textio {

// Flags, field width and precision of one conversion. width is the
// magnitude of the field (a negative width has become kLeft); precision is
// -1 when there is none.
struct NumberStyle {
  uint8_t flags = 0;
  size_t width = 0;
  int precision = -1;
  char letter = 'd';
};

// Upper bounds of the bytes the two formatters write (a NUL included).
size_t integerTextBound(const NumberStyle &style);
size_t floatTextBound(const NumberStyle &style);

// Writes magnitude (negated when negative) with conversion d, i, u, o, x or
// X; returns the bytes written (no NUL).
size_t formatInteger(char *out, uint32_t magnitude, bool negative, const NumberStyle &style);

// Writes a finite value with conversion e, E, f, g or G; returns the bytes
// written (no NUL). out has room for floatTextBound(style) bytes.
size_t formatFloat(char *out, double value, const NumberStyle &style);

}  // namespace zq::textio
