// sprintf as a user sees it: what each format prints for its data, and the
// message of a format or argument that cannot be printed.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "support/host_fixture.h"

namespace {

using zqtest::Array;
using zqtest::call;
using zqtest::num;
using zqtest::row;
using zqtest::str;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Case {
  const char *format;
  std::vector<double> data;  // one numeric argument (none when empty)
  const char *text;
  const char *message;
};

// Runs sprintf(format, data) with two outputs.
void expectPrints(const Case &c) {
  Array format = str(c.format);
  Array data = zqtest::mat(1, static_cast<int>(c.data.size()), {});
  std::copy(c.data.begin(), c.data.end(), qxGetPr(data.get()));
  auto r = c.data.empty() ? call("sprintf", 2, {format.get()}) : call("sprintf", 2, {format.get(), data.get()});
  ASSERT_EQ(r.error, "") << c.format;
  EXPECT_EQ(zqtest::text(r.outputs[0].get()), c.text) << c.format;
  EXPECT_EQ(zqtest::text(r.outputs[1].get()), c.message) << c.format;
  EXPECT_EQ(qxGetM(r.outputs[0].get()), 1) << c.format;
}

TEST(Sprintf, PrintsIntegersOrFallsBackToExponentForm) {
  const Case cases[] = {
      {"%d", {3}, "3", ""},
      {"%d", {2.5}, "2.500000e+00", ""},
      {"%d", {3000000000}, "3.000000e+09", ""},
      {"%d", {-0.0}, "0", ""},
      {"%hd", {40000}, "4.000000e+04", ""},
      {"%hd", {-32768}, "-32768", ""},
      {"%u", {-1}, "-1.000000e+00", ""},
      {"%x", {255}, "ff", ""},
      {"%x", {4294967295}, "ffffffff", ""},
      {"%lX", {3000000000}, "B2D05E00", ""},
      {"%10.1d", {2.5}, "   2.5e+00", ""},
      {"%5.2ld", {0.25}, "2.50e-01", ""},
      {"%c", {65}, "A", ""},
      {"%c", {256}, "2.560000e+02", ""},
      {"%-3c|", {66}, "B  |", ""},
  };
  for (const Case &c : cases) expectPrints(c);
}

TEST(Sprintf, PrintsNaNAndInfinitiesAsWordsWithTheirFlagsAndWidths) {
  const Case cases[] = {
      {"%f", {kInf}, "Inf", ""},          {"%+f", {kInf}, "+Inf", ""},      {"% f", {kInf}, " Inf", ""},
      {"%8f", {kInf}, "     Inf", ""},    {"%-8f", {kInf}, "Inf     ", ""}, {"%2f", {kInf}, "Inf", ""},
      {"%d", {kNaN}, "NaN", ""},          {"%+d", {-kNaN}, "NaN", ""},      {"%5x", {-kInf}, " -Inf", ""},
      {"%08.3e", {kInf}, "     Inf", ""}, {"%0-6g", {kInf}, "   Inf", ""},  {"%-06g", {kInf}, "Inf   ", ""},
      {"%s", {kNaN}, "NaN", ""},          {"%c", {-kInf}, "-Inf", ""},
  };
  for (const Case &c : cases) expectPrints(c);
}

TEST(Sprintf, PrintsBitPatternsOfDoublesAndSingles) {
  const Case cases[] = {
      {"%bx", {1}, "3ff0000000000000", ""},     {"%tx", {1}, "3f800000", ""},
      {"%#tx", {1}, "0x3f800000", ""},          {"%12tx", {1}, "    3f800000", ""},
      {"%012tx", {1}, "00003f800000", ""},      {"%-12tX|", {-2}, "C0000000    |", ""},
      {"%bu", {1}, "04607182418800017408", ""}, {"%to", {1}, "07740000000", ""},
      {"%#to", {1}, "007740000000", ""},        {"%#.13to", {1}, "0007740000000", ""},
      {"%bx", {kInf}, "7ff0000000000000", ""},  {"%bo", {-1}, "1377600000000000000000", ""},
  };
  for (const Case &c : cases) expectPrints(c);
}

TEST(Sprintf, RecyclesTheFormatAndStopsAtTheFirstDirectiveWithoutData) {
  const Case cases[] = {
      {"%d, %d\\n", {1, 2, 3}, "1, 2\n3, ", ""},
      {"%d", {}, "", ""},
      {"hello %d\\n", {}, "hello ", ""},
      {"abc", {5}, "abc", "Matching failure in format."},
      {"", {}, "", ""},
      {"", {1}, "", "Invalid format."},
      {"%d %%\\n", {1, 2}, "1 %\n2 %\n", ""},
      {"100%", {5}, "100", "Invalid format."},
      {"%*d", {5, 42}, "   42", ""},
      {"%-*d|", {-4, 7}, "7   |", ""},
      {"%*d", {5}, "", "Not enough arguments for format."},
      {"%.*f", {-1, M_PI}, "3.141593", ""},
      {"%*.*f|", {8, 2, M_PI, 3, 1, 2.25}, "    3.14|2.2|", ""},
      {"%*d", {kNaN, 1}, "", "Bad width - NaN."},
      {"%*d", {-kInf, 1}, "", "Bad width - -Inf."},
      {"%.*d", {kInf, 1}, "", "Bad precision - Inf."},
      {"%.*d", {3e9, 1}, "", "Bad precision - outside range of integer."},
      {"a%db%d", {1, 2, 3}, "a1b2a3b", ""},
      {"%5.-3d|", {7}, "    7|", ""},
      {"%q", {1}, "", "Invalid format."},
  };
  for (const Case &c : cases) expectPrints(c);
}

TEST(Sprintf, TranslatesEscapesAndStopsAtAnInvalidOne) {
  const Case cases[] = {
      {"abc\\n", {}, "abc\n", ""}, {"\\101\\x41", {}, "AA", ""}, {"a\\tb", {}, "a\tb", ""},
      {"x\\0yz", {}, "x", ""},     {"ab\\qcd", {}, "ab", ""},    {"ab\\x100", {}, "ab", ""},
      {"\\400", {}, "", ""},       {"\\18", {}, "\x01", ""},     {"\\\\%%", {}, "\\%", ""},
  };
  for (const Case &c : cases) expectPrints(c);
}

TEST(Sprintf, TakesCharArgumentsWholeAndRunsOfCharacterCodes) {
  Array hello = str("hello"), abc = str("abc"), empty = str(""), fmt1 = str("%s|"), fmt2 = str("%.2s"),
        fmt3 = str("%s"), fmt4 = str("%d"), fmt5 = str("%5s|"), three = num(3.5);
  Array hi = row({72, 105}), half = row({72, 0.5}), zero = row({0, 65});
  struct {
    const char *what;
    std::initializer_list<const qxArray *> inputs;
    const char *text, *message;
  } cases[] = {
      {"char run then number", {fmt1.get(), abc.get(), three.get()}, "abc|3.500000e+00|", ""},
      {"precision drops the rest", {fmt2.get(), hello.get()}, "he", ""},
      {"codes as characters", {fmt3.get(), hi.get()}, "Hi", ""},
      {"run ends at a non-code", {fmt1.get(), half.get()}, "H|5.000000e-01|", ""},
      {"a leading zero alone", {fmt1.get(), zero.get()}, "|A|", ""},
      {"empty char string", {fmt3.get(), empty.get()}, "", ""},
      {"empty char string in a field", {fmt5.get(), empty.get()}, "     |", ""},
      {"empty argument for a number", {fmt4.get(), empty.get()}, "", "Empty argument."},
      {"char data by %d", {fmt4.get(), abc.get()}, "979899", ""},
  };
  for (const auto &c : cases) {
    auto r = call("sprintf", 2, c.inputs);
    ASSERT_EQ(r.error, "") << c.what;
    EXPECT_EQ(zqtest::text(r.outputs[0].get()), c.text) << c.what;
    EXPECT_EQ(zqtest::text(r.outputs[1].get()), c.message) << c.what;
  }
}

// "%s" with one char argument prints its codes in storage order as a row,
// whatever its shape; a code that is not a single byte is printed as the
// usual path prints it ("%s%s" never takes a shortcut and must agree).
TEST(Sprintf, PrintsOneTextArgumentAsARowOfItsCodes) {
  std::mt19937 rng(11);
  Array plain = str("%s"), twice = str("%s%s");
  for (const std::vector<int> &dims : std::vector<std::vector<int>>{{1, 1}, {1, 70}, {70, 1}, {3, 4, 5}, {1, 5000}}) {
    for (const qxChar odd : {qxChar{0}, qxChar{65}, qxChar{300}}) {
      Array text(qxCreateCharArray(static_cast<int>(dims.size()), dims.data()));
      qxChar *codes = qxGetChars(text.get());
      const int n = qxGetNumberOfElements(text.get());
      for (int i = 0; i < n; ++i) codes[i] = static_cast<qxChar>(1 + rng() % 255);
      codes[rng() % n] = odd;
      const std::vector<qxChar> before(codes, codes + n);
      auto fast = call("sprintf", 2, {plain.get(), text.get()});
      auto usual = call("sprintf", 2, {twice.get(), text.get()});
      ASSERT_EQ(fast.error, "");
      EXPECT_EQ(zqtest::text(fast.outputs[0].get()), zqtest::text(usual.outputs[0].get())) << odd;
      EXPECT_EQ(zqtest::text(fast.outputs[1].get()), "");
      EXPECT_EQ(qxGetM(fast.outputs[0].get()), 1);
      if (odd == 65) {
        const qxChar *out = qxGetChars(fast.outputs[0].get());
        EXPECT_EQ(std::vector<qxChar>(out, out + n), before);
      }
      fast.outputs.clear();  // the argument outlives the result untouched
      EXPECT_EQ(std::vector<qxChar>(codes, codes + n), before);
    }
  }
}

TEST(Sprintf, RefusesHugeFieldsWithoutPrintingThem) {
  for (const char *format :
       {"%2000000000d", "%.2000000000f", "%2000000000s", "%2000000000bx", "%2147483647c", "%99999999999999999999d"}) {
    Array f = str(format), one = num(1);
    auto r = call("sprintf", 2, {f.get(), one.get()});
    ASSERT_EQ(r.error, "") << format;
    EXPECT_EQ(zqtest::text(r.outputs[0].get()), "") << format;
    std::string message = zqtest::text(r.outputs[1].get());
    EXPECT_TRUE(message == "Format size too big - couldn't allocate memory." ||
                message == "Not enough memory to print number." || message == "Not enough memory to print string.")
        << format << ": " << message;
  }
}

TEST(Sprintf, PrintsOrRefusesAnyGeneratedFormat) {
  std::mt19937 rng(17);
  const std::string alphabet = "%%%-+ #0123456789.*dioxXufeEgGscbthlq\\n";
  const double values[] = {0, 1, -1, 2.5, 65, 1e300, -1e-300, kInf, -kInf, kNaN, 4294967296.0, -2147483649.0, 1e9};
  for (int i = 0; i < 20000; ++i) {
    std::string format;
    for (int n = 1 + rng() % 14; n > 0; --n) format += alphabet[rng() % alphabet.size()];
    Array f = str(format.c_str());
    Array data = zqtest::mat(
        1, 3,
        {values[rng() % std::size(values)], values[rng() % std::size(values)], values[rng() % std::size(values)]});
    auto r = call("sprintf", 2, {f.get(), data.get()});
    ASSERT_EQ(r.error, "") << format;
    ASSERT_LE(qxGetN(r.outputs[0].get()), 1 << 28) << format;
  }
}

TEST(Sprintf, RejectsBadArgumentsWithHostMessages) {
  Array number = num(1), format = str("%d");
  EXPECT_EQ(call("sprintf", 1, {number.get()}).error, "Format must be a string.");
  EXPECT_EQ(call("sprintf", 3, {format.get()}).error, "Too many output arguments.");
  EXPECT_EQ(call("sprintf", 1, {}).error, "Not enough input arguments.");
}

}  // namespace
