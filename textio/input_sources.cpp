// The two families of input: a text parsed with the rules of strtol,
// strtoul and the host's strtod, and a stream whose numbers are read
// exactly as the C library's fscanf reads them.
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <type_traits>
#if defined(__GLIBC__)
#include <stdio_ext.h>
#endif

#include "host/ut.h"
#include "textio/input.h"

namespace zq::textio {
namespace {

// How each integer conversion reads its digits, in both families: the
// base (0: a "0x" or "0" prefix decides) and whether the value converts
// as strtol (signed) or as strtoul converts it.
struct IntegerRule {
  InConversion conversion;
  int base;
  bool isSigned;
};
constexpr IntegerRule kIntegerRules[] = {
    {InConversion::kD, 10, true},  {InConversion::kI, 0, true},   {InConversion::kO, 8, false},
    {InConversion::kU, 10, false}, {InConversion::kX, 16, false},
};

const IntegerRule &integerRule(InConversion conversion) {
  for (const IntegerRule &rule : kIntegerRules) {
    if (rule.conversion == conversion) return rule;
  }
  return kIntegerRules[0];
}

// The stream family's own integer reader follows the GNU C library's
// scanf. Its C23 scanners (release 2.38 on) also take a "0b" prefix for
// base 0, and other libraries may differ: those cases go to fscanf.
#if defined(__GLIBC__) && !defined(__UCLIBC__)
constexpr bool kBinaryPrefix = __GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 38);
bool readsIntegersItself(const IntegerRule &rule) { return rule.base != 0 || !kBinaryPrefix; }
#else
bool readsIntegersItself(const IntegerRule &) { return false; }
#endif

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char lower = static_cast<char>(c | 0x20);
  if (lower >= 'a' && lower <= 'z') return lower - 'a' + 10;
  return 99;
}

// Parses [s, end) as strtol (isSigned) or strtoul do where long has 32
// bits: optional sign, "0x" for bases 16 and 0, a leading 0 for octal in
// base 0; out of range values are clamped as those routines clamp them.
// Returns the position after the number, or s when there is none.
const char *parseInteger(const char *s, const char *end, int base, bool isSigned, double &value) {
  const char *p = s;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  const bool hexPrefix = p + 2 < end && p[0] == '0' && (p[1] | 0x20) == 'x' && digitValue(p[2]) < 16;
  if ((base == 0 || base == 16) && hexPrefix) {
    p += 2;
    base = 16;
  } else if (base == 0) {
    base = p < end && *p == '0' ? 8 : 10;
  }
  const char *digits = p;
  uint64_t magnitude = 0;
  for (int v; p < end && (v = digitValue(*p)) < base; ++p) {
    magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(v);
    if (magnitude > UINT32_MAX) magnitude = uint64_t{UINT32_MAX} + 1;  // saturated
  }
  if (p == digits) return s;
  if (isSigned) {
    const int64_t v = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    value = static_cast<double>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
  } else if (magnitude > UINT32_MAX) {
    value = UINT32_MAX;
  } else {
    const uint32_t m = static_cast<uint32_t>(magnitude);
    value = negative ? static_cast<uint32_t>(0u - m) : m;
  }
  return p;
}

// Converts the token that fscanf would convert: the value of its longest
// number prefix, as strtod or strtof gives it. False when there is none.
template <class T>
bool parseWhole(const std::string &token, double &value) {
  T parsed;
  if (parseDecimal(token, parsed) == 0) {
    char *end = nullptr;
    if constexpr (std::is_same_v<T, float>)
      parsed = std::strtof(token.c_str(), &end);
    else
      parsed = std::strtod(token.c_str(), &end);
    if (end == token.c_str()) return false;
  }
  value = parsed;
  return true;
}

// The low 16 bits of an integer read with 'h'.
double shortValue(double value, bool isSigned) {
  const uint16_t low = static_cast<uint16_t>(static_cast<int64_t>(value));
  return isSigned ? static_cast<int16_t>(low) : low;
}

}  // namespace

template <class T>
size_t parseDecimal(std::string_view text, T &value) {
  size_t start = 0;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) start = 1;
  // from_chars takes no '+' and knows no hexadecimal form: those, and
  // anything not starting with a digit, are left to strtod.
  const std::string_view body = text.substr(start);
  const bool digitFirst = !body.empty() && std::isdigit(static_cast<unsigned char>(body[0]));
  const bool pointFirst = body.size() > 1 && body[0] == '.' && std::isdigit(static_cast<unsigned char>(body[1]));
  if (!digitFirst && !pointFirst) return 0;
  if (body.size() > 1 && body[0] == '0' && (body[1] | 0x20) == 'x') return 0;
  T parsed;
  const auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), parsed);
  if (error != std::errc()) return 0;
  value = start == 1 && text[0] == '-' ? -parsed : parsed;
  return static_cast<size_t>(end - text.data());
}

template size_t parseDecimal<double>(std::string_view, double &);
template size_t parseDecimal<float>(std::string_view, float &);

int TextSource::unget(int c) {
  if (c != EOF && position_ > 0) --position_;
  return kErrNone;
}

bool TextSource::skipBlanks() {
  while (position_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[position_]))) ++position_;
  return position_ < text_.size();
}

std::string_view TextSource::field(const InputDirective &d) const {
  std::string_view rest = text_.substr(position_);
  return d.width > 0 && rest.size() > static_cast<size_t>(d.width) ? rest.substr(0, static_cast<size_t>(d.width))
                                                                   : rest;
}

Step TextSource::scanInteger(const InputDirective &d, Number &number) {
  if (!skipBlanks()) return {true, kErrNone};
  const std::string_view piece = field(d);
  const IntegerRule &rule = integerRule(d.conversion);
  const bool isSigned = rule.isSigned;
  const char *end = parseInteger(piece.data(), piece.data() + piece.size(), rule.base, isSigned, number.value);
  const size_t used = static_cast<size_t>(end - piece.data());
  // With a width, the number must fill the whole piece cut for it.
  if (used == 0 || (d.width > 0 && used != piece.size())) return {true, kErrMatchingFailure};
  if (d.modifier == Modifier::kShort) number.value = shortValue(number.value, isSigned);
  position_ += used;
  number.converted = true;
  return {};
}

Step TextSource::scanFloat(const InputDirective &d, Number &number) {
  if (!skipBlanks()) return {true, kErrNone};
  // The host's parser needs a terminated text: a piece cut by a width is
  // copied, the rest of the text is terminated already.
  const std::string_view piece = field(d);
  std::string cut;
  const char *start = piece.data();
  if (piece.size() < text_.size() - position_) {
    cut.assign(piece);
    start = cut.c_str();
  }
  size_t used = parseDecimal(std::string_view(start, piece.size()), number.value);
  if (used == 0) {
    char *end = nullptr;
    const int code = ut_strtod(utGetFpcContext(), start, &end, &number.value);
    if (code != 0) return {true, code};
    used = static_cast<size_t>(end - start);
  }
  if (used == 0 || (d.width > 0 && used != piece.size())) return {true, kErrMatchingFailure};
  if (d.modifier == Modifier::kShort) number.value = static_cast<float>(number.value);
  position_ += used;
  number.converted = true;
  return {};
}

// The C library's fscanf refuses a stream opened for writing only at
// once, without the error indicator that a character read sets: numbers
// on such a stream are left to it.
StreamSource::StreamSource(FILE *stream) : stream_(stream) {
#if defined(__GLIBC__)
  readable_ = __freadable(stream) != 0;
#else
  readable_ = true;
#endif
}

int StreamSource::get() { return next(); }

int StreamSource::unget(int c) {
  if (c == EOF) return kErrNone;
  if (ungetc(c, stream_) == EOF) return kErrUngetc;
  --consumed_;
  return kErrNone;
}

Step StreamSource::endOfInput() {
  const int indicator = std::ferror(stream_);
  return {true, indicator != 0 ? indicator : kErrUnknown};
}

// The C library reads the number with the rewritten directive into a
// variable of the directive's size.
template <class T>
Step StreamSource::readValue(const InputDirective &d, Number &number) {
  T value{};
  errno = 0;
  if (std::fscanf(stream_, d.text, &value) != 1) return endOfInput();
  ++consumed_;
  number.value = value;
  number.converted = true;
  return {};
}

Step StreamSource::scanInteger(const InputDirective &d, Number &number) {
  const IntegerRule &rule = integerRule(d.conversion);
  const bool isShort = d.modifier == Modifier::kShort;
  if (readable_ && readsIntegersItself(rule)) {
    unsigned long bits = 0;
    const Step step = readInteger(d.width, rule.base, rule.isSigned, bits);
    if (step.stop) return step;
    if (rule.isSigned)
      number.value = isShort ? static_cast<int16_t>(bits) : static_cast<double>(static_cast<int32_t>(bits));
    else
      number.value = isShort ? static_cast<uint16_t>(bits) : static_cast<double>(static_cast<uint32_t>(bits));
    number.converted = true;
    return {};
  }
  if (rule.isSigned) return isShort ? readValue<short>(d, number) : readValue<int>(d, number);
  return isShort ? readValue<unsigned short>(d, number) : readValue<unsigned>(d, number);
}

// An integer read without the C library's scanf but taking exactly the
// characters it takes: blanks, an optional sign, a '0' that may start a
// "0x" prefix (consumed in bases 16 and 0, even with no hexadecimal digit
// after it) or makes base 0 octal, then the digits of the base. A width
// counts the sign and the prefix too. The character after the field is
// pushed back; a sign alone is no number. The digits convert as strtol
// (isSigned) or strtoul convert them, clamped to the range of long; bits
// is that long, which the caller cuts to the size of the directive as
// fscanf stores it.
Step StreamSource::readInteger(int width, int base, bool isSigned, unsigned long &bits) {
  if (width <= 0) width = -1;
  const auto take = [&width] {
    if (width > 0) --width;
  };
  int c;
  do c = next();
  while (c != EOF && std::isspace(c));
  if (c == EOF) return endOfInput();
  const bool negative = c == '-';
  if (c == '-' || c == '+') {
    take();
    c = next();
  }
  bool gotDigit = false;
  if (width != 0 && c == '0') {
    gotDigit = true;
    take();
    c = next();
    if (width != 0 && (c | 0x20) == 'x' && (base == 0 || base == 16)) {
      base = 16;
      take();
      c = next();
    } else if (base == 0) {
      base = 8;
    }
  }
  if (base == 0) base = 10;
  unsigned long magnitude = 0;
  bool overflow = false;
  for (; c != EOF && width != 0; c = next()) {
    const int v = digitValue(static_cast<char>(c));
    if (v >= base) break;
    gotDigit = true;
    overflow |= __builtin_mul_overflow(magnitude, static_cast<unsigned long>(base), &magnitude);
    overflow |= __builtin_add_overflow(magnitude, static_cast<unsigned long>(v), &magnitude);
    take();
  }
  if (unget(c) != kErrNone) return {true, kErrUngetc};
  if (!gotDigit) return endOfInput();
  if (isSigned) {
    const unsigned long limit = negative ? 0UL - static_cast<unsigned long>(LONG_MIN) : LONG_MAX;
    if (overflow || magnitude > limit) magnitude = limit;
  } else if (overflow) {
    bits = ULONG_MAX;
    return {};
  }
  bits = negative ? 0UL - magnitude : magnitude;
  return {};
}

Step StreamSource::scanFloat(const InputDirective &d, Number &number) {
  if (d.width < 0 && readable_) return scanDecimal(d, number);
  return d.modifier == Modifier::kShort ? readValue<float>(d, number) : readValue<double>(d, number);
}

// A floating value without width, read without the C library's scanf but
// consuming exactly what it consumes: blanks, then the longest run that
// its grammar takes (sign, digits, one point, an exponent letter after a
// digit and a sign right after that; "0x" starts hexadecimal digits with
// the exponent letter p, whose digits are decimal), converted by strtod
// (strtof for 'h'). The words inf and nan go to fscanf itself, after one
// character pushed back.
Step StreamSource::scanDecimal(const InputDirective &d, Number &number) {
  const bool single = d.modifier == Modifier::kShort;
  int c;
  do c = next();
  while (c != EOF && std::isspace(c));
  std::string token;
  if (c == '+' || c == '-') {
    token += static_cast<char>(c);
    c = next();
  }
  if (c == EOF) return endOfInput();
  if ((c | 0x20) == 'i' || (c | 0x20) == 'n') {
    if (unget(c) != kErrNone) return {true, kErrUngetc};
    const Step step = single ? readValue<float>(d, number) : readValue<double>(d, number);
    if (token == "-") number.value = -number.value;
    return step;
  }
  bool hexadecimal = false, gotDigit = false, gotDot = false, gotExponent = false;
  if (c == '0') {
    gotDigit = true;
    c = next();
    hexadecimal = c != EOF && (c | 0x20) == 'x';
    token += hexadecimal ? "0x" : "0";
    if (hexadecimal) {
      gotDigit = false;
      c = next();
    }
  }
  const char exponent = hexadecimal ? 'p' : 'e';
  for (; c != EOF; c = next()) {
    if (hexadecimal && !gotExponent ? std::isxdigit(c) : std::isdigit(c)) {
      gotDigit = true;
    } else if (gotExponent && (token.back() | 0x20) == exponent && (c == '+' || c == '-')) {
      // the sign of the exponent
    } else if (gotDigit && !gotExponent && (c | 0x20) == exponent) {
      gotExponent = gotDot = true;
    } else if (!gotDot && c == '.') {
      gotDot = true;
    } else {
      if (unget(c) != kErrNone) return {true, kErrUngetc};
      break;
    }
    token += static_cast<char>(c);
  }
  // As in the C library, "0x" without anything after it converts nothing,
  // while "0x." is the number 0.
  const bool bareHexPrefix = hexadecimal && token.size() == 2u + (token[0] == '-' || token[0] == '+');
  if (bareHexPrefix) return endOfInput();
  if (single ? !parseWhole<float>(token, number.value) : !parseWhole<double>(token, number.value)) return endOfInput();
  number.converted = true;
  return {};
}

int StreamSource::next() {
  const int c = getc_unlocked(stream_);
  if (c != EOF) ++consumed_;
  return c;
}

}  // namespace zq::textio
