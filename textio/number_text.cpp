// Integer and floating text with printf's rules for flags, width and
// precision. Digits come from a small digit loop and from std::to_chars,
// which rounds exactly as printf does in the default rounding mode; the
// alternate form of the floating conversions is left to snprintf.
#include "textio/number_text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "textio/format.h"

namespace zq::textio {
namespace {

constexpr size_t kFloatDigitsRoom = 330;  // 309 integer digits, sign, point, exponent

// Puts the parts of a field together: prefix (sign or 0x), zeros, body,
// and the padding the width asks for. body may overlap out only when it
// lies at or after out + prefix length.
size_t assemble(char *out, const char *prefix, size_t prefixLength, size_t zeros, const char *body, size_t bodyLength,
                const NumberStyle &style, bool zeroPadAllowed) {
  const size_t length = prefixLength + zeros + bodyLength;
  size_t pad = style.width > length ? style.width - length : 0;
  size_t lead = 0;
  if (pad > 0 && !(style.flags & kLeft)) {
    if (zeroPadAllowed && (style.flags & kZero)) {
      zeros += pad;
    } else {
      lead = pad;
    }
    pad = 0;
  }
  // Write back to front so that a body already in place moves safely.
  char *bodyAt = out + lead + prefixLength + zeros;
  std::memmove(bodyAt, body, bodyLength);
  std::memset(out + lead + prefixLength, '0', zeros);
  std::memcpy(out + lead, prefix, prefixLength);
  std::memset(out, ' ', lead);
  std::memset(bodyAt + bodyLength, ' ', pad);
  return static_cast<size_t>(bodyAt + bodyLength + pad - out);
}

// Digits of value in base (8, 10 or 16) at the end of buffer[0..24).
size_t digitsOf(uint32_t value, int base, bool upper, char *end) {
  static constexpr char kLower[] = "0123456789abcdef";
  static constexpr char kUpper[] = "0123456789ABCDEF";
  const char *digits = upper ? kUpper : kLower;
  char *p = end;
  if (base == 10) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    while (value >= 100) {
      const uint32_t pair = (value % 100) * 2;
      value /= 100;
      *--p = kPairs[pair + 1];
      *--p = kPairs[pair];
    }
    if (value >= 10) {
      const size_t pair = size_t{value} * 2;
      *--p = kPairs[pair + 1];
      *--p = kPairs[pair];
    } else {
      *--p = static_cast<char>('0' + value);
    }
    return static_cast<size_t>(end - p);
  }
  const int shift = base == 16 ? 4 : 3;
  do {
    *--p = digits[value & static_cast<uint32_t>(base - 1)];
    value >>= shift;
  } while (value != 0);
  return static_cast<size_t>(end - p);
}

// Number of digits of value in base 8, 10 or 16.
size_t digitCountOf(uint32_t value, int base) {
  if (base == 10) {
    size_t n = 1;
    for (uint32_t limit = 10; n < 10 && value >= limit; limit *= 10) ++n;
    return n;
  }
  const int bits = 32 - std::countl_zero(value | 1u);
  const int shift = base == 16 ? 4 : 3;
  return static_cast<size_t>((bits + shift - 1) / shift);
}

}  // namespace

size_t integerTextBound(const NumberStyle &style) {
  return std::max(style.width, static_cast<size_t>(std::max(style.precision, 11)) + 3) + 1;
}

size_t floatTextBound(const NumberStyle &style) {
  return std::max(style.width, static_cast<size_t>(std::max(style.precision, 6)) + kFloatDigitsRoom) + 2;
}

size_t formatInteger(char *out, uint32_t magnitude, bool negative, const NumberStyle &style) {
  const char letter = style.letter;
  const int base = letter == 'o' ? 8 : (letter == 'x' || letter == 'X') ? 16 : 10;
  // Precision 0 prints no digits for the value 0.
  const size_t digitCount = magnitude != 0 || style.precision != 0 ? digitCountOf(magnitude, base) : 0;
  const size_t precision = style.precision < 0 ? 1 : static_cast<size_t>(style.precision);
  size_t zeros = precision > digitCount ? precision - digitCount : 0;
  char prefix[2];
  size_t prefixLength = 0;
  if (letter == 'd' || letter == 'i') {
    if (negative)
      prefix[prefixLength++] = '-';
    else if (style.flags & kPlus)
      prefix[prefixLength++] = '+';
    else if (style.flags & kBlank)
      prefix[prefixLength++] = ' ';
  } else if (style.flags & kAlternate) {
    if (base == 8 && zeros == 0 && magnitude != 0) zeros = 1;
    if (base == 8 && digitCount == 0) zeros = 1;
    if (base == 16 && magnitude != 0) {
      prefix[prefixLength++] = '0';
      prefix[prefixLength++] = letter;
    }
  }
  const size_t length = prefixLength + zeros + digitCount;
  if (length >= style.width) {
    // No padding: the digits go straight to their place.
    for (size_t i = 0; i < prefixLength; ++i) out[i] = prefix[i];
    for (size_t i = 0; i < zeros; ++i) out[prefixLength + i] = '0';
    if (digitCount > 0) digitsOf(magnitude, base, letter == 'X', out + length);
    return length;
  }
  char buffer[24];
  char *end = buffer + sizeof buffer;
  if (digitCount > 0) digitsOf(magnitude, base, letter == 'X', end);
  return assemble(out, prefix, prefixLength, zeros, end - digitCount, digitCount, style, style.precision < 0);
}

size_t formatFloat(char *out, double value, const NumberStyle &style) {
  const char lower = static_cast<char>(style.letter | 0x20);
  const int precision = style.precision < 0 ? 6 : style.precision;
  if (style.flags & kAlternate) {
    // The alternate form keeps points and zeros that to_chars drops.
    char format[16] = "%#";
    char *p = format + 2;
    if (style.flags & kLeft) *p++ = '-';
    if (style.flags & kPlus) *p++ = '+';
    if (style.flags & kBlank) *p++ = ' ';
    if (style.flags & kZero) *p++ = '0';
    *p++ = '*';
    *p++ = '.';
    *p++ = '*';
    *p++ = style.letter;
    *p = '\0';
    const int n = std::snprintf(out, floatTextBound(style), format, static_cast<int>(style.width), precision, value);
    return n < 0 ? 0 : static_cast<size_t>(n);
  }
  const std::chars_format kind = lower == 'e'   ? std::chars_format::scientific
                                 : lower == 'f' ? std::chars_format::fixed
                                                : std::chars_format::general;
  // The digits go one byte in, so that a sign can go in front of them.
  char *digits = out + 1;
  const auto result = std::to_chars(digits, out + floatTextBound(style), std::fabs(value), kind, precision);
  size_t length = static_cast<size_t>(result.ptr - digits);
  if (style.letter != lower) {
    char *e = static_cast<char *>(std::memchr(digits, 'e', length));
    if (e != nullptr) *e = 'E';
  }
  char sign[1];
  size_t signLength = 0;
  if (std::signbit(value))
    sign[signLength++] = '-';
  else if (style.flags & kPlus)
    sign[signLength++] = '+';
  else if (style.flags & kBlank)
    sign[signLength++] = ' ';
  return assemble(out, sign, signLength, 0, digits, length, style, true);
}

}  // namespace zq::textio
