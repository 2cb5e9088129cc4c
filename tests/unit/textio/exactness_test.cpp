// The output routines against the C library's snprintf: random directives
// (flags, widths, precisions, letters) over random values must give the
// same bytes, since the common conversions are made without snprintf.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <type_traits>

#include "textio/input.h"
#include "textio/output.h"

namespace {

using namespace zq::textio;

// A random directive of the letters given, e.g. "%-+08.3d".
std::string randomDirective(std::mt19937_64 &rng, const char *letters) {
  std::string d = "%";
  for (char flag : std::string_view("-+ #0")) {
    if (rng() % 4 == 0) d += flag;
  }
  if (rng() % 2) d += std::to_string(1 + rng() % 30);
  switch (rng() % 6) {
    case 0: break;
    case 1: d += "."; break;
    case 2: d += ".0"; break;
    case 3: d += "." + std::to_string(rng() % 70); break;
    default: d += "." + std::to_string(rng() % 18); break;
  }
  d += letters[rng() % std::strlen(letters)];
  return d;
}

// What the engine prints for one directive and one value.
std::string printed(const std::string &directive, double value) {
  FormatCursor cursor(directive);
  const OutputDirective *piece = nullptr;
  EXPECT_EQ(cursor.next(piece), kErrNone) << directive;
  StringSink sink;
  ElementSource source;
  source.values = &value;
  source.count = 1;
  EXPECT_GE(printPiece(sink, *piece, source), 0) << directive;
  return std::string(sink.text());
}

// A double drawn to hit rounding ties, tiny and huge exponents and plain
// decimals alike.
double randomDouble(std::mt19937_64 &rng) {
  switch (rng() % 5) {
    case 0: {
      double v;
      do v = std::bit_cast<double>(rng());
      while (!std::isfinite(v));
      return v;
    }
    case 1: return static_cast<double>(static_cast<int64_t>(rng() % 2000001) - 1000000) / 8.0;  // exact ties
    case 2: return std::ldexp(static_cast<double>(rng() % 1000000), static_cast<int>(rng() % 80) - 40);
    case 3: return static_cast<double>(static_cast<int64_t>(rng() % 200001) - 100000) / 1000.0;
    default: return static_cast<double>(static_cast<int64_t>(rng())) * 1e-10;
  }
}

TEST(OutputExactness, FloatingDirectivesMatchSnprintfOverRandomValues) {
  std::mt19937_64 rng(20261206);
  char expected[1024];
  for (int i = 0; i < 2000000; ++i) {
    const std::string directive = randomDirective(rng, "eEfgG");
    const double value = randomDouble(rng);
    if (std::fabs(value) > 1e30 && directive.back() == 'f') continue;  // long but not interesting
    std::snprintf(expected, sizeof expected, directive.c_str(), value);
    ASSERT_EQ(printed(directive, value), expected) << directive << " with " << value;
  }
}

TEST(OutputExactness, IntegerDirectivesMatchSnprintfOverRandomValues) {
  std::mt19937_64 rng(7);
  char expected[256];
  for (int i = 0; i < 2000000; ++i) {
    std::string directive = randomDirective(rng, "diuoxX");
    const char letter = directive.back();
    if (letter == 'd' || letter == 'i') {
      const int32_t value = static_cast<int32_t>(rng() % 3 == 0 ? rng() % 200 - 100 : rng());
      std::snprintf(expected, sizeof expected, directive.c_str(), value);
      ASSERT_EQ(printed(directive, value), expected) << directive << " with " << value;
    } else {
      // '+' and blank mean nothing to the unsigned letters.
      const uint32_t value = static_cast<uint32_t>(rng() % 3 == 0 ? rng() % 100 : rng());
      std::snprintf(expected, sizeof expected, directive.c_str(), value);
      ASSERT_EQ(printed(directive, value), expected) << directive << " with " << value;
    }
  }
}

TEST(OutputExactness, LargePrecisionsPrintEveryDigit) {
  char expected[4096];
  for (const char *directive : {"%.1100f", "%.700e", "%.800g", "%1500.3f", "%-1500.3e"}) {
    for (double value : {1e-300, 4.9e-324, 1.7976931348623157e308, 0.1, -2.5}) {
      std::snprintf(expected, sizeof expected, directive, value);
      EXPECT_EQ(printed(directive, value), expected) << directive << " with " << value;
    }
  }
}

}  // namespace

namespace {

// A random text that starts like a number: signs, digit runs, points,
// exponents, hexadecimal prefixes and words, cut anywhere.
std::string randomNumberText(std::mt19937_64 &rng) {
  static const char *const kParts[] = {"-",   "+",  "0",   "1",   "9",   "12345678901234567",
                                       "00",  ".",  "e",   "E",   "e-",  "e+",
                                       "x",   "0x", "inf", "nan", "308", "400",
                                       "324", "5",  "p3",  " ",   "a"};
  std::string text;
  for (int n = 1 + static_cast<int>(rng() % 7); n > 0; --n) text += kParts[rng() % std::size(kParts)];
  return text;
}

template <class T>
void expectParsesAsStrtod(std::mt19937_64 &rng, int rounds) {
  for (int i = 0; i < rounds; ++i) {
    const std::string text = rng() % 2 ? randomNumberText(rng) : std::to_string(randomDouble(rng));
    T fast{};
    const size_t used = parseDecimal(text, fast);
    if (used == 0) continue;  // left to strtod
    char *end = nullptr;
    const T slow = std::is_same_v<T, float> ? std::strtof(text.c_str(), &end) : std::strtod(text.c_str(), &end);
    ASSERT_EQ(used, static_cast<size_t>(end - text.c_str())) << text;
    using Bits = std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>;
    ASSERT_EQ(std::bit_cast<Bits>(fast), std::bit_cast<Bits>(slow)) << text;
  }
}

TEST(InputExactness, DecimalFastPathParsesAsStrtodAndStrtof) {
  std::mt19937_64 rng(11);
  expectParsesAsStrtod<double>(rng, 1500000);
  expectParsesAsStrtod<float>(rng, 500000);
}

}  // namespace
