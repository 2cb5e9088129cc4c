// The two families of input: a text parsed with the rules of strtol,
// strtoul and the host's strtod, and a stream whose numbers the C
// library's fscanf reads.
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <type_traits>

#include "host/ut.h"
#include "textio/input.h"

namespace zq::textio {
namespace {

// Base of each integer conversion for the text family (0: the prefix
// decides).
int baseOf(InConversion conversion) {
  switch (conversion) {
    case InConversion::kI: return 0;
    case InConversion::kO: return 8;
    case InConversion::kX: return 16;
    default: return 10;
  }
}

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

bool isSignedConversion(InConversion c) { return c == InConversion::kD || c == InConversion::kI; }

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
  const bool isSigned = isSignedConversion(d.conversion);
  const char *end =
      parseInteger(piece.data(), piece.data() + piece.size(), baseOf(d.conversion), isSigned, number.value);
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
  const bool isShort = d.modifier == Modifier::kShort;
  if (isSignedConversion(d.conversion)) return isShort ? readValue<short>(d, number) : readValue<int>(d, number);
  return isShort ? readValue<unsigned short>(d, number) : readValue<unsigned>(d, number);
}

Step StreamSource::scanFloat(const InputDirective &d, Number &number) {
  if (d.width < 0) return scanDecimal(d, number);
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
