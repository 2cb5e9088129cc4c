// The output routines: what one piece of a format prints for one value (a
// run of values for 's'), written once against the output sink.
#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "host/ut.h"
#include "textio/number_text.h"
#include "textio/output.h"

namespace zq::textio {
namespace {

using Routine = int (*)(OutputSink &, const OutputDirective &, ElementSource &);

// The field width of a directive as a magnitude; a negative width (drawn
// from the data) turns into left justification.
NumberStyle styleOf(const OutputDirective &d, char letter) {
  NumberStyle style;
  style.flags = d.flags;
  style.letter = letter;
  if (d.widthSource != Source::kNone) {
    if (d.width < 0) style.flags |= kLeft;
    style.width = d.width < 0 ? static_cast<size_t>(-static_cast<int64_t>(d.width)) : static_cast<size_t>(d.width);
  }
  style.precision = d.precisionSource == Source::kNone ? -1 : d.precision;
  return style;
}

// Writes text padded with blanks to the field width (left-justified with
// the kLeft flag), as "%*s" does.
int printPadded(OutputSink &sink, std::string_view text, const NumberStyle &style, int code) {
  const size_t length = std::max(style.width, text.size());
  char *out = sink.reserve(length);
  if (out == nullptr) return code;
  const size_t pad = length - text.size();
  const bool left = (style.flags & kLeft) != 0;
  std::memset(left ? out + text.size() : out, ' ', pad);
  if (!text.empty()) std::memcpy(left ? out : out + pad, text.data(), text.size());
  const int finished = sink.finishPiece(length);
  return finished != kErrNone ? finished : static_cast<int>(length);
}

// NaN and the infinities: a word, signed by the '+' and blank flags that
// stand before any '0', padded only when the width exceeds it.
int printNonFinite(OutputSink &sink, const OutputDirective &d, double value) {
  std::string_view word = "NaN";
  if (!std::isnan(value)) {
    word = value < 0 ? "-Inf" : (d.wordFlags & kPlus) ? "+Inf" : (d.wordFlags & kBlank) ? " Inf" : "Inf";
  }
  // Only the '-' before any '0' and a negative width left-justify here.
  NumberStyle style = styleOf(d, 's');
  const bool negativeWidth = d.widthSource != Source::kNone && d.width < 0;
  style.flags = (d.wordFlags & kLeft) || negativeWidth ? kLeft : 0;
  if (style.width <= word.size()) style.width = 0;
  return printPadded(sink, word, style, kErrFormatTooBig);
}

// A finite value with a floating conversion (letter e, E, f, g or G).
int printFloat(OutputSink &sink, const OutputDirective &d, double value, char letter) {
  if (!std::isfinite(value)) return printNonFinite(sink, d, value);
  const NumberStyle style = styleOf(d, letter);
  char *out = sink.reserve(floatTextBound(style));
  if (out == nullptr) return kErrFormatTooBig;
  const size_t n = formatFloat(out, value, style);
  const int finished = sink.finishPiece(n);
  return finished != kErrNone ? finished : static_cast<int>(n);
}

// A value that its conversion cannot print: as 'e' with the same flags,
// width and precision.
int printFallback(OutputSink &sink, const OutputDirective &d, double value) { return printFloat(sink, d, value, 'e'); }

// Integer ranges by modifier, for the signed and the unsigned letters.
struct IntegerRange {
  double low, high;
};
constexpr IntegerRange kSignedRange[] = {
    {-2147483648.0, 2147483647.0}, {-32768.0, 32767.0}, {-2147483648.0, 2147483647.0}};
constexpr IntegerRange kUnsignedRange[] = {{0.0, 4294967295.0}, {0.0, 65535.0}, {0.0, 4294967295.0}};

// The bit pattern of a value in octal, decimal or hexadecimal, at full
// length with leading zeros ('t': the single-precision pattern, 'b': the
// double's).
int printBits(OutputSink &sink, const OutputDirective &d, double value) {
  const bool single = d.modifier == Modifier::kSingleBits;
  const uint64_t bits = single ? std::bit_cast<uint32_t>(static_cast<float>(value)) : std::bit_cast<uint64_t>(value);
  const int base = d.letter == 'o' ? 8 : d.letter == 'u' ? 10 : 16;
  const size_t digitCount = base == 8 ? (single ? 11 : 22) : base == 10 ? (single ? 10 : 20) : (single ? 8 : 16);
  const char *digitSet = d.letter == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  char digits[24];
  uint64_t rest = bits;
  for (size_t i = digitCount; i-- > 0; rest /= static_cast<uint64_t>(base))
    digits[i] = digitSet[rest % static_cast<uint64_t>(base)];

  const NumberStyle style = styleOf(d, d.letter);
  const bool hasPrecision = d.precisionSource != Source::kNone && d.precision >= 0;
  size_t field = digitCount;
  if (hasPrecision)
    field = std::max(digitCount, static_cast<size_t>(d.precision));
  else if ((d.flags & kZero) && !(d.flags & kLeft) && style.width > digitCount)
    field = style.width;
  std::string_view prefix = "";
  if (d.flags & kAlternate) {
    if (base == 8 && field == digitCount) prefix = "0";
    if (base == 16) prefix = d.letter == 'X' ? "0X" : "0x";
  }
  const size_t length = prefix.size() + field;
  NumberStyle pad = style;
  pad.flags = style.flags & kLeft;
  const size_t total = std::max(length, pad.width);
  char *out = sink.reserve(total);
  if (out == nullptr) return kErrMemoryForNumber;
  const size_t at = (pad.flags & kLeft) ? 0 : total - length;
  std::memset(out, ' ', total);
  std::memcpy(out + at, prefix.data(), prefix.size());
  std::memset(out + at + prefix.size(), '0', field - digitCount);
  std::memcpy(out + at + length - digitCount, digits, digitCount);
  const int finished = sink.finishPiece(total);
  return finished != kErrNone ? finished : static_cast<int>(total);
}

int printLiteral(OutputSink &sink, const OutputDirective &d, ElementSource &) {
  char *out = sink.reserve(d.literal.size());
  if (out == nullptr) return kErrFormatTooBig;
  const size_t n = copyLiteral(d.literal, out);
  const int finished = sink.finishPiece(n);
  return finished != kErrNone ? finished : static_cast<int>(n);
}

// d, i, o, u, x and X, with their h, l, t and b forms.
int printInteger(OutputSink &sink, const OutputDirective &d, ElementSource &source) {
  const double value = source.at(source.index++);
  if (d.modifier == Modifier::kSingleBits || d.modifier == Modifier::kDoubleBits) return printBits(sink, d, value);
  if (!std::isfinite(value)) return printNonFinite(sink, d, value);
  const bool isSigned = d.conversion == OutConversion::kD || d.conversion == OutConversion::kI;
  const IntegerRange range = (isSigned ? kSignedRange : kUnsignedRange)[static_cast<int>(d.modifier)];
  if (value != std::trunc(value) || value < range.low || value > range.high) return printFallback(sink, d, value);
  const NumberStyle style = styleOf(d, d.letter);
  char *out = sink.reserve(integerTextBound(style));
  if (out == nullptr) return kErrFormatTooBig;
  const bool negative = value < 0;
  const size_t n = formatInteger(out, static_cast<uint32_t>(negative ? -value : value), negative, style);
  const int finished = sink.finishPiece(n);
  return finished != kErrNone ? finished : static_cast<int>(n);
}

int printFloating(OutputSink &sink, const OutputDirective &d, ElementSource &source) {
  return printFloat(sink, d, source.at(source.index++), d.letter);
}

int printCharacter(OutputSink &sink, const OutputDirective &d, ElementSource &source) {
  const double value = source.at(source.index++);
  if (!std::isfinite(value)) return printNonFinite(sink, d, value);
  if (value != std::trunc(value) || value < 0 || value > 255) return printFallback(sink, d, value);
  const char byte = static_cast<char>(static_cast<unsigned char>(value));
  return printPadded(sink, std::string_view(&byte, 1), styleOf(d, 'c'), kErrFormatTooBig);
}

// Copies n character codes below 256 as bytes.
// Whole blocks of a fixed size let the compiler vectorize the copy.
ZQ_WIDE_VECTORS void narrowCodes(const qxChar *__restrict codes, char *__restrict bytes, size_t n) {
  constexpr size_t kBlock = 64;
  size_t i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    for (size_t k = 0; k < kBlock; ++k) bytes[i + k] = static_cast<char>(codes[i + k]);
  }
  for (; i < n; ++i) bytes[i] = static_cast<char>(codes[i]);
}

// The character code of element i, or -1 when it is none: an integral
// value from 0 to 255, or in a multi-byte character set a value whose high
// byte is a lead byte.
long codeOf(const ElementSource &source, int i, bool multiByte) {
  const double v = source.at(i);
  if (!(v >= 0 && v <= 65535) || v != std::trunc(v)) return -1;
  const unsigned code = static_cast<unsigned>(v);
  if (code > 255 && !(multiByte && utIsMultiByteLead(static_cast<int>(code >> 8)))) return -1;
  return code;
}

// Length of the run of character codes from source.index on, at most
// limit (>= 1) elements: it ends before a value that is not a code and
// before a 0 (a leading 0 is a run of its own). bytes receives its length
// in bytes.
int characterRun(const ElementSource &source, int limit, size_t &bytes) {
  const bool multiByte = utIsMultiByteCharSet() != 0;
  const int start = source.index, end = start + limit;
  if (codeOf(source, start, multiByte) == 0) {
    bytes = 1;
    return 1;
  }
  int i = start;
  if (source.isChar()) {
    // Codes 1..255 in whole blocks first, in a loop the compiler vectorizes.
    constexpr int kBlock = 64;
    while (end - i >= kBlock) {
      unsigned outside = 0;
      const qxChar *block = source.chars + i;
      for (int k = 0; k < kBlock; ++k) outside |= static_cast<uint16_t>(block[k] - 1) > 254;
      if (outside) break;
      i += kBlock;
    }
  }
  size_t wide = 0;
  for (long code; i < end && (code = codeOf(source, i, multiByte)) > 0; ++i) wide += code > 255;
  bytes = static_cast<size_t>(i - start) + wide;
  return i - start;
}

// Copies the codes 1..255 at the start of codes, at most limit of them,
// and returns how many there were. Whole blocks are checked and copied in
// one vectorized pass, so the text is read once.
ZQ_WIDE_VECTORS size_t copyCodeRun(const qxChar *__restrict codes, size_t limit, qxChar *__restrict out) {
  constexpr size_t kBlock = 128;
  size_t i = 0;
  for (; i + kBlock <= limit; i += kBlock) {
    // A code is outside 1..255 when it has high bits or is 0.
    uint16_t high = 0, zero = 0;
    for (size_t k = 0; k < kBlock; ++k) {
      const qxChar c = codes[i + k];
      out[i + k] = c;
      high |= c;
      zero |= static_cast<uint16_t>(-static_cast<uint16_t>(c == 0));
    }
    if ((high & 0xff00) != 0 || zero != 0) break;
  }
  for (; i < limit && static_cast<uint16_t>(codes[i] - 1) <= 254; ++i) out[i] = codes[i];
  return i;
}

// The precision of an 's' directive applied to a run of n characters.
size_t shownOf(const OutputDirective &d, size_t n) {
  const bool cut = d.precisionSource != Source::kNone && d.precision >= 0;
  return cut ? std::min(n, static_cast<size_t>(d.precision)) : n;
}

// 's' with a char argument, into a sink that keeps codes: the run of codes
// 1..255 is copied straight into the sink's storage and padded there.
// False (nothing printed) when the run does not start with such a code or
// the sink takes bytes; the byte path then prints it the same way.
bool printCodeRun(OutputSink &sink, const OutputDirective &d, ElementSource &source, int limit, int &printed) {
  const qxChar *codes = source.chars + source.index;
  if (codes[0] == 0 || codes[0] > 255) return false;
  const NumberStyle style = styleOf(d, 's');
  qxChar *out = sink.reserveCodes(std::max(style.width, static_cast<size_t>(limit)));
  if (out == nullptr) return false;
  const size_t run = copyCodeRun(codes, static_cast<size_t>(limit), out);
  const size_t shown = shownOf(d, run);
  const size_t length = std::max(style.width, shown), pad = length - shown;
  if (pad > 0 && !(style.flags & kLeft)) {
    std::memmove(out + pad, out, shown * sizeof(qxChar));
    std::fill(out, out + pad, qxChar{' '});
  } else {
    std::fill(out + shown, out + length, qxChar{' '});
  }
  source.index += static_cast<int>(run);
  sink.finishCodes(length);
  printed = static_cast<int>(length);
  return true;
}

// 's': a run of character codes as one string; a value that is no code
// is printed as a number.
int printString(OutputSink &sink, const OutputDirective &d, ElementSource &source) {
  // An empty char argument prints the empty string in its field.
  if (source.index >= source.count) return printPadded(sink, "", styleOf(d, 's'), kErrMemoryForString);
  int limit = source.count - source.index;
  if (d.precisionSource == Source::kFormat && d.precision > 0) limit = std::min(limit, d.precision);
  if (int printed = 0; source.isChar() && printCodeRun(sink, d, source, limit, printed)) return printed;
  size_t bytes = 0;
  const int run = characterRun(source, limit, bytes);
  if (run == 0) {
    const double value = source.at(source.index++);
    return std::isfinite(value) ? printFallback(sink, d, value) : printNonFinite(sink, d, value);
  }
  // A leading 0 prints as the empty string, as the C library's %s would.
  const int first = static_cast<int>(source.at(source.index));
  const size_t shown = shownOf(d, first == 0 ? 0 : bytes);
  const NumberStyle style = styleOf(d, 's');
  const size_t length = std::max(style.width, shown);
  char *out = sink.reserve(length);
  if (out == nullptr) return kErrMemoryForString;
  const size_t pad = length - shown;
  char *text = out + ((style.flags & kLeft) ? 0 : pad);
  std::memset(text == out ? out + shown : out, ' ', pad);
  size_t k = 0;
  if (source.isChar() && bytes == static_cast<size_t>(run)) {
    // One byte per code: a plain narrowing copy.
    narrowCodes(source.chars + source.index, text, shown);
    k = shown;
  }
  for (int i = source.index; k < shown; ++i) {
    const unsigned code = static_cast<unsigned>(source.at(i));
    if (code > 255) {
      text[k++] = static_cast<char>(code >> 8);
      if (k < shown) text[k++] = static_cast<char>(code & 0xff);
    } else {
      text[k++] = static_cast<char>(code);
    }
  }
  source.index += run;
  const int finished = sink.finishPiece(length);
  return finished != kErrNone ? finished : static_cast<int>(length);
}

// One routine per conversion, in the order of OutConversion (kC is last).
constexpr Routine kRoutines[] = {printLiteral, printInteger,  printInteger, printInteger,  printInteger,
                                 printInteger, printFloating, printString,  printCharacter};
static_assert(std::size(kRoutines) == static_cast<std::size_t>(OutConversion::kC) + 1, "one routine per conversion");

}  // namespace

int printPiece(OutputSink &sink, const OutputDirective &piece, ElementSource &source) {
  return kRoutines[static_cast<int>(piece.conversion)](sink, piece, source);
}

}  // namespace zq::textio
